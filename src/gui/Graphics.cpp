#include "Graphics.h"

#include "qt/QtBridge.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <set>

namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFF;

TColor kSysColors[COLOR_ENDCOLORS + 1] = {
    RGB(212, 208, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128),
    RGB(212, 208, 200), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),
    RGB(255, 255, 225), RGB(181, 181, 181), RGB(0, 0, 128),     RGB(166, 202, 240),
    RGB(192, 192, 192), RGB(49, 106, 197),  RGB(212, 208, 200)};

bool IsWhiteForMono(uint32_t rgb) {
    int sum = static_cast<int>(((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF));
    return sum >= 384;
}

// The truth-table index of a raster operation: pattern weighs 4, source 2, destination 1.
uint32_t Minterms(uint32_t table, int inputs, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t result = 0;
    for (int idx = 0; idx < (1 << inputs); ++idx) {
        if (!((table >> idx) & 1))
            continue;
        uint32_t term = kRgbMask;
        if (inputs == 3)
            term &= (idx & 4) ? p : ~p;
        term &= (idx & 2) ? s : ~s;
        term &= (idx & 1) ? d : ~d;
        result |= term;
    }
    return result & kRgbMask;
}

const int kDash[] = {18, 6};
const int kDot[] = {3, 3};
const int kDashDot[] = {9, 6, 3, 6};
const int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

bool DashOn(TPenStyle style, int pos) {
    const int* pattern = nullptr;
    int n = 0;
    switch (style) {
    case TPenStyle::psDash:
        pattern = kDash;
        n = 2;
        break;
    case TPenStyle::psDot:
        pattern = kDot;
        n = 2;
        break;
    case TPenStyle::psDashDot:
        pattern = kDashDot;
        n = 4;
        break;
    case TPenStyle::psDashDotDot:
        pattern = kDashDotDot;
        n = 6;
        break;
    default:
        return true;
    }
    int total = 0;
    for (int i = 0; i < n; ++i)
        total += pattern[i];
    pos %= total;
    for (int i = 0; i < n; ++i) {
        if (pos < pattern[i])
            return i % 2 == 0;
        pos -= pattern[i];
    }
    return true;
}

} // namespace

TColor GetSysColor(int index) {
    if (index < 0 || index > COLOR_ENDCOLORS)
        return 0;
    return kSysColors[index];
}

TColor ColorToRGB(TColor color) {
    if (color == clNone || color == clDefault)
        return color;
    if ((color & clSystemColor) == clSystemColor)
        return GetSysColor(color & 0xFF);
    return color & 0xFFFFFF;
}

uint32_t ApplyRop3(uint32_t rop, uint32_t pattern, uint32_t source, uint32_t dest) {
    return Minterms((rop >> 16) & 0xFF, 3, pattern, source, dest);
}

uint32_t ApplyRop2(TPenMode mode, uint32_t pen, uint32_t dest) {
    static const int kR2[] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
    uint32_t table = static_cast<uint32_t>(kR2[static_cast<int>(mode)] - 1);
    return Minterms(table, 2, 0, pen, dest);
}

// ---------------------------------------------------------------- graphics objects

const TClassInfo& TGraphicsObject::StaticClassInfo() {
    static const TClassInfo info("TGraphicsObject", &TPersistent::StaticClassInfo(), {},
                                 "Graphics");
    return info;
}

const TClassInfo& TFont::StaticClassInfo() {
    static const TClassInfo info("TFont", &TGraphicsObject::StaticClassInfo(),
                                 {StrProp<TFont>("Name", &TFont::Name, &TFont::SetName, false),
                                  IntProp<TFont, int>("Size", &TFont::Size, &TFont::SetSize),
                                  IntProp<TFont, int>("Height", &TFont::Height, &TFont::SetHeight),
                                  IntProp<TFont, TColor>("Color", &TFont::Color, &TFont::SetColor)},
                                 "Graphics");
    return info;
}

TFont::TFont() = default;

