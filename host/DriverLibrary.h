// A driver library loaded by path, as a host quote system loads it, with typed helpers for the
// nine exports. Every export is also reachable raw, for calls with unusual arguments.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "portable/Library.h"
#include "zephyr/DriverInterface.h"

namespace zephyr::hostkit {

class DriverLibrary {
public:
    // Loads the library (dlopen with RTLD_NOW | RTLD_LOCAL; LoadLibraryA); check IsLoaded / Error.
    explicit DriverLibrary(const std::string& path);
    ~DriverLibrary();  // unloads
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    // Loaded and all nine entries found.
    bool IsLoaded() const;
    const std::string& Error() const { return m_Error; }
    const std::string& Path() const { return m_Path; }
    // Address of any exported symbol, or null.
    void* Symbol(const char* name) const;

    uint32_t DllVersion() const;
    // The bytes GetDriverBaseInfo writes (256 on i386, 260 on x86-64) into a buffer filled with `fill` beforehand.
    std::array<uint8_t, sizeof(DriverBaseInfo)> BaseInfoBytes(uint8_t fill = 0xCC) const;
    PublishedConsole* Console() const;
    int32_t Begin(const DriverWorkParams& params) const;
    int32_t End() const;
    uint8_t IsWorking() const;
    std::array<uint8_t, 163> StatusBytes(uint8_t fill = 0xCC) const;
    // Market info into 49 bytes and `capacity` category slots of 13 bytes.
    int32_t MarketInfo(uint16_t capacity, std::vector<uint8_t>* market,
                       std::vector<uint8_t>* categories) const;
    int32_t FrameCount(uint8_t main_type, uint8_t sub_type, uint16_t first_record,
                       uint16_t version, uint8_t* last_frame) const;
    // Writes at most buffer->size() bytes into buffer; returns the export's result.
    int32_t OneFrame(uint8_t main_type, uint8_t sub_type, uint16_t first_record, uint16_t version,
                     uint16_t frame_number, std::vector<uint8_t>* buffer) const;
    // Runs one console command line through the object published in DriverBaseInfo.
    int32_t Command(uint32_t console, const std::vector<std::string>& words) const;

    // The raw entries.
    GetDllVersionFn get_dll_version = nullptr;
    GetDriverBaseInfoFn get_driver_base_info = nullptr;
    BeginDriverWorkFn begin_driver_work = nullptr;
    EndDriverWorkFn end_driver_work = nullptr;
    IsDriverWorkingFn is_driver_working = nullptr;
    GetDriverStatusInfoFn get_driver_status_info = nullptr;
    GetMarketInfoFn get_market_info = nullptr;
    GetDataFrameCountFn get_data_frame_count = nullptr;
    GetOneDataFrameFn get_one_data_frame = nullptr;

private:
    std::string m_Path;
    std::string m_Error;
    portable::LoadedLibrary m_Library;
};

// Little-endian reads out of a byte record.
uint16_t ReadU16(const uint8_t* bytes);
uint32_t ReadU32(const uint8_t* bytes);
uint64_t ReadU64(const uint8_t* bytes);

}  // namespace zephyr::hostkit
