#include "foundation/MDll.h"

#include <dlfcn.h>

#include <cerrno>

#include "foundation/MErrorCode.h"
#include "foundation/MText.h"

namespace zephyr {

int32_t MDll::Load(const char* path) {
    Release();
    error_[0] = 0;
    if (path == nullptr || path[0] == 0) {
        return ERR_BAD_ARGUMENT;
    }
    errno = 0;
    handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const int saved = errno;
        const char* reason = dlerror();
        MText::Copy(error_, sizeof(error_), reason != nullptr ? reason : "");
        return SystemError(static_cast<uint32_t>(saved != 0 ? saved : ENOENT));
    }
    return 1;
}

void* MDll::GetFunction(const char* name) const {
    if (handle_ == nullptr || name == nullptr) {
        return nullptr;
    }
    return dlsym(handle_, name);
}

void MDll::Release() {
    if (handle_ != nullptr) {
        void* held = handle_;
        handle_ = nullptr;
        dlclose(held);
    }
}

}  // namespace zephyr
