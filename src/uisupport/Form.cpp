#include "uisupport/Form.h"

#include "platform/ui/Application.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace tessiv {

namespace {

TForm* g_mainForm = nullptr;

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
TRect FromQRect(const QRect& r) { return Rect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()); }

} // namespace

bool WindowPositionsFixedByServer()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

TRect FitRectToScreens(const TRect& rect)
{
    const QRect r = ToQRect(rect);
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return rect;
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* s : screens) {
        const QRect avail = s->availableGeometry();
        if (avail.contains(r))
            return rect;
        const QRect common = avail.intersected(r);
        const qint64 area = qint64(common.width()) * common.height();
        if (!common.isEmpty() && area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    if (!best)
        best = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen() : screens.front();
    const QRect avail = best->availableGeometry();
    const int w = std::min(std::max(r.width(), 0), avail.width());
    const int h = std::min(std::max(r.height(), 0), avail.height());
    const int x = std::clamp(r.x(), avail.left(), avail.left() + avail.width() - w);
    const int y = std::clamp(r.y(), avail.top(), avail.top() + avail.height() - h);
    return Rect(x, y, x + w, y + h);
}

// ---- TFormWindow ------------------------------------------------------------------------------

TFormWindow::TFormWindow(TForm* form) : QMainWindow(nullptr), FForm(form) {}

bool TFormWindow::event(QEvent* event)
{
    if (FForm) {
        // A spontaneous show is the window manager bringing the window back from an icon, not
        // the program showing the form.
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            // The frame is known only once the window manager has put the window on the screen.
            FFramePending = true;
            if (QWindow* handle = windowHandle()) {
                handle->removeEventFilter(this);
                handle->installEventFilter(this);
            }
            FForm->DoShow();
        } else if (event->type() == QEvent::Close) {
            // A close query that fails (a save that could not write) refuses the close, and what
            // it raised is shown.
            bool canClose = false;
            try {
                canClose = FForm->CloseQuery();
            } catch (...) {
                Application().HandleException(std::current_exception());
            }
            if (!canClose) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::event(event);
}

bool TFormWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (FFramePending && event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        FFramePending = false;
        // After the exposure has been handled: the window is not moved under its own paint.
        QMetaObject::invokeMethod(
            this, [this] {
                if (FForm)
                    FForm->KeepOnScreen();
            },
            Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- TForm ------------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TForm, TComponent)

TForm::TForm(TComponent* owner) : TComponent(owner), FWindow(new TFormWindow(this))
{
    if (!g_mainForm)
        g_mainForm = this;
}

TForm::~TForm()
{
    // Marked first, so that what the form owns knows, while OnDestroy runs, that the form is no
    // longer whole (its class is already only TForm's here).
    Destroying();
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            try {
                Application().HandleException(std::current_exception());
            } catch (...) {
            }
        }
    }
    if (g_mainForm == this)
        g_mainForm = nullptr;
    if (FWindow) {
        FWindow->FForm = nullptr;
        delete FWindow.data();
    }
}

TForm* TForm::MainForm() { return g_mainForm; }
void TForm::SetMainForm(TForm* form) { g_mainForm = form; }

bool TForm::ApplicationMinimized()
{
    return g_mainForm && g_mainForm->Window() && g_mainForm->Window()->isMinimized();
}

QString TForm::Caption() const { return FWindow ? FWindow->windowTitle() : QString(); }

void TForm::SetCaption(const QString& caption)
{
    if (FWindow)
        FWindow->setWindowTitle(caption);
}

TRect TForm::BoundsRect() const { return FWindow ? FromQRect(FWindow->geometry()) : TRect(); }

void TForm::SetBounds(int left, int top, int width, int height)
{
    if (!FWindow)
        return;
    if (WindowPositionsFixedByServer())
        FWindow->resize(width, height);
    else
        FWindow->setGeometry(left, top, width, height);
}

bool TForm::Visible() const { return FWindow && FWindow->isVisible(); }

void TForm::Show()
{
    if (FWindow)
        FWindow->show();
}

void TForm::Hide()
{
    if (FWindow)
        FWindow->hide();
}

void TForm::Close()
{
    if (FWindow)
        FWindow->close();
}

TWindowState TForm::WindowState() const
{
    if (!FWindow)
        return wsNormal;
    const Qt::WindowStates s = FWindow->windowState();
    if (s & Qt::WindowMinimized)
        return wsMinimized;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return wsMaximized;
    return wsNormal;
}

void TForm::SetWindowState(TWindowState state)
{
    if (!FWindow)
        return;
    switch (state) {
    case wsNormal:
        FWindow->setWindowState(Qt::WindowNoState);
        break;
    case wsMinimized:
        FWindow->setWindowState((FWindow->windowState() & Qt::WindowMaximized) | Qt::WindowMinimized);
        break;
    case wsMaximized:
        FWindow->setWindowState(Qt::WindowMaximized);
        break;
    }
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == FBorderStyle)
        return;
    FBorderStyle = style;
    ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons)
{
    if (icons == FBorderIcons)
        return;
    FBorderIcons = icons;
    ApplyWindowFlags();
}

