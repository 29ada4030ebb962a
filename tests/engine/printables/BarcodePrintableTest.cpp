// The barcode printable: where its value comes from and how it is filled, the writers' rules per
// symbology, where the barcode lands in its box at each rotation and alignment (on the design
// surface and on recorded pages), what an empty or unusable value does, and real prints on the PDF
// printer rasterised with pdftoppm and read back by zbarimg.

#include "ReportFixture.h"
#include "RunFixture.h"
#include "TextFixture.h"

#include "engine/printables/KVBarcode.h"
#include "engine/run/KVPrinter.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBTables.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/printing/Printer.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

static std::ostream& operator<<(std::ostream& os, const QRect& r)
{
    return os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

using namespace tessiv;
using namespace enginetest;

namespace {

// ---- helpers ------------------------------------------------------------------------------------

bool IsInk(QRgb c) { return qGray(c) < 128; }
bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80; }

QRect BoxOf(const QImage& img, const std::function<bool(QRgb)>& pass, QRect region = {})
{
    if (region.isNull())
        region = img.rect();
    region = region.intersected(img.rect());
    QRect box;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (pass(img.pixel(x, y)))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

QImage White(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// The settings that decide a barcode's bars, copied onto a lone barcode component.
void CopySettings(const TKVBarcode& from, TCustomBarcode& to)
{
    to.SetBar_CodeType(from.Bar_CodeType());
    to.SetBar_ModuleWidth(from.Bar_ModuleWidth());
    to.SetBar_Rotation(from.Bar_Rotation());
    to.SetBar_HumanReadable(from.Bar_HumanReadable());
    to.SetBar_HeightPercent(from.Bar_HeightPercent());
    to.SetBar_ZoomSize(true);
    to.SetBar_Caption(from.Barcode()->Bar_Caption());
}

// Where the same barcode's ink lies when drawn alone at (0, 0) on a device of these caps, and the
// size it reports there.
struct TReference {
    QRect Ink;
    TSize Size;
};
TReference Reference(const TKVBarcode& barcode, TDeviceCaps caps)
{
    const int margin = 400;
    QImage img = White(caps.Width, caps.Height);
    QPainter painter(&img);
    TPainterCanvas canvas(&painter, caps);
    TCustomBarcode alone(nullptr);
    CopySettings(barcode, alone);
    TSize size;
    alone.DrawBarcode(canvas, margin, margin, &size);
    painter.end();
    return {BoxOf(img, IsInk).translated(-margin, -margin), size};
}

// The placement table: for each rotation, the place for left, right and centre alignment of a
// barcode w x h in the box (l, t, r, b), cx and cy being the centred left and top.
QPoint Expected(btCodeRotate rot, TAlignment align, int l, int t, int r, int b, int w, int h, int cx, int cy)
{
    const QPoint rows[4][3] = {
        {{l, t}, {r - w, t}, {cx, t}},     // rotate_000
        {{l, b - h}, {l, t}, {l, cy}},     // rotate_090
        {{r - w, t}, {l, t}, {cx, t}},     // rotate_180
        {{l, t}, {l, b - h}, {l, cy}},     // rotate_270
    };
    const int column = align == taLeftJustify ? 0 : align == taRightJustify ? 1 : 2;
    return rows[rot][column];
}

QImage PlayPage(TKVPrinter& printer, int n = 1)
{
    const int w = printer.XSize(printer.PaperWidth());
    const int h = printer.YSize(printer.PaperLength());
    QImage page = White(w, h);
    QPainter painter(&page);
    TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, w, h});
    if (const auto recorded = printer.GetPage(n))
        recorded->Play(canvas, TRect{0, 0, w, h});
    return page;
}

bool Have(const QString& program, const QString& arg)
{
    QProcess p;
    p.start(program, {arg});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit;
}

// A report whose detail band (60 mm) prints once per record, or once without data.
struct TBarcodeDoc {
    TRunDoc Doc;
    TKVBand* Detail;
    TKVBarcode* Code = nullptr;

    TBarcodeDoc() : Detail(Doc.Band(QStringLiteral("Detalhe"), rbDetail, 600)) {}

    // A barcode on the detail band, 0.1 mm: 100 from the left, 50 below the top, 500 by 400.
    TKVBarcode* Place()
    {
        Code = new TKVBarcode(Doc.Form.get());
        Code->SetName(QStringLiteral("Barras"));
        Code->SetParent(Detail);
        Code->Size()->SetUnits(kvunNative);
        Code->Size()->SetLeft(100);
        Code->Size()->SetTop(50);
        Code->Size()->SetWidth(500);
        Code->Size()->SetHeight(400);
        return Code;
    }

    void PrintToPdf(const QString& file)
    {
        TPrinter* platform = Doc.Report->PrivatePrinter();
        Doc.Report->PrinterSettings()->SetPrinterIndex(platform->Printers()->IndexOf(TPrinter::PdfPrinterName));
        platform->SetPdfFileName(file);
        Doc.Report->Print();
    }
};

// The symbols zbarimg reads on a PDF's first page rendered at 600 dots per inch ("EAN-8:00001236"),
// the top left 100 by 100 mm of it, where the barcode lies.
QStringList DecodePdf(const QString& pdf, const QString& dir)
{
    const QString prefix = dir + QStringLiteral("/pagina");
    const QString side = QString::number(100 * 600 * 10 / 254);
    const QStringList args{QStringLiteral("-r"), QStringLiteral("600"), QStringLiteral("-W"), side,
                           QStringLiteral("-H"), side, QStringLiteral("-png"), QStringLiteral("-singlefile"),
                           pdf, prefix};
    if (QProcess::execute(QStringLiteral("pdftoppm"), args)
        != 0)
        return {QStringLiteral("pdftoppm failed")};
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), prefix + QStringLiteral(".png")});
    zbar.waitForFinished(60000);
    QStringList lines = QString::fromUtf8(zbar.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines;
}

