// The main form's dialog, run and help commands on a new document shown headless: preview and print
// give the focus back where it was and leave the tool area and the menus on, also after a failing
// run; each Configurar dialog and the about form opened through its command; help by topic and by
// context; a cancelled open dialog; the report's quantity field let go when its control goes.
#include "DocumentSurfaceFixture.h"
#include "PgServer.h"

#include "designer/mainform/AboutTSSV.h"
#include "designer/document/AnexoRelatorio.h"
#include "designer/dialogs/Alinhamento.h"
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/dialogs/CfgPagina.h"
#include "designer/dialogs/Dimensionar.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/dialogs/ModalForm.h"
#include "designer/dialogs/MyZTDataSetup.h"
#include "designer/mainform/MyZtPreview.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVLabel.h"
#include "engine/run/KVPrinter.h"
#include "engine/run/KVRunWindows.h"
#include "engine/model/VardoRep.h"
#include "platform/data/Database.h"
#include "platform/printing/Printer.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"
#include "uisupport/MRUManager.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>
#include <stdexcept>

using namespace tessiv;
using namespace designertest;

namespace {

// What the tool area and the menus looked like while a run went on.
struct TRunState {
    bool Seen = false;
    bool TopPanel = true;
    bool Menus = true;
};

class DialogCommandsTest : public DocumentSurfaceTest {
protected:
    void SetUp() override
    {
        DocumentSurfaceTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenNewDocument(200));
        QApplication::setActiveWindow(Form->Window());
        // The run goes to a PDF file of the scratch folder.
        TPrinter* printer = Report->PrivatePrinter();
        Report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
        printer->SetPdfFileName(Path(QStringLiteral("impresso.pdf")));
        Form->SetModified(false);
    }
    void TearDown() override
    {
        TModalForm::SetPresenter(nullptr);
        SetDialogPresenter(nullptr);
        HelpSystem().Viewer = nullptr;
        DocumentSurfaceTest::TearDown();
    }

    // A control inserted by its command and a click on the band, as the user does it.
    TControl* Insert(QAction* command, int x, int y)
    {
        command->trigger();
        Driver->Click(Driver->At(Band, x, y));
        return Form->Designer->Selected();
    }
    // The preview window, whichever window owns it.
    static TMyZtPreview* FindPreview()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* preview = dynamic_cast<TMyZtPreview*>(w))
                return preview;
        return nullptr;
    }
    // After a run: a closed window is freed later, which happens first.
    static bool PreviewLeftOpen()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return FindPreview() != nullptr;
    }
    QWidget* TopPanel() const { return Form->Window()->findChild<QWidget*>(QStringLiteral("paTopoEtiq")); }
    bool MenusEnabled() const
    {
        bool all = true;
        for (QAction* item : Form->Window()->menuBar()->actions())
            if (item->menu() && item->text() != QStringLiteral("&Janela"))
                all = all && item->isEnabled();
        return all;
    }
    // Each page start notes the tool area's state; the preview window, once the run has ended,
    // is closed, which ends the preview.
    void WatchRun(TRunState& state)
    {
        Report->OnStartPage = [this, &state](TVardoRep*) {
            state.Seen = true;
            state.TopPanel = state.TopPanel && TopPanel()->isEnabled();
            state.Menus = state.Menus && MenusEnabled();
        };
        ClosePreviewWhenDone();
    }
    void ClosePreviewWhenDone()
    {
        QTimer::singleShot(5, Form->Window(), [this] {
            TMyZtPreview* preview = FindPreview();
            if (preview && preview->isVisible() && !Report->Previewing()) {
                PreviewStatus = preview->Status()->text();
                PreviewOwner = preview->parentWidget();
                preview->close();
                return;
            }
            if (Report->Previewing() || preview)
                ClosePreviewWhenDone();
        });
    }

    QString PreviewStatus;
    QWidget* PreviewOwner = nullptr; // compared only, it may be gone
};

