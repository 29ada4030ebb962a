// The main form's commands: the action list (every command once, with its caption, shortcut, tool
// tip and status text), the main menu, the Edit menu and the document windows' popup menu with
// their states, the command tool bar with the zoom box and the insert buttons, the commands'
// states for the document state, and the window commands.
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/toolbars/HintParts.h"
#include "designer/surface/KVDesigner.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"
#include "uisupport/MRUManager.h"
#include "uisupport/MyToolBar.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

// The icons (the commands' and the program's) live in the library's resources; a static library keeps them only when asked for.
static void InitCommandIcons() { Q_INIT_RESOURCE(icons); }

namespace tessiv {

namespace {

// How a command takes part in the command tool bar and the insert group.
enum TActionKind {
    akPlain,   // a command
    akInsert,  // checkable, one of the cursor button's group
    akBand,    // never run: hidden and disabled for good
    akIdle,    // no handler: listed (and its shortcut taken) but never enabled
};

// One row of the action list alAnexo. The hint is the tool tip, a bar and the status text; a hint
// without a bar is both.
struct TActionRow {
    const char* Name;
    const char* Caption;
    const char* Shortcut;  // portable text; empty for none
    const char* Hint;      // nullptr for none
    void (TfmAnexo::*Run)();
    TActionKind Kind = akPlain;
};

// Every command of the program, once.
const TActionRow kActions[] = {
    {"ArquivoNovo", "&Novo", "Ctrl+N", "Novo|Cria um novo arquivo", &TfmAnexo::ArquivoNovoExecute},
    {"ArquivoAbrir", "&Abrir", "Ctrl+A", "Abrir|Abre um novo arquivo", &TfmAnexo::ArquivoAbrirExecute},
    {"ArquivoSalvar", "&Salvar", "Ctrl+S", "Salvar|Salva o arquivo em uso", &TfmAnexo::ArquivoSalvarExecute},
    {"ArquivoSalvarComo", "Salvar Co&mo", "", "Salvar como|Salva o arquivo em uso com um nome diferente",
     &TfmAnexo::ArquivoSalvarComoExecute},
    {"ArquivoSair", "Sai&r", "Ctrl+R", "Sair|Sair da aplicação", &TfmAnexo::ArquivoSairExecute},
    {"ArquivoVisualizar", "&Visualizar Impressão", "Ctrl+U", "Visualizar|Visualiza o arquivo em uso",
     &TfmAnexo::ArquivoVisualizarExecute},
    {"ArquivoImprimir", "&Imprimir", "Ctrl+I", "Imprimir|Imprime o arquivo em uso", &TfmAnexo::ArquivoImprimirExecute},
    {"ConfigurarImpressora", "&Impressora", "",
     "Configurar Impressora|Configura a impressora para o arquivo em uso", &TfmAnexo::ConfigurarImpressoraExecute},
    {"EditarRecortar", "&Recortar", "Ctrl+X", "Recortar|Recorta a seleção e a coloca na área de transferência.",
     &TfmAnexo::Recortar1Click},
    {"EditarCopiar", "&Copiar", "Ctrl+C", "Copiar|Copia a seleção para a área de transferência.",
     &TfmAnexo::CopiarClick},
    {"EditarColar", "C&olar", "Ctrl+V", "Colar|Insere o conteúdo da área de transferência.", &TfmAnexo::ColarClick},
    {"EditarVoltar", "&Voltar", "Ctrl+Z", "Voltar|Voltar", &TfmAnexo::EditarVoltarExecute},
    {"EditarRefazer", "&Refazer", "Ctrl+Shift+Z", "Refazer|Refazer", &TfmAnexo::EditarRefazerExecute},
    {"EditarAlinharAoGrid", "&Alinhar ao Grid", "Ctrl+Shift+G", "Alinhar ao Grid|Alinhar ao Grid",
     &TfmAnexo::AlinharaoGrid1Click},
    {"EditarSelecionarTudo", "&Selecionar Tudo", "Ctrl+Shift+T", "Selecionar Tudo|Selecionar Tudo",
     &TfmAnexo::Selecionartudo1Click},
    {"EditarTrazerFrente", "&Trazer para frente", "Ctrl+F", "Trazer para frente|Trazer para frente",
     &TfmAnexo::TrazerParaFrente2Click},
    {"EditarEnviaFundo", "&Enviar para o fundo", "Ctrl+Shift+F", "Enviar para o fundo|Enviar para o fundo",
     &TfmAnexo::EnviarParaFundo2Click},
    {"EditarAlinhar", "Alin&har", "Ctrl+Shift+A", "Alinhar|Alinhar", &TfmAnexo::Alinhar2Click},
    {"EditarDimensionar", "&Dimensionar", "Ctrl+Shift+D", "Dimensionar|Dimensionar", &TfmAnexo::Dimensionar2Click},
    {"BotaoCursor", "Cursor", "", "Cursor|Cursor", &TfmAnexo::BotaoCursorExecute, akInsert},
    {"InserirCampoTabela", "&Campo da Tabela", "", "Campo da Tabela", &TfmAnexo::InserirCampoTabelaExecute, akInsert},
    {"InserirFiguraTabela", "&Figura da Tabela", "", "Figura da Tabela", &TfmAnexo::InserirFiguraTabelaExecute,
     akInsert},
    {"InserirCodigoBarras", "Código de Barras", "", "Código de Barras", &TfmAnexo::InserirCodigoBarrasExecute,
     akInsert},
    {"InserirLegenda", "&Legenda", "", "Legenda", &TfmAnexo::InserirLegendaExecute, akInsert},
    {"InserirCampoExpressao", "Campo de &Expressão", "", "Campo de Expressão",
     &TfmAnexo::InserirCampoExpressaoExecute, akInsert},
    {"InserirTextoExpressao", "&Texto com Expressao", "", "Texto com Expressao",
     &TfmAnexo::InserirTextoExpressaoExecute, akInsert},
    {"InserirFigura", "Figura", "", "Figura", &TfmAnexo::InserirFiguraExecute, akInsert},
    {"InserirFormaGeometrica", "Forma &Geométrica", "", "Forma Geométrica", &TfmAnexo::InserirFormaGeometricaExecute,
     akInsert},
    {"InserirDadosSistema", "Dados do Sistema", "", "Dados do Sistema", &TfmAnexo::InserirDadosSistemaExecute,
     akInsert},
    {"InserirBandaNormal", "Banda Normal", "", "Banda Normal", nullptr, akBand},
    {"InserirBandaItens", "Banda de Itens", "", "Banda de Itens", nullptr, akBand},
    {"InserirBandaItensColunas", "Banda de Itens com Colunas", "", "Banda de Itens com Colunas", nullptr, akBand},
    {"InserirBandaAgrupamento", "Banda de Agrupamento", "", "Banda de Agrupamento", nullptr, akBand},
    {"JanelaCascata", "&Cascata", "Ctrl+Shift+C", "Cascata", &TfmAnexo::JanelaCascataExecute},
    {"JanelaHorizontal", "Lado a Lado Horizontalmente", "Ctrl+Shift+H", "Lado a Lado hrizontalmente",
     &TfmAnexo::JanelaHorizontalExecute},
    {"JanelaVertical", "Lado a Lado Verticalmente", "Ctrl+Shift+V", "Lado a Lado Verticalmente",
     &TfmAnexo::JanelaVerticalExecute},
    {"JanelaMinimizarTodas", "&Minimizar Todas", "", "&Minimizar Todas", &TfmAnexo::JanelaMinimizarTodasExecute},
    {"JanelaArrumarTodas", "&Arrumar Todas", "", "Arrumar Todas", &TfmAnexo::JanelaArrumarTodasExecute},
    {"JenelaFechar", "Fechar", "Ctrl+F4", "Fechar|Fecha o arquivo em uso", &TfmAnexo::JenelaFecharExecute},
    {"JanelaProxima", "Próxima Janela", "Ctrl+F6", nullptr, nullptr, akIdle},
    {"JanelaAnterior", "Janela Anterior", "Ctrl+Shift+F6", nullptr, nullptr, akIdle},
};

// The actions whose states the Edit menu sets from the selection.
const char* const kSelectionCommands[] = {"EditarAlinharAoGrid", "EditarTrazerFrente", "EditarEnviaFundo",
                                          "EditarRecortar",      "EditarCopiar",       "EditarAlinhar",
                                          "EditarDimensionar"};

// The edit box or combo box of the main form (not of a document window) that has the focus.
QWidget* FocusedFormBox(const TfmAnexo& form)
{
    QWidget* focus = form.Window() ? form.Window()->focusWidget() : nullptr;
    if (!focus || (form.MdiArea() && form.MdiArea()->isAncestorOf(focus)))
        return nullptr;
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QComboBox*>(focus))
        return focus;
    return nullptr;
}

bool IsSqlContext(const TControl* control)
{
    return dynamic_cast<const TKVColuna*>(control) || dynamic_cast<const TKVColunaSql*>(control) ||
           dynamic_cast<const TKVObs*>(control);
}

// Whether a box holds text the user may select.
bool HasEditableText(const QWidget* box)
{
    if (qobject_cast<const QLineEdit*>(box))
        return true;
    auto* combo = qobject_cast<const QComboBox*>(box);
    return combo && combo->isEditable();
}

// Whether a key typed in a focused box of the main form is the box's own: its undo and redo of what
// is being typed, and select all where there is text to select. Every other key that is a command's
// shortcut belongs to the command.
bool BoxKeepsKey(const QWidget* box, const QKeySequence& key)
{
    static const QKeySequence undo(QStringLiteral("Ctrl+Z")), redo(QStringLiteral("Ctrl+Shift+Z")),
        selectAll(QStringLiteral("Ctrl+A"));
    return key == undo || key == redo || (key == selectAll && HasEditableText(box));
}

// The program's keys before the focused widget takes them, and the commands' hints to the status
// bar. An Edit-menu shortcut first sets the menu's states, as opening the menu does, so a key runs
// a command only when the menu would offer it. In a box of the main form a command's key runs the
// command, never the box's own meaning of that key (Ctrl+U would erase the box's text, which leaving
// the box would then store): cut, copy and paste act on the box's text and mark the document as the
// menu does. The box keeps its own undo and redo of what is being typed, and Ctrl+A selects its text.
class TCommandEvents : public QObject {
public:
    explicit TCommandEvents(TfmAnexo* form) : FForm(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            return ShortcutOverride(watched, static_cast<QKeyEvent*>(event));
        case QEvent::KeyPress:
            return CommandKeyInBox(watched, static_cast<QKeyEvent*>(event));
        case QEvent::ContextMenu:
            return ContextMenu(watched, static_cast<QContextMenuEvent*>(event));
        case QEvent::StatusTip:
            if (watched == FForm->Window()) {
                const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
                Application().Guard([&] { Application().SetHint(tip); });
                return true;
            }
            return false;
        case QEvent::Resize:
            if (FForm->EditorToolbar && watched == FForm->EditorToolbar->parentWidget())
                FForm->EditorToolbar->resize(std::max(FForm->EditorToolbar->sizeHint().width(),
                                                      FForm->EditorToolbar->parentWidget()->width()),
                                             FForm->EditorToolbar->height());
            return false;
        default:
            return false;
        }
    }

private:
    bool ShortcutOverride(QObject* watched, QKeyEvent* event)
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget != QApplication::focusWidget() || widget->window() != FForm->Window())
            return false;
        const QKeySequence key(event->keyCombination());
        const QList<QAction*> editItems = EditMenuActions();
        if (std::any_of(editItems.begin(), editItems.end(), [&](QAction* a) { return a->shortcut() == key; }))
            Application().Guard([this] { FForm->Editar1Click(); });
        QWidget* box = FocusedFormBox(*FForm);
        if (!box)
            return false;
        // Not accepted: the shortcut goes to the program's command, not to the box.
        return IsCommandKey(key) && !BoxKeepsKey(box, key);
    }
    // A command's key whose command is off arrives as a plain key press: the box does not take it
    // either. Cut, copy and paste only ever act on the box's text.
    bool CommandKeyInBox(QObject* watched, QKeyEvent* event)
    {
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::ShiftModifier ||
            watched != QApplication::focusWidget())
            return false;
        QWidget* box = FocusedFormBox(*FForm);
        if (!box || box != watched)
            return false;
        const QKeySequence key(event->keyCombination());
        static const QKeySequence clipboard[] = {QKeySequence(QStringLiteral("Ctrl+X")),
                                                 QKeySequence(QStringLiteral("Ctrl+C")),
                                                 QKeySequence(QStringLiteral("Ctrl+V"))};
        if (std::find(std::begin(clipboard), std::end(clipboard), key) != std::end(clipboard))
            return false;
        return IsCommandKey(key) && !BoxKeepsKey(box, key);
    }
    bool IsCommandKey(const QKeySequence& key) const
    {
        if (key.isEmpty())
            return false;
        const QList<QAction*> actions = FForm->Window()->findChildren<QAction*>();
        return std::any_of(actions.begin(), actions.end(), [&](const QAction* a) { return a->shortcut() == key; });
    }
    // A right click in a document window's client (its design surface included) opens the
    // window's popup; the window's frame keeps its own menu.
    bool ContextMenu(QObject* watched, QContextMenuEvent* event)
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != FForm->Window())
            return false;
        for (TfmAnexo_MDIChild* child : FForm->MDIChildren()) {
            QWidget* window = child->Window();
            if (window && (window == widget || window->isAncestorOf(widget))) {
                FForm->PopupDocumentMenu(child, event->globalPos());
                return true;
            }
        }
        return false;
    }
    QList<QAction*> EditMenuActions() const
    {
        QMenu* menu = FForm->Window()->findChild<QMenu*>(QStringLiteral("Editar1"));
        return menu ? menu->actions() : QList<QAction*>{};
    }
    TfmAnexo* FForm;
};

