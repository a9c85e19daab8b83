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
    std::string r(Length, '\0');
    DbBytes::PutTag(r, Tag);
    DbBytes::Put32(r, 4, Length);
    DbBytes::Put32(r, 8, TotalLength);
    DbBytes::Put32(r, 12, 1);
    DbBytes::PutByte(r, 22, RandomByte());
    DbBytes::PutByte(r, 23, RandomByte());
    DbBytes::Put32(r, 24, static_cast<uint32_t>(trackId));
    DbBytes::Put32(r, 28, 0xBFA7EAE1);
    return r;
}
