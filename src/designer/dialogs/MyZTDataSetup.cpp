#include "designer/dialogs/MyZTDataSetup.h"

#include "designer/document/AnexoRelatorio.h"
#include "designer/dialogs/Grid.h"
#include "designer/document/Hidden.h"
#include "designer/surface/WaitCursor.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "platform/core/TypInfo.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmMyZTDataSetup, TModalForm)

namespace {

const QString kSection = QStringLiteral("DataSetup");

QString InvalidAlias(const QString& text)
{
    return QStringLiteral("Alias \"%1\" inválido.").arg(text);
}

// Points the dialog's working table or query at another, watching for its freeing so the
// pointer never outlives it.
template <class T>
void HoldDataSet(TComponent* watcher, T*& held, T* dataSet)
{
    if (held == dataSet)
        return;
    if (held)
        held->RemoveFreeNotification(watcher);
    held = dataSet;
    if (held)
        held->FreeNotification(watcher);
}

// Forgets the working table or query, then closes and frees it.
template <class T>
void FreeHeldDataSet(TComponent* watcher, T*& held)
{
    if (T* dataSet = held) {
        HoldDataSet<T>(watcher, held, nullptr);
        dataSet->Close();
        dataSet->Free();
    }
}

// A new table or query of the document, named after its kind with the first number free.
template <class T>
T* NewNamedDataSet(TComponent* root, const QString& kind)
{
    auto* dataSet = new T(root);
    dataSet->SetName(MakeUniqueComponentName(root, kind));
    return dataSet;
}

// Hands a widget's focus loss and typed characters to the dialog's handlers.
class TWidgetHooks : public QObject {
public:
    TWidgetHooks(QObject* parent, std::function<void()> onExit, std::function<bool(QChar&)> onKey = {})
        : QObject(parent), FExit(std::move(onExit)), FKey(std::move(onKey))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut && FExit) {
            // A popup of the same combo box taking the focus is not leaving it.
            auto* focus = static_cast<QFocusEvent*>(event);
            if (focus->reason() != Qt::PopupFocusReason)
                FExit();
        } else if (event->type() == QEvent::KeyPress && FKey) {
            auto* key = static_cast<QKeyEvent*>(event);
            QChar c = key->key() == Qt::Key_Backspace ? QChar(8) : (key->text().isEmpty() ? QChar() : key->text().at(0));
            if ((!c.isNull() && c.isPrint()) || c == QChar(8)) {
                if (!FKey(c))
                    return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> FExit;
    std::function<bool(QChar&)> FKey;
};

} // namespace

TfmMyZTDataSetup::TfmMyZTDataSetup(TComponent* owner) : TModalForm(owner)
{
    SetName(QStringLiteral("fmMyZTDataSetup"));
    SetCaption(QStringLiteral("Setagem de Dados do Relatório"));
    SetBorderStyle(TFormBorderStyle::bsSizeToolWin);
    SetBorderIcons(TBorderIcons{biSystemMenu, biMaximize});
    BuildControls();
    Window()->setMinimumSize(538, 404);
    Window()->resize(538, 404);
    // FormCreate: the aliases, and empty controls.
    TStringList aliases;
    try {
        Session().GetAliasNames(&aliases);
    } catch (const Exception&) {
    }
    QStringList names;
    for (int i = 0; i < aliases.Count(); ++i)
        names << aliases.Strings(i);
    FillComboSorted(FDataBaseName, names);
    FDataBaseName->setCurrentIndex(-1);
    FDataBaseName->setEditText(QString());
    ClearControls();
}

TfmMyZTDataSetup::~TfmMyZTDataSetup()
{
    // The controls go first, quietly: a box losing the focus as it goes must not run a handler on
    // a dialog that is being taken apart.
    if (QWidget* central = Window() ? Window()->centralWidget() : nullptr) {
        for (QObject* o : central->findChildren<QObject*>())
            o->blockSignals(true);
        qDeleteAll(FHooks);
        FHooks.clear();
        delete central;
    }
    SetTable(nullptr);
    SetQuery(nullptr);
}

void TfmMyZTDataSetup::BuildControls()
{
    auto* central = new QWidget(Window());
    Window()->setCentralWidget(central);
    auto* main = new QVBoxLayout(central);
    main->setContentsMargins(8, 6, 8, 8);
    main->setSpacing(4);

    FDataType = new QGroupBox(QStringLiteral("Tipo da origem dos dados"), central);
    FDataTypeButtons = new QButtonGroup(FDataType);
    auto* typeRow = new QHBoxLayout(FDataType);
    const QString kinds[] = {QStringLiteral("Sem Dados"), QStringLiteral("Tabela"), QStringLiteral("Expressão SQL")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(kinds[i], FDataType);
        FDataTypeButtons->addButton(b, i);
        typeRow->addWidget(b, 1);
    }
    QObject::connect(FDataTypeButtons, &QButtonGroup::idClicked, central, [this](int id) {
        if (id == FKind)
            return;
        RunClick([this, id] {
            FKind = id;
            DataTypeClick();
        });
    });
    main->addWidget(FDataType);

    auto* middle = new QHBoxLayout;
    FQtdGroup = new QGroupBox(QStringLiteral(" Quantidade de Etiquetas "), central);
    auto* qtdLayout = new QVBoxLayout(FQtdGroup);
    FQtd = new QLineEdit(QStringLiteral("0"), FQtdGroup);
    // Nine digits always make a count; pasted text obeys the same rule as typed keys.
    FQtd->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), FQtd));
    FHooks.push_back(new TWidgetHooks(FQtd, {}, [this](QChar& c) {
        edQtdEdtiquetasKeyPress(c);
        return !c.isNull();
    }));
    FQtd->installEventFilter(FHooks.back());
    qtdLayout->addWidget(FQtd);
    middle->addWidget(FQtdGroup);

    FAliasGroup = new QGroupBox(QStringLiteral("Selecione o diretório ou o Alias"), central);
    auto* aliasLayout = new QHBoxLayout(FAliasGroup);
    FDataBaseName = new QComboBox(FAliasGroup);
    FDataBaseName->setEditable(true);
    FDataBaseName->setInsertPolicy(QComboBox::NoInsert);
    FBrowse = new QPushButton(QStringLiteral("&Procura"), FAliasGroup);
    aliasLayout->addWidget(FDataBaseName, 1);
    aliasLayout->addWidget(FBrowse);
    QObject::connect(FDataBaseName, &QComboBox::activated, central,
                     [this](int) { RunClick([this] { cbDataBaseNameChange(TAliasSender::Box); }); });
    FHooks.push_back(
        new TWidgetHooks(FDataBaseName, [this] { RunClick([this] { cbDataBaseNameChange(TAliasSender::Box); }); }));
    FDataBaseName->installEventFilter(FHooks.back());
    QObject::connect(FBrowse, &QPushButton::clicked, central, [this] { RunClick([this] { BrowseButtonClick(); }); });
    middle->addWidget(FAliasGroup, 1);
    FQtdGroup->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    FAliasGroup->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    FDataType->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    main->addLayout(middle);

    FTableGroup = new QGroupBox(QStringLiteral("Selecione a Tabela"), central);
    auto* tableLayout = new QGridLayout(FTableGroup);
    FTableName = new QComboBox(FTableGroup);
    FTableName->setEditable(true);
    FTableName->setInsertPolicy(QComboBox::NoInsert);
    FIndexName = new QComboBox(FTableGroup);
    FIndexName->setEditable(true);
    FIndexName->setInsertPolicy(QComboBox::NoInsert);
    FFilter = new QLineEdit(FTableGroup);
    auto* tableLabel = new QLabel(QStringLiteral("Nome da Tabela"), FTableGroup);
    tableLabel->setBuddy(FTableName);
    auto* indexLabel = new QLabel(QStringLiteral("Índice"), FTableGroup);
    indexLabel->setBuddy(FIndexName);
    auto* filterLabel = new QLabel(QStringLiteral("Expressão Filtro"), FTableGroup);
    filterLabel->setBuddy(FFilter);
    tableLayout->addWidget(tableLabel, 0, 0);
    tableLayout->addWidget(indexLabel, 0, 1);
    tableLayout->addWidget(FTableName, 1, 0);
    tableLayout->addWidget(FIndexName, 1, 1);
    tableLayout->addWidget(filterLabel, 2, 0, 1, 2);
    tableLayout->addWidget(FFilter, 3, 0, 1, 2);
    tableLayout->setColumnStretch(0, 3);
    tableLayout->setColumnStretch(1, 2);
    QObject::connect(FTableName, &QComboBox::activated, central,
                     [this](int) { RunClick([this] { cbTableNameChange(); }); });
    FHooks.push_back(new TWidgetHooks(FTableName, [this] { RunClick([this] { cbTableNameChange(); }); }));
    FTableName->installEventFilter(FHooks.back());
    QObject::connect(FFilter, &QLineEdit::editingFinished, central,
                     [this] { RunClick([this] { FilterExpressionExit(); }); });
    FTableGroup->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    main->addWidget(FTableGroup);

    FSqlGroup = new QGroupBox(QStringLiteral("Expressão SQL"), central);
    auto* sqlLayout = new QHBoxLayout(FSqlGroup);
    FSql = new QPlainTextEdit(FSqlGroup);
    FSql->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The memo takes what room is left; the boxes above keep the height they need.
    FSql->setMinimumHeight(48);
    FOpenSql = new QPushButton(QStringLiteral("&Abre"), FSqlGroup);
    sqlLayout->addWidget(FSql, 1);
    sqlLayout->addWidget(FOpenSql, 0, Qt::AlignTop);
    QObject::connect(FSql, &QPlainTextEdit::textChanged, central, [this] { RunClick([this] { meSQLChange(); }); });
    QObject::connect(FOpenSql, &QPushButton::clicked, central, [this] { RunClick([this] { OpenSQLClick(); }); });
    main->addWidget(FSqlGroup, 1);

    auto* buttons = new QHBoxLayout;
    FDados = new QPushButton(QStringLiteral("&Dados"), central);
    FOk = MakeButton(central, QStringLiteral("&OK"), mrNone, [this] { bbOkClick(); });
    FCancel = MakeButton(central, QStringLiteral("&Cancela"), mrNone, [this] { bbCancelaClick(); });
    FOk->setDefault(true);
    buttons->addWidget(FDados);
    buttons->addStretch();
    buttons->addWidget(FOk);
    buttons->addWidget(FCancel);
    QObject::connect(FDados, &QPushButton::clicked, central, [this] { RunClick([this] { buDadosClick(); }); });
    SetCancelButton(FCancel);
    main->addLayout(buttons);
}

