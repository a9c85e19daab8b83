#include "DbHeaderRecord.h"

#include "DbBytes.h"

std::string TDbHeaderRecord::Build(int32_t totalLength) {
    std::string r(Length, '\0');
    DbBytes::PutTag(r, Tag);
    DbBytes::Put32(r, 4, Length);
    DbBytes::Put32(r, 8, static_cast<uint32_t>(totalLength));
    DbBytes::Put32(r, 12, 1);
    DbBytes::Put32(r, 16, Version);
    DbBytes::Put32(r, 20, DataSetCount);
    r.replace(24, Id.size(), Id);
    DbBytes::PutByte(r, 32, 2);
    return r;
}
