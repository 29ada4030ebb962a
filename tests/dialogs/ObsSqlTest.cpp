// The SQL editor of an item area's observations and of a column grid: the SQL tried with the
// report's current record as master, only statements that read, the SQL stored with an undo step,
// and a store the database refuses taken back.
#include "ExprDialogsFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/AnexoRelatorio.h"
#include "designer/document/DesignerClasses.h"
#include "designer/document/Hidden.h"
#include "designer/surface/Voltar.h"
#include "designer/dialogs/ObsSql.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/Field.h"

#include <QPlainTextEdit>
#include <QPushButton>

using namespace tessiv;
using namespace exprdialogstest;

namespace {

using TEditorPtr = std::unique_ptr<TfmObs_Sql, TComponentDeleter>;

const QString ObsSql = QStringLiteral("SELECT TEXTO FROM OBS WHERE PEDIDO = :ID ORDER BY LINHA");

class ObsSqlTest : public ExprDialogsTest {
protected:
    void SetUp() override
    {
        ExprDialogsTest::SetUp();
        MakeSqliteAlias(QStringLiteral("PEDIDOS"),
                        {QStringLiteral("CREATE TABLE PED (ID INTEGER, CLIENTE VARCHAR(20))"),
                         QStringLiteral("INSERT INTO PED VALUES (1, 'Ana'), (2, 'Bia'), (3, 'Caio')"),
                         QStringLiteral("CREATE TABLE OBS (PEDIDO INTEGER, LINHA INTEGER, TEXTO VARCHAR(30))"),
                         QStringLiteral("INSERT INTO OBS VALUES (1, 1, 'Sem pressa'), (2, 1, 'Fragil'), (2, 2, 'Ligar antes')"),
                         QStringLiteral("CREATE TABLE NOTAS (PEDIDO INTEGER, TEXTO VARCHAR(30))"),
                         QStringLiteral("INSERT INTO NOTAS VALUES (2, 'Nota dois')")});
        MakeReport(QStringLiteral("PEDIDOS"), QStringLiteral("SELECT * FROM PED ORDER BY ID"));
        Area = new TKVItensObs(Root.get());
        Area->SetName(QStringLiteral("Area"));
        Area->SetParent(Report);
    }

    TEditorPtr NewEditor()
    {
        TEditorPtr e(new TfmObs_Sql(nullptr));
        e->Settings = Settings.get();
        e->SaveUndoStep = [this](TKVCustomBand* band) {
            EXPECT_EQ(band, Area);
            ++UndoSteps;
        };
        e->DropUndoStep = [this] { --UndoSteps; };
        e->SetItensObs(Area);
        return e;
    }

    void StoreInArea(const QString& sql)
    {
        TStringList lines;
        lines.SetText(sql);
        Area->SetObs_SQL(&lines);
    }

