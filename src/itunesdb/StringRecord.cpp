#include "StringRecord.h"

#include "DbBytes.h"
#include "TextCodec.h"

std::string TStringRecord::LocationText(std::string_view path) {
    // Drop two characters, not two bytes, so a malformed first letter cannot
    // leave half a UTF-8 sequence behind.
    size_t pos = 0;
    for (int i = 0; i < 2 && pos < path.size(); ++i)
        DecodeUtf8(path, pos);
    std::string out(path.substr(pos));
    for (char& c : out)
        if (c == '\\')
            c = ':';
    return out;
}

std::string TStringRecord::Build(int32_t type, std::string_view text) {
    // The program's text is UTF-8 already, so the bytes go in as they are.
    const std::string body = type == stLocation ? LocationText(text) : std::string(text);
    const auto n = static_cast<uint32_t>(body.size());
    std::string r(FixedLength, '\0');
    DbBytes::PutTag(r, Tag);
    DbBytes::Put32(r, 4, HeaderLength);
    DbBytes::Put32(r, 8, FixedLength + n);
    DbBytes::Put32(r, 12, static_cast<uint32_t>(type));
    DbBytes::Put32(r, 24, 2);
    DbBytes::Put32(r, 28, n);
    DbBytes::PutByte(r, 32, 1);
    r += body;
    return r;
}