// ---- preview and print ----

TEST_F(DialogCommandsTest, PreviewAndPrintGiveTheFocusBackAndLeaveTheToolAreaOn)
{
    TControl* label = Insert(Form->InserirLegenda, 30, 30);
    ASSERT_NE(dynamic_cast<TKVLabel*>(label), nullptr);
    struct Case {
        const char* Name;
        bool Print;
        bool FromToolArea;
    } cases[] = {
        {"preview from the surface", false, false},
        {"preview from the zoom box", false, true},
        {"print from the surface", true, false},
        {"print from the zoom box", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Form->SelectSingle(label);
        Form->Designer->SetSelected(label);
        Form->Designer->RefreshHandles();
        if (c.FromToolArea) {
            Form->cbZoom->setFocus(Qt::OtherFocusReason);
            QCoreApplication::processEvents();
            ASSERT_EQ(Form->Window()->focusWidget(), Form->cbZoom);
        } else {
            Child->Host()->setFocus(Qt::OtherFocusReason);
            Child->Host()->SetFocusedControl(Report);
            ASSERT_TRUE(Report->Focused());
        }
        QFile::remove(Path(QStringLiteral("impresso.pdf")));
        TRunState during;
        WatchRun(during);
        if (c.Print)
            Form->ArquivoImprimirExecute();
        else
            Form->ArquivoVisualizarExecute();
        QCoreApplication::processEvents();

        EXPECT_TRUE(during.Seen);
        EXPECT_FALSE(during.TopPanel);
        EXPECT_FALSE(during.Menus);
        EXPECT_TRUE(TopPanel()->isEnabled());
        EXPECT_TRUE(MenusEnabled());
        if (c.Print)
            EXPECT_TRUE(QFile::exists(Path(QStringLiteral("impresso.pdf"))));
        else
            EXPECT_EQ(PreviewStatus, QStringLiteral("Página 1 de 1"));
        EXPECT_FALSE(PreviewLeftOpen());
        EXPECT_TRUE(Report->Visible());
        if (c.FromToolArea) {
            EXPECT_EQ(Form->Window()->focusWidget(), Form->cbZoom);
        } else {
            EXPECT_TRUE(Report->Focused());
            EXPECT_EQ(Form->Designer->Selected(), label);
        }
        Report->OnStartPage = nullptr;
    }
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(DialogCommandsTest, AFailingRunStillTurnsTheToolAreaAndTheMenusBackOn)
{
    for (bool print : {false, true}) {
        SCOPED_TRACE(print ? "print" : "preview");
        Boxes.clear();
        TRunState during;
        WatchRun(during);
        Report->OnStartPage = [this, &during](TVardoRep*) {
            during.Seen = true;
            during.TopPanel = TopPanel()->isEnabled();
            throw std::runtime_error("a página falhou");
        };
        bool failed = false;
        try {
            print ? Form->ArquivoImprimirExecute() : Form->ArquivoVisualizarExecute();
        } catch (const std::runtime_error&) {
            failed = true;
        }
        QCoreApplication::processEvents();
        EXPECT_TRUE(during.Seen);
        EXPECT_FALSE(during.TopPanel);
        if (print) {
            // The failure goes on to the application's handler.
            EXPECT_TRUE(failed);
        } else {
            // The preview shows the error as it happens and keeps what it recorded, marked as such.
            EXPECT_FALSE(failed);
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("a página falhou"))) << Boxes[0].Text.toStdString();
            EXPECT_TRUE(PreviewStatus.endsWith(QStringLiteral("(incompleta)"))) << PreviewStatus.toStdString();
        }
        EXPECT_TRUE(TopPanel()->isEnabled());
        EXPECT_TRUE(MenusEnabled());
        EXPECT_FALSE(PreviewLeftOpen());
        EXPECT_TRUE(Report->Visible());
        Report->OnStartPage = nullptr;
    }
}

