// The printer object and its printer settings, judged by what a caller and a user can see: device
// coordinates, recorded pages played back onto images, PDF files read back with poppler's
// pdftotext, saved-preview files loaded again, and the messages a client window receives.

#include "engine/model/KVUnits.h"
#include "engine/run/KVError.h"
#include "engine/run/KVPrinter.h"
#include "engine/run/PrinterSettings.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Messages.h"
#include "platform/core/Component.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

using namespace tessiv;

namespace {

QByteArray ReadFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool HavePdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

struct PdfWord {
    int Page = 0; // from 1
    QString Text;
    double XMin = 0, YMin = 0; // points from the page's top-left corner
};

std::vector<PdfWord> PdfWords(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<PdfWord> words;
    int page = 0;
    static const QRegularExpression wordRe(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re");
    for (const QString& line : html.split('\n')) {
        if (line.contains(QStringLiteral("<page ")))
            ++page;
        const auto m = wordRe.match(line);
        if (m.hasMatch())
            words.push_back({page, m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()});
    }
    return words;
}

// Points on a PDF page of a length in 0.1 mm.
double Points(long double tenths)
{
    return static_cast<double>(tenths) * 72.0 / 254.0;
}

void DrawLabel(TCanvas& canvas, int x, int y, const QString& text)
{
    canvas.Font()->SetName(QStringLiteral("Arial"));
    canvas.Font()->SetSize(14);
    canvas.SetBkMode(TRANSPARENT);
    canvas.TextOut(x, y, text);
}

// What the run draws on page n, in 0.1 mm through the printer object's conversions.
void DrawPageOn(TCanvas& c, const TKVPrinter& p, int n)
{
    c.Brush()->SetColor(clBlack);
    c.Brush()->SetStyle(bsSolid);
    const int left = 100 + 150 * n;
    c.Rectangle(p.XPos(left), p.YPos(200), p.XPos(left + 300), p.YPos(500));
    DrawLabel(c, p.XPos(200), p.YPos(800 + 100 * n), QStringLiteral("Pagina%1").arg(n));
}

void DrawPage(TKVPrinter& p, int n)
{
    DrawPageOn(*p.Canvas(), p, n);
}

QImage White(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

int CountDifferent(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return a.width() * a.height() + 1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

int CountInk(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qGray(img.pixel(x, y)) < 200;
    return n;
}

class KVPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FPlatform = std::make_unique<TPrinter>();
        FPlatform->SetPrinterIndex(FPlatform->Printers()->IndexOf(TPrinter::PdfPrinterName));
        FPlatform->SetPdfFileName(Path(QStringLiteral("out.pdf")));
    }

    // A printer object on the PDF printer, A4 portrait.
    std::unique_ptr<TKVPrinter> Make()
    {
        auto p = std::make_unique<TKVPrinter>(FPlatform.get());
        p->SetPaperSize(TKVPaperSize::A4);
        p->SetOrientation(TPrinterOrientation::poPortrait);
        return p;
    }

    // Records pages 1..pages as DrawPage draws them and finishes the run.
    void Record(TKVPrinter& p, int pages)
    {
        p.SetDestination(kvpdMetafile);
        p.BeginDoc();
        for (int n = 1; n <= pages; ++n) {
            p.NewPage();
            DrawPage(p, n);
        }
        p.EndDoc();
    }

    QString Path(const QString& name) const { return FDir.filePath(name); }

    QTemporaryDir FDir;
    std::unique_ptr<TPrinter> FPlatform;
};

// ---- coordinates ------------------------------------------------------------------------------

TEST(KVPrinterCoordinates, PageLengthsBecomeDeviceUnitsHalvesToEven)
{
    struct Case {
        int Dpi;
        long double Origin; // the printable area's offset, 0.1 mm
        long double Value;
        int Expected;
    };
    const Case cases[] = {
        {96, 0, 254, 96},          // one inch on the screen
        {96, 0, 2100, 794},        // A4 width: 793.70
        {96, 0, 2970, 1123},       // A4 length: 1122.52
        {254, 0, 2.5L, 2},         // one unit per 0.1 mm: halves go to the even neighbour
        {254, 0, 3.5L, 4},
        {254, 0, -2.5L, -2},
        {127, 0, 5, 2},            // 2.5
        {127, 0, 7, 4},            // 3.5
        {635, 0, 1, 2},            // 2.5
        {635, 0, 3, 8},            // 7.5
        {600, 0, 2100, 4961},      // 4960.63
        {600, 42, 2100, 4861},     // printable area 4.2 mm in: 4861.42
        {600, 42, 42, 0},          // the printable area's edge is device 0
        {600, 42, 0, -99},         // left of it: -99.21
        {300, 50, 0, -59},         // -59.06
        {300, 63.5L, 1000, 1106},  // 1106.10
        {508, 10, 11.25L, 2},      // 2.5
        {508, 10, 11.75L, 4},      // 3.5
    };
    for (const Case& c : cases)
        EXPECT_EQ(KVDeviceUnits(c.Value, c.Origin, c.Dpi / 254.0L), c.Expected)
            << "dpi " << c.Dpi << " origin " << static_cast<double>(c.Origin) << " value "
            << static_cast<double>(c.Value);
}

TEST(KVPrinterCoordinates, DeviceOffsetsBecomeTenthsOfMillimetreHalvesToEven)
{
    struct Case {
        int Pixels, Dpi, Expected;
    };
    const Case cases[] = {
        {100, 600, 42},  // 42.33
        {75, 300, 64},   // 63.5
        {5, 254, 5},
        {1, 508, 0},     // 0.5
        {3, 508, 2},     // 1.5
        {0, 600, 0},
        {96, 96, 254},
        {10, 0, 0},      // a device without a resolution
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeviceToTenthsMM(c.Pixels, c.Dpi), c.Expected) << c.Pixels << " px at " << c.Dpi;
}

TEST_F(KVPrinterTest, RecordedPagesAreLaidOutAtTheScreenResolution)
{
    auto p = Make();
    p->BeginDoc();
    EXPECT_EQ(p->XFactor(), 96 / 254.0L);
    EXPECT_EQ(p->YFactor(), 96 / 254.0L);
    EXPECT_EQ(p->XPos(254), 96);
    EXPECT_EQ(p->YPos(2970), 1123);
    EXPECT_EQ(p->XSize(2100), 794);
    p->NewPage();
    p->EndDoc();
    const auto page = p->GetPage(1);
    ASSERT_TRUE(page);
    EXPECT_NEAR(page->Width(), 794, 1);
    EXPECT_NEAR(page->Height(), 1123, 1);
}

TEST_F(KVPrinterTest, PrintedPagesUseThePrinterResolutionAndOffsets)
{
    auto p = Make();
    p->SetDestination(kvpdPrinter);
    p->BeginDoc();
    const int dpi = FPlatform->GetDeviceCaps(LOGPIXELSX);
    EXPECT_EQ(p->XFactor(), dpi / 254.0L);
    EXPECT_EQ(p->LeftOffset(), p->PrinterSettings().LeftOffset());
    EXPECT_EQ(p->TopOffset(), p->PrinterSettings().TopOffset());
    EXPECT_EQ(p->XPos(2100), KVDeviceUnits(2100, p->LeftOffset(), dpi / 254.0L));
    p->Abort();
}

// ---- paper -------------------------------------------------------------------------------------

TEST_F(KVPrinterTest, PaperWidthAndLengthFollowSizeAndOrientation)
{
    auto p = Make();
    TPrinterSettings& s = p->PrinterSettings();
    struct Case {
        TKVPaperSize Size;
        TPrinterOrientation Orientation;
        int Width, Length;
    };
    const Case cases[] = {
        {TKVPaperSize::A4, TPrinterOrientation::poPortrait, 2100, 2970},
        {TKVPaperSize::A4, TPrinterOrientation::poLandscape, 2970, 2100},
        {TKVPaperSize::Letter, TPrinterOrientation::poPortrait, 2159, 2794},
        {TKVPaperSize::Letter, TPrinterOrientation::poLandscape, 2794, 2159},
        {TKVPaperSize::A5, TPrinterOrientation::poLandscape, 2100, 1480},
    };
    for (const Case& c : cases) {
        p->SetPaperSize(c.Size);
        p->SetOrientation(c.Orientation);
        ASSERT_EQ(p->PaperSize(), c.Size);
        EXPECT_EQ(p->PaperWidth(), c.Width) << PaperCode(c.Size);
        EXPECT_EQ(p->PaperLength(), c.Length) << PaperCode(c.Size);
    }

    // Default and Custom take the settings' own lengths, crossed in landscape.
    p->SetPaperSize(TKVPaperSize::Default);
    p->SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(p->PaperWidth(), s.PaperLength());
    EXPECT_EQ(p->PaperLength(), s.PaperWidth());
    ASSERT_TRUE(s.PaperSupported(TKVPaperSize::Custom));
    p->SetPaperSize(TKVPaperSize::Custom);
    p->SetPaperWidth(1000);
    p->SetPaperLength(1500);
    EXPECT_EQ(p->PaperWidth(), 1500);
    EXPECT_EQ(p->PaperLength(), 1000);
    p->SetOrientation(TPrinterOrientation::poPortrait);
    EXPECT_EQ(p->PaperWidth(), 1000);
    EXPECT_EQ(p->PaperLength(), 1500);
}

TEST_F(KVPrinterTest, PaperSettersAreGuarded)
{
    auto p = Make();
    TPrinterSettings& s = p->PrinterSettings();
    std::vector<TPaperInfo> onlyA4{{DMPAPER_A4, QStringLiteral("A4"), 2100, 2970}};
    s.ReadPaperList(onlyA4);
    s.SetPaperSize(TKVPaperSize::Letter);
    EXPECT_EQ(s.PaperSize(), TKVPaperSize::A4) << "a size the printer does not list is not taken";
    s.SetPaperSize(TKVPaperSize::Default);
    EXPECT_EQ(s.PaperSize(), TKVPaperSize::Default) << "Default is always taken";
    const int width = s.PaperWidth();
    s.SetPaperWidth(width + 123);
    s.SetPaperLength(77);
    EXPECT_EQ(s.PaperWidth(), width) << "a custom width is taken only for Custom";
    s.SetPaperSize(TKVPaperSize::Custom);
    EXPECT_EQ(s.PaperSize(), TKVPaperSize::Default) << "Custom is not listed";
}

TEST(KVPrinterSettings, PaperListIsReadWhateverItsLength)
{
    TPrinterSettings s;
    // Far more entries than a driver usually reports, with the first and last standard sizes at
    // the end of the list.
    std::vector<TPaperInfo> papers;
    for (int n = 0; n < 300; ++n)
        papers.push_back({DMPAPER_USER + 1 + n, QStringLiteral("Form %1").arg(n), 1000, 1000});
    papers.push_back({static_cast<int>(TKVPaperSize::ESheet), QStringLiteral("E"), 0, 0});
    papers.push_back({DMPAPER_LETTER, QStringLiteral("Letter"), 2159, 2794});
    s.ReadPaperList(papers);
    // The small letter is the letter paper.
    const auto codeOf = [](TKVPaperSize paper) {
        switch (paper) {
        case TKVPaperSize::Letter: case TKVPaperSize::LetterSmall: return DMPAPER_LETTER;
        case TKVPaperSize::ESheet: return static_cast<int>(TKVPaperSize::ESheet);
        default: return 0;
        }
    };
    for (int size = 0; size <= static_cast<int>(TKVPaperSize::Custom); ++size) {
        const auto paper = static_cast<TKVPaperSize>(size);
        EXPECT_EQ(s.PaperSupported(paper), codeOf(paper) != 0) << size;
        if (codeOf(paper))
            EXPECT_EQ(s.PrinterPaperCode(paper), codeOf(paper)) << size;
    }
    // A printer that also takes any size makes every other paper at its size.
    papers.push_back({DMPAPER_USER, QStringLiteral("Custom"), 0, 0});
    s.ReadPaperList(papers);
    for (int size = 1; size <= static_cast<int>(TKVPaperSize::Custom); ++size) {
        const auto paper = static_cast<TKVPaperSize>(size);
        EXPECT_TRUE(s.PaperSupported(paper)) << size;
        EXPECT_EQ(s.PrinterPaperCode(paper), codeOf(paper) ? codeOf(paper) : DMPAPER_USER) << size;
    }
    // A new list replaces the old one.
    s.ReadPaperList({{DMPAPER_A4, QStringLiteral("A4"), 2100, 2970}});
    EXPECT_TRUE(s.PaperSupported(TKVPaperSize::A4));
    EXPECT_FALSE(s.PaperSupported(TKVPaperSize::Letter));
    EXPECT_FALSE(s.PaperSupported(TKVPaperSize::Custom));
}

// A paper of the list is taken for a size by its size: the same number with another size is
// another paper, and another number with the same size is the same one.
TEST(KVPrinterSettings, PapersAreKnownByTheirSize)
{
    struct Case {
        const char* Name;
        std::vector<TPaperInfo> Papers;
        TKVPaperSize Size;
        int Code; // 0: not supported
    };
    const TPaperInfo archC{24, QStringLiteral("Architect C"), 4572, 6096};
    const TPaperInfo tabloid{3, QStringLiteral("Tabloid"), 2794, 4318};
    const TPaperInfo any{DMPAPER_USER, QStringLiteral("Custom"), 0, 0};
    const Case cases[] = {
        {"C sheet on a printer with the architectural C only", {archC}, TKVPaperSize::CSheet, 0},
        {"C sheet made at its size", {archC, any}, TKVPaperSize::CSheet, DMPAPER_USER},
        {"11 x 17 in on the tabloid paper", {tabloid}, TKVPaperSize::zt11X17, 3},
        {"the same number and size", {tabloid, any}, TKVPaperSize::Tabloid, 3},
        {"a size kept in whole points", {{9, QStringLiteral("A4"), 2101, 2969}}, TKVPaperSize::A4, 9},
        {"hundredths of the table", {{22, QStringLiteral("Env12"), 1207, 2794}}, TKVPaperSize::Env12, 22},
        {"note is not letter", {{1, QStringLiteral("Letter"), 2159, 2794}}, TKVPaperSize::Note, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrinterSettings s;
        TDeviceMode read;
        read.Fields = DM_PAPERSIZE | DM_ORIENTATION;
        s.ReadDeviceMode(read);
        s.ReadPaperList(c.Papers);
        EXPECT_EQ(s.PaperSupported(c.Size), c.Code != 0);
        if (!c.Code)
            continue;
        EXPECT_EQ(s.PrinterPaperCode(c.Size), c.Code);
        s.SetPaperSize(c.Size);
        TDeviceMode written;
        s.WriteDeviceMode(written);
        EXPECT_EQ(written.PaperSize, c.Code);
        // A custom paper goes with the size the report lays out, as it is fed.
        EXPECT_EQ((written.Fields & (DM_PAPERWIDTH | DM_PAPERLENGTH)) != 0, c.Code == DMPAPER_USER);
        if (c.Code == DMPAPER_USER) {
            EXPECT_EQ(written.PaperWidth, 4318);
            EXPECT_EQ(written.PaperLength, 5588);
        }
    }
}

TEST_F(KVPrinterTest, ThePdfPrinterTakesEveryPaper)
{
    // The PDF printer makes any size: every paper is supported, through its own paper of the
    // number where that has the size, else as a custom size.
    auto p = Make();
    const TPrinterSettings& s = p->PrinterSettings();
    for (int size = 1; size <= static_cast<int>(TKVPaperSize::Custom); ++size) {
        const auto paper = static_cast<TKVPaperSize>(size);
        EXPECT_TRUE(s.PaperSupported(paper)) << size;
        const int code = s.PrinterPaperCode(paper);
        if (code == DMPAPER_USER)
            continue;
        bool listed = false;
        for (const TPaperInfo& info : FPlatform->Papers())
            listed = listed || (info.Number == code && std::abs(info.Width - PaperWidthMM(paper) * 10) <= 1 &&
                                std::abs(info.Length - PaperLengthMM(paper) * 10) <= 1);
        EXPECT_TRUE(listed) << size;
    }
    EXPECT_EQ(s.PrinterPaperCode(TKVPaperSize::A4), DMPAPER_A4);
    EXPECT_EQ(s.PrinterPaperCode(TKVPaperSize::CSheet), DMPAPER_USER);
    EXPECT_GT(s.PixelsPerInchX(), 0);
    EXPECT_EQ(s.Device(), TPrinter::PdfPrinterName);
}

TEST(KVPrinterSettings, BinCodes)
{
    struct Case {
        TKVBin Bin;
        int Code;
    };
    const Case toCode[] = {{TKVBin::First, 1}, {TKVBin::Upper, 1}, {TKVBin::Lower, 2}, {TKVBin::Middle, 3},
                           {TKVBin::Manual, 4}, {TKVBin::Envelope, 5}, {TKVBin::EnvManual, 6}, {TKVBin::Auto, 7},
                           {TKVBin::Tractor, 8}, {TKVBin::SmallFormat, 9}, {TKVBin::LargeFormat, 10},
                           {TKVBin::LargeCapacity, 11}, {TKVBin::Cassette, 14}, {TKVBin::Last, 14}};
    for (const Case& c : toCode)
        EXPECT_EQ(BinCode(c.Bin), c.Code) << static_cast<int>(c.Bin);
    const Case fromCode[] = {{TKVBin::First, 1}, {TKVBin::Lower, 2}, {TKVBin::Auto, 7}, {TKVBin::LargeCapacity, 11},
                             {TKVBin::Cassette, 14}, {TKVBin::First, 12}, {TKVBin::First, 15}, {TKVBin::First, 0}};
    for (const Case& c : fromCode)
        EXPECT_EQ(BinOfCode(c.Code), c.Bin) << c.Code;
}

TEST(KVPrinterSettings, DeviceModeIsReadAndWrittenBackByField)
{
    struct Case {
        const char* Name;
        unsigned Fields;
        int Duplex;
        bool ExpectDuplex;
        int WrittenDuplex; // 0: the field is not written
    };
    const unsigned all = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE;
    const Case cases[] = {
        {"long edge stays long edge", all | DM_DUPLEX, DMDUP_VERTICAL, true, DMDUP_VERTICAL},
        {"short edge stays short edge", all | DM_DUPLEX, DMDUP_HORIZONTAL, true, DMDUP_HORIZONTAL},
        {"simplex", all | DM_DUPLEX, DMDUP_SIMPLEX, false, 0},
        {"no duplex unit", all, DMDUP_VERTICAL, false, 0},
    };
    for (const Case& c : cases) {
        TPrinterSettings s;
        TDeviceMode read;
        read.Fields = c.Fields;
        read.Duplex = c.Duplex;
        read.Copies = 3;
        read.DefaultSource = DMBIN_CASSETTE;
        read.PaperSize = DMPAPER_LETTER;
        s.ReadDeviceMode(read);
        EXPECT_EQ(s.Duplex(), c.ExpectDuplex) << c.Name;
        EXPECT_EQ(s.Copies(), 3) << c.Name;
        EXPECT_EQ(s.OutputBin(), TKVBin::Cassette) << c.Name;
        EXPECT_EQ(s.PaperSize(), TKVPaperSize::Letter) << c.Name;

        s.SetCopies(2);
        s.SetOrientation(TPrinterOrientation::poLandscape);
        TDeviceMode written;
        s.WriteDeviceMode(written);
        EXPECT_EQ((written.Fields & DM_DUPLEX) != 0, c.WrittenDuplex != 0) << c.Name;
        if (c.WrittenDuplex)
            EXPECT_EQ(written.Duplex, c.WrittenDuplex) << c.Name;
        EXPECT_EQ(written.Copies, 2) << c.Name;
        EXPECT_EQ(written.Orientation, DMORIENT_LANDSCAPE) << c.Name;
        EXPECT_EQ(written.DefaultSource, DMBIN_CASSETTE) << c.Name;
        EXPECT_EQ(written.PaperSize, DMPAPER_LETTER) << c.Name;
        EXPECT_EQ(written.Fields & (DM_PAPERLENGTH | DM_PAPERWIDTH), 0u) << c.Name;
    }

    // A printer that honours none of the fields keeps the settings' defaults and is written none.
    TPrinterSettings s;
    TDeviceMode bare;
    bare.Copies = 5;
    s.ReadDeviceMode(bare);
    s.SetCopies(4);
    s.SetOutputBin(TKVBin::Manual);
    EXPECT_EQ(s.Copies(), 1);
    EXPECT_EQ(s.OutputBin(), TKVBin::First);
    EXPECT_EQ(s.PaperSize(), TKVPaperSize::Default);
    TDeviceMode written;
    s.WriteDeviceMode(written);
    EXPECT_EQ(written.Fields, 0u);
}

// ---- a run -------------------------------------------------------------------------------------

TEST_F(KVPrinterTest, CallsOutsideARunAreRefused)
{
    auto p = Make();
    try {
        p->NewPage();
        FAIL() << "NewPage before BeginDoc";
    } catch (const EKVError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Illegal call to NewPage"));
    }
    EXPECT_EQ(p->GetPage(1), nullptr);
    // Ending or aborting a run that never began ends nothing.
    p->EndDoc();
    p->Abort();
    EXPECT_EQ(p->Status(), kvpsReady);
    Record(*p, 1);
    EXPECT_THROW(p->NewPage(), EKVError) << "after EndDoc";
    EXPECT_EQ(p->Status(), kvpsFinished);
}

TEST_F(KVPrinterTest, ARefusedStartLeavesTheRunningJobAsItWas)
{
    auto p = Make();
    p->BeginDoc();
    p->NewPage();
    DrawPage(*p, 1);
    p->NewPage();
    p->Cancel();
    try {
        p->BeginDoc();
        FAIL() << "BeginDoc twice";
    } catch (const EKVError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("ZTPrinter not ready"));
    }
    EXPECT_TRUE(p->Cancelled()) << "the running job must still see its cancel";
    EXPECT_EQ(p->Status(), kvpsBusy);
    EXPECT_EQ(p->AvailablePages(), 1);
    EXPECT_EQ(p->PageCount(), 2);
    EXPECT_NE(p->Canvas(), nullptr);
    EXPECT_TRUE(p->GetPage(1));
    EXPECT_FALSE(p->GetPage(2)) << "the page being drawn is not recorded yet";
    p->Abort();
    EXPECT_EQ(p->Status(), kvpsFinished);
    EXPECT_EQ(p->PageCount(), 2);
    EXPECT_TRUE(p->GetPage(2)) << "Abort keeps the open page";
}

TEST_F(KVPrinterTest, RecordedPagesPlayBackAsTheyWereDrawn)
{
    auto p = Make();
    Record(*p, 2);
    ASSERT_EQ(p->PageCount(), 2);
    EXPECT_EQ(p->GetPage(0), nullptr);
    EXPECT_EQ(p->GetPage(3), nullptr);

    const int w = p->XSize(p->PaperWidth());
    const int h = p->YSize(p->PaperLength());
    std::vector<QImage> played;
    for (int n = 1; n <= 2; ++n) {
        // The page drawn straight onto an image at the screen resolution...
        QImage direct = White(w, h);
        {
            QPainter painter(&direct);
            TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, w, h});
            DrawPageOn(canvas, *p, n);
        }
        // ...and the recorded page played back onto one.
        const std::unique_ptr<TMetafile> page = p->GetPage(n);
        ASSERT_TRUE(page) << n;
        QImage back = White(w, h);
        {
            QPainter painter(&back);
            TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, w, h});
            page->Play(canvas, TRect{0, 0, w, h});
        }
        EXPECT_GT(CountInk(direct), 500) << n;
        EXPECT_LE(CountDifferent(direct, back), CountInk(direct) / 50) << n;
        played.push_back(back);
    }
    EXPECT_GT(CountDifferent(played[0], played[1]), 500) << "each page is its own";
}

