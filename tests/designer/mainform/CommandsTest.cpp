// The main form's command list on new documents shown headless: every command's texts and keys,
// the menus in their order, the command tool bar with a picture on every button, the commands'
// states over the document's states (a data set is never opened by asking), the sticky insert
// mode started from the barcode button itself, the Edit menu's and the popup's states, the keys
// of a focused box of the form, and the window commands.
#include "DocumentSurfaceFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/Hidden.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/data/DBTables.h"
#include "platform/ui/Dialogs.h"
#include "uisupport/MyToolBar.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolButton>

#include <map>
#include <set>
#include <string>

// The window system's shortcut handling for a key about to go to a widget (as the test library
// delivers keys); true when a shortcut took the key.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text = QString(), bool autorep = false,
                                               ushort count = 1);

using namespace tessiv;
using namespace designertest;

namespace {

class CommandsTest : public DocumentSurfaceTest {
protected:
    void SetUp() override
    {
        DocumentSurfaceTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenNewDocument(200));
        QApplication::setActiveWindow(Form->Window());
        Form->SetModified(false);
    }
    void TearDown() override
    {
        SetDialogPresenter(nullptr);
        DocumentSurfaceTest::TearDown();
    }

    QAction* A(const char* name) const
    {
        QAction* a = Form->Action(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    QToolButton* Button(const char* name) const
    {
        return Form->EditorToolbar->findChild<QToolButton*>(QString::fromLatin1(name));
    }
    // A press and release of the left button on a tool button, with the keys held.
    static void ClickButton(QToolButton* button, Qt::KeyboardModifiers modifiers)
    {
        const QPointF at(button->width() / 2.0, button->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, button->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(button, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, button->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            modifiers);
        QApplication::sendEvent(button, &release);
    }
    // A key typed into a widget as the window system delivers it: shortcuts first, then the widget.
    static void Type(QWidget* widget, int key, Qt::KeyboardModifiers modifiers, const QString& text = {})
    {
        if (qt_sendShortcutOverrideEvent(widget, 0, key, modifiers, text))
            return;
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(widget, &release);
    }
    // The names of a menu's items in order; "-" for a separator without a name.
    static QStringList Items(const QMenu* menu)
    {
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() && a->objectName().isEmpty() ? QStringLiteral("-") : a->objectName());
        return out;
    }
    QMenu* MainMenu(const char* name) const { return Form->Window()->menuBar()->findChild<QMenu*>(QLatin1String(name)); }
    template <class T> T* Place(int left, int top, const QString& name)
    {
        auto* c = new T(Report->Owner());
        c->SetName(name);
        c->SetParent(Band);
        c->SetBounds(left, top, 60, 16);
        return c;
    }
    // A closed window is freed once its close has been handled, its frame later still.
    static void Settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    int UndoSteps() const { return Form->CurrentUndoForm() ? Form->CurrentUndoForm()->StepCount() : -1; }
    template <class T> int OnBand() const
    {
        int n = 0;
        for (int i = 0; i < Band->ControlCount(); ++i)
            n += dynamic_cast<T*>(Band->Controls(i)) != nullptr;
        return n;
    }
    // A table of the document over the SQLite table ITENS of the alias ETIQ, closed.
    TTable* MakeTable()
    {
        MakeSqlite(QStringLiteral("ETIQ"), {QStringLiteral("CREATE TABLE ITENS (NOME VARCHAR(20))"),
                                            QStringLiteral("INSERT INTO ITENS VALUES ('Caneta')")});
        auto* table = new TTable(Form->Document->Root());
        table->SetName(QStringLiteral("Itens"));
        table->SetDatabaseName(QStringLiteral("ETIQ"));
        table->SetTableName(QStringLiteral("ITENS"));
        return table;
    }
};

// ---- the command list, the menus and the command tool bar ----

TEST_F(CommandsTest, EveryCommandHasItsCaptionShortcutToolTipAndStatusText)
{
    struct Row {
        const char* Name;
        const char* Caption;
        const char* Shortcut;
        const char* Tip;    // nullptr: none
        const char* Status; // nullptr: none
    } rows[] = {
        {"ArquivoNovo", "&Novo", "Ctrl+N", "Novo", "Cria um novo arquivo"},
        {"ArquivoAbrir", "&Abrir", "Ctrl+A", "Abrir", "Abre um novo arquivo"},
        {"ArquivoSalvar", "&Salvar", "Ctrl+S", "Salvar", "Salva o arquivo em uso"},
        {"ArquivoSalvarComo", "Salvar Co&mo", "", "Salvar como", "Salva o arquivo em uso com um nome diferente"},
        {"ArquivoSair", "Sai&r", "Ctrl+R", "Sair", "Sair da aplicação"},
        {"ArquivoVisualizar", "&Visualizar Impressão", "Ctrl+U", "Visualizar", "Visualiza o arquivo em uso"},
        {"ArquivoImprimir", "&Imprimir", "Ctrl+I", "Imprimir", "Imprime o arquivo em uso"},
        {"ConfigurarImpressora", "&Impressora", "", "Configurar Impressora",
         "Configura a impressora para o arquivo em uso"},
        {"EditarRecortar", "&Recortar", "Ctrl+X", "Recortar", "Recorta a seleção e a coloca na área de transferência."},
        {"EditarCopiar", "&Copiar", "Ctrl+C", "Copiar", "Copia a seleção para a área de transferência."},
        {"EditarColar", "C&olar", "Ctrl+V", "Colar", "Insere o conteúdo da área de transferência."},
        {"EditarVoltar", "&Voltar", "Ctrl+Z", "Voltar", "Voltar"},
        {"EditarRefazer", "&Refazer", "Ctrl+Shift+Z", "Refazer", "Refazer"},
        {"EditarAlinharAoGrid", "&Alinhar ao Grid", "Ctrl+Shift+G", "Alinhar ao Grid", "Alinhar ao Grid"},
        {"EditarSelecionarTudo", "&Selecionar Tudo", "Ctrl+Shift+T", "Selecionar Tudo", "Selecionar Tudo"},
        {"EditarTrazerFrente", "&Trazer para frente", "Ctrl+F", "Trazer para frente", "Trazer para frente"},
        {"EditarEnviaFundo", "&Enviar para o fundo", "Ctrl+Shift+F", "Enviar para o fundo", "Enviar para o fundo"},
        {"EditarAlinhar", "Alin&har", "Ctrl+Shift+A", "Alinhar", "Alinhar"},
        {"EditarDimensionar", "&Dimensionar", "Ctrl+Shift+D", "Dimensionar", "Dimensionar"},
        {"BotaoCursor", "Cursor", "", "Cursor", "Cursor"},
        {"InserirCampoTabela", "&Campo da Tabela", "", "Campo da Tabela", "Campo da Tabela"},
        {"InserirFiguraTabela", "&Figura da Tabela", "", "Figura da Tabela", "Figura da Tabela"},
        {"InserirCodigoBarras", "Código de Barras", "", "Código de Barras", "Código de Barras"},
        {"InserirLegenda", "&Legenda", "", "Legenda", "Legenda"},
        {"InserirCampoExpressao", "Campo de &Expressão", "", "Campo de Expressão", "Campo de Expressão"},
        {"InserirTextoExpressao", "&Texto com Expressao", "", "Texto com Expressao", "Texto com Expressao"},
        {"InserirFigura", "Figura", "", "Figura", "Figura"},
        {"InserirFormaGeometrica", "Forma &Geométrica", "", "Forma Geométrica", "Forma Geométrica"},
        {"InserirDadosSistema", "Dados do Sistema", "", "Dados do Sistema", "Dados do Sistema"},
        {"InserirBandaNormal", "Banda Normal", "", "Banda Normal", "Banda Normal"},
        {"InserirBandaItens", "Banda de Itens", "", "Banda de Itens", "Banda de Itens"},
        {"InserirBandaItensColunas", "Banda de Itens com Colunas", "", "Banda de Itens com Colunas",
         "Banda de Itens com Colunas"},
        {"InserirBandaAgrupamento", "Banda de Agrupamento", "", "Banda de Agrupamento", "Banda de Agrupamento"},
        {"JanelaCascata", "&Cascata", "Ctrl+Shift+C", "Cascata", "Cascata"},
        {"JanelaHorizontal", "Lado a Lado Horizontalmente", "Ctrl+Shift+H", "Lado a Lado hrizontalmente",
         "Lado a Lado hrizontalmente"},
        {"JanelaVertical", "Lado a Lado Verticalmente", "Ctrl+Shift+V", "Lado a Lado Verticalmente",
         "Lado a Lado Verticalmente"},
        {"JanelaMinimizarTodas", "&Minimizar Todas", "", "&Minimizar Todas", "&Minimizar Todas"},
        {"JanelaArrumarTodas", "&Arrumar Todas", "", "Arrumar Todas", "Arrumar Todas"},
        {"JenelaFechar", "Fechar", "Ctrl+F4", "Fechar", "Fecha o arquivo em uso"},
        {"JanelaProxima", "Próxima Janela", "Ctrl+F6", nullptr, nullptr},
        {"JanelaAnterior", "Janela Anterior", "Ctrl+Shift+F6", nullptr, nullptr},
    };
    std::set<QString> shortcuts;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        QAction* a = A(r.Name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QString::fromUtf8(r.Caption));
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(r.Shortcut), QKeySequence::PortableText));
        if (r.Tip)
            EXPECT_EQ(a->toolTip(), QString::fromUtf8(r.Tip));
        EXPECT_EQ(a->statusTip(), r.Status ? QString::fromUtf8(r.Status) : QString());
        // No two commands share a key.
        if (*r.Shortcut)
            EXPECT_TRUE(shortcuts.insert(QString::fromLatin1(r.Shortcut)).second);
    }
    // The band commands and the system data are never offered; the two window steps do nothing.
    for (const char* name : {"InserirBandaNormal", "InserirBandaItens", "InserirBandaItensColunas",
                             "InserirBandaAgrupamento", "InserirDadosSistema"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(A(name)->isVisible());
        EXPECT_FALSE(A(name)->isEnabled());
    }
    EXPECT_FALSE(A("JanelaProxima")->isEnabled());
    EXPECT_FALSE(A("JanelaAnterior")->isEnabled());
}

