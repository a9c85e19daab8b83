#include "PlaylistRecord.h"

#include "DbBytes.h"

void TPlaylistRecord::Write(char* rec, int32_t totalLength, int32_t itemCount, int32_t master) {
    using namespace DbBytes;
    Clear(rec, Length);
    PutTag(rec, Tag);
    Put32(rec, Field::HeaderLength, Length);
    Put32(rec, Field::TotalLength, static_cast<uint32_t>(totalLength));
    Put32(rec, Field::DataRecordCount, DataRecordCount);
    Put32(rec, Field::ItemCount, static_cast<uint32_t>(itemCount));
    PutByte(rec, Field::Master, static_cast<uint32_t>(master) & 0xFF);
    Put16(rec, Field::IndexItemCount, static_cast<uint32_t>(itemCount) & 0xFFFF);
    Put32(rec, Field::One, 1);
}

std::string TPlaylistRecord::Build(int32_t totalLength, int32_t itemCount, int32_t master) {
    return DbBytes::Built(Length, [&](char* rec) { Write(rec, totalLength, itemCount, master); });
}

std::optional<TPlaylistRecord::TFields> TPlaylistRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length))
        return std::nullopt;
    return TFields{static_cast<int32_t>(Get32(bytes, Field::TotalLength)),
                   static_cast<int32_t>(Get32(bytes, Field::ItemCount)),
                   static_cast<int32_t>(Byte(bytes, Field::Master))};
}
