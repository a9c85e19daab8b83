// Fonts, pens, brushes, bitmaps, image lists and the canvas with the drawing rules the
// controls are written against: the last pixel of a line is not drawn, rectangles leave
// their right and bottom edges out, raster operations combine pen, brush, source and
// destination bit by bit. Everything draws into a QImage; text goes through Qt.
#pragma once

#include "Component.h"
#include "Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QImage;
class QFont;
class TBitmap;
class TCanvas;

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

class TGraphicsObject : public TPersistent {
    BV_CLASS_INFO()
public:
    std::function<void(TGraphicsObject&)> OnChange;

protected:
    void Changed() {
        if (OnChange)
            OnChange(*this);
    }
};

// Measures many lines in the canvas's present font, as LineWidth does, without looking the
// font up again for each line.
class TLineWidths {
public:
    explicit TLineWidths(TCanvas& canvas);
    int operator()(const std::string& text) const;
    // The width summed from the font's advances, or -1 for text that only the text engine
    // measures right.
    int QuickWidth(const std::string& text) const;
    // The height of one line of this font as DrawText's word-wrapping measure gives it.
    int LineHeight() const { return lineHeight_; }

private:
    TCanvas& canvas_;
    const double* advances_ = nullptr; // of the characters 0x20 to 0x17F
    int lineHeight_ = 0;
};

class TFont : public TGraphicsObject {
    BV_CLASS_INFO()
public:
    TFont();
    std::string Name() const { return name_; }
    void SetName(const std::string& name);
    // Size in points; Height is the negative character height in pixels at 96 pixels per inch.
    int Size() const;
    void SetSize(int size);
    int Height() const { return height_; }
    void SetHeight(int height);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    int Charset() const { return charset_; }
    void SetCharset(int charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    void Assign(const TPersistent& source) override;
    bool operator==(const TFont& other) const;
    QFont ToQFont() const;

private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_ = 0;
    int charset_ = 1;
    TFontPitch pitch_ = TFontPitch::fpDefault;
};

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};

class TPen : public TGraphicsObject {
    BV_CLASS_INFO()
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    int Width() const { return width_; }
    void SetWidth(int w);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode m);
    void Assign(const TPersistent& source) override;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
    TPenMode mode_ = TPenMode::pmCopy;
};

enum class TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

class TBrush : public TGraphicsObject {
    BV_CLASS_INFO()
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s);
    // A pattern brush: the bitmap is tiled from the device origin; not owned.
    TBitmap* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap* bitmap);
    void Assign(const TPersistent& source) override;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    TBitmap* bitmap_ = nullptr;
};

// Ternary raster operations.
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t SRCERASE = 0x00440328;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t NOTSRCERASE = 0x001100A6;
constexpr uint32_t MERGECOPY = 0x00C000CA;
constexpr uint32_t MERGEPAINT = 0x00BB0226;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATPAINT = 0x00FB0A09;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;
constexpr uint32_t ROP_DSPDxax = 0x00E20746;
using TCopyMode = uint32_t;

// One raster operation on three colours; each result bit follows the operation's truth table.
uint32_t ApplyRop3(uint32_t rop, uint32_t pattern, uint32_t source, uint32_t dest);
uint32_t ApplyRop2(TPenMode mode, uint32_t pen, uint32_t dest);

constexpr int OPAQUE = 2;
constexpr int TRANSPARENT = 1;

// DrawText flags.
constexpr uint32_t DT_TOP = 0x0;
constexpr uint32_t DT_LEFT = 0x0;
constexpr uint32_t DT_CENTER = 0x1;
constexpr uint32_t DT_RIGHT = 0x2;
constexpr uint32_t DT_VCENTER = 0x4;
constexpr uint32_t DT_BOTTOM = 0x8;
constexpr uint32_t DT_WORDBREAK = 0x10;
constexpr uint32_t DT_SINGLELINE = 0x20;
constexpr uint32_t DT_EXPANDTABS = 0x40;
constexpr uint32_t DT_NOCLIP = 0x100;
constexpr uint32_t DT_CALCRECT = 0x400;
constexpr uint32_t DT_NOPREFIX = 0x800;
constexpr uint32_t DT_PATH_ELLIPSIS = 0x4000;
constexpr uint32_t DT_END_ELLIPSIS = 0x8000;
constexpr uint32_t DT_MODIFYSTRING = 0x10000;
constexpr uint32_t DT_RTLREADING = 0x20000;
constexpr uint32_t DT_WORD_ELLIPSIS = 0x40000;
constexpr uint32_t DT_HIDEPREFIX = 0x100000;