bool TfmMyZTDataSetup::Execute(TAnexoRelatorio* document, TIniFile* settings)
{
    std::unique_ptr<TfmMyZTDataSetup, TComponentDeleter> dialog(new TfmMyZTDataSetup(nullptr));
    dialog->SetSettings(settings);
    dialog->SetAnexo(document);
    return dialog->ShowModal() == mrOk;
}

QRadioButton* TfmMyZTDataSetup::DataTypeButton(int kind) const
{
    return static_cast<QRadioButton*>(FDataTypeButtons->button(kind));
}

void TfmMyZTDataSetup::SetDataTypeIndex(int kind)
{
    if (kind < 0 || kind > 2)
        return;
    FKind = kind;
    {
        const QSignalBlocker block(FDataTypeButtons);
        DataTypeButton(kind)->setChecked(true);
    }
    DataTypeClick();
}

// ---- names and helpers --------------------------------------------------------------------------

QString TfmMyZTDataSetup::AliasText() const { return FDataBaseName->currentText().trimmed(); }

void TfmMyZTDataSetup::SetAliasText(const QString& text)
{
    const QSignalBlocker block(FDataBaseName);
    const int at = FDataBaseName->findText(text, Qt::MatchFixedString);
    FDataBaseName->setCurrentIndex(at);
    FDataBaseName->setEditText(text);
}

