// mhbd: the database header that opens the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TDbHeaderRecord {
    static constexpr std::string_view Tag = "dbhm";
    static constexpr int32_t Length = 104;
    static constexpr uint32_t Version = 13;
    static constexpr uint32_t DataSetCount = 3;
    static constexpr std::string_view Id = "Wrenhold";

    static std::string Build(int32_t totalLength);
};
