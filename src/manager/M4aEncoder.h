// WAV to M4A (AAC-LC in an MP4 container) with the FFmpeg libraries.
#pragma once

#include "CodecGate.h"

#include <string>

// Paths are Linux paths; names are for messages. Writes linuxTarget directly; the
// caller handles temporary names.
void EncodeWavToM4a(const std::string& linuxSource, const std::string& linuxTarget,
                    const std::string& sourceName, const TCodecConvertOptions& options);
