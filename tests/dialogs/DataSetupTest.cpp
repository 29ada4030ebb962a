// The data source setup dialog over real SQLite files, an ODBC alias and a CSV folder: the kinds
// of data, the aliases and folders, the table and query boxes, OK and Cancel.

#include "DataSetupFixture.h"

#include "designer/dialogs/MyZTDataSetup.h"
#include "designer/document/Hidden.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVDBText.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"

#include "designer/dialogs/DataGridModel.h"
#include "designer/dialogs/Grid.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QDir>
#include <QTest>

#include <cstdlib>

namespace datasetuptest {

using namespace tessiv;

namespace {

using TDialogPtr = std::unique_ptr<TfmMyZTDataSetup, TComponentDeleter>;

TDialogPtr NewDialog() { return TDialogPtr(new TfmMyZTDataSetup(nullptr)); }

// The data components of a document, by class, in the root's order.
template <class T>
std::vector<T*> All(TAnexoRelatorio* doc)
{
    std::vector<T*> found;
    for (int i = 0; i < doc->Root()->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<T*>(doc->Root()->Components(i)))
            found.push_back(c);
    return found;
}

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

class DataSetup : public DataSetupTest {
protected:
    struct TShopDialog {
        std::unique_ptr<TAnexoRelatorio> Doc;
        TTable* Table = nullptr;
        TDialogPtr Dialog;
    };
    // The shop behind LOJA, a document whose report reads its CLIENTES open as Table1, and the
    // dialog on that document.
    TShopDialog OpenShopDialog()
    {
        AddSqliteAlias(QStringLiteral("LOJA"), MakeShop(QStringLiteral("loja.db")));
        TShopDialog shop;
        shop.Doc = NewDocument();
        shop.Table = AddTable(shop.Doc.get(), QStringLiteral("Table1"), QStringLiteral("LOJA"), QStringLiteral("CLIENTES"));
        shop.Table->Open();
        shop.Dialog = NewDialog();
        shop.Dialog->SetAnexo(shop.Doc.get());
        return shop;
    }
};

TEST_F(DataSetup, TableOfASqliteAliasLoadsIntoTheBoxes)
{
    AddSqliteAlias(QStringLiteral("LOJA"), MakeShop(QStringLiteral("loja.db")));
    auto doc = NewDocument();
    TTable* table = AddTable(doc.get(), QStringLiteral("Table1"), QStringLiteral("LOJA"), QStringLiteral("CLIENTES"));
    table->SetFilter(QStringLiteral("UF = 'SP'"));
    table->SetFiltered(true);
    table->Open();
    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());

