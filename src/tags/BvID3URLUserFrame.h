// User-defined link ("WXXX"): a description and an ISO-8859-1 URL.
#pragma once

#include "BvID3Frame.h"

class TBvID3URLUserFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::URLUser; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override {
        return URL.empty() && Description.Ansi.empty() && Description.Wide.empty();
    }

    TBvID3StringPair Description;
    std::string URL;
};
