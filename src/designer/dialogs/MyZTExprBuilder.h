#pragma once
// The expression builder: the user composes the text of an expression by clicking constants,
// data fields, operators, parentheses and the functions of the function library; each argument
// of a function, and what goes between parentheses, is composed in a nested builder of its own.
// The builder only edits text, but every piece it adds is one the evaluator reads without an
// error: field names that are not plain names go between square brackets (a name the evaluator
// cannot read even so is refused), a text constant cannot hold a quote, a number must be one.
//
// Call: TMyZTExprBuilder::Execute(report, prompt, expression, dataSetOwner, settings) shows the
// builder modally and frees it again; use the expression only when it returns true. The settings
// are the main form's (its position lives in section "ExpressBld"); nil takes them from the main
// form when that is the designer's. The first builder made rewrites the descriptions of some
// library functions for the rest of the program.

#include "designer/dialogs/ModalForm.h"

#include <QString>

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace tessiv {

class TIniFile;
class TKVLibraryEntry;
class TStringList;
class TVardoRep;

class TMyZTExprBuilder : public TModalForm {
    TESSIV_CLASS(TMyZTExprBuilder, TModalForm)
public:
    explicit TMyZTExprBuilder(TComponent* owner);
    ~TMyZTExprBuilder() override;

    // True when the builder was closed with OK; Expression gets the builder's text either way.
    static bool Execute(TVardoRep* report, const QString& prompt, QString& expression, TComponent* dataSetOwner,
                        TIniFile* settings = nullptr);

    // What the builder works with; set before it shows.
    TVardoRep* Report = nullptr;
    TComponent* DataSetOwner = nullptr;
    TIniFile* Settings = nullptr;

    QString Expression() const;
    void SetExpression(const QString& text);
    void SetPrompt(const QString& prompt);
    // The texts before each addition, newest first.
    const TStringList* UndoList() const { return FUndoList.get(); }

    // Appends a piece with an undo step.
    void AddToExpression(const QString& piece);
    void FillFunctionList(int category);
    void ShowFunctionInfo(int index);
    // Composes each argument in a nested builder; a cancelled or empty argument adds nothing.
    void AddFunctionCall(const QString& name, const QString& data);
    // The list of data sets of the owner, the report's selected, and its fields.
    void FillDataSets();
    void FillDataFields();

    // The piece that names a field: the name itself when the evaluator reads it as a field, else
    // the name in square brackets; false when the evaluator cannot read the name at all.
    static bool FieldPiece(const QString& fieldName, QString& piece);
    // The piece of a constant of the type ("Numerico" 0, "Caracter" 1); false with the message
    // for the user when the text is no such constant.
    static bool ConstantPiece(const QString& text, int type, QString& piece, QString& message);

    // ---- handlers ----
    void UndoClick();
    void ClearClick();
    void AddNumericClick();
    void OperatorClick(const QString& piece);
    void ParenthesesClick();
    void AddDatafieldClick();
    void AddFunctionClick();
    void FunctionTypeChange();
    void DataSetChange();

    // ---- the form's parts ----
    QLabel* CurrentExpr = nullptr;
    QLabel* Element = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
    QPushButton* Undo = nullptr;
    QPushButton* Clear = nullptr;
    QGroupBox* ConstantGB = nullptr;
    QLineEdit* aConstant = nullptr;
    QComboBox* ConstantType = nullptr;
    QPushButton* AddNumeric = nullptr;
    QGroupBox* DataFieldGB = nullptr;
    QWidget* paTabela = nullptr; // hidden: the data set follows the report
    QComboBox* DataSet = nullptr;
    QListWidget* DataField = nullptr;
    QPushButton* AddDatafield = nullptr;
    QGroupBox* FunctionGB = nullptr;
    QComboBox* FunctionType = nullptr;
    QListWidget* AvailableFunc = nullptr;
    QLabel* FunctionName = nullptr;
    QLabel* FunctionDescript = nullptr;
    QPushButton* AddFunction = nullptr;
    QGroupBox* OperatorsGB = nullptr;
    // The operator buttons in the order they stand; the last is "(  )".
    QPushButton* OperatorButton(const QString& caption) const;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void BuildWindow();
    static void RewriteDescriptions();
    TKVLibraryEntry* EntryAt(int index) const;
    // Runs a nested builder over the same report and data sets; false when it was cancelled.
    bool RunNested(const QString& prompt, QString& text);
    void ShowMessage(const QString& text);

    std::unique_ptr<TStringList> FUndoList;
    std::unique_ptr<TStringList> FDataSets;
};

} // namespace tessiv
