// A file written anew beside its path (the path with ".tmp" added) and renamed over it once
// complete, so that a failed save leaves the old file as it was. A replacement that is not
// renamed removes its temporary file when it ends: a failure leaves nothing behind.
// One thread at a time.
#pragma once
#include <cstdint>

#include "foundation/MFile.h"
#include "foundation/MString.h"

namespace zephyr {

class MFileReplacement {
public:
    explicit MFileReplacement(const MString& path);
    ~MFileReplacement();
    MFileReplacement(const MFileReplacement&) = delete;
    MFileReplacement& operator=(const MFileReplacement&) = delete;

    // Creates the temporary file with mode (one left over by an interrupted save is removed
    // first): 1, or the file's negative error.
    int32_t Create(uint32_t mode);
    // The temporary file, to be written.
    MFile& File() { return m_File; }
    // Writes the temporary file through to the device: the file's result.
    int32_t Flush() { return m_File.Flush(); }
    // Closes the temporary file and renames it over the path: 1, or the negative error.
    int32_t Rename();

private:
    MString m_Path;
    MString m_Temp;
    MFile m_File;
    bool m_Renamed = false;
};

}  // namespace zephyr
