#include "BvDragDrop.h"
#include "BvWndProcHook.h"
#include "Dialogs.h"
#include "Dispatcher.h"
#include "ExtCtrls.h"
#include "GuiTestEnvironment.h"
#include "Menus.h"
#include "ShellAPI.h"
#include "StdCtrls.h"
#include "qt/QtBridge.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <gtest/gtest.h>
#include <set>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

QImage Grab(TWinControl* control) {
    Pump();
    return control->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TColor At(const QImage& image, int x, int y) {
    QRgb p = image.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

class GuiFormTest : public ::testing::Test {
protected:
    void SetUp() override { form = MakeTestForm(480, 360); }
    void TearDown() override {
        delete form;
        SetDialogResponder(nullptr);
        Application->OnException = nullptr;
        Pump();
    }
    TForm* form = nullptr;
};

TEST_F(GuiFormTest, EveryStockControlSitsWhereItsBoundsSay) {
    form->SetCaption("Stock controls");
    struct Placed {
        TControl* Control;
        TRect Bounds;
    };
    std::vector<Placed> placed;
    auto place = [&](TControl* c, TWinControl* parent, TRect r, const char* text) {
        c->SetParent(parent);
        c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        if (text)
            c->SetCaption(text);
        placed.push_back({c, r});
        return c;
    };
    auto* panel = new TPanel(form);
    place(panel, form, Rect(10, 10, 150, 60), "Panel");
    panel->SetColor(clRed);
    auto* label = new TLabel(form);
    label->SetAutoSize(false);
    place(label, form, Rect(160, 10, 260, 30), "Label");
    label->SetColor(clYellow);
    place(new TButton(form), form, Rect(270, 10, 350, 35), "Button");
    place(new TEdit(form), form, Rect(10, 70, 150, 92), "edit text");
    auto* memo = new TMemo(form);
    place(memo, form, Rect(160, 70, 300, 140), nullptr);
    memo->Lines()->Add("first line");
    memo->Lines()->Add("second line");
    place(new TCheckBox(form), form, Rect(310, 70, 420, 90), "Check box");
    place(new TRadioButton(form), form, Rect(310, 95, 420, 115), "Radio button");
    auto* combo = new TComboBox(form);
    place(combo, form, Rect(10, 100, 150, 122), nullptr);
    combo->Items()->Add("one");
    combo->Items()->Add("two");
    combo->SetItemIndex(1);
    auto* list = new TListBox(form);
    place(list, form, Rect(10, 150, 150, 250), nullptr);
    for (const char* s : {"alpha", "beta", "gamma"})
        list->Items()->Add(s);
    auto* group = new TGroupBox(form);
    place(group, form, Rect(160, 150, 300, 250), "Group box");
    auto* box = new TScrollBox(form);
    place(box, form, Rect(310, 150, 470, 250), nullptr);
    auto* image = new TImage(form);
    place(image, form, Rect(10, 260, 42, 292), nullptr);
    image->Picture()->SetSize(32, 32);
    image->Picture()->Canvas()->Brush()->SetColor(clBlue);
    image->Picture()->Canvas()->FillRect(Rect(0, 0, 32, 32));
    place(new TBevel(form), form, Rect(60, 260, 120, 300), nullptr);
    auto* splitter = new TSplitter(form);
    splitter->SetAlign(TAlign::alNone);
    place(splitter, form, Rect(130, 260, 133, 340), nullptr);

    // The main menu bar sits above the client area; a popup menu rides on the list.
    auto* menu = new TMainMenu(form);
    for (const char* caption : {"&File", "&Help"}) {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    form->SetMenu(menu);
    auto* popup = new TPopupMenu(form);
    list->SetPopupMenu(popup);
    auto* timer = new TTimer(form);
    timer->SetEnabled(false);

    form->Show();
    QImage shot = Grab(form);
    std::string path = std::string(BV_BINARY_DIR) + "/gui_stock_controls.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(path)));

    std::set<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 8u) << "the screenshot looks blank";

    for (const auto& p : placed) {
        EXPECT_EQ(p.Control->BoundsRect(), p.Bounds) << p.Control->ClassName();
        if (auto* w = dynamic_cast<TWinControl*>(p.Control)) {
            QRect g = w->Widget()->geometry();
            EXPECT_EQ(FromQ(g), p.Bounds) << p.Control->ClassName();
            EXPECT_TRUE(w->Widget()->isVisible()) << p.Control->ClassName();
        }
    }
    // Painted controls show their own colours inside their bounds, below the menu bar.
    const int bar = form->MenuBarHeight();
    ASSERT_GT(bar, 0);
    EXPECT_EQ(form->ClientWidget()->geometry().top(), bar);
    EXPECT_EQ(At(shot, 80, bar + 25), clRed);
    EXPECT_EQ(At(shot, 258, bar + 28), clYellow);
    EXPECT_EQ(At(shot, 11, bar + 261), clBlue);
    EXPECT_EQ(At(shot, 41, bar + 291), clBlue);
    EXPECT_NE(At(shot, 43, bar + 291), clBlue);
    EXPECT_NE(At(shot, 11, bar + 259), clBlue);
    EXPECT_EQ(At(shot, 5, bar + 5), ColorToRGB(clBtnFace));
    // The bar shows its captions: more than one colour across it.
    std::set<QRgb> barColours;
    for (int x = 0; x < 80; ++x)
        for (int y = 0; y < bar; ++y)
            barColours.insert(shot.pixel(x, y));
    EXPECT_GT(barColours.size(), 1u) << "the menu bar is blank";
}

// The menu bar takes its height from the client area whenever the menu comes or goes, and
// the aligned controls follow: a bottom-aligned bar stays in sight.
TEST(GuiFormMenu, AlignedControlsMakeRoomForTheMenuBar) {
    enum class When { BeforeShow, AfterShow };
    for (When when : {When::BeforeShow, When::AfterShow}) {
        SCOPED_TRACE(when == When::BeforeShow ? "before showing" : "after showing");
        TForm* form = MakeTestForm(300, 200);
        auto* bottom = new TPanel(form);
        bottom->SetParent(form);
        bottom->SetHeight(40);
        bottom->SetAlign(TAlign::alBottom);
        auto* rest = new TPanel(form);
        rest->SetParent(form);
        rest->SetAlign(TAlign::alClient);
        auto* menu = new TMainMenu(form);
        auto* file = new TMenuItem(form);
        file->SetCaption("&File");
        menu->Items()->Add(file);
        auto expectFits = [&](const char* what) {
            SCOPED_TRACE(what);
            EXPECT_EQ(bottom->Top() + bottom->Height(), form->ClientHeight());
            EXPECT_EQ(rest->Height(), form->ClientHeight() - 40);
        };
        if (when == When::AfterShow) {
            form->Show();
            Pump();
        }
        form->SetMenu(menu);
        EXPECT_GT(form->MenuBarHeight(), 0);
        EXPECT_EQ(form->ClientHeight(), 200 - form->MenuBarHeight());
        expectFits("with the menu");
        if (when == When::BeforeShow) {
            form->Show();
            Pump();
            expectFits("shown");
        }
        form->SetMenu(nullptr);
        EXPECT_EQ(form->ClientHeight(), 200);
        expectFits("without the menu");
        delete form;
        Pump();
    }
}

TEST_F(GuiFormTest, OwnerDrawnListBoxReceivesMeasureAndDrawMessages) {
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(0, 0, 120, 150);
    list->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
    for (const char* s : {"a", "b", "c"})
        list->Items()->Add(s);
    std::vector<uint32_t> measured, drawn;
    TBvHookMethod spy(&measured, [&](TMessage& m) {
        if (m.Msg == WM_MEASUREITEM) {
            auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
            EXPECT_EQ(mis->CtlType, ODT_LISTBOX);
            EXPECT_EQ(mis->CtlID, list->ControlId());
            measured.push_back(mis->itemID);
        }
        if (m.Msg == WM_DRAWITEM) {
            auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
            EXPECT_EQ(dis->CtlType, ODT_LISTBOX);
            EXPECT_EQ(dis->hwndItem, list);
            drawn.push_back(dis->itemID);
        }
        return false;
    });
    RegisterWndProcHook(form, spy, TBvHookOrder::hoBeforeMsg);
    list->OnMeasureItem = [](TWinControl*, int index, int& height) { height = 20 + index; };
    std::vector<std::pair<int, TRect>> painted;
    list->OnDrawItem = [&](TWinControl* c, int index, TRect rect, TOwnerDrawState) {
        auto* lb = static_cast<TListBox*>(c);
        lb->Canvas()->Brush()->SetColor(index == 1 ? clRed : clBlue);
        lb->Canvas()->FillRect(rect);
        painted.push_back({index, rect});
    };
    form->Show();
    QImage shot = Grab(list);
    EXPECT_EQ(std::set<uint32_t>(measured.begin(), measured.end()), (std::set<uint32_t>{0, 1, 2}));
    EXPECT_EQ(std::set<uint32_t>(drawn.begin(), drawn.end()), (std::set<uint32_t>{0, 1, 2}));
    ASSERT_GE(painted.size(), 3u);
    TRect second = list->ItemRect(1);
    EXPECT_EQ(second.Height(), 21);
    bool sawRed = false;
    for (int y = 0; y < shot.height(); ++y)
        sawRed = sawRed || At(shot, 20, y) == clRed;
    EXPECT_TRUE(sawRed);
    UnRegisterWndProcHook(form, spy, TBvHookOrder::hoBeforeMsg);
}

TEST_F(GuiFormTest, OwnerDrawnComboDrawsItsEditPartThroughTheParent) {
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(0, 0, 150, 24);
    combo->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
    combo->Items()->Add("C:");
    combo->Items()->Add("D:");
    combo->SetItemIndex(1);
    // Item data set through the combo protocol reaches the owner's draw message.
    combo->Perform(CB_SETITEMDATA, 1, 0x5EED);
    std::vector<std::pair<uint32_t, uint32_t>> drawn;
    std::vector<uintptr_t> drawnData;
    TBvHookMethod spy(&drawn, [&](TMessage& m) {
        if (m.Msg == WM_DRAWITEM) {
            auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
            if (dis->CtlType == ODT_COMBOBOX) {
                drawn.push_back({dis->itemID, dis->itemState});
                drawnData.push_back(dis->itemData);
            }
        }
        return false;
    });
    RegisterWndProcHook(form, spy, TBvHookOrder::hoBeforeMsg);
    combo->OnDrawItem = [](TWinControl* c, int, TRect rect, TOwnerDrawState) {
        auto* box = static_cast<TComboBox*>(c);
        box->Canvas()->Brush()->SetColor(clRed);
        box->Canvas()->FillRect(rect);
    };
    form->Show();
    QImage shot = Grab(combo);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].first, 1u);
    EXPECT_NE(drawn[0].second & ODS_COMBOBOXEDIT, 0u);
    EXPECT_EQ(drawnData[0], 0x5EEDu);
    EXPECT_EQ(At(shot, 20, 12), clRed);
    UnRegisterWndProcHook(form, spy, TBvHookOrder::hoBeforeMsg);
}