bool TfmMyZTDataSetup::IsKnownName(const QString& name) const
{
    if (TAnexoRelatorio::IsValidAliasOrDirectory(name, FAnexo ? FAnexo->Root() : nullptr))
        return true;
    // A document's database component is known to the session by its own name.
    return !name.trimmed().isEmpty() && Session().FindDatabase(name) != nullptr;
}

TDatabase* TfmMyZTDataSetup::Db() const { return FAnexo ? FAnexo->GetDatabase() : nullptr; }

TDataSet* TfmMyZTDataSetup::ReportDataSet() const
{
    return FAnexo && FAnexo->Report() ? FAnexo->Report()->DataSet() : nullptr;
}

void TfmMyZTDataSetup::SetDataSetDatabase(TDataSet* dataSet, const QString& name)
{
    auto* ds = dynamic_cast<TDBDataSet*>(dataSet);
    if (!ds || ds->DatabaseName() == name)
        return;
    ds->Close();
    ds->SetDatabaseName(name);
}

void TfmMyZTDataSetup::SetTable(TTable* table) { HoldDataSet(this, FTable, table); }

void TfmMyZTDataSetup::SetQuery(TQuery* query) { HoldDataSet(this, FQuery, query); }

void TfmMyZTDataSetup::Notification(TComponent* component, TOperation operation)
{
    TModalForm::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FTable)
        FTable = nullptr;
    if (component == FQuery)
        FQuery = nullptr;
    FReferences.erase(std::remove_if(FReferences.begin(), FReferences.end(),
                                     [component](const TReference& r) { return r.Holder == component; }),
                      FReferences.end());
}

