// The masked edit and the keys of an edit, typed as a person types them: real Qt key events
// into the edit's widget, with a window whose menu has short cuts of the same keys.
#include "GuiTestEnvironment.h"
#include "Mask.h"
#include "Menus.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

TEST(EditMask, TheMaskLanguageBecomesQts) {
    struct TCase {
        const char* Mask;
        const char* Qt;
        bool SaveLiterals;
        char Blank;
    };
    const TCase cases[] = {
        // Delphi's required digit is Qt's optional one and the other way round.
        {"!90:00;1; ", "09:99; ", true, ' '},
        {"00/00/0000;0;_", "99/99/9999;_", false, '_'},
        // Letters and other characters, and a case switch.
        {">LL-aa;1;*", ">AA-nn;*", true, '*'},
        {"<>cC;1;_", "!xX;_", true, '_'},
        // A literal that Qt would read as a mask character stays a literal.
        {"\\N0;1;_", "\\N9;_", true, '_'},
        {"9D;1;_", "0\\D;_", true, '_'},
        {"", "", true, '_'},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Mask);
        EXPECT_EQ(QtInputMask(c.Mask), c.Qt);
        const TEditMaskParts parts = SplitEditMask(c.Mask);
        EXPECT_EQ(parts.SaveLiterals, c.SaveLiterals);
        EXPECT_EQ(parts.Blank, c.Blank);
    }
}

namespace {

class EditKeys : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(300, 200);
        menu = new TMainMenu(form);
        auto* edit = new TMenuItem(form);
        edit->SetCaption("&Edit");
        menu->Items()->Add(edit);
        selectAll = new TMenuItem(form);
        selectAll->SetCaption("Select all");
        selectAll->ShortCut = ShortCut('A', ssCtrl);
        selectAll->OnClick = [this](TObject*) { ++selectAllRuns; };
        edit->Add(selectAll);
        form->SetMenu(menu);
        time = new TMaskEdit(form);
        time->SetParent(form);
        time->SetBounds(10, 10, 80, 22);
        time->SetEditMask("!90:00;1; ");
        time->SetText("04:10");
        name = new TEdit(form);
        name->SetParent(form);
        name->SetBounds(10, 40, 150, 22);
        name->SetText("Song");
        button = new TButton(form);
        button->SetParent(form);
        button->SetBounds(10, 70, 75, 25);
        form->Show();
        PumpEvents();
    }
    void TearDown() override {
        delete form;
        PumpEvents();
    }
    void Focus(TWinControl* control) {
        control->SetFocus();
        PumpEvents();
    }
    auto* Line(TCustomEdit* e) { return qobject_cast<QLineEdit*>(e->Widget()); }

    TForm* form = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem* selectAll = nullptr;
    int selectAllRuns = 0;
    TMaskEdit* time = nullptr;
    TEdit* name = nullptr;
    TButton* button = nullptr;
};

} // namespace

TEST_F(EditKeys, TypingOverwritesTheMasksDigitsAndTheColonStays) {
    std::vector<std::string> changes;
    time->OnChange = [&](TObject*) { changes.push_back(time->Caption()); };
    EXPECT_EQ(time->Caption(), "04:10");
    Focus(time);
    QTest::keyClick(time->Widget(), Qt::Key_Home);
    QTest::keyClicks(time->Widget(), "0512");
    PumpEvents();
    EXPECT_EQ(time->Caption(), "05:12");
    EXPECT_EQ(time->EditText(), "05:12");
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), "05:12");

    // A letter takes no position.
    QTest::keyClick(time->Widget(), Qt::Key_Home);
    QTest::keyClicks(time->Widget(), "x1");
    PumpEvents();
    EXPECT_EQ(time->Caption(), "15:12");

    // A digit rubbed out shows the blank, and the text keeps it in its place.
    QTest::keyClick(time->Widget(), Qt::Key_End);
    QTest::keyClick(time->Widget(), Qt::Key_Backspace);
    PumpEvents();
    EXPECT_EQ(time->Caption(), "15:1 ");
    // Set from code, the text takes the mask's places as well.
    time->SetText("07:08");
    EXPECT_EQ(Line(time)->displayText().toStdString(), "07:08");
}

TEST_F(EditKeys, AnEditsOwnKeysGoToItBeforeTheWindowsShortCuts) {
    for (TCustomEdit* edit : {static_cast<TCustomEdit*>(time), static_cast<TCustomEdit*>(name)}) {
        SCOPED_TRACE(edit->Caption());
        Focus(edit);
        QTest::keyClick(edit->Widget(), Qt::Key_End);
        QTest::keyClick(edit->Widget(), Qt::Key_A, Qt::ControlModifier);
        PumpEvents();
        EXPECT_EQ(selectAllRuns, 0) << "Ctrl+A ran the menu's Select all";
        EXPECT_EQ(edit->SelText(), edit->Caption()) << "Ctrl+A selects the edit's text";
    }
    // Elsewhere the short cut is the menu's.
    Focus(button);
    QTest::keyClick(button->Widget(), Qt::Key_A, Qt::ControlModifier);
    PumpEvents();
    EXPECT_EQ(selectAllRuns, 1);
}