void TFont::SetName(const std::string& name) {
    if (name != name_) {
        name_ = name;
        Changed();
    }
}
int TFont::Size() const {
    return -static_cast<int>(Round(height_ * 72.0 / 96.0));
}
void TFont::SetSize(int size) {
    SetHeight(-static_cast<int>(Round(size * 96.0 / 72.0)));
}
void TFont::SetHeight(int height) {
    if (height != height_) {
        height_ = height;
        Changed();
    }
}
void TFont::SetColor(TColor color) {
    if (color != color_) {
        color_ = color;
        Changed();
    }
}
void TFont::SetStyle(TFontStyles style) {
    if (style != style_) {
        style_ = style;
        Changed();
    }
}
void TFont::SetCharset(int charset) {
    if (charset != charset_) {
        charset_ = charset;
        Changed();
    }
}
void TFont::SetPitch(TFontPitch pitch) {
    if (pitch != pitch_) {
        pitch_ = pitch;
        Changed();
    }
}
void TFont::Assign(const TPersistent& source) {
    auto* f = dynamic_cast<const TFont*>(&source);
    if (!f)
        return TGraphicsObject::Assign(source);
    if (*f == *this)
        return;
    name_ = f->name_;
    height_ = f->height_;
    color_ = f->color_;
    style_ = f->style_;
    charset_ = f->charset_;
    pitch_ = f->pitch_;
    Changed();
}
bool TFont::operator==(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
           charset_ == o.charset_ && pitch_ == o.pitch_;
}
QFont TFont::ToQFont() const {
    static bool substituted = false;
    if (!substituted) {
        // The framework's default faces are not on this system; one fixed face keeps metrics fixed.
        QFont::insertSubstitution("MS Sans Serif", "DejaVu Sans");
        QFont::insertSubstitution("Tahoma", "DejaVu Sans");
        QFont::insertSubstitution("System", "DejaVu Sans");
        substituted = true;
    }
    QFont f(ToQ(name_));
    int h = height_;
    if (h > 0) // a positive height includes the internal leading
        h = std::max(1, h * 4 / 5);
    else
        h = -h;
    f.setPixelSize(std::max(1, h));
    f.setBold(style_ & fsBold);
    f.setItalic(style_ & fsItalic);
    f.setUnderline(style_ & fsUnderline);
    f.setStrikeOut(style_ & fsStrikeOut);
    if (pitch_ == TFontPitch::fpFixed)
        f.setFixedPitch(true);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

const TClassInfo& TPen::StaticClassInfo() {
    static const TClassInfo info("TPen", &TGraphicsObject::StaticClassInfo(), {}, "Graphics");
    return info;
}
void TPen::SetColor(TColor c) {
    if (c != color_) {
        color_ = c;
        Changed();
    }
}
void TPen::SetWidth(int w) {
    w = std::max(1, w);
    if (w != width_) {
        width_ = w;
        Changed();
    }
}
void TPen::SetStyle(TPenStyle s) {
    if (s != style_) {
        style_ = s;
        Changed();
    }
}
void TPen::SetMode(TPenMode m) {
    if (m != mode_) {
        mode_ = m;
        Changed();
    }
}
void TPen::Assign(const TPersistent& source) {
    auto* p = dynamic_cast<const TPen*>(&source);
    if (!p)
        return TGraphicsObject::Assign(source);
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
}

const TClassInfo& TBrush::StaticClassInfo() {
    static const TClassInfo info("TBrush", &TGraphicsObject::StaticClassInfo(), {}, "Graphics");
    return info;
}
void TBrush::SetColor(TColor c) {
    // Choosing a colour makes a clear brush solid again, as the framework does.
    if (c != color_ || (style_ == TBrushStyle::bsClear)) {
        color_ = c;
        if (style_ == TBrushStyle::bsClear)
            style_ = TBrushStyle::bsSolid;
        Changed();
    }
}
void TBrush::SetStyle(TBrushStyle s) {
    if (s != style_) {
        style_ = s;
        Changed();
    }
}
void TBrush::SetBitmap(TBitmap* bitmap) {
    if (bitmap != bitmap_) {
        bitmap_ = bitmap;
        Changed();
    }
}
void TBrush::Assign(const TPersistent& source) {
    auto* b = dynamic_cast<const TBrush*>(&source);
    if (!b)
        return TGraphicsObject::Assign(source);
    color_ = b->color_;
    style_ = b->style_;
    bitmap_ = b->bitmap_;
    Changed();
}

// ---------------------------------------------------------------- graphics

const TClassInfo& TGraphic::StaticClassInfo() {
    static const TClassInfo info("TGraphic", &TPersistent::StaticClassInfo(), {}, "Graphics");
    return info;
}
void TGraphic::SetTransparent(bool value) {
    if (value != transparent_) {
        transparent_ = value;
        Changed();
    }
}

const TClassInfo& TBitmap::StaticClassInfo() {
    static const TClassInfo info("TBitmap", &TGraphic::StaticClassInfo(), {}, "Graphics");
    return info;
}

TBitmap::TBitmap() : image_(std::make_unique<QImage>()) {}
TBitmap::TBitmap(int width, int height) : TBitmap() {
    SetSize(width, height);
}
TBitmap::~TBitmap() = default;

int TBitmap::Width() const {
    return image_->width();
}
int TBitmap::Height() const {
    return image_->height();
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return;
    QImage next(width, height, QImage::Format_RGB32);
    next.fill(0xFF000000u);
    if (!image_->isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, *image_);
    }
    *image_ = std::move(next);
    if (canvas_)
        canvas_->SetTarget(image_.get());
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == TPixelFormat::pf1bit) {
        SetMonochrome(true);
        return;
    }
    format_ = format;
    SetMonochrome(false);
}

void TBitmap::SetMonochrome(bool value) {
    if (value == monochrome_)
        return;
    monochrome_ = value;
    if (value) {
        // White stays white, every other colour becomes black.
        for (int y = 0; y < Height(); ++y) {
            auto* line = reinterpret_cast<uint32_t*>(image_->scanLine(y));
            for (int x = 0; x < Width(); ++x)
                line[x] = ((line[x] & kRgbMask) == kRgbMask) ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
    if (canvas_)
        canvas_->SetMonochrome(value);
    Changed();
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) {
        canvas_ = std::make_unique<TCanvas>(image_.get());
        canvas_->SetMonochrome(monochrome_);
        canvas_->OnChange = [this](TCanvas&) { Changed(); };
    }
    return canvas_.get();
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == TTransparentMode::tmFixed && transparentColor_ != clDefault)
        return transparentColor_;
    if (Width() == 0 || Height() == 0)
        return clDefault;
    return Pixel(0, Height() - 1);
}
void TBitmap::SetTransparentColor(TColor color) {
    transparentColor_ = color;
    transparentMode_ = color == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
}

TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return -1;
    return PixelToRgb(reinterpret_cast<const uint32_t*>(image_->constScanLine(y))[x]);
}
void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    uint32_t px = RgbToPixel(ColorToRGB(color));
    if (monochrome_)
        px = IsWhiteForMono(px) ? kRgbMask : 0;
    reinterpret_cast<uint32_t*>(image_->scanLine(y))[x] = 0xFF000000u | px;
}

