// The driver's start-up and shut-down sequences and the records it answers at any time, over the
// units handed in (the shared object holds the process-wide ones).
#pragma once
#include <cstdint>

#include "zephyr/DriverInterface.h"

namespace zephyr {

class ConfigUnit;
class HostLogSink;
class MLogger;
class MTickCounter;
class ProcessIO;
class StatusUnit;

struct DriverUnits {
    MLogger* logger;
    HostLogSink* log_sink;
    ConfigUnit* config;
    PublishedConsole* console;  // as published to the host
    ProcessIO* process;
    StatusUnit* status;
    MTickCounter* uptime;
};

// Stores the host's record (DriverId, the whole copy in the processing unit) and runs the
// start-up: configuration, Hang Seng index list, processing unit, status unit, uptime clock.
// 1; the failing unit's negative code; -1 after a standard exception (its text logged), -2
// after any other exception (after a full shut-down). A null record is refused with -1.
int32_t RunStartup(DriverUnits& units, const DriverWorkParams* params);
// Stops every thread and unit in reverse order; swallows every exception.
void RunShutdown(DriverUnits& units);

// The 256-byte DriverBaseInfo (a null buffer is ignored).
void FillDriverBaseInfo(DriverBaseInfo* info, PublishedConsole* console);
// The 163-byte DriverStatusInfo (a null record is ignored).
void FillDriverStatusInfo(DriverStatusInfo* info, const DriverUnits& units);

}  // namespace zephyr
