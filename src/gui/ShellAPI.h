// Files dropped from other programs: the drop handle the target's WM_DROPFILES carries,
// the queries on it, and the path conversion at the boundary (Linux paths from Qt become
// the program's drive-letter form).
#pragma once

#include "Types.h"

#include <string>
#include <vector>

struct TDropFiles;
using HDROP = TDropFiles*;
constexpr unsigned kDragQueryFileCount = 0xFFFFFFFFu;

// With index kDragQueryFileCount: the number of files. Otherwise the length of the
// name at index, and when buffer is given, the name copied (cut to size - 1, zero-ended).
unsigned DragQueryFile(HDROP drop, unsigned index, char* buffer, unsigned size);
bool DragQueryPoint(HDROP drop, TPoint* point);
// Releases the handle; a handle released twice or never made is ignored.
void DragFinish(HDROP drop);
void DragAcceptFiles(HWND window, bool accept);
// Handles made and not released yet.
int PendingDropHandles();

// Sends WM_DROPFILES with the files (local paths) to the target; the handle is released
// afterwards in any case, also when the target's handler raises.
void DeliverDroppedFiles(TWinControl* target, const std::vector<std::string>& localPaths,
                         TPoint clientPos);

// The boundary between Qt's local paths and the program's drive-letter paths.
std::string LocalPathToProgram(const std::string& localPath);
std::string ProgramPathToLocal(const std::string& programPath);
