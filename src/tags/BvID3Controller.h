// Reads the ID3v2 tag at the start of an MP3 file into frame objects and
// measures the MPEG audio behind it. Damaged content never fails an open: a bad
// frame is dropped, a bad tag leaves what could be read, and the audio
// information is measured in every case. Only a file that cannot be opened raises.
#pragma once

#include "BvID3ExtendedHeader.h"
#include "BvID3FileInfo.h"
#include "BvID3Frames.h"
#include "BvID3Header.h"
#include "BvReadStream.h"

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

class TBvID3Controller : public TObject {
public:
    using TClientCallback = std::function<void(void* client, TBvID3Controller&, bool active)>;

    TBvID3Controller();
    ~TBvID3Controller() override;
    TBvID3Controller(const TBvID3Controller&) = delete;
    TBvID3Controller& operator=(const TBvID3Controller&) = delete;

    // The component name, used in error messages.
    std::string Name;

    bool Active() const { return active_; }
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    // Reads a tag from a stream already open (tests, the fuzz target, callers
    // with their own file access). The component is active afterwards.
    void OpenStream(TBvReadStream& stream);
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value);

    TBvID3Frames& Frames() { return frames_; }
    const TBvID3Frames& Frames() const { return frames_; }
    TBvID3Header& Header() { return header_; }
    TBvID3ExtendedHeader& ExtendedHeader() { return extendedHeader_; }
    const TBvID3FileInfo& FileInfo() const { return fileInfo_; }

    TBvID3Frame* AddFrame(TBvID3FrameID id);
    // With frame null finds the first frame of the id, else the next one after it.
    bool FindFrame(TBvID3FrameID id, TBvID3Frame*& frame) const;
    int FrameCount() const { return frames_.Count(); }
    bool HasFrame(TBvID3FrameID id) const { return frames_.FindFirst(id) != nullptr; }
    int FrameCountOfID(TBvID3FrameID id) const;

    void RegisterClient(void* client, TClientCallback callback);
    void UnregisterClient(void* client);
    void Changed(int event, TBvID3Frame* frame);
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    bool Modified() const { return modified_; }
    std::function<void(int event, TBvID3Frame*)> OnChange;

    TBvID3EncodingChoice ReadEncodingChoice() const { return readEncodingChoice_; }
    void SetReadEncodingChoice(TBvID3EncodingChoice c);
    TBvID3EncodingChoice WriteEncodingChoice() const { return writeEncodingChoice_; }
    void SetWriteEncodingChoice(TBvID3EncodingChoice c);
    TBvID3VersionChoice ReadVersionChoice = vcAuto;
    TBvID3VersionChoice WriteVersionChoice = vcAuto;
    uint32_t Options = 3;

    // The version of the tag as read, and the ones used for reading and writing.
    TBvID3Version Version() const { return header_.Version(); }
    void SetVersion(TBvID3Version v);
    TBvID3Version ReadVersion() const;
    TBvID3Version WriteVersion() const;
    bool Reading() const { return reading_; }
    bool Writing() const { return writing_; }

    // Serialises the tag: header, extended header, frames and padding bytes.
    std::string RenderTag(uint32_t padding = 0);

    // The stream frames read from while a tag is read (per-frame unsynchronisation).
    TBvID3Stream& TempStream() { return tempStream_; }
    // Claims a unique component name for a new frame.
    std::string UniqueFrameName(const std::string& idString, const char* className);
    void ReleaseFrameName(const std::string& name) { frameNames_.erase(name); }

    // Frames whose content was damaged and therefore dropped, for the curious.
    int SkippedFrames() const { return skippedFrames_; }

private:
    void ReadTag(TBvReadStream& f);
    void ReadFrames(TBvID3Stream& s, TBvID3Version v);
    uint8_t AllowedEncodings(TBvID3Version v, TBvID3EncodingChoice c) const;
    void NotifyClients();
    void FinishOpen();

    bool reading_ = false;
    bool writing_ = false;
    TBvID3Stream tagStream_;
    TBvID3Stream tempStream_;
    TBvID3Frames frames_;
    std::vector<std::pair<void*, TClientCallback>> clients_;
    TBvID3FileInfo fileInfo_;
    TBvID3Header header_{this};
    TBvID3ExtendedHeader extendedHeader_{this};
    bool active_ = false;
    std::string fileName_;
    bool modified_ = false;
    TBvID3EncodingChoice writeEncodingChoice_ = ecAuto;
    TBvID3EncodingChoice readEncodingChoice_ = ecAuto;
    int updateCount_ = 0;
    TBvID3Version readVersion_ = ive2_4;
    std::unordered_set<std::string> frameNames_;
    int skippedFrames_ = 0;
    // File offset just past the last frame read whole (past the header before any).
    int64_t wholeFramesEnd_ = 0;
};

// "name: text" for a named controller, the text alone otherwise.
std::string ID3ErrorText(const TBvID3Controller* controller, const std::string& text);
