// The speed bar: a panel docked to one side of its parent carrying the buttons of its items
// on a grid. Items are grouped into named sections; a section owns its items, the bar owns
// its sections, and an item owns its button, so each object has one owner and any of them
// can go first.
#pragma once

#include "BvExExtCtrls.h"
#include "BvFormPlacement.h"
#include "BvSpeedButton.h"

#include <memory>
#include <string>
#include <vector>

BV_DECLARE_EXCEPTION(EBvSpeedbarError, EBvException);

// Sent to a customization window: WParam 0 an item left the bar or a drop was refused, 1 the
// bar goes, 2 an item moved (LParam the item), 3 the button size or orientation changed.
constexpr uint32_t CM_SPEEDBARCHANGED = 0xB050;

class TBvSpeedBar;
class TBvSpeedItem;
class TBvCustomAppStorage;
class TBvFormPlacement;
class TBvIniLink;
class TBvBtnControl;

class TBvSpeedBarButton : public TBvSpeedButton {
    BV_CLASS_INFO()
public:
    TBvSpeedBarButton(TComponent* owner, TBvSpeedItem* item);
    ~TBvSpeedBarButton() override;
    // The drag picture while the button is dragged in customization, else nullptr.
    TBvBtnControl* DragPicture() const { return dragPicture_.get(); }
    TBvSpeedItem* Item() const { return item_; }
    void SetBounds(int left, int top, int width, int height) override;

protected:
    void Paint() override;
    void PaintImage(TCanvas* canvas, const TRect& r, TPoint offset, TBvButtonState state,
                    bool drawMark) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TBvSpeedItem* item_;
    bool customDrag_ = false;
    // The picture that follows the pointer while the button is dragged in customization.
    std::unique_ptr<TBvBtnControl> dragPicture_;
};

class TBvSpeedBarSection : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvSpeedBarSection(TComponent* owner);
    ~TBvSpeedBarSection() override;
    std::string Caption() const { return caption_; }
    // A caption another section of the bar has is refused.
    void SetCaption(const std::string& value);
    int Count() const { return static_cast<int>(items_.size()); }
    TBvSpeedItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TBvSpeedBar* SpeedBar() const { return bar_; }
    // The position in the bar's section list, -1 when detached.
    int Index() const;
    void SetIndex(int value);

private:
    friend class TBvSpeedBar;
    friend class TBvSpeedItem;
    std::vector<TBvSpeedItem*> items_;
    std::string caption_;
    TBvSpeedBar* bar_ = nullptr;
};

class TBvSpeedItem : public TComponent {
    BV_CLASS_INFO()
public:
    explicit TBvSpeedItem(TComponent* owner);
    ~TBvSpeedItem() override;

