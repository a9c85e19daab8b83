// Item painters of the drawn menus: a painter lays an item out in columns (check mark, image
// with its margins, caption with the shortcut column) and draws it through a fixed sequence of
// virtual steps that each look overrides.
#pragma once

#include "BvMenus.h"

class TBvCustomMenuItemPainter : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvCustomMenuItemPainter(TComponent* owner);
    ~TBvCustomMenuItemPainter() override;

    // Binds a drawn menu (main or popup); anything else leaves the painter unbound.
    void SetMenu(TComponent* menu);
    TBvMenuCommon* Menu() const { return menu_; }

    TBvImageMargin* ImageMargin() const { return imageMargin_.get(); }
    TBvMenuImageSize* ImageSize() const { return imageSize_.get(); }
    TColor ImageBackgroundColor = clBtnFace;
    unsigned LeftMargin = 0;
    TBvDrawLeftMarginEvent OnDrawLeftMargin;

    virtual void Measure(TMenuItem* item, int& width, int& height);
    virtual void Paint(TMenuItem* item, const TRect& itemRect, TMenuOwnerDrawState state);

    // The columns of an item in a drop-down, as Paint lays them out.
    struct TLayout {
        TRect CheckMark, ImageAndMargin, TextAndShortCut, Body, LeftStrip, Image, Text;
    };
    TLayout LayOut(const TRect& itemRect, int windowHeight);
    // Width of the captions (and shortcut column) of the item's drop-down or of its bar caption.
    int GetTextWidth(TMenuItem* item);

    virtual int GetCheckMarkHeight();
    virtual int GetCheckMarkWidth();
    virtual bool UseDisabledShadow();
    virtual TColor GetGrayedTextColor();
    virtual int GetImageHeight();
    virtual int GetImageWidth();
    virtual int GetTextMargin();
    virtual void UpdateFieldsFromMenu();

protected:
    virtual void DrawPatternFrame(TRect rect);
    virtual void PreparePaint(TMenuItem* item, const TRect& rect, bool measuring,
                              TMenuOwnerDrawState state);
    virtual void DrawItemBackground(const TRect&) {}
    virtual void DrawCheckMarkBackground(const TRect&) {}
    virtual void DrawImageBackground(const TRect&) {}
    virtual void DrawTextBackground(const TRect&) {}
    virtual void DrawSelectedFrame(const TRect&) {}
    virtual void DrawDisabledBitmap(int x, int y, TBitmap* bitmap);
    virtual void DrawGlyph(int x, int y, TBitmap* bitmap);
    virtual void DrawDisabledImage(int x, int y);
    virtual void DrawEnabledImage(int x, int y);
    virtual void DrawCheckMark(TRect rect);
    virtual void DrawCheckedImageBack(const TRect&) {}
    virtual void DrawNotCheckedImageBack(const TRect&) {}
    virtual void DrawSeparator(const TRect& rect);
    virtual void DrawItemText(TRect rect, const std::string& text, uint32_t flags);
    virtual void DrawLeftMargin(const TRect& rect);

    TCanvas* Canvas() const;
    bool IsPopup() const { return IsItemPopup(item_); }
    // Captions and columns run from the right: the menu's mode is right to left.
    bool IsRightToLeft() const {
        return menu_ && menu_->AsMenu()->BiDiMode() == TBiDiMode::bdRightToLeft;
    }
    bool HasImage() const;
    bool HasHotImage() const;
    bool HasDisabledImage() const;
    bool Selected() const { return (state_ & mdSelected) != 0; }
    bool ShowCheckMarks() const { return menu_ && menu_->ShowCheckMarks; }

    TBvMenuCommon* menu_ = nullptr;
    TMenuItem* item_ = nullptr;
    TMenuItem* parentMenuItem_ = nullptr;
    TMenuOwnerDrawState state_ = 0;
    int imageIndex_ = -1;
    TGraphic* glyph_ = nullptr;
    int numGlyphs_ = 1;
    TDrawMenuItemEvent onDrawItem_;

