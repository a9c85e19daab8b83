// Text information frames ("TIT2", "TALB", ...): one encoding byte, then text.
#pragma once

#include "BvID3Frame.h"

class TBvID3CustomTextFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    virtual void GetText(TBvID3StringPair& pair) const = 0;
    virtual void SetText(const TBvID3StringPair& pair) = 0;

    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override { return GetFrameSize(Encoding()) < 2; }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override { return f.FrameID() == FrameID(); }
    bool SupportsVersion(TBvID3Version v) const override;
    void Clear() override;
    void Assign(const TBvID3Frame* source) override;
};

class TBvID3TextFrame : public TBvID3CustomTextFrame {
public:
    void ChangeToVersion(TBvID3Version v) override;
    using TBvID3CustomTextFrame::TBvID3CustomTextFrame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Text; }
    void GetText(TBvID3StringPair& pair) const override { pair = text_; }
    void SetText(const TBvID3StringPair& pair) override;
    bool CheckFrame(int errorAction) override;

    const std::string& Text() const { return text_.Ansi; }
    void SetText(const std::string& text);
    const std::u16string& TextW() const { return text_.Wide; }
    void SetTextW(const std::u16string& text);

private:
    TBvID3StringPair text_;
};
