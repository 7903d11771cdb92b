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

// (x + 0.0005) x 1000 in doubles. The sum and the product are each stored as a double, so the
// i386 build (x87, wider registers) rounds every step like the 64-bit one.
double Thousandths(const TextField& field) {
    volatile double sum = FieldDouble(field) + 0.0005;
    volatile double v = sum * 1000.0;
    return v;
}

}  // namespace

bool FieldCursor::Next(TextField* field) {
    if (m_Position >= m_Length) return false;
    const char* start = m_Line + m_Position;
    const uint32_t rest = m_Length - m_Position;
    const char* bar = static_cast<const char*>(memchr(start, '|', rest));
    const uint32_t n = bar != nullptr ? static_cast<uint32_t>(bar - start) : rest;
    field->text = start;
    field->length = n;
    m_Position += bar != nullptr ? n + 1 : n;
    return true;
}

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
    return static_cast<uint32_t>(Clamp(Thousandths(field), 0, 4294967295.0));
}

int32_t SignedThousandths(const TextField& field) {
    return static_cast<int32_t>(Clamp(Thousandths(field), -2147483648.0, 2147483647.0));
}

uint32_t RateHundredThousandths(const TextField& field) {
    volatile double v = FieldDouble(field) * 100000.0;
    return static_cast<uint32_t>(Clamp(v, 0, 4294967295.0));
}

int32_t FieldInteger(const TextField& field) { return MText::ToInteger(field.text, field.length); }
int64_t FieldInt64(const TextField& field) { return MText::ToInt64(field.text, field.length); }
double FieldDouble(const TextField& field) { return MText::ToDouble(field.text, field.length); }

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
