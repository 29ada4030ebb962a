#include "platform/controls/Controls.h"

#include "platform/controls/ControlHostBase.h"
#include "platform/core/Exceptions.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <iterator>
#include <unordered_set>

namespace tessiv {

namespace {
std::unordered_set<const TControl*>& Alive()
{
    static std::unordered_set<const TControl*> alive;
    return alive;
}
} // namespace

bool ControlAlive(const TControl* control)
{
    return control && Alive().count(control) != 0;
}

TScreen& Screen()
{
    static TScreen screen;
    return screen;
}

const TIdentMap& CursorIdents()
{
    static const TIdentMap map{{
        {crDefault, QStringLiteral("crDefault")}, {crNone, QStringLiteral("crNone")},
        {crArrow, QStringLiteral("crArrow")}, {crCross, QStringLiteral("crCross")},
        {crIBeam, QStringLiteral("crIBeam")}, {crSizeNESW, QStringLiteral("crSizeNESW")},
        {crSizeNS, QStringLiteral("crSizeNS")}, {crSizeNWSE, QStringLiteral("crSizeNWSE")},
        {crSizeWE, QStringLiteral("crSizeWE")}, {crUpArrow, QStringLiteral("crUpArrow")},
        {crHourGlass, QStringLiteral("crHourGlass")}, {crDrag, QStringLiteral("crDrag")},
        {crNoDrop, QStringLiteral("crNoDrop")}, {crHSplit, QStringLiteral("crHSplit")},
        {crVSplit, QStringLiteral("crVSplit")}, {crMultiDrag, QStringLiteral("crMultiDrag")},
        {crSQLWait, QStringLiteral("crSQLWait")}, {crNo, QStringLiteral("crNo")},
        {crAppStart, QStringLiteral("crAppStart")}, {crHelp, QStringLiteral("crHelp")},
        {crHandPoint, QStringLiteral("crHandPoint")}, {crSizeAll, QStringLiteral("crSizeAll")},
    }};
    return map;
}

const TEnumInfo& AlignInfo()
{
    static const TEnumInfo info{QStringLiteral("TAlign"),
                                {QStringLiteral("alNone"), QStringLiteral("alTop"), QStringLiteral("alBottom"),
                                 QStringLiteral("alLeft"), QStringLiteral("alRight"), QStringLiteral("alClient")}};
    return info;
}

const TEnumInfo& DragModeInfo()
{
    static const TEnumInfo info{QStringLiteral("TDragMode"), {QStringLiteral("dmManual"), QStringLiteral("dmAutomatic")}};
    return info;
}

TShiftState KeysToShiftState(unsigned keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s += ssShift;
    if (keys & MK_CONTROL)
        s += ssCtrl;
    if (keys & MK_LBUTTON)
        s += ssLeft;
    if (keys & MK_RBUTTON)
        s += ssRight;
    if (keys & MK_MBUTTON)
        s += ssMiddle;
    if (keys & 0x20000000u) // the ALT context bit
        s += ssAlt;
    return s;
}

unsigned ShiftStateToKeys(TShiftState shift)
{
    unsigned k = 0;
    if (shift.Contains(ssShift))
        k |= MK_SHIFT;
    if (shift.Contains(ssCtrl))
        k |= MK_CONTROL;
    if (shift.Contains(ssLeft))
        k |= MK_LBUTTON;
    if (shift.Contains(ssRight))
        k |= MK_RBUTTON;
    if (shift.Contains(ssMiddle))
        k |= MK_MBUTTON;
    if (shift.Contains(ssAlt))
        k |= 0x20000000u;
    return k;
}

std::intptr_t SendMessage(TWinControl* control, unsigned msg, std::intptr_t wParam, std::intptr_t lParam)
{
    return control ? control->Perform(msg, wParam, lParam) : 0;
}

void PostMessage(TWinControl* control, unsigned msg, std::intptr_t wParam, std::intptr_t lParam)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        throw EInvalidOperation(QStringLiteral("Messages can only be posted while the application runs"));
    QMetaObject::invokeMethod(
        app,
        [control, msg, wParam, lParam] {
            if (ControlAlive(control))
                control->Perform(msg, wParam, lParam);
        },
        Qt::QueuedConnection);
}

