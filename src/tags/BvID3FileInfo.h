// What the MPEG audio behind the tag says: where the first frame starts, its
// header fields, the VBR ("Xing"/"Info") header, and from them the playing
// time and the bitrate.
#pragma once

#include "BvReadStream.h"
#include "SysUtils.h"

#include <cstdint>

enum TBvID3HeaderBit : uint8_t { hbProtected = 1, hbPrivate = 2, hbRestricted = 4, hbMaster = 8 };

// Returns the offset of the first 0xFF byte followed by a byte with its top three
// bits set, at or after startOffset, and copies count bytes from there into
// header; -1 when there is none or fewer than count bytes follow it.
int64_t FindFrameSync(TBvReadStream& stream, int64_t startOffset, uint8_t* header, int count);

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
    void CalcLengthAndRate();
};
