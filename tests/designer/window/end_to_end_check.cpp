// The whole job on a real X server, through the program's own commands only: a new document, a
// label and a barcode put on the band by their insert commands and real clicks, the preview window
// showing its one page, a print on the PDF printer, a save, the window closed and the file opened
// again and saved once more. The PDF is read back (pdftotext, and the barcode through pdftoppm and
// zbarimg), the file saved after reopening is the file saved before, byte for byte, and screenshots
// of the main window and of the preview stay in the build folder for a person to look at.
#include "WindowCheck.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "designer/mainform/MyZtPreview.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVLabel.h"
#include "engine/run/KVPrinter.h"
#include "engine/run/KVRunWindows.h"
#include "engine/model/VardoRep.h"
#include "platform/printing/Printer.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"
#include "platform/ui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;
using namespace windowcheck;

namespace {

QByteArray ReadAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return QStringLiteral("(%1 failed: %2)").arg(program, QString::fromUtf8(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { App = StartApplication(); }
    static void TearDownTestSuite() { App.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        qputenv("HOME", Dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("config")).toUtf8());
        for (const char* tool : {"pdftotext", "pdftoppm", "zbarimg"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed";
        // Every question the program asks is noted and answered Yes (overwrite a saved file).
        Application().Presenter = [this](const TMessageBoxRequest& r) {
            Questions << r.Text;
            return IDYES;
        };
        // The file dialogs take the name the test gives them.
        SetDialogPresenter([this](TCommonDialog& d) {
            if (NextFile.isEmpty())
                return false;
            if (auto* open = dynamic_cast<TOpenDialog*>(&d))
                open->FileName = NextFile;
            NextFile.clear();
            return true;
        });
    }
    void TearDown() override
    {
        SetPrintDialogProc(nullptr);
        SetDialogPresenter(nullptr);
        Application().Presenter = nullptr;
    }

    // A command of the program by its name; it must exist and be enabled.
    static void Trigger(TfmAnexo& form, const char* name)
    {
        ASSERT_TRUE(RunCommand(form, name)) << name << " is missing or disabled";
    }
    // A real click through the window system on a point of the band.
    static void ClickBand(TfmAnexo_MDIChild& child, TKVCustomBand* band, int x, int y)
    {
        const TPoint p = band->ClientToScreen({x, y}); // on the surface
        QWidget* surface = child.Host()->Surface();
        QTest::mouseMove(surface, QPoint(p.X, p.Y));
        QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(p.X, p.Y));
        Settle(300);
    }
    // The preview window, whichever window owns it (it has no meta-object of its own to look it up by).
    static TMyZtPreview* FindPreview()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* preview = dynamic_cast<TMyZtPreview*>(w))
                return preview;
        return nullptr;
    }
    static QString Shot(QWidget* window, const char* name)
    {
        const QString file = QStringLiteral(TESSIV_SHOT_DIR "/") + QLatin1String(name) + QStringLiteral(".png");
        window->grab().save(file);
        return file;
    }

    static std::unique_ptr<TQtApplication> App;
    QTemporaryDir Dir;
    QString NextFile;
    QStringList Questions;
};

std::unique_ptr<TQtApplication> EndToEnd::App;

