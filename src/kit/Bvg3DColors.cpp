#include "Bvg3DColors.h"

#include <algorithm>
#include <vector>

TBvg3DLocalColors* CurrentLocalColors = nullptr;

namespace {
// Every live set, so that one going away is never left behind as another's previous set.
std::vector<TBvg3DLocalColors*>& LiveSets() {
    static std::vector<TBvg3DLocalColors*> sets;
    return sets;
}
} // namespace

const TClassInfo& TBvg3DLocalColors::StaticClassInfo() {
    static const TClassInfo info("TBvg3DLocalColors", &TComponent::StaticClassInfo(), {},
                                 "Bvg3DColors");
    return info;
}

TBvg3DLocalColors::TBvg3DLocalColors(TComponent* owner)
    : TComponent(owner), dkShadow_(cl3DDkShadow), highlight_(clBtnHighlight), shadow_(clBtnShadow) {
    LiveSets().push_back(this);
}

TBvg3DLocalColors::~TBvg3DLocalColors() {
    Destroying();
    auto& sets = LiveSets();
    sets.erase(std::remove(sets.begin(), sets.end(), this), sets.end());
    // Only the set in force hands the colours back, and to the one it replaced; a set that is
    // not current leaves the current one alone.
    if (CurrentLocalColors == this)
        CurrentLocalColors = previous_;
    for (TBvg3DLocalColors* s : sets)
        if (s->previous_ == this)
            s->previous_ = previous_;
}

void TBvg3DLocalColors::DeriveFromBase(TColor base) {
    TColor rgb = ColorToRGB(base);
    int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    shadow_ = RGB(std::max(0, r - shadowShift_), std::max(0, g - shadowShift_),
                  std::max(0, b - shadowShift_));
    highlight_ = RGB(std::min(255, r + highlightShift_), std::min(255, g + highlightShift_),
                     std::min(255, b + highlightShift_));
}

void TBvg3DLocalColors::MakeCurrent() {
    // Becoming current twice must not make the set its own predecessor.
    if (CurrentLocalColors == this)
        return;
    previous_ = CurrentLocalColors;
    CurrentLocalColors = this;
}

void TBvg3DLocalColors::RestorePrevious() {
    if (CurrentLocalColors == this)
        CurrentLocalColors = previous_;
}
