// File-system routines of the runtime: separators, temporary names, folder
// listing, tree deletion, existence and sizes. Paths are in Windows form.
#pragma once

#include "Classes.h"
#include "Files.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

std::string PathWithSeparator(std::string_view path);
std::string PathWithoutSeparator(std::string_view path);

// The temporary folder in Windows form, ending in "\".
std::string TempFolderPath();
// Creates an empty, uniquely named file "<first 3 of Prefix><hex>.tmp" in the
// temporary folder and returns its path; empty on failure.
std::string FileGetTempName(std::string_view prefix);

// Adds the names (no folder part) of the entries matching Mask to List, "." and
// ".." left out; true when something matched and the whole folder was read.
bool ListFolderEntries(std::string_view mask, int attributes, TStrings& list);

using TDeleteTreeProgress = std::function<bool(const std::string& fileName, int attributes)>;
// Deletes a folder and everything below it. A symbolic link is removed as a link
// and never followed; an empty path, a drive's root and a link given as Dir are
// refused. False when anything stayed; what could not be deleted is kept.
bool DeleteTreeEx(std::string_view dir, bool abortOnFailure, const TDeleteTreeProgress& progress);
bool DeleteTree(std::string_view dir);
// Removes one entry by its Linux path: a folder with its tree, a file even when
// read-only, a link as a link. Never a drive's root or an empty path.
bool DeleteLinuxEntry(const std::string& linuxPath);
// moveToRecycleBin is accepted and the tree is deleted for good: this system
// has no recycle bin on the cards the program deletes from.
bool DeleteDirectory(std::string_view dir, bool moveToRecycleBin);

bool DirectoryExists(std::string_view name);
// The low 32 bits of the size of the first match of FindFirst(name, faAnyFile); -1 when none.
int32_t FileSizeProbe(std::string_view fileName);
// True for a file or a folder (and for a mask that matches anything), whatever its size.
bool FileExists(std::string_view fileName);
// The 64-bit size; raises EOSError for a missing file.
int64_t GetSizeOfFile(std::string_view fileName);

// The program's file (module 0 or any other handle: everything is linked in).
std::string ModuleFilePath(uintptr_t module);

struct TVSFixedFileInfo {
    uint32_t dwSignature, dwStrucVersion, dwFileVersionMS, dwFileVersionLS, dwProductVersionMS,
        dwProductVersionLS, dwFileFlagsMask, dwFileFlags, dwFileOS, dwFileType, dwFileSubtype,
        dwFileDateMS, dwFileDateLS;
};
// Linux programs carry no version resource: always false.
bool ReadFixedVersionInfo(std::string_view fileName, TVSFixedFileInfo& info);

// Writes contents to a temporary file in the target's folder, flushes it to
// the disk and renames it over the target, so the target is either the old
// file or the new one. Raises EFCreateError or EWriteError; the target is
// untouched then.
void AtomicReplaceFile(std::string_view fileName, std::string_view contents);
// Replaces files that belong together, each by (name, contents): all are written to
// temporary files beside their targets and flushed first, and only when every one is
// written are they renamed over their targets. A write that fails touches no target
// and leaves no temporary file. Only a rename failing part way (which a full card
// cannot cause: the bytes are already written) can leave the set mixed; it raises.
void AtomicReplaceFiles(const std::vector<std::pair<std::string, std::string>>& files);
// Creates a new file with a unique name, prefix + 16 hex digits, in a Linux folder,
// with mode as open() gives it (the process's umask applies). Returns the descriptor,
// read-write and closed on exec, and sets linuxPath; -1 with errno on failure.
int CreateUniqueFile(const std::string& linuxFolder, std::string_view prefix, unsigned mode,
                     std::string& linuxPath);
