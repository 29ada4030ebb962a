// Report files (.KVR): the resource header, then the report document's component stream; repaired
// and read as the program opens a document, written back, and the written file read again.
#include "FuzzReports.h"

#include "designer/document/ReportFile.h"

namespace {

std::vector<QByteArray> Seeds()
{
    using namespace tessiv;
    std::vector<QByteArray> seeds;
    for (int variant : {0, 1, 2}) {
        fuzz::TFormPtr form = fuzz::SeedReport(variant);
        TMemoryStream s;
        WriteComponentRes(s, form.get());
        seeds.push_back(s.Bytes());
    }
    return seeds;
}

} // namespace

TESSIV_FUZZ_TARGET(kvr, Seeds)
{
    using namespace tessiv;
    fuzz::InitOnce();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::unique_ptr<TComponent, TComponentDeleter> root;
    // As a document opens a file: repaired in memory, and an older file read again with the
    // fuller repair when the first reading fails.
    const auto read = [&](TReportRepair repair) {
        TMemoryStream in(RepairReportResource(bytes, repair).Resource);
        root.reset(ReadComponentRes(in, nullptr));
    };
    try {
        try {
            read(TReportRepair::Basic);
        } catch (const EInvalidImage&) {
            return false;
        } catch (const Exception&) {
            root.reset();
            read(TReportRepair::Legacy);
        }
    } catch (const Exception&) {
        return false;
    }
    if (!root)
        return false;
    TMemoryStream out;
    try {
        WriteComponentRes(out, root.get());
    } catch (const Exception&) {
        return true;
    }
    root.reset();
    // What the program saved it must open again.
    try {
        out.SetPosition(0);
        std::unique_ptr<TComponent, TComponentDeleter> again(ReadComponentRes(out, nullptr));
    } catch (const Exception& e) {
        fuzz::Broken("a report file that was read and saved cannot be read again");
    }
    return true;
}
