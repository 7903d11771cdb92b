// One read of an exchange text file by a loader: the file is opened for shared reading (the
// exchange may be writing it), its path is logged when the loader asks for it, and its lines are
// handed one by one to the loader. After the lines, one warning names the lines that were too
// long to be read and one names a failed read ("<who> : ..." under the loader's module).
// Nothing is allocated: each line goes through the loader's own line buffer, so a loader that
// runs every second costs no allocation per line or per run.
// An object serves one run of one loader, on the thread of that run; the loader's run lock keeps
// its buffer to that run.
#pragma once
#include <cstdint>

#include "foundation/MFile.h"
#include "loaders/LineReader.h"

namespace zephyr {

class MLogger;

class LineFile {
public:
    // module, who: the log module and the "<who> : " start of every line this run logs. line: the
    // loader's line buffer of size bytes; the longest line read is size - 1 bytes, line end counted
    // (at most LineReader::kMaxLineLimit).
    // block, block_size: a larger read block of the loader's own (see LineReader).
    LineFile(MLogger& log, const char* module, const char* who, char* line, uint32_t size, char* block = nullptr,
             uint32_t block_size = 0);
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    // Opens path for shared reading; false when it cannot be opened (what that means is the
    // loader's to log). When log_path, "<who> : path [<path>]" is logged first (info, under
    // path_module, or the module when it is null), whether or not the file opens.
    bool Open(const char* path, bool log_path, const char* path_module = nullptr);
    // Whether a line of the file starts with "TRAILER" (the exchange writes it last, so a file
    // without it is still being written). Reading starts again at the start of the file.
    bool HasTrailer();
    // Hands every line to handle(const char* line, int32_t length), the line terminated in the
    // loader's buffer, while handle answers true; then warns about skipped lines and a failed read.
    template <class Handle>
    void ReadLines(Handle&& handle) {
        int32_t length = 0;
        while ((length = m_Reader.Next(m_Line, m_Size)) > 0) {
            if (!handle(static_cast<const char*>(m_Line), length)) break;
        }
        m_Reader.WarnReadProblems(m_Log, m_Module, m_Who);
    }
    // ReadLines with the lines left where they were read: not terminated, and valid only until
    // handle returns.
    template <class Handle>
    void ReadLinesInPlace(Handle&& handle) {
        const char* line = nullptr;
        int32_t length = 0;
        while ((length = m_Reader.NextInPlace(&line)) > 0) {
            if (!handle(line, length)) break;
        }
        m_Reader.WarnReadProblems(m_Log, m_Module, m_Who);
    }

private:
    MLogger& m_Log;
    const char* m_Module;
    const char* m_Who;
    char* m_Line;
    uint32_t m_Size;
    MFile m_File;
    LineReader m_Reader;  // reads m_File: declared after it
};

}  // namespace zephyr
