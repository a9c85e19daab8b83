// Text frames that hold a number: year, BPM, length in milliseconds...
#pragma once

#include "BvID3TextFrame.h"

class TBvID3NumberFrame : public TBvID3CustomTextFrame {
public:
    void ChangeToVersion(TBvID3Version v) override;
    using TBvID3CustomTextFrame::TBvID3CustomTextFrame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Number; }
    void GetText(TBvID3StringPair& pair) const override;
    void SetText(const TBvID3StringPair& pair) override;
    bool GetIsEmpty() const override;

    uint32_t Value() const { return value_; }
    void SetValue(uint32_t value);

private:
    uint32_t value_ = 0;
};
