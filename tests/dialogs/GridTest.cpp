// The data grid over a real SQLite table: rows and columns, editing a cell and posting it, the
// navigator, refresh, the question about a pending edit and the refusal without a document.

#include "DataSetupFixture.h"

#include "designer/dialogs/DataGridModel.h"
#include "designer/dialogs/Grid.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/IniFiles.h"
#include "platform/data/DBTables.h"

#include <QPushButton>
#include <QTableView>
#include <QToolButton>

namespace datasetuptest {

using namespace tessiv;

namespace {

using TGridPtr = std::unique_ptr<TfmGrid, TComponentDeleter>;

} // namespace

class Grid : public DataSetupTest {
protected:
    void SetUp() override
    {
        DataSetupTest::SetUp();
        File = MakeShop(QStringLiteral("loja.db"));
        AddSqliteAlias(QStringLiteral("LOJA"), File);
        Doc = NewDocument();
        Table = AddTable(Doc.get(), QStringLiteral("Table1"), QStringLiteral("LOJA"), QStringLiteral("CLIENTES"));
        Table->Open();
        Form.reset(new TfmGrid(nullptr));
        Form->Anexo = Doc.get();
    }
    void TearDown() override
    {
        TModalForm::SetPresenter(nullptr);
        Form.reset();
        Doc.reset();
        DataSetupTest::TearDown();
    }
    QString Cell(int row, int column) const
    {
        TDataGridModel* m = Form->GridModel();
        return m->data(m->index(row, column), Qt::DisplayRole).toString();
    }
    QStringList Names() { return Column(File, QStringLiteral("SELECT NOME FROM CLIENTES ORDER BY ID")); }

    QString File;
    std::unique_ptr<TAnexoRelatorio> Doc;
    TTable* Table = nullptr;
    TGridPtr Form;
};

TEST_F(Grid, ShowsTheRecordsOfTheReportsDataSet)
{
    Form->AttachDataSet();
    TDataGridModel* m = Form->GridModel();
    ASSERT_EQ(m->rowCount(), 3);
    ASSERT_EQ(m->columnCount(), 3);
    EXPECT_EQ(m->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("NOME"));
    EXPECT_EQ((QStringList{Cell(0, 1), Cell(1, 1), Cell(2, 1)}),
              (QStringList{QStringLiteral("Ana"), QStringLiteral("Bia"), QStringLiteral("Caio")}));
    // Reading other rows leaves the current record where it was.
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_EQ(m->CurrentRow(), 0);
    EXPECT_FALSE(Form->NavigatorButton(TfmGrid::nbPrior)->isEnabled());
    EXPECT_TRUE(Form->NavigatorButton(TfmGrid::nbNext)->isEnabled());
    EXPECT_FALSE(Form->NavigatorButton(TfmGrid::nbPost)->isEnabled());
}

TEST_F(Grid, EditingACellWritesTheRowToTheTableWhenPosted)
{
    Form->AttachDataSet();
    TDataGridModel* m = Form->GridModel();
    ASSERT_TRUE(m->flags(m->index(1, 1)) & Qt::ItemIsEditable);
    ASSERT_TRUE(m->setData(m->index(1, 1), QStringLiteral("Beatriz"), Qt::EditRole));
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Table->RecNo(), 2);
    EXPECT_EQ(Cell(1, 1), QStringLiteral("Beatriz"));
    EXPECT_TRUE(Form->NavigatorButton(TfmGrid::nbPost)->isEnabled());
    // Nothing is written before the post.
    EXPECT_EQ(Names().at(1), QStringLiteral("Bia"));
    Form->NavigatorButton(TfmGrid::nbPost)->click();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Ana"), QStringLiteral("Beatriz"), QStringLiteral("Caio")}));
    EXPECT_EQ(Cell(1, 1), QStringLiteral("Beatriz"));
}

TEST_F(Grid, MovingToAnotherRowPostsTheEditAsTheGridDoes)
{
    Form->AttachDataSet();
    TDataGridModel* m = Form->GridModel();
    ASSERT_TRUE(m->setData(m->index(0, 2), QStringLiteral("MG"), Qt::EditRole));
    Form->Grid()->setCurrentIndex(m->index(2, 1));
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->RecNo(), 3);
    EXPECT_EQ(Column(File, QStringLiteral("SELECT UF FROM CLIENTES WHERE ID = 1")), QStringList{QStringLiteral("MG")});
}

