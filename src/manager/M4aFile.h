// Reads the playing time of an M4A (MP4) file from its own boxes: the movie header,
// or the sound track's media header when the movie gives no duration. Every size is
// checked against the bytes that remain, so a damaged file raises ECodecGateError
// with a clear message instead of reading past its end.
#pragma once

#include "Mp4HandlerBox.h"
#include "Mp4MediaHeader.h"
#include "Mp4MovieHeader.h"

#include <cstdint>
#include <functional>
#include <string>

class TM4aFile {
public:
    // The movie box is read whole; anything larger is not an audio file's.
    static constexpr uint64_t MaxMovieBoxSize = 64ull << 20;

    // Name is used in messages only; linuxPath is the file opened.
    void LoadFromFile(const std::string& linuxPath, const std::string& name);
    void LoadFromBytes(const std::string& bytes, const std::string& name);

    // Whole seconds, rounded; 0 when the file does not know its duration.
    int32_t LengthSeconds() const { return lengthSeconds_; }
    // The same, in milliseconds (truncated); 0 when unknown.
    int64_t LengthMilliseconds() const { return lengthMilliseconds_; }
    bool HasSoundTrack() const { return hasSoundTrack_; }

private:
    // Reads exactly length bytes at offset, or returns false.
    using TReadAt = std::function<bool(uint64_t offset, void* buffer, size_t length)>;
    void Load(uint64_t size, const TReadAt& readAt, const std::string& name);
    void ParseMovie(const uint8_t* data, size_t length);
    void ParseTrack(const uint8_t* data, size_t length);
    void Finish();
    [[noreturn]] void Damaged(const std::string& why) const;

    std::string name_;
    bool hasMovieHeader_ = false;
    bool hasSoundTrack_ = false;
    TMp4MovieHeader movieHeader_;
    TMp4MediaHeader soundHeader_;
    int32_t lengthSeconds_ = 0;
    int64_t lengthMilliseconds_ = 0;
};
