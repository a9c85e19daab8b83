// The 10-byte ID3v2 tag header and the common base of the tag's parts.
#pragma once

#include "BvID3Stream.h"
#include "BvID3Types.h"

class TBvID3Controller;

class TBvID3Base : public TObject {
public:
    explicit TBvID3Base(TBvID3Controller* controller) : controller_(controller) {}
    virtual void Read(TBvID3Stream& s) = 0;
    virtual void Write(TBvID3Stream& s) = 0;
    virtual void Reset() = 0;
    virtual void ChangeToVersion(TBvID3Version v) = 0;
    TBvID3Controller* Controller() const { return controller_; }

private:
    TBvID3Controller* controller_;
};

class TBvID3Header : public TBvID3Base {
public:
    static constexpr int HeaderSize = 10;
    static constexpr uint32_t MaxSize = 0x0FFFFFFF;

    using TBvID3Base::TBvID3Base;
    void Read(TBvID3Stream& s) override;
    void Write(TBvID3Stream& s) override;
    void Reset() override;
    void ChangeToVersion(TBvID3Version v) override;

    uint8_t MajorVersion() const { return majorVersion_; }
    uint8_t RevisionNumber() const { return revisionNumber_; }
    bool HasTag() const { return hasTag_; }
    uint8_t Flags() const { return flags_; }
    void SetFlags(uint8_t flags);
    uint32_t Size() const { return size_; }
    void SetSize(uint32_t size) { size_ = size; }
    TBvID3Version Version() const;

private:
    uint8_t majorVersion_ = 0;
    uint8_t revisionNumber_ = 0;
    bool hasTag_ = false;
    uint8_t flags_ = 0;
    uint32_t size_ = 0;
};

TBvID3Version VersionOfMajor(uint8_t major);