TEST_F(GuiFormTest, ListBoxMessagesFollowTheListProtocol) {
    auto* list = new TListBox(form);
    list->SetParent(form);
    std::string b = "bravo", a = "alpha", c = "charlie";
    EXPECT_EQ(list->Perform(LB_ADDSTRING, 0, reinterpret_cast<intptr_t>(b.c_str())), 0);
    EXPECT_EQ(list->Perform(LB_INSERTSTRING, 0, reinterpret_cast<intptr_t>(a.c_str())), 0);
    EXPECT_EQ(list->Perform(LB_ADDSTRING, 0, reinterpret_cast<intptr_t>(c.c_str())), 2);
    EXPECT_EQ(list->Perform(LB_GETCOUNT, 0, 0), 3);
    std::string prefix = "CH";
    EXPECT_EQ(list->Perform(LB_FINDSTRING, static_cast<intptr_t>(-1),
                            reinterpret_cast<intptr_t>(prefix.c_str())),
              2);
    EXPECT_EQ(list->Perform(LB_FINDSTRINGEXACT, static_cast<intptr_t>(-1),
                            reinterpret_cast<intptr_t>(prefix.c_str())),
              LB_ERR);
    char buf[32];
    EXPECT_EQ(list->Perform(LB_GETTEXTLEN, 1, 0), 5);
    EXPECT_EQ(list->Perform(LB_GETTEXT, 1, reinterpret_cast<intptr_t>(buf)), 5);
    EXPECT_STREQ(buf, "bravo");
    list->Perform(LB_SETCURSEL, 2, 0);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(list->Perform(LB_DELETESTRING, 0, 0), 2);
    EXPECT_EQ(list->Perform(LB_DELETESTRING, 5, 0), LB_ERR);
    EXPECT_EQ(list->Items()->Text(), "bravo\r\ncharlie\r\n");
}

