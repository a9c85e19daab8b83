#include "BvID3PopularimeterFrame.h"

#include "TextCodec.h"

void TBvID3PopularimeterFrame::ReadFrame(TBvID3Stream& s) {
    EMailAddress = s.ReadIsoString();
    Rating = s.ReadByte();
    Counter = s.ReadCounter();
}

void TBvID3PopularimeterFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteIsoString(EMailAddress, true);
    s.WriteByte(Rating);
    s.WriteBE32(Counter);
}

int64_t TBvID3PopularimeterFrame::GetFrameSize(TBvID3Encoding) const {
    return int64_t(Utf8ToSingleByte(EMailAddress, TCodePage::Latin1).size()) + 1 + 1 + 4;
}

bool TBvID3PopularimeterFrame::SameUniqueIDAs(const TBvID3Frame& f) const {
    auto* p = dynamic_cast<const TBvID3PopularimeterFrame*>(&f);
    return p && AnsiSameText(p->EMailAddress, EMailAddress);
}
