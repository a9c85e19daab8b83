// Actions on the kit's buttons: a speed bar item, a speed button and an image button follow an
// action (caption, hint, enabled, checked, group, picture) and run it on a real click; the
// item's forwarded button properties and mouse events; the Help kind asking the help hook.
#include "ActnList.h"
#include "BvButton.h"
#include "BvSpeedbar.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"

#include <QImage>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

QPoint Centre(TControl* c) {
    return QPoint(c->Left() + c->Width() / 2, c->Top() + c->Height() / 2);
}

struct ActionForm {
    TForm* form = MakeTestForm(420, 200);
    TImageList* images = new TImageList(form, 16, 16);
    TActionList* list = new TActionList(form);
    TAction* open = new TAction(form);
    TBvSpeedBar* bar = new TBvSpeedBar(form);
    int runs = 0;
    TComponent* runner = nullptr;

    ActionForm() {
        AddTangoPicture(images, "actions/document-open.png");
        AddTangoPicture(images, "actions/media-playback-start.png");
        AddTangoPicture(images, "apps/help-browser.png");
        list->SetImages(images);
        open->SetActionList(list);
        open->SetCaption("Open");
        open->SetHint("Open|Opens a file");
        open->SetImageIndex(0);
        open->OnExecute = [this](TObject*) {
            ++runs;
            runner = open->ActionComponent();
        };
        UseTestFont(form->Font());
        bar->SetParent(form);
        UseTestFont(bar->Font());
        bar->SetBtnWidth(60);
        bar->SetBtnHeight(44);
        bar->SetImages(images);
    }
    ~ActionForm() { delete form; }
    TBvSpeedItem* Item(const std::string& name, int left) {
        auto* item = new TBvSpeedItem(form);
        item->SetName(name);
        bar->AddItem(0, item);
        item->SetLeft(left);
        item->SetVisible(true);
        return item;
    }
};

// An item linked to an action shows its caption and hint, greys out with it, latches with its
// Checked and runs it on a real click.
TEST(SpeedItemAction, TheItemFollowsTheActionAndAClickRunsIt) {
    ActionForm f;
    TBvSpeedItem* item = f.Item("ItemOpen", 4);
    item->SetImageIndex(0);
    item->SetAction(f.open);
    EXPECT_EQ(item->Action(), f.open);
    EXPECT_EQ(item->BtnCaption(), "Open");
    EXPECT_EQ(item->Hint(), "Open|Opens a file");
    f.form->Show();
    PumpEvents();
    QTest::mouseClick(f.bar->Widget(), Qt::LeftButton, {}, Centre(item->Button()));
    PumpEvents();
    EXPECT_EQ(f.runs, 1);
    EXPECT_EQ(f.runner, item->Button());

    f.open->SetEnabled(false);
    EXPECT_FALSE(item->Button()->Enabled());
    QTest::mouseClick(f.bar->Widget(), Qt::LeftButton, {}, Centre(item->Button()));
    PumpEvents();
    EXPECT_EQ(f.runs, 1);
    f.open->SetEnabled(true);

    // Grouped and releasable, Down is the action's Checked.
    f.open->SetGroupIndex(4);
    EXPECT_EQ(item->GroupIndex(), 4);
    item->SetAllowAllUp(true);
    f.open->SetChecked(true);
    EXPECT_TRUE(item->Down());
    f.open->SetChecked(false);
    EXPECT_FALSE(item->Down());

    // The item's own OnClick comes first.
    int own = 0;
    item->SetOnClick([&](TObject*) { ++own; });
    item->ButtonClick();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(f.runs, 1);
}