// A list's, combo box's or memo's strings being updated switch their control's drawing off
// with WM_SETREDRAW at the first BeginUpdate and on again at the last EndUpdate.
TEST_F(GuiFormTest, UpdatingTheStringsTurnsTheControlsDrawingOffAndOn) {
    auto* list = new TListBox(form);
    auto* combo = new TComboBox(form);
    auto* memo = new TMemo(form);
    struct Case {
        const char* Name;
        TWinControl* Control;
        TStrings* Strings;
    };
    const Case cases[] = {{"list box", list, list->Items()},
                          {"combo box", combo, combo->Items()},
                          {"memo", memo, memo->Lines()}};
    for (const Case& c : cases)
        c.Control->SetParent(form);
    form->Show();
    Pump();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<intptr_t> redraw;
        TWndMethod old = c.Control->WindowProc;
        c.Control->WindowProc = [&](TMessage& m) {
            if (m.Msg == WM_SETREDRAW)
                redraw.push_back(m.WParam);
            old(m);
        };
        c.Strings->BeginUpdate();
        c.Strings->BeginUpdate();
        c.Strings->Add("one");
        EXPECT_EQ(redraw, (std::vector<intptr_t>{0}));
        EXPECT_FALSE(c.Control->Widget()->updatesEnabled());
        c.Strings->EndUpdate();
        EXPECT_EQ(redraw, (std::vector<intptr_t>{0})) << "still inside the outer update";
        c.Strings->EndUpdate();
        EXPECT_EQ(redraw, (std::vector<intptr_t>{0, 1}));
        EXPECT_TRUE(c.Control->Widget()->updatesEnabled());
        c.Control->WindowProc = old;
    }
}

