// The "Log" box and the card's commands in the window: the progress bars, the log memo,
// "Stop", the detection timer and the phone drive, and what a run holds off while it goes.
#include "Main.h"
#include "MainLayout.h"
#include "MainPictures.h"

#include "Dialogs.h"
#include "WinApi.h"

#include <algorithm>

namespace {
// The memo takes the lines gathered at most this often: a run logs two lines per file.
constexpr unsigned kLogInterval = 40;
} // namespace

void TForm1::CreateLogBox() {
    const int top = kGroupCaptionRoom;
    bvGroupLog = MakeGroupBox("bvGroupLog", "Log", top + 232 + kImageButtonHeight + kBoxPadding);
    auto bar = [&](const std::string& name, const std::string& caption, int y) {
        auto* b = new TBvSpecialProgress(this);
        b->SetName(name);
        b->SetParent(bvGroupLog);
        UseWindowFont(b->Font());
        b->SetBounds(kBoxPadding, y, kColumnWidth - 2 * kBoxPadding, 20);
        StretchInBox(b);
        b->SetSolid(true);
        b->SetGradientBlocks(true);
        b->SetStartColor(RGB(90, 140, 230));
        b->SetEndColor(RGB(190, 215, 255));
        b->SetTextOption(TBvTextOption::toFormat);
        b->SetTextCentered(true);
        b->SetBorderStyle(TBorderStyle::bsSingle);
        b->SetCaption(caption);
        return b;
    };
    ProgressBar1 = bar("ProgressBar1", "Copying file: %d%%", top);
    ProgressBar2 = bar("ProgressBar2", "Encoding file:  %d%%", top + 24);
    ProgressAll = bar("ProgressAll", "Progress:  %d%%", top + 48);
    MemoLog = new TMemo(this);
    MemoLog->SetName("MemoLog");
    MemoLog->SetParent(bvGroupLog);
    UseWindowFont(MemoLog->Font());
    MemoLog->SetBounds(kBoxPadding, top + 76, kColumnWidth - 2 * kBoxPadding, 150);
    MemoLog->SetReadOnly(true);
    MemoLog->SetScrollBars(TScrollStyle::ssVertical);
    StretchInBox(MemoLog);
    btnCancel = MakeImageButton(bvGroupLog, "btnCancel", "Stop", picStop, top + 232);
    btnCancel->SetVisible(false);

    TransFlashTimer = new TTimer(this);
    TransFlashTimer->SetName("TransFlashTimer");
    TransFlashTimer->SetEnabled(false);

    LogTimer = new TTimer(this);
    LogTimer->SetName("LogTimer");
    LogTimer->SetEnabled(false);
    LogTimer->SetInterval(kLogInterval);
    LogTimer->SetOnTimer([this](TObject*) { FlushLog(); });

    Manager->RunSink = [this](TTrackManager::TRunKind run, bool running) {
        RunChanged(run, running);
    };
}

void TForm1::SyncProgress(TProgressBarId which, int position, int max) {
    TBvSpecialProgress* bar = which == TProgressBarId::Copy     ? ProgressBar1
                              : which == TProgressBarId::Encode ? ProgressBar2
                                                                : ProgressAll;
    bar->SetMaximum(std::max(1, max));
    bar->SetPosition(std::clamp(position, 0, std::max(1, max)));
}

void TForm1::AddLogLine(const std::string& line) {
    pendingLog_.push_back(line);
    if (!LogTimer->Enabled())
        LogTimer->SetEnabled(true);
}

void TForm1::FlushLog() {
    LogTimer->SetEnabled(false);
    if (pendingLog_.empty())
        return;
    TStrings* lines = MemoLog->Lines();
    lines->BeginUpdate();
    for (const std::string& line : pendingLog_)
        lines->Add(line);
    lines->EndUpdate();
    pendingLog_.clear();
}

// ---- Runs on the card ---------------------------------------------------------------

void TForm1::RunChanged(TTrackManager::TRunKind run, bool running) {
    using TRunKind = TTrackManager::TRunKind;
    if (running) {
        // The log shows what the run does; the file scan alone does not log. A box opened
        // here follows the column's rule as a click does: the others of the group close.
        if (run != TRunKind::FileScan && bvGroupLog->Collapsed())
            bvGroupLog->Collapse(false);
    } else {
        FlushLog();
        if ((run == TRunKind::Read || run == TRunKind::Scan) && bvGroupPlaylists->Collapsed())
            bvGroupPlaylists->Collapse(false);
        // The card's free space changed.
        if (!BvGroupStat->Collapsed()) {
            Manager->RefreshStatistics();
            SyncView(TViewId::Statistics);
        }
    }
    SyncCardState();
}

void TForm1::SyncCardState() {
    if (!Manager || !btnCancel)
        return;
    TTrackManager& m = *Manager;
    const bool busy = m.IsBusy();
    if (btnCancel->Visible() != busy)
        btnCancel->SetVisible(busy);
    if (heldGreyed_ != busy) {
        heldGreyed_ = busy;
        for (std::string_view handler : TTrackManager::CommandsHeldWhileBusy())
            for (const TCommandBinding* b : BindingsOf(std::string(handler))) {
                if (b->Item)
                    b->Item->SetEnabled(!busy);
                else if (b->Speed)
                    b->Speed->SetEnabled(!busy);
                else if (b->Kind == TCommandBinding::Button && b->Control)
                    b->Control->SetEnabled(!busy);
            }
    }
    // The detection timer as the manager switched it: off for an update, on after Stop and
    // a reset, its interval slower while a card is in.
    const unsigned interval = static_cast<unsigned>(std::max(1, m.TransFlashTimer.Interval));
    if (TransFlashTimer->Interval() != interval)
        TransFlashTimer->SetInterval(interval);
    if (TransFlashTimer->Enabled() != m.TransFlashTimer.Enabled)
        TransFlashTimer->SetEnabled(m.TransFlashTimer.Enabled);
    // The phone drive is the selector's, and none when it shows none: a card command then
    // says so instead of working on a drive nobody chose. A run keeps the drive it took.
    if (!busy)
        m.Model.PhoneDrive = BvDriveCombo1->Drive();
}

bool TForm1::AskYesNo(const std::string& text) {
    return ShowMessageBox(text, "Brisvane", MB_YESNO | MB_ICONQUESTION) == IDYES;
}