private:
    std::unique_ptr<TBvImageMargin> imageMargin_;
    std::unique_ptr<TBvMenuImageSize> imageSize_;
};

class TBvStandardMenuItemPainter : public TBvCustomMenuItemPainter {
    BV_CLASS_INFO()
public:
    using TBvCustomMenuItemPainter::TBvCustomMenuItemPainter;
    int GetImageWidth() override;
    int GetTextMargin() override;
};

class TBvOwnerDrawMenuItemPainter : public TBvCustomMenuItemPainter {
    BV_CLASS_INFO()
public:
    using TBvCustomMenuItemPainter::TBvCustomMenuItemPainter;
    void Measure(TMenuItem* item, int& width, int& height) override;
    void Paint(TMenuItem* item, const TRect& itemRect, TMenuOwnerDrawState state) override;
};

class TBvBtnMenuItemPainter : public TBvCustomMenuItemPainter {
    BV_CLASS_INFO()
public:
    explicit TBvBtnMenuItemPainter(TComponent* owner, bool lowered = true);
    bool Lowered = true;
    bool UseDisabledShadow() override;
    TColor GetGrayedTextColor() override;
    void UpdateFieldsFromMenu() override;

protected:
    void DrawSelectedFrame(const TRect& rect) override;
};

class TBvOfficeMenuItemPainter : public TBvCustomMenuItemPainter {
    BV_CLASS_INFO()
public:
    using TBvCustomMenuItemPainter::TBvCustomMenuItemPainter;
    void UpdateFieldsFromMenu() override;
    int GetTextMargin() override;
    bool UseDisabledShadow() override;

protected:
    void DrawImageBox(TRect rect);
    void DrawCheckedImageBack(const TRect& rect) override;
    void DrawNotCheckedImageBack(const TRect& rect) override;
    void DrawItemBackground(const TRect& rect) override;
    void DrawSelectedFrame(const TRect& rect) override;
    void DrawCheckMark(TRect rect) override;
    void DrawItemText(TRect rect, const std::string& text, uint32_t flags) override;
};

class TBvXPMenuItemPainter : public TBvCustomMenuItemPainter {
    BV_CLASS_INFO()
public:
    explicit TBvXPMenuItemPainter(TComponent* owner);
    ~TBvXPMenuItemPainter() override;

    TBrush* SelectionFrameBrush() const { return selectionFrameBrush_.get(); }
    TPen* SelectionFramePen() const { return selectionFramePen_.get(); }
    TColor SeparatorColor = 0xA6A6A6;
    TColor ShadowColor = 0x9D8D88;
    TColor CheckedImageBackColor = 0xD8D5D4;
    TColor CheckedImageBackColorSelected = 0xB59285;

    void UpdateFieldsFromMenu() override;
    int GetTextMargin() override;
    bool UseDisabledShadow() override;
    void Measure(TMenuItem* item, int& width, int& height) override;
    void Paint(TMenuItem* item, const TRect& itemRect, TMenuOwnerDrawState state) override;

protected:
    void PreparePaint(TMenuItem* item, const TRect& rect, bool measuring,
                      TMenuOwnerDrawState state) override;
    void DrawItemBackground(const TRect& rect) override;
    void DrawImageBackground(const TRect& rect) override;
    void DrawCheckMarkBackground(const TRect& rect) override;
    void DrawSelectedFrame(const TRect& rect) override;
    void DrawCheckedImageBack(const TRect& rect) override;
    void DrawCheckMark(TRect rect) override;
    void DrawItemText(TRect rect, const std::string& text, uint32_t flags) override;
    void DrawSeparator(const TRect& rect) override;
    void DrawDisabledImage(int x, int y) override;
    void DrawEnabledImage(int x, int y) override;
    void DrawGlyph(int x, int y, TBitmap* bitmap) override;

private:
    void DrawBitmapShadow(int x, int y, TBitmap* bitmap);
    // The frame of the drop-down window, drawn on the window's own picture around the item.
    void DrawWindowFrame(const TRect& itemRect);
    std::unique_ptr<TBrush> selectionFrameBrush_;
    std::unique_ptr<TPen> selectionFramePen_;
};