void TfmMyZTDataSetup::FreeTable() { FreeHeldDataSet(this, FTable); }

void TfmMyZTDataSetup::FreeQuery() { FreeHeldDataSet(this, FQuery); }

void TfmMyZTDataSetup::FillComboSorted(QComboBox* combo, const QStringList& items)
{
    QStringList sorted = items;
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    const QSignalBlocker block(combo);
    const QString text = combo->currentText();
    combo->clear();
    combo->addItems(sorted);
    combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
    combo->setEditText(text);
}

void TfmMyZTDataSetup::Alert(const QString& text)
{
    Application().MessageBox(text, Application().Title(), MB_OK | MB_ICONSTOP);
}

void TfmMyZTDataSetup::SetGroupEnabled(QGroupBox* group, bool enabled)
{
    // The box and every control in it.
    group->setEnabled(enabled);
}

int TfmMyZTDataSetup::GetQuantity() const
{
    bool ok = false;
    const int value = FQtd->text().trimmed().toInt(&ok);
    return ok && value > 0 ? value : 0;
}

// ---- loading ------------------------------------------------------------------------------------

void TfmMyZTDataSetup::SetAnexo(TAnexoRelatorio* document)
{
    FAnexo = document;
    FDatabaseCopy.reset();
    FTableCopy.reset();
    FQueryCopy.reset();
    FReferences.clear();
    SetTable(nullptr);
    SetQuery(nullptr);
    if (!document || !document->Report())
        return;
    if (TDatabase* db = document->GetDatabase()) {
        FDatabaseCopy = std::make_unique<TDatabaseCopy>();
        FDatabaseCopy->Name = db->Name();
        FDatabaseCopy->AliasName = db->AliasName();
        FDatabaseCopy->DatabaseName = db->DatabaseName();
        FDatabaseCopy->Params = db->Params()->Text();
        FDatabaseCopy->Connected = db->Connected();
        FDatabaseCopy->LoginPrompt = db->LoginPrompt;
    }
    TDataSet* ds = ReportDataSet();
    int kind = 0;
    if (auto* table = dynamic_cast<TTable*>(ds)) {
        FTableCopy = std::make_unique<TDataSetCopy>();
        FTableCopy->TableName = table->TableName();
        FTableCopy->IndexName = table->IndexName();
        SetTable(table);
        kind = 1;
    } else if (auto* query = dynamic_cast<TQuery*>(ds)) {
        FQueryCopy = std::make_unique<TDataSetCopy>();
        FQueryCopy->Sql = query->SQL()->Text();
        SetQuery(query);
        kind = 2;
    }
    if (TDataSetCopy* copy = FTableCopy ? FTableCopy.get() : FQueryCopy.get()) {
        auto* dbds = static_cast<TDBDataSet*>(ds);
        copy->Name = ds->Name();
        copy->DatabaseName = dbds->DatabaseName();
        copy->Filter = ds->Filter();
        copy->Filtered = ds->Filtered();
        copy->Active = ds->Active();
        // Whatever refers to the data set (the report, data sources, data texts) is pointed at
        // the restored one by Cancel.
        TComponent* root = ds->Owner();
        for (int i = 0; root && i < root->ComponentCount(); ++i) {
            TComponent* c = root->Components(i);
            if (c == ds)
                continue;
            for (const TPropInfo* p : c->ClassType().Properties())
                if (p->Kind == TTypeKind::tkComponent && p->GetObject && p->SetObject && p->GetObject(c) == ds) {
                    FReferences.push_back({c, p});
                    c->FreeNotification(this);
                }
        }
    }
    SetDataTypeIndex(kind);
    FLoadedTableName = FTableName->currentText().trimmed().toUpper();
    UpdateButtons();
}