    EXPECT_EQ(dialog->DataTypeIndex(), 1);
    EXPECT_TRUE(dialog->DataTypeButton(1)->isChecked());
    EXPECT_EQ(dialog->cbDataBaseName()->currentText(), QStringLiteral("LOJA"));
    EXPECT_EQ(dialog->cbTableName()->currentText(), QStringLiteral("CLIENTES"));
    EXPECT_EQ(Items(dialog->cbTableName()), (QStringList{QStringLiteral("CLIENTES"), QStringLiteral("PRODUTOS")}));
    EXPECT_EQ(dialog->FilterExpression()->text(), QStringLiteral("UF = 'SP'"));
    EXPECT_TRUE(dialog->TableGroup()->isEnabled());
    EXPECT_FALSE(dialog->SQLGroup()->isEnabled());
    EXPECT_FALSE(dialog->gbQtdSemDados()->isEnabled());
    EXPECT_TRUE(dialog->buDados()->isEnabled());
    // Loading leaves the table as it was: open, filtered.
    EXPECT_EQ(doc->Report()->DataSet(), table);
    EXPECT_TRUE(table->Active());
    EXPECT_EQ(table->RecordCount(), 2);
    EXPECT_TRUE(Boxes.empty()) << BoxTexts().join(QLatin1Char('|')).toStdString();
}

TEST_F(DataSetup, NoDataFreesTheTableAndCancelBringsItBackWithEverythingThatReferredToIt)
{
    AddSqliteAlias(QStringLiteral("LOJA"), MakeShop(QStringLiteral("loja.db")));
    auto doc = NewDocument();
    TTable* table = AddTable(doc.get(), QStringLiteral("Clientes"), QStringLiteral("LOJA"), QStringLiteral("CLIENTES"));
    table->SetIndexName(QStringLiteral("CLIENTES_NOME"));
    table->SetFilter(QStringLiteral("UF = 'SP'"));
    table->SetFiltered(true);
    table->Open();
    auto* source = new TDataSource(doc->Root());
    source->SetName(QStringLiteral("DataSource1"));
    source->SetDataSet(table);
    auto* text = new TKVDBText(doc->Root());
    text->SetName(QStringLiteral("Nome"));
    text->SetParent(Detail(doc->Report()));
    text->SetDataSet(table);
    text->SetDataField(QStringLiteral("NOME"));

    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    dialog->SetDataTypeIndex(0);
    EXPECT_TRUE(All<TTable>(doc.get()).empty());
    EXPECT_EQ(doc->Report()->DataSet(), nullptr);
    EXPECT_EQ(source->DataSet(), nullptr);
    EXPECT_EQ(text->DataSet(), nullptr);
    EXPECT_TRUE(dialog->gbQtdSemDados()->isEnabled());
    EXPECT_FALSE(dialog->AliasGB()->isEnabled());

    dialog->bbCancelaClick();
    EXPECT_EQ(dialog->ModalResult(), mrCancel);
    const auto tables = All<TTable>(doc.get());
    ASSERT_EQ(tables.size(), 1u);
    TTable* back = tables.front();
    EXPECT_EQ(back->Name(), QStringLiteral("Clientes"));
    EXPECT_EQ(back->DatabaseName(), QStringLiteral("LOJA"));
    EXPECT_EQ(back->TableName(), QStringLiteral("CLIENTES"));
    EXPECT_EQ(back->IndexName(), QStringLiteral("CLIENTES_NOME"));
    EXPECT_EQ(back->Filter(), QStringLiteral("UF = 'SP'"));
    EXPECT_TRUE(back->Filtered());
    EXPECT_TRUE(back->Active());
    EXPECT_EQ(back->RecordCount(), 2);
    EXPECT_EQ(doc->Report()->DataSet(), back);
    EXPECT_EQ(source->DataSet(), back);
    EXPECT_EQ(text->DataSet(), back);
}

TEST_F(DataSetup, NoDataFreesTheDatabaseComponentAndCancelReconnectsIt)
{
    const QString file = MakeShop(QStringLiteral("estoque.db"));
    AddOdbcAlias(QStringLiteral("ESTOQUE"), file);
    auto doc = NewDocument();
    const QString own = QFileInfo(doc->FileName()).fileName();
    TDatabase* db = doc->EnsureDatabase();
    db->SetName(QStringLiteral("Banco"));
    db->SetAliasName(QStringLiteral("ESTOQUE"));
    db->SetDatabaseName(own);
    TTable* table = AddTable(doc.get(), QStringLiteral("Table1"), own, QStringLiteral("PRODUTOS"));
    table->BeforeOpen = [d = doc.get()](TDataSet* ds) { d->DataSetBeforeOpen(ds); };
    table->Open();
    ASSERT_TRUE(db->Connected());
    db->LoginPrompt = true;

    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    // The server alias keeps its database component while the dialog loads.
    EXPECT_EQ(dialog->cbDataBaseName()->currentText(), QStringLiteral("ESTOQUE"));
    ASSERT_EQ(doc->GetDatabase(), db);
    EXPECT_TRUE(table->Active());

    dialog->SetDataTypeIndex(0);
    EXPECT_TRUE(All<TDatabase>(doc.get()).empty());
    EXPECT_TRUE(All<TTable>(doc.get()).empty());

    dialog->bbCancelaClick();
    const auto dbs = All<TDatabase>(doc.get());
    ASSERT_EQ(dbs.size(), 1u);
    EXPECT_EQ(dbs.front()->Name(), QStringLiteral("Banco"));
    EXPECT_EQ(dbs.front()->AliasName(), QStringLiteral("ESTOQUE"));
    EXPECT_EQ(dbs.front()->DatabaseName(), own);
    EXPECT_TRUE(dbs.front()->Connected());
    EXPECT_TRUE(dbs.front()->LoginPrompt);
    const auto tables = All<TTable>(doc.get());
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables.front()->DatabaseName(), own);
    EXPECT_TRUE(tables.front()->Active());
    EXPECT_EQ(tables.front()->RecordCount(), 2);
    // The hooks are on: closing the data set lets the connection go.
    tables.front()->Close();
    EXPECT_FALSE(dbs.front()->Connected());
    EXPECT_TRUE(Boxes.empty()) << BoxTexts().join(QLatin1Char('|')).toStdString();
}

