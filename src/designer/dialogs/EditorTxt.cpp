#include "designer/dialogs/EditorTxt.h"

#include "designer/mainform/AboutTSSV.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/dialogs/MyZTExprBuilder.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Dialogs.h"
#include "uisupport/MyToolBar.h"

#include <QAction>
#include <QFileInfo>
#include <QFont>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace tessiv {

namespace {

const QString SectionName = QStringLiteral("EditorTxt");
const QString TextFilter = QStringLiteral("Arquivos Texto (*.TXT)|*.TXT|Todos os Arquivos (*.*)|*.*");

const QString MsgNotFound = QStringLiteral("O Arquivo %1 não foi encontrado.");
const QString MsgFileChanged = QStringLiteral("O arquivo %1 foi alterado, deseja salvá-lo");
const QString CapFileChanged = QStringLiteral("Arquivo alterado");
const QString MsgTextChanged = QStringLiteral("O texto foi alterado deseja atualizar");
const QString CapTextChanged = QStringLiteral("Texto alterado");
const QString MsgReplaceFile = QStringLiteral("O arquivo %1 já existe. Deseja substituí-lo?");
const QString MsgBraceInField =
    QStringLiteral("Um campo de expressão não pode conter chaves ({ }): o texto o terminaria antes do fim.");

// Ctrl+A is the menu's "Atualizar" here, not the text box's select-all; the menu's items are
// brought up to date first, as opening the menu does, so the key works exactly when the item would.
class TMenuKeysFirst : public QObject {
public:
    TMenuKeysFirst(QObject* parent, std::function<void()> beforeMenuKey)
        : QObject(parent), FBeforeMenuKey(std::move(beforeMenuKey))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_A) {
                FBeforeMenuKey();
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> FBeforeMenuKey;
};

} // namespace

TESSIV_IMPLEMENT_CLASS(TfmEditorTxt, TModalForm)

TfmEditorTxt::TfmEditorTxt(TComponent* owner) : TModalForm(owner)
{
    SetName(QStringLiteral("fmEditorTxt"));
    BuildWindow();
}

TfmEditorTxt::~TfmEditorTxt() = default;

QAction* TfmEditorTxt::MenuItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                                void (TfmEditorTxt::*handler)())
{
    QAction* action = menu->addAction(caption);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    QObject::connect(action, &QAction::triggered, action, [this, handler] { RunClick([this, handler] { (this->*handler)(); }); });
    return action;
}

