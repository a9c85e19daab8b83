#include "BvID3ContentFrame.h"

#include "TextCodec.h"

void TBvID3ContentFrame::ReadFrame(TBvID3Stream& s) {
    SetEncodingQuiet(s.ReadEncoding());
    Language = s.ReadLanguage();
    s.ReadTwoStrings(description_, text_);
}

void TBvID3ContentFrame::WriteFrame(TBvID3Stream& s) {
    s.WriteEncoding();
    s.WriteLanguage(Language.size() == 3 ? Language : std::string("XXX"));
    s.WriteStringEnc(description_);
    s.WriteTerminator();
    s.WriteStringEnc(text_);
}

int64_t TBvID3ContentFrame::GetFrameSize(TBvID3Encoding e) const {
    TBvID3StringPair d = description_, t = text_;
    ConvertPair(d, Encoding(), e);
    ConvertPair(t, Encoding(), e);
    return 1 + 3 + EncodedLength(d, e) + TerminatorLength(e) + EncodedLength(t, e);
}

bool TBvID3ContentFrame::SameUniqueIDAs(const TBvID3Frame& f) const {
    auto* c = dynamic_cast<const TBvID3ContentFrame*>(&f);
    if (!c || c->FrameID() != FrameID() || !SameText(c->Language, Language))
        return false;
    TBvID3StringPair a = description_, b = c->description_;
    ConvertPair(a, Encoding(), ienUTF_16);
    ConvertPair(b, c->Encoding(), ienUTF_16);
    return a.Wide == b.Wide;
}

void TBvID3ContentFrame::Assign(const TBvID3Frame* source) {
    if (auto* c = dynamic_cast<const TBvID3ContentFrame*>(source)) {
        Language = c->Language;
        description_ = c->description_;
        text_ = c->text_;
    }
    TBvID3Frame::Assign(source);
}

void TBvID3ContentFrame::SetDescription(const std::string& s) {
    description_ = {s, Utf8ToUtf16(s)};
    UpdateFrameSize();
}

void TBvID3ContentFrame::SetText(const std::string& s) {
    text_ = {s, Utf8ToUtf16(s)};
    UpdateFrameSize();
}
