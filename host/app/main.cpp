// zephyr-host: a stand-in host quote system for a source driver library.
//
//   zephyr-host demo [options]          today's sample day with the level-2 feed, then a summary
//   zephyr-host run [options]           a driver against a folder of one's own
//   zephyr-host show-record FILE        what a session recorded with --record
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "host/GbkText.h"
#include "host/PushDecoder.h"
#include "host/PushRecordFile.h"
#include "host/app/DemoSetup.h"
#include "host/app/HostSession.h"
#include "host/app/Summary.h"
#include "host/app/Verdict.h"
#include "portable/Console.h"
#include "portable/FileSystem.h"
#include "portable/Library.h"
#include "portable/LocalTime.h"
#include "portable/Process.h"
#include "tools/sampleday/Layout.h"
#include "tools/sampleday/SampleDay.h"

namespace {

using zephyr::hostapp::DemoOptions;
using zephyr::hostapp::SessionOptions;

void Usage(FILE* to) {
    fprintf(to,
            "usage: zephyr-host demo [--seconds N] [--dir DIR] [--shares N] [--rate N] [--seed N]\n"
            "                        [--driver SO] [--module SO] [--record FILE] [--json] [--check-every N]\n"
            "                        [--no-console]\n"
            "       zephyr-host run [--dir DIR] [--driver SO] [--seconds N] [--record FILE] [--json]\n"
            "                       [--check-every N] [--pause-feed] [--no-console] [--frame-size N] [--budget N]\n"
            "       zephyr-host show-record FILE [--frames]\n"
            "\n"
            "demo   writes today's sample trading day into DIR (default ./work/demo-YYYYMMDD) with a\n"
            "       Zephyr.ini covering the whole day, copies the driver (--driver, default the built\n"
            "       Zephyr.so) and the level-2 module (--module, default the built nimbus.so) there, runs\n"
            "       the driver with a level-2 feed of --rate snapshots/s (default 400) for --seconds\n"
            "       (default 30), and ends with a summary: instruments, updates received, biggest movers,\n"
            "       the replica checked against a final pull and the market digest. --shares (default\n"
            "       2600) and --seed (default 1) shape the day.\n"
            "run    loads DIR/Zephyr.so (DIR\\Zephyr.dll on Windows; DIR default: the current directory),\n"
            "       or --driver SO, and nothing else, with DIR as working directory; the driver reads the\n"
            "       Zephyr.ini beside itself.\n"
            "       Runs until Ctrl-C, 'quit' or --seconds (default: no limit). --pause-feed sends\n"
            "       'l2cmd rate 0' before the final check. --frame-size (default 8192) and --budget\n"
            "       (default 819200) are the frame size and request budget the host hands the driver.\n"
            "both   --seconds N: a number above 0. --check-every N compares the replica with a fresh pull\n"
            "       every N s (default 0: only at the end). --record FILE keeps every push received\n"
            "       (show-record lists them; --frames names each frame). --json prints the summary as JSON\n"
            "       on stdout (everything else goes to stderr). --no-console reads no operator lines.\n"
            "While it runs, lines typed are console commands for the driver (try: help, ver,\n"
            "show stat, print marketinfo, l2help, l2cmd status); 'quit' (or 'exit') stops.\n"
            "%s",
            zephyr::hostapp::ExitStatusTable());
}

bool ReadNumber(const char* text, double* value) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    *value = strtod(text, &end);
    return errno == 0 && *end == '\0' && *value >= 0;
}

// The file can be opened for reading; errno says why not.
bool Exists(const std::string& path) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    fclose(file);
    return true;
}

const std::string kDriverFile = "Zephyr" + std::string(zephyr::portable::LibrarySuffix());
const std::string kModuleFile = zephyr::sampleday::ModuleFile();

// The system's separators: Windows names its paths with '\\', and takes '/' too.
size_t LastSeparator(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (zephyr::portable::IsPathSeparator(path[i - 1])) return i - 1;
    }
    return std::string::npos;
}

bool IsAbsolute(const std::string& path) {
    using zephyr::portable::IsPathSeparator;
    if (!path.empty() && IsPathSeparator(path[0])) return true;
    return path.size() >= 3 && path[1] == ':' && IsPathSeparator(path[2]);  // C:\...
}

std::string ExecutableDir() {
    const std::string program = zephyr::portable::ProgramFile();
    const size_t slash = LastSeparator(program);
    return slash == std::string::npos ? "." : program.substr(0, slash);
}

// The products sit beside the host's own build folder (the host in DIR/host/, the driver in DIR,
// the module in DIR/l2sim/), under lib/zephyr of an installed tree, or beside the program (as
// the Windows package lays them out).
std::string Product(const std::string& in_build, const std::string& name) {
    const std::string here = ExecutableDir();
    const std::string built = here + "/../" + in_build;
    for (const std::string& installed : {here + "/../lib/zephyr/" + name, here + "/" + name}) {
        if (!Exists(built) && Exists(installed)) return installed;
    }
    return built;
}
std::string BuiltDriver() { return Product(kDriverFile, kDriverFile); }
std::string BuiltModule() { return Product("l2sim/" + kModuleFile, kModuleFile); }

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || IsAbsolute(path)) return path;
    const std::string cwd = zephyr::portable::WorkingFolder();
    return cwd.empty() ? path : cwd + "/" + path;
}

