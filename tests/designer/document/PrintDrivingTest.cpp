// Print driving: labels per record, thermal rows, running numbers and the label count, run on the
// PDF printer with a recorder on the detail band that notes which record each label printed.

#include "DesignerFixture.h"
#include "LabelDocument.h"

#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVLabel.h"
#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/printing/Printer.h"

#include <QDir>
#include <QSizeF>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <memory>
#include <vector>

namespace designertest {

using namespace tessiv;

class PrintDrivingTest : public DesignerTest {
protected:
    void MakeItems(const QStringList& quantities, const QString& extra = QString())
    {
        MakeSqlite(QStringLiteral("ETIQ"), ItemsTable(quantities, extra));
    }
    QString Pdf() const { return Path(QStringLiteral("saida.pdf")); }
    // The words of a PDF in reading order that match a pattern.
    static QString PdfWords(const QString& file, const QString& pattern)
    {
        return PdfLines(file)
            .join(QLatin1Char(' '))
            .split(QLatin1Char(' '))
            .filter(QRegularExpression(pattern))
            .join(QLatin1Char(' '));
    }
};

TEST_F(PrintDrivingTest, LabelsPerRecordAndThermalRows)
{
    struct TCase {
        const char* Name;
        QStringList Quantities; // empty: no table
        bool QuantityField;
        int Quantidade;
        bool Thermal;
        TKVTipoImpressaoTermica Kind;
        int Columns;
        bool Preview;
        QStringList Printed;
    };
    const std::vector<TCase> cases = {
        {"ordinary", {"2", "0", "1"}, true, 1, false, kvtiQtdExata, 1, false, {"AAC"}},
        {"ordinary preview", {"2", "0", "1"}, true, 1, false, kvtiQtdExata, 1, true, {"AAC"}},
        {"no labels", {"NULL", "-3", "0"}, true, 1, false, kvtiQtdExata, 1, false, {}},
        {"first record without labels", {"0", "2"}, true, 1, false, kvtiQtdExata, 1, false, {"BB"}},
        {"one per record", {"5", "0", "7"}, false, 1, false, kvtiQtdExata, 1, false, {"ABC"}},
        {"fractional, halves to even", {"2.5", "1.5", "0.4"}, true, 1, false, kvtiQtdExata, 1, false, {"AABB"}},
        {"quantity only", {}, false, 4, false, kvtiQtdExata, 1, false, {"QQQQ"}},
        {"thermal exact", {"7", "2", "2"}, true, 1, true, kvtiQtdExata, 3, false, {"AAA", "AAA", "ABB", "CC"}},
        {"thermal exact pairs", {"2", "2", "2", "2"}, true, 1, true, kvtiQtdExata, 3, false, {"AAB", "BCC", "DD"}},
        {"thermal exact singles", {"1", "1", "1", "1", "1"}, true, 1, true, kvtiQtdExata, 4, false, {"ABCD", "E"}},
        {"thermal exact skips", {"0", "4", "NULL", "2"}, true, 1, true, kvtiQtdExata, 3, false, {"BBB", "BDD"}},
        {"thermal multiple", {"7", "2", "2"}, true, 1, true, kvtiMultiplo, 3, false, {"AAA", "AAA", "AAA", "BBB", "CCC"}},
        {"thermal quantity only exact", {}, false, 4, true, kvtiQtdExata, 3, false, {"QQQ", "Q"}},
        {"thermal quantity only multiple", {}, false, 4, true, kvtiMultiplo, 3, false, {"QQQ", "QQQ"}},
        {"thermal without quantity field", {"5", "5"}, false, 1, true, kvtiQtdExata, 3, false, {"AB"}},
        {"thermal preview is ordinary", {"7", "2", "2"}, true, 1, true, kvtiQtdExata, 3, true, {"AAAAAAABBCC"}},
        {"thermal quantity only preview", {}, false, 4, true, kvtiQtdExata, 3, true, {"QQQQ"}},
    };
    int n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        if (!c.Quantities.isEmpty()) {
            Session().DeleteAlias(QStringLiteral("ETIQ"));
            QFile::remove(Path(QStringLiteral("ETIQ.db")));
            MakeItems(c.Quantities);
        }
        TLabelDoc d(&Host, QStringLiteral("ETIQ"), !c.Quantities.isEmpty(), c.QuantityField,
                    Path(QStringLiteral("caso%1.pdf").arg(++n)));
        TVardoRep* report = d.Doc->Report();
        report->SetQuantidade(c.Quantidade);
        report->Page()->SetColumns(c.Columns);
        if (c.Thermal)
            report->SetOptions(report->Options() + TVardoReportOptions{kvoImpressoraTermica});
        report->SetTipoImpressaoTermica(c.Kind);
        if (c.Preview)
            d.Doc->Preview();
        else
            d.Doc->Print();
        EXPECT_EQ(d.Printed(), c.Printed);
        EXPECT_EQ(report->PrinterSettings()->Copies(), 1);
        EXPECT_TRUE(Boxes.empty());
        EXPECT_TRUE(report->Visible());
        EXPECT_FALSE(report->Previewing());
        EXPECT_EQ(report->Options().Contains(kvoImpressoraTermica), c.Thermal);
    }
}