struct TTextMetric {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
};

class TGraphic : public TPersistent {
    BV_CLASS_INFO()
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    std::function<void(TGraphic&)> OnChange;

protected:
    void Changed() {
        if (OnChange)
            OnChange(*this);
    }
    bool transparent_ = false;
};

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
enum class TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
    BV_CLASS_INFO()
public:
    TBitmap();
    TBitmap(int width, int height);
    // A picture of that logical size at a device scale (see DeviceScale).
    TBitmap(int width, int height, int deviceScale);
    ~TBitmap() override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }
    void SetSize(int width, int height);
    // Device pixels per logical pixel each way (1 unless set). A picture kept for a screen of
    // ratio 2 holds a block of 2 x 2 pixels per logical pixel, so the text and lines its canvas
    // draws are as sharp as on the screen; Width, Height, Pixel and drawing stay logical.
    // Setting another scale keeps the picture, enlarged or reduced by whole pixels.
    int DeviceScale() const { return scale_; }
    void SetDeviceScale(int scale);
    TPixelFormat PixelFormat() const { return monochrome_ ? TPixelFormat::pf1bit : format_; }
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const { return monochrome_; }
    void SetMonochrome(bool value);
    TCanvas* Canvas();
    // tmAuto takes the bottom-left pixel; tmFixed the stored colour.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode) { transparentMode_ = mode; }
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void Assign(const TPersistent& source) override;
    // Loads any picture format Qt reads; raises EInvalidGraphic when it cannot.
    void LoadFromFile(const std::string& localPath);
    void SaveToFile(const std::string& localPath) const;
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    QImage& Image();
    const QImage& Image() const;
    // Turns every pixel equal to color white and every other black, as a one-bit mask.
    void Mask(TColor color);

private:
    std::unique_ptr<QImage> image_;
    std::unique_ptr<TCanvas> canvas_;
    // Kept apart from the image's own ratio, which an empty image cannot hold.
    int scale_ = 1;
    bool monochrome_ = false;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    TColor transparentColor_ = clDefault;
    TTransparentMode transparentMode_ = TTransparentMode::tmAuto;
};

BV_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
BV_DECLARE_EXCEPTION(EInvalidOperation, Exception);

// Image list draw styles.
constexpr uint32_t ILD_NORMAL = 0x0000;
constexpr uint32_t ILD_TRANSPARENT = 0x0001;
constexpr uint32_t ILD_MASK = 0x0010;
enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };

class TCustomImageList : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TCustomImageList(TComponent* owner);
    TCustomImageList(TComponent* owner, int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetSize(int width, int height);
    int Count() const { return static_cast<int>(images_.size()); }
    bool Masked = true;
    TColor BkColor = clNone;
    TDrawingStyle DrawingStyle = TDrawingStyle::dsNormal;
    // Cuts image into cells of the list's width; mask white marks transparent pixels.
    int Add(TBitmap* image, TBitmap* mask);
    int AddMasked(TBitmap* image, TColor maskColor);
    void Delete(int index);
    void Clear();
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void DrawEx(TCanvas* canvas, int x, int y, int index, uint32_t style);
    void GetBitmap(int index, TBitmap* image) const;
    void GetMask(int index, TBitmap* mask) const;
    std::function<void(TCustomImageList&)> OnChange;

private:
    void Changed();
    void CheckIndex(int index) const;
    int width_ = 16;
    int height_ = 16;
    std::vector<std::unique_ptr<TBitmap>> images_;
    std::vector<std::unique_ptr<TBitmap>> masks_;
};

class TImageList : public TCustomImageList {
    BV_CLASS_INFO()
public:
    using TCustomImageList::TCustomImageList;
};

// An image list one of whose images follows the pointer during a drag, held at its hot spot.
class TDragImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    ~TDragImageList() override;
    // The image the drag shows and the point of it that sits under the pointer.
    bool SetDragImage(int index, int hotSpotX, int hotSpotY);
    TPoint DragHotspot() const { return hotSpot_; }
    int DragIndex() const { return dragIndex_; }
    // Shows the drag image with its hot spot at a point of window (0: the screen).
    bool BeginDrag(HWND window, int x, int y);
    // Moves it, in the coordinates BeginDrag was given.
    bool DragMove(int x, int y);
    void EndDrag();
    void ShowDragImage();
    void HideDragImage();
    bool Dragging() const { return dragging_; }
    // The list whose image is being dragged now, if any.
    static TDragImageList* Current();

