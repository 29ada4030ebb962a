#include "engine/export/KVExportFilter.h"

#include "engine/model/StringTable.h"
#include "platform/core/Component.h"

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TKVExportFilter, TPersistent)

TKVExportFilter::TKVExportFilter(const QString& fileName) : FFileName(fileName) {}


QString TKVExportFilter::GetDescription() const
{
    return LoadStr(SKVFilterDescription);
}

QString TKVExportFilter::GetExtension() const
{
    return {};
}

QString TKVExportFilter::GetFilterName() const
{
    return LoadStr(SKVFilterName);
}

QString TKVExportFilter::GetVendorName() const
{
    return LoadStr(SKVFilterVendor);
}

void TKVExportFilter::Start(int, int, const TFont&) {}
void TKVExportFilter::EndPage() {}
void TKVExportFilter::Finish() {}
void TKVExportFilter::NewPage() {}
void TKVExportFilter::TextOut(long double, long double, const TFont&, TColor, TAlignment, const QString&) {}

} // namespace tessiv
