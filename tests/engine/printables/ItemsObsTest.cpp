// The item and observation area: its parts made at first placement, the lines of a block and its
// page arithmetic, and runs over a real SQLite order/items/observations file in which a group's
// items go on over further blocks, closed each time by the group footer.

#include "RunFixture.h"
#include "TextFixture.h"

#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVItemsObs.h"
#include "platform/core/Exceptions.h"
#include "platform/data/DBTables.h"
#include "platform/data/Field.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace enginetest;

namespace {

TKVItensObs* PlaceArea(TReportDoc& doc, TKVCustomBand* parentBand)
{
    auto* area = new TKVItensObs(doc.Form.get());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(doc.Report);
    if (parentBand)
        area->SetParentBand(parentBand);
    return area;
}

TEST(ItemsObs, FirstPlacementMakesTheItemsAndObservationPartsWithFiveLines)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    ASSERT_NE(area->Obs_TKVItens(), nullptr);
    ASSERT_NE(area->Obs_TKVObs(), nullptr);
    ASSERT_NE(area->Obs_TKVObs()->Obs_Label(), nullptr);
    EXPECT_EQ(area->Obs_TKVItensName().toStdString(), "Itens1");
    EXPECT_EQ(area->Obs_TKVObsName().toStdString(), "ObsBand1");
    EXPECT_EQ(area->Obs_TKVObs()->Obs_Label()->Name().toStdString(), "ObsLabel1");
    EXPECT_EQ(area->Linhas(), 5);
    EXPECT_EQ(area->Obs_TKVItens()->Height(), 20);
    EXPECT_FALSE(area->Obs_TKVItens()->Enabled());
    EXPECT_FALSE(area->Obs_TKVObs()->Enabled());
    // The items band is the report's detail; the observation band is no page footer of it.
    EXPECT_EQ(doc.Report->FirstBandOfKind(rbDetail), area->Obs_TKVItens());
    EXPECT_EQ(doc.Report->FirstBandOfKind(rbPageFooter), nullptr);
}

TEST(ItemsObs, LinesBelowTwoBecomeTwoAndTheBandsTakeTheirShare)
{
    struct TCase {
        int Set;
        int Linhas;
        int Height;
    };
    for (const TCase& c : {TCase{0, 2, 50}, TCase{1, 2, 50}, TCase{-7, 2, 50}, TCase{4, 4, 25}, TCase{200, 200, 1}}) {
        TReportDoc doc;
        TKVItensObs* area = PlaceArea(doc, nullptr);
        area->SetLinhas(c.Set);
        EXPECT_EQ(area->Linhas(), c.Linhas) << c.Set;
        EXPECT_EQ(area->Obs_TKVItens()->Height(), c.Height) << c.Set;
        EXPECT_EQ(area->Obs_TKVObs()->Height(), c.Height) << c.Set;
        EXPECT_EQ(area->Obs_TKVObs()->Top() + area->Obs_TKVObs()->Height(), area->Height()) << c.Set;
    }
}

TEST(ItemsObs, ResizingTheItemsBandSetsTheLines)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    area->Obs_TKVItens()->SetBounds(0, 0, 10, 25);
    EXPECT_EQ(area->Linhas(), 4);
    EXPECT_EQ(area->Obs_TKVItens()->Height(), 25);
    EXPECT_EQ(area->Obs_TKVItens()->Width(), area->Width());
    // Taller than the area: at least the two lines, each the area's half.
    area->Obs_TKVItens()->SetBounds(0, 0, 10, 500);
    EXPECT_EQ(area->Linhas(), 2);
    EXPECT_EQ(area->Obs_TKVItens()->Height(), 50);
}

TEST(ItemsObs, PageArithmetic)
{
    struct TCase {
        int Printed, Items, Conditions, Observations;
        int Total, Pages, Current, OnPage;
        bool Last;
    };
    const TCase cases[] = {
        {5, 7, 0, 0, 7, 2, 1, 5, false},
        {6, 7, 0, 0, 7, 2, 2, 1, true},
        {7, 7, 0, 0, 7, 2, 2, 2, true},
        {5, 5, 0, 0, 5, 1, 1, 5, true},
        {6, 3, 1, 2, 6, 2, 2, 1, true},
        {0, 0, 0, 0, 0, 0, 0, 5, true},
        {1, 0, 0, 0, 0, 0, 1, 1, false},
    };
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    for (const TCase& c : cases) {
        area->SetCounters(c.Printed, c.Items, c.Conditions, c.Observations);
        EXPECT_EQ(area->TotalLines(), c.Total) << c.Printed << " of " << c.Items;
        EXPECT_EQ(area->PageCount(), c.Pages) << c.Printed << " of " << c.Items;
        EXPECT_EQ(area->CurrentPage(), c.Current) << c.Printed << " of " << c.Items;
        EXPECT_EQ(area->LinesOnPage(), c.OnPage) << c.Printed << " of " << c.Items;
        EXPECT_EQ(area->IsLastPage(), c.Last) << c.Printed << " of " << c.Items;
    }
}