// ---- TControl ---------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TControl, TComponent,
    t.Integer(QStringLiteral("Left"), &TControl::Left, &TControl::SetLeft);
    t.Integer(QStringLiteral("Top"), &TControl::Top, &TControl::SetTop);
    t.Integer(QStringLiteral("Width"), &TControl::Width, &TControl::SetWidth);
    t.Integer(QStringLiteral("Height"), &TControl::Height, &TControl::SetHeight);
    t.Integer(QStringLiteral("Cursor"), &TControl::Cursor, &TControl::SetCursor, crDefault, &CursorIdents());
    t.String(QStringLiteral("Hint"), &TControl::Hint, &TControl::SetHint);
    t.Integer(QStringLiteral("HelpContext"), &TControl::HelpContext, &TControl::SetHelpContext, 0);
)

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>())
{
    Alive().insert(this);
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FFont->OnChange = [this](TGraphicsObject*) { FontChanged(); };
    WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl()
{
    if (TControlHostBase* host = Host())
        host->Forget(this);
    FFont->OnChange = nullptr;
    Alive().erase(this);
    if (FParent) {
        try {
            FParent->RemoveControl(this); // may lay the siblings out again: user code
        } catch (...) {
            auto& list = FParent->FControls;
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
        }
    }
}

TControlHostBase* TControl::Host() const
{
    const TControl* c = this;
    while (c->FParent)
        c = c->FParent;
    auto* root = dynamic_cast<const TWinControl*>(c);
    return root ? root->FHost : nullptr;
}

TComponent* TControl::GetParentComponent() const
{
    return FParent;
}

void TControl::SetParentComponent(TComponent* parent)
{
    if (auto* w = dynamic_cast<TWinControl*>(parent))
        SetParent(w);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent)
        return;
    for (const TControl* p = parent; p; p = p->FParent)
        if (p == this)
            throw EInvalidOperation(QStringLiteral("Control '%1' cannot have itself as parent").arg(Name()));
    TWinControl* const old = FParent;
    if (old)
        old->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
    ParentChanged(old);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    const bool resized = width != FWidth || height != FHeight;
    Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    Invalidate();
    if (resized) {
        if (auto* w = dynamic_cast<TWinControl*>(this))
            w->Realign();
        Resize();
    }
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (FParent && FAlign != alNone && !FParent->FAligning)
        FParent->Realign();
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

TPoint TControl::ClientOrigin() const
{
    if (TControlHostBase* host = Host())
        return host->SurfaceOrigin(this);
    TPoint p;
    for (const TControl* c = this; c->FParent; c = c->FParent)
        p = {p.X + c->FLeft, p.Y + c->FTop};
    return p;
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    const TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    const TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

TPoint TControl::ClientToParent(TPoint p, const TWinControl* parent) const
{
    if (!parent)
        parent = FParent;
    for (const TControl* c = this; c && c != parent; c = c->FParent) {
        if (!c->FParent)
            throw EInvalidOperation(QStringLiteral("Control '%1' has no parent window").arg(Name()));
        p = {p.X + c->FLeft, p.Y + c->FTop};
    }
    return p;
}

TPoint TControl::ParentToClient(TPoint p, const TWinControl* parent) const
{
    const TPoint o = ClientToParent({0, 0}, parent);
    return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign align)
{
    if (align == FAlign)
        return;
    FAlign = align;
    if (FParent)
        FParent->Realign();
}

void TControl::BringToFront()
{
    if (!FParent)
        return;
    // Sought from the front end, where a control brought forward again (a selection mark) lies.
    auto& list = FParent->FControls;
    const auto at = std::find(list.rbegin(), list.rend(), this);
    std::rotate(std::prev(at.base()), at.base(), list.end());
    Invalidate();
}

void TControl::SendToBack()
{
    if (!FParent)
        return;
    auto& list = FParent->FControls;
    list.erase(std::find(list.begin(), list.end(), this));
    list.insert(list.begin(), this);
    Invalidate();
}

bool TControl::IsShowing() const
{
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible)
            return false;
    return true;
}

void TControl::SetVisible(bool visible)
{
    if (visible == FVisible)
        return;
    if (!visible)
        Invalidate();
    FVisible = visible;
    if (!visible) {
        if (TControlHostBase* host = Host())
            host->Forget(this);
    } else {
        Invalidate();
    }
    Perform(CM_VISIBLECHANGED, visible, 0);
    RequestAlign();
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    Invalidate();
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor color)
{
    if (color == FColor && !FParentColor)
        return;
    FColor = color;
    FParentColor = false;
    Invalidate();
    Perform(CM_COLORCHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->FControls)
            c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value)
{
    if (value == FParentColor)
        return;
    FParentColor = value;
    if (value && FParent)
        ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (!FParentColor || !FParent)
        return;
    SetColor(FParent->Color());
    FParentColor = true;
}

void TControl::SetParentFont(bool value)
{
    if (value == FParentFont)
        return;
    FParentFont = value;
    if (value && FParent)
        ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!FParentFont || !FParent)
        return;
    FFontFromParent = true;
    try {
        FFont->Assign(FParent->Font());
    } catch (...) {
        FFontFromParent = false;
        throw;
    }
    FFontFromParent = false;
}

