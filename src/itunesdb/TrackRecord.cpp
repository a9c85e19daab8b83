#include "TrackRecord.h"

#include "DbBytes.h"

namespace {
constexpr uint32_t kTimeStamp = 0xBFA6B7CE;
constexpr uint32_t kDbIdHigh = 0xA0D816A5;
} // namespace

void TTrackRecord::Write(char* rec, const TFields& f) {
    using namespace DbBytes;
    Clear(rec, Length);
    PutTag(rec, Tag);
    Put32(rec, Field::HeaderLength, Length);
    Put32(rec, Field::TotalLength, static_cast<uint32_t>(f.TotalLength));
    Put32(rec, Field::StringCount, static_cast<uint32_t>(f.StringCount));
    Put32(rec, Field::TrackId, static_cast<uint32_t>(f.TrackId));
    Put32(rec, Field::Visible, 1);
    PutByte(rec, Field::Mp3Flag, 1);
    Put32(rec, Field::AddedTime, kTimeStamp);
    Put32(rec, Field::Size, f.Size);
    Put32(rec, Field::TimeMs, static_cast<uint32_t>(f.TimeMs));
    Put32(rec, Field::Year, static_cast<uint32_t>(f.Year));
    Put32(rec, Field::BitRate, static_cast<uint32_t>(f.BitRate));
    // Only the low 16 bits of the rate fit the field.
    Put16(rec, Field::SampleRate, static_cast<uint32_t>(f.SampleRate) & 0xFFFF);
    Put32(rec, Field::ModifiedTime, kTimeStamp);
    Put32(rec, Field::DbIdHigh, kDbIdHigh);
    Put32(rec, Field::DbId, static_cast<uint32_t>(f.DbId));
    Put32(rec, Field::ArtCount, 0x0000FFFF);
    Put32(rec, Field::TypeCode, f.TypeCode);
    PutByte(rec, Field::MediaKind, 2);
    Put32(rec, Field::DbId2, kDbIdHigh);
    Put32(rec, Field::DbId2 + 4, static_cast<uint32_t>(f.DbId));
}

std::string TTrackRecord::Build(const TFields& f) {
    return DbBytes::Built(Length, [&](char* rec) { Write(rec, f); });
}

std::optional<TTrackRecord::TFields> TTrackRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length))
        return std::nullopt;
    const auto i32 = [&](size_t at) { return static_cast<int32_t>(Get32(bytes, at)); };
    TFields f;
    f.TotalLength = i32(Field::TotalLength);
    f.StringCount = i32(Field::StringCount);
    f.TrackId = i32(Field::TrackId);
    f.Size = Get32(bytes, Field::Size);
    f.TimeMs = i32(Field::TimeMs);
    f.Year = i32(Field::Year);
    f.BitRate = i32(Field::BitRate);
    f.SampleRate = static_cast<int32_t>(Get16(bytes, Field::SampleRate));
    f.DbId = i32(Field::DbId);
    f.TypeCode = Get32(bytes, Field::TypeCode);
    return f;
}
