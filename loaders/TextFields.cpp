#include "loaders/TextFields.h"

#include <cstring>

#include "foundation/MText.h"

namespace zephyr {

namespace {

// Truncation toward zero of v into [lo, hi]; NaN gives 0.
double Clamp(double v, double lo, double hi) {
    if (!(v == v)) return 0;
    if (v < lo) return lo;
    if (v > hi) return hi;
    return v;
}

// Each step of a rate or price computation is stored as a double, so that a build computing in
// wider x87 registers rounds every step like one computing in doubles (both products use SSE
// doubles, where nothing needs forcing).
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ == 0
using StepDouble = double;
#else
using StepDouble = volatile double;
#endif

// (x + 0.0005) x 1000 in doubles.
double Thousandths(const TextField& field) {
    StepDouble sum = FieldDouble(field) + 0.0005;
    StepDouble v = sum * 1000.0;
    return v;
}

// The exchange's usual numbers are plain digits (a price with a fraction) right-aligned with
// spaces: read here at once. Any other form (another leading space character or a sign, more
// digits, an exponent) goes to MText, which gives these forms the same value.
constexpr uint32_t kPlainDigits = 15;

uint32_t SpacesBefore(const char* text, uint32_t length) {
    // Eight at a time first: the exchange pads its numbers to a fixed width.
    constexpr uint64_t kEightSpaces = 0x2020202020202020ull;
    uint32_t i = 0;
    for (uint64_t eight; i + 8 <= length; i += 8) {
        memcpy(&eight, text + i, 8);
        const uint64_t other = eight ^ kEightSpaces;
        // The first byte that is not a space: the lowest non-zero byte of a little-endian load.
        if (other != 0) return i + (static_cast<uint32_t>(__builtin_ctzll(other)) >> 3);
    }
    while (i < length && text[i] == ' ') ++i;
    return i;
}

// The digits of a plain decimal as one integer and the number of them after the point.
bool PlainDigits(const char* text, uint32_t length, uint64_t* mantissa_out, uint32_t* fraction_out) {
    const uint32_t start = SpacesBefore(text, length);
    uint64_t mantissa = 0;
    uint32_t i = start;
    uint32_t fraction = 0;
    for (; i < length && i - start <= kPlainDigits; ++i) {
        const uint32_t digit = static_cast<uint8_t>(text[i]) - static_cast<uint32_t>('0');
        if (digit > 9) break;
        mantissa = mantissa * 10 + digit;
    }
    uint32_t digits = i - start;
    if (i < length && text[i] == '.') {
        for (++i; i < length && digits + fraction <= kPlainDigits; ++i, ++fraction) {
            const uint32_t digit = static_cast<uint8_t>(text[i]) - static_cast<uint32_t>('0');
            if (digit > 9) break;
            mantissa = mantissa * 10 + digit;
        }
    }
    digits += fraction;
    if (digits == 0 || digits > kPlainDigits) return false;
    if (i < length && (text[i] == 'e' || text[i] == 'E' || (text[i] >= '0' && text[i] <= '9'))) return false;
    *mantissa_out = mantissa;
    *fraction_out = fraction;
    return true;
}

bool PlainDecimal(const char* text, uint32_t length, double* out) {
    static const double kPowers[kPlainDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    uint64_t mantissa;
    uint32_t fraction;
    if (!PlainDigits(text, length, &mantissa, &fraction)) return false;
    *out = static_cast<double>(mantissa) / kPowers[fraction];
    return true;
}

// A plain price of at most three decimals, x = m / 10^f: (x + 0.0005) x 1000 in doubles lies
// within far less than 0.5 of m x 10^(3-f) + 0.5, so its integer part is m x 10^(3-f), and no
// double need be computed. False for any other field.
bool PlainThousandths(const TextField& field, uint32_t* out) {
    static const uint64_t kScale[4] = {1000, 100, 10, 1};
    uint64_t mantissa;
    uint32_t fraction;
    if (field.text == nullptr || !PlainDigits(field.text, field.length, &mantissa, &fraction) || fraction > 3) {
        return false;
    }
    const uint64_t value = mantissa * kScale[fraction];
    if (value > 0xFFFFFFFFull) return false;
    *out = static_cast<uint32_t>(value);
    return true;
}

// Plain digits after spaces, at most 18 (no overflow possible); any other form goes to MText.
constexpr uint32_t kPlainIntegerDigits = 18;

bool PlainInteger(const char* text, uint32_t length, int64_t* out) {
    const uint32_t start = SpacesBefore(text, length);
    int64_t value = 0;
    uint32_t i = start;
    for (; i < length && i - start < kPlainIntegerDigits; ++i) {
        const uint32_t digit = static_cast<uint8_t>(text[i]) - static_cast<uint32_t>('0');
        if (digit > 9) break;
        value = value * 10 + digit;
    }
    // A nineteenth digit is left to MText, which saturates.
    if (i == start || (i < length && text[i] >= '0' && text[i] <= '9')) return false;
    *out = value;
    return true;
}

}  // namespace

bool FieldCursor::NextFixed(uint32_t width, TextField* field) {
    if (m_Position >= m_Length) return false;
    const uint32_t rest = m_Length - m_Position;
    const uint32_t n = rest < width ? rest : width;
    field->text = m_Line + m_Position;
    field->length = n;
    m_Position += n < rest ? n + 1 : n;
    return true;
}

bool KindAt(const TextField& field, uint32_t offset, const char* kind) {
    return field.text != nullptr && field.length >= offset + 4 && memcmp(field.text + offset, kind, 4) == 0;
}

bool KindIs(const TextField& field, const char* kind) { return KindAt(field, 1, kind); }

uint32_t PriceThousandths(const TextField& field) {
    uint32_t plain;
    if (PlainThousandths(field, &plain)) return plain;
    return static_cast<uint32_t>(Clamp(Thousandths(field), 0, 4294967295.0));
}

int32_t SignedThousandths(const TextField& field) {
    return static_cast<int32_t>(Clamp(Thousandths(field), -2147483648.0, 2147483647.0));
}

uint32_t RateHundredThousandths(const TextField& field) {
    StepDouble v = FieldDouble(field) * 100000.0;
    return static_cast<uint32_t>(Clamp(v, 0, 4294967295.0));
}

int32_t FieldInteger(const TextField& field) { return MText::ToInteger(field.text, field.length); }
int64_t FieldInt64(const TextField& field) {
    int64_t value;
    if (field.text != nullptr && PlainInteger(field.text, field.length, &value)) return value;
    return MText::ToInt64(field.text, field.length);
}

double FieldDouble(const TextField& field) {
    double value;
    if (field.text != nullptr && PlainDecimal(field.text, field.length, &value)) return value;
    return MText::ToDouble(field.text, field.length);
}

void CopyField(char* destination, uint32_t width, const TextField& field) {
    const uint32_t n = field.length < width ? field.length : width;
    if (n > 0) memcpy(destination, field.text, n);
    if (n < width) memset(destination + n, 0, width - n);
}

void CopyCode(char* destination, const TextField& field) {
    CopyField(destination, 5, field);
    destination[5] = 0;
}

int32_t CodeValue(const TextField& field) {
    return MText::ToInteger(field.text, field.length < 5 ? field.length : 5);
}

}  // namespace zephyr
