// The print dialog: its flags, the choice it gives back and the centring as plain functions; the
// printer exchange on a real printer object; its window set up from the record and read back,
// with the PDF printer's file; and a report's printer setup through it.

#include "RunFixture.h"

#include "engine/ui/EngineWindows.h"
#include "engine/ui/KVPrintDialog.h"
#include "engine/ui/KVPrintDialogForm.h"
#include "platform/printing/Printer.h"
#include "platform/ui/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

#include <gtest/gtest.h>

#include <optional>

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

// A record as a printer gives it: "PDF" and a queue, the device mode of the device shown.
TKVPrintDlgRecord RecordOn(const QString& device, const QString& pdfFile)
{
    TKVPrintDlgRecord record;
    record.HasDevNames = true;
    record.Printers = {TPrinter::PdfPrinterName, QStringLiteral("Fila")};
    record.Device = device;
    record.Port = device == TPrinter::PdfPrinterName ? pdfFile : device;
    record.PdfFile = pdfFile;
    TDeviceMode mode;
    mode.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
    mode.PaperSize = DMPAPER_A4;
    mode.Orientation = DMORIENT_PORTRAIT;
    record.DevMode = mode;
    return record;
}

struct TDialogPresenterScope {
    explicit TDialogPresenterScope(TDialogPresenter presenter) { SetDialogPresenter(std::move(presenter)); }
    ~TDialogPresenterScope() { SetDialogPresenter(nullptr); }
};

TEST(PrintDialogForm, ShowsTheRecordAndGivesTheChoiceBack)
{
    TKVPrintDlgRecord record = RecordOn(TPrinter::PdfPrinterName, QStringLiteral("/tmp/saida.pdf"));
    record.Flags = KVPrintDialogFlags(kvprPageNums, true, false, {poPageNums, poWarning});
    record.MinPage = 1;
    record.MaxPage = 9;
    record.FromPage = 2;
    record.ToPage = 4;
    record.Copies = 3;
    TKVPrintDialogForm form(record);
    ASSERT_EQ(form.PrinterBox()->count(), 2);
    EXPECT_EQ(form.PrinterBox()->itemText(0), TPrinter::PdfPrinterName);
    EXPECT_EQ(form.PrinterBox()->itemText(1), QStringLiteral("Fila"));
    EXPECT_EQ(form.PrinterBox()->currentText(), TPrinter::PdfPrinterName);
    EXPECT_EQ(form.FileEdit()->text(), QStringLiteral("/tmp/saida.pdf"));
    EXPECT_TRUE(form.FileEdit()->isEnabled());
    EXPECT_TRUE(form.BrowseButton()->isEnabled());
    EXPECT_TRUE(form.Selection()->isHidden());
    EXPECT_TRUE(form.PageRange()->isChecked());
    EXPECT_EQ(form.FromPage()->minimum(), 1);
    EXPECT_EQ(form.ToPage()->maximum(), 9);
    EXPECT_EQ(form.FromPage()->value(), 2);
    EXPECT_EQ(form.ToPage()->value(), 4);
    EXPECT_EQ(form.Copies()->value(), 3);
    EXPECT_TRUE(form.Collate()->isChecked());
    EXPECT_TRUE(form.Portrait()->isChecked());

    // The user picks pages 3 to 5, four copies, not collated, landscape, and another file.
    form.FromPage()->setValue(3);
    form.ToPage()->setValue(5);
    form.Copies()->setValue(4);
    form.Collate()->setChecked(false);
    form.Landscape()->setChecked(true);
    form.FileEdit()->setText(QStringLiteral(" /tmp/outra.pdf "));
    TKVPrintDlgRecord back = record;
    form.ReadChoice(back);
    const TKVPrintDialogChoice choice = KVPrintDialogChoice(back, 1);
    EXPECT_EQ(choice.PrintRange, kvprPageNums);
    EXPECT_EQ(choice.FromPage, 3);
    EXPECT_EQ(choice.ToPage, 5);
    EXPECT_EQ(choice.Copies, 4);
    EXPECT_FALSE(choice.Collate);
    EXPECT_TRUE(choice.PrintToFile);
    EXPECT_EQ(back.Device, TPrinter::PdfPrinterName);
    EXPECT_EQ(back.PdfFile, QStringLiteral("/tmp/outra.pdf"));
    ASSERT_TRUE(back.DevMode);
    EXPECT_EQ(back.DevMode->Orientation, DMORIENT_LANDSCAPE);
    // The same printer keeps the rest of its device mode.
    EXPECT_TRUE(back.DevMode->Fields & DM_PAPERSIZE);
    EXPECT_EQ(back.DevMode->PaperSize, DMPAPER_A4);
}

