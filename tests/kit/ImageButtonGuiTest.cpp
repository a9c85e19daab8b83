// Image buttons and kit buttons: the stock kinds, where picture and caption go, the animation
// against a fake frame timer, same-size buttons, the drop-down menu, and the buttons used with
// real keys and the mouse.
#include "BvButton.h"
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

// An image list of count plain pictures, each of its own colour.
TImageList* MakeImages(TComponent* owner, int count, int size = 16) {
    auto* list = new TImageList(owner, size, size);
    TBitmap strip(size * count, size);
    for (int i = 0; i < count; ++i) {
        strip.Canvas()->Brush()->SetColor(RGB(10 * i, 200, 100));
        strip.Canvas()->FillRect(Bounds(i * size, 0, size, size));
    }
    list->AddMasked(&strip, clFuchsia);
    return list;
}

// Draws the button as its window would ask for it, into an image of its size.
QImage DrawButton(TBvCustomImageButton* button, uint32_t state) {
    QImage image(button->Width(), button->Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    TDrawItemStruct dis;
    dis.CtlType = ODT_BUTTON;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = button;
    dis.hDC = &canvas;
    dis.rcItem = Rect(0, 0, button->Width(), button->Height());
    button->Perform(CN_DRAWITEM, 0, reinterpret_cast<intptr_t>(&dis));
    return image;
}

TBvImgBtn* MakeButton(TWinControl* parent, int left = 0, int top = 0, int width = 100,
                      int height = 30) {
    auto* button = new TBvImgBtn(parent);
    UseTestFont(button->Font());
    button->SetParent(parent);
    button->SetBounds(left, top, width, height);
    return button;
}

} // namespace

TEST(ImageButtonKind, EachKindBringsItsCaptionPictureModalResultAndRole) {
    struct TCase {
        TBvImgBtnKind Kind;
        const char* Caption;
        int Picture;
        int ModalResult;
        bool Default, Cancel; // starting from a button that was both
    };
    using K = TBvImgBtnKind;
    const TCase cases[] = {
        {K::bkOK, "OK", 2, mrOk, true, false},
        {K::bkCancel, "Cancel", 4, mrCancel, false, true},
        {K::bkHelp, "&Help", 0, mrNone, true, true},
        {K::bkYes, "&Yes", 3, mrYes, true, false},
        {K::bkNo, "&No", 1, mrNo, false, true},
        {K::bkClose, "&Close", 5, mrNone, true, true},
        {K::bkAbort, "Abort", 8, mrAbort, true, true},
        {K::bkRetry, "&Retry", 6, mrRetry, true, true},
        {K::bkIgnore, "&Ignore", 9, mrIgnore, true, true},
        {K::bkAll, "&All", 7, mrAll, true, true},
    };
    TForm* form = MakeTestForm();
    TImageList* images = MakeImages(form, 3);
    for (const TCase& c : cases) {
        SCOPED_TRACE(ImgBtnKindInfo(c.Kind).Caption);
        TBvImgBtn* button = MakeButton(form);
        button->SetCaption("Mine");
        button->SetImages(images);
        button->SetImageIndex(1);
        button->Default = true;
        button->Cancel = true;
        button->SetKind(c.Kind);
        EXPECT_EQ(button->Caption(), "") << "a custom button's caption goes";
        EXPECT_EQ(button->Images(), nullptr) << "and its picture list";
        EXPECT_EQ(button->ImageIndex(), -1);
        EXPECT_EQ(button->GetRealCaption(), c.Caption);
        EXPECT_EQ(ImgBtnKindInfo(c.Kind).Picture, c.Picture);
        EXPECT_EQ(button->ModalResult, c.ModalResult);
        EXPECT_EQ(button->Default, c.Default);
        EXPECT_EQ(button->Cancel, c.Cancel);
        button->SetCaption("Own text");
        EXPECT_EQ(button->GetRealCaption(), "Own text") << "a caption of its own wins";
        button->SetKind(K::bkCustom);
        EXPECT_EQ(button->ModalResult, mrNone);
        EXPECT_EQ(button->GetRealCaption(), "Own text");
    }
    delete form;
}

