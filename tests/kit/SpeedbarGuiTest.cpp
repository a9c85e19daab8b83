// The speed bar: its sections and items, the grid and orientation, dragging the bar to another
// side with the real mouse, and its layout in a memory store; a screenshot of the main
// window's seven buttons.
#include "BvSpeedbar.h"
#include "GuiTestEnvironment.h"
#include "MemoryStorage.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

TBvSpeedItem* AddItem(TBvSpeedBar* bar, int section, const std::string& name,
                      TComponent* owner = nullptr) {
    auto* item = new TBvSpeedItem(owner);
    item->SetName(name);
    bar->AddItem(section, item);
    return item;
}

struct BarForm {
    TForm* form = MakeTestForm(400, 300);
    TBvSpeedBar* bar = new TBvSpeedBar(form);
    BarForm() {
        bar->SetParent(form);
        UseTestFont(bar->Font());
    }
    ~BarForm() { delete form; }
};

TEST(SpeedbarSections, CaptionsAreMadeUnique) {
    BarForm f;
    const std::pair<const char*, const char*> cases[] = {
        {"X", "X"}, {"X", "X (1)"}, {"X", "X (2)"}, {"x", "x"}, {"X (1)", "X (1) (1)"},
        {"", ""},   {"", " (1)"},
    };
    for (auto [given, expected] : cases) {
        int index = f.bar->AddSectionByCaption(given);
        EXPECT_EQ(f.bar->Sections(index)->Caption(), expected);
    }
    EXPECT_EQ(f.bar->SearchSection("x"), 3);
    EXPECT_EQ(f.bar->SearchSection("X (2)"), 2);
    EXPECT_EQ(f.bar->SearchSection("nothing"), -1);
    // Renaming to another section's caption is refused; the same comparison as adding.
    TBvSpeedBarSection* x = f.bar->Sections(0);
    try {
        x->SetCaption("X (1)");
        FAIL() << "duplicate accepted";
    } catch (const EBvSpeedbarError& e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(x->Caption(), "X");
    x->SetCaption("Y");
    EXPECT_EQ(x->Caption(), "Y");
}

TEST(SpeedbarSections, IndexesOutsideTheListTakeTheNearestSection) {
    struct Case {
        const char* name;
        bool already; // the item is on the bar before
        int index;
        int expected;
    };
    const Case cases[] = {
        {"new, past the end", false, 7, 2}, {"new, below zero", false, -3, 0},
        {"new, inside", false, 1, 1},       {"moved past the end", true, 9, 2},
        {"moved below zero", true, -1, 0},  {"moved inside", true, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BarForm f;
        for (const char* s : {"files", "playlist", "other"})
            f.bar->AddSectionByCaption(s);
        auto* item = new TBvSpeedItem(nullptr);
        if (c.already)
            f.bar->AddItem(1, item);
        f.bar->AddItem(c.index, item);
        EXPECT_EQ(item->SectionIndex(), c.expected);
        EXPECT_EQ(item->Section(), f.bar->Sections(c.expected));
        int total = 0;
        for (int i = 0; i < f.bar->SectionCount(); ++i)
            total += f.bar->Sections(i)->Count();
        EXPECT_EQ(total, 1) << "in exactly one section";
    }
}

TEST(SpeedbarItems, FirstItemMakesASection) {
    BarForm f;
    TBvSpeedItem* item = AddItem(f.bar, 0, "Add");
    ASSERT_EQ(f.bar->SectionCount(), 1);
    EXPECT_EQ(f.bar->Sections(0)->Caption(), "");
    EXPECT_EQ(item->Button()->Parent(), f.bar);
    EXPECT_FALSE(item->Button()->Visible());
}

TEST(SpeedbarItems, CaptionFeedsTheHint) {
    struct Case {
        const char* oldHint;
        const char* caption;
        const char* hint;
    };
    const Case cases[] = {
        {"", "Add", "Add|"},
        {"Old|long help", "Add", "Add|long help"},
        {"Old", "Add", "Add|"},
        {"Old|long help", "Add|Adds files", "Add|Adds files"},
        {"Old|long help", "Add|", "Add|long help"},
        {"Old", "Add|", "Add|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        TBvSpeedItem item(nullptr);
        item.SetHint(c.oldHint);
        item.SetCaption(c.caption);
        EXPECT_EQ(item.Hint(), c.hint);
        EXPECT_EQ(item.Caption(), c.caption);
    }
}

TEST(SpeedbarItems, RenamingCarriesACaptionThatWasTheName) {
    TBvSpeedItem item(nullptr);
    item.SetName("btnAdd");
    EXPECT_EQ(item.Caption(), "btnAdd");
    item.SetName("btnAddFile");
    EXPECT_EQ(item.Caption(), "btnAddFile");
    item.SetCaption("Add file(s)...");
    item.SetName("btnAdd2");
    EXPECT_EQ(item.Caption(), "Add file(s)...");
}

TEST(SpeedbarItems, ButtonClickRunsTheCommandOfADisabledItem) {
    BarForm f;
    TBvSpeedItem* item = AddItem(f.bar, 0, "Scan");
    int runs = 0;
    item->SetOnClick([&](TObject*) { ++runs; });
    item->SetEnabled(false);
    EXPECT_FALSE(item->Button()->Enabled());
    item->ButtonClick();
    EXPECT_EQ(runs, 1);
}

TEST(SpeedbarItems, VisibleItemOnAHiddenBarWaitsForTheBar) {
    BarForm f;
    f.form->Show();
    f.bar->Hide();
    TBvSpeedItem* item = AddItem(f.bar, 0, "Add");
    item->SetVisible(true);
    EXPECT_TRUE(item->Visible());
    EXPECT_FALSE(item->Button()->Visible());
    f.bar->Show();
    EXPECT_TRUE(item->Button()->Visible());
    f.bar->SetEnabled(false);
    EXPECT_FALSE(item->Button()->Enabled());
    f.bar->SetEnabled(true);
    EXPECT_TRUE(item->Button()->Enabled());
}

// Every order in which a form, its bar, a section and an item can go; the address
// sanitizer sees any use after free or double free.
TEST(SpeedbarItems, EveryDestructionOrderIsClean) {
    enum class First { Item, Section, Bar, Form, DeleteSection, RemoveSection };
    for (First first : {First::Item, First::Section, First::Bar, First::Form, First::DeleteSection,
                        First::RemoveSection}) {
        SCOPED_TRACE(static_cast<int>(first));
        TForm* form = MakeTestForm();
        auto* bar = new TBvSpeedBar(form);
        bar->SetParent(form);
        bar->AddSectionByCaption("files");
        bar->AddSectionByCaption("playlist");
        // Items owned by the form, as a stored form owns them.
        TBvSpeedItem* a = AddItem(bar, 0, "a", form);
        TBvSpeedItem* b = AddItem(bar, 1, "b", form);
        a->SetVisible(true);
        b->SetVisible(true);
        switch (first) {
        case First::Item:
            delete a;
            EXPECT_EQ(bar->Sections(0)->Count(), 0);
            break;
        case First::Section:
            delete bar->Sections(1);
            EXPECT_EQ(bar->SectionCount(), 1);
            break;
        case First::Bar:
            delete bar;
            EXPECT_EQ(form->ControlCount(), 0);
            break;
        case First::Form:
            break;
        case First::DeleteSection:
            bar->DeleteSection(0);
            EXPECT_EQ(bar->SectionCount(), 1);
            EXPECT_EQ(b->SectionIndex(), 0) << "indexes follow the removal";
            break;
        case First::RemoveSection: {
            TBvSpeedBarSection* s = bar->Sections(0);
            bar->RemoveSection(0);
            EXPECT_EQ(a->SpeedBar(), nullptr);
            EXPECT_EQ(a->Button()->Parent(), nullptr);
            delete s;
            break;
        }
        }
        delete form;
    }
}

TEST(SpeedbarGrid, StepDividesTheButtonSize) {
    const std::pair<int, int> cases[] = {{72, 8}, {24, 8}, {85, 17}, {23, 1}, {1, 1},
                                         {2, 1},  {6, 2},  {9, 3},   {10, 5}, {25, 5}};
    for (auto [size, step] : cases) {
        SCOPED_TRACE(size);
        EXPECT_EQ(TBvSpeedBar::GridStep(size), step);
        EXPECT_EQ(size % TBvSpeedBar::GridStep(size), 0);
    }
}

TEST(SpeedbarGrid, SizesAndOffsets) {
    BarForm f;
    f.bar->BevelOuter = TPanelBevel::bvNone;
    f.bar->SetBtnOffsetHorz(0);
    EXPECT_EQ(f.bar->BtnOffsetHorz(), 2) << "not flat: two pixels at least";
    f.bar->SetOptions(f.bar->Options() | sbFlatBtns);
    f.bar->SetBtnOffsetHorz(0);
    EXPECT_EQ(f.bar->BtnOffsetHorz(), 0);
    for (int bad : {0, -5}) {
        EXPECT_THROW(f.bar->SetBtnWidth(bad), EBvSpeedbarError);
        EXPECT_THROW(f.bar->SetBtnHeight(bad), EBvSpeedbarError);
    }
    EXPECT_EQ(f.bar->BtnWidth(), 24);
    EXPECT_EQ(f.bar->BtnHeight(), 23);
    f.bar->SetBtnHeight(40);
    EXPECT_GE(f.bar->Height(), 40 + 2 * f.bar->BtnOffsetVert());
}

TEST(SpeedbarGrid, DockingAtASideSwapsTheOrientation) {
    BarForm f;
    f.bar->SetBtnWidth(72);
    f.bar->SetBtnHeight(85);
    f.bar->SetBtnOffsetHorz(4);
    f.bar->SetBtnOffsetVert(6);
    TBvSpeedItem* item = AddItem(f.bar, 0, "Add");
    item->SetVisible(true);
    EXPECT_EQ(f.bar->Grid(), (TPoint{8, 85}));
    f.bar->SetAlign(TAlign::alLeft);
    EXPECT_EQ(f.bar->Orientation(), TBarOrientation::boVertical);
    EXPECT_EQ(f.bar->BtnWidth(), 85);
    EXPECT_EQ(f.bar->BtnHeight(), 72);
    EXPECT_EQ(f.bar->BtnOffsetHorz(), 6);
    EXPECT_EQ(f.bar->BtnOffsetVert(), 4);
    EXPECT_EQ(f.bar->Grid(), (TPoint{85, 8}));
    EXPECT_EQ(item->Button()->Width(), 85);
    EXPECT_EQ(item->Button()->Height(), 72);
    f.bar->SetAlign(TAlign::alBottom);
    EXPECT_EQ(f.bar->BtnWidth(), 72);
}

TEST(SpeedbarGrid, AlignRules) {
    struct Case {
        TBarPosition position;
        TAlign align;
        bool raises;
        TBarOrientation orientation;
    };
    using P = TBarPosition;
    using O = TBarOrientation;
    const Case cases[] = {
        {P::bpAuto, TAlign::alClient, true, O::boHorizontal},
        {P::bpAuto, TAlign::alNone, true, O::boHorizontal},
        {P::bpAuto, TAlign::alCustom, true, O::boHorizontal},
        {P::bpAuto, TAlign::alRight, false, O::boVertical},
        {P::bpAuto, TAlign::alBottom, false, O::boHorizontal},
        {P::bpCustom, TAlign::alClient, false, O::boHorizontal},
        {P::bpCustom, TAlign::alLeft, false, O::boHorizontal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.align));
        BarForm f;
        f.bar->SetPosition(c.position);
        if (c.raises) {
            try {
                f.bar->SetAlign(c.align);
                FAIL() << "accepted";
            } catch (const EBvSpeedbarError& e) {
                EXPECT_EQ(e.Message(), "Cannot set this property value while Position is bpAuto");
            }
            EXPECT_EQ(f.bar->Align(), TAlign::alTop);
        } else {
            f.bar->SetAlign(c.align);
            EXPECT_EQ(f.bar->Align(), c.align);
        }
        EXPECT_EQ(f.bar->Orientation(), c.orientation);
    }
}

TEST(SpeedbarDrag, SideUnderAPoint) {
    struct Case {
        TPoint p;
        int w, h;
        TAlign side;
    };
    const Case cases[] = {
        {{200, 10}, 400, 300, TAlign::alTop},     {{200, 290}, 400, 300, TAlign::alBottom},
        {{10, 150}, 400, 300, TAlign::alLeft},    {{390, 150}, 400, 300, TAlign::alRight},
        {{100, 40}, 400, 300, TAlign::alTop},     {{40, 100}, 400, 300, TAlign::alLeft},
        {{300, 290}, 400, 300, TAlign::alBottom}, {{360, 260}, 400, 300, TAlign::alRight},
        {{0, 0}, 0, 300, TAlign::alNone},         {{5, 5}, 400, 0, TAlign::alNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.p.X) + "," + std::to_string(c.p.Y));
        EXPECT_EQ(TBvSpeedBar::SideFromPoint(c.p, c.w, c.h), c.side);
    }
}

// The slot holds the kit's own drawn cursor, and it is the one on screen.
void ExpectDrawnDragCursorShown() {
    const TDrawnCursor* drawn = FindDrawnCursor(Screen->Cursors(crBvDragCursor));
    ASSERT_NE(drawn, nullptr) << "the slot holds a drawn cursor, not a stock one";
    TBitmap expected;
    DrawSpeedbarDragCursor(expected);
    ASSERT_EQ(drawn->Width, expected.Width());
    ASSERT_EQ(drawn->Height, expected.Height());
    QCursor* shown = QGuiApplication::overrideCursor();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->shape(), Qt::BitmapCursor);
    EXPECT_EQ(shown->hotSpot(), QPoint(drawn->HotSpot.X, drawn->HotSpot.Y));
    QImage image = shown->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(expected.Width(), expected.Height()));
    // Enlarged on a light ground, to be looked at.
    QImage look(image.size() * 6, QImage::Format_RGB32);
    look.fill(QColor(230, 230, 230));
    QPainter(&look).drawImage(look.rect(), image);
    look.save(QString::fromStdString(std::string(BV_BINARY_DIR) + "/kit_speedbar_drag_cursor.png"));
    int differing = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            TColor c = expected.Pixel(x, y);
            QRgb want = c == kDragCursorTransparent
                            ? 0u
                            : qRgba(GetRValue(c), GetGValue(c), GetBValue(c), 255);
            QRgb got = image.pixel(x, y);
            if (qAlpha(want) == 0 ? qAlpha(got) != 0 : got != want)
                ++differing;
        }
    EXPECT_EQ(differing, 0) << "the cursor on screen is the drawn picture";
}

