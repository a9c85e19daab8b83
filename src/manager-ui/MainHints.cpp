// The information hint: a pale yellow panel floating over the track view with the tags of the
// track under the pointer, its two timers, its place beside the pointer and its check box.
#include "Main.h"
#include "MainLayout.h"

namespace {

// A pale yellow, as tooltips are.
constexpr TColor kHintColour = RGB(255, 255, 183);
constexpr int kHintPadding = 6;
constexpr int kCheckHeight = 20;

} // namespace

void TForm1::CreateHintPanel() {
    PanelHint = new TBvPanel(this);
    PanelHint->SetName("PanelHint");
    PanelHint->SetParent(this);
    UseWindowFont(PanelHint->Font());
    PanelHint->SetBounds(kColumnWidth + 40, 80, 260, 150);
    PanelHint->SetColor(kHintColour);
    PanelHint->BevelOuter = TPanelBevel::bvLowered;
    PanelHint->SetVisible(false);
    LabelPopupText = new TLabel(this);
    LabelPopupText->SetName("LabelPopupText");
    LabelPopupText->SetParent(PanelHint);
    UseWindowFont(LabelPopupText->Font());
    LabelPopupText->SetBounds(kHintPadding, kHintPadding, 248, 108);
    cbInfoHints = new TCheckBox(this);
    cbInfoHints->SetName("cbInfoHints");
    cbInfoHints->SetParent(PanelHint);
    UseWindowFont(cbInfoHints->Font());
    cbInfoHints->SetCaption("Show info hints");
    cbInfoHints->SetChecked(true);
    cbInfoHints->SetBounds(kHintPadding, 120, 200, kCheckHeight);
    TimerBeforeShow = new TTimer(this);
    TimerBeforeShow->SetName("TimerBeforeShow");
    TimerBeforeShow->SetEnabled(false);
    TimerAfterShow = new TTimer(this);
    TimerAfterShow->SetName("TimerAfterShow");
    TimerAfterShow->SetEnabled(false);
}

void TForm1::SyncHintTimers() {
    const TTrackManager& m = *Manager;
    // Arming a delay that already runs leaves it running from where it was.
    if (m.TimerBeforeShow.Enabled != TimerBeforeShow->Enabled())
        TimerBeforeShow->SetEnabled(m.TimerBeforeShow.Enabled);
    if (m.TimerAfterShow.Enabled != TimerAfterShow->Enabled())
        TimerAfterShow->SetEnabled(m.TimerAfterShow.Enabled);
    if (!m.Hint.Visible && PanelHint->Visible())
        PanelHint->SetVisible(false);
}

void TForm1::TimerBeforeShowTimer() {
    TTrackManager& m = *Manager;
    const TViewPoint mouse = m.Model.HintMousePos;
    const int line = BvPlaylist->ItemAtPos(Point(mouse.X, mouse.Y), true);
    const bool show = m.TimerBeforeShowTimer(line);
    if (!show) {
        SyncHintTimers();
        return;
    }
    LabelPopupText->SetCaption(m.Hint.Text);
    cbInfoHints->SetChecked(m.Options.cbInfoHints);
    // The panel fits its text and the check box below it.
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(*LabelPopupText->Font());
    const int textHeight = measure.Canvas()->TextHeight("Ag");
    int lines = 1;
    int widest = 0;
    for (size_t start = 0;;) {
        const size_t end = m.Hint.Text.find("\r\n", start);
        widest =
            std::max(widest, measure.Canvas()->TextWidth(m.Hint.Text.substr(start, end - start)));
        if (end == std::string::npos)
            break;
        ++lines;
        start = end + 2;
    }
    const int width = std::max(widest, cbInfoHints->Width()) + 2 * kHintPadding + 3;
    const int labelHeight = lines * textHeight;
    const int height = kHintPadding + labelHeight + 4 + kCheckHeight + kHintPadding + 3;
    LabelPopupText->SetBounds(kHintPadding, kHintPadding, width - 2 * kHintPadding, labelHeight);
    cbInfoHints->SetTop(kHintPadding + labelHeight + 4);
    const TPoint at = [&] {
        const TViewPoint p = PlaceHint({BvPlaylist->Left(), BvPlaylist->Top()}, mouse, width,
                                       height, ClientWidth(), ClientHeight());
        return Point(p.X, p.Y);
    }();
    PanelHint->SetBounds(at.X, at.Y, width, height);
    PanelHint->SetColor(kHintColour);
    PanelHint->SetVisible(true);
    PanelHint->BringToFront();
    PanelHint->Repaint();
    // The hide delay counts from now.
    TimerAfterShow->SetEnabled(false);
    TimerAfterShow->SetEnabled(true);
    SyncHintTimers();
}