// The insert buttons' mouse press: Shift keeps the insert mode after an insertion. It comes before
// the button's click runs the insert command.
class TInsertButtonPress : public QObject {
public:
    explicit TInsertButtonPress(TfmAnexo* form) : FForm(form) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::LeftButton)
                Application().Guard([&] { FForm->SpeedButtonMouseDown(ShiftStateOf(me->modifiers())); });
        }
        return false;
    }

private:
    TfmAnexo* FForm;
};

} // namespace

// ---- the action list ---------------------------------------------------------------------------

void TfmAnexo::CreateActions()
{
    InitCommandIcons();
    // The program's own icon, which every window it opens takes: the main window, the document
    // windows, the preview and the dialogs.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/Tessiv.svg")));
    FInsertGroup = new QActionGroup(Window());
    FInsertGroup->setExclusive(true);
    for (const TActionRow& row : kActions) {
        const QString name = QString::fromLatin1(row.Name);
        auto* action = new QAction(QString::fromUtf8(row.Caption), Window());
        action->setObjectName(name);
        if (*row.Shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(row.Shortcut), QKeySequence::PortableText));
        if (row.Hint) {
            const QString hint = QString::fromUtf8(row.Hint);
            action->setToolTip(ShortHint(hint));
            action->setStatusTip(LongHint(hint));
        }
        if (const QString icon = QStringLiteral(":/icons/%1.svg").arg(name); QFile::exists(icon))
            action->setIcon(QIcon(icon));
        // Menus show their own captions: icons stay on the tool bar.
        action->setIconVisibleInMenu(false);
        switch (row.Kind) {
        case akInsert:
            action->setCheckable(true);
            FInsertGroup->addAction(action);
            break;
        case akBand:
            action->setVisible(false);
            action->setEnabled(false);
            break;
        case akIdle:
            action->setEnabled(false);
            break;
        case akPlain:
            break;
        }
        // Shortcuts work wherever the focus is in the main window, document windows included.
        action->setShortcutContext(Qt::WindowShortcut);
        Window()->addAction(action);
        if (row.Run)
            QObject::connect(action, &QAction::triggered, action, [this, run = row.Run] {
                Application().Guard([this, run] { (this->*run)(); });
            });
        FActions.push_back(action);
    }
    BotaoCursor = Action(QStringLiteral("BotaoCursor"));
    InserirCampoTabela = Action(QStringLiteral("InserirCampoTabela"));
    InserirFiguraTabela = Action(QStringLiteral("InserirFiguraTabela"));
    InserirCodigoBarras = Action(QStringLiteral("InserirCodigoBarras"));
    InserirLegenda = Action(QStringLiteral("InserirLegenda"));
    InserirCampoExpressao = Action(QStringLiteral("InserirCampoExpressao"));
    InserirTextoExpressao = Action(QStringLiteral("InserirTextoExpressao"));
    InserirFigura = Action(QStringLiteral("InserirFigura"));
    InserirFormaGeometrica = Action(QStringLiteral("InserirFormaGeometrica"));
    InserirDadosSistema = Action(QStringLiteral("InserirDadosSistema"));
    FArquivoSalvar = Action(QStringLiteral("ArquivoSalvar"));
    FArquivoSalvarComo = Action(QStringLiteral("ArquivoSalvarComo"));
    FEditarVoltar = Action(QStringLiteral("EditarVoltar"));
    FEditarRefazer = Action(QStringLiteral("EditarRefazer"));
    // The system data command is kept out of sight and never runs.
    InserirDadosSistema->setVisible(false);
    InserirDadosSistema->setEnabled(false);
    BotaoCursor->setChecked(true);
    FEditarVoltar->setEnabled(false);
    FEditarRefazer->setEnabled(false);
    for (const char* name : kSelectionCommands)
        Action(QString::fromLatin1(name))->setEnabled(false);

    BuildMainMenu();
    BuildPopupMenu();
    BuildEditorToolbar();
    FShortcutFilter = std::make_unique<TCommandEvents>(this);
    qApp->installEventFilter(FShortcutFilter.get());
}

