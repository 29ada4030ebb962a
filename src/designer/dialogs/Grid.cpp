#include "designer/dialogs/Grid.h"

#include "designer/document/AnexoRelatorio.h"
#include "designer/dialogs/DataGridModel.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/data/DBTables.h"
#include "platform/data/Field.h"
#include "platform/ui/Application.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmGrid, TModalForm)

namespace {
const QString kSection = QStringLiteral("GridDados");
} // namespace

TfmGrid::TfmGrid(TComponent* owner) : TModalForm(owner), FDataSource(new TDataSource(nullptr))
{
    SetName(QStringLiteral("fmGrid"));
    SetCaption(QStringLiteral("Editando dados da Tabela"));
    FDataSource->SetName(QStringLiteral("dsGrid"));

    auto* central = new QWidget(Window());
    Window()->setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* panel = new QWidget(central);
    auto* top = new QHBoxLayout(panel);
    top->setContentsMargins(4, 4, 4, 4);
    struct TButton {
        const char* Glyph;
        const char* Hint;
    };
    const TButton buttons[] = {{"|◀", "Primeiro registro"}, {"◀", "Registro anterior"}, {"▶", "Próximo registro"},
                               {"▶|", "Último registro"},   {"+", "Inserir registro"},  {"−", "Excluir registro"},
                               {"▲", "Editar registro"},    {"✓", "Gravar alterações"}, {"✕", "Cancelar alterações"}};
    for (int i = nbFirst; i <= nbCancel; ++i) {
        auto* b = new QToolButton(panel);
        b->setText(QString::fromUtf8(buttons[i].Glyph));
        b->setToolTip(QString::fromUtf8(buttons[i].Hint));
        b->setMinimumWidth(28);
        // Taking the focus on a click commits a cell being typed in before the button acts.
        b->setFocusPolicy(Qt::StrongFocus);
        QObject::connect(b, &QToolButton::clicked, b,
                         [this, i] { RunClick([this, i] { NavigatorClick(static_cast<TNavigateBtn>(i)); }); });
        FNavigator[i] = b;
        top->addWidget(b);
    }
    top->addSpacing(8);
    FRefresh = new QToolButton(panel);
    FRefresh->setText(QStringLiteral("↻"));
    FRefresh->setToolTip(QStringLiteral("Atualizar os dados"));
    FRefresh->setAutoRaise(true);
    FRefresh->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(FRefresh, &QToolButton::clicked, FRefresh, [this] { RunClick([this] { RefreshClick(); }); });
    top->addWidget(FRefresh);
    top->addStretch();
    FClose = MakeButton(panel, QStringLiteral("&Fechar"), mrOk);
    SetCancelButton(FClose);
    top->addWidget(FClose);
    layout->addWidget(panel);

    FGrid = new QTableView(central);
    FModel = new TDataGridModel(FGrid);
    FGrid->setModel(FModel);
    FGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    FGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    FGrid->verticalHeader()->setDefaultSectionSize(FGrid->fontMetrics().height() + 6);
    layout->addWidget(FGrid, 1);
    FModel->SetDataSource(FDataSource.get());
    FModel->OnDataChanged = [this] {
        SyncCurrentRow();
        UpdateNavigator();
    };
    // The current cell moving to another row makes that record the current one.
    QObject::connect(FGrid->selectionModel(), &QItemSelectionModel::currentChanged, FGrid,
                     [this](const QModelIndex& current, const QModelIndex&) {
                         if (FSyncing || !current.isValid())
                             return;
                         RunClick([this, row = current.row()] { FModel->SetCurrentRow(row); });
                         SyncCurrentRow();
                     });
    Window()->resize(663, 380);
    UpdateNavigator();
}

TfmGrid::~TfmGrid()
{
    // The grid lets go of the data set before the data source goes, and the controls go quietly.
    if (FModel)
        FModel->SetDataSource(nullptr);
    if (QWidget* central = Window() ? Window()->centralWidget() : nullptr) {
        for (QObject* o : central->findChildren<QObject*>())
            o->blockSignals(true);
        delete central;
    }
    FModel = nullptr;
}

void TfmGrid::Execute(TAnexoRelatorio* document, TIniFile* settings)
{
    std::unique_ptr<TfmGrid, TComponentDeleter> grid(new TfmGrid(nullptr));
    grid->Settings = settings;
    grid->Anexo = document;
    grid->ShowModal();
}

