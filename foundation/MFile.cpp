#include "foundation/MFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "foundation/MErrorCode.h"

// The build asks for 64-bit file offsets and inode numbers on every target (see CMakeLists.txt).
static_assert(sizeof(off_t) == 8 && sizeof(ino_t) == 8, "32-bit file calls fail on large inode numbers");

namespace zephyr {

namespace {

int AccessFlags(uint32_t mode) {
    const bool read = (mode & MFile::kRead) != 0;
    const bool write = (mode & MFile::kWrite) != 0;
    if (read && write) {
        return O_RDWR;
    }
    if (write) {
        return O_WRONLY;
    }
    return read ? O_RDONLY : -1;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::atomic<MFile::FaultHook> g_fault_hook{nullptr};

// The test seam's answer for one call: negative to fail it.
int32_t Fault(MFile::Operation operation, const char* path) {
    const MFile::FaultHook hook = g_fault_hook.load();
    return hook != nullptr ? hook(operation, path != nullptr ? path : "") : 0;
}

}  // namespace

MFile::MFile() : m_Fd(-1) {}

MFile::~MFile() { Close(); }

static int32_t OpenWith(const char* path, int flags, int& fd, MString& stored_path) {
    if (path == nullptr || path[0] == 0) {
        return SystemError(ENOENT);
    }
    const int32_t fault = Fault(MFile::Operation::kOpen, path);
    if (fault < 0) {
        return fault;
    }
    int opened;
    do {
        opened = ::open(path, flags | O_CLOEXEC, 0666);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0) {
        return LastSystemError();
    }
    struct stat info;
    if (fstat(opened, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(opened);
        return SystemError(EISDIR);
    }
    fd = opened;
    stored_path.Assign(path);
    return 1;
}

int32_t MFile::Open(const char* path, uint32_t mode) {
    Close();
    const int access = AccessFlags(mode);
    if (access < 0) {
        return ERR_BAD_ARGUMENT;
    }
    return OpenWith(path, access, m_Fd, m_Path);
}

int32_t MFile::Create(const char* path, uint32_t mode) {
    Close();
    const int access = AccessFlags(mode);
    if (access < 0) {
        return ERR_BAD_ARGUMENT;
    }
    return OpenWith(path, access | O_CREAT | O_EXCL, m_Fd, m_Path);
}

void MFile::Close() {
    if (m_Fd >= 0) {
        ::close(m_Fd);
        m_Fd = -1;
    }
    m_Path.Empty();
}

int32_t MFile::Seek(int32_t offset, int32_t origin) {
    int whence;
    switch (origin) {
        case kBegin: whence = SEEK_SET; break;
        case kCurrent: whence = SEEK_CUR; break;
        case kEnd: whence = SEEK_END; break;
        default: return ERR_BAD_ARGUMENT;
    }
    const off_t position = ::lseek(m_Fd, static_cast<off_t>(offset), whence);
    if (position < 0) {
        return LastSystemError();
    }
    if (position > 0x7FFFFFFF) {
        return SystemError(EOVERFLOW);
    }
    return static_cast<int32_t>(position);
}

int32_t MFile::GetLength() const {
    struct stat info;
    if (fstat(m_Fd, &info) != 0) {
        return LastSystemError();
    }
    if (info.st_size > 0x7FFFFFFF) {
        return SystemError(EOVERFLOW);
    }
    return static_cast<int32_t>(info.st_size);
}

int32_t MFile::Read(void* buffer, uint32_t count) {
    if (buffer == nullptr && count > 0) {
        return ERR_BAD_ARGUMENT;
    }
    if (count > 0x7FFFFFFFu) {
        count = 0x7FFFFFFFu;
    }
    const int32_t fault = Fault(Operation::kRead, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    uint32_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(m_Fd, static_cast<char*>(buffer) + done, count - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastSystemError();
        }
        if (got == 0) {
            break;
        }
        done += static_cast<uint32_t>(got);
    }
    return static_cast<int32_t>(done);
}

int32_t MFile::Write(const void* buffer, uint32_t count) {
    if (buffer == nullptr && count > 0) {
        return ERR_BAD_ARGUMENT;
    }
    if (count > 0x7FFFFFFFu) {
        return ERR_BAD_ARGUMENT;
    }
    const int32_t fault = Fault(Operation::kWrite, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    uint32_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(m_Fd, static_cast<const char*>(buffer) + done, count - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastSystemError();
        }
        done += static_cast<uint32_t>(put);
    }
    return static_cast<int32_t>(done);
}

int32_t MFile::Flush() {
    const int32_t fault = Fault(Operation::kFlush, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    if (::fsync(m_Fd) != 0) {
        return LastSystemError();
    }
    return 1;
}

int32_t MFile::SetLength(uint32_t length) {
    if (length > 0x7FFFFFFFu) {
        return ERR_BAD_ARGUMENT;
    }
    const int32_t moved = Seek(static_cast<int32_t>(length), kBegin);
    if (moved < 0) {
        return moved;
    }
    if (::ftruncate(m_Fd, static_cast<off_t>(length)) != 0) {
        return LastSystemError();
    }
    return 1;
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
    if (path == nullptr || path[0] == 0) {
        return SystemError(ENOENT);
    }
    if (::unlink(path) != 0) {
        return LastSystemError();
    }
    return 1;
}

int32_t MFile::Rename(const char* from, const char* to) {
    if (from == nullptr || to == nullptr || from[0] == 0 || to[0] == 0) {
        return SystemError(ENOENT);
    }
    const int32_t fault = Fault(Operation::kRename, to);
    if (fault < 0) {
        return fault;
    }
    if (std::rename(from, to) != 0) {
        return LastSystemError();
    }
    return 1;
}

void MFile::SetFaultHook(FaultHook hook) { g_fault_hook.store(hook); }

int32_t MFile::Exists(const char* path) {
    if (path == nullptr || path[0] == 0) {
        return 0;
    }
    struct stat info;
    return ::stat(path, &info) == 0 && !S_ISDIR(info.st_mode) ? 1 : 0;
}

}  // namespace zephyr
