// GBK to UTF-8, for showing the driver's texts in test output only (comparisons use GBK bytes).
#pragma once
#include <string>

namespace zephyr::hostkit {

// Bytes that are not valid GBK come out as '?'.
std::string GbkToUtf8(const std::string& gbk);

}  // namespace zephyr::hostkit
