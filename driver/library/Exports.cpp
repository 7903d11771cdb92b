// The nine functions the host calls. No exception leaves them.
#include "zephyr/DriverInterface.h"
#include "driver/library/DriverObjects.h"
#include "process/ProcessIO.h"

using zephyr::TheDriverUnits;

extern "C" {

uint32_t GetDllVersion() { return zephyr::kDriverVersionWord; }

void GetDriverBaseInfo(zephyr::DriverBaseInfo* info) {
    zephyr::FillDriverBaseInfo(info, TheDriverUnits().console);
}

int32_t BeginDriverWork(const zephyr::DriverWorkParams* params, const void* /*unused*/) {
    try {
        return zephyr::RunStartup(TheDriverUnits(), params);
    } catch (...) {
        return -2;
    }
}

int32_t EndDriverWork() {
    zephyr::RunShutdown(TheDriverUnits());
    return 1;
}

uint8_t IsDriverWorking() {
    try {
        return TheDriverUnits().process->IsDriverWorking() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void GetDriverStatusInfo(zephyr::DriverStatusInfo* info) {
    try {
        zephyr::FillDriverStatusInfo(info, TheDriverUnits());
    } catch (...) {
    }
}

int32_t GetMarketInfo(const uint16_t* capacity, const zephyr::MarketInfoTargets* targets) {
    try {
        return TheDriverUnits().process->GetMarketInfo(capacity, targets);
    } catch (...) {
        return -1;
    }
}

int32_t GetDataFrameCount(const zephyr::FrameRequest* request, uint8_t* last_frame) {
    try {
        return TheDriverUnits().process->GetDataFrameCount(request, last_frame);
    } catch (...) {
        return 0;
    }
}

int32_t GetOneDataFrame(const zephyr::FrameRequest* request, void* const* output) {
    try {
        return TheDriverUnits().process->GetOneDataFrame(request, output);
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
