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
    ++m_Result.pulls;
    PullResult pulled = hostkit::PullMarketImage(*m_Driver, m_Options.frame_size, image, &m_PullError);
    if (pulled != PullResult::kPulled) ++m_Result.pull_failures;
    // Said once per kind of fault, not at every retry.
    if (pulled == PullResult::kBroken && m_PullError != m_LastPullError) HostLine("pull refused: " + m_PullError);
    if (pulled == PullResult::kBroken) m_LastPullError = m_PullError;
    return pulled;
}

void Session::RefreshCategories(const MarketImage& image) {
    std::string text;
    for (const std::string& category : image.categories) {
        const std::string name = GbkToUtf8(std::string(category.data(), strnlen(category.data(), 8)));
        if (!text.empty()) text += ", ";
        text += name + " " + std::to_string(hostkit::LoadU16(category.data() + 11));
    }
    m_CategoriesText = text.empty() ? "-" : text;
}

void Session::LoadReplicaIfNeeded() {
    if (m_Shared.replica.Loaded() || Clock::now() < m_NextPull) return;
    m_NextPull = Clock::now() + std::chrono::milliseconds(500);
    if (m_Driver->IsWorking() != 1) return;
    const uint64_t generation = m_Shared.replica.Generation();
    MarketImage image;
    if (Pull(&image) != PullResult::kPulled) return;
    RefreshCategories(image);
    const size_t codes = image.Of(hostkit::Table::kCodes).Count();
    const size_t snapshots = image.Of(hostkit::Table::kSnapshots).Count();
    if (!m_Shared.replica.Install(std::move(image), generation)) {
        HostLine("the market was reset during the pull: pulling again");
        return;
    }
    const DriverStatusInfo status = ReadStatus(*m_Driver);
    m_Shared.replica.ApplyMarketVolume(status.hsi_volume);
    m_Result.served = true;
    HostLine("replica loaded: " + std::to_string(codes) + " codes, " + std::to_string(snapshots) +
             " snapshots; every push is applied to it from now on");
}

void Session::LiveCheck() {
    if (!m_Shared.replica.Loaded()) return;
    const uint64_t generation = m_Shared.replica.Generation();
    m_Shared.replica.OpenWitness();
    m_Shared.replica.ApplyMarketVolume(ReadStatus(*m_Driver).hsi_volume);
    MarketImage pulled;
    const PullResult result = Pull(&pulled);
    std::this_thread::sleep_for(kFlushDelay);  // pushes of what the pull saw arrive meanwhile
    // A market reset meanwhile leaves nothing to compare: the replica is pulled again.
    const bool same_market = m_Shared.replica.Loaded() && m_Shared.replica.Generation() == generation;
    if (result == PullResult::kPulled && same_market) {
        m_Shared.replica.ApplyMarketVolume(ReadStatus(*m_Driver).hsi_volume);
        size_t total = 0;
        std::vector<hostkit::Difference> found =
            m_Shared.replica.Compare(pulled, CompareMode::kWitnessed, 3, &total);
        ++m_Result.live_checks;
        if (total > 0) {
            ++m_Result.live_check_failures;
            std::string text = "live check: the replica DIFFERS from the pull in " + std::to_string(total) +
                               " place(s):";
            for (const hostkit::Difference& d : found) text += " " + d.where + " " + d.detail + ";";
            HostLine(text);
        }
    }
    m_Shared.replica.CloseWitness();
}

void Session::Finish() {
    FinalCheck& check = m_Result.final_check;
    if (!m_Result.served) {
        check.note = "the driver never served: nothing to check";
        return;
    }
    if (m_Options.pause_feed) {
        HostLine("pausing the level-2 feed for the final check (l2cmd rate 0)");
        RunCommand(kHostConsole, {"l2cmd", "rate", "0"});
    }
    // Quiet: no snapshot update for a while (the pool flushes every 100 ms).
    const Clock::time_point give_up = Clock::now() + std::chrono::seconds(3);
    uint64_t seen = m_Shared.replica.Counters().snapshot_records;
    Clock::time_point quiet_since = Clock::now();
    bool quiet = false;
    while (Clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const uint64_t now = m_Shared.replica.Counters().snapshot_records;
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
        for (int wait = 0; wait < 50 && !m_Shared.replica.Loaded(); ++wait) {
            m_NextPull = Clock::now();
            LoadReplicaIfNeeded();
            if (!m_Shared.replica.Loaded()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!m_Shared.replica.Loaded()) {
            check.note = m_Driver->IsWorking() == 1
                             ? "the replica could not be pulled again after a market reset"
                             : "the driver stopped serving after a market reset and did not come back";
            break;
        }
        const uint64_t generation = m_Shared.replica.Generation();
        if (!quiet) m_Shared.replica.OpenWitness();
        const uint64_t volume_before = ReadStatus(*m_Driver).hsi_volume;
        m_Shared.replica.ApplyMarketVolume(volume_before);
        MarketImage pulled;
        const PullResult result = Pull(&pulled);
        if (result != PullResult::kPulled) {
            check.note = result == PullResult::kNotServing ? "the driver stopped serving before the final pull"
                                                           : "the final pull failed: " + m_PullError;
            m_Shared.replica.CloseWitness();
            std::this_thread::sleep_for(std::chrono::seconds(1));
            continue;
        }
        std::this_thread::sleep_for(kFlushDelay);
        if (!m_Shared.replica.Loaded() || m_Shared.replica.Generation() != generation) {
            check.note = "the market was reset during the final pull";
            m_Shared.replica.CloseWitness();
            continue;
        }
        const uint64_t volume_after = ReadStatus(*m_Driver).hsi_volume;
        m_Shared.replica.ApplyMarketVolume(volume_after);
        check.samples = m_Shared.replica.Compare(pulled, quiet ? CompareMode::kExact : CompareMode::kWitnessed,
                                                kDifferenceSamples, &check.differences);
        m_Shared.replica.CloseWitness();
        check.done = true;
        check.note.clear();
        check.replica_equals_pull = check.differences == 0;
        const std::string previous = m_Shared.replica.PreviousDigest();
        const bool known = m_Shared.replica.PreviousDigestKnown();
        check.replica_digest = hostkit::CheckMarketDigest(m_Shared.replica.Image(), previous, known);
        check.pull_digest = hostkit::CheckMarketDigest(pulled, previous, known);
        check.digest_hex = hostkit::HexBytes(pulled.market.substr(hostkit::kDigestOffset, hostkit::kDigestSize));
        // A market total that moved between the two status reads: take it again.
        if (check.replica_equals_pull || volume_before == volume_after) break;
    }
    if (!quiet) check.note = "the driver kept pushing: compared against what it pushed meanwhile";
}

}  // namespace zephyr::hostapp
