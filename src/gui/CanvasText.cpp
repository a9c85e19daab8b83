// Text on the canvas: output, clipping to a cell, metrics and the formatted DrawText,
// drawn with Qt's text engine into the canvas's image. Positions and metrics are logical;
// Qt's painter follows the image's device pixel ratio, so glyphs are rendered at the
// device size and stay sharp on a screen of two device pixels per logical pixel.
#include "CanvasPixels.h"
#include "Graphics.h"
#include "qt/QtBridge.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <array>
#include <cmath>
#include <unordered_map>

namespace {
void PreparePainter(QPainter& p, const TCanvas& c, const QFont& font, TRect viewClip,
                    TPoint offset) {
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font);
    p.setClipRect(ToQ(viewClip));
    p.translate(offset.X, offset.Y);
    (void)c;
}
// The advances of the characters that are summed without the text engine (printable
// ASCII, and the Latin letters and signs of U+00A0 to U+017F, which draw one glyph each
// from the same font), kept per font for the fonts a program uses (a handful). The map's
// nodes stay where they are, so a table handed out stays valid.
constexpr char32_t QuickFirst = 0x20;
constexpr char32_t QuickLast = 0x17F;
struct TQuickMetrics {
    std::array<double, QuickLast - QuickFirst + 1> Advances{};
    // The height of one line of text as the wrapping layout gives it.
    int LineHeight = 0;
};
const TQuickMetrics& QuickMetrics(const TFont& from) {
    static std::unordered_map<std::string, TQuickMetrics> cache;
    // Keyed by what the Qt font is made from: making the Qt font and its key for every line
    // of a long list cost more than measuring the line.
    std::string key = from.Name();
    key += '\n';
    key += std::to_string(from.Height());
    key += '/';
    key += std::to_string(static_cast<int>(from.Style()));
    key += '/';
    key += std::to_string(static_cast<int>(from.Pitch()));
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    const QFont font = from.ToQFont();
    QFontMetricsF fm(font);
    TQuickMetrics metrics;
    for (char32_t c = QuickFirst; c <= QuickLast; ++c)
        metrics.Advances[c - QuickFirst] = fm.horizontalAdvance(QChar(static_cast<char16_t>(c)));
    metrics.LineHeight =
        QFontMetrics(font)
            .boundingRect(QRect(0, 0, 100000, 100000),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, QStringLiteral("X"))
            .height();
    return cache.emplace(key, metrics).first->second;
}

// The summed width of a text of the quick characters, or -1 for any other text. The
// control characters (a line break among them), U+007F to U+009F and the soft hyphen,
// which draws only at a break, go to the text engine.
int QuickLineWidth(const double* advances, const std::string& text) {
    double width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        char32_t code = c;
        if (c >= 0x80) {
            if (c < 0xC2 || c > 0xC5 || i + 1 >= text.size())
                return -1;
            const auto next = static_cast<unsigned char>(text[++i]);
            if ((next & 0xC0) != 0x80)
                return -1;
            code = (static_cast<char32_t>(c & 0x1F) << 6) | (next & 0x3F);
            if (code < 0xA0 || code == 0xAD)
                return -1;
        } else if (c < 0x20 || c == 0x7F) {
            return -1;
        }
        width += advances[code - QuickFirst];
    }
    return static_cast<int>(std::ceil(width));
}
} // namespace

void TCanvas::TextOut(int x, int y, const std::string& text) {
    if (!target_)
        return;
    QFont f = font_->ToQFont();
    QFontMetrics fm(f);
    QString s = ToQ(text);
    int w = fm.horizontalAdvance(s);
    TPoint o = ToView(0, 0);
    {
        QPainter p(target_);
        PreparePainter(p, *this, f, ViewClip(), o);
        if (bkMode_ == OPAQUE)
            p.fillRect(QRect(x, y, w, fm.height()), QColor(ToQColor(bkColor_)));
        QColor tc = ToQColor(textColor_);
        if (monochrome_)
            tc = IsWhiteForMono(RgbToPixel(textColor_)) ? Qt::white : Qt::black;
        p.setPen(tc);
        p.drawText(x, y + fm.ascent(), s);
    }
    penPos_ = {x + w, y};
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
    SaveDC();
    IntersectClip(r);
    if (brush_->Style() != TBrushStyle::bsClear)
        FillRect(r);
    int oldMode = SetBkModeDC(TRANSPARENT);
    TextOut(x, y, text);
    SetBkModeDC(oldMode);
    RestoreDC(-1);
}

int TCanvas::TextWidth(const std::string& text) {
    return TextExtent(text).X;
}
int TCanvas::LineWidth(const std::string& text) {
    return TLineWidths(*this)(text);
}

