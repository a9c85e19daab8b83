// The kit's combo box used as a person uses it: keys and clicks on a read-only box, the
// placeholder coming and going with the focus, the typed text held to a pixel width, the
// moments owner-drawn items are measured, and a provider's items picked from the list.
#include "BvComboBox.h"
#include "FakeProvider.h"
#include "GuiTestEnvironment.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QColor ToQColorForTest(TColor c) {
    const uint32_t rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QComboBox* QtCombo(TControl* c) {
    return qobject_cast<QComboBox*>(static_cast<TWinControl*>(c)->Widget());
}

struct TComboForm {
    TForm* form = nullptr;
    TBvComboBox* combo = nullptr;
    TEdit* other = nullptr; // somewhere else to put the focus

    explicit TComboForm(TComboBoxStyle style) {
        form = MakeTestForm(320, 200);
        combo = new TBvComboBox(form);
        combo->SetParent(form);
        combo->SetBounds(10, 10, 200, 24);
        combo->SetStyle(style);
        other = new TEdit(form);
        other->SetParent(form);
        other->SetBounds(10, 60, 200, 24);
    }
    ~TComboForm() { delete form; }
    void Show() {
        form->Show();
        QApplication::setActiveWindow(form->Widget());
        PumpEvents();
    }
    QComboBox* Q() const { return QtCombo(combo); }
    // Focus moved by the mouse, as a person moves it.
    void ClickOther() {
        QTest::mouseClick(other->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
        PumpEvents();
    }
};

// ---------------------------------------------------------------- read-only

struct TKeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
};

const TKeyCase kReadOnlyKeys[] = {
    {"Down", Qt::Key_Down, Qt::NoModifier},     {"Up", Qt::Key_Up, Qt::NoModifier},
    {"Left", Qt::Key_Left, Qt::NoModifier},     {"Right", Qt::Key_Right, Qt::NoModifier},
    {"F4", Qt::Key_F4, Qt::NoModifier},         {"Alt+Down", Qt::Key_Down, Qt::AltModifier},
    {"Alt+Up", Qt::Key_Up, Qt::AltModifier},    {"PageDown", Qt::Key_PageDown, Qt::NoModifier},
    {"End", Qt::Key_End, Qt::NoModifier},       {"Home", Qt::Key_Home, Qt::NoModifier},
    {"typed T", Qt::Key_T, Qt::NoModifier},     {"Backspace", Qt::Key_Backspace, Qt::NoModifier},
    {"Delete", Qt::Key_Delete, Qt::NoModifier}, {"Space", Qt::Key_Space, Qt::NoModifier},
};

class ReadOnlyKeys : public ::testing::TestWithParam<TComboBoxStyle> {};

