#include "host/app/Session.h"

#include <cstring>
#include <thread>

#include "host/GbkText.h"

namespace zephyr::hostapp {

namespace {

using hostkit::GbkToUtf8;
using hostkit::MarketImage;
using hostkit::PullResult;
using Clock = SessionClock;

constexpr size_t kDifferenceSamples = 10;

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

hostkit::CheckHooks Session::Hooks() {
    hostkit::CheckHooks hooks;
    hooks.pull = [this](MarketImage* image) { return Pull(image); };
    hooks.wait = [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    hooks.refresh = [this] { m_Shared.replica.ApplyMarketVolume(ReadStatus(*m_Driver).hsi_volume); };
    return hooks;
}

void Session::LiveCheck() {
    if (!m_Shared.replica.Loaded()) return;
    const hostkit::CheckOutcome outcome = hostkit::CheckAgainstPull(m_Shared.replica, Hooks(), TimeRuleNow(), 3);
    // A market reset meanwhile leaves nothing to compare: the replica is pulled again.
    if (outcome.kind != hostkit::CheckOutcome::kEqual && outcome.kind != hostkit::CheckOutcome::kDiffers) return;
    ++m_Result.live_checks;
    if (outcome.kind == hostkit::CheckOutcome::kDiffers) {
        ++m_Result.live_check_failures;
        std::string text = "live check: the replica DIFFERS from the pull in " + std::to_string(outcome.differences) +
                           " place(s), " + std::to_string(outcome.waited_ms) + " ms after it:";
        for (const hostkit::Difference& d : outcome.samples) text += " " + d.where + " " + d.detail + ";";
        HostLine(text);
    }
}

void Session::Settle() {
    // Long enough for a market time that only the once-a-second header carries.
    constexpr auto kQuietFor = std::chrono::milliseconds(1300);
    const Clock::time_point give_up = Clock::now() + std::chrono::milliseconds(2500);
    uint64_t seen = m_Shared.replica.Counters().changes;
    Clock::time_point quiet_since = Clock::now();
    while (Clock::now() < give_up && Clock::now() - quiet_since < kQuietFor) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        m_Shared.replica.ApplyMarketVolume(ReadStatus(*m_Driver).hsi_volume);
        const uint64_t now = m_Shared.replica.Counters().changes;
        if (now != seen) {
            seen = now;
            quiet_since = Clock::now();
        }
    }
}

void Session::Finish() {
    FinalCheck& check = m_Result.final_check;
    const std::string not_live = NoteLive();
    if (!m_Result.served) {
        check.note = not_live.empty() ? "the driver never served: nothing to check"
                                      : "the driver did not serve: " + not_live;
        return;
    }
    if (m_Options.pause_feed) {
        HostLine("pausing the level-2 feed for the final check (l2cmd rate 0)");
        RunCommand(kHostConsole, {"l2cmd", "rate", "0"});
    }
    Settle();
    for (int attempt = 0; attempt < 3 && !check.done; ++attempt) {
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
        hostkit::CheckOutcome outcome = hostkit::CheckAgainstPull(m_Shared.replica, Hooks(), TimeRuleNow(),
                                                                  kDifferenceSamples);
        if (outcome.kind == hostkit::CheckOutcome::kNotPulled) {
            check.pull_broken = outcome.pull == PullResult::kBroken;
            check.note = outcome.pull == PullResult::kNotServing ? "the driver stopped serving before the final pull"
                                                                  : "the final pull failed: " + m_PullError;
            std::this_thread::sleep_for(std::chrono::seconds(1));
            continue;
        }
        if (outcome.kind == hostkit::CheckOutcome::kReset) {
            check.note = "the market was reset during the final pull";
            continue;
        }
        check.done = true;
        check.pull_broken = false;
        check.exact = outcome.quiet;
        check.differences = outcome.differences;
        check.samples = std::move(outcome.samples);
        check.replica_equals_pull = check.differences == 0;
        check.note = outcome.quiet ? "the driver was quiet"
                     : outcome.time_led
                         ? "the market time pulled, " + std::to_string(outcome.pulled.MarketTime()) +
                               ", is ahead of the replica's: outside its working window the driver moves it "
                               "without pushing it"
                         : "the driver kept changing its market: compared against what it pushed meanwhile";
        const std::string previous = m_Shared.replica.PreviousDigest();
        const bool known = m_Shared.replica.PreviousDigestKnown();
        check.replica_digest = hostkit::CheckMarketDigest(m_Shared.replica.Image(), previous, known);
        check.pull_digest = hostkit::CheckMarketDigest(outcome.pulled, previous, known);
        check.digest_hex =
            hostkit::HexBytes(outcome.pulled.market.substr(hostkit::kDigestOffset, hostkit::kDigestSize));
    }
}

void Session::CloseRecord() {
    if (m_Options.record_path.empty() || !m_Result.record_problem.empty()) return;
    const bool closed = m_Shared.record.Close();
    if (m_Shared.record_failed.load() || !closed) {
        m_Result.record_problem = "writing the push record " + m_Options.record_path + " failed: it is incomplete";
    } else {
        m_Result.recorded = true;
    }
}

}  // namespace zephyr::hostapp
