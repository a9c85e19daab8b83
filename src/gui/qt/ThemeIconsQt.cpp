#include "ThemeIcons.h"

#include "Graphics.h"
#include "qt/QtBridge.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QStringList>

namespace {

QIcon ThemeIcon(const std::string& name) {
    // Offscreen and bare desktops name no theme with device pictures; Tango has them.
    // Their search paths may hold only Qt's resources: the desktop's data folders go after.
    static const bool themeChosen = [] {
        QStringList paths = QIcon::themeSearchPaths();
        QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
        if (dataDirs.isEmpty())
            dataDirs = QStringLiteral("/usr/local/share:/usr/share");
        for (const QString& dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
            const QString icons = dir + QStringLiteral("/icons");
            if (!paths.contains(icons))
                paths << icons;
        }
        QIcon::setThemeSearchPaths(paths);
        const QString theme = QIcon::themeName();
        if (theme.isEmpty() || theme == QLatin1String("hicolor"))
            QIcon::setThemeName(QStringLiteral("Tango"));
        return true;
    }();
    (void)themeChosen;
    return QIcon::fromTheme(ToQ(name));
}

} // namespace

namespace BvQt {
QIcon ThemeQIcon(const std::string& name) {
    return ThemeIcon(name);
}
} // namespace BvQt

bool HasThemeIcon(const std::string& name) {
    return !ThemeIcon(name).isNull();
}

void DrawThemeIcon(TCanvas& canvas, const std::string& name, int x, int y, int size) {
    QImage* target = canvas.Target();
    if (!target || size <= 0)
        return;
    const QIcon icon = ThemeIcon(name);
    if (icon.isNull())
        return;
    const int dx = x - canvas.WindowOrg().X + canvas.ViewportOrg().X;
    const int dy = y - canvas.WindowOrg().Y + canvas.ViewportOrg().Y;
    QPainter p(target);
    if (canvas.HasClip()) {
        const TRect c = canvas.ClipRect();
        p.setClipRect(c.Left - canvas.WindowOrg().X + canvas.ViewportOrg().X,
                      c.Top - canvas.WindowOrg().Y + canvas.ViewportOrg().Y, c.Width(), c.Height());
    }
    icon.paint(&p, dx, dy, size, size);
}
