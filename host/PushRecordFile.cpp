#include "host/PushRecordFile.h"

#include <cerrno>
#include <cstring>

namespace zephyr::hostkit {

namespace {

constexpr char kSignature[] = "ZEPHYR-PUSHES-1\n";
constexpr size_t kSignatureSize = 16;
constexpr size_t kEntryHeader = 18;
// A push holds at most the pool's ring (8000 bytes) or a module's packet; anything far beyond
// is a damaged file, not a push.
constexpr uint32_t kLargestPush = 1u << 20;

void Put(unsigned char* at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint64_t Get(const unsigned char* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

}  // namespace

PushRecordWriter::~PushRecordWriter() { Close(); }

bool PushRecordWriter::Open(const std::string& path, std::string* error) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_File != nullptr) fclose(m_File);
    m_File = fopen(path.c_str(), "wb");
    if (m_File == nullptr || fwrite(kSignature, 1, kSignatureSize, m_File) != kSignatureSize) {
        if (error != nullptr) *error = path + ": " + strerror(errno);
        if (m_File != nullptr) fclose(m_File);
        m_File = nullptr;
        return false;
    }
    return true;
}

bool PushRecordWriter::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_File != nullptr;
}

bool PushRecordWriter::Write(const RecordedPush& push) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_File == nullptr) return false;
    unsigned char header[kEntryHeader];
    Put(header, push.micros, 8);
    header[8] = push.main_type;
    header[9] = push.sub_type;
    header[10] = push.market;
    Put(header + 11, push.driver_id, 2);
    header[13] = push.compressed;
    Put(header + 14, push.bytes.size(), 4);
    if (fwrite(header, 1, sizeof header, m_File) != sizeof header ||
        fwrite(push.bytes.data(), 1, push.bytes.size(), m_File) != push.bytes.size()) {
        fclose(m_File);
        m_File = nullptr;
        return false;
    }
    return true;
}

bool PushRecordWriter::Close() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    const bool closed = m_File == nullptr || fclose(m_File) == 0;
    m_File = nullptr;
    return closed;
}

PushRecordReader::~PushRecordReader() {
    if (m_File != nullptr) fclose(m_File);
}

bool PushRecordReader::Open(const std::string& path, std::string* error) {
    if (m_File != nullptr) fclose(m_File);
    m_File = fopen(path.c_str(), "rb");
    if (m_File == nullptr) {
        *error = path + ": " + strerror(errno);
        return false;
    }
    char signature[kSignatureSize];
    if (fread(signature, 1, kSignatureSize, m_File) != kSignatureSize ||
        memcmp(signature, kSignature, kSignatureSize) != 0) {
        *error = path + ": not a push record of this host";
        fclose(m_File);
        m_File = nullptr;
        return false;
    }
    return true;
}

int PushRecordReader::Next(RecordedPush* push, std::string* error) {
    if (m_File == nullptr) return 0;
    unsigned char header[kEntryHeader];
    const size_t got = fread(header, 1, sizeof header, m_File);
    if (got == 0) return 0;
    if (got != sizeof header) {
        *error = "the last entry is cut short";
        return -1;
    }
    push->micros = Get(header, 8);
    push->main_type = header[8];
    push->sub_type = header[9];
    push->market = header[10];
    push->driver_id = static_cast<uint16_t>(Get(header + 11, 2));
    push->compressed = header[13];
    const uint32_t length = static_cast<uint32_t>(Get(header + 14, 4));
    if (length > kLargestPush) {
        *error = "an entry claims " + std::to_string(length) + " bytes";
        return -1;
    }
    push->bytes.resize(length);
    if (length > 0 && fread(&push->bytes[0], 1, length, m_File) != length) {
        *error = "the last entry is cut short";
        return -1;
    }
    return 1;
}

}  // namespace zephyr::hostkit
