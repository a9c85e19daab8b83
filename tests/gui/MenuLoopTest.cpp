// Menus driven as a person drives them: real Qt key and mouse events into the form's widgets
// and the open menu windows. The menus are owner-drawn, so every measure, draw and selection
// the layer makes shows as a message on the form.
#include "BvWndProcHook.h"
#include "GuiTestEnvironment.h"
#include "Menus.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

// A focusable control that takes no key for itself, as most controls leave Alt and F10.
class TFocusPad : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
};

struct TMenuSelect {
    int Id;
    uint32_t Flags;
    uintptr_t Menu;
};

struct TDrawSeen {
    uintptr_t Item;
    uint32_t State;
    TRect Rect;
};

class MenuLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(400, 300);
        menu = new TMainMenu(form);
        menu->SetOwnerDraw(true);
        file = AddItem(menu->Items(), "&File");
        open = AddItem(file, "&Open");
        AddItem(file, "-");
        exit = AddItem(file, "E&xit");
        edit = AddItem(menu->Items(), "&Edit");
        copy = AddItem(edit, "&Copy");
        paste = AddItem(edit, "&Paste");
        pad = new TFocusPad(form);
        pad->SetBounds(10, 10, 100, 60);
        pad->TabStop = true;
        pad->SetParent(form);
        RegisterWndProcHook(form, spy, TBvHookOrder::hoAfterMsg);
        form->SetMenu(menu);
        form->Show();
        PumpEvents();
        pad->SetFocus();
        PumpEvents();
    }
    void TearDown() override {
        CloseMenus();
        UnRegisterWndProcHook(form, spy, TBvHookOrder::hoAfterMsg);
        delete form;
        PumpEvents();
    }

    TMenuItem* AddItem(TMenuItem* parent, const char* caption) {
        auto* it = new TMenuItem(form);
        it->SetCaption(caption);
        // A submenu's item is clicked as the submenu opens; only commands count here.
        it->OnClick = [this, it](TObject*) {
            if (it->Count() == 0)
                clicked.push_back(it);
            else
                popped.push_back(it);
        };
        parent->Add(it);
        return it;
    }

    QWidget* Bar() {
        for (QObject* o : form->Widget()->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && w != form->ClientWidget() && w->y() == 0)
                return w;
        }
        return nullptr;
    }
    // Keys go where the system sends them: the open menu, else the focused control.
    QWidget* KeyTarget() {
        if (QWidget* popup = QApplication::activePopupWidget())
            return popup;
        return pad->Widget();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(KeyTarget(), key, mods);
        PumpEvents();
    }
    void AltAlone() {
        QTest::keyPress(KeyTarget(), Qt::Key_Alt);
        QTest::keyRelease(KeyTarget(), Qt::Key_Alt);
        PumpEvents();
    }
    // The middle of a bar item, as last drawn.
    QPoint BarPoint(TMenuItem* item) {
        Bar()->repaint();
        for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
            if (it->Item == reinterpret_cast<uintptr_t>(item)) {
                const TRect& r = it->Rect;
                return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
            }
        ADD_FAILURE() << "bar item never drawn";
        return {};
    }
    bool DrawnSince(TMenuItem* item, size_t from) {
        for (size_t i = from; i < drawn.size(); ++i)
            if (drawn[i].Item == reinterpret_cast<uintptr_t>(item))
                return true;
        return false;
    }
    // The state the item was last drawn with after the mark; a missing draw fails the test.
    uint32_t LastState(TMenuItem* item, size_t from = 0) {
        uint32_t state = 0;
        if (!DrawnSince(item, from))
            ADD_FAILURE() << item->Caption() << " was not drawn";
        for (size_t i = from; i < drawn.size(); ++i)
            if (drawn[i].Item == reinterpret_cast<uintptr_t>(item))
                state = drawn[i].State;
        return state;
    }
    // The form with the open menu over it, as the screen shows them.
    void SaveMenuShot(const char* name) {
        QImage shot = form->Widget()->grab().toImage();
        if (QWidget* popup = ActiveMenuWindow()) {
            QPainter p(&shot);
            p.drawImage(popup->geometry().topLeft() - form->Widget()->mapToGlobal(QPoint(0, 0)),
                        popup->grab().toImage());
        }
        shot.save(QString::fromStdString(std::string(BV_BINARY_DIR) + "/" + name));
    }
    TMenuItem* OpenedMenu() { return opened.empty() ? nullptr : opened.back(); }

    TForm* form = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file, *open, *exit, *edit, *copy, *paste;
    TFocusPad* pad = nullptr;
    std::vector<TMenuItem*> clicked;
    std::vector<TMenuItem*> popped;
    std::vector<TMenuSelect> selects;
    std::vector<TDrawSeen> drawn;
    std::vector<TMenuItem*> opened;
    TBvHookMethod spy{this, [this](TMessage& m) {
                          switch (m.Msg) {
                          case WM_MENUSELECT:
                              selects.push_back({static_cast<int>(m.WParam & 0xFFFF),
                                                 static_cast<uint32_t>((m.WParam >> 16) & 0xFFFF),
                                                 static_cast<uintptr_t>(m.LParam)});
                              break;
                          case WM_INITMENUPOPUP:
                              opened.push_back(reinterpret_cast<TMenuItem*>(m.WParam));
                              break;
                          case WM_DRAWITEM: {
                              auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
                              if (dis->CtlType == ODT_MENU)
                                  drawn.push_back({dis->itemData, dis->itemState, dis->rcItem});
                              break;
                          }
                          default:
                              break;
                          }
                          return false;
                      }};
};

} // namespace