TEST(ItemsObs, PartsCannotBeDeletedAloneButGoWithTheArea)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    auto* condition = new TKVObsVariavel(doc.Form.get());
    condition->SetName(QStringLiteral("Cond"));
    condition->SetParent(area);
    TKVObsLabel* label = area->Obs_TKVObs()->Obs_Label();
    for (TComponent* part : std::initializer_list<TComponent*>{area->Obs_TKVItens(), area->Obs_TKVObs(), label, condition}) {
        EXPECT_FALSE(MayDestroyAlone(part)) << part->Name().toStdString();
        EXPECT_THROW(CheckDestroyAlone(part), EAbort);
    }
    EXPECT_TRUE(MayDestroyAlone(area));
    const int before = doc.Form->ComponentCount();
    area->Free();
    // The area, its three bands and the label.
    EXPECT_EQ(doc.Form->ComponentCount(), before - 5);
    EXPECT_EQ(doc.Form->FindComponent(QStringLiteral("Itens1")), nullptr);
    EXPECT_EQ(doc.Report->FirstBandOfKind(rbDetail), nullptr);
}

TEST(ItemsObs, ABandTakenOutOfTheAreaLeavesTheReportsBands)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    auto* condition = new TKVObsVariavel(doc.Form.get());
    condition->SetName(QStringLiteral("Cond"));
    condition->SetParent(area);
    const auto listed = [&doc](const TKVCustomBand* b) {
        return std::find(doc.Report->BandList().begin(), doc.Report->BandList().end(), b) != doc.Report->BandList().end();
    };
    EXPECT_TRUE(listed(condition));
    condition->SetParent(nullptr);
    EXPECT_FALSE(listed(condition));
    EXPECT_TRUE(area->Conditions().empty());
    condition->AllowDestroy();
    condition->Free();
}

TEST(ItemsObs, CopyingAnAreaTakesItsNamesTextAndLinesButNoForcedBreak)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    area->SetLinhas(4);
    area->SetObs_ListField(QStringLiteral("TEXTO"));
    area->Obs_SQL()->SetText(QStringLiteral("SELECT TEXTO FROM OBS"));
    TReportDoc other;
    auto* copy = new TKVItensObs(other.Form.get());
    copy->SetForceNewPage(true);
    copy->CopyFrom(area);
    EXPECT_EQ(copy->Linhas(), 4);
    EXPECT_EQ(copy->Obs_ListField(), QStringLiteral("TEXTO"));
    EXPECT_EQ(copy->Obs_TKVItensName(), QStringLiteral("Itens1"));
    EXPECT_EQ(copy->Obs_TKVObsName(), QStringLiteral("ObsBand1"));
    EXPECT_EQ(copy->Obs_SQL()->Text().trimmed(), QStringLiteral("SELECT TEXTO FROM OBS"));
    EXPECT_FALSE(copy->ForceNewPage());
    EXPECT_FALSE(copy->ForceNewColumn());
    // Not on a report of its owner: the names are kept, nothing is looked up.
    EXPECT_EQ(copy->Obs_TKVItens(), nullptr);
    copy->Free();
}

TEST(ItemsObs, ABandOfTheAreaCannotBeItsOwnParent)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    try {
        area->Obs_TKVItens()->SetParent(area->Obs_TKVItens());
        FAIL() << "accepted";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("A propriedade \"parent\" não pode ser igual ao abjeto."));
    }
}

