// String mhod: one text of a track or the name of a playlist, in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TStringRecord {
    static constexpr std::string_view Tag = "dohm";
    static constexpr int32_t HeaderLength = 24;
    static constexpr int32_t FixedLength = 40;
    enum TType : int32_t { stTitle = 1, stLocation = 2, stAlbum = 3, stArtist = 4, stGenre = 5 };

    // The location text as stored: without the drive (the first two characters)
    // and with colons in place of backslashes.
    static std::string LocationText(std::string_view path);
    static std::string Build(int32_t type, std::string_view text);
};