TEST(ImageButtonKind, AKindChosenWhileLoadingKeepsTheStoredCaptionAndPictures) {
    TForm* form = MakeTestForm();
    TImageList* images = MakeImages(form, 3);
    TBvImgBtn* button = MakeButton(form);
    button->BeginLoading();
    button->SetCaption("Stored");
    button->SetImages(images);
    button->SetKind(TBvImgBtnKind::bkOK);
    button->EndLoading();
    EXPECT_EQ(button->GetRealCaption(), "Stored");
    EXPECT_EQ(button->Images(), images);
    delete form;
}

TEST(ImageButtonKind, TheDefaultPicturesAreTenPicturesOfEighteenPixels) {
    TCustomImageList* list = ImgBtnDefaultImages();
    EXPECT_EQ(list->Width(), 18);
    EXPECT_EQ(list->Height(), 18);
    EXPECT_EQ(list->Count(), 10);
    // Each picture is drawn on the mask colour: the corners are see-through, the middles not,
    // and no two pictures are alike.
    std::vector<QImage> seen;
    for (int i = 0; i < list->Count(); ++i) {
        SCOPED_TRACE(i);
        TBitmap mask, picture;
        list->GetMask(i, &mask);
        list->GetBitmap(i, &picture);
        EXPECT_EQ(mask.Pixel(0, 0), clWhite);
        int opaque = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 18; ++x)
                opaque += mask.Pixel(x, y) != clWhite;
        EXPECT_GT(opaque, 30);
        for (const QImage& other : seen)
            EXPECT_NE(other, picture.Image());
        seen.push_back(picture.Image());
    }
    // The strip on the button face, six times as large, for a person to look at.
    QImage strip(18 * 10 + 22, 22, QImage::Format_RGB32);
    strip.fill(qRgb(0xD4, 0xD0, 0xC8));
    TCanvas canvas(&strip);
    for (int i = 0; i < list->Count(); ++i)
        list->Draw(&canvas, 2 + i * 20, 2, i);
    strip.scaled(strip.width() * 6, strip.height() * 6)
        .save(
            QString::fromStdString(std::string(BV_BINARY_DIR) + "/kit_image_button_pictures.png"));
}

TEST(ImageButtonProperties, MarginAndCaptionRules) {
    TForm* form = MakeTestForm();
    TBvImgBtn* button = MakeButton(form);
    EXPECT_EQ(button->Margin(), -1);
    button->SetMargin(5);
    button->SetMargin(-2);
    EXPECT_EQ(button->Margin(), 5) << "below -1 is refused";
    button->SetMargin(-1);
    EXPECT_EQ(button->Margin(), -1);

    struct TCase {
        const char* Caption;
        bool WordWrap;
        const char* Shown;
    };
    const TCase cases[] = {
        {"Scan|mobile", true, "Scan\nmobile"},
        {"Scan|mobile", false, "Scan|mobile"},
        {"a|b|c", true, "a\nb\nc"},
        {"plain", true, "plain"},
    };
    for (const TCase& c : cases) {
        button->SetWordWrap(c.WordWrap);
        button->SetCaption(c.Caption);
        EXPECT_EQ(button->GetRealCaption(), c.Shown) << c.Caption;
    }
    EXPECT_EQ(button->Color(), clBtnFace);
    delete form;
}

