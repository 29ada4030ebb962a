// Shapes, pictures and data pictures: what each draws on the design surface and prints on the page
// (recorded pages played onto images at the screen's resolution, and the PDF printer's file
// rendered with pdftoppm at 254 dots per inch, a pixel to a tenth of a millimetre), the fitting
// modes, how the report file keeps them, and pictures read from real SQLite blobs.

#include "ReportFixture.h"
#include "RunFixture.h"

#include "engine/printables/KVDBImage.h"
#include "engine/export/KVExportFilter.h"
#include "engine/printables/KVImage.h"
#include "engine/run/KVPrinter.h"
#include "engine/printables/KVShape.h"
#include "platform/core/Exceptions.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/data/Field.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/printing/Printer.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

// Rectangles in failure messages; QRect lives in the global namespace, where lookup finds this.
static std::ostream& operator<<(std::ostream& os, const QRect& r)
{
    return os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}

using namespace tessiv;
using namespace enginetest;

namespace {

// ---- helpers ------------------------------------------------------------------------------------

QImage Filled(int w, int h, QColor colour)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

std::unique_ptr<TBitmap> BitmapOf(int w, int h, QColor colour)
{
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetImage(Filled(w, h, colour));
    return bmp;
}

bool IsRed(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80;
}
bool IsBlue(QRgb c)
{
    return qBlue(c) > 200 && qRed(c) < 80 && qGreen(c) < 80;
}
bool IsYellow(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 80;
}
bool IsInk(QRgb c)
{
    return qGray(c) < 200;
}

// The bounding box of the pixels that pass, inside region (the whole image when empty).
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

// Page n of the finished printer object played onto an image at its own units.
QImage PlayPage(TKVPrinter& printer, int n = 1)
{
    const int w = printer.XSize(printer.PaperWidth());
    const int h = printer.YSize(printer.PaperLength());
    QImage page = Filled(w, h, Qt::white);
    QPainter painter(&page);
    TPainterCanvas canvas(&painter, TDeviceCaps{96, 96, w, h});
    const auto recorded = printer.GetPage(n);
    if (recorded)
        recorded->Play(canvas, TRect{0, 0, w, h});
    return page;
}

// A control's device rectangle on the page, from its lengths and its band's place, as a QRect.
QRect DeviceRect(const TKVPrinter& p, const TKVPrintable& c, const TPrintRecord& band)
{
    const long double l = c.Size()->NativeValue(TKVPrintableSize::kvLeft) + band.X;
    const long double t = c.Size()->NativeValue(TKVPrintableSize::kvTop) + band.Y;
    const int left = p.XPos(l), top = p.YPos(t);
    const int right = p.XPos(l + c.Size()->NativeValue(TKVPrintableSize::kvWidth));
    const int bottom = p.YPos(t + c.Size()->NativeValue(TKVPrintableSize::kvHeight));
    return QRect(left, top, right - left, bottom - top);
}

bool HavePdfToPpm()
{
    return QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-v")}) == 0;
}

// A report with one detail band printed once, in native units.
struct TPrintedDoc {
    TRunDoc Doc;
    TKVBand* Detail;

    TPrintedDoc() : Detail(Doc.Band(QStringLiteral("Detalhe"), rbDetail, 600)) { Doc.Report->SetQuantidade(1); }

    template <class P>
    P* Place(const QString& name, int left, int top, int width, int height)
    {
        auto* p = new P(Doc.Form.get());
        p->SetName(name);
        p->SetParent(Detail);
        p->SetBounds(left, top, width, height);
        return p;
    }