// ---- PadLeft --------------------------------------------------------------------------------------

TEST(PadLeft, FillsInFrontWholeFillsAndNeverCuts)
{
    struct Case {
        const char* Text;
        const char* Fill;
        int Length;
        const char* Expected;
    };
    const Case cases[] = {
        {"123", "0", 7, "0000123"},
        {"123456789", "0", 7, "123456789"}, // longer than the length: as it was
        {"123", "ab", 6, "ababab123"},       // three fills of two characters overshoot the length
        {"", "0", 3, "000"},
        {"12", "0", 0, "12"},
        {"12", "0", -4, "12"},
        {"12", "", 9, "12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(PadLeft(QString::fromLatin1(c.Text), QString::fromLatin1(c.Fill), c.Length),
                  QString::fromLatin1(c.Expected));
    }
}

// ---- defaults and writers -------------------------------------------------------------------------

TEST(Barcode, ANewBarcodeIsAnEAN8OfModuleSC2ShowingItsText)
{
    TBarcodeDoc doc;
    TKVBarcode* b = doc.Place();
    TKVBarcode fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 69);
    EXPECT_EQ(fresh.Height(), 66);
    EXPECT_EQ(b->Bar_CodeType(), EAN_8);
    EXPECT_EQ(b->Bar_ModuleWidth(), SC2);
    EXPECT_EQ(b->Bar_Rotation(), rotate_000);
    EXPECT_EQ(b->Bar_Ratio(), Ratio_3);
    EXPECT_EQ(b->Bar_HeightPercent(), 100);
    EXPECT_TRUE(b->Bar_HumanReadable());
    EXPECT_FALSE(b->Bar_PrintEmpty());
    EXPECT_TRUE(b->Barcode()->Bar_ZoomSize());
    EXPECT_FALSE(b->Barcode()->Bar_HighDensity());
    EXPECT_EQ(b->Bar_Text(), QStringLiteral("1234"));
    EXPECT_EQ(b->TamanhoMaximo(), 7);
    EXPECT_EQ(b->Preenchimento(), QLatin1Char('0'));
    EXPECT_EQ(b->GetBarcodeValue(), QStringLiteral("0001234"));
    // The embedded barcode is owned, unparented and not among what a file stores.
    EXPECT_EQ(b->Barcode()->Owner(), b);
    EXPECT_EQ(b->Barcode()->Parent(), nullptr);
}

TEST(Barcode, TheCodeTypeBringsTheLengthOfTheEANAndUPCTypes)
{
    TKVBarcode b(nullptr);
    struct Case {
        btCodeTypes Type;
        int Length;
    };
    for (const Case c : {Case{EAN_13, 12}, Case{UPC_A, 11}, Case{UPC_E, 6}, Case{EAN_8, 7}}) {
        b.SetPreenchimento(QLatin1Char('x'));
        b.SetBar_CodeType(c.Type);
        EXPECT_EQ(b.TamanhoMaximo(), c.Length) << int(c.Type);
        EXPECT_EQ(b.Preenchimento(), QLatin1Char('0'));
        // Their length is kept whatever is written.
        b.SetTamanhoMaximo(20);
        EXPECT_EQ(b.TamanhoMaximo(), c.Length);
    }
    // Leaving them lifts the limit; another free type keeps what was set.
    b.SetBar_CodeType(EAN_13);
    b.SetBar_CodeType(CODE128_B);
    EXPECT_EQ(b.TamanhoMaximo(), 0);
    b.SetTamanhoMaximo(9);
    b.SetPreenchimento(QLatin1Char('*'));
    b.SetBar_CodeType(CODE39);
    EXPECT_EQ(b.TamanhoMaximo(), 9);
    EXPECT_EQ(b.Preenchimento(), QLatin1Char('*'));
    // A fill of #0 is kept as a blank.
    b.SetPreenchimento(QChar());
    EXPECT_EQ(b.Preenchimento(), QLatin1Char(' '));
    // The pass-through checks refuse and keep the value.
    EXPECT_THROW(b.SetBar_HeightPercent(201), EOverflow);
    EXPECT_EQ(b.Bar_HeightPercent(), 100);
    EXPECT_THROW(b.SetBar_FontScaling(19), EOverflow);
    EXPECT_EQ(b.Bar_FontScaling(), 100);
}

