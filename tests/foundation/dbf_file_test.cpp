#include "foundation/MRDbFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/MErrorCode.h"
#include "tests/SystemErrors.h"
#include "tests/TempFolder.h"

using namespace zephyr;

namespace {

// Written by another program than ours, with the shapelib tools:
//   dbfcreate shortname.dbf -s S1 6 -s S2 12 -n S26 8 0 -n NRRATE 10 3
//   dbfadd shortname.dbf 00700 "$(printf '港股测试' | iconv -f UTF-8 -t GBK)" 100 0.125
//   dbfadd shortname.dbf 00005 ALPHA 400 -12.5
//   dbfadd shortname.dbf 09988 BETA-SW 50 3
// Numeric fields are stored right-aligned with leading spaces ("     100", "   -12.500").
const std::string kShortNameDbf = ZEPHYR_SOURCE_DIR "/tests/foundation/fixtures/shortname.dbf";

struct Field {
    const char* name;
    uint8_t length;
};

void PutLe(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A DBF image: header announcing record_count and record_size, one descriptor per field
// (header size 32 * (n + 1) + 1), then data_bytes bytes of records filled with 'x'.
std::vector<uint8_t> MakeDbf(uint32_t record_count, uint32_t record_size,
                             const std::vector<Field>& fields, size_t data_bytes) {
    std::vector<uint8_t> bytes(32 + 32 * fields.size() + 1, 0);
    bytes[0] = 0x03;
    PutLe(bytes, 4, record_count, 4);
    PutLe(bytes, 8, static_cast<uint32_t>(bytes.size()), 2);
    PutLe(bytes, 10, record_size, 2);
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t at = 32 + 32 * i;
        for (size_t c = 0; fields[i].name[c] != '\0' && c < 11; ++c) bytes[at + c] = fields[i].name[c];
        bytes[at + 11] = 'C';
        bytes[at + 16] = fields[i].length;
    }
    bytes.back() = 0x0D;
    bytes.insert(bytes.end(), data_bytes, 'x');
    return bytes;
}

class DbfFileTest : public ::testing::Test {
protected:
    std::string Path() const { return m_Folder.Path() + "/t.dbf"; }
    void WriteFile(const std::vector<uint8_t>& bytes) {
        FILE* f = std::fopen(Path().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
    }

    tests::TempFolder m_Folder{"zephyr_dbf_"};
};

TEST_F(DbfFileTest, ReadsFileWrittenByShapelib) {
    MRDbFile dbf;
    ASSERT_EQ(dbf.Load(kShortNameDbf.c_str()), 1);
    ASSERT_EQ(dbf.GetRecordCount(), 3u);
    EXPECT_EQ(dbf.GetFieldCount(), 4u);

    char text[32];
    EXPECT_EQ(dbf.ReadField("S1", text, sizeof(text)), 6);
    EXPECT_STREQ(text, "00700 ");
    EXPECT_EQ(dbf.ReadField("S2", text, sizeof(text)), 12);
    EXPECT_STREQ(text, "港股测试    ");  // GBK bytes, filling spaces kept
    int32_t number = 0;
    double rate = 0;
    EXPECT_EQ(dbf.ReadInteger("S26", number), 1);
    EXPECT_EQ(number, 100);
    EXPECT_EQ(dbf.ReadDouble("NRRATE", rate), 1);
    EXPECT_DOUBLE_EQ(rate, 0.125);

    ASSERT_EQ(dbf.GoTo(1), 1);
    EXPECT_EQ(dbf.ReadInteger("S26", number), 1);
    EXPECT_EQ(number, 400);
    EXPECT_EQ(dbf.ReadDouble("NRRATE", rate), 1);
    EXPECT_DOUBLE_EQ(rate, -12.5);
    EXPECT_EQ(dbf.ReadInteger("NRRATE", number), 1);
    EXPECT_EQ(number, -12);

    // Out of range keeps the current record.
    EXPECT_EQ(dbf.GoTo(3), ERR_BAD_ARGUMENT);
    EXPECT_EQ(dbf.GoTo(-1), ERR_BAD_ARGUMENT);
    EXPECT_EQ(dbf.ReadField("S1", text, sizeof(text)), 6);
    EXPECT_STREQ(text, "00005 ");

    // Names are case significant; the buffer must hold the field and a terminator.
    EXPECT_EQ(dbf.ReadField("s1", text, sizeof(text)), ERR_DBF_NO_FIELD);
    EXPECT_EQ(dbf.ReadField(nullptr, text, sizeof(text)), ERR_NOT_INITIALISED);
    EXPECT_EQ(dbf.ReadField("S26", text, 8), ERR_BAD_ARGUMENT);
    EXPECT_EQ(dbf.ReadField("S26", text, 9), 8);
    EXPECT_STREQ(text, "     400");

    dbf.Close();
    EXPECT_EQ(dbf.GetRecordCount(), 0u);
    EXPECT_EQ(dbf.GoTo(0), ERR_BAD_ARGUMENT);
    EXPECT_EQ(dbf.ReadInteger("S26", number), ERR_NOT_INITIALISED);
}

TEST_F(DbfFileTest, RejectsBrokenFilesAndHoldsNothingAfterwards) {
    const std::vector<Field> two = {{"CODE", 5}, {"NAME", 4}};  // record size 10 with the flag
    std::vector<uint8_t> short_header(31, 0);
    std::vector<uint8_t> header_32 = MakeDbf(0, 10, {}, 0);
    PutLe(header_32, 8, 32, 2);
    std::vector<uint8_t> header_63 = MakeDbf(0, 10, two, 0);
    PutLe(header_63, 8, 63, 2);
    std::vector<uint8_t> cut_descriptors = MakeDbf(1, 10, two, 10);
    cut_descriptors.resize(80);
    // 0x40000001 * 4 bytes = 2^32 + 4: wraps to 4 bytes in 32 bits, which the file does hold.
    std::vector<uint8_t> wrapping = MakeDbf(0x40000001u, 4, {{"A", 3}}, 4);
    std::vector<uint8_t> field_past_record = MakeDbf(1, 9, two, 9);
    std::vector<uint8_t> fewer_records = MakeDbf(3, 10, two, 25);
    std::vector<uint8_t> huge_count = MakeDbf(0x00FFFFFFu, 200, two, 10);

    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t expected;
    } cases[] = {
        {"fewer than 32 bytes", short_header, ERR_DBF_HEADER},
        {"header size 32", header_32, ERR_DBF_HEADER},
        {"header size 63", header_63, ERR_DBF_HEADER},
        {"descriptors cut short", cut_descriptors, ERR_DBF_READ_FIELDS},
        {"record bytes wrap 32 bits", wrapping, ERR_DBF_HEADER},
        {"fields run past the record", field_past_record, ERR_DBF_HEADER},
        {"fewer records than announced", fewer_records, ERR_DBF_READ_DATA},
        {"huge record count, tiny file", huge_count, ERR_DBF_READ_DATA},
    };
    MRDbFile dbf;
    char text[16];
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Start each case from a good load so a failure has something to drop.
        WriteFile(MakeDbf(2, 10, two, 20));
        ASSERT_EQ(dbf.Load(Path().c_str()), 1);
        ASSERT_EQ(dbf.GoTo(1), 1);