QAction* TfmAnexo::Action(const QString& name) const
{
    for (QAction* action : FActions)
        if (action->objectName() == name)
            return action;
    return Window() ? Window()->findChild<QAction*>(name) : nullptr;
}

// ---- menus -------------------------------------------------------------------------------------

void TfmAnexo::BuildMainMenu()
{
    QMenuBar* bar = Window()->menuBar();
    const auto menu = [bar](const QString& title, const QString& name) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(name);
        return m;
    };
    const auto item = [this](QMenu* m, const QString& name, const QString& caption, const QString& key,
                             void (TfmAnexo::*run)()) {
        QAction* a = m->addAction(caption);
        a->setObjectName(name);
        if (!key.isEmpty())
            a->setShortcut(QKeySequence(key, QKeySequence::PortableText));
        if (run)
            QObject::connect(a, &QAction::triggered, a,
                             [this, run] { Application().Guard([this, run] { (this->*run)(); }); });
        return a;
    };
    const auto separator = [](QMenu* m, const QString& name) {
        QAction* a = m->addSeparator();
        a->setObjectName(name);
        return a;
    };

    QMenu* arquivo = menu(QStringLiteral("&Arquivo"), QStringLiteral("Arquivo1"));
    for (const char* name : {"ArquivoNovo", "ArquivoAbrir", "ArquivoSalvar", "ArquivoSalvarComo", "JenelaFechar"})
        arquivo->addAction(Action(QString::fromLatin1(name)));
    arquivo->addSeparator();
    FReabrir1 = arquivo->addMenu(QStringLiteral("R&eabrir"));
    FReabrir1->setObjectName(QStringLiteral("Reabrir1"));
    if (FRecentList)
        FRecentList->SetRecentMenu(FReabrir1);
    arquivo->addSeparator();
    arquivo->addAction(Action(QStringLiteral("ArquivoVisualizar")));
    arquivo->addAction(Action(QStringLiteral("ArquivoImprimir")));
    arquivo->addSeparator();
    arquivo->addAction(Action(QStringLiteral("ArquivoSair")));

    FEditar1 = menu(QStringLiteral("&Editar"), QStringLiteral("Editar1"));
    for (const char* name : {"EditarVoltar", "EditarRefazer", "-", "EditarAlinharAoGrid", "EditarRecortar",
                             "EditarCopiar", "EditarColar", "EditarSelecionarTudo", "-", "EditarTrazerFrente",
                             "EditarEnviaFundo", "-", "EditarAlinhar", "EditarDimensionar"}) {
        if (*name == '-')
            FEditar1->addSeparator();
        else
            FEditar1->addAction(Action(QString::fromLatin1(name)));
    }
    separator(FEditar1, QStringLiteral("N14"));
    // The context items run the tool bars' commands.
    item(FEditar1, QStringLiteral("ComandosSQL1"), QStringLiteral("Co&mandos SQL"), {}, &TfmAnexo::ComandosSql2Click);
    item(FEditar1, QStringLiteral("Abrirarquivotexto1"), QStringLiteral("Abrir arquivo"), {},
         &TfmAnexo::OpenPictureClick);
    item(FEditar1, QStringLiteral("Editararquivotexto1"), QStringLiteral("Editar arquivo"), {},
         &TfmAnexo::Editararquivotexto2Click);
    item(FEditar1, QStringLiteral("Editarexpresso1"), QString::fromUtf8("Expressão"), {}, &TfmAnexo::WizardButtonClick);
    item(FEditar1, QStringLiteral("MoverAcima1"), QStringLiteral("Mover Acima"), {}, &TfmAnexo::sbMoverAcima2Click);
    for (const char* name : {"N14", "ComandosSQL1", "Abrirarquivotexto1", "Editararquivotexto1", "Editarexpresso1",
                             "MoverAcima1"}) {
        QAction* a = Action(QString::fromLatin1(name));
        a->setVisible(false);
        a->setEnabled(false);
    }
    QObject::connect(FEditar1, &QMenu::aboutToShow, FEditar1, [this] { Application().Guard([this] { Editar1Click(); }); });

    FJanela1 = menu(QStringLiteral("&Janela"), QStringLiteral("Janela1"));
    for (const char* name : {"JanelaCascata", "JanelaHorizontal", "JanelaVertical", "JanelaMinimizarTodas",
                             "JanelaArrumarTodas", "JanelaProxima", "JanelaAnterior"})
        FJanela1->addAction(Action(QString::fromLatin1(name)));
    FWindowListStart = FJanela1->addSeparator();
    QObject::connect(FJanela1, &QMenu::aboutToShow, FJanela1, [this] { FillWindowList(); });

    FConfigurar1 = menu(QStringLiteral("Configurar"), QStringLiteral("Configurar1"));
    item(FConfigurar1, QStringLiteral("Tabela1"), QStringLiteral("&Tabela"), QStringLiteral("Ctrl+T"),
         &TfmAnexo::Tabela1Click);
    item(FConfigurar1, QStringLiteral("Pagina1"), QString::fromUtf8("&Página"), QStringLiteral("Ctrl+P"),
         &TfmAnexo::Pagina1Click);
    FConfigurar1->addSeparator();
    FConfigurar1->addAction(Action(QStringLiteral("ConfigurarImpressora")));

    FAjuda1 = menu(QStringLiteral("Aj&uda"), QStringLiteral("Ajuda1"));
    // The caption names the key itself: F1 is the help key everywhere, not a shortcut of this item.
    item(FAjuda1, QStringLiteral("TpicosdeAjuda1"), QString::fromUtf8("&Tópicos de Ajuda       F1"), {},
         &TfmAnexo::TpicosdeAjudaClick);
    item(FAjuda1, QStringLiteral("Teclasdeatalho1"), QStringLiteral("Teclas de atalho"), {},
         &TfmAnexo::Teclasdeatalho1Click);
    FAjuda1->addSeparator();
    item(FAjuda1, QStringLiteral("Sobre1"), QStringLiteral("&Sobre"), {}, &TfmAnexo::Sobre1Click);
}

