#include "Placeholders.h"

#include "SysUtils.h"

bool PlaceholderAt(std::string_view text, size_t at, std::string_view tag) {
    return text.size() - at >= tag.size() && SameText(text.substr(at, tag.size()), tag);
}
