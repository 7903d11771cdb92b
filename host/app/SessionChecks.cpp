#include "host/app/Session.h"

#include <cstring>
#include <thread>

#include "host/GbkText.h"

namespace zephyr::hostapp {

namespace {

using hostkit::CompareMode;
using hostkit::GbkToUtf8;
using hostkit::MarketImage;
using hostkit::PullResult;
using Clock = SessionClock;

constexpr size_t kDifferenceSamples = 10;
constexpr auto kFlushDelay = std::chrono::milliseconds(300);  // the pool flushes every 100 ms

}  // namespace

PullResult Session::Pull(MarketImage* image) {
    ++result_.pulls;
    PullResult pulled = hostkit::PullMarketImage(*driver_, options_.frame_size, image, &pull_error_);
    if (pulled != PullResult::kPulled) ++result_.pull_failures;
    // Said once per kind of fault, not at every retry.
    if (pulled == PullResult::kBroken && pull_error_ != last_pull_error_) HostLine("pull refused: " + pull_error_);
    if (pulled == PullResult::kBroken) last_pull_error_ = pull_error_;
    return pulled;
}

void Session::RefreshCategories(const MarketImage& image) {
    std::string text;
    for (const std::string& category : image.categories) {
        const std::string name = GbkToUtf8(std::string(category.data(), strnlen(category.data(), 8)));
        if (!text.empty()) text += ", ";
        text += name + " " + std::to_string(hostkit::LoadU16(category.data() + 11));
    }
    categories_text_ = text.empty() ? "-" : text;
}

void Session::LoadReplicaIfNeeded() {
    if (shared_.replica.Loaded() || Clock::now() < next_pull_) return;
    next_pull_ = Clock::now() + std::chrono::milliseconds(500);
    if (driver_->IsWorking() != 1) return;
    const uint64_t generation = shared_.replica.Generation();
    MarketImage image;
    if (Pull(&image) != PullResult::kPulled) return;
    RefreshCategories(image);
    const size_t codes = image.Of(hostkit::Table::kCodes).Count();
    const size_t snapshots = image.Of(hostkit::Table::kSnapshots).Count();
    if (!shared_.replica.Install(std::move(image), generation)) {
        HostLine("the market was reset during the pull: pulling again");
        return;
    }
    const DriverStatusInfo status = ReadStatus(*driver_);
    shared_.replica.ApplyMarketVolume(status.hsi_volume);
    result_.served = true;
    HostLine("replica loaded: " + std::to_string(codes) + " codes, " + std::to_string(snapshots) +
             " snapshots; every push is applied to it from now on");
}

void Session::LiveCheck() {
    if (!shared_.replica.Loaded()) return;
    const uint64_t generation = shared_.replica.Generation();
    shared_.replica.OpenWitness();
    shared_.replica.ApplyMarketVolume(ReadStatus(*driver_).hsi_volume);
    MarketImage pulled;
    const PullResult result = Pull(&pulled);
    std::this_thread::sleep_for(kFlushDelay);  // pushes of what the pull saw arrive meanwhile
    // A market reset meanwhile leaves nothing to compare: the replica is pulled again.
    const bool same_market = shared_.replica.Loaded() && shared_.replica.Generation() == generation;
    if (result == PullResult::kPulled && same_market) {
        shared_.replica.ApplyMarketVolume(ReadStatus(*driver_).hsi_volume);
        size_t total = 0;
        std::vector<hostkit::Difference> found =
            shared_.replica.Compare(pulled, CompareMode::kWitnessed, 3, &total);
        ++result_.live_checks;
        if (total > 0) {
            ++result_.live_check_failures;
            std::string text = "live check: the replica DIFFERS from the pull in " + std::to_string(total) +
                               " place(s):";
            for (const hostkit::Difference& d : found) text += " " + d.where + " " + d.detail + ";";
            HostLine(text);
        }
    }
    shared_.replica.CloseWitness();
}

void Session::Finish() {
    FinalCheck& check = result_.final_check;
    if (!result_.served) {
        check.note = "the driver never served: nothing to check";
        return;
    }
    if (options_.pause_feed) {
        HostLine("pausing the level-2 feed for the final check (l2cmd rate 0)");
        RunCommand(kHostConsole, {"l2cmd", "rate", "0"});
    }
    // Quiet: no snapshot update for a while (the pool flushes every 100 ms).
    const Clock::time_point give_up = Clock::now() + std::chrono::seconds(3);
    uint64_t seen = shared_.replica.Counters().snapshot_records;
    Clock::time_point quiet_since = Clock::now();
    bool quiet = false;
    while (Clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const uint64_t now = shared_.replica.Counters().snapshot_records;
        if (now != seen) {
            seen = now;
            quiet_since = Clock::now();
        } else if (Clock::now() - quiet_since >= std::chrono::milliseconds(800)) {
            quiet = true;
            break;
        }
    }
    check.exact = quiet;
    for (int attempt = 0; attempt < 3; ++attempt) {
        // After a reset the replica must be loaded again before it can be compared.
        for (int wait = 0; wait < 50 && !shared_.replica.Loaded(); ++wait) {
            next_pull_ = Clock::now();
            LoadReplicaIfNeeded();
            if (!shared_.replica.Loaded()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!shared_.replica.Loaded()) {
            check.note = driver_->IsWorking() == 1
                             ? "the replica could not be pulled again after a market reset"
                             : "the driver stopped serving after a market reset and did not come back";
            break;
        }
        const uint64_t generation = shared_.replica.Generation();
        if (!quiet) shared_.replica.OpenWitness();
        const uint64_t volume_before = ReadStatus(*driver_).hsi_volume;
        shared_.replica.ApplyMarketVolume(volume_before);
        MarketImage pulled;
        const PullResult result = Pull(&pulled);
        if (result != PullResult::kPulled) {
            check.note = result == PullResult::kNotServing ? "the driver stopped serving before the final pull"
                                                           : "the final pull failed: " + pull_error_;
            shared_.replica.CloseWitness();
            std::this_thread::sleep_for(std::chrono::seconds(1));
            continue;
        }
        std::this_thread::sleep_for(kFlushDelay);
        if (!shared_.replica.Loaded() || shared_.replica.Generation() != generation) {
            check.note = "the market was reset during the final pull";
            shared_.replica.CloseWitness();
            continue;
        }
        const uint64_t volume_after = ReadStatus(*driver_).hsi_volume;
        shared_.replica.ApplyMarketVolume(volume_after);
        check.samples = shared_.replica.Compare(pulled, quiet ? CompareMode::kExact : CompareMode::kWitnessed,
                                                kDifferenceSamples, &check.differences);
        shared_.replica.CloseWitness();
        check.done = true;
        check.note.clear();
        check.replica_equals_pull = check.differences == 0;
        const std::string previous = shared_.replica.PreviousDigest();
        const bool known = shared_.replica.PreviousDigestKnown();
        check.replica_digest = hostkit::CheckMarketDigest(shared_.replica.Image(), previous, known);
        check.pull_digest = hostkit::CheckMarketDigest(pulled, previous, known);
        check.digest_hex = hostkit::HexBytes(pulled.market.substr(hostkit::kDigestOffset, hostkit::kDigestSize));
        // A market total that moved between the two status reads: take it again.
        if (check.replica_equals_pull || volume_before == volume_after) break;
    }
    if (!quiet) check.note = "the driver kept pushing: compared against what it pushed meanwhile";
}

}  // namespace zephyr::hostapp
