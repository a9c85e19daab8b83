#include "DbHeaderRecord.h"

#include "DbBytes.h"

std::string TDbHeaderRecord::Build(int32_t totalLength) {
    using namespace DbBytes;
    std::string r(Length, '\0');
    PutTag(r, Tag);
    Put32(r, Field::HeaderLength, Length);
    Put32(r, Field::TotalLength, static_cast<uint32_t>(totalLength));
    Put32(r, Field::One, 1);
    Put32(r, Field::Version, Version);
    Put32(r, Field::DataSetCount, DataSetCount);
    r.replace(Field::Id, Id.size(), Id);
    PutByte(r, Field::Flag, 2);
    return r;
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