TEST(ImageButtonLayout, PictureAndCaptionRectangles) {
    // A 100 x 30 button has the content (4, 4, 96, 26); an 18-pixel list gives a 17-pixel
    // picture; a short caption that is not centred is as wide as 100 - 17 - 18 = 65.
    struct TCase {
        const char* Name;
        TBvImgBtnLayout Layout;
        TAlignment Alignment;
        int Margin;
        bool Picture;
        TRect PictureRect; // vertical place checked apart
        int CaptionLeft, CaptionRight;
    };
    using L = TBvImgBtnLayout;
    using A = TAlignment;
    const TCase cases[] = {
        {"left, centred block", L::blImageLeft, A::taLeftJustify, -1, true, Rect(7, 6, 24, 23), 28,
         93},
        {"right, centred block", L::blImageRight, A::taRightJustify, -1, true, Rect(76, 6, 93, 23),
         7, 72},
        {"left at margin 0", L::blImageLeft, A::taLeftJustify, 0, true, Rect(4, 6, 21, 23), 25, 90},
        {"right at margin 10", L::blImageRight, A::taRightJustify, 10, true, Rect(69, 6, 86, 23), 0,
         65},
        {"no picture, no spacing", L::blImageLeft, A::taLeftJustify, -1, false, Rect(0, 0, 0, 0), 9,
         91},
    };
    TForm* form = MakeTestForm();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBvImgBtn* button = MakeButton(form);
        button->SetKind(TBvImgBtnKind::bkOK);
        button->SetCaption("Go");
        button->SetLayout(c.Layout);
        button->SetAlignment(c.Alignment);
        button->SetMargin(c.Margin);
        button->SetImageVisible(c.Picture);
        QImage image(100, 30, QImage::Format_RGB32);
        TCanvas canvas(&image);
        canvas.SetFont(*button->Font());
        TBvImgBtnParts parts = button->LayoutParts(&canvas, Rect(4, 4, 96, 26));
        EXPECT_EQ(parts.Picture, c.PictureRect);
        EXPECT_EQ(parts.Caption.Left, c.CaptionLeft);
        EXPECT_EQ(parts.Caption.Right, c.CaptionRight);
        // The caption is centred up and down in the content.
        int th = canvas.TextHeight("Go");
        EXPECT_EQ(parts.Caption.Height(), th);
        EXPECT_EQ(parts.Caption.Top, 4 + (22 - th) / 2);
    }
    delete form;
}

TEST(ImageButtonLayout, ACentredCaptionAndPictureFormOneCentredBlock) {
    TForm* form = MakeTestForm();
    TBvImgBtn* button = MakeButton(form, 0, 0, 140, 30);
    TImageList* images = MakeImages(form, 2);
    button->SetImages(images);
    button->SetImageIndex(0);
    button->SetCaption("Update mobile...");
    QImage image(140, 30, QImage::Format_RGB32);
    TCanvas canvas(&image);
    canvas.SetFont(*button->Font());
    TRect content = Rect(4, 4, 136, 26);
    TBvImgBtnParts parts = button->LayoutParts(&canvas, content);
    int tw = canvas.TextWidth("Update mobile...");
    EXPECT_EQ(parts.Picture.Width(), 15) << "a 16-pixel list";
    EXPECT_EQ(parts.Caption.Width(), tw);
    EXPECT_EQ(parts.Caption.Left, parts.Picture.Right + 4) << "Spacing between them";
    int left = parts.Picture.Left - content.Left, right = content.Right - parts.Caption.Right;
    EXPECT_LE(std::abs(left - right), 1) << "as much room on both sides";

    button->SetLayout(TBvImgBtnLayout::blImageRight);
    parts = button->LayoutParts(&canvas, content);
    EXPECT_EQ(parts.Picture.Left, parts.Caption.Right + 4);
    delete form;
}

namespace {

// The frame timer is a fake: the test says when a tick comes.
class TFakeTimerButton : public TBvImgBtn {
public:
    using TBvImgBtn::TBvImgBtn;
    std::vector<std::string> Timer;
    void Tick() { Perform(WM_TIMER, kImageButtonAnimateTimer, 0); }

protected:
    void StartFrameTimer(unsigned ms) override { Timer.push_back("start " + std::to_string(ms)); }
    void StopFrameTimer() override { Timer.push_back("stop"); }
};

} // namespace

TEST(ImageButtonAnimation, FramesCycleFromTheImageIndexOnEachTick) {
    TForm* form = MakeTestForm();
    TImageList* images = MakeImages(form, 15);
    auto* button = new TFakeTimerButton(form);
    button->SetParent(form);
    button->SetImages(images);
    button->SetImageIndex(10);
    button->SetAnimateFrames(3);
    EXPECT_EQ(button->CurrentImageIndex(), 10);
    button->SetAnimate(true);
    EXPECT_TRUE(button->Animating());
    EXPECT_EQ(button->Timer, std::vector<std::string>{"start 200"});
    std::vector<int> seen{button->CurrentImageIndex()};
    for (int i = 0; i < 6; ++i) {
        button->Tick();
        seen.push_back(button->CurrentImageIndex());
    }
    EXPECT_EQ(seen, (std::vector<int>{10, 11, 12, 10, 11, 12, 10}));

    // A new interval restarts the running animation from its first frame.
    button->Tick();
    button->SetAnimateInterval(50);
    EXPECT_EQ(button->Timer, (std::vector<std::string>{"start 200", "stop", "start 50"}));
    EXPECT_EQ(button->CurrentImageIndex(), 10);

    int asked = 0;
    button->OnGetAnimateIndex = [&](TObject*, uint8_t frame, int& index) {
        ++asked;
        index = 100 + frame;
    };
    button->Tick();
    EXPECT_EQ(button->CurrentImageIndex(), 102);
    EXPECT_GT(asked, 0);
    button->OnGetAnimateIndex = nullptr;

    button->SetAnimate(false);
    EXPECT_FALSE(button->Animating());
    EXPECT_EQ(button->CurrentFrame(), 0);
    EXPECT_EQ(button->CurrentImageIndex(), 10);
    EXPECT_EQ(button->Timer.back(), "stop");
    button->Tick();
    EXPECT_EQ(button->CurrentImageIndex(), 10) << "a late tick after the stop changes nothing";
    delete form;
}

