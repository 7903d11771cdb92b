// The process-wide objects of the shared object.
#pragma once
#include "driver/DriverLifecycle.h"

namespace zephyr {

DriverUnits& TheDriverUnits();

}  // namespace zephyr
