#include "TrackRecord.h"

#include "DbBytes.h"

namespace {
constexpr uint32_t kTimeStamp = 0xBFA6B7CE;
constexpr uint32_t kDbIdHigh = 0xA0D816A5;
} // namespace

std::string TTrackRecord::Build(const TFields& f) {
    using namespace DbBytes;
    std::string r(Length, '\0');
    PutTag(r, Tag);
    Put32(r, 4, Length);
    Put32(r, 8, static_cast<uint32_t>(f.TotalLength));
    Put32(r, 12, static_cast<uint32_t>(f.StringCount));
    Put32(r, 16, static_cast<uint32_t>(f.TrackId));
    Put32(r, 20, 1);
    PutByte(r, 29, 1);
    Put32(r, 32, kTimeStamp);
    Put32(r, 36, f.Size);
    Put32(r, 40, static_cast<uint32_t>(f.TimeMs));
    Put32(r, 52, static_cast<uint32_t>(f.Year));
    Put32(r, 56, static_cast<uint32_t>(f.BitRate));
    // Only the low 16 bits of the rate fit the field.
    Put16(r, 60, static_cast<uint32_t>(f.SampleRate) & 0xFFFF);
    Put32(r, 104, kTimeStamp);
    Put32(r, 112, kDbIdHigh);
    Put32(r, 116, static_cast<uint32_t>(f.DbId));
    Put32(r, 124, 0x0000FFFF);
    Put32(r, 144, f.TypeCode);
    Put32(r, 164, 0x02000000);
    Put32(r, 168, kDbIdHigh);
    Put32(r, 172, static_cast<uint32_t>(f.DbId));
    return r;
}
