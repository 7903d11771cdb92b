#include "host/GbkText.h"

#include "portable/TextCodec.h"

namespace zephyr::hostkit {

std::string GbkToUtf8(const std::string& gbk) { return portable::GbkToUtf8Shown(gbk); }

}  // namespace zephyr::hostkit