private:
    int dragIndex_ = 0;
    TPoint hotSpot_;
    TPoint origin_;
    bool dragging_ = false;
};

class TCanvas : public TPersistent {
    BV_CLASS_INFO()
public:
    TCanvas();
    explicit TCanvas(QImage* target);
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The device context of the canvas is the canvas itself.
    HDC Handle() { return target_ ? this : nullptr; }
    bool HandleAllocated() const { return target_ != nullptr; }
    // Points the canvas at another image (nullptr detaches it). An image with a device pixel
    // ratio of 2 holds two device pixels per logical pixel each way: every call still takes
    // logical coordinates, and a logical pixel is drawn as a block of device pixels, while
    // text, shape edges and pictures that have the detail are drawn at device resolution.
    void SetTarget(QImage* target);
    QImage* Target() const { return target_; }
    // Device pixels per logical pixel of the target (whole numbers; 1 without a target).
    int DeviceScale() const { return scale_; }
    // Draws where dc draws (image, origins and clip), keeping this canvas's own pen, brush and
    // font.
    void AttachTo(const TCanvas* dc);
    bool Monochrome() const { return monochrome_; }
    void SetMonochrome(bool value) { monochrome_ = value; }

    TPen* Pen() const { return pen_.get(); }
    TBrush* Brush() const { return brush_.get(); }
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont& font) { font_->Assign(font); }
    TCopyMode CopyMode = SRCCOPY;

    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint p) { penPos_ = p; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void DrawFocusRect(const TRect& r);
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    // The width one line of text takes drawn without prefix handling, never less: text of
    // printable ASCII and Latin-1 and Latin Extended-A characters is summed from the font's
    // advances (kerning left out, so it may come out a few pixels wider), other text is
    // measured by the text engine. For
    // scroll extents of long lists, where measuring every line by the engine is too slow;
    // TLineWidths measures many lines in one font.
    int LineWidth(const std::string& text);
    int TextHeight(const std::string& text);
    TPoint TextExtent(const std::string& text);
    TTextMetric TextMetrics();
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    TRect ClipRect() const;
    void Lock() { ++lockCount_; }
    void Unlock() { --lockCount_; }
    int LockCount() const { return lockCount_; }
    std::function<void(TCanvas&)> OnChange;

    // The device-context state behind the canvas, in the system's own terms.
    TColor TextColor() const { return textColor_; }
    TColor SetTextColorDC(TColor color);
    TColor BkColor() const { return bkColor_; }
    TColor SetBkColorDC(TColor color);
    int BkMode() const { return bkMode_; }
    int SetBkModeDC(int mode);
    TPoint WindowOrg() const { return windowOrg_; }
    void SetWindowOrg(TPoint p) { windowOrg_ = p; }
    TPoint ViewportOrg() const { return viewportOrg_; }
    void SetViewportOrg(TPoint p) { viewportOrg_ = p; }
    // Clip in logical coordinates; no clip region means the whole image.
    bool HasClip() const { return hasClip_; }
    void SetClipRect(const TRect* r);
    void IntersectClip(const TRect& r);
    int SaveDC();
    bool RestoreDC(int saved);
    int StretchMode = 3;

    // Raster operation between canvases (coordinates in each canvas's logical space).
    void BitBltFrom(int x, int y, int w, int h, TCanvas* source, int sx, int sy, uint32_t rop);
    void StretchBltFrom(int x, int y, int w, int h, TCanvas* source, int sx, int sy, int sw, int sh,
                        uint32_t rop);
    void PatBlt(int x, int y, int w, int h, uint32_t rop);
    // DrawText on the canvas; returns the text height; DT_CALCRECT only measures into r.
    int DrawTextW(const std::string& text, TRect& r, uint32_t flags);

    // Device pixel helpers for the drawing routines of this layer (x, y in device pixels).
    uint32_t DevicePixel(int x, int y) const;

private:
    struct State {
        TColor textColor, bkColor;
        int bkMode;
        TPoint windowOrg, viewportOrg;
        bool hasClip;
        TRect clip;
        TFont font;
        TPen pen;
        TBrush brush;
        TPoint penPos;
        TCopyMode copyMode;
    };
    // Logical coordinates after the window and viewport origins: still logical pixels, with
    // (0, 0) at the image's top-left corner. Device pixels are these times scale_.
    TPoint ToView(int x, int y) const {
        return {x - windowOrg_.X + viewportOrg_.X, y - windowOrg_.Y + viewportOrg_.Y};
    }
    TRect ToViewRect(const TRect& r) const {
        TPoint a = ToView(r.Left, r.Top);
        return Rect(a.X, a.Y, a.X + r.Width(), a.Y + r.Height());
    }
    TRect ToDeviceRect(const TRect& view) const {
        return Rect(view.Left * scale_, view.Top * scale_, view.Right * scale_,
                    view.Bottom * scale_);
    }
    // The clip in view coordinates, and the same in device pixels.
    TRect ViewClip() const;
    TRect DeviceClip() const { return ToDeviceRect(ViewClip()); }
    uint32_t ToDeviceColor(TColor c) const;
    // The brush at a view pixel: patterns and hatches keep their logical size.
    uint32_t BrushPixel(int vx, int vy, bool& paint) const;
    void PutPen(const TRect& clip, int dx, int dy, uint32_t color);
    // One step of a line at device point (dx, dy): a run one logical pixel thick across the
    // line's main direction, or the wide pen's square; o is the step's offset into its block.
    void PenPixel(const TRect& clip, int dx, int dy, bool xMajor, TPoint o, int& dashPos);
    // A single pen dot on the logical pixel at view point p.
    void PenDot(TPoint p, int& dashPos);
    void FillDeviceRect(const TRect& dr, bool withRop2);
    void DrawViewLine(TPoint a, TPoint b, int& dashPos);
    void FillMask(const QImage& mask, bool withRop2);
    void Changed();
    void SyncFromObjects();

    QImage* target_ = nullptr;
    int scale_ = 1;
    bool monochrome_ = false;
    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    std::unique_ptr<TFont> font_;
    TPoint penPos_;
    TColor textColor_ = 0;
    TColor bkColor_ = 0xFFFFFF;
    int bkMode_ = OPAQUE;
    TPoint windowOrg_, viewportOrg_;
    bool hasClip_ = false;
    TRect clip_;
    int lockCount_ = 0;
    std::vector<State> saved_;
};

