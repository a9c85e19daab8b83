// The circular text search of the list and combo boxes.
#pragma once

#include "Classes.h"

#include <string_view>

class TBvItemsSearchs {
public:
    // Both search from startIndex + 1 to the end, then from 0 up to and
    // including startIndex, and return the first match or -1.
    static int SearchExactString(const TStrings& items, std::string_view text, int startIndex,
                                 bool caseSensitive);
    static int SearchPrefix(const TStrings& items, std::string_view text, int startIndex,
                            bool caseSensitive);
};
