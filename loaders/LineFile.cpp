#include "loaders/LineFile.h"

#include "foundation/MLog.h"

namespace zephyr {

LineFile::LineFile(MLogger& log, const char* module, const char* who, char* line, uint32_t size, char* block,
                   uint32_t block_size)
    : m_Log(log), m_Module(module), m_Who(who), m_Line(line), m_Size(size), m_Reader(m_File, size - 1, block, block_size) {}

bool LineFile::Open(const char* path, bool log_path, const char* path_module) {
    if (log_path) m_Log.Write(kLogInfo, path_module != nullptr ? path_module : m_Module, "%s : path [%s]", m_Who, path);
    return m_File.Open(path, MFile::kRead | MFile::kShareRead | MFile::kShareWrite) >= 1;
}

bool LineFile::HasTrailer() { return m_Reader.FindTrailerAndRewind(m_Line, m_Size) >= 1; }

}  // namespace zephyr
