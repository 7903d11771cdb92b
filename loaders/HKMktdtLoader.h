// The exchange's market data snapshot file: a header line with the file's date and time, one
// share line per share and a "TRAILER" line. Two modes:
// - build (kBuild), once per initialisation: every share line is appended to the code, snapshot
//   and product status tables, and the day's codes, names and previous closes are kept for the
//   reference data loader;
// - refresh (kRefresh), from the processing thread while the level-2 feed is silent: the quotes
//   are applied to the existing snapshots (pushed to the host when they change). A refresh does
//   nothing while the driver is not working.
// A file without a "TRAILER" line is taken as still being written and left alone. A file whose
// time is not later than the market time, or whose date is not today, stops the run (-100).
// Lines longer than 8191 bytes are skipped whole (one warning per run names their number).
// Runs of one loader object never overlap: a second caller waits for the first to finish.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "foundation/MCriticalSection.h"
#include "foundation/MLocalSection.h"
#include "market/Records.h"

namespace zephyr {

class LoaderHost;

class HKMktdtLoader {
public:
    enum Mode : uint8_t { kRefresh = 0, kBuild = 1 };
    static constexpr uint32_t kMaxLine = 8191;
    // The product name field: UTF-16LE, exactly this many bytes (it may hold '|').
    static constexpr uint32_t kNameBytes = 32;

    explicit HKMktdtLoader(LoaderHost& host);
    HKMktdtLoader(const HKMktdtLoader&) = delete;
    HKMktdtLoader& operator=(const HKMktdtLoader&) = delete;

    // Reads the whole file once. 0 done (or nothing to do); -1 the file cannot be opened;
    // -2 no "TRAILER" line; -100 stale file or a file of another day.
    int32_t operator()(uint8_t mode);
    // One line of length bytes. 0 processed; -1 no line; -2 shorter than 5 bytes; -3 unknown
    // record type or a code below 1; -100 stale or foreign file.
    int32_t parse(const char* line, int32_t length);
    // Returns once no run is in progress (a run that begins later is the caller's to prevent).
    void WaitForRun() { MLocalSection run(m_RunLock); }

    // The day's shares as the last build run found them, by numeric code.
    bool HasCode(uint32_t code) const;
    // The day's code entries as the last build run made them from the file (serial and category
    // 0), ascending by code: read back from the code table rows that run stored them at, so they
    // are what those rows hold until the tables are next rebuilt or changed. A code the table
    // could not hold is left out.
    std::map<uint32_t, CodeEntry> DayRecords() const;
    // Calls visit(code, entry) for each of the day's code entries, as DayRecords has them,
    // without copying them all at once; no lock of the loader is held during visit.
    template <class Visit>
    void ForEachDayRecord(Visit visit) const;
    uint32_t DayCount() const;
    // Previous close the build runs gave for the code; 0 when none did.
    uint32_t PreviousClose(uint32_t code) const;

private:
    void ParseHeader(const char* stamp, uint32_t length, int32_t* result);

    // Codes are five-digit numbers: the day's codes are marked in a table by code, so a line of
    // the file costs no allocation and no search. The entries themselves are not copied: the build
    // stores each in the code table, and the table's row is kept instead (a full market's copy
    // would cost megabytes that only a missing reference file ever reads).
    static constexpr uint32_t kCodeSpace = 100000;
    static constexpr int32_t kNoRecord = -1;  // not a code of the day
    static constexpr int32_t kNoRow = -2;     // a code of the day the code table could not hold
    // Marks code as the day's, its entry at row (last line wins); the caller holds m_Lock.
    void KeepDayRecord(uint32_t code, int32_t row);
    bool DayRecordAt(int32_t row, CodeEntry* out) const;

    // A refresh hands its quotes on in runs, so that the tables' locks are taken once a run
    // rather than once a line; parse called on its own stores at once. A quote built on the
    // level-2 snapshot is stored up to a run later; a refresh runs only while the level-2 feed is
    // silent, and the file's fields replace the same fields either way.
    static constexpr uint32_t kQuoteRun = 64;
    void StoreGatheredQuotes();

    LoaderHost& m_Host;
    uint8_t m_Mode = kRefresh;
    bool m_Gathering = false;  // inside a refresh run; guarded by m_RunLock
    uint32_t m_GatheredCount = 0;
    Snapshot m_Gathered[kQuoteRun];
    mutable MCriticalSection m_Lock;  // guards the day's codes and the previous closes
    uint32_t m_DayCount = 0;
    std::vector<int32_t> m_DayRowOfCode;     // kCodeSpace places: a code table row, kNoRecord or kNoRow
    std::vector<uint32_t> m_PreviousClose;   // kCodeSpace places, 0 when none
    // One run at a time: an initialisation may start while the processing thread reads.
    MCriticalSection m_RunLock;
    char m_Line[kMaxLine + 1];
    // A full market's file is megabytes, read every second: in big blocks, its lines parsed where
    // they were read.
    static constexpr uint32_t kReadBlock = 131072;
    std::vector<char> m_Block;
};

template <class Visit>
void HKMktdtLoader::ForEachDayRecord(Visit visit) const {
    CodeEntry entry;
    for (uint32_t code = 0; code < kCodeSpace; ++code) {
        int32_t row;
        {
            // Not held across visit, which may take other locks.
            MLocalSection lock(m_Lock);
            row = m_DayRowOfCode[code];
        }
        if (DayRecordAt(row, &entry)) visit(code, entry);
    }
}

}  // namespace zephyr