// The device-context routines in the system's own terms, over a canvas.
TColor SetTextColor(HDC dc, TColor color);
TColor SetBkColor(HDC dc, TColor color);
int SetBkMode(HDC dc, int mode);
int SaveDC(HDC dc);
bool RestoreDC(HDC dc, int saved);
bool GetWindowOrgEx(HDC dc, TPoint* p);
bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old);
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old);
bool BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, uint32_t rop);
bool StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                uint32_t rop);
bool PatBlt(HDC dc, int x, int y, int w, int h, uint32_t rop);
bool DrawFocusRect(HDC dc, const TRect& r);
int DrawText(HDC dc, const std::string& text, int len, TRect* r, uint32_t flags);
bool GetTextMetrics(HDC dc, TTextMetric* tm);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
// The clip region's kinds; 0 is an error (no context).
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
// The smallest rectangle around what a drawing may touch, in logical coordinates: during a
// paint, the part being repainted.
int GetClipBox(HDC dc, TRect* rect);

// Edges of DrawEdge and the 3-D frame of panels and bevels.
constexpr uint32_t BDR_RAISEDOUTER = 0x1;
constexpr uint32_t BDR_SUNKENOUTER = 0x2;
constexpr uint32_t BDR_RAISEDINNER = 0x4;
constexpr uint32_t BDR_SUNKENINNER = 0x8;
constexpr uint32_t EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr uint32_t EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr uint32_t EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr uint32_t EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr uint32_t BF_LEFT = 0x1;
constexpr uint32_t BF_TOP = 0x2;
constexpr uint32_t BF_RIGHT = 0x4;
constexpr uint32_t BF_BOTTOM = 0x8;
constexpr uint32_t BF_RECT = 0xF;
constexpr uint32_t BF_ADJUST = 0x2000;
bool DrawEdge(HDC dc, TRect* r, uint32_t edge, uint32_t flags);
void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width);

// Frame controls (check marks and bullets of menus, buttons).
constexpr uint32_t DFC_MENU = 2;
constexpr uint32_t DFC_BUTTON = 4;
constexpr uint32_t DFCS_MENUCHECK = 0x1;
constexpr uint32_t DFCS_MENUBULLET = 0x2;
constexpr uint32_t DFCS_BUTTONCHECK = 0x0;
constexpr uint32_t DFCS_BUTTONPUSH = 0x10;
constexpr uint32_t DFCS_CHECKED = 0x400;
constexpr uint32_t DFCS_PUSHED = 0x200;
constexpr uint32_t DFCS_INACTIVE = 0x100;
bool DrawFrameControl(HDC dc, TRect* r, uint32_t type, uint32_t state);
