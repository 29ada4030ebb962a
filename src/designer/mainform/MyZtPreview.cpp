#include "designer/mainform/MyZtPreview.h"

#include "designer/document/AnexoRelatorio.h"
#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "engine/ui/KVPreview.h"
#include "platform/ui/Application.h"
#include "platform/ui/Help.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace tessiv {

TMyZtPreview* TMyZtPreview::CreatePreview(QWidget* owner, TAnexoRelatorio* document, TKVPrinter& printer)
{
    return new TMyZtPreview(owner, document, printer);
}

TMyZtPreview::TMyZtPreview(QWidget* owner, TAnexoRelatorio* document, TKVPrinter& printer)
    : TKVStandardPreview(owner, printer), FDocument(document)
{
    setObjectName(QStringLiteral("MyZtPreview"));
    resize(437, 494);
    Status()->setText(QStringLiteral("Trabalhando..."));
    ExitButton()->setText(QStringLiteral("&Fechar"));
    // Each announced page counts as it arrives, however many pages the run has recorded since.
    auto announced = Preview()->OnPageAvailable;
    Preview()->OnPageAvailable = [this, announced](TKVPreview* sender, int page) {
        FAnnounced = page;
        if (announced)
            announced(sender, page);
    };
}

void TMyZtPreview::ShowPreview()
{
    showMaximized();
    UpdateStatus();
    UpdateButtons();
}

bool TMyZtPreview::Recording() const
{
    const TKVPrinterStatus status = Printer()->Status();
    FRunSeen = FRunSeen || status == kvpsBusy;
    // A run that failed before it began recording is over all the same.
    return status == kvpsBusy || (!FRunSeen && status != kvpsFinished && !Printer()->Incomplete());
}

void TMyZtPreview::UpdateStatus()
{
    // While the run records, the count is of the pages that can be shown: the page being recorded
    // is not one of them yet.
    const int count = Printer()->Status() == kvpsBusy ? FAnnounced : Printer()->PageCount();
    Status()->setText(QStringLiteral("Página ") + QString::number(Preview()->PageNumber()) + QStringLiteral(" de ") +
                      QString::number(count) + IncompleteMark());
}

void TMyZtPreview::PrintSetupClick()
{
    UpdateButtons();
    if (!Button(QStringLiteral("PrintSetup"))->isEnabled() || !FDocument || !FDocument->Report())
        return;
    try {
        FDocument->Report()->PrinterSetup();
    } catch (...) {
    }
}

void TMyZtPreview::PrintClick()
{
    if (FDocument && !RefuseIncompletePages())
        FDocument->Print();
}

bool TMyZtPreview::HandleKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool ctrlAlone = (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier;
    switch (qtKey) {
    case Qt::Key_PageUp:
        ctrlAlone ? FirstPageClick() : PrevPageClick();
        return true;
    case Qt::Key_PageDown:
        ctrlAlone ? LastPageClick() : NextPageClick();
        return true;
    case Qt::Key_Home:
        FirstPageClick();
        return true;
    case Qt::Key_End:
        LastPageClick();
        return true;
    case Qt::Key_F1:
        if (modifiers != Qt::NoModifier)
            return false;
        HelpSystem().Context(HelpContext());
        return true;
    default:
        return false;
    }
}

QString TMyZtPreview::SavedPreviewEntry() const
{
    return QStringLiteral("Vizualização Kelvora Relatório (VKR)|*.VKR");
}

QString TMyZtPreview::ExportEntries() const
{
    return QStringLiteral("Arquivo Texto(*.TXT)|*.TXT");
}

void TMyZtPreview::ReportMissingFile(const QString& fileName)
{
    Application().MessageBox(QStringLiteral("O arquivo ") + fileName + QStringLiteral(" não existe."),
                             Application().Title(), MB_OK);
}

bool TMyZtPreview::event(QEvent* e)
{
    // Activating the preview brings the whole program to the front.
    if (e->type() == QEvent::WindowActivate)
        if (QWidget* top = parentWidget() ? parentWidget()->window() : nullptr)
            top->raise();
    return TKVStandardPreview::event(e);
}

} // namespace tessiv
