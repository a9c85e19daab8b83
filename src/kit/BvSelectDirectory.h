// The folder chooser: Qt's folder dialog, either opening in InitialDir (the classic
// dialog) or browsing from InitialDir as its root (the shell browser's way).
#pragma once

#include "Component.h"

#include <cstdint>
#include <string>

enum TSelectDirOpt : uint8_t { sdAllowCreate = 1, sdPerformCreate = 2, sdPrompt = 4 };
using TSelectDirOpts = uint8_t;

class TBvSelectDirectory : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvSelectDirectory(TComponent* owner);
    // The chosen folder, in drive-letter form.
    const std::string& Directory() const { return directory_; }
    int HelpContext = 0;
    std::string InitialDir;
    bool ClassicDialog = true;
    TSelectDirOpts Options = sdAllowCreate | sdPerformCreate | sdPrompt;
    std::string Title;
    // Whether a folder was chosen; Directory holds it (InitialDir otherwise).
    virtual bool Execute();

private:
    std::string directory_;
};
