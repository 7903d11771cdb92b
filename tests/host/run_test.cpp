// zephyr-host run against a folder of one's own: it loads the folder's driver and nothing else,
// refuses a wrong set-up with a reason, and tells a driver outside its working window (not a
// fault) from one that failed. The folders are written by a short demo, whose Zephyr.ini is then
// changed; its holiday test stays short-circuited, so the weekday does not matter.
#include <gtest/gtest.h>

#include <string>

#include "host/ScratchFolder.h"
#include "tests/LibraryNames.h"
#include "tests/host/HostProgram.h"

namespace {

using hosttest::HostProgram;
using hosttest::Shell;
using hosttest::Value;
using zephyr::hostkit::ScratchFolder;

// Today's sample day, the driver, the module and their ini files in folder/day.
void WriteDay(const ScratchFolder& folder) {
    int status = -1;
    Shell(HostProgram() + " demo --seconds 1 --shares 50 --no-console --dir " + folder.Join("day") +
              hosttest::Dropped() + " 2>&1" + hosttest::NoInput(),
          &status);
    ASSERT_EQ(status, 0) << "the demo that writes the folder failed";
}

std::string WithWindow(const ScratchFolder& folder, const std::string& window) {
    std::string ini = folder.ReadFile("day/Zephyr.ini");
    const size_t at = ini.find("KPTime");
    return ini.substr(0, at) + window + ini.substr(ini.find("[HSI]"));
}

TEST(HostRun, OutsideTheWorkingWindowIsNoFaultAndTheExitStatusSaysSo) {
    ScratchFolder folder;
    WriteDay(folder);
    struct Case {
        const char* window;
        const char* served;
        const char* not_live;
    } cases[] = {
        // Before the opening time the driver does not serve at all.
        {"KPTime = 2400\r\nSPTime = 2400\r\n\r\n", "false", "\"outside the working window 24:00-24:00\""},
        // After the closing time it serves the day's market as it stood, and pushes no header.
        {"KPTime = 0\r\nSPTime = 0\r\n\r\n", "true", "\"outside the working window 00:00-00:00\""},
    };
    for (const Case& c : cases) {
        folder.WriteFile("day/Zephyr.ini", WithWindow(folder, c.window));
        int status = -1;
        const std::string json = Shell(HostProgram() + " run --seconds 3 --pause-feed --json --no-console --dir " +
                                           folder.Join("day") + " 2>" + folder.Join("screen.txt"),
                                       &status);
        const std::string trace = c.window + json + folder.ReadFile("screen.txt");
        EXPECT_EQ(status, 4) << trace;
        EXPECT_EQ(Value(json, "exit_status"), "4") << trace;
        EXPECT_EQ(Value(json, "served"), c.served) << trace;
        EXPECT_EQ(Value(json, "live"), "false") << trace;
        EXPECT_EQ(Value(json, "not_live"), c.not_live) << trace;
        EXPECT_EQ(Value(json, "live_check_failures"), "0") << trace;
        if (std::string(c.served) == "true") {
            EXPECT_EQ(Value(json, "replica_equals_pull"), "true") << trace;
        }
    }
}

TEST(HostRun, LoadsOnlyItsFoldersDriverAndRefusesAWrongSetUpWithAReason) {
    ScratchFolder folder;
    WriteDay(folder);
    folder.WriteFile("empty/.keep", "");
    const std::string day = folder.Join("day");
    const std::string kNoDriver = zephyr::tests::DriverFileName() + ": No such file or directory";
    struct Case {
        std::string arguments;
        int status;
        const char* said;
    } cases[] = {
        {"run --seconds 1 --dir " + folder.Join("empty"), 1, kNoDriver.c_str()},
        {"run --seconds 1 --driver " + folder.Join("none.so") + " --dir " + day, 1, "none.so: No such file or directory"},
        {"run --seconds 1 --record " + folder.Join("no/such/folder.rec") + " --dir " + day, 1,
         "cannot record the pushes"},
        {"run --help", 0, "Exit status:"},
        {"demo --help", 0, "4  the driver served no live market"},
    };
    for (const Case& c : cases) {
        int status = -1;
        const std::string out =
            Shell(HostProgram() + " " + c.arguments + " --no-console 2>&1" + hosttest::NoInput(), &status);
        EXPECT_EQ(status, c.status) << c.arguments << "\n" << out;
        EXPECT_NE(out.find(c.said), std::string::npos) << c.arguments << "\n" << out;
        EXPECT_EQ(out.find("pushes recorded in"), std::string::npos) << c.arguments << "\n" << out;
    }
    // Nothing was started elsewhere: no driver wrote its ini into the empty folder.
    EXPECT_FALSE(folder.Exists("empty/Zephyr.ini"));

    // With --json the summary still comes on stdout, with the reason and the exit status.
    int status = -1;
    const std::string json = Shell(HostProgram() + " run --seconds 1 --json --no-console --dir " + folder.Join("empty") +
                                       hosttest::Dropped("2") + hosttest::NoInput(),
                                   &status);
    EXPECT_EQ(status, 1) << json;
    ASSERT_FALSE(json.empty());
    EXPECT_EQ(json.front(), '{') << json;
    EXPECT_EQ(Value(json, "exit_status"), "1") << json;
    EXPECT_NE(Value(json, "problem").find(kNoDriver), std::string::npos) << json;
}

// The level-2 module is optional: a run whose TransModule is empty serves and is OK, with a note;
// a module that is named but cannot be loaded is a set-up problem.
TEST(HostRun, AnEmptyTransModuleIsANoteANamedModuleThatFailsIsNot) {
    ScratchFolder folder;
    WriteDay(folder);
    const std::string ini = folder.ReadFile("day/Zephyr.ini");
    const size_t line = ini.find("TransModule");
    const size_t end = ini.find("\r\n", line);
    struct Case {
        const char* module;
        int status;
        const char* state;
        const char* said;
    } cases[] = {
        {"", 0, "\"none configured\"", "note: no level-2 module is configured"},
        {"./nosuch.so", 1, "\"NOT LOADED\"", "no level-2 module: ./nosuch.so NOT LOADED"},
    };
    for (const Case& c : cases) {
        folder.WriteFile("day/Zephyr.ini", ini.substr(0, line) + "TransModule = " + c.module + ini.substr(end));
        int status = -1;
        const std::string json = Shell(HostProgram() + " run --seconds 3 --json --no-console --dir " +
                                           folder.Join("day") + " 2>" + folder.Join("screen.txt") + hosttest::NoInput(),
                                       &status);
        const std::string trace = c.module + std::string("\n") + json + folder.ReadFile("screen.txt");
        EXPECT_EQ(status, c.status) << trace;
        EXPECT_EQ(Value(json, "state"), c.state) << trace;
        EXPECT_EQ(Value(json, "loaded"), "false") << trace;
        EXPECT_NE(json.find(c.said), std::string::npos) << trace;
    }
}

// A module file that is no library: the driver goes on without level-2 data, and the host says
// so in its summary and its JSON, and does not call the demo a success.
TEST(HostDemo, AModuleThatCannotBeLoadedIsNamedWithTheReason) {
    ScratchFolder folder;
    folder.WriteFile("module.txt", "not a library\n");
    int status = -1;
    const std::string json = Shell(HostProgram() + " demo --seconds 2 --shares 50 --json --no-console --module " +
                                       folder.Join("module.txt") + " --dir " + folder.Join("demo") + " 2>" +
                                       folder.Join("screen.txt") + hosttest::NoInput(),
                                   &status);
    const std::string trace = json + folder.ReadFile("screen.txt");
    EXPECT_EQ(status, 1) << trace;
    EXPECT_EQ(Value(json, "loaded"), "false") << trace;
    EXPECT_EQ(Value(json, "state"), "\"NOT LOADED\"") << trace;
#ifdef _WIN32
    EXPECT_NE(json.find("\"problem\": \"not a DLL (no PE header)\""), std::string::npos) << trace;
#else
    EXPECT_NE(json.find("\"problem\": \"not a shared library (no ELF header)\""), std::string::npos) << trace;
#endif
    EXPECT_NE(json.find("no level-2 module: " + zephyr::tests::DefaultModule() + " NOT LOADED"), std::string::npos)
        << trace;
    EXPECT_EQ(trace.find("feeds 400 snapshots/s"), std::string::npos) << trace;
}

}  // namespace
