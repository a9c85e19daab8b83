// The data mhods of a playlist that carry no text: the position record after
// every item and the fixed block of one view record and five index records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TPositionRecord {
    static constexpr std::string_view Tag = "dohm";
    static constexpr int32_t Length = 44;
    static constexpr int32_t Type = 100;

    static std::string Build(int32_t position);
};

struct TPlaylistFixedRecords {
    static constexpr int32_t ViewLength = 648;
    static constexpr int32_t IndexLength = 80;
    static constexpr int32_t IndexCount = 5;
    static constexpr int32_t Length = ViewLength + IndexCount * IndexLength;
    static constexpr int32_t RecordCount = 1 + IndexCount;

    // The same 1048 bytes for every playlist, built once.
    static const std::string& Build();
};
