#include "foundation/MDll.h"

#include "foundation/MErrorCode.h"

namespace zephyr {

int32_t MDll::Load(const char* path) {
    Release();
    m_Error[0] = 0;
    if (path == nullptr || path[0] == 0) {
        return ERR_BAD_ARGUMENT;
    }
    return NativeLoad(path);
}

void* MDll::GetFunction(const char* name) const {
    return m_Handle == nullptr || name == nullptr ? nullptr : NativeFunction(m_Handle, name);
}

void MDll::Release() {
    if (m_Handle != nullptr) {
        void* held = m_Handle;
        m_Handle = nullptr;
        NativeRelease(held);
    }
}

}  // namespace zephyr
