#include "foundation/MText.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/platform/NativeNumber.h"

namespace zephyr {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Parses sign and digits; saturates at the bounds of int64.
int64_t ParseInteger(const char* text, size_t length, int64_t low, int64_t high) {
    if (text == nullptr) {
        return 0;
    }
    size_t i = 0;
    while (i < length && IsSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number: its range holds the most negative value.
    int64_t value = 0;
    bool overflow = false;
    for (; i < length && IsDigit(text[i]); ++i) {
        const int digit = text[i] - '0';
        if (!overflow) {
            if (value < (INT64_MIN + digit) / 10) {
                overflow = true;
            } else {
                value = value * 10 - digit;
            }
        }
    }
    if (overflow) {
        return negative ? low : high;
    }
    if (!negative) {
        return value < -high ? high : -value;
    }
    return value < low ? low : value;
}

size_t BoundedLength(const char* text, size_t length) {
    const void* zero = std::memchr(text, 0, length);
    return zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - text) : length;
}

}  // namespace

char* MText::Copy(char* destination, size_t size, const char* source) {
    if (destination == nullptr || source == nullptr || size == 0) {
        return nullptr;
    }
    return CopyN(destination, size, source, size - 1);
}

char* MText::CopyN(char* destination, size_t size, const char* source, size_t length) {
    if (destination == nullptr || source == nullptr || size == 0) {
        return nullptr;
    }
    size_t n = length < size - 1 ? length : size - 1;
    n = BoundedLength(source, n);
    std::memmove(destination, source, n);
    destination[n] = 0;
    return destination;
}

char* MText::Append(char* destination, size_t size, const char* source) {
    if (destination == nullptr || source == nullptr || size == 0) {
        return nullptr;
    }
    const void* end = std::memchr(destination, 0, size);
    if (end == nullptr) {
        return destination;
    }
    const size_t used = static_cast<size_t>(static_cast<const char*>(end) - destination);
    CopyN(destination + used, size - used, source, size - used - 1);
    return destination;
}

int32_t MText::Format(char* destination, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32_t stored = FormatV(destination, size, format, args);
    va_end(args);
    return stored;
}

int32_t MText::FormatV(char* destination, size_t size, const char* format, va_list args) {
    if (destination == nullptr || format == nullptr || size == 0) {
        return 0;
    }
    const int wanted = std::vsnprintf(destination, size, format, args);
    if (wanted < 0) {
        destination[0] = 0;
        return 0;
    }
    const size_t stored = static_cast<size_t>(wanted) < size ? static_cast<size_t>(wanted) : size - 1;
    destination[stored] = 0;
    return static_cast<int32_t>(stored);
}

char* MText::TrimLeft(char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    size_t skip = 0;
    while (IsBlank(text[skip])) {
        ++skip;
    }
    if (skip > 0) {
        std::memmove(text, text + skip, std::strlen(text + skip) + 1);
    }
    return text;
}

char* MText::TrimRight(char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    size_t length = std::strlen(text);
    while (length > 0 && IsBlank(text[length - 1])) {
        --length;
    }
    text[length] = 0;
    return text;
}

char* MText::Trim(char* text) { return TrimLeft(TrimRight(text)); }

int32_t MText::ToInteger(const char* text, size_t length) {
    return static_cast<int32_t>(ParseInteger(text, length, INT32_MIN, INT32_MAX));
}

int32_t MText::ToInteger(const char* text) {
    return text == nullptr ? 0 : ToInteger(text, std::strlen(text));
}

int64_t MText::ToInt64(const char* text, size_t length) {
    return ParseInteger(text, length, INT64_MIN, INT64_MAX);
}

int64_t MText::ToInt64(const char* text) {
    return text == nullptr ? 0 : ToInt64(text, std::strlen(text));
}

namespace {

// The common short form: sign, at most 15 digits with an optional fraction, no exponent. Its
// digits make an integer a double holds exactly, and so does 10^fraction digits, so one division
// rounds exactly as strtod does. False for any other form.
bool ShortDecimal(const char* text, size_t length, size_t i, double* out) {
    static const double kPowers[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    uint64_t mantissa = 0;
    size_t digits = 0;
    for (; i < length && IsDigit(text[i]); ++i, ++digits) {
        mantissa = mantissa * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    size_t fraction = 0;
    if (i < length && text[i] == '.') {
        for (++i; i < length && IsDigit(text[i]); ++i, ++fraction) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(text[i] - '0');
        }
    }
    digits += fraction;
    if (digits == 0 || digits > 15 || (i < length && (text[i] == 'e' || text[i] == 'E'))) {
        return false;
    }
    const double value = static_cast<double>(mantissa) / kPowers[fraction];
    *out = negative ? -value : value;
    return true;
}

}  // namespace

double MText::ToDouble(const char* text, size_t length) {
    if (text == nullptr) {
        return 0.0;
    }
    size_t i = 0;
    while (i < length && IsSpace(text[i])) {
        ++i;
    }
    double quick = 0.0;
    if (ShortDecimal(text, length, i, &quick)) {
        return quick;
    }
    // Gather the longest valid decimal form into a local buffer; digits past its room only
    // scale the value (integer part) or are dropped (fraction), as they cannot change a double.
    char number[128];
    size_t n = 0;
    int extra_exponent = 0;
    auto put = [&](char c) {
        if (n < sizeof(number) - 16) {
            number[n++] = c;
            return true;
        }
        return false;
    };
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        put(text[i++]);
    }
    size_t digits = 0;
    for (; i < length && IsDigit(text[i]); ++i, ++digits) {
        if (!put(text[i])) {
            ++extra_exponent;
        }
    }
    if (i < length && text[i] == '.') {
        size_t j = i + 1;
        size_t fraction = 0;
        for (; j < length && IsDigit(text[j]); ++j, ++fraction) {
        }
        if (digits + fraction > 0) {
            put('.');
            for (size_t k = i + 1; k < j; ++k) {
                put(text[k]);
            }
            digits += fraction;
            i = j;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    int64_t exponent = 0;
    if (i < length && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        bool negative = false;
        if (j < length && (text[j] == '+' || text[j] == '-')) {
            negative = text[j] == '-';
            ++j;
        }
        if (j < length && IsDigit(text[j])) {
            for (; j < length && IsDigit(text[j]); ++j) {
                if (exponent < 100000) {
                    exponent = exponent * 10 + (text[j] - '0');
                }
            }
            if (negative) {
                exponent = -exponent;
            }
        }
    }
    exponent += extra_exponent;
    n += static_cast<size_t>(std::snprintf(number + n, sizeof(number) - n, "e%lld",
                                           static_cast<long long>(exponent)));
    number[n < sizeof(number) ? n : sizeof(number) - 1] = 0;
    return native::ParseDoubleC(number);
}

double MText::ToDouble(const char* text) {
    return text == nullptr ? 0.0 : ToDouble(text, std::strlen(text));
}

}  // namespace zephyr
