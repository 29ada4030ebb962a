#include "platform/printing/Printer.h"

#include "platform/core/SysUtils.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace tessiv {

const QString TPrinter::PdfPrinterName = QStringLiteral("PDF");

namespace {

// Windows numbers its standard papers up to here.
constexpr int LastStandardPaper = 118;

const QString SPrinterIndexError = QStringLiteral("Printer index out of range");
const QString SPrinting = QStringLiteral("Printing in progress");
const QString SNotPrinting = QStringLiteral("Printer is not currently printing");
const QString SInvalidPrinter = QStringLiteral("Printer selected is not valid");
// The PDF printer's own messages speak the program's language.
const QString SNoPdfFile = QStringLiteral("Nenhum nome de arquivo foi informado para a impressora PDF.");
const QString SCannotWritePdf = QStringLiteral("Não foi possível gravar o arquivo \"%s\". %s");

// Puts the device mode on the Qt printer. The printable area is the largest the device allows:
// its minimum margins, none for a PDF file.
bool Configure(QPrinter& printer, const QPageSize& size, const TDeviceMode& mode, bool pdf)
{
    if (!printer.setPageSize(size))
        return false;
    // The device's margins are those of the paper as it feeds, portrait. Qt keeps them unturned
    // for a landscape page and refuses smaller ones, so a landscape page takes on each edge the
    // larger of the unturned margin and the turned one (a quarter turn counter-clockwise, as
    // Windows drivers and PPDs' usual "Plus90" turn): the printable area stays on the paper's
    // printable part.
    printer.setPageOrientation(QPageLayout::Portrait);
    const QPageLayout portrait = printer.pageLayout();
    QMarginsF m = pdf ? QMarginsF() : portrait.minimumMargins();
    if (mode.Orientation == DMORIENT_LANDSCAPE) {
        printer.setPageOrientation(QPageLayout::Landscape);
        m = QMarginsF(std::max(m.left(), m.top()), std::max(m.top(), m.right()),
                      std::max(m.right(), m.bottom()), std::max(m.bottom(), m.left()));
    }
    if (!printer.setPageMargins(m, portrait.units()))
        return false;
    if (!pdf) {
        if (mode.Fields & DM_COPIES)
            printer.setCopyCount(mode.Copies);
        if (mode.Fields & DM_DUPLEX)
            printer.setDuplex(DuplexModeOfCode(mode.Duplex).value_or(QPrinter::DuplexNone));
        if (mode.Fields & DM_DEFAULTSOURCE)
            printer.setPaperSource(PaperSourceOfBin(mode.DefaultSource).value_or(QPrinter::Auto));
    }
    return true;
}

int RoundPixels(qreal v)
{
    return static_cast<int>(std::lround(v));
}

// The printers the system offers, asked once and shared by every printer object: a report
// file holds a printer object per report, and asking the print system for each would cost a
// round trip, and the drivers' descriptions, per report. The list is asked again once it is
// older than PrinterListLifetime, when RefreshPrinterList is called (a print dialog about to
// show the list), or when a printer of the list turns out to be gone.
constexpr qint64 PrinterListLifetime = 30000; // milliseconds

struct TPrinterDescription {
    std::vector<TPaperInfo> Papers;
    std::vector<QPageSize> Sizes; // beside Papers; invalid for DMPAPER_USER
    QPageSize MinCustom, MaxCustom;
    TDeviceMode Mode;
    QString MakeAndModel;
};

struct TPrinterDirectory {
    bool Valid = false;
    QElapsedTimer Asked;
    QStringList Names; // the queues, without the PDF printer
    QString DefaultName;
    std::map<QString, std::shared_ptr<const TPrinterDescription>> Descriptions;
};

TPrinterDirectory& PrinterDirectoryState()
{
    static TPrinterDirectory directory;
    return directory;
}

TPrinterDirectory& PrinterDirectory()
{
    TPrinterDirectory& d = PrinterDirectoryState();
    if (d.Valid && d.Asked.isValid() && d.Asked.elapsed() < PrinterListLifetime)
        return d;
    d.Names.clear();
    d.Descriptions.clear();
    d.DefaultName = QPrinterInfo::defaultPrinterName();
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        // A queue that takes the PDF printer's name would be indistinguishable from it.
        if (name.compare(TPrinter::PdfPrinterName, Qt::CaseInsensitive) == 0)
            continue;
        d.Names.push_back(name);
    }
    d.Asked.start();
    d.Valid = true;
    return d;
}

