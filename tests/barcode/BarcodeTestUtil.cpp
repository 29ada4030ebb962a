#include "BarcodeTestUtil.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace bartest {

TRecordingCanvas::TRecordingCanvas(int DpiX, int DpiY)
{
    FCaps.DpiX = DpiX;
    FCaps.DpiY = DpiY < 0 ? DpiX : DpiY;
    FCaps.Width = 100000;
    FCaps.Height = 100000;
    if (FCaps.DpiY > 0)
        Font()->SetPixelsPerInch(FCaps.DpiY);
}

QImage DrawOnImage(tessiv::TLLBarcode& Barcode, int Dpi, int Margin, tessiv::TSize* Size)
{
    tessiv::TSize Measured;
    {
        QImage Probe(1, 1, QImage::Format_RGB32);
        tessiv::TImageCanvas Canvas(Probe, Dpi);
        Barcode.DrawBarcode(Canvas, -10000, -10000, Measured);
    }
    QImage Image(Measured.cx + 2 * Margin, Measured.cy + 2 * Margin, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        tessiv::TImageCanvas Canvas(Image, Dpi);
        tessiv::TSize Drawn;
        Barcode.DrawBarcode(Canvas, Margin, Margin, Drawn);
        if (Size)
            *Size = Drawn;
    }
    return Image;
}

namespace {
bool Dark(QRgb P) { return qGray(P) < 160; }
} // namespace

int InkInside(const QImage& Image, const QRect& Area)
{
    const QImage Rgb = Image.convertToFormat(QImage::Format_RGB32);
    int N = 0;
    const QRect R = Area & Rgb.rect();
    for (int Y = R.top(); Y <= R.bottom(); ++Y) {
        const auto* Line = reinterpret_cast<const QRgb*>(Rgb.constScanLine(Y));
        for (int X = R.left(); X <= R.right(); ++X)
            N += Dark(Line[X]);
    }
    return N;
}

int InkOutside(const QImage& Image, const QRect& Area)
{
    return InkInside(Image, Image.rect()) - InkInside(Image, Area);
}

bool HaveProgram(const QString& Program) { return !QStandardPaths::findExecutable(Program).isEmpty(); }

QByteArray Run(const QString& Program, const QStringList& Args, int TimeoutMs)
{
    QProcess P;
    P.start(Program, Args);
    if (!P.waitForStarted(10000))
        return {};
    if (!P.waitForFinished(TimeoutMs)) {
        P.kill();
        P.waitForFinished();
        return {};
    }
    return P.readAllStandardOutput();
}

} // namespace bartest

namespace {
// Text measuring needs the GUI application object; the tests run on the offscreen platform.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QGuiApplication::instance()) {
            if (qgetenv("QT_QPA_PLATFORM").isEmpty())
                qputenv("QT_QPA_PLATFORM", "offscreen");
            static int Argc = 1;
            static char Name[] = "test_barcode";
            static char* Argv[] = {Name, nullptr};
            App = new QGuiApplication(Argc, Argv);
        }
    }
    void TearDown() override
    {
        delete App;
        App = nullptr;
    }
    QGuiApplication* App = nullptr;
};
const auto* const Gui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
} // namespace
