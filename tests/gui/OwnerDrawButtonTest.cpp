// A push button that draws itself: pressing, focusing and disabling it with real input reach
// its drawing as the item state of the draw request, which the parent reflects to the button.
#include "BvWndProcHook.h"
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Draws itself red while pressed, green otherwise, and notes each state it was asked for.
class TPaintedButton : public TButton {
public:
    using TButton::TButton;
    std::vector<uint32_t> States;

protected:
    void CreateParams(TCreateParams& params) override {
        TButton::CreateParams(params);
        params.Style |= BS_OWNERDRAW;
    }
    bool HandleMessage(TMessage& m) override {
        if (m.Msg != CN_DRAWITEM)
            return TButton::HandleMessage(m);
        auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
        States.push_back(dis->itemState);
        dis->hDC->Brush()->SetColor((dis->itemState & ODS_SELECTED) ? clRed : clLime);
        dis->hDC->FillRect(dis->rcItem);
        m.Result = 1;
        return true;
    }
};

QRgb Middle(QWidget* w) {
    return w->grab().toImage().pixel(w->width() / 2, w->height() / 2) & 0xFFFFFF;
}

} // namespace

TEST(OwnerDrawButton, TheDrawRequestCarriesThePressFocusAndDisabledStates) {
    TForm* form = MakeTestForm(200, 120);
    auto* button = new TPaintedButton(form);
    button->SetBounds(20, 20, 100, 30);
    button->SetParent(form);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    std::vector<uint32_t> parentSaw;
    TBvHookMethod spy(&parentSaw, [&](TMessage& m) {
        if (m.Msg == WM_DRAWITEM) {
            auto* dis = reinterpret_cast<TDrawItemStruct*>(m.LParam);
            if (dis->CtlType == ODT_BUTTON && dis->hwndItem == button)
                parentSaw.push_back(dis->itemState);
        }
        return false;
    });
    RegisterWndProcHook(form, spy, TBvHookOrder::hoBeforeMsg);
    form->Show();
    PumpEvents();
    // The style a descendant's CreateParams sets is the one the window is made with.
    EXPECT_EQ(button->WindowStyle() & BS_TYPEMASK, BS_OWNERDRAW);
    QWidget* w = button->Widget();
    ASSERT_FALSE(button->States.empty()) << "the button never asked to be drawn";
    EXPECT_EQ(button->States.back() & ODS_SELECTED, 0u);
    EXPECT_EQ(Middle(w), 0x00FF00u);

    QTest::mousePress(w, Qt::LeftButton);
    PumpEvents();
    EXPECT_NE(button->States.back() & ODS_SELECTED, 0u) << "pressed";
    EXPECT_NE(button->States.back() & ODS_FOCUS, 0u) << "a press gives the focus";
    EXPECT_EQ(Middle(w), 0xFF0000u);
    QTest::mouseRelease(w, Qt::LeftButton);
    PumpEvents();
    EXPECT_EQ(button->States.back() & ODS_SELECTED, 0u);
    EXPECT_NE(button->States.back() & ODS_FOCUS, 0u);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(parentSaw.size(), button->States.size()) << "every request went through the parent";

    button->SetEnabled(false);
    PumpEvents();
    Middle(w);
    EXPECT_NE(button->States.back() & ODS_DISABLED, 0u);
    UnRegisterWndProcHook(form, spy, TBvHookOrder::hoBeforeMsg);
    delete form;
    PumpEvents();
}

TEST(OwnerDrawButton, AStockButtonsStyleSaysWhetherItIsTheDefaultOne) {
    TForm* form = MakeTestForm(200, 120);
    auto* plain = new TButton(form);
    plain->SetParent(form);
    auto* chosen = new TButton(form);
    chosen->Default = true;
    chosen->SetParent(form);
    form->Show();
    PumpEvents();
    EXPECT_EQ(plain->WindowStyle() & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(chosen->WindowStyle() & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    delete form;
    PumpEvents();
}
