// The names under which tracks are uploaded to the card: the rename template
// expanded for a row, made safe for the card's file system, and kept unique within
// one run.
#pragma once

#include "BvStringHolder.h"
#include "Classes.h"

#include <set>
#include <string>

// The values of one track row that the rename template can use.
struct TUploadNameFields {
    std::string Artist;
    std::string Title;
    std::string Album;
    std::string Time; // "3:5" or "03:05"
    std::string Size;
    std::string FileName;
    std::string BitRate;
    // 1-based position of the row in the master playlist, 0 when it is not there.
    int MasterPosition = 0;
};

// The 1-based position of row's number in the master playlist, 0 when absent.
int MasterPlaylistPosition(const TStrings& masterPlaylist, int row);

// The fields of a row of a track table; a row out of range raises the list's EListError.
TUploadNameFields UploadNameFieldsOf(const TBvMultiStringHolder& tracks, int row,
                                     const TStrings& masterPlaylist);

// Replaces "<artist>", "<title>", "<album>", "<time>", "<size>", "<ext>",
// "<bitrate>" and "<#>" (any letter case) in one pass: a value is never expanded again.
std::string ExpandRenameTemplate(const std::string& renameTemplate, const TUploadNameFields& fields,
                                 const std::string& kbpsCaption);

// A name the card's file system takes: path and wildcard characters, quotes and control
// characters become blanks, ":" a full stop, trailing dots and blanks go, and the name is
// cut to 255 bytes keeping its extension. An empty result becomes "_".
std::string SanitizeFileName(const std::string& name);

// ExpandRenameTemplate followed by SanitizeFileName.
std::string MakeUploadName(const std::string& renameTemplate, const TUploadNameFields& fields,
                           const std::string& kbpsCaption);

// Hands out names for one run: a name already given (letter case aside, as on the card's
// file system) comes back with " (2)", " (3)" ... before its extension.
class TUploadNamer {
public:
    std::string Claim(const std::string& name);
    // Whether the name (letter case aside) was already given.
    bool IsClaimed(const std::string& name) const;
    void Reset() { used_.clear(); }

private:
    std::set<std::string> used_;
};