QImage& TBitmap::Image() {
    return *image_;
}
const QImage& TBitmap::Image() const {
    return *image_;
}

void TBitmap::Mask(TColor color) {
    uint32_t key = RgbToPixel(ColorToRGB(color));
    for (int y = 0; y < Height(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image_->scanLine(y));
        for (int x = 0; x < Width(); ++x)
            line[x] = ((line[x] & kRgbMask) == key) ? 0xFFFFFFFFu : 0xFF000000u;
    }
    monochrome_ = true;
    if (canvas_)
        canvas_->SetMonochrome(true);
    Changed();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect) {
    if (Empty())
        return;
    TCanvas* src = Canvas();
    if (!transparent_) {
        canvas.StretchBltFrom(rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, Width(),
                              Height(), canvas.CopyMode);
        return;
    }
    // Transparent: the pixels of the transparent colour keep the destination.
    uint32_t key = RgbToPixel(ColorToRGB(TransparentColor()));
    int w = rect.Width(), h = rect.Height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sx = x * Width() / std::max(1, w), sy = y * Height() / std::max(1, h);
            uint32_t px =
                reinterpret_cast<const uint32_t*>(image_->constScanLine(sy))[sx] & kRgbMask;
            if (px != key)
                canvas.SetPixel(rect.Left + x, rect.Top + y, PixelToRgb(px));
        }
}

void TBitmap::Assign(const TPersistent& source) {
    auto* b = dynamic_cast<const TBitmap*>(&source);
    if (!b)
        return TGraphic::Assign(source);
    *image_ = b->image_->copy();
    monochrome_ = b->monochrome_;
    format_ = b->format_;
    transparent_ = b->transparent_;
    transparentColor_ = b->transparentColor_;
    transparentMode_ = b->transparentMode_;
    if (canvas_) {
        canvas_->SetTarget(image_.get());
        canvas_->SetMonochrome(monochrome_);
    }
    Changed();
}

void TBitmap::LoadFromFile(const std::string& localPath) {
    QImage img;
    if (!img.load(ToQ(localPath)))
        throw EInvalidGraphic(Format("Cannot load the picture %s", {localPath}));
    *image_ = img.convertToFormat(QImage::Format_RGB32);
    monochrome_ = false;
    if (canvas_)
        canvas_->SetTarget(image_.get());
    Changed();
}

void TBitmap::SaveToFile(const std::string& localPath) const {
    if (!image_->save(ToQ(localPath)))
        throw EInvalidGraphic(Format("Cannot save the picture %s", {localPath}));
}

// ---------------------------------------------------------------- image lists

const TClassInfo& TCustomImageList::StaticClassInfo() {
    static const TClassInfo info("TCustomImageList", &TComponent::StaticClassInfo(), {}, "ImgList");
    return info;
}
const TClassInfo& TImageList::StaticClassInfo() {
    static const TClassInfo info("TImageList", &TCustomImageList::StaticClassInfo(), {},
                                 "Controls");
    return info;
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}
TCustomImageList::TCustomImageList(TComponent* owner, int width, int height)
    : TComponent(owner), width_(std::max(1, width)), height_(std::max(1, height)) {}

void TCustomImageList::SetSize(int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    Clear();
}

void TCustomImageList::Changed() {
    if (OnChange)
        OnChange(*this);
}

void TCustomImageList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EInvalidOperation(Format("Invalid ImageList Index", {}));
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image || image->Empty())
        return -1;
    int first = Count();
    int cells = std::max(1, image->Width() / width_);
    for (int i = 0; i < cells; ++i) {
        auto cell = std::make_unique<TBitmap>(width_, height_);
        cell->Canvas()->BitBltFrom(0, 0, width_, height_, image->Canvas(), i * width_, 0, SRCCOPY);
        auto cellMask = std::make_unique<TBitmap>(width_, height_);
        cellMask->SetMonochrome(true);
        if (mask && !mask->Empty())
            cellMask->Canvas()->BitBltFrom(0, 0, width_, height_, mask->Canvas(), i * width_, 0,
                                           SRCCOPY);
        images_.push_back(std::move(cell));
        masks_.push_back(std::move(cellMask));
    }
    Changed();
    return first;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!image || image->Empty())
        return -1;
    TBitmap mask;
    mask.Assign(*image);
    mask.Mask(maskColor == clDefault ? image->TransparentColor() : maskColor);
    int first = Add(image, &mask);
    // The masked pixels of the image become black, so drawing with SRCPAINT over a cut-out works.
    for (int i = first; i < Count(); ++i)
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (masks_[i]->Pixel(x, y) == clWhite)
                    images_[i]->SetPixel(x, y, clBlack);
    return first;
}

void TCustomImageList::Delete(int index) {
    CheckIndex(index);
    images_.erase(images_.begin() + index);
    masks_.erase(masks_.begin() + index);
    Changed();
}