TLineWidths::TLineWidths(TCanvas& canvas) : canvas_(canvas) {
    const TQuickMetrics& metrics = QuickMetrics(*canvas.Font());
    advances_ = metrics.Advances.data();
    lineHeight_ = metrics.LineHeight;
}

int TLineWidths::QuickWidth(const std::string& text) const {
    return QuickLineWidth(advances_, text);
}

int TLineWidths::operator()(const std::string& text) const {
    const int quick = QuickLineWidth(advances_, text);
    if (quick >= 0)
        return quick;
    TRect r{0, 0, 100000, 1};
    canvas_.DrawTextW(text, r, DT_CALCRECT | DT_NOPREFIX);
    return r.Right - r.Left;
}

int TCanvas::TextHeight(const std::string& text) {
    return TextExtent(text).Y;
}
TPoint TCanvas::TextExtent(const std::string& text) {
    QFontMetrics fm(font_->ToQFont());
    return {fm.horizontalAdvance(ToQ(text)), fm.height()};
}

TTextMetric TCanvas::TextMetrics() {
    QFontMetrics fm(font_->ToQFont());
    TTextMetric tm;
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmHeight = fm.height();
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmInternalLeading = std::max(0, fm.height() - std::abs(font_->Height()));
    tm.tmAveCharWidth = fm.averageCharWidth();
    tm.tmMaxCharWidth = fm.maxWidth();
    return tm;
}

int TCanvas::DrawTextW(const std::string& text, TRect& r, uint32_t flags) {
    QFont f = font_->ToQFont();
    QFontMetrics fm(f);
    QString s = ToQ(text);
    int qflags = 0;
    if (flags & DT_CENTER)
        qflags |= Qt::AlignHCenter;
    else if (flags & DT_RIGHT)
        qflags |= Qt::AlignRight;
    else
        qflags |= Qt::AlignLeft;
    if (flags & DT_SINGLELINE) {
        qflags |= Qt::TextSingleLine;
        if (flags & DT_VCENTER)
            qflags |= Qt::AlignVCenter;
        else if (flags & DT_BOTTOM)
            qflags |= Qt::AlignBottom;
        else
            qflags |= Qt::AlignTop;
    } else {
        qflags |= Qt::AlignTop;
    }
    if (flags & DT_WORDBREAK)
        qflags |= Qt::TextWordWrap;
    if (flags & DT_EXPANDTABS)
        qflags |= Qt::TextExpandTabs;
    if (flags & DT_HIDEPREFIX)
        qflags |= Qt::TextHideMnemonic;
    else if (!(flags & DT_NOPREFIX))
        qflags |= Qt::TextShowMnemonic;
    if (flags & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        Qt::TextElideMode mode = (flags & DT_PATH_ELLIPSIS) ? Qt::ElideMiddle : Qt::ElideRight;
        s = fm.elidedText(s, mode, std::max(0, r.Width()), qflags);
    }
    QRect bound = fm.boundingRect(
        QRect(r.Left, r.Top, (flags & DT_WORDBREAK) ? std::max(1, r.Width()) : 100000, 100000),
        qflags & ~(Qt::AlignHCenter | Qt::AlignRight | Qt::AlignVCenter | Qt::AlignBottom), s);
    int height = s.isEmpty() ? fm.height() : bound.height();
    if (flags & DT_CALCRECT) {
        if (!(flags & DT_WORDBREAK) || bound.width() > r.Width())
            r.Right = r.Left + bound.width();
        r.Bottom = r.Top + height;
        return height;
    }
    if (!target_)
        return height;
    TPoint o = ToView(0, 0);
    QPainter p(target_);
    TRect clip = ViewClip();
    if (!(flags & DT_NOCLIP)) {
        TRect dr = r;
        OffsetRect(dr, o.X, o.Y);
        IntersectRect(clip, clip, dr);
    }
    PreparePainter(p, *this, f, clip, o);
    QRect target = ToQ(r);
    if (bkMode_ == OPAQUE) {
        QRect filled = fm.boundingRect(target, qflags, s);
        p.fillRect(filled, ToQColor(bkColor_));
    }
    QColor tc = ToQColor(textColor_);
    if (monochrome_)
        tc = IsWhiteForMono(RgbToPixel(textColor_)) ? Qt::white : Qt::black;
    p.setPen(tc);
    p.drawText(target, qflags, s);
    Changed();
    return height;
}

int DrawText(HDC dc, const std::string& text, int len, TRect* r, uint32_t flags) {
    if (!dc || !r)
        return 0;
    std::string t = (len < 0 || static_cast<size_t>(len) >= text.size())
                        ? text
                        : text.substr(0, static_cast<size_t>(len));
    return dc->DrawTextW(t, *r, flags);
}
bool GetTextMetrics(HDC dc, TTextMetric* tm) {
    if (!dc || !tm)
        return false;
    *tm = dc->TextMetrics();
    return true;
}
