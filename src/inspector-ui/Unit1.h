// The inspector window "BD decoder": opens a phone database, scans it and shows one report
// line per record. The file is read and scanned on a worker thread and the report shown a
// few milliseconds' worth at a time, so a large database never stops the window.
#pragma once

#include "DatabaseReader.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

#include <memory>
#include <string>
#include <thread>

class TFormDecrypt : public TForm {
    BV_CLASS_INFO()
public:
    explicit TFormDecrypt(TComponent* owner);
    ~TFormDecrypt() override;

    TButton* Button1; // "Open DB"
    TLabel* Label2;   // "Size:"
    TLabel* Label1;   // the file's size in bytes
    TLabel* Label3;   // the column headings
    TLabel* Label4;
    TLabel* Label5;
    TLabel* Label6;
    TMemo* Memo1; // the report
    TOpenDialog* OpenDialog1;
    TLabel* LabelProgress; // shown only while a file is read or its report shown

    // "Open DB": the file chosen in the open dialog; nothing when the dialog is cancelled.
    void Button1Click();
    // Reads and scans the file on a worker; the report then fills the memo piece by piece.
    // A file that cannot be read, or is no regular file, is refused with a message and the
    // memo keeps what it showed, or goes on filling with the report it was given before.
    // A file read whole takes the place of a report still being shown. Ignored while a file
    // is being read.
    void OpenDatabase(const std::string& fileName);
    // A scan or the filling of the memo is under way.
    bool Busy() const { return job_ != nullptr || filling_; }
    // A file is being read and scanned.
    bool Reading() const { return job_ != nullptr; }
    // The last scan's result (its report moved into the memo).
    const TScanResult& LastResult() const { return result_; }
    // Called once a report stands whole in the memo, and when a file is refused.
    TNotifyEvent OnReportShown;

private:
    struct TJob;
    void ScanDone(const std::shared_ptr<TJob>& job);
    void FillTimerTimer();
    void StopFill();
    void StopRun();
    void ShowProgress();
    void LayoutControls();

    TTimer* fillTimer_;
    std::shared_ptr<TJob> job_;
    std::thread worker_;
    std::thread freeing_; // frees the last report shown
    TScanResult result_;
    std::string pending_;
    size_t pendingPos_ = 0;
    size_t fillPiece_ = 0;
    bool filling_ = false;
};

extern TFormDecrypt* FormDecrypt;
