#pragma once
// A form: a top-level window of the program that is also the component owning what lives on it.
// The window is a Qt main window; the form raises OnShow when the program shows it, asks
// OnCloseQuery before it closes and raises OnDestroy while it is being destroyed, with its window
// still there. The first form made is the application's main form.

#include "platform/core/Component.h"
#include "platform/core/Sets.h"
#include "platform/graphics/Types.h"

#include <QMainWindow>
#include <QMargins>
#include <QPointer>

#include <memory>

namespace tessiv {

class TForm;

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
using TCloseQueryEvent = TEvent<void(TObject* sender, bool& canClose)>;

// Where a window is and how it shows, in screen pixels. The normal rectangle is the window's client
// area (what Qt sets and reports the same way with or without a window manager's frame); the
// minimized and maximized positions are kept for the settings file, the window manager decides
// where such windows go.
struct TWindowPlacement {
    unsigned Flags = 0;
    int ShowCmd = 0;
    TPoint MinPosition{-1, -1};
    TPoint MaxPosition{-1, -1};
    TRect NormalPosition;
};
constexpr unsigned WPF_SETMINPOSITION = 1, WPF_RESTORETOMAXIMIZED = 2;
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3, SW_SHOW = 5,
              SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7, SW_RESTORE = 9;

// The form's window; it hands the form what it must hear before Qt handles it.
class TFormWindow : public QMainWindow {
public:
    explicit TFormWindow(TForm* form);
    TForm* Form() const { return FForm; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TForm;
    TForm* FForm;
    bool FFramePending = false; // shown, and not yet seen framed by the window manager
};

class TForm : public TComponent {
    TESSIV_CLASS(TForm, TComponent)
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormWindow* Window() const { return FWindow.data(); }

    QString Caption() const;
    void SetCaption(const QString& caption);
    // The window's client area on the screen.
    TRect BoundsRect() const;
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return BoundsRect().Left; }
    int Top() const { return BoundsRect().Top; }
    int Width() const { return BoundsRect().Width(); }
    int Height() const { return BoundsRect().Height(); }

    bool Visible() const;
    void Show();
    void Hide();
    // Asks OnCloseQuery; the window hides when it may close.
    void Close();

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition position) { FPosition = position; }
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style) { FFormStyle = style; }
    // The window this form belongs to (set before it shows; nil: none). The form's window then
    // stays above it, being transient for it, which window managers that follow the freedesktop
    // hints keep so, and goes when it goes.
    QWidget* OwnerWindow() const { return FOwnerWindow.data(); }
    void SetOwnerWindow(QWidget* owner);

    // The widget that has (or gets, when the window is activated) the keyboard focus.
    QWidget* ActiveControl() const;
    void SetActiveControl(QWidget* control);

    TWindowPlacement GetWindowPlacement() const;
    // Puts the window at the normal rectangle (under display servers that do not let a program
    // place windows only its size is taken) and into the show command's state.
    void SetWindowPlacement(const TWindowPlacement& placement);
    // Only the minimized and maximized positions of the placement.
    void SetMinMaxPositions(TPoint minPosition, TPoint maxPosition);
    // Moves a normal window, its frame included, wholly onto a screen (FitRectToScreens). Every
    // form does so when it shows at a place the program chose (a stored one, a designed one) and
    // again once the window manager has framed it, so no dialog opens with its title bar out of reach.
    void KeepOnScreen();

    TNotifyEvent OnShow;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;

    // The application's main form: the first form made, until it goes.
    static TForm* MainForm();
    static void SetMainForm(TForm* form);
    // The application counts as minimized while its main form's window is.
    static bool ApplicationMinimized();

protected:
    virtual void DoShow();
    virtual bool CloseQuery();

private:
    friend class TFormWindow;
    void ApplyWindowFlags();
    void CentreWindow();
    // The frame the window manager puts around the window: this one's once framed, else the one
    // it put around another of the program's windows.
    QMargins FrameMargins() const;

    QPointer<TFormWindow> FWindow;
    QPointer<QWidget> FOwnerWindow;
    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition FPosition = poDesigned;
    TFormStyle FFormStyle = fsNormal;
    bool FShownOnce = false;
    TPoint FMinPosition{-1, -1};
    TPoint FMaxPosition{-1, -1};
};

// True where the display server does not let a program place its windows (Wayland).
bool WindowPositionsFixedByServer();

} // namespace tessiv

namespace tessiv {
// The rectangle moved (and shrunk when it must be) so that it lies on the available part of a
// screen: the one it overlaps most, else the primary one. A rectangle already inside one stays.
TRect FitRectToScreens(const TRect& rect);
} // namespace tessiv
