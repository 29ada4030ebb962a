#include "FuzzTarget.h"

#include "designer/document/DesignerClasses.h"
#include "platform/graphics/Graphics.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

namespace {
std::vector<TTarget>& TargetList()
{
    static std::vector<TTarget> targets;
    return targets;
}
} // namespace

const std::vector<TTarget>& Targets()
{
    return TargetList();
}

int Register(const TTarget& target)
{
    TargetList().push_back(target);
    return int(TargetList().size());
}

void InitOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tessiv_fuzz";
        static char* argv[] = {name, nullptr};
        // Lives as long as the process: every input runs under it.
        static QGuiApplication* app = new QGuiApplication(argc, argv);
        (void)app;
    }
    // The classes a document file may hold, its root form among them, as the program registers them.
    tessiv::RegisterDesignerClasses();
}

QString ScratchPath(const QString& name)
{
    static const QString dir = [] {
        const QString d = QDir::tempPath() + QStringLiteral("/tessiv-fuzz-%1").arg(QCoreApplication::applicationPid());
        QDir().mkpath(d);
        return d;
    }();
    return dir + QLatin1Char('/') + name;
}

void Paint(tessiv::TGraphic& graphic)
{
    using namespace tessiv;
    // Onto a painted page, as the preview shows it...
    QImage page(160, 120, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        TImageCanvas canvas(page);
        canvas.StretchDraw({8, 6, 152, 114}, &graphic);
        canvas.Draw(-3, -5, &graphic);
    }
    // ...and into a recorded page, as a report run keeps it.
    TMetafile recorded;
    recorded.SetWidth(160);
    recorded.SetHeight(120);
    TMetafileCanvas canvas(recorded);
    canvas.StretchDraw({8, 6, 152, 114}, &graphic);
}

void Broken(const char* what)
{
    std::fprintf(stderr, "fuzz: broken promise: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzz
