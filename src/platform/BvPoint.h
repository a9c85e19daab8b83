// A point in pixels. The gui layer's controls and the track manager's hint position use the
// same type, so a window can hand one to the other.
#pragma once

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};
