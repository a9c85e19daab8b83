#include "BvToolEdit.h"

#include "BvCoreUtils.h"
#include "RtFileUtils.h"
#include "ScopeExit.h"
#include "ShellAPI.h"
#include "qt/WidgetBinding.h"

#include <algorithm>
#include <vector>

// The button's parent: a plain window at the edit's right edge that never takes the focus
// from the edit.
class TBvComboEditHolder : public TWinControl {
public:
    using TWinControl::TWinControl;

protected:
    void CreateWnd() override {
        TWinControl::CreateWnd();
        BvQt::SetTakesNoFocus(Widget());
    }
};

namespace {

constexpr TColor kKey = 0xFF00FF; // the pictures' transparent colour

void FillBox(TBitmap& b, int left, int top, int right, int bottom, TColor color) {
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            b.SetPixel(x, y, color);
}

// The drop-down arrow: rows of 7, 5, 3 and 1 pixels.
void DrawArrow(TBitmap& b) {
    b.SetSize(7, 4);
    FillBox(b, 0, 0, 6, 3, kKey);
    for (int row = 0; row < 4; ++row)
        FillBox(b, row, row, 6 - row, row, clBlack);
}

// Three dots, with a bottom row of the transparent colour that the drawer reads it from.
void DrawEllipsis(TBitmap& b) {
    b.SetSize(10, 3);
    FillBox(b, 0, 0, 9, 2, kKey);
    for (int dot = 0; dot < 3; ++dot)
        FillBox(b, 1 + 3 * dot, 0, 2 + 3 * dot, 1, clBlack);
}

// Position of the last path separator of a drive-letter or Linux path.
size_t LastSeparator(std::string_view path) {
    return path.find_last_of("\\/:");
}

std::string FolderOf(std::string_view path) {
    size_t sep = LastSeparator(path);
    if (sep == std::string_view::npos)
        return std::string();
    // "C:\x" keeps "C:\", "/x" keeps "/"; other folders lose their trailing separator.
    const bool root = sep == 0 || (sep == 2 && path[1] == ':') || path[sep] == ':';
    return std::string(path.substr(0, root ? sep + 1 : sep));
}

std::string NameOf(std::string_view path) {
    size_t sep = LastSeparator(path);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

// Trimmed, and one pair of enclosing double quotes taken off.
std::string Unquoted(const std::string& value) {
    std::string s = Trim(value);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = Trim(s.substr(1, s.size() - 2));
    return s;
}

std::string CutAtLineBreak(const std::string& text) {
    size_t cut = text.find('\n');
    if (cut == std::string::npos)
        cut = text.find('\r');
    return cut == std::string::npos ? text : text.substr(0, cut);
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text after a change, with what the change put in cut at its first line break: a
// pasted "ab\ncd" between "X" and "Y" gives "XabY", the rest of the text kept.
// caret: where the kept part of what was put in ends, in bytes.
std::string CutInsertedLineBreak(const std::string& before, const std::string& after,
                                 size_t& caret) {
    caret = after.size();
    if (after.find_first_of("\r\n") == std::string::npos)
        return after;
    size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    // The parts meet at whole characters.
    while (prefix > 0 && prefix < after.size() && IsContinuationByte(after[prefix]))
        --prefix;
    while (suffix > 0 && IsContinuationByte(after[after.size() - suffix]))
        --suffix;
    const std::string kept = CutAtLineBreak(after.substr(prefix, after.size() - prefix - suffix));
    caret = prefix + kept.size();
    return after.substr(0, prefix) + kept + after.substr(after.size() - suffix);
}

// The length of UTF-8 text in UTF-16 units, as the edit counts its caret positions.
int Utf16Length(std::string_view text) {
    int units = 0;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b & 0xC0) != 0x80)
            units += b >= 0xF0 ? 2 : 1;
    }
    return units;
}

} // namespace

bool ValidEditFileName(std::string_view fileName) {
    return !fileName.empty() && !HasAnyChar(fileName, "<>\"?*|");
}