    // Runs the report to preview; look sees the page played at the printer object's units and
    // the band's place.
    void Run(const std::function<void(TKVPrinter&, const QImage&, const TPrintRecord&)>& look)
    {
        bool looked = false;
        Doc.RunPreview([&](TKVPrinter& printer) {
            const TPrintRecord* band = Doc.Find(QStringLiteral("Detalhe"));
            ASSERT_NE(band, nullptr);
            look(printer, PlayPage(printer), *band);
            looked = true;
        });
        EXPECT_TRUE(looked);
    }
};

// ---- shapes -------------------------------------------------------------------------------------

TEST(Shape, ANewShapeIsARectangleOf65PixelsTakingItsParentsColour)
{
    TReportDoc doc;
    auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"));
    auto* shape = new TKVShape(doc.Form.get());
    shape->SetName(QStringLiteral("Forma"));
    shape->SetParent(band);
    EXPECT_EQ(shape->Shape(), kvsRectangle);
    EXPECT_EQ(shape->Width(), 65);
    EXPECT_EQ(shape->Height(), 65);
    EXPECT_TRUE(shape->ParentColor());
    EXPECT_EQ(shape->Pen()->Color(), clBlack);
    EXPECT_EQ(shape->Brush()->Style(), bsSolid);
    // The kind is always written; the size at its default is not.
    const QString text = QString::fromUtf8(ToText(doc.Form.get()));
    EXPECT_TRUE(text.contains(QStringLiteral("Shape = kvsRectangle"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Width = 65"))) << text.toStdString();
}

TEST(Shape, ItsKindPenAndBrushComeBackFromTheFileAndThroughCopyFrom)
{
    TReportDoc doc;
    auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"));
    auto* shape = new TKVShape(doc.Form.get());
    shape->SetName(QStringLiteral("Forma"));
    shape->SetParent(band);
    shape->SetShape(kvsTopAndBottom);
    shape->Pen()->SetColor(clRed);
    shape->Pen()->SetWidth(3);
    shape->Pen()->SetStyle(psDot);
    shape->Brush()->SetColor(clLime);
    shape->Brush()->SetStyle(bsCross);
    shape->SetBounds(10, 5, 80, 30);

    const TFormPtr read = ReadRes(WriteRes(doc.Form.get()));
    auto* back = dynamic_cast<TKVShape*>(read->FindComponent(QStringLiteral("Forma")));
    ASSERT_NE(back, nullptr);
    auto* copy = new TKVShape(doc.Form.get());
    copy->SetParent(band);
    copy->CopyFrom(shape);
    for (TKVShape* s : {back, copy}) {
        EXPECT_EQ(s->Shape(), kvsTopAndBottom);
        EXPECT_EQ(s->Pen()->Color(), clRed);
        EXPECT_EQ(s->Pen()->Width(), 3);
        EXPECT_EQ(s->Pen()->Style(), psDot);
        EXPECT_EQ(s->Brush()->Color(), clLime);
        EXPECT_EQ(s->Brush()->Style(), bsCross);
        EXPECT_EQ(s->Width(), 80);
        EXPECT_EQ(s->Height(), 30);
    }
}

TEST(Shape, AnOlderFilesVisibleIsReadIntoEnabledAndNeverWritten)
{
    TReportDoc doc;
    auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"));
    auto* shape = new TKVShape(doc.Form.get());
    shape->SetName(QStringLiteral("Forma"));
    shape->SetParent(band);
    QString text = QString::fromUtf8(ToText(doc.Form.get()));
    const QString header = QStringLiteral("object Forma: TKVShape\r\n");
    int at = text.indexOf(header);
    QString eol = QStringLiteral("\r\n");
    if (at < 0) {
        eol = QStringLiteral("\n");
        at = text.indexOf(QStringLiteral("object Forma: TKVShape\n"));
    }
    ASSERT_GE(at, 0) << text.toStdString();
    const int lineEnd = text.indexOf(eol, at) + eol.size();
    // Indented as the next line is.
    const int nextStart = lineEnd;
    int indent = 0;
    while (text.at(nextStart + indent) == QLatin1Char(' '))
        ++indent;
    text.insert(lineEnd, QString(indent, QLatin1Char(' ')) + QStringLiteral("Visible = False") + eol);

    const TFormPtr read = FromText(text.toUtf8());
    auto* back = dynamic_cast<TKVShape*>(read->FindComponent(QStringLiteral("Forma")));
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->Enabled());
    const QString again = QString::fromUtf8(ToText(read.get()));
    EXPECT_FALSE(again.contains(QStringLiteral("Visible"))) << again.toStdString();
    EXPECT_TRUE(again.contains(QStringLiteral("Enabled = False"))) << again.toStdString();
}

TEST(Shape, TheDesignViewDrawsEachKindOverTheControl)
{
    struct Case {
        TKVShapeType Kind;
        std::vector<QPoint> Inked;
        std::vector<QPoint> Clear;
    };
    // 40 x 30 pixels: middles at 20 and 15.
    const Case cases[] = {
        {kvsRectangle, {{20, 0}, {20, 29}, {0, 15}, {39, 15}}, {{20, 15}}},
        // The far sides of a curve are checked below, within a pixel.
        {kvsCircle, {{20, 0}, {0, 15}}, {{20, 15}, {2, 2}, {37, 27}}},
        {kvsVertLine, {{20, 1}, {20, 15}, {20, 28}}, {{19, 15}, {21, 15}, {10, 15}}},
        {kvsHorLine, {{1, 15}, {20, 15}, {38, 15}}, {{20, 14}, {20, 16}, {20, 5}}},
        {kvsTopAndBottom, {{20, 0}, {20, 29}}, {{20, 1}, {20, 15}, {20, 28}, {0, 15}}},
        {kvsRightAndLeft, {{0, 15}, {39, 15}}, {{1, 15}, {20, 15}, {38, 15}, {20, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(KVShapeTypeInfo().NameOf(c.Kind).toStdString());
        TKVShape shape(nullptr);
        shape.SetBounds(0, 0, 40, 30);
        shape.SetShape(c.Kind);
        shape.Brush()->SetColor(clWhite);
        QImage img = Filled(40, 30, Qt::white);
        {
            TImageCanvas canvas(img);
            shape.Paint(canvas);
        }
        for (const QPoint& p : c.Inked)
            EXPECT_TRUE(IsInk(img.pixel(p))) << p.x() << "," << p.y();
        for (const QPoint& p : c.Clear)
            EXPECT_FALSE(IsInk(img.pixel(p))) << p.x() << "," << p.y();
        if (c.Kind == kvsCircle) {
            EXPECT_TRUE(IsInk(img.pixel(38, 15)) || IsInk(img.pixel(39, 15)));
            EXPECT_TRUE(IsInk(img.pixel(20, 28)) || IsInk(img.pixel(20, 29)));
        }
    }
}

TEST(ShapePrint, EachKindPrintsAtItsLengthsOnThePage)
{
    struct Case {
        TKVShapeType Kind;
        // The ink's box from the control's device edges and the device places of its middles.
        std::function<QRect(int l, int t, int r, int b, int mx, int my)> Box;
    };
    const Case cases[] = {
        {kvsRectangle, [](int l, int t, int r, int b, int, int) { return QRect(l, t, r - l, b - t); }},
        {kvsCircle, [](int l, int t, int r, int b, int, int) { return QRect(l, t, r - l, b - t); }},
        {kvsVertLine, [](int, int t, int, int b, int mx, int) { return QRect(mx, t, 1, b - t); }},
        {kvsHorLine, [](int l, int, int r, int, int, int my) { return QRect(l, my, r - l, 1); }},
        {kvsTopAndBottom, [](int l, int t, int r, int b, int, int) { return QRect(l, t, r - l, b - t + 1); }},
        {kvsRightAndLeft, [](int l, int t, int r, int b, int, int) { return QRect(l, t, r - l + 1, b - t); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(KVShapeTypeInfo().NameOf(c.Kind).toStdString());
        TPrintedDoc doc;
        auto* shape = doc.Place<TKVShape>(QStringLiteral("Forma"), 0, 0, 10, 10);
        shape->SetShape(c.Kind);
        shape->Brush()->SetColor(clBlue);
        // 0.1 mm: 400 wide and 40 high, 100 from the band's left and 50 below its top.
        shape->Size()->SetUnits(kvunNative);
        shape->Size()->SetLeft(100);
        shape->Size()->SetTop(50);
        shape->Size()->SetWidth(400);
        shape->Size()->SetHeight(40);
        // A frame shows on the design surface only.
        for (int side = 0; side < 4; ++side)
            shape->Frame()->SetDrawSide(side, true);
        shape->Frame()->SetWidth(5);
        doc.Run([&](TKVPrinter& p, const QImage& page, const TPrintRecord& band) {
            const long double l = 100 + band.X, t = 50 + band.Y;
            const int left = p.XPos(l), top = p.YPos(t), right = p.XPos(l + 400), bottom = p.YPos(t + 40);
            const QRect expected = c.Box(left, top, right, bottom, p.XPos(l + 200), p.YPos(t + 20));
            const QRect ink = BoxOf(page, IsInk, QRect(left - 20, top - 20, right - left + 40, bottom - top + 40));
            if (c.Kind == kvsCircle) {
                // A curve meets its box within a pixel.
                EXPECT_LE(std::abs(ink.left() - expected.left()), 1) << ink;
                EXPECT_LE(std::abs(ink.right() - expected.right()), 1) << ink;
                EXPECT_LE(std::abs(ink.top() - expected.top()), 1) << ink;
                EXPECT_LE(std::abs(ink.bottom() - expected.bottom()), 1) << ink;
                EXPECT_FALSE(IsInk(page.pixel(left + 1, top + 1)));
            } else {
                EXPECT_EQ(ink, expected) << "ink " << ink << " expected " << expected;
            }
            if (c.Kind == kvsRectangle || c.Kind == kvsCircle) {
                EXPECT_TRUE(IsBlue(page.pixel((left + right) / 2, (top + bottom) / 2)));
            }
        });
    }
}

TEST(ShapePrint, AHorizontalLineFortyUnitsHighPrintsTwentyBelowItsTopOnThePdfPrinter)
{
    if (!HavePdfToPpm())
        GTEST_SKIP() << "pdftoppm is not installed";
    QTemporaryDir dir;
    TPrintedDoc doc;
    auto* shape = doc.Place<TKVShape>(QStringLiteral("Linha"), 0, 0, 10, 10);
    shape->SetShape(kvsHorLine);
    shape->Pen()->SetWidth(3);
    shape->Size()->SetUnits(kvunNative);
    shape->Size()->SetLeft(200);
    shape->Size()->SetTop(300);
    shape->Size()->SetWidth(500);
    shape->Size()->SetHeight(40);
    TPrinter* platform = doc.Doc.Report->PrivatePrinter();
    doc.Doc.Report->PrinterSettings()->SetPrinterIndex(platform->Printers()->IndexOf(TPrinter::PdfPrinterName));
    const QString pdf = dir.filePath(QStringLiteral("linha.pdf"));
    platform->SetPdfFileName(pdf);
    doc.Doc.Report->Print();
    const TPrintRecord* band = doc.Doc.Find(QStringLiteral("Detalhe"));
    ASSERT_NE(band, nullptr);

    // 254 dots per inch: a pixel is a tenth of a millimetre of the page.
    const QString prefix = dir.filePath(QStringLiteral("linha"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"),
                                                             QStringLiteral("-aa"), QStringLiteral("no"),
                                                             QStringLiteral("-aaVector"), QStringLiteral("no"),
                                                             QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                                             pdf, prefix}),
              0);
    const QImage page(prefix + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    const int top = band->Y + 300;
    const QRect ink = BoxOf(page, IsInk, QRect(band->X + 150, top - 60, 600, 160));
    ASSERT_FALSE(ink.isEmpty());
    // The line's middle, 20 below the top, within the rendering's rounding; nothing else inked.
    EXPECT_LE(std::abs((ink.top() + ink.bottom()) / 2 - (top + 20)), 1) << ink;
    EXPECT_LE(ink.height(), 3) << ink;
    EXPECT_LE(std::abs(ink.left() - (band->X + 200)), 1) << ink;
    EXPECT_LE(std::abs(ink.right() + 1 - (band->X + 700)), 1) << ink;
}

TEST(ShapePrint, AShapeDrawsNothingWhileExportingOrWhenDisabled)
{
    struct Case {
        const char* Name;
        bool Export;
        bool Enabled;
        bool Draws;
    };
    for (const Case c : {Case{"preview", false, true, true}, Case{"export", true, true, false},
                         Case{"disabled", false, false, false}}) {
        SCOPED_TRACE(c.Name);
        TPrintedDoc doc;
        auto* shape = new TKVShape(doc.Doc.Form.get());
        shape->SetName(QStringLiteral("Forma"));
        // Off the band: the test prints it itself, while the band prints.
        shape->SetParent(doc.Doc.Report);
        shape->SetEnabled(c.Enabled);
        shape->SetShape(kvsHorLine);
        // A line leaves the canvas's pen at its end: drawn or not, the pen tells.
        bool printed = false;
        bool drew = false;
        for (int i = 0; i < doc.Detail->ControlCount(); ++i)
            if (auto* probe = dynamic_cast<TProbe*>(doc.Detail->Controls(i)))
                probe->OnPrinted = [&] {
                    TCanvas* canvas = doc.Doc.Report->RunPrinter()->Canvas();
                    ASSERT_NE(canvas, nullptr);
                    canvas->MoveTo(-7, -7);
                    shape->Print(0, 0);
                    drew = canvas->PenPos() != TPoint{-7, -7};
                    printed = true;
                };
        if (c.Export) {
            TKVExportFilter filter;
            doc.Doc.Report->ExportToFilter(&filter);
        } else {
            doc.Doc.RunPreview();
        }
        ASSERT_TRUE(printed);
        EXPECT_EQ(drew, c.Draws);
    }
}

// ---- pictures -----------------------------------------------------------------------------------

TEST(Image, ANewImageIs50PixelsWithNoModeAndTheModesExcludeEachOther)
{
    TKVImage image(nullptr);
    EXPECT_EQ(image.Width(), 50);
    EXPECT_EQ(image.Height(), 50);
    EXPECT_TRUE(image.ParentColor());
    EXPECT_FALSE(image.AutoSize() || image.Stretch() || image.Proporcional() || image.Center());
    EXPECT_TRUE(image.Picture()->Empty());

    using Setter = void (TKVImage::*)(bool);
    const Setter setters[] = {&TKVImage::SetAutoSize, &TKVImage::SetStretch, &TKVImage::SetProporcional,
                              &TKVImage::SetCenter};
    for (int from = 0; from < 4; ++from)
        for (int to = 0; to < 4; ++to) {
            SCOPED_TRACE(testing::Message() << "from " << from << " to " << to);
            (image.*setters[from])(true);
            (image.*setters[to])(true);
            const bool modes[] = {image.AutoSize(), image.Stretch(), image.Proporcional(), image.Center()};
            for (int m = 0; m < 4; ++m)
                EXPECT_EQ(modes[m], m == to);
            // Clearing a mode sets no other.
            (image.*setters[to])(false);
            EXPECT_FALSE(image.AutoSize() || image.Stretch() || image.Proporcional() || image.Center());
        }
}

TEST(Image, AutoSizeMakesTheControlThePicturesSizeAtTheZoom)
{
    TReportDoc doc;
    auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"));
    doc.Report->SetZoom(150);
    auto* image = new TKVImage(doc.Form.get());
    image->SetName(QStringLiteral("Imagem"));
    image->SetParent(band);
    image->SetAutoSize(true);
    image->Picture()->Assign(BitmapOf(120, 80, Qt::red).get());
    EXPECT_EQ(image->Width(), 180);
    EXPECT_EQ(image->Height(), 120);
    // The lengths follow: at zoom 100 the control is the picture's size.
    doc.Report->SetZoom(100);
    EXPECT_EQ(image->Width(), 120);
    EXPECT_EQ(image->Height(), 80);
    // Stretch clears AutoSize: a new picture leaves the size alone.
    image->SetStretch(true);
    EXPECT_FALSE(image->AutoSize());
    image->Picture()->Assign(BitmapOf(30, 20, Qt::red).get());
    EXPECT_EQ(image->Width(), 120);
}

TEST(Image, APictureChangeMakesTheControlTransparentButAFileAndUndoKeepAnOpaqueOne)
{
    TReportDoc doc;
    auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"));
    auto* image = new TKVImage(doc.Form.get());
    image->SetName(QStringLiteral("Imagem"));
    image->SetParent(band);
    image->SetTransparent(false);
    image->Picture()->Assign(BitmapOf(20, 10, Qt::red).get());
    EXPECT_TRUE(image->Transparent());
    image->SetTransparent(false);
    image->SetProporcional(true);
    EXPECT_TRUE(image->Transparent());
    image->SetTransparent(false);

    const TFormPtr read = ReadRes(WriteRes(doc.Form.get()));
    auto* back = dynamic_cast<TKVImage*>(read->FindComponent(QStringLiteral("Imagem")));
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->Transparent());
    EXPECT_TRUE(back->Proporcional());
    EXPECT_EQ(back->Picture()->Width(), 20);

    auto* copy = new TKVImage(doc.Form.get());
    copy->SetParent(band);
    copy->CopyFrom(image);
    EXPECT_FALSE(copy->Transparent());
    EXPECT_TRUE(copy->Proporcional());
    EXPECT_EQ(copy->Picture()->Width(), 20);
}

TEST(Image, AJpegLoadedSavedInAReportAndReadBackKeepsItsBytes)
{
    QTemporaryDir dir;
    QImage photo(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 4, y * 5, 128));
    QString error;
    const QByteArray jpeg = EncodeJpeg(photo, 75, &error);
    ASSERT_FALSE(jpeg.isEmpty()) << error.toStdString();
    const QString file = dir.filePath(QStringLiteral("foto.jpg"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(jpeg);
    }

    TReportDoc doc;
    auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"));
    auto* image = new TKVImage(doc.Form.get());
    image->SetName(QStringLiteral("Foto"));
    image->SetParent(band);
    image->Picture()->LoadFromFile(file);
    const QByteArray saved = WriteRes(doc.Form.get());
    const TFormPtr read = ReadRes(saved);
    auto* back = dynamic_cast<TKVImage*>(read->FindComponent(QStringLiteral("Foto")));
    ASSERT_NE(back, nullptr);
    auto* graphic = dynamic_cast<TJPEGImage*>(back->Picture()->Graphic());
    ASSERT_NE(graphic, nullptr);
    EXPECT_EQ(graphic->Data(), jpeg);
    EXPECT_EQ(graphic->Width(), 64);
    EXPECT_EQ(WriteRes(read.get()), saved);
    // Saved to a file again, the very bytes that were loaded.
    const QString again = dir.filePath(QStringLiteral("de-novo.jpg"));
    back->Picture()->SaveToFile(again);
    QFile f(again);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), jpeg);
}

TEST(Image, TheDesignViewDrawsThePictureByItsMode)
{
    struct Case {
        const char* Name;
        void (TKVImage::*Mode)(bool);
        int Zoom;
        QRect Red; // in a 100 x 100 control, a 200 x 100 picture
    };
    const Case cases[] = {
        {"Proporcional", &TKVImage::SetProporcional, 100, QRect(0, 25, 100, 50)},
        {"Stretch", &TKVImage::SetStretch, 100, QRect(0, 0, 100, 100)},
        // Natural size at the zoom, centred: 100 x 50 at zoom 50.
        {"Center", &TKVImage::SetCenter, 50, QRect(0, 25, 100, 50)},
        // No mode: what prints, the picture over the whole control.
        {"None", nullptr, 50, QRect(0, 0, 100, 100)},
        {"None at zoom 100", nullptr, 100, QRect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TReportDoc doc;
        auto* band = doc.Add<TKVBand>(QStringLiteral("Detalhe"));
        band->SetHeight(200);
        doc.Report->SetZoom(c.Zoom);
        auto* image = new TKVImage(doc.Form.get());
        image->SetParent(band);
        image->SetBounds(0, 0, 100, 100);
        if (c.Mode)
            (image->*c.Mode)(true);
        image->Picture()->Assign(BitmapOf(200, 100, Qt::red).get());
        QImage img = Filled(100, 100, Qt::white);
        {
            TImageCanvas canvas(img);
            image->Paint(canvas);
        }
        EXPECT_EQ(BoxOf(img, IsRed), c.Red) << BoxOf(img, IsRed);
    }
}

TEST(ImagePrint, EachModePlacesThePictureInTheControlOnThePage)
{
    struct Case {
        const char* Name;
        void (TKVImage::*Mode)(bool);
        int PictureW, PictureH;
        // The red box relative to the control's device rectangle (100 x 100 at the screen's
        // resolution, where a picture's pixel is a device unit).
        QRect Red;
    };
    const Case cases[] = {
        // The figure: 200 x 100 in 100 x 100 prints 100 x 50 at top 25.
        {"Proporcional wide", &TKVImage::SetProporcional, 200, 100, QRect(0, 25, 100, 50)},
        {"Proporcional tall", &TKVImage::SetProporcional, 40, 80, QRect(25, 0, 50, 100)},
        {"Stretch", &TKVImage::SetStretch, 30, 20, QRect(0, 0, 100, 100)},
        {"Center", &TKVImage::SetCenter, 60, 40, QRect(20, 30, 60, 40)},
        {"Center, larger than the control", &TKVImage::SetCenter, 160, 40, QRect(0, 30, 100, 40)},
        // No mode: the picture drawn into the whole rectangle, smaller or larger.
        {"None", nullptr, 60, 40, QRect(0, 0, 100, 100)},
        {"None, larger than the control", nullptr, 150, 130, QRect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrintedDoc doc;
        auto* image = doc.Place<TKVImage>(QStringLiteral("Imagem"), 40, 20, 100, 100);
        if (c.Mode)
            (image->*c.Mode)(true);
        image->Picture()->Assign(BitmapOf(c.PictureW, c.PictureH, Qt::red).get());
        image->SetTransparent(false);
        image->SetColor(clYellow);
        doc.Run([&](TKVPrinter& p, const QImage& page, const TPrintRecord& band) {
            const QRect r = DeviceRect(p, *image, band);
            ASSERT_EQ(r.size(), QSize(100, 100));
            const QRect red = BoxOf(page, IsRed, r.adjusted(-30, -30, 30, 30));
            EXPECT_EQ(red.translated(-r.topLeft()), c.Red) << "red " << red << " control " << r;
            // The background colour fills the rest of the control, where a mode fills it.
            if (c.Red.height() < 100 && c.Mode != &TKVImage::SetStretch) {
                EXPECT_TRUE(IsYellow(page.pixel(r.left() + 50, r.bottom())));
            }
        });
    }
}

TEST(ImagePrint, ACentredMetafileIsFittedAndATransparentImageLeavesThePageShowing)
{
    // A metafile of 200 x 100 pixels at the screen's resolution, filled red.
    TMetafile meta;
    meta.SetWidth(200);
    meta.SetHeight(100);
    {
        TMetafileCanvas canvas(meta);
        canvas.Brush()->SetColor(clRed);
        canvas.FillRect(TRect{0, 0, 200, 100});
    }
    ASSERT_FALSE(meta.Empty());
    TPrintedDoc doc;
    auto* image = doc.Place<TKVImage>(QStringLiteral("Imagem"), 40, 20, 100, 100);
    image->SetCenter(true);
    image->Picture()->Assign(&meta);
    image->SetColor(clYellow);
    ASSERT_TRUE(image->Transparent());
    doc.Run([&](TKVPrinter& p, const QImage& page, const TPrintRecord& band) {
        const QRect r = DeviceRect(p, *image, band);
        const QRect red = BoxOf(page, IsRed, r.adjusted(-30, -30, 30, 30));
        // Fitted like a proportional picture, a pixel either way for the playing.
        EXPECT_LE(std::abs(red.top() - (r.top() + 25)), 1) << red;
        EXPECT_LE(std::abs(red.height() - 50), 2) << red;
        EXPECT_LE(std::abs(red.width() - 100), 2) << red;
        // Transparent: no yellow anywhere.
        EXPECT_TRUE(BoxOf(page, IsYellow, r).isEmpty());
    });
}

TEST(ImagePrint, AProportionalPicturePrints100By50AtTop25OnThePdfPrinter)
{
    if (!HavePdfToPpm())
        GTEST_SKIP() << "pdftoppm is not installed";
    QTemporaryDir dir;
    TPrintedDoc doc;
    auto* image = doc.Place<TKVImage>(QStringLiteral("Imagem"), 40, 20, 100, 100);
    image->SetProporcional(true);
    image->Picture()->Assign(BitmapOf(200, 100, Qt::red).get());
    TPrinter* platform = doc.Doc.Report->PrivatePrinter();
    doc.Doc.Report->PrinterSettings()->SetPrinterIndex(platform->Printers()->IndexOf(TPrinter::PdfPrinterName));
    const QString pdf = dir.filePath(QStringLiteral("imagem.pdf"));
    platform->SetPdfFileName(pdf);
    doc.Doc.Report->Print();
    const TPrintRecord* band = doc.Doc.Find(QStringLiteral("Detalhe"));
    ASSERT_NE(band, nullptr);

    // 96 dots per inch: a pixel of the rendering is a pixel of the picture on the screen.
    const QString prefix = dir.filePath(QStringLiteral("imagem"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"),
                                                             QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                                             pdf, prefix}),
              0);
    const QImage page(prefix + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    const auto px = [](long double tenths) { return static_cast<int>(tenths * 96 / 254 + 0.5L); };
    const int left = px(band->X + image->Size()->NativeValue(TKVPrintableSize::kvLeft));
    const int top = px(band->Y + image->Size()->NativeValue(TKVPrintableSize::kvTop));
    const QRect red = BoxOf(page, IsRed, QRect(left - 30, top - 30, 160, 160));
    ASSERT_FALSE(red.isEmpty());
    EXPECT_LE(std::abs(red.left() - left), 1) << red;
    EXPECT_LE(std::abs(red.top() - (top + 25)), 1) << red;
    EXPECT_LE(std::abs(red.width() - 100), 1) << red;
    EXPECT_LE(std::abs(red.height() - 50), 1) << red;
}

// The records of an enhanced metafile: type and the first parameter.
std::vector<std::pair<std::uint32_t, std::uint32_t>> EmfRecords(const QByteArray& bytes)
{
    std::vector<std::pair<std::uint32_t, std::uint32_t>> records;
    qsizetype at = 0;
    const auto u32 = [&bytes](qsizetype pos) {
        std::uint32_t v = 0;
        for (int k = 3; k >= 0; --k)
            v = v << 8 | static_cast<unsigned char>(bytes.at(pos + k));
        return v;
    };
    while (at + 8 <= bytes.size()) {
        const std::uint32_t type = u32(at), size = u32(at + 4);
        records.emplace_back(type, at + 12 <= bytes.size() ? u32(at + 8) : 0);
        if (size < 8)
            break;
        at += size;
    }
    return records;
}

TEST(PrintBitmap, ABitmapIsOneStretchOfItsBitsColourOnColourUnlessMonochrome)
{
    constexpr std::uint32_t SetStretchBltMode = 21, StretchDIBits = 81;
    struct Case {
        TPixelFormat Format;
        bool ColourOnColour;
    };
    for (const Case c : {Case{pf24bit, true}, Case{pf1bit, false}}) {
        SCOPED_TRACE(static_cast<int>(c.Format));
        auto bitmap = BitmapOf(30, 20, Qt::black);
        bitmap->SetPixelFormat(c.Format);
        TMetafile meta;
        {
            TMetafileCanvas canvas(meta);
            PrintBitmap(canvas, TRect{10, 10, 70, 50}, *bitmap);
            // The canvas's mode is as it was for what is drawn next.
            EXPECT_EQ(canvas.StretchBltMode(), BLACKONWHITE);
        }
        int stretches = 0;
        std::uint32_t mode = BLACKONWHITE;
        std::uint32_t modeAtStretch = 0;
        for (const auto& [type, first] : EmfRecords(meta.Data())) {
            if (type == SetStretchBltMode)
                mode = first;
            if (type == StretchDIBits) {
                ++stretches;
                modeAtStretch = mode;
            }
        }
        EXPECT_EQ(stretches, 1);
        EXPECT_EQ(modeAtStretch, c.ColourOnColour ? COLORONCOLOR : BLACKONWHITE);
    }
}

// ---- data pictures ------------------------------------------------------------------------------

// Pictures in a real SQLite file: a JPEG, a bitmap, no value, an empty blob and bytes that are no
// picture, with a text column beside them.
class DBImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
        QString error;
        Jpeg = EncodeJpeg(Filled(80, 40, Qt::red), 95, &error);
        ASSERT_FALSE(Jpeg.isEmpty()) << error.toStdString();
        const QString file = FDir.filePath(QStringLiteral("fotos.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fotos"));
            db.setDatabaseName(file);
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE FOTOS (ID INTEGER PRIMARY KEY, NOME VARCHAR(20), FOTO BLOB)")))
                << q.lastError().text().toStdString();
            const auto insert = [&q](int id, const QVariant& foto) {
                q.prepare(QStringLiteral("INSERT INTO FOTOS VALUES (?, ?, ?)"));
                q.addBindValue(id);
                q.addBindValue(QStringLiteral("Foto %1").arg(id));
                q.addBindValue(foto);
                return q.exec();
            };
            ASSERT_TRUE(insert(1, Jpeg)) << q.lastError().text().toStdString();
            ASSERT_TRUE(insert(2, BitmapOf(40, 20, Qt::blue)->EncodeBmp()));
            ASSERT_TRUE(insert(3, QVariant(QMetaType(QMetaType::QByteArray))));
            ASSERT_TRUE(insert(4, QByteArray("")));
            ASSERT_TRUE(insert(9, QByteArray("this is not a picture")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fotos"));
        TStringList params;
        params.Add(QStringLiteral("PATH=") + file);
        Session().AddAlias(QStringLiteral("FOTOS"), QStringLiteral("SQLITE"), &params);
    }

    TQuery* AddQuery(TRunDoc& doc, const QString& where)
    {
        auto* q = new TQuery(doc.Form.get());
        q->SetName(QStringLiteral("Fotos"));
        q->SetDatabaseName(QStringLiteral("FOTOS"));
        q->SQL()->SetText(QStringLiteral("SELECT * FROM FOTOS WHERE %1 ORDER BY ID").arg(where));
        q->Open();
        doc.Report->SetDataSet(q);
        return q;
    }

    QTemporaryDir FDir;
    QByteArray Jpeg;
};

TEST_F(DBImageTest, EachRecordPrintsThePictureItsBlobHolds)
{
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("Detalhe"), rbDetail, 400);
    TQuery* query = AddQuery(doc, QStringLiteral("ID <= 4"));
    auto* image = new TKVDBImage(doc.Form.get());
    image->SetName(QStringLiteral("ImagemBD"));
    image->SetParent(detail);
    image->SetBounds(40, 10, 100, 60);
    image->SetDataSet(query);
    image->SetDataField(QStringLiteral("FOTO"));
    image->SetTransparent(false);
    image->SetColor(clYellow);
    ASSERT_TRUE(image->Center());
    ASSERT_TRUE(dynamic_cast<TBlobField*>(query->FieldByName(QStringLiteral("FOTO"))));
    // Bound while the run lasts only.
    TField* bound = nullptr;
    for (int i = 0; i < detail->ControlCount(); ++i)
        if (auto* probe = dynamic_cast<TProbe*>(detail->Controls(i)))
            probe->OnPrinted = [&] { bound = image->Field(); };
    bool looked = false;
    doc.RunPreview([&](TKVPrinter& p) {
        const QImage page = PlayPage(p);
        for (int record = 0; record < 4; ++record) {
            SCOPED_TRACE(testing::Message() << "record " << record + 1);
            const TPrintRecord* band = doc.Find(QStringLiteral("Detalhe"), record);
            ASSERT_NE(band, nullptr);
            const QRect r = DeviceRect(p, *image, *band);
            ASSERT_EQ(r.size(), QSize(100, 60));
            const QRect around = r.adjusted(-20, -20, 20, 20);
            const QRect red = BoxOf(page, IsRed, around);
            const QRect blue = BoxOf(page, IsBlue, around);
            const QRect yellow = BoxOf(page, IsYellow, around);
            if (record == 0) {
                // The JPEG, centred at its natural size.
                EXPECT_EQ(red.translated(-r.topLeft()), QRect(10, 10, 80, 40)) << red;
                EXPECT_TRUE(blue.isEmpty());
            } else if (record == 1) {
                EXPECT_EQ(blue.translated(-r.topLeft()), QRect(30, 20, 40, 20)) << blue;
                EXPECT_TRUE(red.isEmpty());
            } else {
                // No value and an empty blob: the background only.
                EXPECT_TRUE(red.isEmpty() && blue.isEmpty());
            }
            EXPECT_EQ(yellow, r) << yellow;
        }
        looked = true;
    });
    EXPECT_TRUE(looked);
    EXPECT_EQ(bound, query->FieldByName(QStringLiteral("FOTO")));
    EXPECT_EQ(image->Field(), nullptr);
}

TEST_F(DBImageTest, WithoutADataSetNothingPrintsNotEvenTheFrameAndATextFieldPrintsTheBackground)
{
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("Detalhe"), rbDetail, 400);
    TQuery* query = AddQuery(doc, QStringLiteral("ID = 1"));
    const auto add = [&](const QString& name, int left, TDataSet* dataSet, const QString& field) {
        auto* image = new TKVDBImage(doc.Form.get());
        image->SetName(name);
        image->SetParent(detail);
        image->SetBounds(left, 10, 100, 60);
        image->SetDataSet(dataSet);
        image->SetDataField(field);
        image->SetTransparent(false);
        image->SetColor(clYellow);
        for (int side = 0; side < 4; ++side)
            image->Frame()->SetDrawSide(side, true);
        return image;
    };
    TKVDBImage* none = add(QStringLiteral("SemDados"), 20, nullptr, QStringLiteral("FOTO"));
    TKVDBImage* text = add(QStringLiteral("Texto"), 200, query, QStringLiteral("NOME"));
    TKVDBImage* missing = add(QStringLiteral("Ausente"), 350, query, QStringLiteral("NADA"));
    bool looked = false;
    doc.RunPreview([&](TKVPrinter& p) {
        const QImage page = PlayPage(p);
        const TPrintRecord* band = doc.Find(QStringLiteral("Detalhe"));
        ASSERT_NE(band, nullptr);
        const QRect r = DeviceRect(p, *none, *band);
        EXPECT_TRUE(BoxOf(page, IsInk, r.adjusted(-10, -10, 10, 10)).isEmpty());
        EXPECT_TRUE(BoxOf(page, IsYellow, r.adjusted(-10, -10, 10, 10)).isEmpty());
        for (const TKVDBImage* image : {text, missing}) {
            SCOPED_TRACE(image->Name().toStdString());
            const QRect t = DeviceRect(p, *image, *band);
            EXPECT_TRUE(IsYellow(page.pixel(t.center())));
            // The frame round it.
            EXPECT_TRUE(IsInk(page.pixel(t.center().x(), t.top())));
        }
        looked = true;
    });
    EXPECT_TRUE(looked);
}

TEST_F(DBImageTest, ABlobThatIsNoPictureStopsTheRunWithAnErrorNamingTheField)
{
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("Detalhe"), rbDetail, 400);
    TQuery* query = AddQuery(doc, QStringLiteral("ID = 9"));
    auto* image = new TKVDBImage(doc.Form.get());
    image->SetName(QStringLiteral("ImagemBD"));
    image->SetParent(detail);
    image->SetDataSet(query);
    image->SetDataField(QStringLiteral("FOTO"));
    try {
        doc.RunPreview();
        ADD_FAILURE() << "the run went through";
    } catch (const EInvalidImage& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("'FOTO'"))) << e.what();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("ImagemBD"))) << e.what();
    }
    EXPECT_TRUE(doc.Report->Available());
    EXPECT_EQ(image->Field(), nullptr);
}

