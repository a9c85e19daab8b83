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
    EditSearchDB->SetBounds(kBoxPadding, top, kColumnWidth - 4 * kBoxPadding - 70, kEditHeight);
    btnSearch = MakeImageButton(BvGroupMediaDB, "btnSearch", "Next", picNext, top - 2);
    btnSearch->SetBounds(kColumnWidth - kBoxPadding - 70, top - 2, 70, kImageButtonHeight);
    PinRightInBox(btnSearch);
    StretchInBox(EditSearchDB, 70 + 2 * kBoxPadding);
    UseWindowFont(btnSearch->Font());
    MediaDBList = new TBvPlaylist(this);
    MediaDBList->SetName("MediaDBList");
    MediaDBList->SetParent(BvGroupMediaDB);
    UseWindowFont(MediaDBList->Font());
    MediaDBList->SetBounds(kBoxPadding, top + kEditHeight + 8, kColumnWidth - 2 * kBoxPadding, 250);
    StretchInBox(MediaDBList);
    MediaDBList->SetMultiSelect(true);
    MediaDBList->SetShowNumbers(true);
    MediaDBList->SetShowExtension(true);
    MediaDBList->SetMultiLine(true);
}

void TForm1::SyncMediaDBList() {
    ShowListView(MediaDBList, Manager->MediaDBList, ShownLibraryLines);
    // The line a search found is marked, not only focused, so the eye finds it.
    const int found = Manager->MediaDBList.ItemIndex;
    if (found >= 0 && found < MediaDBList->Items()->Count() && !MediaDBList->Selected(found))
        MediaDBList->SetSelected(found, true);
    if (EditSearchDB->Caption() != Manager->EditSearchDB)
        EditSearchDB->SetText(Manager->EditSearchDB);
}

// ---- Keys in the library list: they search, as typing in the search box does ----------------

void TForm1::MediaDBListKeyDown(TControlEventArgs& args) {
    Manager->MediaDBListKeyDown(args.Key,
                                TKeyShift{(args.Shift & ssShift) != 0, (args.Shift & ssCtrl) != 0,
                                          (args.Shift & ssAlt) != 0});
}

void TForm1::MediaDBListKeyPress(TControlEventArgs& args) {
    Manager->MediaDBListKeyPress(static_cast<char32_t>(args.Char));
}

void TForm1::MediaDBListDragOver(TControlEventArgs& args) {
    args.Accept = Manager->MediaDBListDragOver(DragSourceOf(args.Source));
}
