#include "loaders/PriceTableFile.h"

#include <cstring>

#include "foundation/MDateTime.h"
#include "foundation/MFileReplacement.h"
#include "loaders/HKZxjcLoader.h"
#include "foundation/PackedCodec.h"
#include "market/Records.h"

namespace zephyr {

namespace {

constexpr uint32_t kMode = MFile::kRead | MFile::kWrite | MFile::kShareRead | MFile::kShareWrite;

}  // namespace

PriceTableFile::PriceTableFile(HKZxjcLoader& loader) : m_Loader(loader) {
    memcpy(m_Header, "RVPT", 4);
    StoreLe<uint32_t>(m_Header + 4, kVersion);
    StoreLe<uint32_t>(m_Header + 8, 0);
    StoreLe<uint32_t>(m_Header + 12, kFileSize);
}

int32_t PriceTableFile::Open(const char* path) {
    m_File.Close();
    m_Path.Empty();
    m_Created = false;
    int32_t opened;
    if (MFile::Exists(path) == 1) {
        opened = m_File.Open(path, kMode);
    } else {
        opened = m_File.Create(path, kMode);
        m_Created = opened >= 1;
    }
    if (opened < 1) return opened;
    m_Path = path;
    const int32_t at = m_File.Seek(0, MFile::kBegin);
    return at < 0 ? at : 1;
}

int32_t PriceTableFile::Load(PriceTable& table) {
    if (!m_File.IsOpen()) return -10;
    const int32_t at = m_File.Seek(0, MFile::kBegin);
    if (at < 0) return at;
    return m_Loader.Instance(table) != 0 ? -12 : static_cast<int32_t>(kFileSize);
}

int32_t PriceTableFile::Save(const PriceTable& table) {
#if defined(_WIN32)
    // A file let go around an earlier replacement and not opened again is opened now.
    if (!m_File.IsOpen() && !m_Path.IsEmpty()) m_File.Open(m_Path.GetData(), kMode);
#endif
    if (!m_File.IsOpen()) return -10;
    StoreLe<uint32_t>(m_Header + 8, static_cast<uint32_t>(MDateTime::Current().GetDate()));
    uint8_t bytes[sizeof(PriceTable)];
    EncodeRecord(table, bytes);

    MFileReplacement out(m_Path);
    if (out.Create(kMode) < 1) return -11;
    if (out.File().Write(m_Header, kHeaderSize) != static_cast<int32_t>(kHeaderSize)) return -12;
    if (out.File().Write(bytes, sizeof bytes) != static_cast<int32_t>(sizeof bytes)) return -13;
    if (out.Flush() < 1) return -14;
#if defined(_WIN32)
    // Windows renames over no file that a handle holds open: the open file is let go for the
    // rename and opened again after it (the new file, or the old one when the rename failed).
    // A reopen that fails does not undo a save that went through; the next save tries again.
    m_File.Close();
    const int32_t renamed = out.Rename();
    m_File.Open(m_Path.GetData(), kMode);
    if (renamed < 1) return -15;
#else
    if (out.Rename() < 1) return -15;
#endif
    return static_cast<int32_t>(sizeof bytes);
}

}  // namespace zephyr
