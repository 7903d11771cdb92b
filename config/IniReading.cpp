#include "config/IniReading.h"

#include <sys/stat.h>

#include <cerrno>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "foundation/MIniFile.h"

namespace zephyr {

bool IniFileStands(const MString& path) {
    struct stat info;
    return stat(MIniFile::ResolvePath(path).GetData(), &info) == 0;
}

int32_t OpenIniForReading(MIniFile* ini, const MString& path, bool* missing, bool* part_read) {
    *missing = false;
    if (part_read != nullptr) *part_read = false;
    const MString location = MIniFile::ResolvePath(path);
    struct stat info;
    if (stat(location.GetData(), &info) != 0) {
        *missing = true;
        return LastSystemError();
    }
    if (!S_ISREG(info.st_mode)) return SystemError(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
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
