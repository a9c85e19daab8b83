// The pixel-width limit of a combo box's typed text: a text wider than the limit loses
// characters from its end until it fits, measured in the control's font or a font of its own.
#pragma once

#include "Component.h"
#include "Controls.h"
#include "Graphics.h"

#include <memory>
#include <string>

class TBvMaxPixel : public TPersistent {
    BV_CLASS_INFO()
public:
    // control is the control the text is measured for; it is not owned.
    explicit TBvMaxPixel(TControl* control);
    ~TBvMaxPixel() override;

    // 0: no limit.
    int Length() const { return length_; }
    void SetLength(int value);
    bool UseControlFont() const { return useControlFont_; }
    void SetUseControlFont(bool value);
    TFont* Font() const { return font_.get(); }
    // Copies the font (nothing when given the font itself).
    void SetFont(TFont* value);
    TControl* Control() const { return control_; }

    // Cuts text until it fits Length pixels in controlFont (or Font when UseControlFont is
    // off). True when there is no limit or the text was wider than the limit; the caller
    // compares the text to see whether it changed.
    bool Test(std::string& text, const TFont* controlFont) const;

    // Raised when Length or UseControlFont changes or the font changes.
    TNotifyEvent OnChanged;
    void Assign(const TPersistent& source) override;

private:
    void Changed();
    TControl* control_;
    int length_ = 0;
    bool useControlFont_ = true;
    std::unique_ptr<TFont> font_;
};
