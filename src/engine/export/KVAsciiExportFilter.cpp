#include "engine/export/KVAsciiExportFilter.h"

#include "engine/model/StringTable.h"
#include "platform/core/Component.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/GraphicsObjects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tessiv {

namespace {

std::u32string ToCharacters(const QString& text)
{
    std::u32string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t ch : text.toUcs4()) {
        // A line break or tab inside a text would break the grid: each takes its one cell.
        result.push_back(ch < 0x20 || ch == 0x7F ? U' ' : ch);
    }
    return result;
}

QString FromCharacters(const std::u32string& line)
{
    return QString::fromUcs4(line.data(), static_cast<qsizetype>(line.size()));
}

// Round halves to even, kept in long double so huge positions can be compared before they are
// made integers.
long double RoundHalfEven(long double value)
{
    return std::nearbyint(value); // the default rounding mode is to nearest, halves to even
}

} // namespace

TESSIV_IMPLEMENT_CLASS(TKVAsciiExportFilter, TKVExportFilter)

TKVAsciiExportFilter::TKVAsciiExportFilter(const QString& fileName) : TKVExportFilter(fileName) {}

// An unfinished export drops its file: what was on disk stays.
TKVAsciiExportFilter::~TKVAsciiExportFilter() = default;

QString TKVAsciiExportFilter::GetDescription() const
{
    return LoadStr(SKVAsciiFilterDescription);
}

QString TKVAsciiExportFilter::GetExtension() const
{
    return LoadStr(SKVAsciiFilterExtension);
}

QString TKVAsciiExportFilter::GetFilterName() const
{
    return LoadStr(SKVAsciiFilterName);
}

QString TKVAsciiExportFilter::Line(int row) const
{
    if (row < 0 || row >= BufferLines)
        return {};
    return FromCharacters(FLines[static_cast<std::size_t>(row)]);
}

void TKVAsciiExportFilter::Start(int, int paperHeight, const TFont& font)
{
    auto file = std::make_unique<QSaveFile>(FileName());
    if (!file->open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Cannot create \"%1\": %2").arg(FileName(), file->errorString()));
    FFile = std::move(file);
    FCellHeight = std::abs(font.Size()) * PointCell;
    FCellWidth = FCellHeight;
    FLineCount = FCellHeight > 0 ? static_cast<int>(Round(paperHeight / FCellHeight)) : 0;
    for (std::u32string& line : FLines)
        line.clear();
    FPageOpen = false;
    FActive = true;
}

void TKVAsciiExportFilter::NewPage()
{
    for (std::u32string& line : FLines)
        line.clear();
    FPageOpen = true;
}

void TKVAsciiExportFilter::TextOut(long double x, long double y, const TFont&, TColor, TAlignment alignment,
                                   const QString& text)
{
    if (FCellWidth <= 0 || FCellHeight <= 0)
        return;
    const std::u32string characters = ToCharacters(text);
    long double c = x / FCellWidth * ColumnFactor;
    const long double r = RoundHalfEven(y / FCellHeight);
    if (alignment == taRightJustify)
        c -= static_cast<long double>(characters.size());
    // A row outside the buffer is not on the page as written, and a column far beyond any paper
    // would only fill memory with blanks.
    if (!(r >= 0 && r < BufferLines))
        return;
    const long double column = RoundHalfEven(c);
    if (!(column <= 100000))
        return;
    std::u32string& line = FLines[static_cast<std::size_t>(r)];
    if (c > static_cast<long double>(line.size()))
        line.resize(static_cast<std::size_t>(column), U' ');
    // The first character goes to column round(c), counted from 1; before the line's start it
    // goes to the start. It overwrites what the text covers.
    const std::size_t at = column < 1 ? 0 : static_cast<std::size_t>(column) - 1;
    line.replace(at, std::min(characters.size(), line.size() - at), characters);
}

void TKVAsciiExportFilter::WriteLine(const std::u32string& line)
{
    const QByteArray bytes = FromCharacters(line).toUtf8() + '\n';
    if (!FFile || FFile->write(bytes) != bytes.size())
        throw EInOutError(QStringLiteral("Cannot write \"%1\": %2")
                              .arg(FileName(), FFile ? FFile->errorString() : QStringLiteral("not open")));
}

void TKVAsciiExportFilter::EndPage()
{
    // The run ends a page before it begins the first one: there is nothing to write then.
    if (!FPageOpen)
        return;
    FPageOpen = false;
    const int rows = std::min(FLineCount, BufferLines);
    for (int row = 0; row < rows; ++row)
        if (const std::u32string& line = FLines[static_cast<std::size_t>(row)]; !line.empty())
            WriteLine(line);
}

void TKVAsciiExportFilter::Finish()
{
    FActive = false;
    if (!FFile)
        return;
    const std::unique_ptr<QSaveFile> file = std::move(FFile);
    // An empty file would pass for an export: a run whose pages hold no text writes nothing, and a
    // file of that name stays as it was.
    if (file->pos() == 0)
        throw EInOutError(
            QStringLiteral("Nothing was exported to \"%1\": the report's pages hold no text").arg(FileName()));
    if (!file->commit())
        throw EInOutError(QStringLiteral("Cannot complete \"%1\": %2").arg(FileName(), file->errorString()));
}

} // namespace tessiv
