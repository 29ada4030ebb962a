#pragma once
// The text editor of an expression memo: plain text in which expression fields stand between
// braces ("{" expression "}"). It imports and exports text files, inserts expression fields made
// with the expression builder, gives the memo the text at once ("Atualizar"), and before it closes
// asks about a text that differs from its file and then about one that differs from the memo.
//
// Call order: make the form (owner nil), set Settings (the main form's), Memo, Report,
// DataSetOwner (the document's root, which owns the data sets), Directory (the document's folder),
// OnMemoUpdated (re-place the designer's handles and mark the document modified) and OnAbout;
// put the memo's text with SetText ("(NADA)" given as empty) and its file with SetFileName; then
// ShowModal. On mrOk read Text() and FileName() back; Directory holds the folder last used.
// Execute does all of this for one memo in one call; recording the undo step and putting the text
// into the memo stay with the caller.

#include "designer/dialogs/ModalForm.h"

#include <QString>

#include <functional>

class QAction;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace tessiv {

class TAnexoToolBar;
class TIniFile;
class TKVExprMemo;
class TStringList;
class TVardoRep;

class TfmEditorTxt : public TModalForm {
    TESSIV_CLASS(TfmEditorTxt, TModalForm)
public:
    explicit TfmEditorTxt(TComponent* owner);
    ~TfmEditorTxt() override;

    // Edits the memo's text (its lines, empty for "(NADA)") tied to its file (its Hint) and gives
    // the modal result; on mrOk text and fileName hold what the caller puts into the memo.
    static int Execute(TKVExprMemo* memo, TIniFile* settings, TComponent* dataSetOwner, QString& directory,
                       QString& text, QString& fileName, const std::function<void()>& onMemoUpdated = {});

    TIniFile* Settings = nullptr;
    TKVExprMemo* Memo = nullptr;
    TVardoRep* Report = nullptr;
    TComponent* DataSetOwner = nullptr;
    QString Directory;
    std::function<void()> OnMemoUpdated;
    // Shows the about box; unset, the program's own.
    std::function<void()> OnAbout;

    QString Text() const;
    void SetText(const QString& text);
    // The file the text belongs to (with its folder); empty for none.
    QString FileName() const { return FFileName; }
    void SetFileName(const QString& fileName) { FFileName = fileName; }

    // The text differs from the memo's.
    bool TextChanged() const;
    // The text is tied to a file whose lines differ from it; false when the file cannot be read.
    bool FileChanged() const;

    // ---- handlers ----
    void Arquivo1Click();
    void Novo1Click();
    void Atualizar1Click();
    void Importar1Click();
    void Exportar1Click();
    void Sair1Click();
    void Recortar1Click();
    void Copiar1Click();
    void Colar1Click();
    void Selecionartudo1Click();
    void WizardButtonClick();
    void Sobre1Click();

    // ---- the form's parts ----
    QPlainTextEdit* Texto = nullptr;
    TAnexoToolBar* EditorToolBar = nullptr;
    QAction* New = nullptr;
    QAction* Importar = nullptr;
    QAction* Exportar = nullptr;
    QAction* WizardButton = nullptr;
    QPushButton* buOk = nullptr;
    QPushButton* buCancela = nullptr;
    QMenu* Arquivo1 = nullptr;
    QAction* Novo1 = nullptr;
    QAction* Atualizar1 = nullptr;
    QAction* Importar1 = nullptr;
    QAction* Exportar1 = nullptr;
    QAction* Sair1 = nullptr;
    QAction* Recortar1 = nullptr;
    QAction* Copiar1 = nullptr;
    QAction* Colar1 = nullptr;
    QAction* Selecionartudo1 = nullptr;
    QAction* CampoExpressao1 = nullptr;
    QAction* Sobre1 = nullptr;

protected:
    void FormShow() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose() override;

private:
    void BuildWindow();
    QAction* MenuItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut, void (TfmEditorTxt::*handler)());
    void CaretToStart();
    // The text's lines as the memo and the files hold them.
    void TextLines(TStringList& lines) const;
    // Writes the text to the file, in the code page when it can hold it, else in UTF-8.
    void SaveTextTo(const QString& fileName) const;
    // A file dialog's folder becomes the one the next dialog starts in.
    void TakeDirectory(const QString& fileName);

    QString FFileName;
};

} // namespace tessiv