TEST(ImageButtonAnimation, StartsOnlyOnceLoadingIsOver) {
    TForm* form = MakeTestForm();
    auto* button = new TFakeTimerButton(form);
    button->SetParent(form);
    button->BeginLoading();
    button->SetAnimateFrames(2);
    button->SetAnimate(true);
    EXPECT_FALSE(button->Animating());
    EXPECT_TRUE(button->Timer.empty());
    button->EndLoading();
    EXPECT_TRUE(button->Animating());
    EXPECT_EQ(button->Timer, std::vector<std::string>{"start 200"});
    delete form;
}

TEST(ImageButtonAnimation, ARealFrameTimerTurnsThePictureAndDiesWithTheButton) {
    TForm* form = MakeTestForm();
    TImageList* images = MakeImages(form, 4);
    TBvImgBtn* button = MakeButton(form);
    button->SetImages(images);
    button->SetImageIndex(0);
    button->SetAnimateFrames(4);
    button->SetAnimateInterval(5);
    form->Show();
    button->SetAnimate(true);
    std::vector<int> seen;
    for (int i = 0; i < 400 && seen.size() < 3; ++i) {
        QTest::qWait(2);
        Application->ProcessMessages();
        int index = button->CurrentImageIndex();
        if (seen.empty() || seen.back() != index)
            seen.push_back(index);
    }
    ASSERT_GE(seen.size(), 2u) << "the timer turned the picture";
    EXPECT_EQ(seen[1], (seen[0] + 1) % 4);
    delete button;
    QTest::qWait(20);
    PumpEvents();
    delete form;
}

namespace {

class TCountingButton : public TBvCustomButton {
public:
    using TBvCustomButton::TBvCustomButton;
    int SameSizeHeard = 0;

protected:
    bool HandleMessage(TMessage& m) override {
        if (m.Msg == CM_BVBUTTONSAMESIZE)
            ++SameSizeHeard;
        return TBvCustomButton::HandleMessage(m);
    }
};

} // namespace

TEST(KitButton, SameSizeButtonsTakeTheSizeOnceAndPassNothingOn) {
    TForm* form = MakeTestForm();
    std::vector<TCountingButton*> buttons;
    for (int i = 0; i < 3; ++i) {
        auto* b = new TCountingButton(form);
        b->SetParent(form);
        b->SetBounds(10, 10 + 30 * i, 75, 25);
        b->SetForceSameSize(true);
        buttons.push_back(b);
    }
    auto* plain = new TButton(form);
    plain->SetParent(form);
    plain->SetBounds(100, 10, 60, 20);
    for (auto* b : buttons)
        b->SameSizeHeard = 0;

    buttons[0]->SetBounds(10, 10, 120, 40);
    for (int i = 1; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i]->Width(), 120);
        EXPECT_EQ(buttons[i]->Height(), 40);
        EXPECT_EQ(buttons[i]->Left(), 10) << "only the size is taken";
        EXPECT_EQ(buttons[i]->SameSizeHeard, 1) << "one broadcast, not one per button";
    }
    EXPECT_EQ(buttons[0]->SameSizeHeard, 0);
    EXPECT_EQ(plain->Width(), 60) << "a stock button keeps its size";
    delete form;
}

