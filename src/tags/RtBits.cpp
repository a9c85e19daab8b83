#include "RtBits.h"

uint8_t SetByteBit(uint8_t value, uint8_t bit) {
    return uint8_t(value | (1u << (bit & 7)));
}

void SetBufferBit(void* buffer, uint8_t bit) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    bytes[bit >> 3] = SetByteBit(bytes[bit >> 3], bit);
}

bool TestByteBit(uint8_t value, uint8_t bit) {
    return (value & (1u << (bit & 7))) != 0;
}

bool TestBufferBit(const void* buffer, uint8_t bit) {
    return TestByteBit(static_cast<const uint8_t*>(buffer)[bit >> 3], bit);
}

uint16_t ByteSwap16(uint16_t value) {
    return uint16_t((value >> 8) | (value << 8));
}

uint32_t ByteSwap32(uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

int32_t ByteSwap32(int32_t value) {
    return static_cast<int32_t>(ByteSwap32(static_cast<uint32_t>(value)));
}

int32_t SmallerOf(int32_t a, int32_t b) {
    return a < b ? a : b;
}
