#include "foundation/MFileReplacement.h"

namespace zephyr {

MFileReplacement::MFileReplacement(const MString& path) : m_Path(path), m_Temp(path.Concat(".tmp")) {}

MFileReplacement::~MFileReplacement() {
    m_File.Close();
    if (!m_Renamed) MFile::Delete(m_Temp.GetData());
}

int32_t MFileReplacement::Create(uint32_t mode) {
    MFile::Delete(m_Temp.GetData());
    return m_File.Create(m_Temp.GetData(), mode);
}

int32_t MFileReplacement::Rename() {
    m_File.Close();
    const int32_t renamed = MFile::Rename(m_Temp.GetData(), m_Path.GetData());
    if (renamed >= 1) m_Renamed = true;
    return renamed;
}

}  // namespace zephyr
