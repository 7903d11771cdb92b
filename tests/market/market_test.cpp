// The market record, its categories and the trading sessions loaded from the lonkind files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "foundation/MClock.h"
#include "foundation/MLog.h"
#include "host/HostClock.h"
#include "host/ScratchFolder.h"
#include "tests/HongKongTime.h"
#include "tests/market/TestCodes.h"
#include "market/Market.h"
#include "foundation/PackedCodec.h"

namespace zephyr {
namespace {

using testing::V;

struct LogLine {
    int32_t level;
    std::string module;
    std::string message;
};

void Collect(void* context, int32_t level, const char* module, const char* message) {
    static_cast<std::vector<LogLine>*>(context)->push_back({level, module, message});
}

// A session file holding the four HHMM values; size bytes long (values only when they fit).
std::string SessionFile(uint16_t a, uint16_t b, uint16_t c, uint16_t d, size_t size = Market::kSessionFileSize) {
    std::string bytes(Market::kSessionFileSize, '\x5A');
    StoreLe<uint16_t>(&bytes[4122], a);
    StoreLe<uint16_t>(&bytes[4124], b);
    StoreLe<uint16_t>(&bytes[4126], c);
    StoreLe<uint16_t>(&bytes[4128], d);
    bytes.resize(size);
    return bytes;
}

class MarketTest : public ::testing::Test {
protected:
    MarketTest() : m_Clock(0, 0), m_Log(&Collect, &m_Lines) {
        tests::UseHongKongTime();
        m_Clock.Set(hostkit::HostClock::LocalSeconds(2014, 12, 8, 10, 0, 0));
        m_Clock.Install();
    }
    ~MarketTest() override { MClock::SetSource(nullptr); }

    void Configure(uint32_t time1, uint32_t time2) {
        m_Directory = m_Folder.Path() + "/";
        m_Market.Configure({m_Directory.c_str(), time1, time2, &m_Log});
    }
    MarketInfo Info() {
        MarketInfo info;
        m_Market.GetInfo(&info);
        return info;
    }

