#pragma once
// An export filter: a run hands it the page size, every page start and end, and every text that a
// text printable outputs, instead of (or beside) drawing the pages. Subclasses write a format of
// their own; the base writes nothing.

#include "platform/core/Alignment.h"
#include "platform/core/Persistent.h"
#include "platform/graphics/Color.h"

#include <QString>

#include <functional>
#include <memory>

namespace tessiv {

class TFont;

class TKVExportFilter : public TPersistent {
    TESSIV_CLASS(TKVExportFilter, TPersistent)
public:
    // The caller owns the filter and frees it after the export.
    explicit TKVExportFilter(const QString& fileName = QString());

    const QString& FileName() const { return FFileName; }
    // Between Start and Finish.
    bool Active() const { return FActive; }

    virtual QString GetDescription() const;
    // Without the dot.
    virtual QString GetExtension() const;
    virtual QString GetFilterName() const;
    virtual QString GetVendorName() const;
    // Once, before the first page: the paper in 0.1 mm and the report's font.
    virtual void Start(int paperWidth, int paperHeight, const TFont& font);
    // The page begun by the last NewPage is complete. The run also calls it once before the first
    // page, when no page is open: a filter must write nothing then.
    virtual void EndPage();
    // Once, after the last page of a run that went through. A cancelled or failed run never
    // finishes its filter: freed unfinished, a filter leaves its file as it was.
    virtual void Finish();
    virtual void NewPage();
    // One text on the current page; x and y in 0.1 mm from the page's top-left corner.
    virtual void TextOut(long double x, long double y, const TFont& font, TColor background, TAlignment alignment,
                         const QString& text);

protected:
    bool FActive = false;

private:
    QString FFileName;
};

// What a filter class is to the library: it makes a filter for a file name.
using TKVExportFilterClass = std::function<std::unique_ptr<TKVExportFilter>(const QString& fileName)>;

} // namespace tessiv
