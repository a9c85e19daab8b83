#include "PlaylistDataRecords.h"

#include "DbBytes.h"

#include <array>

void TPositionRecord::Write(char* rec, int32_t position) {
    using namespace DbBytes;
    Clear(rec, Length);
    PutTag(rec, Tag);
    Put32(rec, Field::HeaderLength, 24);
    Put32(rec, Field::TotalLength, Length);
    Put32(rec, Field::Type, Type);
    Put32(rec, Field::Position, static_cast<uint32_t>(position));
}

std::string TPositionRecord::Build(int32_t position) {
    return DbBytes::Built(Length, [&](char* rec) { Write(rec, position); });
}

std::optional<int32_t> TPositionRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length) || Get32(bytes, Field::Type) != Type)
        return std::nullopt;
    return static_cast<int32_t>(Get32(bytes, Field::Position));
}

namespace {

constexpr std::array<uint32_t, 5> SortKeys = {0x03000000u, 0x05000000u, 0x04000000u, 0x07000000u,
                                              0x12000000u};

std::string BuildView() {
    using namespace DbBytes;
    using F = TPlaylistFixedRecords::ViewField;
    constexpr std::array<uint32_t, 9> entries = {0x00010023, 0x000200C8, 0x000D003B,
                                                 0x0004007D, 0x0003007D, 0x00080050,
                                                 0x0017004F, 0x00140050, 0x0015007D};
    std::string buf(TPlaylistFixedRecords::ViewLength, '\0');
    char* r = buf.data();
    PutTag(r, TPositionRecord::Tag);
    Put32(r, TPositionRecord::Field::HeaderLength, 24);
    Put32(r, TPositionRecord::Field::TotalLength, TPlaylistFixedRecords::ViewLength);
    Put32(r, TPositionRecord::Field::Type, TPositionRecord::Type);
    Put32(r, F::Columns, 0x00840001);
    Put32(r, F::One, 1);
    Put32(r, F::EntryCount, entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t at = F::Entries + 16 * i;
        Put32(r, at, entries[i]);
        if (i >= 6)
            Put32(r, at + 4, 0x01000000);
    }
    return buf;
}

std::string BuildIndex(uint32_t sortKey) {
    using namespace DbBytes;
    using F = TPlaylistFixedRecords::IndexField;
    std::string buf(TPlaylistFixedRecords::IndexLength, '\0');
    char* r = buf.data();
    PutTag(r, TPositionRecord::Tag);
    Put32(r, TPositionRecord::Field::HeaderLength, 24);
    Put32(r, TPositionRecord::Field::TotalLength, TPlaylistFixedRecords::IndexLength);
    Put32(r, TPositionRecord::Field::Type, TPlaylistFixedRecords::IndexType);
    Put32(r, F::SortKey, sortKey);
    PutByte(r, F::TrackCount, 2);
    Put32(r, F::Index, 0x01000000);
    return buf;
}

} // namespace

const std::string& TPlaylistFixedRecords::Build() {
    // Title, artist, album, genre, composer.
    static const std::string block = [] {
        std::string b = BuildView();
        for (uint32_t key : SortKeys)
            b += BuildIndex(key);
        return b;
    }();
    return block;
}

std::optional<std::string> TPlaylistFixedRecords::ParseSortKeys(std::string_view bytes) {
    if (bytes.size() < static_cast<size_t>(Length))
        return std::nullopt;
    std::string keys;
    std::string expected = Build();
    for (int i = 0; i < IndexCount; ++i) {
        const size_t at = static_cast<size_t>(ViewLength + i * IndexLength) + IndexField::SortKey;
        keys += bytes[at];
        expected[at] = bytes[at];
    }
    if (bytes.substr(0, static_cast<size_t>(Length)) != expected)
        return std::nullopt;
    return keys;
}