// ---- the button ----

TBvEditButton::TBvEditButton(TBvCustomComboEdit* edit) : TBvImageSpeedButton(edit), edit_(edit) {
    SetShowHint(true);
}

void TBvEditButton::SetPicture(TBitmap* picture, int numGlyphs) {
    ButtonGlyph()->SetGlyph(picture);
    // Set after the picture: a picture's own proportions would otherwise choose the count.
    ButtonGlyph()->SetNumGlyphs(numGlyphs);
    Invalidate();
}

void TBvEditButton::Click() {
    if (dropClick_)
        return;
    edit_->DoClick();
}

void TBvEditButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft) {
        if (edit_->PopupVisible()) {
            // The press closes the popup; the click that follows it is not a new one.
            edit_->PopupCloseUp(true);
            dropClick_ = true;
        } else if (edit_->CanFocus() && !edit_->Focused()) {
            edit_->SetFocus();
        }
    }
    TBvImageSpeedButton::MouseDown(button, shift, x, y);
}

void TBvEditButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TBvImageSpeedButton::MouseUp(button, shift, x, y);
    if (IsControlAlive(this))
        dropClick_ = false;
}

void TBvEditButton::Paint() {
    TBvImageSpeedButton::Paint();
    if (State() == TBvButtonState::rbsDown || State() == TBvButtonState::rbsExclusive)
        return;
    // Unpressed, the button parts from the text with a dark line and a highlight beside it.
    TCanvas* c = Canvas();
    c->Pen()->SetColor(Flat() ? clBtnShadow : clBtnFace);
    c->MoveTo(0, 0);
    c->LineTo(0, Height());
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(1, 0);
    c->LineTo(1, Height());
}

// ---- the edit with a button ----

TBvCustomComboEdit::TBvCustomComboEdit(TComponent* owner)
    : TBvExCustomMaskEdit(owner), ClickKey(ShortCut(VK_DOWN, ssAlt)),
      glyph_(std::make_unique<TBitmap>()), picture_(std::make_unique<TBitmap>()),
      autoCompleteItems_(std::make_unique<TStringList>()) {
    ControlStyle &= ~csSetCaption; // the text is the edit's content, not a caption
    SetBounds(Left(), Top(), 121, 21);
    holder_ = new TBvComboEditHolder(this);
    holder_->SetBounds(0, 0, 21, 17);
    holder_->SetParent(this);
    button_ = new TBvEditButton(this);
    button_->SetParent(holder_);
    button_->SetAlign(TAlign::alClient);
    glyph_->OnChange = [this](TGraphic&) { UpdatePicture(); };
    autoCompleteItems_->OnChange = [this](TStrings&) { UpdateAutoComplete(); };
    UpdatePicture();
    UpdateControls();
}

TBvCustomComboEdit::~TBvCustomComboEdit() {
    glyph_->OnChange = nullptr;
    autoCompleteItems_->OnChange = nullptr;
}

void TBvCustomComboEdit::CreateParams(TCreateParams& params) {
    TBvExCustomMaskEdit::CreateParams(params);
    // The text keeps clear of the button through the edit's formatting rectangle, which a
    // one-line edit here takes as it is, so no multi-line style is needed for it.
    params.Style |= WS_CLIPCHILDREN;
}

void TBvCustomComboEdit::CreateWnd() {
    TBvExCustomMaskEdit::CreateWnd();
    UpdateControls();
    ApplyDisabledColors();
    UpdateAutoComplete();
}

void TBvCustomComboEdit::Resized() {
    TBvExCustomMaskEdit::Resized();
    UpdateControls();
}

void TBvCustomComboEdit::FontChanged() {
    TBvExCustomMaskEdit::FontChanged();
    UpdateControls();
}

void TBvCustomComboEdit::EnabledChanged() {
    TBvExCustomMaskEdit::EnabledChanged();
    button_->SetEnabled(Enabled());
}

