#include "engine/ui/KVPrintDialog.h"

#include "platform/printing/Printer.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

namespace tessiv {

namespace {

TKVPrintDialogPresenter& Presenter()
{
    static TKVPrintDialogPresenter presenter;
    return presenter;
}

// Shown when the dialog is to warn that there is no printer to choose.
const QString NoPrinterText = QStringLiteral("Nenhuma impressora está instalada.");

bool RunQtDialog(TKVPrintDlgRecord& record, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent ? parent : DialogOwnerWindow());
    KVSetupQtPrintDialog(record, dialog, printer);
    dialog.adjustSize();
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const TPoint at = KVCenterDialog({area.width(), area.height()}, {dialog.width(), dialog.height()});
        dialog.move(area.x() + at.X, area.y() + at.Y);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    KVReadQtPrintDialog(dialog, printer, record);
    return true;
}

} // namespace

// ---- the rules ---------------------------------------------------------------------------------

unsigned KVPrintDialogFlags(TKVPrintRange range, bool collate, bool printToFile, TKVPrintDialogOptions options)
{
    unsigned flags = range == kvprSelection ? PD_SELECTION : range == kvprPageNums ? PD_PAGENUMS : PD_ALLPAGES;
    flags |= PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK;
    if (collate)
        flags |= PD_COLLATE;
    if (!options.Contains(poPrintToFile))
        flags |= PD_HIDEPRINTTOFILE;
    if (!options.Contains(poPageNums))
        flags |= PD_NOPAGENUMS;
    if (!options.Contains(poSelection))
        flags |= PD_NOSELECTION;
    if (options.Contains(poDisablePrintToFile))
        flags |= PD_DISABLEPRINTTOFILE;
    if (printToFile)
        flags |= PD_PRINTTOFILE;
    if (options.Contains(poHelp))
        flags |= PD_SHOWHELP;
    if (!options.Contains(poWarning))
        flags |= PD_NOWARNING;
    return flags;
}

TKVPrintDialogChoice KVPrintDialogChoice(const TKVPrintDlgRecord& record, int printerCopies)
{
    TKVPrintDialogChoice choice;
    choice.Collate = (record.Flags & PD_COLLATE) != 0;
    choice.PrintToFile = (record.Flags & PD_PRINTTOFILE) != 0;
    choice.PrintRange = (record.Flags & PD_SELECTION)  ? kvprSelection
                        : (record.Flags & PD_PAGENUMS) ? kvprPageNums
                                                       : kvprAllPages;
    choice.FromPage = record.FromPage;
    choice.ToPage = record.ToPage;
    choice.Copies = record.Copies == 1 ? printerCopies : record.Copies;
    return choice;
}

TPoint KVCenterDialog(TSize screen, TSize window)
{
    return {(screen.cx - window.cx) / 2, (screen.cy - window.cy) / 3};
}

void KVGetPrinterExchange(const TPrinter& printer, TKVPrintDlgRecord& record)
{
    record.HasDevNames = false;
    record.DevMode.reset();
    // A printer without a device mode gives the dialog nothing: it shows its default printer.
    if (printer.Printers()->Count() == 0)
        return;
    printer.GetPrinter(record.Device, record.Driver, record.Port);
    record.DevMode = printer.DeviceMode();
    record.HasDevNames = true;
}

void KVSetPrinterExchange(TPrinter& printer, const TKVPrintDlgRecord& record)
{
    if (!record.HasDevNames)
        return;
    printer.SetPrinter(record.Device, record.DevMode ? &*record.DevMode : nullptr);
    // The PDF printer's port is the file it writes.
    if (printer.IsPdfPrinter() && !record.Port.isEmpty())
        printer.SetPdfFileName(record.Port);
}