TEST_F(DBImageTest, TheDesignViewNamesTheFieldAndTheDataSetIsForgottenWhenItGoes)
{
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("Detalhe"), rbDetail, 400);
    TQuery* query = AddQuery(doc, QStringLiteral("ID = 1"));
    auto* image = new TKVDBImage(doc.Form.get());
    image->SetName(QStringLiteral("ImagemBD"));
    image->SetParent(detail);
    image->SetBounds(0, 0, 120, 40);
    image->SetDataSet(query);
    image->SetDataField(QStringLiteral("FOTO"));
    image->SetProporcional(true);
    EXPECT_TRUE(image->PictureSet());
    EXPECT_FALSE(image->Center());
    QImage img = Filled(120, 40, Qt::white);
    {
        TImageCanvas canvas(img);
        image->Paint(canvas);
    }
    // "(FOTO)" in the middle: ink there, none in the corners' insides.
    const QRect ink = BoxOf(img, IsInk, QRect(10, 5, 100, 30));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(std::abs(ink.center().x() - 60), 4) << ink;
    EXPECT_LE(std::abs(ink.center().y() - 20), 4) << ink;

    // Undo's copy takes the modes, field and dataset.
    auto* copy = new TKVDBImage(doc.Form.get());
    copy->SetParent(detail);
    copy->CopyFrom(image);
    EXPECT_EQ(copy->DataSet(), query);
    EXPECT_EQ(copy->DataField(), QStringLiteral("FOTO"));
    EXPECT_TRUE(copy->Proporcional());
    EXPECT_FALSE(copy->Center());

    // The dataset goes: both forget it, and the file written afterwards names none.
    query->Free();
    EXPECT_EQ(image->DataSet(), nullptr);
    EXPECT_EQ(copy->DataSet(), nullptr);
    const QString text = QString::fromUtf8(ToText(doc.Form.get()));
    EXPECT_TRUE(text.contains(QStringLiteral("DataField = 'FOTO'"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("DataSet = "))) << text.toStdString();
}

