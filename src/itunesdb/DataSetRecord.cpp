#include "DataSetRecord.h"

#include "DbBytes.h"

std::string TDataSetRecord::Build(int32_t totalLength, int32_t type) {
    using namespace DbBytes;
    std::string r(Length, '\0');
    PutTag(r, Tag);
    Put32(r, Field::HeaderLength, Length);
    Put32(r, Field::TotalLength, static_cast<uint32_t>(totalLength));
    Put32(r, Field::Type, static_cast<uint32_t>(type));
    return r;
}

std::optional<TDataSetRecord::TFields> TDataSetRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length))
        return std::nullopt;
    return TFields{static_cast<int32_t>(Get32(bytes, Field::TotalLength)),
                   static_cast<int32_t>(Get32(bytes, Field::Type))};
}