void KVSetupQtPrintDialog(const TKVPrintDlgRecord& record, QPrintDialog& dialog, QPrinter& printer)
{
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintCollateCopies |
                                                       QAbstractPrintDialog::PrintShowPageSize;
    // The platform dialog cannot show print-to-file disabled: it is not offered then.
    if (!(record.Flags & (PD_HIDEPRINTTOFILE | PD_DISABLEPRINTTOFILE)))
        options |= QAbstractPrintDialog::PrintToFile;
    if (!(record.Flags & PD_NOSELECTION))
        options |= QAbstractPrintDialog::PrintSelection;
    if (!(record.Flags & PD_NOPAGENUMS))
        options |= QAbstractPrintDialog::PrintPageRange;
    dialog.setOptions(options);

    if (record.HasDevNames) {
        if (record.Device == TPrinter::PdfPrinterName) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(record.Port);
        } else {
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(record.Device);
        }
    }
    if (record.DevMode) {
        printer.setPageOrientation(record.DevMode->Orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                                     : QPageLayout::Portrait);
        const QPageSize size(QPageSize::id(record.DevMode->PaperSize));
        if (size.isValid() && record.DevMode->PaperSize != DMPAPER_USER)
            printer.setPageSize(size);
    }
    printer.setCopyCount(std::max(1, record.Copies));
    printer.setCollateCopies((record.Flags & PD_COLLATE) != 0);
    dialog.setMinMax(record.MinPage, std::max(record.MinPage, record.MaxPage));
    if (record.FromPage > 0 && record.FromPage <= record.ToPage)
        printer.setFromTo(record.FromPage, record.ToPage);
    printer.setPrintRange((record.Flags & PD_SELECTION)  ? QPrinter::Selection
                          : (record.Flags & PD_PAGENUMS) ? QPrinter::PageRange
                                                         : QPrinter::AllPages);
}

void KVReadQtPrintDialog(const QPrintDialog& dialog, const QPrinter& printer, TKVPrintDlgRecord& record)
{
    record.Flags &= ~(PD_SELECTION | PD_PAGENUMS | PD_COLLATE | PD_PRINTTOFILE);
    switch (printer.printRange()) {
    case QPrinter::Selection:
        record.Flags |= PD_SELECTION;
        break;
    case QPrinter::PageRange:
        record.Flags |= PD_PAGENUMS;
        break;
    default:
        break;
    }
    record.FromPage = printer.fromPage();
    record.ToPage = printer.toPage();
    if (printer.collateCopies())
        record.Flags |= PD_COLLATE;
    record.Copies = printer.copyCount();

    // Printing to a file is our PDF printer writing that file.
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    if (toFile) {
        record.Flags |= PD_PRINTTOFILE;
        record.Device = TPrinter::PdfPrinterName;
        record.Driver = TPrinter::PdfPrinterName;
        record.Port = printer.outputFileName();
    } else {
        record.Device = printer.printerName();
        record.Port = printer.printerName();
    }
    record.HasDevNames = true;
    TDeviceMode mode = record.DevMode.value_or(TDeviceMode{});
    mode.Fields |= DM_ORIENTATION | DM_COPIES;
    mode.Orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE
                                                                                     : DMORIENT_PORTRAIT;
    mode.Copies = record.Copies;
    if (const int paper = printer.pageLayout().pageSize().windowsId(); paper > 0 && paper != DMPAPER_USER) {
        mode.Fields |= DM_PAPERSIZE;
        mode.PaperSize = paper;
    }
    record.DevMode = mode;
    (void)dialog;
}

void SetPrintDialogPresenter(TKVPrintDialogPresenter presenter)
{
    Presenter() = std::move(presenter);
}

// ---- the components ----------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVCommonDialog, TComponent,
    t.Boolean(QStringLiteral("Ctl3D"), &TKVCommonDialog::Ctl3D, &TKVCommonDialog::SetCtl3D, true);
    t.Integer(QStringLiteral("HelpContext"), &TKVCommonDialog::HelpContext, &TKVCommonDialog::SetHelpContext, 0);
)
TESSIV_IMPLEMENT_CLASS(TKVBasePrintDialog, TKVCommonDialog)
TESSIV_IMPLEMENT_CLASS(TKVPrintDialog, TKVBasePrintDialog,
    t.Integer(QStringLiteral("FromPage"), &TKVPrintDialog::FromPage, &TKVPrintDialog::SetFromPage, 0);
    t.Integer(QStringLiteral("ToPage"), &TKVPrintDialog::ToPage, &TKVPrintDialog::SetToPage, 0);
    t.Boolean(QStringLiteral("Collate"), &TKVPrintDialog::Collate, &TKVPrintDialog::SetCollate, false);
    t.Boolean(QStringLiteral("PrintToFile"), &TKVPrintDialog::PrintToFile, &TKVPrintDialog::SetPrintToFile, false);
    t.Integer(QStringLiteral("MinPage"), &TKVPrintDialog::MinPage, &TKVPrintDialog::SetMinPage, 0);
    t.Integer(QStringLiteral("MaxPage"), &TKVPrintDialog::MaxPage, &TKVPrintDialog::SetMaxPage, 0);
    t.Integer(QStringLiteral("Copies"), &TKVPrintDialog::Copies, &TKVPrintDialog::SetCopies, 0);
)