TEST(Barcode, EverySettingComesBackThroughTheFileAndThroughCopyFrom)
{
    TReportDoc doc;
    auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"));
    auto* b = new TKVBarcode(doc.Form.get());
    b->SetName(QStringLiteral("Barras"));
    b->SetParent(band);
    b->SetBar_CodeType(EAN_13);
    b->SetBar_CodeAddon(QStringLiteral("12"));
    b->SetBar_CodeType(CODE128_B);
    b->SetBar_Text(QStringLiteral("ABC"));
    b->SetBar_HeightPercent(150);
    b->SetBar_HumanReadable(false);
    b->SetBar_ModuleWidth(SC5);
    b->SetBar_Ratio(Ratio_2);
    b->SetBar_Rotation(rotate_270);
    b->SetBar_PrintEmpty(true);
    b->SetBar_Fontname(QStringLiteral("Courier"));
    b->SetBar_FontScaling(80);
    b->SetTamanhoMaximo(20);
    b->SetPreenchimento(QLatin1Char('x'));
    b->SetAutoSize(false);

    const auto same = [b](TKVBarcode* c) {
        EXPECT_EQ(c->Bar_Text(), QStringLiteral("ABC"));
        EXPECT_EQ(c->Bar_CodeType(), CODE128_B);
        EXPECT_EQ(c->Bar_CodeAddon(), QStringLiteral("12"));
        EXPECT_EQ(c->Bar_HeightPercent(), 150);
        EXPECT_FALSE(c->Bar_HumanReadable());
        EXPECT_EQ(c->Bar_ModuleWidth(), SC5);
        EXPECT_EQ(c->Bar_Ratio(), Ratio_2);
        EXPECT_EQ(c->Bar_Rotation(), rotate_270);
        EXPECT_TRUE(c->Bar_PrintEmpty());
        EXPECT_EQ(c->Bar_Fontname(), QStringLiteral("Courier"));
        EXPECT_EQ(c->Bar_FontScaling(), 80);
        EXPECT_EQ(c->TamanhoMaximo(), 20);
        EXPECT_EQ(c->Preenchimento(), QLatin1Char('x'));
        EXPECT_FALSE(c->AutoSize());
        EXPECT_EQ(c->GetBarcodeValue(), b->GetBarcodeValue());
    };

    // Copied into a barcode that starts as a new EAN-8.
    TKVBarcode copy(nullptr);
    copy.CopyFrom(b);
    same(&copy);

    const QByteArray text = ToText(doc.Form.get());
    EXPECT_TRUE(text.contains("Bar_Text = 'ABC'")) << text.constData();
    EXPECT_TRUE(text.contains("Preenchimento = 'x'")) << text.constData();
    EXPECT_FALSE(text.contains("Bar_Caption")) << text.constData();
    TFormPtr read = ReadRes(WriteRes(doc.Form.get()));
    auto* back = dynamic_cast<TKVBarcode*>(read->FindComponent(QStringLiteral("Barras")));
    ASSERT_NE(back, nullptr);
    same(back);
}

// ---- the value ------------------------------------------------------------------------------------

class BarcodeValueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Db.Make({QStringLiteral("CREATE TABLE ETIQUETAS (ID INTEGER, GRANDE INTEGER, CODIGO TEXT, "
                                            "PRECO REAL, LONGO TEXT, VAZIO TEXT)"),
                             QStringLiteral("INSERT INTO ETIQUETAS VALUES (123, 123456789, '00123', 12.5, "
                                            "'12345678901234567890', NULL)")}))
            << Db.Error.toStdString();
        Table = Db.AddTable(Doc.Doc, QStringLiteral("ETIQUETAS"));
        Code = Doc.Place();
    }

    // The design view of the barcode in a box of w x h pixels at the screen's resolution; a
    // drawn barcode takes its own height, so each paint starts from the same box.
    // The design view of the code placed at the size asked; a code sized to its symbol keeps the
    // symbol's size, and the picture is the control's.
    QImage PaintDesignView(int width, int height)
    {
        Code->SetBounds(0, 0, width, height);
        const int w = Code->Width(), h = Code->Height();
        QImage img = White(w, h);
        QPainter painter(&img);
        TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, w, h});
        EXPECT_NO_THROW(Code->Paint(canvas));
        painter.end();
        return img;
    }

    TTextDatabase Db;
    TBarcodeDoc Doc;
    TTable* Table = nullptr;
    TKVBarcode* Code = nullptr;
};