struct DragForm : BarForm {
    QWidget* Surface() { return bar->Widget(); }
    DragForm() {
        form->Show();
        bar->SetHeight(30);
    }
    // A point of the form's client area, in the bar's widget.
    QPoint FormPoint(int x, int y) {
        TPoint p = bar->ScreenToClient(form->ClientToScreen({x, y}));
        return QPoint(p.X, p.Y);
    }
};

TEST(SpeedbarDrag, ThresholdThenDockWhereReleased) {
    struct Case {
        const char* name;
        bool refuse;
        TAlign expected;
    };
    for (const Case& c : {Case{"docked at the bottom", false, TAlign::alBottom},
                          Case{"refused", true, TAlign::alTop}}) {
        SCOPED_TRACE(c.name);
        DragForm f;
        int asked = 0, moved = 0;
        if (c.refuse)
            f.bar->OnApplyAlign = [&](TObject*, TAlign, bool& apply) {
                ++asked;
                apply = false;
            };
        f.bar->OnPosChanged = [&](TObject*) { ++moved; };
        QTest::mousePress(f.Surface(), Qt::LeftButton, {}, QPoint(100, 10));
        QTest::mouseMove(f.Surface(), QPoint(104, 13));
        EXPECT_FALSE(f.bar->IsDragging()) << "4 pixels are not yet a drag";
        QTest::mouseMove(f.Surface(), QPoint(105, 10));
        EXPECT_TRUE(f.bar->IsDragging());
        EXPECT_EQ(Screen->Cursor(), crBvDragCursor);
        ExpectDrawnDragCursorShown();
        QTest::mouseMove(f.Surface(), f.FormPoint(200, 280));
        if (!c.refuse) {
            EXPECT_EQ(f.bar->DragFrame().Height(), 30) << "the frame keeps the bar's thickness";
        }
        QTest::mouseRelease(f.Surface(), Qt::LeftButton, {}, f.FormPoint(200, 280));
        EXPECT_FALSE(f.bar->IsDragging());
        EXPECT_EQ(f.bar->Align(), c.expected);
        EXPECT_EQ(moved, c.refuse ? 0 : 1);
        if (c.refuse) {
            EXPECT_GT(asked, 0);
        }
        EXPECT_NE(Screen->Cursor(), crBvDragCursor);
        EXPECT_EQ(GetCaptureControl(), nullptr);
    }
}

