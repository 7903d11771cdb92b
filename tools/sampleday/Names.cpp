#include "tools/sampleday/Names.h"

#include <cstddef>

namespace zephyr::sampleday {
namespace {

struct Word {
    const char* gbk;  // the source is UTF-8; the compiler stores these texts as GBK
    const char* english;
};

// Some words hold characters whose UTF-16 form contains the byte 0x7C ('|'), such as 精 (U+7CBE),
// 米 (U+7C73) and 糖 (U+7CD6): the market data file's name field must survive them.
const Word kPlaces[] = {
    {"中国", "CHINA"},     {"香港", "HK"},         {"华南", "SOUTHCN"},   {"华东", "EASTCN"},
    {"东方", "ORIENT"},    {"新港", "NEWPORT"},    {"长城", "GREATWALL"}, {"太平", "TAIPING"},
    {"金辉", "JINHUI"},    {"永安", "WINGON"},     {"信达", "XINDA"},     {"龙源", "LONGYUAN"},
    {"海丰", "HAIFENG"},   {"宝利", "BAOLI"},      {"恒达", "HENGDA"},    {"瑞丰", "RUIFENG"},
    {"嘉华", "KAWAH"},     {"新鸿", "SUNHONG"},    {"德昌", "TAKCHEONG"}, {"利源", "LIYUAN"},
    {"凯升", "KAISING"},   {"万和", "WANHE"},      {"天虹", "TIANHONG"},  {"安捷", "ANJIE"},
    {"富通", "FUTONG"},    {"中联", "ZHONGLIAN"},  {"正大", "ZHENGDA"},   {"合源", "HEYUAN"},
    {"远航", "YUANHANG"},  {"星光", "STARLIGHT"},  {"明辉", "MINGHUI"},   {"鼎盛", "DINGSHENG"},
    {"光华", "GUANGHUA"},  {"联合", "UNITED"},     {"粤海", "YUEHAI"},    {"京信", "JINGXIN"},
    {"申达", "SHENDA"},    {"浙商", "ZHESHANG"},   {"闽信", "MINXIN"},    {"川能", "CHUANNENG"},
    {"湘江", "XIANGJIANG"},{"北辰", "BEICHEN"},    {"南岭", "NANLING"},   {"精英", "ELITE"},
    {"米兰", "MILAN"},     {"卓越", "ZHUOYUE"},    {"环球", "GLOBAL"},    {"亚太", "ASIAPAC"},
    {"国泰", "GUOTAI"},    {"新创", "XINCHUANG"},  {"云峰", "YUNFENG"},   {"金沙", "JINSHA"},
    {"东江", "DONGJIANG"}, {"华兴", "HUAXING"},    {"中银", "ZHONGYIN"},  {"大昌", "TAICHEONG"},
};

const Word kIndustries[] = {
    {"电力", "POWER"},   {"地产", "PPT"},     {"银行", "BANK"},     {"科技", "TECH"},
    {"能源", "ENERGY"},  {"医药", "PHARM"},   {"生物", "BIO"},      {"保险", "INS"},
    {"证券", "SEC"},     {"航运", "SHIPPING"},{"物流", "LOGIS"},    {"建设", "CONS"},
    {"水泥", "CEMENT"},  {"钢铁", "STEEL"},   {"矿业", "MINING"},   {"石油", "OIL"},
    {"燃气", "GAS"},     {"汽车", "AUTO"},    {"电子", "ELEC"},     {"通信", "COMM"},
    {"传媒", "MEDIA"},   {"教育", "EDU"},     {"食品", "FOOD"},     {"糖业", "SUGAR"},
    {"精工", "PRECISION"},{"米业", "RICE"},   {"酒店", "HOTEL"},    {"零售", "RETAIL"},
    {"服饰", "APPAREL"}, {"环保", "ENV"},     {"新能", "NEWENERGY"},{"芯片", "CHIP"},
    {"软件", "SOFT"},    {"网络", "NET"},     {"健康", "HEALTH"},   {"金融", "FIN"},
    {"资本", "CAPITAL"}, {"实业", "IND"},     {"置业", "LAND"},     {"发展", "DEV"},
    {"纺织", "TEXTILE"}, {"化工", "CHEM"},    {"基建", "INFRA"},    {"港口", "PORT"},
    {"航空", "AIR"},     {"农业", "AGRI"},    {"乳业", "DAIRY"},    {"饮料", "DRINK"},
    {"家居", "HOME"},    {"机械", "MACH"},
};

const Word kSuffixes[] = {{"控股", "HLDGS"}, {"集团", "GP"}, {"国际", "INTL"}, {"股份", "CO"}};

const Word kThemes[] = {
    {"科技", "TECH"},     {"红利", "DIVIDEND"}, {"医疗", "HEALTH"},   {"债券", "BOND"},
    {"黄金", "GOLD"},     {"蓝筹", "BLUECHIP"}, {"消费", "CONSUMER"}, {"新经", "NEWECON"},
    {"中国", "CHINA"},    {"港股", "HKEQ"},     {"美元", "USD"},      {"亚洲", "ASIA"},
};

template <size_t N>
const Word& Pick(SplitMix64& r, const Word (&words)[N]) {
    return words[r.Below(uint32_t(N))];
}

// Joins English words and cuts the result to at most `room` characters without a trailing blank.
std::string FitEnglish(std::string text, size_t room) {
    if (text.size() > room) text.resize(room);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

std::string GbkPrefix(const std::string& gbk, size_t maxBytes) {
    size_t end = 0;
    for (size_t i = 0; i < gbk.size();) {
        size_t width = (static_cast<unsigned char>(gbk[i]) >= 0x81 && i + 1 < gbk.size()) ? 2 : 1;
        if (i + width > maxBytes) break;
        i += width;
        end = i;
    }
    return gbk.substr(0, end);
}

void DrawShareName(SplitMix64& r, std::string& gbk, std::string& english) {
    const Word& place = Pick(r, kPlaces);
    const Word& industry = Pick(r, kIndustries);
    const uint32_t s = r.Below(100);
    const Word* suffix = s < 40 ? nullptr : &kSuffixes[s < 65 ? 0 : s < 80 ? 1 : s < 95 ? 2 : 3];
    const uint32_t t = r.Below(100);
    const char* tag = t < 88 ? "" : t < 91 ? "-W" : t < 94 ? "-SW" : t < 98 ? "-B" : "-S";

    gbk = std::string(place.gbk) + industry.gbk + (suffix ? suffix->gbk : "") + tag;
    std::string en = std::string(place.english) + " " + industry.english;
    if (suffix) en += std::string(" ") + suffix->english;
    english = FitEnglish(en, 16 - std::string(tag).size()) + tag;
}

void DrawFundName(SplitMix64& r, std::string& gbk, std::string& english) {
    const Word& place = Pick(r, kPlaces);
    const Word& theme = Pick(r, kThemes);
    gbk = std::string(place.gbk) + theme.gbk + "ETF";
    english = FitEnglish(std::string(place.english) + " " + theme.english, 12) + " ETF";
}

void CounterName(const std::string& gbk, const std::string& english, const char* tag,
                 std::string& counterGbk, std::string& counterEnglish) {
    const std::string t(tag);
    counterGbk = GbkPrefix(gbk, 16 - t.size()) + t;
    counterEnglish = FitEnglish(english, 16 - t.size()) + t;
}

}  // namespace zephyr::sampleday