// What the driver says of one printer ("" for the PDF printer): its papers, the fields it honours
// and its default settings. Kept with the printer list, so it is asked once per printer.
std::shared_ptr<const TPrinterDescription> DescribePrinter(const QString& name)
{
    TPrinterDirectory& directory = PrinterDirectory();
    if (const auto found = directory.Descriptions.find(name); found != directory.Descriptions.end())
        return found->second;

    const bool pdf = name.isEmpty();
    std::vector<TPaperInfo> papers;
    std::vector<QPageSize> sizes;
    QPageSize minCustom, maxCustom;
    TDeviceMode mode;
    QPageSize defaultSize;
    QString makeAndModel;

    auto addPaper = [&](int number, const QPageSize& size) {
        papers.push_back({number, size.name(), PaperWidthOf(size), PaperLengthOf(size)});
        sizes.push_back(size);
    };

    if (pdf) {
        // Every standard paper Qt knows by its own Windows number (aliases such as the
        // transverse sizes left out), and any other size.
        for (int n = 1; n <= LastStandardPaper; ++n) {
            const std::optional<QPageSize> size = PageSizeOfPaper(n);
            if (size && size->windowsId() == n)
                addPaper(n, *size);
        }
        papers.push_back({DMPAPER_USER, QStringLiteral("Custom"), 0, 0});
        sizes.emplace_back();
        mode.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
        defaultSize = QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                                    ? QPageSize::Letter
                                    : QPageSize::A4);
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        if (info.isNull()) {
            // Gone since the list was asked: the next printer object asks again.
            TPrinter::RefreshPrinterList();
            throw EPrinter(SInvalidPrinter);
        }
        makeAndModel = info.makeAndModel();
        // Sizes without a Windows number are the driver's own forms, numbered after
        // DMPAPER_USER in list order as Windows drivers number theirs.
        int nextOwn = DMPAPER_USER + 1;
        for (const QPageSize& size : info.supportedPageSizes()) {
            int n = size.windowsId();
            const bool known = n > 0 && n != DMPAPER_USER;
            if (!known)
                n = nextOwn++;
            bool duplicate = false;
            for (const TPaperInfo& p : papers)
                duplicate = duplicate || p.Number == n;
            if (!duplicate)
                addPaper(n, size);
        }
        // No tray: Qt does not hand the paper source on to CUPS, and a field that never reaches
        // the job must not be claimed.
        mode.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
        // A queue without a driver to describe it (a raw queue) lists no paper: it takes the pages
        // as they come, whatever their size, which the job names as its media.
        if (info.supportsCustomPageSizes() || info.supportedPageSizes().isEmpty()) {
            papers.push_back({DMPAPER_USER, QStringLiteral("Custom"), 0, 0});
            sizes.emplace_back();
            mode.Fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
            if (info.supportsCustomPageSizes()) {
                minCustom = info.minimumPhysicalPageSize();
                maxCustom = info.maximumPhysicalPageSize();
            }
        }
        for (QPrinter::DuplexMode d : info.supportedDuplexModes())
            if (d != QPrinter::DuplexNone)
                mode.Fields |= DM_DUPLEX;
        mode.Duplex = DuplexCodeOf(info.defaultDuplexMode());
        defaultSize = info.defaultPageSize();
    }
    // A driver that lists no standard paper still prints on its default one.
    if (papers.empty() || (papers.size() == 1 && papers[0].Number == DMPAPER_USER)) {
        if (!defaultSize.isValid())
            defaultSize = QPageSize(QPageSize::A4);
        int n = defaultSize.windowsId();
        if (n <= 0 || n == DMPAPER_USER)
            n = DMPAPER_USER + 1;
        papers.insert(papers.begin(),
                      {n, defaultSize.name(), PaperWidthOf(defaultSize), PaperLengthOf(defaultSize)});
        sizes.insert(sizes.begin(), defaultSize);
    }

    // The default paper: the driver's own default when it lists it, else its first.
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i].isValid() && defaultSize.isValid() && sizes[i].isEquivalentTo(defaultSize)) {
            chosen = i;
            break;
        }
    mode.PaperSize = papers[chosen].Number;
    mode.PaperWidth = papers[chosen].Width;
    mode.PaperLength = papers[chosen].Length;
    mode.Orientation = DMORIENT_PORTRAIT;
    mode.Copies = 1;
    mode.DefaultSource = DMBIN_AUTO;
    if (!(mode.Fields & DM_DUPLEX))
        mode.Duplex = DMDUP_SIMPLEX;

    auto d = std::make_shared<TPrinterDescription>();
    d->Papers = std::move(papers);
    d->Sizes = std::move(sizes);
    d->MinCustom = minCustom;
    d->MaxCustom = maxCustom;
    d->Mode = mode;
    d->MakeAndModel = makeAndModel;
    directory.Descriptions.emplace(name, d);
    return d;
}

} // namespace