void TBvCustomComboEdit::UpdateControls() {
    // The button sits inside the edit's sunken border, as high as the text room.
    constexpr int kBorder = 2;
    const int w = ButtonWidth();
    holder_->SetBounds(std::max(0, Width() - kBorder - w), kBorder, w,
                       std::max(0, Height() - 2 * kBorder));
    holder_->SetVisible(w > 0);
    if (HandleAllocated()) {
        TRect r = Rect(0, 0, std::max(0, ClientWidth() - w - (w > 0 ? 1 : 0)), ClientHeight());
        Perform(EM_SETRECTNP, 0, reinterpret_cast<intptr_t>(&r));
    }
}

void TBvCustomComboEdit::SetButtonWidth(int value) {
    value = std::max(0, value);
    if (value == buttonWidth_)
        return;
    buttonWidth_ = value;
    UpdateControls();
}

void TBvCustomComboEdit::SetShowButton(bool value) {
    if (value == showButton_)
        return;
    showButton_ = value;
    UpdateControls();
}

bool TBvCustomComboEdit::ButtonFlat() const {
    return button_->Flat();
}
void TBvCustomComboEdit::SetButtonFlat(bool value) {
    button_->SetFlat(value);
}
std::string TBvCustomComboEdit::ButtonHint() const {
    return button_->Hint();
}
void TBvCustomComboEdit::SetButtonHint(const std::string& value) {
    button_->SetHint(value);
}

void TBvCustomComboEdit::SetGlyph(TBitmap* value) {
    if (value)
        glyph_->Assign(*value);
    else
        glyph_->SetSize(0, 0);
    UpdatePicture();
}

int TBvCustomComboEdit::NumGlyphs() const {
    return imageKind_ == TBvImageKind::ikCustom ? numGlyphs_ : 1;
}

void TBvCustomComboEdit::SetNumGlyphs(int value) {
    if (value <= 0)
        return;
    numGlyphs_ = std::min(value, 5);
    UpdatePicture();
}

TCustomImageList* TBvCustomComboEdit::Images() const {
    return images_;
}

void TBvCustomComboEdit::SetImages(TCustomImageList* value) {
    if (value == images_)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = value;
    if (value)
        value->FreeNotification(this);
    UpdatePicture();
}

int TBvCustomComboEdit::ImageIndex() const {
    return imageIndex_;
}

void TBvCustomComboEdit::SetImageIndex(int value) {
    if (value == imageIndex_)
        return;
    imageIndex_ = value;
    UpdatePicture();
}

void TBvCustomComboEdit::Notification(TComponent* component, TOperation operation) {
    TBvExCustomMaskEdit::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) {
        images_ = nullptr;
        UpdatePicture();
    }
}

void TBvCustomComboEdit::SetImageKind(TBvImageKind value) {
    if (value == imageKind_)
        return;
    imageKind_ = value;
    UpdatePicture();
}

void TBvCustomComboEdit::DrawDefaultGlyph(TBitmap& bitmap) {
    DrawArrow(bitmap);
}

void TBvCustomComboEdit::UpdatePicture() {
    if (!button_)
        return;
    int count = 1;
    switch (imageKind_) {
    case TBvImageKind::ikCustom:
        picture_->Assign(*glyph_);
        count = numGlyphs_;
        break;
    case TBvImageKind::ikDefault:
        DrawDefaultGlyph(*picture_);
        break;
    case TBvImageKind::ikDropDown:
        DrawArrow(*picture_);
        break;
    case TBvImageKind::ikEllipsis:
        DrawEllipsis(*picture_);
        break;
    }
    const bool fromList = imageKind_ == TBvImageKind::ikCustom && images_;
    button_->SetImages(fromList ? images_ : nullptr);
    button_->SetImageIndex(fromList ? imageIndex_ : -1);
    button_->SetPicture(picture_.get(), count);
}

TBitmap* TBvCustomComboEdit::ButtonPicture() {
    return picture_.get();
}

void TBvCustomComboEdit::SetDirectInput(bool value) {
    if (value == directInput_)
        return;
    directInput_ = value;
    ApplyReadOnly();
}

