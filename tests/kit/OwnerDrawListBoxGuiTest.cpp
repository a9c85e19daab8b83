// The owner-drawn list box: how high its items measure, which items repaint as the mouse
// moves over them, which pictures the items show, and that the selected look follows the
// selected bit alone.
#include "BvgListBox.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <functional>
#include <set>

#include <gtest/gtest.h>

namespace {

struct TListForm {
    TForm* form = nullptr;
    TBvgListBox* list = nullptr;
    TEdit* other = nullptr;

    explicit TListForm(int items, int width = 200) {
        form = MakeTestForm(width + 40, 260);
        list = new TBvgListBox(form);
        list->SetParent(form);
        UseTestFont(list->ItemStyle()->Font());
        UseTestFont(list->ItemSelStyle()->Font());
        list->SetBounds(10, 10, width, 200);
        for (int i = 0; i < items; ++i)
            list->Items()->Add("Playlist " + std::to_string(i));
        other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 220, 100, 24);
    }
    ~TListForm() { delete form; }
    void Show() {
        form->Show();
        PumpEvents();
    }
    QAbstractItemView* View() const { return qobject_cast<QAbstractItemView*>(list->Widget()); }
    QPoint Center(int item) const {
        TRect r = list->ItemRect(item);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    QImage Shot() const {
        return View()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

int LineHeight(const TFont& font) {
    TCanvas c;
    c.SetFont(font);
    return c.TextHeight("Wg");
}

// ---------------------------------------------------------------- measuring

struct TMeasureCase {
    const char* name;
    std::string text;
    int itemHeight;
    TBevelCut inner, outer;
    bool bold;
    TglTextStyle textStyle;
    bool pictures;
    int lines;  // text lines expected, when the height is not given
    int height; // expected, 0: lines of text plus extras
};

TEST(OwnerDrawListBoxMeasure, ItemsMeasureByTextBevelsStyleAndPictures) {
    const TMeasureCase cases[] = {
        {"fixed height wins", "One\r\nline and more text than fits on one line of the box", 21,
         TBevelCut::bvRaised, TBevelCut::bvLowered, true, TglTextStyle::fstRaised, true, 0, 21},
        {"empty text", "", 0, TBevelCut::bvNone, TBevelCut::bvNone, false, TglTextStyle::fstNone,
         false, 0, 14},
        {"empty text, bold bevels", "", 0, TBevelCut::bvRaised, TBevelCut::bvLowered, true,
         TglTextStyle::fstNone, false, 0, 14 + 2 + 2},
        {"empty text, one thin bevel, relief", "", 0, TBevelCut::bvNone, TBevelCut::bvRaised, false,
         TglTextStyle::fstShadow, false, 0, 14 + 1 + 2},
        {"one line", "All music", 0, TBevelCut::bvNone, TBevelCut::bvNone, false,
         TglTextStyle::fstNone, false, 1, 0},
        // The picture sits one pixel below the item's top and is shown whole.
        {"one line beside a taller picture", "All", 0, TBevelCut::bvNone, TBevelCut::bvNone, false,
         TglTextStyle::fstNone, true, 0, 17},
        // A bold raised frame takes a pixel at the top and two at the bottom.
        {"picture inside a bold raised frame", "All", 0, TBevelCut::bvNone, TBevelCut::bvRaised,
         true, TglTextStyle::fstNone, true, 0, 16 + 1 + 3},
        {"wrapped", "Rock and roll from the nineteen fifties and sixties", 0, TBevelCut::bvNone,
         TBevelCut::bvNone, false, TglTextStyle::fstNone, false, 3, 0},
    };
    for (const TMeasureCase& mc : cases) {
        SCOPED_TRACE(mc.name);
        TListForm f(0, 150);
        TImageList images(nullptr);
        if (mc.pictures) {
            AddTangoPicture(&images, "mimetypes/audio-x-generic.png");
            f.list->SetGlyphs(&images);
        }
        f.list->SetItemHeight(mc.itemHeight);
        for (TBvgListBoxItemStyle* s : {f.list->ItemStyle(), f.list->ItemSelStyle()}) {
            s->Bevel()->SetInner(mc.inner);
            s->Bevel()->SetOuter(mc.outer);
            s->Bevel()->SetBold(mc.bold);
        }
        f.list->ItemSelStyle()->SetTextStyle(mc.textStyle);
        f.list->Items()->Add(mc.text);
        f.Show();
        const int expected =
            mc.height ? mc.height : mc.lines * LineHeight(*f.list->ItemStyle()->Font());
        EXPECT_EQ(expected, f.list->MeasureItemText(0));
        EXPECT_EQ(expected, f.list->ItemRect(0).Height()) << "the row the view lays out";
        f.list->SetGlyphs(nullptr);
    }
}

// A text that fits the row's whole width on one line but not the narrower rectangle its
// text is drawn in takes two lines, as it is drawn.
TEST(OwnerDrawListBoxMeasure, TextIsMeasuredInTheRectangleItIsDrawnIn) {
    TListForm f(0, 180);
    TImageList images(nullptr);
    AddTangoPicture(&images, "places/folder.png");
    f.list->SetGlyphs(&images);
    f.Show();
    const int rowWidth = f.list->ItemWidth();
    TCanvas c;
    c.SetFont(*f.list->ItemStyle()->Font());
    // Two words, together wider than the drawn rectangle (the row less the picture and the
    // margins) while still narrower than the row.
    std::string text = "Wg ";
    while (c.TextWidth(text + "i") < rowWidth - 6)
        text += "i";
    ASSERT_GT(c.TextWidth(text), rowWidth - 16 - 3);
    f.list->Items()->Add(text);
    f.list->Items()->Add("Wg");
    PumpEvents();
    const int line = LineHeight(*f.list->ItemStyle()->Font());
    EXPECT_EQ(2 * line, f.list->MeasureItemText(0));
    EXPECT_EQ(std::max(line, 17), f.list->MeasureItemText(1));

    // A bold selected look is measured too: a text that fits in the normal font but not in
    // the bold one is as high as two lines, so it never runs out of its row when selected.
    f.list->SetGlyphs(nullptr);
    std::string plain = "Wg";
    while (c.TextWidth(plain + " Wg") < rowWidth - 8)
        plain += " Wg";
    f.list->Items()->Put(1, plain);
    EXPECT_EQ(line, f.list->MeasureItemText(1));
    f.list->ItemSelStyle()->Font()->SetStyle(fsBold);
    EXPECT_EQ(2 * line, f.list->MeasureItemText(1));
}

TEST(OwnerDrawListBoxMeasure, RemeasuringKeepsTheSelectionAndTheCurrentItem) {
    TListForm f(6);
    f.list->SetMultiSelect(true);
    f.Show();
    f.list->SetItemIndex(3);
    f.list->SetSelected(1, true);
    f.list->SetSelected(3, true);
    ASSERT_EQ(2, f.list->GetSelCount());
    const int before = f.list->ItemRect(2).Height();

    // A change of look measures every item again.
    f.list->ItemStyle()->Font()->SetHeight(-20);
    f.list->ItemSelStyle()->Font()->SetHeight(-20);
    PumpEvents();
    EXPECT_GT(f.list->ItemRect(2).Height(), before);
    EXPECT_EQ(3, f.list->ItemIndex());
    EXPECT_TRUE(f.list->Selected(1));
    EXPECT_TRUE(f.list->Selected(3));
    EXPECT_EQ(2, f.list->GetSelCount());

    f.list->SetOptions(f.list->Options() & ~fboWordWrap);
    f.list->SetItemHeight(30);
    PumpEvents();
    EXPECT_EQ(30, f.list->ItemRect(4).Height());
    EXPECT_EQ(3, f.list->ItemIndex());
    EXPECT_EQ(2, f.list->GetSelCount());
}

TEST(OwnerDrawListBoxMeasure, WrappedRowsFollowTheWidthWhenAScrollBarComesOrTheBoxIsResized) {
    TListForm f(0, 200);
    f.list->SetMultiSelect(true);
    f.list->SetAnchors(akLeft | akTop | akRight);
    f.Show();
    const int fullWidth = f.list->ItemWidth();
    TCanvas c;
    c.SetFont(*f.list->ItemStyle()->Font());
    // Two words that just fit one line of the whole row and need two once a scroll bar or a
    // narrower box takes some of it.
    std::string text = "Wg Wg";
    while (c.TextWidth(text + "i") < fullWidth - 10)
        text += "i";
    f.list->Items()->Add(text);
    f.list->Items()->Add("Wg");
    PumpEvents();
    const int line = LineHeight(*f.list->ItemStyle()->Font());
    ASSERT_EQ(line, f.list->ItemRect(0).Height());
    f.list->SetItemIndex(1);
    f.list->SetSelected(0, true);
    f.list->SetSelected(1, true);

    struct Step {
        const char* what;
        std::function<void()> act;
        int rows;
    } steps[] = {
        {"enough items for a vertical scroll bar",
         [&] {
             for (int i = 0; i < 30; ++i)
                 f.list->Items()->Add("Wg");
         },
         2},
        {"the window made narrower, the box with it",
         [&] {
             QWidget* w = f.form->Widget();
             w->resize(w->width() - 40, w->height());
         },
         2},
        {"the items gone again and the window as wide as before",
         [&] {
             while (f.list->Count() > 2)
                 f.list->Items()->Delete(f.list->Count() - 1);
             QWidget* w = f.form->Widget();
             w->resize(w->width() + 40, w->height());
         },
         1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        PumpEvents();
        EXPECT_EQ(step.rows * line, f.list->ItemRect(0).Height());
        EXPECT_EQ(1, f.list->ItemIndex());
        EXPECT_TRUE(f.list->Selected(0));
        EXPECT_TRUE(f.list->Selected(1));
    }
}

// ---------------------------------------------------------------- hot tracking

int CountColour(const QImage& image, const TRect& r, TColor colour) {
    const uint32_t rgb = ColorToRGB(colour);
    const QRgb want = qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(image.width(), r.Right); ++x)
            n += image.pixel(x, y) == want;
    return n;
}

TEST(OwnerDrawListBoxHotTrack, MovingTheMouseRepaintsTheOldAndTheNewHotItemOnly) {
    TListForm f(6);
    f.list->ItemStyle()->SetColor(clWhite);
    f.list->SetHotTrackColor(clRed);
    std::vector<int> drawn;
    f.list->OnDrawItemDone = [&](TObject*, const TDrawItemStruct& dis) {
        drawn.push_back(static_cast<int>(dis.itemID));
    };
    f.Show();
    QWidget* viewport = f.View()->viewport();
    auto drawnSet = [&] { return std::set<int>(drawn.begin(), drawn.end()); };

    drawn.clear();
    QTest::mouseMove(viewport, f.Center(2));
    PumpEvents();
    EXPECT_EQ(2, f.list->HotIndex());
    EXPECT_EQ(std::set<int>{2}, drawnSet());

    drawn.clear();
    QTest::mouseMove(viewport, f.Center(3));
    PumpEvents();
    EXPECT_EQ(3, f.list->HotIndex());
    EXPECT_EQ((std::set<int>{2, 3}), drawnSet());
    QImage shot = f.Shot();
    EXPECT_GT(CountColour(shot, f.list->ItemRect(3), clRed), 5) << "item 3 in the hot colour";
    EXPECT_EQ(0, CountColour(shot, f.list->ItemRect(2), clRed)) << "item 2 back to normal";

    // Moving within the same item repaints nothing.
    drawn.clear();
    QTest::mouseMove(viewport, f.Center(3) + QPoint(15, 0));
    PumpEvents();
    EXPECT_TRUE(drawn.empty());

    // Leaving the box repaints the hot item in its normal colour.
    drawn.clear();
    QTest::mouseMove(f.other->Widget(), QPoint(10, 10));
    PumpEvents();
    EXPECT_EQ(-1, f.list->HotIndex());
    EXPECT_EQ(std::set<int>{3}, drawnSet());
    EXPECT_EQ(0, CountColour(f.Shot(), f.list->ItemRect(3), clRed));
}

TEST(OwnerDrawListBoxHotTrack, HotTrackSelectChoosesTheItemUnderTheMouse) {
    TListForm f(5);
    f.list->SetOptions(fboHotTrackSelect);
    std::vector<std::pair<int, int>> changes;
    f.list->OnChange = [&](TObject*, int from, int to) { changes.emplace_back(from, to); };
    f.Show();
    changes.clear();
    QTest::mouseMove(f.View()->viewport(), f.Center(1));
    PumpEvents();
    EXPECT_EQ(1, f.list->ItemIndex());
    QTest::mouseMove(f.View()->viewport(), f.Center(4));
    PumpEvents();
    EXPECT_EQ(4, f.list->ItemIndex());
    EXPECT_EQ(-1, f.list->HotIndex());
    // Each selection change is reported by the drawing that follows it.
    ASSERT_EQ(2u, changes.size());
    EXPECT_EQ(std::make_pair(-1, 1), changes[0]);
    EXPECT_EQ(std::make_pair(1, 4), changes[1]);
    // The pointer leaves before the form goes, so the next test's windows see it enter.
    QTest::mouseMove(f.other->Widget(), QPoint(10, 10));
    PumpEvents();
}

// The main window may free or rebuild the playlist box when the chosen playlist changes:
// a handler that frees the box it was told by runs after the paint, and the events keep
// their order, the click first, then the change with the old and the new index.
TEST(OwnerDrawListBoxChange, AHandlerThatFreesTheBoxRunsAfterThePaint) {
    TListForm f(5);
    std::vector<std::string> events;
    f.list->OnClick = [&](TObject*) { events.push_back("click"); };
    f.list->OnChange = [&](TObject*, int from, int to) {
        events.push_back("change " + std::to_string(from) + " " + std::to_string(to));
    };
    f.Show();
    events.clear();
    QTest::mouseClick(f.View()->viewport(), Qt::LeftButton, {}, f.Center(2));
    PumpEvents();
    EXPECT_EQ((std::vector<std::string>{"click", "change -1 2"}), events);

    TBvgListBox* list = f.list;
    bool freed = false;
    list->OnChange = [&](TObject* sender, int, int to) {
        events.push_back("change to " + std::to_string(to) + ", freed");
        f.list = nullptr;
        freed = true;
        // Last: this handler lives in the box it frees.
        delete sender;
    };
    events.clear();
    QTest::mouseClick(f.View()->viewport(), Qt::LeftButton, {}, f.Center(3));
    PumpEvents();
    EXPECT_TRUE(freed);
    EXPECT_EQ((std::vector<std::string>{"click", "change to 3, freed"}), events);
    // The form lives on and takes input without the box.
    QTest::mouseClick(f.other->Widget(), Qt::LeftButton, {}, QPoint(10, 10));
    PumpEvents();
    EXPECT_EQ(0, f.form->ComponentCount() - 1) << "only the edit is left";
}

// ---------------------------------------------------------------- pictures

// Whether the picture column of an item holds any pixel other than the item's colour.
bool PictureDrawn(const QImage& shot, const TRect& item) {
    const TRect column = Rect(item.Left + 2, item.Top + 1, item.Left + 18, item.Top + 17);
    return CountColour(shot, column, clWhite) < column.Width() * column.Height();
}

TEST(OwnerDrawListBoxPictures, AnItemShowsItsPictureOnlyWhenTheListAndNumGlyphsHaveIt) {
    TImageList images(nullptr);
    AddTangoPicture(&images, "places/folder.png");
    AddTangoPicture(&images, "mimetypes/audio-x-generic.png");
    AddTangoPicture(&images, "places/user-home.png");

    struct TCase {
        const char* name;
        int numGlyphs;
        TglListBoxOptions extra;
        std::vector<bool> drawn; // items 0 to 5
    };
    const TCase cases[] = {
        {"NumGlyphs beyond the list", 100, 0, {true, true, true, false, false, false}},
        {"NumGlyphs 2", 2, 0, {true, true, false, false, false, false}},
        {"NumGlyphs 0 keeps 1", 0, 0, {true, false, false, false, false, false}},
        {"single picture", 1, fboSingleGlyph, {true, true, true, true, true, true}},
    };
    for (const TCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        TListForm f(6);
        f.list->ItemStyle()->SetColor(clWhite);
        f.list->ItemSelStyle()->SetColor(clWhite);
        f.list->SetGlyphs(&images);
        f.list->SetNumGlyphs(tc.numGlyphs);
        f.list->SetOptions(f.list->Options() | tc.extra);
        f.Show();
        QImage shot = f.Shot();
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(tc.drawn[static_cast<size_t>(i)], PictureDrawn(shot, f.list->ItemRect(i)))
                << "item " << i;
        f.list->SetGlyphs(nullptr);
    }
}

// ---------------------------------------------------------------- wallpaper

TEST(OwnerDrawListBoxWallpaper, LiesUnderNormalItemsAsTheOptionSays) {
    TBitmap green(8, 8);
    green.Canvas()->Brush()->SetColor(clLime);
    green.Canvas()->FillRect(Rect(0, 0, 8, 8));
    const struct {
        const char* name;
        TglLBWallpaperOption option;
        bool nearCorner, farAway; // wallpaper at an item's top-left corner, and further in
    } cases[] = {
        {"stretched", TglLBWallpaperOption::fwlStretch, true, true},
        {"tiled", TglLBWallpaperOption::fwlTile, true, true},
        {"once at each item's corner", TglLBWallpaperOption::fwlNone, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TListForm f(3);
        f.list->ItemStyle()->SetColor(clWhite);
        f.list->ItemSelStyle()->SetColor(clYellow);
        f.list->SetOptions(f.list->Options() | fboHideText);
        f.list->SetWallpaper(green);
        f.list->SetWallpaperOption(c.option);
        f.Show();
        f.list->SetItemIndex(1);
        PumpEvents();
        QImage shot = f.Shot();
        const TRect normal = f.list->ItemRect(2);
        const QRgb lime = qRgb(0, 255, 0);
        EXPECT_EQ(c.nearCorner, shot.pixel(normal.Left + 3, normal.Top + 3) == lime);
        EXPECT_EQ(c.farAway, shot.pixel(normal.Left + 100, normal.Top + 10) == lime);
        // A selected item of another colour than the normal ones shows no wallpaper.
        const TRect selected = f.list->ItemRect(1);
        EXPECT_EQ(0, CountColour(shot, selected, clLime));
    }
}

// ---------------------------------------------------------------- drag image

TEST(OwnerDrawListBoxDrag, ADragShowsThePictureOfTheSelectedItemHeldWhereItWasTaken) {
    for (bool custom : {false, true}) {
        SCOPED_TRACE(custom ? "the owner's picture" : "the item's text");
        TListForm f(4);
        if (custom)
            f.list->OnGetDragImage = [](TObject*, TBitmap* bitmap, TColor& transparent, int& x,
                                        int& y) {
                bitmap->SetSize(10, 12);
                transparent = clFuchsia;
                x = 3;
                y = 4;
            };
        f.Show();
        EXPECT_EQ(nullptr, f.list->GetDragImages());
        f.list->SetItemIndex(2);
        const QPoint at = f.Center(2);
        QTest::mouseMove(f.View()->viewport(), at);
        PumpEvents();
        f.list->BeginDrag(true);
        PumpEvents();
        TDragImageList* images = f.list->GetDragImages();
        ASSERT_NE(nullptr, images);
        EXPECT_EQ(1, images->Count());
        const TRect item = f.list->ItemRect(2);
        EXPECT_EQ(custom ? 10 : item.Width(), images->Width());
        EXPECT_EQ(custom ? 12 : item.Height(), images->Height());
        const TPoint hot = images->DragHotspot();
        EXPECT_EQ(custom ? 3 : at.x() - item.Left, hot.X);
        EXPECT_EQ(custom ? 4 : at.y() - item.Top, hot.Y);
        f.list->EndDrag(false);
        PumpEvents();
        QTest::mouseMove(f.other->Widget(), QPoint(10, 10));
        PumpEvents();
    }
}

// ---------------------------------------------------------------- the selected look

TEST(OwnerDrawListBoxSelected, TheSelectedBitAloneChoosesTheSelectedLook) {
    TListForm f(2);
    f.list->ItemStyle()->SetColor(clWhite);
    f.list->ItemSelStyle()->SetColor(clYellow);
    f.Show();
    const struct {
        const char* name;
        uint32_t state;
        bool selected;
    } cases[] = {
        {"selected", ODS_SELECTED, true},
        {"selected and focused", ODS_SELECTED | ODS_FOCUS, true},
        {"selected, focused and hot", ODS_SELECTED | ODS_FOCUS | ODS_HOTLIGHT, true},
        {"selected and checked", ODS_SELECTED | ODS_CHECKED, true},
        {"selected in an inactive window", ODS_SELECTED | ODS_INACTIVE, true},
        {"focused only", ODS_FOCUS, false},
        {"nothing", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap target(100, 20);
        TDrawItemStruct dis;
        dis.CtlType = ODT_LISTBOX;
        dis.itemID = 1;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = c.state;
        dis.hwndItem = f.list;
        dis.hDC = target.Canvas();
        dis.rcItem = Rect(0, 0, 100, 20);
        f.list->Perform(CN_DRAWITEM, 0, reinterpret_cast<intptr_t>(&dis));
        EXPECT_EQ(ColorToRGB(c.selected ? clYellow : clWhite), target.Pixel(95, 10));
    }

    // And as the user sees it: the item clicked with the mouse is drawn in the selected look.
    QTest::mouseClick(f.View()->viewport(), Qt::LeftButton, Qt::NoModifier, f.Center(1));
    PumpEvents();
    ASSERT_EQ(1, f.list->ItemIndex());
    QImage shot = f.Shot();
    EXPECT_GT(CountColour(shot, f.list->ItemRect(1), clYellow), 100);
    EXPECT_EQ(0, CountColour(shot, f.list->ItemRect(0), clYellow));
}

} // namespace