TEST_F(GuiFormTest, OwnerDrawnMenusReceiveMeasureAndDrawMessages) {
    auto* menu = new TMainMenu(form);
    menu->SetOwnerDraw(true);
    auto* file = new TMenuItem(form);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* exit = new TMenuItem(form);
    exit->SetCaption("Exit");
    file->Add(exit);
    int clicks = 0;
    exit->OnClick = [&](TObject*) { ++clicks; };
    std::vector<std::pair<uint32_t, uintptr_t>> seen;
    TBvHookMethod after(&seen, [&](TMessage& m) {
        if (m.Msg == WM_MEASUREITEM) {
            auto* mis = reinterpret_cast<TMeasureItemStruct*>(m.LParam);
            if (mis->CtlType == ODT_MENU)
                seen.push_back({WM_MEASUREITEM, mis->itemData});
        }
        if (m.Msg == WM_DRAWITEM) {
            auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
            if (dis->CtlType == ODT_MENU)
                seen.push_back({WM_DRAWITEM, dis->itemData});
        }
        return false;
    });
    RegisterWndProcHook(form, after, TBvHookOrder::hoAfterMsg);
    form->SetMenu(menu);
    form->Show();
    Grab(form);
    auto has = [&](uint32_t msg, TMenuItem* item) {
        for (auto& s : seen)
            if (s.first == msg && s.second == reinterpret_cast<uintptr_t>(item))
                return true;
        return false;
    };
    EXPECT_TRUE(has(WM_MEASUREITEM, file));
    EXPECT_TRUE(has(WM_DRAWITEM, file));
    EXPECT_EQ(form->ClientRect().Height(), 360 - form->MenuBarHeight());

    // A popup menu sends its messages to the shared popup window.
    auto* popup = new TPopupMenu(form);
    popup->SetOwnerDraw(true);
    auto* copy = new TMenuItem(form);
    copy->SetCaption("Copy");
    popup->Items()->Add(copy);
    std::vector<uint32_t> popupSeen;
    TBvHookMethod popupSpy(&popupSeen, [&](TMessage& m) {
        if (m.Msg == WM_MEASUREITEM || m.Msg == WM_DRAWITEM || m.Msg == WM_INITMENUPOPUP)
            popupSeen.push_back(m.Msg);
        return false;
    });
    RegisterWndProcHook(PopupListWindow(), popupSpy, TBvHookOrder::hoBeforeMsg);
    int copies = 0;
    copy->OnClick = [&](TObject*) { ++copies; };
    popup->Popup(20, 20);
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    ActiveMenuWindow()->grab();
    EXPECT_EQ(popupSeen.front(), WM_INITMENUPOPUP);
    EXPECT_NE(std::find(popupSeen.begin(), popupSeen.end(), WM_MEASUREITEM), popupSeen.end());
    EXPECT_NE(std::find(popupSeen.begin(), popupSeen.end(), WM_DRAWITEM), popupSeen.end());
    ChooseMenuItem(copy);
    EXPECT_EQ(copies, 1);
    ChooseMenuItem(exit);
    EXPECT_EQ(clicks, 1);
    UnRegisterWndProcHook(PopupListWindow(), popupSpy, TBvHookOrder::hoBeforeMsg);
    UnRegisterWndProcHook(form, after, TBvHookOrder::hoAfterMsg);
}

