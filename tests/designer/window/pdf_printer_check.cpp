// The printer "PDF" through the real windows on an X server, on a machine with no CUPS queue:
// Configurar > Impressora puts the print dialog on the screen with "PDF" as its printer and the
// document's name offered as its file; the user types another file with real keys and clicks OK;
// Ctrl+I pressed on the main window then writes that file, read back with pdftotext. A
// screenshot of the dialog stays in the build folder for a person to look at.
#include "WindowCheck.h"

#include "designer/mainform/AnexoForm.h"
#include "designer/surface/AnexoChild.h"
#include "designer/surface/KVDesigner.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "engine/printables/KVLabel.h"
#include "engine/ui/EngineWindows.h"
#include "engine/ui/KVPrintDialogForm.h"
#include "platform/printing/Printer.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tessiv;
using namespace windowcheck;

namespace {

TEST(PdfPrinterWindow, ChosenInTheSetupAndPrintedWithCtrlI)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("HOME", dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", dir.filePath(QStringLiteral("Documents")).toUtf8());
    // No CUPS queue can be reached.
    qputenv("CUPS_SERVER", "localhost:1");
    const auto app = StartApplication();
    InstallEngineWindows();
    QStringList boxes;
    Application().Presenter = [&](const TMessageBoxRequest& r) {
        boxes << r.Text;
        return IDOK;
    };

    auto form = ShowMainForm({});
    Settle(600);
    form->Window()->findChild<QAction*>(QStringLiteral("ArquivoNovo"))->trigger();
    Settle(400);
    TfmAnexo_MDIChild* child = SizedDocumentWindow(*form, 760, 520);
    ASSERT_TRUE(child && !child->Report->BandList().empty());
    TKVCustomBand* band = child->Report->BandList().front();
    form->InserirLegenda->trigger();
    const TPoint at = band->ClientToScreen({12, 8});
    QTest::mouseClick(child->Host()->Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(at.X, at.Y));
    Settle(300);
    auto* label = dynamic_cast<TKVLabel*>(form->Designer->Selected());
    ASSERT_NE(label, nullptr) << "the click put no label on the band";
    label->SetCaption(QStringLiteral("Impresso"));
    const QFileInfo document(form->Document->FileName());
    const QString offer = document.absolutePath() + QStringLiteral("/") + document.completeBaseName() + QStringLiteral(".pdf");
    const QString pdf = dir.filePath(QStringLiteral("digitado.pdf"));

    // The dialog on the screen: what it lists and offers, then the file typed and OK clicked.
    QStringList listed;
    QString shownFile;
    bool fileEnabled = false;
    bool seen = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != QStringLiteral("KVPrintDialog") || !dialog->isVisible())
            return;
        poll.stop();
        seen = true;
        Settle(300);
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("cbImpressora"));
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("edArquivo"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (!printers || !file || !buttons) {
            dialog->reject();
            return;
        }
        for (int i = 0; i < printers->count(); ++i)
            listed << printers->itemText(i);
        shownFile = file->text();
        fileEnabled = file->isEnabled();
        dialog->grab().save(QStringLiteral(TESSIV_SHOT_DIR "/pdf_printer_dialog.png"));
        QTest::mouseClick(file, Qt::LeftButton);
        QTest::keyClick(file, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(file, pdf);
        Settle(200);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    poll.start();
    form->Window()->findChild<QAction*>(QStringLiteral("ConfigurarImpressora"))->trigger();
    poll.stop();
    Settle(300);
    ASSERT_TRUE(seen) << "the print dialog did not come up";
    EXPECT_EQ(listed, QStringList{TPrinter::PdfPrinterName});
    EXPECT_EQ(shownFile, offer);
    EXPECT_TRUE(fileEnabled);
    EXPECT_EQ(child->Report->PrivatePrinter()->PdfFileName(), pdf);

    // Ctrl+I on the main window.
    form->Window()->activateWindow();
    Settle(300);
    QTest::keyClick(form->Window(), Qt::Key_I, Qt::ControlModifier);
    Settle(600);
    ASSERT_TRUE(QFileInfo::exists(pdf)) << "Ctrl+I wrote no file";
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("Impresso"))) << printed.toStdString();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(QLatin1Char('\n')).toStdString();

    form->AskOnClose = false;
    form.reset();
    Application().Presenter = nullptr;
}

} // namespace
