// Room inside a foundation object for the operating system's own lock, event or thread state,
// so that the object's header names no system type. Each system's body checks that its state
// fits (static_assert) and builds it in place.
#pragma once
#include <cstddef>
#include <new>

namespace zephyr {

template <std::size_t Size>
struct alignas(8) NativeStorage {
    unsigned char bytes[Size];

    template <typename T>
    T* As() {
        static_assert(sizeof(T) <= Size && alignof(T) <= 8, "system state does not fit");
        return std::launder(reinterpret_cast<T*>(bytes));
    }
};

}  // namespace zephyr
