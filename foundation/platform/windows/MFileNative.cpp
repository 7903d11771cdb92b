// Files through CreateFileA, always opened shared for reading, writing and deleting: the
// exchange's writer may rewrite or replace a file while the driver reads it.
#include <windows.h>

#include <cerrno>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "foundation/platform/FileFault.h"
#include "foundation/platform/windows/WinError.h"

namespace zephyr {

namespace {

using native::LastWindowsError;

DWORD AccessFlags(uint32_t mode) {
    DWORD access = 0;
    if ((mode & MFile::kRead) != 0) access |= GENERIC_READ;
    if ((mode & MFile::kWrite) != 0) access |= GENERIC_WRITE;
    return access;
}

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

int32_t OpenWith(const char* path, DWORD access, DWORD disposition, intptr_t& handle,
                 MString& stored_path) {
    if (path == nullptr || path[0] == 0) {
        return SystemError(ERROR_FILE_NOT_FOUND);
    }
    const int32_t fault = FileFault(MFile::Operation::kOpen, path);
    if (fault < 0) {
        return fault;
    }
    HANDLE opened = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return LastWindowsError();
    }
    handle = reinterpret_cast<intptr_t>(opened);
    stored_path.Assign(path);
    return 1;
}

}  // namespace

MFile::MFile() : m_Handle(kNoHandle) {}

MFile::~MFile() { Close(); }

int32_t MFile::Open(const char* path, uint32_t mode) {
    Close();
    const DWORD access = AccessFlags(mode);
    if (access == 0) {
        return ERR_BAD_ARGUMENT;
    }
    return OpenWith(path, access, OPEN_EXISTING, m_Handle, m_Path);
}

int32_t MFile::Create(const char* path, uint32_t mode) {
    Close();
    const DWORD access = AccessFlags(mode);
    if (access == 0) {
        return ERR_BAD_ARGUMENT;
    }
    return OpenWith(path, access, CREATE_NEW, m_Handle, m_Path);
}

void MFile::Close() {
    if (m_Handle != kNoHandle) {
        CloseHandle(AsHandle(m_Handle));
        m_Handle = kNoHandle;
    }
    m_Path.Empty();
}

int32_t MFile::Seek(int32_t offset, int32_t origin) {
    DWORD method;
    switch (origin) {
        case kBegin: method = FILE_BEGIN; break;
        case kCurrent: method = FILE_CURRENT; break;
        case kEnd: method = FILE_END; break;
        default: return ERR_BAD_ARGUMENT;
    }
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (SetFilePointerEx(AsHandle(m_Handle), distance, &position, method) == 0) {
        return LastWindowsError();
    }
    if (position.QuadPart > 0x7FFFFFFF) {
        return SystemError(ERROR_ARITHMETIC_OVERFLOW);
    }
    return static_cast<int32_t>(position.QuadPart);
}

int32_t MFile::GetLength() const {
    LARGE_INTEGER size;
    if (GetFileSizeEx(AsHandle(m_Handle), &size) == 0) {
        return LastWindowsError();
    }
    if (size.QuadPart > 0x7FFFFFFF) {
        return SystemError(ERROR_ARITHMETIC_OVERFLOW);
    }
    return static_cast<int32_t>(size.QuadPart);
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
        DWORD got = 0;
        if (ReadFile(AsHandle(m_Handle), static_cast<char*>(buffer) + done, count - done, &got, nullptr) == 0) {
            return LastWindowsError();
        }
        if (got == 0) {
            break;
        }
        done += got;
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
        DWORD put = 0;
        if (WriteFile(AsHandle(m_Handle), static_cast<const char*>(buffer) + done, count - done, &put, nullptr) == 0) {
            return LastWindowsError();
        }
        done += put;
    }
    return static_cast<int32_t>(done);
}

int32_t MFile::Flush() {
    const int32_t fault = FileFault(Operation::kFlush, m_Path.GetData());
    if (fault < 0) {
        return fault;
    }
    if (FlushFileBuffers(AsHandle(m_Handle)) == 0) {
        return LastWindowsError();
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
    if (SetEndOfFile(AsHandle(m_Handle)) == 0) {
        return LastWindowsError();
    }
    return 1;
}

int32_t MFile::Delete(const char* path) {
    if (path == nullptr || path[0] == 0) {
        return SystemError(ERROR_FILE_NOT_FOUND);
    }
    if (DeleteFileA(path) == 0) {
        return LastWindowsError();
    }
    return 1;
}

int32_t MFile::Rename(const char* from, const char* to) {
    if (from == nullptr || to == nullptr || from[0] == 0 || to[0] == 0) {
        return SystemError(ERROR_FILE_NOT_FOUND);
    }
    const int32_t fault = FileFault(Operation::kRename, to);
    if (fault < 0) {
        return fault;
    }
    // Replaces what stands at to in one step, through to the disk before it returns.
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        return LastWindowsError();
    }
    return 1;
}

int32_t MFile::KindOf(const char* path) {
    if (path == nullptr || path[0] == 0) {
        return SystemError(ERROR_FILE_NOT_FOUND);
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastWindowsError();
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kIsDirectory;
    return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? kIsOther : kIsFile;
}

}  // namespace zephyr