TEST(KitButton, TheDropDownMenuOpensUnderTheButtonAsItIsAligned) {
    struct TCase {
        TPopupAlignment Alignment;
        int ShiftX;
    };
    const TCase cases[] = {
        {TPopupAlignment::paLeft, 0},
        {TPopupAlignment::paRight, 90},
        {TPopupAlignment::paCenter, 45},
    };
    for (const TCase& c : cases) {
        TForm* form = MakeTestForm();
        auto* button = new TBvCustomButton(form);
        button->SetParent(form);
        button->SetBounds(20, 30, 90, 24);
        auto* menu = new TPopupMenu(form);
        menu->Alignment = c.Alignment;
        int clicks = 0;
        button->OnClick = [&](TObject*) { ++clicks; };
        EXPECT_FALSE(button->DoDropDownMenu(0, 0)) << "nothing without a menu";
        button->SetDropDownMenu(menu);
        TPoint at{-1, -1};
        button->OnDropDownMenu = [&](TObject*, TPoint p, bool& handled) {
            at = p;
            handled = true;
        };
        button->Click();
        EXPECT_EQ(clicks, 1);
        TPoint corner = button->ClientToScreen({0, 24});
        EXPECT_EQ(at.X, corner.X + c.ShiftX);
        EXPECT_EQ(at.Y, corner.Y);
        EXPECT_EQ(menu->PopupComponent, button);
        delete menu;
        EXPECT_EQ(button->DropDownMenu(), nullptr) << "a freed menu is forgotten";
        delete form;
    }
}

TEST(KitButton, TheDropArrowFillsItsRectangleRowByRow) {
    TForm* form = MakeTestForm();
    auto* button = new TBvCustomButton(form);
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    button->DrawDropArrow(&canvas, Rect(1, 1, 8, 8));
    // The right edge is outside, as with every rectangle: 7, 5, 3 and 1 pixels.
    const char* rows[] = {
        // 0123456789
        "..........", ".#######..", "..#####...", "...###....", "....#.....", "..........",
    };
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF, rows[y][x] == '#')
                << x << "," << y;
    delete form;
}

TEST(ImageButtonDrawing, ADisabledFlatButtonEmbossesItsCaptionAndDimsItsPicture) {
    TForm* form = MakeTestForm();
    TBvImgBtn* button = MakeButton(form, 0, 0, 120, 30);
    button->SetFlat(true);
    button->SetKind(TBvImgBtnKind::bkOK);
    button->SetCaption("Disabled");
    QImage enabled = DrawButton(button, 0);
    button->SetEnabled(false);
    QImage disabled = DrawButton(button, ODS_DISABLED);
    QImage shot(120, 64, QImage::Format_RGB32);
    {
        QPainter p(&shot);
        p.drawImage(0, 0, enabled);
        p.drawImage(0, 34, disabled);
    }
    shot.save(QString::fromStdString(std::string(BV_BINARY_DIR) + "/kit_image_button_flat.png"));
    QRgb shadow = ColorToRGB(clBtnShadow), highlight = ColorToRGB(clBtnHighlight);
    auto rgb = [](TColor c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); };
    int shadowPixels = 0, highlightPixels = 0, green = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            QRgb p = disabled.pixel(x, y) | 0xFF000000;
            shadowPixels += p == rgb(shadow);
            highlightPixels += p == rgb(highlight);
            green += qGreen(p) > qRed(p) + 60;
            EXPECT_NE(p, rgb(ColorToRGB(clWindowText))) << "no pixel in the enabled ink";
        }
    EXPECT_GT(shadowPixels, 20);
    EXPECT_GT(highlightPixels, 20);
    EXPECT_EQ(green, 0) << "the tick is dimmed";
    int enabledGreen = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            QRgb p = enabled.pixel(x, y);
            enabledGreen += qGreen(p) > qRed(p) + 60;
        }
    EXPECT_GT(enabledGreen, 10) << "the enabled tick is green";
    delete form;
}