TEST_F(MenuLoopTest, TheKeyboardWalksTheMenuAndRunsTheItem) {
    AltAlone();
    ASSERT_FALSE(selects.empty()) << "Alt alone did not select the bar";
    EXPECT_EQ(selects.back().Id, 0);
    EXPECT_EQ(selects.back().Flags, MF_HILITE | MF_POPUP);
    EXPECT_EQ(selects.back().Menu, reinterpret_cast<uintptr_t>(menu->Items()));
    EXPECT_EQ(ActiveMenuWindow(), nullptr) << "the bar is selected, nothing drops down yet";
    EXPECT_NE(LastState(file) & ODS_HOTLIGHT, 0);

    // Down drops File down with its first item highlighted; the next Down skips the line.
    Key(Qt::Key_Down);
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(OpenedMenu(), file);
    EXPECT_EQ(selects.back().Id, open->Command());
    EXPECT_EQ(selects.back().Flags, MF_HILITE);
    EXPECT_EQ(selects.back().Menu, reinterpret_cast<uintptr_t>(file));
    Key(Qt::Key_Down);
    EXPECT_EQ(selects.back().Id, exit->Command());

    // Right moves across the bar: Edit drops down in its place.
    Key(Qt::Key_Right);
    EXPECT_EQ(OpenedMenu(), edit);
    EXPECT_EQ(popped, (std::vector<TMenuItem*>{file, edit})) << "each opening clicks its item";
    EXPECT_NE(LastState(edit) & ODS_SELECTED, 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(selects.back().Id, paste->Command());
    Key(Qt::Key_Return);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], paste);
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(selects.back().Flags, MF_MENUCLOSED) << "closing is announced";
    EXPECT_EQ(selects.back().Menu, 0u);

    // Keys reach the control again once the menu is closed.
    std::vector<uint16_t> keys;
    pad->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { keys.push_back(key); };
    Key(Qt::Key_A);
    EXPECT_EQ(keys, std::vector<uint16_t>{'A'});
}

