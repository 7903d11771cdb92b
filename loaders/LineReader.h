// Reads an exchange text file line by line. A line ends after its "\n" (a "\r" before it stays
// part of the line); the last line of a file needs no line end. Bytes are taken as they stand,
// zero bytes included.
//
// A line longer than the longest line the caller accepts is skipped whole, so the rest of it is
// never taken for a line of its own; the skipped lines are counted. Reading goes on to the end of
// the file; a file that grows while it is read is read up to where its end was met.
#pragma once
#include <cstdint>

namespace zephyr {

class MFile;
class MLogger;

class LineReader {
public:
    static constexpr uint32_t kBlockSize = 32768;
    // Longest line any loader accepts (line end counted).
    static constexpr uint32_t kMaxLineLimit = 8191;

    // max_line: longest accepted line in bytes, line end counted (at most kMaxLineLimit).
    // block, block_size: a larger read block the caller owns for as long as the reader lives
    // (fewer reads of a big file); without it, or when it is not larger, the reader's own
    // kBlockSize bytes serve.
    LineReader(MFile& file, uint32_t max_line, char* block = nullptr, uint32_t block_size = 0);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Copies the next line into line (size bytes, at least max_line + 1) and terminates it.
    // Returns its length in bytes (> 0), 0 at the end of the file, or the file's negative error.
    int32_t Next(char* line, uint32_t size);
    // Next without the copy: *line points at the line's bytes in the read block (not terminated),
    // valid until the reader is next called.
    int32_t NextInPlace(const char** line);
    // Back to the start of the file; the skipped-line count starts again from 0. 1, or the
    // file's error.
    int32_t Rewind();
    // Completeness check of a file that ends with the exchange's end mark: whether a line of the
    // file (as Next reads them from the start; line is its scratch) starts with "TRAILER"; then
    // back to the start of the file. The last line is looked at first, so a complete file is not
    // read through. 1 found and rewound; 0 no such line (or the file could not be read or rewound).
    int32_t FindTrailerAndRewind(char* line, uint32_t size);
    uint32_t SkippedLines() const { return m_Skipped; }
    uint32_t MaxLine() const { return m_MaxLine; }
    // When lines were skipped: one warning "<who> : ..." naming their number and the limit; when
    // reading the file failed (the lines read until then were handed out, Next then answered the
    // error): one warning naming the error; when the look at the file's end failed and the file
    // was read through instead: one warning naming that error.
    void WarnReadProblems(MLogger& log, const char* module, const char* who) const;

private:
    // Reads more of the file behind the bytes still held. Bytes read, 0 at the end, or error.
    int32_t Fill();
    // The next line as NextInPlace gives it.
    int32_t Take(const char** line);
    // Whether the file's last line is one FindTrailerAndRewind accepts. Leaves the file position
    // and the block's bytes undefined (a Rewind follows).
    bool LastLineIsTrailer();

    MFile& m_File;
    uint32_t m_MaxLine;
    uint32_t m_Begin = 0;
    uint32_t m_End = 0;
    uint32_t m_Skipped = 0;
    int32_t m_ReadError = 0;  // the file's last read error, 0 when none
    int32_t m_TailError = 0;  // a failed read of the file's end, recovered by reading it through
    bool m_Skipping = false;  // inside an over-long line, looking for its end
    char* m_Block;            // m_Own or the caller's block
    uint32_t m_BlockSize;
    char m_Own[kBlockSize];
};

}  // namespace zephyr
