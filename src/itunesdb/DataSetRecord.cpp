#include "DataSetRecord.h"

#include "DbBytes.h"

void TDataSetRecord::Write(char* rec, int32_t totalLength, int32_t type) {
    using namespace DbBytes;
    Clear(rec, Length);
    PutTag(rec, Tag);
    Put32(rec, Field::HeaderLength, Length);
    Put32(rec, Field::TotalLength, static_cast<uint32_t>(totalLength));
    Put32(rec, Field::Type, static_cast<uint32_t>(type));
}

std::string TDataSetRecord::Build(int32_t totalLength, int32_t type) {
    return DbBytes::Built(Length, [&](char* rec) { Write(rec, totalLength, type); });
}

std::optional<TDataSetRecord::TFields> TDataSetRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length))
        return std::nullopt;
    return TFields{static_cast<int32_t>(Get32(bytes, Field::TotalLength)),
                   static_cast<int32_t>(Get32(bytes, Field::Type))};
}