TEST_F(MenuLoopTest, EscClosesOneLevelAtATimeAndF10EntersTheBar) {
    Key(Qt::Key_F10);
    EXPECT_EQ(selects.back().Menu, reinterpret_cast<uintptr_t>(menu->Items()));
    Key(Qt::Key_Left);
    EXPECT_EQ(selects.back().Id, 1) << "Left from the first bar item wraps to the last";
    Key(Qt::Key_Return);
    EXPECT_EQ(OpenedMenu(), edit);
    Key(Qt::Key_Escape);
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    EXPECT_NE(LastState(edit) & ODS_HOTLIGHT, 0) << "Esc goes back to the bar";
    size_t mark = selects.size();
    Key(Qt::Key_Escape);
    ASSERT_GT(selects.size(), mark);
    EXPECT_EQ(selects.back().Flags, MF_MENUCLOSED);
    EXPECT_TRUE(clicked.empty());
    size_t drawnBefore = drawn.size();
    Bar()->repaint();
    EXPECT_EQ(LastState(edit, drawnBefore) & (ODS_HOTLIGHT | ODS_SELECTED), 0);

    // A click elsewhere in the window leaves the bar too, and keys go to the controls again.
    Key(Qt::Key_F10);
    mark = selects.size();
    QTest::mouseClick(pad->Widget(), Qt::LeftButton);
    PumpEvents();
    ASSERT_GT(selects.size(), mark);
    EXPECT_EQ(selects.back().Flags, MF_MENUCLOSED);
    std::vector<uint16_t> keys;
    pad->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { keys.push_back(key); };
    Key(Qt::Key_B);
    EXPECT_EQ(keys, std::vector<uint16_t>{'B'});
}

// Mnemonics are underlined only in a menu worked with the keyboard: the items of one opened
// with the mouse are drawn with ODS_NOACCEL until a key is used in it; Alt shows them at once.
TEST_F(MenuLoopTest, MnemonicsAreUnderlinedOnceTheKeyboardIsUsed) {
    Bar()->repaint();
    EXPECT_NE(LastState(file) & ODS_NOACCEL, 0) << "a bar at rest";
    QTest::mouseClick(Bar(), Qt::LeftButton, {}, BarPoint(file));
    PumpEvents();
    ASSERT_EQ(OpenedMenu(), file);
    EXPECT_NE(LastState(open) & ODS_NOACCEL, 0) << "opened with the mouse";
    size_t mark = drawn.size();
    Key(Qt::Key_Down);
    EXPECT_EQ(LastState(open, mark) & ODS_NOACCEL, 0) << "a key used in the open menu";
    EXPECT_EQ(LastState(file, mark) & ODS_NOACCEL, 0) << "the bar too";
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    ASSERT_EQ(ActiveMenuWindow(), nullptr);
    mark = drawn.size();
    Bar()->repaint();
    EXPECT_NE(LastState(file, mark) & ODS_NOACCEL, 0) << "the menu closed";
    mark = drawn.size();
    AltAlone();
    EXPECT_EQ(LastState(file, mark) & ODS_NOACCEL, 0) << "entered with Alt";
    Key(Qt::Key_Escape);
}

TEST_F(MenuLoopTest, HoverAcrossTheBarOpensTheNeighboursMenu) {
    QWidget* bar = Bar();
    ASSERT_NE(bar, nullptr);
    QPoint filePoint = BarPoint(file), editPoint = BarPoint(edit);

    // Hovering alone makes an item hot, nothing opens.
    QTest::mouseMove(bar, filePoint);
    PumpEvents();
    EXPECT_NE(LastState(file) & ODS_HOTLIGHT, 0);
    EXPECT_EQ(ActiveMenuWindow(), nullptr);

    QTest::mouseClick(bar, Qt::LeftButton, {}, filePoint);
    PumpEvents();
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(OpenedMenu(), file);
    EXPECT_NE(LastState(file) & ODS_SELECTED, 0);

    // Once a menu is open the pointer carries it across the bar.
    QTest::mouseMove(bar, editPoint);
    PumpEvents();
    EXPECT_EQ(OpenedMenu(), edit);
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    EXPECT_TRUE(ActiveMenuWindow()->isVisible());
    EXPECT_EQ(selects.back().Id, 1);
    EXPECT_EQ(selects.back().Flags, MF_HILITE | MF_POPUP);
    SaveMenuShot("gui_menu_open.png");

    // An item of the open menu under the pointer is selected and runs on a click.
    QWidget* popup = ActiveMenuWindow();
    QPoint inPopup(popup->width() / 2, 2 + 3);
    QTest::mouseMove(popup, inPopup);
    PumpEvents();
    EXPECT_EQ(selects.back().Id, copy->Command());
    QTest::mouseClick(popup, Qt::LeftButton, {}, inPopup);
    PumpEvents();
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], copy);

    // A second click on the open item closes its menu.
    QTest::mouseClick(bar, Qt::LeftButton, {}, filePoint);
    PumpEvents();
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, filePoint);
    PumpEvents();
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
}