void TCustomImageList::Clear() {
    images_.clear();
    masks_.clear();
    Changed();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
    if (!canvas || index < 0 || index >= Count())
        return;
    if (enabled) {
        DrawEx(canvas, x, y, index, ILD_NORMAL);
        return;
    }
    // Disabled look: the opaque dark pixels embossed in highlight and shadow.
    TBitmap& img = *images_[index];
    TBitmap& msk = *masks_[index];
    TColor hi = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
    for (int pass = 0; pass < 2; ++pass)
        for (int py = 0; py < height_; ++py)
            for (int px = 0; px < width_; ++px) {
                if (msk.Pixel(px, py) == clWhite)
                    continue;
                TColor c = img.Pixel(px, py);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) >= 600)
                    continue;
                if (pass == 0)
                    canvas->SetPixel(x + px + 1, y + py + 1, hi);
                else
                    canvas->SetPixel(x + px, y + py, sh);
            }
}

void TCustomImageList::DrawEx(TCanvas* canvas, int x, int y, int index, uint32_t style) {
    if (!canvas || index < 0 || index >= Count())
        return;
    TBitmap& img = *images_[index];
    TBitmap& msk = *masks_[index];
    if (style & ILD_MASK) {
        canvas->BitBltFrom(x, y, width_, height_, msk.Canvas(), 0, 0, SRCCOPY);
        return;
    }
    bool transparent = Masked && (BkColor == clNone || (style & ILD_TRANSPARENT));
    if (!transparent && BkColor != clNone && Masked) {
        TColor old = canvas->Brush()->Color();
        canvas->Brush()->SetColor(BkColor);
        canvas->FillRect(Bounds(x, y, width_, height_));
        canvas->Brush()->SetColor(old);
        transparent = true;
    }
    if (!transparent) {
        canvas->BitBltFrom(x, y, width_, height_, img.Canvas(), 0, 0, SRCCOPY);
        return;
    }
    for (int py = 0; py < height_; ++py)
        for (int px = 0; px < width_; ++px)
            if (msk.Pixel(px, py) != clWhite)
                canvas->SetPixel(x + px, y + py, img.Pixel(px, py));
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) const {
    if (!image || index < 0 || index >= Count())
        return;
    image->Assign(*images_[index]);
}

void TCustomImageList::GetMask(int index, TBitmap* mask) const {
    if (!mask || index < 0 || index >= Count())
        return;
    mask->Assign(*masks_[index]);
}

// ---------------------------------------------------------------- canvas

const TClassInfo& TCanvas::StaticClassInfo() {
    static const TClassInfo info("TCanvas", &TPersistent::StaticClassInfo(), {}, "Graphics");
    return info;
}

TCanvas::TCanvas()
    : pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()),
      font_(std::make_unique<TFont>()) {
    font_->OnChange = [this](TGraphicsObject&) { textColor_ = ColorToRGB(font_->Color()); };
    brush_->OnChange = [this](TGraphicsObject&) { SyncFromObjects(); };
    textColor_ = ColorToRGB(font_->Color());
    SyncFromObjects();
}

TCanvas::TCanvas(QImage* target) : TCanvas() {
    target_ = target;
}
TCanvas::~TCanvas() = default;

void TCanvas::SetTarget(QImage* target) {
    target_ = target;
}

void TCanvas::AttachTo(const TCanvas* dc) {
    if (!dc) {
        target_ = nullptr;
        return;
    }
    target_ = dc->target_;
    monochrome_ = dc->monochrome_;
    windowOrg_ = dc->windowOrg_;
    viewportOrg_ = dc->viewportOrg_;
    hasClip_ = dc->hasClip_;
    clip_ = dc->clip_;
}

void TCanvas::SyncFromObjects() {
    if (brush_->Style() == TBrushStyle::bsSolid) {
        bkColor_ = ColorToRGB(brush_->Color());
        bkMode_ = OPAQUE;
    } else {
        bkColor_ = ~ColorToRGB(brush_->Color()) & 0xFFFFFF;
        bkMode_ = TRANSPARENT;
    }
}

void TCanvas::Changed() {
    if (OnChange)
        OnChange(*this);
}

TColor TCanvas::SetTextColorDC(TColor color) {
    TColor old = textColor_;
    textColor_ = ColorToRGB(color);
    return old;
}
TColor TCanvas::SetBkColorDC(TColor color) {
    TColor old = bkColor_;
    bkColor_ = ColorToRGB(color);
    return old;
}
int TCanvas::SetBkModeDC(int mode) {
    int old = bkMode_;
    bkMode_ = mode;
    return old;
}

void TCanvas::SetClipRect(const TRect* r) {
    hasClip_ = r != nullptr;
    if (r) {
        TPoint a = ToDevice(r->Left, r->Top);
        clip_ = Rect(a.X, a.Y, a.X + r->Width(), a.Y + r->Height());
    }
}

void TCanvas::IntersectClip(const TRect& r) {
    TPoint a = ToDevice(r.Left, r.Top);
    TRect dr = Rect(a.X, a.Y, a.X + r.Width(), a.Y + r.Height());
    if (hasClip_) {
        TRect out;
        IntersectRect(out, clip_, dr);
        clip_ = out;
    } else {
        clip_ = dr;
        hasClip_ = true;
    }
}

TRect TCanvas::DeviceClip() const {
    TRect all = target_ ? Rect(0, 0, target_->width(), target_->height()) : TRect{};
    if (!hasClip_)
        return all;
    TRect out;
    IntersectRect(out, all, clip_);
    return out;
}

TRect TCanvas::ClipRect() const {
    TRect d = DeviceClip();
    OffsetRect(d, windowOrg_.X - viewportOrg_.X, windowOrg_.Y - viewportOrg_.Y);
    return d;
}

