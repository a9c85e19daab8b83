// Any audio file the FFmpeg libraries read (an M4A's AAC above all) to a 16-bit PCM WAV
// file, which the encoders take as their source.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// Paths are Linux paths; the name is for messages. Writes linuxTarget directly; the
// caller handles temporary names. Keeps the sample rate and at most two channels.
// Failures raise ECodecGateError, a stop raises EAbort.
void DecodeToWav(const std::string& linuxSource, const std::string& linuxTarget,
                 const std::string& sourceName, const std::atomic<uint8_t>* cancel);
