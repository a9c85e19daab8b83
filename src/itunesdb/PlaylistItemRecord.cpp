#include "PlaylistItemRecord.h"

#include "DbBytes.h"

#include <chrono>
#include <mutex>
#include <random>

namespace {

std::mutex randomLock;

std::minstd_rand& RandomEngine() {
    static std::minstd_rand engine(static_cast<std::minstd_rand::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    return engine;
}

uint8_t DrawByte(std::minstd_rand& engine) {
    return static_cast<uint8_t>(std::uniform_int_distribution<int>(0, 254)(engine));
}

} // namespace

uint8_t TPlaylistItemRecord::RandomByte() {
    std::lock_guard guard(randomLock);
    return DrawByte(RandomEngine());
}

void TPlaylistItemRecord::RandomBytes(uint8_t* out, size_t count) {
    std::lock_guard guard(randomLock);
    std::minstd_rand& engine = RandomEngine();
    for (size_t i = 0; i < count; ++i)
        out[i] = DrawByte(engine);
}

void TPlaylistItemRecord::Write(char* rec, int32_t trackId, const uint8_t random[2]) {
    using namespace DbBytes;
    Clear(rec, Length);
    PutTag(rec, Tag);
    Put32(rec, Field::HeaderLength, Length);
    Put32(rec, Field::TotalLength, TotalLength);
    Put32(rec, Field::DataRecordCount, 1);
    PutByte(rec, Field::Random, random[0]);
    PutByte(rec, Field::Random + 1, random[1]);
    Put32(rec, Field::TrackId, static_cast<uint32_t>(trackId));
    Put32(rec, Field::Time, 0xBFA7EAE1);
}

void TPlaylistItemRecord::Write(char* rec, int32_t trackId) {
    uint8_t random[2];
    RandomBytes(random, 2);
    Write(rec, trackId, random);
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
