// Byte-order helpers shared by the record encoders and the reader: every number
// in the phone's database is big-endian, and every record clears its own bytes
// before it fills them, so unnamed bytes are 0 wherever the record is written.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace DbBytes {

// Writers into a record's bytes: `rec` points at the record's first byte.

// The bytes of the whole file are not cleared beforehand, which would go over every
// byte twice: a record clears its own just before it fills them, while they are at hand.
inline void Clear(char* rec, size_t length) {
    std::memset(rec, 0, length);
}

// One swap and one store each: written byte by byte, the compiler merges a record's
// neighbouring fields into long chains of shifts.
inline void Put32(char* rec, size_t offset, uint32_t value) {
    const uint32_t bigEndian =
        std::endian::native == std::endian::little ? __builtin_bswap32(value) : value;
    std::memcpy(rec + offset, &bigEndian, sizeof bigEndian);
}

inline void Put16(char* rec, size_t offset, uint32_t value) {
    const auto half = static_cast<uint16_t>(value);
    const uint16_t bigEndian =
        std::endian::native == std::endian::little ? __builtin_bswap16(half) : half;
    std::memcpy(rec + offset, &bigEndian, sizeof bigEndian);
}

inline void PutByte(char* rec, size_t offset, uint32_t value) {
    rec[offset] = static_cast<char>(value);
}

// The four tag letters as stored (the public name reversed, "mhbd" as "dbhm").
inline void PutTag(char* rec, std::string_view storedTag) {
    storedTag.copy(rec, 4);
}

// A record of fixed length built on its own: the zeroed bytes and a writer that fills them.
template <typename TWrite> std::string Built(size_t length, TWrite write) {
    std::string r(length, '\0');
    write(r.data());
    return r;
}

// Callers check the bounds; these only assemble the bytes.
inline uint8_t Byte(std::string_view data, size_t offset) {
    return static_cast<uint8_t>(data[offset]);
}

inline uint32_t Get16(std::string_view data, size_t offset) {
    return (uint32_t{Byte(data, offset)} << 8) | Byte(data, offset + 1);
}

inline uint32_t Get32(std::string_view data, size_t offset) {
    return (uint32_t{Byte(data, offset)} << 24) | (uint32_t{Byte(data, offset + 1)} << 16) |
           (uint32_t{Byte(data, offset + 2)} << 8) | Byte(data, offset + 3);
}

// Whether `bytes` start with a whole record of this tag and fixed length.
inline bool HasRecord(std::string_view bytes, std::string_view storedTag, size_t length) {
    return bytes.size() >= length && bytes.substr(0, storedTag.size()) == storedTag;
}

} // namespace DbBytes
