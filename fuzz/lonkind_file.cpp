// A trading-hours file (lonkind.cfg, lonkind1.cfg or lonkind2.cfg, as the first byte picks) as a
// hostile folder may hold it, with the rest of the input as its bytes. The market takes two
// sessions when the file reaches their values, none otherwise, and never more than its room.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/MClock.h"
#include "foundation/MDateTime.h"
#include "foundation/PackedCodec.h"
#include "fuzz/FuzzFiles.h"
#include "market/Market.h"
#include "market/Records.h"

using namespace zephyr;

namespace {

uint16_t Minutes(const uint8_t* p) {
    const uint16_t v = LoadLe<uint16_t>(p);
    return static_cast<uint16_t>((v / 100) * 60 + v % 100);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Market* market = [] {
        static MManualClock clock(1444176000, 0);  // 2015-10-07 00:00:00 UTC
        clock.Install();
        return new Market;
    }();
    if (size < 1) return 0;
    const uint32_t today = static_cast<uint32_t>(MDateTime::Current().GetDate());
    // time1 / time2 around today choose lonkind.cfg, lonkind1.cfg or lonkind2.cfg.
    const uint32_t pick = data[0] % 3;
    const uint32_t time1 = pick == 0 ? today + 1 : today;
    const uint32_t time2 = pick == 2 ? today : today + 1;
    const std::string name = Market::SessionFileName(today, time1, time2);
    for (const char* other : {"lonkind.cfg", "lonkind1.cfg", "lonkind2.cfg"}) remove((fuzz::Folder() + other).c_str());
    fuzz::WriteWhole(fuzz::Folder() + name, data + 1, size - 1);
    market->Configure(MarketSetup{fuzz::Folder().c_str(), time1, time2, nullptr});
    market->LoadSessions();

    MarketInfo info;
    market->GetInfo(&info);
    const size_t file_size = size - 1;
    // Sessions past the two the file gives are never written.
    for (int i = 2; i < 4; ++i) {
        if (info.sessions[i].start != 0 || info.sessions[i].end != 0) abort();
    }
    if (file_size < Market::kSessionValuesEnd) {
        if (info.session_count != 0 || info.sessions[0].start != 0 || info.sessions[1].end != 0) abort();
        return 0;
    }
    if (info.session_count != 2) abort();
    const uint8_t* values = data + 1 + Market::kSessionValuesOffset;
    if (info.sessions[0].start != Minutes(values) || info.sessions[0].end != Minutes(values + 2) ||
        info.sessions[1].start != Minutes(values + 4) || info.sessions[1].end != Minutes(values + 6)) {
        abort();
    }
    return 0;
}