TEST_P(ReadOnlyKeys, NoKeyClickOrWheelChangesTextOrSelection) {
    TComboForm f(GetParam());
    for (const char* s : {"One", "Two", "Three", "Twelve"})
        f.combo->Items()->Add(s);
    f.combo->SetItemIndex(1);
    int changes = 0;
    f.combo->OnChange = [&](TObject*) { ++changes; };
    f.combo->SetReadOnly(true);
    f.Show();
    f.combo->SetFocus();
    PumpEvents();
    ASSERT_TRUE(f.combo->Focused());

    for (const TKeyCase& k : kReadOnlyKeys) {
        SCOPED_TRACE(k.name);
        QTest::keyClick(f.Q(), k.key, k.mods);
        PumpEvents();
        EXPECT_EQ(1, f.combo->ItemIndex());
        EXPECT_EQ("Two", f.combo->GetText());
        EXPECT_FALSE(f.combo->DroppedDown());
    }
    QTest::keyClicks(f.Q(), "Th");
    PumpEvents();
    EXPECT_EQ("Two", f.combo->GetText());

    // A click anywhere on the box, the arrow included, only focuses it.
    f.ClickOther();
    ASSERT_FALSE(f.combo->Focused());
    const int w = f.combo->Width();
    QTest::mouseClick(f.Q(), Qt::LeftButton, Qt::NoModifier, QPoint(w - 8, 12));
    PumpEvents();
    EXPECT_TRUE(f.combo->Focused());
    EXPECT_FALSE(f.combo->DroppedDown());
    QTest::mouseDClick(f.Q(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 12));
    PumpEvents();
    EXPECT_FALSE(f.combo->DroppedDown());

    QWheelEvent wheel(QPointF(20, 12), f.Q()->mapToGlobal(QPointF(20, 12)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.Q(), &wheel);
    PumpEvents();
    EXPECT_EQ(1, f.combo->ItemIndex());
    EXPECT_EQ(0, changes);

    // Writable again, the same keys work: the table above could have failed.
    f.combo->SetReadOnly(false);
    QTest::keyClick(f.Q(), Qt::Key_Down);
    PumpEvents();
    EXPECT_EQ(2, f.combo->ItemIndex());
    EXPECT_EQ("Three", f.combo->GetText());
    EXPECT_GT(changes, 0);
}

INSTANTIATE_TEST_SUITE_P(Styles, ReadOnlyKeys,
                         ::testing::Values(TComboBoxStyle::csDropDown,
                                           TComboBoxStyle::csDropDownList),
                         [](const auto& info) {
                             return info.param == TComboBoxStyle::csDropDown ? "DropDown"
                                                                             : "DropDownList";
                         });

TEST(ComboBoxReadOnly, SurvivesANewWindow) {
    TComboForm f(TComboBoxStyle::csDropDown);
    f.combo->Items()->Add("One");
    f.combo->SetText("kept");
    f.combo->SetReadOnly(true);
    f.Show();
    f.combo->SetStyle(TComboBoxStyle::csSimple); // makes the window again
    PumpEvents();
    f.combo->SetFocus();
    PumpEvents();
    QTest::keyClicks(f.Q(), "xyz");
    PumpEvents();
    EXPECT_EQ("kept", f.combo->GetText());
    ASSERT_NE(nullptr, f.Q()->lineEdit());
    EXPECT_TRUE(f.Q()->lineEdit()->isReadOnly());
}

// ---------------------------------------------------------------- placeholder

QColor EditTextColor(QComboBox* c) {
    return c->lineEdit()->palette().color(QPalette::Text);
}

TEST(ComboBoxPlaceholder, ComesAndGoesWithTheFocusAndTheText) {
    TComboForm f(TComboBoxStyle::csDropDown);
    f.combo->Font()->SetColor(clNavy);
    f.combo->SetEmptyValue("Search tracks");
    f.Show();
    f.ClickOther();

    // Unfocused and empty: the placeholder in grey, and the text reads empty.
    EXPECT_TRUE(f.combo->IsEmptyValue());
    EXPECT_EQ("Search tracks", f.Q()->currentText().toStdString());
    EXPECT_EQ("", f.combo->GetText());
    EXPECT_EQ(clGrayText, f.combo->Font()->Color());
    EXPECT_EQ(ToQColorForTest(clGrayText), EditTextColor(f.Q()));

    // Clicked into: empty, in the font's own colour; typing is the text.
    QTest::mouseClick(f.Q()->lineEdit(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
    PumpEvents();
    EXPECT_FALSE(f.combo->IsEmptyValue());
    EXPECT_EQ("", f.Q()->currentText().toStdString());
    EXPECT_EQ(clNavy, f.combo->Font()->Color());
    QTest::keyClicks(f.Q(), "abba");
    PumpEvents();
    EXPECT_EQ("abba", f.combo->GetText());

    // Left with text: no placeholder. Emptied and left: it comes back.
    f.ClickOther();
    EXPECT_FALSE(f.combo->IsEmptyValue());
    EXPECT_EQ("abba", f.combo->GetText());
    f.combo->SetFocus();
    PumpEvents();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(f.Q(), Qt::Key_Backspace);
    PumpEvents();
    EXPECT_EQ("", f.combo->GetText());
    f.ClickOther();
    EXPECT_TRUE(f.combo->IsEmptyValue());
    EXPECT_EQ("", f.combo->GetText());

    // A text set by the program ends the placeholder and gives the font its colour back;
    // an empty one keeps it.
    f.combo->SetText("");
    EXPECT_TRUE(f.combo->IsEmptyValue());
    f.combo->SetText("Abba - Waterloo");
    EXPECT_FALSE(f.combo->IsEmptyValue());
    EXPECT_EQ("Abba - Waterloo", f.combo->GetText());
    EXPECT_EQ("Abba - Waterloo", f.Q()->currentText().toStdString());
    EXPECT_EQ(clNavy, f.combo->Font()->Color());
    EXPECT_EQ(ToQColorForTest(clNavy), EditTextColor(f.Q()));
}

TEST(ComboBoxPlaceholder, ChosenItemEndsItAndANewValueReplacesIt) {
    TComboForm f(TComboBoxStyle::csDropDown);
    f.combo->Items()->Add("First");
    f.combo->SetEmptyValue("Pick one");
    f.Show();
    f.ClickOther();
    ASSERT_TRUE(f.combo->IsEmptyValue());

    // Another placeholder takes the old one's place at once.
    f.combo->SetEmptyValue("Choose");
    EXPECT_EQ("Choose", f.Q()->currentText().toStdString());
    EXPECT_TRUE(f.combo->IsEmptyValue());
    EXPECT_EQ(clGrayText, f.combo->Font()->Color());

    f.combo->SetItemIndex(0);
    EXPECT_FALSE(f.combo->IsEmptyValue());
    EXPECT_EQ("First", f.combo->GetText());
    EXPECT_EQ(clWindowText, f.combo->Font()->Color());

    // Set while the box holds text, it shows nothing until the box is emptied and left.
    TComboForm g(TComboBoxStyle::csDropDown);
    g.combo->SetText("typed");
    g.Show();
    g.ClickOther();
    g.combo->SetEmptyValue("Later");
    EXPECT_FALSE(g.combo->IsEmptyValue());
    EXPECT_EQ("typed", g.combo->GetText());
    g.combo->SetText("");
    EXPECT_FALSE(g.combo->IsEmptyValue());
    g.combo->SetFocus();
    PumpEvents();
    g.ClickOther();
    EXPECT_TRUE(g.combo->IsEmptyValue());
}

// ---------------------------------------------------------------- pixel limit

TEST(ComboBoxMaxPixel, EveryTextChangeIsHeldToTheWidth) {
    TComboForm f(TComboBoxStyle::csDropDown);
    UseTestFont(f.combo->Font());
    TCanvas c;
    c.SetFont(*f.combo->Font());
    const int fourW = c.TextWidth("WWWW");
    f.Show();

    // No limit: anything goes.
    f.combo->SetText("WWWWWWWWWW");
    EXPECT_EQ("WWWWWWWWWW", f.combo->GetText());

    // A limit set on a box with text cuts the text at once.
    f.combo->MaxPixel()->SetLength(fourW);
    EXPECT_EQ("WWWW", f.combo->GetText());

    // Typed past the limit: the characters that do not fit are not taken.
    f.combo->SetText("");
    f.combo->SetFocus();
    PumpEvents();
    QTest::keyClicks(f.Q(), "WWWWWWW");
    PumpEvents();
    EXPECT_EQ("WWWW", f.combo->GetText());

    // Narrow letters fit in more number; a text set by the program is cut as well.
    f.combo->SetText("iiiiiiiiiiii");
    EXPECT_EQ("iiiiiiiiiiii", f.combo->GetText());
    f.combo->SetText("WWWWWW and more");
    EXPECT_EQ("WWWW", f.combo->GetText());
    EXPECT_LE(c.TextWidth(f.combo->GetText()), fourW);

    // Back to no limit: text is left as it is.
    f.combo->MaxPixel()->SetLength(0);
    f.combo->SetText("WWWWWW and more");
    EXPECT_EQ("WWWWWW and more", f.combo->GetText());
}

// ---------------------------------------------------------------- items

TEST(ComboBoxItems, AnItemTextOfAnyLengthIsReadWhole) {
    TComboForm f(TComboBoxStyle::csDropDownList);
    const std::string longText = std::string(5000, 'x') + "end";
    f.combo->Items()->Add("short");
    f.combo->Items()->Add(longText);
    f.Show();
    EXPECT_EQ(longText, f.combo->GetItemText(1));
    EXPECT_EQ(static_cast<intptr_t>(longText.size()), f.combo->Perform(CB_GETLBTEXTLEN, 1, 0));
    std::string buffer(longText.size() + 1, '\0');
    f.combo->Perform(CB_GETLBTEXT, 1, reinterpret_cast<intptr_t>(buffer.data()));
    EXPECT_EQ(longText, std::string(buffer.c_str()));
    f.combo->SetItemIndex(1);
    EXPECT_EQ(longText, f.combo->GetText());
}

// ---------------------------------------------------------------- measuring

struct TMeasureCase {
    const char* name;
    TBvComboBoxMeasureStyle style;
    bool measuredAtCreation; // every item measured when the window is made
    bool measuredBeforeEachDraw;
};

const TMeasureCase kMeasureCases[] = {
    {"Standard", TBvComboBoxMeasureStyle::cmsStandard, false, false},
    {"AfterCreate", TBvComboBoxMeasureStyle::cmsAfterCreate, true, false},
    {"BeforeDraw", TBvComboBoxMeasureStyle::cmsBeforeDraw, false, true},
};

class MeasureStyles : public ::testing::TestWithParam<TMeasureCase> {};

TEST_P(MeasureStyles, ItemsAreMeasuredWhenTheStyleSays) {
    const TMeasureCase& mc = GetParam();
    TComboForm f(TComboBoxStyle::csOwnerDrawVariable);
    for (const char* s : {"a", "b", "c"})
        f.combo->Items()->Add(s);
    f.combo->SetMeasureStyle(mc.style);
    std::vector<std::string> log;
    f.combo->OnMeasureItem = [&](TWinControl*, int index, int& height) {
        log.push_back("m" + std::to_string(index));
        height = 20 + 4 * std::max(index, 0);
    };
    f.combo->OnDrawItem = [&](TWinControl*, int index, TRect rect, TOwnerDrawState) {
        log.push_back("d" + std::to_string(index));
        f.combo->Canvas()->FillRect(rect);
    };
    f.Show();
    auto has = [&](const std::string& e) {
        return std::find(log.begin(), log.end(), e) != log.end();
    };
    EXPECT_EQ(mc.measuredAtCreation, has("m-1") && has("m0") && has("m1") && has("m2"));
    if (mc.measuredAtCreation) {
        EXPECT_EQ(24, f.combo->HeightOfItem(1));
        EXPECT_EQ(28, f.combo->HeightOfItem(2));
    }

    log.clear();
    QTest::mouseClick(f.Q(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 12));
    PumpEvents();
    ASSERT_TRUE(f.combo->DroppedDown());
    f.Q()->view()->viewport()->repaint();
    PumpEvents();
    ASSERT_TRUE(has("d2")) << "the open list drew its items";
    // Each draw of an item comes right after its measuring in BeforeDraw, and after-create
    // measured heights are never asked again.
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i][0] != 'd')
            continue;
        const std::string m = "m" + log[i].substr(1);
        if (mc.measuredBeforeEachDraw) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(m, log[i - 1]) << "before " << log[i];
        }
    }
    if (mc.style == TBvComboBoxMeasureStyle::cmsAfterCreate) {
        EXPECT_FALSE(has("m0"));
    }
    // Whenever measured, the open list shows the measured heights.
    const QRect row2 = f.Q()->view()->visualRect(f.Q()->model()->index(2, 0));
    EXPECT_EQ(28, row2.height());
    f.combo->SetDroppedDown(false);
}

