#pragma once
// What the checks on a real X server share: letting the server map and paint, the failures
// counted and the program's exit code, and the designer's main form started as the program
// starts it.

#include "designer/AnexoForm.h"
#include "designer/DesignerClasses.h"
#include "engine/DesignColours.h"
#include "platform/ui/Application.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QThread>

#include <cstdio>
#include <memory>

namespace windowcheck {

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

} // namespace windowcheck
