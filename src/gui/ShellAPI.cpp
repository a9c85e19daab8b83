#include "ShellAPI.h"

#include "Controls.h"
#include "Forms.h"

#include <cstring>
#include <set>

#if __has_include("Drives.h")
#include "Drives.h"
#define BV_HAVE_DRIVES 1
#endif

struct TDropFiles {
    std::vector<std::string> Files;
    TPoint Point;
};

namespace {
std::set<HDROP>& LiveDrops() {
    static std::set<HDROP> drops;
    return drops;
}
} // namespace

unsigned DragQueryFile(HDROP drop, unsigned index, char* buffer, unsigned size) {
    if (!drop || !LiveDrops().count(drop))
        return 0;
    if (index == kDragQueryFileCount)
        return static_cast<unsigned>(drop->Files.size());
    if (index >= drop->Files.size())
        return 0;
    const std::string& name = drop->Files[index];
    if (buffer && size > 0) {
        size_t n = std::min<size_t>(name.size(), size - 1);
        std::memcpy(buffer, name.data(), n);
        buffer[n] = '\0';
        return static_cast<unsigned>(n);
    }
    return static_cast<unsigned>(name.size());
}

bool DragQueryPoint(HDROP drop, TPoint* point) {
    if (!drop || !LiveDrops().count(drop) || !point)
        return false;
    *point = drop->Point;
    return true;
}

void DragFinish(HDROP drop) {
    if (!drop || !LiveDrops().erase(drop))
        return;
    delete drop;
}

void DragAcceptFiles(HWND window, bool accept) {
    if (window)
        window->SetAcceptFiles(accept);
}

int PendingDropHandles() {
    return static_cast<int>(LiveDrops().size());
}

std::string LocalPathToProgram(const std::string& localPath) {
#ifdef BV_HAVE_DRIVES
    return ToWindowsPath(localPath);
#else
    // "C:" is the root until the drive table is there.
    std::string out = "C:";
    for (char c : localPath)
        out += c == '/' ? '\\' : c;
    return out;
#endif
}

std::string ProgramPathToLocal(const std::string& programPath) {
#ifdef BV_HAVE_DRIVES
    return ToLinuxPath(programPath);
#else
    std::string rest =
        programPath.size() >= 2 && programPath[1] == ':' ? programPath.substr(2) : programPath;
    for (char& c : rest)
        if (c == '\\')
            c = '/';
    return rest.empty() ? "/" : rest;
#endif
}

void DeliverDroppedFiles(TWinControl* target, const std::vector<std::string>& localPaths,
                         TPoint clientPos) {
    if (!target || !target->AcceptFiles())
        return;
    auto* drop = new TDropFiles;
    for (const auto& p : localPaths) {
        try {
            drop->Files.push_back(LocalPathToProgram(p));
        } catch (const Exception&) {
            // A path outside every drive cannot reach the program; the others still do.
        }
    }
    drop->Point = clientPos;
    LiveDrops().insert(drop);
    try {
        target->Perform(WM_DROPFILES, reinterpret_cast<intptr_t>(drop), 0);
    } catch (...) {
        DragFinish(drop);
        if (Application)
            Application->HandleException(target);
        return;
    }
    DragFinish(drop);
}
