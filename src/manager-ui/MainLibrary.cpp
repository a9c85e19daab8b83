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
    UseWindowFont(MediaDBList->Font());
    MediaDBList->SetBounds(kBoxPadding, top, kColumnWidth - 2 * kBoxPadding, listHeight);
    StretchInBox(MediaDBList);
    MediaDBList->SetMultiSelect(true);
    MediaDBList->SetShowNumbers(true);
    MediaDBList->SetShowExtension(true);
    MediaDBList->SetMultiLine(true);
    // A library runs to many thousands of lines: the box reads the manager's lines as they
    // come into sight rather than holding a copy (ShowListView binds them).
    MediaDBList->SetVirtualEntries(
        0, [](int) { return std::string(); }, [](int) { return -1; });
    lbSearchDB = new TLabel(this);
    lbSearchDB->SetName("lbSearchDB");
    lbSearchDB->SetParent(BvGroupMediaDB);
    UseWindowFont(lbSearchDB->Font());
    lbSearchDB->SetCaption("Search:");
    lbSearchDB->SetBounds(kBoxPadding, searchTop + 3 + 2, kLabelWidth, kEditHeight);
    EditSearchDB = new TEdit(this);
    EditSearchDB->SetName("EditSearchDB");
    EditSearchDB->SetParent(BvGroupMediaDB);
    UseWindowFont(EditSearchDB->Font());
    EditSearchDB->SetBounds(kBoxPadding + kLabelWidth, searchTop + 2,
                            kColumnWidth - 3 * kBoxPadding - kLabelWidth - nextWidth, kEditHeight);
    StretchInBox(EditSearchDB, nextWidth + 2 * kBoxPadding);
    btnSearch = MakeImageButton(BvGroupMediaDB, "btnSearch", "Next", picNext, searchTop);
    btnSearch->SetBounds(kColumnWidth - kBoxPadding - nextWidth, searchTop, nextWidth,
                         kImageButtonHeight);
    PinRightInBox(btnSearch);
    UseWindowFont(btnSearch->Font());
}

void TForm1::SyncMediaDBList() {
    // A search moves the focused line only; the selection stays what the user chose.
    ShowListView(MediaDBList, Manager->MediaDBList, ShownLibraryLines);
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
    const char16_t typed = args.Char;
    Manager->MediaDBListKeyPress(static_cast<char32_t>(typed));
    // What is typed goes to the search only: the list's own type-ahead would focus and
    // select lines of its own choosing.
    if (typed >= 32 || typed == 13)
        args.Char = 0;
}

void TForm1::MediaDBListDragOver(TControlEventArgs& args) {
    args.Accept = Manager->MediaDBListDragOver(DragSourceOf(args.Source));
}