TEST(SpeedbarDrag, SmallPressDoesNotDrag) {
    DragForm f;
    QTest::mousePress(f.Surface(), Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseMove(f.Surface(), QPoint(96, 14));
    QTest::mouseRelease(f.Surface(), Qt::LeftButton, {}, QPoint(96, 14));
    EXPECT_FALSE(f.bar->IsDragging());
    EXPECT_EQ(f.bar->Align(), TAlign::alTop);
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST(SpeedbarDrag, LostCaptureEndsTheDragWithoutDocking) {
    DragForm f;
    auto* other = new TBvSpeedButton(f.form);
    other->SetParent(f.form);
    other->SetBounds(10, 200, 30, 30);
    QTest::mousePress(f.Surface(), Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseMove(f.Surface(), QPoint(100, 30));
    QTest::mouseMove(f.Surface(), f.FormPoint(200, 280));
    ASSERT_TRUE(f.bar->IsDragging());
    // Another window takes the mouse (a modal box would do the same).
    other->SetMouseCapture(true);
    EXPECT_FALSE(f.bar->IsDragging());
    EXPECT_NE(Screen->Cursor(), crBvDragCursor);
    QTest::mouseRelease(f.Surface(), Qt::LeftButton, {}, f.FormPoint(200, 280));
    EXPECT_EQ(f.bar->Align(), TAlign::alTop);
    other->SetMouseCapture(false);
}

// A toolbar as the main window has it, three buttons with pictures and captions.
struct PictureBar : BarForm {
    TImageList* images = new TImageList(form);
    std::vector<TBvSpeedItem*> items;
    explicit PictureBar(int width = 400, int height = 300) {
        form->SetBounds(form->Left(), form->Top(), width, height);
        bar->SetOptions(sbAllowDrag | sbFlatBtns | sbTransparentBtns | sbGrayedBtns);
        bar->SetBtnWidth(60);
        bar->SetBtnHeight(70);
        bar->SetBtnOffsetHorz(4);
        bar->SetBtnOffsetVert(4);
        images->SetSize(22, 22);
        const char* const pictures[] = {"document-open", "list-remove", "system-search"};
        const char* const captions[] = {"Add file(s)", "Remove", "Scan"};
        for (const char* name : pictures) {
            TBitmap face(22, 22);
            face.Canvas()->Brush()->SetColor(clBtnFace);
            face.Canvas()->FillRect(Rect(0, 0, 22, 22));
            QImage icon(QString::fromStdString(
                std::string("/usr/share/icons/Tango/22x22/actions/") + name + ".png"));
            if (!icon.isNull()) {
                QPainter painter(&face.Image());
                painter.drawImage(0, 0, icon);
            } else {
                face.Canvas()->Brush()->SetColor(clNavy);
                face.Canvas()->FillRect(Rect(3, 3, 19, 19));
            }
            images->AddMasked(&face, clBtnFace);
        }
        bar->SetImages(images);
        for (int i = 0; i < 3; ++i) {
            TBvSpeedItem* item = AddItem(bar, 0, std::string("btn") + captions[i][0], form);
            item->SetBtnCaption(captions[i]);
            item->SetImageIndex(i);
            item->SetLeft(4 + 60 * i);
            item->SetTop(4);
            item->SetVisible(true);
            items.push_back(item);
        }
        bar->SetHeight(78);
        form->Show();
        PumpEvents();
    }
    QPoint FormPoint(int x, int y) {
        TPoint p = bar->ScreenToClient(form->ClientToScreen({x, y}));
        return QPoint(p.X, p.Y);
    }
    // The bar taken at an empty place and let go at a point of the form, with the mouse.
    void DragTo(int x, int y) {
        // The buttons lie from the top left corner on; the far corner is bare bar.
        const QPoint empty(bar->Width() - 6, bar->Height() - 6);
        QTest::mousePress(bar->Widget(), Qt::LeftButton, {}, empty);
        QTest::mouseMove(bar->Widget(), empty + QPoint(0, 10));
        QTest::mouseMove(bar->Widget(), FormPoint(x, y));
        thicknessWhileDragged = bar->IsDragging() ? bar->DragFrame() : TRect{};
        QTest::mouseRelease(bar->Widget(), Qt::LeftButton, {}, FormPoint(x, y));
        PumpEvents();
    }
    TRect thicknessWhileDragged;
};

// A top bar dragged to the form's left side takes the thickness the drag frame showed,
// its buttons turn into a column on it, and the saved layout holds the new width.
TEST(SpeedbarDrag, ABarDockedAtTheLeftTakesItsThickness) {
    PictureBar f;
    ASSERT_EQ(f.bar->Align(), TAlign::alTop);
    const int thickness = f.bar->Height();
    const int formHeight = f.form->ClientHeight();
    ASSERT_GT(f.bar->Width(), 300);

    f.DragTo(10, formHeight / 2);
    EXPECT_EQ(f.thicknessWhileDragged.Width(), thickness) << "the frame shows the thickness";
    EXPECT_EQ(f.thicknessWhileDragged.Height(), formHeight);
    EXPECT_EQ(f.bar->Align(), TAlign::alLeft);
    EXPECT_EQ(f.bar->Width(), thickness) << "the bar covers the form";
    EXPECT_EQ(f.bar->Height(), formHeight);
    for (size_t i = 0; i < f.items.size(); ++i) {
        SCOPED_TRACE(f.items[i]->Name());
        TBvSpeedBarButton* b = f.items[i]->Button();
        EXPECT_EQ(b->Left(), 4);
        EXPECT_EQ(b->Top(), 4 + 60 * static_cast<int>(i));
        EXPECT_EQ(b->Width(), 70);
        EXPECT_EQ(b->Height(), 60);
        EXPECT_LE(b->Left() + b->Width(), f.bar->Width()) << "the button lies on the bar";
    }
    const QImage shot = f.form->Widget()->grab().toImage();
    EXPECT_TRUE(
        shot.save(QString::fromStdString(std::string(BV_BINARY_DIR) + "/kit_speedbar_left.png")));

    TMemoryStorage storage;
    f.bar->SaveLayout(&storage, "Bar");
    EXPECT_EQ(storage.Text("Bar\\Position"), "int " + std::to_string(int(TAlign::alLeft)));
    EXPECT_EQ(storage.Text("Bar\\Width"), "int " + std::to_string(thickness));

    // And back to the top: the row again, as high as before.
    f.DragTo(f.form->ClientWidth() / 2, 5);
    EXPECT_EQ(f.bar->Align(), TAlign::alTop);
    EXPECT_EQ(f.bar->Height(), thickness);
    EXPECT_EQ(f.bar->Width(), f.form->ClientWidth());
    EXPECT_EQ(f.items[2]->Left(), 4 + 120);
    EXPECT_EQ(f.items[2]->Top(), 4);
}

TEST(SpeedbarLayout, SnapsDropsToTheGrid) {
    BarForm f;
    f.bar->SetBtnWidth(72);
    f.bar->SetBtnHeight(85);
    f.bar->SetBtnOffsetHorz(4);
    f.bar->SetBtnOffsetVert(4);
    f.bar->SetHeight(93);
    TBvSpeedItem* item = AddItem(f.bar, 0, "Add");
    const std::pair<TPoint, TPoint> cases[] = {
        {{100, 30}, {100, 4}}, {{101, 30}, {100, 4}}, {{97, 80}, {100, 4}}, {{5, 5}, {4, 4}}};
    for (auto [drop, at] : cases) {
        EXPECT_TRUE(f.bar->MoveItemTo(item, drop));
        EXPECT_EQ(item->Left(), at.X);
        EXPECT_EQ(item->Top(), at.Y);
        EXPECT_TRUE(item->Visible());
    }
    EXPECT_FALSE(f.bar->MoveItemTo(item, {1000, 30}));
    EXPECT_FALSE(item->Visible());
}

struct LayoutBar : BarForm {
    TMemoryStorage storage;
    const std::string path = "Bar";
    std::vector<TBvSpeedItem*> items;
    LayoutBar() {
        bar->SetOptions(bar->Options() | sbAllowResize);
        for (const char* name : {"btnAdd", "btnRemove", "btnScan", "btnHidden"}) {
            items.push_back(AddItem(bar, 0, name));
        }
        for (int i = 0; i < 3; ++i) {
            items[static_cast<size_t>(i)]->SetLeft(4 + 30 * i);
            items[static_cast<size_t>(i)]->SetVisible(true);
        }
    }
    void Put(const std::string& key, TMemoryStorage::Value v) { storage.Put("Bar\\" + key, v); }
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (TBvSpeedItem* i : items)
            if (i->Visible())
                out.push_back(i->Name() + "@" + std::to_string(i->Left()));
        return out;
    }
};

TEST(SpeedbarLayout, SavedAsKeys) {
    LayoutBar f;
    f.items[1]->Stored = false;
    f.bar->Version = 3;
    f.bar->SaveLayout(&f.storage, f.path);
    const std::pair<const char*, std::string> keys[] = {
        {"Position", "int 1"},
        {"Width", "int " + std::to_string(f.bar->Height())},
        {"Version", "int 3"},
        {"PixelsPerInch", "int " + std::to_string(Screen->PixelsPerInch())},
        {"BtnWidth", "int 24"},
        {"BtnHeight", "int 23"},
        {"Button1", "btnAdd,4," + std::to_string(f.items[0]->Top())},
        {"Button2", "btnScan,64," + std::to_string(f.items[2]->Top())},
        {"Button3", "<none>"},
        {"Count", "int 2"},
    };
    for (auto& [key, value] : keys)
        EXPECT_EQ(f.storage.Text("Bar\\" + std::string(key)), value) << key;
}

TEST(SpeedbarLayout, RestoreRoundTrip) {
    LayoutBar saved;
    saved.items[0]->SetLeft(100);
    saved.items[2]->SetVisible(false);
    saved.items[3]->SetVisible(true);
    saved.bar->SetAlign(TAlign::alBottom);
    saved.bar->SaveLayout(&saved.storage, saved.path);

    LayoutBar f;
    int moved = 0;
    f.bar->OnPosChanged = [&](TObject*) { ++moved; };
    f.bar->RestoreLayout(&saved.storage, saved.path);
    EXPECT_EQ(f.bar->Align(), TAlign::alBottom);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(f.Shown(), (std::vector<std::string>{"btnAdd@100", "btnRemove@34", "btnHidden@0"}));
}

TEST(SpeedbarLayout, RestoreKeepsTheLayoutWhenTheStoreIsNoUse) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, TMemoryStorage::Value>> stored;
        TAlign align;
        std::vector<std::string> shown;
    };
    const std::vector<std::string> current{"btnAdd@4", "btnRemove@34", "btnScan@64"};
    const int ppi = Screen->PixelsPerInch();
    const Case cases[] = {
        {"older version",
         {{"Version", 0}, {"Position", 3}, {"Count", 1}, {"Button1", std::string("btnAdd,9,4")}},
         TAlign::alTop,
         current},
        {"other resolution: only the alignment",
         {{"Position", 3},
          {"PixelsPerInch", ppi + 48},
          {"Count", 1},
          {"Button1", std::string("btnAdd,9,4")}},
         TAlign::alLeft,
         // The stored button is not applied; the row turned into a column at the left,
         // every button at the left offset.
         {"btnAdd@3", "btnRemove@3", "btnScan@3"}},
        {"names no button",
         {{"PixelsPerInch", ppi},
          {"Count", 2},
          {"Button1", std::string("btnGone,9,4")},
          {"Button2", std::string("nothing")}},
         TAlign::alTop,
         current},
        {"malformed entries skipped",
         {{"PixelsPerInch", ppi},
          {"Count", 5},
          {"Button1", std::string("btnAdd")},
          {"Button2", std::string("btnAdd,x,4")},
          {"Button3", std::string("btnScan,40,4")},
          {"Button4", std::string("btnRemove,1,2,3")},
          {"Button5", std::string("")}},
         TAlign::alTop,
         {"btnScan@40"}},
        {"alignment the bar cannot take",
         {{"Position", 5}, {"PixelsPerInch", ppi}},
         TAlign::alTop,
         current},
        {"names in any case",
         {{"PixelsPerInch", ppi}, {"Count", 1}, {"Button1", std::string("BTNREMOVE,70,4")}},
         TAlign::alTop,
         {"btnRemove@70"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayoutBar f;
        f.bar->Version = 1;
        f.Put("Version", 1);
        for (auto& [key, value] : c.stored)
            f.Put(key, value);
        f.bar->RestoreLayout(&f.storage, f.path);
        EXPECT_EQ(f.bar->Align(), c.align);
        EXPECT_EQ(f.Shown(), c.shown);
    }
}

// A damaged layout is read in a few steps and applies nothing out of range: a count far
// beyond the entries (up to the largest number), a thickness or a place no screen has.
TEST(SpeedbarLayout, ADamagedLayoutCannotHangOrStretchTheBar) {
    const int ppi = Screen->PixelsPerInch();
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, TMemoryStorage::Value>> stored;
        int height;
        std::vector<std::string> shown;
    };
    const std::vector<std::string> current{"btnAdd@4", "btnRemove@34", "btnScan@64"};
    const int height = [] {
        LayoutBar f;
        return f.bar->Height();
    }();
    const Case cases[] = {
        {"the largest count",
         {{"Count", INT32_MAX}, {"Button1", std::string("btnScan,40,4")}},
         height,
         {"btnScan@40"}},
        {"a huge count with entries missing",
         {{"Count", 2000000000}, {"Button2", std::string("btnScan,40,4")}},
         height,
         current},
        {"a negative count", {{"Count", -5}}, height, current},
        {"a width beyond the screen", {{"Width", 99999}}, height, current},
        {"a negative width", {{"Width", -40}}, height, current},
        {"a width that fits", {{"Width", 60}}, 60, current},
        {"a place beyond the screen",
         {{"Count", 2},
          {"Button1", std::string("btnAdd,99999,4")},
          {"Button2", std::string("btnScan,-2000000000,4")}},
         height,
         current},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LayoutBar f;
        f.Put("PixelsPerInch", ppi);
        for (auto& [key, value] : c.stored)
            f.Put(key, value);
        f.storage.Log.clear();
        f.bar->RestoreLayout(&f.storage, f.path);
        // Each of the bar's four items is looked for at most once; a loop that followed the
        // count would ask millions of times.
        EXPECT_LE(f.storage.Log.size(), 40u);
        EXPECT_EQ(f.bar->Height(), c.height);
        EXPECT_EQ(f.Shown(), c.shown);
    }
}

// The main window's bar: seven flat transparent buttons with pictures, one hot, one pressed
// and one disabled.
TEST(SpeedbarScreenshot, SevenButtons) {
    TForm* form = MakeTestForm(620, 140);
    auto* bar = new TBvSpeedBar(form);
    bar->SetParent(form);
    bar->Font()->SetName("DejaVu Sans");
    bar->Font()->SetHeight(-9);
    bar->SetOptions(sbAllowDrag | sbFlatBtns | sbTransparentBtns | sbGrayedBtns);
    bar->SetBtnWidth(72);
    bar->SetBtnHeight(85);
    bar->SetBtnOffsetHorz(4);
    bar->SetBtnOffsetVert(4);
    auto* images = new TImageList(form);
    images->SetSize(32, 32);
    const char* const pictures[] = {"document-open", "folder-new",    "list-remove", "go-up",
                                    "go-down",       "system-search", "view-refresh"};
    const char* const captions[] = {
        "Add file(s)...", "Add Directory...", "Remove", "Move Up", "Move Down", "Scan", "Update"};
    for (const char* name : pictures) {
        // The picture laid on the button face, which the list then masks out again.
        TBitmap face(32, 32);
        face.Canvas()->Brush()->SetColor(clBtnFace);
        face.Canvas()->FillRect(Rect(0, 0, 32, 32));
        QImage icon(QString::fromStdString(std::string("/usr/share/icons/Tango/32x32/actions/") +
                                           name + ".png"));
        if (!icon.isNull()) {
            QPainter painter(&face.Image());
            painter.drawImage(0, 0, icon);
        } else {
            // Without the icon theme, a plain drawn square stands in.
            face.Canvas()->Brush()->SetColor(clNavy);
            face.Canvas()->FillRect(Rect(4, 4, 28, 28));
        }
        images->AddMasked(&face, clBtnFace);
    }
    bar->SetImages(images);
    bar->AddSectionByCaption("files");
    std::vector<TBvSpeedItem*> items;
    for (int i = 0; i < 7; ++i) {
        auto* item = new TBvSpeedItem(form);
        item->SetName("item" + std::to_string(i));
        bar->AddItem(0, item);
        item->SetBtnCaption(captions[i]);
        item->SetImageIndex(i);
        item->SetLeft(4 + 72 * i);
        item->SetTop(4);
        item->SetVisible(true);
        items.push_back(item);
    }
    bar->SetHeight(93);
    form->Show();
    items[4]->SetEnabled(false);
    QWidget* surface = bar->Widget();
    // Hot: the pointer rests on "Remove"; pressed: the left button held on "Scan".
    QTest::mouseMove(surface, QPoint(items[2]->Left() + 30, 40));
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(items[5]->Left() + 30, 40));
    EXPECT_EQ(items[5]->Button()->State(), TBvButtonState::rbsDown);
    // The pointer left "Remove" for the press; the hot look is given back by its notice.
    items[2]->Button()->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(items[2]->Button()->MouseInControl());
    Application->ProcessMessages();
    QImage shot = form->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::string path = std::string(BV_BINARY_DIR) + "/kit_speedbar.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    std::set<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 20u) << "the screenshot looks blank";
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(items[5]->Left() + 30, 40));
    delete form;
}

} // namespace
