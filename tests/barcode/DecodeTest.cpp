// Barcodes drawn on images at printer and screen resolutions, in every rotation, read back by two
// independent readers (zbarimg and ZXingReader); and the bars filled as one shape against the same
// bars filled one by one, on an image and on PDF paper.

#include "BarcodeTestUtil.h"

#include "barcode/LLBarcode.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace tessiv;

namespace {

struct DecodeCase {
    const char* Name;
    btCodeTypes Type;
    const char* Text;
    const char* Addon;
    btCodeRatio Ratio;
    // What a reader reports: the symbol's data, and the add-on's digits.
    const char* Data;
    const char* AddonData;
    // Reader symbology names.
    const char* ZbarType;
    const char* ZxingFormat;
    // ZXingReader's report when it differs from Data (it leaves out Codabar's start and stop).
    const char* ZxingData = nullptr;
};

const DecodeCase Cases[] = {
    {"ean8", EAN_8, "1234567", "", Ratio_3, "12345670", "", "EAN-8", "EAN-8"},
    {"ean13", EAN_13, "590123412345", "", Ratio_3, "5901234123457", "", "EAN-13", "EAN-13"},
    {"ean13_addon2", EAN_13, "978020137962", "12", Ratio_3, "9780201379624", "12", "EAN-13", "EAN-13"},
    {"ean13_addon5", EAN_13, "400638133393", "52495", Ratio_3, "4006381333931", "52495", "EAN-13", "EAN-13"},
    {"upca", UPC_A, "03600029145", "", Ratio_3, "036000291452", "", "UPC-A", "UPC-A"},
    {"upce", UPC_E, "123456", "", Ratio_3, "01234565", "", "UPC-E", "UPC-E"},
    {"code39", CODE39, "Tessiv-39 $", "", Ratio_3, "TESSIV-39 $", "", "CODE-39", "Code39"},
    {"code39r2", CODE39, "AB12", "", Ratio_2, "AB12", "", "CODE-39", "Code39"},
    {"i25", CODE25i, "123456789", "", Ratio_3, "1234567895", "", "I2/5", "ITF"},
    {"i25p", CODE25iP, "12345678901234", "", Ratio_2, "12345678901234", "", "I2/5", "ITF"},
    {"code128a", CODE128_A, "HELLO 128", "", Ratio_3, "HELLO 128", "", "CODE-128", "Code128"},
    {"code128b", CODE128_B, "Tessiv 42 ok", "", Ratio_3, "Tessiv 42 ok", "", "CODE-128", "Code128"},
    {"code128c", CODE128_C, "12345678901", "", Ratio_3, "12345678901", "", "CODE-128", "Code128"},
    {"codabar", Codabar, "A40156B", "", Ratio_3, "A40156B", "", "Codabar", "Codabar", "40156"},
};

constexpr btCodeRotate Rotations[] = {rotate_000, rotate_090, rotate_180, rotate_270};

QString FileName(const DecodeCase& Case, btCodeRotate Rotation)
{
    return QStringLiteral("%1_r%2.png").arg(QLatin1String(Case.Name)).arg(int(Rotation) * 90);
}

class DecodeTest : public ::testing::TestWithParam<int> {
protected:
    // Draws every case in every rotation at the parameter's resolution; file name -> case.
    void DrawAll()
    {
        ASSERT_TRUE(Dir.isValid());
        const int Dpi = GetParam();
        for (const DecodeCase& Case : Cases)
            for (const btCodeRotate Rotation : Rotations) {
                TLLBarcode Barcode;
                Barcode.Params().CodeType = Case.Type;
                Barcode.Params().SetText(Case.Text);
                Barcode.Params().SetAddon(Case.Addon);
                Barcode.Params().Ratio = Case.Ratio;
                Barcode.Params().Rotation = Rotation;
                // At screen resolution SC2 gives one-pixel modules, below what zbarimg resolves;
                // SC5 gives two.
                Barcode.Params().ModuleWidth = Dpi < 150 ? SC5 : SC2;
                // Readers want quiet zones; only EAN-13 and UPC-A bring their own.
                const int Margin = std::max(20, Dpi / 8);
                const QImage Image = bartest::DrawOnImage(Barcode, Dpi, Margin);
                const QString Path = Dir.filePath(FileName(Case, Rotation));
                ASSERT_TRUE(Image.save(Path)) << Path.toStdString();
                Files << Path;
            }
    }

