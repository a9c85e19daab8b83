// The "Media DB" box: the library list, its search box and "Next".
#include "Main.h"
#include "MainLayout.h"
#include "MainPictures.h"

void TForm1::CreateMediaDBBox() {
    const int top = kGroupCaptionRoom;
    constexpr int listHeight = 250;
    constexpr int nextWidth = 70;
    // The list first; below it the search row: its caption, the search box and "Next".
    const int searchTop = top + listHeight + 6;
    BvGroupMediaDB =
        MakeGroupBox("BvGroupMediaDB", "Media DB", searchTop + kImageButtonHeight + kBoxPadding);
    MediaDBList = new TBvPlaylist(this);
    MediaDBList->SetName("MediaDBList");
    MediaDBList->SetParent(BvGroupMediaDB);
    UseBoxFont(MediaDBList->Font());
    MediaDBList->SetBounds(kBoxPadding, top, kColumnWidth - 2 * kBoxPadding, listHeight);
    StretchInBox(MediaDBList);
    MediaDBList->SetMultiSelect(true);
    MediaDBList->SetShowNumbers(true);
    MediaDBList->SetShowExtension(true);
    MediaDBList->SetMultiLine(true);
    lbSearchDB = new TLabel(this);
    lbSearchDB->SetName("lbSearchDB");
    lbSearchDB->SetParent(BvGroupMediaDB);
    UseBoxFont(lbSearchDB->Font());
    lbSearchDB->SetCaption("Search:");
    lbSearchDB->SetBounds(kBoxPadding, searchTop + 3 + 2, kLabelWidth, kEditHeight);
    EditSearchDB = new TEdit(this);
    EditSearchDB->SetName("EditSearchDB");
    EditSearchDB->SetParent(BvGroupMediaDB);
    UseBoxFont(EditSearchDB->Font());
    EditSearchDB->SetBounds(kBoxPadding + kLabelWidth, searchTop + 2,
                            kColumnWidth - 3 * kBoxPadding - kLabelWidth - nextWidth, kEditHeight);
    StretchInBox(EditSearchDB, nextWidth + 2 * kBoxPadding);
    btnSearch = MakeImageButton(BvGroupMediaDB, "btnSearch", "Next", picNext, searchTop);
    btnSearch->SetBounds(kColumnWidth - kBoxPadding - nextWidth, searchTop, nextWidth,
                         kImageButtonHeight);
    PinRightInBox(btnSearch);
    UseBoxFont(btnSearch->Font());
}

void TForm1::SyncMediaDBList() {
    // A search moves the focused line only; the selection stays what the user chose.
    ShowListView(MediaDBList, Manager->MediaDBList, ShownLibraryLines);
    if (EditSearchDB->Caption() != Manager->EditSearchDB)
        EditSearchDB->SetText(Manager->EditSearchDB);
}
