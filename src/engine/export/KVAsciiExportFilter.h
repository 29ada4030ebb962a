#pragma once
// Writes a report's texts as a plain text file: each page is a grid of character cells as tall as
// the report's font and a little narrower, every text goes into the cell its position falls in,
// and the page's non-empty lines are written when it ends.
//
// The file is UTF-8 without a byte-order mark, each line ended by a line feed, so that every tool
// on the desktop reads it as it is. Columns are counted in characters (Unicode code points), not
// in bytes or UTF-16 units. The file appears whole when the export finishes; an export that fails,
// is cancelled half-way or has no text leaves an existing file of that name as it was.

#include "engine/export/KVExportFilter.h"

#include <QSaveFile>

#include <array>
#include <memory>
#include <string>

namespace tessiv {

class TKVAsciiExportFilter : public TKVExportFilter {
    TESSIV_CLASS(TKVAsciiExportFilter, TKVExportFilter)
public:
    // Rows of the page buffer; rows beyond it are left out.
    static constexpr int BufferLines = 201;
    // The cell of a 1-point font, 0.1 mm (254 / 72).
    static constexpr long double PointCell = 3.5277777777777777L;
    // A cell is narrower than it is tall by this factor.
    static constexpr long double ColumnFactor = 1.7L;

    explicit TKVAsciiExportFilter(const QString& fileName = QString());
    ~TKVAsciiExportFilter() override;

    QString GetDescription() const override;
    QString GetExtension() const override;
    QString GetFilterName() const override;

    // EInOutError when the file cannot be made.
    void Start(int paperWidth, int paperHeight, const TFont& font) override;
    void NewPage() override;
    void TextOut(long double x, long double y, const TFont& font, TColor background, TAlignment alignment,
                 const QString& text) override;
    // EInOutError when a line cannot be written.
    void EndPage() override;
    // EInOutError when the file cannot be completed, or when the pages held no text (the file is
    // not written then).
    void Finish() override;

    // ---- what a page holds, for the curious ----
    int LineCount() const { return FLineCount; }
    long double CellWidth() const { return FCellWidth; }
    long double CellHeight() const { return FCellHeight; }
    // Row from 0; empty outside the buffer.
    QString Line(int row) const;

private:
    void WriteLine(const std::u32string& line);

    int FLineCount = 0;
    std::array<std::u32string, BufferLines> FLines;
    std::unique_ptr<QSaveFile> FFile;
    long double FCellWidth = 0;
    long double FCellHeight = 0;
    // A page begun and not yet written.
    bool FPageOpen = false;
};

} // namespace tessiv
