#include "GraphicsTestUtil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdlib>

namespace testutil {

QImage WhiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

int CountDifferent(const QImage& a, const QImage& b, int tolerance)
{
    if (a.size() != b.size())
        return a.width() * a.height() + 1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance || std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance)
                ++n;
        }
    return n;
}

int CountInk(const QImage& img, const QRect& area)
{
    int n = 0;
    const QRect r = area & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 200)
                ++n;
    return n;
}

QString FixturePath(const QString& name)
{
    return QStringLiteral(TESSIV_TEST_DIR "/fixtures/") + name;
}

QString TempPath(const QString& name)
{
    const QString dir = QStringLiteral(TESSIV_BINARY_DIR "/tests/graphics/tmp");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}

bool HaveProgram(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

bool Run(const QString& program, const QStringList& args, QByteArray* output, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return false;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    if (output)
        *output = p.readAll();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace testutil

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {
// Fonts need the GUI application object; the tests run on the offscreen platform.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QGuiApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
            static int argc = 1;
            static char name[] = "test_graphics";
            static char* argv[] = {name, nullptr};
            App = new QGuiApplication(argc, argv);
        }
    }
    void TearDown() override
    {
        delete App;
        App = nullptr;
    }
    QGuiApplication* App = nullptr;
};
const auto* const kGui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
} // namespace