TEST_F(Grid, NavigatorInsertsAndDeletesRecords)
{
    Form->AttachDataSet();
    TDataGridModel* m = Form->GridModel();
    Form->NavigatorButton(TfmGrid::nbLast)->click();
    EXPECT_EQ(Table->RecNo(), 3);
    Form->NavigatorButton(TfmGrid::nbInsert)->click();
    EXPECT_EQ(Table->State(), dsInsert);
    EXPECT_EQ(m->rowCount(), 4);
    const int row = m->CurrentRow();
    ASSERT_GE(row, 0);
    ASSERT_TRUE(m->setData(m->index(row, 0), QStringLiteral("4"), Qt::EditRole));
    ASSERT_TRUE(m->setData(m->index(row, 1), QStringLiteral("Duda"), Qt::EditRole));
    Form->NavigatorButton(TfmGrid::nbPost)->click();
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Ana"), QStringLiteral("Bia"), QStringLiteral("Caio"), QStringLiteral("Duda")}));
    EXPECT_EQ(m->rowCount(), 4);

    // Deleting asks first; OK deletes the current record.
    Form->NavigatorButton(TfmGrid::nbFirst)->click();
    Answer = mrOk;
    Form->NavigatorButton(TfmGrid::nbDelete)->click();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Bia"), QStringLiteral("Caio"), QStringLiteral("Duda")}));
    Answer = mrCancel;
    Form->NavigatorButton(TfmGrid::nbDelete)->click();
    EXPECT_EQ(Names().size(), 3);
}

TEST_F(Grid, RefreshReadsWhatOthersWroteMeanwhile)
{
    Form->AttachDataSet();
    // Every record read: the table's file is free for another program to write.
    Form->NavigatorButton(TfmGrid::nbLast)->click();
    MakeSqlite(QStringLiteral("loja.db"), {QStringLiteral("UPDATE CLIENTES SET NOME = 'Ana Maria' WHERE ID = 1")});
    Form->RefreshButton()->click();
    EXPECT_EQ(Cell(0, 1), QStringLiteral("Ana Maria"));
    EXPECT_TRUE(Table->Active());
}

TEST_F(Grid, ClosingWithAPendingEditAsksWhatToDoWithIt)
{
    struct TCase {
        int Answer;
        int Result;       // of ShowModal once the question was answered
        bool StillOpen;   // after the first close
        QString Stored;   // what the table holds at the end
    };
    const TCase cases[] = {
        {mrYes, mrOk, false, QStringLiteral("Beatriz")},
        {mrNo, mrOk, false, QStringLiteral("Bia")},
        {mrCancel, mrCancel, true, QStringLiteral("Bia")},
    };
    for (const TCase& c : cases) {
        Boxes.clear();
        Answer = c.Answer;
        Table->Close();
        MakeSqlite(QStringLiteral("loja.db"), {QStringLiteral("UPDATE CLIENTES SET NOME = 'Bia' WHERE ID = 2")});
        Table->Open();
        bool openAfterClose = false;
        TDataSetState stateAfterClose = dsInactive;
        TModalForm::SetPresenter([&](TModalForm& form) {
            auto& grid = static_cast<TfmGrid&>(form);
            TDataGridModel* m = grid.GridModel();
            m->setData(m->index(1, 1), QStringLiteral("Beatriz"), Qt::EditRole);
            grid.buFechar()->click();
            openAfterClose = grid.Modal();
            stateAfterClose = Table->State();
            if (grid.Modal()) {
                // The edit is still there; this time it is dropped.
                Answer = mrNo;
                form.Close();
            }
        });
        Form->ShowModal();
        ASSERT_FALSE(Boxes.empty());
        EXPECT_EQ(Boxes[0].Text, QStringLiteral("Existem Pendências, deseja gravá-las"));
        EXPECT_EQ(Boxes[0].Buttons, (std::vector<int>{mrYes, mrNo, mrCancel}));
        EXPECT_EQ(openAfterClose, c.StillOpen) << c.Answer;
        if (c.StillOpen)
            EXPECT_EQ(stateAfterClose, dsEdit);
        EXPECT_EQ(Table->State(), dsBrowse);
        EXPECT_EQ(Names().at(1), c.Stored) << c.Answer;
    }
}

TEST_F(Grid, WithoutADocumentTheGridRefusesToShow)
{
    TGridPtr bare(new TfmGrid(nullptr));
    EXPECT_THROW(bare->ShowModal(), EAbort);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("A variável AnexoRelatorio deve ser informada."));
    EXPECT_EQ(Boxes[0].Type, mtCustom);
    EXPECT_FALSE(bare->Visible());
}

TEST_F(Grid, PlacementKeepsStateAndSizeAndCentresWithoutAPosition)
{
    TIniFile ini(Path(QStringLiteral("Tessiv.INI")));
    Form->Settings = &ini;
    int shownWidth = 0;
    TModalForm::SetPresenter([&](TModalForm& form) {
        shownWidth = form.Width();
        form.Window()->resize(700, 400);
        static_cast<TfmGrid&>(form).buFechar()->click();
    });
    EXPECT_EQ(Form->ShowModal(), mrOk);
    EXPECT_EQ(shownWidth, 663);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("GridDados"), QStringLiteral("WindowState"), -1), wsNormal);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("GridDados"), QStringLiteral("Width"), 0), 700);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("GridDados"), QStringLiteral("Height"), 0), 400);

    TGridPtr again(new TfmGrid(nullptr));
    again->Anexo = Doc.get();
    again->Settings = &ini;
    TModalForm::SetPresenter([&](TModalForm& form) {
        shownWidth = form.Width();
        form.Close();
    });
    again->ShowModal();
    EXPECT_EQ(shownWidth, 700);
}

} // namespace datasetuptest
