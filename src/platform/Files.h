// The framework's file routines over the drive table: every path is in Windows
// form ("E:\iTunes\x.mp3") and is turned into a Linux path here. Names match
// without regard to case in the last component, as on the card's file system.
// FileExists, DirectoryExists and GetSizeOfFile live in RtFileUtils.h.
#pragma once

#include "Drives.h"
#include "SysUtils.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// File attributes as FindFirst and FileGetAttr report them. Read-only is the
// owner's missing write bit; hidden is a name starting with ".".
enum : int {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
    faNormal = 0x80,
};

struct TSearchRec {
    int32_t Time = 0; // packed DOS date and time of the last change, local time
    int64_t Size = 0;
    int Attr = 0;
    std::string Name; // the entry's name only
    int ExcludeAttr = 0;
    TDateTime TimeStamp = 0; // the last change as a TDateTime
    std::shared_ptr<struct TFindState> FindHandle;
};

// FindFirst("E:\dir\*.mp3", faAnyFile, rec): 0 and rec filled for the first
// entry whose name matches the mask (Windows wildcards: "*", "?", "*.*" also
// matches names without a dot; case is ignored) and whose special attributes
// (hidden, system, volume, directory) are all asked for. Otherwise an error
// number (2 nothing matches, 3 the folder is missing). "." and ".." come first
// when directories are asked for, as Windows lists them.
int FindFirst(std::string_view path, int attr, TSearchRec& rec);
// 0 and the next entry, or 18 (no more files).
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);
// Windows wildcard matching of one name, case ignored.
bool MatchesMask(std::string_view name, std::string_view mask);

// ToLinuxPath, then each component that does not exist as written is matched to
// an existing entry of its folder without regard to case.
std::string ResolvePath(std::string_view windowsPath);

// Attributes of a file or folder, -1 when it is missing.
int FileGetAttr(std::string_view fileName);
// The same for a Linux path.
int LinuxFileAttr(const std::string& linuxPath);
// Only faReadOnly has an effect (the owner's write bit); 0 or an error number.
int FileSetAttr(std::string_view fileName, int attr);
bool FileIsReadOnly(std::string_view fileName);
bool FileSetReadOnly(std::string_view fileName, bool readOnly);
// The last change as a packed DOS date and time, -1 when missing.
int32_t FileAge(std::string_view fileName);

// Creates one folder; false when it exists or its parent is missing.
bool CreateDir(std::string_view dir);
// Creates the folder and every missing parent; true when it exists afterwards.
// Raises EInOutError "Unable to create directory" for an empty path.
bool ForceDirectories(std::string_view dir);
// Removes an empty folder; never a drive's root or an empty path.
bool RemoveDir(std::string_view dir);
// Deletes a file (not a folder); a read-only file is refused, as on Windows.
bool DeleteFile(std::string_view fileName);
// Renames or moves a file or folder; refuses to replace an existing target.
bool RenameFile(std::string_view oldName, std::string_view newName);
// Copies a file's bytes; with failIfExists an existing target is kept.
bool CopyFile(std::string_view existing, std::string_view target, bool failIfExists);

// Windows-form path helpers ("\" and ":" delimit).
std::string ExtractFilePath(std::string_view fileName);  // up to and with the last "\" or ":"
std::string ExtractFileDir(std::string_view fileName);   // the same without a trailing "\"
std::string ExtractFileName(std::string_view fileName);  // after the last "\" or ":"
std::string ExtractFileExt(std::string_view fileName);   // from the last "." of the name
std::string ExtractFileDrive(std::string_view fileName); // "E:" or ""
std::string ChangeFileExt(std::string_view fileName, std::string_view ext);
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
inline std::string IncludeTrailingBackslash(std::string_view p) {
    return IncludeTrailingPathDelimiter(p);
}
inline std::string ExcludeTrailingBackslash(std::string_view p) {
    return ExcludeTrailingPathDelimiter(p);
}
// A full Windows-form path: a relative name is taken against the current
// folder, "." and ".." are resolved.
std::string ExpandFileName(std::string_view fileName);
std::string GetCurrentDir();
bool SetCurrentDir(std::string_view dir);

// Makes a new private folder (mode 0700) in the temporary folder and returns
// its Windows-form path without a trailing "\".
std::string CreateTempFolder(std::string_view prefix = "brisvane");
// The temporary folder ($TMPDIR or /tmp) in Windows form, ending in "\".
std::string GetTempFolder();
// The running program's file in Windows form (ParamStr(0)) and its folder with "\".
std::string ProgramFileName();
std::string ProgramFolder();

// The command line as the framework gives it; main calls SetCommandLine once.
void SetCommandLine(int argc, char** argv);
int ParamCount();
std::string ParamStr(int index);

// Packed DOS date and time <-> TDateTime (local time).
TDateTime FileDateToDateTime(int32_t fileDate);
int32_t DateTimeToFileDate(TDateTime dateTime);