TEST_F(DialogCommandsTest, DuringARunTheWindowsStayAndTheCommandsDoNotStartItAgain)
{
    for (bool print : {false, true}) {
        SCOPED_TRACE(print ? "print" : "preview");
        TRunState during;
        WatchRun(during);
        int pages = 0;
        bool childClosed = true, mainClosed = true;
        Report->OnStartPage = [&](TVardoRep*) {
            if (++pages > 1)
                return;
            // The user closes the document's window, the main window, and asks for another run.
            childClosed = Child->SubWindow()->close();
            mainClosed = Form->Window()->close();
            Form->ArquivoVisualizarExecute();
            Form->ArquivoImprimirExecute();
        };
        print ? Form->ArquivoImprimirExecute() : Form->ArquivoVisualizarExecute();
        QCoreApplication::processEvents();
        EXPECT_EQ(pages, 1);
        EXPECT_FALSE(childClosed);
        EXPECT_FALSE(mainClosed);
        ASSERT_EQ(Form->ActiveMDIChild(), Child);
        EXPECT_EQ(Form->Report, Report);
        EXPECT_TRUE(Form->Window()->isVisible());
        EXPECT_TRUE(TopPanel()->isEnabled());
        EXPECT_TRUE(MenusEnabled());
        Report->OnStartPage = nullptr;
    }
}

TEST_F(DialogCommandsTest, PrintWithoutADocumentDoesNothing)
{
    Form->AskOnClose = false;
    Form->CloseDocument();
    ASSERT_EQ(Form->Document, nullptr);
    Form->ArquivoImprimirExecute();
    Form->ArquivoVisualizarExecute();
    EXPECT_TRUE(TopPanel()->isEnabled());
    EXPECT_TRUE(MenusEnabled());
    EXPECT_TRUE(Boxes.empty());
}

// ---- the dialogs ----

