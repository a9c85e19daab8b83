// The masked edit: an edit whose text follows an edit mask, such as "!90:00;1; " for a time
// of minutes and seconds. Typing overwrites the mask's positions one by one and skips its
// literal characters (the colon stays where it is); a position that is not filled shows the
// mask's blank character.
#pragma once

#include "StdCtrls.h"

#include <string>

// An edit mask split into its three fields: "mask;save literals;blank".
struct TEditMaskParts {
    std::string Mask;
    bool SaveLiterals = true;
    char Blank = '_';
};
TEditMaskParts SplitEditMask(const std::string& editMask);
// The mask in Qt's input-mask language ("!90:00;1; " becomes "09:99; "): the required and
// optional characters of the two languages are swapped for digits and letters, literals
// that Qt would read as mask characters are escaped. Empty for an empty mask.
std::string QtInputMask(const std::string& editMask);
// Which characters of a mask's shown text are literals (true) and which are positions.
std::vector<bool> EditMaskLiterals(const std::string& editMask);

class TCustomMaskEdit : public TCustomEdit {
    BV_CLASS_INFO()
public:
    explicit TCustomMaskEdit(TComponent* owner);
    std::string EditMask() const { return editMask_; }
    void SetEditMask(const std::string& mask);
    // The text as shown: literals in place and the blank character where nothing was typed.
    std::string EditText() const { return text_; }
    // With the mask's "save literals" field 1 the shown text; with 0 only what was typed.
    std::string GetText() const override;
    bool IsMasked() const { return !editMask_.empty(); }

protected:
    QWidget* CreateWidget(QWidget* parent) override;

private:
    std::string editMask_;
};

class TMaskEdit : public TCustomMaskEdit {
    BV_CLASS_INFO()
public:
    using TCustomMaskEdit::TCustomMaskEdit;
};