void TControl::FontChanged()
{
    if (!FFontFromParent)
        FParentFont = false;
    Invalidate();
    Perform(CM_FONTCHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->FControls)
            c->Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor cursor)
{
    FCursor = cursor;
}

void TControl::SetText(const QString& text)
{
    if (text == FText)
        return;
    FText = text;
    Invalidate();
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::Invalidate()
{
    TControlHostBase* host = Host();
    if (!host || !IsShowing() || FWidth <= 0 || FHeight <= 0)
        return;
    const TPoint o = host->SurfaceOrigin(this);
    host->InvalidateRect(Bounds(o.X, o.Y, FWidth, FHeight));
}

void TControl::Update()
{
    if (TControlHostBase* host = Host())
        host->UpdateNow();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

std::intptr_t TControl::Perform(unsigned msg, std::intptr_t wParam, std::intptr_t lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    if (WindowProc)
        WindowProc(m);
    else
        WndProc(m);
    return m.Result;
}

bool TControl::MouseCapture() const
{
    TControlHostBase* host = Host();
    return host && host->Capture() == this;
}

void TControl::SetMouseCapture(bool value)
{
    TControlHostBase* host = Host();
    if (!host)
        return;
    if (value)
        host->SetCapture(this);
    else if (host->Capture() == this)
        host->SetCapture(nullptr);
}

void TControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        DispatchMouse(message);
        break;
    case CM_PARENTFONTCHANGED:
        ParentFontChanged();
        break;
    case CM_PARENTCOLORCHANGED:
        ParentColorChanged();
        break;
    default:
        break;
    }
}

void TControl::DispatchMouse(TMessage& message)
{
    const int x = LParamX(message.LParam);
    const int y = LParamY(message.LParam);
    const TShiftState shift = KeysToShiftState(static_cast<unsigned>(message.WParam));
    TMouseButton button = mbLeft;
    switch (message.Msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        button = mbRight;
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        button = mbMiddle;
        break;
    default:
        break;
    }
    switch (message.Msg) {
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (button == mbLeft && FDragMode == dmAutomatic) {
            BeginDrag(false);
            break;
        }
        if (FControlStyle.Contains(csCaptureMouse))
            SetMouseCapture(true);
        if (button == mbLeft && FControlStyle.Contains(csClickEvents))
            FControlState += csClicked;
        MouseDown(button, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (FControlStyle.Contains(csCaptureMouse))
            SetMouseCapture(true);
        if (button == mbLeft && FControlStyle.Contains(csDoubleClicks))
            DblClick();
        MouseDown(button, shift + TShiftState{ssDouble}, x, y);
        break;
    default: { // button up
        if (FControlStyle.Contains(csCaptureMouse))
            SetMouseCapture(false);
        const bool clicked = button == mbLeft && FControlState.Contains(csClicked);
        FControlState -= csClicked;
        // The click fires before the release, and only when the button goes up over the control.
        if (clicked && PtInRect(ClientRect(), {x, y}))
            Click();
        if (ControlAlive(this))
            MouseUp(button, shift, x, y);
        break;
    }
    }
}

void TControl::BeginDrag(bool immediate)
{
    if (TControlHostBase* host = Host())
        host->BeginDrag(this, immediate);
}

bool TControl::Dragging() const
{
    TControlHostBase* host = Host();
    return host && host->DragSource() == this;
}

void TControl::EndDrag(bool drop)
{
    if (TControlHostBase* host = Host(); host && host->DragSource() == this)
        host->EndDrag(drop);
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept)
{
    // Only a control that handles OnDragOver can take a drop.
    accept = static_cast<bool>(OnDragOver);
    if (OnDragOver)
        OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TObject* source, int x, int y)
{
    if (OnDragDrop)
        OnDragDrop(this, source, x, y);
}

void TControl::DoEndDrag(TObject* target, int x, int y)
{
    if (OnEndDrag)
        OnEndDrag(this, target, x, y);
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (!FControlStyle.Contains(csNoStdEvents) && OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (!FControlStyle.Contains(csNoStdEvents) && OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (!FControlStyle.Contains(csNoStdEvents) && OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

// ---- TWinControl ------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TWinControl, TControl)

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    // Children go with their parent window, whoever owns them.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        FControls.pop_back(); // no layout of children that are all going
        if (TControlHostBase* host = Host())
            host->Forget(c);
        c->FParent = nullptr;
        c->Free();
    }
    if (FHost)
        FHost->SetRoot(nullptr);
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return FControls[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control)
{
    if (!control || control->FParent == this)
        return;
    FControls.push_back(control);
    control->FParent = this;
    if (control->FParentFont)
        control->ParentFontChanged();
    if (control->FParentColor)
        control->ParentColorChanged();
    control->Invalidate();
    if (control->FAlign != alNone)
        Realign();
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(FControls.begin(), FControls.end(), control);
    if (it == FControls.end())
        return;
    control->Invalidate();
    if (TControlHostBase* host = Host())
        host->Forget(control);
    FControls.erase(it);
    control->FParent = nullptr;
    if (control->FAlign != alNone && !ComponentState().Contains(csDestroying))
        Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c; c = c->FParent)
        if (c == this)
            return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const
{
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (c->FVisible && (allowDisabled || c->FEnabled) && PtInRect(c->BoundsRect(), p))
            return c;
    }
    return nullptr;
}

TControl* TWinControl::FindDeepControlAt(TPoint p, bool allowDisabled)
{
    TControl* current = this;
    for (;;) {
        auto* w = dynamic_cast<TWinControl*>(current);
        TControl* child = w ? w->ControlAtPos(p, allowDisabled) : nullptr;
        if (!child)
            return current;
        p = {p.X - child->Left(), p.Y - child->Top()};
        current = child;
    }
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    if (TControlHostBase* host = Host())
        host->SetFocusedControl(this);
}

bool TWinControl::Focused() const
{
    TControlHostBase* host = Host();
    return host && host->FocusedControl() == this;
}

void TWinControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        auto key = static_cast<unsigned short>(message.WParam);
        const TShiftState shift = TShiftState::FromInt(static_cast<std::uint32_t>(message.LParam));
        if (message.Msg == WM_KEYDOWN)
            KeyDown(key, shift);
        else
            KeyUp(key, shift);
        message.WParam = key;
        message.Result = key == 0; // a key the handler cleared is done with
        break;
    }
    case WM_CHAR: {
        QChar c(static_cast<char16_t>(message.WParam));
        KeyPress(c);
        message.WParam = c.unicode();
        message.Result = c.isNull();
        break;
    }
    case WM_SETFOCUS:
        DoEnter();
        break;
    case WM_KILLFOCUS:
        DoExit();
        break;
    default:
        TControl::WndProc(message);
    }
}