TPrinter::TPrinter()
{
    LoadPrinters();
    try {
        SelectPrinter(FDefaultIndex);
    } catch (const EPrinter&) {
        // A default queue that cannot be used must not leave the program without a printer.
        if (FDefaultIndex == FPdfIndex)
            throw;
        FDefaultIndex = FPdfIndex;
        SelectPrinter(FPdfIndex);
    }
}

TPrinter::~TPrinter()
{
    if (FPainter) {
        if (!FPdfFile)
            FQPrinter->abort();
        FCanvas.reset();
        FPainter->end();
    }
}

// ---- the printer list ---------------------------------------------------------------------------

void TPrinter::LoadPrinters()
{
    const TPrinterDirectory& directory = PrinterDirectory();
    FPrinters.Clear();
    FPdfIndex = FPrinters.Add(PdfPrinterName);
    FDefaultIndex = FPdfIndex;
    for (const QString& name : directory.Names) {
        const int i = FPrinters.Add(name);
        if (name == directory.DefaultName)
            FDefaultIndex = i;
    }
}

void TPrinter::RefreshPrinterList()
{
    PrinterDirectoryState().Valid = false;
}

bool TPrinter::IsPdfPrinter() const
{
    return FPrinterIndex == FPdfIndex;
}

void TPrinter::SetPrinterIndex(int index)
{
    CheckNotPrinting();
    if (index == -1)
        index = FDefaultIndex;
    if (index < 0 || index >= FPrinters.Count())
        throw EPrinter(SPrinterIndexError);
    if (index != FPrinterIndex) {
        // A gathered document stays on its printer until it is written.
        if (FPainter)
            throw EPrinter(SPrinting);
        SelectPrinter(index);
    }
}

void TPrinter::SelectPrinter(int index)
{
    const bool pdf = index == FPdfIndex;
    // What the driver says of the printer is asked once and kept with the list; the Qt printer
    // that needs the driver's full description again is made when a job or the device's
    // measures first need it.
    const std::shared_ptr<const TPrinterDescription> d = DescribePrinter(pdf ? QString() : FPrinters[index]);
    FQPrinter.reset();
    FPapers = d->Papers;
    FPageSizes = d->Sizes;
    FMinCustom = d->MinCustom;
    FMaxCustom = d->MaxCustom;
    FDevMode = d->Mode;
    FMakeAndModel = d->MakeAndModel;
    FPrinterIndex = index;
}

QPrinter& TPrinter::QtPrinter() const
{
    if (FQPrinter)
        return *FQPrinter;
    const bool pdf = IsPdfPrinter();
    std::unique_ptr<QPrinter> printer;
    if (pdf) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setResolution(PdfResolution);
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(FPrinters[FPrinterIndex]);
        if (info.isNull()) {
            // Gone since the list was asked: the next printer object asks again.
            RefreshPrinterList();
            throw EPrinter(SInvalidPrinter);
        }
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    if (!Configure(*printer, PageSizeOf(FDevMode), FDevMode, pdf))
        throw EPrinter(SInvalidPrinter);
    FQPrinter = std::move(printer);
    return *FQPrinter;
}

