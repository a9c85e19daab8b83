// Conversions between the layer's types and Qt's, for the gui sources only.
#pragma once

#include "Types.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <string>

inline QString ToQ(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string FromQ(const QString& s) {
    return s.toStdString();
}
inline QRect ToQ(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}
inline TRect FromQ(const QRect& r) {
    return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}
inline QColor ToQColor(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
// 0x00RRGGBB as a QImage RGB32 pixel wants it, from a resolved colour.
inline uint32_t RgbToPixel(TColor rgb) {
    return static_cast<uint32_t>((GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb));
}
inline TColor PixelToRgb(uint32_t px) {
    return RGB(static_cast<int>((px >> 16) & 0xFF), static_cast<int>((px >> 8) & 0xFF),
               static_cast<int>(px & 0xFF));
}