TEST(PrintDialogForm, TheRangeFollowsTheFlags)
{
    const struct {
        const char* Name;
        unsigned Flags;
        bool SelectionShown, PagesEnabled;
        bool All, Selection, Pages;
    } cases[] = {
        {"a report's setup, all pages", KVPrintDialogFlags(kvprAllPages, false, false, {poPageNums, poSelection, poWarning}),
         true, true, true, false, false},
        {"a report's setup, the selection", KVPrintDialogFlags(kvprSelection, false, false, {poPageNums, poSelection}),
         true, true, false, true, false},
        {"no options: all pages only", KVPrintDialogFlags(kvprPageNums, false, false, {}), false, false, true, false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TKVPrintDlgRecord record = RecordOn(QStringLiteral("Fila"), QString());
        record.Flags = c.Flags;
        TKVPrintDialogForm form(record);
        EXPECT_EQ(!form.Selection()->isHidden(), c.SelectionShown);
        EXPECT_EQ(form.PageRange()->isEnabled(), c.PagesEnabled);
        EXPECT_EQ(form.AllPages()->isChecked(), c.All);
        EXPECT_EQ(form.Selection()->isChecked(), c.Selection);
        EXPECT_EQ(form.PageRange()->isChecked(), c.Pages);
    }
}

TEST(PrintDialogForm, TheFileIsThePdfPrintersAndTheBrowseButtonAsksForIt)
{
    const TKVPrintDlgRecord record = RecordOn(QStringLiteral("Fila"), QStringLiteral("/tmp/oferecido.pdf"));
    TKVPrintDialogForm form(record);
    EXPECT_EQ(form.FileEdit()->text(), QStringLiteral("/tmp/oferecido.pdf"));
    EXPECT_FALSE(form.FileEdit()->isEnabled());
    EXPECT_FALSE(form.BrowseButton()->isEnabled());
    form.PrinterBox()->setCurrentText(TPrinter::PdfPrinterName);
    EXPECT_TRUE(form.FileEdit()->isEnabled());
    EXPECT_TRUE(form.BrowseButton()->isEnabled());

    // The save dialog starts at the field's file; cancelled, the field stays.
    QString answer;
    QStringList offered;
    TDialogPresenterScope presenter([&](TCommonDialog& d) {
        auto* save = dynamic_cast<TSaveDialog*>(&d);
        EXPECT_NE(save, nullptr);
        if (!save)
            return false;
        offered << save->FileName;
        EXPECT_EQ(save->InitialDir, QStringLiteral("/tmp"));
        EXPECT_EQ(TOpenDialog::QtFilters(save->Filter), QStringList{QStringLiteral("Arquivo PDF (*.PDF *.pdf)")});
        if (answer.isEmpty())
            return false;
        save->FileName = answer;
        return true;
    });
    form.BrowseButton()->click();
    EXPECT_EQ(form.FileEdit()->text(), QStringLiteral("/tmp/oferecido.pdf"));
    answer = QStringLiteral("/tmp/procurado.pdf");
    form.BrowseButton()->click();
    EXPECT_EQ(form.FileEdit()->text(), answer);
    EXPECT_EQ(offered, (QStringList{QStringLiteral("/tmp/oferecido.pdf"), QStringLiteral("/tmp/oferecido.pdf")}));

    // Another printer than the record's starts from its own device mode.
    TKVPrintDlgRecord back = record;
    form.ReadChoice(back);
    EXPECT_EQ(back.Device, TPrinter::PdfPrinterName);
    EXPECT_EQ(back.PdfFile, answer);
    EXPECT_TRUE(back.Flags & PD_PRINTTOFILE);
    ASSERT_TRUE(back.DevMode);
    EXPECT_EQ(back.DevMode->Fields, DM_ORIENTATION | DM_COPIES);

    // A queue prints to no file.
    form.PrinterBox()->setCurrentText(QStringLiteral("Fila"));
    back = record;
    form.ReadChoice(back);
    EXPECT_EQ(back.Device, QStringLiteral("Fila"));
    EXPECT_FALSE(back.Flags & PD_PRINTTOFILE);
    EXPECT_EQ(back.PdfFile, record.PdfFile);
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
        r.PdfFile = QStringLiteral("/tmp/escolhido.pdf");
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
        r.PdfFile = QStringLiteral("/tmp/outro.pdf");
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

TEST(PrintDialog, AReportsSetupOffersTheFileToThePdfPrinterAndKeepsTheOneConfirmed)
{
    InstallEngineWindows();
    enginetest::TRunDoc doc;
    const TPrinter* own = doc.Report->PrivatePrinter();
    const QString offer = QStringLiteral("/tmp/relatorio.pdf");
    doc.Report->SetPdfFileOffer(offer);
    const struct {
        const char* Name;
        bool Confirm;
        std::optional<QString> Typed; // none: the field left as shown
        QString Shown;
        QString Kept;
    } steps[] = {
        {"the offer while it has none, confirmed", true, std::nullopt, offer, offer},
        {"its own shown, another typed, cancelled", false, QStringLiteral("/tmp/outro.pdf"), offer, offer},
        {"another typed and confirmed", true, QStringLiteral("/tmp/escolhido.pdf"), offer, QStringLiteral("/tmp/escolhido.pdf")},
        {"cleared and confirmed: a print asks then", true, QString(), QStringLiteral("/tmp/escolhido.pdf"), QString()},
        {"the offer again", false, std::nullopt, offer, QString()},
    };
    QString shown;
    bool confirm = false;
    std::optional<QString> typed;
    TPresenterScope presenter([&](TKVPrintDlgRecord& r) {
        shown = r.PdfFile;
        r.Device = TPrinter::PdfPrinterName;
        if (typed)
            r.PdfFile = *typed;
        return confirm;
    });
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Name);
        confirm = step.Confirm;
        typed = step.Typed;
        doc.Report->PrinterSetup();
        EXPECT_EQ(shown, step.Shown);
        EXPECT_EQ(own->PdfFileName(), step.Kept);
    }
    EXPECT_TRUE(own->IsPdfPrinter());
    SetPrintDialogProc(nullptr);
    SetStandardPreviewProc(nullptr);
    SetProgressFormProc(nullptr);
}

} // namespace