TEST_F(KVPrinterTest, TheClientIsToldOfProgressAndFinishedPages)
{
    std::unique_ptr<TComponent, TComponentDeleter> owner(new TComponent(nullptr));
    auto* client = new TWinControl(owner.get());
    std::vector<std::pair<unsigned, std::intptr_t>> got;
    client->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_USER || m.Msg == WM_USER + 1) {
            EXPECT_EQ(m.LParam, 0);
            got.emplace_back(m.Msg, m.WParam);
        }
    };
    auto p = Make();
    p->SetClient(client);
    p->BeginDoc();
    for (int n = 1; n <= 3; ++n) {
        p->NewPage();
        p->SetProgress(n * 30);
    }
    p->EndDoc();
    EXPECT_TRUE(got.empty()) << "messages are posted, not sent";
    QCoreApplication::processEvents();
    const std::vector<std::pair<unsigned, std::intptr_t>> expected{
        {WM_USER, 30}, {WM_USER + 1, 1}, {WM_USER, 60}, {WM_USER + 1, 2}, {WM_USER, 90}, {WM_USER + 1, 3}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(p->AvailablePages(), 3);
    EXPECT_EQ(p->Progress(), 90);

    // A run that made no page announces none.
    got.clear();
    p->Cleanup();
    p->BeginDoc();
    p->EndDoc();
    QCoreApplication::processEvents();
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(p->AvailablePages(), 0);
}

