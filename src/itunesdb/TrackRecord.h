// mhit: one track; its string records follow it directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TTrackRecord {
    static constexpr std::string_view Tag = "tihm";
    static constexpr int32_t Length = 244;
    static constexpr uint32_t Mp3TypeCode = 0x000C0000;
    static constexpr uint32_t OtherTypeCode = 0x00330001;

    // Byte offsets from the tag; numbers are 32-bit big-endian unless named a
    // byte or 16-bit. The writer fills some; the inspector reports them all.
    struct Field {
        static constexpr size_t HeaderLength = 4;
        static constexpr size_t TotalLength = 8;
        static constexpr size_t StringCount = 12;
        static constexpr size_t TrackId = 16;
        static constexpr size_t Visible = 20;
        static constexpr size_t FileKind = 24;
        static constexpr size_t VbrFlag = 28;     // byte
        static constexpr size_t Mp3Flag = 29;     // byte
        static constexpr size_t Compilation = 30; // byte
        static constexpr size_t Stars = 31;       // byte
        static constexpr size_t AddedTime = 32;
        static constexpr size_t Size = 36;
        static constexpr size_t TimeMs = 40;
        static constexpr size_t TrackNumber = 44;
        static constexpr size_t TrackCount = 48;
        static constexpr size_t Year = 52;
        static constexpr size_t BitRate = 56;
        static constexpr size_t SampleRate = 60;    // 16-bit
        static constexpr size_t SampleRateLow = 62; // 16-bit, zero
        static constexpr size_t Volume = 64;
        static constexpr size_t StartTime = 68;
        static constexpr size_t StopTime = 72;
        static constexpr size_t SoundCheck = 76;
        static constexpr size_t PlayCount = 80;
        static constexpr size_t PlayCount2 = 84;
        static constexpr size_t LastPlayed = 88;
        static constexpr size_t DiscNumber = 92;
        static constexpr size_t DiscCount = 96;
        static constexpr size_t DrmUserId = 100;
        static constexpr size_t ModifiedTime = 104;
        static constexpr size_t Bookmark = 108;
        static constexpr size_t DbIdHigh = 112;
        static constexpr size_t DbId = 116;
        static constexpr size_t Checked = 120;  // byte
        static constexpr size_t Rating = 121;   // byte
        static constexpr size_t Bpm = 122;      // 16-bit
        static constexpr size_t ArtCount = 124; // 16-bit, then 0xFFFF
        static constexpr size_t ArtSize = 128;
        static constexpr size_t SampleRate2 = 136;
        static constexpr size_t DateReleased = 140;
        static constexpr size_t TypeCode = 144;
        static constexpr size_t MediaKind = 164;        // byte
        static constexpr size_t SkipShuffle = 165;      // byte
        static constexpr size_t RememberPosition = 166; // byte
        static constexpr size_t Podcast = 167;          // byte
        static constexpr size_t DbId2 = 168;            // 8 bytes: DbIdHigh, DbId
        static constexpr size_t Unknown20 = 176;
        static constexpr size_t SampleCount = 188;
        static constexpr size_t MediaType = 208;
    };

    struct TFields {
        int32_t TotalLength = Length;
        int32_t StringCount = 0;
        int32_t TrackId = 0;
        uint32_t Size = 0; // bytes; the field is unsigned, so up to 4 GiB - 1
        int32_t TimeMs = 0;
        int32_t Year = 0;
        int32_t BitRate = 0;
        int32_t SampleRate = 0;
        int32_t DbId = 0;
        uint32_t TypeCode = OtherTypeCode;

        bool operator==(const TFields&) const = default;
    };

    // Fills the record's Length bytes at `rec`, zero where it names no value.
    static void Write(char* rec, const TFields& f);
    static std::string Build(const TFields& f);
    // The fields Build writes; none when the bytes are too short or hold
    // another record.
    static std::optional<TFields> Parse(std::string_view bytes);
};