TEST_F(MenuLoopTest, AltWithAMnemonicDropsItsMenuDown) {
    std::vector<char16_t> typed;
    pad->OnKeyPress = [&](TObject*, char16_t& ch) { typed.push_back(ch); };
    QTest::keyClick(pad->Widget(), Qt::Key_E, Qt::AltModifier);
    PumpEvents();
    EXPECT_EQ(OpenedMenu(), edit);
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(selects.back().Id, copy->Command()) << "its first item is highlighted";
    Key(Qt::Key_C);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], copy);

    // A letter no bar item has does not enter the menu.
    size_t mark = selects.size();
    QTest::keyClick(pad->Widget(), Qt::Key_Q, Qt::AltModifier);
    PumpEvents();
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(selects.size(), mark);
    EXPECT_TRUE(typed.empty()) << "Alt with a letter never types";
}

TEST_F(MenuLoopTest, MnemonicsGoThroughWmMenuChar) {
    std::vector<std::pair<char16_t, uintptr_t>> asked;
    TBvHookMethod charSpy(&asked, [&](TMessage& m) {
        if (m.Msg == WM_MENUCHAR)
            asked.push_back(
                {static_cast<char16_t>(m.WParam & 0xFFFF), static_cast<uintptr_t>(m.LParam)});
        return false;
    });
    RegisterWndProcHook(form, charSpy, TBvHookOrder::hoAfterMsg);
    Key(Qt::Key_F10);
    Key(Qt::Key_E);
    EXPECT_EQ(OpenedMenu(), edit) << "E is the mnemonic of &Edit";
    Key(Qt::Key_P);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], paste);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].second, reinterpret_cast<uintptr_t>(menu->Items()));
    EXPECT_EQ(asked[1].second, reinterpret_cast<uintptr_t>(edit));
    EXPECT_EQ(ActiveMenuWindow(), nullptr);

    // Whatever the owner answers is done: here it picks Exit for any letter.
    TBvHookMethod answer(&clicked, [&](TMessage& m) {
        if (m.Msg != WM_MENUCHAR || m.LParam != reinterpret_cast<intptr_t>(file))
            return false;
        m.Result = MakeLParam(2, static_cast<int>(MNC_EXECUTE));
        return true;
    });
    RegisterWndProcHook(form, answer, TBvHookOrder::hoBeforeMsg);
    Key(Qt::Key_F10);
    Key(Qt::Key_Down);
    Key(Qt::Key_Q);
    ASSERT_EQ(clicked.size(), 2u);
    EXPECT_EQ(clicked[1], exit);
    UnRegisterWndProcHook(form, answer, TBvHookOrder::hoBeforeMsg);

    // A letter no item has leaves the menu open.
    Key(Qt::Key_F10);
    Key(Qt::Key_Down);
    Key(Qt::Key_Z);
    EXPECT_NE(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(clicked.size(), 2u);
    UnRegisterWndProcHook(form, charSpy, TBvHookOrder::hoAfterMsg);
}