TEST_F(KVPrinterTest, ClosingThePreviewCancelsTheRunAndTellsTheReport)
{
    auto p = Make();
    int calls = 0;
    p->AfterPreview = [&](TObject* sender) {
        EXPECT_EQ(sender, p.get());
        ++calls;
        throw EKVError(QStringLiteral("handler failed"));
    };
    p->SetShowingPreview(true);
    EXPECT_EQ(calls, 0);
    p->BeginDoc();
    EXPECT_THROW(p->SetShowingPreview(false), EKVError);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(p->ShowingPreview()) << "stored although the event raised";
    EXPECT_TRUE(p->Cancelled());
    p->SetShowingPreview(false);
    EXPECT_EQ(calls, 1) << "only a preview that was showing closes";
    p->Cleanup();
    EXPECT_EQ(p->Status(), kvpsReady);
    EXPECT_EQ(p->PageStream(), nullptr);
}

// ---- on the printer ----------------------------------------------------------------------------

TEST_F(KVPrinterTest, ATwoPageDocumentReadsBackFromThePdf)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    auto p = Make();
    p->SetDestination(kvpdPrinter);
    p->SetTitle(QStringLiteral("Etiquetas"));
    int afterPrint = 0;
    p->AfterPrint = [&](TObject* sender) {
        EXPECT_EQ(sender, p.get());
        ++afterPrint;
    };
    p->BeginDoc();
    p->NewPage();
    DrawLabel(*p->Canvas(), p->XPos(200), p->YPos(300), QStringLiteral("Primeira"));
    p->NewPage();
    DrawLabel(*p->Canvas(), p->XPos(1000), p->YPos(1500), QStringLiteral("Segunda"));
    p->EndDoc();
    EXPECT_EQ(p->Status(), kvpsFinished);
    EXPECT_EQ(afterPrint, 1);
    EXPECT_EQ(p->GetPage(1), nullptr) << "pages on the printer are not recorded";

    const std::vector<PdfWord> words = PdfWords(FPlatform->PdfFileName());
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].Page, 1);
    EXPECT_EQ(words[0].Text, QStringLiteral("Primeira"));
    EXPECT_NEAR(words[0].XMin, Points(200), 2.0);
    EXPECT_NEAR(words[0].YMin, Points(300), 4.0);
    EXPECT_EQ(words[1].Page, 2);
    EXPECT_EQ(words[1].Text, QStringLiteral("Segunda"));
    EXPECT_NEAR(words[1].XMin, Points(1000), 2.0);
    EXPECT_NEAR(words[1].YMin, Points(1500), 4.0);
}