TEST_F(DataSetup, CancelAfterSwitchingToAQueryPutsTheTableBackAndLeavesNoQueryBehind)
{
    auto [doc, table, dialog] = OpenShopDialog();
    dialog->SetDataTypeIndex(2);
    ASSERT_EQ(All<TQuery>(doc.get()).size(), 1u);
    dialog->meSQL()->setPlainText(QStringLiteral("SELECT * FROM PRODUTOS"));
    dialog->OpenSQLClick();
    EXPECT_TRUE(doc->Report()->DataSet()->Active());

    dialog->bbCancelaClick();
    EXPECT_TRUE(All<TQuery>(doc.get()).empty());
    ASSERT_EQ(All<TTable>(doc.get()).size(), 1u);
    EXPECT_EQ(doc->Report()->DataSet(), All<TTable>(doc.get()).front());
    EXPECT_EQ(All<TTable>(doc.get()).front()->TableName(), QStringLiteral("CLIENTES"));
    EXPECT_TRUE(doc->Report()->DataSet()->Active());
}

TEST_F(DataSetup, CancelOfAReportWithoutDataFreesWhatTheDialogMade)
{
    AddSqliteAlias(QStringLiteral("LOJA"), MakeShop(QStringLiteral("loja.db")));
    auto doc = NewDocument();
    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    dialog->SetDataTypeIndex(1);
    dialog->cbDataBaseName()->setEditText(QStringLiteral("LOJA"));
    dialog->cbDataBaseNameChange();
    dialog->cbTableName()->setEditText(QStringLiteral("CLIENTES"));
    dialog->cbTableNameChange();
    ASSERT_TRUE(doc->Report()->DataSet() && doc->Report()->DataSet()->Active());
    dialog->bbCancelaClick();
    EXPECT_EQ(doc->Report()->DataSet(), nullptr);
    EXPECT_TRUE(All<TTable>(doc.get()).empty());
    EXPECT_TRUE(All<TQuery>(doc.get()).empty());
}

TEST_F(DataSetup, TabelaMakesTheNextFreeTableName)
{
    struct TCase {
        QStringList Taken;
        QString Expected;
    };
    const TCase cases[] = {
        {{}, QStringLiteral("Table1")},
        {{QStringLiteral("Table1")}, QStringLiteral("Table2")},
        {{QStringLiteral("Table1"), QStringLiteral("Table2"), QStringLiteral("Table4")}, QStringLiteral("Table3")},
    };
    for (const TCase& c : cases) {
        auto doc = NewDocument();
        // The names are taken by other components of the document (not the report's data set).
        for (const QString& name : c.Taken) {
            auto* other = new TDataSource(doc->Root());
            other->SetName(name);
        }
        auto dialog = NewDialog();
        dialog->SetAnexo(doc.get());
        ASSERT_EQ(dialog->DataTypeIndex(), 0);
        dialog->DataTypeButton(1)->click();
        EXPECT_EQ(dialog->DataTypeIndex(), 1);
        auto* table = dynamic_cast<TTable*>(doc->Report()->DataSet());
        ASSERT_NE(table, nullptr) << c.Expected.toStdString();
        EXPECT_EQ(table->Name(), c.Expected);
        EXPECT_EQ(table->Owner(), static_cast<TComponent*>(doc->Root()));
        EXPECT_EQ(dialog->WorkingTable(), table);
    }
    // And an SQL query is "Query" and a number.
    auto doc = NewDocument();
    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    dialog->DataTypeButton(2)->click();
    ASSERT_NE(dynamic_cast<TQuery*>(doc->Report()->DataSet()), nullptr);
    EXPECT_EQ(doc->Report()->DataSet()->Name(), QStringLiteral("Query1"));
}

