#include "ListRecord.h"

#include "DbBytes.h"

std::string TListRecord::Build(std::string_view tag, int32_t count) {
    using namespace DbBytes;
    std::string r(Length, '\0');
    PutTag(r, tag);
    Put32(r, Field::HeaderLength, Length);
    Put32(r, Field::Count, static_cast<uint32_t>(count));
    return r;
}

std::optional<TListRecord::TFields> TListRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, TrackListTag, Length) && !HasRecord(bytes, PlaylistListTag, Length))
        return std::nullopt;
    return TFields{std::string(bytes.substr(0, 4)),
                   static_cast<int32_t>(Get32(bytes, Field::Count))};
}
