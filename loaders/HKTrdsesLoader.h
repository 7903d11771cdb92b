// The exchange's trading-session and quota status file (the "Trdses" path, used whole): a header
// with the file's date and the market trading state, one market quota line and one line per
// instrument with its board-lot and odd-lot trading states. The market quota status record is
// kept for the life of the process and pushed (type 3) whenever it changes; instrument states of
// the day's shares go to the product status table (pushed to the host, type 5, on change).
// A run does nothing while the driver is not working. A file without "TRAILER" is left alone;
// a header of another day ends the run. Lines longer than 8191 bytes are skipped whole (one
// warning per run names their number).
// Runs of one loader object never overlap: a second caller waits for the first to finish.
#pragma once
#include <cstdint>

#include "foundation/MCriticalSection.h"

#include "market/StatusRecords.h"

namespace zephyr {

class LoaderHost;
class HKMktdtLoader;

class HKTrdsesLoader {
public:
    static constexpr uint32_t kMaxLine = 8191;
    static constexpr uint8_t kQuotaFrame = 3;

    HKTrdsesLoader(LoaderHost& host, HKMktdtLoader& market_data);
    HKTrdsesLoader(const HKTrdsesLoader&) = delete;
    HKTrdsesLoader& operator=(const HKTrdsesLoader&) = delete;

    // 0 done (also when the driver is not working or the file is of another day); -1 the file
    // cannot be opened; -2 no "TRAILER" line. log_path: log the path line first.
    int32_t Instance(bool log_path);
    // 0 handled; -1 no line; -2 shorter than 5 bytes; -3 unknown kind or a code below 1;
    // -100 a header whose date is not today.
    int32_t parse(const char* line, int32_t length);

    // The last accepted market quota status (all zero at first). Read without a lock.
    const MarketQuotaStatus& KeptQuotaStatus() const { return m_Kept; }

private:
    LoaderHost& m_Host;
    HKMktdtLoader& m_MarketData;
    MarketQuotaStatus m_Building;
    MarketQuotaStatus m_Kept;
    // One run at a time: an initialisation may start while the processing thread reads.
    MCriticalSection m_RunLock;
    char m_Line[kMaxLine + 1];
};

}  // namespace zephyr
