#include "BvSelectDirectory.h"

#include "Dialogs.h"

const TClassInfo& TBvSelectDirectory::StaticClassInfo() {
    static const TClassInfo info("TBvSelectDirectory", &TComponent::StaticClassInfo(), {},
                                 "BvSelectDirectory");
    return info;
}

TBvSelectDirectory::TBvSelectDirectory(TComponent* owner) : TComponent(owner) {}

bool TBvSelectDirectory::Execute() {
    directory_ = InitialDir;
    std::string chosen = ClassicDialog ? InitialDir : std::string();
    if (!SelectDirectory(Title, ClassicDialog ? std::string() : InitialDir, chosen))
        return false;
    directory_ = chosen;
    return true;
}
