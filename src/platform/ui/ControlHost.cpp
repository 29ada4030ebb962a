#include "platform/ui/ControlHost.h"

#include "platform/ui/Application.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace tessiv {

namespace {

TMouseButton Button(Qt::MouseButton b)
{
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

} // namespace

TShiftState ShiftStateOf(Qt::KeyboardModifiers m)
{
    TShiftState s;
    if (m & Qt::ShiftModifier)
        s += ssShift;
    if (m & Qt::ControlModifier)
        s += ssCtrl;
    if (m & Qt::AltModifier)
        s += ssAlt;
    return s;
}

unsigned short VirtualKey(int k)
{
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9))
        return static_cast<unsigned short>(k);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return static_cast<unsigned short>(VK_F1 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

class TControlHost::TSurface : public QWidget {
    QString FPaintError; // the last error of a paint, told already
public:
    explicit TSurface(TControlHost* host) : QWidget(nullptr), FHost(host)
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().window());
        TDeviceCaps caps;
        caps.DpiX = caps.DpiY = Screen().PixelsPerInch;
        caps.Width = width();
        caps.Height = height();
        {
            TPainterCanvas canvas(&painter, caps);
            canvas.SelectClipRgn(&event->region());
            // An error of the painting (a picture too large for the memory left) is told after
            // the paint, and only once while it stays the same: the box closing repaints.
            try {
                FHost->PaintTree(canvas);
            } catch (...) {
                const std::exception_ptr error = std::current_exception();
                QString text;
                try {
                    std::rethrow_exception(error);
                } catch (const std::exception& e) {
                    text = QString::fromUtf8(e.what());
                } catch (...) {
                }
                if (text != FPaintError) {
                    FPaintError = text;
                    QTimer::singleShot(0, this, [error] { Application().HandleException(error); });
                }
            }
        }
        // Exclusive-or outlines: inverting twice gives the painting back, as on the screen.
        painter.setClipRegion(event->region());
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen pen(Qt::white, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        for (const TRect& r : FHost->FocusRects())
            painter.drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
        FHost->ValidateAll();
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        const QPoint p = e->position().toPoint();
        Application().Guard(
            [&] { FHost->MousePress(Button(e->button()), p.x(), p.y(), ShiftStateOf(e->modifiers())); });
        FHost->CursorChanged();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        const QPoint p = e->position().toPoint();
        Application().Guard(
            [&] { FHost->MouseDoubleClick(Button(e->button()), p.x(), p.y(), ShiftStateOf(e->modifiers())); });
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        const QPoint p = e->position().toPoint();
        Application().Guard([&] { FHost->MouseMove(p.x(), p.y(), ShiftStateOf(e->modifiers())); });
        FHost->CursorChanged();
    }
    void leaveEvent(QEvent* e) override
    {
        // Off the surface no control's hint stands.
        Application().SetHint(QString());
        QWidget::leaveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const QPoint p = e->position().toPoint();
        Application().Guard(
            [&] { FHost->MouseRelease(Button(e->button()), p.x(), p.y(), ShiftStateOf(e->modifiers())); });
        FHost->CursorChanged();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        const QString text = e->text();
        const QChar ch = text.size() == 1 ? text[0] : QChar();
        Application().Guard([&] { FHost->KeyPress(VirtualKey(e->key()), ch, ShiftStateOf(e->modifiers())); });
    }
    void keyReleaseEvent(QKeyEvent* e) override
    {
        // A held key repeats as presses alone: the window system's release before each repeat
        // (X11 sends one) is no release, and a handler that starts something new at a release
        // would take every repeat for a new press.
        if (e->isAutoRepeat())
            return;
        Application().Guard([&] { FHost->KeyRelease(VirtualKey(e->key()), ShiftStateOf(e->modifiers())); });
    }
    bool focusNextPrevChild(bool) override { return false; } // Tab is a key like the others

private:
    TControlHost* FHost;
};

TControlHost::TControlHost(QWidget* parent) : QScrollArea(parent), FSurface(new TSurface(this))
{
    setWidget(FSurface);
    setWidgetResizable(false);
}

TControlHost::~TControlHost() = default;

QWidget* TControlHost::Surface() const
{
    return FSurface;
}

void TControlHost::SetMargin(int margin)
{
    FMargin = margin;
    SetOrigin({margin, margin});
    UpdateSurfaceSize();
}

void TControlHost::UpdateSurfaceSize()
{
    const int w = Root() ? Root()->Width() : 0;
    const int h = Root() ? Root()->Height() : 0;
    FSurface->resize(w + 2 * FMargin, h + 2 * FMargin);
}

void TControlHost::InvalidateRect(const TRect& r)
{
    TControlHostBase::InvalidateRect(r);
    // Once the invalid area has become one box, the widget is given the box: the areas that follow
    // lie inside what it already has to paint.
    const QRegion invalid = InvalidRegion();
    FSurface->update(invalid.rectCount() == 1 ? invalid.boundingRect() : r.ToQRect());
}

void TControlHost::UpdateNow()
{
    const QRegion region = InvalidRegion();
    if (!region.isEmpty())
        FSurface->repaint(region);
}

bool TControlHost::FilterMessage(TControl* target, TMessage& message)
{
    if (!Application().OnMessage)
        return false;
    TMsg msg{target, message, MousePos()};
    bool handled = false;
    Application().OnMessage(msg, handled);
    message = msg.Message;
    return handled;
}

TPoint TControlHost::ViewPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

TSize TControlHost::ViewSize() const
{
    return {viewport()->width(), viewport()->height()};
}

void TControlHost::SetViewPosition(TPoint topLeft)
{
    horizontalScrollBar()->setValue(topLeft.X);
    verticalScrollBar()->setValue(topLeft.Y);
}

void TControlHost::CursorChanged()
{
    FSurface->setCursor(CursorShape(CurrentCursor()));
}

void TControlHost::HoverChanged(TControl* control)
{
    while (control && control->Hint().isEmpty())
        control = control->Parent();
    Application().SetHint(control ? control->Hint() : QString());
}

} // namespace tessiv
