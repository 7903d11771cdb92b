// What a console command for the level-2 module reached: the module's console object, or
// nothing because no module is loaded or the loaded one has no console object.
#pragma once

namespace zephyr {

enum class Level2Reach { kForwarded, kNoModule, kNoConsole };

}  // namespace zephyr
