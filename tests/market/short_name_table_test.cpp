// The short-name table read from a DBF file, its lookup by the first 5 code bytes, its frames,
// and the short-name rule of code entries built on it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/ScratchFolder.h"
#include "market/CodeRules.h"
#include "foundation/PackedCodec.h"
#include "market/ShortNameTable.h"
#include "tests/market/TestCodes.h"

namespace zephyr {
namespace {

using testing::V;

struct DbfField {
    std::string name;
    char type;
    uint8_t length;
};

// A dBASE III file: header, descriptors, 0x0D, then records (deletion flag and fields padded
// with spaces; numbers right-aligned).
std::string MakeDbf(const std::vector<DbfField>& fields, const std::vector<std::vector<std::string>>& rows) {
    uint16_t record_size = 1;
    for (const DbfField& f : fields) record_size = static_cast<uint16_t>(record_size + f.length);
    const uint16_t header_size = static_cast<uint16_t>(32 * (fields.size() + 1) + 1);
    std::string out(32, '\0');
    out[0] = 3;
    StoreLe<uint32_t>(&out[4], static_cast<uint32_t>(rows.size()));
    StoreLe<uint16_t>(&out[8], header_size);
    StoreLe<uint16_t>(&out[10], record_size);
    for (const DbfField& f : fields) {
        std::string d(32, '\0');
        std::memcpy(&d[0], f.name.data(), f.name.size());
        d[11] = f.type;
        d[16] = static_cast<char>(f.length);
        out += d;
    }
    out += '\x0D';
    for (const auto& row : rows) {
        out += ' ';
        for (size_t i = 0; i < fields.size(); ++i) {
            std::string value = row[i].substr(0, fields[i].length);
            const std::string pad(fields[i].length - value.size(), ' ');
            out += fields[i].type == 'N' ? pad + value : value + pad;
        }
    }
    return out;
}

const std::vector<DbfField> kFields = {
    {"S1", 'C', 6}, {"S2", 'C', 8}, {"S26", 'C', 50}, {"INDEXCODE", 'N', 8}, {"NRRATE", 'N', 10}};

class ShortNames : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        m_Folder.WriteFile(name, bytes);
        return m_Folder.Join(name);
    }
    hostkit::ScratchFolder m_Folder;
};

TEST_F(ShortNames, LoadsRowsAndLooksUpByTheFirstFiveBytes) {
    const std::string path = Write("namehk.dbf", MakeDbf(kFields, {
        {"00700", "腾讯控股", "TENCENT HOLDINGS LTD", "12", "0.8500"},
        {"00005", "HSBC", "HSBC HOLDINGS", "-3", "1.25"},
        {"00700", "SECOND", "a later row of the same code", "0", "0"},
    }));
    ShortNameTable table;
    ASSERT_EQ(table.LoadAll(path.c_str()), 1);
    ASSERT_EQ(table.Count(), 3u);

    ShortNameRow row;
    ASSERT_EQ(table.Lookup("00700", &row), 1);
    EXPECT_EQ(std::string(row.code, 6), "00700 ");  // as read, filling space included
    EXPECT_EQ(std::string(row.short_name, 8), "腾讯控股");
    EXPECT_EQ(std::string(row.name, 20), "TENCENT HOLDINGS LTD");
    EXPECT_EQ(V(row.index_code), 12);
    EXPECT_FLOAT_EQ(V(row.rate), 0.85f);
    ASSERT_EQ(table.Lookup("00005\0", &row), 1);
    EXPECT_EQ(V(row.index_code), -3);
    EXPECT_EQ(table.Lookup("00006", &row), 0);

    // The whole 72-byte row as it travels: S26 is cut by INDEXCODE at offset 64.
    uint8_t frame[2 + 3 * 72];
    ASSERT_EQ(table.FrameFill(0, 0, 216, frame, sizeof(frame)), 2 + 3 * 72);
    EXPECT_EQ(LoadLe<uint16_t>(frame), 3);
    EXPECT_EQ(LoadLe<int32_t>(frame + 2 + 64), 12);
    EXPECT_EQ(LoadLe<float>(frame + 2 + 68), 0.85f);
    EXPECT_EQ(frame[2 + 14 + 20], ' ');  // S26 padding kept as read

    // Loading again replaces the rows.
    const std::string other = Write("other.dbf", MakeDbf(kFields, {{"00001", "CKH", "", "0", "2"}}));
    ASSERT_EQ(table.LoadAll(other.c_str()), 1);
    EXPECT_EQ(table.Count(), 1u);
    EXPECT_EQ(table.Lookup("00700", &row), 0);
}

