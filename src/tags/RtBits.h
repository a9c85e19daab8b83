// Bit tests and byte-order reversal shared by the tag code.
#pragma once

#include <cstdint>

uint8_t SetByteBit(uint8_t value, uint8_t bit);
// Buffers are addressed by bit numbers 0-255, so at most 32 bytes are touched.
void SetBufferBit(void* buffer, uint8_t bit);
bool TestByteBit(uint8_t value, uint8_t bit);
bool TestBufferBit(const void* buffer, uint8_t bit);

uint16_t ByteSwap16(uint16_t value);
uint32_t ByteSwap32(uint32_t value);
int32_t ByteSwap32(int32_t value);

int32_t SmallerOf(int32_t a, int32_t b);

// Big-endian reads from raw bytes, used wherever the file's byte order is fixed.
inline uint32_t ReadBE32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline uint16_t ReadBE16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}
