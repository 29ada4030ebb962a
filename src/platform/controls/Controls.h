#pragma once
// Windowless controls: model objects with bounds in pixels, a parent, children in z-order, mouse
// and key events, focus and capture. They paint through Paint(TCanvas&) and never own a window:
// a host (ControlHost.h) shows a tree of them, or drives one without any display in tests. The
// report, its bands and its printables are such controls, so a report runs and prints without
// any window.

#include "platform/controls/Messages.h"
#include "platform/core/Component.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/graphics/Types.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace tessiv {

class TWinControl;
class TControlHostBase;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16,
                  crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22;
const TIdentMap& CursorIdents();

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
const TEnumInfo& AlignInfo();

enum TControlStateItem { csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
                         csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking };
using TControlState = TSet<TControlStateItem>;

enum TControlStyleItem { csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
                         csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight,
                         csNoDesignVisible, csReplicatable, csNoStdEvents };
using TControlStyle = TSet<TControlStyleItem>;

enum TDragMode { dmManual, dmAutomatic };
const TEnumInfo& DragModeInfo();
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

using TDragDropEvent = TEvent<void(TObject* sender, TObject* source, int x, int y)>;
using TDragOverEvent = TEvent<void(TObject* sender, TObject* source, int x, int y, TDragState state, bool& accept)>;
using TEndDragEvent = TEvent<void(TObject* sender, TObject* target, int x, int y)>;

using TMouseEvent = TEvent<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = TEvent<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = TEvent<void(TObject* sender, unsigned short& key, TShiftState shift)>;
using TKeyPressEvent = TEvent<void(TObject* sender, QChar& key)>;

// The screen: its resolution, and the cursor that overrides every control's while it is not
// crDefault (set, not pushed: the last assignment wins).
struct TScreen {
    int PixelsPerInch = ScreenPixelsPerInch();
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor)
    {
        FCursor = cursor;
        if (OnCursorChange)
            OnCursorChange(cursor);
    }
    // The user interface shows the cursor (installed by the application object).
    std::function<void(TCursor)> OnCursorChange;

private:
    TCursor FCursor = crDefault;
};
TScreen& Screen();

class TControl : public TComponent {
    TESSIV_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // ---- place ----
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    // Coordinates: the host's surface stands for the screen.
    TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    TPoint ClientToParent(TPoint p, const TWinControl* parent = nullptr) const;
    TPoint ParentToClient(TPoint p, const TWinControl* parent = nullptr) const;
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);
    void BringToFront();
    void SendToBack();

    // ---- appearance ----
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to the root too.
    bool IsShowing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* font) { FFont->Assign(font); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor);
    const QString& Caption() const { return FText; }
    void SetCaption(const QString& text) { SetText(text); }
    const QString& Text() const { return FText; }
    virtual void SetText(const QString& text);
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& hint) { FHint = hint; }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int v) { FHelpContext = v; }

    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState state) { FControlState = state; }
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle style) { FControlStyle = style; }

    // ---- painting ----
    // Asks the host to paint this control again at its next paint.
    virtual void Invalidate();
    // Paints now (the host paints the invalid area at once).
    void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    // Draws the control in its client coordinates.
    virtual void Paint(TCanvas& canvas) {}

    // ---- messages ----
    // The procedure every message goes through; a component may put its own in front (keeping
    // the one it replaced to pass messages on).
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& message);
    std::intptr_t Perform(unsigned msg, std::intptr_t wParam, std::intptr_t lParam);
    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    // ---- events ----
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnResize;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDrag;

    // ---- dragging ----
    // dmAutomatic: pressing the left button starts a drag instead of a mouse press.
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode mode) { FDragMode = mode; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor cursor) { FDragCursor = cursor; }
    // Starts dragging this control: at once, or once the mouse has moved a few pixels.
    void BeginDrag(bool immediate);
    bool Dragging() const;
    // Ends a drag of this control: dropped on the control under the mouse when it accepts.
    void EndDrag(bool drop);
    // What a drag asks of the control under the mouse, and tells the dragged one at the end.
    virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
    virtual void DragDrop(TObject* source, int x, int y);
    virtual void DoEndDrag(TObject* target, int x, int y);

    // The host that shows the tree this control is in (through its root), or nil.
    TControlHostBase* Host() const;
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Resize();
    virtual void FontChanged();
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    // The parent changed (before: the old one; the control is already in the new one's list).
    virtual void ParentChanged(TWinControl* oldParent) {}
    void RequestAlign();

private:
    friend class TWinControl;
    friend class TControlHostBase;
    void DispatchMouse(TMessage& message);

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor = clWindow;
    bool FParentColor = false;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FFontFromParent = false; // the font is being taken from the parent: ParentFont stays on
    TCursor FCursor = crDefault;
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
    QString FText;
    QString FHint;
    int FHelpContext = 0;
    TControlState FControlState;
    TControlStyle FControlStyle;
};

class TWinControl : public TControl {
    TESSIV_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    // Bottom first: the last one is painted last and hit first.
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The topmost child under the point (client coordinates), visible and, unless allowDisabled,
    // enabled; nil when none.
    TControl* ControlAtPos(TPoint p, bool allowDisabled = false) const;
    // The deepest control under the point, this one when no child is there.
    TControl* FindDeepControlAt(TPoint p, bool allowDisabled = false);

    // ---- focus ----
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value) { FTabStop = value; }
    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool Focused() const;

    // ---- keys ----
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void WndProc(TMessage& message) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    void SetChildOrder(TComponent* child, int order) override;

    // Lays out the children that have an Align.
    virtual void AlignControls(TRect& rect);
    void Realign();
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();

    // The host set on a root control.
    void SetHost(TControlHostBase* host) { FHost = host; }

protected:
    virtual void KeyDown(unsigned short& key, TShiftState shift);
    virtual void KeyPress(QChar& key);
    virtual void KeyUp(unsigned short& key, TShiftState shift);
    virtual void DoEnter();
    virtual void DoExit();
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TControl;
    friend class TControlHostBase;
    std::vector<TControl*> FControls;
    bool FTabStop = false;
    int FAlignLevel = 0;
    bool FAligning = false;
    TControlHostBase* FHost = nullptr;
};

// A control without children that paints itself.
class TGraphicControl : public TControl {
    TESSIV_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);
};

// A windowed control that paints itself; Canvas() is the paint canvas while painting and a
// measuring canvas at the screen's resolution otherwise.
class TCustomControl : public TWinControl {
    TESSIV_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas();

protected:
    friend class TControlHostBase;
    TCanvas* FPaintCanvas = nullptr;

private:
    QImage FMeasureImage;
    std::unique_ptr<TCanvas> FMeasureCanvas;
};

// The controls currently alive: a posted message for a destroyed control is dropped.
bool ControlAlive(const TControl* control);
TShiftState KeysToShiftState(unsigned keys);
unsigned ShiftStateToKeys(TShiftState shift);

} // namespace tessiv
