#include "foundation/MFile.h"

#include <atomic>

#include "foundation/MErrorCode.h"
#include "foundation/platform/FileFault.h"

namespace zephyr {

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::atomic<MFile::FaultHook> g_fault_hook{nullptr};

}  // namespace

int32_t FileFault(MFile::Operation operation, const char* path) {
    const MFile::FaultHook hook = g_fault_hook.load();
    return hook != nullptr ? hook(operation, path != nullptr ? path : "") : 0;
}

void MFile::SetFaultHook(FaultHook hook) { g_fault_hook.store(hook); }

int32_t MFile::Exists(const char* path) {
    if (path == nullptr || path[0] == 0) {
        return 0;
    }
    return KindOf(path) == kIsFile ? 1 : 0;
}

int32_t MFile::ReadLine(char* buffer, uint32_t size) {
    if (buffer == nullptr || size < 2) {
        return ERR_BAD_ARGUMENT;
    }
    const int32_t start = Seek(0, kCurrent);
    if (start < 0) {
        return start;
    }
    const int32_t got = Read(buffer, size - 1);
    if (got <= 0) {
        Seek(start, kBegin);
        buffer[0] = 0;
        return got;
    }
    int32_t length = got;
    // The line ends after its run of CR and LF bytes: at the first line-end byte that is
    // followed, within what was read, by another byte.
    for (int32_t i = 0; i + 1 < got; ++i) {
        if (IsLineEnd(buffer[i]) && !IsLineEnd(buffer[i + 1])) {
            length = i + 1;
            break;
        }
    }
    buffer[length] = 0;
    const int32_t moved = Seek(start + length, kBegin);
    return moved < 0 ? moved : length;
}

}  // namespace zephyr
