#include "ActnList.h"
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class ActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(300, 120);
        list = new TActionList(form);
        action = new TAction(form);
        action->SetActionList(list);
        action->SetCaption("&Run");
        action->SetHint("Run it|Runs the thing");
        action->OnExecute = [this](TObject*) { ++runs; };
        button = new TButton(form);
        button->SetParent(form);
        button->SetBounds(10, 10, 120, 30);
    }
    void TearDown() override {
        delete form;
        PumpEvents();
    }
    void ClickButton() {
        form->Show();
        PumpEvents();
        QTest::mouseClick(button->Widget(), Qt::LeftButton);
        PumpEvents();
    }
    TForm* form = nullptr;
    TActionList* list = nullptr;
    TAction* action = nullptr;
    TButton* button = nullptr;
    int runs = 0;
};

// A linked control shows the action's caption, hint and state, follows their changes, and a
// real click runs the action with the control as its ActionComponent.
TEST_F(ActionTest, ALinkedButtonShowsTheActionAndAClickRunsIt) {
    button->SetAction(action);
    EXPECT_EQ(button->Caption(), "&Run");
    EXPECT_EQ(button->Hint(), "Run it|Runs the thing");
    TComponent* runner = nullptr;
    action->OnExecute = [&](TObject*) {
        ++runs;
        runner = action->ActionComponent();
    };
    ClickButton();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(runner, button);
    EXPECT_EQ(action->ActionComponent(), nullptr) << "only while it runs";

    action->SetCaption("&Go");
    action->SetEnabled(false);
    EXPECT_EQ(button->Caption(), "&Go");
    EXPECT_FALSE(button->Enabled());
    ClickButton();
    EXPECT_EQ(runs, 1) << "a disabled button is not clicked";
    EXPECT_FALSE(action->Execute()) << "a disabled action runs nothing";
    EXPECT_EQ(runs, 1);
}

// A control property the program changed itself stops following the action; the others still do.
TEST_F(ActionTest, APropertyChangedOnTheControlNoLongerFollows) {
    button->SetAction(action);
    button->SetCaption("Mine");
    action->SetCaption("Theirs");
    action->SetHint("New hint");
    EXPECT_EQ(button->Caption(), "Mine");
    EXPECT_EQ(button->Hint(), "New hint");
}

// The control's own OnClick comes before the action; without it the action runs.
TEST_F(ActionTest, TheControlsOwnClickHandlerComesFirst) {
    int own = 0;
    button->SetAction(action);
    button->OnClick = [&](TObject*) { ++own; };
    ClickButton();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(runs, 0);
}

// Checking one action of a group unchecks the others of its list; AutoCheck toggles on Execute.
TEST_F(ActionTest, GroupedActionsCheckOneAtATime) {
    auto* second = new TAction(form);
    second->SetActionList(list);
    action->SetGroupIndex(3);
    second->SetGroupIndex(3);
    action->SetChecked(true);
    second->SetChecked(true);
    EXPECT_FALSE(action->Checked());
    EXPECT_TRUE(second->Checked());
    auto* loose = new TAction(form);
    loose->AutoCheck = true;
    loose->Execute();
    EXPECT_TRUE(loose->Checked());
    loose->Execute();
    EXPECT_FALSE(loose->Checked());
}

// Freeing the action leaves the control unlinked, and freeing the list leaves its actions
// without one; nothing dangles.
TEST_F(ActionTest, FreeingTheActionOrTheListUnlinks) {
    button->SetAction(action);
    ASSERT_EQ(action->ClientCount(), 1);
    delete list;
    EXPECT_EQ(action->ActionList(), nullptr);
    delete action;
    EXPECT_EQ(button->Action(), nullptr);
    button->Click(); // runs nothing, crashes nothing
    EXPECT_EQ(runs, 0);
}

// A control made while loading keeps the values it was given; only defaults take the action's.
TEST_F(ActionTest, LinkingWhileLoadingKeepsGivenValues) {
    auto* label = new TButton(form);
    label->BeginLoading();
    label->SetCaption("Given");
    label->SetAction(action);
    label->EndLoading();
    EXPECT_EQ(label->Caption(), "Given");
    EXPECT_EQ(label->Hint(), "Run it|Runs the thing");
}

// The help hook hears the context a help request carries.
TEST(HelpHookTest, HelpContextReachesTheHook) {
    std::vector<std::pair<uint16_t, intptr_t>> heard;
    Application->OnHelp = [&](uint16_t command, intptr_t data, bool& callHelp) {
        heard.emplace_back(command, data);
        callHelp = false;
        return true;
    };
    EXPECT_TRUE(Application->HelpContext(42));
    EXPECT_TRUE(Application->HelpCommand(HELP_CONTEXTPOPUP, 7));
    Application->OnHelp = nullptr;
    EXPECT_FALSE(Application->HelpContext(42)) << "no hook, no help";
    EXPECT_EQ(heard, (std::vector<std::pair<uint16_t, intptr_t>>{{HELP_CONTEXT, 42},
                                                                 {HELP_CONTEXTPOPUP, 7}}));
}

} // namespace
