// The day's code table. Instance first runs the market data file in build mode (every share of
// the day lands in the code, snapshot and product status tables), then reads today's reference
// data file ("<Reff>/reff04MMDD.txt") and merges, for every share the market data file listed, a
// richer code entry, a snapshot carrying the previous close and an empty status record into the
// tables. Without a reference data file the same three records come from the market data file.
// A "0402" line of the reference data file sets the middle exchange rate.
// Lines longer than 2047 bytes are skipped whole (one warning per run names their number).
// Runs of one loader object never overlap: a second caller waits for the first to finish.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/MCriticalSection.h"
#include "market/Records.h"

namespace zephyr {

class LoaderHost;
class HKMktdtLoader;

class HKRefDbf {
public:
    static constexpr uint32_t kMaxLine = 2047;

    HKRefDbf(LoaderHost& host, HKMktdtLoader& market_data);
    HKRefDbf(const HKRefDbf&) = delete;
    HKRefDbf& operator=(const HKRefDbf&) = delete;

    // 0 done (the status thread is told); -200 the market data file could not be loaded in build
    // mode; -201 the code table is empty at the end.
    int32_t Instance();
    // One line of the reference data file. 0 handled (or dropped: a share the market data file
    // does not list, a short "0401" line); -1 no line; -2 shorter than 5 bytes; -3 unknown type.
    int32_t parse(const char* line, int32_t length);

private:
    // The three records one share brings to the merge.
    struct Share {
        int32_t code;
        CodeEntry entry;
        Snapshot snapshot;
        ProductStatus status;
    };

    void FillFromMarketData();
    // Merges the kept shares in ascending code order; of several for one code, the last kept.
    void Merge();

    LoaderHost& m_Host;
    HKMktdtLoader& m_MarketData;
    // Kept in reading order during a run, released at its end.
    std::vector<Share> m_Shares;
    std::vector<uint32_t> m_MergeOrder;
    // One run at a time: an initialisation may start while the processing thread reads.
    MCriticalSection m_RunLock;
    char m_Line[kMaxLine + 1];
};

}  // namespace zephyr
