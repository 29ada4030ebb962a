#pragma once
// What the window checks of the page, alignment and size dialogs share: letting the X server map
// and paint, a screenshot of a form into the build folder, and the failures counted.

#include "platform/core/IniFiles.h"
#include "uisupport/Form.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace dialogcheck {

inline int Failures = 0;

inline void Fail(const char* what, long long got = 0, long long wanted = 0)
{
    std::fprintf(stderr, "%s (got %lld, wanted %lld)\n", what, got, wanted);
    ++Failures;
}

inline void Expect(bool ok, const char* what, long long got = 0, long long wanted = 0)
{
    if (!ok)
        Fail(what, got, wanted);
}

// There is no event that says a window is on the screen: the loop runs a while.
inline void Settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

// The form as the screen shows it, saved as <build>/<name>.png; false when it is blank.
inline bool Screenshot(const tessiv::TForm& form, const char* name)
{
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, form.Left(), form.Top(), form.Width(), form.Height())
                            .toImage();
    const QString path = QStringLiteral(TESSIV_BINARY_DIR "/") + QLatin1String(name) + QStringLiteral(".png");
    if (!shot.save(path))
        return false;
    std::fprintf(stderr, "screenshot: %s\n", qPrintable(path));
    // A painted dialog has text on it: some dark pixels and some light ones.
    int dark = 0, light = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2) {
            const int l = QColor(shot.pixel(x, y)).lightness();
            dark += l < 80;
            light += l > 180;
        }
    return dark > 20 && light > 20;
}

// Every button, box and label shows whole: none got less room than it asks for.
inline void ExpectNothingClipped(const tessiv::TForm& form)
{
    for (const QWidget* w : form.Window()->findChildren<QWidget*>()) {
        if (!w->isVisible() || !(qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
                                 qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w)))
            continue;
        // A size fixed by the dialog, and a combo box's own edit, are meant as they are.
        if (w->minimumSize() == w->maximumSize() || qobject_cast<const QComboBox*>(w->parentWidget()))
            continue;
        const bool inside = !w->parentWidget() || w->parentWidget()->rect().contains(w->geometry());
        if (!inside || w->height() < w->minimumSizeHint().height()) {
            std::fprintf(stderr, "%s \"%s\" is cut: %d of %d pixels high\n", w->metaObject()->className(),
                         qPrintable(w->objectName()), w->height(), w->minimumSizeHint().height());
            ++Failures;
        }
    }
}

// The form is centred on the screen as the dialogs place themselves without settings.
inline void ExpectCentred(const tessiv::TForm& form)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int left = (screen.width() - form.Width()) / 2;
    const int top = (screen.height() - form.Height()) / 2;
    Expect(std::abs(form.Left() - left) <= 1, "not centred across", form.Left(), left);
    Expect(std::abs(form.Top() - top) <= 1, "not centred down", form.Top(), top);
}

} // namespace dialogcheck