void TfmAnexo::FillWindowList()
{
    // The list after the window commands is made anew each time: windows come and go.
    const QList<QAction*> items = FJanela1->actions();
    const qsizetype start = items.indexOf(FWindowListStart);
    for (qsizetype i = start + 1; i < items.size(); ++i) {
        FJanela1->removeAction(items[i]);
        items[i]->deleteLater();
    }
    FWindowListStart->setVisible(!FChildren.empty());
    int n = 0;
    for (TfmAnexo_MDIChild* child : FChildren) {
        QAction* item = FJanela1->addAction(QStringLiteral("&%1 %2").arg(++n).arg(child->Caption()));
        item->setCheckable(true);
        item->setChecked(child == FActive);
        QObject::connect(item, &QAction::triggered, item, [this, child] {
            if (std::find(FChildren.begin(), FChildren.end(), child) != FChildren.end())
                Application().Guard([&] { ActivateChild(child); });
        });
    }
}

void TfmAnexo::BuildPopupMenu()
{
    FPopupMenu1 = new QMenu(Window());
    FPopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    // The context items run the tool bars' commands, as the Edit menu's do.
    const auto item = [this](const QString& name, const QString& caption, void (TfmAnexo::*run)()) {
        QAction* a = FPopupMenu1->addAction(caption);
        a->setObjectName(name);
        a->setVisible(false);
        a->setEnabled(false);
        QObject::connect(a, &QAction::triggered, a, [this, run] { Application().Guard([this, run] { (this->*run)(); }); });
    };
    item(QStringLiteral("Abrirarquivotexto2"), QStringLiteral("Abrir arquivo"), &TfmAnexo::OpenPictureClick);
    item(QStringLiteral("Editararquivotexto2"), QStringLiteral("Editar arquivo"), &TfmAnexo::Editararquivotexto2Click);
    item(QStringLiteral("Editarexpresso2"), QString::fromUtf8("Editar expressão"), &TfmAnexo::WizardButtonClick);
    item(QStringLiteral("MoverAcima2"), QStringLiteral("Mover Acima"), &TfmAnexo::sbMoverAcima2Click);
    item(QStringLiteral("ComandosSql2"), QStringLiteral("Comandos Sql"), &TfmAnexo::ComandosSql2Click);
    QAction* n8 = FPopupMenu1->addSeparator();
    n8->setObjectName(QStringLiteral("N8"));
    n8->setVisible(false);
    for (const char* name : {"EditarAlinharAoGrid", "EditarRecortar", "EditarCopiar", "EditarColar",
                             "EditarSelecionarTudo", "-", "EditarTrazerFrente", "EditarEnviaFundo", "-", "EditarAlinhar",
                             "EditarDimensionar"}) {
        if (*name == '-')
            FPopupMenu1->addSeparator();
        else
            FPopupMenu1->addAction(Action(QString::fromLatin1(name)));
    }
}

