// Command words as an operator (or a hostile console) may type them, split at blanks, run by the
// driver's command handler over a started processing unit on a small generated day. Every text
// the handler sends goes through the host's "%s" format and is terminated within the writer's
// buffer; the handler never answers outside its result values.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/ConfigUnit.h"
#include "console/ConsoleWriter.h"
#include "console/DriverCommandHandler.h"
#include "driver/ProcessConsoleServices.h"
#include "foundation/MClock.h"
#include "foundation/MDateTime.h"
#include "foundation/MLog.h"
#include "fuzz/FuzzFiles.h"
#include "portable/FileSystem.h"
#include "portable/Library.h"
#include "process/ProcessIO.h"
#include "tools/sampleday/SampleDay.h"

using namespace zephyr;

namespace {

constexpr int32_t kMaxWords = 8;

int32_t CheckText(uint32_t, const char* format, ...) {
    if (strcmp(format, "%s") != 0) abort();
    va_list args;
    va_start(args, format);
    const char* text = va_arg(args, const char*);
    va_end(args);
    if (text == nullptr || memchr(text, '\0', ConsoleWriter::kFormatBuffer) == nullptr) abort();
    return 0;
}

int32_t IgnorePush(uint8_t, uint8_t, const void*, int32_t, uint8_t, uint16_t, uint8_t) { return 0; }

// A 12-share day of 2015-10-07 at 10:00, started as the start-up sequence starts it.
struct Driver {
    MLogger logger;
    MManualClock clock{MDateTime(2015, 10, 7).GetValue() + 10 * 3600, 0};  // 10:00 local
    ConfigUnit config{&logger, nullptr};
    ProcessIO process{&config, &logger};
    ProcessConsoleServices services{&process, &config};
    DriverCommandHandler handler{&services};

    Driver() {
        clock.Install();
        home = portable::WorkingFolder();
        if (home.empty()) abort();
        sampleday::Options day;
        day.date = 20151007;
        day.seed = 7;
        day.shares = 12;
        day.time = 95900;
        day.driverIni = true;
        std::string error;
        if (!sampleday::WriteSampleDay(day, fuzz::Folder(), error) || !Enter()) {
            fprintf(stderr, "sample day: %s\n", error.c_str());
            abort();
        }
        config.SetLibraryFileName((fuzz::Folder() + "Zephyr" + portable::LibrarySuffix()).c_str());
        if (config.Start() != 1) abort();
        config.GetIndexConfig().LoadIndexConfig(config);
        DriverWorkParams params;
        memset(&params, 0, sizeof params);
        params.frame_size = 8192;
        params.request_budget = 819200;
        params.push_data = &IgnorePush;
        params.console_output = &CheckText;
        params.console_reply = &CheckText;
        process.SetWorkParams(params);
        if (process.Start() != 1) abort();
        Leave();
    }
    // The driver reads its files relative to the working directory; libFuzzer reads its inputs
    // relative to the one it was started in.
    bool Enter() const { return portable::ChangeWorkingFolder(fuzz::Folder()); }
    void Leave() const {
        if (!portable::ChangeWorkingFolder(home)) abort();
    }

    std::string home;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Driver* driver = new Driver;
    // Words at blanks (and NUL bytes), each in an allocation of its own.
    std::vector<std::vector<char>> words;
    std::vector<char> word;
    for (size_t i = 0; i <= size && words.size() < kMaxWords; ++i) {
        const char c = i < size ? static_cast<char>(data[i]) : ' ';
        if (c == ' ' || c == '\0' || c == '\t') {
            if (!word.empty()) {
                word.push_back('\0');
                words.push_back(word);
                word.clear();
            }
        } else {
            word.push_back(c);
        }
    }
    std::vector<char*> argv;
    for (std::vector<char>& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    if (!driver->Enter()) abort();
    const int32_t result = driver->handler.ExecuteCommand(17, argv.data(), static_cast<int32_t>(words.size()));
    driver->Leave();
    if (result != 1 && result != DriverCommandHandler::kDataUsage && result != DriverCommandHandler::kNametableUsage)
        abort();
    return 0;
}
