// The standard preview window and the progress form: status line, paging keys, the gauge, save,
// export and load of the pages, and what a running report makes of them.

#include "EngineUiFixture.h"
#include "EngineWindowsInstalled.h"
#include "RunFixture.h"

#include "engine/export/KVAsciiExportFilter.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/export/KVExportFilterLibrary.h"
#include "engine/run/KVRunWindows.h"
#include "engine/ui/EngineWindows.h"
#include "engine/ui/KVPreview.h"
#include "engine/ui/KVProgressForm.h"
#include "engine/ui/KVStandardPreview.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

using namespace tessiv;
using namespace engineuitest;

namespace {

QByteArray ReadAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers the file dialogs for the user, noting what they were asked.
struct TDialogAnswers {
    struct TAnswer {
        bool Accept = true;
        QString FileName;
        int FilterIndex = 1;
    };
    std::vector<TAnswer> Answers;
    QStringList Filters;
    TDialogAnswers()
    {
        SetDialogPresenter([this](TCommonDialog& dialog) {
            auto& open = static_cast<TOpenDialog&>(dialog);
            Filters << open.Filter;
            if (Answers.empty())
                return false;
            const TAnswer a = Answers.front();
            Answers.erase(Answers.begin());
            open.FileName = a.FileName;
            open.FilterIndex = a.FilterIndex;
            return a.Accept;
        });
    }
    ~TDialogAnswers() { SetDialogPresenter(nullptr); }
};

struct TMessages {
    QStringList Texts;
    TMessages()
    {
        Application().Presenter = [this](const TMessageBoxRequest& r) {
            Texts << r.Text;
            return IDOK;
        };
    }
    ~TMessages() { Application().Presenter = nullptr; }
};

// A standard preview freed at the end of the test unless it closed itself.
struct TPreviewWindow {
    QPointer<TKVStandardPreview> Window;
    explicit TPreviewWindow(TKVPrinter& printer) : Window(TKVStandardPreview::CreatePreview(nullptr, printer)) {}
    ~TPreviewWindow() { delete Window.data(); }
    TKVStandardPreview* operator->() const { return Window.data(); }
};

void SendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

TEST(StandardPreview, TheStatusLineCountsThePagesAndThePagingKeysStopAtBothEnds)
{
    const auto printer = MakePrinter();
    RecordPages(*printer, 3);
    TPreviewWindow window(*printer);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Relatorio de teste"));
    EXPECT_EQ(window->Status()->text(), QStringLiteral("Working..."));
    window->UpdateStatus();
    EXPECT_EQ(window->Status()->text(), QStringLiteral("Página 1 de 3"));
    EXPECT_TRUE(window->Button(QStringLiteral("ZoomToWidth"))->isChecked());

    // Keys reach the window whichever part has the focus.
    QWidget* focus = window->Preview()->viewport();
    const struct {
        int Key;
        Qt::KeyboardModifiers Modifiers;
        int Page;
    } steps[] = {
        {Qt::Key_PageUp, Qt::NoModifier, 1},          // already on the first page
        {Qt::Key_PageDown, Qt::NoModifier, 2},
        {Qt::Key_PageDown, Qt::NoModifier, 3},
        {Qt::Key_PageDown, Qt::NoModifier, 3},        // already on the last page
        {Qt::Key_PageUp, Qt::ControlModifier, 1},
        {Qt::Key_PageDown, Qt::ControlModifier, 3},
        {Qt::Key_Home, Qt::NoModifier, 1},
        {Qt::Key_End, Qt::NoModifier, 3},
        {Qt::Key_Home, Qt::ControlModifier, 3},       // Ctrl only where said
        {Qt::Key_PageUp, Qt::ShiftModifier, 3},
        {Qt::Key_PageUp, Qt::NoModifier, 2},
    };
    for (const auto& s : steps) {
        SendKey(focus, s.Key, s.Modifiers);
        EXPECT_EQ(window->Preview()->PageNumber(), s.Page) << s.Key << " " << s.Modifiers.toInt();
    }
    EXPECT_EQ(window->Status()->text(), QStringLiteral("Página 2 de 3"));
    window->Button(QStringLiteral("LastPage"))->click();
    EXPECT_EQ(window->Status()->text(), QStringLiteral("Página 3 de 3"));
    window->Button(QStringLiteral("FirstPage"))->click();
    window->Button(QStringLiteral("PrevPage"))->click();
    EXPECT_EQ(window->Preview()->PageNumber(), 1);
}

TEST(StandardPreview, WhileARunRecordsSaveAndLoadAreOffAndTheGaugeShowsProgress)
{
    const auto printer = MakePrinter();
    TPreviewWindow window(*printer);
    RecordPages(*printer, 2, true);
    printer->SetProgress(40);
    ASSERT_TRUE(PumpUntil([&] { return window->Gauge()->value() == 40; }));
    EXPECT_FALSE(window->Gauge()->isHidden());
    EXPECT_FALSE(window->Button(QStringLiteral("Save"))->isEnabled());
    EXPECT_FALSE(window->Button(QStringLiteral("Load"))->isEnabled());
    // A click that comes anyway asks nothing and changes nothing.
    TDialogAnswers dialogs;
    window->SaveClick();
    window->LoadClick();
    EXPECT_TRUE(dialogs.Filters.isEmpty());

    printer->EndDoc();
    printer->SetProgress(100);
    ASSERT_TRUE(PumpUntil([&] { return window->Gauge()->value() == 100; }));
    EXPECT_TRUE(window->Gauge()->isHidden());
    EXPECT_TRUE(window->Button(QStringLiteral("Save"))->isEnabled());
    EXPECT_TRUE(window->Button(QStringLiteral("Load"))->isEnabled());
    EXPECT_EQ(window->Status()->text(), QStringLiteral("Página 1 de 2"));
}

TEST(StandardPreview, ASavedPreviewLoadedAndSavedAgainIsTheSameFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto printer = MakePrinter();
    RecordPages(*printer, 3);
    TPreviewWindow window(*printer);
    TDialogAnswers dialogs;
    TMessages messages;
    // A name typed without extension is a saved preview: .VKR, never the report's .KVR.
    dialogs.Answers.push_back({true, dir.filePath(QStringLiteral("previa")), 1});
    window->SaveClick();
    const QString first = dir.filePath(QStringLiteral("previa.VKR"));
    ASSERT_TRUE(QFile::exists(first));
    EXPECT_EQ(dialogs.Filters.value(0), QStringLiteral("Arquivo Lavenq(*.VKR)|*.VKR"));

    // Load it into another printer object's window and save it again.
    const auto other = MakePrinter();
    TPreviewWindow second(*other);
    dialogs.Answers.push_back({true, first, 1});
    second->LoadClick();
    EXPECT_EQ(dialogs.Filters.value(1), QStringLiteral("Arquivo Lavenq(*.VKR)|*.VKR"));
    EXPECT_EQ(other->PageCount(), 3);
    EXPECT_TRUE(second->Preview()->Image()->PageShown());
    EXPECT_EQ(second->Status()->text(), QStringLiteral("Página 1 de 3"));
    const QString again = dir.filePath(QStringLiteral("de-novo.VKR"));
    dialogs.Answers.push_back({true, again, 1});
    second->SaveClick();
    EXPECT_EQ(ReadAll(again), ReadAll(first));
    EXPECT_FALSE(ReadAll(again).isEmpty());

    // A file that is not there is said so and changes nothing.
    dialogs.Answers.push_back({true, dir.filePath(QStringLiteral("nada.VKR")), 1});
    second->LoadClick();
    EXPECT_EQ(messages.Texts, QStringList{QStringLiteral("Arquivo não existe")});
    EXPECT_EQ(other->PageCount(), 3);
    // A cancelled dialog does nothing either.
    second->SaveClick();
    second->LoadClick();
    EXPECT_EQ(other->PageCount(), 3);
}

TEST(StandardPreview, FilterTwoAndOnExportsThroughTheLibrarysFilter)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto printer = MakePrinter();
    RecordPages(*printer, 1);
    QString exportedTo;
    bool wasText = false;
    printer->OnExportToFilter = [&](TKVExportFilter* filter) {
        exportedTo = filter->FileName();
        wasText = dynamic_cast<TKVAsciiExportFilter*>(filter) != nullptr;
    };
    TPreviewWindow window(*printer);
    TDialogAnswers dialogs;
    dialogs.Answers.push_back({true, dir.filePath(QStringLiteral("texto")), 2});
    window->SaveClick();
    EXPECT_EQ(dialogs.Filters.value(0), ExportFilterLibrary().GetSaveDialogFilter());
    EXPECT_EQ(dialogs.Filters.value(0), QStringLiteral("Arquivo Lavenq(*.VKR)|*.VKR|Text file (*.TXT)|*.TXT"));
    // The text file takes the text filter's extension.
    EXPECT_EQ(exportedTo, dir.filePath(QStringLiteral("texto.TXT")));
    EXPECT_TRUE(wasText);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("texto.VKR"))));
}

