#include "BvID3GeneralObjFrame.h"

#include "TextCodec.h"

void TBvID3GeneralObjFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    MIMEType = s.ReadIsoString();
    s.ReadStringEnc(FileName);
    s.ReadStringEnc(ContentDescription);
    ReadData(s, s.BytesLeft());
}

void TBvID3GeneralObjFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteEncoding();
    s.WriteIsoString(MIMEType, true);
    s.WriteStringEnc(FileName);
    s.WriteTerminator();
    s.WriteStringEnc(ContentDescription);
    s.WriteTerminator();
    s.Write(data_);
}

int64_t TBvID3GeneralObjFrame::GetFrameSize(TBvID3Encoding e) const {
    TBvID3StringPair f = FileName, d = ContentDescription;
    ConvertPair(f, Encoding(), e);
    ConvertPair(d, Encoding(), e);
    return 1 + int64_t(Utf8ToSingleByte(MIMEType, TCodePage::Latin1).size()) + 1 +
           EncodedLength(f, e) + TerminatorLength(e) + EncodedLength(d, e) + TerminatorLength(e) +
           int64_t(data_.size());
}

bool TBvID3GeneralObjFrame::GetIsEmpty() const {
    return data_.empty() && MIMEType.empty() && FileName.Ansi.empty() && FileName.Wide.empty() &&
           ContentDescription.Ansi.empty() && ContentDescription.Wide.empty();
}
