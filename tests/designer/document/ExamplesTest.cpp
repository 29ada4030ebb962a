// The examples open and print on the PDF printer, from the repository's folder (where "make run"
// starts) and from any other, with the data they bring beside them, and each report file is what
// its text form builds.

#include "DesignerFixture.h"

#include "engine/model/VardoRep.h"
#include "platform/core/ObjectText.h"
#include "platform/core/Streams.h"
#include "platform/printing/Printer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>

#include <memory>

namespace designertest {

using namespace tessiv;

namespace {

QString SourceRoot()
{
    return QDir(QStringLiteral(TESSIV_TEST_DIR "/../..")).canonicalPath();
}

// A word of a PDF page and its box, in points from the page's top left.
struct TPdfWord {
    QString Text;
    QRectF Box;
};

// The words of each page, as pdftotext -bbox gives them.
QList<QList<TPdfWord>> PdfWords(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        return {};
    QList<QList<TPdfWord>> pages;
    static const QRegularExpression tag(QStringLiteral(
        "<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            pages.append(QList<TPdfWord>());
        } else if (!pages.isEmpty()) {
            const QPointF from(m.captured(1).toDouble(), m.captured(2).toDouble());
            const QPointF to(m.captured(3).toDouble(), m.captured(4).toDouble());
            pages.last().append({m.captured(5), QRectF(from, to)});
        }
    }
    return pages;
}

} // namespace

class ExamplesTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        FSavedCurrent = QDir::currentPath();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext is not installed";
    }
    void TearDown() override
    {
        QDir::setCurrent(FSavedCurrent);
        DesignerTest::TearDown();
    }

    // The example's name relative to the working folder, which becomes the current folder.
    static QString ExampleFrom(const QString& workingFolder, const QString& name)
    {
        QDir::setCurrent(workingFolder);
        return QDir(workingFolder).relativeFilePath(SourceRoot() + QStringLiteral("/examples/") + name +
                                                    QStringLiteral(".KVR"));
    }

    // Opens the example from the working folder (by default the repository's, where "make run"
    // starts) and prints it on the PDF printer; the text of the pages.
    QStringList PrintExample(const QString& name, const QString& workingFolder = SourceRoot())
    {
        const QString file = ExampleFrom(workingFolder, name);
        const QByteArray before = ReadFile(file);
        EXPECT_EQ(before, ResourceFromText(ReadFile(SourceRoot() + QStringLiteral("/examples/src/") + name +
                                                    QStringLiteral(".txt"))))
            << "examples/" << name.toStdString() << ".KVR is not what its text form builds: run scripts/make-examples";
        std::unique_ptr<TAnexoRelatorio> doc(OpenReportDocument(&Host, file));
        if (!doc) {
            ADD_FAILURE() << "no document";
            return {};
        }
        TPrinter* printer = doc->Report()->PrivatePrinter();
        doc->Report()->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
        const QString pdf = Path(name + QStringLiteral(".pdf"));
        printer->SetPdfFileName(pdf);
        doc->Print();
        EXPECT_TRUE(Boxes.empty());
        EXPECT_EQ(ReadFile(file), before);
        return PdfLines(pdf);
    }

    QString FSavedCurrent;
};

TEST_F(ExamplesTest, AnExampleNamingItsDatabaseFileListsTheTablesFields)
{
    // The shop's examples name their SQLite file by its path beside them: the field lists offer its
    // columns, whichever folder the program runs in.
    for (const QString& folder : {SourceRoot(), FDir.path()}) {
        SCOPED_TRACE(folder.toStdString());
        std::unique_ptr<TAnexoRelatorio> doc(OpenReportDocument(&Host, ExampleFrom(folder, QStringLiteral("produtos"))));
        ASSERT_TRUE(doc);
        EXPECT_TRUE(doc->IsDataSetDatabaseValid());
        ASSERT_TRUE(doc->OpenDataSet(false));
        QStringList fields;
        doc->BindDataFields(&fields);
        EXPECT_TRUE(fields.contains(QStringLiteral("NOME"), Qt::CaseInsensitive)) << fields.join(u',').toStdString();
        EXPECT_TRUE(Boxes.empty());
    }
}

TEST_F(ExamplesTest, TheGroupedListPrintsEachCategoryWithItsProducts)
{
    const QStringList expected = {
        "Lista de produtos por categoria",
        "Bebidas", "Agua mineral 500 ml 2,50", "Suco de laranja 1 l 8,90", "Cafe torrado 250 g 15,75", "Fim da categoria",
        "Limpeza", "Detergente 500 ml 3,20", "Sabao em po 1 kg 12,40", "Fim da categoria",
        "Mercearia", "Arroz 5 kg 27,90", "Feijao 1 kg 8,45", "Macarrao 500 g 4,99", "Fim da categoria",
        "Fim da lista"};
    EXPECT_EQ(PrintExample(QStringLiteral("lista")), expected);
}