void TfmMyZTDataSetup::ClearControls()
{
    if (!FReload)
        return;
    ClearTableFields();
    ClearSqlField();
}

void TfmMyZTDataSetup::ClearTableFields()
{
    const QSignalBlocker a(FTableName), b(FIndexName);
    FTableName->clear();
    FTableName->setEditText(QString());
    FIndexName->clear();
    FIndexName->setEditText(QString());
    FFilter->clear();
}

void TfmMyZTDataSetup::ClearSqlField()
{
    const QSignalBlocker block(FSql);
    FSql->clear();
}

void TfmMyZTDataSetup::DataTypeClick()
{
    const int k = FKind;
    SetGroupEnabled(FQtdGroup, k == 0);
    SetGroupEnabled(FAliasGroup, k == 1 || k == 2);
    SetGroupEnabled(FTableGroup, k == 1);
    SetGroupEnabled(FSqlGroup, k == 2);
    meSQLChange();
    if (!FAnexo || !FAnexo->Report()) {
        if (FReload)
            LoadFromDataSet();
        return;
    }
    TVardoRep* report = FAnexo->Report();
    TComponent* root = FAnexo->Root();
    if (k == 0) {
        FreeTable();
        FreeQuery();
        FAnexo->FreeDatabase();
        SetAliasText(QString());
        if (GetQuantity() == 0 && report->Quantidade() > 0)
            FQtd->setText(QString::number(report->Quantidade()));
        FQtd->setFocus();
    } else if (k == 1) {
        if (!FTable) {
            auto* table = NewNamedDataSet<TTable>(root, QStringLiteral("Table"));
            SetTable(table);
            report->SetDataSet(table);
            HookDataSetEvents();
        }
        FreeQuery();
        ClearSqlField();
        FDataBaseName->setFocus();
    } else {
        if (!FQuery) {
            auto* query = NewNamedDataSet<TQuery>(root, QStringLiteral("Query"));
            SetQuery(query);
            report->SetDataSet(query);
            HookDataSetEvents();
        }
        FreeTable();
        ClearTableFields();
        FDataBaseName->setFocus();
    }
    if (FReload)
        LoadFromDataSet();
}

