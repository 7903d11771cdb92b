// What became of the driver's level-2 module, told by the driver's own log lines while it starts
// (the driver answers nothing else about it): loaded and started, or not, and then why, as far as
// the host can tell from the file without loading it. Fed from the log callback (any thread);
// read by the session once the driver has started.
#pragma once
#include <cstdint>
#include <string>

namespace zephyr::hostapp {

struct Level2Report {
    enum State {
        kUnknown,      // the driver said nothing about a module
        kNoneNamed,    // TransModule is empty: no module is configured (it is optional)
        kNotLoaded,    // the file could not be loaded
        kNoInterface,  // loaded, but without the exports of a module
        kStartFailed,  // its BeginDriverWork failed
        kStarted,
    };
    State state = kUnknown;
    std::string path;  // as the driver named it (GBK bytes as logged)
    std::string why;   // for kNotLoaded and kStartFailed
    bool Loaded() const { return state == kStarted; }
};

// Notes what one driver log line (GBK, as the driver sent it) says about the module.
void NoteLevel2Log(const char* module, const char* text, Level2Report* report);
// Why a module file cannot be loaded, judged from the file alone (relative to the working directory).
std::string WhyNotLoadable(const std::string& path);
// "started", "NOT LOADED", ...: the state in a word or two.
const char* Level2StateText(Level2Report::State state);

}  // namespace zephyr::hostapp
