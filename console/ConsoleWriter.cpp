#include "console/ConsoleWriter.h"

#include <cstdarg>

#include "console/ConsoleServices.h"
#include "foundation/MText.h"

namespace zephyr {

ConsoleWriter::ConsoleWriter(ConsoleServices& services, uint32_t console)
    : m_Output(services.OutputCallback()), m_Reply(services.ReplyCallback()), m_Console(console) {}

void ConsoleWriter::Reply(const char* text) {
    if (m_Reply != nullptr && text != nullptr) m_Reply(m_Console, "%s", text);
}

void ConsoleWriter::Output(const char* text) {
    if (m_Output != nullptr && text != nullptr) m_Output(m_Console, "%s", text);
}

void ConsoleWriter::ReplyFormat(const char* format, ...) {
    char text[kFormatBuffer];
    va_list args;
    va_start(args, format);
    MText::FormatV(text, sizeof text, format, args);
    va_end(args);
    Reply(text);
}

void ConsoleWriter::OutputFormat(const char* format, ...) {
    char text[kFormatBuffer];
    va_list args;
    va_start(args, format);
    MText::FormatV(text, sizeof text, format, args);
    va_end(args);
    Output(text);
}

}  // namespace zephyr