TEST_F(DBImageTest, EachModePlacesTheRecordsPicture)
{
    struct Case {
        const char* Name;
        void (TKVDBImage::*Mode)(bool);
        bool Value;
        QRect Red; // the 80 x 40 JPEG in a 100 x 60 control; empty: none
        bool Background;
    };
    const Case cases[] = {
        {"Stretch", &TKVDBImage::SetStretch, true, QRect(0, 0, 100, 60), false},
        // rx = 1.25 < ry = 1.5: the full width, 50 high, 5 from the top.
        {"Proporcional", &TKVDBImage::SetProporcional, true, QRect(0, 5, 100, 50), true},
        {"Center", &TKVDBImage::SetCenter, true, QRect(10, 10, 80, 40), true},
        // None of them: as the image control without a mode, into the whole rectangle.
        {"None", &TKVDBImage::SetCenter, false, QRect(0, 0, 100, 60), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TRunDoc doc;
        TKVBand* detail = doc.Band(QStringLiteral("Detalhe"), rbDetail, 400);
        TQuery* query = AddQuery(doc, QStringLiteral("ID IN (1, 3)"));
        auto* image = new TKVDBImage(doc.Form.get());
        image->SetName(QStringLiteral("ImagemBD"));
        image->SetParent(detail);
        image->SetBounds(40, 10, 100, 60);
        image->SetDataSet(query);
        image->SetDataField(QStringLiteral("FOTO"));
        image->SetTransparent(false);
        image->SetColor(clYellow);
        (image->*c.Mode)(c.Value);
        bool looked = false;
        doc.RunPreview([&](TKVPrinter& p) {
            const QImage page = PlayPage(p);
            const TPrintRecord* first = doc.Find(QStringLiteral("Detalhe"), 0);
            const TPrintRecord* second = doc.Find(QStringLiteral("Detalhe"), 1);
            ASSERT_TRUE(first && second);
            const QRect r = DeviceRect(p, *image, *first);
            const QRect red = BoxOf(page, IsRed, r.adjusted(-20, -20, 20, 20));
            EXPECT_EQ(red.translated(-r.topLeft()), c.Red) << red;
            EXPECT_EQ(!BoxOf(page, IsYellow, r).isEmpty(), c.Background);
            // A record without a picture: the background, in every mode.
            const QRect empty = DeviceRect(p, *image, *second);
            EXPECT_EQ(BoxOf(page, IsYellow, empty.adjusted(-20, -20, 20, 20)), empty);
            looked = true;
        });
        EXPECT_TRUE(looked);
    }
}

TEST_F(DBImageTest, AFieldThatGoesWithItsClosedDataSetIsForgotten)
{
    TRunDoc doc;
    TKVBand* detail = doc.Band(QStringLiteral("Detalhe"), rbDetail, 400);
    TQuery* query = AddQuery(doc, QStringLiteral("ID = 1"));
    auto* image = new TKVDBImage(doc.Form.get());
    image->SetName(QStringLiteral("ImagemBD"));
    image->SetParent(detail);
    image->SetDataSet(query);
    image->SetDataField(QStringLiteral("FOTO"));
    image->Prepare();
    ASSERT_EQ(image->Field(), query->FindField(QStringLiteral("FOTO")));
    ASSERT_NE(image->Field(), nullptr);
    // Closing drops the fields the dataset made for itself.
    query->Close();
    EXPECT_EQ(image->Field(), nullptr);
    image->Unprepare();
    // Opened again, the next run binds the new field.
    query->Open();
    image->Prepare();
    EXPECT_EQ(image->Field(), query->FindField(QStringLiteral("FOTO")));
    image->Unprepare();
    EXPECT_EQ(image->Field(), nullptr);
}

} // namespace
