#include "RtMime.h"

#include <algorithm>

namespace {
constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DigitOf(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}
} // namespace

int64_t Base64EncodedLength(int64_t n) {
    if (n <= 0)
        return 0;
    return (n + 2) / 3 * 4 + (n - 1) / 57 * 2;
}

int64_t Base64DecodedRoom(int64_t n) {
    return n <= 0 ? 0 : (n + 3) / 4 * 3;
}

std::string EncodeBase64Text(std::string_view bytes) {
    std::string out;
    out.reserve(static_cast<size_t>(Base64EncodedLength(static_cast<int64_t>(bytes.size()))));
    for (size_t line = 0; line < bytes.size(); line += 57) {
        if (line > 0)
            out += "\r\n";
        const size_t end = std::min(bytes.size(), line + 57);
        size_t i = line;
        for (; i + 3 <= end; i += 3) {
            uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                         static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                         static_cast<unsigned char>(bytes[i + 2]);
            out += alphabet[v >> 18 & 63];
            out += alphabet[v >> 12 & 63];
            out += alphabet[v >> 6 & 63];
            out += alphabet[v & 63];
        }
        if (end - i == 1) {
            uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 4;
            out += alphabet[v >> 6 & 63];
            out += alphabet[v & 63];
            out += "==";
        } else if (end - i == 2) {
            uint32_t v = (static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 8 |
                          static_cast<unsigned char>(bytes[i + 1]))
                         << 2;
            out += alphabet[v >> 12 & 63];
            out += alphabet[v >> 6 & 63];
            out += alphabet[v & 63];
            out += '=';
        }
    }
    return out;
}

std::string DecodeBase64Text(std::string_view text) {
    std::string out;
    out.reserve(static_cast<size_t>(Base64DecodedRoom(static_cast<int64_t>(text.size()))));
    uint32_t acc = 0;
    int pending = 0;
    for (unsigned char c : text) {
        int d = DigitOf(c);
        if (d < 0)
            continue;
        acc = acc << 6 | static_cast<uint32_t>(d);
        if (++pending == 4) {
            out += static_cast<char>(acc >> 16 & 0xFF);
            out += static_cast<char>(acc >> 8 & 0xFF);
            out += static_cast<char>(acc & 0xFF);
            acc = 0;
            pending = 0;
        }
    }
    if (pending == 3) {
        out += static_cast<char>(acc >> 10 & 0xFF);
        out += static_cast<char>(acc >> 2 & 0xFF);
    } else if (pending == 2) {
        out += static_cast<char>(acc >> 4 & 0xFF);
    }
    return out;
}