int TCanvas::SaveDC() {
    State s{textColor_, bkColor_, bkMode_, windowOrg_, viewportOrg_, hasClip_,
            clip_,      {},       {},      {},         penPos_,      CopyMode};
    s.font.Assign(*font_);
    s.pen.Assign(*pen_);
    s.brush.Assign(*brush_);
    saved_.push_back(std::move(s));
    return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int saved) {
    int n = static_cast<int>(saved_.size());
    if (saved < 0)
        saved = n + 1 + saved;
    if (saved < 1 || saved > n)
        return false;
    State s = std::move(saved_[static_cast<size_t>(saved - 1)]);
    saved_.resize(static_cast<size_t>(saved - 1));
    font_->Assign(s.font);
    pen_->Assign(s.pen);
    brush_->Assign(s.brush);
    textColor_ = s.textColor;
    bkColor_ = s.bkColor;
    bkMode_ = s.bkMode;
    windowOrg_ = s.windowOrg;
    viewportOrg_ = s.viewportOrg;
    hasClip_ = s.hasClip;
    clip_ = s.clip;
    penPos_ = s.penPos;
    CopyMode = s.copyMode;
    return true;
}

uint32_t TCanvas::ToDeviceColor(TColor c) const {
    uint32_t px = RgbToPixel(ColorToRGB(c));
    if (monochrome_)
        px = IsWhiteForMono(px) ? kRgbMask : 0;
    return px;
}

uint32_t TCanvas::DevicePixel(int x, int y) const {
    return reinterpret_cast<const uint32_t*>(target_->constScanLine(y))[x] & kRgbMask;
}

uint32_t TCanvas::BrushPixel(int dx, int dy, bool& paint) const {
    paint = true;
    if (TBitmap* pattern = brush_->Bitmap(); pattern && !pattern->Empty()) {
        int px = ((dx % pattern->Width()) + pattern->Width()) % pattern->Width();
        int py = ((dy % pattern->Height()) + pattern->Height()) % pattern->Height();
        uint32_t v = RgbToPixel(pattern->Pixel(px, py));
        if (pattern->Monochrome())
            v = v ? ToDeviceColor(bkColor_) : ToDeviceColor(textColor_);
        return v;
    }
    bool on = true;
    int x = dx & 7, y = dy & 7;
    switch (brush_->Style()) {
    case TBrushStyle::bsClear:
        paint = false;
        return 0;
    case TBrushStyle::bsSolid:
        break;
    case TBrushStyle::bsHorizontal:
        on = y == 0;
        break;
    case TBrushStyle::bsVertical:
        on = x == 0;
        break;
    case TBrushStyle::bsFDiagonal:
        on = ((x - y) & 7) == 0;
        break;
    case TBrushStyle::bsBDiagonal:
        on = ((x + y) & 7) == 7;
        break;
    case TBrushStyle::bsCross:
        on = x == 0 || y == 0;
        break;
    case TBrushStyle::bsDiagCross:
        on = ((x - y) & 7) == 0 || ((x + y) & 7) == 7;
        break;
    }
    if (on)
        return ToDeviceColor(brush_->Color());
    if (bkMode_ == OPAQUE)
        return ToDeviceColor(bkColor_);
    paint = false;
    return 0;
}

void TCanvas::PutPen(int dx, int dy, uint32_t color) {
    TRect clip = DeviceClip();
    if (!PtInRect(clip, {dx, dy}))
        return;
    auto* px = reinterpret_cast<uint32_t*>(target_->scanLine(dy)) + dx;
    *px = 0xFF000000u | ApplyRop2(pen_->Mode(), color, *px & kRgbMask);
}

void TCanvas::PenPixel(int dx, int dy, int& dashPos) {
    TPenStyle style = pen_->Style();
    if (style == TPenStyle::psClear)
        return;
    bool on = pen_->Width() > 1 || DashOn(style, dashPos);
    ++dashPos;
    uint32_t color;
    if (on)
        color = ToDeviceColor(pen_->Color());
    else if (bkMode_ == OPAQUE)
        color = ToDeviceColor(bkColor_);
    else
        return;
    int w = pen_->Width();
    if (w <= 1) {
        PutPen(dx, dy, color);
        return;
    }
    int off = w / 2;
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < w; ++x)
            PutPen(dx - off + x, dy - off + y, color);
}

// Bresenham from a up to but not including b, as the system draws lines.
void TCanvas::DrawLineDevice(TPoint a, TPoint b, int& dashPos) {
    int dx = std::abs(b.X - a.X), dy = std::abs(b.Y - a.Y);
    int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
    int err = dx - dy;
    int x = a.X, y = a.Y;
    while (x != b.X || y != b.Y) {
        PenPixel(x, y, dashPos);
        int e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
}

void TCanvas::MoveTo(int x, int y) {
    penPos_ = {x, y};
}

void TCanvas::LineTo(int x, int y) {
    if (target_) {
        int dash = 0;
        DrawLineDevice(ToDevice(penPos_.X, penPos_.Y), ToDevice(x, y), dash);
    }
    penPos_ = {x, y};
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.empty() || !target_)
        return;
    int dash = 0;
    for (size_t i = 1; i < points.size(); ++i)
        DrawLineDevice(ToDevice(points[i - 1].X, points[i - 1].Y),
                       ToDevice(points[i].X, points[i].Y), dash);
    Changed();
}

void TCanvas::FillDeviceRect(const TRect& dr, bool withRop2) {
    TRect r;
    if (!IntersectRect(r, dr, DeviceClip()))
        return;
    for (int y = r.Top; y < r.Bottom; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(target_->scanLine(y));
        for (int x = r.Left; x < r.Right; ++x) {
            bool paint;
            uint32_t c = BrushPixel(x, y, paint);
            if (!paint)
                continue;
            line[x] = 0xFF000000u | (withRop2 ? ApplyRop2(pen_->Mode(), c, line[x] & kRgbMask) : c);
        }
    }
}

