#include "platform/ui/Help.h"

#include "platform/ui/Application.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVariant>
#include <QWidget>

namespace tessiv {

namespace {

QPointer<QTextBrowser>& HelpWindow()
{
    static QPointer<QTextBrowser> window;
    return window;
}

// The anchors the file names, so an unknown topic falls back to the contents.
bool HasAnchor(const QString& fileName, const QString& anchor)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(f.readAll());
    const QRegularExpression named(QStringLiteral("(name|id)\\s*=\\s*\"%1\"").arg(QRegularExpression::escape(anchor)),
                                   QRegularExpression::CaseInsensitiveOption);
    return named.match(text).hasMatch();
}

void OpenHelpWindow(const QString& fileName, const QString& anchor)
{
    QPointer<QTextBrowser>& window = HelpWindow();
    if (!window) {
        window = new QTextBrowser;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setObjectName(QStringLiteral("HelpWindow"));
        window->setOpenExternalLinks(true);
        window->resize(640, 560);
    }
    QUrl url = QUrl::fromLocalFile(fileName);
    window->setSource(url, QTextDocument::HtmlResource);
    if (!anchor.isEmpty())
        window->scrollToAnchor(anchor);
    else
        window->scrollToAnchor(QString());
    window->setWindowTitle(window->documentTitle().isEmpty() ? Application().Title() : window->documentTitle());
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

THelpSystem& HelpSystem()
{
    static THelpSystem help;
    return help;
}

bool THelpSystem::Show(const QString& anchor)
{
    if (FHelpFile.isEmpty() || !QFileInfo(FHelpFile).isFile()) {
        Application().MessageBox(QStringLiteral("O arquivo de ajuda ") + FHelpFile + QStringLiteral(" não foi encontrado."),
                                 Application().Title(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const QString shown = anchor.isEmpty() || HasAnchor(FHelpFile, anchor) ? anchor : QString();
    FLastTopic = shown;
    if (Viewer)
        Viewer(FHelpFile, shown);
    else
        OpenHelpWindow(FHelpFile, shown);
    return true;
}

bool THelpSystem::Contents()
{
    return Show(QString());
}

bool THelpSystem::Context(int helpContext)
{
    return Show(helpContext > 0 ? QStringLiteral("ctx-%1").arg(helpContext) : QString());
}

bool THelpSystem::Topic(const QString& name)
{
    return Show(name);
}

void THelpSystem::Quit()
{
    if (QTextBrowser* window = HelpWindow().data())
        delete window;
}

namespace {
const char* const kHelpContextProperty = "tessivHelpContext";
}

void SetHelpContext(QWidget* widget, int helpContext)
{
    if (widget)
        widget->setProperty(kHelpContextProperty, helpContext);
}

int HelpContextOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (const int context = w->property(kHelpContextProperty).toInt(); context != 0)
            return context;
    return 0;
}

} // namespace tessiv
