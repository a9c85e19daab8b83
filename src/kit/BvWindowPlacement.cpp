#include "BvWindowPlacement.h"

#include <algorithm>
#include <vector>

TWindowPlacement GetFormPlacement(TCustomForm* form) {
    TWindowPlacement wp;
    if (!form)
        return wp;
    if (!form->Visible())
        wp.ShowCmd = SW_HIDE;
    else if (form->WindowState() == TWindowState::wsMinimized)
        wp.ShowCmd = SW_SHOWMINIMIZED;
    else if (form->WindowState() == TWindowState::wsMaximized)
        wp.ShowCmd = SW_SHOWMAXIMIZED;
    // The restored bounds, not the maximized ones: un-maximizing after a restart must give
    // back the window the user had.
    wp.NormalPosition = form->NormalBoundsRect();
    return wp;
}

void SetFormPlacement(TCustomForm* form, const TWindowPlacement& placement) {
    if (form && !IsRectEmpty(placement.NormalPosition) &&
        form->BoundsRect() != placement.NormalPosition)
        form->SetBoundsRect(placement.NormalPosition);
}

TRect ScreenWorkArea() {
    return Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

TRect KeepInside(const TRect& r, const TRect& area) {
    int w = std::min(r.Width(), area.Width());
    int h = std::min(r.Height(), area.Height());
    int left = std::clamp(r.Left, area.Left, area.Right - w);
    int top = std::clamp(r.Top, area.Top, area.Bottom - h);
    return Bounds(left, top, w, h);
}

std::string GetDefaultSection(TComponent* component) {
    if (!component)
        return {};
    if (auto* form = dynamic_cast<TCustomForm*>(component))
        return form->ClassName();
    if (auto* control = dynamic_cast<TControl*>(component)) {
        if (TCustomForm* form = GetParentForm(control))
            return form->ClassName() + control->Name();
        if (control->Parent())
            return control->Parent()->Name() + control->Name();
        return control->Name();
    }
    if (auto* form = dynamic_cast<TCustomForm*>(component->Owner()))
        return Format("%s.%s", {form->ClassName(), component->Name()});
    return component->Name();
}

std::string ScreenSizeSuffix() {
    return Format("(%dx%d)", {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void WritePosStr(TBvCustomAppStorage* storage, const std::string& key, const std::string& value) {
    storage->WriteString(key + ScreenSizeSuffix(), value);
    storage->WriteString(key, value);
}

std::string ReadPosStr(TBvCustomAppStorage* storage, const std::string& key,
                       const std::string& defaultValue) {
    std::string sized = key + ScreenSizeSuffix();
    if (storage->ValueStored(sized))
        return storage->ReadString(sized, defaultValue);
    return storage->ReadString(key, defaultValue);
}

namespace {

std::string Key(const std::string& section, const char* name) {
    return section.empty() ? std::string(name) : section + "\\" + name;
}

bool OnlyActiveControl(TPlacementOptions options) {
    return options == fpActiveControl;
}

// Window coordinates beyond a million pixels are damage: no arrangement of screens reaches
// them, and sizes made from coordinates within it cannot overflow.
constexpr int kFarthestCoordinate = 1000000;

// The words of "a,b,c,d"; a missing or bad word is 0.
int Word(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = text.find(',', start);
        if (start == std::string::npos)
            return 0;
        ++start;
    }
    size_t end = text.find(',', start);
    return StrToIntDef(Trim(text.substr(start, end == std::string::npos ? end : end - start)), 0);
}

// Whether every word of a stored "a,b,c,d" is a number within the coordinates a window
// can have; garbage is not applied at all.
bool SaneCoordinates(const std::string& text) {
    int count = 0;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(',', start);
        int value = 0;
        if (!TryStrToInt(Trim(text.substr(start, end == std::string::npos ? end : end - start)),
                         value) ||
            value < -kFarthestCoordinate || value > kFarthestCoordinate)
            return false;
        ++count;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return count == 4;
}

TApplication* App() {
    return Application;
}

} // namespace

void WriteWindowPlacement(TCustomForm* form, TBvCustomAppStorage* storage,
                          const std::string& section, TPlacementOptions options) {
    if (!form || !storage || OnlyActiveControl(options))
        return;
    TWindowPlacement wp = GetFormPlacement(form);
    if (App() && App()->MainForm() == form && App()->Minimized())
        wp.ShowCmd = SW_SHOWMINIMIZED;
    if (options & fpState)
        storage->WriteInteger(Key(section, "ShowCmd"), static_cast<int32_t>(wp.ShowCmd));
    if (options & (fpSize | fpLocation)) {
        storage->WriteInteger(Key(section, "Flags"), static_cast<int32_t>(wp.Flags));
        storage->WriteInteger(Key(section, "PixelsPerInch"), Screen ? Screen->PixelsPerInch() : 96);
        WritePosStr(storage, Key(section, "MinMaxPos"),
                    Format("%d,%d,%d,%d", {wp.MinPosition.X, wp.MinPosition.Y, wp.MaxPosition.X,
                                           wp.MaxPosition.Y}));
        const TRect& r = wp.NormalPosition;
        WritePosStr(storage, Key(section, "NormPos"),
                    Format("%d,%d,%d,%d", {r.Left, r.Top, r.Right, r.Bottom}));
    }
}

void ReadWindowPlacement(TCustomForm* form, TBvCustomAppStorage* storage,
                         const std::string& section, TPlacementOptions options) {
    if (!form || !storage || OnlyActiveControl(options))
        return;
    TWindowPlacement wp = GetFormPlacement(form);
    if (options & (fpSize | fpLocation)) {
        wp.Flags = static_cast<uint32_t>(
            storage->ReadInteger(Key(section, "Flags"), static_cast<int32_t>(wp.Flags)));
        std::string minMaxKey = Key(section, "MinMaxPos");
        std::string normKey = Key(section, "NormPos");
        bool stored = storage->ValueStored(minMaxKey + ScreenSizeSuffix()) ||
                      storage->ValueStored(minMaxKey) ||
                      storage->ValueStored(normKey + ScreenSizeSuffix()) ||
                      storage->ValueStored(normKey);
        std::string minMax = ReadPosStr(storage, minMaxKey, "");
        if (!SaneCoordinates(minMax))
            minMax = Format("%d,%d,%d,%d", {wp.MinPosition.X, wp.MinPosition.Y, wp.MaxPosition.X,
                                            wp.MaxPosition.Y});
        if (options & fpLocation)
            wp.MinPosition = {Word(minMax, 0), Word(minMax, 1)};
        if (options & fpSize)
            wp.MaxPosition = {Word(minMax, 2), Word(minMax, 3)};
        TRect cur = form->BoundsRect();
        const std::string current =
            Format("%d,%d,%d,%d", {cur.Left, cur.Top, cur.Right, cur.Bottom});
        std::string norm = ReadPosStr(storage, normKey, current);
        if (!SaneCoordinates(norm)) {
            norm = current;
            stored = false;
        }
        TRect r = cur;
        if (options & fpLocation) {
            r.Left = Word(norm, 0);
            r.Top = Word(norm, 1);
        }
        if (options & fpSize) {
            r.Right = r.Left + (Word(norm, 2) - Word(norm, 0));
            r.Bottom = r.Top + (Word(norm, 3) - Word(norm, 1));
        } else {
            r.Right = r.Left + cur.Width();
            r.Bottom = r.Top + cur.Height();
        }
        bool sizeable = form->BorderStyle == TFormBorderStyle::bsSizeable ||
                        form->BorderStyle == TFormBorderStyle::bsSizeToolWin;
        if (!sizeable) {
            r.Right = r.Left + cur.Width();
            r.Bottom = r.Top + cur.Height();
        }
        int ppi = Screen ? Screen->PixelsPerInch() : 96;
        if (stored && storage->ReadInteger(Key(section, "PixelsPerInch"), ppi) == ppi &&
            !IsRectEmpty(r) && !form->IsDesigning()) {
            bool both = (options & fpSize) && (options & fpLocation);
            if (both)
                form->SetPosition(TPosition::poDesigned);
            else if (options & fpSize)
                form->SetPosition(form->Position() == TPosition::poDefault
                                      ? TPosition::poDefaultPosOnly
                                      : TPosition::poDesigned);
            else
                form->SetPosition(form->Position() == TPosition::poDefault
                                      ? TPosition::poDefaultSizeOnly
                                      : TPosition::poDesigned);
            // A placement saved on a larger screen must not put the window out of reach.
            wp.NormalPosition = KeepInside(r, ScreenWorkArea());
            SetFormPlacement(form, wp);
        }
    }
    if (options & fpState) {
        int32_t cmd = storage->ReadInteger(Key(section, "ShowCmd"), 0);
        TWindowState state = TWindowState::wsNormal;
        bool known = true;
        switch (cmd) {
        case 1:
        case 5:
        case 9:
            state = TWindowState::wsNormal;
            break;
        case 2:
        case 6:
        case 7:
            state = TWindowState::wsMinimized;
            break;
        case 3:
            state = TWindowState::wsMaximized;
            break;
        default:
            known = false;
        }
        if (known) {
            bool isMain = !App() || !App()->MainForm() || App()->MainForm() == form;
            if (state == TWindowState::wsMinimized && isMain) {
                // A minimized main window comes back as the minimized application.
                form->SetWindowState(TWindowState::wsNormal);
                if (App())
                    App()->Minimize();
                return;
            }
            form->SetWindowState(state);
        }
    }
    form->Update();
}