TEST_F(ShortNames, RowsWithAnUnreadableFieldAreSkipped) {
    struct Case {
        const char* name;
        std::vector<DbfField> fields;
    } cases[] = {
        {"code column wider than 6", {{"S1", 'C', 7}, {"S2", 'C', 8}, {"S26", 'C', 50}, {"INDEXCODE", 'N', 8}, {"NRRATE", 'N', 10}}},
        {"short name column wider than 8", {{"S1", 'C', 6}, {"S2", 'C', 9}, {"S26", 'C', 50}, {"INDEXCODE", 'N', 8}, {"NRRATE", 'N', 10}}},
        {"no rate column", {{"S1", 'C', 6}, {"S2", 'C', 8}, {"S26", 'C', 50}, {"INDEXCODE", 'N', 8}}},
        {"field names compare with case", {{"s1", 'C', 6}, {"S2", 'C', 8}, {"S26", 'C', 50}, {"INDEXCODE", 'N', 8}, {"NRRATE", 'N', 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> row = {"00700", "TC", "NAME", "1", "1"};
        row.resize(c.fields.size());
        const std::string path = Write("bad.dbf", MakeDbf(c.fields, {row, row}));
        ShortNameTable table;
        EXPECT_EQ(table.LoadAll(path.c_str()), 1);
        EXPECT_EQ(table.Count(), 0u);
    }
}

TEST_F(ShortNames, MissingFileAndClose) {
    ShortNameTable table;
    EXPECT_EQ(table.LoadAll(m_Folder.Join("absent.dbf").c_str()), -2);
    EXPECT_EQ(table.LoadAll(nullptr), -2);
    EXPECT_EQ(table.Capacity(), 0u);
    EXPECT_EQ(table.LoadAll(Write("broken.dbf", "short").c_str()), -2);

    // The block holds the file's rows and no more (the rows past it would be refused, as rows
    // past kRows are).
    const std::vector<std::string> row = {"00700", "TC", "", "0", "0"};
    for (size_t rows : {0, 1, 3}) {
        const std::string path = Write("namehk.dbf", MakeDbf(kFields, std::vector<std::vector<std::string>>(rows, row)));
        ASSERT_EQ(table.LoadAll(path.c_str()), 1);
        EXPECT_EQ(table.Count(), rows);
        EXPECT_EQ(table.Capacity(), rows);
        const ShortNameRow extra{};
        EXPECT_FALSE(table.Append(&extra));
    }
    table.Close();
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_EQ(table.Capacity(), 0u);
}

TEST_F(ShortNames, ShortNameRuleOfCodeEntries) {
    const std::string path = Write("namehk.dbf", MakeDbf(kFields, {{"00700", "腾讯控股", "", "0", "0.5"}}));
    ShortNameTable table;
    ASSERT_EQ(table.LoadAll(path.c_str()), 1);

    CodeEntry known;
    std::memset(&known, 0, sizeof(known));
    testing::SetCode(known.code, "00700");
    ApplyShortName(known, &table);
    EXPECT_EQ(std::string(known.short_name, 8), "腾讯控股");
    EXPECT_EQ(V(known.rate), 0.5f);

    CodeEntry unknown;
    std::memset(&unknown, 0, sizeof(unknown));
    testing::SetCode(unknown.code, "00001");
    std::memcpy(unknown.short_name, "XXXXXXYZ", 8);
    unknown.rate = 9.0f;
    ApplyShortName(unknown, &table);
    EXPECT_EQ(std::string(unknown.short_name, 8), std::string("00001\0YZ", 8));
    EXPECT_EQ(V(unknown.rate), 0.0f);

    // Without a table (or with one that never loaded) both fields keep what they held.
    ShortNameTable never_loaded;
    for (ShortNameTable* absent : {static_cast<ShortNameTable*>(nullptr), &never_loaded}) {
        CodeEntry e = unknown;
        std::memcpy(e.short_name, "KEEPKEEP", 8);
        e.rate = 3.0f;
        ApplyShortName(e, absent);
        EXPECT_EQ(std::string(e.short_name, 8), "KEEPKEEP");
        EXPECT_EQ(V(e.rate), 3.0f);
    }

    // A file of no rows is loaded all the same: every code is its own short name.
    ShortNameTable empty;
    ASSERT_EQ(empty.LoadAll(Write("empty.dbf", MakeDbf(kFields, {})).c_str()), 1);
    CodeEntry e = unknown;
    e.rate = 3.0f;
    ApplyShortName(e, &empty);
    EXPECT_EQ(std::string(e.short_name, 8), std::string("00001\0YZ", 8));
    EXPECT_EQ(V(e.rate), 0.0f);
    empty.Close();
    CodeEntry closed = unknown;
    std::memcpy(closed.short_name, "KEEPKEEP", 8);
    ApplyShortName(closed, &empty);  // closed: absent again
    EXPECT_EQ(std::string(closed.short_name, 8), "KEEPKEEP");
}

}  // namespace
}  // namespace zephyr
