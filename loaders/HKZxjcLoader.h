// The exchange's price-spread file ("<PriceTb>/zxjcMMDD.txt"): one "0403" line per price-spread
// section (1 to 3) with its price code, lowest lower-limit price, level count and level triples,
// read into a 960-byte PriceTable. A line changes only the section it names and only the fields
// it carries; levels past the 52nd are ignored. Prices and spreads: (x + 0.0005) x 1000,
// truncated toward zero. Lines longer than 8191 bytes are skipped whole (one warning per run
// names their number).
// Runs of one loader object never overlap: a second caller waits for the first to finish.
#pragma once
#include <cstdint>

#include "foundation/MCriticalSection.h"

namespace zephyr {

class LoaderHost;
struct PriceTable;

class HKZxjcLoader {
public:
    static constexpr uint32_t kMaxLine = 8191;

    explicit HKZxjcLoader(LoaderHost& host);
    HKZxjcLoader(const HKZxjcLoader&) = delete;
    HKZxjcLoader& operator=(const HKZxjcLoader&) = delete;

    // Reads the file into table. 0 read to its end; -1 it cannot be opened; -3 a line longer than
    // 9 bytes is not a spread line (reading stops there; earlier lines stay applied).
    int32_t Instance(PriceTable& table);
    // 0 handled or skipped (9 bytes or fewer, a section other than 1-3); -3 not a spread line.
    int32_t parse(const char* line, int32_t length, PriceTable& table);

private:
    LoaderHost& m_Host;
    // One run at a time: an initialisation may start while the processing thread reads.
    MCriticalSection m_RunLock;
    char m_Line[kMaxLine + 1];
};

}  // namespace zephyr
