#include "PlaylistItemRecord.h"

#include "DbBytes.h"

#include <chrono>
#include <mutex>
#include <random>

uint8_t TPlaylistItemRecord::RandomByte() {
    static std::mutex lock;
    static std::minstd_rand engine(static_cast<std::minstd_rand::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    std::lock_guard guard(lock);
    return static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 254)(engine));
}

std::string TPlaylistItemRecord::Build(int32_t trackId) {
    using namespace DbBytes;
    std::string r(Length, '\0');
    PutTag(r, Tag);
    Put32(r, Field::HeaderLength, Length);
    Put32(r, Field::TotalLength, TotalLength);
    Put32(r, Field::DataRecordCount, 1);
    PutByte(r, Field::Random, RandomByte());
    PutByte(r, Field::Random + 1, RandomByte());
    Put32(r, Field::TrackId, static_cast<uint32_t>(trackId));
    Put32(r, Field::Time, 0xBFA7EAE1);
    return r;
}

std::optional<int32_t> TPlaylistItemRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length))
        return std::nullopt;
    return static_cast<int32_t>(Get32(bytes, Field::TrackId));
}
