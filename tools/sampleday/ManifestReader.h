// Reads back the manifest a sample day wrote: one row per share, cells by column name.
#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace zephyr::sampleday {

using ManifestRow = std::map<std::string, std::string>;
using Manifest = std::map<std::string, ManifestRow>;  // by code

// The manifest of the day in dir; false when the file cannot be read or has no column line.
bool ReadManifest(const std::string& dir, Manifest& rows);

// A column's cell as an unsigned decimal number; std::out_of_range when the column is absent.
uint64_t ManifestNumber(const ManifestRow& row, const char* column);

}  // namespace zephyr::sampleday
