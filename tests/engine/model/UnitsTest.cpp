// Units of measure, the paper table, the locale defaults and the frame.
#include "ReportFixture.h"

#include "engine/model/KVFrame.h"
#include "engine/model/KVUnits.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"

#include <QImage>
#include <QLocale>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

class UnitsTest : public ::testing::Test {
protected:
    void SetUp() override { SetLocaleUsesInches(false); }
    void TearDown() override { SetLocaleUsesInches(false); }
};

TEST_F(UnitsTest, ConversionsOfEveryUnit)
{
    TReportDoc doc; // Arial 10
    TKVUnitBase u;
    u.SetParentReport(doc.Report);
    u.SetPPI(96);
    u.SetZoom(150);
    const long double v = 1234.5L;
    struct Case {
        TKVUnit Unit;
        bool Horizontal;
        long double Expected;
    } cases[] = {
        {kvunMM, true, v / 10},
        {kvunInches, false, v / 254},
        {kvunPixels, true, v / (254.0L / 96) * 150 / 100},
        {kvunCharacters, true, v / (10 / 2.54L * 0.56L) / 10},
        {kvunCharacters, false, v / (10 / 2.54L * 1.0078L) / 10},
        {kvunNative, false, v},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(UnitInfo().NameOf(c.Unit).toStdString());
        EXPECT_EQ(u.FromNative(c.Unit, c.Horizontal, v), c.Expected);
        // The inverse gives the native value back within the last bit of 80-bit arithmetic.
        const long double back = u.ToNative(c.Unit, c.Horizontal, c.Expected);
        EXPECT_NEAR(static_cast<double>(back), static_cast<double>(v), 1e-12);
    }
    EXPECT_EQ(u.ToNative(kvunPixels, true, 300), 254.0L / 96 * 300 / 150 * 100);
}

TEST_F(UnitsTest, CharacterCellOfTheReportFont)
{
    EXPECT_EQ(Round(CharacterWidth(10) * 10000), 22047);
    EXPECT_EQ(Round(CharacterHeight(10) * 10000), 39677);

    TReportDoc doc;
    TKVUnitBase u;
    u.SetParentReport(doc.Report);
    const long double at10 = u.FromNative(kvunCharacters, true, 500);
    doc.Report->Font()->SetSize(-10); // a negative size counts by its absolute value
    EXPECT_EQ(u.FromNative(kvunCharacters, true, 500), at10);
}

TEST_F(UnitsTest, ZeroFontSizeDoesNotDivideByZero)
{
    TReportDoc doc;
    TKVUnitBase u;
    u.SetParentReport(doc.Report);
    const long double at10 = u.FromNative(kvunCharacters, false, 500);
    doc.Report->Font()->SetHeight(0);
    ASSERT_EQ(doc.Report->Font()->Size(), 0);
    const long double atZero = u.FromNative(kvunCharacters, false, 500);
    EXPECT_TRUE(std::isfinite(static_cast<double>(atZero)));
    EXPECT_EQ(atZero, at10);
    EXPECT_EQ(u.ToNative(kvunCharacters, false, atZero), u.ToNative(kvunCharacters, false, at10));
}

TEST_F(UnitsTest, PaperTableInBothOrientations)
{
    struct Paper {
        TKVPaperSize Size;
        long double Width, Length;
    } papers[] = {
        {TKVPaperSize::Letter, 215.9L, 279.4L}, {TKVPaperSize::LetterSmall, 215.9L, 279.4L},
        {TKVPaperSize::Tabloid, 279.4L, 431.8L}, {TKVPaperSize::Ledger, 431.8L, 279.4L},
        {TKVPaperSize::Legal, 215.9L, 355.6L}, {TKVPaperSize::Statement, 139.7L, 215.9L},
        {TKVPaperSize::Executive, 190.5L, 254.0L}, {TKVPaperSize::A3, 297.0L, 420.0L},
        {TKVPaperSize::A4, 210.0L, 297.0L}, {TKVPaperSize::A4Small, 210.0L, 297.0L},
        {TKVPaperSize::A5, 148.0L, 210.0L}, {TKVPaperSize::B4, 250.0L, 354.0L},
        {TKVPaperSize::B5, 182.0L, 257.0L}, {TKVPaperSize::Folio, 215.9L, 330.2L},
        {TKVPaperSize::Quarto, 215.0L, 275.0L}, {TKVPaperSize::zt10X14, 254.0L, 355.6L},
        {TKVPaperSize::zt11X17, 279.4L, 431.8L}, {TKVPaperSize::Note, 215.9L, 279.0L},
        {TKVPaperSize::Env9, 98.43L, 225.4L}, {TKVPaperSize::Env10, 104.8L, 241.3L},
        // Envelope #12 is 4 3/4 x 11 in; the sheets are 17 x 22, 22 x 34 and 34 x 44 in.
        {TKVPaperSize::Env11, 114.3L, 263.5L}, {TKVPaperSize::Env12, 120.65L, 279.4L},
        {TKVPaperSize::Env14, 127.0L, 292.1L}, {TKVPaperSize::CSheet, 431.8L, 558.8L},
        {TKVPaperSize::DSheet, 558.8L, 863.6L}, {TKVPaperSize::ESheet, 863.6L, 1117.6L},
    };
    ASSERT_EQ(std::size(papers), 26u);
    TReportDoc doc;
    TKVPage* page = doc.Report->Page();
    page->SetUnits(kvunNative);
    for (const Paper& p : papers) {
        SCOPED_TRACE(PaperSizeInfo().NameOf(static_cast<int>(p.Size)).toStdString());
        EXPECT_EQ(PaperWidthMM(p.Size), p.Width);
        EXPECT_EQ(PaperLengthMM(p.Size), p.Length);
        page->SetOrientation(TPrinterOrientation::poPortrait);
        page->SetPaperSize(p.Size);
        EXPECT_EQ(page->PaperSize(), p.Size);
        EXPECT_EQ(page->NativeValue(TKVPage::kvWidth), p.Width * 10);
        EXPECT_EQ(page->NativeValue(TKVPage::kvLength), p.Length * 10);
        page->SetOrientation(TPrinterOrientation::poLandscape);
        EXPECT_EQ(page->NativeValue(TKVPage::kvWidth), p.Length * 10);
        EXPECT_EQ(page->NativeValue(TKVPage::kvLength), p.Width * 10);
    }
}

