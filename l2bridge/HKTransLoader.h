// The level-2 bridge: hosts the level-2 transmission module, a second library with the nine
// driver exports. The driver plays the host's part towards it: loads it, starts it with a
// DriverWorkParams whose callbacks lead back here, hands its level-2 pushes to the owner's
// Level2Sink, writes its log lines into the driver's log and forwards console commands to it.
//
// One module per process, so every operation is class-level. The owner (the processing unit)
// passes itself as the sink at initialize; the module's callbacks, being plain C functions,
// reach it through the process-wide pointer kept here. initialize and release run on the
// owner's thread; the callbacks and the packet services on the module's threads.
//
// Module lines go to the sink's logger with module text "港股L2传输<HKTransLoader::OnCbLog()>";
// the bridge's own lines with "加载港股L2传输", "启动港股L2传输" or "卸载港股L2传输".
#pragma once
#include <cstdint>

#include "zephyr/DriverInterface.h"
#include "l2bridge/Level2Reach.h"

namespace zephyr {

class Level2Sink;

class HKTransLoader {
public:
    static constexpr uint8_t kPushMainType = 2;
    static constexpr uint8_t kPushSubType = 41;
    static constexpr uint32_t kHostVersionWord = 0x02590037;  // 6.01, build 55
    static constexpr uint32_t kRequestBudget = 819200;
    static constexpr uint16_t kFrameSize = 8192;
    static constexpr int32_t kUnpackWork = 16384;

    // Makes sink the owner (kept until the next initialize or Detach), releases any module,
    // then loads the module file named by the sink and starts it. 0 on success; -1 the file
    // cannot be loaded; -2 an entry is missing; the module's own negative BeginDriverWork
    // result. After any failure no module is loaded. A null sink: -1, nothing logged.
    static int32_t initialize(Level2Sink* sink);
    // Stops (when started) and unloads the module. Logs a line on every call. 1 when a module
    // was unloaded, 0 when none was loaded.
    static int32_t release();
    // Forgets the owner: later callbacks reach nothing. For an owner about to go away, after
    // release (which joins the module's threads, so none is still inside the owner).
    // Should the library be unloaded with the module still running, the module is stopped and
    // unloaded then, without a log line.
    static void Detach();

    // 1 after a successful start, 0 otherwise.
    static int32_t GetStartedCount();
    // Runs ExecuteCommand of the module's console object with exactly these values and returns
    // its result; 0 without calling anything when no module is loaded or it has no console
    // object. reach (when given) tells which.
    static int32_t ForwardCommand(uint32_t console, char** argv, int32_t argc, Level2Reach* reach = nullptr);
    // The record the module was last started with (all zero before the first start).
    static DriverWorkParams GetModuleParams();

    // The module's callbacks (DriverWorkParams offsets 16 and 20).
    // Pushes other than main type 2 / sub type 41, of a length outside 1..65535, or arriving
    // while the sink says stopped are dropped. A compressed push is unpacked (L2PacketServices)
    // and handed on without its 11-byte header; one that does not unpack is dropped.
    static int32_t OnCbPush(uint8_t main_type, uint8_t sub_type, const void* data, int32_t length,
                            uint8_t market, uint16_t driver_id, uint8_t compressed);
    // Formats format with the arguments into 4096 bytes and logs the result as text at level 1.
    static int32_t OnCbLog(int32_t level, uint16_t driver_id, int32_t reserved, const char* module,
                           const char* format, ...) __attribute__((format(printf, 5, 6)));
};

}  // namespace zephyr
