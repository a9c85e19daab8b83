// String mhod: one text of a track or the name of a playlist, in UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

struct TStringRecord {
    static constexpr std::string_view Tag = "dohm";
    static constexpr int32_t HeaderLength = 24;
    static constexpr int32_t FixedLength = 40;
    enum TType : int32_t { stTitle = 1, stLocation = 2, stAlbum = 3, stArtist = 4, stGenre = 5 };
    // Data records of a type below this hold a text.
    static constexpr int32_t FirstNonString = 15;

    // Byte offsets from the tag, shared by every data record up to Type; numbers
    // are 32-bit big-endian unless named a byte.
    struct Field {
        static constexpr size_t HeaderLength = 4;
        static constexpr size_t TotalLength = 8;
        static constexpr size_t Type = 12;
        static constexpr size_t Position = 24;
        static constexpr size_t TextLength = 28;
        static constexpr size_t Encoding = 32; // byte: 1 UTF-8, 0 UTF-16
        static constexpr size_t Text = 40;
    };

    struct TFields {
        int32_t Type = 0;
        // The text as stored (a location without its drive, colons for backslashes).
        std::string Text;

        bool operator==(const TFields&) const = default;
    };

    // The location text as stored: without the drive (the first two characters)
    // and with colons in place of backslashes.
    static std::string LocationText(std::string_view path);
    // The path without its drive, the first two characters; LocationText is this
    // with colons for backslashes.
    static std::string_view LocationBody(std::string_view path);
    // Writes the record at `rec`, its FixedLength bytes (zero where they name no
    // value) and then its text, made of `parts` one after the other. The parts
    // of a location hold it without its drive (LocationBody); its backslashes are
    // written as colons. Returns the record's length.
    static size_t Write(char* rec, int32_t type, std::initializer_list<std::string_view> parts);
    static std::string Build(int32_t type, std::string_view text);
    // None when the bytes are too short for the record and its text, or hold
    // another record.
    static std::optional<TFields> Parse(std::string_view bytes);
};
