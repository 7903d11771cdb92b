#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"

// The build asks for 64-bit file offsets and inode numbers on every target (see CMakeLists.txt).
static_assert(sizeof(off_t) == 8 && sizeof(ino_t) == 8, "32-bit file calls fail on large inode numbers");

namespace zephyr {

namespace {

int Descriptor(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

int32_t MFile::NativeOpen(const char* path, uint32_t mode, bool create, intptr_t* handle) {
    const bool read = (mode & kRead) != 0;
    const bool write = (mode & kWrite) != 0;
    int flags = read && write ? O_RDWR : (write ? O_WRONLY : O_RDONLY);
    if (create) flags |= O_CREAT | O_EXCL;
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
    *handle = opened;
    return 1;
}

void MFile::NativeClose(intptr_t handle) { ::close(Descriptor(handle)); }

int32_t MFile::Seek(int32_t offset, int32_t origin) {
    int whence;
    switch (origin) {
        case kBegin: whence = SEEK_SET; break;
        case kCurrent: whence = SEEK_CUR; break;
        case kEnd: whence = SEEK_END; break;
        default: return ERR_BAD_ARGUMENT;
    }
    const off_t position = ::lseek(Descriptor(m_Handle), static_cast<off_t>(offset), whence);
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
    if (fstat(Descriptor(m_Handle), &info) != 0) {
        return LastSystemError();
    }
    if (info.st_size > 0x7FFFFFFF) {
        return SystemError(EOVERFLOW);
    }
    return static_cast<int32_t>(info.st_size);
}

int32_t MFile::NativeRead(void* buffer, uint32_t count) {
    ssize_t got;
    do {
        got = ::read(Descriptor(m_Handle), buffer, count);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? LastSystemError() : static_cast<int32_t>(got);
}

int32_t MFile::NativeWrite(const void* buffer, uint32_t count) {
    ssize_t put;
    do {
        put = ::write(Descriptor(m_Handle), buffer, count);
    } while (put < 0 && errno == EINTR);
    if (put == 0) {
        return SystemError(EIO);  // nothing moved: going on would never end
    }
    return put < 0 ? LastSystemError() : static_cast<int32_t>(put);
}

int32_t MFile::NativeFlush() { return ::fsync(Descriptor(m_Handle)) != 0 ? LastSystemError() : 1; }

int32_t MFile::NativeTruncate() {
    const off_t end = ::lseek(Descriptor(m_Handle), 0, SEEK_CUR);
    if (end < 0 || ::ftruncate(Descriptor(m_Handle), end) != 0) {
        return LastSystemError();
    }
    return 1;
}

int32_t MFile::NativeDelete(const char* path) { return ::unlink(path) != 0 ? LastSystemError() : 1; }

int32_t MFile::NativeRename(const char* from, const char* to) {
    return std::rename(from, to) != 0 ? LastSystemError() : 1;
}

int32_t MFile::NativeKindOf(const char* path) {
    struct stat info;
    if (::stat(path, &info) != 0) {
        return LastSystemError();
    }
    if (S_ISREG(info.st_mode)) return kIsFile;
    return S_ISDIR(info.st_mode) ? kIsDirectory : kIsOther;
}

}  // namespace zephyr
