// The driver's console command object, published at DriverBaseInfo offset 171: it picks the
// command from the words the host's console split, checks the argument count, runs the command
// and answers through the host's console callbacks with the handle it was given.
//
// Command words and sub-words compare without regard to letter case; the first matching row of
// the command table wins. Results: 4 for the usage line of "print nametable", 2 for that of
// "print data", 1 otherwise. Reports and actions need a running driver: before the start and
// after the stop they answer "驱动未运行\n" and touch nothing. "l2help" and "l2cmd" say when no
// level-2 module (or no console object of it) can take the words, rather than answering nothing.
// No exception leaves ExecuteCommand.
#pragma once
#include <cstdint>

#include "zephyr/DriverInterface.h"

namespace zephyr {

class ConsoleServices;
class ConsoleWriter;

class DriverCommandHandler : public ConsoleCommandHandler {
public:
    static constexpr int32_t kNametableUsage = 4;
    static constexpr int32_t kDataUsage = 2;

    // services: where the commands find the driver (the pointer may be taken before the object
    // it points to is built; it is used only when a command arrives).
    explicit DriverCommandHandler(ConsoleServices* services) : m_Services(services) {}

    int32_t ExecuteCommand(uint32_t console, char** argv, int32_t argc) override;

private:
    int32_t Dispatch(ConsoleWriter& writer, char** argv, int32_t argc);
    // Runs the words on the level-2 module; says so when no module can take them.
    void ForwardToLevel2(ConsoleWriter& writer, char** argv, int32_t argc);
    int32_t Print(ConsoleWriter& writer, char** argv, int32_t argc);
    int32_t PushData(ConsoleWriter& writer, char** argv, int32_t argc);
    int32_t Show(ConsoleWriter& writer, char** argv, int32_t argc);
    int32_t UpdateClose(ConsoleWriter& writer, char** argv, int32_t argc);
    // False (and the "not running" reply) when the driver does not run.
    bool Running(ConsoleWriter& writer);

    ConsoleServices* m_Services;
};

}  // namespace zephyr