TEST_F(GuiFormTest, FilesDroppedFromOtherProgramsArriveInDriveLetterForm) {
    auto* drop = new TBvDragDrop(form);
    drop->SetDropTarget(form);
    drop->SetAcceptDrag(false);
    drop->SetAcceptDrag(true);
    std::vector<std::string> got;
    TPoint where;
    int calls = 0;
    drop->OnDrop = [&](TObject*, TPoint& pos, TStrings* files) {
        ++calls;
        where = pos;
        got = files->Items();
    };
    form->Show();
    Pump();
    std::string longName(300, 'x');
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/tmp/a.mp3"), QUrl::fromLocalFile("/tmp/dir/b c.mp3"),
                  QUrl::fromLocalFile(QString::fromStdString("/tmp/" + longName + ".mp3"))});
    // As Qt delivers a drop from another program: the enter makes the window the target.
    QDragEnterEvent enter(QPoint(12, 34), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->ClientWidget(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent event(QPointF(12, 34), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->ClientWidget(), &event);
    ASSERT_EQ(calls, 1);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], "C:\\tmp\\a.mp3");
    EXPECT_EQ(got[1], "C:\\tmp\\dir\\b c.mp3");
    EXPECT_EQ(got[2], "C:\\tmp\\" + longName + ".mp3");
    EXPECT_EQ(where, (TPoint{12, 34}));
    EXPECT_EQ(PendingDropHandles(), 0);

    // A handler that raises: the handle is still released and the error reaches the box.
    drop->OnDrop = [](TObject*, TPoint&, TStrings*) { throw EInOutError("disk gone"); };
    std::string shown;
    Application->OnException = [&](TObject*, const std::exception& e) { shown = e.what(); };
    DeliverDroppedFiles(form, {"/tmp/x.mp3"}, {1, 1});
    EXPECT_EQ(shown, "disk gone");
    EXPECT_EQ(PendingDropHandles(), 0);

    // Switched off, the window takes no drops.
    drop->SetAcceptDrag(false);
    EXPECT_FALSE(form->AcceptFiles());
    calls = 0;
    DeliverDroppedFiles(form, {"/tmp/x.mp3"}, {1, 1});
    EXPECT_EQ(calls, 0);
}