void TForm1::TimerAfterShowTimer() {
    Manager->TimerAfterShowTimer();
    SyncHintTimers();
    PanelHint->SetVisible(false);
}

void TForm1::OpenTagEditorAtMouse(bool fromHint) {
    TTrackManager& m = *Manager;
    const TViewPoint mouse = m.Model.HintMousePos;
    const int line = fromHint && m.Hint.Line >= 0
                         ? m.Hint.Line
                         : BvPlaylist->ItemAtPos(Point(mouse.X, mouse.Y), true);
    bvGroupBoxTags->Collapse(false);
    if (fromHint)
        m.LabelPopupTextDblClick(line);
    else
        m.BvPlaylistDblClick(line);
    SyncHintTimers();
    if (fromHint) {
        PanelHint->SetVisible(false);
        // The pointer now rests on the track view where the hint was; no hint comes back
        // until it moves.
        TimerBeforeShow->SetEnabled(false);
        m.TimerBeforeShow.Enabled = false;
        hintDismissedAt_ = Mouse->CursorPos();
        hintDismissed_ = true;
    }
}

bool TForm1::HintDismissedHere(TPoint screen) {
    if (!hintDismissed_)
        return false;
    if (screen == hintDismissedAt_)
        return true;
    hintDismissed_ = false;
    return false;
}

// ---- The mouse over the track view and the hint ---------------------------------------------

void TForm1::BvPlaylistGLMouseMove(TControlEventArgs& args) {
    if (!HintDismissedHere(BvPlaylist->ClientToScreen(Point(args.X, args.Y)))) {
        Manager->BvPlaylistGLMouseMove({args.X, args.Y});
        SyncHintTimers();
    }
    // The same move may turn a press on the view into a drag.
    ListMouseMove(args);
}

void TForm1::BvPlaylistMouseEnter(TControlEventArgs&) {
    const TPoint screen = Mouse->CursorPos();
    if (HintDismissedHere(screen))
        return;
    Manager->BvPlaylistMouseEnter();
    // The delay the entry arms shows the line under the pointer, not one of an older place
    // (a window shown under a resting pointer gets an entry and no move).
    if (Manager->TimerBeforeShow.Enabled) {
        const TPoint at = BvPlaylist->ScreenToClient(screen);
        if (at.X >= 0 && at.Y >= 0 && at.X < BvPlaylist->Width() && at.Y < BvPlaylist->Height())
            Manager->Model.HintMousePos = {at.X, at.Y};
    }
    SyncHintTimers();
}

void TForm1::BvPlaylistMouseLeave(TControlEventArgs&) {
    Manager->BvPlaylistMouseLeave();
    SyncHintTimers();
}

void TForm1::PanelHintMouseEnter(TControlEventArgs&) {
    Manager->PanelHintMouseEnter();
    SyncHintTimers();
}

// Leaving the panel, or its label or check box, starts the hide delay wherever the pointer
// goes; the pointer's place at the leave is not asked, as it may not have been updated yet.
// Moving onto the panel's own label or check box enters it again, and any move over the panel
// keeps the hint, so the delay stops while the pointer stays on it.
void TForm1::PanelHintMouseLeave(TControlEventArgs&) {
    Manager->PanelHintMouseLeave();
    TimerAfterShow->SetEnabled(false); // counts from the leave
    SyncHintTimers();
}

void TForm1::PanelHintMouseMove(TControlEventArgs&) {
    if ((!TimerAfterShow->Enabled() && !TimerBeforeShow->Enabled()) || !PanelHint->Visible())
        return;
    Manager->PanelHintMouseEnter();
    SyncHintTimers();
}

void TForm1::cbInfoHintsClick(TControlEventArgs&) {
    Manager->cbInfoHintsClick(cbInfoHints->Checked());
    if (!cbInfoHints->Checked())
        TimerAfterShowTimer();
}
