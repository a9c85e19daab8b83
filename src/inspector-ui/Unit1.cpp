#include "Unit1.h"

#include "DatabaseInspector.h"
#include "Dispatcher.h"

#include <algorithm>

TFormDecrypt* FormDecrypt = nullptr;

namespace {

// How much of the report one timer tick puts into the memo: little enough that the window
// answers the mouse between two pieces.
constexpr size_t FillPiece = 256 * 1024;
// The memo's tab stops and where its text begins inside its frame.
constexpr int MemoTabStop = 80;
constexpr int MemoTextInset = 5;

TLabel* MakeLabel(TFormDecrypt* form, const char* name, const char* caption, int x, int y) {
    auto* label = new TLabel(form);
    label->SetName(name);
    label->SetParent(form);
    label->SetCaption(caption);
    label->SetBounds(x, y, label->Width(), label->Height());
    return label;
}

} // namespace

// What the worker hands back. Owner is cleared on the GUI thread when the window stops
// waiting for it, so a late result touches nothing.
struct TFormDecrypt::TJob {
    TFormDecrypt* Owner = nullptr;
    std::string FileName;
    TScanResult Result;
    std::string Error;
};

const TClassInfo& TFormDecrypt::StaticClassInfo() {
    static const TClassInfo info("TFormDecrypt", &TForm::StaticClassInfo(), {}, "Unit1");
    return info;
}

TFormDecrypt::TFormDecrypt(TComponent* owner) : TForm(owner) {
    SetName("FormDecrypt");
    SetCaption("BD decoder");
    SetBounds(264, 100, 496, 583);
    SetClientWidth(497);
    SetClientHeight(556);

    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetParent(this);
    Button1->SetCaption("Open DB");
    Button1->SetBounds(120, 8, 75, 25);
    Button1->TabStop = true;
    Button1->OnClick = [this](TObject*) { Button1Click(); };
    Label2 = MakeLabel(this, "Label2", "Size:", 232, 16);
    Label1 = MakeLabel(this, "Label1", "0", 264, 16);
    Label3 = MakeLabel(this, "Label3", "Addr", 16, 48);
    Label4 = MakeLabel(this, "Label4", "Label", 64, 48);
    Label5 = MakeLabel(this, "Label5", "Description", 136, 48);
    Label6 = MakeLabel(this, "Label6", "Detales", 272, 48);
    Memo1 = new TMemo(this);
    Memo1->SetName("Memo1");
    Memo1->SetParent(this);
    Memo1->SetScrollBars(TScrollStyle::ssBoth);
    // A report to read, not to edit.
    Memo1->SetReadOnly(true);
    Memo1->TabStop = true;
    Memo1->SetBounds(16, 64, 465, 481);
    Memo1->SetAnchors(akLeft | akTop | akRight | akBottom);
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    fillTimer_ = new TTimer(this);
    fillTimer_->SetEnabled(false);
    fillTimer_->SetInterval(1);
    fillTimer_->SetOnTimer([this](TObject*) { FillTimerTimer(); });
    OnShow = [this](TObject*) { LayoutControls(); };
    LayoutControls();
}

TFormDecrypt::~TFormDecrypt() {
    StopRun();
    if (FormDecrypt == this)
        FormDecrypt = nullptr;
    Destroying();
}

void TFormDecrypt::LayoutControls() {
    // The size stands just after its caption, whatever language that caption is in.
    Label1->SetLeft(std::max(264, Label2->Left() + Label2->Width() + 6));
    // Each heading stands over its column: the report's fields are separated by tabs, which
    // the memo sets every MemoTabStop pixels from its text's left edge; the details mostly
    // begin at the fourth stop, after the descriptions.
    const int text = Memo1->Left() + MemoTextInset;
    Label3->SetLeft(text);
    Label4->SetLeft(text + MemoTabStop);
    Label5->SetLeft(text + 2 * MemoTabStop);
    Label6->SetLeft(text + 4 * MemoTabStop);
}

void TFormDecrypt::StopRun() {
    if (job_) {
        job_->Owner = nullptr;
        job_.reset();
    }
    if (worker_.joinable())
        worker_.join();
    fillTimer_->SetEnabled(false);
    filling_ = false;
    pending_.clear();
    pendingPos_ = 0;
}

void TFormDecrypt::Button1Click() {
    if (Busy())
        return;
    if (!OpenDialog1->Execute())
        return;
    OpenDatabase(OpenDialog1->FileName);
}

void TFormDecrypt::OpenDatabase(const std::string& fileName) {
    if (Busy())
        return;
    StopRun();
    // Each opened file's path is added to the caption, as the window always did.
    SetCaption(Caption() + " " + fileName);
    Button1->SetEnabled(false);
    auto job = std::make_shared<TJob>();
    job->Owner = this;
    job->FileName = fileName;
    job_ = job;
    worker_ = std::thread([job] {
        try {
            // Read-only, closed on every path, refused unless it is a regular file.
            TDatabaseInspector inspector;
            TBvMultiStringHolder temp = MakeTempStringHolder();
            TPlaylistLists uids;
            TReaderContext context;
            job->Result = inspector.Open(job->FileName, temp, uids, context, true);
        } catch (const Exception& e) {
            job->Error = e.Message();
        } catch (const std::exception& e) {
            job->Error = e.what();
        }
        Queue([job] {
            if (job->Owner)
                job->Owner->ScanDone(job);
        });
    });
}

void TFormDecrypt::ScanDone(const std::shared_ptr<TJob>& job) {
    if (worker_.joinable())
        worker_.join();
    job_.reset();
    if (!job->Error.empty()) {
        Button1->SetEnabled(true);
        MessageDlg(job->Error, TMsgDlgType::mtError, mbOK);
        if (OnReportShown)
            OnReportShown(this);
        return;
    }
    result_ = std::move(job->Result);
    pending_ = std::move(result_.Report);
    result_.Report.clear();
    pendingPos_ = 0;
    Label1->SetCaption(std::to_string(static_cast<uint32_t>(result_.Size)));
    Memo1->Clear();
    filling_ = true;
    fillTimer_->SetEnabled(true);
    FillTimerTimer();
}

void TFormDecrypt::FillTimerTimer() {
    if (!filling_)
        return;
    if (pendingPos_ < pending_.size()) {
        // A piece ends with a whole line.
        size_t end = std::min(pending_.size(), pendingPos_ + FillPiece);
        if (end < pending_.size()) {
            const size_t lineEnd = pending_.find('\n', end);
            end = lineEnd == std::string::npos ? pending_.size() : lineEnd + 1;
        }
        Memo1->AppendLines(pending_.substr(pendingPos_, end - pendingPos_));
        pendingPos_ = end;
    }
    if (pendingPos_ < pending_.size())
        return;
    fillTimer_->SetEnabled(false);
    filling_ = false;
    pending_.clear();
    pending_.shrink_to_fit();
    pendingPos_ = 0;
    Button1->SetEnabled(true);
    if (OnReportShown)
        OnReportShown(this);
}