TEST_F(GuiFormTest, DragModelDeliversDragOverAndDropWithTheSource) {
    auto* source = new TPanel(form);
    source->SetParent(form);
    source->SetBounds(10, 10, 50, 50);
    auto* target = new TLabel(form);
    target->SetParent(form);
    target->SetAutoSize(false);
    target->SetBounds(100, 100, 60, 30);
    std::vector<TDragState> states;
    std::vector<TObject*> sources;
    TPoint dropAt;
    target->OnDragOver = [&](TObject*, TObject* src, int, int, TDragState st, bool& accept) {
        states.push_back(st);
        sources.push_back(src);
        accept = true;
    };
    target->OnDragDrop = [&](TObject*, TObject* src, int x, int y) {
        sources.push_back(src);
        dropAt = {x, y};
    };
    TObject* endTarget = nullptr;
    source->OnEndDrag = [&](TObject*, TObject* t, int, int) { endTarget = t; };
    form->Show();
    Mouse->SetCursorPos(source->ClientToScreen({5, 5}));
    source->BeginDrag(false);
    EXPECT_TRUE(source->Dragging());
    // The source holds the mouse: its own moves drive the drag.
    source->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(100, 100));
    source->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(110, 105));
    source->Perform(WM_LBUTTONUP, 0, MakeLParam(110, 105));
    EXPECT_FALSE(source->Dragging());
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[0], TDragState::dsDragEnter);
    EXPECT_EQ(states.back(), TDragState::dsDragMove);
    for (TObject* s : sources)
        EXPECT_EQ(s, source);
    EXPECT_EQ(dropAt, (TPoint{20, 15}));
    EXPECT_EQ(endTarget, target);
}

TEST_F(GuiFormTest, DragModelRefusedDropsAndFreedControlsEndTheDragCleanly) {
    auto* source = new TPanel(form);
    source->SetParent(form);
    source->SetBounds(10, 10, 50, 50);
    auto* target = new TPanel(form);
    target->SetParent(form);
    target->SetBounds(100, 100, 60, 30);
    int drops = 0;
    bool refuse = true;
    target->OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool& accept) {
        accept = !refuse;
    };
    target->OnDragDrop = [&](TObject*, TObject*, int, int) { ++drops; };
    int ends = 0;
    TObject* endTarget = form;
    source->OnEndDrag = [&](TObject*, TObject* t, int, int) {
        ++ends;
        endTarget = t;
    };
    form->Show();

    // A target that refuses: no drop, and the source learns that nothing took it.
    Mouse->SetCursorPos(source->ClientToScreen({5, 5}));
    source->BeginDrag(true);
    source->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(110, 105));
    source->Perform(WM_LBUTTONUP, 0, MakeLParam(110, 105));
    EXPECT_EQ(drops, 0);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(endTarget, nullptr);

    // The target freed while the drag is over it: the drop reaches nobody.
    refuse = false;
    endTarget = form;
    source->BeginDrag(true);
    source->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(110, 105));
    delete target;
    source->Perform(WM_LBUTTONUP, 0, MakeLParam(110, 105));
    EXPECT_EQ(drops, 0);
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(endTarget, nullptr);
    EXPECT_FALSE(source->Dragging());

    // The source freed in the middle of its drag: the drag ends with it (and the leak
    // check sees the drag object go too).
    source->BeginDrag(true);
    ASSERT_TRUE(source->Dragging());
    delete source;
    EXPECT_EQ(DragSourceControl(), nullptr);
    auto* next = new TPanel(form);
    next->SetParent(form);
    next->BeginDrag(true);
    EXPECT_TRUE(next->Dragging());
    next->EndDrag(false);
}

