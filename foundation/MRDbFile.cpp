#include "foundation/MRDbFile.h"

#include <cstring>
#include <new>

#include "foundation/MErrorCode.h"
#include "foundation/MLocalSection.h"
#include "foundation/MText.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

namespace {

uint32_t Le16(const uint8_t* p) { return LoadLe<uint16_t>(p); }
uint32_t Le32(const uint8_t* p) { return LoadLe<uint32_t>(p); }

// Reads up to count bytes at offset; returns the number read (short at the end of the file)
// or a negative error value.
int32_t ReadAt(MFile& file, uint32_t offset, void* buffer, uint32_t count) {
    int32_t rc = file.Seek(static_cast<int32_t>(offset), MFile::kBegin);
    if (rc < 0) return rc;
    uint32_t done = 0;
    while (done < count) {
        rc = file.Read(static_cast<uint8_t*>(buffer) + done, count - done);
        if (rc < 0) return rc;
        if (rc == 0) break;
        done += static_cast<uint32_t>(rc);
    }
    return static_cast<int32_t>(done);
}

}  // namespace

MRDbFile::MRDbFile()
    : m_Header(), m_Fields(nullptr), m_FieldCount(0), m_Records(nullptr), m_RecordCount(0),
      m_RecordSize(0), m_CurrentRecord(0) {}

MRDbFile::~MRDbFile() { Close(); }

void MRDbFile::Release() {
    delete[] m_Fields;
    m_Fields = nullptr;
    m_FieldCount = 0;
    delete[] m_Records;
    m_Records = nullptr;
    m_RecordCount = 0;
    m_RecordSize = 0;
    m_CurrentRecord = 0;
    std::memset(m_Header, 0, sizeof(m_Header));
}

void MRDbFile::Close() {
    MLocalSection lock(m_Lock);
    Release();
    m_Path.Empty();
    m_File.Close();
}

int32_t MRDbFile::Load(const char* path) {
    MLocalSection lock(m_Lock);
    Close();
    m_Path = path;
    int32_t rc = m_File.Open(path, MFile::kRead | MFile::kShareRead | MFile::kShareWrite);
    if (rc < 0) return rc;

    // Any failure below drops what was read so far: a half-loaded table is never read from.
    auto fail = [this](int32_t error) {
        Release();
        m_File.Close();
        return error;
    };

    if (ReadAt(m_File, 0, m_Header, kHeaderSize) != static_cast<int32_t>(kHeaderSize)) {
        return fail(ERR_DBF_HEADER);
    }
    const uint32_t record_count = Le32(m_Header + 4);
    const uint32_t header_size = Le16(m_Header + 8);
    const uint32_t record_size = Le16(m_Header + 10);
    if (header_size < kHeaderSize) return fail(ERR_DBF_HEADER);
    const uint32_t field_count = (header_size - kHeaderSize) / sizeof(FieldDescriptor);
    if (field_count == 0) return fail(ERR_DBF_HEADER);

    m_Fields = new (std::nothrow) FieldDescriptor[field_count];
    if (m_Fields == nullptr) return fail(ERR_NO_MEMORY);
    const uint32_t fields_bytes = field_count * sizeof(FieldDescriptor);
    if (ReadAt(m_File, kHeaderSize, m_Fields, fields_bytes) != static_cast<int32_t>(fields_bytes)) {
        return fail(ERR_DBF_READ_FIELDS);
    }
    m_FieldCount = field_count;
    // Each record starts with its deletion flag; the fields follow in descriptor order and must
    // all lie inside the record, or ReadField would read past it.
    uint32_t offset = 1;
    for (uint32_t i = 0; i < field_count; ++i) {
        m_Fields[i].offset = offset;
        offset += m_Fields[i].length;
        if (offset > record_size) return fail(ERR_DBF_HEADER);
    }

    const uint64_t data_bytes = static_cast<uint64_t>(record_count) * record_size;
    if (data_bytes > UINT32_MAX) return fail(ERR_DBF_HEADER);
    // Compare with the file before allocating, so a lying header costs no memory.
    const int32_t file_length = m_File.GetLength();
    if (file_length < 0) return fail(file_length);
    if (header_size + data_bytes > static_cast<uint32_t>(file_length)) {
        return fail(ERR_DBF_READ_DATA);
    }
    if (data_bytes > 0) {
        m_Records = new (std::nothrow) uint8_t[data_bytes];
        if (m_Records == nullptr) return fail(ERR_NO_MEMORY);
        const uint32_t wanted = static_cast<uint32_t>(data_bytes);
        rc = ReadAt(m_File, header_size, m_Records, wanted);
        if (rc < 0 || static_cast<uint32_t>(rc) != wanted) return fail(ERR_DBF_READ_DATA);
    }
    m_RecordCount = record_count;
    m_RecordSize = record_size;
    m_CurrentRecord = 0;
    return 1;
}

uint32_t MRDbFile::GetRecordCount() {
    MLocalSection lock(m_Lock);
    return m_RecordCount;
}

uint32_t MRDbFile::GetFieldCount() {
    MLocalSection lock(m_Lock);
    return m_FieldCount;
}

int32_t MRDbFile::GoTo(int32_t index) {
    MLocalSection lock(m_Lock);
    if (index < 0 || static_cast<uint32_t>(index) >= m_RecordCount) return ERR_BAD_ARGUMENT;
    m_CurrentRecord = static_cast<uint32_t>(index);
    return 1;
}

int32_t MRDbFile::ReadField(const char* name, char* buffer, uint16_t size) {
    MLocalSection lock(m_Lock);
    if (m_Fields == nullptr || name == nullptr) return ERR_NOT_INITIALISED;
    const FieldDescriptor* field = nullptr;
    for (uint32_t i = 0; i < m_FieldCount; ++i) {
        if (std::strncmp(m_Fields[i].name, name, sizeof(m_Fields[i].name)) == 0) {
            field = &m_Fields[i];
            break;
        }
    }
    if (field == nullptr) return ERR_DBF_NO_FIELD;
    if (m_Records == nullptr) return ERR_NOT_INITIALISED;
    if (buffer == nullptr || field->length >= size) return ERR_BAD_ARGUMENT;
    const uint8_t* record = m_Records + static_cast<size_t>(m_CurrentRecord) * m_RecordSize;
    std::memcpy(buffer, record + field->offset, field->length);
    buffer[field->length] = '\0';
    return field->length;
}

int32_t MRDbFile::ReadInteger(const char* name, int32_t& value) {
    char text[256];
    const int32_t rc = ReadField(name, text, sizeof(text));
    if (rc < 0) return rc;
    value = MText::ToInteger(text, static_cast<size_t>(rc));
    return 1;
}

int32_t MRDbFile::ReadDouble(const char* name, double& value) {
    char text[256];
    const int32_t rc = ReadField(name, text, sizeof(text));
    if (rc < 0) return rc;
    value = MText::ToDouble(text, static_cast<size_t>(rc));
    return 1;
}

}  // namespace zephyr