TEST_F(DialogCommandsTest, EachConfigurarDialogOpensThroughItsCommand)
{
    struct Case {
        const char* Name;
        std::function<void()> Command;
        std::function<bool(TModalForm&)> IsTheDialog;
    } cases[] = {
        {"Tabela", [this] { Form->Tabela1Click(); },
         [this](TModalForm& f) {
             auto* d = dynamic_cast<TfmMyZTDataSetup*>(&f);
             return d && d->Anexo() == Form->Document && d->Settings() == Form->Settings();
         }},
        {"Página", [this] { Form->Pagina1Click(); },
         [this](TModalForm& f) {
             auto* d = dynamic_cast<TfmCfgPagina*>(&f);
             return d && d->Report() == Report;
         }},
        {"Alinhar", [this] { Form->Alinhar2Click(); }, [](TModalForm& f) { return dynamic_cast<TfmAlinhamento*>(&f) != nullptr; }},
        {"Dimensionar", [this] { Form->Dimensionar2Click(); },
         [](TModalForm& f) { return dynamic_cast<TfmDimensionar*>(&f) != nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        int shown = 0;
        bool right = false;
        bool waitCursor = false;
        TModalForm::SetPresenter([&](TModalForm& f) {
            ++shown;
            right = c.IsTheDialog(f);
            waitCursor = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            f.SetModalResult(mrCancel);
        });
        c.Command();
        EXPECT_EQ(shown, 1);
        EXPECT_TRUE(right);
        // The alignment and size dialogs come up under the hourglass, which goes with them.
        const std::string name = c.Name;
        EXPECT_EQ(waitCursor, name == "Alinhar" || name == "Dimensionar");
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        // Cancelled, nothing changed.
        EXPECT_FALSE(Form->IsModified());
    }
}

TEST_F(DialogCommandsTest, APreviewFromThePageDialogBelongsToThatDialog)
{
    // Owned by the blocked main window, nobody could close it and the run would never end.
    QWidget* dialogWindow = nullptr;
    TModalForm::SetPresenter([&](TModalForm& f) {
        dialogWindow = f.Window();
        auto* button = f.Window()->findChild<QPushButton*>(QStringLiteral("Preview"));
        ASSERT_NE(button, nullptr);
        ClosePreviewWhenDone();
        button->click();
        f.SetModalResult(mrCancel);
    });
    Form->Pagina1Click();
    EXPECT_EQ(PreviewStatus, QStringLiteral("Página 1 de 1"));
    EXPECT_NE(dialogWindow, nullptr);
    EXPECT_EQ(PreviewOwner, dialogWindow);
    EXPECT_FALSE(PreviewLeftOpen());
    EXPECT_TRUE(TopPanel()->isEnabled());
    EXPECT_TRUE(MenusEnabled());
}

TEST_F(DialogCommandsTest, TheDataDialogConfirmedMarksTheDocumentAndSelectsTheCurrentContainer)
{
    TControl* label = Insert(Form->InserirLegenda, 30, 30);
    ASSERT_NE(label, nullptr);
    Form->Designer->SetSelected(label);
    Form->SetModified(false);
    // The field bar's box lists the document's fields again, whatever it held.
    auto* fields = Form->Window()->findChild<QComboBox*>(QStringLiteral("cbCampo"));
    if (fields)
        fields->addItem(QStringLiteral("campo velho"));
    TModalForm::SetPresenter([](TModalForm& f) { f.SetModalResult(mrOk); });
    Form->Tabela1Click();
    EXPECT_TRUE(Form->IsModified());
    EXPECT_TRUE(Form->Designer->Attached());
    EXPECT_EQ(Form->Designer->Selected(), Form->CurrentContainer());
    EXPECT_EQ(Form->SelectedCount(), 0);
    if (fields) {
        EXPECT_EQ(fields->findText(QStringLiteral("campo velho")), -1);
    }
    // The commands' states are updated: Save for the modified document, and without data the
    // quantity alone enables the run commands.
    EXPECT_TRUE(Form->ArquivoSalvar()->isEnabled());
    EXPECT_TRUE(Form->Action(QStringLiteral("ArquivoVisualizar"))->isEnabled());
    EXPECT_TRUE(Form->Action(QStringLiteral("ArquivoImprimir"))->isEnabled());
}

TEST_F(DialogCommandsTest, AServerTableChosenInTheDataDialogListsItsFieldsForTheFirstDataText)
{
    test::PgServer& pg = test::PgServer::Instance();
    QString why;
    if (!pg.Start(why))
        GTEST_SKIP() << why.toStdString();
    QString error;
    // The role and the table may be there from an earlier test of this run.
    pg.Exec(QStringLiteral("postgres"), {QStringLiteral("CREATE ROLE fichario LOGIN PASSWORD 'fichas'")}, error);
    ASSERT_TRUE(pg.Exec(QStringLiteral("postgres"),
                        {QStringLiteral("CREATE TABLE IF NOT EXISTS fichas (codigo INTEGER, cliente VARCHAR(30))"),
                         QStringLiteral("GRANT SELECT ON fichas TO fichario")},
                        error))
        << error.toStdString();
    TStringList params;
    params.Add(QStringLiteral("SERVER NAME=") + pg.SocketDir());
    params.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
    params.Add(QStringLiteral("DATABASE NAME=postgres"));
    params.Add(QStringLiteral("USER NAME=fichario"));
    Session().AddAlias(QStringLiteral("PGFICHAS"), QStringLiteral("POSTGRESQL"), &params);
    SetLoginDialog([](const QString&, QString&, QString& password) {
        password = QStringLiteral("fichas");
        return true;
    });
    struct TNoLogin {
        ~TNoLogin() { SetLoginDialog(nullptr); }
    } noLogin;

    // Configurar > Tabela: the alias, then the table, then OK, as the user picks them.
    TModalForm::SetPresenter([](TModalForm& f) {
        auto* dialog = dynamic_cast<TfmMyZTDataSetup*>(&f);
        ASSERT_NE(dialog, nullptr);
        dialog->DataTypeButton(1)->click();
        dialog->cbDataBaseName()->setEditText(QStringLiteral("PGFICHAS"));
        dialog->cbDataBaseNameChange();
        dialog->cbTableName()->setEditText(QStringLiteral("fichas"));
        dialog->cbTableNameChange();
        dialog->bbOkClick();
    });
    Form->Tabela1Click();
    ASSERT_NE(Report->DataSet(), nullptr);

    TControl* text = Insert(Form->InserirCampoTabela, 30, 30);
    ASSERT_NE(dynamic_cast<TKVDBText*>(text), nullptr);
    EXPECT_EQ(static_cast<TKVDBText*>(text)->DataField(), QStringLiteral("codigo"));
    auto* fields = Form->Window()->findChild<QComboBox*>(QStringLiteral("cbCampo"));
    ASSERT_NE(fields, nullptr);
    QStringList listed;
    for (int i = 0; i < fields->count(); ++i)
        listed << fields->itemText(i);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("codigo"), QStringLiteral("cliente")}));
    EXPECT_EQ(fields->currentText(), QStringLiteral("codigo"));
}

