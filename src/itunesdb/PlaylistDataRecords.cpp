#include "PlaylistDataRecords.h"

#include "DbBytes.h"

#include <array>

std::string TPositionRecord::Build(int32_t position) {
    std::string r(Length, '\0');
    DbBytes::PutTag(r, Tag);
    DbBytes::Put32(r, 4, 24);
    DbBytes::Put32(r, 8, Length);
    DbBytes::Put32(r, 12, Type);
    DbBytes::Put32(r, 24, static_cast<uint32_t>(position));
    return r;
}

namespace {

std::string BuildView() {
    constexpr std::array<uint32_t, 9> entries = {0x00010023, 0x000200C8, 0x000D003B,
                                                 0x0004007D, 0x0003007D, 0x00080050,
                                                 0x0017004F, 0x00140050, 0x0015007D};
    std::string r(TPlaylistFixedRecords::ViewLength, '\0');
    DbBytes::PutTag(r, "dohm");
    DbBytes::Put32(r, 4, 24);
    DbBytes::Put32(r, 8, TPlaylistFixedRecords::ViewLength);
    DbBytes::Put32(r, 12, 100);
    DbBytes::Put32(r, 40, 0x00840001);
    DbBytes::Put32(r, 44, 1);
    DbBytes::Put32(r, 48, entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t at = 56 + 16 * i;
        DbBytes::Put32(r, at, entries[i]);
        if (i >= 6)
            DbBytes::Put32(r, at + 4, 0x01000000);
    }
    return r;
}

std::string BuildIndex(uint32_t sortKey) {
    std::string r(TPlaylistFixedRecords::IndexLength, '\0');
    DbBytes::PutTag(r, "dohm");
    DbBytes::Put32(r, 4, 24);
    DbBytes::Put32(r, 8, TPlaylistFixedRecords::IndexLength);
    DbBytes::Put32(r, 12, 52);
    DbBytes::Put32(r, 24, sortKey);
    DbBytes::Put32(r, 28, 0x02000000);
    DbBytes::Put32(r, 72, 0x01000000);
    return r;
}

} // namespace

const std::string& TPlaylistFixedRecords::Build() {
    // Title, artist, album, genre, composer.
    static const std::string block = [] {
        std::string b = BuildView();
        for (uint32_t key : {0x03000000u, 0x05000000u, 0x04000000u, 0x07000000u, 0x12000000u})
            b += BuildIndex(key);
        return b;
    }();
    return block;
}