TEST(ImageButtonInput, EnterAndEscReachTheKindsDefaultAndCancelButtons) {
    struct TCase {
        const char* Name;
        bool FocusOnNo; // else the edit has the focus
        Qt::Key Key;
        TModalResult Expected;
    };
    const TCase cases[] = {
        {"Enter in the edit answers Yes", false, Qt::Key_Return, mrYes},
        {"Esc in the edit answers No", false, Qt::Key_Escape, mrNo},
        {"Enter on the focused No button answers No", true, Qt::Key_Return, mrNo},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TForm* dialog = MakeTestForm(300, 120);
        auto* edit = new TEdit(dialog);
        edit->SetParent(dialog);
        edit->SetBounds(10, 10, 150, 22);
        TBvImgBtn* yes = MakeButton(dialog, 10, 60, 90, 30);
        // It was the cancel button before it became Yes: Esc must not answer Yes now.
        yes->Cancel = true;
        yes->SetKind(TBvImgBtnKind::bkYes);
        TBvImgBtn* no = MakeButton(dialog, 110, 60, 90, 30);
        no->Default = true;
        no->SetKind(TBvImgBtnKind::bkNo);
        int yesClicks = 0, noClicks = 0;
        yes->OnClick = [&](TObject*) { ++yesClicks; };
        no->OnClick = [&](TObject*) { ++noClicks; };
        QTimer::singleShot(0, [&] {
            QApplication::setActiveWindow(dialog->Widget());
            (c.FocusOnNo ? static_cast<TWinControl*>(no) : edit)->SetFocus();
            PumpEvents();
            QTest::keyClick(QApplication::focusWidget(), c.Key);
            PumpEvents();
            if (dialog->ModalResult() == mrNone)
                dialog->SetModalResult(mrNone + 100);
        });
        TModalResult result = dialog->ShowModal();
        EXPECT_EQ(result, c.Expected);
        EXPECT_EQ(yesClicks, c.Expected == mrYes ? 1 : 0);
        EXPECT_EQ(noClicks, c.Expected == mrNo ? 1 : 0);
        delete dialog;
        PumpEvents();
    }
}

TEST(ImageButtonInput, AMouseClickRunsTheButtonAndCloseClosesItsForm) {
    TForm* form = MakeTestForm(300, 120);
    TBvImgBtn* run = MakeButton(form, 10, 10, 120, 30);
    run->SetCaption("Update mobile...");
    TBvImgBtn* close = MakeButton(form, 150, 10, 100, 30);
    close->SetKind(TBvImgBtnKind::bkClose);
    int runs = 0;
    run->OnClick = [&](TObject*) { ++runs; };
    form->Show();
    PumpEvents();
    QTest::mouseClick(run->Widget(), Qt::LeftButton, {}, QPoint(60, 15));
    PumpEvents();
    EXPECT_EQ(runs, 1);
    // A press that leaves the button before its release is no click.
    QTest::mousePress(run->Widget(), Qt::LeftButton, {}, QPoint(60, 15));
    QTest::mouseRelease(run->Widget(), Qt::LeftButton, {}, QPoint(200, 80));
    PumpEvents();
    EXPECT_EQ(runs, 1);
    ASSERT_TRUE(form->Widget()->isVisible());
    QTest::mouseClick(close->Widget(), Qt::LeftButton, {}, QPoint(50, 15));
    PumpEvents();
    EXPECT_FALSE(form->Widget()->isVisible()) << "Close closed the form";
    delete form;
    PumpEvents();
}

TEST(ImageButtonInput, TheButtonOnScreenIsTheKitsPictureAndLooksPressedWhilePressed) {
    TForm* form = MakeTestForm(300, 120);
    TBvImgBtn* button = MakeButton(form, 10, 10, 120, 30);
    button->SetCaption("Scan mobile...");
    form->Show();
    PumpEvents();
    QWidget* w = button->Widget();
    auto onScreen = [&] { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    EXPECT_EQ(onScreen(), DrawButton(button, 0)) << "not the kit's own picture";
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(60, 15));
    PumpEvents();
    QImage pressed = onScreen();
    EXPECT_EQ(pressed, DrawButton(button, ODS_SELECTED | ODS_FOCUS));
    EXPECT_NE(pressed, DrawButton(button, ODS_FOCUS));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(60, 15));
    PumpEvents();
    EXPECT_EQ(onScreen(), DrawButton(button, ODS_FOCUS));
    pressed.save(
        QString::fromStdString(std::string(BV_BINARY_DIR) + "/kit_image_button_pressed.png"));
    delete form;
    PumpEvents();
}

