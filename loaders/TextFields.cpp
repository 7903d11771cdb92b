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

// Numbers of at most eight characters after their padding (the exchange's prices and most of its
// volumes) are read as one 8-byte word: a loop per digit costs a mispredicted exit per number.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the words below hold the first character lowest");
constexpr uint64_t kEachByte = 0x0101010101010101ull;
constexpr uint64_t kEightSpaces = 0x20 * kEachByte;
constexpr uint64_t kTopBits = 0x80 * kEachByte;  // the top bit of every byte
constexpr uint32_t kWordBytes = 8;

// The rest bytes (1 to 8) of the field from start, the first one lowest and zero bytes above them. A
// zero byte is neither a digit, nor a point, nor an exponent, so it reads as the field's end. Only
// the field's own bytes are read.
uint64_t NumberWord(const char* text, uint32_t length, uint32_t start) {
    const uint32_t rest = length - start;
    uint64_t word = 0;
    if (length >= kWordBytes) {
        memcpy(&word, text + length - kWordBytes, kWordBytes);
        return word >> (8 * (kWordBytes - rest));
    }
    for (uint32_t k = 0; k < rest; ++k) word |= uint64_t{static_cast<uint8_t>(text[start + k])} << (8 * k);
    return word;
}

// Per byte of word, the top bit set where the byte is not a decimal digit (without carries
// between bytes: 10..255 after the subtraction of '0').
uint64_t NonDigits(uint64_t word) {
    const uint64_t v = word ^ (0x30 * kEachByte);  // digits become 0..9
    return (((v & (0x7F * kEachByte)) + 0x76 * kEachByte) | v) & kTopBits;
}

// How many bytes at the start of word are decimal digits (8 when all are).
uint32_t DigitRun(uint64_t word) {
    const uint64_t other = NonDigits(word);
    return other == 0 ? kWordBytes : static_cast<uint32_t>(__builtin_ctzll(other)) >> 3;
}

uint8_t ByteOf(uint64_t word, uint32_t at) { return static_cast<uint8_t>(word >> (8 * at)); }

// A mask of the first n bytes (0 to 8) of a word.
uint64_t LowBytes(uint32_t n) { return n >= kWordBytes ? ~0ull : (1ull << (8 * n)) - 1; }

// The value of the first n digits (1 to 8) of word.
uint64_t DigitsValue(uint64_t word, uint32_t n) {
    // Behind '0's the digits read as the same number: "000ddddd".
    uint64_t chunk = n == kWordBytes ? word : (word << (8 * (kWordBytes - n))) | ((0x30 * kEachByte) >> (8 * n));
    // Pairs, then fours, then all eight, in three multiplications.
    chunk -= 0x30 * kEachByte;
    chunk = chunk * 10 + (chunk >> 8);
    constexpr uint64_t kPairs = 0x000000FF000000FFull;
    constexpr uint64_t kHigh = 100 + (1000000ull << 32);
    constexpr uint64_t kLow = 1 + (10000ull << 32);
    return (((chunk & kPairs) * kHigh) + (((chunk >> 16) & kPairs) * kLow)) >> 32;
}

// The exchange's prices and volumes stand right-aligned in fields of 8 to 16 bytes with at most
// eight characters: true, the field's last eight bytes and the place of the first non-space among
// them when every byte before those eight is a space and they are not all spaces. Two loads and no
// loop; false sends the field the general way.
bool PaddedTail(const char* text, uint32_t length, uint64_t* tail, uint32_t* first) {
    if (length < kWordBytes || length > 2 * kWordBytes) return false;
    uint64_t head;
    memcpy(&head, text, kWordBytes);
    memcpy(tail, text + length - kWordBytes, kWordBytes);
    const uint32_t padding = length - kWordBytes;  // the bytes before the last eight
    if (((head ^ kEightSpaces) & LowBytes(padding)) != 0) return false;
    const uint64_t other = *tail ^ kEightSpaces;
    if (other == 0) return false;
    *first = static_cast<uint32_t>(__builtin_ctzll(other)) >> 3;
    return true;
}