    QTemporaryDir Dir;
    QStringList Files;
};

// zbarimg --xml: <source href='file'> ... <symbol type='EAN-13' ...><data><![CDATA[...]]></data>
std::map<QString, QStringList> ReadZbar(const QStringList& Files)
{
    QStringList Args{QStringLiteral("--xml"), QStringLiteral("-q"), QStringLiteral("-Sean2.enable"),
                     QStringLiteral("-Sean5.enable"), QStringLiteral("-Supca.enable"),
                     QStringLiteral("-Supce.enable"), QStringLiteral("-Sean8.enable")};
    Args << Files;
    const QString Xml = QString::fromUtf8(bartest::Run(QStringLiteral("zbarimg"), Args));
    std::map<QString, QStringList> Result;
    static const QRegularExpression Source(QStringLiteral("<source href='([^']*)'>(.*?)</source>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression Symbol(
        QStringLiteral("<symbol type='([^']*)'[^>]*>.*?<data><!\\[CDATA\\[(.*?)\\]\\]></data>"),
        QRegularExpression::DotMatchesEverythingOption);
    for (auto S = Source.globalMatch(Xml); S.hasNext();) {
        const auto M = S.next();
        QStringList& Found = Result[QFileInfo(M.captured(1)).fileName()];
        for (auto Y = Symbol.globalMatch(M.captured(2)); Y.hasNext();) {
            const auto N = Y.next();
            Found << N.captured(1) + QLatin1Char(':') + N.captured(2);
        }
    }
    return Result;
}

// ZXingReader -1: "file Format text" per symbol, one line each.
std::map<QString, QStringList> ReadZxing(const QStringList& Files)
{
    // -noscale: this version aborts on an assertion when a downscaled pass finds the symbol again.
    QStringList Args{QStringLiteral("-1"), QStringLiteral("-noscale")};
    Args << Files;
    const QString Out = QString::fromUtf8(bartest::Run(QStringLiteral("ZXingReader"), Args));
    std::map<QString, QStringList> Result;
    for (const QString& Line : Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        Result[QFileInfo(Line.section(QLatin1Char(' '), 0, 0)).fileName()] << Line.section(QLatin1Char(' '), 1);
    return Result;
}

TEST_P(DecodeTest, ReadersSeeTheIntendedData)
{
    const bool HaveZbar = bartest::HaveProgram(QStringLiteral("zbarimg"));
    const bool HaveZxing = bartest::HaveProgram(QStringLiteral("ZXingReader"));
    if (!HaveZbar || !HaveZxing)
        GTEST_SKIP() << "zbarimg (zbar-tools) or ZXingReader (zxing-cpp-tools) is not installed";
    DrawAll();
    const auto Zbar = ReadZbar(Files);
    const auto Zxing = ReadZxing(Files);
    const auto Found = [](const std::map<QString, QStringList>& Results, const QString& Name) {
        const auto It = Results.find(Name);
        return It == Results.end() ? QStringList() : It->second;
    };
    for (const DecodeCase& Case : Cases)
        for (const btCodeRotate Rotation : Rotations) {
            const QString Name = FileName(Case, Rotation);
            const QString Data = QLatin1String(Case.Data);
            const QString Addon = QLatin1String(Case.AddonData);

            const QStringList ZbarSays = Found(Zbar, Name);
            EXPECT_TRUE(ZbarSays.contains(QLatin1String(Case.ZbarType) + QLatin1Char(':') + Data))
                << "zbarimg, " << Name.toStdString() << ": " << ZbarSays.join(QStringLiteral(" | ")).toStdString();
            if (!Addon.isEmpty())
                EXPECT_TRUE(ZbarSays.contains(QStringLiteral("EAN-%1:").arg(Addon.size()) + Addon))
                    << "zbarimg, " << Name.toStdString() << ": " << ZbarSays.join(QStringLiteral(" | ")).toStdString();

            QString ZxingData = Case.ZxingData ? QLatin1String(Case.ZxingData) : Data;
            if (!Addon.isEmpty())
                ZxingData += QLatin1Char(' ') + Addon;
            const QStringList ZxingSays = Found(Zxing, Name);
            EXPECT_TRUE(ZxingSays.contains(QLatin1String(Case.ZxingFormat) + QStringLiteral(" \"") + ZxingData +
                                           QLatin1Char('"')))
                << "ZXingReader, " << Name.toStdString() << ": "
                << ZxingSays.join(QStringLiteral(" | ")).toStdString();
        }
}

// The same drawing with every bar its own fill, as the canvas fills rectangles one at a time.
template <class Canvas>
class TBarByBar : public Canvas {
public:
    using Canvas::Canvas;

protected:
    void DevFillRects(const std::vector<TRect>& Rects, const TDcState& St) override
    {
        TCanvas::DevFillRects(Rects, St);
    }
};

// A PDF at 300 dpi with one page per barcode, each drawn at (Margin, Margin) on a canvas of type C.
template <class C>
void DrawPdf(const QString& Path, std::vector<TLLBarcode>& Barcodes, int Margin)
{
    QPdfWriter Pdf(Path);
    Pdf.setResolution(300);
    Pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A7), QPageLayout::Landscape, QMarginsF()));
    QPainter Painter(&Pdf);
    C Canvas(&Painter, TDeviceCaps{300, 300, Pdf.width(), Pdf.height()});
    for (std::size_t I = 0; I < Barcodes.size(); ++I) {
        if (I > 0)
            Pdf.newPage();
        TSize Drawn;
        Barcodes[I].DrawBarcode(Canvas, Margin, Margin, Drawn);
    }
}

