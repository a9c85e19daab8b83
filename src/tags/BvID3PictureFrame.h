// Attached pictures ("APIC"; "PIC" in ID3v2.2 with a 3-letter image format).
// The picture bytes are kept as they are; nothing decodes them.
#pragma once

#include "BvID3BinaryFrame.h"

enum TBvID3PictureType : uint8_t {
    ptOther,
    ptFileIcon,
    ptOtherFileIcon,
    ptCoverFront,
    ptCoverBack,
    ptLeafletPage,
    ptMedia,
    ptLeadArtist,
    ptArtist,
    ptConductor,
    ptBand,
    ptComposer,
    ptLyricist,
    ptRecordingLocation,
    ptDuringRecording,
    ptDuringPerformance,
    ptMovieVideoScreenCapture,
    ptBrightColouredFish,
    ptIllustration,
    ptBandLogotype,
    ptPublisherLogotype
};
constexpr int PictureTypeCount = 21;

class TBvID3PictureFrame : public TBvID3BinaryFrame {
public:
    using TBvID3BinaryFrame::TBvID3BinaryFrame;
    TBvID3FrameClass FrameClass() const override { return TBvID3FrameClass::Picture; }
    void ReadFrame(TBvID3Stream& s) override;
    void WriteFrame(TBvID3Stream& s) override;
    int64_t GetFrameSize(TBvID3Encoding e) const override;
    bool GetIsEmpty() const override { return data_.empty() && URL.empty(); }
    bool SameUniqueIDAs(const TBvID3Frame& f) const override;
    void Assign(const TBvID3Frame* source) override;

    std::string MIMEType;
    TBvID3PictureType PictureType = ptOther;
    TBvID3StringPair Description;
    // Set instead of data when the MIME type is "-->" (a link to the picture).
    std::string URL;
    // The file extension the MIME type implies (".jpg", ".png", ...).
    std::string FileExtension() const;
};
