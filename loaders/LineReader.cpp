#include "loaders/LineReader.h"

#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "foundation/MLog.h"

namespace zephyr {

LineReader::LineReader(MFile& file, uint32_t max_line, char* block, uint32_t block_size)
    : m_File(file),
      m_MaxLine(max_line < 1 ? 1 : (max_line > kMaxLineLimit ? kMaxLineLimit : max_line)),
      m_Block(block != nullptr && block_size > kBlockSize ? block : m_Own),
      m_BlockSize(block != nullptr && block_size > kBlockSize ? block_size : kBlockSize) {}

int32_t LineReader::Rewind() {
    m_Begin = m_End = 0;
    m_Skipped = 0;
    m_ReadError = 0;
    m_Skipping = false;
    const int32_t at = m_File.Seek(0, MFile::kBegin);
    return at < 0 ? at : 1;
}

bool LineReader::LastLineIsTrailer() {
    // The last line, line end counted, is at most max_line bytes; one more shows where it starts.
    const int32_t file_length = m_File.GetLength();
    if (file_length <= 0) return false;
    const uint32_t tail = static_cast<uint32_t>(file_length) < m_MaxLine + 1 ? static_cast<uint32_t>(file_length)
                                                                               : m_MaxLine + 1;
    if (m_File.Seek(file_length - static_cast<int32_t>(tail), MFile::kBegin) < 0) return false;
    uint32_t got = 0;
    while (got < tail) {
        const int32_t n = m_File.Read(m_Block + got, tail - got);
        if (n < 0) m_TailError = n;
        if (n <= 0) return false;
        got += static_cast<uint32_t>(n);
    }
    uint32_t end = got;
    if (m_Block[end - 1] == '\n') --end;  // the last line's own line end
    uint32_t start = end;
    while (start > 0 && m_Block[start - 1] != '\n') --start;
    // No line end before it: the last line starts the file, or it is too long to be read.
    if (start == 0 && static_cast<uint32_t>(file_length) > tail) return false;
    const uint32_t line_length = got - start;
    return line_length >= 7 && line_length <= m_MaxLine && memcmp(m_Block + start, "TRAILER", 7) == 0;
}

int32_t LineReader::FindTrailerAndRewind(char* line, uint32_t size) {
    // The end mark is normally the last line: found there, the file need not be read through.
    const bool last = LastLineIsTrailer();
    if (Rewind() < 1) return 0;
    if (last) return 1;
    int32_t length = 0;
    while ((length = Next(line, size)) > 0) {
        if (length >= 7 && memcmp(line, "TRAILER", 7) == 0) return Rewind() < 1 ? 0 : 1;
    }
    return 0;
}

void LineReader::WarnReadProblems(MLogger& log, const char* module, const char* who) const {
    if (m_Skipped != 0) log.Write(kLogWarning, module, "%s : 跳过超长行%u行(每行至多%u字节)", who, m_Skipped, m_MaxLine);
    if (m_ReadError != 0) log.Write(kLogWarning, module, "%s : 读文件出错, 文件未读完[Err:%d]", who, m_ReadError);
    if (m_TailError != 0) log.Write(kLogWarning, module, "%s : 读文件尾出错, 已从头读完[Err:%d]", who, m_TailError);
}

int32_t LineReader::Fill() {
    if (m_Begin > 0) {
        memmove(m_Block, m_Block + m_Begin, m_End - m_Begin);
        m_End -= m_Begin;
        m_Begin = 0;
    }
    if (m_End >= m_BlockSize) return 0;
    const int32_t got = m_File.Read(m_Block + m_End, m_BlockSize - m_End);
    if (got > 0) m_End += static_cast<uint32_t>(got);
    if (got < 0) m_ReadError = got;
    return got;
}

int32_t LineReader::Next(char* line, uint32_t size) {
    if (line == nullptr || size <= m_MaxLine) return ERR_BAD_ARGUMENT;
    const char* start = nullptr;
    const int32_t length = Take(&start);
    if (length <= 0) return length;
    memcpy(line, start, static_cast<uint32_t>(length));
    line[length] = 0;
    return length;
}

int32_t LineReader::NextInPlace(const char** line) {
    if (line == nullptr) return ERR_BAD_ARGUMENT;
    return Take(line);
}

int32_t LineReader::Take(const char** line) {
    for (;;) {
        const char* start = m_Block + m_Begin;
        const uint32_t held = m_End - m_Begin;
        const char* newline = static_cast<const char*>(memchr(start, '\n', held));
        if (m_Skipping) {
            if (newline != nullptr) {
                m_Begin += static_cast<uint32_t>(newline - start) + 1;
                m_Skipping = false;
                continue;
            }
            m_Begin = m_End = 0;  // nothing held is wanted
        } else if (newline != nullptr || held > m_MaxLine) {
            const uint32_t length = newline != nullptr ? static_cast<uint32_t>(newline - start) + 1 : held;
            if (length > m_MaxLine) {
                ++m_Skipped;
                m_Skipping = newline == nullptr;
                m_Begin += newline != nullptr ? length : held;
                continue;
            }
            *line = start;
            m_Begin += length;
            return static_cast<int32_t>(length);
        }
        const int32_t got = Fill();
        if (got < 0) return got;
        if (got > 0) continue;
        // End of the file: what is held is the last line, without a line end.
        const uint32_t rest = m_End - m_Begin;
        const bool was_skipping = m_Skipping;
        m_Skipping = false;
        if (was_skipping || rest == 0) {
            m_Begin = m_End = 0;
            return 0;
        }
        // Handed out in place: the bytes stay where they are until the next call.
        *line = m_Block + m_Begin;
        m_Begin = m_End;
        return static_cast<int32_t>(rest);
    }
}

}  // namespace zephyr