        WriteFile(c.bytes);
        EXPECT_EQ(dbf.Load(Path().c_str()), c.expected);
        EXPECT_EQ(dbf.GetRecordCount(), 0u);
        EXPECT_EQ(dbf.ReadField("CODE", text, sizeof(text)), ERR_NOT_INITIALISED);
    }
    EXPECT_EQ(dbf.Load((m_Folder.Path() + "/missing.dbf").c_str()), SystemError(tests::kNoSuchFile));
}

TEST_F(DbfFileTest, EmptyTableAndFieldEndingAtRecordEnd) {
    // No records: fields are known, but there is nothing to read.
    WriteFile(MakeDbf(0, 10, {{"CODE", 5}, {"NAME", 4}}, 0));
    MRDbFile dbf;
    ASSERT_EQ(dbf.Load(Path().c_str()), 1);
    EXPECT_EQ(dbf.GetRecordCount(), 0u);
    EXPECT_EQ(dbf.GoTo(0), ERR_BAD_ARGUMENT);
    char text[16];
    EXPECT_EQ(dbf.ReadField("NAME", text, sizeof(text)), ERR_NOT_INITIALISED);
    EXPECT_EQ(dbf.ReadField("NONE", text, sizeof(text)), ERR_DBF_NO_FIELD);

    // The last field may end exactly at the end of the record.
    WriteFile(MakeDbf(1, 10, {{"CODE", 5}, {"NAME", 4}}, 10));
    ASSERT_EQ(dbf.Load(Path().c_str()), 1);
    EXPECT_EQ(dbf.ReadField("NAME", text, sizeof(text)), 4);
    EXPECT_STREQ(text, "xxxx");
}

}  // namespace
