// "print marketinfo", "print pricetbl", "show stat" and "show config".
#include <cinttypes>
#include <cstring>

#include "console/ConsoleReports.h"
#include "console/ConsoleServices.h"
#include "console/ConsoleWriter.h"
#include "console/InstrumentCode.h"
#include "console/ReportText.h"
#include "foundation/MText.h"
#include "market/Market.h"

namespace zephyr {

namespace {

constexpr size_t kReportBuffer = 8192;
constexpr uint32_t kMaxPeriods = 4;

uint32_t MinutesToHhmm(uint16_t minutes) { return minutes / 60u * 100u + minutes % 60u; }

void PrintCategory(ConsoleWriter& writer, const CategoryInfo& category) {
    char name[sizeof category.name + 1];
    FieldText(category.name, sizeof category.name, name);
    writer.ReplyFormat("类别名称:%s\n放大级数:%u\n每手比率:%u\n类别数量:%u\n", name,
                       static_cast<unsigned>(category.price_scale), static_cast<unsigned>(category.lot_ratio),
                       static_cast<unsigned>(category.count));
}

void PrintMarket(ConsoleServices& services, ConsoleWriter& writer, const MarketInfo& info) {
    const MarketQuotaStatus quota = services.CopyQuotaStatus();
    const ExchangeRate rates = services.CopyRates();
    char quota_state[2] = {quota.quota_state, '\0'};
    char trading_state[sizeof quota.trading_state + 1];
    FieldText(quota.trading_state, sizeof quota.trading_state, trading_state);

    char text[kReportBuffer] = {};
    AppendFormat(text, sizeof text,
                 "市场编号:%d\n市场状态:%d\n商品总数:%u\n类别总数:%u\n所在时区:%u\n市场日期:%u\n"
                 "市场时间:%u\n延迟时间:%d\n传输时间戳:%u\n剩余额度:%" PRIu64 "\n额度状态:%s\n"
                 "市场交易状态:%s\n汇率中间价:%u\n汇率买入价:%u\n汇率卖出价:%u\n交易时段:%d\n",
                 info.market_number, info.status, static_cast<unsigned>(info.item_count),
                 static_cast<unsigned>(info.category_count), static_cast<unsigned>(info.time_zone),
                 static_cast<unsigned>(info.date), static_cast<unsigned>(info.time), info.delay,
                 static_cast<unsigned>(static_cast<uint32_t>(services.LastLevel2Time())),
                 static_cast<uint64_t>(quota.remaining_quota), quota_state, trading_state,
                 static_cast<unsigned>(rates.middle), static_cast<unsigned>(rates.buying),
                 static_cast<unsigned>(rates.selling), info.session_count);
    const uint32_t periods = info.session_count < kMaxPeriods ? info.session_count : kMaxPeriods;
    for (uint32_t i = 0; i < periods; ++i) {
        AppendFormat(text, sizeof text, "交易段%2d:%d -- %d\n", static_cast<int>(i),
                     static_cast<int>(MinutesToHhmm(info.sessions[i].start)),
                     static_cast<int>(MinutesToHhmm(info.sessions[i].end)));
    }
    AppendFormat(text, sizeof text, "Md5校验 :0x");
    for (uint8_t byte : info.digest) AppendFormat(text, sizeof text, "%02x", static_cast<unsigned>(byte));
    writer.Reply(text);
}

}  // namespace

void PrintMarketInfo(ConsoleServices& services, ConsoleWriter& writer, int32_t category) {
    Market& market = services.GetMarket();
    MarketInfo info;
    market.GetInfo(&info);
    if (category >= 0 && category < info.category_count) {
        CategoryInfo record;
        if (market.GetCategory(&record, category) == 1) {
            PrintCategory(writer, record);
            return;
        }
    }
    PrintMarket(services, writer, info);
}

void PrintPriceTable(ConsoleServices& services, ConsoleWriter& writer) {
    PriceTable table;
    services.CopyPriceTable(&table);
    char text[kReportBuffer] = {};
    for (const PriceSection& section : table.sections) {
        char code[sizeof section.price_code + 1];
        FieldText(section.price_code, sizeof section.price_code, code);
        AppendFormat(text, sizeof text, "价位代码:%s\t最低下限价格:%d\t价差级别数量:%u\n", code,
                     static_cast<int>(section.lowest_limit), static_cast<unsigned>(section.level_count));
        const uint32_t levels = section.level_count < kPriceLevels ? section.level_count : kPriceLevels;
        for (uint32_t i = 0; i < levels; ++i) {
            AppendFormat(text, sizeof text, "%d(%d)\t", static_cast<int>(section.levels[i].lower_bound),
                         static_cast<int>(section.levels[i].spread));
        }
    }
    writer.Reply(text);
}

void ShowStat(ConsoleWriter& writer) { writer.ReplyFormat("当前包序号:%u\n丢失包总数:%u\n", 0u, 0u); }

void ShowConfig(ConsoleServices& services, ConsoleWriter& writer) {
    const ConsoleSettings settings = services.Settings();
    writer.ReplyFormat("PushBond:\n\t%d\nStockBond:\n\t%d\nFilt Warrant:\n\t%c\nKP Time:\n\t%u\n"
                       "Index Source:\n\tEnable:%c\n",
                       10, 1, settings.filt_warrant ? 'Y' : 'N', static_cast<unsigned>(settings.kp_time),
                       settings.hsi_enable ? 'Y' : 'N');
}

}  // namespace zephyr