INSTANTIATE_TEST_SUITE_P(Styles, MeasureStyles, ::testing::ValuesIn(kMeasureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- provider mode

// An item that remembers it was picked.
class TPicked : public TBvDataItemAggregatedObject, public IBvDataItemAction {
    BV_CLASS_INFO()
public:
    using TBvDataItemAggregatedObject::TBvDataItemAggregatedObject;
    void Execute(TComponent* sender) override { picks.push_back(sender); }
    std::vector<TComponent*> picks;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override {
        return BvOffer<IBvDataItemAction>(this, iid, obj) ||
               TBvDataItemAggregatedObject::GetOwnInterface(iid, obj);
    }
};

const TClassInfo& TPicked::StaticClassInfo() {
    static const TClassInfo info("TPicked", &TBvDataItemAggregatedObject::StaticClassInfo());
    return info;
}

TEST(ComboBoxProvider, ShowsAProvidersRowsAndGivesItsOwnItemsBack) {
    auto p = MakeProvider();
    auto* music = p->AddItem("Music");
    p->AddItem("Rock", p->SubList(music));
    auto* jazz = p->AddItem("Jazz", p->SubList(music));
    p->AddItem("Podcasts");
    auto* pick = BvCreate<TPicked>(jazz);

    TComboForm f(TComboBoxStyle::csDropDownList);
    f.combo->Items()->Add("own one");
    f.combo->Items()->Add("own two");
    f.Show();

    f.combo->Provider()->SetProvider(p.Get());
    PumpEvents();
    ASSERT_TRUE(f.combo->ProviderActive());
    EXPECT_EQ(4, f.combo->GetItemCount());
    EXPECT_EQ(4, f.combo->Items()->Count()) << "one window line per row";
    EXPECT_EQ(2, f.combo->SavedItems().Count());
    EXPECT_EQ("Jazz", f.combo->GetItemText(2));
    EXPECT_TRUE(f.combo->WindowStyle() & CBS_OWNERDRAWFIXED);

    // Searching the provider's texts, from after the start and round to the start.
    EXPECT_EQ(3, f.combo->Perform(CB_FINDSTRING, 1, reinterpret_cast<intptr_t>("po")));
    EXPECT_EQ(0, f.combo->Perform(CB_FINDSTRING, 3, reinterpret_cast<intptr_t>("MU")));
    EXPECT_EQ(CB_ERR, f.combo->Perform(CB_FINDSTRINGEXACT, -1, reinterpret_cast<intptr_t>("Ja")));
    EXPECT_EQ(2, f.combo->Perform(CB_FINDSTRINGEXACT, -1, reinterpret_cast<intptr_t>("jazz")));

    // Jazz picked with the mouse from the open list: the text, the events, the item's action.
    int changes = 0;
    f.combo->OnChange = [&](TObject*) { ++changes; };
    QTest::mouseClick(f.Q(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 12));
    PumpEvents();
    QAbstractItemView* view = f.Q()->view();
    ASSERT_TRUE(view->isVisible());
    const QRect third = view->visualRect(view->model()->index(2, 0));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
    PumpEvents();
    EXPECT_EQ(2, f.combo->ItemIndex());
    EXPECT_EQ("Jazz", f.combo->GetText());
    EXPECT_EQ(1, changes);
    ASSERT_EQ(1u, pick->picks.size());
    EXPECT_EQ(f.combo, pick->picks[0]);

    // The provider's new item becomes a row.
    p->AddItem("Blues", p->SubList(music));
    EXPECT_EQ(5, f.combo->Items()->Count());

    // Let go: the box's own strings come back.
    f.combo->Provider()->SetProvider(nullptr);
    PumpEvents();
    EXPECT_FALSE(f.combo->ProviderActive());
    ASSERT_EQ(2, f.combo->Items()->Count());
    EXPECT_EQ("own two", f.combo->Items()->Get(1));
    EXPECT_FALSE(f.combo->WindowStyle() & CBS_OWNERDRAWFIXED);
}

TEST(ComboBoxProvider, ChangingTheItemsLetsTheProviderGo) {
    auto p = MakeProvider();
    p->AddItem("Music");
    TComboForm f(TComboBoxStyle::csDropDownList);
    f.combo->Items()->Add("own");
    f.Show();
    f.combo->Provider()->SetProvider(p.Get());
    ASSERT_TRUE(f.combo->ProviderActive());
    f.combo->Items()->Add("added");
    EXPECT_FALSE(f.combo->ProviderActive());
    EXPECT_EQ(nullptr, f.combo->Provider()->Provider());
    ASSERT_EQ(2, f.combo->Items()->Count());
    EXPECT_EQ("own", f.combo->Items()->Get(0));
    EXPECT_EQ("added", f.combo->Items()->Get(1));

    // Freed while linked: the provider is told and hears nothing more.
    f.combo->Provider()->SetProvider(p.Get());
    p->Log.clear();
    delete f.form;
    f.form = nullptr;
    EXPECT_EQ(0, p->SinkCount());
}

} // namespace

namespace {

// A choice may lead the window to free the box that reported it (a panel rebuilt for the
// new choice): the box's own steps after the handler must not run on freed memory.
// Chosen by a key on the closed box and by the mouse in the open list, for both events.
TEST(ComboBoxFreedByItsHandler, AChoiceThatFreesTheBoxEndsQuietly) {
    enum class TWay { Key, Mouse };
    const struct {
        const char* name;
        TWay way;
        bool inSelect; // freed by OnSelect instead of OnChange
    } cases[] = {
        {"key, freed by OnChange", TWay::Key, false},
        {"mouse, freed by OnChange", TWay::Mouse, false},
        {"key, freed by OnSelect", TWay::Key, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TComboForm f(TComboBoxStyle::csDropDownList);
        for (const char* s : {"MP3", "M4A", "WAV"})
            f.combo->Items()->Add(s);
        f.combo->SetItemIndex(0);
        std::vector<std::string> heard;
        auto freeIt = [&](const char* event) {
            return [&, event](TObject* sender) {
                auto* box = static_cast<TBvComboBox*>(sender);
                heard.push_back(std::string(event) + " " + box->GetText());
                f.combo = nullptr;
                // Last: this handler lives in the box it frees.
                delete box;
            };
        };
        if (c.inSelect) {
            f.combo->OnChange = [&](TObject*) { heard.push_back("change"); };
            f.combo->OnSelect = freeIt("select");
        } else {
            f.combo->OnChange = freeIt("change");
            f.combo->OnSelect = [&](TObject*) { heard.push_back("select on a freed box"); };
        }
        f.Show();
        f.combo->SetFocus();
        PumpEvents();
        QComboBox* q = f.Q();
        if (c.way == TWay::Key) {
            QTest::keyClick(q, Qt::Key_Down);
        } else {
            QTest::mouseClick(q, Qt::LeftButton, Qt::NoModifier, QPoint(100, 12));
            PumpEvents();
            QAbstractItemView* view = q->view();
            ASSERT_TRUE(view->isVisible());
            QTest::qWait(QApplication::doubleClickInterval() + 50);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                              view->visualRect(view->model()->index(1, 0)).center());
        }
        PumpEvents();
        EXPECT_EQ(nullptr, f.combo) << "the handler ran";
        const std::vector<std::string> expected =
            c.inSelect ? std::vector<std::string>{"change", "select M4A"}
                       : std::vector<std::string>{"change M4A"};
        EXPECT_EQ(expected, heard);
        // The form carries on.
        f.ClickOther();
        EXPECT_TRUE(f.other->Focused());
    }
}

} // namespace
