// Base64 as the MIME content-transfer encoding writes it: lines of 76
// characters (57 bytes) separated by CR LF, none after the last line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::string EncodeBase64Text(std::string_view bytes);
// Characters outside the alphabet (line breaks, "=", blanks) are skipped.
std::string DecodeBase64Text(std::string_view text);
int64_t Base64EncodedLength(int64_t n);
int64_t Base64DecodedRoom(int64_t n);