TEST(ItemsObs, ConditionsKeepTheirListOrderThroughPosicao)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    std::vector<TKVObsVariavel*> bands;
    for (const char* name : {"A", "B", "C"}) {
        auto* band = new TKVObsVariavel(doc.Form.get());
        band->SetName(QString::fromLatin1(name));
        band->SetParent(area);
        bands.push_back(band);
    }
    EXPECT_EQ(bands[2]->Posicao(), 2);
    bands[2]->SetPosicao(0);
    ASSERT_EQ(area->Conditions().size(), 3u);
    EXPECT_EQ(area->Conditions()[0], bands[2]);
    EXPECT_EQ(bands[0]->Posicao(), 1);
    // At or above the number of bands: refused.
    bands[0]->SetPosicao(3);
    EXPECT_EQ(bands[0]->Posicao(), 1);
    // Stacked below the items band in list order.
    EXPECT_LT(bands[2]->Top(), bands[0]->Top());
    EXPECT_LT(bands[0]->Top(), bands[1]->Top());
    bands[2]->AllowDestroy();
    bands[2]->Free();
    EXPECT_EQ(bands[0]->Posicao(), 0);
    EXPECT_EQ(bands[1]->Posicao(), 1);
}

TEST(ItemsObs, WritingAReportWithAnAreaReadsBackToTheSameBytes)
{
    TReportDoc doc;
    TKVGroup* group = doc.Add<TKVGroup>(QStringLiteral("Grupo"));
    TKVItensObs* area = PlaceArea(doc, group);
    auto* condition = new TKVObsVariavel(doc.Form.get());
    condition->SetName(QStringLiteral("Cond"));
    condition->SetParent(area);
    condition->SetExpression(QStringLiteral("[QTD] > 1"));
    area->SetObs_ListField(QStringLiteral("TEXTO"));
    const QByteArray first = WriteRes(doc.Form.get());
    TFormPtr read = ReadRes(first);
    const QByteArray second = WriteRes(read.get());
    EXPECT_EQ(first.toHex().toStdString(), second.toHex().toStdString());
    auto* readArea = dynamic_cast<TKVItensObs*>(read->FindComponent(QStringLiteral("Area")));
    ASSERT_NE(readArea, nullptr);
    EXPECT_EQ(readArea->Linhas(), 5);
    EXPECT_EQ(readArea->Obs_TKVItens(), read->FindComponent(QStringLiteral("Itens1")));
    EXPECT_EQ(readArea->ParentGroup(), read->FindComponent(QStringLiteral("Grupo")));
    ASSERT_EQ(readArea->Conditions().size(), 1u);
    EXPECT_FALSE(MayDestroyAlone(readArea->Obs_TKVItens()));
    EXPECT_EQ(ReportOf(read.get())->FirstBandOfKind(rbDetail), readArea->Obs_TKVItens());
}

// ---- runs over orders, their items and observations ---------------------------------------------

class ItemsObsRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        UseSessionIn(FDir.path());
        QString error;
        QStringList sql{QStringLiteral("CREATE TABLE ITENS (PEDIDO INTEGER, ITEM INTEGER, PRODUTO VARCHAR(20))"),
                        QStringLiteral("CREATE TABLE OBS (PEDIDO INTEGER, LINHA INTEGER, TEXTO VARCHAR(30))"),
                        QStringLiteral("INSERT INTO OBS VALUES (3, 1, 'Entregar de manha'), (3, 2, 'Fragil')"),
                        QStringLiteral("CREATE TABLE PARC (PEDIDO INTEGER, VALOR VARCHAR(10))"),
                        QStringLiteral("INSERT INTO PARC VALUES (1, 'A1'), (1, 'A2'), (2, 'B1'), (3, 'C1')")};
        // Order 1: seven items; order 2: five; order 3: three.
        for (auto [order, count] : {std::pair{1, 7}, std::pair{2, 5}, std::pair{3, 3}})
            for (int i = 1; i <= count; ++i)
                sql << QStringLiteral("INSERT INTO ITENS VALUES (%1, %2, 'P%1-%2')").arg(order).arg(i);
        ASSERT_TRUE(MakeSqliteAlias(QStringLiteral("PEDIDOS"), FDir.filePath(QStringLiteral("pedidos.db")), sql, &error))
            << error.toStdString();
    }

    // Group header per order with the area as its child, a group footer that notes the block's
    // page as it prints, and a probe on each part.
    void Build(TRunDoc& doc, bool withGroup)
    {
        auto* data = new TQuery(doc.Form.get());
        data->SetName(QStringLiteral("Itens"));
        data->SetDatabaseName(QStringLiteral("PEDIDOS"));
        data->SQL()->SetText(QStringLiteral("SELECT * FROM ITENS ORDER BY PEDIDO, ITEM"));
        data->Open();
        Data = data;
        doc.Report->SetDataSet(data);
        TKVGroup* group = doc.Group(QStringLiteral("G"), QStringLiteral("[PEDIDO]"), 100);
        TKVBand* footer = doc.Band(QStringLiteral("F"), rbGroupFooter, 100);
        group->SetFooterBand(footer);
        Area = PlaceArea(doc, withGroup ? static_cast<TKVCustomBand*>(group) : nullptr);
        if (!withGroup) {
            // The area still lies under the header, but belongs to no group.
            Area->SetParentBand(group);
            Area->SetParentGroup(nullptr);
        }
        Items = Area->Obs_TKVItens();
        doc.ProbeOn(Items, QStringLiteral("I"));
        auto* condition = new TKVObsVariavel(doc.Form.get());
        condition->SetName(QStringLiteral("Cond"));
        condition->SetParent(Area);
        condition->SetExpression(QStringLiteral("[PEDIDO] = 3"));
        doc.ProbeOn(condition, QStringLiteral("C"));
        TStringList sql;
        sql.SetText(QStringLiteral("SELECT TEXTO FROM OBS WHERE PEDIDO = :PEDIDO ORDER BY LINHA"));
        Area->SetObs_SQL(&sql);
        Area->SetObs_ListField(QStringLiteral("TEXTO"));
        TProbe* obs = doc.ProbeOn(Area->Obs_TKVObs(), QStringLiteral("O"));
        obs->OnPrinted = [this] { Log << QStringLiteral("O:") + Area->Obs_DataSet()->FieldByName(QStringLiteral("TEXTO"))->AsString(); };
        for (int i = 0; i < doc.Form->ComponentCount(); ++i)
            if (auto* probe = dynamic_cast<TProbe*>(doc.Form->Components(i)); probe && probe != obs) {
                const QString name = probe->Text;
                probe->OnPrinted = [this, name] {
                    if (name == QLatin1String("F"))
                        Log << QStringLiteral("F%1%2").arg(Area->CurrentPage()).arg(Area->IsLastPage() ? QStringLiteral("last") : QString());
                    else if (name == QLatin1String("I"))
                        Log << QStringLiteral("I%1").arg(Data->FieldByName(QStringLiteral("ITEM"))->AsString());
                    else
                        Log << name;
                };
            }
    }

    QTemporaryDir FDir;
    TQuery* Data = nullptr;
    TKVItensObs* Area = nullptr;
    TKVItens* Items = nullptr;
    QStringList Log;
};

TEST_F(ItemsObsRunTest, BlocksRunOverPagesAndTheFooterSeesEachPage)
{
    TRunDoc doc;
    Build(doc, true);
    doc.RunPreview();
    EXPECT_EQ(Log.join(QLatin1Char(' ')).toStdString(),
              // Seven items in blocks of five: the footer closes page 1 of 2 at the sixth.
              "G I1 I2 I3 I4 I5 F1 G I6 I7 F2last "
              // Exactly five: no break.
              "G I1 I2 I3 I4 I5 F1last "
              // Three items, the condition and two rows: six lines break before the last row.
              "G I1 I2 I3 C O:Entregar de manha F1 G O:Fragil F2last");
    EXPECT_FALSE(Items->Enabled());
    EXPECT_FALSE(Area->Obs_TKVObs()->Enabled());
    EXPECT_EQ(Area->Obs_TKVObs()->Obs_Label()->Caption(), QStringLiteral("Observação dos Itens"));
}

TEST_F(ItemsObsRunTest, WithoutAGroupItemsBeyondTheBlockAreDroppedWhileObservationsPrint)
{
    TRunDoc doc;
    Build(doc, false);
    doc.RunPreview();
    const QString log = Log.join(QLatin1Char(' '));
    // No continuation: the header prints once per order, and order 1's seventh item, whose line
    // would start below the area, is dropped.
    EXPECT_FALSE(log.contains(QStringLiteral("I7"))) << log.toStdString();
    EXPECT_TRUE(log.endsWith(QStringLiteral("G I1 I2 I3 C O:Entregar de manha O:Fragil F2"))) << log.toStdString();
    EXPECT_EQ(Log.count(QStringLiteral("G")), 3);
}

TEST_F(ItemsObsRunTest, CountingLeavesTheReportOnItsRecordAndTheObservationQueryStill)
{
    TRunDoc doc;
    Build(doc, true);
    int opens = 0;
    doc.Report->AddRunDataSet(Data);
    Data->First();
    Data->Next();
    Area->Obs_DataSet()->AfterOpen = [&opens](TDataSet*) { ++opens; };
    const int recNo = Data->RecNo();
    Area->ResetRunCounters();
    Area->CountItemArea();
    EXPECT_EQ(Area->ItemCount(), 6);  // from the second of order 1's seven
    EXPECT_EQ(Data->RecNo(), recNo);
    EXPECT_FALSE(Data->ControlsDisabled());
    // Once when the dataset hands its followers the record back; not once per record passed.
    EXPECT_LE(opens, 1);
}

