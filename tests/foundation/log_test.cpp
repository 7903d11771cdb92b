#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/MLog.h"

namespace {

struct Line {
    int level;
    std::string module;
    std::string text;
};

void Collect(void* context, int32_t level, const char* module, const char* message) {
    static_cast<std::vector<Line>*>(context)->push_back(Line{level, module, message});
}

TEST(MLogger, FormatsIntoAFixedBufferAndHandsTheTextOn) {
    std::vector<Line> lines;
    zephyr::MLogger logger(&Collect, &lines);
    logger.Write(zephyr::kLogError, "Zephyr", "启动配置单元错误[Err:%d]\n", -1);
    logger.WriteText(zephyr::kLogInfo, "m", "100%s kept as it stands");
    logger.Write(zephyr::kLogWarning, "m", "%s", std::string(5000, 'x').c_str());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].level, zephyr::kLogError);
    EXPECT_EQ(lines[0].module, "Zephyr");
    EXPECT_EQ(lines[0].text, "启动配置单元错误[Err:-1]\n");
    EXPECT_EQ(lines[1].text, "100%s kept as it stands");
    EXPECT_EQ(lines[2].text, std::string(zephyr::kLogMessageSize - 1, 'x'));
}

TEST(MLogger, WithoutASinkLinesAreDropped) {
    zephyr::MLogger logger;
    logger.Write(zephyr::kLogInfo, "m", "dropped %d", 1);
    logger.WriteText(zephyr::kLogInfo, nullptr, "dropped");
    std::vector<Line> lines;
    logger.SetSink(&Collect, &lines);
    logger.WriteText(zephyr::kLogInfo, nullptr, "kept");
    logger.SetSink(nullptr, nullptr);
    logger.WriteText(zephyr::kLogInfo, "m", "dropped again");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].module, "");
}

}  // namespace
