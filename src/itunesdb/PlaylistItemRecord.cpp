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

void TPlaylistItemRecord::Write(char* rec, int32_t trackId) {
    using namespace DbBytes;
    PutTag(rec, Tag);
    Put32(rec, Field::HeaderLength, Length);
    Put32(rec, Field::TotalLength, TotalLength);
    Put32(rec, Field::DataRecordCount, 1);
    PutByte(rec, Field::Random, RandomByte());
    PutByte(rec, Field::Random + 1, RandomByte());
    Put32(rec, Field::TrackId, static_cast<uint32_t>(trackId));
    Put32(rec, Field::Time, 0xBFA7EAE1);
}

std::string TPlaylistItemRecord::Build(int32_t trackId) {
    return DbBytes::Built(Length, [&](char* rec) { Write(rec, trackId); });
}

std::optional<int32_t> TPlaylistItemRecord::Parse(std::string_view bytes) {
    using namespace DbBytes;
    if (!HasRecord(bytes, Tag, Length))
        return std::nullopt;
    return static_cast<int32_t>(Get32(bytes, Field::TrackId));
}