TEST_F(KVPrinterTest, OnlyPagesInTheRangeReachThePrinter)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    struct Case {
        int First, Last;
        QStringList Expected; // empty: no job at all
    };
    const Case cases[] = {
        {0, 0, {"Pagina1", "Pagina2", "Pagina3", "Pagina4", "Pagina5"}},
        {2, 3, {"Pagina2", "Pagina3"}},
        {4, 0, {"Pagina4", "Pagina5"}},
        {0, 1, {"Pagina1"}},
        {6, 0, {}},
    };
    for (const Case& c : cases) {
        const QString file = Path(QStringLiteral("range-%1-%2.pdf").arg(c.First).arg(c.Last));
        FPlatform->SetPdfFileName(file);
        auto p = Make();
        p->SetDestination(kvpdPrinter);
        p->SetFirstPage(c.First);
        p->SetLastPage(c.Last);
        p->BeginDoc();
        for (int n = 1; n <= 5; ++n) {
            p->NewPage();
            DrawPage(*p, n);
        }
        p->EndDoc();
        EXPECT_EQ(p->Status(), kvpsFinished);
        EXPECT_EQ(p->PageCount(), 5);
        EXPECT_FALSE(FPlatform->Printing());
        if (c.Expected.isEmpty()) {
            EXPECT_FALSE(QFile::exists(file)) << "no page, no job";
            continue;
        }
        QStringList texts;
        int lastPage = 0;
        for (const PdfWord& w : PdfWords(file))
            if (w.Text.startsWith(QStringLiteral("Pagina"))) {
                texts << w.Text;
                EXPECT_EQ(w.Page, ++lastPage);
            }
        EXPECT_EQ(texts, c.Expected) << c.First << ".." << c.Last;
    }
}

