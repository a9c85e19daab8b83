// The header of one box of an MP4/M4A file: a 32-bit big-endian size, a
// four-character type, and a 64-bit size when the short one is 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TMp4BoxHeader {
public:
    static constexpr size_t ShortLength = 8;
    static constexpr size_t LongLength = 16;

    // Reads a header from the first bytes of data. RoomLeft is the number of bytes the
    // enclosing box (or the file) still holds from the header's start; a size of 0 means
    // "up to the end" and takes it. Returns false when the bytes do not form a header
    // that fits; Error() then tells why.
    bool Parse(const uint8_t* data, size_t available, uint64_t roomLeft);

    // The header of a box with the given payload length, short form when it fits.
    static std::string Render(const std::string& type, uint64_t payloadLength,
                              bool forceLong = false);

    const std::string& Type() const { return type_; }
    uint64_t BoxSize() const { return boxSize_; }
    size_t HeaderLength() const { return headerLength_; }
    uint64_t PayloadLength() const { return boxSize_ - headerLength_; }
    const std::string& Error() const { return error_; }
    // A type made of printable characters, as every real box type is.
    bool HasPrintableType() const;

private:
    std::string type_;
    uint64_t boxSize_ = 0;
    size_t headerLength_ = 0;
    std::string error_;
};

// Big-endian reads and writes shared by the box classes.
namespace Mp4Bytes {
uint32_t Get32(const uint8_t* p);
uint64_t Get64(const uint8_t* p);
void Put32(std::string& out, uint32_t v);
void Put64(std::string& out, uint64_t v);
} // namespace Mp4Bytes

// The time fields that open a movie or media header after its version and flags:
// creation and modification time, time scale and duration, 32-bit in version 0 and
// 64-bit (but the time scale) in version 1.
struct TMp4TimeFields {
    uint8_t Version = 0;
    uint64_t CreationTime = 0;
    uint64_t ModificationTime = 0;
    uint32_t TimeScale = 0;
    uint64_t Duration = 0;

    // Returns the bytes read, or 0 (with error set) when the payload is too short or of
    // an unknown version.
    size_t Parse(const uint8_t* payload, size_t length, std::string& error);
    void Render(std::string& out) const;
    // A duration of all ones means "not known".
    bool DurationKnown() const;
};
