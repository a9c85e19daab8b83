// String routines of the runtime on the program's byte strings (UTF-8 text).
// Positions are 1-based. Case-insensitive search and replace compare whole
// characters by Unicode case; the single-byte case tables fold ASCII only,
// since a byte above 0x7F is part of a UTF-8 sequence here.
#pragma once

#include "Classes.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };
using TReplaceFlags = std::set<TReplaceFlag>;

// Replaces Search by Replace in S; matches never overlap and replaced text is
// not searched again. An empty Search turns an empty S into Replace and raises
// ERtError "Search string cannot be blank" for any other S.
void StrReplace(std::string& s, std::string_view search, std::string_view replace,
                const TReplaceFlags& flags);
std::string StrReplaceChar(std::string_view s, char source, char replace);
std::string StrTrimCharLeft(std::string_view s, char c);
std::string StrTrimCharRight(std::string_view s, char c);
int StrCharCount(std::string_view s, char c);
// Position of the first case-insensitive occurrence at or after index; 0 when none.
int StrFind(std::string_view subStr, std::string_view s, int index = 1);
std::string StrAfter(std::string_view subStr, std::string_view s);
std::string StrBefore(std::string_view subStr, std::string_view s);
std::string StrLeft(std::string_view s, int count);
std::string StrRestOf(std::string_view s, int n);
std::string StrChopRight(std::string_view s, int n);
int PCharLength(const char* p);
void StrCutAtZero(std::string& s);
bool CharIsUpperCase(char c);
bool CharIsLowerCase(char c);
char CharToUpper(char c);

// The zero-separated block: every entry and a zero byte, then one more zero.
// Raises ERtError for an empty entry. Release it with ReleaseMultiSz.
char* StringsToMultiSz(char*& dest, const TStrings& source);
void AllocMultiSz(char*& dest, int len);
void ReleaseMultiSz(char*& dest);

void StrToStrings(std::string s, std::string_view sep, TStrings& list, bool allowEmpty = true);
std::string StringsToStr(const TStrings& list, std::string_view sep, bool allowEmpty = true);

// The whole file as bytes / a new file holding exactly these bytes. Raise the
// file stream's EFOpenError, EFCreateError, EReadError or EWriteError.
std::string FileToString(std::string_view fileName);
void StringToFile(std::string_view fileName, std::string_view contents);