TEST_F(KVPrinterTest, ARunDroppedHalfWayReleasesThePrinter)
{
    const QString file = Path(QStringLiteral("dropped.pdf"));
    FPlatform->SetPdfFileName(file);
    for (const bool destroy : {false, true}) {
        auto p = Make();
        p->SetDestination(kvpdPrinter);
        p->BeginDoc();
        p->NewPage();
        DrawPage(*p, 1);
        ASSERT_TRUE(FPlatform->Printing());
        if (destroy) {
            p.reset();
        } else {
            p->Cleanup();
            EXPECT_TRUE(p->Cancelled());
            EXPECT_EQ(p->Status(), kvpsReady);
        }
        EXPECT_FALSE(FPlatform->Printing()) << destroy;
        EXPECT_FALSE(QFile::exists(file)) << destroy;
    }
}

TEST_F(KVPrinterTest, RecordedPagesPrintAndACancelStopsThePrint)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    auto p = Make();
    p->BeginDoc();
    p->NewPage();
    DrawPage(*p, 1);
    p->NewPage();
    DrawPage(*p, 2);
    p->NewPage();
    DrawPage(*p, 3);
    p->Cancel(); // the run stops here, keeping its three pages
    p->Abort();
    ASSERT_EQ(p->PageCount(), 3);

    const QString file = Path(QStringLiteral("recorded.pdf"));
    FPlatform->SetPdfFileName(file);
    p->Print();
    QStringList texts;
    for (const PdfWord& w : PdfWords(file))
        texts << QStringLiteral("%1:%2").arg(w.Page).arg(w.Text);
    EXPECT_EQ(texts, (QStringList{"1:Pagina1", "2:Pagina2", "3:Pagina3"}));

    // A cancel arriving while the pages are printed aborts the job: no file.
    const QString cancelled = Path(QStringLiteral("cancelled.pdf"));
    FPlatform->SetPdfFileName(cancelled);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { p->Cancel(); }, Qt::QueuedConnection);
    p->Print();
    EXPECT_FALSE(QFile::exists(cancelled));
    EXPECT_FALSE(FPlatform->Printing());

    // With OnPrint the report prints itself.
    int runs = 0;
    p->OnPrint = [&] { ++runs; };
    p->Print();
    EXPECT_EQ(runs, 1);
}

