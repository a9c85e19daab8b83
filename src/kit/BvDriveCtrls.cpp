#include "BvDriveCtrls.h"

#include "DriveWatch.h"
#include "Drives.h"
#include "Forms.h"
#include "ThemeIcons.h"

#include <algorithm>

namespace {

// The drive type of a table entry as the selector's type set counts it; a drive
// whose folder is gone matches no type.
bool TypeListed(unsigned driveType, TBvDriveTypes types) {
    int bit = -1;
    switch (driveType) {
    case DRIVE_UNKNOWN:
        bit = static_cast<int>(TBvDriveType::dtUnknown);
        break;
    case DRIVE_REMOVABLE:
        bit = static_cast<int>(TBvDriveType::dtRemovable);
        break;
    case DRIVE_FIXED:
        bit = static_cast<int>(TBvDriveType::dtFixed);
        break;
    case DRIVE_REMOTE:
        bit = static_cast<int>(TBvDriveType::dtRemote);
        break;
    case DRIVE_CDROM:
        bit = static_cast<int>(TBvDriveType::dtCDROM);
        break;
    case DRIVE_RAMDISK:
        bit = static_cast<int>(TBvDriveType::dtRamDisk);
        break;
    default:
        return false;
    }
    return (types >> bit) & 1u;
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

const TClassInfo& TBvDriveCombo::StaticClassInfo() {
    static const TClassInfo info("TBvDriveCombo", &TBvCustomComboBox::StaticClassInfo(), {},
                                 "BvDriveCtrls");
    return info;
}

TBvDriveCombo::TBvDriveCombo(TComponent* owner) : TBvCustomComboBox(owner) {
    smallIcon_ = std::max(16, GetSystemMetrics(SM_CXSMICON));
    largeIcon_ = std::max(32, GetSystemMetrics(SM_CXICON));
    driveTypes_ =
        DriveTypeSet(TBvDriveType::dtFixed, TBvDriveType::dtRemote, TBvDriveType::dtCDROM);
    SetColor(clWindow);
    SetStyle(TComboBoxStyle::csOwnerDrawFixed);
    ResetItemHeight();
    // Volumes that come and go while the program runs rebuild every selector.
    StartDriveWatch();
    changeHandler_ = AddDriveChangeHandler([this] { RefreshDrives(); });
}

TBvDriveCombo::~TBvDriveCombo() {
    RemoveDriveChangeHandler(changeHandler_);
}

int TBvDriveCombo::ImageWidth() const {
    return imageSize_ == TBvImageSize::isLarge ? largeIcon_ : smallIcon_;
}

void TBvDriveCombo::ResetItemHeight() {
    TCanvas c;
    c.SetFont(*Font());
    SetItemHeight(std::max(c.TextHeight("Wg"), ImageWidth()));
}

int TBvDriveCombo::LineOf(char letter) const {
    auto it = std::find(letters_.begin(), letters_.end(), UpperAscii(letter));
    return it == letters_.end() ? -1 : static_cast<int>(it - letters_.begin());
}

int TBvDriveCombo::ChosenLine() const {
    const int line = drive_ ? LineOf(drive_) : -1;
    return line >= 0 && roots_[static_cast<size_t>(line)] == driveRoot_ ? line : -1;
}

void TBvDriveCombo::Choose(int line) {
    lineIndex_ = line;
    drive_ = letters_[static_cast<size_t>(line)];
    driveRoot_ = roots_[static_cast<size_t>(line)];
}

char TBvDriveCombo::Drive() const {
    return ChosenLine() >= 0 ? drive_ : 0;
}

std::string TBvDriveCombo::DriveDisplayName(char letter, const std::string& root) {
    std::string name;
    if (root == "/") {
        name = "System";
    } else {
        size_t slash = root.find_last_of('/');
        name = slash == std::string::npos ? root : root.substr(slash + 1);
    }
    return name + " (" + std::string(1, letter) + ":)";
}

std::string TBvDriveCombo::DriveIconName(unsigned driveType) {
    switch (driveType) {
    case DRIVE_REMOVABLE:
        return "drive-removable-media";
    case DRIVE_CDROM:
        return "media-optical";
    case DRIVE_REMOTE:
        return "network-server";
    default:
        return "drive-harddisk";
    }
}

void TBvDriveCombo::BuildList() {
    Items()->BeginUpdate();
    Items()->Clear();
    letters_.clear();
    types_.clear();
    roots_.clear();
    for (const TDriveEntry& d : GetDriveTable()) {
        const std::string root = std::string(1, d.Letter) + ":\\";
        const unsigned type = GetDriveType(root);
        if (!TypeListed(type, driveTypes_))
            continue;
        Items()->Add(DriveDisplayName(d.Letter, d.Root));
        letters_.push_back(d.Letter);
        types_.push_back(type);
        roots_.push_back(d.Root);
    }
    Items()->EndUpdate();
    // The remembered drive is shown when its volume is still listed; when it is not,
    // no line is: a line past the end, or another volume's, would pass for the phone
    // drive and have an update write to it.
    const int line = ChosenLine();
    if (line >= 0)
        lineIndex_ = line;
    SetItemIndex(line);
    Invalidate();
}

void TBvDriveCombo::RefreshDrives() {
    const char before = Drive();
    BuildList();
    // A volume that came or went changed the drive shown: the owner hears of it as of a
    // choice, so whatever follows the selector never names a drive that is not shown.
    if (Drive() != before)
        Change();
}

bool TBvDriveCombo::SetDrive(char letter) {
    letter = UpperAscii(letter);
    int line = LineOf(letter);
    if (line < 0 && letter >= 'A' && letter <= 'Z') {
        // The volume may have arrived before the mount table's change reached us.
        RefreshDriveTable();
        BuildList();
        line = LineOf(letter);
    }
    if (line < 0)
        return false;
    const bool changed = ChosenLine() != line || ItemIndex() != line;
    Choose(line);
    SetItemIndex(line);
    if (changed)
        Change();
    return true;
}

void TBvDriveCombo::SetDriveTypes(TBvDriveTypes types) {
    driveTypes_ = types ? types : DriveTypeBit(TBvDriveType::dtFixed);
    BuildList();
    Change();
}

void TBvDriveCombo::SetOffset(int offset) {
    if (offset == offset_)
        return;
    offset_ = offset;
    RefreshDrives();
}

void TBvDriveCombo::SetImageSize(TBvImageSize size) {
    if (size == imageSize_)
        return;
    imageSize_ = size;
    ResetItemHeight();
    BuildList();
    Change();
}

std::string TBvDriveCombo::DisplayName() const {
    const int i = ItemIndex();
    return i >= 0 && i < Items()->Count() ? Items()->Get(i) : std::string();
}

void TBvDriveCombo::CreateWnd() {
    TBvCustomComboBox::CreateWnd();
    BuildList();
    if (drive_)
        return;
    // The first choice is never the system drive: a phone drive of "C:" taken
    // without the user's word would have the update write over the system.
    for (char letter : letters_) {
        for (const TDriveEntry& d : GetDriveTable())
            if (d.Letter == letter && d.Root != "/") {
                SetDrive(letter);
                return;
            }
    }
}

void TBvDriveCombo::Change() {
    const int i = ItemIndex();
    if (i >= 0 && i < static_cast<int>(letters_.size()))
        Choose(i);
    TBvCustomComboBox::Change();
}

void TBvDriveCombo::FontChanged() {
    TBvCustomComboBox::FontChanged();
    ResetItemHeight();
    RecreateWnd();
}

void TBvDriveCombo::MeasureItem(int, int& height) {
    height = ItemHeight();
}

void TBvDriveCombo::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    TCanvas* c = Canvas();
    if (!c)
        return;
    if (index < 0 || index >= Items()->Count()) {
        c->FillRect(rect);
        return;
    }
    // The line's background is the window's; the highlight lies behind the text only.
    const TColor brush = c->Brush()->Color();
    c->Brush()->SetColor(Color());
    c->FillRect(rect);
    c->Brush()->SetColor(brush);
    TRect r = rect;
    const std::string& text = Items()->Get(index);
    const int size = ImageWidth();
    DrawThemeIcon(*c, DriveIconName(types_[static_cast<size_t>(index)]), r.Left + offset_,
                  r.Top + (r.Height() - size) / 2, size);
    r.Left += size + 2 * offset_;
    r.Right = std::min(rect.Right, c->TextWidth(text) + r.Left + 6);
    c->FillRect(r);
    if (state & 1) // odSelected
        c->DrawFocusRect(r);
    r.Left += 3;
    c->DrawTextW(text, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