TEST(OneShape, BarsFilledTogetherAreTheBarsFilledOneByOneAndStillRead)
{
    // Every symbology: the decoding cases, and those no reader here reads.
    struct TShapeCase {
        const char* Name;
        btCodeTypes Type;
        const char* Text;
        const char* Addon;
        const DecodeCase* Decoded; // what readers must find on paper; nil for none
    };
    std::vector<TShapeCase> Table;
    for (const DecodeCase& Case : Cases)
        Table.push_back({Case.Name, Case.Type, Case.Text, Case.Addon, &Case});
    Table.push_back({"msi", MSI_Plessey, "123456", "", nullptr});
    Table.push_back({"postnet", Postnet, "12345", "", nullptr});
    Table.push_back({"fim", Postnet_FIM, "A", "", nullptr});

    constexpr int Dpi = 300;
    constexpr int Margin = 60;
    std::vector<TLLBarcode> Barcodes(Table.size());
    for (std::size_t I = 0; I < Table.size(); ++I) {
        const TShapeCase& Case = Table[I];
        SCOPED_TRACE(Case.Name);
        TLLBarcode& Barcode = Barcodes[I];
        Barcode.Params().CodeType = Case.Type;
        Barcode.Params().SetText(Case.Text);
        Barcode.Params().SetAddon(Case.Addon);
        // Lengthwise and crosswise: the other two turns lay the bars out as these do.
        for (const btCodeRotate Rotation : {rotate_000, rotate_090}) {
            Barcode.Params().Rotation = Rotation;
            const QImage Together = bartest::DrawOnImage(Barcode, Dpi, Margin);
            QImage ByBar(Together.size(), QImage::Format_RGB32);
            ByBar.fill(Qt::white);
            {
                TBarByBar<TImageCanvas> Canvas(ByBar, Dpi);
                TSize Drawn;
                Barcode.DrawBarcode(Canvas, Margin, Margin, Drawn);
            }
            EXPECT_EQ(Together, ByBar.convertToFormat(Together.format())) << "rotation " << int(Rotation) * 90;
        }
        Barcode.Params().Rotation = rotate_000;
    }

    // On paper: both PDFs drawn at 300 dpi, page by page. pdftocairo, not pdftoppm: the latter's
    // rasteriser snaps the edges of a path that is a lone rectangle otherwise than those of a path
    // of several, so the same rectangles would differ by its choice, not by what the PDF holds.
    if (!bartest::HaveProgram(QStringLiteral("pdftocairo")) || !bartest::HaveProgram(QStringLiteral("zbarimg")))
        GTEST_SKIP() << "pdftocairo (poppler-utils) or zbarimg (zbar-tools) is not installed";
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    DrawPdf<TPainterCanvas>(Dir.filePath(QStringLiteral("together.pdf")), Barcodes, Margin);
    DrawPdf<TBarByBar<TPainterCanvas>>(Dir.filePath(QStringLiteral("bybar.pdf")), Barcodes, Margin);
    for (const char* Name : {"together", "bybar"})
        bartest::Run(QStringLiteral("pdftocairo"), {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-png"),
                                                  Dir.filePath(QLatin1String(Name) + QStringLiteral(".pdf")),
                                                  Dir.filePath(QLatin1String(Name))});
    // The pages are numbered with as many digits as the last one needs.
    const auto Page = [&](const char* Name, std::size_t I) {
        return Dir.filePath(QStringLiteral("%1-%2.png").arg(QLatin1String(Name)).arg(int(I) + 1, 2, 10, QLatin1Char('0')));
    };
    QStringList Together;
    for (std::size_t I = 0; I < Table.size(); ++I) {
        SCOPED_TRACE(Table[I].Name);
        const QImage A(Page("together", I)), B(Page("bybar", I));
        ASSERT_FALSE(A.isNull());
        EXPECT_EQ(A.convertToFormat(QImage::Format_RGB32), B.convertToFormat(QImage::Format_RGB32));
        Together << Page("together", I);
    }
    const auto Zbar = ReadZbar(Together);
    for (std::size_t I = 0; I < Table.size(); ++I) {
        const DecodeCase* Case = Table[I].Decoded;
        if (!Case)
            continue;
        const auto It = Zbar.find(QFileInfo(Together[int(I)]).fileName());
        const QStringList Says = It == Zbar.end() ? QStringList() : It->second;
        EXPECT_TRUE(Says.contains(QLatin1String(Case->ZbarType) + QLatin1Char(':') + QLatin1String(Case->Data)))
            << Table[I].Name << ": " << Says.join(QStringLiteral(" | ")).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Resolutions, DecodeTest, ::testing::Values(96, 203, 300, 600),
                         [](const auto& Info) { return std::to_string(Info.param) + "dpi"; });

} // namespace