void TfmEditorTxt::BuildWindow()
{
    Window()->setObjectName(QStringLiteral("fmEditorTxt"));
    Window()->resize(652, 486);

    QMenuBar* bar = Window()->menuBar();
    Arquivo1 = bar->addMenu(QStringLiteral("&Arquivo"));
    QObject::connect(Arquivo1, &QMenu::aboutToShow, Arquivo1, [this] { Arquivo1Click(); });
    Novo1 = MenuItem(Arquivo1, QStringLiteral("&Novo"), QKeySequence(Qt::CTRL | Qt::Key_N), &TfmEditorTxt::Novo1Click);
    Atualizar1 = MenuItem(Arquivo1, QStringLiteral("&Atualizar"), QKeySequence(Qt::CTRL | Qt::Key_A),
                          &TfmEditorTxt::Atualizar1Click);
    Importar1 = MenuItem(Arquivo1, QStringLiteral("Importar"), {}, &TfmEditorTxt::Importar1Click);
    Exportar1 = MenuItem(Arquivo1, QStringLiteral("Exportar"), {}, &TfmEditorTxt::Exportar1Click);
    Sair1 = MenuItem(Arquivo1, QStringLiteral("Sai&r"), QKeySequence(Qt::CTRL | Qt::Key_R), &TfmEditorTxt::Sair1Click);
    QMenu* editar = bar->addMenu(QStringLiteral("&Editar"));
    Recortar1 = MenuItem(editar, QStringLiteral("&Recortar"), QKeySequence(Qt::CTRL | Qt::Key_X), &TfmEditorTxt::Recortar1Click);
    Copiar1 = MenuItem(editar, QStringLiteral("&Copiar"), QKeySequence(Qt::CTRL | Qt::Key_C), &TfmEditorTxt::Copiar1Click);
    Colar1 = MenuItem(editar, QStringLiteral("C&olar"), QKeySequence(Qt::CTRL | Qt::Key_V), &TfmEditorTxt::Colar1Click);
    Selecionartudo1 = MenuItem(editar, QStringLiteral("&Selecionar tudo"), {}, &TfmEditorTxt::Selecionartudo1Click);
    QMenu* inserir = bar->addMenu(QStringLiteral("&Inserir"));
    CampoExpressao1 = MenuItem(inserir, QStringLiteral("Campo de expressão"), QKeySequence(Qt::CTRL | Qt::Key_E),
                               &TfmEditorTxt::WizardButtonClick);
    QMenu* ajuda = bar->addMenu(QStringLiteral("Aj&uda"));
    Sobre1 = MenuItem(ajuda, QStringLiteral("&Sobre"), {}, &TfmEditorTxt::Sobre1Click);

    EditorToolBar = new TAnexoToolBar(Window());
    EditorToolBar->setObjectName(QStringLiteral("EditorToolBar"));
    EditorToolBar->setMovable(false);
    EditorToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Window()->addToolBar(EditorToolBar);
    const auto toolButton = [this](const QString& caption, void (TfmEditorTxt::*handler)()) {
        QAction* action = EditorToolBar->addAction(caption);
        QObject::connect(action, &QAction::triggered, action, [this, handler] { RunClick([this, handler] { (this->*handler)(); }); });
        return action;
    };
    New = toolButton(QStringLiteral("Novo"), &TfmEditorTxt::Novo1Click);
    Importar = toolButton(QStringLiteral("Importar"), &TfmEditorTxt::Importar1Click);
    Exportar = toolButton(QStringLiteral("Exportar"), &TfmEditorTxt::Exportar1Click);
    EditorToolBar->addSeparator();
    WizardButton = toolButton(QStringLiteral("Expressão"), &TfmEditorTxt::WizardButtonClick);
    EditorToolBar->addSeparator();
    buOk = MakeButton(EditorToolBar, QStringLiteral("&Ok"), mrOk);
    buCancela = MakeButton(EditorToolBar, QStringLiteral("&Cancela"), mrCancel);
    EditorToolBar->addWidget(buOk);
    EditorToolBar->addWidget(buCancela);
    SetCancelButton(buCancela);

    Texto = new QPlainTextEdit(Window());
    Texto->setObjectName(QStringLiteral("Texto"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setPixelSize(13);
    Texto->setFont(courier);
    Texto->setLineWrapMode(QPlainTextEdit::NoWrap);
    Texto->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Texto->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Texto->installEventFilter(new TMenuKeysFirst(Texto, [this] { Arquivo1Click(); }));
    Window()->setCentralWidget(Texto);
    Window()->setFocusProxy(Texto);
}

int TfmEditorTxt::Execute(TKVExprMemo* memo, TIniFile* settings, TComponent* dataSetOwner, QString& directory,
                          QString& text, QString& fileName, const std::function<void()>& onMemoUpdated)
{
    const std::unique_ptr<TfmEditorTxt, TComponentDeleter> form(new TfmEditorTxt(nullptr));
    form->Settings = settings;
    form->Memo = memo;
    form->Report = memo ? memo->ParentReport() : nullptr;
    form->DataSetOwner = dataSetOwner;
    form->Directory = directory;
    form->OnMemoUpdated = onMemoUpdated;
    if (memo) {
        const QString lines = memo->Lines()->Text();
        const bool empty = memo->Lines()->Count() == 1 &&
                           memo->Lines()->Strings(0).trimmed().compare(QLatin1String("(NADA)"), Qt::CaseInsensitive) == 0;
        form->SetText(empty ? QString() : lines);
        form->SetFileName(memo->Hint());
        form->SetCaption(memo->Name());
    }
    const int result = form->ShowModal();
    directory = form->Directory;
    text = form->Text();
    fileName = form->FileName();
    return result;
}

QString TfmEditorTxt::Text() const { return Texto->toPlainText(); }

void TfmEditorTxt::SetText(const QString& text) { SetBoxLines(Texto, text); }

void TfmEditorTxt::TextLines(TStringList& lines) const { GetBoxLines(Texto, lines); }

void TfmEditorTxt::CaretToStart()
{
    QTextCursor cursor = Texto->textCursor();
    cursor.movePosition(QTextCursor::Start);
    Texto->setTextCursor(cursor);
}

bool TfmEditorTxt::TextChanged() const
{
    if (!Memo)
        return false;
    TStringList lines;
    TextLines(lines);
    return !lines.Equals(Memo->Lines());
}

bool TfmEditorTxt::FileChanged() const
{
    if (FFileName.trimmed().isEmpty())
        return false;
    try {
        TStringList file;
        file.LoadFromFile(FFileName);
        TStringList lines;
        TextLines(lines);
        return !lines.Equals(&file);
    } catch (...) {
        // A file that cannot be read is not asked about.
        return false;
    }
}

void TfmEditorTxt::SaveTextTo(const QString& fileName) const
{
    TStringList lines;
    TextLines(lines);
    lines.SaveToFile(fileName, IsCp1252(lines.Text()) ? TTextEncoding::Cp1252 : TTextEncoding::Utf8);
}

void TfmEditorTxt::TakeDirectory(const QString& fileName) { Directory = QFileInfo(fileName).absolutePath(); }

// ---- show and close ----

void TfmEditorTxt::FormShow()
{
    ReadWindowPlacement(Settings, SectionName);
    CaretToStart();
    Texto->setFocus();
}

void TfmEditorTxt::FormCloseQuery(bool& canClose)
{
    if (FileChanged()) {
        const int answer = Application().MessageBox(MsgFileChanged.arg(FFileName), CapFileChanged,
                                                    MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            canClose = false;
            return;
        }
        if (answer == IDYES) {
            try {
                SaveTextTo(FFileName);
            } catch (...) {
                // The text is not lost with a file that could not be written: the editor stays.
                Application().HandleException(std::current_exception());
                canClose = false;
                return;
            }
        } else {
            FFileName.clear();
        }
    }
    if (TextChanged()) {
        const int answer = Application().MessageBox(MsgTextChanged, CapTextChanged, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            canClose = false;
        else
            SetModalResult(answer == IDYES ? mrOk : mrCancel);
    }
}

void TfmEditorTxt::FormClose() { WriteWindowPlacement(Settings, SectionName); }

// ---- the file menu ----

void TfmEditorTxt::Arquivo1Click() { Atualizar1->setEnabled(FileChanged() || TextChanged()); }

void TfmEditorTxt::Novo1Click()
{
    Texto->clear();
    // The new text belongs to no file: closing must not offer to write it over the old one.
    FFileName.clear();
}

void TfmEditorTxt::Atualizar1Click()
{
    if (!Memo)
        return;
    TStringList lines;
    TextLines(lines);
    Memo->SetLines(&lines);
    Application().ProcessMessages();
    if (OnMemoUpdated)
        OnMemoUpdated();
}

void TfmEditorTxt::Importar1Click()
{
    TOpenDialog dialog(nullptr);
    dialog.Filter = TextFilter;
    dialog.DefaultExt = QStringLiteral("TXT");
    dialog.InitialDir = Directory;
    if (!dialog.Execute(Window()))
        return;
    const QString name = dialog.WithDefaultExt(dialog.FileName);
    TakeDirectory(name);
    if (QFileInfo::exists(name)) {
        TStringList lines;
        lines.LoadFromFile(name);
        SetText(lines.Text());
    } else {
        Application().MessageBox(MsgNotFound.arg(name), QString(), MB_OK | MB_ICONWARNING);
    }
    FFileName = name;
    CaretToStart();
}

void TfmEditorTxt::Exportar1Click()
{
    TSaveDialog dialog(nullptr);
    dialog.Filter = TextFilter;
    dialog.DefaultExt = QStringLiteral("TXT");
    if (!FFileName.trimmed().isEmpty())
        dialog.FileName = FFileName;
    dialog.InitialDir = Directory;
    if (!dialog.Execute(Window()))
        return;
    const QString name = dialog.WithDefaultExt(dialog.FileName);
    TakeDirectory(name);
    // Another file of that name is only replaced when the user says so.
    if (QFileInfo::exists(name) && QFileInfo(name).absoluteFilePath() != QFileInfo(FFileName).absoluteFilePath() &&
        Application().MessageBox(MsgReplaceFile.arg(name), QString(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    SaveTextTo(name);
    TStringList lines;
    lines.LoadFromFile(name);
    SetText(lines.Text());
    FFileName = name;
    CaretToStart();
}

void TfmEditorTxt::Sair1Click() { Close(); }

// ---- editing ----

void TfmEditorTxt::Recortar1Click() { Texto->cut(); }
void TfmEditorTxt::Copiar1Click() { Texto->copy(); }
void TfmEditorTxt::Colar1Click() { Texto->paste(); }
void TfmEditorTxt::Selecionartudo1Click() { Texto->selectAll(); }

void TfmEditorTxt::WizardButtonClick()
{
    QString expression;
    if (!TMyZTExprBuilder::Execute(Report, QStringLiteral("Expressão"), expression, DataSetOwner, Settings))
        return;
    // An empty pair of braces is no field, and a brace inside would end the field early.
    if (expression.trimmed().isEmpty())
        return;
    if (expression.contains(QLatin1Char('{')) || expression.contains(QLatin1Char('}'))) {
        Application().MessageBox(MsgBraceInField, QString(), MB_OK | MB_ICONWARNING);
        return;
    }
    Clipboard().SetAsText(QLatin1Char('{') + expression + QLatin1Char('}'));
    Texto->paste();
}

void TfmEditorTxt::Sobre1Click()
{
    if (OnAbout)
        OnAbout();
    else
        TfmAboutTSSV::Execute(ProductName, ProductVersion);
}

} // namespace tessiv
