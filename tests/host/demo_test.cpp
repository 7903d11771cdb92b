// The main job end to end: zephyr-host generates today's sample day, runs the built driver with
// the stand-in level-2 feed for a few seconds without a terminal, and reports in JSON. The
// replica it kept from pulls and pushes must equal a final pull and the market digest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/ScratchFolder.h"
#include "tests/host/HostProgram.h"

namespace {

using hosttest::Number;
using hosttest::Shell;
using hosttest::Value;

// Runs the demo in `folder` with extra options; the JSON summary, and everything for a failure
// message in `trace`.
std::string RunDemo(const zephyr::hostkit::ScratchFolder& folder, const std::string& options,
                    const std::string& operator_input, int* status, std::string* trace) {
    const std::string host = hosttest::HostProgram();
    // In the sanitizer build the child checks its leaks at exit too, the driver's included (it
    // is unloaded before): a leak fails the exit status.
    const std::string input = operator_input.empty() ? hosttest::NoInput() + " " : "";
    const std::string json = Shell(operator_input + host + " demo --shares 800 --json --dir " +
                                       folder.Join("demo") + " " + options + " " + input + "2>" +
                                       folder.Join("host.log"),
                                   status);
    *trace = "summary:\n" + json + "\nscreen:\n" + folder.ReadFile("host.log");
    return json;
}

TEST(HostDemo, ReplicaEqualsTheFinalPullAndTheDigest) {
    zephyr::hostkit::ScratchFolder folder;
    const std::string host = hosttest::HostProgram();
    int status = -1;
    std::string trace;
    const std::string json =
        RunDemo(folder, "--seconds 8 --no-console --record " + folder.Join("pushes.rec"), "", &status, &trace);
    ASSERT_NE(json.find("\"final_check\""), std::string::npos) << trace;

    EXPECT_EQ(Value(json, "begin_result"), "1") << trace;
    EXPECT_EQ(Value(json, "served"), "true") << trace;
    EXPECT_GT(Number(json, "instruments"), 800u) << trace;  // the shares and the indexes
    EXPECT_GT(Number(json, "snapshot_updates"), 0u) << trace;
    // Distinct codes updated: some, and never more than the day's shares.
    EXPECT_GT(Number(json, "codes_updated"), 0u) << trace;
    EXPECT_LE(Number(json, "codes_updated"), 800u) << trace;
    EXPECT_EQ(Value(json, "bad_pushes"), "0") << trace;
    EXPECT_EQ(Value(json, "done"), "true") << trace;
    EXPECT_EQ(Value(json, "replica_equals_pull"), "true") << trace;
    EXPECT_EQ(Value(json, "digest_ok"), "true") << trace;
    EXPECT_EQ(Value(json, "pull_digest_ok"), "true") << trace;
    EXPECT_EQ(Value(json, "ok"), "true") << trace;
    EXPECT_EQ(status, 0) << trace;
    // The screen shows the driver's log lines in UTF-8: the holiday short-circuit warning that
    // the demo's ini causes, as UTF-8 bytes (literals of this file are GBK).
    EXPECT_NE(trace.find("WARN  Zephyr: \xe7\x9f\xad\xe8\xb7\xaf\xe8\x8a\x82\xe5\x81\x87\xe6\x97\xa5"
                         "\xe5\x88\xa4\xe6\x96\xad\xe9\x80\xbb\xe8\xbe\x91"),
              std::string::npos)
        << trace;
    // Nothing but the summary on stdout: the driver's own diagnostic lines go to the screen.
    EXPECT_EQ(json.front(), '{') << trace;

    // The record holds every push the summary counted.
    const std::string shown = Shell(host + " show-record " + folder.Join("pushes.rec"), &status);
    EXPECT_EQ(status, 0) << shown;
    EXPECT_NE(shown.find(Value(json, "pushes") + " pushes over"), std::string::npos) << shown;
    EXPECT_NE(shown.find(Value(json, "snapshot_updates") + " snapshot updates"), std::string::npos) << shown;
}

}  // namespace

namespace {

// An operator forces a re-initialisation while the host holds the market: the driver calls the
// market reset, the host drops its replica, pulls again once the driver serves, and the new
// digest, computed over the previous one, still checks.
TEST(HostDemo, AMarketResetIsFollowedByAFreshPull) {
#ifdef _WIN32
    GTEST_SKIP() << "the operator's input is a POSIX shell loop";
#endif
    zephyr::hostkit::ScratchFolder folder;
    int status = -1;
    std::string trace;
    // The operator waits (at most 20 s) until the host says its replica is loaded.
    const std::string wait = "(for i in $(seq 100); do grep -q 'replica loaded' " + folder.Join("host.log") +
                             " 2>/dev/null && break; sleep 0.2; done; sleep 1; echo reinstance) | ";
    const std::string json = RunDemo(folder, "--seconds 12", wait, &status, &trace);
    ASSERT_NE(json.find("\"final_check\""), std::string::npos) << trace;
    EXPECT_EQ(Value(json, "resets"), "1") << trace;
    EXPECT_GE(Number(json, "pulls"), 3u) << trace;  // start, after the reset, the final check
    EXPECT_EQ(Value(json, "replica_equals_pull"), "true") << trace;
    EXPECT_EQ(Value(json, "digest_check"), "\"matches (over the previous digest)\"") << trace;
    EXPECT_EQ(Value(json, "ok"), "true") << trace;
    EXPECT_EQ(status, 0) << trace;
}

}  // namespace

namespace {

// A refused option is told in one line, with what is allowed, and the program exits 2 without
// starting anything or printing the whole usage text.
TEST(HostOptions, ARefusedOptionSaysWhatIsAllowedInOneLine) {
    const std::string host = hosttest::HostProgram();
    struct Case {
        const char* arguments;
        const char* said;
    } cases[] = {
        {"demo --rate 2000000", "--rate takes a number from 0 to 1000000, not '2000000'"},
        {"demo --shares 0", "--shares takes a number from 1 to "},
        {"demo --seconds", "--seconds takes a number above 0, none was given"},
        {"demo --seconds -3", "not '-3'"},
        {"run --seconds 0", "--seconds takes a number above 0, not '0'"},
        {"run --frame-size 70000", "--frame-size takes a number from 1 to 65535, not '70000'"},
        {"demo --frame-size 100", "unknown option --frame-size for demo"},
    };
    for (const Case& c : cases) {
        int status = -1;
        const std::string err =
            Shell(host + " " + c.arguments + " 2>&1" + hosttest::Dropped() + hosttest::NoInput(), &status);
        EXPECT_EQ(status, 2) << c.arguments;
        EXPECT_NE(err.find(c.said), std::string::npos) << c.arguments << ": " << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.arguments << ": " << err;
        EXPECT_EQ(err.find("usage"), std::string::npos) << c.arguments;
    }
}

}  // namespace