    TKVItensObs* Area = nullptr;
    int UndoSteps = 0;
};

TEST_F(ObsSqlTest, AbreTakesTheMasterParameterFromTheReportsCurrentRow)
{
    Data->Next();
    TEditorPtr e = NewEditor();
    EXPECT_EQ(e->mmEditorSql->toPlainText(), QString());
    e->mmEditorSql->setPlainText(ObsSql);
    e->buAbre->click();
    ASSERT_TRUE(e->Query()->Active()) << BoxTexts().join(QLatin1Char('\n')).toStdString();
    QStringList texts;
    for (e->Query()->First(); !e->Query()->Eof(); e->Query()->Next())
        texts << e->Query()->FieldByName(QStringLiteral("TEXTO"))->AsString();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Fragil"), QStringLiteral("Ligar antes")}));
    // The master moves on, the query follows it.
    Data->Next();
    EXPECT_TRUE(e->Query()->Active());
    EXPECT_TRUE(e->Query()->IsEmpty());
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(ObsSqlTest, OnlyStatementsThatReadAreTried)
{
    struct TCase {
        const char* Sql;
        bool Reads;
    };
    const TCase cases[] = {
        {"SELECT 1", true},
        {"  select TEXTO from OBS", true},
        {"-- the lines\nSELECT * FROM OBS", true},
        {"/* x */ (SELECT 1)", true},
        {"WITH T AS (SELECT 1 AS A) SELECT A FROM T", true},
        {"DELETE FROM OBS", false},
        {"UPDATE OBS SET TEXTO = ''", false},
        {"/* SELECT */ DROP TABLE OBS", false},
        {"INSERT INTO OBS VALUES (9, 9, 'x')", false},
        {"SELECTED", false},
        {"/* never closed SELECT 1", false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TfmObs_Sql::IsReadingStatement(QString::fromLatin1(c.Sql)), c.Reads) << c.Sql;

    TEditorPtr e = NewEditor();
    e->mmEditorSql->setPlainText(ObsSql);
    e->buAbre->click();
    ASSERT_TRUE(e->Query()->Active());
    for (const char* statement : {"DELETE FROM OBS", "/* SELECT */ DROP TABLE OBS", "UPDATE OBS SET TEXTO = 'x'"}) {
        Boxes.clear();
        e->mmEditorSql->setPlainText(QString::fromLatin1(statement));
        e->buAbre->click();
        ASSERT_EQ(Boxes.size(), 1u) << statement;
        EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("SELECT ou WITH"))) << statement;
        // The query has its SQL of before.
        EXPECT_EQ(e->Query()->SQL()->Text().trimmed(), ObsSql) << statement;
    }
    TQuery count(nullptr);
    count.SetDatabaseName(QStringLiteral("PEDIDOS"));
    count.SQL()->SetText(QStringLiteral("SELECT COUNT(*) AS N FROM OBS"));
    count.Open();
    EXPECT_EQ(count.FieldByName(QStringLiteral("N"))->AsInteger(), 3);
}

TEST_F(ObsSqlTest, BlankSqlOpensNothingAndSaysNothing)
{
    TEditorPtr e = NewEditor();
    e->mmEditorSql->setPlainText(QStringLiteral("  \n  "));
    e->buAbre->click();
    EXPECT_FALSE(e->Query()->Active());
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(ObsSqlTest, ABadQueryIsShownAndTheDialogStaysWithItsSqlOfBefore)
{
    TEditorPtr e = NewEditor();
    Steps.push_back([&](TModalForm&) {
        e->mmEditorSql->setPlainText(QStringLiteral("SELECT NADA FROM TABELA_QUE_NAO_HA"));
        e->buOk->click();
        EXPECT_TRUE(e->Modal());
        EXPECT_EQ(Boxes.size(), 1u);
        EXPECT_EQ(e->Query()->SQL()->Text().trimmed(), QString());
        e->buCancela->click();
    });
    EXPECT_EQ(e->ShowModal(), mrCancel);
    EXPECT_EQ(UndoSteps, 0);
    EXPECT_EQ(Area->Obs_DataSet(), nullptr);
}

TEST_F(ObsSqlTest, OkWithoutAChangeStoresNothing)
{
    StoreInArea(ObsSql);
    TEditorPtr e = NewEditor();
    EXPECT_EQ(e->mmEditorSql->toPlainText(), ObsSql);
    Steps.push_back([&](TModalForm&) { e->buOk->click(); });
    EXPECT_EQ(e->ShowModal(), mrCancel);
    EXPECT_EQ(UndoSteps, 0);
}

TEST_F(ObsSqlTest, OkStoresTheSqlInTheBandWithAnUndoStep)
{
    TEditorPtr e = NewEditor();
    Steps.push_back([&](TModalForm&) {
        e->mmEditorSql->setPlainText(ObsSql);
        e->buOk->click();
    });
    EXPECT_EQ(e->ShowModal(), mrOk);
    EXPECT_EQ(UndoSteps, 1);
    EXPECT_EQ(Area->Obs_SQL()->Text().trimmed(), ObsSql);
    ASSERT_NE(Area->Obs_DataSet(), nullptr);
    EXPECT_TRUE(Area->Obs_DataSet()->Active());
    // The dialog's own query and data source went with it.
    EXPECT_EQ(e->Query(), nullptr);
    EXPECT_EQ(e->Source(), nullptr);
    EXPECT_TRUE(Settings->ValueExists(QStringLiteral("ItensObs"), QStringLiteral("WindowState")));
}

TEST_F(ObsSqlTest, AStoreTheDatabaseRefusesIsTakenBack)
{
    // A second database with orders and observations, but no notes.
    MakeSqliteAlias(QStringLiteral("OUTRA"),
                    {QStringLiteral("CREATE TABLE PED (ID INTEGER, CLIENTE VARCHAR(20))"),
                     QStringLiteral("INSERT INTO PED VALUES (2, 'Bia')"),
                     QStringLiteral("CREATE TABLE OBS (PEDIDO INTEGER, LINHA INTEGER, TEXTO VARCHAR(30))"),
                     QStringLiteral("INSERT INTO OBS VALUES (2, 1, 'Outra')")});
    StoreInArea(ObsSql);
    TEditorPtr e = NewEditor();
    const QString notas = QStringLiteral("SELECT TEXTO FROM NOTAS WHERE PEDIDO = :ID");
    Steps.push_back([&](TModalForm&) {
        e->mmEditorSql->setPlainText(notas);
        e->buAbre->click();
        ASSERT_TRUE(e->Query()->Active());
        // Between trying and storing the report's data moves to the other database, and the
        // area's query follows it there.
        Data->Close();
        Data->SetDatabaseName(QStringLiteral("OUTRA"));
        Data->Open();
        ASSERT_EQ(Area->Obs_DataSet()->DatabaseName(), QStringLiteral("OUTRA"));
        e->buOk->click();
        EXPECT_TRUE(e->Modal());
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("NOTAS"))) << Boxes[0].Text.toStdString();
        EXPECT_EQ(UndoSteps, 0);
        EXPECT_EQ(Area->Obs_SQL()->Text().trimmed(), ObsSql);
        ASSERT_NE(Area->Obs_DataSet(), nullptr);
        EXPECT_EQ(Area->Obs_DataSet()->SQL()->Text().trimmed(), ObsSql);
        EXPECT_TRUE(Area->Obs_DataSet()->Active());
        EXPECT_EQ(Area->Obs_DataSet()->FieldByName(QStringLiteral("TEXTO"))->AsString(), QStringLiteral("Outra"));
        e->buCancela->click();
    });
    EXPECT_EQ(e->ShowModal(), mrCancel);
}

