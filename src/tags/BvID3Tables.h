// The fixed tables of ID3: frame identifiers, ID3v1 genre names and language codes.
#pragma once

#include "BvID3Types.h"

#include <string>
#include <string_view>

// The 3- (version 2.2) or 4-character (2.3, 2.4) identifier, zero bytes where
// the version has none. Other sizes raise EBvException.
std::string FrameIDToString(TBvID3FrameID id, int size);
TBvID3FrameID StringToFrameID(std::string_view s);

constexpr int GenreCount = 148;
constexpr int GenreCountWithoutExtension = 80;
// 12 ("Other") without the extension, 255 with it, when the name is unknown.
int GenreToID(std::string_view name, bool withExtension);
std::string IDToGenre(int number, bool withExtension);

bool IsValidLanguage(std::string_view code);
int LanguageIndex(std::string_view code);
int LanguageCount();