void TPrinter::GetPrinter(QString& device, QString& driver, QString& port) const
{
    device = FPrinters[FPrinterIndex];
    if (IsPdfPrinter()) {
        driver = PdfPrinterName;
        port = FPdfFileName;
    } else {
        driver = FMakeAndModel;
        port = device;
    }
}

void TPrinter::SetPrinter(const QString& device, const TDeviceMode* mode)
{
    CheckNotPrinting();
    int index = -1;
    for (int i = 0; i < FPrinters.Count() && index < 0; ++i)
        if (FPrinters[i] == device)
            index = i;
    if (index < 0)
        throw EPrinter(SInvalidPrinter);
    const int oldIndex = FPrinterIndex;
    const TDeviceMode oldMode = FDevMode;
    SetPrinterIndex(index);
    if (!mode)
        return;
    try {
        SetDeviceMode(*mode);
    } catch (...) {
        // A wrong device mode leaves the former printer selected as it was.
        if (oldIndex != FPrinterIndex) {
            SelectPrinter(oldIndex);
            ApplyDeviceMode(oldMode);
        }
        throw;
    }
}

void TPrinter::SetPdfFileName(const QString& fileName)
{
    FPdfFileName = fileName;
}

// ---- device mode --------------------------------------------------------------------------------

int TPrinter::PaperIndex(int number) const
{
    for (std::size_t i = 0; i < FPapers.size(); ++i)
        if (FPapers[i].Number == number)
            return static_cast<int>(i);
    return -1;
}

