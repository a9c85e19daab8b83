// Byte-order helpers shared by the record encoders and the reader: every number
// in the phone's database is big-endian, and a record is written into zero-filled
// bytes, its own or its place in the whole file, so unnamed bytes stay 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace DbBytes {

// Writers into a record's bytes: `rec` points at the record's first byte, in a
// buffer that is zero wherever the record names no value.
inline void Put32(char* rec, size_t offset, uint32_t value) {
    rec[offset] = static_cast<char>(value >> 24);
    rec[offset + 1] = static_cast<char>(value >> 16);
    rec[offset + 2] = static_cast<char>(value >> 8);
    rec[offset + 3] = static_cast<char>(value);
}

inline void Put16(char* rec, size_t offset, uint32_t value) {
    rec[offset] = static_cast<char>(value >> 8);
    rec[offset + 1] = static_cast<char>(value);
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