// Where the number of a field starts, after its padding of spaces.
uint32_t SpacesBefore(const char* text, uint32_t length) {
    uint64_t tail;
    uint32_t first;
    if (PaddedTail(text, length, &tail, &first)) return length - kWordBytes + first;
    // Eight at a time: the exchange pads its numbers to a fixed width.
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

// In a padded tail whose bytes from first on are all digits, the spaces before them read as
// '0's: the eight bytes are then one number.
constexpr uint64_t kSpaceToZero = 0x10 * kEachByte;

// PlainDigits for a number of at most eight characters held in word.
bool ShortPlainDigits(uint64_t word, uint64_t* mantissa_out, uint32_t* fraction_out) {
    const uint32_t whole = DigitRun(word);
    uint32_t digits = whole;
    uint32_t end = whole;  // the byte after the number
    uint64_t joined = word;
    if (whole < kWordBytes && ByteOf(word, whole) == '.') {
        // The point taken out: the bytes above it move down over it.
        const uint64_t below = LowBytes(whole);
        joined = (word & below) | ((word >> 8) & ~below);
        digits = DigitRun(joined);
        end = digits + 1;
    }
    if (digits == 0) return false;
    if (end < kWordBytes && (ByteOf(word, end) | 0x20) == 'e') return false;  // 'e' or 'E': an exponent
    *mantissa_out = DigitsValue(joined, digits);
    *fraction_out = digits - whole;
    return true;
}

// PlainDigits for a number of 9 to 16 characters from start whose point, if any, leaves at most
// eight characters after it (the exchange's amounts); false when it cannot tell, *plain says the rest.
bool MediumPlainDigits(const char* text, uint32_t length, uint32_t start, bool* plain, uint64_t* mantissa_out,
                       uint32_t* fraction_out) {
    const uint64_t head = NumberWord(text, start + kWordBytes, start);  // the first eight, in full
    const uint32_t whole = DigitRun(head);
    if (whole == kWordBytes) return false;
    uint64_t mantissa = whole == 0 ? 0 : DigitsValue(head, whole);
    uint32_t fraction = 0;
    uint8_t after = ByteOf(head, whole);
    if (after == '.') {
        const uint32_t at = start + whole + 1;
        if (length - at > kWordBytes) return false;
        after = 0;
        if (at < length) {
            static const uint64_t kScale[kWordBytes + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000,
                                                            100000000};
            const uint64_t tail = NumberWord(text, length, at);
            fraction = DigitRun(tail);
            if (fraction != 0) mantissa = mantissa * kScale[fraction] + DigitsValue(tail, fraction);
            if (fraction < kWordBytes) after = ByteOf(tail, fraction);
        }
    }
    *plain = whole + fraction != 0 && (after | 0x20) != 'e';  // at most 7 + 8 digits
    *mantissa_out = mantissa;
    *fraction_out = fraction;
    return true;
}

// The digits of a plain decimal as one integer and the number of them after the point.
bool PlainDigits(const char* text, uint32_t length, uint64_t* mantissa_out, uint32_t* fraction_out) {
    const uint32_t start = SpacesBefore(text, length);
    if (start == length) return false;
    if (length - start <= kWordBytes) return ShortPlainDigits(NumberWord(text, length, start), mantissa_out, fraction_out);
    bool plain = false;
    if (length - start <= 2 * kWordBytes && MediumPlainDigits(text, length, start, &plain, mantissa_out, fraction_out)) {
        return plain;
    }
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

// The exchange's usual price: "d.ddd" to "dddd.ddd" right-aligned in a padded field. With its point
// taken out and its padding read as '0's it is one eight-digit number, the price in thousandths.
bool PaddedPrice(const TextField& field, uint32_t* out) {
    uint64_t tail;
    uint32_t first;
    constexpr uint32_t kPoint = 4;  // ".ddd" ends the field
    if (field.text == nullptr || !PaddedTail(field.text, field.length, &tail, &first) || first >= kPoint) return false;
    if (NonDigits(tail) != ((LowBytes(first) & kTopBits) | 0x80ull << (8 * kPoint)) || ByteOf(tail, kPoint) != '.') {
        return false;
    }
    const uint64_t joined = ((tail & 0xFFFFFFFFull) << 8) | (tail & 0xFFFFFF0000000000ull) | '0';
    *out = static_cast<uint32_t>(DigitsValue(joined | kSpaceToZero, kWordBytes));
    return true;
}

// A plain price of at most three decimals, x = m / 10^f: (x + 0.0005) x 1000 in doubles lies
// within far less than 0.5 of m x 10^(3-f) + 0.5, so its integer part is m x 10^(3-f), and no
// double need be computed. False for any other field.
bool PlainThousandths(const TextField& field, uint32_t* out) {
    if (PaddedPrice(field, out)) return true;
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
    // The exchange's usual volume: digits only behind the padding.
    uint64_t tail;
    uint32_t first;
    if (PaddedTail(text, length, &tail, &first) && NonDigits(tail) == (LowBytes(first) & kTopBits)) {
        *out = static_cast<int64_t>(DigitsValue(tail | kSpaceToZero, kWordBytes));
        return true;
    }
    const uint32_t start = SpacesBefore(text, length);
    if (start == length) return false;
    if (length - start <= kWordBytes) {
        const uint64_t word = NumberWord(text, length, start);
        const uint32_t digits = DigitRun(word);
        if (digits == 0) return false;
        *out = static_cast<int64_t>(DigitsValue(word, digits));
        return true;
    }
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
    const uint32_t length = field.length < 5 ? field.length : 5;
    // The exchange writes five digits: read at once; any other form as the general reader does.
    if (length == 5) {
        const uint64_t word = NumberWord(field.text, length, 0);
        if (DigitRun(word) == length) return static_cast<int32_t>(DigitsValue(word, length));
    }
    return MText::ToInteger(field.text, length);
}

}  // namespace zephyr