void TfmMyZTDataSetup::LoadFromDataSet()
{
    auto* ds = dynamic_cast<TDBDataSet*>(FKind == 1 ? static_cast<TDataSet*>(FTable) : FKind == 2 ? FQuery : nullptr);
    if (!ds || !FAnexo) {
        ClearControls();
        return;
    }
    if (FKind == 1) {
        const QSignalBlocker a(FTableName), b(FIndexName);
        FTableName->setEditText(FTable->TableName());
        FIndexName->setEditText(FTable->IndexName());
        FFilter->setText(FTable->Filter());
    } else {
        const QSignalBlocker block(FSql);
        FSql->setPlainText(FQuery->SQL()->Text());
    }
    // The alias behind the data set: a data set on the document's database component names the
    // component, whose alias is the one to show.
    const QString dsName = ds->DatabaseName();
    QString alias = dsName;
    if (TDatabase* db = Db(); db && !dsName.isEmpty() && SameText(dsName, db->DatabaseName()))
        alias = db->AliasName();
    if (alias.isEmpty())
        alias = AliasText();
    SelectDatabase(alias);
    if (TDatabase* db = Db()) {
        if (db->DatabaseName() != dsName) {
            ds->Close();
            if (!alias.isEmpty() && db->AliasName() != alias) {
                FAnexo->SetConnected(false);
                db->SetAliasName(alias);
            }
            ds->SetDatabaseName(db->DatabaseName());
        }
    } else if (dsName != alias) {
        // The document's database component was let go: the data set names the alias itself.
        SetDataSetDatabase(ds, alias);
    }
    const QString shown = Db() ? Db()->AliasName() : FAnexo->GetAliasName();
    if (!shown.isEmpty())
        SetAliasText(IsKnownName(shown) ? shown : QString());
    cbDataBaseNameChange(TAliasSender::Dialog);
    if (FKind == 1) {
        ClearSqlField();
    } else {
        ClearTableFields();
    }
}

void TfmMyZTDataSetup::SelectDatabase(const QString& name)
{
    if (!FAnexo)
        return;
    if (TAnexoRelatorio::AliasNeedsDatabase(name))
        FAnexo->EnsureDatabase();
    else
        FAnexo->FreeDatabase();
}

// ---- the alias ----------------------------------------------------------------------------------

void TfmMyZTDataSetup::cbDataBaseNameChange(TAliasSender sender)
{
    UpdateButtons();
    if (FKind == 0 || !FAnexo || !FAnexo->Report())
        return;
    const QString text = AliasText();
    if (!IsKnownName(text) && sender != TAliasSender::Browse) {
        if (!text.isEmpty())
            Alert(InvalidAlias(text));
        return;
    }
    if (TAnexoRelatorio::AliasNeedsDatabase(text)) {
        TDatabase* db = FAnexo->EnsureDatabase();
        const QString own = QFileInfo(FAnexo->FileName()).fileName();
        if (db->DatabaseName() != own) {
            FAnexo->SetConnected(false);
            db->SetDatabaseName(own);
        }
    } else {
        FAnexo->FreeDatabase();
    }
    if (FAnexo->GetAliasName() == text && sender == TAliasSender::Box)
        return;
    TDataSet* ds = ReportDataSet();
    TDatabase* db = Db();
    if (!db) {
        SetDataSetDatabase(ds, text);
        FillTableList();
        return;
    }
    SetDataSetDatabase(ds, db->DatabaseName());
    if (db->AliasName() != text) {
        FAnexo->SetConnected(false);
        db->SetAliasName(text);
    }
    if (db->AliasName().isEmpty())
        return;
    try {
        FAnexo->SetConnected(true);
    } catch (...) {
        // The data components are made again, empty, and the error reaches the user.
        SetAliasText(QString());
        const int kind = FKind;
        FReload = false;
        try {
            SetDataTypeIndex(0);
            SetDataTypeIndex(kind);
        } catch (...) {
        }
        FReload = true;
        throw;
    }
    FillTableList();
    if (FAnexo->IsConnected())
        ApplyDataSet();
}

void TfmMyZTDataSetup::BrowseButtonClick()
{
    QString folder = AliasText();
    if (!SelectDirectory(QStringLiteral("Selecione o diretório"), QString(), folder, Window()))
        return;
    if (folder.isEmpty() || folder == AliasText())
        return;
    SetAliasText(folder);
    cbDataBaseNameChange(TAliasSender::Browse);
}