void TfmGrid::AttachDataSet()
{
    TDataSet* ds = Anexo && Anexo->Report() ? Anexo->Report()->DataSet() : nullptr;
    FDataSource->SetDataSet(ds);
    FModel->SetDataSource(FDataSource.get());
    // Each column as wide as its field's values can be (up to a limit), never narrower than its title.
    if (ds && ds->Active()) {
        const QFontMetrics metrics = FGrid->fontMetrics();
        int column = 0;
        for (int i = 0; i < ds->FieldCount(); ++i) {
            TField* field = ds->Fields(i);
            if (!field->Visible)
                continue;
            int chars = field->DisplayWidth > 0 ? field->DisplayWidth : field->Size();
            chars = std::clamp(chars, 4, 40);
            const int width = std::max(metrics.averageCharWidth() * chars, metrics.horizontalAdvance(field->DisplayLabel())) + 12;
            FGrid->setColumnWidth(column++, width);
        }
    }
    UpdateNavigator();
}

void TfmGrid::SyncCurrentRow()
{
    if (FSyncing)
        return;
    FSyncing = true;
    const int row = FModel->CurrentRow();
    const QModelIndex current = FGrid->currentIndex();
    if (row >= 0 && (!current.isValid() || current.row() != row))
        FGrid->setCurrentIndex(FModel->index(row, current.isValid() ? current.column() : 0));
    FSyncing = false;
}

void TfmGrid::UpdateNavigator()
{
    TDataSet* ds = FModel->DataSet();
    const bool active = ds != nullptr;
    const bool editing = active && (ds->State() == dsEdit || ds->State() == dsInsert);
    const bool browsing = active && !editing;
    const bool canModify = active && ds->CanModify();
    const bool empty = !active || ds->IsEmpty();
    // Where the current record stands: the first and the last have nowhere further to go.
    const int recNo = browsing && !empty ? ds->RecNo() : 0;
    const bool atFirst = recNo <= 1 || ds->Bof();
    const bool atLast = recNo == 0 || ds->Eof() || recNo >= ds->RecordCount();
    FNavigator[nbFirst]->setEnabled(browsing && !atFirst);
    FNavigator[nbPrior]->setEnabled(browsing && !atFirst);
    FNavigator[nbNext]->setEnabled(browsing && !atLast);
    FNavigator[nbLast]->setEnabled(browsing && !atLast);
    FNavigator[nbInsert]->setEnabled(canModify && browsing);
    FNavigator[nbDelete]->setEnabled(canModify && !empty);
    FNavigator[nbEdit]->setEnabled(canModify && browsing && !empty);
    FNavigator[nbPost]->setEnabled(canModify && editing);
    FNavigator[nbCancel]->setEnabled(canModify && editing);
    FRefresh->setEnabled(active);
}

void TfmGrid::NavigatorClick(TNavigateBtn button)
{
    TDataSet* ds = FModel->DataSet();
    if (!ds)
        return;
    switch (button) {
    case nbFirst: ds->First(); break;
    case nbPrior: ds->Prior(); break;
    case nbNext: ds->Next(); break;
    case nbLast: ds->Last(); break;
    case nbInsert: ds->Insert(); break;
    case nbDelete:
        if (Application().MessageDlg(QStringLiteral("Delete record?"), mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}) == mrOk)
            ds->Delete();
        break;
    case nbEdit: ds->Edit(); break;
    case nbPost: ds->Post(); break;
    case nbCancel: ds->Cancel(); break;
    }
    UpdateNavigator();
    SyncCurrentRow();
}

void TfmGrid::RefreshClick()
{
    TDataSet* ds = FModel->DataSet();
    if (!ds)
        return;
    if (auto* table = dynamic_cast<TTable*>(ds)) {
        table->Refresh();
    } else {
        ds->Close();
        ds->Open();
    }
}

void TfmGrid::FormShow()
{
    if (!Anexo) {
        Application().MessageBox(QStringLiteral("A variável AnexoRelatorio deve ser informada."), Application().Title(), MB_OK);
        throw EAbort();
    }
    AttachDataSet();
    ReadWindowPlacement(Settings, kSection);
}

void TfmGrid::FormCloseQuery(bool& canClose)
{
    TDataSet* ds = FDataSource->DataSet();
    if (!canClose || !ds || (ds->State() != dsEdit && ds->State() != dsInsert))
        return;
    switch (Application().MessageDlg(QStringLiteral("Existem Pendências, deseja gravá-las"), mtConfirmation,
                                      TMsgDlgButtons{mbYes, mbNo, mbCancel})) {
    case mrYes:
        // A record the database refuses keeps the grid open with the edit, and the user is told why.
        try {
            ds->Post();
        } catch (const std::exception& e) {
            Application().ShowException(e);
            canClose = false;
        }
        break;
    case mrNo:
        ds->Cancel();
        break;
    default:
        canClose = false;
        break;
    }
}

void TfmGrid::FormClose()
{
    WriteWindowPlacement(Settings, kSection);
}

} // namespace tessiv
