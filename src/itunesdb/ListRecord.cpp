#include "ListRecord.h"

#include "DbBytes.h"

std::string TListRecord::Build(std::string_view tag, int32_t count) {
    std::string r(Length, '\0');
    DbBytes::PutTag(r, tag);
    DbBytes::Put32(r, 4, Length);
    DbBytes::Put32(r, 8, static_cast<uint32_t>(count));
    return r;
}
