// Copies, moves, renames or deletes a list of paths as the shell's file
// operation does, silently. Delete is what the program uses; the others work
// with std::filesystem.
#pragma once

#include "Classes.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>

enum TBvSHFileOpType { foCopy, foDelete, foMove, foRename };

enum TBvSHFileOption {
    fofAllowUndo,
    fofConfirmMouse,
    fofFilesOnly,
    fofMultiDestFiles,
    fofNoConfirmation,
    fofNoConfirmMkDir,
    fofRenameOnCollision,
    fofSilent,
    fofSimpleProgress,
    fofWantMappingHandle,
    fofNoErrorUI,
    fofNoCopySecurityAttributes,
    fofNoRecursion,
    fofNoConnectedElements,
    fofNoRecurseParse,
    fofWantNukeWarning,
};
using TBvSHFileOptions = std::set<TBvSHFileOption>;

using TBvShFileMappingEvent = std::function<void(TObject* sender, const std::string& oldFileName,
                                                 const std::string& newFileName)>;

class TBvSHFileOperation : public TObject {
public:
    TBvSHFileOperation() = default;

    TStrings& SourceFiles() { return sourceFiles_; }
    void SetSourceFiles(const TStrings& files) { sourceFiles_.Assign(files); }
    TStrings& DestFiles() { return destFiles_; }
    void SetDestFiles(const TStrings& files) { destFiles_.Assign(files); }

    TBvSHFileOpType Operation = foCopy;
    TBvSHFileOptions Options{fofAllowUndo, fofFilesOnly};
    std::string Title;
    TBvShFileMappingEvent OnFileMapping;

    // The shell's operation code (FO_MOVE 1, FO_COPY 2, FO_DELETE 3, FO_RENAME 4).
    static unsigned OperationCode(TBvSHFileOpType op);
    // The shell's 16-bit flags of a set of options.
    static uint16_t OptionFlags(const TBvSHFileOptions& options);

    // True when every entry was handled. Raises EBvException "No files specified
    // to TBvSHFileOperation Execute function" for an empty SourceFiles. Sources
    // are expanded to full paths first. A drive's root or an empty path is never
    // deleted, and a folder's links are removed, not followed.
    virtual bool Execute();
    // No windows exist on this layer: 0.
    virtual uintptr_t GetOwnerWindow() const { return 0; }
    virtual void NotifyFileMapping(const std::string& oldFileName, const std::string& newFileName);

private:
    bool DeleteOne(const std::string& source);
    bool Transfer(const std::string& linuxSource, const std::string& dest);
    TStringList sourceFiles_;
    TStringList destFiles_;
};
