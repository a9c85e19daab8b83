#include "UnitOptions.h"

#include "Dialogs.h"
#include "ScopeExit.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <tuple>

TForm2* Form2 = nullptr;

namespace {

// The dialog's measures, in logical pixels.
constexpr int Margin = 8;    // between the form's edge and the groups
constexpr int GroupPad = 12; // between a group's frame and its controls
constexpr int GroupTop = 22; // from a group's top to its first row (below the title)
constexpr int RowPitch = 28; // from one row to the next
constexpr int ControlHeight = 23;
constexpr int Gap = 6;              // between a caption and its control
constexpr int Indent = 20;          // rows that belong to the check box above them
constexpr int NumberWidth = 64;     // the number edits
constexpr int BoxMark = 24;         // a check box's or radio button's mark and its spacing
constexpr int ScreenAllowance = 16; // room for the frame the window system draws around it

int TextWidthOf(const TControl* control, const std::string& text) {
    TCanvas canvas;
    canvas.SetFont(*control->Font());
    std::string shown;
    // "&" marks the mnemonic and takes no room.
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&')
            continue;
        shown += text[i];
    }
    return canvas.TextWidth(shown.empty() ? std::string(" ") : shown);
}

// The width a check box or radio button needs for its mark and caption.
int BoxWidth(const TControl* box) {
    return BoxMark + TextWidthOf(box, Trim(box->Caption())) + 4;
}

