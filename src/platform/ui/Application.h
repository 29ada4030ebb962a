#pragma once
// The application object: its title, the message pump, the one place where exceptions that leave
// an event handler end (a message box with the title, a stop icon and OK; EAbort says nothing),
// the hooks on hints and on every message, and the message boxes with Portuguese buttons.

#include "platform/controls/Controls.h"

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>
#include <vector>

class QTranslator;

namespace tessiv {

// MessageBox flags and results, as the program's code passes and reads them.
constexpr unsigned MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_ABORTRETRYIGNORE = 0x02, MB_YESNOCANCEL = 0x03,
                   MB_YESNO = 0x04, MB_RETRYCANCEL = 0x05;
constexpr unsigned MB_ICONSTOP = 0x10, MB_ICONHAND = 0x10, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20,
                   MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40,
                   MB_ICONASTERISK = 0x40;
constexpr unsigned MB_DEFBUTTON1 = 0x000, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
constexpr int mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
              mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// What a message box shows; the presenter answers with the result of the button chosen.
struct TMessageBoxRequest {
    QString Text;
    QString Caption;
    TMsgDlgType Type = mtCustom;   // the icon; mtCustom shows none
    std::vector<int> Buttons;      // results, in the order the buttons stand
    int DefaultButton = 0;         // a result; 0 = the first button
    int EscapeButton = 0;          // the result of closing the box; 0 = the box cannot be dismissed
};
QString ButtonText(int result); // "&Sim", "&Não", "OK", "Cancelar" ...

// A message a control is about to receive, as the application's message hook sees it.
struct TMsg {
    TControl* Target = nullptr;
    TMessage Message;
    TPoint Pt; // the mouse position on the screen
};

class TApplication {
public:
    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& title);
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& hint);

    // Lets pending events be handled (posted messages, paints, input).
    void ProcessMessages();
    // Runs the event loop until the program quits.
    int Run();
    void Terminate();

    // The exception boundary: OnException when assigned, otherwise the message box.
    void HandleException(std::exception_ptr error);
    void ShowException(const std::exception& error);
    // Runs fn, ending any exception it throws at the boundary; true when it went through.
    bool Guard(const std::function<void()>& fn);

    // The caption defaults to the title.
    int MessageBox(const QString& text, const QString& caption, unsigned flags);
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);

    std::function<void(std::exception_ptr)> OnException;
    TNotifyEvent OnHint;
    std::function<void(TMsg&, bool& handled)> OnMessage;
    // Shows message boxes; tests put their own here.
    std::function<int(const TMessageBoxRequest&)> Presenter;

private:
    QString FTitle = QStringLiteral("Tessiv");
    QString FHint;
};

TApplication& Application();

// The window a dialog opened now belongs to, and so stays above: the modal window in front, else
// the active one; nil when the program has neither (the window manager then keeps the dialog with
// the program's windows as a group).
QWidget* DialogOwnerWindow();

// The Qt application: every event goes through the exception boundary, so an error in a handler
// never leaves the event loop.
class TQtApplication : public QApplication {
public:
    TQtApplication(int& argc, char** argv);
    ~TQtApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;
};

// Qt's own texts (the buttons and labels of the standard dialogs: open, save, print, colour) in
// the desktop's language, from the translations installed with Qt. The translator, owned by the
// application (freeing it takes the texts back); nil when that language has none, and the dialogs
// keep Qt's English.
QTranslator* LoadSystemTranslations();

} // namespace tessiv
