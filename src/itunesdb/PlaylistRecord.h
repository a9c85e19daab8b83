// mhyp: one playlist; its name, the fixed block and its items follow it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TPlaylistRecord {
    static constexpr std::string_view Tag = "pyhm";
    static constexpr int32_t Length = 108;
    static constexpr int32_t DataRecordCount = 7;

    static std::string Build(int32_t totalLength, int32_t itemCount, int32_t master);
};
