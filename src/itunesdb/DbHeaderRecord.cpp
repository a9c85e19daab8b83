#include "DbHeaderRecord.h"

#include "DbBytes.h"

void TDbHeaderRecord::Write(char* rec, int32_t totalLength) {
    using namespace DbBytes;
    Clear(rec, Length);
    PutTag(rec, Tag);
    Put32(rec, Field::HeaderLength, Length);
    Put32(rec, Field::TotalLength, static_cast<uint32_t>(totalLength));
    Put32(rec, Field::One, 1);
    Put32(rec, Field::Version, Version);
    Put32(rec, Field::DataSetCount, DataSetCount);
    Id.copy(rec + Field::Id, Id.size());
    PutByte(rec, Field::Flag, 2);
}

std::string TDbHeaderRecord::Build(int32_t totalLength) {
    return DbBytes::Built(Length, [&](char* rec) { Write(rec, totalLength); });
}

std::optional<TDbHeaderRecord::TFields> TDbHeaderRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length))
        return std::nullopt;
    TFields f;
    f.TotalLength = static_cast<int32_t>(Get32(bytes, Field::TotalLength));
    f.Version = Get32(bytes, Field::Version);
    f.DataSetCount = Get32(bytes, Field::DataSetCount);
    f.Id = std::string(bytes.substr(Field::Id, Id.size()));
    return f;
}