// ---- the states of the Edit menu and the popup -----------------------------------------------

void TfmAnexo::SetContextItems(bool editMenu)
{
    const QString n = editMenu ? QStringLiteral("1") : QStringLiteral("2");
    QAction* separator = Action(editMenu ? QStringLiteral("N14") : QStringLiteral("N8"));
    QAction* open = Action(QStringLiteral("Abrirarquivotexto") + n);
    QAction* edit = Action(QStringLiteral("Editararquivotexto") + n);
    QAction* expression = Action(QStringLiteral("Editarexpresso") + n);
    QAction* up = Action(QStringLiteral("MoverAcima") + n);
    QAction* sql = Action(editMenu ? QStringLiteral("ComandosSQL1") : QStringLiteral("ComandosSql2"));
    const auto show = [](QAction* a, bool enabled) {
        a->setVisible(true);
        a->setEnabled(enabled);
    };
    separator->setVisible(false);
    for (QAction* a : {open, edit, expression, up}) {
        a->setVisible(false);
        a->setEnabled(false);
    }
    TControl* s = Designer && Designer->Attached() ? Designer->Selected() : nullptr;
    if (dynamic_cast<TKVExprMemo*>(s) || dynamic_cast<TKVImage*>(s)) {
        show(open, true);
        if (dynamic_cast<TKVExprMemo*>(s)) {
            open->setText(QStringLiteral("Ca&rregar Texto"));
            edit->setText(QStringLiteral("Editar Te&xto"));
            show(edit, true);
        } else {
            open->setText(QStringLiteral("Ca&rregar Imagem"));
        }
        separator->setVisible(true);
    } else if (dynamic_cast<TKVGroup*>(s)) {
        separator->setVisible(true);
        show(up, true);
        show(expression, true);
    } else if (dynamic_cast<TKVExpr*>(s)) {
        show(expression, true);
        separator->setVisible(true);
    }
    const bool sqlContext = IsSqlContext(s);
    sql->setVisible(sqlContext);
    sql->setEnabled(sqlContext);
    if (sqlContext)
        separator->setVisible(true);
}

