// The main window as a person uses it, with the pointer and the keys going through the window
// as the window system delivers them: the library search and its box, the information hint
// over the track view (leaving it, double-clicking it, its check box) and the filter of the
// "Add file(s)" dialog.
#include "MainWindowFixture.h"

#include "TrackTableRows.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QCursor>
#include <QFileDialog>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

class MainWindowInUse : public MainWindowTest {
protected:
    QWindow* Window() { return form->Widget()->windowHandle(); }
    static QWidget* Viewport(TWinControl* control) {
        auto* area = dynamic_cast<QAbstractScrollArea*>(control->Widget());
        return area ? area->viewport() : control->Widget();
    }
    // A point of a control in the window's coordinates; a control without a widget of its own
    // lies on its parent's.
    QPoint InWindow(TControl* control, QPoint at) {
        if (auto* windowed = dynamic_cast<TWinControl*>(control))
            return windowed->Widget()->mapTo(form->Widget(), at);
        return InWindow(control->Parent(), at + QPoint(control->Left(), control->Top()));
    }
    QPoint CentreInWindow(TControl* control) {
        return InWindow(control, QPoint(control->Width() / 2, control->Height() / 2));
    }
    QPoint LineInWindow(TBvPlaylist* box, int line, int x = 40) {
        const TRect r = box->ItemRect(line);
        return Viewport(box)->mapTo(form->Widget(), QPoint(r.Left + x, (r.Top + r.Bottom) / 2));
    }
    // The pointer moves there, as a hand moves the mouse: the pointer's place, then what lies
    // under it hears of the move, the enter and the leave.
    void PointAt(QPoint inWindow) {
        QCursor::setPos(form->Widget()->mapToGlobal(inWindow));
        PumpEvents();
    }
    // The pointer goes there in small steps, over whatever lies between.
    void Glide(QPoint from, QPoint to, int steps = 8) {
        for (int i = 1; i <= steps; ++i)
            PointAt(from + (to - from) * i / steps);
    }
    void ClickAt(QPoint inWindow, Qt::KeyboardModifiers mods = {}) {
        PointAt(inWindow);
        QTest::mouseClick(Window(), Qt::LeftButton, mods, inWindow);
        PumpEvents();
    }
    void DoubleClickAt(QPoint inWindow) {
        PointAt(inWindow);
        QTest::mouseDClick(Window(), Qt::LeftButton, {}, inWindow);
        PumpEvents();
    }
    // Waits while the event loop runs its timers.
    static void Wait(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            PumpEvents(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        PumpEvents();
    }
    void FillLibrary(const std::vector<std::string>& titles) {
        for (size_t r = 0; r < titles.size(); ++r)
            AppendTableRow(M().Model.MediaDB,
                           {"Artist", titles[r], "Album", "3:5", "4000000",
                            "C:\\music\\" + std::to_string(r) + ".mp3", "128", std::to_string(r)});
        M().RefreshMediaDBList();
        PumpEvents();
    }
    // Hints after 50 ms, hidden again `hideAfter` ms after they show or the pointer leaves them.
    void QuickHints(int hideAfter) {
        M().Options.edHintShowAfter = "50";
        M().Options.edHintHide = std::to_string(hideAfter);
        M().ApplyOptions();
        PumpEvents();
    }
    // Rests the pointer on a line of the track view until its hint shows.
    void RestOnLine(int line) {
        PointAt(LineInWindow(form->BvPlaylist, line));
        PointAt(LineInWindow(form->BvPlaylist, line, 44));
        auto shown = [&] { return form->PanelHint->Visible() && M().Hint.Line == line; };
        for (int i = 0; i < 200 && !shown(); ++i)
            Wait(10);
        ASSERT_TRUE(shown()) << "line " << line;
    }
};

// ---- The library --------------------------------------------------------------------------

// Typing a search moves the focused line from match to match; it selects nothing, so "Copy to
// tracklist" takes the lines the user chose and no line a search passed over.
TEST_F(MainWindowInUse, TheLibrarySearchMovesTheFocusAndKeepsTheChosenLines) {
    Start();
    FillLibrary({"Intro", "Sea shanty", "Solo", "Song one", "Song two", "Song three", "Outro"});
    ClickCaption(form->BvGroupMediaDB);
    TBvPlaylist* list = form->MediaDBList;
    ASSERT_EQ(7, list->Items()->Count());
    ClickAt(LineInWindow(list, 0));
    ClickAt(LineInWindow(list, 6), Qt::ControlModifier);
    ASSERT_EQ((std::vector<int>{0, 6}), list->SelectedLines());

    // Typed into the list, the letters go to the search box one by one.
    QTest::keyClicks(KeyTarget(), "song t");
    PumpEvents();
    EXPECT_EQ("song t", form->EditSearchDB->Caption());
    EXPECT_EQ(4, list->ItemIndex()) << "\"Song two\" is focused";
    EXPECT_EQ((std::vector<int>{0, 6}), list->SelectedLines());
    // "Next" moves on to "Song three", again without selecting it.
    ClickAt(CentreInWindow(form->btnSearch));
    EXPECT_EQ(5, list->ItemIndex());
    EXPECT_EQ((std::vector<int>{0, 6}), list->SelectedLines());
    // Typed into the search box itself: the same.
    ClickAt(CentreInWindow(form->EditSearchDB));
    QTest::keyClick(form->EditSearchDB->Widget(), Qt::Key_End);
    QTest::keyClick(form->EditSearchDB->Widget(), Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClicks(form->EditSearchDB->Widget(), "so");
    PumpEvents();
    EXPECT_EQ(2, list->ItemIndex()) << "\"Solo\"";
    EXPECT_EQ((std::vector<int>{0, 6}), list->SelectedLines());
    Save("main_window_library_search");

    // Copy to tracklist takes the two chosen lines (their files are missing, so nothing is
    // added, but the command reads exactly those lines).
    form->ReadSelections();
    EXPECT_EQ((std::vector<int>{0, 6}), M().MediaDBList.SelectedLines());
}

// A library longer than the box: the user chooses two lines near the top, pages down with the
// scroll bar to the end, Ctrl-clicks the last line and copies the three to the track list,
// which then holds exactly those files in their order.
TEST_F(MainWindowInUse, ChosenLinesOfALongLibraryGoToTheTrackList) {
    Start();
    const std::string fixture = std::string(BV_TEST_DATA_DIR) + "/tags/v23_latin1_cbr.mp3";
    std::vector<std::string> files;
    for (int r = 0; r < 200; ++r) {
        const std::string name = "song" + std::to_string(r) + ".mp3";
        std::filesystem::copy_file(fixture, folder.File(name));
        files.push_back(ToWindowsPath(folder.File(name)));
        AppendTableRow(M().Model.MediaDB, {"Artist", "Song " + std::to_string(r), "Album", "3:5",
                                           "4000000", files.back(), "128", std::to_string(r)});
    }
    ClickCaption(form->BvGroupMediaDB);
    TBvPlaylist* list = form->MediaDBList;
    ASSERT_EQ(200, list->Count());
    EXPECT_EQ(list->TopIndex(), 0);
    ClickAt(LineInWindow(list, 1));
    ClickAt(LineInWindow(list, 3), Qt::ControlModifier);
    // Page by page down the bar, a click above its lower arrow each time.
    auto* area = dynamic_cast<QAbstractScrollArea*>(list->Widget());
    ASSERT_NE(nullptr, area);
    QScrollBar* bar = area->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    const QPoint low =
        bar->mapTo(form->Widget(), QPoint(bar->width() / 2, bar->height() - bar->width() - 4));
    for (int page = 0; page < 100 && list->TopIndex() < bar->maximum(); ++page)
        ClickAt(low);
    ASSERT_EQ(list->TopIndex(), bar->maximum());
    ClickAt(LineInWindow(list, 199), Qt::ControlModifier);
    EXPECT_EQ((std::vector<int>{1, 3, 199}), list->SelectedLines());
    EXPECT_EQ(199, list->ItemIndex());
    EXPECT_EQ("200. Artist - Song 199 (03:05)", list->ItemText(199));
    Save("main_window_library_end");

    form->Copytotracklist1->Click();
    PumpEvents();
    EXPECT_EQ(dialogs.Messages(), 0);
    EXPECT_EQ((std::vector<std::string>{files[1], files[3], files[199]}),
              M().Model.TrackListHolder.StringsByName("FileName").Items());
    EXPECT_EQ((std::vector<int>{1, 3, 199}), list->SelectedLines()) << "the choice stays";
}

// The box holds the list, and below it the "Search:" caption, the search box and "Next" in
// one row, inside the box and clear of each other.
TEST_F(MainWindowInUse, TheMediaDbBoxShowsTheListThenTheSearchRow) {
    Start();
    FillLibrary({"Intro", "Song one", "Song two"});
    ClickCaption(form->BvGroupMediaDB);
    TBvPlaylist* list = form->MediaDBList;
    TLabel* caption = form->lbSearchDB;
    TEdit* search = form->EditSearchDB;
    TBvImgBtn* next = form->btnSearch;
    ASSERT_NE(nullptr, caption);
    EXPECT_EQ("Search:", caption->Caption());
    EXPECT_TRUE(caption->Visible());
    const int listBottom = list->Top() + list->Height();
    for (TControl* c : {static_cast<TControl*>(caption), static_cast<TControl*>(search),
                        static_cast<TControl*>(next)}) {
        SCOPED_TRACE(c->Name());
        EXPECT_GE(c->Top(), listBottom) << "below the list";
        EXPECT_LE(c->Top() + c->Height(), form->BvGroupMediaDB->Height());
        EXPECT_LE(c->Left() + c->Width(), form->BvGroupMediaDB->ClientWidth());
    }
    // One row: the caption, then the box, then the button, none over another.
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(*caption->Font());
    EXPECT_LE(caption->Left() + measure.Canvas()->TextWidth(caption->Caption()), search->Left());
    EXPECT_LE(caption->Left() + caption->Width(), search->Left());
    EXPECT_LE(search->Left() + search->Width(), next->Left());
    const int row = search->Top() + search->Height() / 2;
    for (TControl* c : {static_cast<TControl*>(caption), static_cast<TControl*>(next)})
        EXPECT_TRUE(c->Top() < row && row < c->Top() + c->Height()) << c->Name();
    Save("main_window_media_db");
}

// ---- The information hint ------------------------------------------------------------------

// Leaving the hint starts its hide delay wherever the pointer goes: the left column, the speed
// bar, outside the window. While the pointer stays on the hint (its text, its check box, its
// edge) it stays.
TEST_F(MainWindowInUse, LeavingTheHintForAnyPlaceHidesItAfterTheDelay) {
    Start();
    QuickHints(300);
    FillTracks(30);
    TBvPanel* hint = form->PanelHint;
    const QPoint places[] = {CentreInWindow(form->bvGroupActions),
                             CentreInWindow(form->BvSpeedBar1), QPoint(form->Width() + 60, 40)};
    for (const QPoint& away : places) {
        SCOPED_TRACE(std::to_string(away.x()) + "," + std::to_string(away.y()));
        RestOnLine(3);
        PointAt(CentreInWindow(form->LabelPopupText));
        PointAt(CentreInWindow(form->cbInfoHints));
        PointAt(InWindow(hint, QPoint(2, 2)));
        PointAt(InWindow(hint, QPoint(3, 3)));
        Wait(600);
        ASSERT_TRUE(hint->Visible()) << "the hint stays under the pointer";
        PointAt(CentreInWindow(form->LabelPopupText));
        PointAt(away);
        Wait(150);
        EXPECT_TRUE(hint->Visible()) << "shown until the delay has passed";
        Wait(600);
        EXPECT_FALSE(hint->Visible()) << "hidden after the delay";
        PointAt(LineInWindow(form->BvPlaylist, 10));
        Wait(20);
    }
}

// A double-click on the hint opens the tag editor on the hinted track and hides the hint for
// good; a click on its check box switches the hints off and reaches nothing beneath it.
TEST_F(MainWindowInUse, DoubleClickingTheHintEditsItsTrackAndItsCheckBoxStaysOnTheHint) {
    Start();
    QuickHints(4000);
    FillTracks(30);
    TBvPlaylist* view = form->BvPlaylist;
    TBvPanel* hint = form->PanelHint;
    ClickAt(LineInWindow(view, 1));
    ASSERT_EQ((std::vector<int>{1}), view->SelectedLines());

    // The hand goes from the line onto the hint over the lines beside it and rests there
    // longer than the show delay: the hint stays where it is.
    RestOnLine(6);
    const TRect shown = hint->BoundsRect();
    Glide(LineInWindow(view, 6, 44), CentreInWindow(form->LabelPopupText));
    Wait(250);
    ASSERT_TRUE(hint->Visible());
    EXPECT_EQ(shown, hint->BoundsRect()) << "the hint stays under the pointer";
    Save("main_window_hint");
    DoubleClickAt(CentreInWindow(form->LabelPopupText));
    EXPECT_FALSE(form->bvGroupBoxTags->Collapsed());
    EXPECT_EQ("Song number 6", form->edTitle->Caption());
    EXPECT_EQ(6, view->ItemIndex());
    EXPECT_FALSE(hint->Visible());
    // The pointer rests where the hint was: it does not come back on its own.
    Wait(200);
    EXPECT_FALSE(hint->Visible());
    Save("main_window_hint_double_clicked");

    // The check box: the line beneath it is neither clicked nor selected.
    PointAt(LineInWindow(view, 12));
    RestOnLine(12);
    const QPoint box = CentreInWindow(form->cbInfoHints);
    Glide(LineInWindow(view, 12, 44), box);
    Wait(250);
    const std::vector<int> selected = view->SelectedLines();
    const int focused = view->ItemIndex();
    const std::string title = form->edTitle->Caption();
    ClickAt(box);
    EXPECT_FALSE(M().Options.cbInfoHints);
    EXPECT_FALSE(hint->Visible());
    EXPECT_EQ(selected, view->SelectedLines());
    EXPECT_EQ(focused, view->ItemIndex());
    EXPECT_EQ(title, form->edTitle->Caption());
    // No hint follows while the option is off.
    PointAt(LineInWindow(view, 14));
    Wait(200);
    EXPECT_FALSE(hint->Visible());
}

// ---- Adding files --------------------------------------------------------------------------

// Qt's dialog shows the filter's description once with its patterns, not the patterns twice.
TEST_F(MainWindowInUse, TheAddFilesDialogOffersOneMediaFilesPattern) {
    Start();
    SetDialogResponder(nullptr); // Qt's own dialog, for real
    QStringList filters;
    QString shown;
    QTimer person;
    person.setInterval(20);
    QObject::connect(&person, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        person.stop();
        filters = dialog->nameFilters();
        if (auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo"))
            shown = combo->currentText();
        dialog->reject();
    });
    person.start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    watchdog.start(20000);
    ClickAt(CentreInWindow(form->spAddFiles->Button()));
    person.stop();
    dialogs.Install();
    EXPECT_EQ(QStringList{"Media files (*.mp3 *.m4a)"}, filters);
    EXPECT_EQ("Media files (*.mp3 *.m4a)", shown.toStdString());
}

} // namespace
