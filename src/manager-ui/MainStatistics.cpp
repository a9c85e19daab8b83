// The "Statistics" box: the card's space and the figures of the track list.
#include "Main.h"
#include "MainLayout.h"
#include "MainPictures.h"

void TForm1::CreateStatisticsBox() {
    const int top = kGroupCaptionRoom;
    const int step = 20;
    BvGroupStat = MakeGroupBox("BvGroupStat", "Statistics", top + 7 * step + 40);
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
    const int valueX = kBoxPadding + 120;
    const int valueWidth = kColumnWidth - valueX - kBoxPadding;
    label("", "Drive:", kBoxPadding, top, 110);
    Label13 = label("Label13", "", valueX, top, valueWidth);
    StatusBarSpace = new TBvSpecialProgress(this);
    StatusBarSpace->SetName("StatusBarSpace");
    StatusBarSpace->SetParent(BvGroupStat);
    StatusBarSpace->SetBounds(kBoxPadding, top + step, kColumnWidth - 2 * kBoxPadding, 16);
    StretchInBox(StatusBarSpace);
    label("", "Free:", kBoxPadding, top + 2 * step, 110);
    Label17 = label("Label17", "", valueX, top + 2 * step, valueWidth);
    label("", "Tracks:", kBoxPadding, top + 3 * step, 110);
    Label14 = label("Label14", "", valueX, top + 3 * step, valueWidth);
    label("", "Playing time:", kBoxPadding, top + 4 * step, 110);
    Label15 = label("Label15", "", valueX, top + 4 * step, valueWidth);
    label("", "Size of tracks:", kBoxPadding, top + 5 * step, 110);
    Label18 = label("Label18", "", valueX, top + 5 * step, valueWidth);
    label("", "Space needed:", kBoxPadding, top + 6 * step, 110);
    Label19 = label("Label19", "", valueX, top + 6 * step, valueWidth);
    btnRefreshStat =
        MakeImageButton(BvGroupStat, "btnRefreshStat", "Refresh", picRefresh, top + 7 * step + 4);
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