TEST(ImageButtonInput, ThePointerOverAnEnabledButtonMakesItHot) {
    TForm* form = MakeTestForm(300, 120);
    TBvImgBtn* button = MakeButton(form, 10, 10, 120, 30);
    button->SetFlat(true);
    TBvImgBtn* off = MakeButton(form, 150, 10, 120, 30);
    off->SetEnabled(false);
    form->Show();
    PumpEvents();
    QWidget* surface = form->ClientWidget();
    QTest::mouseMove(surface, QPoint(5, 100));
    PumpEvents();
    QTest::mouseMove(button->Widget(), QPoint(30, 15));
    PumpEvents();
    EXPECT_TRUE(button->Hot());
    EXPECT_TRUE(button->MouseOver());
    QTest::mouseMove(off->Widget(), QPoint(30, 15));
    PumpEvents();
    EXPECT_FALSE(button->Hot()) << "left";
    EXPECT_FALSE(off->Hot()) << "a disabled button never gets hot";
    delete form;
    PumpEvents();
}

namespace {

// The box around the pixels that are clearly green (the stock tick), empty when there is none.
QRect GreenBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = image.pixel(x, y);
            if (qGreen(p) > qRed(p) + 60 && qGreen(p) > qBlue(p) + 40)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

QRgb Rgb(TColor color) {
    TColor c = ColorToRGB(color);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

QImage Grab(TWinControl* control) {
    return control->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(ImageButtonInput, TheWindowDrawsTheButtonPressedWhileTheMouseHoldsIt) {
    TForm* form = MakeTestForm(300, 120);
    TBvImgBtn* button = MakeButton(form, 10, 10, 120, 34);
    button->SetKind(TBvImgBtnKind::bkOK);
    form->Show();
    PumpEvents();
    QImage up = Grab(button);
    QRect tick = GreenBox(up);
    ASSERT_FALSE(tick.isEmpty()) << "the OK picture is drawn";
    QTest::mousePress(button->Widget(), Qt::LeftButton, {}, QPoint(60, 17));
    PumpEvents();
    QImage down = Grab(button);
    EXPECT_EQ(GreenBox(down), tick.translated(1, 1)) << "the content moves right and down";
    // Pressed and focused: the dark default frame outside, the shadow frame inside it.
    EXPECT_EQ(down.pixel(0, 17), Rgb(clWindowFrame));
    EXPECT_EQ(down.pixel(1, 17), Rgb(clBtnShadow));
    QTest::mouseRelease(button->Widget(), Qt::LeftButton, {}, QPoint(60, 17));
    PumpEvents();
    QImage released = Grab(button);
    EXPECT_EQ(GreenBox(released), tick);
    EXPECT_EQ(released.pixel(0, 17), Rgb(clWindowFrame)) << "the focused button looks default";
    delete form;
    PumpEvents();
}

TEST(ImageButtonInput, AFlatButtonShowsItsFrameOnlyWhileThePointerIsOverIt) {
    TForm* form = MakeTestForm(300, 120);
    TBvImgBtn* button = MakeButton(form, 10, 10, 120, 30);
    button->SetFlat(true);
    button->SetCaption("Scan mobile...");
    // The focus is in the edit: a focused button would show its frame all the time.
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(150, 10, 100, 22);
    form->Show();
    QApplication::setActiveWindow(form->Widget());
    edit->SetFocus();
    PumpEvents();
    QTest::mouseMove(form->ClientWidget(), QPoint(5, 100));
    PumpEvents();
    QImage plain = Grab(button);
    EXPECT_EQ(plain.pixel(0, 0), Rgb(clBtnFace));
    EXPECT_EQ(plain.pixel(119, 29), Rgb(clBtnFace));
    QTest::mouseMove(button->Widget(), QPoint(30, 15));
    PumpEvents();
    QImage hot = Grab(button);
    EXPECT_EQ(hot.pixel(0, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(hot.pixel(119, 29), Rgb(clBtnShadow));
    QTest::mouseMove(form->ClientWidget(), QPoint(5, 100));
    PumpEvents();
    EXPECT_EQ(Grab(button).pixel(0, 0), Rgb(clBtnFace));
    delete form;
    PumpEvents();
}

TEST(ImageButtonScreenshot, TheActionsColumnAndTheStockKinds) {
    TForm* form = MakeTestForm(420, 330);
    form->SetColor(clBtnFace);
    // The column's pictures: the stock pictures copied into a list of the form's own.
    auto* pictures = new TImageList(form, 18, 18);
    for (int i = 0; i < ImgBtnDefaultImages()->Count(); ++i) {
        TBitmap picture, mask;
        ImgBtnDefaultImages()->GetBitmap(i, &picture);
        ImgBtnDefaultImages()->GetMask(i, &mask);
        pictures->Add(&picture, &mask);
    }
    struct TColumnButton {
        const char* Caption;
        int Picture;
        bool Enabled;
    };
    const TColumnButton column[] = {
        {"Update mobile...", 3, true},
        {"Reset program", 6, true},
        {"Scan mobile...", 7, true},
        {"Read iTunesDB", 0, true},
        {"Scan mobile for files", 9, true},
        {"Stop", 8, false},
        {"Search", 2, true},
    };
    int top = 8;
    TBvImgBtn* hot = nullptr;
    for (const TColumnButton& c : column) {
        TBvImgBtn* b = MakeButton(form, 8, top, 180, 30);
        b->SetFlat(true);
        b->SetAlignment(TAlignment::taLeftJustify);
        b->SetImages(pictures);
        b->SetImageIndex(c.Picture);
        b->SetCaption(c.Caption);
        b->SetEnabled(c.Enabled);
        if (!hot)
            hot = b;
        top += 34;
    }
    const TBvImgBtnKind kinds[] = {TBvImgBtnKind::bkOK, TBvImgBtnKind::bkCancel,
                                   TBvImgBtnKind::bkHelp, TBvImgBtnKind::bkRetry,
                                   TBvImgBtnKind::bkAbort};
    top = 8;
    for (TBvImgBtnKind k : kinds) {
        TBvImgBtn* b = MakeButton(form, 210, top, 100, 30);
        b->SetKind(k);
        if (k == TBvImgBtnKind::bkAbort)
            b->SetEnabled(false);
        top += 36;
    }
    TBvImgBtn* right = MakeButton(form, 210, top, 200, 40);
    right->SetKind(TBvImgBtnKind::bkAll);
    right->SetCaption("Picture on the|right, two lines");
    right->SetLayout(TBvImgBtnLayout::blImageRight);
    // With the focus in an edit, OK is drawn as the default button.
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(210, top + 50, 200, 22);
    form->Show();
    QApplication::setActiveWindow(form->Widget());
    edit->SetFocus();
    PumpEvents();
    QTest::mouseMove(hot->Widget(), QPoint(40, 15));
    PumpEvents();
    QImage shot = form->ClientWidget()->grab().toImage();
    std::string path = std::string(BV_BINARY_DIR) + "/kit_image_buttons.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    EXPECT_TRUE(hot->Hot());
    delete form;
    PumpEvents();
}

TEST(KitButton, TheHotTrackFontIsShownWhileThePointerIsOverTheButton) {
    TForm* form = MakeTestForm(300, 120);
    auto* button = new TBvCustomButton(form);
    UseTestFont(button->Font());
    button->SetParent(form);
    button->SetBounds(10, 10, 100, 30);
    button->SetCaption("Hot");
    button->HotTrack = true;
    // Following the plain font, the hot one keeps its own colour and style.
    button->HotTrackFont()->SetColor(clRed);
    button->HotTrackFont()->SetStyle(fsBold);
    button->Font()->SetHeight(-14);
    EXPECT_EQ(button->HotTrackFont()->Height(), -14) << "a font change reaches the hot font";
    EXPECT_EQ(button->HotTrackFont()->Color(), clRed);
    form->Show();
    PumpEvents();
    QTest::mouseMove(form->ClientWidget(), QPoint(250, 100));
    PumpEvents();
    QTest::mouseMove(button->Widget(), QPoint(30, 15));
    PumpEvents();
    EXPECT_EQ(button->Font()->Color(), clRed);
    EXPECT_EQ(button->Font()->Style(), fsBold);
    QTest::mouseMove(form->ClientWidget(), QPoint(250, 100));
    PumpEvents();
    EXPECT_EQ(button->Font()->Color(), clWindowText);
    EXPECT_EQ(button->Font()->Style(), 0);
    EXPECT_EQ(button->Font()->Height(), -14);
    delete form;
    PumpEvents();
}
