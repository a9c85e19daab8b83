#include "ListRecord.h"

#include "DbBytes.h"

void TListRecord::Write(char* rec, std::string_view tag, int32_t count) {
    using namespace DbBytes;
    Clear(rec, Length);
    PutTag(rec, tag);
    Put32(rec, Field::HeaderLength, Length);
    Put32(rec, Field::Count, static_cast<uint32_t>(count));
}

std::string TListRecord::Build(std::string_view tag, int32_t count) {
    return DbBytes::Built(Length, [&](char* rec) { Write(rec, tag, count); });
}

std::optional<TListRecord::TFields> TListRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, TrackListTag, Length) && !HasRecord(bytes, PlaylistListTag, Length))
        return std::nullopt;
    return TFields{std::string(bytes.substr(0, 4)),
                   static_cast<int32_t>(Get32(bytes, Field::Count))};
}