TEST_F(BarcodeValueTest, TheValueTable)
{
    struct Case {
        const char* Field; // empty: Bar_Text unbound
        const char* Text;
        btCodeTypes Type;
        QString Expected;
    };
    const Case cases[] = {
        // Numbers normalised, then filled to the EAN-8's seven digits or cut there.
        {"ID", "", EAN_8, QStringLiteral("0000123")},
        {"GRANDE", "", EAN_8, QStringLiteral("1234567")},
        {"PRECO", "", CODE128_B, FloatToStr(12.5L)},
        // Text columns keep their value whatever it looks like.
        {"CODIGO", "", CODE128_B, QStringLiteral("00123")},
        {"LONGO", "", CODE128_B, QStringLiteral("12345678901234567890")},
        {"VAZIO", "", CODE128_B, QString()},
        // Expressions: numbers through the format "0", texts as they are, an error gives the text.
        {"", "12.5", CODE128_B, FormatFloat(QStringLiteral("0"), 12.5L)},
        {"", "'AB' + 'C'", CODE128_B, QStringLiteral("ABC")},
        {"", "1 +", CODE128_B, QStringLiteral("1 +")},
        {"", "", EAN_13, QStringLiteral("000000000000")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Field) + "|" + c.Text);
        Code->SetBar_CodeType(c.Type);
        if (*c.Field) {
            Code->SetDataSet(Table);
            Code->SetDataField(QString::fromLatin1(c.Field));
            EXPECT_TRUE(Code->IsDataField());
        } else {
            Code->SetDataField(QString());
            EXPECT_FALSE(Code->IsDataField());
        }
        Code->SetBar_Text(QString::fromLatin1(c.Text));
        EXPECT_EQ(Code->GetBarcodeValue(), c.Expected);
    }
}

TEST_F(BarcodeValueTest, ALongValueIsRefusedInPrintAndMarkedInTheDesignView)
{
    Code->SetDataField(QString());
    Code->SetBar_CodeType(CODE128_B);
    const QString sixty = QString(60, QLatin1Char('7'));
    Code->SetBar_Text(QStringLiteral("'") + sixty + QStringLiteral("'"));
    EXPECT_EQ(Code->GetBarcodeValue(), sixty);
    // The caption holds at most 50 characters; the value is not cut to them for a print.
    EXPECT_EQ(Code->Barcode()->Bar_Caption(), sixty.left(50));
    Doc.Doc.Report->SetQuantidade(1);
    try {
        Doc.Doc.RunPreview();
        ADD_FAILURE() << "the print went on";
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("String exceeds maximum length"));
    }
    // The design view marks it as an error rather than show a code of its beginning.
    // The control keeps the size of the code of the caption's 50 characters; the mark crosses it.
    const QImage img = PaintDesignView(120, 80);
    EXPECT_FALSE(BoxOf(img, IsRed, QRect(img.width() / 2 - 1, img.height() / 2 - 1, 3, 3)).isEmpty());
    // TamanhoMaximo still cuts as documented.
    Code->SetTamanhoMaximo(10);
    EXPECT_EQ(Code->GetBarcodeValue(), sixty.left(10));
}

TEST_F(BarcodeValueTest, AValueItsSymbologyCannotHoldIsRefusedInPrintAndMarkedInTheDesignView)
{
    struct Case {
        btCodeTypes Type;
        const char* Text;
        const char* Message;
    };
    // Encoded with the letter as a 0 it would be another product's valid code.
    const Case cases[] = {
        {EAN_13, "'12A4'", "BarcoLL: EAN13 error"},
        {EAN_8, "'12 4'", "BarcoLL: EAN8 error"},
        {CODE39, "'A#1'", "BarcoLL: Code39 error"},
    };
    Code->SetDataField(QString());
    Doc.Doc.Report->SetQuantidade(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        Code->SetBar_CodeType(c.Type);
        // A value it can hold prints, and the design view shows its bars.
        Code->SetBar_Text(QStringLiteral("'1234'"));
        EXPECT_NO_THROW(Doc.Doc.RunPreview());
        EXPECT_TRUE(BoxOf(PaintDesignView(160, 80), IsRed).isEmpty());
        Code->SetBar_Text(QString::fromLatin1(c.Text));
        try {
            Doc.Doc.RunPreview();
            ADD_FAILURE() << "the print went on";
        } catch (const EOverflow& e) {
            EXPECT_EQ(e.Message(), QLatin1String(c.Message));
        }
        EXPECT_TRUE(Doc.Doc.Report->Available());
        // The design view marks it as an error rather than show the code of another value.
        const QImage img = PaintDesignView(160, 80);
        EXPECT_TRUE(IsRed(img.pixel(img.width() / 2, img.height() / 2)));
    }
}