void TWinControl::KeyDown(unsigned short& key, TShiftState shift)
{
    if (!ControlStyle().Contains(csNoStdEvents) && OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(QChar& key)
{
    if (!ControlStyle().Contains(csNoStdEvents) && OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::KeyUp(unsigned short& key, TShiftState shift)
{
    if (!ControlStyle().Contains(csNoStdEvents) && OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::Notification(TComponent* component, TOperation operation)
{
    TControl::Notification(component, operation);
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    for (TControl* c : FControls)
        if (c->Owner() == root)
            proc(c);
}

void TWinControl::SetChildOrder(TComponent* child, int order)
{
    auto it = std::find(FControls.begin(), FControls.end(), child);
    if (it == FControls.end())
        return;
    TControl* c = *it;
    FControls.erase(it);
    order = std::clamp(order, 0, ControlCount());
    FControls.insert(FControls.begin() + order, c);
}

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0)
        Realign();
}

void TWinControl::Realign()
{
    if (FAlignLevel > 0 || FAligning || ComponentState().Contains(csDestroying))
        return;
    TRect r = ClientRect();
    AlignControls(r);
}

void TWinControl::AlignControls(TRect& rect)
{
    FAligning = true;
    try {
        for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
            for (TControl* c : FControls) {
                if (c->FAlign != kind || !c->FVisible)
                    continue;
                switch (kind) {
                case alTop:
                    c->SetBounds(rect.Left, rect.Top, rect.Width(), c->Height());
                    rect.Top += c->Height();
                    break;
                case alBottom:
                    c->SetBounds(rect.Left, rect.Bottom - c->Height(), rect.Width(), c->Height());
                    rect.Bottom -= c->Height();
                    break;
                case alLeft:
                    c->SetBounds(rect.Left, rect.Top, c->Width(), rect.Height());
                    rect.Left += c->Width();
                    break;
                case alRight:
                    c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), rect.Height());
                    rect.Right -= c->Width();
                    break;
                default:
                    c->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
                    break;
                }
            }
        }
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

// ---- TGraphicControl, TCustomControl ------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TGraphicControl, TControl)

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

TESSIV_IMPLEMENT_CLASS(TCustomControl, TWinControl)

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::Canvas()
{
    if (FPaintCanvas)
        return FPaintCanvas;
    if (!FMeasureCanvas) {
        FMeasureImage = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        FMeasureCanvas = std::make_unique<TImageCanvas>(FMeasureImage, Screen().PixelsPerInch);
    }
    FMeasureCanvas->SetFont(Font());
    return FMeasureCanvas.get();
}

} // namespace tessiv