TEST_F(MenuLoopTest, ItemChangesRepaintTheBarAndTheOpenMenu) {
    struct TCase {
        const char* Name;
        std::function<void()> Change;
        TMenuItem* Item;
        uint32_t Expect;
    };
    PumpEvents();
    const TCase cases[] = {
        {"disable a bar item", [&] { edit->SetEnabled(false); }, edit, ODS_DISABLED},
        {"enable it again", [&] { edit->SetEnabled(true); }, edit, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        size_t mark = drawn.size();
        c.Change();
        PumpEvents();
        EXPECT_EQ(LastState(c.Item, mark) & ODS_DISABLED, c.Expect);
    }

    QTest::mouseClick(Bar(), Qt::LeftButton, {}, BarPoint(file));
    PumpEvents();
    QWidget* popup = ActiveMenuWindow();
    ASSERT_NE(popup, nullptr);
    size_t mark = drawn.size();
    open->SetChecked(true);
    PumpEvents();
    EXPECT_NE(LastState(open, mark) & ODS_CHECKED, 0) << "the open menu did not repaint";
    mark = drawn.size();
    exit->SetEnabled(false);
    PumpEvents();
    EXPECT_NE(LastState(exit, mark) & ODS_DISABLED, 0);

    int before = popup->height();
    open->SetVisible(false);
    PumpEvents();
    EXPECT_LT(popup->height(), before) << "a hidden item leaves the open menu";
    mark = drawn.size();
    popup->repaint();
    EXPECT_FALSE(DrawnSince(open, mark));
}

TEST_F(MenuLoopTest, TheBarIsAsHighAsItsItemsMeasure) {
    EXPECT_EQ(form->MenuBarHeight(), GetSystemMetrics(SM_CYMENU) + 1);
    TBvHookMethod tall(&drawn, [&](TMessage& m) {
        if (m.Msg == WM_MEASUREITEM) {
            auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
            if (mis->CtlType == ODT_MENU && mis->itemData == reinterpret_cast<uintptr_t>(edit))
                mis->itemHeight = 31;
        }
        return false;
    });
    RegisterWndProcHook(form, tall, TBvHookOrder::hoAfterMsg);
    // Any change of the menu measures the bar again.
    menu->SetOwnerDraw(false);
    menu->SetOwnerDraw(true);
    PumpEvents();
    EXPECT_EQ(form->MenuBarHeight(), 32);
    EXPECT_EQ(Bar()->height(), 32);
    EXPECT_EQ(form->ClientRect().Height(), 300 - 32);
    EXPECT_EQ(form->ClientWidget()->y(), 32);
    UnRegisterWndProcHook(form, tall, TBvHookOrder::hoAfterMsg);
}

TEST_F(MenuLoopTest, AContextMenuWalksWithTheKeyboardAndSaysWhatIsSelected) {
    auto* popupMenu = new TPopupMenu(form);
    auto* first = AddItem(popupMenu->Items(), "&First");
    AddItem(popupMenu->Items(), "-");
    auto* second = AddItem(popupMenu->Items(), "&Second");
    std::vector<TMenuSelect> listSelects;
    TBvHookMethod listSpy(&listSelects, [&](TMessage& m) {
        if (m.Msg == WM_MENUSELECT)
            listSelects.push_back({static_cast<int>(m.WParam & 0xFFFF),
                                   static_cast<uint32_t>((m.WParam >> 16) & 0xFFFF),
                                   static_cast<uintptr_t>(m.LParam)});
        return false;
    });
    RegisterWndProcHook(PopupListWindow(), listSpy, TBvHookOrder::hoBeforeMsg);
    popupMenu->Popup(50, 50);
    PumpEvents();
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    Key(Qt::Key_Up);
    ASSERT_FALSE(listSelects.empty());
    EXPECT_EQ(listSelects.back().Id, second->Command()) << "Up from nothing wraps to the last";
    Key(Qt::Key_Up);
    EXPECT_EQ(listSelects.back().Id, first->Command());
    Key(Qt::Key_Return);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], first);
    EXPECT_EQ(listSelects.back().Flags, MF_MENUCLOSED);
    UnRegisterWndProcHook(PopupListWindow(), listSpy, TBvHookOrder::hoBeforeMsg);
}

