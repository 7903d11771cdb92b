#include "loaders/LineReader.h"

#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "foundation/MLog.h"

namespace zephyr {

LineReader::LineReader(MFile& file, uint32_t max_line)
    : file_(file), max_line_(max_line < 1 ? 1 : (max_line > kMaxLineLimit ? kMaxLineLimit : max_line)) {}

int32_t LineReader::Rewind() {
    begin_ = end_ = 0;
    skipped_ = 0;
    read_error_ = 0;
    skipping_ = false;
    const int32_t at = file_.Seek(0, MFile::kBegin);
    return at < 0 ? at : 1;
}

bool LineReader::LastLineIsTrailer() {
    // The last line, line end counted, is at most max_line bytes; one more shows where it starts.
    const int32_t file_length = file_.GetLength();
    if (file_length <= 0) return false;
    const uint32_t tail = static_cast<uint32_t>(file_length) < max_line_ + 1 ? static_cast<uint32_t>(file_length)
                                                                               : max_line_ + 1;
    if (file_.Seek(file_length - static_cast<int32_t>(tail), MFile::kBegin) < 0) return false;
    uint32_t got = 0;
    while (got < tail) {
        const int32_t n = file_.Read(block_ + got, tail - got);
        if (n < 0) tail_error_ = n;
        if (n <= 0) return false;
        got += static_cast<uint32_t>(n);
    }
    uint32_t end = got;
    if (block_[end - 1] == '\n') --end;  // the last line's own line end
    uint32_t start = end;
    while (start > 0 && block_[start - 1] != '\n') --start;
    // No line end before it: the last line starts the file, or it is too long to be read.
    if (start == 0 && static_cast<uint32_t>(file_length) > tail) return false;
    const uint32_t line_length = got - start;
    return line_length >= 7 && line_length <= max_line_ && memcmp(block_ + start, "TRAILER", 7) == 0;
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
    if (skipped_ != 0) log.Write(kLogWarning, module, "%s : 跳过超长行%u行(每行至多%u字节)", who, skipped_, max_line_);
    if (read_error_ != 0) log.Write(kLogWarning, module, "%s : 读文件出错, 文件未读完[Err:%d]", who, read_error_);
    if (tail_error_ != 0) log.Write(kLogWarning, module, "%s : 读文件尾出错, 已从头读完[Err:%d]", who, tail_error_);
}

int32_t LineReader::Fill() {
    if (begin_ > 0) {
        memmove(block_, block_ + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ >= kBlockSize) return 0;
    const int32_t got = file_.Read(block_ + end_, kBlockSize - end_);
    if (got > 0) end_ += static_cast<uint32_t>(got);
    if (got < 0) read_error_ = got;
    return got;
}

int32_t LineReader::Next(char* line, uint32_t size) {
    if (line == nullptr || size <= max_line_) return ERR_BAD_ARGUMENT;
    for (;;) {
        const char* start = block_ + begin_;
        const uint32_t held = end_ - begin_;
        const char* newline = static_cast<const char*>(memchr(start, '\n', held));
        if (skipping_) {
            if (newline != nullptr) {
                begin_ += static_cast<uint32_t>(newline - start) + 1;
                skipping_ = false;
                continue;
            }
            begin_ = end_ = 0;  // nothing held is wanted
        } else if (newline != nullptr || held > max_line_) {
            const uint32_t length = newline != nullptr ? static_cast<uint32_t>(newline - start) + 1 : held;
            if (length > max_line_) {
                ++skipped_;
                skipping_ = newline == nullptr;
                begin_ += newline != nullptr ? length : held;
                continue;
            }
            memcpy(line, start, length);
            line[length] = 0;
            begin_ += length;
            return static_cast<int32_t>(length);
        }
        const int32_t got = Fill();
        if (got < 0) return got;
        if (got > 0) continue;
        // End of the file: what is held is the last line, without a line end.
        const uint32_t rest = end_ - begin_;
        const bool was_skipping = skipping_;
        skipping_ = false;
        if (was_skipping || rest == 0) {
            begin_ = end_ = 0;
            return 0;
        }
        memcpy(line, block_ + begin_, rest);
        line[rest] = 0;
        begin_ = end_ = 0;
        return static_cast<int32_t>(rest);
    }
}

}  // namespace zephyr