TEST_F(DataSetup, AFolderTypedAsTheAliasListsItsFilesWithExtensions)
{
    const QString folder = MakeFolder(QStringLiteral("planilhas"),
                                      {QStringLiteral("clientes.csv"), QStringLiteral("produtos.txt"),
                                       QStringLiteral("leia-me.doc")},
                                      "NOME,UF\nAna,SP\nBia,RJ\n");
    auto doc = NewDocument();
    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    dialog->DataTypeButton(1)->click();
    dialog->cbDataBaseName()->setEditText(folder);
    dialog->cbDataBaseNameChange();
    EXPECT_EQ(Items(dialog->cbTableName()), (QStringList{QStringLiteral("clientes.csv"), QStringLiteral("produtos.txt")}));
    EXPECT_TRUE(Boxes.empty()) << BoxTexts().join(QLatin1Char('|')).toStdString();

    dialog->cbTableName()->setEditText(QStringLiteral("clientes.csv"));
    dialog->cbTableNameChange();
    TTable* table = dialog->WorkingTable();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->Active());
    EXPECT_EQ(table->RecordCount(), 2);
    EXPECT_EQ(table->DatabaseName(), folder);
    dialog->bbOkClick();
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_EQ(doc->Report()->DataSet(), table);
}

TEST_F(DataSetup, TheFolderButtonTakesTheChosenFolderAndListsItsFiles)
{
    const QString folder = MakeFolder(QStringLiteral("etiquetas"), {QStringLiteral("lista.csv")}, "NOME\nAna\n");
    auto doc = NewDocument();
    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    dialog->DataTypeButton(1)->click();
    // The user picks the folder in the folder dialog.
    bool answered = false;
    std::function<void()> answer = [&] {
        if (auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            box->setDirectory(folder);
            box->selectFile(folder);
            QMetaObject::invokeMethod(box, "accept", Qt::DirectConnection);
            answered = true;
        } else {
            QTimer::singleShot(20, answer);
        }
    };
    QTimer::singleShot(0, answer);
    dialog->BrowseButton()->click();
    EXPECT_TRUE(answered);
    EXPECT_EQ(QDir(dialog->cbDataBaseName()->currentText()), QDir(folder));
    EXPECT_EQ(Items(dialog->cbTableName()), QStringList{QStringLiteral("lista.csv")});
    EXPECT_TRUE(Boxes.empty()) << BoxTexts().join(QLatin1Char('|')).toStdString();
}

TEST_F(DataSetup, DadosShowsTheGridOverTheReportsDataSetOpened)
{
    AddSqliteAlias(QStringLiteral("LOJA"), MakeShop(QStringLiteral("loja.db")));
    auto doc = NewDocument();
    TTable* table = AddTable(doc.get(), QStringLiteral("Table1"), QStringLiteral("LOJA"), QStringLiteral("CLIENTES"));
    TIniFile ini(Path(QStringLiteral("Tessiv.INI")));
    auto dialog = NewDialog();
    dialog->SetSettings(&ini);
    dialog->SetAnexo(doc.get());
    EXPECT_TRUE(dialog->buDados()->isEnabled());
    int rows = -1;
    TIniFile* settings = nullptr;
    TModalForm::SetPresenter([&](TModalForm& form) {
        if (auto* grid = dynamic_cast<TfmGrid*>(&form)) {
            rows = grid->GridModel()->rowCount();
            settings = grid->Settings;
        }
        form.Close();
    });
    dialog->buDados()->click();
    TModalForm::SetPresenter(nullptr);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(settings, &ini);
    EXPECT_TRUE(table->Active());
    // The dialog itself goes on.
    EXPECT_EQ(dialog->ModalResult(), mrNone);
}

