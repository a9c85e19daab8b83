#include "BvItemsSearchs.h"

#include "SysUtils.h"

#include <functional>

namespace {

int SearchCircular(const TStrings& items, int startIndex,
                   const std::function<bool(const std::string&)>& matches) {
    int count = items.Count();
    if (count == 0)
        return -1;
    // A start outside the list searches the whole list from its first item.
    if (startIndex < -1 || startIndex >= count)
        startIndex = -1;
    for (int step = 1; step <= count; ++step) {
        int i = (startIndex + step) % count;
        if (matches(items[i]))
            return i;
    }
    return -1;
}

} // namespace

int TBvItemsSearchs::SearchExactString(const TStrings& items, std::string_view text, int startIndex,
                                       bool caseSensitive) {
    return SearchCircular(items, startIndex, [&](const std::string& item) {
        return caseSensitive ? AnsiCompareStr(item, text) == 0 : AnsiSameText(item, text);
    });
}

int TBvItemsSearchs::SearchPrefix(const TStrings& items, std::string_view text, int startIndex,
                                  bool caseSensitive) {
    std::string wanted = caseSensitive ? std::string(text) : AnsiUpperCase(text);
    return SearchCircular(items, startIndex, [&](const std::string& item) {
        std::string subject = caseSensitive ? item : AnsiUpperCase(item);
        return subject.compare(0, wanted.size(), wanted) == 0;
    });
}
