// What the track manager asks of its windows: message boxes, questions, input
// boxes, the file and folder dialogs and the beep. The windows implement it; the
// headless program and the tests script it.
#pragma once

#include "Drives.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

enum class TQuestionResult { Yes, No, Cancel };

class TManagerUi {
public:
    virtual ~TManagerUi() = default;

    // An information box with OK.
    virtual void ShowMessage(const std::string& text) = 0;
    // A warning or error box with OK.
    virtual void ShowWarning(const std::string& text) = 0;
    // A confirmation box with Yes, No and Cancel.
    virtual TQuestionResult AskYesNoCancel(const std::string& text) = 0;
    // A question with Yes and No; true on Yes.
    virtual bool AskYesNo(const std::string& text) {
        return AskYesNoCancel(text) == TQuestionResult::Yes;
    }
    // A one-line input box with OK and Cancel; `value` holds the start text and,
    // after OK, the entered text. False on Cancel.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
    // The open dialog with multiple selection; paths in Windows form. False on Cancel.
    virtual bool OpenFiles(const std::string& filter, std::vector<std::string>& files) = 0;
    // The folder dialog; a Windows-form path. False on Cancel.
    virtual bool SelectFolder(std::string& folder) = 0;
    // Shows the options dialog modally; true when it was closed with OK.
    virtual bool ShowOptionsDialog() = 0;
    // Closes the main window (which runs the close query and the close save).
    virtual void CloseMainWindow() {}
    virtual void Beep() = 0;
    // The drive selector takes the letter as the phone drive when it lists that drive
    // (reading the drive table again first when it does not) and says whether it did.
    // Without a selector, a letter is taken when the drive table lists it.
    virtual bool SelectPhoneDrive(char letter) {
        RefreshDriveTable();
        return letter >= 'A' && letter <= 'Z' && ((GetLogicalDrives() >> (letter - 'A')) & 1u);
    }
    // The drive selector is disabled while an update runs: the run keeps the drive it
    // took at its start.
    virtual void SetDriveSelectorEnabled(bool /*enabled*/) {}
};

// Answers from queues filled beforehand and a record of everything shown; an
// empty queue answers Cancel. Tests and headless runs use it.
class TScriptedManagerUi : public TManagerUi {
public:
    struct TInput {
        bool Ok = false;
        std::string Value;
    };
    struct TFiles {
        bool Ok = false;
        std::vector<std::string> Files;
    };
    struct TFolder {
        bool Ok = false;
        std::string Folder;
    };

    std::deque<TQuestionResult> Answers;
    std::deque<TInput> Inputs;
    std::deque<TFiles> FileChoices;
    std::deque<TFolder> FolderChoices;
    std::deque<bool> OptionsResults;

    std::vector<std::string> Messages;
    std::vector<std::string> Warnings;
    std::vector<std::string> Questions;
    // "caption|prompt|start text" of every input box shown.
    std::vector<std::string> InputPrompts;
    std::vector<std::string> FileFilters;
    int Beeps = 0;
    int CloseRequests = 0;
    // Every letter offered to the drive selector, and each enabling and disabling of it.
    std::string OfferedDrives;
    std::vector<bool> DriveSelectorStates;
    // Answers SelectPhoneDrive; unset, a letter is taken when the drive table lists it.
    std::function<bool(char)> DriveSelector;

    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    void ShowWarning(const std::string& text) override { Warnings.push_back(text); }
    TQuestionResult AskYesNoCancel(const std::string& text) override {
        Questions.push_back(text);
        if (Answers.empty())
            return TQuestionResult::Cancel;
        const TQuestionResult r = Answers.front();
        Answers.pop_front();
        return r;
    }
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override {
        InputPrompts.push_back(caption + "|" + prompt + "|" + value);
        if (Inputs.empty())
            return false;
        const TInput in = Inputs.front();
        Inputs.pop_front();
        if (in.Ok)
            value = in.Value;
        return in.Ok;
    }
    bool OpenFiles(const std::string& filter, std::vector<std::string>& files) override {
        FileFilters.push_back(filter);
        if (FileChoices.empty())
            return false;
        const TFiles f = FileChoices.front();
        FileChoices.pop_front();
        if (f.Ok)
            files = f.Files;
        return f.Ok;
    }
    bool SelectFolder(std::string& folder) override {
        if (FolderChoices.empty())
            return false;
        const TFolder f = FolderChoices.front();
        FolderChoices.pop_front();
        if (f.Ok)
            folder = f.Folder;
        return f.Ok;
    }
    bool ShowOptionsDialog() override {
        if (OptionsResults.empty())
            return false;
        const bool r = OptionsResults.front();
        OptionsResults.pop_front();
        return r;
    }
    void CloseMainWindow() override { ++CloseRequests; }
    void Beep() override { ++Beeps; }
    bool SelectPhoneDrive(char letter) override {
        OfferedDrives += letter;
        return DriveSelector ? DriveSelector(letter) : TManagerUi::SelectPhoneDrive(letter);
    }
    void SetDriveSelectorEnabled(bool enabled) override { DriveSelectorStates.push_back(enabled); }
};
