#include "BvSelectDirectory.h"

#include "Dialogs.h"
#include "Files.h"
#include "RtFileUtils.h"

const TClassInfo& TBvSelectDirectory::StaticClassInfo() {
    static const TClassInfo info("TBvSelectDirectory", &TComponent::StaticClassInfo(), {},
                                 "BvSelectDirectory");
    return info;
}

TBvSelectDirectory::TBvSelectDirectory(TComponent* owner) : TComponent(owner) {}

bool TBvSelectDirectory::Execute() {
    directory_ = InitialDir;
    std::string chosen = ClassicDialog ? InitialDir : std::string();
    if (!SelectDirectory(Title, ClassicDialog ? std::string() : InitialDir, chosen,
                         (Options & sdAllowCreate) != 0))
        return false;
    if (!DirectoryExists(chosen)) {
        // A folder that is not there yet: chosen only when the options allow it, after the
        // question, and made when they say so.
        if (!(Options & sdAllowCreate))
            return false;
        if ((Options & sdPrompt) &&
            ShowMessageBox("The specified directory does not exist. Create it?", "Confirm",
                           MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        if ((Options & sdPerformCreate) && !ForceDirectories(chosen)) {
            ShowMessageBox("Unable to create directory " + chosen, "Error", MB_OK | MB_ICONERROR);
            return false;
        }
    }
    directory_ = chosen;
    return true;
}