TEST_F(DataSetup, EachKindOfSourceListsItsTablesAndOpensOne)
{
    const QString shop = MakeShop(QStringLiteral("loja.db"));
    AddSqliteAlias(QStringLiteral("LOJA"), shop);
    AddOdbcAlias(QStringLiteral("LOJAODBC"), shop);
    const QString folder = MakeFolder(QStringLiteral("csv"), {QStringLiteral("clientes.csv"), QStringLiteral("notas.txt")},
                                      "NOME,UF\nAna,SP\nBia,RJ\nCaio,SP\n");
    TStringList p;
    p.Add(QStringLiteral("PATH=") + folder);
    Session().AddAlias(QStringLiteral("PLANILHAS"), QStringLiteral("STANDARD"), &p);
    struct TCase {
        QString Alias;
        QStringList Tables;
        QString Table;
        bool DatabaseComponent; // a server-style alias connects through the document's own
    };
    const TCase cases[] = {
        {QStringLiteral("LOJA"), {QStringLiteral("CLIENTES"), QStringLiteral("PRODUTOS")}, QStringLiteral("CLIENTES"), false},
        {QStringLiteral("LOJAODBC"), {QStringLiteral("CLIENTES"), QStringLiteral("PRODUTOS")}, QStringLiteral("CLIENTES"), true},
        {QStringLiteral("PLANILHAS"), {QStringLiteral("clientes.csv"), QStringLiteral("notas.txt")}, QStringLiteral("clientes.csv"), false},
        {folder, {QStringLiteral("clientes.csv"), QStringLiteral("notas.txt")}, QStringLiteral("clientes.csv"), false},
    };
    for (const TCase& c : cases) {
        Boxes.clear();
        auto doc = NewDocument();
        auto dialog = NewDialog();
        dialog->SetAnexo(doc.get());
        dialog->SetOnScreen(true);
        dialog->DataTypeButton(1)->click();
        dialog->cbDataBaseName()->setEditText(c.Alias);
        Application().Guard([&] { dialog->cbDataBaseNameChange(); });
        EXPECT_EQ(Items(dialog->cbTableName()), c.Tables) << c.Alias.toStdString();
        EXPECT_EQ(doc->GetDatabase() != nullptr, c.DatabaseComponent) << c.Alias.toStdString();
        dialog->cbTableName()->setEditText(c.Table);
        Application().Guard([&] { dialog->cbTableNameChange(); });
        dialog->bbOkClick();
        EXPECT_TRUE(Boxes.empty()) << c.Alias.toStdString() << ": " << BoxTexts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(dialog->ModalResult(), mrOk) << c.Alias.toStdString();
        TDataSet* ds = doc->Report()->DataSet();
        ASSERT_TRUE(ds && ds->Active()) << c.Alias.toStdString();
        EXPECT_EQ(ds->RecordCount(), 3) << c.Alias.toStdString();
    }
}

TEST_F(DataSetup, AnUnknownAliasIsRefusedByName)
{
    auto doc = NewDocument();
    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    dialog->DataTypeButton(1)->click();
    dialog->cbDataBaseName()->setEditText(QStringLiteral("NAO_HA"));
    dialog->cbDataBaseNameChange();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("Alias \"NAO_HA\" inválido."));
    EXPECT_EQ(Boxes[0].Type, mtError);
    EXPECT_TRUE(dialog->cbTableName()->count() == 0);
    // OK refuses it too, and the dialog stays.
    dialog->bbOkClick();
    EXPECT_EQ(Boxes.back().Text, QStringLiteral("Alias \"NAO_HA\" inválido."));
    EXPECT_EQ(dialog->ModalResult(), mrNone);
}

