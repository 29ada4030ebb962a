#include "platform/ui/Application.h"

#include "platform/core/Exceptions.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace tessiv {

namespace {

int ShowWithQt(const TMessageBoxRequest& r)
{
    QMessageBox box(DialogOwnerWindow());
    box.setWindowTitle(r.Caption);
    box.setText(r.Text);
    switch (r.Type) {
    case mtWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case mtError:
        box.setIcon(QMessageBox::Critical);
        break;
    case mtInformation:
        box.setIcon(QMessageBox::Information);
        break;
    case mtConfirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case mtCustom:
        break;
    }
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (int result : r.Buttons) {
        QPushButton* b = box.addButton(ButtonText(result), QMessageBox::ActionRole);
        buttons.push_back({b, result});
        if (result == (r.DefaultButton ? r.DefaultButton : r.Buttons.front()))
            box.setDefaultButton(b);
        if (result == r.EscapeButton)
            box.setEscapeButton(b);
    }
    box.exec();
    for (const auto& [button, result] : buttons)
        if (box.clickedButton() == button)
            return result;
    return r.EscapeButton ? r.EscapeButton : IDCANCEL;
}

TCursor g_shownCursor = crDefault;

Qt::CursorShape ToQt(TCursor c)
{
    switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

// The screen cursor replaces, never stacks: setting it twice and clearing it once clears it.
void ShowScreenCursor(TCursor cursor)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (g_shownCursor != crDefault)
        QGuiApplication::restoreOverrideCursor();
    g_shownCursor = cursor;
    if (cursor != crDefault)
        QGuiApplication::setOverrideCursor(QCursor(ToQt(cursor)));
}

} // namespace

Qt::CursorShape CursorShape(TCursor c)
{
    return ToQt(c);
}

QString ButtonText(int result)
{
    switch (result) {
    case mrYes: return QStringLiteral("&Sim");
    case mrNo: return QStringLiteral("&Não");
    case mrOk: return QStringLiteral("OK");
    case mrCancel: return QStringLiteral("Cancelar");
    case mrAbort: return QStringLiteral("&Abortar");
    case mrRetry: return QStringLiteral("&Repetir");
    case mrIgnore: return QStringLiteral("&Ignorar");
    case mrAll: return QStringLiteral("&Todos");
    case mrNoToAll: return QStringLiteral("N&ão para todos");
    case mrYesToAll: return QStringLiteral("Sim para &todos");
    default: return QString();
    }
}

TApplication& Application()
{
    static TApplication app;
    return app;
}

QWidget* DialogOwnerWindow()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

void TApplication::SetTitle(const QString& title)
{
    FTitle = title;
    QCoreApplication::setApplicationName(title);
}

void TApplication::SetHint(const QString& hint)
{
    if (hint == FHint)
        return;
    FHint = hint;
    if (OnHint)
        OnHint(nullptr);
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents();
}

int TApplication::Run()
{
    return QCoreApplication::exec();
}

void TApplication::Terminate()
{
    QCoreApplication::quit();
}

void TApplication::HandleException(std::exception_ptr error)
{
    if (!error)
        return;
    if (OnException) {
        OnException(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        // ends the operation without a word
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        MessageBox(QStringLiteral("Erro desconhecido"), FTitle, MB_OK | MB_ICONSTOP);
    }
}

void TApplication::ShowException(const std::exception& error)
{
    QString text;
    if (auto* e = dynamic_cast<const Exception*>(&error))
        text = e->Message();
    else
        text = QString::fromUtf8(error.what());
    // A message ends with a period, as the class library shows it.
    text = text.trimmed();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    MessageBox(text, FTitle, MB_OK | MB_ICONSTOP);
}

bool TApplication::Guard(const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

int TApplication::MessageBox(const QString& text, const QString& caption, unsigned flags)
{
    TMessageBoxRequest r;
    r.Text = text;
    r.Caption = caption.isEmpty() ? FTitle : caption;
    switch (flags & 0xF0) {
    case MB_ICONSTOP: r.Type = mtError; break;
    case MB_ICONQUESTION: r.Type = mtConfirmation; break;
    case MB_ICONEXCLAMATION: r.Type = mtWarning; break;
    case MB_ICONINFORMATION: r.Type = mtInformation; break;
    default: r.Type = mtCustom; break;
    }
    switch (flags & 0x0F) {
    case MB_OKCANCEL: r.Buttons = {IDOK, IDCANCEL}; r.EscapeButton = IDCANCEL; break;
    case MB_ABORTRETRYIGNORE: r.Buttons = {IDABORT, IDRETRY, IDIGNORE}; break;
    case MB_YESNOCANCEL: r.Buttons = {IDYES, IDNO, IDCANCEL}; r.EscapeButton = IDCANCEL; break;
    case MB_YESNO: r.Buttons = {IDYES, IDNO}; break;
    case MB_RETRYCANCEL: r.Buttons = {IDRETRY, IDCANCEL}; r.EscapeButton = IDCANCEL; break;
    default: r.Buttons = {IDOK}; r.EscapeButton = IDOK; break;
    }
    const size_t def = (flags & 0xF00) >> 8;
    r.DefaultButton = r.Buttons[def < r.Buttons.size() ? def : 0];
    return Presenter ? Presenter(r) : ShowWithQt(r);
}

int TApplication::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons, int)
{
    TMessageBoxRequest r;
    r.Text = text;
    r.Caption = FTitle;
    r.Type = type;
    const std::pair<TMsgDlgBtn, int> order[] = {{mbYes, mrYes}, {mbNo, mrNo}, {mbOK, mrOk}, {mbCancel, mrCancel},
                                                {mbAbort, mrAbort}, {mbRetry, mrRetry}, {mbIgnore, mrIgnore},
                                                {mbAll, mrAll}, {mbNoToAll, mrNoToAll}, {mbYesToAll, mrYesToAll}};
    for (const auto& [button, result] : order)
        if (buttons.Contains(button))
            r.Buttons.push_back(result);
    if (r.Buttons.empty())
        r.Buttons = {mrOk};
    r.DefaultButton = r.Buttons.front();
    if (buttons.Contains(mbCancel))
        r.EscapeButton = mrCancel;
    else if (buttons.Contains(mbNo))
        r.EscapeButton = mrNo;
    else if (buttons.Contains(mbOK))
        r.EscapeButton = mrOk;
    return Presenter ? Presenter(r) : ShowWithQt(r);
}

TQtApplication::TQtApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Pages and layouts must not depend on the monitor: the screen counts as the graphics
    // layer's fixed resolution.
    Screen().PixelsPerInch = ScreenPixelsPerInch();
    Screen().OnCursorChange = ShowScreenCursor;
}

TQtApplication::~TQtApplication()
{
    Screen().OnCursorChange = nullptr;
    g_shownCursor = crDefault;
}

bool TQtApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Application().HandleException(std::current_exception());
        return false;
    }
}

QTranslator* LoadSystemTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

} // namespace tessiv