    TBvSpeedBarButton* Button() const { return button_.get(); }
    TBvSpeedBar* SpeedBar() const { return bar_; }
    TBvSpeedBarSection* Section() const;
    int SectionIndex() const { return sectionIndex_; }
    std::string SectionName() const;
    void SetSectionName(const std::string& value) { sectionName_ = value; }

    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    std::string Hint() const { return button_->Hint(); }
    void SetHint(const std::string& value) { button_->SetHint(value); }
    std::string BtnCaption() const { return button_->Caption(); }
    void SetBtnCaption(const std::string& value) { button_->SetCaption(value); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Stored = true;
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TBitmap* Glyph() const { return button_->Glyph(); }
    void SetGlyph(TBitmap* value) { button_->SetGlyph(value); }
    int Left() const { return button_->Left(); }
    void SetLeft(int value) { button_->SetLeft(value); }
    int Top() const { return button_->Top(); }
    void SetTop(int value) { button_->SetTop(value); }
    int GroupIndex() const { return button_->GroupIndex(); }
    void SetGroupIndex(int value) { button_->SetGroupIndex(value); }
    bool Down() const { return button_->Down(); }
    void SetDown(bool value) { button_->SetDown(value); }
    void SetOnClick(TNotifyEvent event) { button_->OnClick = std::move(event); }
    bool AllowAllUp() const { return button_->AllowAllUp(); }
    void SetAllowAllUp(bool value) { button_->SetAllowAllUp(value); }
    bool AllowTimer() const { return button_->AllowTimer(); }
    void SetAllowTimer(bool value) { button_->SetAllowTimer(value); }
    TPopupMenu* DropDownMenu() const { return button_->DropDownMenu(); }
    void SetDropDownMenu(TPopupMenu* value) { button_->SetDropDownMenu(value); }
    bool MarkDropDown() const { return button_->MarkDropDown(); }
    void SetMarkDropDown(bool value) { button_->SetMarkDropDown(value); }
    TButtonLayout Layout() const { return button_->Layout(); }
    void SetLayout(TButtonLayout value) { button_->SetLayout(value); }
    int Margin() const { return button_->Margin(); }
    void SetMargin(int value) { button_->SetMargin(value); }
    int Spacing() const { return button_->Spacing(); }
    void SetSpacing(int value) { button_->SetSpacing(value); }
    int NumGlyphs() const { return button_->NumGlyphs(); }
    void SetNumGlyphs(int value) { button_->SetNumGlyphs(value); }
    bool WordWrap() const { return button_->WordWrap(); }
    void SetWordWrap(bool value) { button_->SetWordWrap(value); }
    TFont* Font() const { return button_->Font(); }
    bool ParentFont() const { return button_->ParentFont(); }
    void SetParentFont(bool value) { button_->SetParentFont(value); }
    bool ShowHint() const { return button_->ShowHint(); }
    void SetShowHint(bool value) { button_->SetShowHint(value); }
    bool ParentShowHint() const { return button_->ParentShowHint(); }
    void SetParentShowHint(bool value) { button_->SetParentShowHint(value); }
    TCursor Cursor() const { return button_->Cursor(); }
    void SetCursor(TCursor value) { button_->SetCursor(value); }
    // The action the item's button shows and runs.
    TBasicAction* Action() const { return button_->Action(); }
    void SetAction(TBasicAction* value) { button_->SetAction(value); }
    // The button's mouse events, with the button as sender.
    void SetOnDblClick(TNotifyEvent event) { button_->OnDblClick = std::move(event); }
    void SetOnMouseDown(TMouseEvent event) { button_->OnMouseDown = std::move(event); }
    void SetOnMouseMove(TMouseMoveEvent event) { button_->OnMouseMove = std::move(event); }
    void SetOnMouseUp(TMouseEvent event) { button_->OnMouseUp = std::move(event); }
    void SetOnMouseEnter(TNotifyEvent event) { button_->OnMouseEnter = std::move(event); }
    void SetOnMouseLeave(TNotifyEvent event) { button_->OnMouseLeave = std::move(event); }
    bool Editing() const { return editing_; }
    void SetEditing(bool value);

    // Runs the item's command as a click on its button would, enabled or not.
    virtual void ButtonClick();
    void SetName(const std::string& name) override;

private:
    friend class TBvSpeedBar;
    friend class TBvSpeedBarSection;
    std::string caption_;
    bool editing_ = false;
    bool enabled_ = true;
    std::unique_ptr<TBvSpeedBarButton> button_;
    bool visible_ = false;
    TBvSpeedBar* bar_ = nullptr;
    // The section whose list holds the item, on a bar or detached with its section.
    TBvSpeedBarSection* section_ = nullptr;
    int sectionIndex_ = -1;
    std::string sectionName_;
    int imageIndex_ = -1;
};

enum class TBarPosition { bpAuto, bpCustom };
enum class TBarOrientation : uint8_t { boHorizontal, boVertical };
enum TBvSpeedBarOption : uint8_t {
    sbAllowDrag = 1,
    sbAllowResize = 2,
    sbFlatBtns = 4,
    sbGrayedBtns = 8,
    sbTransparentBtns = 16,
    sbStretchBitmap = 32,
};
using TBvSpeedBarOptions = uint8_t;
enum TBoundLine : uint8_t { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
using TBoundLines = uint8_t;

using TApplyAlignEvent = std::function<void(TObject* sender, TAlign align, bool& apply)>;

class TBvSpeedBar : public TBvCustomPanel {
    BV_CLASS_INFO()
public:
    explicit TBvSpeedBar(TComponent* owner);
    ~TBvSpeedBar() override;

