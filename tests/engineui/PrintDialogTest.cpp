// The print dialog: its flags, the choice it gives back and the centring as plain functions; the
// printer exchange on a real printer object; Qt's dialog set up from the record and read back;
// and a report's printer setup through it.

#include "RunFixture.h"

#include "engine/ui/EngineWindows.h"
#include "engine/ui/KVPrintDialog.h"
#include "platform/printing/Printer.h"

#include <QPrintDialog>
#include <QPrinter>

#include <gtest/gtest.h>

using namespace tessiv;

namespace {

struct TPresenterScope {
    explicit TPresenterScope(TKVPrintDialogPresenter presenter) { SetPrintDialogPresenter(std::move(presenter)); }
    ~TPresenterScope() { SetPrintDialogPresenter(nullptr); }
};

TEST(PrintDialogRules, TheFlagsFollowTheRangeTheOptionsAndTheChoices)
{
    constexpr unsigned Hooks = PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK;
    const struct {
        const char* Name;
        TKVPrintRange Range;
        bool Collate;
        bool ToFile;
        TKVPrintDialogOptions Options;
        unsigned Flags;
    } cases[] = {
        {"no options hide print-to-file, page numbers and selection and warn of nothing", kvprAllPages, false, false,
         {}, Hooks | PD_HIDEPRINTTOFILE | PD_NOPAGENUMS | PD_NOSELECTION | PD_NOWARNING},
        {"a report's printer setup", kvprAllPages, false, false, {poPageNums, poSelection, poWarning},
         Hooks | PD_HIDEPRINTTOFILE},
        {"page numbers chosen, collated", kvprPageNums, true, false, {poPageNums, poWarning},
         PD_PAGENUMS | Hooks | PD_COLLATE | PD_HIDEPRINTTOFILE | PD_NOSELECTION},
        {"the selection, to a file", kvprSelection, false, true, {poPrintToFile, poSelection, poPageNums, poWarning},
         PD_SELECTION | Hooks | PD_PRINTTOFILE},
        {"print to file shown but disabled, with help", kvprAllPages, false, false,
         {poPrintToFile, poDisablePrintToFile, poHelp, poPageNums, poSelection, poWarning},
         Hooks | PD_DISABLEPRINTTOFILE | PD_SHOWHELP},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KVPrintDialogFlags(c.Range, c.Collate, c.ToFile, c.Options), c.Flags) << c.Name;
}

TEST(PrintDialogRules, WhatAConfirmedDialogMeans)
{
    const struct {
        const char* Name;
        unsigned Flags;
        int From, To, Copies, PrinterCopies;
        TKVPrintRange Range;
        int ExpectedCopies;
        bool Collate, ToFile;
    } cases[] = {
        {"pages 2 to 4", PD_PAGENUMS, 2, 4, 2, 1, kvprPageNums, 2, false, false},
        {"copies 1 while the driver's device mode holds 3", PD_ALLPAGES, 0, 0, 1, 3, kvprAllPages, 3, false, false},
        {"the selection wins over page numbers", PD_SELECTION | PD_PAGENUMS, 1, 1, 5, 1, kvprSelection, 5, false, false},
        {"collated, to a file", PD_COLLATE | PD_PRINTTOFILE, 0, 0, 2, 7, kvprAllPages, 2, true, true},
    };
    for (const auto& c : cases) {
        TKVPrintDlgRecord record;
        record.Flags = c.Flags;
        record.FromPage = c.From;
        record.ToPage = c.To;
        record.Copies = c.Copies;
        const TKVPrintDialogChoice choice = KVPrintDialogChoice(record, c.PrinterCopies);
        EXPECT_EQ(choice.PrintRange, c.Range) << c.Name;
        EXPECT_EQ(choice.FromPage, c.From) << c.Name;
        EXPECT_EQ(choice.ToPage, c.To) << c.Name;
        EXPECT_EQ(choice.Copies, c.ExpectedCopies) << c.Name;
        EXPECT_EQ(choice.Collate, c.Collate) << c.Name;
        EXPECT_EQ(choice.PrintToFile, c.ToFile) << c.Name;
    }
}

TEST(PrintDialogRules, TheDialogIsCentredAcrossAndAThirdDown)
{
    EXPECT_EQ(KVCenterDialog({1024, 768}, {400, 300}), (TPoint{312, 156}));
    EXPECT_EQ(KVCenterDialog({800, 600}, {801, 600}), (TPoint{0, 0}));
}

TEST(PrintDialogRules, TheQtDialogShowsTheRecordAndGivesTheChoiceBack)
{
    TPrinter printer;
    printer.SetPrinterIndex(printer.Printers()->IndexOf(TPrinter::PdfPrinterName));
    printer.SetPdfFileName(QStringLiteral("/tmp/saida.pdf"));
    TKVPrintDlgRecord record;
    record.Flags = KVPrintDialogFlags(kvprPageNums, true, false, {poPageNums, poWarning});
    record.MinPage = 1;
    record.MaxPage = 9;
    record.FromPage = 2;
    record.ToPage = 4;
    KVGetPrinterExchange(printer, record);
    record.Copies = 3;
    ASSERT_TRUE(record.HasDevNames);
    EXPECT_EQ(record.Device, TPrinter::PdfPrinterName);
    EXPECT_EQ(record.Port, QStringLiteral("/tmp/saida.pdf"));

    QPrinter qtPrinter;
    QPrintDialog dialog(&qtPrinter);
    KVSetupQtPrintDialog(record, dialog, qtPrinter);
    EXPECT_TRUE(dialog.testOption(QAbstractPrintDialog::PrintPageRange));
    EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintSelection));
    EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintToFile));
    EXPECT_EQ(dialog.minPage(), 1);
    EXPECT_EQ(dialog.maxPage(), 9);
    EXPECT_EQ(qtPrinter.fromPage(), 2);
    EXPECT_EQ(qtPrinter.toPage(), 4);
    EXPECT_EQ(qtPrinter.printRange(), QPrinter::PageRange);
    EXPECT_TRUE(qtPrinter.collateCopies());
    EXPECT_EQ(qtPrinter.copyCount(), 3);
    EXPECT_EQ(qtPrinter.outputFileName(), QStringLiteral("/tmp/saida.pdf"));

    // The user picks pages 3 to 5, four copies, not collated, landscape.
    qtPrinter.setFromTo(3, 5);
    qtPrinter.setCopyCount(4);
    qtPrinter.setCollateCopies(false);
    qtPrinter.setPageOrientation(QPageLayout::Landscape);
    TKVPrintDlgRecord back = record;
    KVReadQtPrintDialog(dialog, qtPrinter, back);
    const TKVPrintDialogChoice choice = KVPrintDialogChoice(back, 1);
    EXPECT_EQ(choice.PrintRange, kvprPageNums);
    EXPECT_EQ(choice.FromPage, 3);
    EXPECT_EQ(choice.ToPage, 5);
    EXPECT_EQ(choice.Copies, 4);
    EXPECT_FALSE(choice.Collate);
    EXPECT_TRUE(choice.PrintToFile);
    ASSERT_TRUE(back.DevMode);
    EXPECT_EQ(back.DevMode->Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(back.Device, TPrinter::PdfPrinterName);
    EXPECT_EQ(back.Port, QStringLiteral("/tmp/saida.pdf"));
}