TEST_F(GuiFormTest, DialogsAreScriptable) {
    std::vector<TDialogRequest> asked;
    SetDialogResponder([&](const TDialogRequest& r) {
        asked.push_back(r);
        TDialogAnswer a;
        a.Accepted = true;
        a.Button = IDYES;
        a.Text = "typed";
        a.Paths = {"/tmp/one.mp3", "/tmp/two.mp3"};
        return a;
    });
    TOpenDialog open(nullptr);
    open.Options |= ofAllowMultiSelect;
    open.Filter = "MP3|*.mp3";
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, "C:\\tmp\\one.mp3");
    EXPECT_EQ(open.Files()->Count(), 2);
    EXPECT_TRUE(asked.back().MultiSelect);
    std::string dir = "C:\\music";
    EXPECT_TRUE(SelectDirectory("Pick", "", dir));
    EXPECT_EQ(dir, "C:\\tmp\\one.mp3");
    EXPECT_EQ(asked.back().Value, "/music");
    EXPECT_EQ(InputBox("New playlist", "Name:", "x"), "typed");
    EXPECT_EQ(MessageDlg("Delete?", TMsgDlgType::mtConfirmation, mbYes | mbNo), mrYes);
    EXPECT_EQ(asked.back().Flags, MB_YESNO | MB_ICONQUESTION);

    // The default error box adds the final full stop.
    Application->SetTitle("Brisvane");
    try {
        throw EConvertError("'x' is not a valid integer value");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(asked.back().Text, "'x' is not a valid integer value.");
    EXPECT_EQ(asked.back().Caption, "Brisvane");
    EXPECT_EQ(asked.back().Flags, MB_OK | MB_ICONSTOP);
}

TEST_F(GuiFormTest, ModalFormsKeyPreviewAndCloseQuery) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    std::vector<std::string> keys;
    form->KeyPreview = true;
    form->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
        keys.push_back("form");
        if (key == VK_ESCAPE)
            key = 0;
    };
    edit->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { keys.push_back("edit"); };
    edit->Perform(WM_KEYDOWN, 'A', 0);
    edit->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(keys, (std::vector<std::string>{"form", "edit", "form"}));

    int asks = 0;
    TCloseAction seenAction = TCloseAction::caNone;
    form->OnClose = [&](TObject*, TCloseAction& action) { seenAction = action; };
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->ModalResult = mrOk;
    // The first press is refused by OnCloseQuery, which presses again later.
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        canClose = ++asks > 1;
        if (!canClose)
            Queue([ok] { ok->Click(); });
    };
    Queue([ok] { ok->Click(); });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(asks, 2);
    EXPECT_EQ(seenAction, TCloseAction::caHide);
    EXPECT_FALSE(form->Visible());
}

