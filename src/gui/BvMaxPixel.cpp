#include "BvMaxPixel.h"

namespace {

// Byte length of the text without its last character (never cutting inside one).
size_t WithoutLastChar(const std::string& text) {
    size_t end = text.size();
    while (end > 0) {
        --end;
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80)
            break;
    }
    return end;
}

} // namespace

const TClassInfo& TBvMaxPixel::StaticClassInfo() {
    static const TClassInfo info(
        "TBvMaxPixel", &TPersistent::StaticClassInfo(),
        {IntProp<TBvMaxPixel, int>("Length", &TBvMaxPixel::Length, &TBvMaxPixel::SetLength),
         BoolProp<TBvMaxPixel>("UseControlFont", &TBvMaxPixel::UseControlFont,
                               &TBvMaxPixel::SetUseControlFont),
         ObjProp<TBvMaxPixel, TFont>("Font", &TBvMaxPixel::Font)},
        "BvMaxPixel");
    return info;
}

TBvMaxPixel::TBvMaxPixel(TControl* control) : control_(control), font_(std::make_unique<TFont>()) {
    font_->OnChange = [this](TGraphicsObject&) { Changed(); };
}

TBvMaxPixel::~TBvMaxPixel() = default;

void TBvMaxPixel::Changed() {
    if (OnChanged)
        OnChanged(this);
}

void TBvMaxPixel::SetLength(int value) {
    if (value == length_)
        return;
    length_ = value;
    Changed();
}

void TBvMaxPixel::SetUseControlFont(bool value) {
    if (value == useControlFont_)
        return;
    useControlFont_ = value;
    Changed();
}

void TBvMaxPixel::SetFont(TFont* value) {
    if (value && value != font_.get())
        font_->Assign(*value);
}

void TBvMaxPixel::Assign(const TPersistent& source) {
    if (auto* other = dynamic_cast<const TBvMaxPixel*>(&source)) {
        if (other == this)
            return;
        length_ = other->length_;
        useControlFont_ = other->useControlFont_;
        font_->Assign(*other->font_);
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

bool TBvMaxPixel::Test(std::string& text, const TFont* controlFont) const {
    if (length_ == 0)
        return true;
    // A canvas of its own measures: the control's canvas exists only while it paints.
    TBitmap measure(1, 1);
    TCanvas* canvas = measure.Canvas();
    const TFont* font = useControlFont_ && controlFont ? controlFont : font_.get();
    canvas->SetFont(*font);
    bool wider = canvas->TextWidth(text) > length_;
    while (!text.empty() && canvas->TextWidth(text) > length_)
        text.resize(WithoutLastChar(text));
    return wider;
}
