// A growable NUL-terminated byte string (GBK text).
// Storage: a 256-byte block inside the object while the text fits; when an assignment or append
// needs more than the capacity, a heap block of (needed bytes with terminator) rounded down to a
// multiple of 256, plus 256 (a 256-byte text takes 512 bytes). Storage never shrinks. If memory
// runs out, the old storage stays and the new text is cut to fit it.
// Byte-wise throughout: no awareness of double-byte characters.
#pragma once
#include <cstdint>

namespace zephyr {

class MString {
public:
    static constexpr uint32_t kInlineSize = 256;

    MString();
    MString(const char* text);  // null is the empty text
    explicit MString(int32_t value);  // "%d"
    explicit MString(bool value);     // "true" / "false"
    MString(const MString& other);
    MString& operator=(const MString& other);
    MString& operator=(const char* text);
    ~MString();

    // 1, or ERR_NO_MEMORY when the text had to be cut to the old storage.
    int32_t Assign(const MString& other);
    int32_t Assign(const char* text);
    // Appends; grows to the sum of both lengths plus 1. 1 or ERR_NO_MEMORY (text cut).
    int32_t Append(const MString& other);
    int32_t Append(const char* text);
    MString& operator+=(const char* text) { Append(text); return *this; }
    // A new string: this text followed by other.
    MString Concat(const MString& other) const;
    MString Concat(const char* text) const;

    // printf-style into the existing storage: cut at capacity - 1 bytes, terminated, never grows.
    // Returns the length stored.
    int32_t Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const char* GetData() const { return m_Data; }
    uint32_t GetLength() const { return m_Length; }
    uint32_t GetCapacity() const { return m_Capacity; }
    bool IsEmpty() const { return m_Length == 0; }
    void Empty();

    // Stores byte at index (index < capacity - 1: the last byte of the storage stays a
    // terminator). A zero byte cuts the text. 1, or ERR_BAD_ARGUMENT.
    int32_t SetAt(uint32_t index, char byte);

    // Byte-for-byte, case significant; a null text equals the empty string.
    bool operator==(const char* text) const;
    bool operator!=(const char* text) const { return !(*this == text); }
    bool operator==(const MString& other) const { return *this == other.m_Data; }
    bool operator!=(const MString& other) const { return !(*this == other.m_Data); }

    // Byte offset of the first occurrence of text, or ERR_NO_MATCH (also for an empty text).
    int32_t Find(const char* text) const;
    // left = text before the first separator, right = text after it.
    // 1; ERR_NO_MATCH when the separator does not occur (left and right untouched);
    // ERR_NO_MEMORY when left or right could not grow.
    int32_t Split(const char* separator, MString& left, MString& right) const;
    // Text after the first separator; "" when it does not occur.
    MString After(const char* separator) const;
    // Last n bytes; the whole text when n equals the length; "" when n exceeds it.
    MString Right(uint32_t n) const;

    // Remove spaces, tabs, CR and LF at the start / end.
    void TrimLeft();
    void TrimRight();
    void Trim() { TrimRight(); TrimLeft(); }

    // Leading decimal number (strtol rules, 32-bit); 0 when none.
    int32_t ToInteger() const;
    // True exactly when the text is "true", ASCII case ignored.
    bool ToBool() const;

private:
    // Makes room for needed bytes (terminator included). False when memory ran out.
    bool Reserve(uint32_t needed);
    int32_t SetText(const char* text, uint32_t length);
    bool Owns(const char* text) const;

    char* m_Data;
    uint32_t m_Length;
    uint32_t m_Capacity;
    char m_Inline[kInlineSize];
};

}  // namespace zephyr
