// A form's window placement (state, normal rectangle, minimized and maximized positions) and
// the routines that save it in an application storage and read it back.
#pragma once

#include "BvAppStorage.h"
#include "Forms.h"

#include <cstdint>
#include <string>

// Show commands of a window placement.
constexpr uint32_t SW_HIDE = 0;
constexpr uint32_t SW_SHOWNORMAL = 1;
constexpr uint32_t SW_SHOWMINIMIZED = 2;
constexpr uint32_t SW_SHOWMAXIMIZED = 3;
constexpr uint32_t SW_MINIMIZE = 6;
constexpr uint32_t SW_SHOWMINNOACTIVE = 7;
constexpr uint32_t SW_RESTORE = 9;
constexpr uint32_t WPF_SETMINPOSITION = 1;

struct TWindowPlacement {
    uint32_t Flags = 0;
    uint32_t ShowCmd = SW_SHOWNORMAL;
    TPoint MinPosition{-1, -1};
    TPoint MaxPosition{-1, -1};
    TRect NormalPosition{};
};

// What WM_GETMINMAXINFO carries (through its LParam).
struct TMinMaxInfo {
    TPoint Reserved;
    TPoint MaxSize;
    TPoint MaxPosition;
    TPoint MinTrackSize;
    TPoint MaxTrackSize;
};

// What the form placement saves: bit values of the set.
enum TPlacementOption : uint8_t {
    fpState = 1,
    fpSize = 2,
    fpLocation = 4,
    fpActiveControl = 8,
};
using TPlacementOptions = uint8_t;

// The form's placement as the window system keeps it; hidden windows answer SW_HIDE.
TWindowPlacement GetFormPlacement(TCustomForm* form);
// Applies the normal rectangle and the two positions.
void SetFormPlacement(TCustomForm* form, const TWindowPlacement& placement);
// The part of the screen a window may use.
TRect ScreenWorkArea();
// Moves (and, when it must, shrinks) r so that it lies inside area.
TRect KeepInside(const TRect& r, const TRect& area);

// The folder a component's values go under by default: a form's class name; a control's
// form class name followed by its own name; Format("%s.%s") of form class and name for
// other components owned by a form.
std::string GetDefaultSection(TComponent* component);
// "(%dx%d)" with the screen's width and height.
std::string ScreenSizeSuffix();
// Writes value under key + ScreenSizeSuffix and under key.
void WritePosStr(TBvCustomAppStorage* storage, const std::string& key, const std::string& value);
// The value under key + ScreenSizeSuffix when there is one, else under key.
std::string ReadPosStr(TBvCustomAppStorage* storage, const std::string& key,
                       const std::string& defaultValue);

void WriteWindowPlacement(TCustomForm* form, TBvCustomAppStorage* storage,
                          const std::string& section, TPlacementOptions options);
void ReadWindowPlacement(TCustomForm* form, TBvCustomAppStorage* storage,
                         const std::string& section, TPlacementOptions options);