TEST_F(UnitsTest, PaperSizesThatKeepTheirDimensions)
{
    TReportDoc doc;
    TKVPage* page = doc.Report->Page();
    page->SetUnits(kvunMM);
    page->SetPaperSize(TKVPaperSize::A4);
    page->SetWidth(100); // a standard paper's size comes from the table
    page->SetLength(100);
    EXPECT_EQ(page->Width(), 210);
    EXPECT_EQ(page->Length(), 297);
    for (TKVPaperSize s : {TKVPaperSize::Default, TKVPaperSize::Custom}) {
        page->SetPaperSize(s);
        EXPECT_EQ(page->Width(), 210);
        EXPECT_EQ(page->Length(), 297);
    }
    page->SetWidth(100);
    EXPECT_EQ(page->Width(), 100);
    EXPECT_EQ(page->PaperSize(), TKVPaperSize::Custom);
}

TEST(UnitsLocale, OnlyTheUSSystemMeasuresInInches)
{
    const struct {
        const char* Locale;
        bool Inches;
    } cases[] = {{"en_US", true}, {"es_US", true}, {"en_GB", false}, {"pt_BR", false}, {"de_DE", false},
                 {"C", false}};
    for (const auto& c : cases)
        EXPECT_EQ(LocaleUsesInches(QLocale(QString::fromLatin1(c.Locale))), c.Inches) << c.Locale;
}

TEST_F(UnitsTest, LocaleDefaultsOfANewPage)
{
    struct Case {
        bool Inches;
        TKVUnit Units;
        long double Margin;
        long double NativeMargin;
    } cases[] = {{false, kvunMM, 10, 100}, {true, kvunInches, 0.5L, 127}};
    for (const Case& c : cases) {
        SetLocaleUsesInches(c.Inches);
        TKVPage page(nullptr);
        EXPECT_EQ(page.GetUnits(), c.Units);
        EXPECT_EQ(page.PaperSize(), c.Inches ? TKVPaperSize::Letter : TKVPaperSize::A4);
        for (int i : {TKVPage::kvTopMargin, TKVPage::kvBottomMargin, TKVPage::kvLeftMargin, TKVPage::kvRightMargin}) {
            EXPECT_EQ(page.Value(i), c.Margin);
            EXPECT_EQ(page.NativeValue(i), c.NativeMargin);
        }
        EXPECT_EQ(page.ColumnSpace(), 0);
        EXPECT_EQ(page.Columns(), 1);
        EXPECT_EQ(page.Lines(), 0);
        EXPECT_FALSE(page.AutomaticLines());
        EXPECT_TRUE(page.Ruler());
        EXPECT_EQ(page.Orientation(), TPrinterOrientation::poPortrait);
    }
}

TEST_F(UnitsTest, RefusedColumnsAndLines)
{
    TKVPage page(nullptr);
    page.SetColumns(0);
    page.SetLines(-3);
    page.SetLines(0);
    EXPECT_EQ(page.Columns(), 1);
    EXPECT_EQ(page.Lines(), 0);
    page.SetLines(4);
    EXPECT_EQ(page.Lines(), 4);
}

// Rows of the image that the frame painted black.
int BlackRows(const QImage& image, int x)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        n += image.pixelColor(x, y) == Qt::black;
    return n;
}

TEST_F(UnitsTest, FrameThicknessFollowsTheDevice)
{
    struct Case {
        int Width;
        long double Factor;
        int Rows;
    } cases[] = {
        {1, 600.0L / 254, 8},    // Round(1/72 x 600)
        {1, 0.01L, 1},           // rounds to 0: still one line
        {-1, 600.0L / 254, 1},   // -1: always one line
        {0, 600.0L / 254, 0},    // 0 draws nothing
        {-2, 600.0L / 254, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Width);
        QImage image(40, 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            TImageCanvas canvas(image);
            TKVFrame frame;
            frame.SetWidth(c.Width);
            frame.SetDrawTop(true);
            frame.PaintIt(canvas, Rect(0, 0, 40, 40), c.Factor, c.Factor);
            if (c.Rows > 0)
                EXPECT_EQ(canvas.Brush()->Style(), bsClear);
        }
        EXPECT_EQ(BlackRows(image, 20), c.Rows);
    }
}

} // namespace