void TBvCustomComboEdit::SetReadOnly(bool value) {
    if (value == editReadOnly_)
        return;
    editReadOnly_ = value;
    ApplyReadOnly();
}

void TBvCustomComboEdit::ApplyReadOnly() {
    TBvExCustomMaskEdit::SetReadOnly(!TypingAllowed());
}

void TBvCustomComboEdit::SetFlat(bool value) {
    if (value == flat_)
        return;
    flat_ = value;
    Invalidate();
}

void TBvCustomComboEdit::SetDisabledColor(TColor value) {
    if (value == disabledColor_)
        return;
    disabledColor_ = value;
    ApplyDisabledColors();
}

void TBvCustomComboEdit::SetDisabledTextColor(TColor value) {
    if (value == disabledTextColor_)
        return;
    disabledTextColor_ = value;
    ApplyDisabledColors();
}

void TBvCustomComboEdit::ApplyDisabledColors() {
    if (HandleAllocated())
        BvQt::SetEditDisabledColors(Widget(), disabledColor_, disabledTextColor_);
}

void TBvCustomComboEdit::SetAutoCompleteOptions(TBvAutoCompleteOptions value) {
    if (value == autoCompleteOptions_)
        return;
    autoCompleteOptions_ = value;
    UpdateAutoComplete();
}

void TBvCustomComboEdit::UpdateAutoComplete() {
    if (!HandleAllocated() || IsDesigning())
        return;
    if (autoCompleteOptions_ == 0) {
        BvQt::SetEditCompletion(Widget(), nullptr);
        return;
    }
    BvQt::TEditCompletion c;
    // Qt's completer either lists the matches or puts the first in; a list is the one
    // suggestion a person sees, so it wins when both are asked for. The other options
    // (search, prefixes, Tab, the arrows, reading order) are the completer's own here.
    c.Inline = (autoCompleteOptions_ & acoAutoAppend) && !(autoCompleteOptions_ & acoAutoSuggest);
    for (int i = 0; i < autoCompleteItems_->Count(); ++i)
        c.Items.push_back(autoCompleteItems_->Get(i));
    BvQt::SetEditCompletion(Widget(), &c);
}

bool TBvCustomComboEdit::PopupVisible() const {
    return PopupControl && PopupControl->Visible();
}

void TBvCustomComboEdit::ButtonDropDown() {
    if (!PopupControl)
        return;
    PopupControl->SetVisible(true);
    PopupControl->BringToFront();
}

void TBvCustomComboEdit::PopupCloseUp(bool) {
    if (!PopupVisible())
        return;
    PopupControl->SetVisible(false);
    if (CanFocus())
        SetFocus();
}

void TBvCustomComboEdit::DoClick() {
    if (editReadOnly_ && !AlwaysEnableButton)
        return;
    if (OnButtonClick) {
        OnButtonClick(this);
        if (!IsControlAlive(this))
            return;
    } else if (ActionLink()) {
        ActionLink()->Execute(this);
        if (!IsControlAlive(this))
            return;
    }
    if (PopupVisible())
        PopupCloseUp(true);
    else
        ButtonDropDown();
}

std::unique_ptr<TControlActionLink> TBvCustomComboEdit::CreateActionLink() {
    return std::make_unique<TBvCustomComboEditActionLink>(this);
}

void TBvCustomComboEdit::ActionChange(TObject* sender, bool checkDefaults) {
    TBvExCustomMaskEdit::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (!checkDefaults || ButtonHint().empty())
        SetButtonHint(action->Hint());
    if (!checkDefaults || ImageIndex() == -1)
        SetImageIndex(action->ImageIndex());
    // An action without a key leaves the edit its own (Alt+Down at first).
    if (action->ShortCut() != 0 && (!checkDefaults || ClickKey == ShortCut(VK_DOWN, ssAlt)))
        ClickKey = action->ShortCut();
}

bool TBvCustomComboEditActionLink::IsButtonHintLinked() const {
    return CustomAction() && edit_->ButtonHint() == CustomAction()->Hint();
}

