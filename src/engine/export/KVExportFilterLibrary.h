#pragma once
// The export formats a save dialog offers: the filter classes registered at start-up, in order,
// with the name and extension each reports. Also two small routines the report engine's dialogs
// share: a run of one character and the font sizes the page setup offers.

#include "engine/export/KVExportFilter.h"

#include <QString>

#include <vector>

namespace tessiv {

class TStrings;

struct TKVExportFilterLibraryEntry {
    TKVExportFilterClass FilterClass;
    QString FilterName;
    QString Extension;
};

class TKVExportFilterLibrary {
public:
    // Records the class with the name and extension of a filter it makes for no file.
    void AddFilter(const TKVExportFilterClass& filterClass);
    template <class F>
    void AddFilter()
    {
        AddFilter([](const QString& fileName) -> std::unique_ptr<TKVExportFilter> {
            return std::make_unique<F>(fileName);
        });
    }
    const std::vector<TKVExportFilterLibraryEntry>& Filters() const { return FFilters; }
    // The filter string of a save dialog: the saved-preview file first, then each filter in
    // registration order. Dialog index 1 is the saved preview; index k >= 2 is entry k - 2.
    QString GetSaveDialogFilter() const;
    // A new filter of entry index (from 0) for the file; nil outside the list.
    std::unique_ptr<TKVExportFilter> CreateFilter(int index, const QString& fileName) const;

private:
    std::vector<TKVExportFilterLibraryEntry> FFilters;
};

// The program's library, made on first use with the text filter registered.
TKVExportFilterLibrary& ExportFilterLibrary();

// The saved-preview file's extension, without the dot.
extern const QString KVSavedPreviewExtension;

// ch repeated count times; empty for a count of 0 or less.
QString StringOfChar(QChar ch, int count);
// Clears the items and adds the font sizes the page setup offers, as decimal texts.
void FillFontSizes(TStrings& items);

} // namespace tessiv
