#include "foundation/MString.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <strings.h>

#include "foundation/MErrorCode.h"
#include "foundation/MText.h"

namespace zephyr {

MString::MString() : m_Data(m_Inline), m_Length(0), m_Capacity(kInlineSize) {
    // Zeroed so that the storage always holds a terminator at its last byte (SetAt relies on it).
    std::memset(m_Inline, 0, sizeof(m_Inline));
}

MString::MString(const char* text) : MString() { Assign(text); }

MString::MString(int32_t value) : MString() { Format("%d", value); }

MString::MString(bool value) : MString() { Assign(value ? "true" : "false"); }

MString::MString(const MString& other) : MString() { Assign(other); }

MString& MString::operator=(const MString& other) {
    if (this != &other) {
        Assign(other);
    }
    return *this;
}

MString& MString::operator=(const char* text) {
    Assign(text);
    return *this;
}

MString::~MString() {
    if (m_Data != m_Inline) {
        std::free(m_Data);
    }
}

bool MString::Reserve(uint32_t needed) {
    if (needed <= m_Capacity) {
        return true;
    }
    const uint64_t wanted = (static_cast<uint64_t>(needed) / 256u) * 256u + 256u;
    if (wanted > 0x7FFFFFFFu) {
        return false;
    }
    char* block = static_cast<char*>(std::malloc(static_cast<size_t>(wanted)));
    if (block == nullptr) {
        return false;
    }
    std::memcpy(block, m_Data, m_Length + 1);
    std::memset(block + m_Length + 1, 0, static_cast<size_t>(wanted) - m_Length - 1);
    if (m_Data != m_Inline) {
        std::free(m_Data);
    }
    m_Data = block;
    m_Capacity = static_cast<uint32_t>(wanted);
    return true;
}

// text may point into this string's own storage.
bool MString::Owns(const char* text) const {
    const uintptr_t at = reinterpret_cast<uintptr_t>(text);
    const uintptr_t begin = reinterpret_cast<uintptr_t>(m_Data);
    return at >= begin && at < begin + m_Capacity;
}

int32_t MString::SetText(const char* text, uint32_t length) {
    int32_t result = 1;
    if (Owns(text)) {
        // Own storage: it fits already.
        std::memmove(m_Data, text, length);
    } else {
        if (!Reserve(length + 1)) {
            length = m_Capacity - 1;
            result = ERR_NO_MEMORY;
        }
        std::memcpy(m_Data, text, length);
    }
    m_Data[length] = 0;
    m_Length = length;
    return result;
}

int32_t MString::Assign(const MString& other) { return SetText(other.m_Data, other.m_Length); }

int32_t MString::Assign(const char* text) {
    if (text == nullptr) {
        Empty();
        return 1;
    }
    const size_t length = std::strlen(text);
    return SetText(text, length > 0x7FFFFFF0u ? 0x7FFFFFF0u : static_cast<uint32_t>(length));
}

int32_t MString::Append(const MString& other) {
    if (&other == this) {
        const MString copy(other);
        return Append(copy.m_Data);
    }
    return Append(other.m_Data);
}

int32_t MString::Append(const char* text) {
    if (text == nullptr) {
        return 1;
    }
    size_t add = std::strlen(text);
    if (add > 0x7FFFFFF0u - m_Length) {
        add = 0x7FFFFFF0u - m_Length;
    }
    int32_t result = 1;
    if (Owns(text)) {
        // Appending a piece of itself: copy it out before the storage may move.
        MString copy;
        copy.SetText(text, static_cast<uint32_t>(add));
        return Append(copy.m_Data);
    }
    if (!Reserve(m_Length + static_cast<uint32_t>(add) + 1)) {
        add = m_Capacity - 1 - m_Length;
        result = ERR_NO_MEMORY;
    }
    std::memcpy(m_Data + m_Length, text, add);
    m_Length += static_cast<uint32_t>(add);
    m_Data[m_Length] = 0;
    return result;
}

MString MString::Concat(const MString& other) const {
    MString result(*this);
    result.Append(other);
    return result;
}

MString MString::Concat(const char* text) const {
    MString result(*this);
    result.Append(text);
    return result;
}

int32_t MString::Format(const char* format, ...) {
    if (format == nullptr) {
        Empty();
        return 0;
    }
    // Arguments may point into this string: format into a scratch block first.
    char scratch[kInlineSize];
    char* target = m_Capacity <= sizeof(scratch) ? scratch : static_cast<char*>(std::malloc(m_Capacity));
    if (target == nullptr) {
        target = m_Data;  // no memory: format in place (arguments from itself would be garbled)
    }
    va_list args;
    va_start(args, format);
    const int32_t stored = MText::FormatV(target, m_Capacity, format, args);
    va_end(args);
    if (target != m_Data) {
        std::memcpy(m_Data, target, static_cast<size_t>(stored) + 1);
        if (target != scratch) {
            std::free(target);
        }
    }
    m_Length = static_cast<uint32_t>(stored);
    return stored;
}

void MString::Empty() {
    m_Data[0] = 0;
    m_Length = 0;
}

int32_t MString::SetAt(uint32_t index, char byte) {
    if (index + 1 >= m_Capacity) {
        return ERR_BAD_ARGUMENT;
    }
    m_Data[index] = byte;
    if (byte == 0) {
        if (index < m_Length) {
            m_Length = index;
        }
    } else if (index >= m_Length) {
        if (index == m_Length) {
            m_Length = static_cast<uint32_t>(std::strlen(m_Data));
        }
    }
    return 1;
}

bool MString::operator==(const char* text) const {
    return std::strcmp(m_Data, text != nullptr ? text : "") == 0;
}

int32_t MString::Find(const char* text) const {
    if (text == nullptr || text[0] == 0) {
        return ERR_NO_MATCH;
    }
    const char* found = std::strstr(m_Data, text);
    return found != nullptr ? static_cast<int32_t>(found - m_Data) : ERR_NO_MATCH;
}

int32_t MString::Split(const char* separator, MString& left, MString& right) const {
    const int32_t at = Find(separator);
    if (at < 0) {
        return ERR_NO_MATCH;
    }
    // Work on a copy: left or right may be this string.
    const MString self(*this);
    const uint32_t after = static_cast<uint32_t>(at) + static_cast<uint32_t>(std::strlen(separator));
    const int32_t left_result = left.SetText(self.m_Data, static_cast<uint32_t>(at));
    const int32_t right_result = right.SetText(self.m_Data + after, self.m_Length - after);
    return left_result < 0 || right_result < 0 ? ERR_NO_MEMORY : 1;
}

MString MString::After(const char* separator) const {
    const int32_t at = Find(separator);
    if (at < 0) {
        return MString();
    }
    return MString(m_Data + at + std::strlen(separator));
}

MString MString::Right(uint32_t n) const {
    if (n > m_Length) {
        return MString();
    }
    return MString(m_Data + (m_Length - n));
}

void MString::TrimLeft() {
    uint32_t skip = 0;
    while (skip < m_Length && MText::IsBlank(m_Data[skip])) {
        ++skip;
    }
    if (skip > 0) {
        std::memmove(m_Data, m_Data + skip, m_Length - skip + 1);
        m_Length -= skip;
    }
}

void MString::TrimRight() {
    while (m_Length > 0 && MText::IsBlank(m_Data[m_Length - 1])) {
        --m_Length;
    }
    m_Data[m_Length] = 0;
}

int32_t MString::ToInteger() const { return MText::ToInteger(m_Data, m_Length); }

bool MString::ToBool() const { return strcasecmp(m_Data, "true") == 0; }

}  // namespace zephyr