void TfmMyZTDataSetup::FillTableList()
{
    if (!FAnexo)
        return;
    if (TDatabase* db = Db(); db && !db->Connected())
        FAnexo->SetConnected(true);
    const QString name = FAnexo->GetConnectionName();
    if (!IsKnownName(name)) {
        Alert(InvalidAlias(AliasText()));
        FillComboSorted(FTableName, {});
        return;
    }
    if (FKind != 1)
        return;
    TStringList tables;
    try {
        Session().GetTableNames(name, QString(), true, false, &tables, FAnexo->Root());
    } catch (...) {
        FillComboSorted(FTableName, {});
        throw;
    }
    QStringList names;
    for (int i = 0; i < tables.Count(); ++i)
        names << tables.Strings(i);
    FillComboSorted(FTableName, names);
    const QString current = FTableName->currentText().trimmed();
    const bool listed = std::any_of(names.begin(), names.end(), [&](const QString& n) { return SameText(n, current); });
    if (!listed) {
        const QSignalBlocker a(FTableName), b(FIndexName);
        FTableName->setEditText(QString());
        FIndexName->clear();
        FIndexName->setEditText(QString());
        FFilter->clear();
    } else if (FTable) {
        TStringList indexes;
        try {
            FTable->GetIndexNames(&indexes);
        } catch (const Exception&) {
            // A table that cannot be read yet simply lists no indexes.
        }
        QStringList list;
        for (int i = 0; i < indexes.Count(); ++i)
            list << indexes.Strings(i);
        FillComboSorted(FIndexName, list);
    }
}

// ---- the table ----------------------------------------------------------------------------------

void TfmMyZTDataSetup::cbTableNameChange()
{
    UpdateButtons();
    if (!FTable)
        return;
    const QString text = FTableName->currentText().trimmed();
    bool changed = false;
    if (text != FTable->TableName()) {
        changed = true;
        const QString previous = FTable->TableName();
        FTable->Close();
        FTable->SetFiltered(false);
        FTable->SetFilter(QString());
        FTable->SetIndexName(QString());
        FTable->SetTableName(text);
        if (!text.isEmpty()) {
            TWaitCursor wait;
            try {
                FTable->Open();
            } catch (...) {
                if (OnScreen()) {
                    FTable->Close();
                    FTable->SetTableName(previous);
                    throw;
                }
            }
        }
    }
    if (FTable->Active()) {
        TStringList indexes;
        FTable->GetIndexNames(&indexes);
        QStringList list;
        for (int i = 0; i < indexes.Count(); ++i)
            list << indexes.Strings(i);
        FillComboSorted(FIndexName, list);
        // Another table starts without index or filter; the same table keeps what the user set.
        if (changed) {
            const QSignalBlocker block(FIndexName);
            FIndexName->setEditText(QString());
            FFilter->clear();
        }
    }
}

void TfmMyZTDataSetup::FilterExpressionExit()
{
    if (!FTable)
        return;
    const QString text = FFilter->text();
    if (FTable->Filter() != text)
        FTable->SetFilter(text);
    FTable->SetFiltered(!text.isEmpty());
}

// ---- the query ----------------------------------------------------------------------------------

void TfmMyZTDataSetup::meSQLChange()
{
    UpdateButtons();
    FOpenSql->setEnabled(!FSql->toPlainText().trimmed().isEmpty() && IsKnownName(AliasText()));
}

void TfmMyZTDataSetup::OpenSQLClick() { ApplyDataSet(); }

void TfmMyZTDataSetup::UpdateButtons()
{
    const bool source = !FTableName->currentText().trimmed().isEmpty() || !FSql->toPlainText().trimmed().isEmpty();
    FDados->setEnabled((FKind == 1 || FKind == 2) && IsKnownName(AliasText()) && source);
}