TEST(BarcodeRun, AnAggregatingExpressionTakesEachRecordAndTheDesignViewKeepsTheLastValue)
{
    TTextDatabase db;
    ASSERT_TRUE(db.Make({QStringLiteral("CREATE TABLE ITENS (ID INTEGER)"),
                         QStringLiteral("INSERT INTO ITENS VALUES (1), (2), (3)")}))
        << db.Error.toStdString();
    TBarcodeDoc doc;
    db.AddTable(doc.Doc, QStringLiteral("ITENS"));
    TKVBarcode* b = doc.Place();
    // Placed on a report with data it took the first field; the expression is what counts here.
    EXPECT_EQ(b->DataField(), QStringLiteral("ID"));
    b->SetDataField(QString());
    b->SetBar_CodeType(CODE128_B);
    b->SetBar_Text(QStringLiteral("SUM(ID)"));
    QStringList printed;
    b->OnPrint = [&printed](TObject*, QString& value) { printed << value; };
    doc.Doc.RunPreview();
    EXPECT_EQ(printed, (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("6")}));
    EXPECT_EQ(b->Barcode()->Bar_Caption(), QStringLiteral("6"));
}

// ---- design view --------------------------------------------------------------------------------

TEST(BarcodeDesign, AnEncodingErrorDrawsAnErrorMarkInsteadOfRaising)
{
    TKVBarcode b(nullptr);
    b.SetBar_CodeType(CODE128_B);
    // A control character is not in Code 128's set B.
    b.SetBar_Text(QStringLiteral("A") + QChar(1) + QStringLiteral("B"));
    b.SetBounds(0, 0, 120, 80);
    QImage img = White(120, 80);
    QPainter painter(&img);
    TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, 120, 80});
    EXPECT_NO_THROW(b.Paint(canvas));
    painter.end();
    EXPECT_TRUE(IsRed(img.pixel(60, 40)));
    EXPECT_TRUE(IsRed(img.pixel(0, 0)));
    // The print is what raises.
    TBarcodeDoc doc;
    TKVBarcode* placed = doc.Place();
    placed->SetBar_CodeType(CODE128_B);
    placed->SetBar_Text(QStringLiteral("'A") + QChar(1) + QStringLiteral("B'"));
    doc.Doc.Report->SetQuantidade(1);
    EXPECT_THROW(doc.Doc.RunPreview(), Exception);
}

// Where the design view's ink is: the reference ink at the printer's dots, placed in the box as
// a print places it, scaled to the control's pixels.
QRect ShownInk(const QRect& inkDots, QPoint atDots, double pxPerDotX, double pxPerDotY)
{
    const QRect r = inkDots.translated(atDots);
    const int left = qRound(r.left() * pxPerDotX), top = qRound(r.top() * pxPerDotY);
    const int right = qRound((r.right() + 1) * pxPerDotX), bottom = qRound((r.bottom() + 1) * pxPerDotY);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Each edge within one pixel: the scaled-down picture greys the edge bars.
void ExpectNear(const QRect& actual, const QRect& expected)
{
    EXPECT_NEAR(actual.left(), expected.left(), 1) << actual << " / " << expected;
    EXPECT_NEAR(actual.top(), expected.top(), 1) << actual << " / " << expected;
    EXPECT_NEAR(actual.right(), expected.right(), 1) << actual << " / " << expected;
    EXPECT_NEAR(actual.bottom(), expected.bottom(), 1) << actual << " / " << expected;
}

TEST(BarcodeDesign, EachRotationAndAlignmentShowsTheBarcodeWhereAndAsLargeAsItPrints)
{
    const TAlignment aligns[] = {taLeftJustify, taRightJustify, taCenter};
    const btCodeRotate rotations[] = {rotate_000, rotate_090, rotate_180, rotate_270};
    for (const btCodeRotate rot : rotations)
        for (const TAlignment align : aligns) {
            SCOPED_TRACE(std::to_string(rot) + "/" + std::to_string(align));
            TBarcodeDoc doc;
            TKVBarcode* b = doc.Place();
            b->SetAutoSize(false);
            b->SetBar_CodeType(EAN_13);
            b->SetBar_Text(QStringLiteral("789100010010"));
            b->SetBar_Rotation(rot);
            b->SetAlignment(align);
            // A long box: 50 by 50 mm asked, the length stays, the thickness is the barcode's.
            b->Size()->SetWidth(500);
            b->Size()->SetHeight(500);
            const TBarcodeResolution dpi = b->LayoutResolution();
            const TReference ref = Reference(*b, TDeviceCaps{dpi.X, dpi.Y, 4000, 4000});
            const int w = ref.Size.cx, h = ref.Size.cy;
            const bool upright = rot == rotate_000 || rot == rotate_180;
            const long double width = b->Size()->NativeValue(TKVPrintableSize::kvWidth);
            const long double height = b->Size()->NativeValue(TKVPrintableSize::kvHeight);
            EXPECT_NEAR(double(upright ? height : width), (upright ? h : w) * 254.0 / (upright ? dpi.Y : dpi.X), 1e-6);
            EXPECT_EQ(double(upright ? width : height), 500.0);
            // The box in the printer's dots, as Print lays it out.
            const int W = int(Round(width * dpi.X / 254)), H = int(Round(height * dpi.Y / 254));
            const QPoint at = Expected(rot, align, 0, 0, W, H, w, h, int(Round(width / 2 * dpi.X / 254)) - w / 2,
                                       int(Round(height / 2 * dpi.Y / 254)) - h / 2);
            QImage img = White(b->Width(), b->Height());
            QPainter painter(&img);
            TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, b->Width(), b->Height()});
            b->Paint(canvas);
            painter.end();
            ExpectNear(BoxOf(img, IsInk), ShownInk(ref.Ink, at, double(b->Width()) / W, double(b->Height()) / H));
        }
}

