#include "UnitAbout.h"

#include "BvCreateProcess.h"
#include "Dialogs.h"
#include "ThemeIcons.h"

#include <algorithm>

TAboutBox* AboutBox = nullptr;

// ---------------------------------------------------------------- the opener

namespace {

// Starts xdg-open on the address through the runtime's process launcher: from an argument
// vector (the address never meets a shell), with nothing of it on our console, and reaped
// when it ends; the browser may run long after the box is gone. False when it could not be
// started.
bool RunDesktopOpener(const std::string& url) {
    TBvCreateProcess opener;
    opener.Arguments = {"xdg-open", url};
    opener.CreationFlags = {TBvCPSFlag::cfDetached};
    opener.SetWaitForTerminate(false);
    try {
        opener.Run();
    } catch (const Exception&) {
        return false;
    }
    return true;
}

TUrlOpener& Opener() {
    static TUrlOpener opener;
    return opener;
}

} // namespace

void SetUrlOpener(TUrlOpener opener) {
    Opener() = std::move(opener);
}

void OpenUrl(const std::string& url) {
    if (Opener()) {
        Opener()(url);
        return;
    }
    if (!RunDesktopOpener(url))
        MessageDlg(Format("The page %s could not be opened: the desktop's opener (xdg-open) "
                          "could not be started.",
                          {url}),
                   TMsgDlgType::mtWarning, mbOK);
}

// ---------------------------------------------------------------- the program's picture

class TAboutIcon : public TGraphicControl {
    BV_CLASS_INFO()
public:
    explicit TAboutIcon(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 48, 48); }

protected:
    void Paint() override {
        DrawThemeIcon(*Canvas(), "multimedia-player", 0, 0, std::min(Width(), Height()));
    }
};

const TClassInfo& TAboutIcon::StaticClassInfo() {
    static const TClassInfo info("TAboutIcon", &TGraphicControl::StaticClassInfo(), {},
                                 "UnitAbout");
    return info;
}

// ---------------------------------------------------------------- the box

namespace {

constexpr int Margin = 12;
constexpr int TextLeft = Margin + 48 + 16; // right of the picture
// Room left for the frame the window system draws around the box.
constexpr int ScreenAllowance = 16;

// The credits, one line each; the role lines and the forum line get a link beside them.
constexpr const char* CreditLines[] = {"Developers:",
                                       "   Code:",
                                       "   Interface:",
                                       "   Testing:",
                                       "",
                                       "Tested on Motorola E398=>E1 ROKR phone.",
                                       "",
                                       "Forum topic: "};
constexpr int RoleLine1 = 1;
constexpr int ForumLine = 7;

std::string CreditsText() {
    std::string text;
    for (const char* line : CreditLines) {
        if (!text.empty())
            text += "\r\n";
        text += line;
    }
    return text;
}

TLabel* MakeLink(TAboutBox* box, const char* name, const char* caption) {
    auto* link = new TLabel(box);
    link->SetName(name);
    link->SetParent(box);
    link->SetCaption(caption);
    link->SetCursor(crHandPoint);
    link->Font()->SetColor(clBlue);
    link->Font()->SetStyle(fsUnderline);
    link->SetParentFont(false);
    return link;
}

} // namespace

const TClassInfo& TAboutBox::StaticClassInfo() {
    static const TClassInfo info("TAboutBox", &TForm::StaticClassInfo(), {}, "UnitAbout");
    return info;
}

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner) {
    SetName("AboutBox");
    SetCaption("About");
    BorderStyle = TFormBorderStyle::bsDialog;
    SetPosition(TPosition::poMainFormCenter);

    ProgramIcon = new TAboutIcon(this);
    ProgramIcon->SetName("ProgramIcon");
    ProgramIcon->SetParent(this);
    ProductName = new TLabel(this);
    ProductName->SetName("ProductName");
    ProductName->SetParent(this);
    ProductName->SetCaption("Brisvane");
    Version = new TLabel(this);
    Version->SetName("Version");
    Version->SetParent(this);
    Version->SetCaption("Version: 0.7.9 beta");
    Credits = new TLabel(this);
    Credits->SetName("Credits");
    Credits->SetParent(this);
    Credits->SetCaption(CreditsText());
    Label1 = MakeLink(this, "Label1", "Developer");
    Label2 = MakeLink(this, "Label2", "Designer");
    Label3 = MakeLink(this, "Label3", "Tester");
    Label4 = MakeLink(this, "Label4", AboutLinks::ForumTopic);
    Label1->OnClick = [this](TObject*) { Label1Click(); };
    Label2->OnClick = [this](TObject*) { Label2Click(); };
    Label3->OnClick = [this](TObject*) { Label3Click(); };
    // The forum label opens the page it shows.
    Label4->OnClick = [this](TObject*) { Label4Click(); };
    OKButton = new TButton(this);
    OKButton->SetName("OKButton");
    OKButton->SetParent(this);
    OKButton->SetCaption("OK");
    OKButton->Default = true;
    // Escape closes the box as well as Enter: it only shows things.
    OKButton->Cancel = true;
    OKButton->ModalResult = mrOk;
    OKButton->TabStop = true;
    OnShow = [this](TObject*) { LayoutControls(); };
    LayoutControls();
}