int LabelWidth(const TLabel* label) {
    return TextWidthOf(label, label->Caption());
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A caption as a message names it: without the mnemonic marker and trailing blanks.
std::string FieldName(const std::string& caption) {
    std::string name;
    for (char c : caption)
        if (c != '&')
            name += c;
    return Trim(name);
}

template <class T> T* Make(TForm2* form, TWinControl* parent, const char* name) {
    auto* control = new T(form);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

// A control and the TOptions member it shows and writes.
struct TCheckBinding {
    TCheckBox* TForm2::*Control;
    bool TOptions::*Value;
};
struct TTextBinding {
    TWinControl* Control;
    std::string TOptions::*Value;
};

} // namespace

const TClassInfo& TForm2::StaticClassInfo() {
    static const TClassInfo info("TForm2", &TForm::StaticClassInfo(), {}, "UnitOptions");
    return info;
}

TForm2::TForm2(TComponent* owner, TTrackManager& manager) : TForm(owner), manager_(manager) {
    SetName("Form2");
    SetCaption("Options");
    BorderStyle = TFormBorderStyle::bsDialog;
    SetPosition(TPosition::poMainFormCenter);
    CreateControls();
    BindControls();
    LayoutControls();
    OnCreate = [this](TObject*) {
        manager_.OptionsFormCreate();
        OptionsToControls();
    };
    OnShow = [this](TObject*) { FormShow(); };
    // The controls follow TOptions whenever the manager changes it.
    previousViewSink_ = manager_.ViewSink;
    manager_.ViewSink = [this, previous = previousViewSink_](TViewId view) {
        if (previous)
            previous(view);
        if (view == TViewId::Options)
            OptionsToControls();
    };
}

TForm2::~TForm2() {
    manager_.ViewSink = previousViewSink_;
    if (Form2 == this)
        Form2 = nullptr;
    Destroying();
}

void TForm2::CreateControls() {
    gbView = Make<TGroupBox>(this, this, "gbView");
    gbView->SetCaption("View");
    cbShowPanel = Make<TCheckBox>(this, gbView, "cbShowPanel");
    cbShowPanel->SetCaption("Show buttons panel in main window");
    cbMultiLinePlaylist = Make<TCheckBox>(this, gbView, "cbMultiLinePlaylist");
    cbMultiLinePlaylist->SetCaption("Word wrap in playlist");
    lbShowTracksAs = Make<TLabel>(this, gbView, "lbShowTracksAs");
    lbShowTracksAs->SetCaption("Show tracks as:");
    comboShowTracksAs = Make<TComboBox>(this, gbView, "comboShowTracksAs");
    for (std::string_view item : DisplayTemplateItems)
        comboShowTracksAs->Items()->Add(std::string(item));
    cbInfoHints = Make<TCheckBox>(this, gbView, "cbInfoHints");
    cbInfoHints->SetCaption("Show info hints in playlist");
    lbHintShowAfter = Make<TLabel>(this, gbView, "lbHintShowAfter");
    lbHintShowAfter->SetCaption("Show after:");
    edHintShowAfter = Make<TEdit>(this, gbView, "edHintShowAfter");
    lbHintShowMsec = Make<TLabel>(this, gbView, "lbHintShowMsec");
    lbHintShowMsec->SetCaption("msec");
    lbHintHide = Make<TLabel>(this, gbView, "lbHintHide");
    lbHintHide->SetCaption("Hide after:");
    edHintHide = Make<TEdit>(this, gbView, "edHintHide");
    lbHintHideMsec = Make<TLabel>(this, gbView, "lbHintHideMsec");
    lbHintHideMsec->SetCaption("msec");
    lbLanguage = Make<TLabel>(this, gbView, "lbLanguage");
    lbLanguage->SetCaption("Language:");
    comboLang = Make<TComboBox>(this, gbView, "comboLang");
    comboLang->SetStyle(TComboBoxStyle::csDropDownList);

    gbMobile = Make<TGroupBox>(this, this, "gbMobile");
    gbMobile->SetCaption("Mobile");
    cbAutoDetect = Make<TCheckBox>(this, gbMobile, "cbAutoDetect");
    cbAutoDetect->SetCaption("Use auto TransFlash(r) detection every ");
    edTFTime = Make<TEdit>(this, gbMobile, "edTFTime");
    lbTFTimeMsec = Make<TLabel>(this, gbMobile, "lbTFTimeMsec");
    lbTFTimeMsec->SetCaption("msec");
    cbOnlyRemovable = Make<TCheckBox>(this, gbMobile, "cbOnlyRemovable");
    cbOnlyRemovable->SetCaption("Show only removable devices");
    cbAutoReadDB = Make<TCheckBox>(this, gbMobile, "cbAutoReadDB");
    cbAutoReadDB->SetCaption("Try to read iTunesDB or look for files after detecting TransFlash");
    cbCheckSpace = Make<TCheckBox>(this, gbMobile, "cbCheckSpace");
    cbCheckSpace->SetCaption("Do free space check");
    lbUpload = Make<TLabel>(this, gbMobile, "lbUpload");
    lbUpload->SetCaption("Upload files to:");
    edUpload = Make<TEdit>(this, gbMobile, "edUpload");
    cbRNTO = Make<TCheckBox>(this, gbMobile, "cbRNTO");
    cbRNTO->SetCaption("Rename uploaded files to:");
    comboRNTO = Make<TComboBox>(this, gbMobile, "comboRNTO");
    for (const char* item : {"<artist> - <title><ext>", "<title><ext>",
                             "<artist> - <album> - "
                             "<title><ext>"})
        comboRNTO->Items()->Add(item);

    gbEncoding = Make<TGroupBox>(this, this, "gbEncoding");
    gbEncoding->SetCaption("Encoding");
    cbAutoEncode = Make<TCheckBox>(this, gbEncoding, "cbAutoEncode");
    cbAutoEncode->SetCaption("Auto encode");
    lbMaxBitrate = Make<TLabel>(this, gbEncoding, "lbMaxBitrate");
    lbMaxBitrate->SetCaption("If bitrate is higher than");
    cbBitrate = Make<TComboBox>(this, gbEncoding, "cbBitrate");
    for (std::string_view item : BitrateItems)
        cbBitrate->Items()->Add(std::string(item));
    lbMaxBitrateKbps = Make<TLabel>(this, gbEncoding, "lbMaxBitrateKbps");
    lbMaxBitrateKbps->SetCaption("kbps");
    lbEncodeTo = Make<TLabel>(this, gbEncoding, "lbEncodeTo");
    lbEncodeTo->SetCaption("Encode to:");
    ComboFormat = Make<TComboBox>(this, gbEncoding, "ComboFormat");
    ComboFormat->SetStyle(TComboBoxStyle::csDropDownList);
    for (std::string_view item : FormatItems)
        ComboFormat->Items()->Add(std::string(item));
    lbConverter = Make<TLabel>(this, gbEncoding, "lbConverter");
    lbConverter->SetCaption("Path to LAME:");
    comboConverters = Make<TBvFilenameEdit>(this, gbEncoding, "comboConverters");
    comboConverters->SetFilter(std::string(kConverterDialogFilter));
    rbM4A_CBR = Make<TRadioButton>(this, gbEncoding, "rbM4A_CBR");
    rbM4A_CBR->SetCaption("Encode with CONSTANT bitrate: ");
    comboM4ABitrate = Make<TComboBox>(this, gbEncoding, "comboM4ABitrate");
    for (std::string_view item : BitrateItems)
        comboM4ABitrate->Items()->Add(std::string(item));
    Label10 = Make<TLabel>(this, gbEncoding, "Label10");
    Label10->SetCaption("kbps");
    rbM4A_VBR = Make<TRadioButton>(this, gbEncoding, "rbM4A_VBR");
    rbM4A_VBR->SetCaption("Encode with VARIABLE bitrate. Quality:");
    comboM4A_VBR_Quality = Make<TComboBox>(this, gbEncoding, "comboM4A_VBR_Quality");
    comboM4A_VBR_Quality->SetStyle(TComboBoxStyle::csDropDownList);
    for (std::string_view item : VbrQualityItems)
        comboM4A_VBR_Quality->Items()->Add(std::string(item));
    cbHighQualityM4a = Make<TCheckBox>(this, gbEncoding, "cbHighQualityM4a");
    cbHighQualityM4a->SetCaption("High quality m4a conversion (more CPU)");

    cbChangeExt = Make<TCheckBox>(this, this, "cbChangeExt");
    edChangeExt = Make<TEdit>(this, this, "edChangeExt");
    ComboConvParams = Make<TEdit>(this, this, "ComboConvParams");
    cb2Step = Make<TCheckBox>(this, this, "cb2Step");
    for (TControl* hidden :
         std::initializer_list<TControl*>{cbChangeExt, edChangeExt, ComboConvParams, cb2Step})
        hidden->SetVisible(false);

    Button1 = Make<TButton>(this, this, "Button1");
    Button1->SetCaption("OK");
    Button1->Default = true;

    // Tab goes down the dialog as the eye does.
    int order = 0;
    for (TWinControl* c : std::initializer_list<TWinControl*>{gbView,
                                                              cbShowPanel,
                                                              cbMultiLinePlaylist,
                                                              comboShowTracksAs,
                                                              cbInfoHints,
                                                              edHintShowAfter,
                                                              edHintHide,
                                                              comboLang,
                                                              gbMobile,
                                                              cbAutoDetect,
                                                              edTFTime,
                                                              cbOnlyRemovable,
                                                              cbAutoReadDB,
                                                              cbCheckSpace,
                                                              edUpload,
                                                              cbRNTO,
                                                              comboRNTO,
                                                              gbEncoding,
                                                              cbAutoEncode,
                                                              cbBitrate,
                                                              ComboFormat,
                                                              comboConverters,
                                                              rbM4A_CBR,
                                                              comboM4ABitrate,
                                                              rbM4A_VBR,
                                                              comboM4A_VBR_Quality,
                                                              cbHighQualityM4a,
                                                              Button1})
        c->TabOrder = order++;
    for (TWinControl* c : std::initializer_list<TWinControl*>{cbShowPanel,
                                                              cbMultiLinePlaylist,
                                                              comboShowTracksAs,
                                                              cbInfoHints,
                                                              edHintShowAfter,
                                                              edHintHide,
                                                              comboLang,
                                                              cbAutoDetect,
                                                              edTFTime,
                                                              cbOnlyRemovable,
                                                              cbAutoReadDB,
                                                              cbCheckSpace,
                                                              edUpload,
                                                              cbRNTO,
                                                              comboRNTO,
                                                              cbAutoEncode,
                                                              cbBitrate,
                                                              ComboFormat,
                                                              comboConverters,
                                                              rbM4A_CBR,
                                                              comboM4ABitrate,
                                                              rbM4A_VBR,
                                                              comboM4A_VBR_Quality,
                                                              cbHighQualityM4a,
                                                              Button1})
        c->TabStop = true;
    for (TEdit* e : {edHintShowAfter, edHintHide, edTFTime})
        e->MaxLength = 7;
}

namespace {

const TCheckBinding CheckBindings[] = {
    {&TForm2::cbShowPanel, &TOptions::cbShowPanel},
    {&TForm2::cbMultiLinePlaylist, &TOptions::cbMultiLinePlaylist},
    {&TForm2::cbInfoHints, &TOptions::cbInfoHints},
    {&TForm2::cbAutoDetect, &TOptions::cbAutoDetect},
    {&TForm2::cbOnlyRemovable, &TOptions::cbOnlyRemovable},
    {&TForm2::cbAutoReadDB, &TOptions::cbAutoReadDB},
    {&TForm2::cbCheckSpace, &TOptions::cbCheckSpace},
    {&TForm2::cbRNTO, &TOptions::cbRNTO},
    {&TForm2::cbAutoEncode, &TOptions::cbAutoEncode},
    {&TForm2::cbHighQualityM4a, &TOptions::cbHighQualityM4a},
    {&TForm2::cbChangeExt, &TOptions::cbChangeExt},
    {&TForm2::cb2Step, &TOptions::cb2Step},
};

std::vector<TTextBinding> TextBindings(const TForm2& f) {
    return {
        {f.comboShowTracksAs, &TOptions::comboShowTracksAs},
        {f.edHintShowAfter, &TOptions::edHintShowAfter},
        {f.edHintHide, &TOptions::edHintHide},
        {f.edTFTime, &TOptions::edTFTime},
        {f.edUpload, &TOptions::edUpload},
        {f.comboRNTO, &TOptions::comboRNTO},
        {f.cbBitrate, &TOptions::cbBitrate},
        {f.comboConverters, &TOptions::comboConverters},
        {f.comboM4ABitrate, &TOptions::comboM4ABitrate},
        {f.edChangeExt, &TOptions::edChangeExt},
        {f.ComboConvParams, &TOptions::ComboConvParams},
    };
}

bool IsNumberField(const TForm2& f, const TWinControl* c) {
    return c == f.edHintShowAfter || c == f.edHintHide || c == f.edTFTime || c == f.cbBitrate ||
           c == f.comboM4ABitrate;
}

void SetOnChange(TWinControl* control, TNotifyEvent handler) {
    if (auto* edit = dynamic_cast<TCustomEdit*>(control))
        edit->OnChange = std::move(handler);
    else if (auto* combo = dynamic_cast<TCustomComboBox*>(control))
        combo->OnChange = std::move(handler);
}

} // namespace

void TForm2::BindControls() {
    for (const TCheckBinding& b : CheckBindings) {
        TCheckBox* box = this->*b.Control;
        box->OnClick = [this, box, value = b.Value](TObject*) {
            if (syncing_)
                return;
            manager_.Options.*value = box->Checked();
            if (box == cbAutoDetect)
                cbAutoDetectClick();
        };
    }
    for (const TTextBinding& b : TextBindings(*this)) {
        TWinControl* control = b.Control;
        const bool number = IsNumberField(*this, control);
        SetOnChange(control, [this, control, number, value = b.Value](TObject*) {
            if (syncing_)
                return;
            if (number)
                KeepDigits(control);
            manager_.Options.*value = control->GetText();
        });
        if (number)
            control->OnKeyPress = [](TObject*, char16_t& key) {
                // Digits and the editing keys (Backspace, Ctrl+V and the like) only.
                if (key >= 32 && (key < '0' || key > '9'))
                    key = 0;
            };
    }
    ComboFormat->OnChange = [this](TObject*) { ComboFormatChange(); };
    comboM4A_VBR_Quality->OnChange = [this](TObject*) {
        if (!syncing_)
            manager_.Options.comboM4A_VBR_Quality = comboM4A_VBR_Quality->ItemIndex();
    };
    comboLang->OnChange = [this](TObject*) { comboLangChange(); };
    rbM4A_CBR->OnClick = [this](TObject*) {
        if (syncing_ || !rbM4A_CBR->Checked())
            return;
        manager_.Options.rbM4A_CBR = true;
        manager_.Options.rbM4A_VBR = false;
    };
    rbM4A_VBR->OnClick = [this](TObject*) { rbM4A_VBRClick(); };
    Button1->OnClick = [this](TObject*) { Button1Click(); };
}

void TForm2::KeepDigits(TWinControl* field) {
    const std::string text = field->GetText();
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    if (digits != text) {
        // Pasted text: what is no digit goes, so the field never shows what OK refuses.
        const auto syncing = SetForScope(syncing_, true);
        field->SetText(digits);
    }
}

void TForm2::OptionsToControls() {
    const TOptions& o = manager_.Options;
    const auto syncing = SetForScope(syncing_, true);
    for (const TCheckBinding& b : CheckBindings)
        (this->*b.Control)->SetChecked(o.*b.Value);
    for (const TTextBinding& b : TextBindings(*this))
        if (b.Control->GetText() != o.*b.Value)
            b.Control->SetText(o.*b.Value);
    ComboFormat->SetItemIndex(o.ComboFormat);
    comboM4A_VBR_Quality->SetItemIndex(o.comboM4A_VBR_Quality);
    if (comboLang->Items()->Items() != o.comboLangItems) {
        comboLang->Items()->BeginUpdate();
        comboLang->Items()->Clear();
        for (const std::string& item : o.comboLangItems)
            comboLang->Items()->Add(item);
        comboLang->Items()->EndUpdate();
    }
    comboLang->SetItemIndex(o.comboLang);
    rbM4A_CBR->SetChecked(o.rbM4A_CBR);
    rbM4A_VBR->SetChecked(o.rbM4A_VBR);
    cbOnlyRemovable->SetVisible(manager_.OnlyRemovableVisible);
}

void TForm2::LayoutControls() {
    DisableAlign();
    // The dialog is as wide as its longest row needs, but never wider than the screen it
    // opens on: then the rows are laid out again at the screen's width, and a caption that
    // does not fit wraps into lines (its row grows, the rows below move down).
    const TCustomForm* main = Application ? Application->MainForm() : nullptr;
    const TPoint middle =
        main ? TPoint{main->Left() + main->Width() / 2, main->Top() + main->Height() / 2}
             : TPoint{0, 0};
    const TRect area = Screen ? Screen->WorkAreaAt(middle) : Rect(0, 0, 1024, 768);
    const int widest = std::max(200, area.Width() - ScreenAllowance - 2 * Margin);
    if (LayoutRows(0) > widest)
        LayoutRows(widest);
    EnableAlign();
}

int TForm2::LayoutRows(int limit) {
    constexpr int Unlimited = 1 << 20;
    // The right edge a row's controls may reach; without a limit, any.
    const int fieldRight = limit ? limit - GroupPad : Unlimited;
    // How much taller than a row each row of a group has grown by a wrapped caption.
    std::map<const TWinControl*, std::vector<int>> taller;
    auto rowTop = [&](const TControl* c, int row) {
        int top = GroupTop + row * RowPitch;
        const std::vector<int>& grown = taller[c->Parent()];
        for (int r = 0; r < row && r < static_cast<int>(grown.size()); ++r)
            top += grown[static_cast<size_t>(r)];
        return top;
    };
    auto grow = [&](const TControl* c, int row, int height) {
        std::vector<int>& grown = taller[c->Parent()];
        if (static_cast<int>(grown.size()) <= row)
            grown.resize(static_cast<size_t>(row) + 1, 0);
        grown[static_cast<size_t>(row)] =
            std::max(grown[static_cast<size_t>(row)], height - ControlHeight);
    };
    // A control of a given height centred on the row's first line.
    auto place = [&](TControl* c, int x, int row, int width) {
        const int h = dynamic_cast<TLabel*>(c) ? c->Height() : ControlHeight;
        c->SetBounds(x, rowTop(c, row) + std::max(0, (ControlHeight - h) / 2), width, h);
        grow(c, row, h);
        return x + width;
    };
    // A check box or radio button; its caption wraps when it would pass maxWidth (by
    // default the row's end).
    auto box = [&](TButtonControl* c, int x, int row, int maxWidth = -1) {
        c->SetWordWrap(false);
        const int room = maxWidth < 0 ? fieldRight - x : maxWidth;
        if (!limit || BoxWidth(c) <= room)
            return place(c, x, row, BoxWidth(c));
        const int width = std::max(60, room);
        c->SetBounds(x, rowTop(c, row), width, ControlHeight);
        c->SetWordWrap(true);
        const int height = std::max(ControlHeight, c->CaptionHeight() + 6);
        c->SetBounds(x, rowTop(c, row), width, height);
        grow(c, row, height);
        return x + width;
    };
    // A label; likewise wrapped at maxWidth.
    auto label = [&](TLabel* l, int x, int row, int maxWidth = -1) {
        l->FitWidth(Unlimited);
        const int room = maxWidth < 0 ? fieldRight - x : maxWidth;
        if (!limit || LabelWidth(l) <= room)
            return place(l, x, row, LabelWidth(l));
        l->FitWidth(std::max(40, room));
        return place(l, x, row, l->Width());
    };
    // A caption's width as a column takes it: at most cap in a limited layout.
    auto upTo = [&](int width, int cap) {
        return limit ? std::min(width, std::max(40, cap)) : width;
    };
    // Each group's rows; the right edge each row needs, to size the dialog.
    int need = 0;
    auto needs = [&](int right) { need = std::max(need, right + GroupPad); };
    // The short units after a field ("msec", "kbps") keep at least this much room.
    constexpr int UnitRoom = 60;

    // View: the two captioned combos share their captions' column.
    const int viewCap = fieldRight - GroupPad - Gap - 180;
    const int viewColumn =
        GroupPad +
        std::max(upTo(LabelWidth(lbShowTracksAs), viewCap), upTo(LabelWidth(lbLanguage), viewCap)) +
        Gap;
    needs(box(cbShowPanel, GroupPad, 0));
    needs(box(cbMultiLinePlaylist, GroupPad, 1));
    label(lbShowTracksAs, GroupPad, 2, viewColumn - Gap - GroupPad);
    needs(viewColumn + 260);
    needs(box(cbInfoHints, GroupPad, 3));
    const int hintCap = fieldRight - GroupPad - Indent - Gap - NumberWidth - Gap - UnitRoom;
    const int hintColumn = GroupPad + Indent +
                           std::max(upTo(LabelWidth(lbHintShowAfter), hintCap),
                                    upTo(LabelWidth(lbHintHide), hintCap)) +
                           Gap;
    label(lbHintShowAfter, GroupPad + Indent, 4, hintColumn - Gap - GroupPad - Indent);
    place(edHintShowAfter, hintColumn, 4, NumberWidth);
    needs(label(lbHintShowMsec, hintColumn + NumberWidth + Gap, 4));
    label(lbHintHide, GroupPad + Indent, 5, hintColumn - Gap - GroupPad - Indent);
    place(edHintHide, hintColumn, 5, NumberWidth);
    needs(label(lbHintHideMsec, hintColumn + NumberWidth + Gap, 5));
    label(lbLanguage, GroupPad, 6, viewColumn - Gap - GroupPad);
    needs(viewColumn + 180);

    // Mobile: the upload folder and the rename template share their captions' column.
    const int detectRight =
        box(cbAutoDetect, GroupPad, 0,
            fieldRight - GroupPad - NumberWidth - Gap - upTo(LabelWidth(lbTFTimeMsec), UnitRoom));
    place(edTFTime, detectRight, 0, NumberWidth);
    needs(label(lbTFTimeMsec, detectRight + NumberWidth + Gap, 0));
    needs(box(cbOnlyRemovable, GroupPad + Indent, 1));
    needs(box(cbAutoReadDB, GroupPad, 2));
    needs(box(cbCheckSpace, GroupPad, 3));
    const int mobileCap = fieldRight - GroupPad - Gap - 200;
    const int mobileColumn =
        GroupPad +
        std::max(upTo(LabelWidth(lbUpload), mobileCap), upTo(BoxWidth(cbRNTO), mobileCap)) + Gap;
    label(lbUpload, GroupPad, 4, mobileColumn - Gap - GroupPad);
    needs(mobileColumn + 200);
    box(cbRNTO, GroupPad, 5, mobileColumn - Gap - GroupPad);
    needs(mobileColumn + 200);

    // Encoding: the captions of the format and the encoder share a column, and so do the
    // two radio buttons' lists.
    needs(box(cbAutoEncode, GroupPad, 0));
    const int limitRight = label(lbMaxBitrate, GroupPad + Indent, 1,
                                 fieldRight - GroupPad - Indent - Gap - 72 - Gap -
                                     upTo(LabelWidth(lbMaxBitrateKbps), UnitRoom)) +
                           Gap;
    place(cbBitrate, limitRight, 1, 72);
    needs(label(lbMaxBitrateKbps, limitRight + 72 + Gap, 1));
    const int encodeCap = fieldRight - GroupPad - Gap - 240;
    const int encodeColumn = GroupPad +
                             std::max(upTo(LabelWidth(lbEncodeTo), encodeCap),
                                      upTo(LabelWidth(lbConverter), encodeCap)) +
                             Gap;
    label(lbEncodeTo, GroupPad, 2, encodeColumn - Gap - GroupPad);
    needs(place(ComboFormat, encodeColumn, 2, 80));
    label(lbConverter, GroupPad, 3, encodeColumn - Gap - GroupPad);
    needs(encodeColumn + 240);
    const int radioCap =
        fieldRight - GroupPad - std::max(72 + Gap + upTo(LabelWidth(Label10), UnitRoom), 110);
    const int radioColumn = GroupPad + std::max(upTo(BoxWidth(rbM4A_CBR), radioCap),
                                                upTo(BoxWidth(rbM4A_VBR), radioCap));
    box(rbM4A_CBR, GroupPad, 4, radioColumn - GroupPad);
    place(comboM4ABitrate, radioColumn, 4, 72);
    needs(label(Label10, radioColumn + 72 + Gap, 4));
    box(rbM4A_VBR, GroupPad, 5, radioColumn - GroupPad);
    needs(place(comboM4A_VBR_Quality, radioColumn, 5, 110));
    needs(box(cbHighQualityM4a, GroupPad, 6));

    // Every group as wide as the widest needs (or the limit); the fields that fill a row
    // reach its end.
    const int groupWidth = limit ? limit : std::max(need, 420);
    const int rowEnd = groupWidth - GroupPad;
    place(comboShowTracksAs, viewColumn, 2, rowEnd - viewColumn);
    place(comboLang, viewColumn, 6, std::min(rowEnd - viewColumn, 220));
    place(edUpload, mobileColumn, 4, rowEnd - mobileColumn);
    place(comboRNTO, mobileColumn, 5, rowEnd - mobileColumn);
    place(comboConverters, encodeColumn, 3, rowEnd - encodeColumn);

    auto groupHeight = [&](const TWinControl* group, int rows) {
        int height = GroupTop + rows * RowPitch - (RowPitch - ControlHeight) + 10;
        for (int grown : taller[group])
            height += grown;
        return height;
    };
    int y = Margin;
    gbView->SetBounds(Margin, y, groupWidth, groupHeight(gbView, 7));
    y += gbView->Height() + Margin;
    gbMobile->SetBounds(Margin, y, groupWidth, groupHeight(gbMobile, 6));
    y += gbMobile->Height() + Margin;
    gbEncoding->SetBounds(Margin, y, groupWidth, groupHeight(gbEncoding, 7));
    y += gbEncoding->Height() + Margin;
    const int buttonWidth =
        std::min(groupWidth, std::max(75, TextWidthOf(Button1, Button1->Caption()) + 24));
    Button1->SetBounds(Margin + groupWidth - buttonWidth, y, buttonWidth, 25);
    SetClientWidth(groupWidth + 2 * Margin);
    SetClientHeight(y + 25 + Margin);
    return limit ? limit : need;
}

TWinControl* TForm2::FirstBadNumberField(std::string& message) const {
    const std::tuple<TWinControl*, std::string, TNumberRange> fields[] = {
        {edHintShowAfter, lbHintShowAfter->Caption(), HintDelayRange},
        {edHintHide, lbHintHide->Caption(), HintDelayRange},
        {edTFTime, cbAutoDetect->Caption(), DetectIntervalRange},
        {cbBitrate, lbMaxBitrate->Caption(), MaxBitrateRange},
        {comboM4ABitrate, rbM4A_CBR->Caption(), M4aBitrateRange},
    };
    for (const auto& [field, name, range] : fields) {
        const std::string text = Trim(field->GetText());
        int32_t value = 0;
        if (!AllDigits(text)) {
            message =
                Format("\"%s\" takes a whole number: please type digits only.", {FieldName(name)});
            return field;
        }
        // Digits alone, but a number the setting does not take: the message names the range.
        if (!TryStrToInt(text, value) || value < range.Min || value > range.Max) {
            message = Format("\"%s\" takes a whole number from %d to %d.",
                             {FieldName(name), range.Min, range.Max});
            return field;
        }
    }
    return nullptr;
}

bool TForm2::Execute() {
    return ShowModal() == mrOk;
}

void TForm2::FormShow() {
    OptionsToControls();
    LayoutControls();
}

void TForm2::Button1Click() {
    // Every number is checked before anything is applied: a half-applied dialog would
    // leave the main window and the settings file disagreeing.
    std::string message;
    if (TWinControl* bad = FirstBadNumberField(message)) {
        MessageDlg(message, TMsgDlgType::mtWarning, mbOK);
        if (bad->CanFocus())
            bad->SetFocus();
        return;
    }
    if (Modal()) {
        SetModalResult(mrOk);
        return;
    }
    manager_.OptionsOkClick();
    Close();
}

void TForm2::cbAutoDetectClick() {
    manager_.cbAutoDetectClick();
    cbOnlyRemovable->SetVisible(manager_.OnlyRemovableVisible);
}

void TForm2::ComboFormatChange() {
    if (syncing_)
        return;
    manager_.Options.ComboFormat = ComboFormat->ItemIndex();
    manager_.ComboFormatChange();
    const auto syncing = SetForScope(syncing_, true);
    cb2Step->SetChecked(manager_.Options.cb2Step);
}

void TForm2::comboLangChange() {
    if (syncing_)
        return;
    const int index = comboLang->ItemIndex();
    if (index < 0 || index == manager_.Options.comboLang)
        return;
    manager_.Options.comboLang = index;
    manager_.comboLangChange();
}

void TForm2::rbM4A_VBRClick() {
    if (syncing_ || !rbM4A_VBR->Checked())
        return;
    // The manager refuses VBR for MP3 with its message and keeps CBR; the buttons show
    // what it decided.
    manager_.rbM4A_VBRClick();
    const auto syncing = SetForScope(syncing_, true);
    rbM4A_CBR->SetChecked(manager_.Options.rbM4A_CBR);
    rbM4A_VBR->SetChecked(manager_.Options.rbM4A_VBR);
}
