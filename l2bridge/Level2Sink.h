// What the level-2 bridge needs from its owner (the processing unit): where level-2 pushes go,
// whether they may still go there, where log lines go, and two settings.
//
// The bridge calls these from the module's threads (pushes, log lines) and from the thread that
// runs initialize / release (settings, log lines). An owner implements them thread-safely.
#pragma once
#include <cstdint>

#include "zephyr/DriverInterface.h"
#include "foundation/MString.h"

namespace zephyr {

class MLogger;

class Level2Sink {
public:
    virtual ~Level2Sink() = default;

    // One level-2 push of 1..65535 bytes (main type 2, sub type 41, market number 30), valid
    // only during the call. After the driver stopped it must change nothing: the bridge asks
    // IsLevel2Stopped first, but a push may pass that question just before a stop, so the
    // owner's entry keeps its own guard (Level2PushHandler::Close waits for such a push).
    virtual void OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data,
                              uint16_t length, uint8_t market) = 0;
    // True while level-2 pushes are to be dropped (the driver is stopped): the bridge then
    // neither unpacks nor forwards them.
    virtual bool IsLevel2Stopped() const = 0;

    // Where the bridge's own lines and the module's log lines go (may be null: dropped).
    virtual MLogger* Level2Logger() = 0;
    // Path of the module file ("TransModule").
    virtual MString Level2ModulePath() const = 0;
    // The console reply callback of the host's DriverWorkParams; the module writes its console
    // output through it (may be null).
    virtual ConsoleReplyCallback Level2ConsoleReply() const = 0;
};

}  // namespace zephyr
