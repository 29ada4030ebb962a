#pragma once
// The data source setup dialog: where a document's labels take their data from (no data and a
// fixed count, a table of an alias or a folder, or an SQL query). It edits the document's live data
// components so the user sees at once whether a table opens, and keeps a snapshot of the database
// component, the table and the query as they were, so that Cancel (or the close box) rebuilds them
// exactly: same names, same settings, open when they were open, and every component that referred
// to the data set referring to it again.
//
// The main form's data command is one call:
//   if (TfmMyZTDataSetup::Execute(document, form->Settings())) { mark modified; BindDataFields(...); }
// which does, in this order:
//   TfmMyZTDataSetup dialog(nullptr);
//   dialog.SetSettings(form->Settings());   // may be nil: then no placement is kept
//   dialog.SetAnexo(document);              // takes the snapshot and loads the controls
//   if (dialog.ShowModal() == mrOk) { mark the document modified; document->BindDataFields(...); }
// The dialog owns nothing of the document; the document must outlive it.

#include "designer/dialogs/ModalForm.h"

#include <QString>

#include <memory>
#include <vector>

class QButtonGroup;
class QObject;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tessiv {

class TAnexoRelatorio;
class TDatabase;
class TDataSet;
class TIniFile;
class TQuery;
class TTable;
struct TPropInfo;

class TfmMyZTDataSetup : public TModalForm {
    TESSIV_CLASS(TfmMyZTDataSetup, TModalForm)
public:
    explicit TfmMyZTDataSetup(TComponent* owner);
    ~TfmMyZTDataSetup() override;

    static constexpr int HelpContext = 410;

    // Shows the dialog for the document; true when the user confirmed with OK (the document's
    // data components are then as edited), false after Cancel (they are as they were).
    static bool Execute(TAnexoRelatorio* document, TIniFile* settings);

    void SetSettings(TIniFile* settings) { FSettings = settings; }
    TIniFile* Settings() const { return FSettings; }
    TAnexoRelatorio* Anexo() const { return FAnexo; }
    // Loads the dialog from a document and remembers how its data components are now.
    void SetAnexo(TAnexoRelatorio* document);

    // The kind of data: 0 none, 1 a table, 2 an SQL query. Setting it runs DataTypeClick.
    int DataTypeIndex() const { return FKind; }
    void SetDataTypeIndex(int kind);

    // ---- event handlers (widgets call them at the exception boundary) ----
    void DataTypeClick();
    // Who changed the alias: the box itself (its click or exit), the dialog while loading, or
    // the folder button.
    enum class TAliasSender { Box, Dialog, Browse };
    void cbDataBaseNameChange(TAliasSender sender = TAliasSender::Box);
    void BrowseButtonClick();
    void cbTableNameChange();
    void FilterExpressionExit();
    void meSQLChange();
    void OpenSQLClick();
    void buDadosClick();
    // Sets key to a null character when the box does not take it (only digits and Backspace).
    void edQtdEdtiquetasKeyPress(QChar& key);
    void bbOkClick();
    void bbCancelaClick();

    // ---- the controls ----
    QGroupBox* DataType() const { return FDataType; }
    QRadioButton* DataTypeButton(int kind) const;
    QGroupBox* gbQtdSemDados() const { return FQtdGroup; }
    QLineEdit* edQtdEdtiquetas() const { return FQtd; }
    QGroupBox* AliasGB() const { return FAliasGroup; }
    QComboBox* cbDataBaseName() const { return FDataBaseName; }
    QPushButton* BrowseButton() const { return FBrowse; }
    QGroupBox* TableGroup() const { return FTableGroup; }
    QComboBox* cbTableName() const { return FTableName; }
    QComboBox* cbIndexName() const { return FIndexName; }
    QLineEdit* FilterExpression() const { return FFilter; }
    QGroupBox* SQLGroup() const { return FSqlGroup; }
    QPlainTextEdit* meSQL() const { return FSql; }
    QPushButton* OpenSQL() const { return FOpenSql; }
    QPushButton* buDados() const { return FDados; }
    QPushButton* bbOk() const { return FOk; }
    QPushButton* bbCancela() const { return FCancel; }

