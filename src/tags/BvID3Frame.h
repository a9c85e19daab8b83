// One frame of an ID3v2 tag: its header in the three versions' layouts, the
// class registry that picks the frame class by identifier, and the base class
// every frame kind derives from.
#pragma once

#include "BvID3Stream.h"
#include "BvID3Types.h"

#include <memory>
#include <string>

class TBvID3Controller;

enum class TBvID3FrameClass : uint8_t {
    Skip,
    Binary,
    Text,
    SimpleList,
    Number,
    Timestamp,
    Content,
    DoubleList,
    URL,
    URLUser,
    User,
    Picture,
    GeneralObj,
    Popularimeter,
    PlayCounter,
    Ownership,
    TermsOfUse,
    AudioEncryption
};

TBvID3FrameClass GetFrameClass(TBvID3FrameID id);
const char* FrameClassName(TBvID3FrameClass c);

// Error actions of CheckFrame.
enum TBvID3CheckAction { caRepair = 0, caRaise = 1, caReport = 2 };

class TBvID3Frame : public TObject {
public:
    TBvID3Frame(TBvID3Controller* controller, TBvID3FrameID id, const std::string& idString);
    ~TBvID3Frame() override = default;

    virtual TBvID3FrameClass FrameClass() const = 0;
    virtual void ReadFrame(TBvID3Stream& s) = 0;
    virtual void WriteFrame(TBvID3Stream& s) = 0;
    virtual void ChangeToVersion(TBvID3Version) {}
    virtual bool SupportsVersion(TBvID3Version v) const;
    virtual bool GetIsEmpty() const { return true; }
    virtual bool SameUniqueIDAs(const TBvID3Frame&) const { return false; }
    virtual int64_t GetFrameSize(TBvID3Encoding e) const = 0;
    virtual bool CheckFrame(int errorAction) { return (void)errorAction, false; }
    virtual void Clear() { UpdateFrameSize(); }
    // Copies the common header values; subclasses copy their own values first.
    virtual void Assign(const TBvID3Frame* source);
    void UpdateFrameSize();

    // The header and the data, in the tag's version. Reading never fails on
    // sizes: a frame that claims more than the tag holds consumes the rest and
    // returns false; true when the frame was there whole.
    bool Read(TBvID3Stream& s, TBvID3Version version);
    void Write(TBvID3Stream& s, TBvID3Version version);

    TBvID3Controller* Controller() const { return controller_; }
    TBvID3FrameID FrameID() const { return frameID_; }
    void SetFrameID(TBvID3FrameID id);
    std::string FrameName() const;
    void SetFrameName(const std::string& name);
    TBvID3Encoding Encoding() const { return encoding_; }
    void SetEncoding(TBvID3Encoding e);
    uint16_t Flags() const { return flags_; }
    void SetFlags(uint16_t flags);
    uint8_t EncryptionID = 0;
    uint8_t GroupID = 0;
    int64_t FrameSize() const { return frameSize_; }
    int Index() const;
    void SetIndex(int index);
    // The component name, unique within the controller.
    std::string Name;

protected:
    // Controller's Changed when a value changed outside reading.
    void Modified();
    void SetEncodingQuiet(TBvID3Encoding e) { encoding_ = e; }
    std::string ErrorText(const std::string& text) const;

private:
    TBvID3Controller* controller_;
    TBvID3FrameID frameID_;
    std::string idString_;
    int64_t frameSize_ = 0;
    uint32_t dataLengthIndicator_ = 0;
    uint32_t decompressedSize_ = 0;
    TBvID3Encoding encoding_ = ienISO_8859_1;
    uint16_t flags_ = 0;
};

// Creates a frame of the class registered for the identifier.
std::unique_ptr<TBvID3Frame> CreateFrame(TBvID3Controller* controller, TBvID3FrameID id,
                                         const std::string& idString = std::string());
// Whether the controller may take one more frame of the identifier.
bool CanAddFrame(const TBvID3Controller& controller, TBvID3FrameID id);
