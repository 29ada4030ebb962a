// The report's runs: print, preview and export around one common run, and the page and column
// changes that the bands call while they print. Every position here is in whole 0.1 mm.

#include "engine/model/VardoRep.h"

#include "engine/model/KVBands.h"
#include "engine/run/KVDataAccess.h"
#include "engine/export/KVExportFilter.h"
#include "engine/model/KVPrintableHooks.h"
#include "engine/run/KVError.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DataSet.h"
#include "platform/data/ServerWait.h"
#include "platform/printing/Printer.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <utility>

namespace tessiv {

namespace {

TKVProgressFormProc& ProgressFormProc()
{
    static TKVProgressFormProc proc;
    return proc;
}

TKVPrintDialogProc& PrintDialogProc()
{
    static TKVPrintDialogProc proc;
    return proc;
}

void PumpMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

int RoundToInt(long double value)
{
    return static_cast<int>(Round(value));
}

// Frees a printer object at the end of a run: what fails while it goes is of no more use to anyone.
void FreeQuietly(std::unique_ptr<TKVPrinter>& printer)
{
    try {
        printer.reset();
    } catch (...) {
        printer.release();
    }
}

// The run's printer object is the report's while the run goes on; the one it replaced (a
// preview's) comes back afterwards, whatever happens.
class TPrinterSwap {
public:
    TPrinterSwap(std::unique_ptr<TKVPrinter>& slot, std::unique_ptr<TKVPrinter> replacement)
        : FSlot(slot), FSetAside(std::move(slot))
    {
        FSlot = std::move(replacement);
    }
    ~TPrinterSwap()
    {
        FreeQuietly(FSlot);
        FSlot = std::move(FSetAside);
    }
    TPrinterSwap(const TPrinterSwap&) = delete;
    TPrinterSwap& operator=(const TPrinterSwap&) = delete;

private:
    std::unique_ptr<TKVPrinter>& FSlot;
    std::unique_ptr<TKVPrinter> FSetAside;
};

} // namespace

void SetProgressFormProc(TKVProgressFormProc proc)
{
    ProgressFormProc() = std::move(proc);
}

void SetPrintDialogProc(TKVPrintDialogProc proc)
{
    PrintDialogProc() = std::move(proc);
}

// ---- entry points -------------------------------------------------------------------------------

void TVardoRep::HandAfterPrint(TObject*)
{
    if (AfterPrint)
        AfterPrint(this);
}

void TVardoRep::HandAfterPreview(TObject*)
{
    if (AfterPreview)
        AfterPreview(this);
}

std::unique_ptr<TKVPrinter> TVardoRep::MakeRunPrinter(TKVPrinterDestination destination)
{
    auto printer = std::make_unique<TKVPrinter>(FPrinter.get());
    printer->SetDestination(destination);
    printer->AfterPrint = [this](TObject* sender) { HandAfterPrint(sender); };
    printer->AfterPreview = [this](TObject* sender) { HandAfterPreview(sender); };
    return printer;
}

void TVardoRep::Print()
{
    if (!FAvailable || FPrinter->Printers()->Count() == 0)
        return;
    // Declared first so that it goes last: the printer object it is the client of goes before it.
    std::unique_ptr<TObject> progress;
    TPrinterSwap swap(FRunPrinter, MakeRunPrinter(kvpdPrinter));
    if (ProgressFormProc())
        progress = ProgressFormProc()(*FRunPrinter, FShowProgress);
    CreateReport();
}

void TVardoRep::Preview()
{
    FPreviewing = true;
    if (!FAvailable) {
        // A refused preview leaves no flag behind for the next run to find.
        FPreviewing = false;
        return;
    }
    struct TPreviewEnd {
        TVardoRep& Report;
        ~TPreviewEnd() { Report.FPreviewing = false; }
    } previewEnd{*this};
    TPrinterSwap swap(FRunPrinter, MakeRunPrinter(kvpdMetafile));
    TKVPrinter& printer = *FRunPrinter;
    printer.OnPrint = [this] { Print(); };
    printer.OnPrintSetup = [this] { PrinterSetup(); };
    printer.OnExportToFilter = [this](TKVExportFilter* filter) { ExportToFilter(filter); };
    printer.SetTitle(FReportTitle);
    if (OnPreview)
        printer.OnPreview = OnPreview;
    printer.Preview();
    PumpMessages();

    // The preview's window lives on this printer object: it goes only once the window has
    // closed, also when the run failed.
    std::exception_ptr error;
    try {
        CreateReport();
    } catch (...) {
        error = std::current_exception();
    }
    FPreviewing = false;
    // The pages made before a failure stay in the preview, marked incomplete. A preview window
    // shows the error as it happens; only one that did not hears of it once it has closed.
    if (error && printer.Fail(error))
        error = nullptr;
    WaitForPreview(printer);
    if (error)
        std::rethrow_exception(error);
}

void TVardoRep::WaitForPreview(TKVPrinter& printer)
{
    // Without spinning: the window's closing quits this loop, and the program's quitting ends
    // every loop. Each preview has a loop of its own, so previews opened from one another close
    // in any order.
    if (!QCoreApplication::instance() || !printer.ShowingPreview())
        return;
    QEventLoop loop;
    const TKVAfterPreviewEvent previous = printer.AfterPreview;
    printer.AfterPreview = [&loop, previous](TObject* sender) {
        struct TQuit {
            QEventLoop& Loop;
            ~TQuit() { Loop.quit(); }
        } quit{loop};
        if (previous)
            previous(sender);
    };
    try {
        loop.exec();
    } catch (...) {
        printer.AfterPreview = previous;
        throw;
    }
    printer.AfterPreview = previous;
}

void TVardoRep::ExportToFilter(TKVExportFilter* filter)
{
    if (!FAvailable || !filter)
        return;
    struct TExportEnd {
        TVardoRep& Report;
        ~TExportEnd()
        {
            Report.FExportFilter = nullptr;
            Report.FGraphics = true;
        }
    } exportEnd{*this};
    FExportFilter = filter;
    FGraphics = false;
    // Pages are recorded and dropped: an export never starts a print job.
    std::unique_ptr<TObject> progress;
    TPrinterSwap swap(FRunPrinter, MakeRunPrinter(kvpdMetafile));
    if (ProgressFormProc())
        progress = ProgressFormProc()(*FRunPrinter, FShowProgress);
    CreateReport();
}

void TVardoRep::PrinterSetup()
{
    // The user is about to choose a printer: one installed a moment ago must be in the list.
    TPrinter::RefreshPrinterList();
    FPrinter->SetPrinterIndex(FPrinterSettings->PrinterIndex());
    TKVPrintDialogValues values;
    // A preview's finished pages are what the range chooses from.
    if (FRunPrinter && FRunPrinter->Status() == kvpsFinished && FRunPrinter->PageCount() > 0) {
        values.MinPage = 1;
        values.MaxPage = FRunPrinter->PageCount();
        values.FromPage = 1;
        values.ToPage = FRunPrinter->PageCount();
    }
    if (!FAvailable || FPrinter->Printers()->Count() == 0 || !PrintDialogProc())
        return;
    FPrinter->SetOrientation(FPage->Orientation());
    values.Copies = FPrinterSettings->Copies();
    values.PdfFileOffer = FPdfFileOffer;
    if (!PrintDialogProc()(*FPrinter, values)) {
        SetTag(1);
        return;
    }
    FPrinterSettings->SetCopies(values.Copies);
    FPrinterSettings->SetPrinterIndex(FPrinter->PrinterIndex());
    FPage->SetOrientation(FPrinter->Orientation());
    if (values.PrintRange == kvprPageNums) {
        FPrinterSettings->SetFirstPage(values.FromPage);
        FPrinterSettings->SetLastPage(values.ToPage);
    } else {
        FPrinterSettings->SetFirstPage(0);
        FPrinterSettings->SetLastPage(0);
    }
    SetTag(0);
}

void TVardoRep::SetPrinterValues(TKVPrinter& printer) const
{
    printer.SetPrinterIndex(FPrinterSettings->PrinterIndex());
    printer.SetPaperSize(FPage->PaperSize());
    // On another paper the pages would be cut or stacked as they were never laid out.
    if (printer.Destination() == kvpdPrinter && printer.PaperSize() != FPage->PaperSize()) {
        const auto millimetres = [](long double tenths) { return QString::number(RoundToInt(tenths) / 10.0); };
        throw EKVError(Format("The printer \"%s\" has no paper of %s x %s mm",
                              {printer.PrinterSettings().Device(), millimetres(FPage->Width()),
                               millimetres(FPage->Length())}));
    }
    const bool landscape = FPage->Orientation() == TPrinterOrientation::poLandscape;
    if (printer.PaperSize() == TKVPaperSize::Custom) {
        // The page's width and length are as printed; the printer keeps the sheet as it is fed,
        // and turns it for landscape itself.
        const int width = RoundToInt(FPage->Width());
        const int length = RoundToInt(FPage->Length());
        printer.SetPaperWidth(landscape ? length : width);
        printer.SetPaperLength(landscape ? width : length);
    }
    printer.SetOrientation(FPage->Orientation());
    printer.SetCopies(FPrinterSettings->Copies());
    printer.SetOutputBin(FPrinterSettings->OutputBin());
    printer.SetFirstPage(FPrinterSettings->FirstPage());
    printer.SetLastPage(FPrinterSettings->LastPage());
}

int TVardoRep::DetailCount()
{
    if (!IsDataSetActive(DataSet()))
        return 1;
    try {
        return DataSet()->RecordCount();
    } catch (...) {
        return 1;
    }
}

void TVardoRep::AddRunDataSet(TDataSet* dataSet)
{
    if (dataSet && std::find(FRunDataSets.begin(), FRunDataSets.end(), dataSet) == FRunDataSets.end())
        FRunDataSets.push_back(dataSet);
}

// ---- the common run -----------------------------------------------------------------------------

void TVardoRep::ComputeFooterReserve()
{
    FFooterReserve = 0;
    for (TKVCustomBand* band : FBandList) {
        if (band->Parent() != this || band->BandType() != rbPageFooter || !band->Enabled())
            continue;
        std::vector<const TKVCustomBand*> seen;
        for (const TKVCustomBand* b = band; b && std::find(seen.begin(), seen.end(), b) == seen.end();
             b = b->ChildBand()) {
            seen.push_back(b);
            FFooterReserve += b->Size()->Height();
        }
    }
}

long double TVardoRep::DetailWidth() const
{
    // Without a detail band a column has no width of its own.
    if (!FirstBandOfKind(rbDetail))
        return 0;
    // The detail is as wide as a column of the page. Its band holds that width in whole pixels
    // of the design surface's zoom; the run takes it from the page, so the columns of a sheet
    // fall in the same places at every zoom.
    const int columns = std::max(FPage->Columns(), 1);
    const long double full = FPage->NativeValue(TKVPage::kvWidth) - FPage->NativeValue(TKVPage::kvLeftMargin) -
                             FPage->NativeValue(TKVPage::kvRightMargin);
    return (full - (columns - 1) * FPage->NativeValue(TKVPage::kvColumnSpace)) / columns;
}

int TVardoRep::StartColumnX() const
{
    if (!FOptions.Contains(kvoImprimeVerso))
        return RoundToInt(FPage->LeftMargin());
    return RoundToInt(FPage->LeftMargin() + (DetailWidth() + FPage->ColumnSpace()) * (FPage->Columns() - 1));
}

void TVardoRep::CreateReport()
{
    if (!FAvailable || !FRunPrinter)
        return;
    FAvailable = false;
    FLastPage = false;
    FSkipPageBreak = false;
    FSkipColumnBreak = false;
    FInPageChange = 0;
    TKVPrinter& printer = *FRunPrinter;
    // While a database keeps the run waiting, the windows repaint and the progress form's Cancel
    // ends the wait.
    const TServerWaitScope waiting([&printer](std::chrono::milliseconds) {
        PumpMessages();
        return !printer.Cancelled();
    });

    FRunDataSets.clear();
    // The datasets of the form the report lies on; in the designer that is the document's
    // window, which owns none.
    if (TWinControl* form = Parent(); form && !form->Parent())
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (TDataSet* dataSet = kvdata::AsDataSet(form->Components(i)))
                FRunDataSets.push_back(dataSet);

    bool printReport = true;
    try {
        if (BeforePrint)
            BeforePrint(this, printReport);
    } catch (...) {
        FRunDataSets.clear();
        FAvailable = true;
        throw;
    }
    if (!printReport) {
        FRunDataSets.clear();
        FAvailable = true;
        return;
    }

    const TKVUnit savedUnits = Units();
    bool begun = false;
    bool prepared = false;
    try {
        SetUnits(kvunNative);
        SetPrinterValues(printer);
        printer.SetTitle(FReportTitle);
        printer.SetCompression(FOptions.Contains(kvoCompression));
        printer.BeginDoc();
        begun = true;
        FCurrentY = RoundToInt(FPage->Length());
        FPageCount = 0;
        FColumnNumber = 1;
        if (FExportFilter)
            FExportFilter->Start(RoundToInt(FPage->Width()), RoundToInt(FPage->Length()), *Font());
        ComputeFooterReserve();
        FCurrentX = StartColumnX();

        FController->SetDetail(FirstBandOfKind(rbDetail));
        FController->SetHeader(FirstBandOfKind(rbTitle));
        FController->SetFooter(FirstBandOfKind(rbSummary));
        FController->Prepare();
        prepared = true;
        PrepareControls();
        NewPage();
        FController->Execute();
        FCurrentX = StartColumnX();
        FLastPage = true;
        // A cancelled export is not finished: its filter drops what it wrote, and a file of that
        // name stays as it was.
        if (!printer.Cancelled()) {
            EndPage();
            if (FExportFilter)
                FExportFilter->Finish();
        }
    } catch (...) {
        // A run that failed half-way leaves no half document behind.
        try {
            if (begun)
                printer.Abort();
        } catch (...) {
        }
        try {
            SetUnits(savedUnits);
            UnprepareControls();
            if (prepared)
                FController->Unprepare();
        } catch (...) {
        }
        FRunDataSets.clear();
        FAvailable = true;
        throw;
    }

    std::exception_ptr error;
    try {
        SetUnits(savedUnits);
        UnprepareControls();
        FController->Unprepare();
    } catch (...) {
        error = std::current_exception();
    }
    try {
        // A cancelled run and an export keep nothing: no job is spooled.
        if (printer.Cancelled() || !FGraphics || error)
            printer.Abort();
        else
            printer.EndDoc();
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    FRunDataSets.clear();
    FAvailable = true;
    if (error)
        std::rethrow_exception(error);
}

// ---- pages and columns --------------------------------------------------------------------------

long double TVardoRep::Extent() const
{
    // The printer object's length is already the page's height in its orientation.
    return FRunPrinter ? FRunPrinter->PaperLength() : FPage->Length();
}

int TVardoRep::AvailableSpace() const
{
    if (FAvailable)
        return 0;
    return RoundToInt(Extent() - FPage->BottomMargin() - FFooterReserve - FCurrentY);
}

void TVardoRep::PrintBand(TKVCustomBand* band)
{
    if (!band)
        return;
    if (band->AlignToBottom())
        FCurrentY = RoundToInt(Extent() - FPage->BottomMargin() - band->Size()->Height() - FFooterReserve);
    band->Print();
}

void TVardoRep::NewColumn()
{
    if (FColumnNumber >= FPage->Columns()) {
        FColumnNumber = 1;
        FCurrentX = StartColumnX();
        NewPage();
    } else {
        const int step = RoundToInt(DetailWidth() + FPage->ColumnSpace());
        FCurrentX += FOptions.Contains(kvoImprimeVerso) ? -step : step;
        FCurrentY = FColumnTop;
        ++FColumnNumber;
    }
    if (TKVCustomBand* header = FirstBandOfKind(rbColumnHeader)) {
        ++FInPageChange;
        try {
            header->Print();
        } catch (...) {
            --FInPageChange;
            throw;
        }
        --FInPageChange;
    }
}

void TVardoRep::NewPage()
{
    EndPage();
    if (FExportFilter)
        FExportFilter->NewPage();
    ++FPageCount;
    // An export draws nothing: one printer page carries the whole run.
    if (FGraphics || FPageCount == 1)
        FRunPrinter->NewPage();
    FCurrentY = RoundToInt(FPage->TopMargin());
    if (OnStartPage)
        OnStartPage(this);
    ++FInPageChange;
    try {
        if (TKVCustomBand* header = FirstBandOfKind(rbPageHeader);
            header && (FPageCount > 1 || FOptions.Contains(kvoFirstPageHeader)))
            header->Print();
    } catch (...) {
        --FInPageChange;
        throw;
    }
    --FInPageChange;
    FColumnTop = FCurrentY;
    // Later columns of page 1 start below the title, which the main level prints next.
    if (FPageCount == 1)
        if (const TKVCustomBand* title = FirstBandOfKind(rbTitle))
            FColumnTop += RoundToInt(title->Size()->Height());
}

void TVardoRep::EndPage()
{
    if (FPageCount > 0) {
        if (OnEndPage)
            OnEndPage(this);
        FCurrentY = RoundToInt(FPage->Length() - FPage->BottomMargin() - FFooterReserve);
        ++FInPageChange;
        try {
            TKVCustomBand* footer = FirstBandOfKind(rbPageFooter);
            if (footer && !(FLastPage && !FOptions.Contains(kvoLastPageFooter)))
                footer->Print();
            for (int i = 0; i < ControlCount(); ++i)
                if (TKVPrintableHooks* p = PrintableHooks(Controls(i)); p && Controls(i)->Enabled())
                    p->Print(0, 0);
        } catch (...) {
            --FInPageChange;
            throw;
        }
        --FInPageChange;
        if (FGraphics) {
            const TKVPrinter& printer = *FRunPrinter;
            const TRect frame{printer.XPos(FPage->LeftMargin()), printer.YPos(FPage->TopMargin()),
                              printer.XPos(FPage->Width() - FPage->RightMargin()),
                              printer.YPos(FPage->Length() - FPage->BottomMargin())};
            Frame()->PaintIt(*printer.Canvas(), frame, printer.XFactor(), printer.YFactor());
        }
    }
    if (FExportFilter)
        FExportFilter->EndPage();
}

void TVardoRep::ForcedPageBreak()
{
    if (FAvailable)
        return;
    if (FSkipPageBreak || FPageCount > 1) {
        do
            NewColumn();
        while (FColumnNumber != 1);
    } else {
        FSkipPageBreak = true;
    }
}

void TVardoRep::ForcedColumnBreak()
{
    if (FAvailable)
        return;
    if (FSkipColumnBreak || FColumnNumber > 1)
        NewColumn();
    else
        FSkipColumnBreak = true;
}

} // namespace tessiv
