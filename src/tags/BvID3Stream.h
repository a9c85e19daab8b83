// The in-memory copy of a tag through which every header and frame reads and
// writes itself. Reads never leave the current frame, so a frame that lies
// about its contents cannot make a reader run into the next one.
#pragma once

#include "BvID3Types.h"

#include <cstdint>
#include <string>

// Drops every 0x00 that follows a 0xFF; previousFF carries the state between chunks.
std::string UnsyncDecode(std::string_view bytes, bool& previousFF);
// Inserts a 0x00 after every 0xFF followed by 0x00 or a byte of 0xE0 and above.
std::string UnsyncEncode(std::string_view bytes);

class TBvID3Stream {
public:
    // Bytes.
    const std::string& Bytes() const { return data_; }
    std::string& Bytes() { return data_; }
    void Assign(std::string bytes);
    void Clear();
    int64_t Size() const { return int64_t(data_.size()); }
    int64_t Position() const { return position_; }
    void Seek(int64_t position) { position_ = position < 0 ? 0 : position; }
    // Reads at most count bytes, never past the current frame; returns how many came.
    int64_t Read(void* buffer, int64_t count);
    void Write(const void* buffer, int64_t count);
    void Write(std::string_view bytes) { Write(bytes.data(), int64_t(bytes.size())); }

    // Framing.
    void BeginReadFrame(int64_t size);
    void EndReadFrame();
    void BeginWriteFrame(int64_t size);
    void EndWriteFrame();
    bool ReadingFrame() const { return readingFrame_; }
    int64_t BytesLeft() const;
    bool CanRead(int64_t count) const;

    // Numbers; a field that is not there reads as 0.
    uint8_t ReadByte();
    uint32_t ReadBE32();
    uint32_t ReadBE24();
    uint16_t ReadBE16();
    // A 4-byte counter is read only when exactly 4 bytes are left.
    uint32_t ReadCounter();
    uint64_t ReadSyncSafe(int bytes);
    void WriteByte(uint8_t value) { Write(&value, 1); }
    void WriteBE32(uint32_t value);
    void WriteBE24(uint32_t value);
    void WriteBE16(uint16_t value);
    void WriteSyncSafe(uint64_t value, int bytes);

    // Encodings.
    TBvID3Encoding SourceEncoding() const { return source_; }
    TBvID3Encoding DestEncoding() const { return dest_; }
    void SetSourceEncoding(TBvID3Encoding e);
    uint8_t AllowedEncodings() const { return allowed_; }
    // A set of bits 1 << TBvID3Encoding.
    void SetAllowedEncodings(uint8_t allowed);
    void CopyEncodings(const TBvID3Stream& other);

    // Text. Strings end at a zero byte (two for UTF-16) or at the frame end.
    TBvID3Encoding ReadEncoding();
    int64_t ReadStringEnc(TBvID3StringPair& pair);
    void ReadTwoStrings(TBvID3StringPair& first, TBvID3StringPair& second);
    // A zero-terminated ISO-8859-1 string.
    std::string ReadIsoString();
    std::string ReadLanguage();
    void WriteEncoding();
    void WriteStringEnc(const TBvID3StringPair& pair);
    void WriteTerminator();
    void WriteIsoString(std::string_view text, bool terminate);
    void WriteLanguage(std::string_view language);

private:
    void ChooseDestination();

    std::string data_;
    int64_t position_ = 0;
    bool readingFrame_ = false;
    bool writingFrame_ = false;
    int64_t frameStart_ = 0;
    int64_t frameSize_ = 0;
    TBvID3Encoding source_ = ienISO_8859_1;
    TBvID3Encoding dest_ = ienISO_8859_1;
    uint8_t allowed_ = 0x0F;
};

// Converts a pair between encodings (ISO-8859-1 text lives in Ansi, Unicode in Wide).
void ConvertPair(TBvID3StringPair& pair, TBvID3Encoding from, TBvID3Encoding to);
// Bytes a text takes in an encoding, without terminator.
int64_t EncodedLength(const TBvID3StringPair& pair, TBvID3Encoding e);
inline int TerminatorLength(TBvID3Encoding e) {
    return e == ienUTF_16 || e == ienUTF_16BE ? 2 : 1;
}
