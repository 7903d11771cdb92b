// A recorded level-2 feed: the pushes of a run, in order, each with the pause that preceded it,
// so that a day can be sent again exactly.
//
// Layout: the 12 bytes "NIMBUSFEED1\n", then per push: pause in microseconds (u32), length
// (u16, 1..65535), the push bytes (uncompressed). Little-endian.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zephyr::l2sim {

class FeedWriter {
public:
    FeedWriter() = default;
    ~FeedWriter() { Close(); }
    FeedWriter(const FeedWriter&) = delete;
    FeedWriter& operator=(const FeedWriter&) = delete;

    // Creates (truncates) the file and writes the magic; false when it cannot.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_File != nullptr; }
    // False on a write error or a length outside 1..65535.
    bool Write(uint32_t pause_us, const uint8_t* data, size_t length);
    void Close();

private:
    FILE* m_File = nullptr;
};

struct FeedEntry {
    uint32_t pause_us;
    std::vector<uint8_t> data;
};

// Reads a whole recorded feed. False (with a reason) when the file cannot be read, lacks the
// magic or ends inside an entry.
bool ReadFeed(const std::string& path, std::vector<FeedEntry>* entries, std::string* reason);

}  // namespace zephyr::l2sim