    // The working table and query (the report's data set while the dialog edits it).
    TTable* WorkingTable() const { return FTable; }
    TQuery* WorkingQuery() const { return FQuery; }

    void Notification(TComponent* component, TOperation operation) override;

    // ---- internal operations, public for the tests ----
    void LoadFromDataSet();
    void ClearControls();
    // The table's name, index and filter, or the SQL text, emptied without their change handlers.
    void ClearTableFields();
    void ClearSqlField();
    void SelectDatabase(const QString& name);
    void FillTableList();
    void ApplyDataSet();
    // False (after its message) when the table name or the SQL text is missing.
    bool Validate();
    void UpdateButtons();
    void HookDataSetEvents();
    // The box's number; 0 when it holds none.
    int GetQuantity() const;
    void SetGroupEnabled(QGroupBox* group, bool enabled);
    // From the show to the close: errors of opening reach the user only then.
    bool OnScreen() const { return FOnScreen; }
    void SetOnScreen(bool value) { FOnScreen = value; }

protected:
    void FormShow() override;
    void FormClose() override;
    // Closing the window by its frame cancels: what the dialog changed is put back.
    void FormCloseQuery(bool& canClose) override;

private:
    // What a component was when the dialog was loaded.
    struct TDatabaseCopy {
        QString Name, AliasName, DatabaseName, Params;
        bool Connected = false;
        bool LoginPrompt = false;
    };
    struct TDataSetCopy {
        QString Name, DatabaseName, Filter, TableName, IndexName, Sql;
        bool Filtered = false;
        bool Active = false;
    };
    // A published reference of a component of the document to the data set.
    struct TReference {
        TComponent* Holder;
        const TPropInfo* Property;
    };

    void BuildControls();
    QString AliasText() const;
    void SetAliasText(const QString& text);
    // An alias, a file or folder (a relative one beside the document's file first), or the name of
    // a database component of the session.
    bool IsKnownName(const QString& name) const;
    TDatabase* Db() const;
    TDataSet* ReportDataSet() const;
    void SetDataSetDatabase(TDataSet* dataSet, const QString& name);
    void FreeTable();
    void FreeQuery();
    void SetTable(TTable* table);
    void SetQuery(TQuery* query);
    void FillComboSorted(QComboBox* combo, const QStringList& items);
    void Alert(const QString& text);
    void RestoreData();
    void RestoreDataSet(TDataSet* dataSet, const TDataSetCopy& copy);
    TComponent* NameFree(TComponent* component, const QString& name, const QString& base);
    bool StillOwned(const TComponent* component) const;

    TAnexoRelatorio* FAnexo = nullptr;
    TIniFile* FSettings = nullptr;
    std::unique_ptr<TDatabaseCopy> FDatabaseCopy;
    std::unique_ptr<TDataSetCopy> FTableCopy;
    std::unique_ptr<TDataSetCopy> FQueryCopy;
    std::vector<TReference> FReferences;
    TTable* FTable = nullptr;
    TQuery* FQuery = nullptr;
    QString FLoadedTableName;
    bool FReload = true;
    int FKind = 0;
    bool FOnScreen = false;
    bool FRestored = false; // Cancel has put the data components back

    std::vector<QObject*> FHooks; // the focus and key watchers on the boxes
    QGroupBox* FDataType = nullptr;
    QButtonGroup* FDataTypeButtons = nullptr;
    QGroupBox* FQtdGroup = nullptr;
    QLineEdit* FQtd = nullptr;
    QGroupBox* FAliasGroup = nullptr;
    QComboBox* FDataBaseName = nullptr;
    QPushButton* FBrowse = nullptr;
    QGroupBox* FTableGroup = nullptr;
    QComboBox* FTableName = nullptr;
    QComboBox* FIndexName = nullptr;
    QLineEdit* FFilter = nullptr;
    QGroupBox* FSqlGroup = nullptr;
    QPlainTextEdit* FSql = nullptr;
    QPushButton* FOpenSql = nullptr;
    QPushButton* FDados = nullptr;
    QPushButton* FOk = nullptr;
    QPushButton* FCancel = nullptr;
};

} // namespace tessiv
