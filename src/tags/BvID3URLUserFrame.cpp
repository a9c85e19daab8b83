#include "BvID3URLUserFrame.h"

#include "TextCodec.h"

void TBvID3URLUserFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    s.ReadStringEnc(Description);
    URL = s.ReadIsoString();
}

void TBvID3URLUserFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteEncoding();
    s.WriteStringEnc(Description);
    s.WriteTerminator();
    s.WriteIsoString(URL, false);
}

int64_t TBvID3URLUserFrame::GetFrameSize(TBvID3Encoding e) const {
    TBvID3StringPair d = Description;
    ConvertPair(d, Encoding(), e);
    return 1 + EncodedLength(d, e) + TerminatorLength(e) +
           int64_t(Utf8ToSingleByte(URL, TCodePage::Latin1).size());
}
