#include "foundation/MFile.h"

#include <atomic>

#include "foundation/MErrorCode.h"

namespace zephyr {

namespace {

// "No such file": ENOENT and ERROR_FILE_NOT_FOUND are both 2.
constexpr uint32_t kNotFound = 2;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

bool IsMissing(const char* path) { return path == nullptr || path[0] == 0; }

std::atomic<MFile::FaultHook> g_fault_hook{nullptr};

// The test seam's answer for one call: negative to fail it with that value.
int32_t FileFault(MFile::Operation operation, const char* path) {
    const MFile::FaultHook hook = g_fault_hook.load();
    return hook != nullptr ? hook(operation, path != nullptr ? path : "") : 0;
}

}  // namespace

void MFile::SetFaultHook(FaultHook hook) { g_fault_hook.store(hook); }

MFile::MFile() : m_Handle(kNoHandle) {}

MFile::~MFile() { Close(); }

int32_t MFile::OpenAs(const char* path, uint32_t mode, bool create) {
    Close();
    if ((mode & (kRead | kWrite)) == 0) {
        return ERR_BAD_ARGUMENT;
    }
    if (IsMissing(path)) {
        return SystemError(kNotFound);
    }
    const int32_t fault = FileFault(Operation::kOpen, path);
    if (fault < 0) {
        return fault;
    }
    const int32_t opened = NativeOpen(path, mode, create, &m_Handle);
    if (opened < 0) {
        m_Handle = kNoHandle;
        return opened;
    }
    m_Path.Assign(path);
    return 1;
}

int32_t MFile::Open(const char* path, uint32_t mode) { return OpenAs(path, mode, false); }

int32_t MFile::Create(const char* path, uint32_t mode) { return OpenAs(path, mode, true); }

void MFile::Close() {
    if (m_Handle != kNoHandle) {
        NativeClose(m_Handle);
        m_Handle = kNoHandle;
    }
    m_Path.Empty();
}

int32_t MFile::Read(void* buffer, uint32_t count) {
    if (buffer == nullptr && count > 0) {
        return ERR_BAD_ARGUMENT;
    }
    if (count > 0x7FFFFFFFu) {
        count = 0x7FFFFFFFu;
    }
    const int32_t fault = FileFault(Operation::kRead, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    uint32_t done = 0;
    while (done < count) {
        const int32_t got = NativeRead(static_cast<char*>(buffer) + done, count - done);
        if (got < 0) {
            return got;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<uint32_t>(got);
    }
    return static_cast<int32_t>(done);
}

int32_t MFile::Write(const void* buffer, uint32_t count) {
    if ((buffer == nullptr && count > 0) || count > 0x7FFFFFFFu) {
        return ERR_BAD_ARGUMENT;
    }
    const int32_t fault = FileFault(Operation::kWrite, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    uint32_t done = 0;
    while (done < count) {
        const int32_t put = NativeWrite(static_cast<const char*>(buffer) + done, count - done);
        if (put < 0) {
            return put;
        }
        done += static_cast<uint32_t>(put);
    }
    return static_cast<int32_t>(done);
}

int32_t MFile::Flush() {
    const int32_t fault = FileFault(Operation::kFlush, m_Path.GetData());
    return fault < 0 ? fault : NativeFlush();
}

int32_t MFile::SetLength(uint32_t length) {
    if (length > 0x7FFFFFFFu) {
        return ERR_BAD_ARGUMENT;
    }
    const int32_t moved = Seek(static_cast<int32_t>(length), kBegin);
    return moved < 0 ? moved : NativeTruncate();
}

int32_t MFile::ReadLine(char* buffer, uint32_t size) {
    if (buffer == nullptr || size < 2) {
        return ERR_BAD_ARGUMENT;
    }
    const int32_t start = Seek(0, kCurrent);
    if (start < 0) {
        return start;
    }
    const int32_t got = Read(buffer, size - 1);
    if (got <= 0) {
        Seek(start, kBegin);
        buffer[0] = 0;
        return got;
    }
    int32_t length = got;
    // The line ends after its run of CR and LF bytes: at the first line-end byte that is
    // followed, within what was read, by another byte.
    for (int32_t i = 0; i + 1 < got; ++i) {
        if (IsLineEnd(buffer[i]) && !IsLineEnd(buffer[i + 1])) {
            length = i + 1;
            break;
        }
    }
    buffer[length] = 0;
    const int32_t moved = Seek(start + length, kBegin);
    return moved < 0 ? moved : length;
}

int32_t MFile::Delete(const char* path) {
    return IsMissing(path) ? SystemError(kNotFound) : NativeDelete(path);
}

int32_t MFile::Rename(const char* from, const char* to) {
    if (IsMissing(from) || IsMissing(to)) {
        return SystemError(kNotFound);
    }
    const int32_t fault = FileFault(Operation::kRename, to);
    return fault < 0 ? fault : NativeRename(from, to);
}

int32_t MFile::KindOf(const char* path) {
    return IsMissing(path) ? SystemError(kNotFound) : NativeKindOf(path);
}

int32_t MFile::Exists(const char* path) {
    // Anything but a folder counts, as it always did (a device or pipe too).
    const int32_t kind = KindOf(path);
    return kind > 0 && kind != kIsDirectory ? 1 : 0;
}

}  // namespace zephyr
