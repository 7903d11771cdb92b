// Writes texts to the operator's console through the host's two callbacks. Every text goes out
// as the argument of a "%s" format, so a '%' in a composed text (an instrument name, a typed
// code) reaches the operator as a character. A missing callback drops the text.
#pragma once
#include <cstddef>
#include <cstdint>

#include "zephyr/DriverInterface.h"

namespace zephyr {

class ConsoleServices;

class ConsoleWriter {
public:
    // Largest text one Format call composes (longer ones are cut).
    static constexpr size_t kFormatBuffer = 8192;

    ConsoleWriter(ConsoleServices& services, uint32_t console);

    uint32_t Console() const { return m_Console; }
    // Through ConsoleReplyCallback / ConsoleOutputCallback.
    void Reply(const char* text);
    void Output(const char* text);
    // Composes the text first, then Reply / Output it.
    void ReplyFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void OutputFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    ConsoleOutputCallback m_Output;
    ConsoleReplyCallback m_Reply;
    uint32_t m_Console;
};

}  // namespace zephyr