void TForm::ApplyWindowFlags()
{
    if (!FWindow)
        return;
    Qt::WindowFlags f = Qt::Window | Qt::CustomizeWindowHint;
    switch (FBorderStyle) {
    case TFormBorderStyle::bsNone:
        f |= Qt::FramelessWindowHint;
        break;
    case TFormBorderStyle::bsDialog:
        f = Qt::Dialog | Qt::CustomizeWindowHint;
        break;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
        f = Qt::Tool | Qt::CustomizeWindowHint;
        break;
    default:
        break;
    }
    if (FBorderStyle != TFormBorderStyle::bsNone) {
        f |= Qt::WindowTitleHint;
        if (FBorderIcons.Contains(biSystemMenu))
            f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderIcons.Contains(biMinimize) && FBorderStyle != TFormBorderStyle::bsDialog)
            f |= Qt::WindowMinimizeButtonHint;
        if (FBorderIcons.Contains(biMaximize) && FBorderStyle != TFormBorderStyle::bsDialog)
            f |= Qt::WindowMaximizeButtonHint;
    }
    // Qt makes a window transient for its parent only when it is a dialog or a tool window.
    if (FOwnerWindow && (f & Qt::WindowType_Mask) == Qt::Window)
        f = (f & ~Qt::WindowType_Mask) | Qt::Dialog;
    // Qt hides a window whose flags change; it shows again as it was.
    const bool visible = FWindow->isVisible();
    if (FWindow->parentWidget() != FOwnerWindow.data())
        FWindow->setParent(FOwnerWindow.data(), f);
    else
        FWindow->setWindowFlags(f);
    if (visible)
        FWindow->show();
}

void TForm::SetOwnerWindow(QWidget* owner)
{
    if (owner)
        owner = owner->window();
    if (owner == FWindow.data() || owner == FOwnerWindow.data())
        return;
    FOwnerWindow = owner;
    ApplyWindowFlags();
}

QWidget* TForm::ActiveControl() const { return FWindow ? FWindow->focusWidget() : nullptr; }

void TForm::SetActiveControl(QWidget* control)
{
    if (control && FWindow && FWindow->isAncestorOf(control))
        control->setFocus(Qt::OtherFocusReason);
}

TWindowPlacement TForm::GetWindowPlacement() const
{
    TWindowPlacement p;
    p.MinPosition = FMinPosition;
    p.MaxPosition = FMaxPosition;
    if (!FWindow)
        return p;
    const Qt::WindowStates s = FWindow->windowState();
    QRect normal = FWindow->geometry();
    if ((s & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) && FWindow->normalGeometry().isValid())
        normal = FWindow->normalGeometry();
    p.NormalPosition = FromQRect(normal);
    if (s & Qt::WindowMinimized) {
        p.ShowCmd = SW_SHOWMINIMIZED;
        if (s & Qt::WindowMaximized)
            p.Flags |= WPF_RESTORETOMAXIMIZED;
    } else if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        p.ShowCmd = SW_SHOWMAXIMIZED;
    else
        p.ShowCmd = SW_SHOWNORMAL;
    return p;
}