TEST_F(DataSetup, ABadQueryIsRefusedWithTheDatabasesOwnMessage)
{
    AddSqliteAlias(QStringLiteral("LOJA"), MakeShop(QStringLiteral("loja.db")));
    auto doc = NewDocument();
    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    dialog->SetOnScreen(true);
    dialog->DataTypeButton(2)->click();
    dialog->cbDataBaseName()->setEditText(QStringLiteral("LOJA"));
    dialog->cbDataBaseNameChange();
    dialog->meSQL()->setPlainText(QStringLiteral("SELECT NOME FROM NAO_EXISTE"));
    EXPECT_TRUE(dialog->OpenSQL()->isEnabled());
    dialog->OpenSQL()->click();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("no such table: NAO_EXISTE"))) << Boxes[0].Text.toStdString();
    EXPECT_FALSE(doc->Report()->DataSet()->Active());

    // OK tries it again, says so again, and the dialog stays open.
    dialog->bbOk()->click();
    EXPECT_GE(Boxes.size(), 2u);
    EXPECT_TRUE(Boxes[1].Text.contains(QStringLiteral("no such table: NAO_EXISTE"))) << Boxes[1].Text.toStdString();
    EXPECT_EQ(dialog->ModalResult(), mrNone);

    // Corrected, it opens and OK closes.
    Boxes.clear();
    dialog->meSQL()->setPlainText(QStringLiteral("SELECT NOME FROM CLIENTES"));
    dialog->bbOk()->click();
    EXPECT_TRUE(Boxes.empty()) << BoxTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_TRUE(doc->Report()->DataSet()->Active());
    EXPECT_EQ(doc->Report()->DataSet()->RecordCount(), 3);
}

TEST_F(DataSetup, OkNeedsATableNameOrAnSqlText)
{
    AddSqliteAlias(QStringLiteral("LOJA"), MakeShop(QStringLiteral("loja.db")));
    struct TCase {
        int Kind;
        QString Message;
    };
    const TCase cases[] = {{1, QStringLiteral("O nome da tabela não pode ser vazio.")},
                           {2, QStringLiteral("A Expressão SQL não pode ser vazia.")}};
    for (const TCase& c : cases) {
        Boxes.clear();
        auto doc = NewDocument();
        auto dialog = NewDialog();
        dialog->SetAnexo(doc.get());
        dialog->SetDataTypeIndex(c.Kind);
        dialog->cbDataBaseName()->setEditText(QStringLiteral("LOJA"));
        dialog->cbDataBaseNameChange();
        dialog->bbOkClick();
        EXPECT_EQ(BoxTexts(), QStringList{c.Message});
        EXPECT_EQ(dialog->ModalResult(), mrNone);
    }
}

TEST_F(DataSetup, OkWithAnotherTableDropsTheQuantityFieldAndWithTheSameKeepsIt)
{
    AddSqliteAlias(QStringLiteral("LOJA"), MakeShop(QStringLiteral("loja.db")));
    struct TCase {
        QString Chosen;
        bool Kept;
    };
    const TCase cases[] = {{QStringLiteral("CLIENTES"), true}, {QStringLiteral("clientes "), true},
                           {QStringLiteral("PRODUTOS"), false}};
    for (const TCase& c : cases) {
        auto doc = NewDocument();
        TTable* table = AddTable(doc.get(), QStringLiteral("Table1"), QStringLiteral("LOJA"), QStringLiteral("CLIENTES"));
        table->Open();
        auto* quantity = new TKVDBText(doc->Root());
        quantity->SetName(QStringLiteral("Quantidade"));
        quantity->SetParent(Detail(doc->Report()));
        quantity->SetDataSet(table);
        quantity->SetDataField(QStringLiteral("ID"));
        doc->Report()->SetCampoQuantidadeObjeto(quantity);
        auto dialog = NewDialog();
        dialog->SetAnexo(doc.get());
        dialog->cbTableName()->setEditText(c.Chosen);
        dialog->cbTableNameChange();
        dialog->bbOkClick();
        EXPECT_EQ(dialog->ModalResult(), mrOk) << c.Chosen.toStdString();
        EXPECT_EQ(doc->Report()->CampoQuantidadeObjeto() != nullptr, c.Kept) << c.Chosen.toStdString();
    }
}