TEST_F(EndToEnd, NewInsertPreviewPrintSaveCloseAndReopen)
{
    const QString saved = Dir.filePath(QStringLiteral("etiqueta.KVR"));
    const QString pdf = Dir.filePath(QStringLiteral("etiqueta.pdf"));
    auto form = ShowMainForm({});
    Settle(600);

    // A new document with a label and a barcode, each put where the user clicks.
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "ArquivoNovo"));
    TfmAnexo_MDIChild* child = SizedDocumentWindow(*form, 760, 520);
    ASSERT_TRUE(child && !child->Report->BandList().empty());
    TVardoRep* report = child->Report;
    TKVCustomBand* band = report->BandList().front();
    Settle(400);
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "InserirLegenda"));
    ClickBand(*child, band, 12, 8);
    auto* label = dynamic_cast<TKVLabel*>(form->Designer->Selected());
    ASSERT_NE(label, nullptr) << "the click put no label on the band";
    // The document goes with its window: what the PDF is checked against is kept now.
    const QString caption = label->Caption();
    ASSERT_FALSE(caption.isEmpty());
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "InserirCodigoBarras"));
    // Beside the label: a new document's band is not much taller than the label.
    ClickBand(*child, band, label->Left() + label->Width() + 24, 8);
    auto* barcode = dynamic_cast<TKVBarcode*>(form->Designer->Selected());
    Shot(form->Window(), "end_to_end_designer");
    ASSERT_NE(barcode, nullptr) << "the click put no barcode on the band (band " << band->Width() << " x "
                                << band->Height() << ", label " << label->Left() << " " << label->Top() << " "
                                << label->Width() << " x " << label->Height() << ")";
    EXPECT_EQ(barcode->Parent(), band);
    EXPECT_TRUE(form->IsModified());

    // The preview: one page, closed by its own button.
    QString status;
    QString previewShot;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TMyZtPreview* preview = FindPreview();
        if (!preview || !preview->isVisible() || report->Previewing())
            return;
        poll.stop();
        Settle(500);
        status = preview->Status()->text();
        previewShot = Shot(preview, "end_to_end_preview");
        QTest::mouseClick(preview->ExitButton(), Qt::LeftButton);
    });
    poll.start();
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "ArquivoVisualizar"));
    poll.stop();
    EXPECT_EQ(status, QStringLiteral("Página 1 de 1"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FindPreview(), nullptr) << "the preview window stayed";
    EXPECT_TRUE(report->Visible());

    // The PDF printer chosen in the printer setup command's dialog, then the print.
    int setups = 0;
    SetPrintDialogProc([&](TPrinter& printer, TKVPrintDialogValues&) {
        ++setups;
        printer.SetPrinterIndex(printer.Printers()->IndexOf(TPrinter::PdfPrinterName));
        printer.SetPdfFileName(pdf);
        return true;
    });
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "ConfigurarImpressora"));
    EXPECT_EQ(setups, 1);
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "ArquivoImprimir"));
    ASSERT_TRUE(QFile::exists(pdf));

    // Saved under a name the dialog gives, then the window closed.
    NextFile = saved;
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "ArquivoSalvarComo"));
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_FALSE(form->IsModified());
    const QByteArray first = ReadAll(saved);
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "JenelaFechar"));
    Settle(400);
    EXPECT_TRUE(form->MDIChildren().empty());
    EXPECT_EQ(form->Document, nullptr);

    // Opened again and saved over itself: the same bytes.
    NextFile = saved;
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "ArquivoAbrir"));
    ASSERT_EQ(form->MDIChildren().size(), 1u);
    ASSERT_NE(form->Document, nullptr);
    EXPECT_EQ(form->Document->FileName(), saved);
    Shot(form->Window(), "end_to_end_reopened");
    NextFile = saved;
    ASSERT_NO_FATAL_FAILURE(Trigger(*form, "ArquivoSalvarComo"));
    EXPECT_EQ(ReadAll(saved), first);

    // The PDF: the label's text and the barcode's symbol.
    const QString text = RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(caption)) << caption.toStdString() << " in " << text.toStdString();
    const QString png = Dir.filePath(QStringLiteral("pagina"));
    RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("400"), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), pdf, png});
    const QString symbols = RunTool(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), png + QStringLiteral(".png")});
    // A new barcode is an EAN-8 of "1234": filled with '0' to seven digits, then its check digit.
    EXPECT_EQ(symbols.trimmed(), QStringLiteral("EAN-8:00012348")) << symbols.toStdString();
    QFile::copy(png + QStringLiteral(".png"), QStringLiteral(TESSIV_SHOT_DIR "/end_to_end_printed.png"));

    form->AskOnClose = false;
    form.reset();
}

} // namespace
