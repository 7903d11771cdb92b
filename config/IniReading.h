// Reading the configuration's ini files without ever writing them.
//
// MIniFile marks a file it could not open as modified, so that saving, clearing or destroying
// the object creates it, or replaces it when it exists but could not be read. The driver's ini
// file and the holiday file are only read at start: these helpers look at the file first and let
// MIniFile open only what it can read, so a missing or unreadable file is left as it stands.
#pragma once
#include <cstdint>

#include "foundation/MString.h"

namespace zephyr {

class MIniFile;

// Whether anything (a file, a folder, ...) stands where MIniFile would read or write path.
bool IniFileStands(const MString& path);

// Opens path into ini when it is a regular file that can be read: the result of MIniFile::Open
// (1; the read error when reading failed part-way, what was read kept and *part_read set; or the
// MException of a comment without an owner). Otherwise the negative error value of the look,
// *missing set when nothing stands there, and ini untouched and unmodified.
int32_t OpenIniForReading(MIniFile* ini, const MString& path, bool* missing, bool* part_read = nullptr);

}  // namespace zephyr
