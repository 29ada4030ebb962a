// The printer "PDF" chosen and used from the main form's windows on a machine with no CUPS queue:
// the printer setup (Configurar > Impressora, and the preview's) lists it with its file, the
// document's name offered; Imprimir writes that file; Imprimir without a file asks for one in a
// save dialog, and Cancel there prints nothing and says nothing. The print dialog's own window
// answers the setup, filled in as the user fills it in.

#include "DocumentSurfaceFixture.h"

#include "designer/mainform/MyZtPreview.h"
#include "engine/printables/KVLabel.h"
#include "engine/run/KVRunWindows.h"
#include "engine/ui/EngineWindows.h"
#include "engine/ui/KVPrintDialog.h"
#include "engine/ui/KVPrintDialogForm.h"
#include "platform/printing/Printer.h"
#include "platform/ui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace tessiv;
using namespace designertest;

namespace {

QString PdfText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("(pdftotext failed)");
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PdfPrinterTest : public DocumentSurfaceTest {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext is not installed";
        // No CUPS queue can be reached: "PDF" is the only printer.
        FCupsServer = qgetenv("CUPS_SERVER");
        qputenv("CUPS_SERVER", "localhost:1");
        TPrinter::RefreshPrinterList();
        DocumentSurfaceTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenNewDocument(200));
        InstallEngineWindows();
        Form->InserirLegenda->trigger();
        Driver->Click(Driver->At(Band, 30, 30));
        auto* label = dynamic_cast<TKVLabel*>(Form->Designer->Selected());
        ASSERT_NE(label, nullptr);
        label->SetCaption(QStringLiteral("Etiqueta"));
        const QFileInfo document(Form->Document->FileName());
        Offer = document.absolutePath() + QStringLiteral("/") + document.completeBaseName() + QStringLiteral(".pdf");
        ASSERT_TRUE(QDir().mkpath(document.absolutePath()));
        // Each save dialog is noted and answered with SaveAnswer (empty: Cancel).
        SetDialogPresenter([this](TCommonDialog& d) {
            auto* save = dynamic_cast<TSaveDialog*>(&d);
            EXPECT_NE(save, nullptr);
            if (!save)
                return false;
            Asked << save->FileName;
            if (SaveAnswer.isEmpty())
                return false;
            save->FileName = SaveAnswer;
            return true;
        });
        Form->SetModified(false);
    }
    void TearDown() override
    {
        SetPrintDialogPresenter(nullptr);
        SetDialogPresenter(nullptr);
        DocumentSurfaceTest::TearDown();
        SetPrintDialogProc(nullptr);
        SetStandardPreviewProc(nullptr);
        SetProgressFormProc(nullptr);
        if (FCupsServer.isNull())
            qunsetenv("CUPS_SERVER");
        else
            qputenv("CUPS_SERVER", FCupsServer);
        TPrinter::RefreshPrinterList();
    }

    // The printer setup's window, filled in by the user: "PDF" chosen with the file typed (null:
    // the field as shown). Notes what the window offered.
    void AnswerSetupWith(const QString& typed)
    {
        SetPrintDialogPresenter([this, typed](TKVPrintDlgRecord& record) {
            TKVPrintDialogForm window(record);
            QComboBox* printers = window.PrinterBox();
            ListedPrinters.clear();
            for (int i = 0; i < printers->count(); ++i)
                ListedPrinters << printers->itemText(i);
            printers->setCurrentText(TPrinter::PdfPrinterName);
            ShownFile = window.FileEdit()->text();
            FileEditable = window.FileEdit()->isEnabled() && window.BrowseButton()->isEnabled();
            if (!typed.isNull())
                window.FileEdit()->setText(typed);
            window.ReadChoice(record);
            return true;
        });
    }
    // Runs the preview and, once its pages are there, acts in its window, then closes it.
    void InPreview(const std::function<void(TMyZtPreview&)>& act)
    {
        bool acted = false;
        std::function<void()> poll = [&] {
            TMyZtPreview* preview = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = dynamic_cast<TMyZtPreview*>(w); p && p->isVisible())
                    preview = p;
            if (!preview || Report->Previewing()) {
                QTimer::singleShot(5, Form->Window(), poll);
                return;
            }
            act(*preview);
            acted = true;
            preview->close();
        };
        QTimer::singleShot(5, Form->Window(), poll);
        Form->ArquivoVisualizarExecute();
        QCoreApplication::processEvents();
        EXPECT_TRUE(acted);
    }
    QStringList PdfFiles() const
    {
        return QFileInfo(Offer).dir().entryList({QStringLiteral("*.pdf")}, QDir::Files) +
               QDir(FDir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    }
    void Print() { Form->Window()->findChild<QAction*>(QStringLiteral("ArquivoImprimir"))->trigger(); }

    QString Offer;
    QStringList Asked;
    QString SaveAnswer;
    QStringList ListedPrinters;
    QString ShownFile;
    bool FileEditable = false;

private:
    QByteArray FCupsServer;
};

