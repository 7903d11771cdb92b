// Fields of the exchange's text lines and their conversions. Every function reads only the
// bytes it is given (a field is a pointer and a length inside the line), so a short or broken
// line can never be read past its end.
#pragma once
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zephyr {

struct TextField {
    const char* text = nullptr;
    uint32_t length = 0;
};

// Walks the '|'-separated fields of one line. Each field runs up to the next '|' or to the end
// of the line; a '|' at the very end of the line ends it without an empty last field.
class FieldCursor {
public:
    FieldCursor(const char* line, uint32_t length) : m_Line(line), m_Length(line ? length : 0) {}

    // False when the line has no more fields. (Inline: it runs for every field of every line.)
    bool Next(TextField* field) {
        if (m_Position >= m_Length) return false;
        const char* start = m_Line + m_Position;
        const uint32_t rest = m_Length - m_Position;
        const uint32_t n = BarOffset(start, rest);
        field->text = start;
        field->length = n;
        m_Position += n < rest ? n + 1 : n;
        return true;
    }
    // The next field taken as exactly width bytes (fewer when the line ends first), whatever
    // bytes they hold; the byte after them is taken as its separator.
    bool NextFixed(uint32_t width, TextField* field);

private:
    // Where the first '|' of the rest bytes at text is; rest when there is none. The exchange's
    // fields are short: sixteen bytes compared at once, in line, beat a call to memchr per field.
    static uint32_t BarOffset(const char* text, uint32_t rest) {
#if defined(__SSE2__)
        if (rest >= 16) {
            const __m128i bar = _mm_set1_epi8('|');
            uint32_t at = 0;
            for (; at + 16 <= rest; at += 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
                const uint32_t found = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, bar)));
                if (found != 0) return at + static_cast<uint32_t>(__builtin_ctz(found));
            }
            if (at == rest) return rest;
            // The last sixteen bytes, less those already looked at.
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + rest - 16));
            const uint32_t found =
                static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, bar))) >> (16 - (rest - at));
            return found != 0 ? at + static_cast<uint32_t>(__builtin_ctz(found)) : rest;
        }
#endif
        const char* bar = static_cast<const char*>(memchr(text, '|', rest));
        return bar != nullptr ? static_cast<uint32_t>(bar - text) : rest;
    }

    const char* m_Line;
    uint32_t m_Length;
    uint32_t m_Position = 0;
};

// Characters at offset..offset+3 of the field read kind. (Inline: with a literal kind this is one
// comparison, made for every line.)
inline bool KindAt(const TextField& field, uint32_t offset, const char* kind) {
    return field.text != nullptr && field.length >= offset + 4 && memcmp(field.text + offset, kind, 4) == 0;
}
// Characters at 1..4 of the field (the first is not examined) read kind (four characters).
inline bool KindIs(const TextField& field, const char* kind) { return KindAt(field, 1, kind); }

// A decimal price in thousandths, half up: integer part of ((x + 0.0005) x 1000); 0 for a
// negative value, saturated at the top of u32.
uint32_t PriceThousandths(const TextField& field);
// The same rounding into a signed 32-bit value, truncated toward zero (saturated).
int32_t SignedThousandths(const TextField& field);
// A decimal rate in hundred-thousandths, truncated: integer part of (x x 100000); 0 for a
// negative value, saturated at the top of u32.
uint32_t RateHundredThousandths(const TextField& field);
int32_t FieldInteger(const TextField& field);
int64_t FieldInt64(const TextField& field);
double FieldDouble(const TextField& field);

// Copies at most width bytes of the field into destination (width bytes); the rest is zeroed.
// The result is not terminated when the field fills the width.
void CopyField(char* destination, uint32_t width, const TextField& field);
// Copies at most 5 bytes of the field as a 6-byte code (always terminated, zero-padded).
void CopyCode(char* destination, const TextField& field);
// Numeric value of the code: the number at the start of its first five characters.
int32_t CodeValue(const TextField& field);

}  // namespace zephyr
