// Writing the sample day's files: directories created as needed, every file replaced in one step
// (written beside its final name, then renamed), so a reader polling the file never sees half of it.
#pragma once
#include <string>

namespace zephyr::sampleday {

// Creates the directory and any missing parents. False with a message on failure.
bool MakeDirectories(const std::string& path, std::string& error);

// Replaces the file at path with the bytes. False with a message on failure.
bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& error);

// Reads a whole file. False when it cannot be read.
bool ReadFile(const std::string& path, std::string& bytes);

}  // namespace zephyr::sampleday
