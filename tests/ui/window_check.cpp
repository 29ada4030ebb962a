// Shows a control tree in a real window on the X server it is given, reads the screen back and
// checks what the user would see: the controls' colours and an exclusive-or outline over them.
#include "UiFixtures.h"

#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <memory>

using namespace tessiv;
using namespace uitest;

int main(int argc, char** argv)
{
    TQtApplication app(argc, argv);
    std::unique_ptr<TComponent, TComponentDeleter> owner(new TComponent(nullptr));
    auto* root = MakeSwatch(owner.get(), nullptr, "Root", Rect(0, 0, 300, 200), clWhite);
    MakeSwatch(owner.get(), root, "A", Rect(20, 20, 120, 120), clRed);
    MakeSwatch(owner.get(), root, "B", Rect(80, 80, 200, 180), clBlue);
    TControlHost host;
    host.SetRoot(root);
    host.SetMargin(0);
    host.setFrameShape(QFrame::NoFrame);
    host.resize(320, 220);
    host.move(0, 0);
    host.show();
    host.DrawFocusRect(Rect(10, 150, 290, 195));

    // Wait until the window is mapped and painted.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 1500) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    const QPoint origin = host.Surface()->mapToGlobal(QPoint(0, 0));
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    // For a person to look at: TESSIV_SCREENSHOT names a PNG to write.
    if (const QByteArray path = qgetenv("TESSIV_SCREENSHOT"); !path.isEmpty())
        shot.save(QString::fromLocal8Bit(path));
    auto at = [&](int x, int y) { return shot.pixel(origin.x() + x, origin.y() + y) & 0xFFFFFF; };
    struct Check {
        int x, y;
        unsigned rgb;
        const char* what;
    } checks[] = {
        {5, 5, 0xFFFFFF, "root"},
        {30, 30, 0xFF0000, "A"},
        {150, 100, 0x0000FF, "B over A"},
        {100, 100, 0x0000FF, "B where it overlaps A"},
    };
    int failures = 0;
    for (const Check& c : checks)
        if (at(c.x, c.y) != c.rgb) {
            std::fprintf(stderr, "%s: expected %06x at (%d,%d), saw %06x\n", c.what, c.rgb, c.x, c.y, at(c.x, c.y));
            ++failures;
        }
    // The outline's top edge inverts some of the white it crosses (dotted): look for any change.
    int changed = 0;
    for (int x = 20; x < 60; ++x)
        changed += at(x, 150) != 0xFFFFFF;
    if (changed == 0) {
        std::fprintf(stderr, "the exclusive-or outline is not on the screen\n");
        ++failures;
    }
    std::printf("%s\n", failures ? "FAILED" : "ok");
    return failures ? 1 : 0;
}