void TfmAnexo::Editar1Click()
{
    if (FActions.empty())
        return;
    SetContextItems(true);
    TControl* s = Designer && Designer->Attached() ? Designer->Selected() : nullptr;
    QAction* sql = Action(QStringLiteral("ComandosSQL1"));
    const auto setSeven = [this](bool enabled) {
        for (const char* name : kSelectionCommands)
            Action(QString::fromLatin1(name))->setEnabled(enabled);
    };
    if (FocusedFormBox(*this)) {
        // The box's own text is what cut and copy act on.
        setSeven(false);
        Action(QStringLiteral("EditarRecortar"))->setEnabled(true);
        Action(QStringLiteral("EditarCopiar"))->setEnabled(true);
        sql->setEnabled(false);
    } else if (dynamic_cast<TKVPrintable*>(s)) {
        setSeven(true);
    } else if (SelectedCount() > 0) {
        setSeven(true);
        sql->setEnabled(false);
    } else {
        setSeven(false);
        sql->setEnabled(IsSqlContext(s));
    }
    Action(QStringLiteral("EditarColar"))->setEnabled(CanPaste());
}

void TfmAnexo::PopupMenu1Popup(TfmAnexo_MDIChild* window)
{
    // A popup for a window that is not the active one would act on another document's selection.
    if (window != ActiveMDIChild())
        throw EAbort();
    SetContextItems(false);
    TControl* s = Designer && Designer->Attached() ? Designer->Selected() : nullptr;
    const bool enabled = dynamic_cast<TKVPrintable*>(s) || SelectedCount() > 0;
    for (const char* name : kSelectionCommands)
        Action(QString::fromLatin1(name))->setEnabled(enabled);
    Action(QStringLiteral("EditarColar"))->setEnabled(CanPaste());
}

