// An operator's command line as a host console hands it to a driver: split into words at blanks
// and tabs (double quotes keep blanks inside one word and are dropped), each word turned from the
// operator's UTF-8 into the driver's GBK.
#pragma once
#include <string>
#include <vector>

namespace zephyr::hostkit {

std::vector<std::string> SplitConsoleWords(const std::string& line);
// Characters without a GBK form become '?'.
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace zephyr::hostkit