TEST_F(ObsSqlTest, AColumnGridsQueryIsEditedTheSameWay)
{
    auto* grid = new TKVColunaSql(Root.get());
    grid->SetName(QStringLiteral("Grade"));
    grid->SetParent(Report);
    TEditorPtr e(new TfmObs_Sql(nullptr));
    int steps = 0;
    e->SaveUndoStep = [&](TKVCustomBand* band) {
        EXPECT_EQ(band, grid);
        ++steps;
    };
    e->SetItensObs(Area);
    e->SetColunaSql(grid);
    EXPECT_EQ(e->Band(), grid);
    Steps.push_back([&](TModalForm&) {
        e->mmEditorSql->setPlainText(QStringLiteral("SELECT TEXTO FROM OBS WHERE PEDIDO = :ID"));
        e->buOk->click();
    });
    EXPECT_EQ(e->ShowModal(), mrOk);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(grid->Col_SQL()->Text().trimmed(), QStringLiteral("SELECT TEXTO FROM OBS WHERE PEDIDO = :ID"));
    EXPECT_TRUE(Area->Obs_SQL()->Text().trimmed().isEmpty());
}

// Through the main form: the step is the active window's, undo gives the band its SQL of before,
// and a store the database refuses leaves the history as it was.
TEST_F(ObsSqlTest, OkThroughTheMainFormIsOneUndoStepOfTheDocument)
{
    qputenv("HOME", FDir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", FDir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", FDir.filePath(QStringLiteral("Documents")).toUtf8());
    RegisterDesignerClasses();
    std::unique_ptr<TfmAnexo, TComponentDeleter> main(new TfmAnexo(nullptr, {}));
    main->Show();
    TAnexoRelatorio* doc = NewReportDocument(main.get());
    doc->SetFileName(Path(QStringLiteral("Pedidos.KVR")));
    main->OpenDocumentWindow(doc, doc->FileName());
    ASSERT_FALSE(main->MDIChildren().empty());
    main->ActivateChild(main->MDIChildren().front());
    ASSERT_EQ(main->Document, doc);
    auto* data = new TQuery(doc->Root());
    data->SetName(QStringLiteral("Pedidos"));
    data->SetDatabaseName(QStringLiteral("PEDIDOS"));
    data->SQL()->SetText(QStringLiteral("SELECT * FROM PED ORDER BY ID"));
    data->Open();
    doc->Report()->SetDataSet(data);
    auto* area = new TKVItensObs(doc->Root());
    area->SetName(QStringLiteral("Area1"));
    area->SetParent(doc->Report());
    TfmVoltar* undo = main->CurrentUndoForm();
    ASSERT_NE(undo, nullptr);
    const int steps = undo->StepCount();

    Steps.push_back([](TModalForm& form) {
        auto& e = dynamic_cast<TfmObs_Sql&>(form);
        e.mmEditorSql->setPlainText(ObsSql);
        e.buOk->click();
    });
    EXPECT_EQ(TfmObs_Sql::Execute(main.get(), area), mrOk);
    EXPECT_EQ(undo->StepCount(), steps + 1);
    EXPECT_TRUE(main->IsModified());
    EXPECT_EQ(area->Obs_SQL()->Text().trimmed(), ObsSql);

    // Refused: the history is as it was and the band keeps its SQL.
    MakeSqliteAlias(QStringLiteral("OUTRA"),
                    {QStringLiteral("CREATE TABLE PED (ID INTEGER)"), QStringLiteral("INSERT INTO PED VALUES (2)"),
                     QStringLiteral("CREATE TABLE OBS (PEDIDO INTEGER, LINHA INTEGER, TEXTO VARCHAR(30))")});
    Steps.push_back([data](TModalForm& form) {
        auto& e = dynamic_cast<TfmObs_Sql&>(form);
        e.mmEditorSql->setPlainText(QStringLiteral("SELECT TEXTO FROM NOTAS WHERE PEDIDO = :ID"));
        e.buAbre->click();
        data->Close();
        data->SetDatabaseName(QStringLiteral("OUTRA"));
        data->Open();
        e.buOk->click();
        EXPECT_TRUE(e.Modal());
        e.buCancela->click();
    });
    Boxes.clear();
    EXPECT_EQ(TfmObs_Sql::Execute(main.get(), area), mrCancel);
    EXPECT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(undo->StepCount(), steps + 1);
    EXPECT_EQ(undo->StepIndex, steps);
    EXPECT_EQ(area->Obs_SQL()->Text().trimmed(), ObsSql);

    main->EditarVoltarExecute();
    auto* restored = dynamic_cast<TKVItensObs*>(doc->Root()->FindComponent(QStringLiteral("Area1")));
    ASSERT_NE(restored, nullptr);
    EXPECT_TRUE(restored->Obs_SQL()->Text().trimmed().isEmpty());
    main->AskOnClose = false;
}

} // namespace
