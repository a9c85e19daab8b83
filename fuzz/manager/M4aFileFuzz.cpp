// Feeds arbitrary bytes to the M4A box reader: it may refuse them, never crash.
#include "CodecGate.h"
#include "M4aFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TM4aFile file;
    try {
        file.LoadFromBytes(std::string(reinterpret_cast<const char*>(data), size), "fuzz.m4a");
    } catch (const ECodecGateError&) {
    }
    return 0;
}