TEST_F(PrintDrivingTest, ExactThenMultipleInOneSessionStartFromAnEmptyRow)
{
    MakeItems({"2", "2", "2", "2"});
    TLabelDoc d(&Host, QStringLiteral("ETIQ"), true, true, Pdf());
    TVardoRep* report = d.Doc->Report();
    report->Page()->SetColumns(3);
    report->SetOptions(report->Options() + TVardoReportOptions{kvoImpressoraTermica});
    d.Doc->Print();
    EXPECT_EQ(d.Printed(), (QStringList{"AAB", "BCC", "DD"}));
    d.Runs.clear();
    report->SetTipoImpressaoTermica(kvtiMultiplo);
    d.Doc->Print();
    EXPECT_EQ(d.Printed(), (QStringList{"AAA", "BBB", "CCC", "DDD"}));
    d.Runs.clear();
    report->SetTipoImpressaoTermica(kvtiQtdExata);
    d.Doc->Print();
    EXPECT_EQ(d.Printed(), (QStringList{"AAB", "BCC", "DD"}));
}

TEST_F(PrintDrivingTest, CancellingARowStopsTheWholeThermalPrint)
{
    MakeItems({"3", "3", "3"});
    TLabelDoc d(&Host, QStringLiteral("ETIQ"), true, true, Pdf());
    TVardoRep* report = d.Doc->Report();
    report->Page()->SetColumns(3);
    report->SetOptions(report->Options() + TVardoReportOptions{kvoImpressoraTermica});
    int labels = 0;
    d.OnLabel = [&] {
        if (++labels == 2)
            report->RunPrinter()->Cancel();
    };
    d.Doc->Print();
    ASSERT_EQ(d.Runs.size(), 1u);
    EXPECT_EQ(report->PrinterSettings()->Copies(), 1);
    EXPECT_TRUE(report->Available());
}

