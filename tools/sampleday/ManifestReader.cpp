#include "ManifestReader.h"

#include <cstdlib>
#include <vector>

#include "Layout.h"
#include "Output.h"

namespace zephyr::sampleday {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    for (size_t a = 0;;) {
        const size_t b = text.find(separator, a);
        pieces.push_back(text.substr(a, b == std::string::npos ? std::string::npos : b - a));
        if (b == std::string::npos) return pieces;
        a = b + 1;
    }
}

}  // namespace

bool ReadManifest(const std::string& dir, Manifest& rows) {
    rows.clear();
    std::string text;
    if (!ReadFile(InDir(dir, kManifestFile), text)) return false;
    // First line: the day's settings; second: the column names; then one line per share.
    const std::vector<std::string> lines = Split(text, '\n');
    if (lines.size() < 2) return false;
    const std::vector<std::string> columns = Split(lines[1], '\t');
    for (size_t i = 2; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const std::vector<std::string> cells = Split(lines[i], '\t');
        ManifestRow& row = rows[cells[0]];
        for (size_t c = 0; c < columns.size() && c < cells.size(); ++c) row[columns[c]] = cells[c];
    }
    return true;
}

uint64_t ManifestNumber(const ManifestRow& row, const char* column) {
    return std::strtoull(row.at(column).c_str(), nullptr, 10);
}

}  // namespace zephyr::sampleday
