// The day's price-spread file as a hostile folder may hold it, read as the start reads it into
// the price table (through the saved price-table file). Checks: no write outside the table
// (sanitizers; a level count above the room is kept as read, its readers take at most the
// room), and the table saved afterwards is the 976-byte file that reads back as the same table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/MClock.h"
#include "foundation/MDateTime.h"
#include "foundation/PackedCodec.h"
#include "fuzz/FuzzFiles.h"
#include "fuzz/FuzzLoaderHost.h"
#include "loaders/HKZxjcLoader.h"
#include "loaders/PriceTableFile.h"
#include "market/Records.h"

using namespace zephyr;

namespace {

struct Reader {
    fuzz::FuzzHost host;
    HKZxjcLoader spreads{host};
    PriceTableFile file{spreads};
    std::string spread_path;

    Reader() {
        static MManualClock clock(1444176000, 0);  // 2015-10-07 00:00:00 UTC
        clock.Install();
        host.settings.price_tb = fuzz::Folder().c_str();
        char name[32];
        snprintf(name, sizeof name, "/zxjc%04d.txt", MDateTime::Current().GetDate() % 10000);
        spread_path = fuzz::Folder() + name;
        if (file.Open((fuzz::Folder() + "pricetable.dat").c_str()) != 1) abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Reader* reader = new Reader;
    fuzz::WriteWhole(reader->spread_path, data, size);
    PriceTable& table = reader->host.prices;
    memset(&table, 0, sizeof table);
    reader->file.Load(table);
    if (reader->file.Save(table) != static_cast<int32_t>(sizeof(PriceTable))) abort();
    const std::string saved = fuzz::ReadWhole(fuzz::Folder() + "pricetable.dat");
    if (saved.size() != PriceTableFile::kFileSize || saved.compare(0, 4, "RVPT") != 0) abort();
    PriceTable back;
    DecodeRecord(saved.data() + PriceTableFile::kHeaderSize, back);
    if (memcmp(&back, &table, sizeof table) != 0) abort();
    return 0;
}
