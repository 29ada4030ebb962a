#include "engine/run/KVPrinter.h"

#include "engine/model/KVUnits.h"
#include "engine/model/StringTable.h"
#include "platform/core/Component.h"
#include "platform/controls/Messages.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/GraphicsObjects.h"

#include <QCoreApplication>

#include <cmath>
#include <exception>
#include <optional>
#include <utility>

namespace tessiv {

namespace {

TKVStandardPreviewProc& StandardPreview()
{
    static TKVStandardPreviewProc proc;
    return proc;
}

// A recorded page is a whole number of pixels, so it may be up to half a pixel off its paper
// (more at a coarse resolution, and once more for the frame's own rounding); 2 mm takes that in
// at any screen and is still less than the difference between any two papers told apart only by
// size.
constexpr long double PaperGuessTolerance = 20; // 0.1 mm

} // namespace

std::optional<TKVPaperGuess> KVGuessPaper(long double width, long double length,
                                          const std::function<bool(TKVPaperSize)>& listed)
{
    std::optional<TKVPaperGuess> best;
    long double bestDistance = 0;
    const auto consider = [&](TKVPaperSize size, TPrinterOrientation orientation, long double w, long double l) {
        const long double dw = std::fabs(width - w);
        const long double dl = std::fabs(length - l);
        if (dw > PaperGuessTolerance || dl > PaperGuessTolerance)
            return;
        // Equal distances go to the later size, as the table lists aliases after their paper.
        if (!best || dw + dl <= bestDistance) {
            best = TKVPaperGuess{size, orientation};
            bestDistance = dw + dl;
        }
    };
    for (int s = static_cast<int>(TKVPaperSize::Letter); s <= static_cast<int>(TKVPaperSize::ESheet); ++s) {
        const auto size = static_cast<TKVPaperSize>(s);
        if (listed && !listed(size))
            continue;
        const long double w = PaperWidthMM(size) * 10;
        const long double l = PaperLengthMM(size) * 10;
        consider(size, TPrinterOrientation::poPortrait, w, l);
        consider(size, TPrinterOrientation::poLandscape, l, w);
    }
    return best;
}

int KVDeviceUnits(long double value, long double origin, long double factor)
{
    return static_cast<int>(Round((value - origin) * factor));
}

void SetStandardPreviewProc(TKVStandardPreviewProc proc)
{
    StandardPreview() = std::move(proc);
}

TESSIV_IMPLEMENT_CLASS(TKVPrinter, TPersistent)

TKVPrinter::TKVPrinter(TPrinter* printer)
    : FPrinter(printer ? printer : ::tessiv::Printer()),
      FPrinterSettings(std::make_unique<TPrinterSettings>()),
      FPageList(std::make_unique<TKVPageList>())
{
    const int count = FPrinter->Printers()->Count();
    FPrintersAvailable = count > 0;
    if (FPrintersAvailable) {
        // A selection that no longer names an installed printer falls back to the default one,
        // before the settings are read from it.
        const int index = FPrinter->PrinterIndex();
        if (index < 0 || index >= count)
            FPrinter->SetPrinterIndex(-1);
        FPrinterSettings->SetPrinter(FPrinter);
    }
    FTopOffset = FPrinterSettings->TopOffset();
    FLeftOffset = FPrinterSettings->LeftOffset();
}

TKVPrinter::~TKVPrinter()
{
    try {
        if (FStatus != kvpsReady)
            Cleanup();
    } catch (...) {
        // A destructor never throws; the pages and the job are gone either way.
    }
}

long double TKVPrinter::ScreenFactor()
{
    return ScreenPixelsPerInch() / 254.0L;
}

// ---- coordinates --------------------------------------------------------------------------------

int TKVPrinter::XPos(long double x) const
{
    return KVDeviceUnits(x, FLeftOffset, FXFactor);
}

int TKVPrinter::YPos(long double y) const
{
    return KVDeviceUnits(y, FTopOffset, FYFactor);
}

int TKVPrinter::XSize(long double width) const
{
    return KVDeviceUnits(width, 0, FXFactor);
}

int TKVPrinter::YSize(long double height) const
{
    return KVDeviceUnits(height, 0, FYFactor);
}

int TKVPrinter::PaperWidth() const
{
    return FPrinterSettings->Orientation() == TPrinterOrientation::poLandscape ? FPrinterSettings->PaperLength()
                                                                               : FPrinterSettings->PaperWidth();
}

int TKVPrinter::PaperLength() const
{
    return FPrinterSettings->Orientation() == TPrinterOrientation::poLandscape ? FPrinterSettings->PaperWidth()
                                                                               : FPrinterSettings->PaperLength();
}

void TKVPrinter::SetPaperWidth(int value)
{
    FPrinterSettings->SetPaperWidth(value);
}

void TKVPrinter::SetPaperLength(int value)
{
    FPrinterSettings->SetPaperLength(value);
}

// ---- a run --------------------------------------------------------------------------------------

bool TKVPrinter::InRange(int page) const
{
    return (FFirstPage <= 0 || page >= FFirstPage) && (FLastPage <= 0 || page <= FLastPage);
}

void TKVPrinter::BeginDoc()
{
    // Refused before anything is touched: the run that holds this object keeps its pages, its
    // counters and a cancel request made on it.
    if (FStatus != kvpsReady)
        throw EKVError(LoadStr(SKVPrinterNotReady));
    const bool toPrinter = FDestination == kvpdPrinter;
    if (toPrinter)
        FPrinterSettings->ApplySettings();
    DropPage();
    FAvailablePages = 0;
    FCancelled = false;
    FTopOffset = toPrinter ? FPrinterSettings->TopOffset() : 0;
    FLeftOffset = toPrinter ? FPrinterSettings->LeftOffset() : 0;
    if (toPrinter) {
        FXFactor = FPrinter->GetDeviceCaps(LOGPIXELSX) / 254.0L;
        FYFactor = FPrinter->GetDeviceCaps(LOGPIXELSY) / 254.0L;
    } else {
        FPageList->BeginRecording(KVPageStreamMemoryLimit);
        FYFactor = ScreenFactor();
        FXFactor = FYFactor;
    }
    FPageNumber = 0;
    FPageCount = 0;
    FRunError = nullptr;
    FStatus = kvpsBusy;
}

void TKVPrinter::DropPage()
{
    FCanvas = nullptr;
    FPageCanvas.reset();
    FPageMetafile.reset();
}

void TKVPrinter::ClosePage()
{
    FCanvas = nullptr;
    if (!FPageCanvas)
        return; // a printer page ends when the next one begins or the job ends
    // Freeing the canvas hands the recording to the metafile.
    FPageCanvas.reset();
    const std::unique_ptr<TMetafile> page = std::move(FPageMetafile);
    if (FDestination == kvpdMetafile)
        FPageList->AddPage(page->Data());
}

void TKVPrinter::OpenPage()
{
    if (FDestination == kvpdMetafile || !InRange(FPageCount)) {
        auto page = std::make_unique<TMetafile>();
        page->SetWidth(XSize(PaperWidth()));
        page->SetHeight(YSize(PaperLength()));
        auto canvas = std::make_unique<TMetafileCanvas>(*page);
        FPageMetafile = std::move(page);
        FPageCanvas = std::move(canvas);
        FCanvas = FPageCanvas.get();
        return;
    }
    if (!FJobRunning) {
        FPrinter->SetTitle(FTitle);
        FPrinter->BeginDoc();
        FJobRunning = true;
    } else {
        FPrinter->NewPage();
    }
    FCanvas = FPrinter->Canvas();
}

void TKVPrinter::NewPage()
{
    if (FStatus != kvpsBusy)
        throw EKVError(LoadStr(SKVIllegalNewPage));
    if (FPageNumber > 0) {
        ClosePage();
        SetAvailablePages(FAvailablePages + 1);
    }
    ++FPageCount;
    ++FPageNumber;
    OpenPage();
}

std::exception_ptr TKVPrinter::EndRun(bool abandon)
{
    std::exception_ptr error;
    try {
        if (FDestination == kvpdPrinter) {
            DropPage(); // a last page outside the range
            if (std::exchange(FJobRunning, false) && FPrinter->Printing()) {
                if (abandon)
                    FPrinter->Abort();
                else
                    FPrinter->EndDoc();
            }
        } else {
            ClosePage();
        }
    } catch (...) {
        error = std::current_exception();
    }
    // Whatever failed, the run is over.
    DropPage();
    FStatus = kvpsFinished;
    // The header then counts the pages kept, so a file saved from them loads as they are.
    if (FDestination == kvpdMetafile)
        FPageList->Finish();
    return error;
}

void TKVPrinter::EndDoc()
{
    if (FStatus != kvpsBusy)
        return;
    const bool pageOpen = FPageNumber > 0;
    if (std::exception_ptr error = EndRun(false))
        std::rethrow_exception(error);
    // A run that made no page has none to announce.
    if (pageOpen)
        SetAvailablePages(FAvailablePages + 1);
    if (FDestination == kvpdPrinter && AfterPrint)
        AfterPrint(this);
}

void TKVPrinter::Abort()
{
    if (FStatus != kvpsBusy)
        return;
    if (std::exception_ptr error = EndRun(true))
        std::rethrow_exception(error);
}

void TKVPrinter::Cleanup()
{
    if (FStatus == kvpsBusy)
        Cancel();
    DropPage();
    // The job of a run that is dropped half-way would otherwise hold the printer.
    if (std::exchange(FJobRunning, false) && FPrinter->Printing())
        FPrinter->Abort();
    FPageList->Clear();
    FRunError = nullptr;
    FStatus = kvpsReady;
}

bool TKVPrinter::Fail(std::exception_ptr error)
{
    FRunError = std::move(error);
    return FRunError && FClient && SendMessage(FClient, WM_USER + 2, 0, 0) != 0;
}

// ---- recorded pages -----------------------------------------------------------------------------

std::unique_ptr<TMetafile> TKVPrinter::GetPage(int n)
{
    if (FStatus == kvpsReady || n < 1 || n > FPageCount)
        return nullptr;
    const std::optional<QByteArray> data = FPageList->GetPageData(n);
    if (!data)
        return nullptr;
    auto page = std::make_unique<TMetafile>();
    page->SetData(*data);
    return page;
}

void TKVPrinter::Print()
{
    if (OnPrint) {
        OnPrint();
        return;
    }
    if (FStatus != kvpsFinished || !FPrintersAvailable)
        return;
    FPrinter->SetTitle(FTitle);
    if (FPrinter->Printing())
        FPrinter->Abort();
    // A cancel that ended the run being printed does not stop this print.
    FCancelled = false;
    FPrinter->BeginDoc();
    try {
        for (int n = 1; n <= FPageCount; ++n) {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
            if (const std::unique_ptr<TMetafile> page = GetPage(n))
                page->Play(*FPrinter->Canvas(), TRect{0, 0, FPrinter->PageWidth(), FPrinter->PageHeight()});
            if (n < FPageCount)
                FPrinter->NewPage();
            if (FCancelled) {
                FPrinter->Abort();
                break;
            }
        }
    } catch (...) {
        try {
            if (FPrinter->Printing())
                FPrinter->EndDoc();
        } catch (...) {
            // The first error is the one to report.
        }
        throw;
    }
    if (FPrinter->Printing())
        FPrinter->EndDoc();
}

void TKVPrinter::Preview()
{
    if (OnPreview)
        OnPreview(this);
    else if (StandardPreview())
        StandardPreview()(*this);
}

void TKVPrinter::PrintSetup()
{
    if (OnPrintSetup)
        OnPrintSetup();
}

void TKVPrinter::ExportToFilter(TKVExportFilter* filter)
{
    if (OnExportToFilter)
        OnExportToFilter(filter);
}

void TKVPrinter::Save(const QString& fileName)
{
    if (FStatus == kvpsBusy)
        throw EKVError(QStringLiteral("The pages cannot be saved while they are being recorded"));
    // A run on the printer recorded nothing to save.
    if (FStatus != kvpsFinished || !FPageList->Stream())
        return;
    // Saved, they would load again as a whole report.
    if (FRunError)
        throw EKVError(QStringLiteral("The pages cannot be saved: the run that made them failed, they are incomplete"));
    FPageList->SaveToFile(fileName);
}

void TKVPrinter::Load(const QString& fileName)
{
    // Dropping the pages of a run still recording would pull its stream from under it.
    if (FStatus == kvpsBusy)
        throw EKVError(QStringLiteral("A file cannot be loaded while pages are being recorded"));
    auto list = std::make_unique<TKVPageList>();
    list->LoadFromFile(fileName);
    std::unique_ptr<TMetafile> first;
    if (const std::optional<QByteArray> data = list->GetPageData(1)) {
        first = std::make_unique<TMetafile>();
        first->SetData(*data);
    }

    // The file is good: only now are the former pages dropped.
    if (FStatus != kvpsReady)
        Cleanup();
    FPageList = std::move(list);
    FRunError = nullptr;
    FPageCount = FPageList->PageCount();
    FPageNumber = 0;
    FXFactor = ScreenFactor();
    FYFactor = FXFactor;
    FTopOffset = FLeftOffset = 0;

    if (first) {
        // The page's own size in 0.1 mm, from its frame, whatever screen recorded it. Size and
        // orientation go together: a size the printer does not list must not leave its
        // orientation on the paper that was there.
        const std::optional<TKVPaperGuess> guess =
            KVGuessPaper(first->MMWidth() / 10.0L, first->MMHeight() / 10.0L,
                         [this](TKVPaperSize size) { return FPrinterSettings->PaperSupported(size); });
        if (guess) {
            FPrinterSettings->SetPaperSize(guess->Size);
            if (FPrinterSettings->PaperSize() == guess->Size)
                FPrinterSettings->SetOrientation(guess->Orientation);
        }
    }

    FStatus = kvpsFinished;
    // Loaded pages are printed as recorded; there is no report to run again or export.
    OnPrint = nullptr;
    OnPrintSetup = nullptr;
    OnExportToFilter = nullptr;
}

// ---- client messages and settings ---------------------------------------------------------------

void TKVPrinter::SetProgress(int percent)
{
    FProgress = percent;
    if (FClient)
        PostMessage(FClient, WM_USER, percent, 0);
}

void TKVPrinter::SetAvailablePages(int count)
{
    FAvailablePages = count;
    if (FClient)
        PostMessage(FClient, WM_USER + 1, count, 0);
}

void TKVPrinter::SetShowingPreview(bool value)
{
    if (FShowingPreview && !value) {
        if (FStatus == kvpsBusy)
            Cancel();
        try {
            if (AfterPreview)
                AfterPreview(this);
        } catch (...) {
            FShowingPreview = value;
            throw;
        }
    }
    FShowingPreview = value;
}

void TKVPrinter::SetCompression(bool value)
{
    FPageList->SetCompression(value);
}

void TKVPrinter::SetPrinterIndex(int index)
{
    if (!FPrintersAvailable)
        return;
    FPrinter->SetPrinterIndex(index);
    FPrinterSettings->Refresh();
}

} // namespace tessiv
