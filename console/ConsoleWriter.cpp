#include "console/ConsoleWriter.h"

#include <cstdarg>

#include "console/ConsoleServices.h"
#include "foundation/MText.h"

namespace zephyr {

ConsoleWriter::ConsoleWriter(ConsoleServices& services, uint32_t console)
    : m_Output(services.OutputCallback()), m_Reply(services.ReplyCallback()), m_Console(console) {}

namespace {

// Both callbacks have one signature; a missing one drops the text.
void Send(ConsoleOutputCallback callback, uint32_t console, const char* text) {
    if (callback != nullptr && text != nullptr) callback(console, "%s", text);
}

void SendFormat(ConsoleOutputCallback callback, uint32_t console, const char* format, va_list args) {
    char text[ConsoleWriter::kFormatBuffer];
    MText::FormatV(text, sizeof text, format, args);
    Send(callback, console, text);
}

}  // namespace

void ConsoleWriter::Reply(const char* text) { Send(m_Reply, m_Console, text); }

void ConsoleWriter::Output(const char* text) { Send(m_Output, m_Console, text); }

void ConsoleWriter::ReplyFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    SendFormat(m_Reply, m_Console, format, args);
    va_end(args);
}

void ConsoleWriter::OutputFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    SendFormat(m_Output, m_Console, format, args);
    va_end(args);
}

}  // namespace zephyr
