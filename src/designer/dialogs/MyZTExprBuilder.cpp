#include "designer/dialogs/MyZTExprBuilder.h"

#include "designer/mainform/AnexoForm.h"
#include "engine/expressions/KVFunctionLibrary.h"
#include "engine/model/StringTable.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Application.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <cmath>

namespace tessiv {

namespace {

const QString SectionName = QStringLiteral("ExpressBld");

// The builder's own messages.
const QString MsgQuoteInText = QStringLiteral("Uma constante de caracteres não pode conter o apóstrofo (').");
const QString MsgBadNumber =
    QStringLiteral("\"%1\" não é uma constante numérica. Use algarismos e o ponto como separador decimal (ex.: 12.5).");
const QString MsgUnreadableField =
    QStringLiteral("O campo \"%1\" não pode ser usado em expressões: o nome contém caracteres que a expressão não aceita.");

const char* const OperatorCaptions[] = {"+", "-", "*", "/", "=", "<", ">", ">=", "<=", "<>", "Not", "And", "Or", "(  )"};

// The explanations the builder shows for these functions, in place of the library's own.
const struct {
    const char* Name;
    const char* Description;
} Rewritten[] = {
    {"IF", "IF(<Exp>, <X>, <Y>)|Retorna <X> ou <Y> dependendo da expressão booleana <Exp>"},
    {"STR", "STR(<X>)|Converte um numerico <X> em caracteres"},
    {"UPPER", "UPPER(<X>)|Converte todos os caracteres para maiúsculo"},
    {"LOWER", "LOWER(<X>)|Converte todos os caracteres para minúsculo"},
    {"PRETTY", "PRETTY(<X>)|Converte o primeiro caracter em maiúsculo e o resto em minúsculo"},
    {"DATE", "DATE|Retorna a data atual como caracteres"},
    {"TIME", "TIME|Retorna a hora atual como caracteres"},
    {"COPY", "COPY(<X>, <St>,<Len>)|Retorna uma parte dos caracts. de <X>, iniciando na posição <St> e com o tamanho <Len>"},
    {"SUM", "SUM(<X>)|Soma um numérico <X>"},
    {"COUNT", "COUNT|Incrementa o valor a cada impressão"},
    {"MAX", "MAX(<X>)|Retorna o maior valor de <x>"},
    {"MIN", "MIN(<X>)|Retorna o menor valor de <x>"},
    {"AVERAGE", "AVERAGE(<X>)|Retorna a média aritmética de <x>"},
    {"TRUE", "TRUE|Retorna o valor booleano VERDADEIRO"},
    {"FALSE", "FALSE|Retorna o valor booleano FALSO"},
    {"INT", "INT(<X>)|Retorna a parte inteira de <x>"},
    {"FRAC", "FRAC(<X>)|Retorna a parte fracionária de <x>"},
    {"SQRT", "SQRT(<X>)|Retorna a raiz quadrada de <x>"},
    {"DIV", "DIV(<X>, <Y>)|Retorna a parte inteira da divisão"},
    {"TYPEOF", "TYPEOF(<Exp>)|Retorna o tipo do dado de <Expr>"},
    {"FORMATNUMERIC", "FORMATNUMERIC(<F>,<N>)|Formata um valor numérico <N> usando a máscara de <F>"},
};

bool IsAsciiLetter(QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool IsLibraryFunction(const QString& name)
{
    return FunctionLibrary && FunctionLibrary->Entries()->IndexOf(AnsiUpperCase(name)) >= 0;
}

} // namespace

TESSIV_IMPLEMENT_CLASS(TMyZTExprBuilder, TModalForm)

TMyZTExprBuilder::TMyZTExprBuilder(TComponent* owner)
    : TModalForm(owner), FUndoList(std::make_unique<TStringList>()), FDataSets(std::make_unique<TStringList>())
{
    SetName(QStringLiteral("MyZTExprBuilder"));
    RewriteDescriptions();
    BuildWindow();
    FillFunctionList(0);
    FunctionType->setCurrentIndex(0);
    ConstantType->setCurrentIndex(0);
}

TMyZTExprBuilder::~TMyZTExprBuilder() = default;

void TMyZTExprBuilder::RewriteDescriptions()
{
    if (!FunctionLibrary)
        return;
    TStringList* entries = FunctionLibrary->Entries();
    for (const auto& r : Rewritten)
        if (TKVLibraryEntry* entry = FunctionLibrary->GetEntry(entries->IndexOf(QString::fromLatin1(r.Name))))
            entry->Description = QString::fromUtf8(r.Description);
}

void TMyZTExprBuilder::BuildWindow()
{
    SetCaption(QStringLiteral("Gerador de expressões"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    auto* client = new QWidget;
    client->setObjectName(QStringLiteral("MyZTExprBuilderClient"));
    Window()->setCentralWidget(client);
    Window()->setObjectName(QStringLiteral("MyZTExprBuilder"));
    Window()->resize(450, 403);
    SetWindowState(wsMaximized);

    auto* main = new QVBoxLayout(client);
    main->setContentsMargins(8, 8, 8, 8);

    auto* top = new QHBoxLayout;
    auto* exprBox = new QVBoxLayout;
    CurrentExpr = new QLabel(QStringLiteral("Expressão"), client);
    QFont bold = CurrentExpr->font();
    bold.setBold(true);
    CurrentExpr->setFont(bold);
    CurrentExpr->setWordWrap(true);
    Element = new QLabel(client);
    Element->setObjectName(QStringLiteral("Element"));
    Element->setWordWrap(true);
    Element->setTextFormat(Qt::PlainText);
    Element->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Element->setMinimumHeight(52);
    Element->setAutoFillBackground(true);
    Element->setFrameShape(QFrame::Panel);
    Element->setFrameShadow(QFrame::Sunken);
    QPalette info = Element->palette();
    info.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xE1));
    info.setColor(QPalette::WindowText, Qt::black);
    Element->setPalette(info);
    exprBox->addWidget(CurrentExpr);
    exprBox->addWidget(Element, 1);
    top->addLayout(exprBox, 1);
    auto* buttons = new QVBoxLayout;
    OK = MakeButton(client, QStringLiteral("OK"), mrOk);
    Cancel = MakeButton(client, QStringLiteral("Cancela"), mrCancel);
    Undo = MakeButton(client, QStringLiteral("Volta"), mrNone, [this] { UndoClick(); });
    Clear = MakeButton(client, QStringLiteral("Apaga"), mrNone, [this] { ClearClick(); });
    Undo->setEnabled(false);
    SetCancelButton(Cancel);
    for (QPushButton* b : {OK, Cancel, Undo, Clear})
        buttons->addWidget(b);
    buttons->addStretch();
    top->addLayout(buttons);
    main->addLayout(top);

    auto* middle = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    ConstantGB = new QGroupBox(QStringLiteral("Constante"), client);
    auto* cg = new QGridLayout(ConstantGB);
    aConstant = new QLineEdit(ConstantGB);
    ConstantType = new QComboBox(ConstantGB);
    ConstantType->addItems({QStringLiteral("Numerico"), QStringLiteral("Caracter")});
    AddNumeric = MakeButton(ConstantGB, QStringLiteral("Adiciona"), mrNone, [this] { AddNumericClick(); });
    QObject::connect(aConstant, &QLineEdit::returnPressed, aConstant, [this] { RunClick([this] { AddNumericClick(); }); });
    cg->addWidget(aConstant, 0, 0, 1, 2);
    cg->addWidget(ConstantType, 1, 0);
    cg->addWidget(AddNumeric, 1, 1);
    left->addWidget(ConstantGB);

    DataFieldGB = new QGroupBox(QStringLiteral("Campo de Dado"), client);
    auto* dg = new QVBoxLayout(DataFieldGB);
    paTabela = new QWidget(DataFieldGB);
    auto* tg = new QHBoxLayout(paTabela);
    tg->setContentsMargins(0, 0, 0, 0);
    tg->addWidget(new QLabel(QStringLiteral("Tabela"), paTabela));
    DataSet = new QComboBox(paTabela);
    tg->addWidget(DataSet, 1);
    paTabela->hide();
    dg->addWidget(paTabela);
    dg->addWidget(new QLabel(QStringLiteral("Campo"), DataFieldGB));
    DataField = new QListWidget(DataFieldGB);
    dg->addWidget(DataField, 1);
    AddDatafield = MakeButton(DataFieldGB, QStringLiteral("Adiciona"), mrNone, [this] { AddDatafieldClick(); });
    dg->addWidget(AddDatafield, 0, Qt::AlignRight);
    QObject::connect(DataSet, &QComboBox::currentIndexChanged, DataSet, [this] { RunClick([this] { DataSetChange(); }); });
    QObject::connect(DataField, &QListWidget::itemDoubleClicked, DataField,
                     [this] { RunClick([this] { AddDatafieldClick(); }); });
    left->addWidget(DataFieldGB, 1);
    middle->addLayout(left, 1);

    FunctionGB = new QGroupBox(QStringLiteral("Função"), client);
    auto* fg = new QVBoxLayout(FunctionGB);
    fg->addWidget(new QLabel(QStringLiteral("Categoria"), FunctionGB));
    FunctionType = new QComboBox(FunctionGB);
    FunctionType->addItems({QStringLiteral("Todas"), QStringLiteral("Data e hora"), QStringLiteral("Matem. e trigon."),
                            QStringLiteral("Estatística"), QStringLiteral("Banco de dados"), QStringLiteral("Logica"),
                            QStringLiteral("Informação"), QStringLiteral("Outras")});
    fg->addWidget(FunctionType);
    fg->addWidget(new QLabel(QStringLiteral("Funções disponíveis"), FunctionGB));
    AvailableFunc = new QListWidget(FunctionGB);
    fg->addWidget(AvailableFunc, 1);
    QFont arial(QStringLiteral("Arial"));
    FunctionName = new QLabel(FunctionGB);
    FunctionName->setTextFormat(Qt::PlainText);
    QFont arialBold = arial;
    arialBold.setBold(true);
    FunctionName->setFont(arialBold);
    FunctionDescript = new QLabel(FunctionGB);
    FunctionDescript->setTextFormat(Qt::PlainText);
    FunctionDescript->setFont(arial);
    FunctionDescript->setWordWrap(true);
    FunctionDescript->setMinimumHeight(34);
    FunctionDescript->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fg->addWidget(FunctionName);
    fg->addWidget(FunctionDescript);
    AddFunction = MakeButton(FunctionGB, QStringLiteral("Adiciona"), mrNone, [this] { AddFunctionClick(); });
    fg->addWidget(AddFunction, 0, Qt::AlignRight);
    QObject::connect(FunctionType, &QComboBox::currentIndexChanged, FunctionType,
                     [this] { RunClick([this] { FunctionTypeChange(); }); });
    QObject::connect(AvailableFunc, &QListWidget::currentRowChanged, AvailableFunc,
                     [this](int row) { ShowFunctionInfo(row); });
    QObject::connect(AvailableFunc, &QListWidget::itemDoubleClicked, AvailableFunc,
                     [this] { RunClick([this] { AddFunctionClick(); }); });
    middle->addWidget(FunctionGB, 1);
    main->addLayout(middle, 1);

    OperatorsGB = new QGroupBox(QStringLiteral("Operadores"), client);
    auto* og = new QHBoxLayout(OperatorsGB);
    og->setSpacing(2);
    for (const char* caption : OperatorCaptions) {
        const QString text = QString::fromLatin1(caption);
        QPushButton* b = nullptr;
        if (text == QLatin1String("(  )"))
            b = MakeButton(OperatorsGB, text, mrNone, [this] { ParenthesesClick(); });
        else
            b = MakeButton(OperatorsGB, text, mrNone,
                           [this, piece = QLatin1Char(' ') + text.toUpper() + QLatin1Char(' ')] { OperatorClick(piece); });
        b->setObjectName(QStringLiteral("Operator") + text);
        b->setMinimumWidth(28);
        og->addWidget(b);
    }
    main->addWidget(OperatorsGB);
}

QPushButton* TMyZTExprBuilder::OperatorButton(const QString& caption) const
{
    for (QPushButton* b : OperatorsGB->findChildren<QPushButton*>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

bool TMyZTExprBuilder::Execute(TVardoRep* report, const QString& prompt, QString& expression,
                               TComponent* dataSetOwner, TIniFile* settings)
{
    if (!settings)
        if (auto* main = dynamic_cast<TfmAnexo*>(TForm::MainForm()))
            settings = main->Settings();
    const std::unique_ptr<TMyZTExprBuilder, TComponentDeleter> builder(new TMyZTExprBuilder(nullptr));
    builder->Report = report;
    builder->DataSetOwner = dataSetOwner;
    builder->Settings = settings;
    builder->SetPrompt(prompt);
    builder->SetExpression(expression);
    const bool accepted = builder->ShowModal() == mrOk;
    expression = builder->Expression();
    return accepted;
}

QString TMyZTExprBuilder::Expression() const { return Element->text(); }

void TMyZTExprBuilder::SetExpression(const QString& text) { Element->setText(text); }

void TMyZTExprBuilder::SetPrompt(const QString& prompt) { CurrentExpr->setText(prompt); }

void TMyZTExprBuilder::ShowMessage(const QString& text) { Application().MessageBox(text, QString(), MB_OK | MB_ICONWARNING); }

// ---- placement ----

void TMyZTExprBuilder::FormShow()
{
    if (Settings) {
        const int top = Settings->ReadInteger(SectionName, QStringLiteral("Top"), -1);
        const int left = Settings->ReadInteger(SectionName, QStringLiteral("Left"), -1);
        // The place the window has when it is not maximized.
        if (top == -1 && left == -1) {
            CentreOnScreen();
        } else {
            // Brought back onto the screens as the form shows, when the place is off them.
            SetBounds(left, top, Width(), Height());
        }
    }
    if (DataSetOwner)
        FillDataSets();
}

void TMyZTExprBuilder::FormClose()
{
    if (!Settings)
        return;
    const TRect r = GetWindowPlacement().NormalPosition;
    Settings->WriteInteger(SectionName, QStringLiteral("Top"), r.Top);
    Settings->WriteInteger(SectionName, QStringLiteral("Left"), r.Left);
}

// ---- the expression and its undo list ----

void TMyZTExprBuilder::AddToExpression(const QString& piece)
{
    FUndoList->Insert(0, Expression());
    SetExpression(Expression() + piece);
    Undo->setEnabled(true);
}

void TMyZTExprBuilder::UndoClick()
{
    if (FUndoList->Count() > 0) {
        SetExpression(FUndoList->Strings(0));
        FUndoList->Delete(0);
    }
    Undo->setEnabled(FUndoList->Count() > 0);
}

void TMyZTExprBuilder::ClearClick() { SetExpression(QString()); }

// ---- constants ----

bool TMyZTExprBuilder::ConstantPiece(const QString& text, int type, QString& piece, QString& message)
{
    if (type == 1) {
        // The evaluator reads a text up to the next quote: there is no way to write one inside.
        if (text.contains(QLatin1Char('\''))) {
            message = MsgQuoteInText;
            return false;
        }
        piece = QLatin1Char('\'') + text + QLatin1Char('\'');
        return true;
    }
    // A number as the evaluator reads it: digits, a decimal point, an exponent; a sign in front
    // is kept with the number by parentheses, so that "10 - " and a negative number still
    // subtract it.
    static const QRegularExpression number(QStringLiteral("^([+-]?)([0-9]+(\\.[0-9]+)?([eE][+-]?[0-9]+)?)$"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch m = number.match(trimmed);
    long double value = 0;
    QString local = m.captured(2);
    local.replace(QLatin1Char('.'), FormatSettings().DecimalSeparator);
    if (!m.hasMatch() || !TryStrToFloat(local, value) || !std::isfinite(static_cast<double>(value))) {
        message = MsgBadNumber.arg(text);
        return false;
    }
    piece = m.captured(1) == QLatin1String("-") ? QStringLiteral("(-") + m.captured(2) + QLatin1Char(')') : m.captured(2);
    return true;
}

void TMyZTExprBuilder::AddNumericClick()
{
    QString piece;
    QString message;
    if (!ConstantPiece(aConstant->text(), ConstantType->currentIndex(), piece, message)) {
        ShowMessage(message);
        aConstant->setFocus();
        return;
    }
    AddToExpression(piece);
    aConstant->clear();
}

// ---- operators and parentheses ----

void TMyZTExprBuilder::OperatorClick(const QString& piece) { AddToExpression(piece); }

bool TMyZTExprBuilder::RunNested(const QString& prompt, QString& text)
{
    text.clear();
    return Execute(Report, prompt, text, DataSetOwner, Settings);
}

void TMyZTExprBuilder::ParenthesesClick()
{
    QString inner;
    if (!RunNested(Expression() + QStringLiteral("(<") + LoadStr(37198) + QStringLiteral(">)"), inner))
        return;
    // Empty parentheses have no value: nothing is added for them.
    if (inner.trimmed().isEmpty())
        return;
    SetExpression(Expression() + QLatin1Char('(') + inner + QLatin1Char(')'));
}

// ---- data fields ----

bool TMyZTExprBuilder::FieldPiece(const QString& fieldName, QString& piece)
{
    if (fieldName.trimmed().isEmpty())
        return false;
    bool plain = IsAsciiLetter(fieldName[0]);
    for (QChar c : fieldName)
        plain = plain && (IsAsciiLetter(c) || IsAsciiDigit(c) || c == u'_');
    // A name that begins with "not" reads as a negation, a function's name calls the function.
    plain = plain && !fieldName.startsWith(QLatin1String("not"), Qt::CaseInsensitive) && !IsLibraryFunction(fieldName);
    if (plain) {
        piece = fieldName;
        return true;
    }
    // Brackets keep a name whole as a field, but the operators, separators, quotes and
    // parentheses in it are still seen by the evaluator, and a dot names a data set.
    static const QString breaking = QStringLiteral("+-*/<>=(),'.{}");
    for (QChar c : fieldName)
        if (breaking.contains(c))
            return false;
    const QString padded = fieldName.toLower();
    if (padded.contains(QLatin1String(" or ")) || padded.contains(QLatin1String(" and ")))
        return false;
    piece = QLatin1Char('[') + fieldName + QLatin1Char(']');
    return true;
}

void TMyZTExprBuilder::FillDataSets()
{
    FDataSets.reset(TfmAnexo::GetDataSetList(DataSetOwner, true));
    FDataSets->Sort();
    const QSignalBlocker block(DataSet);
    DataSet->clear();
    for (int i = 0; i < FDataSets->Count(); ++i)
        DataSet->addItem(FDataSets->Strings(i));
    int index = Report && Report->DataSet() ? FDataSets->IndexOfObject(Report->DataSet()) : -1;
    if (index < 0 && FDataSets->Count() > 0)
        index = 0;
    DataSet->setCurrentIndex(index);
    FillDataFields();
}

void TMyZTExprBuilder::FillDataFields()
{
    DataField->clear();
    const int index = DataSet->currentIndex();
    if (index < 0 || index >= FDataSets->Count())
        return;
    if (auto* dataSet = dynamic_cast<TDataSet*>(FDataSets->Objects(index))) {
        QStringList names;
        dataSet->GetFieldNames(names);
        DataField->addItems(names);
    }
}

void TMyZTExprBuilder::DataSetChange() { FillDataFields(); }

void TMyZTExprBuilder::AddDatafieldClick()
{
    const QListWidgetItem* item = DataField->currentItem();
    if (!item)
        return;
    QString piece;
    if (!FieldPiece(item->text(), piece)) {
        ShowMessage(MsgUnreadableField.arg(item->text()));
        return;
    }
    AddToExpression(piece);
}

// ---- functions ----

TKVLibraryEntry* TMyZTExprBuilder::EntryAt(int index) const
{
    if (index < 0 || index >= AvailableFunc->count())
        return nullptr;
    return static_cast<TKVLibraryEntry*>(AvailableFunc->item(index)->data(Qt::UserRole).value<void*>());
}

void TMyZTExprBuilder::FillFunctionList(int category)
{
    const QSignalBlocker block(AvailableFunc);
    AvailableFunc->clear();
    if (FunctionLibrary) {
        for (int i = 0; i < FunctionLibrary->Entries()->Count(); ++i) {
            TKVLibraryEntry* entry = FunctionLibrary->GetEntry(i);
            if (!entry)
                continue;
            const int digit = entry->Data.isEmpty() ? -1 : entry->Data[0].digitValue();
            if (category != 0 && digit != category)
                continue;
            auto* item = new QListWidgetItem(entry->Name);
            item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(entry)));
            AvailableFunc->addItem(item);
        }
    }
    AvailableFunc->sortItems();
    if (AvailableFunc->count() > 0)
        AvailableFunc->setCurrentRow(0);
    ShowFunctionInfo(0);
}

void TMyZTExprBuilder::ShowFunctionInfo(int index)
{
    const TKVLibraryEntry* entry = EntryAt(index);
    if (!entry) {
        FunctionName->clear();
        FunctionDescript->clear();
        return;
    }
    const qsizetype bar = entry->Description.indexOf(QLatin1Char('|'));
    FunctionName->setText(bar < 0 ? entry->Description : entry->Description.left(bar));
    FunctionDescript->setText(bar < 0 ? QString() : entry->Description.mid(bar + 1));
}

void TMyZTExprBuilder::FunctionTypeChange() { FillFunctionList(FunctionType->currentIndex()); }

void TMyZTExprBuilder::AddFunctionClick()
{
    if (const TKVLibraryEntry* entry = EntryAt(AvailableFunc->currentRow()))
        AddFunctionCall(entry->Name, entry->Data);
}

void TMyZTExprBuilder::AddFunctionCall(const QString& name, const QString& data)
{
    const int count = static_cast<int>(data.size()) - 1;
    if (count <= 0) {
        AddToExpression(name);
        return;
    }
    QString arguments;
    for (int i = 0; i < count; ++i) {
        QString argument;
        if (!RunNested(name + QLatin1Char('(') + arguments + QStringLiteral("<Expr>"), argument))
            return;
        // An empty argument would leave the call one short: the call is not made.
        if (argument.trimmed().isEmpty())
            return;
        arguments += argument;
        if (i < count - 1)
            arguments += QStringLiteral(", ");
    }
    AddToExpression(name + QLatin1Char('(') + arguments + QLatin1Char(')'));
}

} // namespace tessiv
