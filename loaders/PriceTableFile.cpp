#include "loaders/PriceTableFile.h"

#include <cstring>

#include "foundation/MDateTime.h"
#include "loaders/HKZxjcLoader.h"
#include "foundation/PackedCodec.h"
#include "market/Records.h"

namespace zephyr {

namespace {

constexpr uint32_t kMode = MFile::kRead | MFile::kWrite | MFile::kShareRead | MFile::kShareWrite;

}  // namespace

PriceTableFile::PriceTableFile(HKZxjcLoader& loader) : loader_(loader) {
    memcpy(header_, "RVPT", 4);
    StoreLe<uint32_t>(header_ + 4, kVersion);
    StoreLe<uint32_t>(header_ + 8, 0);
    StoreLe<uint32_t>(header_ + 12, kFileSize);
}

int32_t PriceTableFile::Open(const char* path) {
    file_.Close();
    created_ = false;
    int32_t opened;
    if (MFile::Exists(path) == 1) {
        opened = file_.Open(path, kMode);
    } else {
        opened = file_.Create(path, kMode);
        created_ = opened >= 1;
    }
    if (opened < 1) return opened;
    path_ = path;
    const int32_t at = file_.Seek(0, MFile::kBegin);
    return at < 0 ? at : 1;
}

int32_t PriceTableFile::Load(PriceTable& table) {
    if (!file_.IsOpen()) return -10;
    const int32_t at = file_.Seek(0, MFile::kBegin);
    if (at < 0) return at;
    return loader_.Instance(table) != 0 ? -12 : static_cast<int32_t>(kFileSize);
}

int32_t PriceTableFile::Save(const PriceTable& table) {
    if (!file_.IsOpen()) return -10;
    StoreLe<uint32_t>(header_ + 8, static_cast<uint32_t>(MDateTime::Current().GetDate()));
    uint8_t bytes[sizeof(PriceTable)];
    EncodeRecord(table, bytes);

    const MString temp = path_.Concat(".tmp");
    MFile::Delete(temp.GetData());  // left over by an interrupted save, if any
    int32_t result = static_cast<int32_t>(sizeof bytes);
    {
        MFile out;
        if (out.Create(temp.GetData(), kMode) < 1) return -11;
        if (out.Write(header_, kHeaderSize) != static_cast<int32_t>(kHeaderSize)) {
            result = -12;
        } else if (out.Write(bytes, sizeof bytes) != static_cast<int32_t>(sizeof bytes)) {
            result = -13;
        } else if (out.Flush() < 1) {
            result = -14;
        }
    }
    if (result > 0 && MFile::Rename(temp.GetData(), path_.GetData()) < 1) result = -15;
    if (result < 0) MFile::Delete(temp.GetData());
    return result;
}

}  // namespace zephyr
