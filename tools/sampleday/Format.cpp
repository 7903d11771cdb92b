#include "tools/sampleday/Format.h"

#include <cstdio>

namespace zephyr::sampleday {

std::string Thousandths(uint64_t value) {
    char buf[32];
    snprintf(buf, sizeof buf, "%llu.%03u", static_cast<unsigned long long>(value / 1000),
             unsigned(value % 1000));
    return buf;
}

std::string HundredThousandths(uint64_t value) {
    char buf[32];
    snprintf(buf, sizeof buf, "%llu.%05u", static_cast<unsigned long long>(value / 100000),
             unsigned(value % 100000));
    return buf;
}

std::string Right(const std::string& text, size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string Left(const std::string& text, size_t width) {
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string Number(uint64_t value) { return std::to_string(value); }

std::string Timestamp(uint32_t date, uint32_t t) {
    char buf[32];
    snprintf(buf, sizeof buf, "%08u-%02u:%02u:%02u.000", date, t / 10000, t / 100 % 100, t % 100);
    return buf;
}

std::string HeaderLine(const char* kind, uint32_t date, uint32_t hhmmss, size_t records,
                       size_t bodyBytes, const std::string& state) {
    return "HEADER|MTP1.00 |" + Right(Number(bodyBytes), 10) + "|" + Right(Number(records), 6) +
           "|" + Left(kind, 8) + "|SAMPLE  |" + Timestamp(date, hhmmss) + "|0|" + state + "\n";
}

}  // namespace zephyr::sampleday
