// The record of a host session: every push as it was received, for examining a session later.
//
// File: the 16-byte signature "ZEPHYR-PUSHES-1\n", then one entry per push, little-endian:
// u64 microseconds since 1970 (host clock at arrival), u8 main type, u8 sub type, u8 market,
// u16 driver id, u8 compressed flag, u32 length, then the length bytes as received.
#pragma once
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace zephyr::hostkit {

struct RecordedPush {
    uint64_t micros = 0;
    uint8_t main_type = 0;
    uint8_t sub_type = 0;
    uint8_t market = 0;
    uint16_t driver_id = 0;
    uint8_t compressed = 0;
    std::string bytes;
};

class PushRecordWriter {
public:
    PushRecordWriter() = default;
    ~PushRecordWriter();
    PushRecordWriter(const PushRecordWriter&) = delete;
    PushRecordWriter& operator=(const PushRecordWriter&) = delete;

    // Creates (truncates) the file and writes the signature.
    bool Open(const std::string& path, std::string* error);
    bool IsOpen() const;
    // Thread-safe. False once a write failed (the file is closed then).
    bool Write(const RecordedPush& push);
    // False when the last bytes could not be written out.
    bool Close();

private:
    mutable std::mutex m_Mutex;
    FILE* m_File = nullptr;
};

class PushRecordReader {
public:
    PushRecordReader() = default;
    ~PushRecordReader();
    PushRecordReader(const PushRecordReader&) = delete;
    PushRecordReader& operator=(const PushRecordReader&) = delete;

    bool Open(const std::string& path, std::string* error);
    // Next entry: 1 read, 0 end of file, -1 a damaged entry (error set).
    int Next(RecordedPush* push, std::string* error);

private:
    FILE* m_File = nullptr;
};

}  // namespace zephyr::hostkit
