#include "EngineUiFixture.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/GraphicsObjects.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace engineuitest {

std::unique_ptr<TKVPrinter> MakePrinter()
{
    auto printer = std::make_unique<TKVPrinter>();
    printer->SetDestination(kvpdMetafile);
    printer->SetPaperSize(TKVPaperSize::A4);
    printer->SetOrientation(TPrinterOrientation::poPortrait);
    printer->SetTitle(QStringLiteral("Relatorio de teste"));
    return printer;
}

void WritePage(TKVPrinter& printer)
{
    TCanvas& canvas = *printer.Canvas();
    canvas.Font()->SetName(QStringLiteral("Arial"));
    canvas.Font()->SetHeight(-printer.YSize(TextHeight));
    canvas.Font()->SetStyle({fsBold});
    canvas.SetBkMode(TRANSPARENT);
    canvas.TextOut(printer.XPos(TextX), printer.YPos(TextY), QStringLiteral("Pagina %1").arg(printer.PageNumber()));
}

void RecordPages(TKVPrinter& printer, int count, bool keepOpen)
{
    printer.BeginDoc();
    for (int n = 1; n <= count; ++n) {
        printer.NewPage();
        WritePage(printer);
    }
    if (!keepOpen)
        printer.EndDoc();
}

bool PumpUntil(const std::function<bool()>& condition)
{
    // A ticking timer wakes the loop, so waiting for events cannot hang; the deadline bounds it.
    QTimer tick;
    tick.start(10);
    const QDeadlineTimer deadline(5000);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return condition();
}

} // namespace engineuitest
