// mhsd: a data set, holding either the track list or the playlist list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TDataSetRecord {
    static constexpr std::string_view Tag = "dshm";
    static constexpr int32_t Length = 96;
    enum TType : int32_t { dsTracks = 1, dsPlaylists = 2, dsPodcasts = 3 };

    static std::string Build(int32_t totalLength, int32_t type);
};
