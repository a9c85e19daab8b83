#include "DataSetRecord.h"

#include "DbBytes.h"

std::string TDataSetRecord::Build(int32_t totalLength, int32_t type) {
    std::string r(Length, '\0');
    DbBytes::PutTag(r, Tag);
    DbBytes::Put32(r, 4, Length);
    DbBytes::Put32(r, 8, static_cast<uint32_t>(totalLength));
    DbBytes::Put32(r, 12, static_cast<uint32_t>(type));
    return r;
}
