#include "foundation/MDll.h"

#include <dlfcn.h>

#include <cerrno>

#include "foundation/MErrorCode.h"
#include "foundation/MText.h"

namespace zephyr {

int32_t MDll::Load(const char* path) {
    Release();
    m_Error[0] = 0;
    if (path == nullptr || path[0] == 0) {
        return ERR_BAD_ARGUMENT;
    }
    errno = 0;
    m_Handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (m_Handle == nullptr) {
        const int saved = errno;
        const char* reason = dlerror();
        MText::Copy(m_Error, sizeof(m_Error), reason != nullptr ? reason : "");
        return SystemError(static_cast<uint32_t>(saved != 0 ? saved : ENOENT));
    }
    return 1;
}

void* MDll::GetFunction(const char* name) const {
    if (m_Handle == nullptr || name == nullptr) {
        return nullptr;
    }
    return dlsym(m_Handle, name);
}

void MDll::Release() {
    if (m_Handle != nullptr) {
        void* held = m_Handle;
        m_Handle = nullptr;
        dlclose(held);
    }
}

}  // namespace zephyr
