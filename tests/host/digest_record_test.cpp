// The market digest a host checks, and the push record file of a session.
#include <gtest/gtest.h>

#include "host/MarketDigest.h"
#include "host/PushRecordFile.h"
#include "host/ScratchFolder.h"
#include "portable/Md5.h"
#include "tests/host/ReplicaFixtures.h"

using namespace zephyr::hostkit;

namespace {

std::string Md5(const std::string& bytes) { return zephyr::portable::Md5::Of(bytes); }

TEST(MarketDigest, CoversMarketCategoriesCodesAndPricesOnly) {
    MarketImage image = hosttest::SmallMarket();
    image.market[1] = 1;
    // What the driver hashes: the market record with status, time and digest zeroed, then the
    // categories, the code records and the price table.
    std::string hashed = image.market;
    hashed[1] = 0;
    hashed.replace(kMarketTimeOffset, 4, 4, '\0');
    hashed += image.categories[0] + image.categories[1] + image.Of(Table::kCodes).bytes +
              image.Of(Table::kPriceTable).bytes;
    const std::string digest = Md5(hashed);
    image.market.replace(kDigestOffset, kDigestSize, digest);
    EXPECT_EQ(ComputeMarketDigest(image, ""), digest);
    EXPECT_EQ(CheckMarketDigest(image, ""), DigestCheck::kMatchesAfterStart);

    // Time, status and the snapshots do not count; a code record does.
    StoreU32(&image.market[kMarketTimeOffset], 153000);
    image.market[1] = 3;
    image.Of(Table::kSnapshots).bytes[30] ^= 1;
    EXPECT_EQ(CheckMarketDigest(image, ""), DigestCheck::kMatchesAfterStart);
    image.Of(Table::kCodes).bytes[10] ^= 1;
    EXPECT_EQ(CheckMarketDigest(image, ""), DigestCheck::kDiffers);
    image.Of(Table::kCodes).bytes[10] ^= 1;

    // After a re-initialisation the previous digest stood in the field while hashing.
    const std::string previous(kDigestSize, '\x5A');
    const std::string again = ComputeMarketDigest(image, previous);
    image.market.replace(kDigestOffset, kDigestSize, again);
    EXPECT_EQ(CheckMarketDigest(image, previous), DigestCheck::kMatchesAfterReinit);
    EXPECT_EQ(CheckMarketDigest(image, ""), DigestCheck::kDiffers);
    EXPECT_EQ(CheckMarketDigest(image, "", false), DigestCheck::kUnknownPrevious);
    EXPECT_EQ(CheckMarketDigest(MarketImage(), ""), DigestCheck::kNoImage);

    // The verdict and the summary's digest_ok: a digest the host cannot check is no fault.
    EXPECT_TRUE(DigestOk(DigestCheck::kMatchesAfterStart));
    EXPECT_TRUE(DigestOk(DigestCheck::kMatchesAfterReinit));
    EXPECT_TRUE(DigestOk(DigestCheck::kUnknownPrevious));
    EXPECT_FALSE(DigestOk(DigestCheck::kDiffers));
    EXPECT_FALSE(DigestOk(DigestCheck::kNoImage));
}

TEST(PushRecordFile, KeepsEveryPushAsReceived) {
    ScratchFolder folder;
    PushRecordWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(folder.Join("pushes.rec"), &error)) << error;
    RecordedPush first{1765339200123456ull, 2, 86, 30, 7, 0, std::string("\x10\x27\x00\x00\x01", 5)};
    RecordedPush second{1765339200223456ull, 2, 86, 30, 7, 1, std::string(8000, '\xEE')};
    ASSERT_TRUE(writer.Write(first));
    ASSERT_TRUE(writer.Write(second));
    writer.Close();

    PushRecordReader reader;
    ASSERT_TRUE(reader.Open(folder.Join("pushes.rec"), &error)) << error;
    RecordedPush read;
    for (const RecordedPush* expected : {&first, &second}) {
        ASSERT_EQ(reader.Next(&read, &error), 1) << error;
        EXPECT_EQ(read.micros, expected->micros);
        EXPECT_EQ(read.driver_id, expected->driver_id);
        EXPECT_EQ(read.compressed, expected->compressed);
        EXPECT_EQ(read.bytes, expected->bytes);
    }
    EXPECT_EQ(reader.Next(&read, &error), 0);

    // A file cut inside an entry, and a file of something else.
    const std::string bytes = folder.ReadFile("pushes.rec");
    folder.WriteFile("cut.rec", bytes.substr(0, bytes.size() - 100));
    ASSERT_TRUE(reader.Open(folder.Join("cut.rec"), &error));
    EXPECT_EQ(reader.Next(&read, &error), 1);
    EXPECT_EQ(reader.Next(&read, &error), -1);
    EXPECT_NE(error.find("cut short"), std::string::npos);
    folder.WriteFile("other.rec", "[Feed]\nRate=1\n");
    EXPECT_FALSE(reader.Open(folder.Join("other.rec"), &error));
}

}  // namespace