TEST(BarcodeDesign, AutoSizeAtZoom150MakesTheControlTheBarcodeAsItPrintsAtTheZoom)
{
    for (const btCodeRotate rot : {rotate_000, rotate_090}) {
        SCOPED_TRACE(int(rot));
        TBarcodeDoc doc;
        doc.Doc.Report->SetZoom(150);
        TKVBarcode* b = doc.Place();
        b->SetBar_Rotation(rot);
        b->SetBounds(0, 0, 10, 10);
        const TBarcodeResolution dpi = b->LayoutResolution();
        const TReference ref = Reference(*b, TDeviceCaps{dpi.X, dpi.Y, 4000, 4000});
        // The lengths as printed, in pixels at the zoom.
        const double pxPerDotX = 96.0 / dpi.X * 1.5, pxPerDotY = 96.0 / dpi.Y * 1.5;
        EXPECT_EQ(b->Width(), qRound(ref.Size.cx * pxPerDotX));
        EXPECT_EQ(b->Height(), qRound(ref.Size.cy * pxPerDotY));
        QImage img = White(600, 600);
        QPainter painter(&img);
        TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, 600, 600});
        b->Paint(canvas);
        painter.end();
        ExpectNear(BoxOf(img, IsInk), ShownInk(ref.Ink, {0, 0}, double(b->Width()) / ref.Size.cx,
                                               double(b->Height()) / ref.Size.cy));
    }
}

TEST(BarcodeSize, WhateverSetsTheSizeTheBarcodeKeepsItsOwnAsItPrints)
{
    TReportDoc doc;
    auto* b = new TKVBarcode(doc.Form.get());
    b->SetName(QStringLiteral("Barras"));
    b->SetParent(doc.Add<TKVBand>(QStringLiteral("Detalhe")));
    b->Size()->SetUnits(kvunNative);
    b->SetBar_CodeType(EAN_13);
    b->SetBar_ModuleWidth(SC4);
    b->SetBar_Text(QStringLiteral("789100010010"));
    const auto natural = [b] {
        const TBarcodeResolution dpi = b->LayoutResolution();
        TCustomBarcode alone(nullptr);
        CopySettings(*b, alone);
        TPainterCanvas measuring(nullptr, TDeviceCaps{dpi.X, dpi.Y, 1, 1});
        const TSize dots = alone.MeasureBarcode(measuring);
        return std::pair<double, double>{dots.cx * 254.0 / dpi.X, dots.cy * 254.0 / dpi.Y};
    };
    const auto stored = [b] {
        return std::pair<double, double>{double(b->Size()->NativeValue(TKVPrintableSize::kvWidth)),
                                         double(b->Size()->NativeValue(TKVPrintableSize::kvHeight))};
    };
    const auto expectNatural = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_NEAR(stored().first, natural().first, 1e-6);
        EXPECT_NEAR(stored().second, natural().second, 1e-6);
        // The pixels follow the stored lengths.
        EXPECT_EQ(b->Height(), int(Round(b->Size()->NativeValue(TKVPrintableSize::kvHeight) * 96 / 254)));
    };
    expectNatural("placed");
    b->SetBounds(b->Left(), b->Top(), b->Width(), 40); // a handle dragged up
    expectNatural("dragged");
    b->Size()->SetUnits(kvunMM);
    b->Size()->SetHeight(12.96L); // the size dialog, or the grid's rounding
    b->Size()->SetUnits(kvunNative);
    expectNatural("set in millimetres");
    b->SetBar_HeightPercent(50);
    expectNatural("a shorter barcode");
    b->SetBar_Rotation(rotate_090);
    expectNatural("turned");
    b->SetBar_Rotation(rotate_000);
    // Undo: the saved copy's settings and bounds come back together.
    TKVBarcode saved(nullptr);
    saved.CopyFrom(b);
    b->SetBar_ModuleWidth(SC9);
    b->SetBar_HeightPercent(200);
    b->CopyFrom(&saved);
    EXPECT_EQ(b->Bar_ModuleWidth(), SC4);
    expectNatural("restored by undo");
    // A file whose height is another (12.96 mm) gives the barcode's once read.
    QByteArray text = ToText(doc.Form.get());
    const qsizetype values = text.indexOf("Size.Values = (", text.indexOf("object Barras"));
    ASSERT_GE(values, 0);
    const qsizetype first = text.indexOf('\n', values) + 1;
    text.replace(first, text.indexOf('\n', first) - first, "      129.600000000000000000");
    ASSERT_TRUE(text.contains("129.6")) << text.constData();
    TFormPtr read = FromText(text);
    ASSERT_NE(read, nullptr);
    auto* back = dynamic_cast<TKVBarcode*>(read->FindComponent(QStringLiteral("Barras")));
    ASSERT_NE(back, nullptr);
    EXPECT_NEAR(double(back->Size()->NativeValue(TKVPrintableSize::kvHeight)), natural().second, 1e-6);
    // Without AutoSize the length may be longer than the barcode, never shorter.
    b->SetAutoSize(false);
    b->Size()->SetUnits(kvunNative); // the copy brought the band's unit
    b->Size()->SetWidth(natural().first + 100);
    EXPECT_NEAR(stored().first, natural().first + 100, 1e-6);
    b->Size()->SetWidth(50);
    EXPECT_NEAR(stored().first, natural().first, 1e-6);
    EXPECT_NEAR(stored().second, natural().second, 1e-6);
}

