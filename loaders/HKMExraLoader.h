// The exchange's reference exchange-rate file ("<Exra>/exra04MMDD.txt", the name built anew on
// every run): its "0402" lines carry the buying, selling and middle rates, stored in the
// processing unit's exchange-rate record as rate x 100000, truncated. The last rate line wins.
// Lines longer than 8191 bytes are skipped whole (one warning per run names their number).
// Runs of one loader object never overlap: a second caller waits for the first to finish.
#pragma once
#include <cstdint>

#include "foundation/MCriticalSection.h"

namespace zephyr {

class LoaderHost;

class HKMExraLoader {
public:
    static constexpr uint32_t kMaxLine = 8191;

    explicit HKMExraLoader(LoaderHost& host);
    HKMExraLoader(const HKMExraLoader&) = delete;
    HKMExraLoader& operator=(const HKMExraLoader&) = delete;

    // 0 the file was read; -1 it cannot be opened. log_path: log the path line first.
    int32_t operator()(bool log_path);
    // 0 handled; -1 no line; -2 shorter than 5 bytes; -3 not a rate line.
    int32_t parse(const char* line, int32_t length);

private:
    LoaderHost& m_Host;
    // One run at a time: an initialisation may start while the processing thread reads.
    MCriticalSection m_RunLock;
    char m_Line[kMaxLine + 1];
};

}  // namespace zephyr
