#include "BvID3FileInfo.h"

#include "RtBits.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

const int32_t BitrateRows[5][16] = {
    {-2, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, -1},
    {-2, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, -1},
    {-2, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1},
    {-2, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, -1},
    {-2, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1},
};
// Row by (MPEG-1 or not, layer field).
const int RowOf[2][4] = {{0, 4, 4, 3}, {0, 2, 1, 0}};
const int32_t SampleRates[4][4] = {
    {11025, 12000, 8000, -1}, {0, 0, 0, 0}, {22050, 24000, 16000, -1}, {44100, 48000, 32000, -1}};
const double Coefficient[4] = {1, 144000, 144000, 48000};
constexpr int BlockSize = 3840;

int32_t RoundToInt32(double v) {
    if (!std::isfinite(v))
        return 0;
    if (v >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (v <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return int32_t(Round(v));
}

} // namespace

int64_t FindFrameSync(TBvReadStream& stream, int64_t startOffset, uint8_t* header, int count) {
    int64_t p = stream.Seek(startOffset);
    std::vector<uint8_t> block(BlockSize);
    bool previousWasFF = false;
    for (;;) {
        const int64_t got = stream.Read(block.data(), BlockSize);
        if (got <= 0)
            return -1;
        for (int64_t i = 0; i < got; ++i) {
            const uint8_t b = block[size_t(i)];
            if (previousWasFF && (b & 0xE0) == 0xE0) {
                const int64_t sync = p + i - 1;
                if (i == 0 || got - (i - 1) <= count) {
                    stream.Seek(sync);
                    if (stream.Read(header, count) < count)
                        return -1;
                } else {
                    std::memcpy(header, block.data() + i - 1, size_t(count));
                }
                return sync;
            }
            previousWasFF = b == 0xFF;
        }
        p += got;
    }
}

void TBvID3FileInfo::ResetFileInfo() {
    AudioByteCount = 0;
    BitrateKbps = 0;
    HeaderBits = 0;
    ChannelModeCode = 0;
    EmphasisCode = 0;
    FileByteSize = 0;
    FrameTotal = 0;
    FrameByteLength = 0;
    HasV1Trailer = false;
    FirstFrameOffset = -1;
    IsVariableRate = false;
    LayerCode = 0;
    LengthSeconds = 0;
    ModeExtensionCode = 0;
    PaddingByteCount = 0;
    SampleRateHz = 0;
    MpegVersionCode = 0;
}

void TBvID3FileInfo::DecodeFrameHeader(const uint8_t* h) {
    if ((h[1] & 1) == 0)
        HeaderBits |= hbProtected;
    LayerCode = (h[1] >> 1) & 3;
    MpegVersionCode = (h[1] >> 3) & 3;
    if (LayerCode == 0 || MpegVersionCode == 1)
        return;
    if (h[2] & 1)
        HeaderBits |= hbPrivate;
    const bool padding = (h[2] & 2) != 0;
    SampleRateHz = SampleRates[MpegVersionCode][(h[2] >> 2) & 3];
    BitrateKbps = BitrateRows[RowOf[MpegVersionCode == 3][LayerCode]][h[2] >> 4];
    if (BitrateKbps == -1)
        return;
    EmphasisCode = h[3] & 3;
    if (h[3] & 4)
        HeaderBits |= hbMaster;
    if (h[3] & 8)
        HeaderBits |= hbRestricted;
    ModeExtensionCode = (h[3] >> 4) & 3;
    ChannelModeCode = h[3] >> 6;
    PaddingByteCount = !padding ? 0 : LayerCode == 3 ? 4 : 1;
}

void TBvID3FileInfo::ReadVbrHeader(const uint8_t* h) {
    int offset;
    if (MpegVersionCode == 3)
        offset = ChannelModeCode == 3 ? 21 : 36;
    else
        offset = ChannelModeCode == 3 ? 13 : 21;
    // The copy is 52 bytes: 4 signature, 4 flags and two words fit after offset 36.
    const uint8_t* p = h + offset;
    if (std::memcmp(p, "Xing", 4) != 0 && std::memcmp(p, "Info", 4) != 0)
        return;
    IsVariableRate = true;
    const uint32_t flags = ReadBE32(p + 4);
    p += 8;
    if (flags & 1) {
        FrameTotal = int32_t(ReadBE32(p));
        p += 4;
    }
    // A byte count that reads as negative is damage; the file's own size stands in for it.
    if (flags & 2)
        AudioByteCount = std::max<int64_t>(0, int32_t(ReadBE32(p)));
}

void TBvID3FileInfo::ReadFileInfo(TBvReadStream& stream, int64_t startOffset) {
    ResetFileInfo();
    // The size is known even when no frame is found, so such a file still shows it.
    FileByteSize = stream.Size();
    uint8_t header[HeaderCopySize];
    FirstFrameOffset = FindFrameSync(stream, startOffset, header, HeaderCopySize);
    if (FirstFrameOffset < 0)
        return;
    DecodeFrameHeader(header);
    ReadVbrHeader(header);
    if (AudioByteCount == 0 && FileByteSize >= 128) {
        char tag[3];
        stream.Seek(FileByteSize - 128);
        HasV1Trailer = stream.Read(tag, 3) == 3 && std::memcmp(tag, "TAG", 3) == 0;
    }
    CalcLengthAndRate();
}

void TBvID3FileInfo::CalcLengthAndRate() {
    if (AudioByteCount == 0)
        AudioByteCount = FileByteSize - FirstFrameOffset - (HasV1Trailer ? 128 : 0);
    const bool mpeg2 = MpegVersionCode == 2 || MpegVersionCode == 0;
    if (AudioByteCount > 0 && FrameTotal > 0) {
        const double average = double(AudioByteCount) / FrameTotal;
        FrameByteLength = RoundToInt32(average);
        double rate = SampleRateHz * average / Coefficient[LayerCode];
        if (mpeg2)
            rate *= 2;
        // A reserved version or rate leaves no usable rate: no length then.
        if (rate > 0) {
            BitrateKbps = RoundToInt32(rate);
            LengthSeconds = RoundToInt32(double(AudioByteCount) * 8 / (rate * 1000));
        }
    } else if (BitrateKbps >= 1) {
        LengthSeconds = RoundToInt32(double(AudioByteCount) * 8 / (BitrateKbps * 1000.0));
    }
    if (FrameByteLength == 0) {
        double f = 0;
        if (BitrateKbps != -2 && SampleRateHz > 0) {
            f = Coefficient[LayerCode] * BitrateKbps / SampleRateHz + PaddingByteCount;
            if (mpeg2)
                f /= 2;
        }
        if (f > 0) {
            FrameTotal = RoundToInt32(double(AudioByteCount) / f);
            FrameByteLength = RoundToInt32(f);
        }
    }
}