TEST_F(ItemsObsRunTest, TheObservationQueryFollowsTheOrderOfTheCurrentRecord)
{
    TRunDoc doc;
    Build(doc, true);
    doc.Report->AddRunDataSet(Data);
    struct TCase {
        int Order;
        int Rows;
        int Conditions;
        int Items;
    };
    for (const TCase& c : {TCase{1, 0, 0, 7}, TCase{2, 0, 0, 5}, TCase{3, 2, 1, 3}}) {
        Data->First();
        while (!Data->Eof() && Data->FieldByName(QStringLiteral("PEDIDO"))->AsInteger() != c.Order)
            Data->Next();
        Area->ResetRunCounters();
        Area->CountItemArea();
        EXPECT_EQ(Area->ObservationCount(), c.Rows) << c.Order;
        EXPECT_EQ(Area->ConditionCount(), c.Conditions) << c.Order;
        EXPECT_EQ(Area->ItemCount(), c.Items) << c.Order;
    }
}

TEST_F(ItemsObsRunTest, AConditionIsTrueOnlyForATrueBoolean)
{
    TRunDoc doc;
    Build(doc, true);
    doc.Report->AddRunDataSet(Data);
    Data->Last();  // an item of order 3
    TKVObsVariavel* condition = Area->Conditions().at(0);
    struct TCase {
        const char* Expression;
        bool Checked;
    };
    for (const TCase& c : {TCase{"[PEDIDO] = 3", true}, TCase{"[PEDIDO] = 1", false}, TCase{"[PEDIDO]", false},
                           TCase{"'S'", false}, TCase{"[NAOEXISTE] = 1", false}, TCase{"", false}}) {
        condition->SetExpression(QString::fromUtf8(c.Expression));
        EXPECT_EQ(condition->Evaluate(), c.Checked) << c.Expression;
        EXPECT_EQ(condition->Checked(), c.Checked) << c.Expression;
    }
}

TEST_F(ItemsObsRunTest, BlankObservationSqlFreesTheQueryAndItsDataSource)
{
    TRunDoc doc;
    Build(doc, true);
    EXPECT_EQ(Area->Obs_DataSetName().toStdString(), "quObs1");
    EXPECT_EQ(Area->Obs_DataSourceName().toStdString(), "dsObsReport1");
    TStringList blank;
    blank.SetText(QStringLiteral("  "));
    Area->SetObs_SQL(&blank);
    EXPECT_EQ(Area->Obs_DataSet(), nullptr);
    EXPECT_EQ(Area->Obs_DataSource(), nullptr);
    EXPECT_TRUE(Area->Obs_DataSetName().isEmpty());
    EXPECT_EQ(doc.Form->FindComponent(QStringLiteral("quObs1")), nullptr);
    TStringList sql;
    sql.SetText(QStringLiteral("SELECT TEXTO FROM OBS"));
    Area->SetObs_SQL(&sql);
    EXPECT_EQ(Area->Obs_DataSetName().toStdString(), "quObs1");
}

TEST(ItemsObs, ObservationSqlWithoutAReportDataSetTellsTheUserAndChangesNothing)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    QStringList shown;
    SetAreaMessageProc([&shown](const QString& text) { shown << text; });
    TStringList sql;
    sql.SetText(QStringLiteral("SELECT 1"));
    area->SetObs_SQL(&sql);
    SetAreaMessageProc(nullptr);
    EXPECT_EQ(shown, QStringList{QStringLiteral("Informe o DataSet do TVardoRep.")});
    EXPECT_EQ(area->Obs_SQL()->Text(), QString());
    EXPECT_EQ(area->Obs_DataSet(), nullptr);
}

TEST(ItemsObs, ReadingAnAreaWithSqlButNoDataSetShowsNoMessage)
{
    TReportDoc doc;
    TKVItensObs* area = PlaceArea(doc, nullptr);
    area->Obs_SQL()->SetText(QStringLiteral("SELECT 1"));
    const QByteArray bytes = WriteRes(doc.Form.get());
    QStringList shown;
    SetAreaMessageProc([&shown](const QString& text) { shown << text; });
    TFormPtr read = ReadRes(bytes);
    SetAreaMessageProc(nullptr);
    EXPECT_TRUE(shown.isEmpty());
    auto* readArea = dynamic_cast<TKVItensObs*>(read->FindComponent(QStringLiteral("Area")));
    ASSERT_NE(readArea, nullptr);
    EXPECT_EQ(readArea->Obs_SQL()->Text().trimmed(), QStringLiteral("SELECT 1"));
}

