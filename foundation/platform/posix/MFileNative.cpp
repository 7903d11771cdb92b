#include "foundation/MFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "foundation/MErrorCode.h"
#include "foundation/platform/FileFault.h"

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

}  // namespace

MFile::MFile() : m_Handle(kNoHandle) {}

MFile::~MFile() { Close(); }

static int32_t OpenWith(const char* path, int flags, intptr_t& handle, MString& stored_path) {
    if (path == nullptr || path[0] == 0) {
        return SystemError(ENOENT);
    }
    const int32_t fault = FileFault(MFile::Operation::kOpen, path);
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
    handle = opened;
    stored_path.Assign(path);
    return 1;
}

int32_t MFile::Open(const char* path, uint32_t mode) {
    Close();
    const int access = AccessFlags(mode);
    if (access < 0) {
        return ERR_BAD_ARGUMENT;
    }
    return OpenWith(path, access, m_Handle, m_Path);
}

int32_t MFile::Create(const char* path, uint32_t mode) {
    Close();
    const int access = AccessFlags(mode);
    if (access < 0) {
        return ERR_BAD_ARGUMENT;
    }
    return OpenWith(path, access | O_CREAT | O_EXCL, m_Handle, m_Path);
}

void MFile::Close() {
    if (m_Handle != kNoHandle) {
        ::close(static_cast<int>(m_Handle));
        m_Handle = kNoHandle;
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
    const off_t position = ::lseek(static_cast<int>(m_Handle), static_cast<off_t>(offset), whence);
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
    if (fstat(static_cast<int>(m_Handle), &info) != 0) {
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
    const int32_t fault = FileFault(Operation::kRead, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    uint32_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(static_cast<int>(m_Handle), static_cast<char*>(buffer) + done, count - done);
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
    const int32_t fault = FileFault(Operation::kWrite, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    uint32_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(static_cast<int>(m_Handle), static_cast<const char*>(buffer) + done, count - done);
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
    const int32_t fault = FileFault(Operation::kFlush, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    if (::fsync(static_cast<int>(m_Handle)) != 0) {
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
    if (::ftruncate(static_cast<int>(m_Handle), static_cast<off_t>(length)) != 0) {
        return LastSystemError();
    }
    return 1;
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
    const int32_t fault = FileFault(Operation::kRename, to);
    if (fault < 0) {
        return fault;
    }
    if (std::rename(from, to) != 0) {
        return LastSystemError();
    }
    return 1;
}

int32_t MFile::KindOf(const char* path) {
    if (path == nullptr || path[0] == 0) {
        return SystemError(ENOENT);
    }
    struct stat info;
    if (::stat(path, &info) != 0) {
        return LastSystemError();
    }
    if (S_ISREG(info.st_mode)) return kIsFile;
    return S_ISDIR(info.st_mode) ? kIsDirectory : kIsOther;
}

}  // namespace zephyr
