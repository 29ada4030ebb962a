// The binary component stream: a report document read into real components (classes created by
// name, properties through their tables, references fixed up), then written back.
#include "FuzzReports.h"

namespace {

std::vector<QByteArray> Seeds()
{
    using namespace tessiv;
    std::vector<QByteArray> seeds;
    for (int variant : {0, 1, 2}) {
        fuzz::TFormPtr form = fuzz::SeedReport(variant);
        TMemoryStream s;
        TWriter writer(s);
        writer.WriteRootComponent(form.get());
        seeds.push_back(s.Bytes());
    }
    return seeds;
}

} // namespace

TESSIV_FUZZ_TARGET(component_stream, Seeds)
{
    using namespace tessiv;
    fuzz::InitOnce();
    std::unique_ptr<TComponent, TComponentDeleter> root;
    try {
        TMemoryStream in(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        TReader reader(in);
        root.reset(reader.ReadRootComponent(nullptr));
    } catch (const Exception&) {
        return false;
    }
    if (!root)
        return false;
    try {
        TMemoryStream out;
        TWriter writer(out);
        writer.WriteRootComponent(root.get());
    } catch (const Exception&) {
        // A value that was read but cannot be written is reported, not a crash.
    }
    return true;
}