TEST(StandardPreview, ClosingTheWindowEndsThePreview)
{
    const auto printer = MakePrinter();
    RecordPages(*printer, 1);
    int afterPreview = 0;
    printer->AfterPreview = [&](TObject*) { ++afterPreview; };
    QPointer<TKVStandardPreview> window = TKVStandardPreview::CreatePreview(nullptr, *printer);
    EXPECT_TRUE(printer->ShowingPreview());
    window->show();
    window->ExitButton()->click();
    ASSERT_TRUE(PumpUntil([&] { return window.isNull(); }));
    EXPECT_FALSE(printer->ShowingPreview());
    EXPECT_EQ(afterPreview, 1);
}

// ---- the progress form ----------------------------------------------------------------------------

TEST(ProgressForm, OnlyWholeStepsOfFiveMoveItAndCancelReachesThePrinterObject)
{
    const auto printer = MakePrinter();
    TKVProgressForm form;
    form.SetPrinter(printer.get());
    EXPECT_EQ(printer->Client(), form.Client());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Printing progress"));
    EXPECT_EQ(form.size(), QSize(147, 84));

    printer->SetProgress(43);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Gauge()->value(), 0);
    EXPECT_TRUE(form.Info()->text().isEmpty());

    printer->SetProgress(45);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Gauge()->value(), 45);
    // Two blanks between the percent sign and the word.
    EXPECT_EQ(form.Info()->text(), QStringLiteral("45%  Completado"));

    EXPECT_FALSE(printer->Cancelled());
    form.CancelButton()->click();
    EXPECT_TRUE(printer->Cancelled());
    form.SetPrinter(nullptr);
    EXPECT_EQ(printer->Client(), nullptr);
}