TEST(PrintDialog, ConfirmedTheChoiceReachesThePrinterAndTheProperties)
{
    TPrinter printer;
    const int pdf = printer.Printers()->IndexOf(TPrinter::PdfPrinterName);
    TKVPrintDialog dialog(nullptr);
    dialog.SetPrinter(&printer);
    dialog.SetOptions({poPageNums, poSelection, poWarning});
    dialog.SetMinPage(1);
    dialog.SetMaxPage(5);
    dialog.SetCopies(2);
    // The PDF printer keeps no copies in its device mode; a printer's driver may.
    const bool driverCopies = (printer.DeviceMode().Fields & DM_COPIES) != 0;
    EXPECT_EQ(printer.Copies(), driverCopies ? 2 : 1);
    int shown = 0;
    int closed = 0;
    dialog.OnShow = [&](TObject*) { ++shown; };
    dialog.OnClose = [&](TObject*) { ++closed; };
    TKVPrintDlgRecord seen;
    TPresenterScope presenter([&](TKVPrintDlgRecord& r) {
        seen = r;
        r.Device = TPrinter::PdfPrinterName;
        r.Port = QStringLiteral("/tmp/escolhido.pdf");
        r.Copies = 4;
        r.Flags = (r.Flags & ~(PD_SELECTION | PD_PAGENUMS)) | PD_PAGENUMS | PD_COLLATE;
        r.FromPage = 2;
        r.ToPage = 4;
        return true;
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(seen.Copies, 2);
    EXPECT_EQ(seen.MinPage, 1);
    EXPECT_EQ(seen.MaxPage, 5);
    EXPECT_EQ(printer.PrinterIndex(), pdf);
    EXPECT_EQ(printer.PdfFileName(), QStringLiteral("/tmp/escolhido.pdf"));
    EXPECT_EQ(dialog.PrintRange(), kvprPageNums);
    EXPECT_EQ(dialog.FromPage(), 2);
    EXPECT_EQ(dialog.ToPage(), 4);
    EXPECT_TRUE(dialog.Collate());
    EXPECT_EQ(dialog.Copies(), 4);
    EXPECT_EQ(printer.Copies(), driverCopies ? 4 : 1);
}

TEST(PrintDialog, CancelLeavesThePrinterAndThePropertiesAsTheyWere)
{
    TPrinter printer;
    const int index = printer.PrinterIndex();
    const TDeviceMode mode = printer.DeviceMode();
    const QString file = printer.PdfFileName();
    TKVPrintDialog dialog(nullptr);
    dialog.SetPrinter(&printer);
    dialog.SetOptions({poPageNums, poSelection, poWarning});
    dialog.SetFromPage(1);
    dialog.SetToPage(2);
    dialog.SetPrintRange(kvprPageNums);
    TPresenterScope presenter([&](TKVPrintDlgRecord& r) {
        r.Device = TPrinter::PdfPrinterName;
        r.Port = QStringLiteral("/tmp/outro.pdf");
        r.DevMode->Copies = 9;
        r.Copies = 9;
        r.Flags |= PD_SELECTION | PD_COLLATE | PD_PRINTTOFILE;
        r.FromPage = 5;
        r.ToPage = 6;
        return false;
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(printer.PrinterIndex(), index);
    EXPECT_EQ(printer.DeviceMode(), mode);
    EXPECT_EQ(printer.PdfFileName(), file);
    EXPECT_EQ(dialog.PrintRange(), kvprPageNums);
    EXPECT_EQ(dialog.FromPage(), 1);
    EXPECT_EQ(dialog.ToPage(), 2);
    EXPECT_FALSE(dialog.Collate());
    EXPECT_FALSE(dialog.PrintToFile());
    EXPECT_EQ(dialog.Copies(), 0);
}

TEST(PrintDialog, AReportsPrinterSetupGoesThroughItOnTheReportsOwnPrinter)
{
    InstallEngineWindows();
    enginetest::TRunDoc doc;
    doc.Report->PrinterSettings()->SetCopies(2);
    TPrinter* own = doc.Report->PrivatePrinter();
    const int programIndex = Printer()->PrinterIndex();
    const int pdf = own->Printers()->IndexOf(TPrinter::PdfPrinterName);
    TKVPrintDlgRecord seen;
    bool confirm = true;
    TPresenterScope presenter([&](TKVPrintDlgRecord& r) {
        seen = r;
        r.Device = TPrinter::PdfPrinterName;
        r.Flags = (r.Flags & ~(PD_SELECTION | PD_PAGENUMS)) | PD_PAGENUMS;
        r.FromPage = 2;
        r.ToPage = 3;
        r.Copies = 4;
        return confirm;
    });
    doc.Report->PrinterSetup();
    EXPECT_EQ(doc.Report->Tag(), 0);
    EXPECT_EQ(seen.Copies, 2);
    EXPECT_EQ(seen.MinPage, 0);
    EXPECT_EQ(seen.MaxPage, 9999);
    EXPECT_EQ(seen.Flags & (PD_NOPAGENUMS | PD_NOSELECTION | PD_NOWARNING), 0u);
    EXPECT_EQ(doc.Report->PrinterSettings()->Copies(), 4);
    EXPECT_EQ(doc.Report->PrinterSettings()->FirstPage(), 2);
    EXPECT_EQ(doc.Report->PrinterSettings()->LastPage(), 3);
    EXPECT_EQ(doc.Report->PrinterSettings()->PrinterIndex(), pdf);
    // The program's printer is not the report's.
    EXPECT_EQ(Printer()->PrinterIndex(), programIndex);

    confirm = false;
    doc.Report->PrinterSetup();
    EXPECT_EQ(doc.Report->Tag(), 1);
    EXPECT_EQ(doc.Report->PrinterSettings()->Copies(), 4);
    EXPECT_EQ(doc.Report->PrinterSettings()->FirstPage(), 2);
    SetPrintDialogProc(nullptr);
    SetStandardPreviewProc(nullptr);
    SetProgressFormProc(nullptr);
}

} // namespace
