// Small synthesized MP3 pieces for the tag tests: MPEG frames, VBR headers,
// ID3v1 trailers and ID3v2 tags, built byte by byte.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tagtest {

// versionBits: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5; layerBits: 1 Layer III.
inline std::string FrameHeader(int versionBits, int layerBits, int bitrateIndex, int rateIndex,
                               bool padding = false, int channelMode = 0, bool crc = false) {
    std::string h(4, '\0');
    h[0] = char(0xFF);
    h[1] = char(0xE0 | (versionBits << 3) | (layerBits << 1) | (crc ? 0 : 1));
    h[2] = char((bitrateIndex << 4) | (rateIndex << 2) | (padding ? 2 : 0));
    h[3] = char(channelMode << 6);
    return h;
}

// A whole frame of the given length: the header, then zero bytes.
inline std::string Frame(const std::string& header, size_t length) {
    std::string f = header;
    f.resize(length, '\0');
    return f;
}

inline std::string BE32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

inline std::string SyncSafe(uint32_t v) {
    return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}

// The length of the frame a header starts (the header's own fields must be valid).
inline size_t FrameLength(const std::string& header) {
    static const int rates[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    static const int kbps[5][16] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
    const int version = (uint8_t(header[1]) >> 3) & 3, layer = (uint8_t(header[1]) >> 1) & 3;
    const int row = version == 3 ? (layer == 3 ? 0 : layer == 2 ? 1 : 2) : (layer == 3 ? 3 : 4);
    const long bitrate = kbps[row][uint8_t(header[2]) >> 4] * 1000L;
    const long rate = rates[version][(uint8_t(header[2]) >> 2) & 3];
    const int padding = (uint8_t(header[2]) >> 1) & 1;
    if (layer == 3)
        return size_t((12 * bitrate / rate + padding) * 4);
    if (layer == 2 || version == 3)
        return size_t(144 * bitrate / rate + padding);
    return size_t(72 * bitrate / rate + padding);
}

// Back-to-back frames of one header filling exactly total bytes (the last one cut).
inline std::string Frames(const std::string& header, size_t total) {
    const std::string frame = Frame(header, FrameLength(header));
    std::string a;
    while (a.size() < total)
        a += frame;
    a.resize(total);
    return a;
}

// A first frame carrying a VBR header at the offset its version and mode use.
inline std::string VbrFrame(const std::string& header, size_t length, const char* signature,
                            int32_t frames, int32_t bytes, bool withFrames = true,
                            bool withBytes = true) {
    std::string f = Frame(header, length);
    const int version = (uint8_t(header[1]) >> 3) & 3;
    const bool mono = (uint8_t(header[3]) >> 6) == 3;
    size_t at = version == 3 ? (mono ? 21 : 36) : (mono ? 13 : 21);
    std::string body = signature;
    body += BE32((withFrames ? 1 : 0) | (withBytes ? 2 : 0));
    if (withFrames)
        body += BE32(uint32_t(frames));
    if (withBytes)
        body += BE32(uint32_t(bytes));
    f.replace(at, body.size(), body);
    return f;
}

inline std::string Field(const std::string& s, size_t n) {
    std::string f = s.substr(0, n);
    f.resize(n, '\0');
    return f;
}

inline std::string V1Trailer(const std::string& title, const std::string& artist,
                             const std::string& album, const std::string& year = "2004",
                             const std::string& comment = "", int track = -1, int genre = 17) {
    std::string t =
        "TAG" + Field(title, 30) + Field(artist, 30) + Field(album, 30) + Field(year, 4);
    std::string c = Field(comment, 30);
    if (track >= 0) {
        c[28] = '\0';
        c[29] = char(track);
    }
    return t + c + char(genre);
}

// An ID3v2 frame of version 3 or 4 (or 2 with a 3-character id).
inline std::string V2Frame(int version, const std::string& id, const std::string& data,
                           uint8_t flags1 = 0, uint8_t flags2 = 0) {
    if (version == 2) {
        uint32_t n = uint32_t(data.size());
        return id + std::string{char(n >> 16), char(n >> 8), char(n)} + data;
    }
    const std::string size =
        version == 4 ? SyncSafe(uint32_t(data.size())) : BE32(uint32_t(data.size()));
    return id + size + std::string{char(flags1), char(flags2)} + data;
}

inline std::string V2Tag(int version, const std::string& body, uint8_t flags = 0,
                         size_t padding = 0) {
    std::string b = body + std::string(padding, '\0');
    return std::string("ID3") + char(version) + '\0' + char(flags) + SyncSafe(uint32_t(b.size())) +
           b;
}

inline std::string Utf16LE(const std::u16string& s, bool bom = true) {
    std::string r = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (char16_t c : s) {
        r += char(c & 0xFF);
        r += char(c >> 8);
    }
    return r;
}

inline std::string Utf16BE(const std::u16string& s, bool bom = false) {
    std::string r = bom ? std::string("\xFE\xFF", 2) : std::string();
    for (char16_t c : s) {
        r += char(c >> 8);
        r += char(c & 0xFF);
    }
    return r;
}

// n MPEG-1 Layer III frames at 128 kbit/s and 44100 Hz (417 bytes each, no padding).
inline std::string CbrAudio(int n) {
    std::string a;
    for (int i = 0; i < n; ++i)
        a += Frame(FrameHeader(3, 1, 9, 0), 417);
    return a;
}

} // namespace tagtest