// ---- saved-preview files -----------------------------------------------------------------------

TEST_F(KVPrinterTest, ASavedPreviewLoadsBackWithItsPaper)
{
    struct Case {
        TPrinterOrientation Orientation;
        bool Compressed;
    };
    const Case cases[] = {{TPrinterOrientation::poPortrait, false},
                          {TPrinterOrientation::poLandscape, true}};
    for (const Case& c : cases) {
        auto p = Make();
        p->SetOrientation(c.Orientation);
        p->SetCompression(c.Compressed);
        Record(*p, 3);
        const QString file = Path(QStringLiteral("saved.VKR"));
        p->Save(file);

        auto q = Make();
        q->SetPaperSize(TKVPaperSize::Letter);
        q->SetOrientation(c.Orientation == TPrinterOrientation::poPortrait ? TPrinterOrientation::poLandscape
                                                                           : TPrinterOrientation::poPortrait);
        q->OnPrint = [] {};
        q->OnPrintSetup = [] {};
        q->OnExportToFilter = [](TKVExportFilter*) {};
        q->OnPreview = [](TObject*) {};
        q->Load(file);
        EXPECT_EQ(q->Status(), kvpsFinished);
        EXPECT_EQ(q->PageCount(), 3);
        EXPECT_EQ(q->PageList().Compression(), c.Compressed);
        for (int n = 1; n <= 3; ++n)
            EXPECT_EQ(q->GetPage(n)->Data(), p->GetPage(n)->Data()) << n;
        // A4 and A4Small have one size; the later in the table wins when the printer lists it.
        const TKVPaperSize expected = q->PrinterSettings().PaperSupported(TKVPaperSize::A4Small)
                                          ? TKVPaperSize::A4Small
                                          : TKVPaperSize::A4;
        EXPECT_EQ(q->PaperSize(), expected);
        EXPECT_EQ(q->Orientation(), c.Orientation);
        EXPECT_FALSE(q->OnPrint);
        EXPECT_FALSE(q->OnPrintSetup);
        EXPECT_FALSE(q->OnExportToFilter);
        EXPECT_TRUE(q->OnPreview);
    }
}

