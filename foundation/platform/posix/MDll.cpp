#include "foundation/MDll.h"

#include <dlfcn.h>

#include <cerrno>

#include "foundation/MErrorCode.h"
#include "foundation/MText.h"

namespace zephyr {

int32_t MDll::NativeLoad(const char* path) {
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

void* MDll::NativeFunction(void* handle, const char* name) { return dlsym(handle, name); }

void MDll::NativeRelease(void* handle) { dlclose(handle); }

}  // namespace zephyr
