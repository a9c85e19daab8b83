// The "Log" box and the card's timer: progress bars, the log memo and "Stop".
#include "Main.h"
#include "MainLayout.h"
#include "MainPictures.h"

void TForm1::CreateLogBox() {
    const int top = kGroupCaptionRoom;
    bvGroupLog = MakeGroupBox("bvGroupLog", "Log", top + 3 * 22 + 150 + kImageButtonHeight + 16);
    auto bar = [&](const std::string& name, const std::string& caption, int y) {
        auto* b = new TBvSpecialProgress(this);
        b->SetName(name);
        b->SetParent(bvGroupLog);
        UseWindowFont(b->Font());
        b->SetBounds(kBoxPadding, y, kColumnWidth - 2 * kBoxPadding, 18);
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
    ProgressBar2 = bar("ProgressBar2", "Encoding file:  %d%%", top + 22);
    ProgressAll = bar("ProgressAll", "Progress:  %d%%", top + 44);
    MemoLog = new TMemo(this);
    MemoLog->SetName("MemoLog");
    MemoLog->SetParent(bvGroupLog);
    UseWindowFont(MemoLog->Font());
    MemoLog->SetBounds(kBoxPadding, top + 70, kColumnWidth - 2 * kBoxPadding, 150);
    MemoLog->SetReadOnly(true);
    btnCancel = MakeImageButton(bvGroupLog, "btnCancel", "Stop", picStop, top + 226);
    btnCancel->SetVisible(false);

    TransFlashTimer = new TTimer(this);
    TransFlashTimer->SetName("TransFlashTimer");
    TransFlashTimer->SetEnabled(false);
}

void TForm1::SyncProgress(TProgressBarId which, int position, int max) {
    TBvSpecialProgress* bar = which == TProgressBarId::Copy     ? ProgressBar1
                              : which == TProgressBarId::Encode ? ProgressBar2
                                                                : ProgressAll;
    bar->SetMaximum(std::max(1, max));
    bar->SetPosition(position);
}

void TForm1::AddLogLine(const std::string& line) {
    MemoLog->Lines()->Add(line);
}