TEST_F(DataSetup, NoDataTakesTheLabelCountAndOnlyDigits)
{
    auto doc = NewDocument();
    doc->Report()->SetQuantidade(7);
    auto dialog = NewDialog();
    dialog->SetAnexo(doc.get());
    // The report's own count shows when the box holds none.
    EXPECT_EQ(dialog->edQtdEdtiquetas()->text(), QStringLiteral("7"));

    struct TKey {
        QChar Key;
        bool Taken;
    };
    const TKey keys[] = {{QLatin1Char('0'), true}, {QLatin1Char('9'), true}, {QChar(8), true},
                         {QLatin1Char('a'), false}, {QLatin1Char('-'), false}, {QLatin1Char(' '), false},
                         {QChar(0x0663), false} /* an Arabic-Indic digit */};
    for (const TKey& k : keys) {
        QChar key = k.Key;
        dialog->edQtdEdtiquetasKeyPress(key);
        EXPECT_EQ(!key.isNull(), k.Taken) << int(k.Key.unicode());
    }
    dialog->edQtdEdtiquetas()->clear();
    QTest::keyClicks(dialog->edQtdEdtiquetas(), QStringLiteral("1a2b"));
    EXPECT_EQ(dialog->edQtdEdtiquetas()->text(), QStringLiteral("12"));
    // A pasted text with letters is not taken either.
    dialog->edQtdEdtiquetas()->selectAll();
    dialog->edQtdEdtiquetas()->insert(QStringLiteral("x3"));
    EXPECT_EQ(dialog->edQtdEdtiquetas()->text(), QStringLiteral("12"));
    dialog->bbOkClick();
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_EQ(doc->Report()->Quantidade(), 12);
}

TEST_F(DataSetup, LeavingTheTableBoxKeepsTheFilterOfTheSameTableAndClearsItForAnother)
{
    auto [doc, table, dialog] = OpenShopDialog();
    dialog->FilterExpression()->setText(QStringLiteral("UF = 'RJ'"));
    dialog->FilterExpressionExit();
    EXPECT_TRUE(table->Filtered());
    EXPECT_EQ(table->RecordCount(), 1);
    EXPECT_EQ(Items(dialog->cbIndexName()), QStringList{QStringLiteral("CLIENTES_NOME")});

    dialog->cbTableNameChange(); // left without a change
    EXPECT_EQ(dialog->FilterExpression()->text(), QStringLiteral("UF = 'RJ'"));
    dialog->bbOkClick();
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_EQ(table->Filter(), QStringLiteral("UF = 'RJ'"));
    EXPECT_EQ(doc->FilterText(), QStringLiteral("UF = 'RJ'"));
    EXPECT_EQ(table->RecordCount(), 1);

    auto again = NewDialog();
    again->SetAnexo(doc.get());
    again->cbTableName()->setEditText(QStringLiteral("PRODUTOS"));
    again->cbTableNameChange();
    EXPECT_TRUE(again->FilterExpression()->text().isEmpty());
    EXPECT_TRUE(again->cbIndexName()->currentText().isEmpty());
    EXPECT_TRUE(table->Active());
    EXPECT_FALSE(table->Filtered());
    EXPECT_EQ(table->RecordCount(), 2);
}

TEST_F(DataSetup, ATableThatDoesNotOpenPutsBackThePreviousNameWhileOnScreen)
{
    auto [doc, table, dialog] = OpenShopDialog();
    dialog->SetOnScreen(true);
    dialog->cbTableName()->setEditText(QStringLiteral("FANTASMA"));
    Application().Guard([&] { dialog->cbTableNameChange(); });
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(table->TableName(), QStringLiteral("CLIENTES"));
}

TEST_F(DataSetup, ClosingTheWindowCancelsLikeTheCancelButton)
{
    auto [doc, table, dialog] = OpenShopDialog();
    TModalForm::SetPresenter([](TModalForm& form) {
        auto& d = static_cast<TfmMyZTDataSetup&>(form);
        d.DataTypeButton(0)->click();
        form.Close();
    });
    const int result = dialog->ShowModal();
    TModalForm::SetPresenter(nullptr);
    EXPECT_EQ(result, mrCancel);
    ASSERT_EQ(All<TTable>(doc.get()).size(), 1u);
    EXPECT_TRUE(doc->Report()->DataSet() && doc->Report()->DataSet()->Active());
}

