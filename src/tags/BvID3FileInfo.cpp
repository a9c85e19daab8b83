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

namespace {

// The bytes of the stream from a start offset on, read in growing chunks as the
// search asks for them, so a frame right behind the tag costs one small read. A long
// search drops what lies behind it, so a large file never sits whole in memory.
class TSearchWindow {
public:
    TSearchWindow(TBvReadStream& stream, int64_t start) : stream_(stream), start_(start) {}

    // Loads the bytes up to end (exclusive); false when the stream ends before.
    bool Ensure(int64_t end) {
        while (start_ + int64_t(bytes_.size()) < end) {
            if (ended_)
                return false;
            const int64_t loaded = start_ + int64_t(bytes_.size());
            const int64_t chunk = std::max<int64_t>(end - loaded, nextChunk_);
            nextChunk_ = std::min<int64_t>(2 * nextChunk_, FrameSearchLimit);
            const size_t old = bytes_.size();
            bytes_.resize(old + size_t(chunk));
            stream_.Seek(loaded);
            const int64_t got = std::max<int64_t>(0, stream_.Read(bytes_.data() + old, chunk));
            bytes_.resize(old + size_t(got));
            ended_ = got < chunk;
        }
        return true;
    }
    int64_t LoadedEnd() const { return start_ + int64_t(bytes_.size()); }
    const uint8_t* At(int64_t offset) const { return bytes_.data() + (offset - start_); }
    // Forgets the bytes before offset once they make up a whole search stretch.
    void DropBefore(int64_t offset) {
        if (offset - start_ < FrameSearchLimit)
            return;
        bytes_.erase(bytes_.begin(), bytes_.begin() + (offset - start_));
        start_ = offset;
    }

private:
    static constexpr int64_t FirstChunk = 4096;
    TBvReadStream& stream_;
    int64_t start_;
    std::vector<uint8_t> bytes_;
    int64_t nextChunk_ = FirstChunk;
    bool ended_ = false;
};

struct TFrameHeader {
    int version, layer, rateIndex, length;
};

// A header is a frame's only when every field names something real: a version and
// layer that are not reserved, a bitrate that is neither free nor forbidden, and a
// sample rate that is not reserved. Its length follows from them.
bool ParseFrameHeader(const uint8_t* h, TFrameHeader& out) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return false;
    const int version = (h[1] >> 3) & 3;
    const int layer = (h[1] >> 1) & 3;
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    const int64_t bitrate = int64_t(BitrateRows[RowOf[version == 3][layer]][bitrateIndex]) * 1000;
    const int64_t rate = SampleRates[version][rateIndex];
    const int padding = (h[2] >> 1) & 1;
    int64_t length;
    if (layer == 3)
        length = (12 * bitrate / rate + padding) * 4;
    else if (layer == 2 || version == 3)
        length = 144 * bitrate / rate + padding;
    else
        length = 72 * bitrate / rate + padding; // Layer III of MPEG-2 and 2.5: half the samples
    out = {version, layer, rateIndex, int(length)};
    return true;
}

} // namespace

int64_t FindFirstFrame(TBvReadStream& stream, int64_t startOffset, int64_t audioEnd,
                       uint8_t* header, int count) {
    startOffset = std::max<int64_t>(0, startOffset);
    TSearchWindow window(stream, startOffset);
    // Candidates lie before the trailer, whose text is no audio.
    const int64_t last = audioEnd;
    int64_t p = startOffset;
    while (p < last) {
        window.DropBefore(p);
        if (!window.Ensure(p + 4))
            return -1;
        // Look for the next 0xFF among what is loaded.
        const int64_t scanEnd = std::min(window.LoadedEnd() - 3, last);
        const void* ff = std::memchr(window.At(p), 0xFF, size_t(scanEnd - p));
        if (!ff) {
            p = scanEnd;
            continue;
        }
        p += static_cast<const uint8_t*>(ff) - window.At(p);
        TFrameHeader first;
        if (!ParseFrameHeader(window.At(p), first)) {
            ++p;
            continue;
        }
        const int64_t next = p + first.length;
        bool confirmed;
        if (next + 4 > audioEnd) {
            // The only frame left in the file: nothing after it to ask.
            confirmed = true;
        } else {
            TFrameHeader second;
            confirmed = window.Ensure(next + 4) && ParseFrameHeader(window.At(next), second) &&
                        second.version == first.version && second.layer == first.layer &&
                        second.rateIndex == first.rateIndex;
        }
        if (!confirmed) {
            ++p;
            continue;
        }
        window.Ensure(p + count);
        const int64_t have = std::clamp<int64_t>(window.LoadedEnd() - p, 0, count);
        std::memcpy(header, window.At(p), size_t(have));
        std::memset(header + have, 0, size_t(count - have));
        return p;
    }
    return -1;
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

// A VBR header is written once by the encoder and not kept up to date by tools
// that cut or join files; counts that the file cannot hold, or that give an
// average bitrate no frame of this kind can have, are damage. The file's own
// audio bytes and the first frame's bitrate then give the estimate.
void TBvID3FileInfo::DropImplausibleVbrCounts(bool trailer, int64_t firstFrameLength) {
    if (!IsVariableRate)
        return;
    const int64_t held = FileByteSize - FirstFrameOffset;
    // The counted bytes hold at least the frame that carries the count.
    bool plausible = AudioByteCount <= held &&
                     (AudioByteCount == 0 || AudioByteCount >= std::min(held, firstFrameLength));
    if (plausible && FrameTotal != 0) {
        const int64_t bytes = AudioByteCount > 0 ? AudioByteCount : held - (trailer ? 128 : 0);
        const int32_t* row = BitrateRows[RowOf[MpegVersionCode == 3][LayerCode]];
        double rate = FrameTotal > 0 && SampleRateHz > 0
                          ? SampleRateHz * (double(bytes) / FrameTotal) / Coefficient[LayerCode]
                          : 0;
        if (MpegVersionCode == 2 || MpegVersionCode == 0)
            rate *= 2;
        // Rounding of the average may pass the table's ends by a fraction.
        plausible = rate >= row[1] - 1 && rate <= row[14] + 1;
    }
    if (!plausible) {
        IsVariableRate = false;
        AudioByteCount = 0;
        FrameTotal = 0;
    }
}

void TBvID3FileInfo::ReadFileInfo(TBvReadStream& stream, int64_t startOffset) {
    ResetFileInfo();
    // The size is known even when no frame is found, so such a file still shows it.
    FileByteSize = stream.Size();
    bool trailer = false;
    if (FileByteSize >= 128) {
        char tag[3];
        stream.Seek(FileByteSize - 128);
        trailer = stream.Read(tag, 3) == 3 && std::memcmp(tag, "TAG", 3) == 0;
    }
    uint8_t header[HeaderCopySize];
    FirstFrameOffset = FindFirstFrame(stream, startOffset, FileByteSize - (trailer ? 128 : 0),
                                      header, HeaderCopySize);
    if (FirstFrameOffset < 0)
        return;
    DecodeFrameHeader(header);
    ReadVbrHeader(header);
    TFrameHeader first{};
    ParseFrameHeader(header, first);
    DropImplausibleVbrCounts(trailer, first.length);
    // A byte count from the VBR header already leaves the trailer out.
    if (AudioByteCount == 0)
        HasV1Trailer = trailer;
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
