// The little the tag reader needs from a file: positioned reads and the size.
// Tests and the fuzz target read from bytes in memory; the components open
// files through OpenTagFile.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TBvReadStream {
public:
    virtual ~TBvReadStream() = default;
    // Reads up to count bytes at the position; returns how many came.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Moves to an absolute position (past the end is allowed; reads there give 0).
    virtual int64_t Seek(int64_t position) = 0;
    virtual int64_t Position() const = 0;
    virtual int64_t Size() const = 0;
};

// Bytes in memory; the caller keeps them alive.
class TBvBytesStream : public TBvReadStream {
public:
    explicit TBvBytesStream(std::string_view bytes) : bytes_(bytes) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Seek(int64_t position) override;
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return int64_t(bytes_.size()); }
    // How many bytes were handed out, to show that a reader skips the audio.
    int64_t BytesRead() const { return bytesRead_; }

private:
    std::string_view bytes_;
    int64_t position_ = 0;
    int64_t bytesRead_ = 0;
};

// Opens a file for reading. The name is in the program's Windows form
// ("C:\music\a.mp3"). Raises EFOpenError when it cannot, and "... is not a file"
// for anything but a regular file (after following links), without blocking.
std::unique_ptr<TBvReadStream> OpenTagFile(const std::string& fileName);
