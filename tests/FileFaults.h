// Injected file failures for tests that link the driver's layers: the n-th call of one kind
// (open, read, write, flush, rename) on a path containing a given text fails, once. Installed
// for a scope; calls of other kinds or on other paths are only counted.
#pragma once
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"

namespace zephyr::testing {

class FileFaults {
public:
    using Operation = MFile::Operation;

    // Fails the n-th (from 1) call of operation on a path containing part.
    FileFaults(Operation operation, const std::string& part, int n) {
        std::lock_guard<std::mutex> lock(Mutex());
        State() = {operation, part, n, 0, false};
        MFile::SetFaultHook(&Hook);
    }
    ~FileFaults() { MFile::SetFaultHook(nullptr); }
    FileFaults(const FileFaults&) = delete;
    FileFaults& operator=(const FileFaults&) = delete;

    // Whether the failure was injected; how many calls of the kind on the path were seen.
    bool Fired() const {
        std::lock_guard<std::mutex> lock(Mutex());
        return State().fired;
    }
    int Seen() const {
        std::lock_guard<std::mutex> lock(Mutex());
        return State().seen;
    }

    static const char* Name(Operation operation) {
        switch (operation) {
            case Operation::kOpen: return "open";
            case Operation::kRead: return "read";
            case Operation::kWrite: return "write";
            case Operation::kFlush: return "flush";
            case Operation::kRename: return "rename";
        }
        return "?";
    }

private:
    struct Plan {
        Operation operation;
        std::string part;
        int n;
        int seen;
        bool fired;
    };
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }
    static Plan& State() {
        static Plan plan;
        return plan;
    }
    static int32_t Hook(Operation operation, const char* path) {
        std::lock_guard<std::mutex> lock(Mutex());
        Plan& plan = State();
        if (operation != plan.operation || std::strstr(path, plan.part.c_str()) == nullptr) return 0;
        if (++plan.seen != plan.n) return 0;
        plan.fired = true;
        return SystemError(EIO);
    }
};

}  // namespace zephyr::testing
