// Reading and writing component streams of many components, as report files grow.
#include "platform/core/ClassRegistry.h"
#include "platform/core/Component.h"
#include "platform/core/Filer.h"
#include "platform/core/ObjectText.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace tessiv;

namespace {

const TEnumInfo& AlignInfo()
{
    static const TEnumInfo info{QStringLiteral("TAlign"),
                                {QStringLiteral("taLeft"), QStringLiteral("taRight"), QStringLiteral("taCenter")}};
    return info;
}

// A printable-like component: a few ordinary properties and a "Values" list of four lengths.
class TBenchControl : public TComponent {
    TESSIV_CLASS(TBenchControl, TComponent)
public:
    using TComponent::TComponent;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Alignment = 0;
    bool Enabled = true;
    QString Caption;
    long double Values[4] = {};
    void DefineProperties(TFiler& filer) override
    {
        filer.DefineProperty(
            QStringLiteral("Values"),
            [this](TReader& r) {
                r.ReadListBegin();
                for (long double& v : Values)
                    v = r.ReadFloat();
                r.ReadListEnd();
            },
            [this](TWriter& w) {
                w.WriteListBegin();
                for (long double v : Values)
                    w.WriteFloat(v);
                w.WriteListEnd();
            },
            true);
    }
};

TESSIV_IMPLEMENT_CLASS(TBenchControl, TComponent,
    t.Integer(QStringLiteral("Left"), &TBenchControl::Left, &TBenchControl::Left);
    t.Integer(QStringLiteral("Top"), &TBenchControl::Top, &TBenchControl::Top);
    t.Integer(QStringLiteral("Width"), &TBenchControl::Width, &TBenchControl::Width);
    t.Integer(QStringLiteral("Height"), &TBenchControl::Height, &TBenchControl::Height);
    t.Enum(QStringLiteral("Alignment"), AlignInfo(), &TBenchControl::Alignment, &TBenchControl::Alignment, 0);
    t.Boolean(QStringLiteral("Enabled"), &TBenchControl::Enabled, &TBenchControl::Enabled, true);
    t.String(QStringLiteral("Caption"), &TBenchControl::Caption, &TBenchControl::Caption);
)

class TBenchRoot : public TComponent {
    TESSIV_CLASS(TBenchRoot, TComponent)
public:
    using TComponent::TComponent;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            proc(Components(i));
    }
};

TESSIV_IMPLEMENT_CLASS(TBenchRoot, TComponent)

constexpr int kComponents = 10000;

using RootPtr = std::unique_ptr<TComponent, TComponentDeleter>;

RootPtr MakeTree()
{
    RegisterClasses({&TBenchRoot::StaticClass(), &TBenchControl::StaticClass()});
    RootPtr root(new TBenchRoot(nullptr));
    root->SetName(QStringLiteral("fmHidden"));
    for (int i = 0; i < kComponents; ++i) {
        auto* c = new TBenchControl(root.get());
        c->SetName(QStringLiteral("KVLabel%1").arg(i + 1));
        c->Left = i % 700;
        c->Top = (i * 13) % 1000;
        c->Width = 120;
        c->Height = 17;
        c->Alignment = i % 3;
        c->Caption = QStringLiteral("Campo %1").arg(i);
        c->Values[0] = 45.0L;
        c->Values[1] = c->Left * 2.6458333333333335L;
        c->Values[2] = c->Top * 2.6458333333333335L;
        c->Values[3] = 317.5L;
    }
    return root;
}

QByteArray WriteTree(TComponent* root)
{
    TMemoryStream s;
    TWriter w(s);
    w.WriteRootComponent(root);
    return s.Bytes();
}

void Counters(benchmark::State& state, qsizetype bytes)
{
    state.counters["components/s"] = benchmark::Counter(double(kComponents) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(double(bytes) * state.iterations() / 1e6, benchmark::Counter::kIsRate);
    state.counters["bytes"] = double(bytes);
}

void BM_WriteStream(benchmark::State& state)
{
    RootPtr root = MakeTree();
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray bytes = WriteTree(root.get());
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.constData());
    }
    Counters(state, size);
}
BENCHMARK(BM_WriteStream)->Unit(benchmark::kMillisecond);

void BM_ReadStream(benchmark::State& state)
{
    RootPtr tree = MakeTree();
    const QByteArray bytes = WriteTree(tree.get());
    tree.reset();
    for (auto _ : state) {
        TMemoryStream s(bytes);
        TReader r(s);
        RootPtr root(r.ReadRootComponent(nullptr));
        benchmark::DoNotOptimize(root.get());
    }
    Counters(state, bytes.size());
}
BENCHMARK(BM_ReadStream)->Unit(benchmark::kMillisecond);

void BM_BinaryToText(benchmark::State& state)
{
    RootPtr tree = MakeTree();
    const QByteArray bytes = WriteTree(tree.get());
    for (auto _ : state)
        benchmark::DoNotOptimize(ObjectBinaryToText(bytes).size());
    Counters(state, bytes.size());
}
BENCHMARK(BM_BinaryToText)->Unit(benchmark::kMillisecond);

void BM_TextToBinary(benchmark::State& state)
{
    RootPtr tree = MakeTree();
    const QByteArray text = ObjectBinaryToText(WriteTree(tree.get()));
    for (auto _ : state)
        benchmark::DoNotOptimize(ObjectTextToBinary(text).size());
    Counters(state, text.size());
}
BENCHMARK(BM_TextToBinary)->Unit(benchmark::kMillisecond);

} // namespace