QPageSize TPrinter::PageSizeOf(const TDeviceMode& mode) const
{
    if (mode.PaperSize == DMPAPER_USER)
        return QPageSize(QSizeF(mode.PaperWidth / 10.0, mode.PaperLength / 10.0), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    return FPageSizes[static_cast<std::size_t>(PaperIndex(mode.PaperSize))];
}

void TPrinter::SetDeviceMode(const TDeviceMode& mode)
{
    CheckNotPrinting();
    const unsigned take = mode.Fields & FDevMode.Fields;
    TDeviceMode m = FDevMode;
    if (take & DM_ORIENTATION) {
        if (mode.Orientation != DMORIENT_PORTRAIT && mode.Orientation != DMORIENT_LANDSCAPE)
            throw EPrinter(Format("Orientação inválida: %d", {mode.Orientation}));
        m.Orientation = mode.Orientation;
    }
    if (take & DM_PAPERSIZE) {
        if (PaperIndex(mode.PaperSize) < 0)
            throw EPrinter(Format("O tamanho de papel %d não é aceito pela impressora \"%s\"",
                                  {mode.PaperSize, FPrinters[FPrinterIndex]}));
        m.PaperSize = mode.PaperSize;
    }
    if (m.PaperSize == DMPAPER_USER) {
        if (take & DM_PAPERWIDTH)
            m.PaperWidth = mode.PaperWidth;
        if (take & DM_PAPERLENGTH)
            m.PaperLength = mode.PaperLength;
        if (m.PaperWidth <= 0 || m.PaperLength <= 0)
            throw EPrinter(Format("Tamanho de papel inválido: %d x %d", {m.PaperWidth, m.PaperLength}));
        if (FMinCustom.isValid() && FMaxCustom.isValid()) {
            const QSizeF lo = FMinCustom.size(QPageSize::Millimeter) * 10;
            const QSizeF hi = FMaxCustom.size(QPageSize::Millimeter) * 10;
            if (m.PaperWidth < std::floor(lo.width()) || m.PaperLength < std::floor(lo.height()) ||
                m.PaperWidth > std::ceil(hi.width()) || m.PaperLength > std::ceil(hi.height()))
                throw EPrinter(Format("O tamanho de papel %d x %d está fora dos limites da impressora \"%s\"",
                                      {m.PaperWidth, m.PaperLength, FPrinters[FPrinterIndex]}));
        }
    } else {
        const TPaperInfo& paper = FPapers[static_cast<std::size_t>(PaperIndex(m.PaperSize))];
        m.PaperWidth = paper.Width;
        m.PaperLength = paper.Length;
    }
    if (take & DM_COPIES) {
        if (mode.Copies < 1)
            throw EPrinter(Format("Número de cópias inválido: %d", {mode.Copies}));
        m.Copies = mode.Copies;
    }
    if (take & DM_DEFAULTSOURCE) {
        if (!PaperSourceOfBin(mode.DefaultSource))
            throw EPrinter(Format("Origem de papel inválida: %d", {mode.DefaultSource}));
        m.DefaultSource = mode.DefaultSource;
    }
    if (take & DM_DUPLEX) {
        if (!DuplexModeOfCode(mode.Duplex))
            throw EPrinter(Format("Modo frente e verso inválido: %d", {mode.Duplex}));
        m.Duplex = mode.Duplex;
    }
    ApplyDeviceMode(m);
}

void TPrinter::ApplyDeviceMode(const TDeviceMode& mode)
{
    QPrinter& printer = QtPrinter();
    if (!Configure(printer, PageSizeOf(mode), mode, IsPdfPrinter())) {
        Configure(printer, PageSizeOf(FDevMode), FDevMode, IsPdfPrinter());
        throw EPrinter(Format("O tamanho de papel %d não é aceito pela impressora \"%s\"",
                              {mode.PaperSize, FPrinters[FPrinterIndex]}));
    }
    FDevMode = mode;
}

TPrinterOrientation TPrinter::Orientation() const
{
    return FDevMode.Orientation == DMORIENT_LANDSCAPE ? TPrinterOrientation::poLandscape
                                                      : TPrinterOrientation::poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation value)
{
    TDeviceMode m;
    m.Fields = DM_ORIENTATION;
    m.Orientation = value == TPrinterOrientation::poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    SetDeviceMode(m);
}

void TPrinter::SetCopies(int value)
{
    TDeviceMode m;
    m.Fields = DM_COPIES;
    m.Copies = value;
    SetDeviceMode(m);
}

// ---- device capabilities ------------------------------------------------------------------------

TDeviceCaps TPrinter::Caps() const
{
    const QPrinter& printer = QtPrinter();
    TDeviceCaps c;
    c.DpiX = printer.logicalDpiX();
    c.DpiY = printer.logicalDpiY();
    c.Width = printer.width();
    c.Height = printer.height();
    c.BitsPerPixel = printer.colorMode() == QPrinter::Color ? 24 : 1;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    c.PhysicalWidth = RoundPixels(paper.width());
    c.PhysicalHeight = RoundPixels(paper.height());
    c.OffsetX = RoundPixels(page.left() - paper.left());
    c.OffsetY = RoundPixels(page.top() - paper.top());
    return c;
}

int TPrinter::GetDeviceCaps(int index) const
{
    return DeviceCapsValue(Caps(), index);
}

bool TPrinter::EscapeSupported(int escape) const
{
    return escape == QUERYESCSUPPORT || escape == GETPHYSPAGESIZE || escape == GETPRINTINGOFFSET;
}

TSize TPrinter::PhysicalPageSize() const
{
    const TDeviceCaps c = Caps();
    return {c.PhysicalWidth, c.PhysicalHeight};
}

TPoint TPrinter::PrintingOffset() const
{
    const TDeviceCaps c = Caps();
    return {c.OffsetX, c.OffsetY};
}

int TPrinter::PageWidth() const
{
    return QtPrinter().width();
}

int TPrinter::PageHeight() const
{
    return QtPrinter().height();
}

// ---- the print job ------------------------------------------------------------------------------

void TPrinter::CheckNotPrinting() const
{
    if (FPrinting)
        throw EPrinter(SPrinting);
}

void TPrinter::CheckPrinting() const
{
    if (!FPrinting)
        throw EPrinter(SNotPrinting);
}

TCanvas* TPrinter::Canvas() const
{
    CheckPrinting();
    return FCanvas.get();
}

void TPrinter::BeginDoc()
{
    CheckNotPrinting();
    if (FGatherStopped)
        throw EPrinter(QStringLiteral("A impressão foi interrompida"));
    const bool pdf = IsPdfPrinter();
    const QString device = FPrinters[FPrinterIndex];
    if (FGathered) {
        // The next job of a gathered document: its pages follow those of the jobs before.
        if (!(FPdfWriter ? FPdfWriter->newPage() : FQPrinter->newPage()))
            throw EPrinter(Format("Não foi possível iniciar uma nova página em \"%s\"", {device}));
        FCanvas = std::make_unique<TPainterCanvas>(FPainter.get(), Caps());
        FPrinting = true;
        FAborted = false;
        FPageNumber = 1;
        return;
    }
    std::unique_ptr<QSaveFile> file;
    std::unique_ptr<QPdfWriter> writer;
    QPaintDevice* target = nullptr;
    if (pdf) {
        if (FPdfFileName.isEmpty())
            throw EPrinter(SNoPdfFile);
        // Saved as the program saves every file: written into a file without a name that takes
        // the target's name only at EndDoc, so a job that fails, is aborted or is killed leaves
        // an older file as it was and nothing beside it.
        file = std::make_unique<QSaveFile>(QFileInfo(FPdfFileName).absoluteFilePath());
        if (!file->open(QIODevice::WriteOnly))
            throw EPrinter(Format(SCannotWritePdf, {QDir::toNativeSeparators(file->fileName()), file->errorString()}));
        // The page layout and resolution are those the device's measures come from.
        writer = std::make_unique<QPdfWriter>(file.get());
        writer->setResolution(PdfResolution);
        writer->setPageLayout(QtPrinter().pageLayout());
        writer->setTitle(FTitle);
        target = writer.get();
    } else {
        QtPrinter().setDocName(FTitle);
        target = &QtPrinter();
    }
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(target)) {
        if (pdf)
            throw EPrinter(Format(SCannotWritePdf, {QDir::toNativeSeparators(file->fileName()), file->errorString()}));
        throw EPrinter(Format("Não foi possível iniciar a impressão em \"%s\"", {device}));
    }
    auto canvas = std::make_unique<TPainterCanvas>(painter.get(), Caps());
    FPdfFile = std::move(file);
    FPdfWriter = std::move(writer);
    FPainter = std::move(painter);
    FCanvas = std::move(canvas);
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
    FGathered = FGathering && pdf;
}

