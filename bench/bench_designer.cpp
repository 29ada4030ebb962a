// The design surface with many controls: a band of 100 and of 1,000 text labels in a new document
// of the main form, on the surface of its window (offscreen, no display), through Edit > Select
// all, one Ctrl+Right nudge of the whole selection, Undo and Redo. Each action is timed until the
// surface has painted what it changed. Its floor, measured in the same run on the same surface, is
// one full repaint of the band with its labels: an action that paints once cannot take less. The
// target is at most 0.3 s an action at 1,000 controls.

#include "BenchFloor.h"

#include "designer/document/DesignerClasses.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/AnexoChild.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "engine/printables/KVLabel.h"
#include "platform/controls/Messages.h"
#include "platform/data/Database.h"
#include "platform/ui/ControlHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace tessiv;

namespace {

struct TApp {
    // Never destroyed: at exit Qt's own input devices may already be gone before a static
    // application object would be.
    QApplication* App = nullptr;
    QTemporaryDir Dir;
    TApp()
    {
        static int argc = 1;
        static char arg0[] = "bench_designer";
        static char* argv[] = {arg0, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        App = new QApplication(argc, argv);
        Session().SetConfigFile(Dir.filePath(QStringLiteral("Aliases.INI")));
        Session().SetDataFolder(Dir.filePath(QStringLiteral("data")));
        RegisterDesignerClasses();
    }
};

TApp& App()
{
    static TApp app;
    return app;
}

// A main form with a new document whose detail band holds the labels, 25 to a row.
struct TSurface {
    std::unique_ptr<TfmAnexo, TComponentDeleter> Form;
    TVardoRep* Report = nullptr;
    TKVCustomBand* Band = nullptr;
    TControlHost* Host = nullptr;

    explicit TSurface(int controls)
    {
        App();
        Form.reset(new TfmAnexo(nullptr, {}));
        Form->Show();
        Form->ArquivoNovoExecute();
        Report = Form->Report;
        Band = Report->BandList().front();
        const int rows = (controls + 24) / 25;
        Band->SetHeight(rows * 20 + 10);
        for (int i = 0; i < controls; ++i) {
            auto* label = new TKVLabel(Report->Owner());
            label->SetName(QStringLiteral("Texto%1").arg(i + 1));
            label->SetParent(Band);
            label->SetBounds(4 + (i % 25) * 44, 4 + (i / 25) * 20, 40, 16);
        }
        TfmAnexo_MDIChild* child = Form->ActiveMDIChild();
        child->FitClientToReport();
        Host = child->Host();
        Host->SetFocusedControl(Report);
        Form->SetCurrentBand(Band);
        Settle();
    }
    ~TSurface()
    {
        Form->AskOnClose = false;
        Form.reset();
    }
    // The event loop until the surface has painted everything it was asked to.
    void Settle()
    {
        QCoreApplication::processEvents();
        for (int i = 0; i < 1000 && !Host->InvalidRegion().isEmpty(); ++i)
            QCoreApplication::processEvents();
    }
};

std::map<int, std::unique_ptr<TSurface>>& Surfaces()
{
    static std::map<int, std::unique_ptr<TSurface>> surfaces;
    return surfaces;
}

TSurface& SurfaceOf(int controls)
{
    auto& s = Surfaces()[controls];
    if (!s)
        s = std::make_unique<TSurface>(controls);
    return *s;
}

template <class Action>
void Measure(benchmark::State& state, Action action)
{
    const int controls = static_cast<int>(state.range(0));
    TSurface& surface = SurfaceOf(controls);
    const double seconds = benchfloor::SecondsPerIteration(state, [&] {
        action(surface);
        surface.Settle();
    });
    state.counters["s"] = seconds;
    state.counters["selected"] = surface.Form->MultiDesigner->Count();
    benchfloor::Ratio(state, QStringLiteral("repaint/%1").arg(controls), seconds);
}

// The floor: the whole surface painted once, as the paint event of an action would.
void BM_FullRepaint(benchmark::State& state)
{
    const int controls = static_cast<int>(state.range(0));
    TSurface& surface = SurfaceOf(controls);
    QWidget* widget = surface.Host->Surface();
    const double seconds = benchfloor::SecondsPerIteration(state, [&] {
        widget->repaint();
    });
    state.counters["s"] = seconds;
    benchfloor::SetFloor(QStringLiteral("repaint/%1").arg(controls), seconds);
}

void BM_SelectAll(benchmark::State& state)
{
    Measure(state, [](TSurface& s) { s.Form->Selecionartudo1Click(); });
}

void BM_Nudge(benchmark::State& state)
{
    Measure(state, [](TSurface& s) {
        s.Host->KeyPress(VK_RIGHT, QChar(), TShiftState{ssCtrl});
        s.Host->KeyRelease(VK_RIGHT, TShiftState{ssCtrl});
    });
}

void BM_Undo(benchmark::State& state)
{
    Measure(state, [](TSurface& s) { s.Form->EditarVoltarExecute(); });
}

void BM_Redo(benchmark::State& state)
{
    Measure(state, [](TSurface& s) { s.Form->EditarRefazerExecute(); });
}

void Close(benchmark::State& state)
{
    for (auto _ : state)
        Surfaces().erase(static_cast<int>(state.range(0)));
}

// One surface at a time, its actions in the order a user takes them.
BENCHMARK(BM_FullRepaint)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SelectAll)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Nudge)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Undo)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Redo)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Close)->Arg(100)->Iterations(1);
BENCHMARK(BM_FullRepaint)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SelectAll)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Nudge)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Undo)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Redo)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Close)->Arg(1000)->Iterations(1);

} // namespace