// The image speed button takes the action list's images and the action's picture; a speed
// button without a glyph takes the picture as its glyph.
TEST(SpeedButtonAction, ButtonsTakeTheActionsPicture) {
    ActionForm f;
    auto* imageButton = new TBvImageSpeedButton(f.form);
    imageButton->SetParent(f.form);
    imageButton->SetAction(f.open);
    EXPECT_EQ(imageButton->Images(), f.images);
    EXPECT_EQ(imageButton->ImageIndex(), 0);
    f.open->SetImageIndex(1);
    EXPECT_EQ(imageButton->ImageIndex(), 1);

    auto* glyphButton = new TBvSpeedButton(f.form);
    glyphButton->SetParent(f.form);
    glyphButton->SetAction(f.open);
    ASSERT_FALSE(glyphButton->Glyph()->Empty());
    EXPECT_EQ(glyphButton->Glyph()->Width(), 16);
    EXPECT_EQ(glyphButton->Glyph()->Pixel(0, 15), TColor(0xFF00FF))
        << "drawn on the transparent colour";
}

// Every forwarded property of an item is its button's, and the button's mouse events reach the
// item's handlers under the real mouse.
TEST(SpeedItemProperties, ForwardedPropertiesAndMouseEvents) {
    ActionForm f;
    TBvSpeedItem* item = f.Item("ItemPlay", 4);
    TBvSpeedBarButton* b = item->Button();
    auto* menu = new TPopupMenu(f.form);
    item->SetAllowAllUp(true);
    item->SetAllowTimer(true);
    item->SetDropDownMenu(menu);
    item->SetMarkDropDown(false);
    item->SetLayout(TButtonLayout::blGlyphLeft);
    item->SetMargin(3);
    item->SetSpacing(6);
    item->SetNumGlyphs(2);
    EXPECT_TRUE(b->AllowAllUp());
    EXPECT_TRUE(b->AllowTimer());
    EXPECT_EQ(b->DropDownMenu(), menu);
    EXPECT_FALSE(b->MarkDropDown());
    EXPECT_EQ(b->Layout(), TButtonLayout::blGlyphLeft);
    EXPECT_EQ(b->Margin(), 3);
    EXPECT_EQ(b->Spacing(), 6);
    EXPECT_EQ(b->NumGlyphs(), 2);
    item->SetMargin(-2);
    EXPECT_EQ(item->Margin(), 3) << "values below -1 are refused";
    item->SetDropDownMenu(nullptr);
    item->SetAllowTimer(false);

    std::vector<std::string> heard;
    item->SetOnMouseEnter([&](TObject* s) { heard.push_back(s == b ? "enter" : "?"); });
    item->SetOnMouseLeave([&](TObject*) { heard.push_back("leave"); });
    item->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int x, int y) {
        heard.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    });
    item->SetOnMouseMove([&](TObject*, TShiftState, int, int) {
        if (heard.empty() || heard.back() != "move")
            heard.push_back("move");
    });
    item->SetOnMouseUp(
        [&](TObject*, TMouseButton, TShiftState, int, int) { heard.push_back("up"); });
    item->SetOnDblClick([&](TObject*) { heard.push_back("double"); });
    f.form->Show();
    PumpEvents();
    QPoint at = QPoint(b->Left() + 10, b->Top() + 12);
    QTest::mouseMove(f.bar->Widget(), at);
    PumpEvents();
    QTest::mousePress(f.bar->Widget(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(f.bar->Widget(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(f.bar->Widget(), Qt::LeftButton, {}, at);
    PumpEvents();
    QTest::mouseMove(f.bar->Widget(), QPoint(b->Left() + b->Width() + 40, b->Top() + 12));
    PumpEvents();
    ASSERT_GE(heard.size(), 5u);
    EXPECT_EQ(heard.front(), "enter");
    EXPECT_NE(std::find(heard.begin(), heard.end(), "down 10,12"), heard.end());
    EXPECT_NE(std::find(heard.begin(), heard.end(), "up"), heard.end());
    EXPECT_NE(std::find(heard.begin(), heard.end(), "double"), heard.end());
    EXPECT_NE(std::find(heard.begin(), heard.end(), "move"), heard.end());
    EXPECT_NE(std::find(heard.begin(), heard.end(), "leave"), heard.end())
        << ::testing::PrintToString(heard);
}

// The image button follows the action's picture and list and runs it on a real click; the
// Help kind hands the nearest help context up its parents to the help hook.
TEST(ImageButtonAction, PictureFollowsAndHelpKindAsksTheHook) {
    ActionForm f;
    auto* button = new TBvImgBtn(f.form);
    button->SetParent(f.form);
    UseTestFont(button->Font());
    button->SetBounds(10, 80, 120, 30);
    button->SetFlat(true);
    button->SetAlignment(TAlignment::taLeftJustify);
    button->SetAction(f.open);
    EXPECT_EQ(button->Caption(), "Open");
    EXPECT_EQ(button->Images(), f.images);
    EXPECT_EQ(button->ImageIndex(), 0);
    f.open->SetImageIndex(1);
    EXPECT_EQ(button->ImageIndex(), 1);
    f.open->SetImageIndex(0);

    auto* help = new TBvImgBtn(f.form);
    help->SetParent(f.form);
    UseTestFont(help->Font());
    help->SetBounds(140, 80, 100, 30);
    help->SetKind(TBvImgBtnKind::bkHelp);
    f.form->HelpContext = 1234;

    std::vector<std::pair<uint16_t, intptr_t>> asked;
    Application->OnHelp = [&](uint16_t command, intptr_t data, bool& callHelp) {
        asked.emplace_back(command, data);
        callHelp = false;
        return true;
    };
    int helpClicks = 0;
    help->OnClick = [&](TObject*) { ++helpClicks; };
    f.form->Show();
    PumpEvents();
    QTest::mouseClick(button->Widget(), Qt::LeftButton);
    QTest::mouseClick(help->Widget(), Qt::LeftButton);
    PumpEvents();
    EXPECT_EQ(f.runs, 1);
    EXPECT_EQ(f.runner, button);
    EXPECT_EQ(asked, (std::vector<std::pair<uint16_t, intptr_t>>{{HELP_CONTEXT, 1234}}));
    EXPECT_EQ(helpClicks, 0) << "the help topic takes the place of the click";

    // Without any help context up the parents it clicks as any button.
    f.form->HelpContext = 0;
    QTest::mouseClick(help->Widget(), Qt::LeftButton);
    PumpEvents();
    EXPECT_EQ(helpClicks, 1);
    EXPECT_EQ(asked.size(), 1u);
    Application->OnHelp = nullptr;
}

// The bar's items and an image button showing their actions' pictures and captions.
TEST(ActionLinkScreenshot, ButtonsShowTheirActions) {
    ActionForm f;
    auto* play = new TAction(f.form);
    play->SetActionList(f.list);
    play->SetCaption("Play");
    play->SetImageIndex(1);
    TBvSpeedItem* openItem = f.Item("ItemOpen", 4);
    openItem->SetImageIndex(0);
    openItem->SetAction(f.open);
    TBvSpeedItem* playItem = f.Item("ItemPlay", 68);
    playItem->SetImageIndex(1);
    playItem->SetAction(play);
    auto* button = new TBvImgBtn(f.form);
    button->SetParent(f.form);
    UseTestFont(button->Font());
    button->SetBounds(10, 80, 120, 30);
    button->SetAction(play);
    auto* help = new TBvImgBtn(f.form);
    help->SetParent(f.form);
    UseTestFont(help->Font());
    help->SetBounds(140, 80, 100, 30);
    help->SetKind(TBvImgBtnKind::bkHelp);
    f.form->Show();
    PumpEvents();
    QImage shot = f.form->ClientWidget()->grab().toImage();
    std::filesystem::create_directories(std::string(BV_BINARY_DIR) + "/screenshots");
    EXPECT_TRUE(shot.save(QString::fromStdString(std::string(BV_BINARY_DIR) +
                                                 "/screenshots/kit_action_buttons.png")));
    EXPECT_EQ(openItem->BtnCaption(), "Open");
    EXPECT_EQ(playItem->BtnCaption(), "Play");
}

} // namespace
