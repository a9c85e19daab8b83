// The "Statistics" box: the card's space and the figures of the track list.
#include "Main.h"
#include "MainLayout.h"
#include "MainPictures.h"

void TForm1::CreateStatisticsBox() {
    const int top = kGroupCaptionRoom;
    const int step = 20;
    BvGroupStat = MakeGroupBox("BvGroupStat", "Statistics", top + 9 * step + 30);
    auto label = [&](const std::string& name, const std::string& caption, int x, int y, int width) {
        auto* l = new TLabel(this);
        if (!name.empty())
            l->SetName(name);
        l->SetParent(BvGroupStat);
        UseWindowFont(l->Font());
        l->SetCaption(caption);
        l->SetBounds(x, y, width, 16);
        StatLabels.push_back(l);
        return l;
    };
    const int valueX = kBoxPadding + 110;
    const int valueWidth = kColumnWidth - valueX - kBoxPadding;
    const int wide = kColumnWidth - 2 * kBoxPadding;
    label("", "Selected drive: ", kBoxPadding, top, 105);
    Label13 = label("Label13", "", valueX, top, valueWidth);
    StatusBarSpace = new TBvSpecialProgress(this);
    StatusBarSpace->SetName("StatusBarSpace");
    StatusBarSpace->SetParent(BvGroupStat);
    UseWindowFont(StatusBarSpace->Font());
    StatusBarSpace->SetCaption("Used space: %d%%");
    StatusBarSpace->SetTextOption(TBvTextOption::toFormat);
    StatusBarSpace->SetBounds(kBoxPadding, top + step, wide, 16);
    StretchInBox(StatusBarSpace);
    StatusBarSpace->SetBorderStyle(TBorderStyle::bsSingle);
    StatusBarSpace->SetSolid(true);
    StatusBarSpace->SetGradientBlocks(true);
    StatusBarSpace->SetStartColor(RGB(90, 140, 230));
    StatusBarSpace->SetEndColor(RGB(190, 215, 255));
    label("", "Free space:", kBoxPadding, top + 2 * step, 105);
    Label17 = label("Label17", "", valueX, top + 2 * step, valueWidth);
    label("", "Total files: ", kBoxPadding, top + 3 * step, 105);
    Label14 = label("Label14", "", valueX, top + 3 * step, valueWidth);
    label("", "Total duration: ", kBoxPadding, top + 4 * step, 105);
    Label15 = label("Label15", "", valueX, top + 4 * step, valueWidth);
    // The two long captions have their figures on the line below.
    label("", "Approximate size of ALL files:", kBoxPadding, top + 5 * step, wide);
    Label18 = label("Label18", "", valueX, top + 6 * step - 4, valueWidth);
    label("", "Approximate needed space:", kBoxPadding, top + 7 * step - 4, wide);
    Label19 = label("Label19", "", valueX, top + 8 * step - 8, valueWidth);
    btnRefreshStat =
        MakeImageButton(BvGroupStat, "btnRefreshStat", "Refresh", picRefresh, top + 9 * step - 4);
    UseWindowFont(btnRefreshStat->Font());
}

void TForm1::SyncStatistics() {
    const TStatistics& s = Manager->Statistics;
    Label13->SetCaption(s.Label13);
    StatusBarSpace->SetMaximum(static_cast<int>(std::min<int64_t>(s.TotalKB, INT32_MAX)));
    StatusBarSpace->SetPosition(static_cast<int>(std::min<int64_t>(s.UsedKB, INT32_MAX)));
    Label17->SetCaption(s.Label17);
    Label14->SetCaption(s.Label14);
    Label15->SetCaption(s.Label15);
    Label18->SetCaption(s.Label18);
    Label19->SetCaption(s.Label19);
}
