#include "config/IniReading.h"

#include <cerrno>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "foundation/MIniFile.h"

namespace zephyr {

bool IniFileStands(const MString& path) {
    return MFile::KindOf(MIniFile::ResolvePath(path).GetData()) > 0;
}

int32_t OpenIniForReading(MIniFile* ini, const MString& path, bool* missing, bool* part_read) {
    *missing = false;
    if (part_read != nullptr) *part_read = false;
    const MString location = MIniFile::ResolvePath(path);
    const int32_t kind = MFile::KindOf(location.GetData());
    if (kind < 0) {
        *missing = true;
        return kind;
    }
    if (kind != MFile::kIsFile) return SystemError(kind == MFile::kIsDirectory ? EISDIR : EINVAL);
    MFile probe;
    const int32_t opened =
        probe.Open(location.GetData(), MFile::kRead | MFile::kShareRead | MFile::kShareWrite);
    if (opened < 0) return opened;
    probe.Close();
    const int32_t read = ini->Open(location, MIniFile::kLineMode);
    if (read < 0 && part_read != nullptr) *part_read = true;
    return read;
}

}  // namespace zephyr