namespace {

// The page sizes of a PDF in points, as pdfinfo reads them.
std::vector<QSizeF> PdfPageSizes(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                        QStringLiteral("9999"), file});
    p.waitForFinished(60000);
    std::vector<QSizeF> pages;
    static const QRegularExpression re(QStringLiteral(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"));
    for (auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
        const auto m = it.next();
        pages.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return pages;
}

QStringList Repeated(const QString& word, int times)
{
    QStringList list;
    for (int i = 0; i < times; ++i)
        list << word;
    return list;
}

} // namespace

// On the printer that writes a file, a thermal print leaves one file holding every row and every
// copy in the order the rows are made; a print cancelled half-way leaves the older file.
TEST_F(PrintDrivingTest, ThermalRowsOnThePdfPrinterMakeOneFile)
{
    MakeItems({"7", "2", "2", "0", "4"}, QStringLiteral("UPDATE ITENS SET NOME = 'ROLO' || ID"));
    struct TCase {
        const char* Name;
        TKVTipoImpressaoTermica Kind;
        int CancelAtLabel; // 0: none
        QStringList Labels; // empty: the older file stays
        int Pages;
    };
    const std::vector<TCase> cases = {
        {"exact", kvtiQtdExata, 0,
         Repeated("ROLO1", 7) + Repeated("ROLO2", 2) + Repeated("ROLO3", 2) + Repeated("ROLO5", 4), 5},
        {"multiple", kvtiMultiplo, 0,
         Repeated("ROLO1", 9) + Repeated("ROLO2", 3) + Repeated("ROLO3", 3) + Repeated("ROLO5", 6), 7},
        {"cancelled in the third row", kvtiQtdExata, 8, {}, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString pdf = Path(QStringLiteral("rolo-%1.pdf").arg(c.Kind * 10 + c.CancelAtLabel));
        {
            QFile older(pdf);
            ASSERT_TRUE(older.open(QIODevice::WriteOnly));
            older.write("older file");
        }
        TLabelDoc d(&Host, QStringLiteral("ETIQ"), true, true, pdf);
        TVardoRep* report = d.Doc->Report();
        report->Page()->SetColumns(3);
        report->SetOptions(report->Options() + TVardoReportOptions{kvoImpressoraTermica});
        report->SetTipoImpressaoTermica(c.Kind);
        int labels = 0;
        d.OnLabel = [&] {
            if (++labels == c.CancelAtLabel)
                report->RunPrinter()->Cancel();
        };
        d.Doc->Print();
        EXPECT_TRUE(Boxes.empty());
        EXPECT_EQ(report->PrinterSettings()->Copies(), 1);
        if (c.Labels.isEmpty()) {
            QFile older(pdf);
            ASSERT_TRUE(older.open(QIODevice::ReadOnly));
            EXPECT_EQ(older.readAll().toStdString(), "older file");
        } else {
            // A page per row; the names in reading order (the quantities beside them left out).
            EXPECT_EQ(PdfPageSizes(pdf).size(), static_cast<std::size_t>(c.Pages));
            EXPECT_EQ(PdfWords(pdf, QStringLiteral("^ROLO")).toStdString(), c.Labels.join(QLatin1Char(' ')).toStdString());
        }
        // Nothing is left beside the file.
        EXPECT_EQ(QDir(Path(QString())).entryList({QStringLiteral(".rolo*")}, QDir::Files | QDir::Hidden), QStringList());
    }
}

// A thermal label of 50 x 25 mm (Personalizada, no margins, one column) prints on pages of its
// own size, a label to a page, every copy of every row in the one file.
TEST_F(PrintDrivingTest, APersonalizadaThermalLabelPrintsOnItsOwnPaper)
{
    MakeItems({"3", "1"});
    const QString pdf = Pdf();
    TLabelDoc d(&Host, QStringLiteral("ETIQ"), true, true, pdf);
    TVardoRep* report = d.Doc->Report();
    report->SetUnits(kvunMM);
    TKVPage* page = report->Page();
    page->SetPaperSize(TKVPaperSize::Custom);
    page->SetWidth(50);
    page->SetLength(25);
    page->SetTopMargin(0);
    page->SetBottomMargin(0);
    page->SetLeftMargin(0);
    page->SetRightMargin(0);
    page->SetColumns(1);
    d.Detail->Size()->SetHeight(20);
    report->SetOptions(report->Options() + TVardoReportOptions{kvoImpressoraTermica});
    d.Doc->Print();
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(d.Printed(), (QStringList{"A", "A", "A", "B"}));

    const std::vector<QSizeF> pages = PdfPageSizes(pdf);
    EXPECT_EQ(pages.size(), 4u);
    for (const QSizeF& size : pages) {
        EXPECT_NEAR(size.width(), 50 / 25.4 * 72, 1.0);
        EXPECT_NEAR(size.height(), 25 / 25.4 * 72, 1.0);
    }
    EXPECT_EQ(PdfWords(pdf, QStringLiteral("^[AB]$")).toStdString(), "A A A B");
}

TEST_F(PrintDrivingTest, ProgressStaysWithinAHundred)
{
    // A thermal print counts each row's labels ahead and one more per call: the percentage is
    // held to 0..100 however far the count runs past the total.
    MakeItems({"7", "2", "2"});
    for (bool thermal : {false, true}) {
        TLabelDoc d(&Host, QStringLiteral("ETIQ"), true, true, Pdf());
        TVardoRep* report = d.Doc->Report();
        report->Page()->SetColumns(3);
        if (thermal)
            report->SetOptions(report->Options() + TVardoReportOptions{kvoImpressoraTermica});
        std::vector<int> seen;
        d.OnLabel = [&] { seen.push_back(report->RunPrinter()->Progress()); };
        d.Doc->Print();
        ASSERT_EQ(seen.size(), 11u);
        for (int p : seen) {
            EXPECT_GE(p, 0);
            EXPECT_LE(p, 100);
        }
        EXPECT_EQ(d.Doc->TotalLabels(), 11);
    }
}

TEST_F(PrintDrivingTest, RunningNumbers)
{
    struct TCase {
        const char* Name;
        QStringList Quantities;
        QString Update;   // run on the table first
        QString Field;
        TKVIncremento Kind;
        int Step;
        QString Mask;
        QStringList Shown;
    };
    const QString first = FormatDateTime(QStringLiteral("c"), EncodeDate(2024, 2, 28));
    const QString second = FormatDateTime(QStringLiteral("c"), EncodeDate(2024, 2, 29));
    const QString third = FormatDateTime(QStringLiteral("c"), EncodeDate(2024, 3, 1));
    const std::vector<TCase> cases = {
        {"step 5", {"2", "0", "1"}, {}, "NUM", kvIncre, 5, {}, {"10", "15", "50"}},
        {"one per record never advances", {"1", "1"}, {}, "NUM", kvIncre, 5, {}, {"10", "50"}},
        {"shifted", {"2", "1"}, {}, "NUM", kvDesloca, 3, {}, {"13", "13", "53"}},
        {"mask", {"2"}, {}, "NUM", kvIncre, 1, "0000", {"0010", "0011"}},
        {"beyond 2^53", {"3"}, "UPDATE ITENS SET NUM = 9007199254740993", "NUM", kvIncre, 1, {},
         {"9007199254740993", "9007199254740994", "9007199254740995"}},
        {"dates by a day", {"3"}, "UPDATE ITENS SET DT = '2024-02-28'", "DT", kvIncre, 1, {}, {first, second, third}},
        {"a string field", {"2"}, "UPDATE ITENS SET TXT = 'abc'", "TXT", kvIncre, 1, {}, {"abc", "abc"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Session().DeleteAlias(QStringLiteral("ETIQ"));
        QFile::remove(Path(QStringLiteral("ETIQ.db")));
        MakeItems(c.Quantities, c.Update);
        TLabelDoc d(&Host, QStringLiteral("ETIQ"), true, true, Pdf());
        auto* number = new TKVDBText(d.Doc->Root());
        number->SetName(QStringLiteral("Numero"));
        number->SetParent(d.Detail);
        number->SetDataSet(d.Table);
        number->SetDataField(c.Field);
        number->SetIncrementoType(c.Kind);
        number->SetIncrementoValue(c.Step);
        number->SetMask(c.Mask);
        QStringList shown;
        d.Doc->Report()->BeforePrint = [&](TVardoRep* sender, bool& print) {
            d.Doc->ReportBeforePrint(sender, print);
            const auto handler = number->OnPrint;
            number->OnPrint = [handler, &shown](TObject* s, QString& value) {
                if (handler)
                    handler(s, value);
                shown << value;
            };
        };
        d.Doc->Print();
        EXPECT_EQ(shown, c.Shown);
    }
}

TEST_F(PrintDrivingTest, TheLabelCountMatchesTheDatabaseAndTheWalk)
{
    MakeItems({"2", "5", "3", "1", "4", "NULL"});
    TLabelDoc d(&Host, QStringLiteral("ETIQ"), true, true, Pdf());
    d.Table->SetFilter(QStringLiteral("UF = 'SP'"));
    d.Table->SetFiltered(true);
    ASSERT_TRUE(d.Doc->OpenDataSet(false));
    d.Doc->CalcTotalLabels();
    EXPECT_EQ(d.Doc->TotalLabels(), 2 + 3 + 4);
    if (!QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty()) {
        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"),
                     {Path(QStringLiteral("ETIQ.db")), QStringLiteral("Select Sum(QTD) AS WWWQtd from \"ITENS\" WHERE (UF = 'SP')")});
        ASSERT_TRUE(sqlite.waitForFinished());
        EXPECT_EQ(sqlite.readAllStandardOutput().trimmed().toInt(), d.Doc->TotalLabels());
    }

    // A query whose quantity column the table does not have: counted by walking the records.
    auto* query = new TQuery(d.Doc->Root());
    query->SetName(QStringLiteral("Consulta"));
    query->SetDatabaseName(QStringLiteral("ETIQ"));
    TStringList sql;
    sql.Add(QStringLiteral("SELECT NOME, QTD * 1 AS QTD2"));
    sql.Add(QStringLiteral("FROM ITENS"));
    sql.Add(QStringLiteral("WHERE UF = 'SP'"));
    query->SetSQL(&sql);
    d.Doc->Report()->SetDataSet(query);
    auto* quantity = dynamic_cast<TKVDBText*>(d.Doc->Root()->FindComponent(QStringLiteral("Quantidade")));
    quantity->SetDataSet(query);
    quantity->SetDataField(QStringLiteral("QTD2"));
    quantity->SetCampoQuantidade(true);
    ASSERT_TRUE(d.Doc->OpenDataSet(false));
    query->Next();
    d.Doc->CalcTotalLabels();
    EXPECT_EQ(d.Doc->TotalLabels(), 2 + 3 + 4);
    EXPECT_EQ(query->FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("A"));
}

} // namespace designertest
