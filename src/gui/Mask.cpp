#include "Mask.h"

#include "qt/WidgetBinding.h"

TEditMaskParts SplitEditMask(const std::string& editMask) {
    TEditMaskParts parts;
    // The last two ";" fields are the flags when present; a "\;" inside the mask is a literal.
    std::vector<size_t> separators;
    for (size_t i = 0; i < editMask.size(); ++i) {
        if (editMask[i] == '\\') {
            ++i;
            continue;
        }
        if (editMask[i] == ';')
            separators.push_back(i);
    }
    if (separators.empty()) {
        parts.Mask = editMask;
        return parts;
    }
    parts.Mask = editMask.substr(0, separators[0]);
    const size_t flagAt = separators[0] + 1;
    const size_t flagEnd = separators.size() > 1 ? separators[1] : editMask.size();
    parts.SaveLiterals = editMask.substr(flagAt, flagEnd - flagAt) != "0";
    if (separators.size() > 1 && separators[1] + 1 < editMask.size())
        parts.Blank = editMask[separators[1] + 1];
    return parts;
}

namespace {

// One character of the mask language; Literal holds the character a literal shows.
struct TMaskChar {
    char Qt = 0;       // the Qt mask character, 0 for a literal
    char Literal = 0;  // the character shown for a literal
    bool Case = false; // a case switch: no position, nothing shown
};

std::vector<TMaskChar> ParseMask(const std::string& mask) {
    std::vector<TMaskChar> out;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        switch (c) {
        case '!':
            // Optional positions shown as leading blanks: the shown text is the same here.
            break;
        case '>':
            out.push_back({'>', 0, true});
            break;
        case '<':
            // "<>" switches case conversion off.
            if (i + 1 < mask.size() && mask[i + 1] == '>') {
                out.push_back({'!', 0, true});
                ++i;
            } else {
                out.push_back({'<', 0, true});
            }
            break;
        case '\\':
            if (i + 1 < mask.size())
                out.push_back({0, mask[++i], false});
            break;
        case 'L':
            out.push_back({'A', 0, false});
            break;
        case 'l':
            out.push_back({'a', 0, false});
            break;
        case 'A':
            out.push_back({'N', 0, false});
            break;
        case 'a':
            out.push_back({'n', 0, false});
            break;
        case 'C':
            out.push_back({'X', 0, false});
            break;
        case 'c':
            out.push_back({'x', 0, false});
            break;
        case '0':
            out.push_back({'9', 0, false});
            break;
        case '9':
            out.push_back({'0', 0, false});
            break;
        case '#':
            out.push_back({'#', 0, false});
            break;
        case '_':
            out.push_back({0, ' ', false});
            break;
        default:
            out.push_back({0, c, false});
            break;
        }
    }
    return out;
}

} // namespace

std::string QtInputMask(const std::string& editMask) {
    const TEditMaskParts parts = SplitEditMask(editMask);
    if (parts.Mask.empty())
        return {};
    std::string out;
    for (const TMaskChar& m : ParseMask(parts.Mask)) {
        if (m.Qt) {
            out += m.Qt;
            continue;
        }
        // Every character Qt's mask language gives a meaning is escaped to stand for itself.
        static const std::string special = "AaNnXx9D0d#HhBb><!{}[]\\;";
        if (special.find(m.Literal) != std::string::npos)
            out += '\\';
        out += m.Literal;
    }
    out += ';';
    out += parts.Blank;
    return out;
}

std::vector<bool> EditMaskLiterals(const std::string& editMask) {
    std::vector<bool> literals;
    for (const TMaskChar& m : ParseMask(SplitEditMask(editMask).Mask))
        if (!m.Case)
            literals.push_back(m.Qt == 0);
    return literals;
}

const TClassInfo& TCustomMaskEdit::StaticClassInfo() {
    static const TClassInfo info("TCustomMaskEdit", &TCustomEdit::StaticClassInfo(),
                                 {StrProp<TCustomMaskEdit>("EditMask", &TCustomMaskEdit::EditMask,
                                                           &TCustomMaskEdit::SetEditMask)},
                                 "Mask");
    return info;
}
const TClassInfo& TMaskEdit::StaticClassInfo() {
    static const TClassInfo info("TMaskEdit", &TCustomMaskEdit::StaticClassInfo(), {}, "Mask");
    return info;
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const std::string& mask) {
    if (mask == editMask_)
        return;
    editMask_ = mask;
    if (widget_)
        text_ = BvQt::SetEditInputMask(widget_, QtInputMask(mask));
}

std::string TCustomMaskEdit::GetText() const {
    if (!IsMasked() || SplitEditMask(editMask_).SaveLiterals)
        return text_;
    const std::vector<bool> literals = EditMaskLiterals(editMask_);
    std::string typed;
    for (size_t i = 0; i < text_.size(); ++i)
        if (i >= literals.size() || !literals[i])
            typed += text_[i];
    return typed;
}
