// Shared helpers of the sample-day tests: a scratch folder per test, file reading and the field
// splitting of the exchange's text files.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "portable/FileSystem.h"
#include "tools/sampleday/Layout.h"
#include "tools/sampleday/Output.h"
#include "tools/sampleday/SampleDay.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday::testing {

class ScratchDir {
public:
    ScratchDir() : m_Path(portable::MakeTemporaryFolder("zephyr-sampleday-")) {}
    ~ScratchDir() {
        std::error_code ec;
        if (!m_Path.empty()) std::filesystem::remove_all(m_Path, ec);
    }
    const std::string& path() const { return m_Path; }

private:
    std::string m_Path;
};

inline std::string Slurp(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFile(path, bytes)) << path;
    return bytes;
}

// Lines without their "\n"; a last line without a line end counts too.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Splits at every separator; an empty text gives one empty piece.
inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    for (size_t a = 0;;) {
        const size_t b = text.find(separator, a);
        pieces.push_back(text.substr(a, b == std::string::npos ? std::string::npos : b - a));
        if (b == std::string::npos) return pieces;
        a = b + 1;
    }
}

// Splits at every '|'. For a market data share line the name field (field 2) is taken as exactly
// 32 bytes, as the loader does, since UTF-16 names may hold the byte '|'.
inline std::vector<std::string> Fields(const std::string& line, bool shareLine = false) {
    std::vector<std::string> fields;
    size_t pos = 0;
    for (;;) {
        if (shareLine && fields.size() == 2) {
            fields.push_back(line.substr(pos, kNameBytes));
            pos += kNameBytes;
            if (pos >= line.size() || line[pos] != '|') return fields;  // malformed: stops here
            ++pos;
            continue;
        }
        const size_t bar = line.find('|', pos);
        fields.push_back(line.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos));
        if (bar == std::string::npos) return fields;
        pos = bar + 1;
    }
}

// The loaders' price conversion: integer part of ((x + 0.0005) * 1000).
inline uint32_t Price(const std::string& text) {
    return uint32_t((std::strtod(text.c_str(), nullptr) + 0.0005) * 1000);
}

inline Options SmallDay(uint64_t seed = 7) {
    Options o;
    o.date = 20261210;
    o.seed = seed;
    o.shares = 300;
    o.time = 100000;
    return o;
}

}  // namespace zephyr::sampleday::testing