void TCanvas::FillMask(const QImage& mask, bool withRop2) {
    TRect clip = DeviceClip();
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        const uchar* m = mask.constScanLine(y);
        auto* line = reinterpret_cast<uint32_t*>(target_->scanLine(y));
        for (int x = clip.Left; x < clip.Right; ++x) {
            if (!m[x])
                continue;
            bool paint;
            uint32_t c = BrushPixel(x, y, paint);
            if (!paint)
                continue;
            line[x] = 0xFF000000u | (withRop2 ? ApplyRop2(pen_->Mode(), c, line[x] & kRgbMask) : c);
        }
    }
}

void TCanvas::FillRect(const TRect& r) {
    if (!target_)
        return;
    TPoint a = ToDevice(r.Left, r.Top);
    FillDeviceRect(Rect(a.X, a.Y, a.X + r.Width(), a.Y + r.Height()), false);
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    if (!target_ || IsRectEmpty(r))
        return;
    TPoint a = ToDevice(r.Left, r.Top);
    TRect d = Rect(a.X, a.Y, a.X + r.Width(), a.Y + r.Height());
    FillDeviceRect(Rect(d.Left, d.Top, d.Right, d.Top + 1), false);
    FillDeviceRect(Rect(d.Left, d.Bottom - 1, d.Right, d.Bottom), false);
    FillDeviceRect(Rect(d.Left, d.Top + 1, d.Left + 1, d.Bottom - 1), false);
    FillDeviceRect(Rect(d.Right - 1, d.Top + 1, d.Right, d.Bottom - 1), false);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!target_)
        return;
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    TPoint a = ToDevice(x1, y1), b = ToDevice(x2, y2);
    if (pen_->Style() == TPenStyle::psClear) {
        FillDeviceRect(Rect(a.X, a.Y, b.X - 1, b.Y - 1), true);
    } else {
        int w = pen_->Width();
        FillDeviceRect(Rect(a.X + w, a.Y + w, b.X - w, b.Y - w), true);
        if (b.X - a.X >= 1 && b.Y - a.Y >= 1) {
            int dash = 0;
            TPoint tl = a, tr{b.X - 1, a.Y}, br{b.X - 1, b.Y - 1}, bl{a.X, b.Y - 1};
            DrawLineDevice(tl, tr, dash);
            DrawLineDevice(tr, br, dash);
            DrawLineDevice(br, bl, dash);
            DrawLineDevice(bl, tl, dash);
            if (tl == br)
                PenPixel(tl.X, tl.Y, dash);
        }
    }
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (!target_ || points.size() < 2)
        return;
    QPolygon poly;
    for (const auto& p : points) {
        TPoint d = ToDevice(p.X, p.Y);
        poly << QPoint(d.X, d.Y);
    }
    QImage mask(target_->size(), QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing, false);
        mp.setPen(Qt::NoPen);
        mp.setBrush(Qt::white);
        mp.drawPolygon(poly, Qt::OddEvenFill);
    }
    FillMask(mask, true);
    int dash = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const TPoint& p = points[i];
        const TPoint& q = points[(i + 1) % points.size()];
        DrawLineDevice(ToDevice(p.X, p.Y), ToDevice(q.X, q.Y), dash);
    }
    Changed();
}

namespace {
QImage ShapeMask(const QImage& target, bool outline, const std::function<void(QPainter&)>& draw) {
    QImage mask(target.size(), QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter mp(&mask);
    mp.setRenderHint(QPainter::Antialiasing, false);
    if (outline) {
        mp.setPen(QPen(Qt::white, 1));
        mp.setBrush(Qt::NoBrush);
    } else {
        mp.setPen(Qt::NoPen);
        mp.setBrush(Qt::white);
    }
    draw(mp);
    return mask;
}
} // namespace

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    if (!target_)
        return;
    TPoint a = ToDevice(x1, y1), b = ToDevice(x2, y2);
    QRect r(a.X, a.Y, b.X - a.X - 1, b.Y - a.Y - 1);
    FillMask(ShapeMask(*target_, false, [&](QPainter& p) { p.drawEllipse(r); }), true);
    if (pen_->Style() != TPenStyle::psClear) {
        QImage outline = ShapeMask(*target_, true, [&](QPainter& p) { p.drawEllipse(r); });
        uint32_t c = ToDeviceColor(pen_->Color());
        TRect clip = DeviceClip();
        for (int y = clip.Top; y < clip.Bottom; ++y)
            for (int x = clip.Left; x < clip.Right; ++x)
                if (outline.constScanLine(y)[x])
                    PutPen(x, y, c);
    }
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    if (!target_)
        return;
    TPoint a = ToDevice(x1, y1), b = ToDevice(x2, y2);
    QRect r(a.X, a.Y, b.X - a.X - 1, b.Y - a.Y - 1);
    auto draw = [&](QPainter& p) { p.drawRoundedRect(r, x3 / 2.0, y3 / 2.0); };
    FillMask(ShapeMask(*target_, false, draw), true);
    if (pen_->Style() != TPenStyle::psClear) {
        QImage outline = ShapeMask(*target_, true, draw);
        uint32_t c = ToDeviceColor(pen_->Color());
        TRect clip = DeviceClip();
        for (int y = clip.Top; y < clip.Bottom; ++y)
            for (int x = clip.Left; x < clip.Right; ++x)
                if (outline.constScanLine(y)[x])
                    PutPen(x, y, c);
    }
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    if (!target_ || IsRectEmpty(r))
        return;
    TPoint a = ToDevice(r.Left, r.Top);
    TRect d = Rect(a.X, a.Y, a.X + r.Width(), a.Y + r.Height());
    // Each border pixel once, every other one inverted, so drawing twice removes it.
    std::set<std::pair<int, int>> pixels;
    for (int x = d.Left; x < d.Right; ++x) {
        pixels.insert({x, d.Top});
        pixels.insert({x, d.Bottom - 1});
    }
    for (int y = d.Top; y < d.Bottom; ++y) {
        pixels.insert({d.Left, y});
        pixels.insert({d.Right - 1, y});
    }
    TRect clip = DeviceClip();
    for (auto [x, y] : pixels) {
        if (((x + y) & 1) != 0 || !PtInRect(clip, {x, y}))
            continue;
        auto* px = reinterpret_cast<uint32_t*>(target_->scanLine(y)) + x;
        *px = 0xFF000000u | (~*px & kRgbMask);
    }
    Changed();
}