TEST_F(DialogCommandsTest, TheAboutFormNamesTheProductAndItsVersion)
{
    const QString savedName = ProductName, savedVersion = ProductVersion;
    ProductName = QStringLiteral("Tessiv");
    ProductVersion = QStringLiteral("3.1.4");
    QString caption, product, version;
    TModalForm::SetPresenter([&](TModalForm& f) {
        auto* about = dynamic_cast<TfmAboutTSSV*>(&f);
        ASSERT_NE(about, nullptr);
        caption = about->Caption();
        product = about->ProductLabel()->text();
        version = about->VersionLabel()->text();
        f.SetModalResult(mrOk);
    });
    Form->Sobre1Click();
    ProductName = savedName;
    ProductVersion = savedVersion;
    EXPECT_TRUE(caption.endsWith(QStringLiteral(" Tessiv"))) << caption.toStdString();
    EXPECT_GT(caption.size(), QStringLiteral(" Tessiv").size());
    EXPECT_EQ(product, QStringLiteral("Tessiv"));
    EXPECT_EQ(version, QStringLiteral("3.1.4"));
}

TEST_F(DialogCommandsTest, PrinterSetupIsTheReportsOwn)
{
    int asked = 0;
    SetPrintDialogProc([&](TPrinter&, TKVPrintDialogValues& values) {
        ++asked;
        values.Copies = 3;
        return true;
    });
    Form->ConfigurarImpressoraExecute();
    SetPrintDialogProc(nullptr);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Report->PrinterSettings()->Copies(), 3);
}

// ---- help ----

