// Bounded text functions on plain buffers, and decimal conversions of a buffer.
// Every function that writes takes the destination and its size in bytes; it never writes past
// size bytes and always leaves the destination terminated. With a null destination, a null
// source or a size of 0 it does nothing and yields a null (or 0) result.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace zephyr {

class MText {
public:
    // Copies at most size - 1 bytes of source and terminates. Returns destination (null: nothing done).
    static char* Copy(char* destination, size_t size, const char* source);
    // Copies at most min(length, size - 1) bytes of a source that need not be terminated
    // (it is not read past a zero byte nor past length). Returns destination.
    static char* CopyN(char* destination, size_t size, const char* source, size_t length);
    // Appends source to the text already in destination, within size bytes in all, terminated.
    // A destination with no terminator inside size bytes is left unchanged. Returns destination.
    static char* Append(char* destination, size_t size, const char* source);
    // printf-style into at most size - 1 bytes, terminated. Returns the number of bytes stored
    // (without the terminator); 0 when nothing was done.
    static int32_t Format(char* destination, size_t size, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    static int32_t FormatV(char* destination, size_t size, const char* format, va_list args);

    // Blanks of the trims: space, tab, CR and LF. In place; return text (null stays null).
    static char* TrimLeft(char* text);
    static char* TrimRight(char* text);
    static char* Trim(char* text);
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    // Decimal integer at the start of a buffer: leading white space skipped, optional sign,
    // base 10, stopping at the first other byte, at a zero byte or after length bytes.
    // 0 when there is no number. Out-of-range values saturate (as strtol on a 32-bit long).
    static int32_t ToInteger(const char* text, size_t length);
    static int32_t ToInteger(const char* text);  // up to the terminator
    static int64_t ToInt64(const char* text, size_t length);
    static int64_t ToInt64(const char* text);
    // Decimal floating point, the same rules with an optional fraction and exponent
    // ("-12.5e3"); no hexadecimal, infinity or NaN forms; independent of the locale.
    // 0.0 when there is no number.
    static double ToDouble(const char* text, size_t length);
    static double ToDouble(const char* text);
};

}  // namespace zephyr