TColor TCanvas::Pixel(int x, int y) const {
    if (!target_)
        return -1;
    TPoint d = ToDevice(x, y);
    if (d.X < 0 || d.Y < 0 || d.X >= target_->width() || d.Y >= target_->height())
        return -1;
    return PixelToRgb(DevicePixel(d.X, d.Y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (!target_)
        return;
    TPoint d = ToDevice(x, y);
    if (!PtInRect(DeviceClip(), d))
        return;
    reinterpret_cast<uint32_t*>(target_->scanLine(d.Y))[d.X] = 0xFF000000u | ToDeviceColor(color);
}

namespace {
void PreparePainter(QPainter& p, const TCanvas& c, const QFont& font, TRect deviceClip,
                    TPoint offset) {
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font);
    p.setClipRect(ToQ(deviceClip));
    p.translate(offset.X, offset.Y);
    (void)c;
}
} // namespace

void TCanvas::TextOut(int x, int y, const std::string& text) {
    if (!target_)
        return;
    QFont f = font_->ToQFont();
    QFontMetrics fm(f);
    QString s = ToQ(text);
    int w = fm.horizontalAdvance(s);
    TPoint o = ToDevice(0, 0);
    {
        QPainter p(target_);
        PreparePainter(p, *this, f, DeviceClip(), o);
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
    TPoint o = ToDevice(0, 0);
    QPainter p(target_);
    TRect clip = DeviceClip();
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

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (graphic && !graphic->Empty())
        graphic->Draw(*this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (graphic && !graphic->Empty())
        graphic->Draw(*this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    StretchBltFrom(dest.Left, dest.Top, dest.Width(), dest.Height(), source, sourceRect.Left,
                   sourceRect.Top, sourceRect.Width(), sourceRect.Height(), CopyMode);
}

void TCanvas::BitBltFrom(int x, int y, int w, int h, TCanvas* source, int sx, int sy,
                         uint32_t rop) {
    StretchBltFrom(x, y, w, h, source, sx, sy, w, h, rop);
}

void TCanvas::PatBlt(int x, int y, int w, int h, uint32_t rop) {
    StretchBltFrom(x, y, w, h, nullptr, 0, 0, w, h, rop);
}

void TCanvas::StretchBltFrom(int x, int y, int w, int h, TCanvas* source, int sx, int sy, int sw,
                             int sh, uint32_t rop) {
    if (!target_ || w <= 0 || h <= 0)
        return;
    bool useSource = source && source->target_;
    bool usePattern = false;
    {
        uint32_t t = (rop >> 16) & 0xFF;
        usePattern = ((t >> 4) & 0x0F) != (t & 0x0F);
    }
    TPoint d0 = ToDevice(x, y);
    TPoint s0 = useSource ? source->ToDevice(sx, sy) : TPoint{};
    TRect clip = DeviceClip();
    uint32_t srcBk = useSource ? RgbToPixel(source->bkColor_ & 0xFFFFFF) : 0;
    for (int j = 0; j < h; ++j) {
        int dy = d0.Y + j;
        if (dy < clip.Top || dy >= clip.Bottom)
            continue;
        auto* line = reinterpret_cast<uint32_t*>(target_->scanLine(dy));
        for (int i = 0; i < w; ++i) {
            int dx = d0.X + i;
            if (dx < clip.Left || dx >= clip.Right)
                continue;
            uint32_t s = 0;
            if (useSource) {
                int px = s0.X + static_cast<int>(static_cast<int64_t>(i) * sw / w);
                int py = s0.Y + static_cast<int>(static_cast<int64_t>(j) * sh / h);
                // Outside the source there is nothing to copy; the destination stays.
                if (px < 0 || py < 0 || px >= source->target_->width() ||
                    py >= source->target_->height())
                    continue;
                s = source->DevicePixel(px, py);
                if (source->monochrome_ && !monochrome_)
                    s = s ? RgbToPixel(bkColor_) : RgbToPixel(textColor_);
                else if (!source->monochrome_ && monochrome_)
                    s = (s == srcBk) ? kRgbMask : 0;
            }
            uint32_t p = 0;
            if (usePattern) {
                bool paint;
                p = BrushPixel(dx, dy, paint);
                if (!paint)
                    p = line[dx] & kRgbMask;
            }
            line[dx] = 0xFF000000u | ApplyRop3(rop, p, s, line[dx] & kRgbMask);
        }
    }
    Changed();
}

// ---------------------------------------------------------------- device-context routines

TColor SetTextColor(HDC dc, TColor color) {
    return dc ? dc->SetTextColorDC(color) : clNone;
}
TColor SetBkColor(HDC dc, TColor color) {
    return dc ? dc->SetBkColorDC(color) : clNone;
}
int SetBkMode(HDC dc, int mode) {
    return dc ? dc->SetBkModeDC(mode) : 0;
}
int SaveDC(HDC dc) {
    return dc ? dc->SaveDC() : 0;
}
bool RestoreDC(HDC dc, int saved) {
    return dc && dc->RestoreDC(saved);
}
bool GetWindowOrgEx(HDC dc, TPoint* p) {
    if (!dc)
        return false;
    if (p)
        *p = dc->WindowOrg();
    return true;
}
bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old) {
    if (!dc)
        return false;
    if (old)
        *old = dc->WindowOrg();
    dc->SetWindowOrg({x, y});
    return true;
}
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old) {
    if (!dc)
        return false;
    if (old)
        *old = dc->ViewportOrg();
    dc->SetViewportOrg({x, y});
    return true;
}
bool BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, uint32_t rop) {
    if (!dest)
        return false;
    dest->BitBltFrom(x, y, w, h, src, sx, sy, rop);
    return true;
}
bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                uint32_t rop) {
    if (!dest)
        return false;
    dest->StretchBltFrom(x, y, w, h, src, sx, sy, sw, sh, rop);
    return true;
}
bool PatBlt(HDC dc, int x, int y, int w, int h, uint32_t rop) {
    if (!dc)
        return false;
    dc->PatBlt(x, y, w, h, rop);
    return true;
}
bool DrawFocusRect(HDC dc, const TRect& r) {
    if (!dc)
        return false;
    dc->DrawFocusRect(r);
    return true;
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
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    if (!dc)
        return 0;
    dc->IntersectClip(Rect(left, top, right, bottom));
    return 2;
}