TEST_F(KVPrinterTest, AnAbortedRecordingSavesAFileThatLoadsAsItWas)
{
    auto p = Make();
    p->BeginDoc();
    for (int n = 1; n <= 4; ++n) {
        p->NewPage();
        DrawPage(*p, n);
    }
    p->Abort();
    const QString file = Path(QStringLiteral("aborted.VKR"));
    p->Save(file);
    auto q = Make();
    q->Load(file);
    ASSERT_EQ(q->PageCount(), 4);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(q->GetPage(n)->Data(), p->GetPage(n)->Data()) << n;

    // Aborted before any page: a file without pages.
    auto r = Make();
    r->BeginDoc();
    r->Abort();
    r->Save(file);
    q->Load(file);
    EXPECT_EQ(q->PageCount(), 0);
    EXPECT_EQ(q->Status(), kvpsFinished);
}

TEST_F(KVPrinterTest, AFailedRunsPagesStayIncompleteUntilOtherPagesReplaceThem)
{
    std::unique_ptr<TComponent, TComponentDeleter> owner(new TComponent(nullptr));
    auto* client = new TWinControl(owner.get());
    int told = 0;
    client->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_USER + 2) {
            ++told;
            m.Result = 1; // the client showed the error
        }
    };
    const std::exception_ptr error = std::make_exception_ptr(EKVError(QStringLiteral("the data went away")));
    auto p = Make();
    p->BeginDoc();
    p->NewPage();
    DrawPage(*p, 1);
    p->Abort();
    EXPECT_FALSE(p->Incomplete());
    // Without a client nobody has shown the error.
    EXPECT_FALSE(p->Fail(error));
    EXPECT_TRUE(p->Incomplete());
    EXPECT_EQ(p->RunError(), error);
    const QString file = Path(QStringLiteral("parcial.VKR"));
    EXPECT_THROW(p->Save(file), EKVError);
    EXPECT_FALSE(QFile::exists(file));
    // The client hears of it at once, not through the queue.
    p->SetClient(client);
    EXPECT_TRUE(p->Fail(error));
    EXPECT_EQ(told, 1);
    p->SetClient(nullptr);

    // Whole pages loaded in their place are whole; so are the pages of the next run.
    auto whole = Make();
    Record(*whole, 2);
    const QString wholeFile = Path(QStringLiteral("inteiro.VKR"));
    whole->Save(wholeFile);
    p->Load(wholeFile);
    EXPECT_FALSE(p->Incomplete());
    p->Fail(error);
    p->Cleanup();
    EXPECT_FALSE(p->Incomplete());
}

TEST_F(KVPrinterTest, ALoadedPreviewSavesUnderItsOwnName)
{
    auto p = Make();
    Record(*p, 2);
    const QString file = Path(QStringLiteral("own.VKR"));
    p->Save(file);
    const QByteArray bytes = ReadFile(file);

    auto q = Make();
    q->Load(file);
    q->Save(file);
    EXPECT_EQ(ReadFile(file), bytes);
    EXPECT_EQ(q->GetPage(2)->Data(), p->GetPage(2)->Data()) << "the open file still reads";
    q->Load(file);
    EXPECT_EQ(q->PageCount(), 2);
}

TEST_F(KVPrinterTest, LoadAndSaveAreRefusedWhilePagesAreRecorded)
{
    auto saved = Make();
    Record(*saved, 1);
    const QString file = Path(QStringLiteral("other.VKR"));
    saved->Save(file);

    auto p = Make();
    p->BeginDoc();
    p->NewPage();
    DrawPage(*p, 1);
    p->NewPage();
    const QString target = Path(QStringLiteral("busy.VKR"));
    EXPECT_THROW(p->Save(target), EKVError);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_THROW(p->Load(file), EKVError);
    EXPECT_EQ(p->Status(), kvpsBusy);
    EXPECT_FALSE(p->Cancelled());
    DrawPage(*p, 2);
    p->EndDoc();
    ASSERT_EQ(p->PageCount(), 2);
    EXPECT_TRUE(p->GetPage(2));
    p->Save(target);
    EXPECT_TRUE(QFile::exists(target));
}

TEST_F(KVPrinterTest, ADamagedFileLeavesThePagesAsTheyWere)
{
    auto p = Make();
    Record(*p, 2);
    const QByteArray page2 = p->GetPage(2)->Data();
    const QString bad = Path(QStringLiteral("bad.VKR"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(300, 'x'));
    }
    EXPECT_THROW(p->Load(bad), Exception);
    EXPECT_THROW(p->Load(Path(QStringLiteral("missing.VKR"))), Exception);
    EXPECT_EQ(p->Status(), kvpsFinished);
    EXPECT_EQ(p->PageCount(), 2);
    EXPECT_EQ(p->GetPage(2)->Data(), page2);
}

TEST_F(KVPrinterTest, LoadingAnEmptyFileKeepsThePaper)
{
    auto empty = Make();
    empty->BeginDoc();
    empty->EndDoc();
    const QString file = Path(QStringLiteral("empty.VKR"));
    empty->Save(file);

    auto q = Make();
    q->SetPaperSize(TKVPaperSize::Letter);
    q->SetOrientation(TPrinterOrientation::poLandscape);
    q->Load(file);
    EXPECT_EQ(q->PageCount(), 0);
    EXPECT_EQ(q->PaperSize(), TKVPaperSize::Letter);
    EXPECT_EQ(q->Orientation(), TPrinterOrientation::poLandscape);
}

