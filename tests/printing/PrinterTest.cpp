// The printer object, judged by what it writes: PDF files read back with poppler's pdfinfo and
// pdftotext. CUPS printers may be missing (no server in CI); the PDF printer must always work.

#include "platform/printing/Printer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessiv;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "test_printing";
        static char* argv[] = {arg0, nullptr};
        if (!QGuiApplication::instance())
            FApp = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { FApp.reset(); }

private:
    std::unique_ptr<QGuiApplication> FApp;
};

[[maybe_unused]] auto* const QtEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QString Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    EXPECT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct PdfPage {
    double Width = 0; // points
    double Height = 0;
};

// Page sizes as pdfinfo reads them, in points, one per page.
std::vector<PdfPage> PdfPageSizes(const QString& file)
{
    const QString out = Run("pdfinfo", {"-f", "1", "-l", "9999", file});
    std::vector<PdfPage> pages;
    static const QRegularExpression re(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    for (auto it = re.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return pages;
}

QString PdfInfoField(const QString& file, const QString& field)
{
    const QString out = Run("pdfinfo", {file});
    const QRegularExpression re("^" + QRegularExpression::escape(field) + R"(:\s*(.*)$)",
                                QRegularExpression::MultilineOption);
    const auto m = re.match(out);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

struct PdfWord {
    int Page = 0; // from 1
    QString Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0; // points from the page's top-left
};

std::vector<PdfWord> PdfWords(const QString& file)
{
    const QString html = Run("pdftotext", {"-bbox", file, "-"});
    std::vector<PdfWord> words;
    int page = 0;
    static const QRegularExpression pageRe(R"(<page )");
    static const QRegularExpression wordRe(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (const QString& line : html.split('\n')) {
        if (pageRe.match(line).hasMatch())
            ++page;
        const auto m = wordRe.match(line);
        if (m.hasMatch())
            words.push_back({page, m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                             m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

const PdfWord* FindWord(const std::vector<PdfWord>& words, const QString& text)
{
    for (const PdfWord& w : words)
        if (w.Text == text)
            return &w;
    return nullptr;
}

// A private printer set to the PDF printer, writing into a scratch folder.
struct PdfFixture {
    QTemporaryDir Dir;
    TPrinter Printer;
    QString File;

    PdfFixture()
    {
        Printer.SetPrinter(TPrinter::PdfPrinterName);
        File = Dir.filePath("out.pdf");
        Printer.SetPdfFileName(File);
    }

    void SetPaper(int number, int orientation, int width = 0, int length = 0)
    {
        TDeviceMode m;
        m.Fields = DM_PAPERSIZE | DM_ORIENTATION | DM_PAPERWIDTH | DM_PAPERLENGTH;
        m.PaperSize = number;
        m.Orientation = orientation;
        m.PaperWidth = width;
        m.PaperLength = length;
        Printer.SetDeviceMode(m);
    }

    QStringList Entries() const { return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

double PixelsToPoints(int pixels, int dpi)
{
    return pixels * 72.0 / dpi;
}

// The message of the printer's exception; empty (and a failure) when there was none.
QString MessageOf(const std::function<void()>& action)
{
    try {
        action();
        ADD_FAILURE() << "no exception";
    } catch (const EPrinter& e) {
        return e.Message();
    }
    return {};
}

// How the PDF printer's refusal to write a file begins; the reason follows.
QString CannotWrite(const QString& file)
{
    return QString("Não foi possível gravar o arquivo \"%1\".").arg(file);
}

void ExpectMessage(const std::function<void()>& action, const QString& message)
{
    try {
        action();
        ADD_FAILURE() << "no exception; expected \"" << message.toStdString() << "\"";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

} // namespace

// ---- the printer list ---------------------------------------------------------------------------

TEST(PrinterList, HoldsThePdfPrinterAndSelectsTheDefault)
{
    TPrinter p;
    EXPECT_GE(p.Printers()->IndexOf(TPrinter::PdfPrinterName), 0);
    EXPECT_EQ(p.PrinterIndex(), p.DefaultPrinterIndex());
    const QString cupsDefault = QPrinterInfo::defaultPrinterName();
    const QString expected = cupsDefault.isEmpty() || cupsDefault.compare("PDF", Qt::CaseInsensitive) == 0
                                 ? TPrinter::PdfPrinterName
                                 : cupsDefault;
    EXPECT_EQ((*p.Printers())[p.PrinterIndex()], expected);
    // Every CUPS queue is listed beside it.
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        if (name.compare("PDF", Qt::CaseInsensitive) != 0) {
            EXPECT_GE(p.Printers()->IndexOf(name), 0) << name.toStdString();
        }
    }
}

TEST(PrinterList, MinusOneSelectsTheDefaultAgain)
{
    TPrinter p;
    p.SetPrinter(TPrinter::PdfPrinterName);
    p.SetPrinterIndex(-1);
    EXPECT_EQ(p.PrinterIndex(), p.DefaultPrinterIndex());
}

TEST(PrinterList, GlobalPrinterIsOneAndPrivatePrintersAreApart)
{
    TPrinter* global = Printer();
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(Printer(), global);
    global->SetPrinter(TPrinter::PdfPrinterName);
    const TDeviceMode before = global->DeviceMode();

    TPrinter own;
    own.SetPrinter(TPrinter::PdfPrinterName);
    const bool portrait = own.Orientation() == TPrinterOrientation::poPortrait;
    own.SetOrientation(portrait ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait);
    EXPECT_EQ(global->DeviceMode(), before);
    EXPECT_NE(own.DeviceMode(), before);
}

TEST(PrinterList, ReselectingThePrinterKeepsItsSettingsAnotherStartsFresh)
{
    PdfFixture f;
    f.SetPaper(11, DMORIENT_LANDSCAPE);
    f.Printer.SetPrinterIndex(f.Printer.PrinterIndex());
    EXPECT_EQ(f.Printer.DeviceMode().PaperSize, 11);
    EXPECT_EQ(f.Printer.DeviceMode().Orientation, DMORIENT_LANDSCAPE);
}

TEST(PrinterList, PdfPrinterNamesItsFileAsPort)
{
    PdfFixture f;
    QString device, driver, port;
    f.Printer.GetPrinter(device, driver, port);
    EXPECT_EQ(device, "PDF");
    EXPECT_EQ(port, f.File);
    EXPECT_TRUE(f.Printer.IsPdfPrinter());
}

// ---- device mode and the paper list -------------------------------------------------------------

TEST(DeviceMode, PdfPrinterHonoursPaperAndOrientationOnly)
{
    PdfFixture f;
    const TDeviceMode m = f.Printer.DeviceMode();
    EXPECT_EQ(m.Fields, DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH);
    // A PDF file has no copies, bins or duplex: such fields are passed over, as a driver does.
    TDeviceMode w = m;
    w.Fields = DM_COPIES | DM_DUPLEX | DM_DEFAULTSOURCE;
    w.Copies = 5;
    w.Duplex = DMDUP_VERTICAL;
    w.DefaultSource = DMBIN_MANUAL;
    f.Printer.SetDeviceMode(w);
    EXPECT_EQ(f.Printer.DeviceMode(), m);
    f.Printer.SetCopies(3);
    EXPECT_EQ(f.Printer.Copies(), 1);
}

TEST(DeviceMode, DefaultPaperFollowsTheLocale)
{
    TPrinter p;
    p.SetPrinter(TPrinter::PdfPrinterName);
    const int expected = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? DMPAPER_LETTER
                                                                                           : DMPAPER_A4;
    EXPECT_EQ(p.DeviceMode().PaperSize, expected);
    EXPECT_EQ(p.DeviceMode().Orientation, DMORIENT_PORTRAIT);
}

TEST(DeviceMode, PdfPaperListHasStandardSizesOnceAndAnySize)
{
    PdfFixture f;
    const auto& papers = f.Printer.Papers();
    ASSERT_FALSE(papers.empty());
    for (std::size_t i = 0; i < papers.size(); ++i)
        for (std::size_t j = i + 1; j < papers.size(); ++j)
            EXPECT_NE(papers[i].Number, papers[j].Number);
    EXPECT_EQ(papers.back().Number, DMPAPER_USER);
    for (const TPaperInfo& p : papers) {
        if (p.Number != DMPAPER_USER) {
            EXPECT_GT(p.Width, 0) << p.Number;
            EXPECT_GT(p.Length, 0) << p.Number;
            EXPECT_FALSE(p.Name.isEmpty()) << p.Number;
        }
    }
}

struct PaperCase {
    int Number;
    const char* Name;
    int Width, Length; // 0.1 mm
};

void PrintTo(const PaperCase& c, std::ostream* os)
{
    *os << "paper " << c.Number << " (" << c.Name << ")";
}

class PaperNumbers : public ::testing::TestWithParam<PaperCase> {};

// Each Windows paper number gives its paper in the list, on the device and in the PDF file.
TEST_P(PaperNumbers, MapToTheirPaper)
{
    const PaperCase c = GetParam();
    PdfFixture f;
    const auto& papers = f.Printer.Papers();
    const auto it = std::find_if(papers.begin(), papers.end(),
                                 [&](const TPaperInfo& p) { return p.Number == c.Number; });
    ASSERT_NE(it, papers.end());
    EXPECT_EQ(it->Name, QString::fromUtf8(c.Name));
    EXPECT_EQ(it->Width, c.Width);
    EXPECT_EQ(it->Length, c.Length);

    f.SetPaper(c.Number, DMORIENT_PORTRAIT);
    EXPECT_EQ(f.Printer.DeviceMode().PaperSize, c.Number);
    EXPECT_EQ(f.Printer.DeviceMode().PaperWidth, c.Width);
    EXPECT_EQ(f.Printer.DeviceMode().PaperLength, c.Length);
    const TSize phys = f.Printer.PhysicalPageSize();
    // Qt keeps page sizes in whole points: within a point of the paper.
    const double tolerance = 600 / 72.0;
    EXPECT_NEAR(phys.cx, c.Width / 254.0 * 600, tolerance);
    EXPECT_NEAR(phys.cy, c.Length / 254.0 * 600, tolerance);

    f.Printer.BeginDoc();
    f.Printer.EndDoc();
    const auto pages = PdfPageSizes(f.File);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].Width, c.Width / 254.0 * 72, 1.0);
    EXPECT_NEAR(pages[0].Height, c.Length / 254.0 * 72, 1.0);
    EXPECT_NEAR(pages[0].Width, PixelsToPoints(phys.cx, 600), 0.1);
    EXPECT_NEAR(pages[0].Height, PixelsToPoints(phys.cy, 600), 0.1);
}

INSTANTIATE_TEST_SUITE_P(Pdf, PaperNumbers,
                         ::testing::Values(PaperCase{1, "Letter / ANSI A", 2159, 2794},
                                           PaperCase{3, "Tabloid / ANSI B", 2794, 4318},
                                           PaperCase{5, "Legal", 2159, 3556},
                                           PaperCase{7, "Executive (7.25 x 10.5 in)", 1842, 2667},
                                           PaperCase{8, "A3", 2970, 4200},
                                           PaperCase{9, "A4", 2100, 2970},
                                           PaperCase{10, "A4 Small", 2100, 2970},
                                           PaperCase{11, "A5", 1480, 2100},
                                           PaperCase{13, "JIS B5", 1820, 2570},
                                           PaperCase{20, "Envelope US 10", 1048, 2413},
                                           PaperCase{27, "Envelope DL", 1100, 2200},
                                           PaperCase{70, "A6", 1050, 1480}),
                         [](const ::testing::TestParamInfo<PaperCase>& info) {
                             return "Paper" + std::to_string(info.param.Number);
                         });

TEST(PaperMapping, WindowsNumbersToQtSizes)
{
    struct Case {
        int Number;
        std::optional<QPageSize::PageSizeId> Id;
    };
    const Case cases[] = {
        {1, QPageSize::Letter},  {2, QPageSize::LetterSmall}, {5, QPageSize::Legal},
        {8, QPageSize::A3},      {9, QPageSize::A4},          {10, QPageSize::A4Small},
        {11, QPageSize::A5},     {17, QPageSize::Tabloid},    // 11 x 17 in is the tabloid sheet
        {14, std::nullopt},      // folio: Qt has no such size
        {0, std::nullopt},       {-1, std::nullopt},          {DMPAPER_USER, std::nullopt},
        {9999, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<QPageSize> size = PageSizeOfPaper(c.Number);
        ASSERT_EQ(size.has_value(), c.Id.has_value()) << c.Number;
        if (size) {
            EXPECT_EQ(size->id(), *c.Id) << c.Number;
        }
    }
}

TEST(PaperMapping, DuplexCodesKeepTheEdge)
{
    EXPECT_EQ(DuplexModeOfCode(DMDUP_SIMPLEX), QPrinter::DuplexNone);
    EXPECT_EQ(DuplexModeOfCode(DMDUP_VERTICAL), QPrinter::DuplexLongSide);
    EXPECT_EQ(DuplexModeOfCode(DMDUP_HORIZONTAL), QPrinter::DuplexShortSide);
    for (int code : {0, 4, -1})
        EXPECT_FALSE(DuplexModeOfCode(code).has_value()) << code;
    for (int code : {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL})
        EXPECT_EQ(DuplexCodeOf(*DuplexModeOfCode(code)), code);
    EXPECT_EQ(DuplexCodeOf(QPrinter::DuplexAuto), DMDUP_VERTICAL);
}

TEST(PaperMapping, BinCodes)
{
    struct Case {
        int Code;
        std::optional<QPrinter::PaperSource> Source;
    };
    const Case cases[] = {
        {DMBIN_UPPER, QPrinter::Upper},         {DMBIN_LOWER, QPrinter::Lower},
        {DMBIN_MIDDLE, QPrinter::Middle},       {DMBIN_MANUAL, QPrinter::Manual},
        {DMBIN_ENVELOPE, QPrinter::Envelope},   {DMBIN_ENVMANUAL, QPrinter::EnvelopeManual},
        {DMBIN_AUTO, QPrinter::Auto},           {DMBIN_TRACTOR, QPrinter::Tractor},
        {DMBIN_SMALLFMT, QPrinter::SmallFormat}, {DMBIN_LARGEFMT, QPrinter::LargeFormat},
        {DMBIN_LARGECAPACITY, QPrinter::LargeCapacity}, {DMBIN_CASSETTE, QPrinter::Cassette},
        {DMBIN_FORMSOURCE, QPrinter::FormSource},
        {0, std::nullopt}, {12, std::nullopt}, {13, std::nullopt}, {16, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PaperSourceOfBin(c.Code), c.Source) << c.Code;
        if (c.Source) {
            EXPECT_EQ(BinOfPaperSource(*c.Source), c.Code) << c.Code;
        }
    }
}

TEST(DeviceMode, LandscapeTurnsThePageNotThePaper)
{
    PdfFixture f;
    f.SetPaper(DMPAPER_A4, DMORIENT_PORTRAIT);
    const TSize portrait = f.Printer.PhysicalPageSize();
    f.Printer.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(f.Printer.Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(f.Printer.PhysicalPageSize(), (TSize{portrait.cy, portrait.cx}));
    EXPECT_EQ(f.Printer.DeviceMode().PaperWidth, 2100);
    EXPECT_EQ(f.Printer.DeviceMode().PaperLength, 2970);
    EXPECT_EQ(f.Printer.GetDeviceCaps(HORZRES), portrait.cy);
}

TEST(DeviceMode, CustomSizeInTenthsOfMillimetres)
{
    PdfFixture f;
    f.SetPaper(DMPAPER_USER, DMORIENT_PORTRAIT, 1000, 500); // a 100 x 50 mm label
    EXPECT_EQ(f.Printer.DeviceMode().PaperSize, DMPAPER_USER);
    EXPECT_EQ(f.Printer.DeviceMode().PaperWidth, 1000);
    EXPECT_EQ(f.Printer.DeviceMode().PaperLength, 500);
    const TSize phys = f.Printer.PhysicalPageSize();
    f.Printer.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(f.Printer.PhysicalPageSize(), (TSize{phys.cy, phys.cx}));
    f.Printer.SetOrientation(TPrinterOrientation::poPortrait);

    f.Printer.BeginDoc();
    f.Printer.EndDoc();
    const auto pages = PdfPageSizes(f.File);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].Width, 100 / 25.4 * 72, 0.6);
    EXPECT_NEAR(pages[0].Height, 50 / 25.4 * 72, 0.6);
    EXPECT_NEAR(PixelsToPoints(phys.cx, 600), pages[0].Width, 0.1);
    EXPECT_NEAR(PixelsToPoints(phys.cy, 600), pages[0].Height, 0.1);
}

TEST(DeviceMode, CustomSizeOnlyWithUserPaper)
{
    PdfFixture f;
    f.SetPaper(DMPAPER_A4, DMORIENT_PORTRAIT, 1000, 500);
    EXPECT_EQ(f.Printer.DeviceMode().PaperWidth, 2100);
    EXPECT_EQ(f.Printer.DeviceMode().PaperLength, 2970);
}

// ---- device capabilities ------------------------------------------------------------------------

TEST(DeviceCaps, PdfPrinterAtItsFixedResolution)
{
    PdfFixture f;
    f.SetPaper(DMPAPER_A4, DMORIENT_PORTRAIT);
    EXPECT_EQ(f.Printer.GetDeviceCaps(LOGPIXELSX), TPrinter::PdfResolution);
    EXPECT_EQ(f.Printer.GetDeviceCaps(LOGPIXELSY), TPrinter::PdfResolution);
    EXPECT_TRUE(f.Printer.EscapeSupported(GETPHYSPAGESIZE));
    EXPECT_TRUE(f.Printer.EscapeSupported(GETPRINTINGOFFSET));
    EXPECT_FALSE(f.Printer.EscapeSupported(9999));
    // A PDF file can be printed to its edges.
    EXPECT_EQ(f.Printer.PrintingOffset(), (TPoint{0, 0}));
    EXPECT_EQ(f.Printer.PageWidth(), f.Printer.PhysicalPageSize().cx);
    EXPECT_EQ(f.Printer.PageHeight(), f.Printer.PhysicalPageSize().cy);
    EXPECT_EQ(f.Printer.GetDeviceCaps(PHYSICALWIDTH), f.Printer.PhysicalPageSize().cx);
    EXPECT_EQ(f.Printer.GetDeviceCaps(HORZSIZE), 210);
    EXPECT_EQ(f.Printer.GetDeviceCaps(VERTSIZE), 297);

    f.Printer.BeginDoc();
    TCanvas* c = f.Printer.Canvas();
    for (int index : {LOGPIXELSX, LOGPIXELSY, HORZRES, VERTRES, PHYSICALWIDTH, PHYSICALHEIGHT,
                      PHYSICALOFFSETX, PHYSICALOFFSETY})
        EXPECT_EQ(c->GetDeviceCaps(index), f.Printer.GetDeviceCaps(index)) << index;
    f.Printer.Abort();
}

// ---- the print job ------------------------------------------------------------------------------

TEST(PrintJob, TwoPagesReadBackFromThePdf)
{
    PdfFixture f;
    f.SetPaper(DMPAPER_A4, DMORIENT_LANDSCAPE);
    f.Printer.SetTitle("Etiquetas de teste");
    const int dpi = f.Printer.GetDeviceCaps(LOGPIXELSX);
    const TPoint offset = f.Printer.PrintingOffset();
    const int w = f.Printer.PageWidth(), h = f.Printer.PageHeight();

    f.Printer.BeginDoc();
    EXPECT_TRUE(f.Printer.Printing());
    EXPECT_EQ(f.Printer.PageNumber(), 1);
    TCanvas* c = f.Printer.Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetSize(12);
    c->TextOut(dpi, dpi, "Alpha");                 // one inch in, one inch down
    c->TextOut(w - 2 * dpi, h - dpi, "Corner");    // near the printable area's far corner
    f.Printer.NewPage();
    EXPECT_EQ(f.Printer.PageNumber(), 2);
    EXPECT_EQ(f.Printer.Canvas(), c);
    c->TextOut(3 * dpi, 2 * dpi, "Omega");
    f.Printer.EndDoc();
    EXPECT_FALSE(f.Printer.Printing());
    EXPECT_FALSE(f.Printer.Aborted());

    const auto pages = PdfPageSizes(f.File);
    ASSERT_EQ(pages.size(), 2u);
    for (const PdfPage& p : pages) {
        EXPECT_NEAR(p.Width, 297 / 25.4 * 72, 0.6); // landscape A4
        EXPECT_NEAR(p.Height, 210 / 25.4 * 72, 0.6);
        EXPECT_NEAR(p.Width, PixelsToPoints(f.Printer.PhysicalPageSize().cx, dpi), 0.1);
        EXPECT_NEAR(p.Height, PixelsToPoints(f.Printer.PhysicalPageSize().cy, dpi), 0.1);
    }
    EXPECT_EQ(PdfInfoField(f.File, "Title"), "Etiquetas de teste");

    const auto words = PdfWords(f.File);
    struct Expect {
        const char* Text;
        int Page;
        int X, Y; // device pixels on the canvas
    };
    const Expect expected[] = {
        {"Alpha", 1, dpi, dpi}, {"Corner", 1, w - 2 * dpi, h - dpi}, {"Omega", 2, 3 * dpi, 2 * dpi}};
    for (const Expect& e : expected) {
        const PdfWord* word = FindWord(words, e.Text);
        ASSERT_NE(word, nullptr) << e.Text;
        EXPECT_EQ(word->Page, e.Page) << e.Text;
        // The canvas's origin is the printable area's corner, which lies at the printing offset.
        EXPECT_NEAR(word->XMin, PixelsToPoints(e.X + offset.X, dpi), 0.5) << e.Text;
        // Text is placed by its top, which is where the font's box starts.
        EXPECT_NEAR(word->YMin, PixelsToPoints(e.Y + offset.Y, dpi), 0.5) << e.Text;
        EXPECT_GT(word->YMax - word->YMin, 8.0) << e.Text; // a 12-point font
        EXPECT_LT(word->YMax - word->YMin, 18.0) << e.Text;
    }
    EXPECT_EQ(FindWord(words, "Omega")->Page, 2);
    // Nothing but the finished file is left in the folder.
    EXPECT_EQ(f.Entries(), QStringList{"out.pdf"});
}

TEST(PrintJob, PortraitDocumentIsPortrait)
{
    PdfFixture f;
    f.SetPaper(DMPAPER_LETTER, DMORIENT_PORTRAIT);
    f.Printer.BeginDoc();
    f.Printer.Canvas()->TextOut(100, 100, "Letter");
    f.Printer.EndDoc();
    const auto pages = PdfPageSizes(f.File);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].Width, 612, 0.6);
    EXPECT_NEAR(pages[0].Height, 792, 0.6);
}

TEST(PrintJob, RelativeFileNameIsTakenFromTheCurrentFolder)
{
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    {
        TPrinter p;
        p.SetPrinter(TPrinter::PdfPrinterName);
        p.SetPdfFileName("relativo.pdf");
        p.BeginDoc();
        p.EndDoc();
    }
    QDir::setCurrent(old);
    EXPECT_TRUE(QFile::exists(dir.filePath("relativo.pdf")));
}

TEST(PrintJob, AbortLeavesAnOlderFileAsItWas)
{
    PdfFixture f;
    {
        QFile old(f.File);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older file");
    }
    f.Printer.BeginDoc();
    f.Printer.Canvas()->TextOut(10, 10, "Lost");
    f.Printer.NewPage();
    f.Printer.Abort();
    EXPECT_FALSE(f.Printer.Printing());
    EXPECT_TRUE(f.Printer.Aborted());
    EXPECT_EQ(f.Printer.PageNumber(), 0);
    QFile old(f.File);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("older file"));
    EXPECT_EQ(f.Entries(), QStringList{"out.pdf"});

    // The next job replaces the file and clears Aborted.
    f.Printer.BeginDoc();
    EXPECT_FALSE(f.Printer.Aborted());
    f.Printer.Canvas()->TextOut(600, 600, "Kept");
    f.Printer.EndDoc();
    EXPECT_NE(FindWord(PdfWords(f.File), "Kept"), nullptr);
}

TEST(PrintJob, JobThatCannotStartLeavesNoState)
{
    PdfFixture f;
    const QString missing = f.Dir.filePath("no-such-folder/out.pdf");
    f.Printer.SetPdfFileName(missing);
    EXPECT_TRUE(MessageOf([&] { f.Printer.BeginDoc(); }).startsWith(CannotWrite(missing)));
    EXPECT_FALSE(f.Printer.Printing());
    EXPECT_FALSE(f.Printer.Aborted());
    EXPECT_EQ(f.Printer.PageNumber(), 0);
    ExpectMessage([&] { f.Printer.Canvas(); }, "Printer is not currently printing");
    EXPECT_TRUE(f.Entries().isEmpty());

    // The same printer then prints normally.
    f.Printer.SetPdfFileName(f.File);
    f.Printer.BeginDoc();
    f.Printer.EndDoc();
    EXPECT_EQ(PdfPageSizes(f.File).size(), 1u);
}

TEST(PrintJob, AFolderInTheFilesPlaceIsRefusedBeforeTheJob)
{
    PdfFixture f;
    ASSERT_TRUE(QDir(f.Dir.path()).mkdir("out.pdf"));
    EXPECT_TRUE(MessageOf([&] { f.Printer.BeginDoc(); }).startsWith(CannotWrite(f.File)));
    EXPECT_FALSE(f.Printer.Printing());
    EXPECT_TRUE(QFileInfo(f.File).isDir());
    EXPECT_TRUE(f.Entries().isEmpty());
}

TEST(PrintJob, AFileThatCannotTakeItsPlaceFailsAtEndDoc)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("pasta");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString file = folder + "/out.pdf";
    TPrinter p;
    p.SetPrinter(TPrinter::PdfPrinterName);
    p.SetPdfFileName(file);
    p.BeginDoc();
    p.Canvas()->TextOut(10, 10, "Nada");
    // The folder goes while the job runs: the file has nowhere to appear.
    ASSERT_TRUE(QDir().rmdir(folder));
    EXPECT_TRUE(MessageOf([&] { p.EndDoc(); }).startsWith(CannotWrite(file)));
    EXPECT_FALSE(p.Printing());
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(PrintJob, PrinterDestroyedDuringAJobWritesNothing)
{
    QTemporaryDir dir;
    {
        TPrinter p;
        p.SetPrinter(TPrinter::PdfPrinterName);
        p.SetPdfFileName(dir.filePath("out.pdf"));
        p.BeginDoc();
        p.Canvas()->TextOut(10, 10, "Nada");
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(PrintJob, PdfPrinterNeedsAFileName)
{
    TPrinter p;
    p.SetPrinter(TPrinter::PdfPrinterName);
    ExpectMessage([&] { p.BeginDoc(); }, "Nenhum nome de arquivo foi informado para a impressora PDF.");
    EXPECT_FALSE(p.Printing());
}

// ---- the PDF printer saves as every file of the program is saved ------------------------------

namespace {

unsigned ModeOf(const QString& file)
{
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? (st.st_mode & 07777u) : 0u;
}

QByteArray Bytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

void WriteBytes(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

struct TUmaskScope {
    explicit TUmaskScope(mode_t mask) : Old(::umask(mask)) {}
    ~TUmaskScope() { ::umask(Old); }
    mode_t Old;
};

// Every entry of the folder, hidden ones too.
QStringList Everything(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The print of pdf_print_child, started with the arguments; as the user given when not -1.
std::unique_ptr<QProcess> StartChild(const QStringList& args, uid_t uid = static_cast<uid_t>(-1),
                                     gid_t gid = static_cast<gid_t>(-1))
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // The child ends however its test wants it to; what it leaks then is not the question.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    child->setProcessEnvironment(env);
    if (uid != static_cast<uid_t>(-1))
        child->setChildProcessModifier([uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(126);
        });
    child->start(QStringLiteral(PDF_PRINT_CHILD), args);
    EXPECT_TRUE(child->waitForStarted(60000));
    return child;
}

} // namespace

TEST(PdfSafeSave, ANewFileTakesTheUmasksModeAndAnOlderFileKeepsItsOwn)
{
    const struct {
        const char* What;
        mode_t Umask;
        unsigned Older; // 0: no older file
        unsigned Expected;
    } cases[] = {
        {"a new file under umask 022", 022, 0, 0644},
        {"a new file under umask 077", 077, 0, 0600},
        {"a new file under umask 002", 002, 0, 0664},
        {"an older file of mode 0640", 022, 0640, 0640},
        {"an older file of mode 0606", 077, 0606, 0606},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        PdfFixture f;
        if (c.Older) {
            WriteBytes(f.File, "older");
            ASSERT_EQ(::chmod(QFile::encodeName(f.File).constData(), c.Older), 0);
        }
        const TUmaskScope mask(c.Umask);
        f.Printer.BeginDoc();
        f.Printer.Canvas()->TextOut(600, 600, "Modo");
        f.Printer.EndDoc();
        EXPECT_EQ(ModeOf(f.File), c.Expected) << std::oct << ModeOf(f.File);
        EXPECT_NE(FindWord(PdfWords(f.File), "Modo"), nullptr);
        EXPECT_EQ(f.Entries(), QStringList{"out.pdf"});
    }
}

TEST(PdfSafeSave, ALinkIsFollowedToItsTargetAndStaysALink)
{
    PdfFixture f;
    const QString target = f.Dir.filePath("alvo.pdf");
    WriteBytes(target, "older");
    ASSERT_TRUE(QFile::link(target, f.File));
    f.Printer.BeginDoc();
    f.Printer.Canvas()->TextOut(600, 600, "Ligado");
    f.Printer.EndDoc();
    EXPECT_TRUE(QFileInfo(f.File).isSymLink());
    EXPECT_EQ(QFileInfo(f.File).symLinkTarget(), target);
    EXPECT_NE(FindWord(PdfWords(target), "Ligado"), nullptr);
    EXPECT_EQ(Everything(f.Dir.path()), (QStringList{"alvo.pdf", "out.pdf"}));
}

// The refusal is the user's, not the folder's: the folder is open to everyone, the file is not
// the user's to write. As root, who may write every file, the print runs as "nobody".
TEST(PdfSafeSave, AFileTheUserMayNotWriteIsRefusedByNameAndLeftAsItWas)
{
    const bool root = ::geteuid() == 0;
    uid_t uid = static_cast<uid_t>(-1);
    gid_t gid = static_cast<gid_t>(-1);
    if (root) {
        const passwd* nobody = ::getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
    }
    const struct {
        const char* What;
        unsigned Mode;
        bool OthersFile; // owned by root, not by the printing user
    } cases[] = {
        {"the user's own file of mode 0444", 0444, false},
        {"another user's file of mode 0644", 0644, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        if (c.OthersFile && !root)
            continue; // a file of another user cannot be made without root
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
        const QString file = dir.filePath("out.pdf");
        WriteBytes(file, "older file");
        if (root && !c.OthersFile) {
            ASSERT_EQ(::chown(QFile::encodeName(file).constData(), uid, gid), 0);
        }
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), c.Mode), 0);

        const std::unique_ptr<QProcess> child = StartChild({file}, uid, gid);
        ASSERT_TRUE(child->waitForFinished(120000));
        // The printer's message is the child's last word; Qt may have warned before it.
        const QString message = QString::fromUtf8(child->readAllStandardError()).trimmed().split('\n').last();
        EXPECT_EQ(child->exitCode(), 3) << message.toStdString();
        EXPECT_TRUE(message.startsWith(CannotWrite(file))) << message.toStdString();
        EXPECT_EQ(Bytes(file), QByteArray("older file"));
        EXPECT_EQ(ModeOf(file), c.Mode);
        EXPECT_EQ(Everything(dir.path()), QStringList{"out.pdf"});
    }
}

TEST(PdfSafeSave, APrintKilledMidRunLeavesOnlyTheOlderFile)
{
    PdfFixture f;
    WriteBytes(f.File, "older file");
    const std::unique_ptr<QProcess> child = StartChild({f.File, "hold"});
    // The child says when its first page is drawn and the job goes on; it then waits.
    while (!child->canReadLine() && child->state() == QProcess::Running)
        child->waitForReadyRead(120000);
    ASSERT_EQ(child->readLine().trimmed(), QByteArray("ready")) << child->readAllStandardError().toStdString();
    // Half a PDF is being written, under no name: nothing lies beside the older file.
    EXPECT_EQ(Everything(f.Dir.path()), QStringList{"out.pdf"});
    child->kill();
    ASSERT_TRUE(child->waitForFinished(60000));
    EXPECT_EQ(child->exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(Everything(f.Dir.path()), QStringList{"out.pdf"});
    EXPECT_EQ(Bytes(f.File), QByteArray("older file"));

    // The same print let go to its end replaces the file.
    const std::unique_ptr<QProcess> whole = StartChild({f.File, "hold"});
    whole->closeWriteChannel();
    ASSERT_TRUE(whole->waitForFinished(120000));
    EXPECT_EQ(whole->exitCode(), 0) << whole->readAllStandardError().toStdString();
    const std::vector<PdfWord> words = PdfWords(f.File);
    EXPECT_NE(FindWord(words, "Primeira"), nullptr);
    EXPECT_NE(FindWord(words, "Segunda"), nullptr);
}

// ---- one document from several jobs -------------------------------------------------------------

namespace {

// A job of one page per text, on the gathered document.
void Job(TPrinter& p, const QStringList& pages)
{
    p.BeginDoc();
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            p.NewPage();
        p.Canvas()->TextOut(600, 600, pages[i]);
    }
    p.EndDoc();
}

} // namespace

TEST(GatheredJobs, TheJobsOfOnePrintMakeOneFileInTheirOrder)
{
    PdfFixture f;
    f.SetPaper(11, DMORIENT_PORTRAIT); // A5
    WriteBytes(f.File, "older file");
    f.Printer.BeginGather();
    EXPECT_TRUE(f.Printer.Gathering());
    Job(f.Printer, {"Primeira"});
    // Between the jobs nothing is written, and the settings may be put again, as each run does.
    EXPECT_FALSE(f.Printer.Printing());
    EXPECT_EQ(Bytes(f.File), QByteArray("older file"));
    f.Printer.SetDeviceMode(f.Printer.DeviceMode());
    Job(f.Printer, {"Segunda", "Terceira"});
    Job(f.Printer, {"Quarta"});
    EXPECT_EQ(Bytes(f.File), QByteArray("older file"));
    f.Printer.EndGather(true);
    EXPECT_FALSE(f.Printer.Gathering());

    const auto pages = PdfPageSizes(f.File);
    ASSERT_EQ(pages.size(), 4u);
    for (const PdfPage& page : pages) {
        EXPECT_NEAR(page.Width, 148 / 25.4 * 72, 0.6);
        EXPECT_NEAR(page.Height, 210 / 25.4 * 72, 0.6);
    }
    const auto words = PdfWords(f.File);
    const QStringList expected{"Primeira", "Segunda", "Terceira", "Quarta"};
    for (int i = 0; i < expected.size(); ++i) {
        const PdfWord* word = FindWord(words, expected[i]);
        ASSERT_NE(word, nullptr) << expected[i].toStdString();
        EXPECT_EQ(word->Page, i + 1) << expected[i].toStdString();
    }
    EXPECT_EQ(f.Entries(), QStringList{"out.pdf"});

    // Once the gathering is over, each job is a file of its own again.
    Job(f.Printer, {"Sozinha"});
    ASSERT_EQ(PdfPageSizes(f.File).size(), 1u);
    EXPECT_NE(FindWord(PdfWords(f.File), "Sozinha"), nullptr);
}

// A gathering that does not end well leaves the older file as it was, and nothing beside it.
TEST(GatheredJobs, AGatheringThatFailsWritesNothing)
{
    struct Case {
        const char* What;
        std::function<void(TPrinter&)> Action;
    };
    const Case cases[] = {
        {"a job aborted, and the jobs after it refused",
         [](TPrinter& p) {
             p.BeginDoc();
             p.Canvas()->TextOut(600, 600, "Perdida");
             p.Abort();
             EXPECT_TRUE(p.Aborted());
             ExpectMessage([&] { p.BeginDoc(); }, "A impressão foi interrompida");
             EXPECT_FALSE(p.Printing());
             p.EndGather(true);
         }},
        {"ended without keeping it", [](TPrinter& p) { p.EndGather(false); }},
        {"ended while a job runs",
         [](TPrinter& p) {
             p.BeginDoc();
             p.EndGather(true);
             EXPECT_FALSE(p.Printing());
             EXPECT_TRUE(p.Aborted());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        PdfFixture f;
        WriteBytes(f.File, "older file");
        f.Printer.BeginGather();
        Job(f.Printer, {"Primeira"});
        c.Action(f.Printer);
        EXPECT_FALSE(f.Printer.Gathering());
        EXPECT_EQ(Bytes(f.File), QByteArray("older file"));
        EXPECT_EQ(f.Entries(), QStringList{"out.pdf"});
        // The printer then prints normally.
        Job(f.Printer, {"Depois"});
        EXPECT_NE(FindWord(PdfWords(f.File), "Depois"), nullptr);
    }

    // A printer that goes half-way through a gathering writes nothing either.
    QTemporaryDir dir;
    {
        TPrinter p;
        p.SetPrinter(TPrinter::PdfPrinterName);
        p.SetPdfFileName(dir.filePath("out.pdf"));
        p.BeginGather();
        Job(p, {"Nada"});
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// ---- bad input ----------------------------------------------------------------------------------

TEST(BadInput, OutsideAJob)
{
    struct Case {
        const char* What;
        std::function<void(TPrinter&)> Action;
        const char* Message;
    };
    const Case cases[] = {
        {"EndDoc", [](TPrinter& p) { p.EndDoc(); }, "Printer is not currently printing"},
        {"NewPage", [](TPrinter& p) { p.NewPage(); }, "Printer is not currently printing"},
        {"Abort", [](TPrinter& p) { p.Abort(); }, "Printer is not currently printing"},
        {"Canvas", [](TPrinter& p) { p.Canvas(); }, "Printer is not currently printing"},
        {"index past the end", [](TPrinter& p) { p.SetPrinterIndex(p.Printers()->Count()); },
         "Printer index out of range"},
        {"index -2", [](TPrinter& p) { p.SetPrinterIndex(-2); }, "Printer index out of range"},
        {"unknown device", [](TPrinter& p) { p.SetPrinter("Impressora inexistente"); },
         "Printer selected is not valid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        PdfFixture f;
        const int index = f.Printer.PrinterIndex();
        const TDeviceMode mode = f.Printer.DeviceMode();
        ExpectMessage([&] { c.Action(f.Printer); }, c.Message);
        EXPECT_EQ(f.Printer.PrinterIndex(), index);
        EXPECT_EQ(f.Printer.DeviceMode(), mode);
        EXPECT_FALSE(f.Printer.Printing());
    }
}

TEST(BadInput, DeviceModeIsCheckedWhole)
{
    struct Case {
        const char* What;
        TDeviceMode Mode;
        const char* Message;
    };
    auto mode = [](unsigned fields, int paper, int orientation, int width = 0, int length = 0) {
        TDeviceMode m;
        m.Fields = fields;
        m.PaperSize = paper;
        m.Orientation = orientation;
        m.PaperWidth = width;
        m.PaperLength = length;
        return m;
    };
    const unsigned all = DM_PAPERSIZE | DM_ORIENTATION | DM_PAPERWIDTH | DM_PAPERLENGTH;
    const Case cases[] = {
        {"folio", mode(all, 14, DMORIENT_LANDSCAPE), "O tamanho de papel 14 não é aceito pela impressora \"PDF\""},
        {"transverse letter", mode(all, 54, DMORIENT_LANDSCAPE),
         "O tamanho de papel 54 não é aceito pela impressora \"PDF\""},
        {"zero", mode(all, 0, DMORIENT_LANDSCAPE), "O tamanho de papel 0 não é aceito pela impressora \"PDF\""},
        {"negative", mode(all, -9, DMORIENT_LANDSCAPE), "O tamanho de papel -9 não é aceito pela impressora \"PDF\""},
        {"past the standard ones", mode(all, 257, DMORIENT_LANDSCAPE),
         "O tamanho de papel 257 não é aceito pela impressora \"PDF\""},
        {"orientation 3", mode(all, DMPAPER_A4, 3), "Orientação inválida: 3"},
        {"orientation 0", mode(all, DMPAPER_A4, 0), "Orientação inválida: 0"},
        {"custom without width", mode(all, DMPAPER_USER, DMORIENT_PORTRAIT, 0, 500),
         "Tamanho de papel inválido: 0 x 500"},
        {"custom negative length", mode(all, DMPAPER_USER, DMORIENT_PORTRAIT, 500, -1),
         "Tamanho de papel inválido: 500 x -1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        PdfFixture f;
        f.SetPaper(11, DMORIENT_PORTRAIT); // A5
        const TDeviceMode before = f.Printer.DeviceMode();
        const TSize phys = f.Printer.PhysicalPageSize();
        ExpectMessage([&] { f.Printer.SetDeviceMode(c.Mode); }, c.Message);
        EXPECT_EQ(f.Printer.DeviceMode(), before);
        EXPECT_EQ(f.Printer.PhysicalPageSize(), phys);
    }
}

TEST(BadInput, WhilePrinting)
{
    struct Case {
        const char* What;
        std::function<void(TPrinter&)> Action;
    };
    const Case cases[] = {
        {"BeginDoc", [](TPrinter& p) { p.BeginDoc(); }},
        {"printer index", [](TPrinter& p) { p.SetPrinterIndex(p.PrinterIndex()); }},
        {"printer by name", [](TPrinter& p) { p.SetPrinter(TPrinter::PdfPrinterName); }},
        {"orientation", [](TPrinter& p) { p.SetOrientation(TPrinterOrientation::poLandscape); }},
        {"device mode", [](TPrinter& p) { p.SetDeviceMode(p.DeviceMode()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        PdfFixture f;
        f.Printer.BeginDoc();
        f.Printer.Canvas()->TextOut(600, 600, "Continua");
        ExpectMessage([&] { c.Action(f.Printer); }, "Printing in progress");
        // The job goes on untouched.
        EXPECT_TRUE(f.Printer.Printing());
        EXPECT_EQ(f.Printer.PageNumber(), 1);
        f.Printer.EndDoc();
        EXPECT_NE(FindWord(PdfWords(f.File), "Continua"), nullptr);
    }
}