int Finish(const SessionOptions& options, const zephyr::hostapp::SessionResult& result) {
    if (options.json) {
        zephyr::hostapp::PrintJsonSummary(stdout, options, result);
    } else {
        zephyr::hostapp::PrintSummary(stdout, options, result);
    }
    return static_cast<int>(result.Judge(options, nullptr));
}

// A set-up that fails before any driver runs: said on the screen, and with --json the summary
// still comes on stdout, with the reason and exit status 1.
int SetUpFailed(const SessionOptions& options, const std::string& why) {
    fprintf(stderr, "zephyr-host: %s\n", why.c_str());
    if (!options.json) return 1;
    zephyr::hostapp::SessionResult result;
    result.load_error = why;
    return Finish(options, result);
}

const char* FrameName(uint8_t type) {
    switch (type) {
        case zephyr::hostkit::kPushMarketHeader: return "header";
        case zephyr::hostkit::kPushSnapshots: return "snapshot";
        case zephyr::hostkit::kPushQuotaStatus: return "quota";
        case zephyr::hostkit::kPushIndexes: return "index";
        case zephyr::hostkit::kPushProductStatus: return "status";
        default: return "?";
    }
}

int ShowRecord(int argc, char** argv) {
    if (argc < 3) {
        Usage(stderr);
        return 2;
    }
    const bool frames = argc >= 4 && strcmp(argv[3], "--frames") == 0;
    zephyr::hostkit::PushRecordReader reader;
    std::string error;
    if (!reader.Open(argv[2], &error)) {
        fprintf(stderr, "zephyr-host: %s\n", error.c_str());
        return 1;
    }
    if (frames) {
        printf("frames: [header] market header (type 0), [snapshot xN CODE] N snapshots from CODE (1),\n"
               "        [quota] quota status (3), [index xN CODE] index entries (4), [status xN CODE] product\n"
               "        status (5); market time is the push's own 4-byte time\n");
    }
    zephyr::hostkit::RecordedPush push;
    zephyr::hostkit::DecodedPush decoded;
    unsigned long long count = 0, snapshots = 0, bad = 0, first = 0, last = 0;
    int r;
    while ((r = reader.Next(&push, &error)) == 1) {
        if (count == 0) first = push.micros;
        last = push.micros;
        ++count;
        const bool ok = zephyr::hostkit::DecodePush(push.bytes.data(), push.bytes.size(), &decoded);
        if (!ok) ++bad;
        for (const auto& frame : decoded.frames) {
            if (frame.type == zephyr::hostkit::kPushSnapshots) snapshots += frame.records;
        }
        if (!frames) continue;
        std::tm local{};
        zephyr::portable::LocalTimeOf(static_cast<int64_t>(push.micros / 1000000), &local);
        printf("%02d:%02d:%02d.%06llu push %u/%u market %u driver %u%s %zu bytes, market time %06u:",
               local.tm_hour, local.tm_min, local.tm_sec, static_cast<unsigned long long>(push.micros % 1000000),
               push.main_type, push.sub_type, push.market, push.driver_id, push.compressed ? " compressed" : "",
               push.bytes.size(), decoded.market_time);
        for (const auto& frame : decoded.frames) {
            if (frame.type == zephyr::hostkit::kPushSnapshots || frame.type == zephyr::hostkit::kPushIndexes ||
                frame.type == zephyr::hostkit::kPushProductStatus) {
                printf(" [%s x%zu %.6s]", FrameName(frame.type), frame.records, frame.payload);
            } else {
                printf(" [%s]", FrameName(frame.type));
            }
        }
        printf("%s%s\n", ok ? "" : " NOT UNDERSTOOD: ", ok ? "" : decoded.error.c_str());
    }
    if (r < 0) printf("damaged record: %s\n", error.c_str());
    printf("%llu pushes over %.1f s, %llu snapshot updates, %llu not understood\n", count,
           count > 0 ? (last - first) / 1e6 : 0.0, snapshots, bad);
    return r < 0 || bad > 0 ? 3 : 0;
}

