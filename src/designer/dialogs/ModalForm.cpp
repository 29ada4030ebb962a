#include "designer/dialogs/ModalForm.h"

#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"
#include "platform/ui/Application.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace tessiv {

namespace {

TModalPresenter& PresenterSlot()
{
    static TModalPresenter presenter;
    return presenter;
}

} // namespace

void SetBoxLines(QPlainTextEdit* box, const QString& text)
{
    TStringList lines;
    lines.SetText(text);
    QString plain;
    for (int i = 0; i < lines.Count(); ++i) {
        if (i > 0)
            plain += QLatin1Char('\n');
        plain += lines.Strings(i);
    }
    box->setPlainText(plain);
}

void GetBoxLines(const QPlainTextEdit* box, TStringList& lines) { lines.SetText(box->toPlainText()); }

TESSIV_IMPLEMENT_CLASS(TModalForm, TForm)

TModalForm::TModalForm(TComponent* owner) : TForm(owner) {}

TModalForm::~TModalForm()
{
    if (FLoop)
        FLoop->quit();
}

void TModalForm::SetPresenter(TModalPresenter presenter) { PresenterSlot() = std::move(presenter); }

const TModalPresenter& TModalForm::Presenter() { return PresenterSlot(); }

int TModalForm::ShowModal()
{
    FModalResult = mrNone;
    FModal = true;
    // Above the window it is opened from.
    if (!OwnerWindow())
        SetOwnerWindow(DialogOwnerWindow());
    FormShow();
    Window()->setWindowModality(Qt::ApplicationModal);
    Show();
    // A presenter copied first: it may itself run a nested form that uses the same one.
    if (const TModalPresenter presenter = Presenter()) {
        presenter(*this);
        // What the presenter left open is cancelled without further questions.
        if (FModal) {
            if (FModalResult == mrNone)
                FModalResult = mrCancel;
            FormClose();
            EndModal();
        }
    } else if (FModal) {
        QEventLoop loop;
        FLoop = &loop;
        loop.exec();
        FLoop = nullptr;
    }
    Window()->setWindowModality(Qt::NonModal);
    return FModalResult;
}

void TModalForm::EndModal()
{
    FModal = false;
    Hide();
    if (FLoop)
        FLoop->quit();
}

void TModalForm::SetModalResult(int result)
{
    FModalResult = result;
    if (FClickDepth == 0 && !FClosing)
        CheckModalResult();
}

bool TModalForm::CloseQuery()
{
    if (FModal && FModalResult == mrNone)
        FModalResult = mrCancel;
    // The question may set the result itself; that closes nothing more.
    FClosing = true;
    bool canClose = true;
    try {
        canClose = TForm::CloseQuery();
        if (canClose)
            FormCloseQuery(canClose);
    } catch (...) {
        FClosing = false;
        throw;
    }
    FClosing = false;
    if (!canClose) {
        FModalResult = mrNone;
        return false;
    }
    if (FModal) {
        FormClose();
        EndModal();
    }
    return true;
}

void TModalForm::CheckModalResult()
{
    if (FModal && FModalResult != mrNone)
        Close();
}

void TModalForm::RunClick(const std::function<void()>& handler)
{
    // An error ends at the application's box; the form stays as the handler left it.
    ++FClickDepth;
    Application().Guard(handler);
    --FClickDepth;
    if (FClickDepth == 0)
        CheckModalResult();
}

QPushButton* TModalForm::MakeButton(QWidget* parent, const QString& caption, int modalResult,
                                    std::function<void()> handler)
{
    auto* button = new QPushButton(caption, parent);
    QObject::connect(button, &QPushButton::clicked, button, [this, modalResult, handler = std::move(handler)] {
        RunClick([&] {
            if (modalResult != mrNone)
                FModalResult = modalResult;
            if (handler)
                handler();
        });
    });
    return button;
}

void TModalForm::SetCancelButton(QPushButton* button)
{
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), Window());
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, button, [button] {
        if (button->isEnabled())
            button->click();
    });
}

void TModalForm::CentreOnScreen()
{
    QScreen* screen = Window()->screen() ? Window()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    SetBounds(area.x() + (area.width() - Width()) / 2, area.y() + (area.height() - Height()) / 2, Width(), Height());
}

void TModalForm::ReadWindowPlacement(const TIniFile* settings, const QString& section)
{
    if (!settings)
        return;
    const int state = settings->ReadInteger(section, QStringLiteral("WindowState"), WindowState());
    if (state == wsMaximized) {
        SetWindowState(wsMaximized);
        return;
    }
    // A minimized dialog would be lost to the user: anything else opens normal.
    SetWindowState(wsNormal);
    ReadWindowPosition(settings, section);
}

void TModalForm::ReadWindowPosition(const TIniFile* settings, const QString& section)
{
    if (!settings)
        return;
    const int top = settings->ReadInteger(section, QStringLiteral("Top"), -1);
    const int left = settings->ReadInteger(section, QStringLiteral("Left"), -1);
    int height = settings->ReadInteger(section, QStringLiteral("Height"), Height());
    int width = settings->ReadInteger(section, QStringLiteral("Width"), Width());
    // A stored size that holds nothing is not taken.
    if (height <= 0)
        height = Height();
    if (width <= 0)
        width = Width();
    if (top == -1 && left == -1) {
        SetBounds(Left(), Top(), width, height);
        CentreOnScreen();
        return;
    }
    SetBounds(left, top, width, height);
}

void TModalForm::WriteWindowPlacement(TIniFile* settings, const QString& section) const
{
    if (!settings)
        return;
    const TWindowState state = WindowState() == wsMinimized ? wsNormal : WindowState();
    settings->WriteInteger(section, QStringLiteral("WindowState"), state);
    if (state == wsNormal)
        WriteWindowPosition(settings, section);
}

void TModalForm::WriteWindowPosition(TIniFile* settings, const QString& section) const
{
    if (!settings)
        return;
    const TRect r = GetWindowPlacement().NormalPosition;
    settings->WriteInteger(section, QStringLiteral("Top"), r.Top);
    settings->WriteInteger(section, QStringLiteral("Left"), r.Left);
    settings->WriteInteger(section, QStringLiteral("Height"), r.Height());
    settings->WriteInteger(section, QStringLiteral("Width"), r.Width());
}

} // namespace tessiv