void TfmMyZTDataSetup::ApplyDataSet()
{
    if (!FAnexo)
        return;
    const QString name = FAnexo->GetConnectionName();
    TWaitCursor wait;
    if (FKind == 1 && FTable) {
        const QString table = FTableName->currentText().trimmed();
        const QString index = FIndexName->currentText().trimmed();
        const QString filter = FFilter->text();
        if (FTable->Active() && FTable->DatabaseName() == name && FTable->Filter() == filter &&
            FTable->TableName() == table && FTable->IndexName() == index)
            return;
        FTable->Close();
        FTable->SetDatabaseName(name);
        FTable->SetTableName(table);
        FTable->SetIndexName(index);
        FTable->SetFilter(filter);
        // The document's filter follows the box, also when it was emptied.
        FTable->SetFiltered(!filter.isEmpty());
        FAnexo->SetFilterText(filter);
        if (!table.isEmpty()) {
            try {
                FTable->Open();
            } catch (...) {
                if (OnScreen())
                    throw;
            }
        }
    } else if (FKind == 2 && FQuery) {
        const QString sql = FSql->toPlainText();
        if (FQuery->SQL()->Text() == sql && FQuery->DatabaseName() == name && FQuery->Active())
            return;
        FQuery->Close();
        FQuery->SQL()->SetText(sql);
        FQuery->SetDatabaseName(name);
        if (!sql.trimmed().isEmpty()) {
            try {
                FQuery->Open();
            } catch (...) {
                if (OnScreen())
                    throw;
            }
        }
    }
}

bool TfmMyZTDataSetup::Validate()
{
    if (FKind == 1 && (!FTable || FTable->TableName().trimmed().isEmpty())) {
        Alert(QStringLiteral("O nome da tabela não pode ser vazio."));
        return false;
    }
    if (FKind == 2 && FSql->toPlainText().trimmed().isEmpty()) {
        Alert(QStringLiteral("A Expressão SQL não pode ser vazia."));
        return false;
    }
    return true;
}

void TfmMyZTDataSetup::HookDataSetEvents()
{
    TDataSet* ds = ReportDataSet();
    if (!ds || !FAnexo)
        return;
    TAnexoRelatorio* doc = FAnexo;
    ds->BeforeOpen = [doc](TDataSet* d) { doc->DataSetBeforeOpen(d); };
    ds->AfterClose = [doc](TDataSet* d) { doc->DataSetAfterClose(d); };
}

void TfmMyZTDataSetup::edQtdEdtiquetasKeyPress(QChar& key)
{
    if (!key.isDigit() || key.unicode() > 127) {
        if (key != QChar(8))
            key = QChar();
    }
}

void TfmMyZTDataSetup::buDadosClick()
{
    if (!ReportDataSet())
        return;
    ApplyDataSet();
    TfmGrid::Execute(FAnexo, FSettings);
}

// ---- OK and Cancel ------------------------------------------------------------------------------

void TfmMyZTDataSetup::bbOkClick()
{
    if (!FAnexo || !FAnexo->Report())
        return;
    TVardoRep* report = FAnexo->Report();
    if (FKind == 1 || FKind == 2) {
        if (!IsKnownName(AliasText())) {
            Alert(InvalidAlias(AliasText()));
            return;
        }
        ApplyDataSet();
        if (!Validate())
            return;
        TDataSet* ds = ReportDataSet();
        if (!ds || !ds->Active()) {
            Alert(QStringLiteral("A tabela não pode ser aberta, verifique!"));
            return;
        }
        // The document's filter is the one the table now has, however it was set.
        if (FKind == 1)
            FAnexo->SetFilterText(ds->Filter());
        if (FTableName->currentText().trimmed().toUpper() != FLoadedTableName)
            report->SetCampoQuantidadeObjeto(nullptr);
    } else {
        report->SetQuantidade(GetQuantity());
    }
    SetModalResult(mrOk);
}

// ---- placement ----------------------------------------------------------------------------------

void TfmMyZTDataSetup::FormShow()
{
    FOnScreen = true;
    ReadWindowPosition(FSettings, kSection);
}

void TfmMyZTDataSetup::FormClose()
{
    FOnScreen = false;
    WriteWindowPosition(FSettings, kSection);
}

} // namespace tessiv
