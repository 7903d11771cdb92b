// A file of the operating system with the foundation's open modes and a line reader.
// Every failing call returns SystemError(the system's error number: errno on POSIX, GetLastError
// on Windows) (see MErrorCode.h).
#pragma once
#include <cstdint>

#include "foundation/MString.h"

namespace zephyr {

class MFile {
public:
    // Open mode bits. On POSIX files are always shared, so the sharing bits change nothing; on
    // Windows every file is opened shared for reading, writing and deleting whatever they say,
    // so that the exchange's writer can rewrite or replace a file while it is read.
    // Mode 13 = read, shared; mode 15 = read and write, shared.
    enum : uint32_t {
        kRead = 1,
        kWrite = 2,
        kShareRead = 4,
        kShareWrite = 8,
    };

    MFile();
    ~MFile();  // closes
    MFile(const MFile&) = delete;
    MFile& operator=(const MFile&) = delete;

    // Closes any open file, then opens an existing file. 1 on success.
    // A mode with neither kRead nor kWrite gives ERR_BAD_ARGUMENT.
    int32_t Open(const char* path, uint32_t mode);
    // Closes any open file, then creates a new file; fails (SystemError(EEXIST)) if it exists.
    int32_t Create(const char* path, uint32_t mode);
    // Closes the file if open; the path becomes "".
    void Close();
    bool IsOpen() const { return m_Handle != kNoHandle; }
    const MString& GetPath() const { return m_Path; }

    enum : int32_t { kBegin = 0, kCurrent = 1, kEnd = 2 };
    // Returns the new position.
    int32_t Seek(int32_t offset, int32_t origin);
    // Size of the open file in bytes.
    int32_t GetLength() const;
    // Number of bytes transferred (Read: 0 at the end of the file). Write writes all or fails.
    int32_t Read(void* buffer, uint32_t count);
    int32_t Write(const void* buffer, uint32_t count);
    // Writes data through to the device. 1 on success.
    int32_t Flush();
    // Moves to length and makes it the end of the file. 1 on success.
    int32_t SetLength(uint32_t length);

    // Reads the next line into buffer (size bytes, terminated) and returns its length in bytes:
    // a line carries its whole run of CR and LF bytes (an empty line between two line ends stays
    // inside that run); the last line of a file needs no line end; a line longer than size - 1
    // bytes arrives in pieces. 0 at the end of the file. The file position moves past the line.
    // size < 2 gives ERR_BAD_ARGUMENT.
    int32_t ReadLine(char* buffer, uint32_t size);

    // 1 on success.
    static int32_t Delete(const char* path);
    // Renames from to to, replacing what stands there. 1 on success.
    static int32_t Rename(const char* from, const char* to);
    // 1 when the file exists, 0 otherwise (a directory is not a file).
    static int32_t Exists(const char* path);
    // What stands at path: kIsFile, kIsDirectory or kIsOther; a negative system error when
    // nothing can be found there.
    enum : int32_t { kIsFile = 1, kIsDirectory = 2, kIsOther = 3 };
    static int32_t KindOf(const char* path);

    // Test seam: when set, asked before every open or create, read, write, flush and rename
    // with the path concerned; a negative answer is returned as that call's failure and the call
    // does nothing else. Only tests set it (the driver library leaves it null and exports
    // nothing of it); it may be asked from any thread.
    enum class Operation : uint8_t { kOpen, kRead, kWrite, kFlush, kRename };
    using FaultHook = int32_t (*)(Operation operation, const char* path);
    static void SetFaultHook(FaultHook hook);

private:
    static constexpr intptr_t kNoHandle = -1;
    int32_t OpenAs(const char* path, uint32_t mode, bool create);
    // The system's part, one body per system: called once the arguments were checked and the
    // test seam let the call through. Each returns a negative system error on failure.
    static int32_t NativeOpen(const char* path, uint32_t mode, bool create, intptr_t* handle);
    static void NativeClose(intptr_t handle);
    int32_t NativeRead(void* buffer, uint32_t count);         // bytes moved by one transfer, 0 at the end
    int32_t NativeWrite(const void* buffer, uint32_t count);  // bytes moved by one transfer, above 0
    int32_t NativeFlush();                                    // 1
    int32_t NativeTruncate();                                 // the position becomes the end: 1
    static int32_t NativeDelete(const char* path);            // 1
    static int32_t NativeRename(const char* from, const char* to);  // 1, replacing what is there
    static int32_t NativeKindOf(const char* path);

    intptr_t m_Handle;  // the descriptor or handle; kNoHandle when closed
    MString m_Path;
};

}  // namespace zephyr