void TfmAnexo::PopupDocumentMenu(TfmAnexo_MDIChild* window, const QPoint& globalPos)
{
    if (!FPopupMenu1)
        return;
    bool show = false;
    Application().Guard([&] {
        PopupMenu1Popup(window);
        show = true;
    });
    if (show)
        FPopupMenu1->popup(globalPos);
}

// ---- the command tool bar ----------------------------------------------------------------------

void TfmAnexo::BuildEditorToolbar()
{
    EditorToolbar = new TAnexoToolBar(FTopPanel);
    EditorToolbar->setObjectName(QStringLiteral("EditorToolbar"));
    EditorToolbar->setMovable(false);
    EditorToolbar->setFloatable(false);
    EditorToolbar->setIconSize(QSize(20, 20));
    EditorToolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    EditorToolbar->SetComponent(this);
    FInsertButtonFilter = std::make_unique<TInsertButtonPress>(this);
    const auto button = [this](const char* name) {
        QAction* action = Action(QString::fromLatin1(name));
        EditorToolbar->addAction(action);
        auto* tb = qobject_cast<QToolButton*>(EditorToolbar->widgetForAction(action));
        tb->setObjectName(QStringLiteral("tb") + action->objectName());
        tb->setFixedSize(27, 26);
        tb->setAutoRaise(true);
        return tb;
    };
    for (const char* name : {"ArquivoNovo", "ArquivoAbrir", "ArquivoSalvar", "JenelaFechar"})
        button(name);
    EditorToolbar->addSeparator();
    for (const char* name : {"ArquivoVisualizar", "ConfigurarImpressora", "ArquivoImprimir"})
        button(name);
    EditorToolbar->addSeparator();
    for (const char* name : {"EditarVoltar", "EditarRefazer"})
        button(name);
    EditorToolbar->addSeparator();
    if (cbZoom)
        EditorToolbar->addWidget(cbZoom);
    EditorToolbar->addSeparator();
    button("BotaoCursor");
    for (const char* name : {"InserirCampoTabela", "InserirFiguraTabela", "InserirCodigoBarras", "InserirLegenda",
                             "InserirCampoExpressao", "InserirTextoExpressao", "InserirFigura",
                             "InserirFormaGeometrica", "InserirDadosSistema"})
        button(name)->installEventFilter(FInsertButtonFilter.get());
    EditorToolbar->addSeparator()->setVisible(false);
    for (const char* name : {"InserirBandaNormal", "InserirBandaItens", "InserirBandaItensColunas",
                             "InserirBandaAgrupamento"})
        button(name);
    EditorToolbar->adjustSize();
    const int height = EditorToolbar->sizeHint().height();
    EditorToolbar->setGeometry(0, 0, std::max(EditorToolbar->sizeHint().width(), FTopPanel->width()), height);
    // The property bars' owner makes the panel taller for the two bars under this one.
    FTopPanel->setMinimumHeight(height);
    if (FTopPanel->height() < height)
        FTopPanel->setFixedHeight(height);
    EditorToolbar->show();
}

