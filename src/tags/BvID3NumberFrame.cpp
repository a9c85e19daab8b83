#include "BvID3NumberFrame.h"
#include "BvID3DateConversion.h"

#include "TextCodec.h"

void TBvID3NumberFrame::GetText(TBvID3StringPair& pair) const {
    const bool year = FrameID() == fiYear || FrameID() == fiOrigYear;
    pair.Ansi = Format(year ? "%.4d" : "%d", {int64_t(value_)});
    pair.Wide = IsUnicodeEncoding(Encoding()) ? Utf8ToUtf16(pair.Ansi) : std::u16string();
}

void TBvID3NumberFrame::SetText(const TBvID3StringPair& pair) {
    const std::string text = Encoding() == ienISO_8859_1 ? pair.Ansi : Utf16ToUtf8(pair.Wide);
    int64_t v = 0;
    value_ = TryStrToInt64(text, v) && v >= 0 && v <= 0xFFFFFFFFll ? uint32_t(v) : 0;
}

bool TBvID3NumberFrame::GetIsEmpty() const {
    if (FrameID() == fiYear || FrameID() == fiOrigYear)
        return value_ == 0;
    return TBvID3CustomTextFrame::GetIsEmpty();
}

void TBvID3NumberFrame::SetValue(uint32_t value) {
    if (value == value_)
        return;
    value_ = value;
    UpdateFrameSize();
}

// A year alone also moves into the timestamp, so converting never loses it.
void TBvID3NumberFrame::ChangeToVersion(TBvID3Version v) {
    if (v == ive2_4 && FrameID() == fiYear && Controller())
        MakeRecordingTime(*Controller());
}
