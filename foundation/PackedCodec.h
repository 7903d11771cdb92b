// The one place that turns packed little-endian records and fields into bytes and back.
// Records are packed structs laid out exactly as they travel (to the host, into files, into the
// digest); on the little-endian targets we build for, a record's bytes are its memory image, so
// encoding a record is a plain copy. Single fields inside raw byte buffers (frame headers, counts)
// go through the Store/Load helpers so their byte order is written down once.
#pragma once
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace zephyr {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "packed records assume a little-endian target");

// Copies a record's wire bytes (sizeof(Record) of them) to out.
template <class Record>
inline void EncodeRecord(const Record& record, void* out) {
    static_assert(std::is_trivially_copyable<Record>::value, "records are plain bytes");
    std::memcpy(out, &record, sizeof(Record));
}

// Reads a record from its wire bytes.
template <class Record>
inline void DecodeRecord(const void* in, Record& record) {
    static_assert(std::is_trivially_copyable<Record>::value, "records are plain bytes");
    std::memcpy(&record, in, sizeof(Record));
}

template <class T>
inline void StoreLe(void* out, T value) {
    static_assert(std::is_integral<T>::value || std::is_floating_point<T>::value, "scalar fields only");
    std::memcpy(out, &value, sizeof(T));
}

template <class T>
inline T LoadLe(const void* in) {
    static_assert(std::is_integral<T>::value || std::is_floating_point<T>::value, "scalar fields only");
    T value;
    std::memcpy(&value, in, sizeof(T));
    return value;
}

}  // namespace zephyr
