// Word, file-name and command-line routines of the component kit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Words are runs of characters not in wordDelims (a set of bytes).
// 1-based position of the start of word n (from 1); 0 when there are fewer.
int WordPosition(int n, std::string_view s, std::string_view wordDelims);
// Word n, or the empty text.
std::string ExtractWord(int n, std::string_view s, std::string_view wordDelims);
bool HasAnyChar(std::string_view s, std::string_view chars);
// Not empty, none of / < > " ? * |, and no backslash in the name part.
bool ValidFileName(std::string_view fileName);

// Command-line parameters, split by the Windows rules: blanks and control
// characters separate them, a double quote starts a quoted part (blanks
// included, quotes not copied) and a pair of double quotes between parameters
// is skipped. A zero byte ends the text. Collects one parameter from pos (0-based)
// and returns the position after it.
size_t GetParamStr(std::string_view text, size_t pos, std::string& param);
// The number of parameters before the first empty one.
int ParamCountOf(std::string_view text);
// Parameter index (from 0); empty when there is none.
std::string ParamAt(std::string_view text, int index);
// Parameter 0, and the others joined by one blank, each one holding a blank
// enclosed in double quotes.
void SplitCommandLine(std::string_view cmdLine, std::string& exeName, std::string& params);

// The file that a text typed or stored for a program names: an existing file as it stands, an
// existing folder without its trailing separator, and any other text read as a command line
// whose first parameter is taken (a part in double quotes, or the text up to the first blank).
// Paths may be in the drive-letter form or Linux paths.
std::string FileNameFromText(std::string_view text);

// The name of the file or folder that a Windows-form path names, as it is
// written on the disk (case included); empty when there is none. There are no
// short (8.3) names here, so GetShortFileName gives the same name.
std::string GetLongFileName(std::string_view name);
std::string GetShortFileName(std::string_view name);