void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width) {
    if (!canvas)
        return;
    TColor oldPen = canvas->Pen()->Color();
    canvas->Pen()->SetWidth(1);
    --r.Bottom;
    --r.Right;
    for (int i = 0; i < width; ++i) {
        canvas->Pen()->SetColor(topColor);
        canvas->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        canvas->Pen()->SetColor(bottomColor);
        canvas->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
        InflateRect(r, -1, -1);
    }
    ++r.Bottom;
    ++r.Right;
    canvas->Pen()->SetColor(oldPen);
}

bool DrawEdge(HDC dc, TRect* r, uint32_t edge, uint32_t flags) {
    if (!dc || !r)
        return false;
    TRect rr = *r;
    auto ring = [&](TColor tl, TColor br) {
        TBrush old;
        old.Assign(*dc->Brush());
        if (flags & BF_TOP) {
            dc->Brush()->SetColor(tl);
            dc->FillRect(Rect(rr.Left, rr.Top, rr.Right, rr.Top + 1));
        }
        if (flags & BF_LEFT) {
            dc->Brush()->SetColor(tl);
            dc->FillRect(Rect(rr.Left, rr.Top, rr.Left + 1, rr.Bottom));
        }
        if (flags & BF_BOTTOM) {
            dc->Brush()->SetColor(br);
            dc->FillRect(Rect(rr.Left, rr.Bottom - 1, rr.Right, rr.Bottom));
        }
        if (flags & BF_RIGHT) {
            dc->Brush()->SetColor(br);
            dc->FillRect(Rect(rr.Right - 1, rr.Top, rr.Right, rr.Bottom));
        }
        dc->Brush()->Assign(old);
        InflateRect(rr, -1, -1);
    };
    if (edge & BDR_RAISEDOUTER)
        ring(cl3DLight, cl3DDkShadow);
    else if (edge & BDR_SUNKENOUTER)
        ring(clBtnShadow, clBtnHighlight);
    if (edge & BDR_RAISEDINNER)
        ring(clBtnHighlight, clBtnShadow);
    else if (edge & BDR_SUNKENINNER)
        ring(cl3DDkShadow, cl3DLight);
    if (flags & BF_ADJUST)
        *r = rr;
    return true;
}

bool DrawFrameControl(HDC dc, TRect* r, uint32_t type, uint32_t state) {
    if (!dc || !r)
        return false;
    TPen old;
    old.Assign(*dc->Pen());
    TColor ink = (state & DFCS_INACTIVE) ? clGrayText : clBlack;
    if (type == DFC_MENU) {
        dc->Pen()->SetColor(ink);
        int cx = r->Left + r->Width() / 2, cy = r->Top + r->Height() / 2;
        if (state & DFCS_MENUBULLET) {
            dc->Brush()->SetColor(ink);
            dc->Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
        } else {
            for (int i = 0; i < 3; ++i) {
                dc->MoveTo(cx - 3, cy - 1 + i);
                dc->LineTo(cx - 1, cy + 1 + i);
                dc->LineTo(cx + 4, cy - 4 + i);
            }
        }
    } else if (type == DFC_BUTTON) {
        TRect rr = *r;
        DrawEdge(dc, &rr, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
        if (state & DFCS_CHECKED) {
            TRect c = *r;
            DrawFrameControl(dc, &c, DFC_MENU, DFCS_MENUCHECK);
        }
    }
    dc->Pen()->Assign(old);
    return true;
}