    // ---- sections and items ----
    int SectionCount() const { return static_cast<int>(sections_.size()); }
    TBvSpeedBarSection* Sections(int index) const {
        return sections_.at(static_cast<size_t>(index));
    }
    // Appends the section with a caption made unique by " (1)", " (2)"...; returns its index.
    virtual int AddSection(TBvSpeedBarSection* section);
    int AddSectionByCaption(const std::string& caption);
    int SearchSection(const std::string& caption) const;
    bool FindItem(const TBvSpeedItem* item, TBvSpeedBarSection*& section, int& index) const;
    // An item already on the bar moves; an index outside the sections takes the nearest one.
    void AddItem(int sectionIndex, TBvSpeedItem* item);
    void RemoveItem(TBvSpeedItem* item);
    // The section leaves the bar; its items leave with it but live on.
    void RemoveSection(int index);
    // The section and its items are freed.
    void DeleteSection(int index);
    void ForEachItem(const std::function<void(TBvSpeedItem*)>& proc) const;
    TBvSpeedItem* FindItemByName(const std::string& name) const;

    // ---- buttons and grid ----
    int BtnWidth() const { return btnWidth_; }
    int BtnHeight() const { return btnHeight_; }
    // Sizes below 1 are refused.
    void SetBtnWidth(int value);
    void SetBtnHeight(int value);
    int BtnOffsetHorz() const { return offsetX_; }
    int BtnOffsetVert() const { return offsetY_; }
    void SetBtnOffsetHorz(int value);
    void SetBtnOffsetVert(int value);
    int MinButtonsOffset() const;
    TPoint Grid() const { return grid_; }
    // The grid step along one axis for a button size.
    static int GridStep(int size);
    TButtonStyle ButtonStyle() const { return buttonStyle_; }
    TBarOrientation Orientation() const { return orientation_; }
    TBarPosition Position() const { return position_; }
    void SetPosition(TBarPosition value);
    void SetOrientation(TBarOrientation value);
    TBvSpeedBarOptions Options() const { return options_; }
    void SetOptions(TBvSpeedBarOptions value);
    TBoundLines BoundLines() const { return boundLines_; }
    void SetBoundLines(TBoundLines value);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);
    int Version = 0;
    // The background picture inside the frames, tiled or (sbStretchBitmap) stretched; any
    // change of it repaints the bar. Setting copies the picture.
    TBitmap* Wallpaper() const { return wallpaper_.get(); }
    void SetWallpaper(TBitmap* value);
    // Fired when a customization window starts working on the bar.
    TNotifyEvent OnCustomize;
    // Scales the button size and offsets with the bar and snaps the buttons to the new grid.
    void ChangeScale(int m, int d) override;

    TAlign Align() const { return TBvCustomPanel::Align(); }
    // bpAuto: top and bottom make the bar horizontal, left and right vertical, others are
    // refused.
    void SetAlign(TAlign value);

    // ---- dragging to another side ----
    // The side of the parent a point in its client area lies on; alNone without a client area.
    static TAlign SideFromPoint(TPoint p, int width, int height);
    bool IsDragging() const { return dragging_; }
    // Resizing by the inner edge, only while a customization window works on the bar.
    bool IsResizing() const { return resizing_; }
    TRect DragFrame() const { return dragFrame_; }
    // Ends a running drag without docking (the capture went elsewhere).
    void CancelDrag();
    TApplyAlignEvent OnApplyAlign;
    TNotifyEvent OnPosChanged;
    TNotifyEvent OnVisibleChanged;

