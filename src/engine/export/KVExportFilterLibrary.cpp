#include "engine/export/KVExportFilterLibrary.h"

#include "engine/export/KVAsciiExportFilter.h"
#include "engine/model/StringTable.h"
#include "platform/core/Strings.h"

namespace tessiv {

// Saved previews have an extension of their own, so that saving one can never replace a report
// file of the same name.
const QString KVSavedPreviewExtension = QStringLiteral("VKR");

void TKVExportFilterLibrary::AddFilter(const TKVExportFilterClass& filterClass)
{
    const std::unique_ptr<TKVExportFilter> probe = filterClass(QString());
    FFilters.push_back({filterClass, probe->GetFilterName(), probe->GetExtension()});
}

QString TKVExportFilterLibrary::GetSaveDialogFilter() const
{
    QString filter = LoadStr(SKVSavedPreviewFileName) + QStringLiteral("(*.") + KVSavedPreviewExtension +
                     QStringLiteral(")|*.") + KVSavedPreviewExtension;
    for (const TKVExportFilterLibraryEntry& entry : FFilters)
        filter += QStringLiteral("|") + entry.FilterName + QStringLiteral(" (*.") + entry.Extension +
                  QStringLiteral(")|*.") + entry.Extension;
    return filter;
}

std::unique_ptr<TKVExportFilter> TKVExportFilterLibrary::CreateFilter(int index, const QString& fileName) const
{
    if (index < 0 || index >= static_cast<int>(FFilters.size()))
        return nullptr;
    return FFilters[static_cast<std::size_t>(index)].FilterClass(fileName);
}

TKVExportFilterLibrary& ExportFilterLibrary()
{
    static TKVExportFilterLibrary library = [] {
        TKVExportFilterLibrary l;
        l.AddFilter<TKVAsciiExportFilter>();
        return l;
    }();
    return library;
}

QString StringOfChar(QChar ch, int count)
{
    return count > 0 ? QString(count, ch) : QString();
}

void FillFontSizes(TStrings& items)
{
    static constexpr int Sizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
    items.Clear();
    for (const int size : Sizes)
        items.Add(QString::number(size));
}

} // namespace tessiv
