// mhit: one track; its string records follow it directly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TTrackRecord {
    static constexpr std::string_view Tag = "tihm";
    static constexpr int32_t Length = 244;
    static constexpr uint32_t Mp3TypeCode = 0x000C0000;
    static constexpr uint32_t OtherTypeCode = 0x00330001;

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
    };

    static std::string Build(const TFields& f);
};
