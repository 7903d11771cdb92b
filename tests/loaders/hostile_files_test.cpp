// Hostile market data files: the valid lines are kept, nothing crashes, reading ends.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "loaders/HKMktdtLoader.h"
#include "LoaderTestHost.h"
#include "Fixtures.h"

namespace zephyr::testing {
namespace {

std::string Garbage(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

TEST(HostileFiles, ValidLinesAreKept) {
    struct Case {
        const char* name;
        std::string middle;  // between the two good shares
        bool cut_tail;       // the file ends inside a share line
    };
    const std::string share1 = MdShare("00700", u"腾讯", "TC");
    const std::string share2 = MdShare("00001", u"长和", "CKH");
    const Case cases[] = {
        {"binary garbage", "\n" + Garbage(20000, 7) + "\n", false},
        {"9000 characters", "MD401|00005|" + std::string(9000, '9') + "\n", false},
        {"long line of fields", "MD401|00005|" + NameField(u"假") + std::string(9000, '|') + "\n", false},
        {"cut in the middle", "", true},
        {"zero bytes", std::string(100, '\0') + "\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderTestHost host;
        std::string body = MdHeader("20141208-10:00:00") + share1 + c.middle + share2 + kTrailer;
        if (c.cut_tail) body += share2.substr(0, 60) + std::string("MD401|00005|") + NameField(u"汇丰").substr(0, 7);
        host.folder.WriteFile("mktdt04.txt", body);
        HKMktdtLoader loader(host);
        EXPECT_EQ(loader(HKMktdtLoader::kBuild), 0);
        EXPECT_TRUE(loader.HasCode(700));
        EXPECT_TRUE(loader.HasCode(1));
        Snapshot s;
        ASSERT_TRUE(host.snapshots.GetByCode(&s, "00001"));
        EXPECT_EQ(+s.ask_volume, 600u);
        ASSERT_TRUE(host.snapshots.GetByCode(&s, "00700"));
        EXPECT_EQ(+s.ask_volume, 600u);
        EXPECT_EQ(host.codes.Count(), loader.DayCount());
    }
}

TEST(HostileFiles, FileAppendedWhileRead) {
    LoaderTestHost host;
    const std::string path = host.folder.Join("mktdt04.txt");
    host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + kTrailer + MdShare("00700", u"腾讯", "TC"));
    HKMktdtLoader loader(host);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::ofstream out(path, std::ios::app | std::ios::binary);
        for (int i = 1; i < 3000; ++i) {
            char code[6];
            snprintf(code, sizeof code, "%05d", i % 500 + 1);
            out << MdShare(code, u"股", "X") << std::flush;
        }
        done = true;
    });
    // Runs go on while the file grows (and once more after).
    for (bool last = false; !last;) {
        last = done;
        host.codes.Clear();
        host.snapshots.Clear();
        host.statuses.Clear();
        EXPECT_EQ(loader(HKMktdtLoader::kBuild), 0);
        EXPECT_TRUE(loader.HasCode(700));
        // Each share line seen is in the tables, once per code.
        EXPECT_EQ(host.codes.Count(), loader.DayCount());
        Snapshot s{};
        EXPECT_TRUE(host.snapshots.GetByCode(&s, "00700"));
        EXPECT_EQ(+s.ask_volume, 600u);
    }
    writer.join();
    EXPECT_EQ(loader.DayCount(), 501u);  // the last run read the whole file
}

}  // namespace
}  // namespace zephyr::testing