TAboutBox::~TAboutBox() {
    if (AboutBox == this)
        AboutBox = nullptr;
    Destroying();
}

void TAboutBox::LayoutControls() {
    // The name stands out; the labels follow the form's font otherwise.
    ProductName->SetParentFont(false);
    ProductName->Font()->Assign(*Font());
    ProductName->Font()->SetHeight(Font()->Height() * 3 / 2);
    ProductName->Font()->SetStyle(fsBold);
    for (TLabel* link : {Label1, Label2, Label3, Label4}) {
        link->Font()->SetName(Font()->Name());
        link->Font()->SetHeight(Font()->Height());
    }
    ProgramIcon->SetBounds(Margin, Margin, 48, 48);
    // The box never grows wider than the screen it opens on: a longer text wraps.
    const TCustomForm* main = Application ? Application->MainForm() : nullptr;
    const TPoint middle =
        main ? TPoint{main->Left() + main->Width() / 2, main->Top() + main->Height() / 2}
             : TPoint{0, 0};
    const TRect area = Screen ? Screen->WorkAreaAt(middle) : Rect(0, 0, 1024, 768);
    const int maxRight = std::max(TextLeft + 100, area.Width() - ScreenAllowance - Margin - 4);
    for (TLabel* text : {ProductName, Version, Credits})
        text->FitWidth(maxRight - TextLeft);
    ProductName->SetBounds(TextLeft, Margin, ProductName->Width(), ProductName->Height());
    Version->SetBounds(TextLeft, ProductName->Top() + ProductName->Height() + 4, Version->Width(),
                       Version->Height());
    const int creditsTop = std::max(Version->Top() + Version->Height() + 14, Margin + 48 + 8);
    Credits->SetBounds(TextLeft, creditsTop, Credits->Width(), Credits->Height());

    // The links stand beside their lines, in one column after the longest of those lines, as
    // the credits' text shows them. Credits of another shape (a translation with other lines,
    // or one so long that it wraps) get the links in a column of their own below them.
    TCanvas canvas;
    canvas.SetFont(*Credits->Font());
    const int lineHeight = canvas.TextExtent("Ag").Y;
    TStringList shown;
    shown.SetText(Credits->Caption());
    const bool beside = !Credits->WordWrap && shown.Count() > ForumLine;
    int column = 0;
    if (beside)
        for (int line : {RoleLine1, RoleLine1 + 1, RoleLine1 + 2, ForumLine})
            column = std::max(column, canvas.TextWidth(shown[line]));
    const int linkLeft = beside ? TextLeft + column + 6 : TextLeft;
    int right = Credits->Left() + Credits->Width();
    int bottom = Credits->Top() + Credits->Height();
    const std::pair<TLabel*, int> links[] = {
        {Label1, RoleLine1}, {Label2, RoleLine1 + 1}, {Label3, RoleLine1 + 2}, {Label4, ForumLine}};
    int below = bottom + 6;
    for (const auto& [link, line] : links) {
        // A link keeps its one line; what does not fit is cut at the box's edge.
        link->SetAutoSize(true);
        const int width = std::min(link->Width(), std::max(20, maxRight - linkLeft));
        if (width < link->Width())
            link->SetAutoSize(false);
        const int top = beside ? creditsTop + line * lineHeight : below;
        link->SetBounds(linkLeft, top, width, link->Height());
        below = top + link->Height() + 2;
        right = std::max(right, link->Left() + link->Width());
        bottom = std::max(bottom, link->Top() + link->Height());
    }
    right = std::max(
        {right, ProductName->Left() + ProductName->Width(), Version->Left() + Version->Width()});
    const int width = right + Margin + 4;
    const int buttonTop = bottom + 14;
    OKButton->SetBounds((width - 75) / 2, buttonTop, 75, 25);
    SetClientWidth(width);
    SetClientHeight(buttonTop + 25 + Margin);
}

void TAboutBox::Execute() {
    ShowModal();
}

void TAboutBox::Label1Click() {
    OpenUrl(AboutLinks::Person1);
}

void TAboutBox::Label2Click() {
    OpenUrl(AboutLinks::Person2);
}

void TAboutBox::Label3Click() {
    OpenUrl(AboutLinks::Person3);
}

void TAboutBox::Label4Click() {
    OpenUrl(AboutLinks::ForumTopic);
}
