#include "PlaylistRecord.h"

#include "DbBytes.h"

std::string TPlaylistRecord::Build(int32_t totalLength, int32_t itemCount, int32_t master) {
    std::string r(Length, '\0');
    DbBytes::PutTag(r, Tag);
    DbBytes::Put32(r, 4, Length);
    DbBytes::Put32(r, 8, static_cast<uint32_t>(totalLength));
    DbBytes::Put32(r, 12, DataRecordCount);
    DbBytes::Put32(r, 16, static_cast<uint32_t>(itemCount));
    DbBytes::PutByte(r, 20, static_cast<uint32_t>(master) & 0xFF);
    DbBytes::Put16(r, 40, static_cast<uint32_t>(itemCount) & 0xFFFF);
    DbBytes::Put32(r, 44, 1);
    return r;
}