TEST_F(DialogCommandsTest, HelpByTopicAndByContext)
{
    EXPECT_EQ(HelpSystem().HelpFile(), HelpFileName());
    // A help file of our own with the topics the commands ask for.
    const QString file = Path(QStringLiteral("Tessiv.HLP"));
    WriteFile(file, "<html><body><a name=\"Teclas_de_atalho\"></a><a name=\"ctx-510\"></a>"
                    "<a name=\"ctx-840\"></a><a name=\"ctx-77\"></a></body></html>");
    HelpSystem().SetHelpFile(file);
    QStringList shown;
    HelpSystem().Viewer = [&](const QString&, const QString& anchor) { shown << anchor; };
    const auto f1 = [this] {
        QWidget* target = Form->Window()->focusWidget() ? Form->Window()->focusWidget() : Form->Window();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    };

    Form->TpicosdeAjudaClick();
    Form->Teclasdeatalho1Click();
    // On the design surface: the selected control's class chose the report's context.
    TControl* barcode = Insert(Form->InserirCodigoBarras, 30, 30);
    ASSERT_NE(dynamic_cast<TKVBarcode*>(barcode), nullptr);
    Child->Host()->setFocus(Qt::OtherFocusReason);
    Child->Host()->SetFocusedControl(Report);
    QCoreApplication::processEvents();
    f1();
    // In the tool area: the focused widget's context, else its parents'.
    SetHelpContext(TopPanel(), 77);
    Form->cbZoom->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    ASSERT_EQ(Form->Window()->focusWidget(), Form->cbZoom);
    f1();
    EXPECT_EQ(shown, (QStringList{QString(), QStringLiteral("Teclas_de_atalho"), QStringLiteral("ctx-510"),
                                  QStringLiteral("ctx-77")}));

    // Without the file the user is told so and nothing is shown.
    HelpSystem().SetHelpFile(Path(QStringLiteral("falta.HLP")));
    Form->TpicosdeAjudaClick();
    EXPECT_EQ(shown.size(), 4);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("falta.HLP"))) << Boxes[0].Text.toStdString();
}

// ---- the open dialog and the quantity field ----

TEST_F(DialogCommandsTest, CancellingTheOpenDialogChangesNeitherTheFolderNorTheRecentList)
{
    Form->LastDirectory = Path(QStringLiteral("antes"));
    Form->RecentList()->AddRecent(Path(QStringLiteral("um.KVR")));
    const QStringList recent = Form->RecentList()->Strings()->ToStringList();
    QString filter, initial;
    // The user picks a file in another folder and then cancels.
    SetDialogPresenter([&](TCommonDialog& d) {
        auto& open = static_cast<TOpenDialog&>(d);
        filter = open.Filter;
        initial = open.InitialDir;
        open.FileName = Path(QStringLiteral("outra/dois.KVR"));
        return false;
    });
    const size_t windows = Form->MDIChildren().size();
    Form->ArquivoAbrirExecute();
    EXPECT_EQ(filter, QStringLiteral("Kelvora Relatório (*.KVR)|*.KVR"));
    EXPECT_EQ(initial, Path(QStringLiteral("antes")));
    EXPECT_EQ(Form->LastDirectory, Path(QStringLiteral("antes")));
    EXPECT_EQ(Form->RecentList()->Strings()->ToStringList(), recent);
    EXPECT_EQ(Form->MDIChildren().size(), windows);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(DialogCommandsTest, DeletingTheQuantityControlClearsTheReportsQuantityField)
{
    struct Case {
        const char* Name;
        bool MultiSelection;
    } cases[] = {{"one of a multi-selection", true}, {"the single selection by Delete", false}};
    int x = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* text = new TKVDBText(Report->Owner());
        text->SetName(QStringLiteral("Quantos%1").arg(x));
        text->SetParent(Band);
        text->SetBounds(x, 20, 60, 16);
        auto* other = new TKVDBText(Report->Owner());
        other->SetName(QStringLiteral("Outro%1").arg(x));
        other->SetParent(Band);
        other->SetBounds(x, 60, 60, 16);
        x += 100;
        Report->SetCampoQuantidadeObjeto(text);
        ASSERT_EQ(Report->CampoQuantidadeObjeto(), text);
        if (c.MultiSelection) {
            Form->ReleaseDesigner();
            Form->MultiDesigner->SetSurface(Report);
            Form->MultiDesigner->Toggle(other);
            Form->MultiDesigner->Toggle(text);
            Form->MultiDesigner->DeleteSelected();
        } else {
            Form->SelectSingle(text);
            Form->Designer->SetSelected(text);
            Child->Host()->SetFocusedControl(Report);
            Driver->KeyDown(VK_DELETE);
            Driver->KeyUp(VK_DELETE);
            delete other;
        }
        EXPECT_EQ(Report->CampoQuantidadeObjeto(), nullptr);
    }
}

} // namespace
