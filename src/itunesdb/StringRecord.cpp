#include "StringRecord.h"

#include "DbBytes.h"
#include "TextCodec.h"

std::string_view TStringRecord::LocationBody(std::string_view path) {
    // Drop two characters, not two bytes, so a malformed first letter cannot
    // leave half a UTF-8 sequence behind.
    size_t pos = 0;
    for (int i = 0; i < 2 && pos < path.size(); ++i)
        DecodeUtf8(path, pos);
    return path.substr(pos);
}

std::string TStringRecord::LocationText(std::string_view path) {
    std::string out(LocationBody(path));
    for (char& c : out)
        if (c == '\\')
            c = ':';
    return out;
}

size_t TStringRecord::Write(char* rec, int32_t type,
                            std::initializer_list<std::string_view> parts) {
    using namespace DbBytes;
    Clear(rec, FixedLength);
    // The program's text is UTF-8 already, so the bytes go in as they are.
    char* text = rec + FixedLength;
    char* end = text;
    for (std::string_view part : parts)
        end += part.copy(end, part.size());
    // Without a branch per byte: a branch on each backslash is mispredicted often
    // enough to cost more than the copy.
    if (type == stLocation)
        for (char* c = text; c != end; ++c)
            *c = *c == '\\' ? ':' : *c;
    const auto n = static_cast<uint32_t>(end - text);
    PutTag(rec, Tag);
    Put32(rec, Field::HeaderLength, HeaderLength);
    Put32(rec, Field::TotalLength, FixedLength + n);
    Put32(rec, Field::Type, static_cast<uint32_t>(type));
    Put32(rec, Field::Position, 2);
    Put32(rec, Field::TextLength, n);
    PutByte(rec, Field::Encoding, 1);
    return FixedLength + n;
}

std::string TStringRecord::Build(int32_t type, std::string_view text) {
    const std::string_view body = type == stLocation ? LocationBody(text) : text;
    return DbBytes::Built(FixedLength + body.size(), [&](char* rec) { Write(rec, type, {body}); });
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