void TForm::SetWindowPlacement(const TWindowPlacement& placement)
{
    if (!FWindow)
        return;
    FMinPosition = placement.MinPosition;
    FMaxPosition = placement.MaxPosition;
    const TRect& r = placement.NormalPosition;
    // The normal rectangle is set on a normal window, so that it is what a maximized or minimized
    // window comes back to.
    if (FWindow->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        FWindow->setWindowState(Qt::WindowNoState);
    if (r.Width() > 0 && r.Height() > 0) {
        SetBounds(r.Left, r.Top, r.Width(), r.Height());
        // A place kept from a screen that is gone comes back onto one that is there.
        KeepOnScreen();
    }
    switch (placement.ShowCmd) {
    case SW_HIDE:
        FWindow->hide();
        return;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        FWindow->setWindowState(placement.Flags & WPF_RESTORETOMAXIMIZED
                                    ? Qt::WindowMinimized | Qt::WindowMaximized
                                    : Qt::WindowMinimized);
        break;
    case SW_SHOWMAXIMIZED:
        FWindow->setWindowState(Qt::WindowMaximized);
        break;
    default:
        break;
    }
    if (!FWindow->isVisible())
        FWindow->show();
}

void TForm::SetMinMaxPositions(TPoint minPosition, TPoint maxPosition)
{
    FMinPosition = minPosition;
    FMaxPosition = maxPosition;
}

QMargins TForm::FrameMargins() const
{
    QWindow* own = FWindow ? FWindow->windowHandle() : nullptr;
    if (own && !own->frameMargins().isNull())
        return own->frameMargins();
    // The window manager frames the program's windows alike; its owner's first.
    std::vector<QWindow*> others;
    if (FOwnerWindow && FOwnerWindow->windowHandle())
        others.push_back(FOwnerWindow->windowHandle());
    if (g_mainForm && g_mainForm->Window() && g_mainForm->Window()->windowHandle())
        others.push_back(g_mainForm->Window()->windowHandle());
    for (QWindow* w : QGuiApplication::topLevelWindows())
        others.push_back(w);
    for (QWindow* w : others)
        if (w != own && w->isVisible() && !w->frameMargins().isNull())
            return w->frameMargins();
    return {};
}

void TForm::KeepOnScreen()
{
    if (!FWindow || WindowPositionsFixedByServer())
        return;
    if (FWindow->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QMargins frame = FrameMargins();
    const QRect client = FWindow->geometry();
    const TRect outer = FromQRect(client.marginsAdded(frame));
    const TRect fitted = FitRectToScreens(outer);
    if (fitted == outer)
        return;
    const QRect inside = ToQRect(fitted).marginsRemoved(frame);
    FWindow->setGeometry(inside.x(), inside.y(), std::max(inside.width(), 1), std::max(inside.height(), 1));
}

void TForm::CentreWindow()
{
    QScreen* screen = FWindow->screen() ? FWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = FPosition == poDesktopCenter ? screen->availableVirtualGeometry() : screen->availableGeometry();
    const QSize size = FWindow->frameGeometry().size();
    FWindow->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void TForm::DoShow()
{
    if (!FShownOnce) {
        FShownOnce = true;
        if ((FPosition == poScreenCenter || FPosition == poDesktopCenter) && !WindowPositionsFixedByServer())
            CentreWindow();
    }
    if (OnShow)
        OnShow(this);
    // A place the program chose (the window manager places the others itself).
    if (FWindow && FWindow->testAttribute(Qt::WA_Moved))
        KeepOnScreen();
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

} // namespace tessiv
