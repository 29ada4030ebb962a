#include "TextFixture.h"

#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/printing/Printer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace enginetest {

QStringList TCaptureFilter::Strings() const
{
    QStringList list;
    for (const TExportedText& t : Texts)
        list << t.Text;
    return list;
}

bool TTextDatabase::Make(const QStringList& statements)
{
    if (!FDir.isValid()) {
        Error = QStringLiteral("no temporary folder");
        return false;
    }
    Session().SetConfigFile(FDir.filePath(QStringLiteral("Aliases.INI")));
    Session().SetDataFolder(FDir.filePath(QStringLiteral("data")));
    FFile = FDir.filePath(QStringLiteral("textos.db"));
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("textos-maker"));
        db.setDatabaseName(FFile);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString& s : statements) {
            if (!ok)
                break;
            if (!q.exec(s)) {
                Error = s + QStringLiteral(": ") + q.lastError().text();
                ok = false;
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("textos-maker"));
    TStringList params;
    params.Add(QStringLiteral("PATH=") + FFile);
    Session().AddAlias(QStringLiteral("TEXTOS"), QStringLiteral("SQLITE"), &params);
    return ok;
}

TTable* TTextDatabase::AddTable(TRunDoc& doc, const QString& table, bool asReportData)
{
    auto* t = new TTable(doc.Form.get());
    t->SetName(QStringLiteral("Tabela") + table);
    t->SetDatabaseName(QStringLiteral("TEXTOS"));
    t->SetTableName(table);
    t->Open();
    if (asReportData)
        doc.Report->SetDataSet(t);
    return t;
}

QStringList TTextDatabase::Query(const QString& sql) const
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("textos-reader"));
        db.setDatabaseName(FFile);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql)) {
                while (q.next()) {
                    QStringList cols;
                    for (int i = 0; i < q.record().count(); ++i)
                        cols << q.value(i).toString();
                    rows << cols.join(QLatin1Char('|'));
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("textos-reader"));
    return rows;
}

bool HavePdfToText()
{
    return QProcess::execute(QStringLiteral("pdftotext"), {QStringLiteral("-v")}) == 0;
}

void PrintToPdf(TRunDoc& doc, const QString& file)
{
    TPrinter* printer = doc.Report->PrivatePrinter();
    doc.Report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
    printer->SetPdfFileName(file);
    doc.Report->SetShowProgress(false);
    doc.Report->Print();
}

std::vector<TWordBox> PdfWords(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    p.waitForFinished();
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    std::vector<TWordBox> words;
    int page = 0;
    for (const QString& line : html.split(QLatin1Char('\n'))) {
        if (line.contains(QLatin1String("<page ")))
            ++page;
        const QRegularExpressionMatch m = word.match(line);
        if (m.hasMatch())
            words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                             m.captured(4).toDouble(), m.captured(5)});
    }
    return words;
}

const TWordBox* FindWord(const std::vector<TWordBox>& words, const QString& w)
{
    for (const TWordBox& b : words)
        if (b.Word == w)
            return &b;
    return nullptr;
}

QImage RenderPdfPage(const QString& file, int page, int dpi)
{
    const QString base = file + QStringLiteral("-render");
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
                       QString::number(page), QStringLiteral("-l"), QString::number(page),
                       QStringLiteral("-singlefile"), file, base});
    return QImage(base + QStringLiteral(".png"));
}

QRect InkBox(const QImage& image, const QRect& region)
{
    QRect box;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace enginetest
