#include "BvID3TermsOfUseFrame.h"

void TBvID3TermsOfUseFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    Language = s.ReadLanguage();
    s.ReadStringEnc(Text);
}

void TBvID3TermsOfUseFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteEncoding();
    s.WriteLanguage(Language.size() == 3 ? Language : std::string("XXX"));
    s.WriteStringEnc(Text);
}

int64_t TBvID3TermsOfUseFrame::GetFrameSize(TBvID3Encoding e) const {
    TBvID3StringPair t = Text;
    ConvertPair(t, Encoding(), e);
    return 1 + 3 + EncodedLength(t, e);
}
