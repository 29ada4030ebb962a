#pragma once
// What the text printables' tests share: a real SQLite file made from statements, an export filter
// that keeps every text the run gives it, and the words of a PDF with their boxes as pdftotext
// finds them.

#include "RunFixture.h"

#include "engine/export/KVExportFilter.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace tessiv {
class TTable;
}

namespace enginetest {

// A text a run handed to the export filter.
struct TExportedText {
    int Page = 0;
    long double X = 0;
    long double Y = 0;
    QString Text;
};

class TCaptureFilter : public TKVExportFilter {
public:
    TCaptureFilter() = default;
    void NewPage() override { ++FPage; }
    void TextOut(long double x, long double y, const TFont&, TColor, TAlignment, const QString& text) override
    {
        Texts.push_back({FPage, x, y, text});
    }
    // The texts in the order they came.
    QStringList Strings() const;
    std::vector<TExportedText> Texts;

private:
    int FPage = 0;
};

// A SQLite file in a folder of its own, reached through the alias "TEXTOS".
class TTextDatabase {
public:
    // Runs the statements on a new file; false (with the error in Error) when one fails.
    bool Make(const QStringList& statements);
    TTable* AddTable(TRunDoc& doc, const QString& table, bool asReportData = true);
    // The rows of a query on the file, each row's columns joined by "|".
    QStringList Query(const QString& sql) const;
    QString Folder() const { return FDir.path(); }
    QString Error;

private:
    QTemporaryDir FDir;
    QString FFile;
};

struct TWordBox {
    int Page = 0;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0; // points from the page's top-left corner
    QString Word;
};

bool HavePdfToText();
// The report prints on the PDF printer into file.
void PrintToPdf(TRunDoc& doc, const QString& file);
// Every word of the PDF with its box (pdftotext -bbox).
std::vector<TWordBox> PdfWords(const QString& file);
const TWordBox* FindWord(const std::vector<TWordBox>& words, const QString& word);
// A page of the PDF drawn by pdftoppm at dpi; a null image when it cannot be.
QImage RenderPdfPage(const QString& file, int page, int dpi);
// The box of the dark pixels inside region (pixels); empty when there are none.
QRect InkBox(const QImage& image, const QRect& region);
// 0.1 mm as points.
inline double NativeToPoints(long double v)
{
    return static_cast<double>(v) * 72.0 / 254.0;
}

} // namespace enginetest
