#include "Graphics.h"
#include "Controls.h"
#include "PublishedTypes.h"

#include "CanvasPixels.h"
#include "qt/QtBridge.h"
#include "qt/WidgetBinding.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <set>

namespace {

TColor kSysColors[COLOR_ENDCOLORS + 1] = {
    RGB(212, 208, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128),
    RGB(212, 208, 200), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(212, 208, 200), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255), RGB(212, 208, 200),
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),
    RGB(255, 255, 225), RGB(181, 181, 181), RGB(0, 0, 128),     RGB(166, 202, 240),
    RGB(192, 192, 192), RGB(49, 106, 197),  RGB(212, 208, 200)};

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

// ---------------------------------------------------------------- graphics objects

const TClassInfo& TGraphicsObject::StaticClassInfo() {
    static const TClassInfo info("TGraphicsObject", &TPersistent::StaticClassInfo(), {},
                                 "Graphics");
    return info;
}

const TClassInfo& TFont::StaticClassInfo() {
    static const TClassInfo info("TFont", &TGraphicsObject::StaticClassInfo(),
                                 {StrProp<TFont>("Name", &TFont::Name, &TFont::SetName),
                                  IntProp<TFont, int>("Size", &TFont::Size, &TFont::SetSize),
                                  IntProp<TFont, int>("Height", &TFont::Height, &TFont::SetHeight),
                                  IntProp<TFont, TColor>("Color", &TFont::Color, &TFont::SetColor),
                                  SetProp<TFont, TFontStyles>("Style", FontStylesTypeInfo(),
                                                              &TFont::Style, &TFont::SetStyle)},
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
TBitmap::TBitmap(int width, int height, int deviceScale) : TBitmap() {
    SetDeviceScale(deviceScale);
    SetSize(width, height);
}
TBitmap::~TBitmap() = default;

int TBitmap::Width() const {
    return image_->width() / DeviceScale();
}
int TBitmap::Height() const {
    return image_->height() / DeviceScale();
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return;
    const int scale = DeviceScale();
    QImage next(width * scale, height * scale, QImage::Format_RGB32);
    next.fill(0xFF000000u);
    next.setDevicePixelRatio(scale);
    if (!image_->isNull()) {
        // Both at the same ratio: device pixels are copied one to one.
        QPainter p(&next);
        p.drawImage(0, 0, *image_);
    }
    *image_ = std::move(next);
    if (canvas_)
        canvas_->SetTarget(image_.get());
    Changed();
}

void TBitmap::SetDeviceScale(int scale) {
    scale = std::max(1, scale);
    const int old = DeviceScale();
    if (scale == old)
        return;
    const int w = Width(), h = Height();
    QImage next(w * scale, h * scale, QImage::Format_RGB32);
    // Each new device pixel takes the old one under its centre: whole-pixel enlargement, and
    // a reduction that keeps one pixel of each block.
    for (int y = 0; y < next.height(); ++y) {
        const auto* src =
            reinterpret_cast<const uint32_t*>(image_->constScanLine((y * old + old / 2) / scale));
        auto* dst = reinterpret_cast<uint32_t*>(next.scanLine(y));
        for (int x = 0; x < next.width(); ++x)
            dst[x] = src[(x * old + old / 2) / scale];
    }
    next.setDevicePixelRatio(scale);
    *image_ = std::move(next);
    scale_ = scale;
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
        for (int y = 0; y < image_->height(); ++y) {
            auto* line = reinterpret_cast<uint32_t*>(image_->scanLine(y));
            for (int x = 0; x < image_->width(); ++x)
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
    // A logical pixel reads as the top-left device pixel of its block.
    const int scale = DeviceScale();
    return PixelToRgb(
        reinterpret_cast<const uint32_t*>(image_->constScanLine(y * scale))[x * scale]);
}
void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    uint32_t px = RgbToPixel(ColorToRGB(color));
    if (monochrome_)
        px = IsWhiteForMono(px) ? kRgbMask : 0;
    const int scale = DeviceScale();
    for (int j = 0; j < scale; ++j) {
        auto* line = reinterpret_cast<uint32_t*>(image_->scanLine(y * scale + j));
        for (int i = 0; i < scale; ++i)
            line[x * scale + i] = 0xFF000000u | px;
    }
}

QImage& TBitmap::Image() {
    return *image_;
}
const QImage& TBitmap::Image() const {
    return *image_;
}

void TBitmap::Mask(TColor color) {
    uint32_t key = RgbToPixel(ColorToRGB(color));
    for (int y = 0; y < image_->height(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image_->scanLine(y));
        for (int x = 0; x < image_->width(); ++x)
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
    const int scale = DeviceScale();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // A picture of device pixels shows its top-left pixel of each block here.
            int sx = x * Width() / std::max(1, w) * scale;
            int sy = y * Height() / std::max(1, h) * scale;
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
    image_->setDevicePixelRatio(b->scale_);
    scale_ = b->scale_;
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
    // A bitmap's pixels are its logical pixels, whatever ratio a file's name ("@2x") gives.
    image_->setDevicePixelRatio(1);
    scale_ = 1;
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

namespace {
TDragImageList* gDragImages = nullptr;
}

TDragImageList::~TDragImageList() {
    EndDrag();
}

TDragImageList* TDragImageList::Current() {
    return gDragImages;
}

bool TDragImageList::SetDragImage(int index, int hotSpotX, int hotSpotY) {
    if (index < 0 || index >= Count())
        return false;
    dragIndex_ = index;
    hotSpot_ = {hotSpotX, hotSpotY};
    return true;
}

bool TDragImageList::BeginDrag(HWND window, int x, int y) {
    if (dragIndex_ < 0 || dragIndex_ >= Count() || !BvQt::HasApplication())
        return false;
    if (gDragImages && gDragImages != this)
        gDragImages->EndDrag();
    origin_ = window ? window->ClientOrigin() : TPoint{};
    TBitmap image, mask;
    GetBitmap(dragIndex_, &image);
    GetMask(dragIndex_, &mask);
    BvQt::ShowDragImage(image, Masked ? &mask : nullptr,
                        {origin_.X + x - hotSpot_.X, origin_.Y + y - hotSpot_.Y});
    dragging_ = true;
    gDragImages = this;
    return true;
}

bool TDragImageList::DragMove(int x, int y) {
    if (!dragging_)
        return false;
    BvQt::MoveDragImage({origin_.X + x - hotSpot_.X, origin_.Y + y - hotSpot_.Y});
    return true;
}

void TDragImageList::EndDrag() {
    if (!dragging_)
        return;
    dragging_ = false;
    if (gDragImages == this)
        gDragImages = nullptr;
    BvQt::HideDragImage();
}

void TDragImageList::ShowDragImage() {
    if (dragging_)
        BvQt::SetDragImageVisible(true);
}

void TDragImageList::HideDragImage() {
    if (dragging_)
        BvQt::SetDragImageVisible(false);
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
    SetTarget(target);
}
TCanvas::~TCanvas() = default;

void TCanvas::SetTarget(QImage* target) {
    target_ = target;
    // Ratios between whole numbers draw at the next one up or down; Qt scales the rest.
    scale_ = target ? std::max(1, qRound(target->devicePixelRatio())) : 1;
}

void TCanvas::AttachTo(const TCanvas* dc) {
    if (!dc) {
        target_ = nullptr;
        return;
    }
    target_ = dc->target_;
    scale_ = dc->scale_;
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
    if (r)
        clip_ = ToViewRect(*r);
}

void TCanvas::IntersectClip(const TRect& r) {
    TRect dr = ToViewRect(r);
    if (hasClip_) {
        TRect out;
        IntersectRect(out, clip_, dr);
        clip_ = out;
    } else {
        clip_ = dr;
        hasClip_ = true;
    }
}

TRect TCanvas::ViewClip() const {
    TRect all =
        target_ ? Rect(0, 0, target_->width() / scale_, target_->height() / scale_) : TRect{};
    if (!hasClip_)
        return all;
    TRect out;
    IntersectRect(out, all, clip_);
    return out;
}

TRect TCanvas::ClipRect() const {
    TRect d = ViewClip();
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