// ---- a report with the engine's windows installed -------------------------------------------------

// Acts in the standard preview once its run has ended, then closes it, which lets the report go on.
// Made before the report's Preview, kept until it returns.
struct TWhenTheRunHasEnded {
    std::function<void(TKVStandardPreview&)> Act;
    explicit TWhenTheRunHasEnded(std::function<void(TKVStandardPreview&)> act) : Act(std::move(act))
    {
        QTimer::singleShot(0, [this] { Look(); });
    }
    void Look()
    {
        TKVStandardPreview* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = dynamic_cast<TKVStandardPreview*>(w))
                window = p;
        if (!window || window->Printer()->Status() != kvpsFinished) {
            QTimer::singleShot(10, [this] { Look(); });
            return;
        }
        QCoreApplication::processEvents();
        Act(*window);
        window->close();
    }
};

TEST(EngineWindows, AReportsPreviewOpensTheStandardPreviewOnItsPages)
{
    TEngineWindows installed;
    enginetest::TRunDoc doc;
    doc.Band(QStringLiteral("D"), rbDetail, 2000);
    doc.Report->SetQuantidade(3);
    doc.Report->SetReportTitle(QStringLiteral("Tres paginas"));
    // The detail writes its text when the report exports: column 17 at 10 points.
    doc.Report->Font()->SetSize(10);
    TVardoRep* report = doc.Report;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<enginetest::TProbe*>(doc.Form->Components(i)))
            probe->OnPrinted = [report] {
                if (report->Exporting())
                    report->ExportFilter()->TextOut(353, 0, *report->Font(), clWhite, taLeftJustify,
                                                    QStringLiteral("Detalhe %1").arg(report->PageCount()));
            };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TDialogAnswers dialogs;
    dialogs.Answers.push_back({true, dir.filePath(QStringLiteral("paginas")), 2});
    QString status;
    QString title;
    int pages = 0;
    bool saveEnabled = false;
    int pagesAfterExport = 0;
    const TWhenTheRunHasEnded look([&](TKVStandardPreview& window) {
        status = window.Status()->text();
        title = window.windowTitle();
        pages = window.Printer()->PageCount();
        saveEnabled = window.Button(QStringLiteral("Save"))->isEnabled();
        // Exporting from the open preview runs the report again into the text file.
        window.SaveClick();
        pagesAfterExport = window.Printer()->PageCount();
    });
    doc.Report->Preview();
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(status, QStringLiteral("Página 1 de 3"));
    EXPECT_EQ(title, QStringLiteral("Tres paginas"));
    EXPECT_TRUE(saveEnabled);
    EXPECT_EQ(pagesAfterExport, 3);
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("paginas.TXT"))),
              QByteArray("                Detalhe 1\n                Detalhe 2\n                Detalhe 3\n"));
    EXPECT_EQ(doc.Report->RunPrinter(), nullptr);
}

