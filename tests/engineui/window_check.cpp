// Shows the standard preview of a recorded page in a real window on the X server it is given,
// reads the screen back and checks what the user would see: ink where the page's text lies, white
// paper around it, the page's frame. TESSIV_SCREENSHOT names a PNG to write for a person to look at.

#include "EngineUiFixture.h"

#include "engine/ui/KVPreview.h"
#include "engine/ui/KVStandardPreview.h"
#include "platform/ui/Application.h"

#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

#include <cstdio>

using namespace tessiv;
using namespace engineuitest;

namespace {

// Counts the paints of a widget.
class TPaintCounter : public QObject {
public:
    int Paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(watched, event);
    }
};

int Luminance(QRgb c)
{
    return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000;
}

} // namespace

int main(int argc, char** argv)
{
    TQtApplication app(argc, argv);
    const auto printer = MakePrinter();
    RecordPages(*printer, 2);

    QPointer<TKVStandardPreview> window = TKVStandardPreview::CreatePreview(nullptr, *printer);
    TPaintCounter counter;
    TKVPreviewImage* image = window->Preview()->Image();
    image->installEventFilter(&counter);
    window->resize(800, 700);
    window->move(0, 0);
    window->show();
    window->Button(QStringLiteral("ZoomTo100"))->click();
    window->UpdateStatus();
    const bool painted = PumpUntil([&] {
        return window->windowHandle() && window->windowHandle()->isExposed() && counter.Paints > 0;
    });
    // One more round so the frame is on the screen, not only in the back buffer.
    const int seen = counter.Paints;
    image->update();
    PumpUntil([&] { return counter.Paints > seen; });
    if (!painted) {
        std::fprintf(stderr, "the preview window was never shown and painted (exposed %d, paints %d)\n",
                     window->windowHandle() && window->windowHandle()->isExposed(), counter.Paints);
        return 1;
    }

    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    if (const QByteArray path = qgetenv("TESSIV_SCREENSHOT"); !path.isEmpty())
        shot.save(QString::fromLocal8Bit(path));
    const QPoint origin = image->mapToGlobal(QPoint(0, 0));
    auto at = [&](int x, int y) { return shot.pixel(origin.x() + x, origin.y() + y); };

    int failures = 0;
    // The text "Pagina 1": from (TextX, TextY) in 0.1 mm, bold and TextHeight tall, at zoom 100.
    const int left = printer->XPos(TextX);
    const int top = printer->YPos(TextY);
    const int height = printer->YSize(TextHeight);
    int ink = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + 4 * height; ++x)
            ink += Luminance(at(x, y)) < 100;
    const int area = 4 * height * height;
    if (ink < area / 20) {
        std::fprintf(stderr, "too little ink where the page's text lies: %d of %d pixels\n", ink, area);
        ++failures;
    }
    // Paper without text above the text and to its right is white.
    for (const QPoint p : {QPoint(left, top - 40), QPoint(left + 5 * height, top + height / 2), QPoint(600, 500)})
        if (at(p.x(), p.y()) != qRgb(255, 255, 255)) {
            std::fprintf(stderr, "the paper at (%d,%d) is %06x, not white\n", p.x(), p.y(), at(p.x(), p.y()) & 0xFFFFFF);
            ++failures;
        }
    // The page's frame.
    if (Luminance(at(0, 300)) > 40) {
        std::fprintf(stderr, "no frame at the page's left edge\n");
        ++failures;
    }
    std::printf("%s: %d dark pixels over the text (of %d)\n", failures ? "FAILED" : "ok", ink, area);
    window->close();
    app.processEvents();
    return failures ? 1 : 0;
}
