// The nine exports of nimbus.so (nimbus.dll). It serves no market of its own: the frame and
// market functions answer -1; it only pushes its level-2 feed to the host that starts it.
#include <cstdio>
#include <cstring>

#include "zephyr/DriverInterface.h"
#include "l2sim/NimbusModule.h"

using zephyr::l2sim::NimbusModule;
using zephyr::ConsoleCommandHandler;

extern "C" {

uint32_t GetDllVersion() { return NimbusModule::kVersionWord; }

void GetDriverBaseInfo(zephyr::DriverBaseInfo* info) {
    if (info == nullptr) return;
    memset(info, 0, sizeof *info);
    info->market = zephyr::kMarketNumber;
    info->market_code[0] = 'H';
    info->market_code[1] = ' ';
    strncpy(info->name, "nimbus", sizeof info->name);
    snprintf(info->description, sizeof info->description, "level-2 feed stand-in [VER:V%.2f B%03u]",
             (NimbusModule::kVersionWord >> 16) * 0.01, NimbusModule::kVersionWord & 0xFFFF);
    zephyr::PublishedConsole* console = NimbusModule::Instance().Console();
    memcpy(reinterpret_cast<uint8_t*>(info) + offsetof(zephyr::DriverBaseInfo, console), &console,
           sizeof console);
}

int32_t BeginDriverWork(const zephyr::DriverWorkParams* params, const void*) {
    try {
        return NimbusModule::Instance().Begin(params);
    } catch (...) {
        return -100;
    }
}

int32_t EndDriverWork() {
    try {
        NimbusModule::Instance().End();
    } catch (...) {
    }
    return 1;
}

uint8_t IsDriverWorking() { return NimbusModule::Instance().IsWorking() ? 1 : 0; }

void GetDriverStatusInfo(zephyr::DriverStatusInfo* info) {
    if (info == nullptr) return;
    memset(info, 0, sizeof *info);
    info->version = NimbusModule::kVersionWord;
    info->market = zephyr::kMarketNumber;
    info->working = IsDriverWorking();
    info->working_again = info->working;
}

int32_t GetMarketInfo(const uint16_t*, const zephyr::MarketInfoTargets*) { return -1; }

int32_t GetDataFrameCount(const zephyr::FrameRequest*, uint8_t*) { return -1; }

int32_t GetOneDataFrame(const zephyr::FrameRequest*, void* const*) { return -1; }

}  // extern "C"
