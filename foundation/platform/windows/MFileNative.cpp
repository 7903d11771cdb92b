// Files through CreateFileA, always opened shared for reading, writing and deleting: the
// exchange's writer may rewrite or replace a file while the driver reads it.
#include <windows.h>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "foundation/platform/windows/WinError.h"

namespace zephyr {

namespace {

using native::LastWindowsError;

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

int32_t MFile::NativeOpen(const char* path, uint32_t mode, bool create, intptr_t* handle) {
    DWORD access = 0;
    if ((mode & kRead) != 0) access |= GENERIC_READ;
    if ((mode & kWrite) != 0) access |= GENERIC_WRITE;
    HANDLE opened = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, create ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return LastWindowsError();
    }
    *handle = reinterpret_cast<intptr_t>(opened);
    return 1;
}

void MFile::NativeClose(intptr_t handle) { CloseHandle(AsHandle(handle)); }

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

int32_t MFile::NativeRead(void* buffer, uint32_t count) {
    DWORD got = 0;
    if (ReadFile(AsHandle(m_Handle), buffer, count, &got, nullptr) == 0) {
        return LastWindowsError();
    }
    return static_cast<int32_t>(got);
}

int32_t MFile::NativeWrite(const void* buffer, uint32_t count) {
    DWORD put = 0;
    if (WriteFile(AsHandle(m_Handle), buffer, count, &put, nullptr) == 0) {
        return LastWindowsError();
    }
    // Nothing moved: going on would never end.
    return put == 0 ? SystemError(ERROR_WRITE_FAULT) : static_cast<int32_t>(put);
}

int32_t MFile::NativeFlush() { return FlushFileBuffers(AsHandle(m_Handle)) == 0 ? LastWindowsError() : 1; }

int32_t MFile::NativeTruncate() { return SetEndOfFile(AsHandle(m_Handle)) == 0 ? LastWindowsError() : 1; }

int32_t MFile::NativeDelete(const char* path) { return DeleteFileA(path) == 0 ? LastWindowsError() : 1; }

int32_t MFile::NativeRename(const char* from, const char* to) {
    // Replaces what stands at to in one step, through to the disk before it returns.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0 ? LastWindowsError() : 1;
}

int32_t MFile::NativeKindOf(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return LastWindowsError();
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return kIsDirectory;
    return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? kIsOther : kIsFile;
}

}  // namespace zephyr