void TPrinter::NewPage()
{
    CheckPrinting();
    if (!(FPdfWriter ? FPdfWriter->newPage() : FQPrinter->newPage()))
        throw EPrinter(Format("Não foi possível iniciar uma nova página em \"%s\"", {FPrinters[FPrinterIndex]}));
    ++FPageNumber;
}

void TPrinter::EndJob()
{
    FCanvas.reset();
    FPainter->end();
    FPainter.reset();
    FPrinting = false;
    FPageNumber = 0;
    FGathered = false;
}

void TPrinter::EndDoc()
{
    CheckPrinting();
    if (FGathered) {
        // The document stays open for the next job of the print.
        FCanvas.reset();
        FPrinting = false;
        FPageNumber = 0;
        return;
    }
    FinishDocument();
}

void TPrinter::FinishDocument()
{
    EndJob();
    if (FPdfFile) {
        FPdfWriter.reset();
        const std::unique_ptr<QSaveFile> file = std::move(FPdfFile);
        if (!file->commit())
            throw EPrinter(Format(SCannotWritePdf, {QDir::toNativeSeparators(file->fileName()), file->errorString()}));
        return;
    }
    if (FQPrinter->printerState() == QPrinter::Error)
        throw EPrinter(Format("Printing on \"%s\" failed", {FPrinters[FPrinterIndex]}));
}

void TPrinter::Abort()
{
    CheckPrinting();
    DropDocument();
    FAborted = true;
    // The jobs after it would make a document that lacks this one.
    FGatherStopped = FGathering;
}

void TPrinter::DropDocument()
{
    if (!FPdfFile)
        FQPrinter->abort();
    EndJob();
    // A save file that is not committed leaves the target as it was.
    FPdfWriter.reset();
    FPdfFile.reset();
}

void TPrinter::BeginGather()
{
    CheckNotPrinting();
    FGathering = true;
    FGatherStopped = false;
}

void TPrinter::EndGather(bool keep)
{
    FGathering = false;
    FGatherStopped = false;
    if (!FGathered)
        return;
    if (keep && !FPrinting) {
        FinishDocument();
        return;
    }
    DropDocument();
    FAborted = true;
}

// ---- the program's printer ----------------------------------------------------------------------

TPrinter* Printer()
{
    static const std::unique_ptr<TPrinter> printer = std::make_unique<TPrinter>();
    return printer.get();
}

} // namespace tessiv
