#include "Unit1.h"

#include "DatabaseInspector.h"
#include "Dispatcher.h"

#include <algorithm>
#include <chrono>
#include <climits>

TFormDecrypt* FormDecrypt = nullptr;

namespace {

// One timer tick puts one piece of whole lines of the report into the memo, sized from the
// ticks before it to take about FillTickTime: each piece costs the memo a fixed part (it
// lays out the lines at the bottom again) besides its length, so one piece a tick goes
// fastest. The window paints and answers the mouse between ticks; the memo paints all it
// shows after every piece, and a piece can take twice its planned time, so the plan is short.
constexpr std::chrono::milliseconds FillTickTime(8);
constexpr size_t FirstFillPiece = 64 * 1024;
constexpr size_t SmallestFillPiece = 16 * 1024;
constexpr size_t LargestFillPiece = 4 * 1024 * 1024;
// A finished report at least this long is freed on a worker.
constexpr size_t FreeAsideBytes = 1024 * 1024;
// The progress ends where the memo ends, at least this far right of the size.
constexpr int ProgressGap = 16;
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
    // The report's lines, counted here so that the memo makes room for them at once.
    size_t Lines = 0;
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
    LabelProgress = MakeLabel(this, "LabelProgress", "", 330, 16);
    LabelProgress->SetVisible(false);
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

void TFormDecrypt::StopFill() {
    fillTimer_->SetEnabled(false);
    filling_ = false;
    // A report of many megabytes is given back to the system on a worker: on a busy machine
    // that alone can hold a thread for a tenth of a second.
    if (pending_.capacity() >= FreeAsideBytes) {
        if (freeing_.joinable())
            freeing_.join();
        freeing_ = std::thread([report = std::move(pending_)]() mutable { report = {}; });
    }
    pending_ = {};
    pendingPos_ = 0;
}

void TFormDecrypt::StopRun() {
    if (job_) {
        job_->Owner = nullptr;
        job_.reset();
    }
    // The scan cannot be cut short; the window waits for it only when it goes.
    if (worker_.joinable())
        worker_.join();
    StopFill();
    if (freeing_.joinable())
        freeing_.join();
}

void TFormDecrypt::ShowProgress() {
    if (job_) {
        LabelProgress->SetCaption("Reading...");
    } else if (filling_) {
        const size_t percent = pending_.empty() ? 100 : pendingPos_ * 100 / pending_.size();
        LabelProgress->SetCaption("Showing: " + std::to_string(percent) + " %");
    }
    LabelProgress->SetLeft(std::max(Label1->Left() + Label1->Width() + ProgressGap,
                                    Memo1->Left() + Memo1->Width() - LabelProgress->Width()));
    LabelProgress->SetVisible(job_ != nullptr || filling_);
}

void TFormDecrypt::Button1Click() {
    if (Reading())
        return;
    if (!OpenDialog1->Execute())
        return;
    OpenDatabase(OpenDialog1->FileName);
}

void TFormDecrypt::OpenDatabase(const std::string& fileName) {
    if (Reading())
        return;
    if (worker_.joinable())
        worker_.join();
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
            job->Lines = std::count(job->Result.Report.begin(), job->Result.Report.end(), '\n');
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
    ShowProgress();
}

void TFormDecrypt::ScanDone(const std::shared_ptr<TJob>& job) {
    if (worker_.joinable())
        worker_.join();
    job_.reset();
    Button1->SetEnabled(true);
    if (!job->Error.empty()) {
        // A report still being shown goes on.
        ShowProgress();
        MessageDlg(job->Error, TMsgDlgType::mtError, mbOK);
        if (OnReportShown)
            OnReportShown(this);
        return;
    }
    StopFill();
    result_ = std::move(job->Result);
    pending_ = std::move(result_.Report);
    result_.Report.clear();
    pendingPos_ = 0;
    Label1->SetCaption(std::to_string(static_cast<uint32_t>(result_.Size)));
    Memo1->Clear();
    // Growing the memo's list of lines piece by piece would move every line it holds now and
    // then, in a single tick.
    Memo1->Lines()->Reserve(static_cast<int>(std::min<size_t>(job->Lines, INT_MAX)));
    filling_ = true;
    fillPiece_ = FirstFillPiece;
    fillTimer_->SetEnabled(true);
    ShowProgress();
}

void TFormDecrypt::FillTimerTimer() {
    if (!filling_)
        return;
    if (pendingPos_ < pending_.size()) {
        // A piece ends with a whole line.
        size_t end = std::min(pending_.size(), pendingPos_ + fillPiece_);
        if (end < pending_.size()) {
            const size_t lineEnd = pending_.find('\n', end);
            end = lineEnd == std::string::npos ? pending_.size() : lineEnd + 1;
        }
        const auto start = std::chrono::steady_clock::now();
        Memo1->AppendLines(pending_.substr(pendingPos_, end - pendingPos_));
        const auto took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
        // The next piece as large as this one's speed allows in a tick, changing by half
        // the difference at most, so one slow tick on a busy machine does not halve it.
        const double fits = static_cast<double>(end - pendingPos_) *
                            std::chrono::duration<double>(FillTickTime).count() /
                            std::max(took.count(), 1e-4);
        const double next = (static_cast<double>(fillPiece_) + fits) / 2;
        fillPiece_ = static_cast<size_t>(std::clamp(next, static_cast<double>(SmallestFillPiece),
                                                    static_cast<double>(LargestFillPiece)));
        pendingPos_ = end;
    }
    if (pendingPos_ < pending_.size()) {
        ShowProgress();
        return;
    }
    StopFill();
    ShowProgress();
    if (OnReportShown)
        OnReportShown(this);
}
