#include "BvID3UserFrame.h"

void TBvID3UserFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    s.ReadTwoStrings(Description, Value);
}

void TBvID3UserFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteEncoding();
    s.WriteStringEnc(Description);
    s.WriteTerminator();
    s.WriteStringEnc(Value);
}

int64_t TBvID3UserFrame::GetFrameSize(TBvID3Encoding e) const {
    TBvID3StringPair d = Description, v = Value;
    ConvertPair(d, Encoding(), e);
    ConvertPair(v, Encoding(), e);
    return 1 + EncodedLength(d, e) + TerminatorLength(e) + EncodedLength(v, e);
}
