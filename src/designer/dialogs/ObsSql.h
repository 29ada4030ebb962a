#pragma once
// The SQL editor of an item area's observation query or of a column grid's query. "Abre" tries
// the SQL against the database with the report's data set as master (its current record gives
// the parameters); only a statement that reads (SELECT or WITH) is tried. "Ok" tries it too and
// then stores it in the band with an undo step; when the band refuses it, the step goes again
// and the band gets back the SQL it had.
//
// Call: TfmObs_Sql::Execute(main, band) for the active document (the undo step, the modified
// mark and the settings are the main form's); or by hand: create, set Settings, SaveUndoStep and
// DropUndoStep, SetItensObs or SetColunaSql, ShowModal (mrOk: the band's SQL was stored), free.
// The band and its report must outlive the dialog.

#include "designer/dialogs/ModalForm.h"

#include <functional>
#include <memory>

class QPlainTextEdit;
class QPushButton;

namespace tessiv {

class TDataSource;
class TIniFile;
class TKVColunaSql;
class TKVCustomBand;
class TKVItensObs;
class TQuery;
class TStringList;
class TStrings;
class TfmAnexo;

class TfmObs_Sql : public TModalForm {
    TESSIV_CLASS(TfmObs_Sql, TModalForm)
public:
    explicit TfmObs_Sql(TComponent* owner);
    ~TfmObs_Sql() override;

    // Edits the SQL of an item area or a column grid (any other band: mrCancel at once); on mrOk
    // the document is marked modified.
    static int Execute(TfmAnexo* main, TKVCustomBand* band);

    TIniFile* Settings = nullptr;
    // Records the undo step of kind 1 for the band before it changes, and takes it back.
    std::function<void(TKVCustomBand* band)> SaveUndoStep;
    std::function<void()> DropUndoStep;
    // The settings, the undo step and its taking back become the main form's.
    void UseMainForm(TfmAnexo* main);

    void SetItensObs(TKVItensObs* band);
    void SetColunaSql(TKVColunaSql* band);
    // Puts the lines in the editor and keeps them as the starting SQL.
    void ShowSql(const TStrings* lines);

    TKVCustomBand* Band() const;
    TQuery* Query() const { return FQuery; }
    TDataSource* Source() const { return FSource; }
    const TStringList* StartingSql() const { return FStartingSql.get(); }
    void SetSqlText(const QString& text);

    // ---- handlers ----
    void buAbreClick();
    void buOkClick();

    // True for a statement that only reads: its first word (past comments and parentheses) is
    // SELECT or WITH.
    static bool IsReadingStatement(const QString& sql);

    // ---- the form's parts ----
    QPlainTextEdit* mmEditorSql = nullptr;
    QPushButton* buAbre = nullptr;
    QPushButton* buOk = nullptr;
    QPushButton* buCancela = nullptr;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void LoadBand(TKVCustomBand* band, TQuery* bandQuery);
    void EditorLines(TStringList& lines) const;
    TStrings* BandSql() const;
    void StoreInBand(const TStrings* sql);

    TKVItensObs* FItensObs = nullptr;
    TKVColunaSql* FColunaSql = nullptr;
    TQuery* FQuery = nullptr;        // owned by the form
    TDataSource* FSource = nullptr;  // owned by the form
    std::unique_ptr<TStringList> FStartingSql;
};

} // namespace tessiv