TEST_F(PdfPrinterTest, TheSetupListsPdfWithTheDocumentsNameAndImprimirWritesTheFileChosen)
{
    const QString chosen = Path(QStringLiteral("escolhido.pdf"));
    AnswerSetupWith(chosen);
    Form->ConfigurarImpressoraExecute();
    EXPECT_EQ(ListedPrinters, QStringList{TPrinter::PdfPrinterName});
    EXPECT_EQ(ShownFile, Offer);
    EXPECT_TRUE(FileEditable);
    EXPECT_EQ(Report->PrivatePrinter()->PdfFileName(), chosen);

    Print();
    EXPECT_TRUE(PdfText(chosen).contains(QStringLiteral("Etiqueta"))) << PdfText(chosen).toStdString();
    EXPECT_TRUE(Asked.isEmpty());
    EXPECT_TRUE(Boxes.empty());

    // The file shown next time is the report's own, in the preview's setup as well.
    InPreview([](TMyZtPreview& preview) { preview.Button(QStringLiteral("PrintSetup"))->click(); });
    EXPECT_EQ(ShownFile, chosen);
}

TEST_F(PdfPrinterTest, TheOfferTakenAsShownIsTheFileWritten)
{
    AnswerSetupWith(QString());
    Form->ConfigurarImpressoraExecute();
    Print();
    EXPECT_TRUE(PdfText(Offer).contains(QStringLiteral("Etiqueta"))) << Offer.toStdString();
    EXPECT_TRUE(Asked.isEmpty());
    EXPECT_TRUE(Boxes.empty()) << (Boxes.empty() ? std::string() : Boxes.front().Text.toStdString());
}

TEST_F(PdfPrinterTest, ImprimirWithoutAFileAsksForOneAndItsCancelPrintsNothing)
{
    // "PDF" chosen, its file cleared.
    AnswerSetupWith(QStringLiteral(""));
    Form->ConfigurarImpressoraExecute();
    ASSERT_TRUE(Report->PrivatePrinter()->PdfFileName().isEmpty());
    const struct {
        const char* Name;
        bool FromPreview;
        const char* Answer; // empty: Cancel
    } cases[] = {
        {"Imprimir, cancelled", false, ""},
        {"Imprimir, a file named", false, "pedido.pdf"},
        {"the preview's Imprimir, cancelled", true, ""},
        {"the preview's Imprimir, a file named", true, "da-visualizacao.pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Asked.clear();
        SaveAnswer = *c.Answer ? Path(QLatin1String(c.Answer)) : QString();
        int pages = 0;
        if (c.FromPreview) {
            InPreview([&](TMyZtPreview& preview) {
                Report->OnStartPage = [&](TVardoRep*) { ++pages; };
                preview.Button(QStringLiteral("Print"))->click();
                Report->OnStartPage = nullptr;
            });
        } else {
            Report->OnStartPage = [&](TVardoRep*) { ++pages; };
            Print();
            Report->OnStartPage = nullptr;
        }
        // Asked once, the document's name offered.
        EXPECT_EQ(Asked, QStringList{Offer});
        EXPECT_TRUE(Boxes.empty());
        if (SaveAnswer.isEmpty()) {
            EXPECT_EQ(pages, 0);
            EXPECT_TRUE(PdfFiles().isEmpty()) << PdfFiles().join(' ').toStdString();
        } else {
            EXPECT_EQ(pages, 1);
            EXPECT_TRUE(PdfText(SaveAnswer).contains(QStringLiteral("Etiqueta")));
            QFile::remove(SaveAnswer);
        }
        // The name was for that print: the next one asks again.
        EXPECT_TRUE(Report->PrivatePrinter()->PdfFileName().isEmpty());
    }
}

} // namespace
