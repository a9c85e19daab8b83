// The "Media DB" box: the library list, its search box and "Next".
#include "Main.h"
#include "MainLayout.h"
#include "MainPictures.h"

void TForm1::CreateMediaDBBox() {
    const int top = kGroupCaptionRoom;
    BvGroupMediaDB = MakeGroupBox("BvGroupMediaDB", "Media DB", top + 290);
    EditSearchDB = new TEdit(this);
    EditSearchDB->SetName("EditSearchDB");
    EditSearchDB->SetParent(BvGroupMediaDB);
    UseWindowFont(EditSearchDB->Font());
    EditSearchDB->SetBounds(kBoxPadding, top, kColumnWidth - 3 * kBoxPadding - 70, kEditHeight);
    btnSearch = MakeImageButton(BvGroupMediaDB, "btnSearch", "Next", picNext, top - 2);
    btnSearch->SetBounds(kColumnWidth - kBoxPadding - 70, top - 2, 70, kImageButtonHeight);
    PinRightInBox(btnSearch);
    StretchInBox(EditSearchDB, 70 + 2 * kBoxPadding);
    MediaDBList = new TBvPlaylist(this);
    MediaDBList->SetName("MediaDBList");
    MediaDBList->SetParent(BvGroupMediaDB);
    UseWindowFont(MediaDBList->Font());
    MediaDBList->SetBounds(kBoxPadding, top + kEditHeight + 8, kColumnWidth - 2 * kBoxPadding, 250);
    StretchInBox(MediaDBList);
    MediaDBList->SetMultiSelect(true);
    MediaDBList->SetShowNumbers(true);
    MediaDBList->DragMode = TDragMode::dmAutomatic;
}

void TForm1::SyncMediaDBList() {
    ShowViewLines(MediaDBList, Manager->MediaDBList);
    if (EditSearchDB->Caption() != Manager->EditSearchDB)
        EditSearchDB->SetText(Manager->EditSearchDB);
}