bool TBvCustomComboEditActionLink::IsImageIndexLinked() const {
    return CustomAction() && edit_->ImageIndex() == CustomAction()->ImageIndex();
}

bool TBvCustomComboEditActionLink::IsShortCutLinked() const {
    return CustomAction() && edit_->ClickKey == CustomAction()->ShortCut();
}

void TBvCustomComboEditActionLink::SetHint(const std::string& value) {
    if (IsButtonHintLinked())
        edit_->SetButtonHint(value);
    TControlActionLink::SetHint(value);
}

void TBvCustomComboEditActionLink::SetImageIndex(int value) {
    if (IsImageIndexLinked())
        edit_->SetImageIndex(value);
}

void TBvCustomComboEditActionLink::SetShortCut(TShortCut value) {
    if (IsShortCutLinked() && value != 0)
        edit_->ClickKey = value;
}

void TBvCustomComboEdit::SetText(const std::string& text) {
    TBvExCustomMaskEdit::SetText(CutAtLineBreak(text));
}

void TBvCustomComboEdit::Change() {
    const std::string text = GetText();
    size_t caret = 0;
    const std::string cut = CutInsertedLineBreak(lastText_, text, caret);
    if (cut != text) {
        // The change arrives again with the cut text; the caret stays after what was put in.
        TBvExCustomMaskEdit::SetText(cut);
        if (IsControlAlive(this) && HandleAllocated())
            SetSelStart(Utf16Length(std::string_view(cut).substr(0, caret)));
        return;
    }
    lastText_ = text;
    TBvExCustomMaskEdit::Change();
    if (!IsControlAlive(this) || GroupIndex == -1 || !Owner())
        return;
    static bool clearing = false;
    if (clearing)
        return;
    clearing = true;
    TScopeExit reset([] { clearing = false; });
    for (int i = 0; i < Owner()->ComponentCount(); ++i)
        if (auto* other = dynamic_cast<TBvCustomComboEdit*>(Owner()->Components(i));
            other && other != this && other->GroupIndex == GroupIndex)
            other->SetText("");
}

void TBvCustomComboEdit::KeyDown(uint16_t& key, TShiftState shift) {
    TBvExCustomMaskEdit::KeyDown(key, shift);
    if (key == 0)
        return;
    if ((key == VK_TAB || key == VK_RETURN) && shift == ssCtrl) {
        if (TCustomForm* form = ParentForm())
            form->Perform(WM_KEYDOWN, key, ShiftStateToKeyData(shift));
        key = 0;
        return;
    }
    if (ClickKey != 0 && ShortCut(key, shift) == ClickKey && ButtonWidth() > 0) {
        key = 0;
        DoClick();
        return;
    }
    if ((key == VK_RETURN || key == VK_ESCAPE) && PopupVisible()) {
        PopupCloseUp(key == VK_RETURN);
        key = 0;
    }
}

void TBvCustomComboEdit::KeyPress(char16_t& key) {
    TBvExCustomMaskEdit::KeyPress(key);
    if (key == u'\t' || key == u'\n')
        key = 0;
}

bool TBvCustomComboEdit::MemberMessage(TMessage& m) {
    switch (m.Msg) {
    case CM_WANTSPECIALKEY:
        // A shown popup takes Enter and Esc; otherwise the form's buttons get them.
        if ((m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) && PopupVisible()) {
            m.Result = 1;
            return true;
        }
        return false;
    case WM_CUT:
    case WM_PASTE:
        if (!TypingAllowed()) {
            m.Result = 0;
            return true;
        }
        break;
    case WM_CLEAR:
        if ((ClipboardCommands() & caClear) && !editReadOnly_)
            SetText("");
        m.Result = 0;
        return true;
    default:
        break;
    }
    return TBvExCustomMaskEdit::MemberMessage(m);
}

// ---- the file and folder edit ----