// ---- measuring -------------------------------------------------------------------------------------

TEST(BarcodeMeasure, MeasuringLeavesNothingOnARecordedPageAndGivesTheDrawnSize)
{
    for (const btCodeTypes type : {EAN_8, EAN_13, CODE39, CODE128_B, Postnet})
        for (const btCodeRotate rot : {rotate_000, rotate_090, rotate_180, rotate_270}) {
            SCOPED_TRACE(std::to_string(type) + "/" + std::to_string(rot));
            TCustomBarcode b(nullptr);
            b.SetBar_CodeType(type);
            b.SetBar_Rotation(rot);
            b.SetBar_Caption(QStringLiteral("12345"));
            const TDeviceCaps caps{600, 600, 4960, 7016};
            TMetafile page;
            TSize measured;
            // Postnet keeps the canvas's font name: both canvases start with the same.
            const QString face = QStringLiteral("Courier New");
            {
                TMetafileCanvas canvas(page, &caps);
                canvas.Font()->SetName(face);
                const int records = canvas.RecordCount();
                const unsigned align = canvas.TextAlign();
                measured = b.MeasureBarcode(canvas);
                EXPECT_EQ(canvas.RecordCount(), records);
                EXPECT_EQ(canvas.Font()->Name(), QStringLiteral("Courier New"));
                EXPECT_EQ(canvas.TextAlign(), align);
            }
            QImage img = White(200, 200);
            QPainter painter(&img);
            TPainterCanvas canvas(&painter, caps);
            canvas.Font()->SetName(face);
            TSize drawn;
            b.DrawBarcode(canvas, 0, 0, &drawn);
            EXPECT_EQ(measured.cx, drawn.cx);
            EXPECT_EQ(measured.cy, drawn.cy);
        }
}

// ---- printing --------------------------------------------------------------------------------------