    // ---- customization and layout ----
    HWND EditWindow() const { return editWin_; }
    void SetEditWindow(HWND value);
    bool IsEditing() const { return editWin_ != nullptr; }
    // Snaps the item to the grid at a point of the bar; true when it lands inside.
    bool MoveItemTo(TBvSpeedItem* item, TPoint p);
    void AlignItemsToGrid();
    void SaveLayout(TBvCustomAppStorage* storage, const std::string& path);
    void RestoreLayout(TBvCustomAppStorage* storage, const std::string& path);
    TBvFormPlacement* IniStorage() const;
    void SetIniStorage(TBvFormPlacement* value);
    void NotifyEditWindow(intptr_t what, intptr_t param);

    void WndProc(TMessage& m) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void AlignControls(TControl* control) override;
    void Notification(TComponent* component, TOperation operation) override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    virtual void PosChanged();
    virtual void Customize();

private:
    void SetGrid();
    void PaintWallpaper(const TRect& r, int border);
    void ApplyButtonSize();
    void MoveButtons(int dx, int dy);
    void UpdateButtonsState();
    TRect CandidateFrame(TAlign side) const;
    TAlign SideAtScreen(TPoint screen, bool& apply);
    void EndDrag(bool dock);
    bool AtResizeEdge(int x, int y) const;
    void ResizeTo(int x, int y);
    void EndResize();
    void LayoutSave();
    void LayoutLoad();

    friend class TBvSpeedBarSection;
    std::vector<TBvSpeedBarSection*> sections_;
    TBarPosition position_ = TBarPosition::bpAuto;
    TBarOrientation orientation_ = TBarOrientation::boHorizontal;
    int btnWidth_ = 24, btnHeight_ = 23;
    TButtonStyle buttonStyle_ = TButtonStyle::bsNew;
    TPoint grid_;
    int offsetX_ = 0, offsetY_ = 0;
    HWND editWin_ = nullptr;
    TRect dragFrame_;
    TAlign prevAlign_ = TAlign::alTop;
    TBvSpeedBarOptions options_ = sbAllowDrag | sbGrayedBtns;
    bool locked_ = false;
    bool dragging_ = false;
    bool pressed_ = false;
    bool releasing_ = false;
    bool resizing_ = false;
    bool resizeCursor_ = false;
    TCursor barCursor_ = crDefault;
    TPoint downPos_;
    TBoundLines boundLines_ = 0;
    TCustomImageList* images_ = nullptr;
    std::unique_ptr<TBvIniLink> iniLink_;
    std::unique_ptr<TBitmap> wallpaper_;
    TCursor savedCursor_ = crDefault;
};

// The picture of a speed-bar button that follows the pointer while the button is dragged in
// customization: a small popup above every window that never takes the focus or the mouse.
class TBvBtnControl : public TBvCustomControl {
    BV_CLASS_INFO()
public:
    explicit TBvBtnControl(TComponent* owner);
    ~TBvBtnControl() override;
    TBvButtonImage* Image() const { return image_.get(); }
    int NumGlyphs() const { return image_->NumGlyphs(); }
    int Margin = -1;
    TButtonLayout Layout = TButtonLayout::blGlyphTop;
    int Spacing = 1;
    std::string BtnCaption;
    int ImageIndex = -1;
    TCustomImageList* Images = nullptr;
    // Takes the look of the item's button and the bar's button size.
    void InitData(TBvSpeedItem* item);
    // The first time the window takes the rectangle's bounds; then it shows above every
    // window at the rectangle's top-left, without becoming active.
    void Activate(const TRect& rect);
    // Hides the picture; its window goes with it.
    void ReleaseWindow();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void Resize() override;

private:
    std::unique_ptr<TBvButtonImage> image_;
};

// The screen's cursor slot of the kit's drag cursor (a bar or button being dragged).
constexpr int crBvDragCursor = 105;
// The drag cursor's picture: a pointer carrying a small bar, its tip the hot spot (0, 0),
// on the transparent colour.
constexpr TColor kDragCursorTransparent = 0xFF00FF;
void DrawSpeedbarDragCursor(TBitmap& picture);
// Puts the drawn drag cursor into its slot unless the program filled the slot itself.
void InitSpeedbarDragCursor();
