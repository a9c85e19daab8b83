// A set of 3-D colours that, while current, replaces the system's dark-shadow, highlight and
// shadow colours in the bevels the self-drawn controls paint.
#pragma once

#include "Component.h"
#include "Types.h"

#include <cstdint>

class TBvg3DLocalColors : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvg3DLocalColors(TComponent* owner);
    ~TBvg3DLocalColors() override;

    TColor DkShadow() const { return dkShadow_; }
    void SetDkShadow(TColor value) { dkShadow_ = value; }
    TColor Highlight() const { return highlight_; }
    void SetHighlight(TColor value) { highlight_ = value; }
    TColor Shadow() const { return shadow_; }
    void SetShadow(TColor value) { shadow_ = value; }
    uint8_t ShadowShift() const { return shadowShift_; }
    void SetShadowShift(uint8_t value) { shadowShift_ = value; }
    uint8_t HighlightShift() const { return highlightShift_; }
    void SetHighlightShift(uint8_t value) { highlightShift_ = value; }
    // The set that was current before this one became current.
    TBvg3DLocalColors* Previous() const { return previous_; }

    // Shadow: base darkened by ShadowShift per channel (floor 0); highlight: base lightened by
    // HighlightShift per channel (ceiling 255).
    void DeriveFromBase(TColor base);
    void MakeCurrent();
    void RestorePrevious();

private:
    TColor dkShadow_;
    TColor highlight_;
    TColor shadow_;
    uint8_t shadowShift_ = 60;
    uint8_t highlightShift_ = 60;
    TBvg3DLocalColors* previous_ = nullptr;
};

// The set in force, or nullptr for the system's colours.
extern TBvg3DLocalColors* CurrentLocalColors;
