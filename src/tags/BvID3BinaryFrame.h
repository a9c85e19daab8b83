// Frames kept as bytes: the CD identifier, and every frame without a class of
// its own ("PRIV", unknown identifiers), written back unchanged.
#pragma once

#include "BvID3Frame.h"

class TBvID3BinaryFrame : public TBvID3Frame {
public:
    using TBvID3Frame::TBvID3Frame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Binary; }
    void ReadFrame(TBvID3Stream& s) override { ReadData(s, s.BytesLeft()); }
    void WriteFrame(TBvID3Stream& s) override { WriteData(s); }
    int64_t GetFrameSize(TBvID3Encoding) const override { return int64_t(data_.size()); }
    bool GetIsEmpty() const override { return data_.empty(); }
    bool CheckFrame(int) override { return true; }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override {
        return FrameID() == fiCDID && f.FrameID() == fiCDID;
    }
    void Clear() override;
    void Assign(const TBvID3Frame* source) override;

    // Reads the given number of bytes (no more than the frame holds).
    virtual void ReadData(TBvID3Stream& s, int64_t size);
    virtual void WriteData(TBvID3Stream& s) { s.Write(data_); }
    const std::string& Data() const { return data_; }
    bool SetData(const void* data, int64_t size);
    void LoadFromBytes(std::string_view bytes);

protected:
    std::string data_;
};

class TBvID3SkipFrame : public TBvID3BinaryFrame {
public:
    using TBvID3BinaryFrame::TBvID3BinaryFrame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Skip; }
};
