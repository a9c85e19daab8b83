// The codec library's two calls: the playing time of an M4A file, and the encoding
// of a WAV file into an M4A (AAC) file. Paths are in the program's Windows form and
// may come enclosed in double quotes. Both run on the calling thread.
#pragma once

#include "SysUtils.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

BV_DECLARE_EXCEPTION(ECodecGateError, EBvException);

enum class TCodecBitrateMode { Cbr, Vbr };

struct TCodecConvertOptions {
    TCodecBitrateMode Mode = TCodecBitrateMode::Cbr;
    // Kbit/s of the whole stream, used with Cbr.
    int BitrateKbps = 128;
    // Position in the quality list ("lowest" to "ultra"), used with Vbr. The list's
    // texts can be translated, so the position alone chooses; it is clamped to the list.
    int VbrQualityIndex = 4;
    // The slower, better search for the quantizers ("High quality m4a conversion").
    bool HighQuality = false;
    // The run's stop flag: when non-zero the encoding stops with EAbort and leaves no target.
    const std::atomic<uint8_t>* Cancel = nullptr;
};

namespace CodecGate {

// Number of items of the VBR quality list.
constexpr int VbrQualityCount = 8;

// The playing time in whole seconds (rounded), read from the file's own boxes; 0 when
// the file does not record it. A missing, unreadable or damaged file raises
// ECodecGateError.
int32_t gettime(const std::string& fileName);

// The same playing time in milliseconds, for comparing an encoded file with its source.
int64_t gettimems(const std::string& fileName);

// Encodes the WAV file source into the M4A file target with the native AAC encoder.
// The target is written under a temporary name and renamed when complete, so it exists
// only when the conversion succeeded. Failures raise ECodecGateError (EAbort on cancel).
void convert(const std::string& source, const std::string& target,
             const TCodecConvertOptions& options);

// The native encoder's quality value for a position of the VBR quality list.
double VbrQualityScale(int index);

// The Linux path of a program path: one pair of enclosing quotes removed, then the
// drive translated.
std::string CodecLinuxPath(const std::string& fileName);

} // namespace CodecGate