// ---- the commands' states ----------------------------------------------------------------------

void TfmAnexo::UpdateActions(bool documentOpen)
{
    // Hidden (started for another program), nothing shows them; the next show updates them.
    if (!Visible() || FActions.empty())
        return;
    TVardoRep* report = documentOpen && Document ? Document->Report() : nullptr;
    // The dataset is asked without being opened: whether it opens is known where the data setup
    // opens it (loading, the data source dialog, a save, a run). Opening it here would connect to
    // a database, and ask for a login, each time a window is activated.
    TDataSet* dataSet = report ? report->DataSet() : nullptr;
    const bool open = dataSet && dataSet->Active();
    const bool quantityOnly = report && !open && report->Quantidade() > 0;

    Action(QStringLiteral("EditarColar"))->setEnabled(CanPaste());
    FArquivoSalvar->setEnabled(IsModified());
    for (const char* name : {"ArquivoSalvarComo", "JenelaFechar", "ConfigurarImpressora", "JanelaCascata",
                             "JanelaHorizontal", "JanelaVertical", "JanelaMinimizarTodas", "JanelaArrumarTodas"})
        Action(QString::fromLatin1(name))->setEnabled(documentOpen);
    Action(QStringLiteral("ArquivoVisualizar"))->setEnabled(open || quantityOnly);
    Action(QStringLiteral("ArquivoImprimir"))->setEnabled(open || quantityOnly);
    UpdateUndoRedoActions();
    // The zoom box shows the report's zoom again, whatever was chosen in it.
    if (cbZoom) {
        cbZoom->setEnabled(documentOpen);
        cbZoom->setEditText(Report ? QString::number(Report->Zoom()) : QString());
    }
    BotaoCursor->setEnabled(documentOpen);
    InserirCampoTabela->setEnabled(open);
    InserirFiguraTabela->setEnabled(open);
    for (QAction* a : {InserirCodigoBarras, InserirLegenda, InserirCampoExpressao, InserirTextoExpressao, InserirFigura,
                       InserirFormaGeometrica})
        a->setEnabled(open || quantityOnly);
    for (const char* name : {"InserirDadosSistema", "InserirBandaNormal", "InserirBandaItens",
                             "InserirBandaItensColunas", "InserirBandaAgrupamento"})
        Action(QString::fromLatin1(name))->setEnabled(false);
    Action(QStringLiteral("Tabela1"))->setEnabled(documentOpen);
    Action(QStringLiteral("Pagina1"))->setEnabled(documentOpen);
    FJanela1->menuAction()->setEnabled(documentOpen);
    FEditar1->menuAction()->setEnabled(documentOpen);
}

// ---- the window commands -----------------------------------------------------------------------

namespace {

// The document windows that take part in an arrangement: shown and not minimised.
QList<QMdiSubWindow*> ArrangedWindows(QMdiArea* area)
{
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            out << sub;
    return out;
}

} // namespace

void TfmAnexo::JanelaCascataExecute() { FMdiArea->cascadeSubWindows(); }

void TfmAnexo::JanelaHorizontalExecute()
{
    // One above the other, each the area's full width.
    const QList<QMdiSubWindow*> windows = ArrangedWindows(FMdiArea);
    if (windows.isEmpty())
        return;
    const QRect area = FMdiArea->viewport()->rect();
    const int h = area.height() / static_cast<int>(windows.size());
    int y = 0;
    for (QMdiSubWindow* sub : windows) {
        sub->showNormal();
        sub->setGeometry(0, y, area.width(), h);
        y += h;
    }
}

void TfmAnexo::JanelaVerticalExecute()
{
    // Side by side, each the area's full height.
    const QList<QMdiSubWindow*> windows = ArrangedWindows(FMdiArea);
    if (windows.isEmpty())
        return;
    const QRect area = FMdiArea->viewport()->rect();
    const int w = area.width() / static_cast<int>(windows.size());
    int x = 0;
    for (QMdiSubWindow* sub : windows) {
        sub->showNormal();
        sub->setGeometry(x, 0, w, area.height());
        x += w;
    }
}

void TfmAnexo::JanelaMinimizarTodasExecute()
{
    for (QMdiSubWindow* sub : FMdiArea->subWindowList())
        if (sub->isVisible())
            sub->showMinimized();
}

void TfmAnexo::JanelaArrumarTodasExecute()
{
    // The minimised windows in rows along the bottom of the area, left to right.
    const QRect area = FMdiArea->viewport()->rect();
    int x = 0;
    int y = area.height();
    for (QMdiSubWindow* sub : FMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        sub->move(x, y - size.height());
        x += size.width();
    }
}

void TfmAnexo::JenelaFecharExecute()
{
    // Through the window's own close, so the question about unsaved changes is asked.
    if (TfmAnexo_MDIChild* active = ActiveMDIChild())
        active->Close();
}

} // namespace tessiv
