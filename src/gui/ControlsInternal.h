// What the control sources share about a running drag and the mouse capture. The
// state itself lives in ControlsDrag.cpp; Controls.cpp and ControlsWindowed.cpp
// read it when a control goes away and when mouse messages are routed. Included by
// those three files only.
#pragma once

#include "Controls.h"

#include <cstdint>

namespace BvControlsDrag {

struct TDragRun {
    TControl* Source = nullptr;
    TDragObject* Object = nullptr;
    bool OwnsObject = false;
    bool Started = false;
    int Threshold = 5;
    TPoint StartPos;
    TPoint Pos;
    TControl* Target = nullptr;
    bool Accepted = false;
    // The source's drag images, shown while the drag runs.
    TDragImageList* Images = nullptr;
    // A press that came as a double click: it is one only if the button goes up before
    // the pointer moves past the threshold; then it is delivered with the release.
    bool HeldDblClick = false;
    TMessage DblClick{};
};
extern TDragRun gDrag;
// The control that has the mouse capture.
extern TControl* gCapture;

inline bool IsMouseMsg(uint32_t msg) {
    return msg >= WM_MOUSEMOVE && msg < WM_MOUSEWHEEL;
}
void EndDragImages(const TDragRun& run);

} // namespace BvControlsDrag