    hostkit::ScratchFolder m_Folder;
    MManualClock m_Clock;
    std::vector<LogLine> m_Lines;
    MLogger m_Log;
    std::string m_Directory;
    Market m_Market;
};

TEST(MarketSessions, FileChoiceByDate) {
    struct Case {
        uint32_t today, time1, time2;
        const char* file;
    } cases[] = {
        {20141207, 20141208, 20150101, "lonkind.cfg"},
        {20141208, 20141208, 20150101, "lonkind1.cfg"},
        {20141231, 20141208, 20150101, "lonkind1.cfg"},
        {20150101, 20141208, 20150101, "lonkind2.cfg"},
        {20141208, 0, 0, "lonkind2.cfg"},
        {20141208, 0xFFFFFFFFu, 0xFFFFFFFFu, "lonkind.cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.today);
        EXPECT_STREQ(Market::SessionFileName(c.today, c.time1, c.time2), c.file);
    }
}

TEST_F(MarketTest, InitBuildsTheMarketOfToday) {
    m_Folder.WriteFile("lonkind1.cfg", SessionFile(930, 1200, 1300, 1600));
    m_Folder.WriteFile("lonkind.cfg", SessionFile(1000, 1100, 1400, 1500));
    Configure(20141208, 20150101);  // today equals Time1: lonkind1.cfg
    ASSERT_EQ(m_Market.Init(3), 1);

    const MarketInfo info = Info();
    EXPECT_EQ(V(info.market_number), 30);
    EXPECT_EQ(V(info.status), 0);
    EXPECT_EQ(V(info.date), 20141208u);
    EXPECT_EQ(V(info.time), 0u);
    EXPECT_EQ(V(info.item_count), 0);
    EXPECT_EQ(V(info.category_count), 2);
    EXPECT_EQ(V(info.session_count), 2);
    EXPECT_EQ(V(info.sessions[0].start), 570);
    EXPECT_EQ(V(info.sessions[0].end), 720);
    EXPECT_EQ(V(info.sessions[1].start), 780);
    EXPECT_EQ(V(info.sessions[1].end), 960);
    EXPECT_EQ(info.sessions[2].start + info.sessions[3].end, 0);
    EXPECT_EQ(V(info.time_zone), 8);
    EXPECT_EQ(V(info.delay), 0);
    for (uint8_t b : info.digest) EXPECT_EQ(b, 0);
    EXPECT_TRUE(m_Lines.empty());

    struct Case {
        int32_t index;
        int32_t result;
        const char* name;
        uint16_t count;
    } cases[] = {{0, 1, "香港指数", 3}, {1, 1, "香港主板", 0}, {2, 0, nullptr, 0}, {3, -1, nullptr, 0},
                 {-1, -1, nullptr, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CategoryInfo category;
        EXPECT_EQ(m_Market.GetCategory(&category, c.index), c.result);
        char name[8];
        EXPECT_EQ(m_Market.GetCategoryName(c.index, name), c.result == 1 ? 1 : -1);
        if (c.result == 1) {
            EXPECT_EQ(std::string(category.name, 8), c.name);
            EXPECT_EQ(std::string(name, 8), c.name);
            EXPECT_EQ(V(category.price_scale), 3);
            EXPECT_EQ(V(category.lot_ratio), 0);
            EXPECT_EQ(V(category.count), c.count);
        }
    }
    EXPECT_EQ(m_Market.GetCategory(nullptr, 0), -1);
    EXPECT_EQ(m_Market.GetCategoryName(0, nullptr), -1);
}

TEST_F(MarketTest, UnusableSessionFileGivesNoSessions) {
    struct Case {
        const char* name;
        bool write;
        size_t size;
        uint8_t sessions;
    } cases[] = {
        {"missing file", false, 0, 0},
        {"empty file", true, 0, 0},
        {"file ending inside the fourth value", true, 4129, 0},
        {"file ending after the fourth value", true, 4130, 2},
        {"file ending inside the third block", true, 5000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_Lines.clear();
        m_Folder.WriteFile("lonkind.cfg", SessionFile(915, 1200, 1300, 1610));
        Configure(20150101, 20150101);  // lonkind.cfg
        ASSERT_EQ(m_Market.Init(0), 1);
        ASSERT_EQ(Info().session_count, 2);
        // Sessions 3 and 4 are not the loader's.
        MarketInfo info = Info();
        info.sessions[2] = {1, 2};
        m_Market.SetInfo(&info);

        std::remove(m_Folder.Join("lonkind.cfg").c_str());
        if (c.write) m_Folder.WriteFile("lonkind.cfg", SessionFile(915, 1200, 1300, 1610, c.size));
        m_Market.LoadSessions();
        info = Info();
        EXPECT_EQ(V(info.session_count), c.sessions);
        EXPECT_EQ(V(info.sessions[0].start), c.sessions ? 555 : 0);
        EXPECT_EQ(V(info.sessions[1].end), c.sessions ? 970 : 0);
        EXPECT_EQ(V(info.sessions[2].start), 1);
        if (c.sessions == 0) {
            ASSERT_EQ(m_Lines.size(), 1u);
            EXPECT_EQ(m_Lines[0].level, 3);
            EXPECT_EQ(m_Lines[0].module, "Zephyr");
            EXPECT_EQ(m_Lines[0].message, "打开[" + m_Directory + "lonkind.cfg]文件失败,交易时段无法赋值");
        } else {
            EXPECT_TRUE(m_Lines.empty());
        }
    }
    // Init itself still succeeds without a session file.
    std::remove(m_Folder.Join("lonkind.cfg").c_str());
    EXPECT_EQ(m_Market.Init(0), 1);
    EXPECT_EQ(Info().session_count, 0);
    EXPECT_EQ(Info().category_count, 2);
}

TEST_F(MarketTest, SetInfoKeepsTheDigest) {
    Configure(0, 0);
    ASSERT_EQ(m_Market.Init(0), 1);
    uint8_t digest[16];
    for (int i = 0; i < 16; ++i) digest[i] = static_cast<uint8_t>(i + 1);
    m_Market.SetDigest(digest);

    MarketInfo changed = Info();
    changed.time = 93005;
    changed.item_count = 250;
    std::memset(changed.digest, 0xEE, sizeof(changed.digest));
    m_Market.SetInfo(&changed);
    m_Market.SetStatus(1);

    MarketInfo info = Info();
    EXPECT_EQ(V(info.time), 93005u);
    EXPECT_EQ(V(info.item_count), 250);
    EXPECT_EQ(V(info.status), 1);
    EXPECT_EQ(std::memcmp(info.digest, digest, 16), 0);
    EXPECT_EQ(V(info.date), 20141208u);

    ASSERT_EQ(m_Market.Init(0), 1);
    info = Info();
    for (uint8_t b : info.digest) EXPECT_EQ(b, 0);
    EXPECT_EQ(V(info.time), 0u);
}

TEST_F(MarketTest, UpdateCategory) {
    Configure(0, 0);
    ASSERT_EQ(m_Market.Init(2), 1);
    CategoryInfo board;
    ASSERT_EQ(m_Market.GetCategory(&board, 1), 1);
    board.count = 2000;
    EXPECT_EQ(m_Market.UpdateCategory(&board), 1);
    EXPECT_EQ(m_Market.UpdateCategory(&board), 0);
    CategoryInfo unknown = board;
    std::memcpy(unknown.name, "OTHER\0\0\0", 8);
    EXPECT_EQ(m_Market.UpdateCategory(&unknown), -1);
    EXPECT_EQ(m_Market.UpdateCategory(nullptr), -1);
    CategoryInfo back;
    ASSERT_EQ(m_Market.GetCategory(&back, 1), 1);
    EXPECT_EQ(V(back.count), 2000);

    // AddCategories starts the table again.
    m_Market.AddCategories(7);
    ASSERT_EQ(m_Market.GetCategory(&back, 0), 1);
    EXPECT_EQ(V(back.count), 7);
    ASSERT_EQ(m_Market.GetCategory(&back, 1), 1);
    EXPECT_EQ(V(back.count), 0);
    EXPECT_EQ(m_Market.GetCategory(&back, 2), 0);
}

}  // namespace
}  // namespace zephyr