// Options shared by demo and run; false on a bad option.
bool ParseCommon(int argc, char** argv, SessionOptions* session, DemoOptions* demo, bool is_demo) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        // A number in [low, high]; a refusal says in one line what was wrong and what is allowed.
        auto number = [&](double low, double high, double* out) {
            const char* given = i + 1 < argc ? argv[i + 1] : nullptr;
            if (given == nullptr || !ReadNumber(given, out) || *out < low || *out > high) {
                fprintf(stderr, "zephyr-host: %s takes a number from %.0f to %.0f, %s%s%s\n", arg.c_str(), low,
                        high, given == nullptr ? "none was given" : "not '", given == nullptr ? "" : given,
                        given == nullptr ? "" : "'");
                return false;
            }
            ++i;
            return true;
        };
        auto value = [&](double* out) { return number(0, 4294967295.0, out); };
        auto text = [&](std::string* out) {
            if (i + 1 >= argc) {
                fprintf(stderr, "zephyr-host: %s needs a value\n", arg.c_str());
                return false;
            }
            *out = argv[++i];
            return true;
        };
        double n = 0;
        if (arg == "--seconds") {
            // Above 0: leaving it out is how a run goes on until it is stopped.
            const char* given = i + 1 < argc ? argv[i + 1] : nullptr;
            if (given == nullptr || !ReadNumber(given, &session->seconds) || session->seconds <= 0 ||
                session->seconds > 4294967295.0) {
                fprintf(stderr, "zephyr-host: --seconds takes a number above 0, %s%s%s\n",
                        given == nullptr ? "none was given" : "not '", given == nullptr ? "" : given,
                        given == nullptr ? "" : "'");
                return false;
            }
            ++i;
        } else if (arg == "--dir") {
            if (!text(&session->work_dir)) return false;
        } else if (arg == "--driver") {
            if (!text(&session->driver_path)) return false;
        } else if (arg == "--record") {
            if (!text(&session->record_path)) return false;
        } else if (arg == "--json") {
            session->json = true;
        } else if (arg == "--check-every") {
            if (!value(&n)) return false;
            session->check_every = static_cast<unsigned>(n);
        } else if (arg == "--pause-feed" && !is_demo) {
            session->pause_feed = true;
        } else if (arg == "--no-console") {
            session->read_console = false;
        } else if (arg == "--frame-size" && !is_demo) {
            if (!number(1, 65535, &n)) return false;
            session->frame_size = static_cast<uint16_t>(n);
        } else if (arg == "--budget" && !is_demo) {
            if (!value(&n)) return false;
            session->request_budget = static_cast<uint32_t>(n);
        } else if (arg == "--shares" && is_demo) {
            if (!number(1, zephyr::sampleday::kMaxShares, &n)) return false;
            demo->shares = static_cast<uint32_t>(n);
        } else if (arg == "--rate" && is_demo) {
            if (!number(0, 1000000, &n)) return false;
            demo->rate = static_cast<uint32_t>(n);
        } else if (arg == "--seed" && is_demo) {
            if (!number(0, 9007199254740992.0, &n)) return false;
            demo->seed = static_cast<uint64_t>(n);
        } else if (arg == "--module" && is_demo) {
            if (!text(&demo->module_source)) return false;
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            exit(0);
        } else {
            fprintf(stderr, "zephyr-host: unknown option %s for %s (zephyr-host --help lists them)\n",
                    arg.c_str(), is_demo ? "demo" : "run");
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    zephyr::portable::UseUtf8Console();  // every text of this program is UTF-8
    if (argc < 2 || strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "help") == 0) {
        Usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    if (command == "show-record") return ShowRecord(argc, argv);
    if (command != "demo" && command != "run") {
        fprintf(stderr, "zephyr-host: unknown command %s\n", command.c_str());
        Usage(stderr);
        return 2;
    }
    const bool is_demo = command == "demo";
    SessionOptions session;
    DemoOptions demo;
    if (is_demo) session.seconds = 30;
    if (!ParseCommon(argc, argv, &session, &demo, is_demo)) return 2;
    // Relative paths given by the operator mean the directory the program was started in.
    session.record_path = AbsolutePath(session.record_path);
    if (is_demo) {
        session.demo = true;
        demo.dir = session.work_dir;
        demo.driver_source = session.driver_path.empty() ? BuiltDriver() : session.driver_path;
        if (demo.module_source.empty()) demo.module_source = BuiltModule();
        // The feed ends two seconds before the demo does: the final check then finds it quiet. A
        // short demo keeps it going: the driver opens its market about two seconds after the start,
        // and the final check pauses the feed anyway.
        demo.feed_seconds = session.seconds > 6 ? session.seconds - 2 : 0;
        zephyr::hostapp::DemoFolder folder;
        std::string error;
        if (!zephyr::hostapp::PrepareDemo(demo, &folder, &error)) return SetUpFailed(session, "demo folder: " + error);
        // Generating the day freed tens of megabytes the allocator would keep mapped; given back
        // before the driver is loaded, the memory samples show the driver, not the generator.
        zephyr::portable::ReturnFreedMemory();
        session.work_dir = folder.dir;
        session.driver_path = folder.driver;
        session.pause_feed = true;
        session.ini_notes = folder.notes;
    } else {
        // The driver of the folder, or the one named: never another one found elsewhere.
        const std::string dir = session.work_dir.empty() ? std::string(".") : session.work_dir;
        const bool named = !session.driver_path.empty();
        session.driver_path = AbsolutePath(named ? session.driver_path : dir + "/" + kDriverFile);
        if (!Exists(session.driver_path)) {
            const std::string reason = strerror(errno);
            return SetUpFailed(session, session.driver_path + ": " + reason +
                                            (named ? "" : " (copy the driver into the folder, or name it with --driver)"));
        }
    }
    const zephyr::hostapp::SessionResult result = zephyr::hostapp::RunSession(session);
    return Finish(session, result);
}