TEST(BarcodePrint, EachRotationAndAlignmentPlacesTheBarcodeOnTheRecordedPage)
{
    const TAlignment aligns[] = {taLeftJustify, taRightJustify, taCenter};
    for (const btCodeRotate rot : {rotate_000, rotate_090, rotate_180, rotate_270})
        for (const TAlignment align : aligns)
            for (const bool autoSize : {false, true}) {
                if (autoSize && align != taLeftJustify)
                    continue;
                SCOPED_TRACE(std::to_string(rot) + "/" + std::to_string(align) + (autoSize ? " auto" : ""));
                TBarcodeDoc doc;
                doc.Doc.Report->SetQuantidade(1);
                TKVBarcode* b = doc.Place();
                b->SetBar_HumanReadable(false);
                b->SetBar_Rotation(rot);
                b->SetAlignment(align);
                b->SetAutoSize(autoSize);
                // Placed in native units again: the length asked stays, the thickness is the
                // barcode's.
                b->Size()->SetWidth(500);
                b->Size()->SetHeight(400);
                b->SetColor(clWhite);
                std::optional<TDeviceCaps> caps;
                b->OnPrint = [&caps, b](TObject*, QString&) {
                    caps = b->ParentReport()->RunPrinter()->Canvas()->DeviceCaps();
                };
                doc.Doc.RunPreview([&](TKVPrinter& p) {
                    ASSERT_TRUE(caps.has_value());
                    const TPrintRecord* band = doc.Doc.Find(QStringLiteral("Detalhe"));
                    ASSERT_NE(band, nullptr);
                    const long double left = 100 + band->X, top = 50 + band->Y;
                    const int L = p.XPos(left), T = p.YPos(top), R = p.XPos(left + 500), B = p.YPos(top + 400);
                    TDeviceCaps big = *caps;
                    big.Width = big.Height = 2000;
                    const TReference ref = Reference(*b, big);
                    const int w = ref.Size.cx, h = ref.Size.cy;
                    const int cx = p.XPos(left + 250) - w / 2, cy = p.YPos(top + 200) - h / 2;
                    // AutoSize draws at the box's top left, whatever the rotation.
                    const QPoint at = autoSize ? QPoint(L, T) : Expected(rot, align, L, T, R, B, w, h, cx, cy);
                    const QImage page = PlayPage(p);
                    const QRect ink = BoxOf(page, IsInk);
                    EXPECT_EQ(ink, ref.Ink.translated(at))
                        << "box " << QRect(L, T, R - L, B - T) << " size " << w << "x" << h;
                });
            }
}

TEST(BarcodePrint, AnEmptyValuePrintsNothingUnlessAskedAndThenThirteenZerosForEAN13)
{
    for (const bool printEmpty : {false, true}) {
        SCOPED_TRACE(printEmpty);
        TBarcodeDoc doc;
        doc.Doc.Report->SetQuantidade(1);
        TKVBarcode* b = doc.Place();
        b->SetBar_CodeType(EAN_13);
        b->SetBar_Text(QString());
        b->SetBar_PrintEmpty(printEmpty);
        // An opaque colour: not even the background prints for an empty value.
        b->SetColor(clYellow);
        b->SetTransparent(false);
        doc.Doc.RunPreview([&](TKVPrinter& p) {
            const QImage page = PlayPage(p);
            const QRect ink = BoxOf(page, [](QRgb c) { return c != qRgb(255, 255, 255); });
            EXPECT_EQ(ink.isEmpty(), !printEmpty) << ink;
        });
        if (printEmpty) {
            EXPECT_EQ(QString::fromStdString(b->Barcode()->Barcode().Prepared()), QString(13, QLatin1Char('0')));
        }
    }
}

// ---- end to end on the PDF printer ----------------------------------------------------------------------

class BarcodePdfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Have(QStringLiteral("pdftoppm"), QStringLiteral("-v"))
            || !Have(QStringLiteral("zbarimg"), QStringLiteral("--version")))
            GTEST_SKIP() << "pdftoppm or zbarimg is not installed";
        ASSERT_TRUE(Dir.isValid());
        ASSERT_TRUE(Db.Make({QStringLiteral("CREATE TABLE PRODUTOS (CODIGO INTEGER, REF TEXT)"),
                             QStringLiteral("INSERT INTO PRODUTOS VALUES (123, '00123')")}))
            << Db.Error.toStdString();
    }

    QStringList Print(btCodeTypes type, const QString& field, btCodeRotate rotation)
    {
        TBarcodeDoc doc;
        TTable* table = Db.AddTable(doc.Doc, QStringLiteral("PRODUTOS"));
        TKVBarcode* b = doc.Place();
        b->SetDataSet(table);
        b->SetDataField(field);
        b->SetBar_CodeType(type);
        b->SetBar_Rotation(rotation);
        b->SetBar_HumanReadable(false);
        const QString pdf = Dir.filePath(QStringLiteral("barras.pdf"));
        QFile::remove(pdf);
        doc.PrintToPdf(pdf);
        return DecodePdf(pdf, Dir.path());
    }

    QTemporaryDir Dir;
    TTextDatabase Db;
};

TEST_F(BarcodePdfTest, AnEAN8FieldValue123DecodesAs00001236AtEachRotation)
{
    for (const btCodeRotate rot : {rotate_000, rotate_090, rotate_270}) {
        SCOPED_TRACE(int(rot));
        EXPECT_EQ(Print(EAN_8, QStringLiteral("CODIGO"), rot), QStringList{QStringLiteral("EAN-8:00001236")});
    }
}

TEST_F(BarcodePdfTest, ACode128TextValueKeepsItsLeadingZeros)
{
    EXPECT_EQ(Print(CODE128_B, QStringLiteral("REF"), rotate_000), QStringList{QStringLiteral("CODE-128:00123")});
}

} // namespace