TEST_F(GuiFormTest, MenuShortCutsComeBeforeTheControlsKeys) {
    auto* menu = new TMainMenu(form);
    auto* selectAll = new TMenuItem(form);
    selectAll->SetCaption("Select all");
    selectAll->ShortCut = ShortCut('A', ssCtrl);
    menu->Items()->Add(selectAll);
    form->SetMenu(menu);
    auto* list = new TListBox(form);
    list->SetParent(form);
    auto* popup = new TPopupMenu(form);
    auto* moveUp = new TMenuItem(form);
    moveUp->ShortCut = ShortCut(VK_UP, ssCtrl);
    popup->Items()->Add(moveUp);
    list->SetPopupMenu(popup);
    int all = 0, up = 0, keys = 0;
    selectAll->OnClick = [&](TObject*) { ++all; };
    moveUp->OnClick = [&](TObject*) { ++up; };
    list->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { ++keys; };
    list->Perform(WM_KEYDOWN, 'A', ShiftStateToKeyData(ssCtrl));
    list->Perform(WM_KEYDOWN, VK_UP, ShiftStateToKeyData(ssCtrl));
    list->Perform(WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(all, 1);
    EXPECT_EQ(up, 1);
    EXPECT_EQ(keys, 1);
    EXPECT_EQ(ShortCutToText(selectAll->ShortCut), "Ctrl+A");
    EXPECT_EQ(TextToShortCut("Ctrl+Up"), moveUp->ShortCut);
}

TEST_F(GuiFormTest, ScrollBoxScrollsItsChildrenWhenTheyNeedMoreRoom) {
    auto* box = new TScrollBox(form);
    box->SetParent(form);
    box->SetBounds(0, 0, 120, 100);
    std::vector<TPanel*> panels;
    for (int i = 0; i < 5; ++i) {
        auto* p = new TPanel(form);
        p->SetParent(box);
        p->SetBounds(0, i * 40, 50, 40);
        p->SetAlign(TAlign::alTop);
        panels.push_back(p);
    }
    auto* free = new TLabel(form);
    free->SetParent(box);
    free->SetBounds(5, 150, 20, 10);
    form->Show();
    Grab(form);
    EXPECT_TRUE(box->VertScrollBarVisible());
    EXPECT_EQ(box->VertRange(), 200);
    EXPECT_EQ(panels[0]->BoundsRect(), Rect(2, 2, 102, 42));
    box->SetVertPosition(50);
    EXPECT_EQ(panels[0]->Top(), -48);
    EXPECT_EQ(panels[4]->Top(), 112);
    EXPECT_EQ(free->Top(), 100);
    box->SetVertPosition(1000);
    EXPECT_EQ(box->VertPosition(), 104);
    box->Perform(WM_MOUSEWHEEL, static_cast<intptr_t>(120) << 16, 0);
    EXPECT_EQ(box->VertPosition(), 80);
    box->ScrollInView(panels[0]);
    EXPECT_EQ(box->VertPosition(), 0);
    EXPECT_EQ(panels[0]->Top(), 2);
    for (int i = 1; i < 5; ++i)
        panels[i]->Hide();
    free->Hide();
    EXPECT_FALSE(box->VertScrollBarVisible());
    EXPECT_EQ(panels[0]->Width(), 116);
}

TEST(Application, CreateFormRunAndCloseTheMainForm) {
    // A fresh application object, so the suite's global one keeps its state.
    TApplication app(nullptr);
    struct TMainForm : TForm {
        explicit TMainForm(TComponent* owner) : TForm(owner) {
            UseTestFont(Font());
            SetPosition(TPosition::poScreenCenter);
            // Set while building: runs once the whole form exists.
            OnCreate = [this](TObject*) { ++Created; };
        }
        int Created = 0;
    };
    TMainForm* main = nullptr;
    app.CreateForm(main);
    EXPECT_EQ(main->Created, 1);
    EXPECT_EQ(app.MainForm(), main);
    int closed = 0;
    main->OnClose = [&](TObject*, TCloseAction&) { ++closed; };
    Queue([main] { main->Close(); });
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(main->Visible());
    EXPECT_EQ(main->Left(), (Screen->Width() - main->Width()) / 2);
}

TEST_F(GuiFormTest, ErrorsInHandlersQtCallsReachTheErrorBoxNotQt) {
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, const std::exception& e) {
        errors.push_back(e.what());
    };
    auto* button = new TButton(form);
    button->SetParent(form);
    button->OnClick = [](TObject*) { throw EInOutError("card vanished"); };
    struct TBadPaint : TCustomControl {
        using TCustomControl::TCustomControl;
        void Paint() override { throw EConvertError("bad number"); }
    };
    auto* bad = new TBadPaint(form);
    bad->SetParent(form);
    bad->SetBounds(100, 100, 20, 20);
    form->Show();
    Grab(form);
    static_cast<QPushButton*>(button->Widget())->click();
    // Every paint of the bad control reports; the click reports once.
    ASSERT_GE(errors.size(), 2u);
    EXPECT_EQ(errors.front(), "bad number");
    EXPECT_EQ(errors.back(), "card vanished");
}

TEST_F(GuiFormTest, TimersFireOnTheGuiThreadWhileItPumps) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(5);
    timer.SetOnTimer([&](TObject*) {
        if (++ticks == 2)
            timer.SetEnabled(false);
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ticks < 2 && std::chrono::steady_clock::now() < deadline) {
        Application->ProcessMessages();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    EXPECT_EQ(ticks, 2);
}

} // namespace

TEST_F(GuiFormTest, ButtonKindsShowANewCaption) {
    // A language file sets captions after the widgets exist; every button kind must show it.
    std::vector<TButtonControl*> buttons = {new TButton(form), new TCheckBox(form),
                                            new TRadioButton(form)};
    for (TButtonControl* b : buttons)
        b->SetParent(form);
    form->Show();
    for (TButtonControl* b : buttons) {
        b->SetCaption("Übersetzt");
        auto* widget = dynamic_cast<QAbstractButton*>(b->Widget());
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->text().toStdString(), "Übersetzt");
        EXPECT_EQ(b->GetText(), "Übersetzt");
    }
}