// A title highlighted while its menu was open is drawn plain again once the menu closed,
// whether an item ran or Esc closed it; Esc closes a menu opened with the mouse at once.
TEST_F(MenuLoopTest, NoTitleStaysHighlightedAfterItsMenuClosed) {
    QWidget* bar = Bar();
    ASSERT_NE(bar, nullptr);
    const QPoint filePoint = BarPoint(file);
    auto openFile = [&] {
        QTest::mouseMove(bar, filePoint);
        PumpEvents();
        QTest::mouseClick(bar, Qt::LeftButton, {}, filePoint);
        PumpEvents();
    };
    auto highlight = [&] {
        size_t mark = drawn.size();
        Bar()->repaint();
        return LastState(file, mark) & (ODS_HOTLIGHT | ODS_SELECTED);
    };

    openFile();
    QWidget* popup = ActiveMenuWindow();
    ASSERT_NE(popup, nullptr);
    const QPoint onOpen(popup->width() / 2, 2 + 3);
    QTest::mouseMove(popup, onOpen);
    QTest::mouseClick(popup, Qt::LeftButton, {}, onOpen);
    PumpEvents();
    ASSERT_EQ(clicked, std::vector<TMenuItem*>{open});
    EXPECT_EQ(highlight(), 0u) << "after an item ran";

    openFile();
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    Key(Qt::Key_Escape);
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(highlight(), 0u) << "after Esc";
    // The menu let the keyboard go: keys reach the controls again.
    std::vector<uint16_t> keys;
    pad->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { keys.push_back(key); };
    Key(Qt::Key_B);
    EXPECT_EQ(keys, std::vector<uint16_t>{'B'});
}

// Context menus, their submenus and the bar's drop-downs opened near the screen's edges are
// flipped or moved so that every item can be reached.
TEST_F(MenuLoopTest, PopupsAndSubmenusStayOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    auto* popupMenu = new TPopupMenu(form);
    for (int i = 0; i < 10; ++i)
        AddItem(popupMenu->Items(), ("Item " + std::to_string(i)).c_str());
    TMenuItem* copyTo = AddItem(popupMenu->Items(), "&Copy to playlist");
    for (int i = 0; i < 15; ++i)
        AddItem(copyTo, ("Playlist " + std::to_string(i)).c_str());

    // Opened at the bottom right corner: the menu stands above and left of the point.
    const QPoint corner(area.right() - 4, area.bottom() - 4);
    popupMenu->Popup(corner.x(), corner.y());
    PumpEvents();
    QWidget* menuWindow = ActiveMenuWindow();
    ASSERT_NE(menuWindow, nullptr);
    EXPECT_TRUE(area.contains(menuWindow->geometry()));
    EXPECT_LE(menuWindow->geometry().bottom(), corner.y());
    EXPECT_LE(menuWindow->geometry().right(), corner.x());

    // Its last item's submenu opens to the left of the menu, its items all on the screen.
    Key(Qt::Key_Up);
    Key(Qt::Key_Right);
    QWidget* submenu = QApplication::activePopupWidget();
    ASSERT_NE(submenu, nullptr);
    ASSERT_NE(submenu, menuWindow);
    EXPECT_TRUE(area.contains(submenu->geometry()));
    EXPECT_LE(submenu->geometry().right(), menuWindow->geometry().left() + 3);
    CloseMenus();
    PumpEvents();

    // A window at the bottom of the screen: its bar's menu drops up.
    form->SetBounds(area.left() + 20, area.bottom() - 70, 400, 40);
    PumpEvents();
    QTest::mouseClick(Bar(), Qt::LeftButton, {}, BarPoint(file));
    PumpEvents();
    QWidget* dropDown = ActiveMenuWindow();
    ASSERT_NE(dropDown, nullptr);
    EXPECT_TRUE(area.contains(dropDown->geometry()));
    EXPECT_LE(dropDown->geometry().bottom(), Bar()->mapToGlobal(QPoint(0, 0)).y());
}
