// Terms of use ("USER"): language and text.
#pragma once

#include "BvID3Frame.h"

class TBvID3TermsOfUseFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::TermsOfUse; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override { return Text.Ansi.empty() && Text.Wide.empty(); }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override { return f.FrameID() == FrameID(); }
    bool SupportsVersion(TBvID3Version v) const override { return v == ive2_3 || v == ive2_4; }

    std::string Language;
    TBvID3StringPair Text;
};
