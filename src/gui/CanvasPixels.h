// Pixel helpers shared by the canvas sources: the colour bits of an RGB32 pixel, and
// which colours a monochrome bitmap shows as white.
#pragma once

#include <cstdint>

inline constexpr uint32_t kRgbMask = 0x00FFFFFF;

inline bool IsWhiteForMono(uint32_t rgb) {
    int sum = static_cast<int>(((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF));
    return sum >= 384;
}
