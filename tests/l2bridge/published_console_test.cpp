// The console object crosses the library boundary as a C++ object of the platform's ABI: hosts
// and level-2 modules built by another compiler call ExecuteCommand through its table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "zephyr/DriverInterface.h"

namespace {

struct Recorder : zephyr::ConsoleCommandHandler {
    uint32_t console = 0;
    int32_t argc = 0;
    std::string words;
    int32_t ExecuteCommand(uint32_t c, char** argv, int32_t n) override {
        console = c;
        argc = n;
        for (int32_t i = 0; i < n; ++i) words += std::string(i > 0 ? " " : "") + argv[i];
        return 42;
    }
};

#if defined(_WIN32)
// Microsoft layout: the scalar deleting destructor, then ExecuteCommand, a member call
// (thiscall on 32-bit: this in ECX, the callee pops its arguments).
constexpr size_t kExecuteEntry = 1;
#if defined(__i386__)
using ExecuteEntry = int32_t(__attribute__((thiscall)) *)(void* self, uint32_t, char**, int32_t);
#else
using ExecuteEntry = int32_t (*)(void* self, uint32_t, char**, int32_t);
#endif
#else
// Itanium layout: the complete and the deleting destructor, then ExecuteCommand.
constexpr size_t kExecuteEntry = 2;
using ExecuteEntry = int32_t (*)(void* self, uint32_t, char**, int32_t);
#endif

}  // namespace

TEST(PublishedConsole, AForeignCallerReachesExecuteCommandThroughItsTableEntry) {
    Recorder handler;
    zephyr::ConsolePublication publication(&handler);
    void* object = publication.Get();
    void* const* table = nullptr;
    std::memcpy(&table, object, sizeof table);
    ExecuteEntry execute = reinterpret_cast<ExecuteEntry>(table[kExecuteEntry]);
    char show[] = "show";
    char stat[] = "stat";
    char* argv[] = {show, stat};
    // Called repeatedly: with the wrong convention the stack would drift on every call.
    for (int i = 0; i < 1000; ++i) {
        handler.words.clear();
        ASSERT_EQ(execute(object, 77, argv, 2), 42);
    }
    EXPECT_EQ(handler.console, 77u);
    EXPECT_EQ(handler.argc, 2);
    EXPECT_EQ(handler.words, "show stat");
    // The typed call a host makes from the public header takes the same way.
    handler.words.clear();
    EXPECT_EQ(publication.Get()->ExecuteCommand(5, argv, 1), 42);
    EXPECT_EQ(handler.words, "show");
}
