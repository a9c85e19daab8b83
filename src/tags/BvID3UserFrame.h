// User-defined text ("TXXX"): a description and a value.
#pragma once

#include "BvID3Frame.h"

class TBvID3UserFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::User; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override {
        return Description.Ansi.empty() && Description.Wide.empty() && Value.Ansi.empty() &&
               Value.Wide.empty();
    }

    TBvID3StringPair Description, Value;
};