TEST_F(ExamplesTest, TheExamplesPrintFromAnotherWorkingFolder)
{
    // Opened from elsewhere (the file manager, Arquivo > Abrir), an example finds its database file
    // and its folder of CSV files beside itself and prints what it prints from the project's folder.
    for (const char* name : {"lista", "termica"}) {
        SCOPED_TRACE(name);
        const QStringList fromProject = PrintExample(QLatin1String(name));
        ASSERT_FALSE(fromProject.isEmpty());
        EXPECT_EQ(PrintExample(QLatin1String(name), FDir.path()), fromProject);
    }
}

TEST_F(ExamplesTest, TheThermalLabelNumbersEachLabelOfARecord)
{
    const QStringList lines = PrintExample(QStringLiteral("termica"));
    // Two labels a row: each record's labels count up from its serial number.
    const QString text = lines.join(QLatin1Char('\n'));
    QStringList serials;
    for (const QString& line : lines)
        for (const QString& word : line.split(QLatin1Char(' ')))
            if (word.size() == 6 && word.toInt() > 0)
                serials << word;
    EXPECT_EQ(serials, (QStringList{"001000", "001001", "001002", "002000", "002001", "003000"})) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("Caixa azul")), 3);
    EXPECT_EQ(text.count(QStringLiteral("Caixa verde")), 2);
    EXPECT_EQ(text.count(QStringLiteral("Caixa branca")), 1);
}

TEST_F(ExamplesTest, EachProductLabelsBarcodeDecodesAndShowsItsDigitsInsideTheLabel)
{
    for (const char* tool : {"pdftoppm", "zbarimg"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    PrintExample(QStringLiteral("produtos"));
    const QString pdf = Path(QStringLiteral("produtos.pdf"));
    QProcess render;
    render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), pdf,
                                              Path(QStringLiteral("pagina"))});
    ASSERT_TRUE(render.waitForFinished(60000));
    const QList<QList<TPdfWord>> words = PdfWords(pdf);
    const QStringList pages =
        QDir(FDir.path()).entryList({QStringLiteral("pagina*.png")}, QDir::Files, QDir::Name);
    ASSERT_EQ(pages.size(), words.size());
    // Each label of the 3 x 8 sheet (70 x 37 mm from 0.5 mm down) cut out and decoded, down each
    // column and then across, the way details fill a page of columns.
    QStringList decoded;
    const double dotsPerMm = 300 / 25.4;
    const double pointsPerMm = 72 / 25.4;
    for (int p = 0; p < pages.size(); ++p) {
        const QImage image(FDir.filePath(pages[p]));
        ASSERT_FALSE(image.isNull());
        // Nothing of a label reaches over a border between two rows: no barcode runs into the
        // label below, where that label's background would hide it.
        for (int row = 1; row < 8; ++row) {
            const int y = qRound((0.5 + row * 37) * dotsPerMm);
            for (int x = 0; x < image.width(); ++x)
                ASSERT_GE(qGray(image.pixel(x, y)), 128) << pages[p].toStdString() << " row " << row << " x " << x;
        }
        for (int slot = 0; slot < 24; ++slot) {
            SCOPED_TRACE(testing::Message() << pages[p].toStdString() << " label " << slot);
            const double left = (slot / 8) * 70, top = 0.5 + (slot % 8) * 37;
            const QRect cell(qRound(left * dotsPerMm), qRound(top * dotsPerMm), qRound(70 * dotsPerMm),
                             qRound(37 * dotsPerMm));
            const QString crop = Path(QStringLiteral("etiqueta.png"));
            ASSERT_TRUE(image.copy(cell).save(crop));
            QProcess zbar;
            zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), crop});
            ASSERT_TRUE(zbar.waitForFinished(30000));
            const QStringList codes =
                QString::fromLatin1(zbar.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            if (codes.isEmpty())
                continue;
            ASSERT_EQ(codes.size(), 1) << codes.join(u' ').toStdString();
            const QString code = codes.front().trimmed();
            decoded << code;
            // The digits under the bars, as EAN-13 groups them, are text of this label.
            const QRectF label(left * pointsPerMm, top * pointsPerMm, 70 * pointsPerMm, 37 * pointsPerMm);
            QStringList inside;
            for (const TPdfWord& word : words[p])
                if (label.contains(word.Box))
                    inside << word.Text;
            for (const QString& group : {code.left(1), code.mid(1, 6), code.mid(7, 6)})
                EXPECT_TRUE(inside.contains(group))
                    << group.toStdString() << " not in " << inside.join(u' ').toStdString();
        }
    }
    // Every product as many times as its quantity, in the table's order.
    const QStringList expected = {"7891000100103", "7891000100103", "7891000100103", "7891000200209", "7891000200209",
                                  "7891000300305", "7891000400401", "7891000400401", "7891000400401", "7891000400401",
                                  "7891000500507", "7891000500507", "7891000600603", "7891000600603", "7891000600603",
                                  "7891000700709", "7891000700709", "7891000800805", "7891000800805", "7891000800805",
                                  "7891000800805", "7891000800805"};
    EXPECT_EQ(decoded.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());
}

} // namespace designertest
