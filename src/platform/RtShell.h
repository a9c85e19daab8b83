// Deleting files and folders the way the shell's delete operation does, over
// the drive table. Links are removed, never followed; a drive's root and an
// empty path are never deleted.
#pragma once

#include <cstdint>
#include <set>
#include <string_view>

enum TDeleteOption { doSilent, doAllowUndo, doFilesOnly };
using TDeleteOptions = std::set<TDeleteOption>;

// The shell flags of a set of options (doSilent 0x614, doAllowUndo 0x40, doFilesOnly 0x80).
uint16_t DeleteOptionsToFlags(const TDeleteOptions& options);

// Deletes one path or every entry matching a wildcard mask (folders with all
// they hold; with doFilesOnly a mask takes files only). A mask matching nothing
// succeeds; a missing named path fails. Never raises.
bool SHDeleteFiles(uintptr_t parent, std::string_view files, const TDeleteOptions& options);
// Deletes the folder's contents, then the folder. Never raises.
bool SHDeleteFolder(uintptr_t parent, std::string_view folder, TDeleteOptions options);
