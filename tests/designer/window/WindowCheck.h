#pragma once
// What the checks on a real X server share: the application started as the program starts it,
// letting the server map and paint, the failures counted and the program's exit code, the
// designer's main form started as the program starts it with its document window, its commands
// run by name, the bundled product label to open, and the ink of a screenshot.

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/DesignerClasses.h"
#include "engine/design/DesignColours.h"
#include "platform/ui/Application.h"

#include <QAction>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMdiSubWindow>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <memory>

#include <unistd.h>

namespace windowcheck {

// The application of a check whose tests share one, started as the program is.
inline std::unique_ptr<tessiv::TQtApplication> StartApplication()
{
    // A window the check did not expect (a message box, say) waits for a user who never comes:
    // the check fails instead of holding the whole test run.
    std::signal(SIGALRM, [](int) {
        static const char why[] = "window check: still running after 300 s, a window is waiting for an answer\n";
        [[maybe_unused]] const auto written = ::write(2, why, sizeof why - 1);
        ::_exit(1);
    });
    ::alarm(300);
    static int argc = 1;
    static char arg0[] = "tessiv";
    static char* argv[] = {arg0, nullptr};
    return std::make_unique<tessiv::TQtApplication>(argc, argv);
}

inline int Failures = 0;

inline void Fail(const QString& what)
{
    std::fprintf(stderr, "%s\n", qPrintable(what));
    ++Failures;
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

// The program's exit code: 1 when a check failed.
inline int Finish()
{
    if (Failures)
        std::fprintf(stderr, "%d checks failed\n", Failures);
    return Failures ? 1 : 0;
}

// The main form with the files open, shown at the screen's corner, the look and classes of the
// program set first.
inline std::unique_ptr<tessiv::TfmAnexo, tessiv::TComponentDeleter> ShowMainForm(const QStringList& files)
{
    using namespace tessiv;
    Application().SetTitle(QStringLiteral("Tessiv"));
    SelectDesignColours();
    RegisterDesignerClasses();
    std::unique_ptr<TfmAnexo, TComponentDeleter> form(new TfmAnexo(nullptr, files));
    TForm::SetMainForm(form.get());
    form->Show();
    form->Window()->move(0, 0);
    return form;
}

// The files given to ShowMainForm opened as the program opens its command line, and painted.
inline void OpenCommandLine(tessiv::TfmAnexo& form)
{
    form.HandleCommandLine();
    form.FormPaint();
    Settle(1200);
}

// A command of the program by its name, run as its menu item runs it, and the loop let run after
// it; false when the form has no such command or it is disabled.
inline bool RunCommand(tessiv::TfmAnexo& form, const char* name)
{
    auto* action = form.Window()->findChild<QAction*>(QLatin1String(name));
    if (!action || !action->isEnabled())
        return false;
    action->trigger();
    Settle(300);
    return true;
}

// The active document window at the size given; nil when no document is open.
inline tessiv::TfmAnexo_MDIChild* SizedDocumentWindow(tessiv::TfmAnexo& form, int width = 900, int height = 560)
{
    tessiv::TfmAnexo_MDIChild* child = form.ActiveMDIChild();
    if (!child || !child->Report)
        return nullptr;
    child->SubWindow()->resize(width, height);
    return child;
}

#ifdef TESSIV_SOURCE_DIR
// A copy of the bundled product label with its database in the folder, since opening it writes it
// back; the label names its data beside itself. The current folder becomes the source folder.
// Empty when a copy failed.
inline QString CopyProductLabel(const QTemporaryDir& folder)
{
    const QString copy = folder.filePath(QStringLiteral("produtos.KVR"));
    if (!QFile::copy(QStringLiteral(TESSIV_SOURCE_DIR "/examples/produtos.KVR"), copy) ||
        !QFile::copy(QStringLiteral(TESSIV_SOURCE_DIR "/examples/loja.db"), folder.filePath(QStringLiteral("loja.db"))))
        return {};
    QDir::setCurrent(QStringLiteral(TESSIV_SOURCE_DIR));
    return copy;
}
#endif

// The dark pixels of an image, those of a lightness below the limit: a bar with its boxes and
// glyphs painted has plenty.
inline int Ink(const QImage& image, int lightnessBelow = 100)
{
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += QColor(image.pixel(x, y)).lightness() < lightnessBelow;
    return ink;
}

} // namespace windowcheck