// ---- the paper of a loaded page --------------------------------------------------------------------

// A page as the screen recorded it: a whole number of pixels at dpi, read back in 0.1 mm.
long double AsRecorded(long double tenths, int dpi)
{
    return std::round(tenths * dpi / 254.0L) * 254.0L / dpi;
}

struct TGuessCase {
    const char* Name;
    long double Width, Length; // 0.1 mm
    std::vector<TKVPaperSize> Listed; // empty: every size
    std::optional<TKVPaperGuess> Expected;
};

TEST(KVGuessPaper, TheNearestListedPaperInEitherOrientation)
{
    using S = TKVPaperSize;
    const auto P = TPrinterOrientation::poPortrait;
    const auto L = TPrinterOrientation::poLandscape;
    const TGuessCase cases[] = {
        // A page is a pixel short of its paper or a pixel over.
        {"A5 at 96 dpi", AsRecorded(1480, 96), AsRecorded(2100, 96), {}, TKVPaperGuess{S::A5, P}},
        {"A5 at 72 dpi", AsRecorded(1480, 72), AsRecorded(2100, 72), {}, TKVPaperGuess{S::A5, P}},
        {"A3 landscape", AsRecorded(4200, 96), AsRecorded(2970, 96), {}, TKVPaperGuess{S::A3, L}},
        // Papers of one size: the later in the table, when listed.
        {"A4, A4Small listed", 2100, 2970, {}, TKVPaperGuess{S::A4Small, P}},
        {"A4 only", 2100, 2970, {S::A4, S::Letter}, TKVPaperGuess{S::A4, P}},
        // The Tabloid sheet upright is Ledger turned and 11x17: whichever is chosen, it is that
        // sheet upright, never Ledger upright.
        {"Tabloid, all listed", 2794, 4318, {}, TKVPaperGuess{S::zt11X17, P}},
        {"Tabloid and Ledger", 2794, 4318, {S::Tabloid, S::Ledger}, TKVPaperGuess{S::Ledger, L}},
        {"Tabloid only", 2794, 4318, {S::Tabloid}, TKVPaperGuess{S::Tabloid, P}},
        {"Ledger upright, no Ledger", 4318, 2794, {S::Tabloid}, TKVPaperGuess{S::Tabloid, L}},
        // Letter and Note differ by 0.4 mm in length: the nearer one.
        {"Letter", AsRecorded(2159, 96), AsRecorded(2794, 96), {S::Letter, S::Note}, TKVPaperGuess{S::Letter, P}},
        {"Note", AsRecorded(2159, 96), AsRecorded(2790, 96), {S::Letter, S::Note}, TKVPaperGuess{S::Note, P}},
        {"Envelope #12", 1206.5L, 2794, {}, TKVPaperGuess{S::Env12, P}},
        {"C sheet landscape", 5588, 4318, {}, TKVPaperGuess{S::CSheet, L}},
        {"E sheet", AsRecorded(8636, 96), AsRecorded(11176, 96), {}, TKVPaperGuess{S::ESheet, P}},
        // A label page is no paper of the table; neither is a paper the printer does not list.
        {"label page", 1000, 500, {}, std::nullopt},
        {"A5 not listed", 1480, 2100, {S::A4}, std::nullopt},
        {"3 mm off", 2130, 2970, {}, std::nullopt},
    };
    for (const TGuessCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto listed = [&](TKVPaperSize size) {
            return c.Listed.empty() || std::find(c.Listed.begin(), c.Listed.end(), size) != c.Listed.end();
        };
        const std::optional<TKVPaperGuess> guess = KVGuessPaper(c.Width, c.Length, listed);
        ASSERT_EQ(guess.has_value(), c.Expected.has_value());
        if (!guess)
            continue;
        EXPECT_EQ(guess->Size, c.Expected->Size);
        EXPECT_EQ(guess->Orientation, c.Expected->Orientation);
    }
}

TEST_F(KVPrinterTest, ALoadedPageTakesItsPaperAndOrientationTogether)
{
    struct Case {
        TKVPaperSize Size;
        TPrinterOrientation Orientation;
        bool SameSize; // the very size, not just another paper of the sheet's shape
    };
    // The Tabloid sheet upright is also Ledger turned: it may load as either, but always with the
    // sheet's width and length, not as Ledger upright.
    const Case cases[] = {{TKVPaperSize::A5, TPrinterOrientation::poPortrait, true},
                          {TKVPaperSize::A3, TPrinterOrientation::poLandscape, true},
                          {TKVPaperSize::Tabloid, TPrinterOrientation::poPortrait, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Size));
        auto p = Make();
        p->SetPaperSize(c.Size);
        p->SetOrientation(c.Orientation);
        ASSERT_EQ(p->PaperSize(), c.Size);
        Record(*p, 1);
        const QString file = Path(QStringLiteral("paper.VKR"));
        p->Save(file);

        auto q = Make();
        q->SetPaperSize(TKVPaperSize::Letter);
        q->SetOrientation(c.Orientation == TPrinterOrientation::poPortrait ? TPrinterOrientation::poLandscape
                                                                           : TPrinterOrientation::poPortrait);
        q->Load(file);
        if (c.SameSize) {
            EXPECT_EQ(q->PaperSize(), c.Size);
            EXPECT_EQ(q->Orientation(), c.Orientation);
        }
        EXPECT_EQ(q->PaperWidth(), p->PaperWidth());
        EXPECT_EQ(q->PaperLength(), p->PaperLength());
    }
}

} // namespace
