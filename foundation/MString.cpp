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

MString::MString() : data_(inline_), length_(0), capacity_(kInlineSize) {
    // Zeroed so that the storage always holds a terminator at its last byte (SetAt relies on it).
    std::memset(inline_, 0, sizeof(inline_));
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
    if (data_ != inline_) {
        std::free(data_);
    }
}

bool MString::Reserve(uint32_t needed) {
    if (needed <= capacity_) {
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
    std::memcpy(block, data_, length_ + 1);
    std::memset(block + length_ + 1, 0, static_cast<size_t>(wanted) - length_ - 1);
    if (data_ != inline_) {
        std::free(data_);
    }
    data_ = block;
    capacity_ = static_cast<uint32_t>(wanted);
    return true;
}

// text may point into this string's own storage.
bool MString::Owns(const char* text) const {
    const uintptr_t at = reinterpret_cast<uintptr_t>(text);
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data_);
    return at >= begin && at < begin + capacity_;
}

int32_t MString::SetText(const char* text, uint32_t length) {
    int32_t result = 1;
    if (Owns(text)) {
        // Own storage: it fits already.
        std::memmove(data_, text, length);
    } else {
        if (!Reserve(length + 1)) {
            length = capacity_ - 1;
            result = ERR_NO_MEMORY;
        }
        std::memcpy(data_, text, length);
    }
    data_[length] = 0;
    length_ = length;
    return result;
}

int32_t MString::Assign(const MString& other) { return SetText(other.data_, other.length_); }

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
        return Append(copy.data_);
    }
    return Append(other.data_);
}

int32_t MString::Append(const char* text) {
    if (text == nullptr) {
        return 1;
    }
    size_t add = std::strlen(text);
    if (add > 0x7FFFFFF0u - length_) {
        add = 0x7FFFFFF0u - length_;
    }
    int32_t result = 1;
    if (Owns(text)) {
        // Appending a piece of itself: copy it out before the storage may move.
        MString copy;
        copy.SetText(text, static_cast<uint32_t>(add));
        return Append(copy.data_);
    }
    if (!Reserve(length_ + static_cast<uint32_t>(add) + 1)) {
        add = capacity_ - 1 - length_;
        result = ERR_NO_MEMORY;
    }
    std::memcpy(data_ + length_, text, add);
    length_ += static_cast<uint32_t>(add);
    data_[length_] = 0;
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
    char* target = capacity_ <= sizeof(scratch) ? scratch : static_cast<char*>(std::malloc(capacity_));
    if (target == nullptr) {
        target = data_;  // no memory: format in place (arguments from itself would be garbled)
    }
    va_list args;
    va_start(args, format);
    const int32_t stored = MText::FormatV(target, capacity_, format, args);
    va_end(args);
    if (target != data_) {
        std::memcpy(data_, target, static_cast<size_t>(stored) + 1);
        if (target != scratch) {
            std::free(target);
        }
    }
    length_ = static_cast<uint32_t>(stored);
    return stored;
}

void MString::Empty() {
    data_[0] = 0;
    length_ = 0;
}

int32_t MString::SetAt(uint32_t index, char byte) {
    if (index + 1 >= capacity_) {
        return ERR_BAD_ARGUMENT;
    }
    data_[index] = byte;
    if (byte == 0) {
        if (index < length_) {
            length_ = index;
        }
    } else if (index >= length_) {
        if (index == length_) {
            length_ = static_cast<uint32_t>(std::strlen(data_));
        }
    }
    return 1;
}

bool MString::operator==(const char* text) const {
    return std::strcmp(data_, text != nullptr ? text : "") == 0;
}

int32_t MString::Find(const char* text) const {
    if (text == nullptr || text[0] == 0) {
        return ERR_NO_MATCH;
    }
    const char* found = std::strstr(data_, text);
    return found != nullptr ? static_cast<int32_t>(found - data_) : ERR_NO_MATCH;
}

int32_t MString::Split(const char* separator, MString& left, MString& right) const {
    const int32_t at = Find(separator);
    if (at < 0) {
        return ERR_NO_MATCH;
    }
    // Work on a copy: left or right may be this string.
    const MString self(*this);
    const uint32_t after = static_cast<uint32_t>(at) + static_cast<uint32_t>(std::strlen(separator));
    const int32_t left_result = left.SetText(self.data_, static_cast<uint32_t>(at));
    const int32_t right_result = right.SetText(self.data_ + after, self.length_ - after);
    return left_result < 0 || right_result < 0 ? ERR_NO_MEMORY : 1;
}

MString MString::After(const char* separator) const {
    const int32_t at = Find(separator);
    if (at < 0) {
        return MString();
    }
    return MString(data_ + at + std::strlen(separator));
}

MString MString::Right(uint32_t n) const {
    if (n > length_) {
        return MString();
    }
    return MString(data_ + (length_ - n));
}

void MString::TrimLeft() {
    uint32_t skip = 0;
    while (skip < length_ && MText::IsBlank(data_[skip])) {
        ++skip;
    }
    if (skip > 0) {
        std::memmove(data_, data_ + skip, length_ - skip + 1);
        length_ -= skip;
    }
}

void MString::TrimRight() {
    while (length_ > 0 && MText::IsBlank(data_[length_ - 1])) {
        --length_;
    }
    data_[length_] = 0;
}

int32_t MString::ToInteger() const { return MText::ToInteger(data_, length_); }

bool MString::ToBool() const { return strcasecmp(data_, "true") == 0; }

}  // namespace zephyr
