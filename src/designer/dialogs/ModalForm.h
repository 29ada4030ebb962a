#pragma once
// A form run modally by the designer's dialogs: ShowModal shows it above the window it is opened
// from (its owner window) and returns the modal result once it closes. A button with a modal
// result (or a handler that sets one) closes the form after its click, through the close question,
// which may keep the form open (the result goes back to none) or change the result. Closing the
// window by its frame is Cancel.
//
// Tests put a presenter in place of the user: it gets the shown form, acts on it as a user would
// (typing, clicking), and the form ends with what it did; a form still open then is cancelled.
//
// The window placement helpers read and write the plain keys the dialogs keep in their own
// section of the main form's settings file ("WindowState", "Top", "Left", "Height", "Width").

#include "uisupport/Form.h"

#include <QString>

#include <functional>

class QEventLoop;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tessiv {

class TIniFile;
class TModalForm;
class TStringList;

// A text box of a dialog holds a list of lines: a text is shown as the list takes it (a last line
// break ends the last line, it adds no empty one), and the box is read back as such a list.
void SetBoxLines(QPlainTextEdit* box, const QString& text);
void GetBoxLines(const QPlainTextEdit* box, TStringList& lines);

using TModalPresenter = std::function<void(TModalForm& form)>;

class TModalForm : public TForm {
    TESSIV_CLASS(TModalForm, TForm)
public:
    explicit TModalForm(TComponent* owner);
    ~TModalForm() override;

    // Shows the form and waits until it closes; the modal result (mrCancel when closed otherwise).
    int ShowModal();
    bool Modal() const { return FModal; }
    int ModalResult() const { return FModalResult; }
    // Inside a click (a button, RunClick) the form closes once the click has been handled; set
    // anywhere else it closes the form at once. Either way through the close question.
    void SetModalResult(int result);

    // A push button whose click sets the modal result (when not mrNone), runs the handler, and
    // then closes the form when a result is set.
    QPushButton* MakeButton(QWidget* parent, const QString& caption, int modalResult,
                            std::function<void()> handler = {});
    // The button Escape presses.
    void SetCancelButton(QPushButton* button);

    // Runs code as a click would: afterwards a modal result closes the form (through the close
    // question). For menu items and keys that act like buttons.
    void RunClick(const std::function<void()>& handler);

    // The presenter every ShowModal uses in place of the user, or none.
    static void SetPresenter(TModalPresenter presenter);
    static const TModalPresenter& Presenter();

    // Window state, position and size from the section (the current values when missing; no
    // stored position centres the form), as every sizeable dialog of the designer keeps them.
    void ReadWindowPlacement(const TIniFile* settings, const QString& section);
    // The window state (a minimized window as normal) and, for a normal window, its position and size.
    void WriteWindowPlacement(TIniFile* settings, const QString& section) const;
    // Only the position and size ("Top", "Left", "Height", "Width"): no stored position (both -1
    // or missing) centres the form. A place off the screens is brought back when the form shows.
    void ReadWindowPosition(const TIniFile* settings, const QString& section);
    void WriteWindowPosition(TIniFile* settings, const QString& section) const;
    // Moves the window so that it is centred on the screen.
    void CentreOnScreen();

protected:
    // Before the window shows: the placement is read, the lists filled.
    virtual void FormShow() {}
    // The close question: canClose false keeps the form open; it may change the modal result.
    virtual void FormCloseQuery(bool& canClose) { (void)canClose; }
    // The form closes (after the question let it): the placement is written.
    virtual void FormClose() {}
    bool CloseQuery() override;

private:
    void CheckModalResult();
    void EndModal();

    bool FModal = false;
    int FModalResult = 0;
    int FClickDepth = 0;
    bool FClosing = false;
    QEventLoop* FLoop = nullptr;
};

} // namespace tessiv
