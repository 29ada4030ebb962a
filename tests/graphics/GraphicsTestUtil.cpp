#include "GraphicsTestUtil.h"

#include "platform/graphics/Metafile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdlib>
#include <cstring>

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

QByteArray Le32(std::uint32_t v)
{
    const char c[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    return QByteArray(c, 4);
}

QByteArray Le16(std::uint16_t v)
{
    const char c[2] = {char(v), char(v >> 8)};
    return QByteArray(c, 2);
}

QByteArray Ints(std::initializer_list<std::int32_t> values)
{
    QByteArray b;
    for (std::int32_t v : values)
        b += Le32(std::uint32_t(v));
    return b;
}

QByteArray Float32(float f)
{
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    return Le32(v);
}

QByteArray EmfRecord(std::uint32_t type, const QByteArray& body)
{
    return Le32(type) + Le32(std::uint32_t(8 + body.size())) + body;
}

QByteArray EmfWith(const QByteArray& records, int size)
{
    tessiv::TMetafile empty;
    empty.SetWidth(size);
    empty.SetHeight(size);
    {
        tessiv::TMetafileCanvas c(empty);
    }
    const QByteArray all = empty.Data();
    std::uint32_t headerSize;
    std::memcpy(&headerSize, all.constData() + 4, 4);
    QByteArray out = all.left(int(headerSize));
    out += records;
    out += Le32(14) + Le32(20) + Le32(0) + Le32(16) + Le32(20);
    const QByteArray total = Le32(std::uint32_t(out.size()));
    out.replace(48, 4, total);
    return out;
}

QByteArray WmfWith(const QByteArray& records, std::uint16_t objects)
{
    QByteArray p = Le32(0x9AC6CDD7u) + Le16(0) + Le16(0) + Le16(0) + Le16(100) + Le16(100) + Le16(96) + Le32(0);
    std::uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= std::uint16_t(uchar(p[i]) | (uchar(p[i + 1]) << 8));
    p += Le16(sum);
    const QByteArray eof = Le32(3) + Le16(0);
    const std::uint32_t words = std::uint32_t((18 + records.size() + eof.size()) / 2);
    QByteArray h = Le16(1) + Le16(9) + Le16(0x0300) + Le32(words) + Le16(objects) + Le32(100) + Le16(0);
    return p + h + records + eof;
}

QByteArray WmfRecord(std::uint16_t function, std::initializer_list<std::int16_t> params, const QByteArray& extra)
{
    QByteArray body;
    for (std::int16_t v : params)
        body += Le16(std::uint16_t(v));
    body += extra;
    if (body.size() % 2)
        body += '\0';
    return Le32(std::uint32_t(3 + body.size() / 2)) + Le16(function) + body;
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