TEST_F(DataSetup, ExecuteShowsTheDialogAndTellsWhetherItWasConfirmed)
{
    auto doc = NewDocument();
    TModalForm::SetPresenter([](TModalForm& form) {
        auto& d = static_cast<TfmMyZTDataSetup&>(form);
        d.edQtdEdtiquetas()->setText(QStringLiteral("5"));
        d.bbOk()->click();
    });
    EXPECT_TRUE(TfmMyZTDataSetup::Execute(doc.get(), nullptr));
    EXPECT_EQ(doc->Report()->Quantidade(), 5);
    TModalForm::SetPresenter([](TModalForm& form) {
        auto& d = static_cast<TfmMyZTDataSetup&>(form);
        d.edQtdEdtiquetas()->setText(QStringLiteral("9"));
        d.bbCancela()->click();
    });
    EXPECT_FALSE(TfmMyZTDataSetup::Execute(doc.get(), nullptr));
    TModalForm::SetPresenter(nullptr);
    EXPECT_EQ(doc->Report()->Quantidade(), 5);
}

TEST_F(DataSetup, PlacementIsReadAtShowAndWrittenAtClose)
{
    auto doc = NewDocument();
    TIniFile ini(Path(QStringLiteral("Tessiv.INI")));
    ini.WriteInteger(QStringLiteral("DataSetup"), QStringLiteral("Width"), 600);
    ini.WriteInteger(QStringLiteral("DataSetup"), QStringLiteral("Height"), 450);
    auto dialog = NewDialog();
    dialog->SetSettings(&ini);
    dialog->SetAnexo(doc.get());
    int shownWidth = 0, shownHeight = 0;
    TModalForm::SetPresenter([&](TModalForm& form) {
        shownWidth = form.Width();
        shownHeight = form.Height();
        form.Window()->resize(640, 470);
        static_cast<TfmMyZTDataSetup&>(form).bbCancela()->click();
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    TModalForm::SetPresenter(nullptr);
    EXPECT_EQ(shownWidth, 600);
    EXPECT_EQ(shownHeight, 450);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("DataSetup"), QStringLiteral("Width"), 0), 640);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("DataSetup"), QStringLiteral("Height"), 0), 470);
    // Never smaller than its design.
    dialog->Window()->resize(100, 100);
    EXPECT_GE(dialog->Window()->width(), 538);
    EXPECT_GE(dialog->Window()->height(), 404);
}

TEST_F(DataSetup, ItOpensCentredWithoutAStoredPlaceAndOnTheScreenFromOneOffIt)
{
    auto doc = NewDocument();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    TIniFile ini(Path(QStringLiteral("Tessiv.INI")));
    const struct {
        const char* Name;
        bool Stored;
        int Left, Top;
    } cases[] = {
        {"nothing stored", false, 0, 0},
        {"left of and above the screen", true, -900, -700},
        {"right of and below the screen", true, 5000, 4000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ini.EraseSection(QStringLiteral("DataSetup"));
        if (c.Stored) {
            ini.WriteInteger(QStringLiteral("DataSetup"), QStringLiteral("Left"), c.Left);
            ini.WriteInteger(QStringLiteral("DataSetup"), QStringLiteral("Top"), c.Top);
        }
        auto dialog = NewDialog();
        dialog->SetSettings(&ini);
        dialog->SetAnexo(doc.get());
        QRect shown;
        TModalForm::SetPresenter([&](TModalForm& form) {
            shown = form.Window()->geometry();
            static_cast<TfmMyZTDataSetup&>(form).bbCancela()->click();
        });
        EXPECT_EQ(dialog->ShowModal(), mrCancel);
        TModalForm::SetPresenter(nullptr);
        EXPECT_TRUE(screen.contains(shown)) << shown.x() << "," << shown.y();
        if (!c.Stored) {
            // Not at the screen's corner, where a window manager's title bar would be out of reach.
            const QRect whole = QGuiApplication::primaryScreen()->geometry();
            EXPECT_LE(std::abs(shown.center().x() - whole.center().x()), 1);
            EXPECT_LE(std::abs(shown.center().y() - whole.center().y()), 1);
        }
        // The place it had is kept.
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("DataSetup"), QStringLiteral("Left"), -1), shown.x());
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("DataSetup"), QStringLiteral("Top"), -1), shown.y());
    }
}

} // namespace datasetuptest
