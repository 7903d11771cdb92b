// The objects that live as long as the library, in one translation unit so that they are built
// at load in this order and destroyed in the reverse order: configuration unit, console command
// object, processing unit, status unit, uptime clock. Building them starts no thread and reads
// no file. (The log sink and the logger before them are constant-initialised.)
#include "driver/library/DriverObjects.h"

#include "config/ConfigUnit.h"
#include "console/DriverCommandHandler.h"
#include "driver/ProcessConsoleServices.h"
#include "driver/HostLogSink.h"
#include "driver/Level2Connection.h"
#include "foundation/MLog.h"
#include "foundation/MTickCounter.h"
#include "process/ProcessIO.h"
#include "process/StatusUnit.h"

namespace zephyr {

namespace {

HostLogSink g_LogSink;
MLogger g_Logger(&HostLogSink::Write, &g_LogSink);

// Any address inside this library tells the configuration unit which file it was loaded from.
ConfigUnit g_Config(&g_Logger, reinterpret_cast<const void*>(&GetDllVersion));
// The console reaches the processing unit through its services, defined after it.
extern ProcessConsoleServices g_ConsoleServices;
DriverCommandHandler g_Console(&g_ConsoleServices);
// The console as the host sees it, in the platform's C++ layout.
ConsolePublication g_PublishedConsole(&g_Console);
ProcessIO g_Process(&g_Config, &g_Logger);
ProcessConsoleServices g_ConsoleServices(&g_Process, &g_Config);
// The processing unit's way to the level-2 bridge; gone before the processing unit at unload.
Level2Connection g_Level2(&g_Process, &g_Config);
StatusUnit g_Status(&g_Process, &g_Config, &g_Logger);
MTickCounter g_Uptime;

DriverUnits g_Units{&g_Logger, &g_LogSink, &g_Config, g_PublishedConsole.Get(), &g_Process, &g_Status, &g_Uptime};

}  // namespace

DriverUnits& TheDriverUnits() { return g_Units; }

}  // namespace zephyr
