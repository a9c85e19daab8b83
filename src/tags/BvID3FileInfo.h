// What the MPEG audio behind the tag says: where the first frame starts, its
// header fields, the VBR ("Xing"/"Info") header, and from them the playing
// time and the bitrate.
#pragma once

#include "BvReadStream.h"
#include "SysUtils.h"

#include <cstdint>

enum TBvID3HeaderBit : uint8_t { hbProtected = 1, hbPrivate = 2, hbRestricted = 4, hbMaster = 8 };

// The stretch past the start of the audio that is searched first, in growing reads.
// Real files put the first frame right behind the tag; one with more padding or junk
// before its audio (a large picture, a second tag) is searched on to its end, in reads
// of this size, keeping no more than about two of them in memory.
constexpr int64_t FrameSearchLimit = 256 * 1024;

// Returns the offset of the first MPEG frame at or after startOffset (and before
// audioEnd): a sync whose header names a real version,
// layer, bitrate and sample rate, and which the header of the frame after it
// confirms, unless the frame reaches audioEnd. Copies count bytes from the frame
// into header, zeros past the end of the file. -1 when there is none.
int64_t FindFirstFrame(TBvReadStream& stream, int64_t startOffset, int64_t audioEnd,
                       uint8_t* header, int count);

class TBvID3FileInfo : public TObject {
public:
    TBvID3FileInfo() { ResetFileInfo(); }

    void ReadFileInfo(TBvReadStream& stream, int64_t startOffset);
    void ResetFileInfo();

    int64_t AudioByteCount;
    int32_t BitrateKbps;
    uint8_t HeaderBits;
    uint8_t ChannelModeCode;
    uint8_t EmphasisCode;
    int64_t FileByteSize;
    int32_t FrameTotal;
    int32_t FrameByteLength;
    bool HasV1Trailer;
    int64_t FirstFrameOffset;
    bool IsVariableRate;
    uint8_t LayerCode;
    int32_t LengthSeconds;
    uint8_t ModeExtensionCode;
    int32_t PaddingByteCount;
    int32_t SampleRateHz;
    uint8_t MpegVersionCode;

    static constexpr int HeaderCopySize = 52;

private:
    void DecodeFrameHeader(const uint8_t* header);
    void ReadVbrHeader(const uint8_t* header);
    void DropImplausibleVbrCounts(bool trailer, int64_t firstFrameLength);
    void CalcLengthAndRate();
};
