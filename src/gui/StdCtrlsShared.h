// What the stock controls' message logic and their Qt side share: an item's data and the
// owner-draw request for one item painted into an image.
#pragma once

#include "Classes.h"
#include "Graphics.h"

#include <cstdint>
#include <vector>

class TWinControl;

// A memo with more lines than this frees them on a worker when it is cleared, and its
// window's document a part at a time in later turns of the loop: a report of a million lines
// takes a fifth of a second to free.
constexpr int RetireLines = 20000;

// The data of an item (kept as the entry's object, so it moves with its entry), 0 past
// the end.
uintptr_t ItemDataAt(const TStrings& items, int index);
// Keeps a vector of one value per entry in step with a change of the entries; new and
// replaced entries get fill.
void FollowItemChange(std::vector<int>& values, const TStringsChange& change, int count, int fill);
// Sends WM_DRAWITEM (or CN_DRAWITEM to a control without a parent) for one item, with a
// canvas on the image whose origin is the item's rectangle.
void SendDrawItem(TWinControl* control, uint32_t ctlType, int index, QImage& image,
                  const TRect& rect, uint32_t state, uintptr_t itemData);