TBvFileDirEdit::TBvFileDirEdit(TComponent* owner) : TBvCustomComboEdit(owner) {
    SetImageKind(TBvImageKind::ikDefault);
    SetAutoCompleteOptions(acoAutoSuggest);
    TWinControl::SetAcceptFiles(true);
}

void TBvFileDirEdit::SetAutoCompleteFileOptions(TBvAutoCompleteFileOptions value) {
    if (value == autoCompleteFileOptions_)
        return;
    autoCompleteFileOptions_ = value;
    UpdateAutoComplete();
}

void TBvFileDirEdit::UpdateAutoComplete() {
    if (!HandleAllocated() || IsDesigning())
        return;
    const bool files = autoCompleteFileOptions_ & (acfFileSystem | acfFileSysDirs);
    if (AutoCompleteOptions() == 0 || !files) {
        // The URL history and recent-URL lists have no counterpart here.
        BvQt::SetEditCompletion(Widget(), nullptr);
        return;
    }
    BvQt::TEditCompletion c;
    c.Inline = (AutoCompleteOptions() & acoAutoAppend) && !(AutoCompleteOptions() & acoAutoSuggest);
    c.FileSystem = true;
    c.FoldersOnly = autoCompleteFileOptions_ & acfFileSysDirs;
    BvQt::SetEditCompletion(Widget(), &c);
}

bool TBvFileDirEdit::MemberMessage(TMessage& m) {
    if (m.Msg != WM_DROPFILES)
        return TBvCustomComboEdit::MemberMessage(m);
    auto drop = reinterpret_cast<HDROP>(m.WParam);
    TScopeExit finish([d = drop] { DragFinish(d); });
    m.Result = 0;
    if (!AcceptFiles() || !HandleAllocated())
        return true;
    const unsigned count = DragQueryFile(drop, kDragQueryFileCount, nullptr, 0);
    const unsigned taken = TakesSeveralFiles() ? count : std::min(count, 1u);
    for (unsigned i = 0; i < taken; ++i) {
        // Every name whole, however long.
        std::vector<char> name(DragQueryFile(drop, i, nullptr, 0) + 1);
        const unsigned length =
            DragQueryFile(drop, i, name.data(), static_cast<unsigned>(name.size()));
        ReceiveDroppedName(std::string(name.data(), length), static_cast<int>(i));
        if (!IsControlAlive(this))
            return true;
    }
    if (OnDropFiles)
        OnDropFiles(this);
    return true;
}

void TBvFileDirEdit::DoBeforeDialog(std::string& name, bool& action) {
    if (OnBeforeDialog)
        OnBeforeDialog(this, name, action);
}

void TBvFileDirEdit::DoAfterDialog(std::string& name, bool& action) {
    if (OnAfterDialog)
        OnAfterDialog(this, name, action);
}

// ---- the file-name edit ----

namespace {

std::unique_ptr<TOpenDialog> MakeDialog(TFileDialogKind kind) {
    // The picture dialogs are the plain ones here: Qt's file dialog has no preview pane.
    if (kind == TFileDialogKind::dkSave || kind == TFileDialogKind::dkSavePicture)
        return std::make_unique<TSaveDialog>(nullptr);
    return std::make_unique<TOpenDialog>(nullptr);
}

} // namespace

TBvFilenameEdit::TBvFilenameEdit(TComponent* owner)
    : TBvFileDirEdit(owner), dialog_(MakeDialog(TFileDialogKind::dkOpen)) {
    dialog_->Title = "Browse";
    dialog_->Filter = "All files (*.*)|*.*";
    dialog_->Options = ofHideReadOnly;
    // The base drew its own default picture while this class was not built yet.
    UpdatePicture();
}

TBvFilenameEdit::~TBvFilenameEdit() = default;

