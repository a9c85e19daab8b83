// A user interface that answers nothing, for benchmarks that drive the track manager alone.
#pragma once

#include "ManagerUi.h"

#include <string>
#include <vector>

class TNullUi : public TManagerUi {
public:
    void ShowMessage(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    TQuestionResult AskYesNoCancel(const std::string&) override { return TQuestionResult::Cancel; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    bool OpenFiles(const std::string&, std::vector<std::string>&) override { return false; }
    bool SelectFolder(std::string&) override { return false; }
    bool ShowOptionsDialog() override { return false; }
    void Beep() override {}
};