TEST(EngineWindows, SqlForAnAreaWithoutTheReportsDataSetIsRefusedInAMessageBox)
{
    TEngineWindows installed;
    enginetest::TRunDoc doc;
    auto* area = new TKVItensObs(doc.Form.get());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(doc.Report);
    std::vector<TMessageBoxRequest> shown;
    Application().Presenter = [&shown](const TMessageBoxRequest& r) {
        shown.push_back(r);
        return IDOK;
    };
    TStringList sql;
    sql.SetText(QStringLiteral("SELECT 1"));
    area->SetObs_SQL(&sql);
    Application().Presenter = nullptr;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, QStringLiteral("Informe o DataSet do TVardoRep."));
    EXPECT_EQ(shown[0].Type, mtWarning);
    EXPECT_EQ(shown[0].Buttons, std::vector<int>{IDOK});
    EXPECT_EQ(area->Obs_SQL()->Text(), QString());
}

TEST(EngineWindows, AnExportShowsTheProgressFormAsTheReportAsks)
{
    TEngineWindows installed;
    enginetest::TRunDoc doc;
    doc.Band(QStringLiteral("D"), rbDetail, 2000);
    doc.Report->SetQuantidade(4);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<bool> visible;
    TVardoRep* report = doc.Report;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<enginetest::TProbe*>(doc.Form->Components(i)))
            probe->OnPrinted = [&, report] {
                // A text, so that the export has something to write.
                report->ExportFilter()->TextOut(0, 0, *report->Font(), clWhite, taLeftJustify, QStringLiteral("D"));
                bool shown = false;
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (dynamic_cast<TKVProgressForm*>(w))
                        shown = shown || w->isVisible();
                visible.push_back(shown);
            };
    TKVAsciiExportFilter filter(dir.filePath(QStringLiteral("x.txt")));
    doc.Report->SetShowProgress(true);
    doc.Report->ExportToFilter(&filter);
    ASSERT_EQ(visible.size(), 4u);
    EXPECT_TRUE(visible.front());
    visible.clear();
    doc.Report->SetShowProgress(false);
    doc.Report->ExportToFilter(&filter);
    EXPECT_EQ(visible, std::vector<bool>(4, false));
    // The form goes with the run.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(dynamic_cast<TKVProgressForm*>(w), nullptr);
}

TEST(EngineWindows, ARunThatFailsShowsItsErrorInTheOpenPreviewWhichRefusesItsPages)
{
    TEngineWindows installed;
    enginetest::TRunDoc doc;
    doc.Band(QStringLiteral("D"), rbDetail, 2000);
    doc.Report->SetQuantidade(5);
    int prints = 0;
    for (int i = 0; i < doc.Form->ComponentCount(); ++i)
        if (auto* probe = dynamic_cast<enginetest::TProbe*>(doc.Form->Components(i)))
            probe->OnPrinted = [&] {
                if (++prints == 3)
                    throw Exception(QStringLiteral("The data went away"));
            };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TDialogAnswers dialogs;
    dialogs.Answers.push_back({true, dir.filePath(QStringLiteral("parcial")), 1});
    TMessages messages;
    QString status;
    QStringList onArrival;
    const TWhenTheRunHasEnded look([&](TKVStandardPreview& window) {
        status = window.Status()->text();
        onArrival = messages.Texts;
        window.SaveClick();
        window.PrintClick();
    });
    // Shown in the window, the error is not raised again when it closes.
    EXPECT_NO_THROW(doc.Report->Preview());
    EXPECT_EQ(status, QStringLiteral("Página 1 de 3 (incompleta)"));
    EXPECT_EQ(onArrival, QStringList{QStringLiteral("The data went away.")});
    const QString refusal = QStringLiteral("A visualização está incompleta: o relatório parou com um erro. Estas "
                                           "páginas não podem ser salvas, impressas nem exportadas.");
    EXPECT_EQ(messages.Texts, (QStringList{onArrival.value(0), refusal, refusal}));
    EXPECT_TRUE(dialogs.Filters.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("parcial.KVR"))));
    EXPECT_TRUE(doc.Report->Available());
}

} // namespace