TEST_F(CommandsTest, TheMenusHoldTheirItemsInOrder)
{
    QStringList titles;
    for (QAction* a : Form->Window()->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("&Arquivo"), QStringLiteral("&Editar"), QStringLiteral("&Janela"),
                                   QStringLiteral("Configurar"), QStringLiteral("Aj&uda")}));

    QMenu* arquivo = MainMenu("Arquivo1");
    ASSERT_NE(arquivo, nullptr);
    EXPECT_EQ(Items(arquivo),
              (QStringList{"ArquivoNovo", "ArquivoAbrir", "ArquivoSalvar", "ArquivoSalvarComo", "JenelaFechar", "-",
                           "", "-", "ArquivoVisualizar", "ArquivoImprimir", "-", "ArquivoSair"}));
    // The recent-files submenu sits between the first two separators.
    QAction* reabrir = arquivo->actions().at(6);
    ASSERT_NE(reabrir->menu(), nullptr);
    EXPECT_EQ(reabrir->text(), QStringLiteral("R&eabrir"));
    EXPECT_EQ(reabrir->menu(), Form->RecentMenu());

    QMenu* editar = MainMenu("Editar1");
    ASSERT_NE(editar, nullptr);
    EXPECT_EQ(Items(editar),
              (QStringList{"EditarVoltar", "EditarRefazer", "-", "EditarAlinharAoGrid", "EditarRecortar",
                           "EditarCopiar", "EditarColar", "EditarSelecionarTudo", "-", "EditarTrazerFrente",
                           "EditarEnviaFundo", "-", "EditarAlinhar", "EditarDimensionar", "N14", "ComandosSQL1",
                           "Abrirarquivotexto1", "Editararquivotexto1", "Editarexpresso1", "MoverAcima1"}));
    const std::map<QString, QString> editContext = {{"ComandosSQL1", "Co&mandos SQL"},
                                                    {"Abrirarquivotexto1", "Abrir arquivo"},
                                                    {"Editararquivotexto1", "Editar arquivo"},
                                                    {"Editarexpresso1", QString::fromUtf8("Expressão")},
                                                    {"MoverAcima1", "Mover Acima"}};
    for (const auto& [name, caption] : editContext) {
        SCOPED_TRACE(name.toStdString());
        QAction* item = Form->Action(name);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), caption);
        // Hidden and off until the menu opens.
        EXPECT_FALSE(item->isVisible());
        EXPECT_FALSE(item->isEnabled());
    }

    QMenu* janela = MainMenu("Janela1");
    ASSERT_NE(janela, nullptr);
    const QStringList windowItems = Items(janela);
    EXPECT_EQ(windowItems.mid(0, 7), (QStringList{"JanelaCascata", "JanelaHorizontal", "JanelaVertical",
                                                  "JanelaMinimizarTodas", "JanelaArrumarTodas", "JanelaProxima",
                                                  "JanelaAnterior"}));
    // Opened, it lists the document windows after the commands.
    emit janela->aboutToShow();
    ASSERT_EQ(janela->actions().size(), 9);
    EXPECT_EQ(janela->actions().at(8)->text(), QStringLiteral("&1 ") + Child->Caption());
    EXPECT_TRUE(janela->actions().at(8)->isChecked());

    QMenu* configurar = MainMenu("Configurar1");
    ASSERT_NE(configurar, nullptr);
    EXPECT_EQ(Items(configurar), (QStringList{"Tabela1", "Pagina1", "-", "ConfigurarImpressora"}));
    EXPECT_EQ(Form->Action(QStringLiteral("Tabela1"))->text(), QStringLiteral("&Tabela"));
    EXPECT_EQ(Form->Action(QStringLiteral("Tabela1"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
    EXPECT_EQ(Form->Action(QStringLiteral("Pagina1"))->text(), QString::fromUtf8("&Página"));
    EXPECT_EQ(Form->Action(QStringLiteral("Pagina1"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));

    QMenu* ajuda = MainMenu("Ajuda1");
    ASSERT_NE(ajuda, nullptr);
    QStringList help;
    for (QAction* a : ajuda->actions())
        help << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(help, (QStringList{QString::fromUtf8("&Tópicos de Ajuda       F1"), QStringLiteral("Teclas de atalho"),
                                 QStringLiteral("-"), QStringLiteral("&Sobre")}));

    ASSERT_NE(Form->PopupMenu1(), nullptr);
    EXPECT_EQ(Items(Form->PopupMenu1()),
              (QStringList{"Abrirarquivotexto2", "Editararquivotexto2", "Editarexpresso2", "MoverAcima2",
                           "ComandosSql2", "N8", "EditarAlinharAoGrid", "EditarRecortar", "EditarCopiar",
                           "EditarColar", "EditarSelecionarTudo", "-", "EditarTrazerFrente", "EditarEnviaFundo", "-",
                           "EditarAlinhar", "EditarDimensionar"}));
    const std::map<QString, QString> popupContext = {{"Abrirarquivotexto2", "Abrir arquivo"},
                                                     {"Editararquivotexto2", "Editar arquivo"},
                                                     {"Editarexpresso2", QString::fromUtf8("Editar expressão")},
                                                     {"MoverAcima2", "Mover Acima"},
                                                     {"ComandosSql2", "Comandos Sql"}};
    for (const auto& [name, caption] : popupContext)
        EXPECT_EQ(Form->Action(name)->text(), caption) << name.toStdString();
}

TEST_F(CommandsTest, TheCommandToolBarHasItsButtonsInOrderEachWithAPicture)
{
    QStringList order;
    for (QAction* a : Form->EditorToolbar->actions()) {
        if (a->isSeparator()) {
            order << QStringLiteral("-");
            continue;
        }
        if (Form->EditorToolbar->widgetForAction(a) == Form->cbZoom) {
            order << QStringLiteral("cbZoom");
            continue;
        }
        order << a->objectName();
        SCOPED_TRACE(a->objectName().toStdString());
        auto* button = qobject_cast<QToolButton*>(Form->EditorToolbar->widgetForAction(a));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->objectName(), QStringLiteral("tb") + a->objectName());
        // A picture that draws something, not an empty image.
        const QImage picture = button->icon().pixmap(QSize(20, 20)).toImage();
        ASSERT_FALSE(picture.isNull());
        int inked = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                inked += qAlpha(picture.pixel(x, y)) > 0;
        EXPECT_GT(inked, 20);
        // The tool tip is the short hint.
        EXPECT_EQ(button->toolTip(), a->toolTip());
    }
    EXPECT_EQ(order, (QStringList{"ArquivoNovo", "ArquivoAbrir", "ArquivoSalvar", "JenelaFechar", "-",
                                  "ArquivoVisualizar", "ConfigurarImpressora", "ArquivoImprimir", "-", "EditarVoltar",
                                  "EditarRefazer", "-", "cbZoom", "-", "BotaoCursor", "InserirCampoTabela",
                                  "InserirFiguraTabela", "InserirCodigoBarras", "InserirLegenda",
                                  "InserirCampoExpressao", "InserirTextoExpressao", "InserirFigura",
                                  "InserirFormaGeometrica", "InserirDadosSistema", "-", "InserirBandaNormal",
                                  "InserirBandaItens", "InserirBandaItensColunas", "InserirBandaAgrupamento"}));
    // The cursor and the insert buttons are one group of check buttons.
    for (const char* name : {"tbBotaoCursor", "tbInserirCodigoBarras", "tbInserirLegenda"}) {
        QToolButton* b = Button(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_TRUE(b->isCheckable()) << name;
    }
    EXPECT_TRUE(Button("tbBotaoCursor")->isChecked());
    EXPECT_FALSE(Button("tbInserirDadosSistema")->isVisible());
    EXPECT_FALSE(Button("tbInserirBandaNormal")->isVisible());
}

// ---- the commands' states over the document's states ----

TEST_F(CommandsTest, UpdateActionsFollowsTheDocumentState)
{
    enum class Data { None, OpenTable, ClosedTable, MissingTable };
    struct Case {
        const char* Name;
        bool Document;
        Data DataSet;
        int Quantity;
        bool Run;      // preview, print and the six inserts that need no data
        bool DataOnes; // the two data inserts
    } cases[] = {
        {"a new document with quantity 1", true, Data::None, 1, true, false},
        {"a new document with quantity 0", true, Data::None, 0, false, false},
        {"an open table", true, Data::OpenTable, 0, true, true},
        {"a closed table, quantity 1", true, Data::ClosedTable, 1, true, false},
        {"a closed table, quantity 0", true, Data::ClosedTable, 0, false, false},
        {"a table that cannot open, quantity 1", true, Data::MissingTable, 1, true, false},
        {"no document", false, Data::None, 1, false, false},
    };
    const char* const runCommands[] = {"ArquivoVisualizar", "ArquivoImprimir", "InserirCodigoBarras", "InserirLegenda",
                                       "InserirCampoExpressao", "InserirTextoExpressao", "InserirFigura",
                                       "InserirFormaGeometrica"};
    const char* const documentCommands[] = {"ArquivoSalvarComo", "JenelaFechar", "ConfigurarImpressora", "BotaoCursor",
                                            "Tabela1", "Pagina1"};
    const char* const neverCommands[] = {"InserirDadosSistema", "InserirBandaNormal", "InserirBandaItens",
                                         "InserirBandaItensColunas", "InserirBandaAgrupamento"};
    TTable* table = MakeTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Document) {
            table->Close();
            table->SetTableName(c.DataSet == Data::MissingTable ? QStringLiteral("NAO_HA") : QStringLiteral("ITENS"));
            Report->SetDataSet(c.DataSet == Data::None ? nullptr : table);
            if (c.DataSet == Data::OpenTable) {
                table->Open();
                ASSERT_TRUE(table->Active());
            }
            Report->SetQuantidade(c.Quantity);
            Form->SetModified(true);
        } else {
            // The window closed through its command: nothing to save, no question.
            Form->SetModified(false);
            A("JenelaFechar")->trigger();
            Settle();
            ASSERT_EQ(Form->Document, nullptr);
            ASSERT_TRUE(Form->MDIChildren().empty());
        }
        Form->UpdateActions(c.Document);

        for (const char* name : runCommands)
            EXPECT_EQ(A(name)->isEnabled(), c.Run) << name;
        EXPECT_EQ(A("InserirCampoTabela")->isEnabled(), c.DataOnes);
        EXPECT_EQ(A("InserirFiguraTabela")->isEnabled(), c.DataOnes);
        for (const char* name : documentCommands)
            EXPECT_EQ(A(name)->isEnabled(), c.Document) << name;
        for (const char* name : neverCommands)
            EXPECT_FALSE(A(name)->isEnabled()) << name;
        EXPECT_EQ(A("ArquivoSalvar")->isEnabled(), c.Document);
        EXPECT_EQ(MainMenu("Janela1")->menuAction()->isEnabled(), c.Document);
        EXPECT_EQ(MainMenu("Editar1")->menuAction()->isEnabled(), c.Document);
        EXPECT_EQ(Form->cbZoom->isEnabled(), c.Document);
        EXPECT_EQ(Form->cbZoom->currentText(), c.Document ? QString::number(Report->Zoom()) : QString());
        // Asking never opens the data set nor tells the user anything.
        if (c.Document)
            EXPECT_EQ(table->Active(), c.DataSet == Data::OpenTable);
        EXPECT_TRUE(Boxes.empty());
        // New, open and quit are there in every state.
        for (const char* name : {"ArquivoNovo", "ArquivoAbrir", "ArquivoSair"})
            EXPECT_TRUE(A(name)->isEnabled()) << name;
    }
}

TEST_F(CommandsTest, TheSaveCommandFollowsTheModifiedMark)
{
    Form->SetModified(false);
    Form->UpdateActions(true);
    EXPECT_FALSE(A("ArquivoSalvar")->isEnabled());
    Form->SetModified(true);
    Form->UpdateActions(true);
    EXPECT_TRUE(A("ArquivoSalvar")->isEnabled());
}

// ---- the sticky insert mode from the tool button ----

TEST_F(CommandsTest, ShiftOnTheBarcodeButtonKeepsInsertingUntilTheCursorButton)
{
    struct Case {
        const char* Name;
        Qt::KeyboardModifiers Modifiers;
        int Barcodes;
    } cases[] = {
        {"with Shift", Qt::ShiftModifier, 3},
        {"without Shift", Qt::NoModifier, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(OnBand<TKVBarcode>(), 0);
        QToolButton* barcodeButton = Button("tbInserirCodigoBarras");
        ASSERT_NE(barcodeButton, nullptr);
        ASSERT_TRUE(barcodeButton->isEnabled());
        ClickButton(barcodeButton, c.Modifiers);
        EXPECT_TRUE(barcodeButton->isChecked());
        EXPECT_TRUE(Form->Designer->InsertPending());

        for (int x : {10, 150, 290})
            Driver->Click(Driver->At(Band, x, 20));
        EXPECT_EQ(OnBand<TKVBarcode>(), c.Barcodes);
        EXPECT_EQ(barcodeButton->isChecked(), c.Barcodes > 1);
        if (c.Barcodes > 1) {
            // Named in the order of the clicks.
            std::vector<QString> names;
            for (int i = 0; i < Band->ControlCount(); ++i)
                if (auto* b = dynamic_cast<TKVBarcode*>(Band->Controls(i)))
                    names.push_back(b->Name());
            EXPECT_EQ(names, (std::vector<QString>{"KVBarcode1", "KVBarcode2", "KVBarcode3"}));
            ClickButton(Button("tbBotaoCursor"), Qt::NoModifier);
            EXPECT_FALSE(barcodeButton->isChecked());
            EXPECT_EQ(Form->BotaoCursorTag, 0);
            EXPECT_FALSE(Form->Designer->InsertPending());
            Driver->Click(Driver->At(Band, 200, 120));
            EXPECT_EQ(OnBand<TKVBarcode>(), 3);
        }
        EXPECT_TRUE(Button("tbBotaoCursor")->isChecked());
        // Each insertion is an undo step of its own: undone one by one, the last one first.
        for (int left = c.Barcodes - 1; left >= 0; --left) {
            ASSERT_TRUE(A("EditarVoltar")->isEnabled());
            A("EditarVoltar")->trigger();
            EXPECT_EQ(OnBand<TKVBarcode>(), left);
        }
        EXPECT_FALSE(A("EditarVoltar")->isEnabled());
    }
}

// ---- the Edit menu and the popup ----

TEST_F(CommandsTest, TheEditMenuAndThePopupShowTheContextItemsOfTheSelection)
{
    auto* memo = Place<TKVExprMemo>(10, 10, QStringLiteral("Memo"));
    auto* image = Place<TKVImage>(80, 10, QStringLiteral("Imagem"));
    auto* expr = Place<TKVExpr>(150, 10, QStringLiteral("Expr"));
    auto* label = Place<TKVLabel>(220, 10, QStringLiteral("Rotulo"));
    auto* group = new TKVGroup(Report->Owner());
    group->SetName(QStringLiteral("Grupo"));
    group->SetParent(Report);
    auto* grid = new TKVColunaSql(Report->Owner());
    grid->SetName(QStringLiteral("Grade"));
    grid->SetParent(Band);
    struct Case {
        const char* Name;
        TControl* Selected;
        QStringList Shown;  // the context items shown (and enabled) besides the separator
        QString OpenCaption; // the open item's caption when it shows
        bool Seven;
        bool Sql = false;   // the SQL item shown
    } cases[] = {
        {"a group band", group, {"Editarexpresso", "MoverAcima"}, {}, false},
        {"a column grid", grid, {}, {}, false, true},
        {"an expression memo", memo, {"Abrirarquivotexto", "Editararquivotexto"}, "Ca&rregar Texto", true},
        {"an image", image, {"Abrirarquivotexto"}, "Ca&rregar Imagem", true},
        {"an expression", expr, {"Editarexpresso"}, {}, true},
        {"a label", label, {}, {}, true},
        {"the band", Band, {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Form->SelectSingle(c.Selected);
        Form->Designer->SetSelected(c.Selected);
        for (bool editMenu : {true, false}) {
            SCOPED_TRACE(editMenu ? "Edit menu" : "popup");
            if (editMenu)
                emit MainMenu("Editar1")->aboutToShow();
            else
                Form->PopupMenu1Popup(Child);
            const QString n = editMenu ? QStringLiteral("1") : QStringLiteral("2");
            for (const char* item : {"Abrirarquivotexto", "Editararquivotexto", "Editarexpresso", "MoverAcima"}) {
                QAction* a = Form->Action(QLatin1String(item) + n);
                const bool shown = c.Shown.contains(QLatin1String(item));
                EXPECT_EQ(a->isVisible(), shown) << item;
                EXPECT_EQ(a->isEnabled(), shown) << item;
            }
            QAction* sql = Form->Action(editMenu ? QStringLiteral("ComandosSQL1") : QStringLiteral("ComandosSql2"));
            EXPECT_EQ(sql->isVisible(), c.Sql);
            EXPECT_EQ(sql->isEnabled(), c.Sql);
            EXPECT_EQ(Form->Action(editMenu ? QStringLiteral("N14") : QStringLiteral("N8"))->isVisible(),
                      !c.Shown.isEmpty() || c.Sql);
            if (!c.OpenCaption.isEmpty())
                EXPECT_EQ(Form->Action(QStringLiteral("Abrirarquivotexto") + n)->text(), c.OpenCaption);
            for (const char* name : {"EditarAlinharAoGrid", "EditarTrazerFrente", "EditarEnviaFundo", "EditarRecortar",
                                     "EditarCopiar", "EditarAlinhar", "EditarDimensionar"})
                EXPECT_EQ(A(name)->isEnabled(), c.Seven) << name;
        }
    }
    EXPECT_EQ(Form->Action(QStringLiteral("Editararquivotexto1"))->text(), QStringLiteral("Editar Te&xto"));

    // A popup asked for by another window than the active one does not open.
    TfmAnexo_MDIChild* first = Child;
    Form->ArquivoNovoExecute();
    ASSERT_NE(Form->ActiveMDIChild(), first);
    EXPECT_THROW(Form->PopupMenu1Popup(first), EAbort);
}

TEST_F(CommandsTest, ARightClickInTheActiveDocumentWindowOpensItsPopup)
{
    auto* label = Place<TKVLabel>(10, 10, QStringLiteral("Rotulo"));
    Form->SelectSingle(label);
    Form->Designer->SetSelected(label);
    const auto rightClick = [](TfmAnexo_MDIChild* window) {
        QWidget* surface = window->Host()->Surface();
        const QPoint at(20, 20);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, surface->mapToGlobal(at));
        QApplication::sendEvent(surface, &event);
    };
    QMenu* popup = Form->PopupMenu1();
    ASSERT_NE(popup, nullptr);
    rightClick(Child);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(A("EditarCopiar")->isEnabled());
    popup->hide();

    // Another window than the active one: no popup.
    TfmAnexo_MDIChild* first = Child;
    Form->ArquivoNovoExecute();
    ASSERT_NE(Form->ActiveMDIChild(), first);
    rightClick(first);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(CommandsTest, WithABoxOfTheFormFocusedOnlyCutAndCopyAreOffered)
{
    auto* label = Place<TKVLabel>(10, 10, QStringLiteral("Rotulo"));
    Form->SelectSingle(label);
    Form->Designer->SetSelected(label);
    Form->cbZoom->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(Form->cbZoom->hasFocus() || Form->cbZoom->isAncestorOf(QApplication::focusWidget()));
    emit MainMenu("Editar1")->aboutToShow();
    for (const char* name : {"EditarAlinharAoGrid", "EditarTrazerFrente", "EditarEnviaFundo", "EditarAlinhar",
                             "EditarDimensionar"})
        EXPECT_FALSE(A(name)->isEnabled()) << name;
    EXPECT_TRUE(A("EditarRecortar")->isEnabled());
    EXPECT_TRUE(A("EditarCopiar")->isEnabled());
}

// ---- the keys of a box of the form ----

// What a focused box of the main form does with the command keys: cut, copy and paste (Ctrl+X,
// Ctrl+C, Ctrl+V) run the program's commands, which act on the box's text (cut and paste also mark
// the document modified, as the Edit menu's commands do); Ctrl+A selects the box's text; Ctrl+Z and
// Ctrl+Shift+Z are the box's own undo and redo of what was typed, never the document's; any other
// command key (Ctrl+U, the preview) runs its command and leaves the box's text as it is.
TEST_F(CommandsTest, ACommandKeyInAFocusedBoxOfTheForm)
{
    // The document has a step to undo.
    Form->InserirLegenda->trigger();
    Driver->Click(Driver->At(Band, 30, 30));
    ASSERT_EQ(OnBand<TKVLabel>(), 1);
    ASSERT_TRUE(A("EditarVoltar")->isEnabled());
    Form->cbZoom->setFocus(Qt::OtherFocusReason);
    QLineEdit* box = Form->cbZoom->lineEdit();
    ASSERT_NE(box, nullptr);
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(target == Form->cbZoom || target == box);
    QApplication::clipboard()->setText(QStringLiteral("no clipboard"));
    Form->SetModified(false);
    const int steps = UndoSteps();

    box->setText(QStringLiteral("150"));
    box->selectAll();
    Type(target, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("150"));
    EXPECT_EQ(box->text(), QStringLiteral("150"));

    box->setSelection(1, 2);
    Type(target, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("50"));
    EXPECT_EQ(box->text(), QStringLiteral("1"));
    EXPECT_TRUE(Form->IsModified());

    box->setCursorPosition(1);
    Type(target, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("150"));

    // The box undoes and redoes the paste; the document keeps its history.
    Type(target, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("1"));
    Type(target, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(box->text(), QStringLiteral("150"));
    EXPECT_EQ(UndoSteps(), steps);
    EXPECT_EQ(OnBand<TKVLabel>(), 1);

    // Ctrl+A selects the box's text: no Open dialog comes up.
    int dialogs = 0;
    SetDialogPresenter([&](TCommonDialog& d) {
        dialogs += dynamic_cast<TOpenDialog*>(&d) != nullptr;
        return false;
    });
    box->setCursorPosition(1);
    Type(target, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(box->selectedText(), QStringLiteral("150"));
    // So does the field box of a barcode, where a code may be typed.
    auto* barcode = Place<TKVBarcode>(10, 70, QStringLiteral("Barras1"));
    Form->Designer->SetSelected(barcode);
    Form->CampoToolBar->SetComponent(barcode);
    ASSERT_TRUE(Form->cbCampo->isEditable());
    Form->cbCampo->setEditText(QStringLiteral("7891234"));
    Form->cbCampo->setFocus(Qt::OtherFocusReason);
    Form->cbCampo->lineEdit()->setCursorPosition(2);
    Type(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Form->cbCampo->lineEdit()->selectedText(), QStringLiteral("7891234"));
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(Form->MDIChildren().size(), 1u);
    EXPECT_TRUE(Boxes.empty());

    // Ctrl+U in the expression box is the preview command (counted here, not run), on or off:
    // the box keeps its text and leaving it stores nothing.
    auto* expr = Place<TKVExpr>(10, 40, QStringLiteral("Expr1"));
    expr->SetExpression(QStringLiteral("PRECO*2"));
    Form->Designer->SetSelected(expr);
    Form->ExprToolbar->SetComponent(expr);
    ASSERT_EQ(Form->EditExpr->text(), QStringLiteral("PRECO*2"));
    QAction* preview = A("ArquivoVisualizar");
    QObject::disconnect(preview, &QAction::triggered, nullptr, nullptr);
    int previews = 0;
    QObject::connect(preview, &QAction::triggered, [&previews] { ++previews; });
    Form->EditExpr->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), Form->EditExpr);
    const int exprSteps = UndoSteps();
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        preview->setEnabled(enabled);
        Form->EditExpr->setCursorPosition(3);
        Type(Form->EditExpr, Qt::Key_U, Qt::ControlModifier);
        EXPECT_EQ(Form->EditExpr->text(), QStringLiteral("PRECO*2"));
    }
    EXPECT_EQ(previews, 1);
    Form->EditExprExit();
    EXPECT_EQ(expr->Expression(), QStringLiteral("PRECO*2"));
    EXPECT_EQ(UndoSteps(), exprSteps);
}

// ---- the window commands ----

TEST_F(CommandsTest, TheWindowCommandsArrangeMinimiseAndCloseTheDocumentWindows)
{
    Form->ArquivoNovoExecute();
    Form->ArquivoNovoExecute();
    QMdiArea* area = Form->MdiArea();
    const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), 3);
    const QRect client = area->viewport()->rect();

    A("JanelaHorizontal")->trigger();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QRect g = windows[i]->geometry();
        EXPECT_EQ(g.left(), 0);
        EXPECT_EQ(g.width(), client.width());
        if (i > 0)
            EXPECT_GE(g.top(), windows[i - 1]->geometry().bottom());
        EXPECT_LE(g.bottom(), client.bottom());
    }

    A("JanelaVertical")->trigger();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QRect g = windows[i]->geometry();
        EXPECT_EQ(g.top(), 0);
        EXPECT_EQ(g.height(), client.height());
        if (i > 0)
            EXPECT_GE(g.left(), windows[i - 1]->geometry().right());
        EXPECT_LE(g.right(), client.right());
    }

    A("JanelaCascata")->trigger();
    // Each window a step lower and to the right of another, none of them at the same place.
    std::set<std::pair<int, int>> corners;
    for (QMdiSubWindow* w : windows) {
        EXPECT_FALSE(w->isMinimized());
        corners.insert({w->x(), w->y()});
    }
    EXPECT_EQ(corners.size(), 3u);

    A("JanelaMinimizarTodas")->trigger();
    for (QMdiSubWindow* w : windows)
        EXPECT_TRUE(w->isMinimized());
    // Scattered, then arranged: a row along the bottom, left to right in the order they were made.
    windows[0]->move(200, 30);
    windows[1]->move(10, 90);
    windows[2]->move(120, 0);
    A("JanelaArrumarTodas")->trigger();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(windows[i]->isMinimized());
        EXPECT_EQ(windows[i]->geometry().bottom(), client.bottom());
        if (i == 0)
            EXPECT_EQ(windows[i]->x(), 0);
        else
            EXPECT_EQ(windows[i]->x(), windows[i - 1]->geometry().right() + 1);
    }

    // Closing asks about unsaved changes through the window's own close.
    for (QMdiSubWindow* w : windows)
        w->showNormal();
    area->setActiveSubWindow(windows[2]);
    TfmAnexo_MDIChild* active = Form->ActiveMDIChild();
    ASSERT_NE(active, nullptr);
    Form->SetModified(true);
    Answer = IDCANCEL;
    A("JenelaFechar")->trigger();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].Text.endsWith(QString::fromUtf8(" foi alterado, deseja salvá-lo?"))) << Boxes[0].Text.toStdString();
    EXPECT_EQ(Form->MDIChildren().size(), 3u);
    EXPECT_EQ(Form->ActiveMDIChild(), active);
    Answer = IDNO;
    A("JenelaFechar")->trigger();
    Settle();
    EXPECT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Form->MDIChildren().size(), 2u);
    EXPECT_EQ(area->subWindowList().size(), 2);
}

} // namespace