void TBvFilenameEdit::DrawDefaultGlyph(TBitmap& b) {
    // A folder, 14 x 12, drawn for this program.
    const TColor outline = RGB(128, 96, 16), fill = RGB(250, 208, 88), light = RGB(255, 238, 168);
    b.SetSize(14, 12);
    FillBox(b, 0, 0, 13, 11, kKey);
    FillBox(b, 1, 1, 5, 3, outline);
    FillBox(b, 2, 2, 4, 3, fill);
    FillBox(b, 0, 3, 12, 10, outline);
    FillBox(b, 1, 4, 11, 9, fill);
    FillBox(b, 1, 4, 11, 4, light);
    FillBox(b, 1, 5, 1, 9, light);
}

std::string TBvFilenameEdit::FileName() const {
    return AddQuotes ? FileNameFromText(GetText()) : GetText();
}

std::string TBvFilenameEdit::QuotedName(const std::string& name) const {
    if (AddQuotes && name.find(' ') != std::string::npos && name[0] != '"')
        return '"' + name + '"';
    return name;
}

void TBvFilenameEdit::SetFileName(const std::string& value) {
    const std::string name = Unquoted(value);
    // An empty name empties the edit: there is then no file chosen.
    if (!name.empty() && !ValidEditFileName(name))
        throw EComboEditError(Format("Invalid file name - %s", {value}));
    SetText(QuotedName(name));
}

void TBvFilenameEdit::SetDialogKind(TFileDialogKind value) {
    if (value == dialogKind_)
        return;
    std::unique_ptr<TOpenDialog> next = MakeDialog(value);
    next->DefaultExt = dialog_->DefaultExt;
    next->FileName = dialog_->FileName;
    next->Filter = dialog_->Filter;
    next->FilterIndex = dialog_->FilterIndex;
    next->InitialDir = dialog_->InitialDir;
    next->Options = dialog_->Options;
    next->Title = dialog_->Title;
    next->FileEditStyle = dialog_->FileEditStyle;
    next->SetHistoryList(dialog_->HistoryList());
    dialog_ = std::move(next);
    dialogKind_ = value;
}

bool TBvFilenameEdit::TakesSeveralFiles() const {
    return (dialog_->Options & ofAllowMultiSelect) != 0;
}

void TBvFilenameEdit::ReceiveDroppedName(const std::string& name, int index) {
    if (index == 0) {
        SetFileName(name);
        dialog_->Files()->Clear();
    }
    dialog_->Files()->Add(name);
}

void TBvFilenameEdit::ButtonDropDown() {
    std::string s = FileNameFromText(GetText());
    bool action = true;
    DoBeforeDialog(s, action);
    if (!IsControlAlive(this) || !action)
        return;
    if (ValidEditFileName(s)) {
        const std::string folder = FolderOf(s);
        if (!folder.empty() && DirectoryExists(folder))
            dialog_->InitialDir = folder;
        if (!ValidEditFileName(NameOf(s)))
            s.clear();
    } else {
        s.clear();
    }
    dialog_->FileName = s;
    // Qt's dialogs show no critical-error boxes of the system, so nothing is switched off.
    action = dialog_->Execute();
    if (!IsControlAlive(this))
        return;
    if (action)
        s = dialog_->FileName;
    if (CanFocus())
        SetFocus();
    DoAfterDialog(s, action);
    if (!IsControlAlive(this) || !action)
        return;
    SetText(QuotedName(s));
    dialog_->InitialDir = FolderOf(dialog_->FileName);
}

// ---- class tables ----

#define BV_TOOLEDIT_CLASS(Class, Parent)                                                           \
    const TClassInfo& Class::StaticClassInfo() {                                                   \
        static const TClassInfo info(#Class, &Parent::StaticClassInfo(), {}, "BvToolEdit");        \
        return info;                                                                               \
    }
BV_TOOLEDIT_CLASS(TBvEditButton, TBvImageSpeedButton)
BV_TOOLEDIT_CLASS(TBvCustomComboEdit, TBvExCustomMaskEdit)
BV_TOOLEDIT_CLASS(TBvFileDirEdit, TBvCustomComboEdit)
BV_TOOLEDIT_CLASS(TBvFilenameEdit, TBvFileDirEdit)
#undef BV_TOOLEDIT_CLASS