TKVCommonDialog::TKVCommonDialog(TComponent* owner) : TComponent(owner) {}

bool TKVCommonDialog::TaskModalDialog(const std::function<bool()>& dialog)
{
    const QPointer<QWidget> active = QApplication::instance() ? QApplication::activeWindow() : nullptr;
    if (OnShow)
        OnShow(this);
    bool result = false;
    try {
        result = dialog();
    } catch (...) {
        if (OnClose)
            OnClose(this);
        throw;
    }
    if (OnClose)
        OnClose(this);
    if (active)
        active->activateWindow();
    return result;
}

TKVBasePrintDialog::TKVBasePrintDialog(TComponent* owner) : TKVCommonDialog(owner), FPrinter(::tessiv::Printer()) {}

TKVPrintDialog::TKVPrintDialog(TComponent* owner) : TKVBasePrintDialog(owner) {}

void TKVPrintDialog::SetCopies(int value)
{
    FCopies = value;
    if (Printer())
        Printer()->SetCopies(value);
}

bool TKVPrintDialog::Execute(QWidget* parent)
{
    TPrinter* printer = Printer();
    if (!printer)
        return false;
    TKVPrintDlgRecord record;
    record.Flags = KVPrintDialogFlags(FPrintRange, FCollate, FPrintToFile, FOptions);
    if (printer->Printers()->Count() == 0) {
        if (!(record.Flags & PD_NOWARNING))
            Application().MessageBox(NoPrinterText, QString(), MB_OK | MB_ICONWARNING);
        return false;
    }
    KVGetPrinterExchange(*printer, record);
    // The copies asked for, even of a printer whose driver keeps no copies of its own (the PDF
    // printer): the dialog shows them, and a confirmed 1 falls back to the driver's.
    record.Copies = FCopies > 0 ? FCopies : record.DevMode ? record.DevMode->Copies : 1;
    record.FromPage = FFromPage;
    record.ToPage = FToPage;
    record.MinPage = FMinPage;
    record.MaxPage = FMaxPage;
    Application().ProcessMessages();

    // The dialog works on a copy: a cancel leaves the printer and the properties as they were.
    const bool confirmed = TaskModalDialog([&] {
        return Presenter() ? Presenter()(record) : RunQtDialog(record, parent);
    });
    if (!confirmed)
        return false;
    KVSetPrinterExchange(*printer, record);
    const TKVPrintDialogChoice choice = KVPrintDialogChoice(record, printer->Copies());
    FCollate = choice.Collate;
    FPrintToFile = choice.PrintToFile;
    FPrintRange = choice.PrintRange;
    FFromPage = choice.FromPage;
    FToPage = choice.ToPage;
    SetCopies(choice.Copies);
    return true;
}

bool KVRunPrintDialog(TPrinter& printer, TKVPrintDialogValues& values)
{
    // The dialog shows the settings' copies on the printer; a cancel gives it back its own.
    const int printerCopies = printer.Copies();
    TKVPrintDialog dialog(nullptr);
    dialog.SetPrinter(&printer);
    dialog.SetMinPage(values.MinPage);
    dialog.SetMaxPage(values.MaxPage);
    dialog.SetFromPage(values.FromPage);
    dialog.SetToPage(values.ToPage);
    dialog.SetPrintRange(values.PrintRange);
    dialog.SetCollate(values.Collate);
    dialog.SetPrintToFile(values.PrintToFile);
    dialog.SetOptions(values.Options);
    dialog.SetCopies(values.Copies);
    if (!dialog.Execute()) {
        printer.SetCopies(printerCopies);
        return false;
    }
    values.FromPage = dialog.FromPage();
    values.ToPage = dialog.ToPage();
    values.PrintRange = dialog.PrintRange();
    values.Collate = dialog.Collate();
    values.PrintToFile = dialog.PrintToFile();
    values.Copies = dialog.Copies();
    return true;
}

} // namespace tessiv
