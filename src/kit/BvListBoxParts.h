// What the list box's source files share: a few constants and helpers of the
// list box's messages and measuring. Included by the BvListBox*.cpp files only.
#pragma once

#include "BvListBox.h"
#include "WinApi.h"

#include <cstdint>
#include <string>

namespace BvListBoxParts {

// An unlimited width for a text that is not wrapped.
constexpr int kUnlimitedWidth = 0x3FFFFFFF;
// The tallest item a variable-height list box keeps.
constexpr int kMaxItemHeight = 255;

inline uint32_t AlignmentFlag(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::taRightJustify:
        return DT_RIGHT;
    case TAlignment::taCenter:
        return DT_CENTER;
    default:
        return DT_LEFT;
    }
}

inline intptr_t TextParam(const std::string& text) {
    return reinterpret_cast<intptr_t>(text.c_str());
}

inline std::string TextOfParam(intptr_t lParam) {
    return lParam ? std::string(reinterpret_cast<const char*>(lParam)) : std::string();
}

} // namespace BvListBoxParts
