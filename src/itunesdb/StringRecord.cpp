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
    using namespace DbBytes;
    // The program's text is UTF-8 already, so the bytes go in as they are.
    const std::string body = type == stLocation ? LocationText(text) : std::string(text);
    const auto n = static_cast<uint32_t>(body.size());
    std::string r(FixedLength, '\0');
    PutTag(r, Tag);
    Put32(r, Field::HeaderLength, HeaderLength);
    Put32(r, Field::TotalLength, FixedLength + n);
    Put32(r, Field::Type, static_cast<uint32_t>(type));
    Put32(r, Field::Position, 2);
    Put32(r, Field::TextLength, n);
    PutByte(r, Field::Encoding, 1);
    r += body;
    return r;
}

std::optional<TStringRecord::TFields> TStringRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, FixedLength))
        return std::nullopt;
    const uint32_t n = Get32(bytes, Field::TextLength);
    if (n > bytes.size() - FixedLength)
        return std::nullopt;
    return TFields{static_cast<int32_t>(Get32(bytes, Field::Type)),
                   std::string(bytes.substr(Field::Text, n))};
}
