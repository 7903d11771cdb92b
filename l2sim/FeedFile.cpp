#include "l2sim/FeedFile.h"

#include <cstring>
#include <utility>

namespace zephyr::l2sim {

namespace {

constexpr char kMagic[] = "NIMBUSFEED1\n";
constexpr size_t kMagicLength = sizeof kMagic - 1;

}  // namespace

bool FeedWriter::Open(const std::string& path) {
    Close();
    m_File = fopen(path.c_str(), "wb");
    if (m_File == nullptr) return false;
    if (fwrite(kMagic, 1, kMagicLength, m_File) != kMagicLength) {
        Close();
        return false;
    }
    return true;
}

bool FeedWriter::Write(uint32_t pause_us, const uint8_t* data, size_t length) {
    if (m_File == nullptr || length == 0 || length > 0xFFFF) return false;
    uint8_t head[6];
    memcpy(head, &pause_us, 4);
    const uint16_t n = static_cast<uint16_t>(length);
    memcpy(head + 4, &n, 2);
    return fwrite(head, 1, sizeof head, m_File) == sizeof head &&
           fwrite(data, 1, length, m_File) == length;
}

void FeedWriter::Close() {
    if (m_File != nullptr) {
        fclose(m_File);
        m_File = nullptr;
    }
}

bool ReadFeed(const std::string& path, std::vector<FeedEntry>* entries, std::string* reason) {
    entries->clear();
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *reason = "cannot open " + path;
        return false;
    }
    char magic[kMagicLength];
    bool ok = fread(magic, 1, kMagicLength, file) == kMagicLength &&
              memcmp(magic, kMagic, kMagicLength) == 0;
    if (!ok) *reason = path + " is not a recorded feed";
    while (ok) {
        uint8_t head[6];
        const size_t got = fread(head, 1, sizeof head, file);
        if (got == 0) break;
        FeedEntry entry;
        uint16_t length = 0;
        if (got == sizeof head) {
            memcpy(&entry.pause_us, head, 4);
            memcpy(&length, head + 4, 2);
        }
        if (got != sizeof head || length == 0) {
            *reason = path + " ends inside an entry";
            ok = false;
            break;
        }
        entry.data.resize(length);
        if (fread(entry.data.data(), 1, length, file) != length) {
            *reason = path + " ends inside an entry";
            ok = false;
            break;
        }
        entries->push_back(std::move(entry));
    }
    fclose(file);
    if (!ok) entries->clear();
    return ok;
}

}  // namespace zephyr::l2sim
