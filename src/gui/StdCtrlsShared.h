// What the stock controls' message logic and their Qt side share: an item's data and the
// owner-draw request for one item painted into an image.
#pragma once

#include "Graphics.h"

#include <cstdint>
#include <vector>

class TWinControl;

// The data of an item, 0 past the end.
uintptr_t ItemDataAt(const std::vector<uintptr_t>& itemData, int index);
// Sends WM_DRAWITEM (or CN_DRAWITEM to a control without a parent) for one item, with a
// canvas on the image whose origin is the item's rectangle.
void SendDrawItem(TWinControl* control, uint32_t ctlType, int index, QImage& image,
                  const TRect& rect, uint32_t state, uintptr_t itemData);
