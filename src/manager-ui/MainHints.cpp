// The information hint: a panel floating over the track view and its two timers.
#include "Main.h"
#include "MainLayout.h"

void TForm1::CreateHintPanel() {
    PanelHint = new TBvPanel(this);
    PanelHint->SetName("PanelHint");
    PanelHint->SetParent(this);
    UseWindowFont(PanelHint->Font());
    PanelHint->SetBounds(kColumnWidth + 40, 80, 260, 120);
    PanelHint->SetColor(RGB(255, 255, 225));
    PanelHint->BevelOuter = TPanelBevel::bvLowered;
    PanelHint->SetVisible(false);
    LabelPopupText = new TLabel(this);
    LabelPopupText->SetName("LabelPopupText");
    LabelPopupText->SetParent(PanelHint);
    UseWindowFont(LabelPopupText->Font());
    LabelPopupText->SetBounds(6, 6, 248, 108);
    LabelPopupText->SetAlign(TAlign::alClient);
    TimerBeforeShow = new TTimer(this);
    TimerBeforeShow->SetName("TimerBeforeShow");
    TimerBeforeShow->SetEnabled(false);
    TimerAfterShow = new TTimer(this);
    TimerAfterShow->SetName("TimerAfterShow");
    TimerAfterShow->SetEnabled(false);
}
