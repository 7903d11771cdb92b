// Read-only access to a dBASE III table (DBF): the whole file is read into memory by Load and its
// fields are read by name from one current record at a time. Every operation takes the object's
// lock, so one thread may reload the table while others read: a call sees either the old or the
// new contents of a whole load. Failures are returned as negative error values, never raised.
#pragma once
#include <cstdint>

#include "foundation/MCriticalSection.h"
#include "foundation/MFile.h"
#include "foundation/MString.h"

namespace zephyr {

class MRDbFile {
public:
    // One field descriptor as it stands in the file (32 bytes); the 4 reserved bytes at 12 hold
    // the field's offset inside the record once loaded.
    struct FieldDescriptor {
        char name[11];      // NUL-padded, not necessarily terminated
        char type;          // type letter, not examined
        uint32_t offset;    // in memory: offset of the field inside the record (1 for the first)
        uint8_t length;
        uint8_t decimals;   // not examined
        uint8_t reserved[14];
    } __attribute__((packed));
    static_assert(sizeof(FieldDescriptor) == 32, "DBF field descriptor is 32 bytes");

    static constexpr uint32_t kHeaderSize = 32;

    MRDbFile();
    virtual ~MRDbFile();  // Close
    MRDbFile(const MRDbFile&) = delete;
    MRDbFile& operator=(const MRDbFile&) = delete;

    // Drops what was held and reads the file afresh. 1 on success; the file stays open until
    // the next Load or Close. Errors: SystemError when the file cannot be opened;
    // ERR_DBF_HEADER for a short header, no field descriptor, or a header that contradicts
    // itself (record count times record size beyond 32 bits, fields running past the record);
    // ERR_DBF_READ_FIELDS when the descriptors cannot be read; ERR_DBF_READ_DATA when the file
    // holds fewer record bytes than announced; ERR_NO_MEMORY. After a failure nothing is held.
    int32_t Load(const char* path);
    // Drops everything held and closes the file.
    void Close();

    uint32_t GetRecordCount();
    uint32_t GetFieldCount();
    // Makes record index current: 1, or ERR_BAD_ARGUMENT (current record unchanged) when index
    // is negative or not below the record count.
    int32_t GoTo(int32_t index);

    // Copies the field's bytes of the current record unchanged (filling spaces included) and a
    // terminator into buffer. Field names compare over at most 11 bytes, case significant.
    // Returns the field length, or ERR_NOT_INITIALISED (nothing loaded, no records, null name),
    // ERR_DBF_NO_FIELD, ERR_BAD_ARGUMENT (field length not below size, null buffer).
    int32_t ReadField(const char* name, char* buffer, uint16_t size);
    // The field as a decimal number (leading blanks skipped, optional sign). 1, or the error
    // of ReadField.
    int32_t ReadInteger(const char* name, int32_t& value);
    int32_t ReadDouble(const char* name, double& value);

private:
    // Frees what is held; the caller holds the lock.
    void Release();

    MCriticalSection m_Lock;
    uint8_t m_Header[kHeaderSize];
    FieldDescriptor* m_Fields;
    uint32_t m_FieldCount;
    uint8_t* m_Records;
    uint32_t m_RecordCount;
    uint32_t m_RecordSize;
    uint32_t m_CurrentRecord;
    MString m_Path;
    MFile m_File;
};

}  // namespace zephyr