// An invoice: order headers, items over blocks of five, a footer whose text shows a fill on the
// pages that continue, the observations, and the instalments as a grid under the area that
// prints only with the block's last page.
class InvoiceTest : public ItemsObsRunTest {
protected:
    void BuildInvoice(TRunDoc& doc)
    {
        Build(doc, true);
        // Each order and each continued block on a page of its own, as forms are printed.
        dynamic_cast<TKVGroup*>(Area->ParentBand())->SetForceNewPage(true);
        Area->Obs_TKVObs()->Obs_Label()->SetWidth(300);
        TKVDBText* product = Text(doc, Items, QStringLiteral("PRODUTO"));
        product->SetLeft(10);
        TKVLabel* total = new TKVLabel(doc.Form.get());
        total->SetName(QStringLiteral("Total"));
        total->SetParent(dynamic_cast<TKVBand*>(Area->ParentGroupFooter()));
        total->SetText(QStringLiteral("TOTAL"));
        total->SetStrPreencheRodape(QStringLiteral("*"));
        auto* grid = new TKVColunaSql(doc.Form.get());
        grid->SetName(QStringLiteral("Parcelas"));
        grid->SetParent(doc.Report);
        grid->SetParentBand(Area);
        grid->SetColunas(3);
        Text(doc, grid->KVColuna(), QStringLiteral("VALOR"));
        TStringList sql;
        sql.SetText(QStringLiteral("SELECT VALOR FROM PARC WHERE PEDIDO = :PEDIDO ORDER BY VALOR"));
        grid->SetCol_SQL(&sql);
    }

    TKVDBText* Text(TRunDoc& doc, TKVCustomBand* band, const QString& field)
    {
        auto* text = new TKVDBText(doc.Form.get());
        text->SetName(QStringLiteral("Texto") + field);
        text->SetParent(band);
        text->SetDataSet(Data);
        text->SetDataField(field);
        return text;
    }
};

TEST_F(InvoiceTest, TheFooterShowsItsFillOnContinuedPagesAndTheGridOnlyWithTheLastBlock)
{
    TRunDoc doc;
    BuildInvoice(doc);
    // The label's text is the observation; a fill of five stars stands for "TOTAL".
    TCaptureFilter filter;
    doc.Report->ExportToFilter(&filter);
    EXPECT_EQ(filter.Strings().join(QLatin1Char(' ')).toStdString(),
              "P1-1 P1-2 P1-3 P1-4 P1-5 ***** A1 A2 P1-6 P1-7 TOTAL "
              "B1 P2-1 P2-2 P2-3 P2-4 P2-5 TOTAL "
              "P3-1 P3-2 P3-3 Entregar de manha ***** C1 Fragil TOTAL");
}

TEST_F(InvoiceTest, PrintedOnThePdfPrinterTheInvoiceReadsAsTheDataSays)
{
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    TRunDoc doc;
    BuildInvoice(doc);
    const QString file = FDir.filePath(QStringLiteral("fatura.pdf"));
    PrintToPdf(doc, file);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished());
    QStringList words;
    for (const QString& w : QString::fromUtf8(p.readAllStandardOutput()).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        words << w;
    // What the rows of the file say, page by page from the top: the items of each order, the
    // fill where a block continues, the instalments below the last block, the observations.
    QStringList expected;
    for (int i = 1; i <= 5; ++i)
        expected << QStringLiteral("P1-%1").arg(i);
    expected << QStringLiteral("*****") << QStringLiteral("P1-6") << QStringLiteral("P1-7") << QStringLiteral("A1")
             << QStringLiteral("A2") << QStringLiteral("TOTAL");
    for (int i = 1; i <= 5; ++i)
        expected << QStringLiteral("P2-%1").arg(i);
    expected << QStringLiteral("B1") << QStringLiteral("TOTAL") << QStringLiteral("P3-1") << QStringLiteral("P3-2")
             << QStringLiteral("P3-3") << QStringLiteral("Entregar") << QStringLiteral("de") << QStringLiteral("manha")
             << QStringLiteral("*****") << QStringLiteral("Fragil") << QStringLiteral("C1") << QStringLiteral("TOTAL");
    EXPECT_EQ(words.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());
}

} // namespace
