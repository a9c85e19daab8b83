#include "PlaylistRecord.h"

#include "DbBytes.h"

std::string TPlaylistRecord::Build(int32_t totalLength, int32_t itemCount, int32_t master) {
    using namespace DbBytes;
    std::string r(Length, '\0');
    PutTag(r, Tag);
    Put32(r, Field::HeaderLength, Length);
    Put32(r, Field::TotalLength, static_cast<uint32_t>(totalLength));
    Put32(r, Field::DataRecordCount, DataRecordCount);
    Put32(r, Field::ItemCount, static_cast<uint32_t>(itemCount));
    PutByte(r, Field::Master, static_cast<uint32_t>(master) & 0xFF);
    Put16(r, Field::IndexItemCount, static_cast<uint32_t>(itemCount) & 0xFFFF);
    Put32(r, Field::One, 1);
    return r;
}

std::optional<TPlaylistRecord::TFields> TPlaylistRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length))
        return std::nullopt;
    return TFields{static_cast<int32_t>(Get32(bytes, Field::TotalLength)),
                   static_cast<int32_t>(Get32(bytes, Field::ItemCount)),
                   static_cast<int32_t>(Byte(bytes, Field::Master))};
}
