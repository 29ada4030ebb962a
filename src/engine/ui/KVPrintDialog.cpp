#include "engine/ui/KVPrintDialog.h"

#include "engine/ui/KVPrintDialogForm.h"
#include "platform/printing/Printer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
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
    TKVPrintDialogForm dialog(record, parent ? parent : DialogOwnerWindow());
    dialog.adjustSize();
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const TPoint at = KVCenterDialog({area.width(), area.height()}, {dialog.width(), dialog.height()});
        dialog.move(area.x() + at.X, area.y() + at.Y);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.ReadChoice(record);
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
    record.Printers.clear();
    // A printer without a device mode gives the dialog nothing: it shows its default printer.
    if (printer.Printers()->Count() == 0)
        return;
    for (int i = 0; i < printer.Printers()->Count(); ++i)
        record.Printers.push_back(printer.Printers()->Strings(i));
    printer.GetPrinter(record.Device, record.Driver, record.Port);
    record.DevMode = printer.DeviceMode();
    record.PdfFile = printer.PdfFileName();
    record.HasDevNames = true;
}

void KVSetPrinterExchange(TPrinter& printer, const TKVPrintDlgRecord& record)
{
    if (!record.HasDevNames)
        return;
    printer.SetPrinter(record.Device, record.DevMode ? &*record.DevMode : nullptr);
    if (printer.IsPdfPrinter())
        printer.SetPdfFileName(record.PdfFile.trimmed());
}

bool KVAskPdfFileName(QString& fileName, QWidget* parent)
{
    TSaveDialog dialog(nullptr);
    dialog.Title = QStringLiteral("Imprimir em PDF");
    dialog.Filter = QStringLiteral("Arquivo PDF (*.PDF)|*.PDF");
    dialog.DefaultExt = QStringLiteral("pdf");
    dialog.FileName = fileName;
    if (!fileName.isEmpty())
        dialog.InitialDir = QFileInfo(fileName).absolutePath();
    dialog.Options += ofOverwritePrompt;
    if (!dialog.Execute(parent) || dialog.FileName.isEmpty())
        return false;
    fileName = dialog.FileName;
    return true;
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
    if (record.PdfFile.isEmpty())
        record.PdfFile = FPdfFileOffer;
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
    dialog.SetPdfFileOffer(values.PdfFileOffer);
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
