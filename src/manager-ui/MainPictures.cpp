// Pictures of the main window, from the Tango icon theme (public domain) where the desktop
// has it installed, or drawn anew.
#include "MainPictures.h"
#include "Main.h"

#include "BvMenuItemPainters.h"
#include "Graphics.h"

#include <QImage>
#include <QPainter>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

struct TPictureFile {
    const char* Context;
    const char* Name;
};

// In the order of TMainPicture.
constexpr std::array<TPictureFile, picCount> kPictureFiles = {{
    {"actions", "document-open"},     // picAddFiles
    {"places", "folder"},             // picAddFolder
    {"actions", "list-remove"},       // picRemove
    {"actions", "go-up"},             // picUp
    {"actions", "go-down"},           // picDown
    {"actions", "system-search"},     // picScan
    {"devices", "multimedia-player"}, // picUpdate
    {"categories", "preferences-system"},
    {"actions", "system-log-out"},        // picExit
    {"apps", "help-browser"},             // picAbout
    {"devices", "drive-removable-media"}, // picReadDB
    {"actions", "edit-delete"},           // picDelete
    {"actions", "document-new"},          // picNew
    {"apps", "accessories-text-editor"},  // picRename
    {"actions", "edit-clear"},            // picClear
    {"actions", "view-refresh"},          // picRefresh
    {"actions", "edit-select-all"},       // picSelectAll
    {"status", "dialog-warning"},         // picDeadFiles
    {"actions", "edit-copy"},             // picCopy
    {"actions", "edit-undo"},             // picRestore
    {"actions", "edit-undo"},             // picReset
    {"actions", "process-stop"},          // picStop
    {"actions", "go-next"},               // picNext
    {"actions", "edit-find"},             // picFind
    {"mimetypes", "audio-x-generic"},     // picPlaylist
    {"mimetypes", "audio-x-generic"},     // picTrack
    {"actions", "document-open"},         // picOpen
    {"actions", "document-save"},         // picSave
}};

std::vector<std::string> IconFolders() {
    std::vector<std::string> folders;
    if (const char* home = std::getenv("XDG_DATA_HOME"); home && *home)
        folders.push_back(std::string(home) + "/icons/Tango");
    else if (const char* h = std::getenv("HOME"); h && *h)
        folders.push_back(std::string(h) + "/.local/share/icons/Tango");
    std::string dirs = "/usr/local/share:/usr/share";
    if (const char* d = std::getenv("XDG_DATA_DIRS"); d && *d)
        dirs = d;
    std::stringstream list(dirs);
    for (std::string dir; std::getline(list, dir, ':');)
        if (!dir.empty())
            folders.push_back(dir + "/icons/Tango");
    // The theme's own folder, should the desktop's data folders leave it out.
    folders.push_back("/usr/share/icons/Tango");
    return folders;
}

// A plain sign for a missing picture: a rounded square in a colour of its own.
void DrawSign(QPainter& p, int index, int size) {
    static const QColor colours[] = {QColor(52, 101, 164), QColor(78, 154, 6), QColor(204, 0, 0),
                                     QColor(117, 80, 123), QColor(196, 160, 0)};
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colours[index % 5]);
    const qreal m = size / 6.0;
    p.drawRoundedRect(QRectF(m, m, size - 2 * m, size - 2 * m), m, m);
}

} // namespace

std::string TangoPicturePath(TMainPicture picture, int size) {
    const TPictureFile& f = kPictureFiles[static_cast<size_t>(picture)];
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal plus a temporary.
    std::string tail = "/";
    tail += std::to_string(size);
    tail += 'x';
    tail += std::to_string(size);
    tail += '/';
    tail += f.Context;
    tail += '/';
    tail += f.Name;
    tail += ".png";
    for (const std::string& folder : IconFolders()) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(folder + tail, ec))
            return folder + tail;
    }
    return {};
}

void FillPictureList(TCustomImageList* list, int size, unsigned faceColor) {
    // The list keeps a one-bit mask: pixels mostly see-through are left out, the others are
    // laid over the button face the pictures are drawn on, so no edge shows a fringe.
    constexpr TColor kMaskColour = 0xFF00FF;
    const QColor face(GetRValue(faceColor), GetGValue(faceColor), GetBValue(faceColor));
    for (int i = 0; i < picCount; ++i) {
        QImage icon;
        const std::string path = TangoPicturePath(static_cast<TMainPicture>(i), size);
        if (!path.empty())
            icon.load(QString::fromStdString(path));
        if (icon.isNull() || icon.width() != size) {
            QImage drawn(size, size, QImage::Format_ARGB32);
            drawn.fill(Qt::transparent);
            QPainter p(&drawn);
            if (!icon.isNull())
                p.drawImage(QRect(0, 0, size, size), icon);
            else
                DrawSign(p, i, size);
            icon = drawn;
        }
        icon = icon.convertToFormat(QImage::Format_ARGB32);
        TBitmap picture(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QColor c = QColor::fromRgba(icon.pixel(x, y));
                if (c.alpha() < 100) {
                    picture.SetPixel(x, y, kMaskColour);
                    continue;
                }
                const double a = c.alphaF();
                auto mix = [a](int over, int under) {
                    return static_cast<int>(over * a + under * (1 - a) + 0.5);
                };
                picture.SetPixel(x, y,
                                 RGB(mix(c.red(), face.red()), mix(c.green(), face.green()),
                                     mix(c.blue(), face.blue())));
            }
        list->AddMasked(&picture, kMaskColour);
    }
}

void TForm1::LoadPictures() {
    const unsigned face = static_cast<unsigned>(ColorToRGB(clBtnFace));
    FillPictureList(ImageListMenu, ImageListMenu->Width(), face);
    FillPictureList(ImageListBar, ImageListBar->Width(), face);
    FillPictureList(ImageListButtons, ImageListButtons->Width(), face);
    // The selected item of a drawn menu sits on the selection band: its picture's soft edges
    // are blended with the band's colour, so no button-face fringe shows there.
    TBvXPMenuItemPainter band(nullptr);
    FillPictureList(ToolbarImages, ToolbarImages->Width(),
                    static_cast<unsigned>(ColorToRGB(band.SelectionFrameBrush()->Color())));
}
