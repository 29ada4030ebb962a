// The designer's preview window on a real preview run of the grouped-list example: the page status
// as pages arrive, the paging keys, saving, exporting and loading the pages, printing from the
// window, and closing it to end the run.

#include "DesignerFixture.h"
#include "EngineWindowsInstalled.h"
#include "LabelDocument.h"
#include "PgProxy.h"
#include "PgServer.h"

#include "designer/document/ServerWaitBox.h"
#include "designer/mainform/MyZtPreview.h"
#include "engine/run/KVPrinter.h"
#include "engine/model/KVUnits.h"
#include "engine/model/VardoRep.h"
#include "engine/ui/KVPreview.h"
#include "engine/ui/KVProgressForm.h"
#include "platform/core/Strings.h"
#include "platform/data/DBError.h"
#include "platform/data/ServerWait.h"
#include "platform/printing/Printer.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <functional>
#include <memory>

namespace designertest {

using namespace tessiv;

namespace {

// Shows the designer's preview window, as the main form does, and lets the test act inside the
// run's preview loop once the pages are finished.
class TPreviewHost : public THost {
public:
    void ShowPreview(TAnexoRelatorio* document, TKVPrinter* printer) override
    {
        Window = TMyZtPreview::CreatePreview(nullptr, document, *printer);
        // Each status the window shows as the pages arrive.
        auto shown = Window->Preview()->OnPageAvailable;
        Window->Preview()->OnPageAvailable = [this, shown](TKVPreview* sender, int page) {
            if (shown)
                shown(sender, page);
            Statuses << Window->Status()->text();
        };
        Window->ShowPreview();
        Statuses << Window->Status()->text();
        Printer = printer;
        Poll();
    }
    void Poll()
    {
        QTimer::singleShot(10, [this] {
            if (!Window)
                return;
            if (Printer->Status() != kvpsFinished)
                return Poll();
            if (Act)
                Act(*Window);
            if (Window)
                Window->close();
        });
    }
    QPointer<TMyZtPreview> Window;
    TKVPrinter* Printer = nullptr;
    QStringList Statuses;
    std::function<void(TMyZtPreview&)> Act;
};

void Key(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(w, &press);
}

} // namespace

// The file dialogs answered from a list (name and filter index), their filters noted, and the
// preview window shown as the main form shows it.
class PreviewWindowTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        SetDialogPresenter([this](TCommonDialog& dialog) {
            auto& open = static_cast<TOpenDialog&>(dialog);
            Filters << open.Filter;
            if (Answers.empty())
                return false;
            const auto [name, index] = Answers.front();
            Answers.erase(Answers.begin());
            open.FileName = name;
            open.FilterIndex = index;
            return true;
        });
    }
    void TearDown() override
    {
        SetDialogPresenter(nullptr);
        DesignerTest::TearDown();
    }

    TPreviewHost PreviewHost;
    std::vector<std::pair<QString, int>> Answers;
    QStringList Filters;
};

// Over the grouped-list example.
class MyZtPreviewTest : public PreviewWindowTest {
protected:
    void SetUp() override
    {
        PreviewWindowTest::SetUp();
        FSavedCurrent = QDir::currentPath();
        // The example names its data relative to the repository's folder.
        QDir::setCurrent(QDir(QStringLiteral(TESSIV_TEST_DIR "/../..")).canonicalPath());
        Doc.reset(OpenReportDocument(&PreviewHost, QStringLiteral("examples/lista.KVR")));
        ASSERT_TRUE(Doc);
        // A short page, so that the list runs over several pages.
        Doc->Report()->Page()->SetPaperSize(TKVPaperSize::Custom);
        Doc->Report()->Page()->SetLength(70);
    }
    void TearDown() override
    {
        Doc.reset();
        QDir::setCurrent(FSavedCurrent);
        PreviewWindowTest::TearDown();
    }

    std::unique_ptr<TAnexoRelatorio> Doc;
    QString FSavedCurrent;
};

TEST_F(MyZtPreviewTest, TheStatusFollowsThePagesAsTheyArriveAndThePagingKeys)
{
    QStringList afterKeys;
    int pages = 0;
    PreviewHost.Act = [&](TMyZtPreview& w) {
        pages = w.Printer()->PageCount();
        const auto status = [&] { afterKeys << w.Status()->text(); };
        Key(&w, Qt::Key_PageDown, Qt::ShiftModifier | Qt::ControlModifier); // only the next page
        status();
        Key(&w, Qt::Key_PageDown, Qt::ControlModifier); // the last page
        status();
        Key(&w, Qt::Key_PageUp);
        status();
        Key(&w, Qt::Key_Home);
        status();
        Key(&w, Qt::Key_End);
        status();
    };
    Doc->Preview();
    ASSERT_GE(pages, 3);
    const QString of = QStringLiteral(" de %1").arg(pages);
    // Each status counts the pages shown so far: never fewer than before, never a page still being
    // recorded, and all of them at the end.
    int last = -1;
    for (const QString& status : PreviewHost.Statuses) {
        ASSERT_TRUE(status.startsWith(QStringLiteral("Página 1 de "))) << status.toStdString();
        const int count = status.mid(12).toInt();
        EXPECT_GE(count, last) << PreviewHost.Statuses.join(QLatin1Char(',')).toStdString();
        EXPECT_LE(count, pages);
        last = count;
    }
    EXPECT_EQ(last, pages);
    EXPECT_EQ(afterKeys, (QStringList{QStringLiteral("Página 2") + of, QStringLiteral("Página %1").arg(pages) + of,
                                      QStringLiteral("Página %1").arg(pages - 1) + of, QStringLiteral("Página 1") + of,
                                      QStringLiteral("Página %1").arg(pages) + of}));
    // Closing the window ended the run and gave the report back to the designer.
    EXPECT_FALSE(PreviewHost.Window);
    EXPECT_FALSE(Doc->Report()->Previewing());
    EXPECT_TRUE(Doc->Report()->Visible());
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(MyZtPreviewTest, SavedPagesLoadAgainFromPageOneAndTextIsExportedThroughTheLibrarysFilter)
{
    const QString vkr = Path(QStringLiteral("lista"));
    const QString txt = Path(QStringLiteral("lista-texto"));
    const QString missing = Path(QStringLiteral("nada.VKR"));
    int pages = 0;
    QString statusAfterLoad;
    PreviewHost.Act = [&](TMyZtPreview& w) {
        pages = w.Printer()->PageCount();
        // A name without extension takes the chosen format's.
        Answers = {{vkr, 1}, {txt, 2}, {missing, 1}, {vkr + QStringLiteral(".VKR"), 1}};
        w.SaveClick();
        w.SaveClick();
        w.LastPageClick();
        w.LoadClick();
        w.LoadClick();
        statusAfterLoad = w.Status()->text();
    };
    Doc->Preview();
    ASSERT_GE(pages, 3);
    EXPECT_TRUE(QFile::exists(vkr + QStringLiteral(".VKR")));
    ASSERT_EQ(Filters.size(), 4);
    EXPECT_EQ(Filters[0], QStringLiteral("Vizualização Kelvora Relatório (VKR)|*.VKR|Arquivo Texto(*.TXT)|*.TXT"));
    EXPECT_EQ(Filters[2], QStringLiteral("Vizualização Kelvora Relatório (VKR)|*.VKR"));
    const QByteArray text = ReadFile(txt + QStringLiteral(".TXT"));
    EXPECT_TRUE(text.contains("Lista de produtos por categoria")) << text.constData();
    EXPECT_TRUE(text.contains("Fim da lista")) << text.constData();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("O arquivo ") + missing + QStringLiteral(" não existe."));
    EXPECT_EQ(statusAfterLoad, QStringLiteral("Página 1 de %1").arg(pages));
}

TEST_F(MyZtPreviewTest, PrintingFromTheWindowPrintsTheDocumentAndLeavesThePagesShown)
{
    TPrinter* printer = Doc->Report()->PrivatePrinter();
    Doc->Report()->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
    const QString pdf = Path(QStringLiteral("impresso.pdf"));
    printer->SetPdfFileName(pdf);
    int pagesBefore = 0, pagesAfter = 0;
    QString statusAfter;
    PreviewHost.Act = [&](TMyZtPreview& w) {
        pagesBefore = w.Printer()->PageCount();
        w.NextPageClick();
        w.PrintClick();
        pagesAfter = w.Printer()->PageCount();
        statusAfter = w.Status()->text();
    };
    Doc->Preview();
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_GE(pagesBefore, 3);
    EXPECT_EQ(pagesAfter, pagesBefore);
    EXPECT_EQ(statusAfter, QStringLiteral("Página 2 de %1").arg(pagesBefore));
    EXPECT_TRUE(Doc->Report()->Visible());
}

TEST_F(MyZtPreviewTest, PageByPageTheStatusCountsEachAnnouncedPageAndSavedPagesSaveAgainTheSame)
{
    auto printer = std::make_unique<TKVPrinter>();
    printer->SetDestination(kvpdMetafile);
    printer->SetPaperSize(TKVPaperSize::A4);
    printer->SetTitle(QStringLiteral("Paginas"));
    QPointer<TMyZtPreview> window = TMyZtPreview::CreatePreview(nullptr, nullptr, *printer);
    window->ShowPreview();
    const auto settle = [] {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    };
    QStringList statuses;
    // Save, load and printer setup wait for the finished pages.
    const auto fileButtonsOn = [&] {
        const QStringList names{QStringLiteral("Save"), QStringLiteral("Load"), QStringLiteral("PrintSetup")};
        int on = 0;
        for (const QString& name : names)
            on += window->Button(name)->isEnabled() ? 1 : 0;
        return on;
    };
    printer->BeginDoc();
    for (int n = 1; n <= 3; ++n) {
        printer->NewPage();
        printer->Canvas()->TextOut(100, 100, QStringLiteral("Pagina %1").arg(n));
        settle();
        statuses << window->Status()->text();
        EXPECT_EQ(fileButtonsOn(), 0) << "page " << n;
        // Asked for anyway (a key, a click that was on its way), they do nothing yet.
        window->SaveClick();
        window->LoadClick();
        window->PrintSetupClick();
    }
    printer->EndDoc();
    settle();
    statuses << window->Status()->text();
    EXPECT_EQ(fileButtonsOn(), 3);
    EXPECT_TRUE(Filters.isEmpty()) << "a file dialog ran while the pages were recorded";
    // The page being recorded is never counted: a page counts once the next one begins.
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("Página 1 de 0"), QStringLiteral("Página 1 de 1"),
                                     QStringLiteral("Página 1 de 2"), QStringLiteral("Página 1 de 3")}));
    window->LastPageClick();
    EXPECT_EQ(window->Status()->text(), QStringLiteral("Página 3 de 3"));

    // F1 shows the window's own help topic.
    const QString help = Path(QStringLiteral("Tessiv.HLP"));
    WriteFile(help, "<html><body><a name=\"ctx-1720\"></a></body></html>");
    const QString savedHelp = HelpSystem().HelpFile();
    HelpSystem().SetHelpFile(help);
    QStringList topics;
    HelpSystem().Viewer = [&](const QString&, const QString& anchor) { topics << anchor; };
    Key(window, Qt::Key_F1);
    HelpSystem().Viewer = nullptr;
    HelpSystem().SetHelpFile(savedHelp);
    EXPECT_EQ(topics, QStringList{QStringLiteral("ctx-1720")});
    EXPECT_EQ(window->Status()->text(), QStringLiteral("Página 3 de 3"));

    // Saved, loaded and saved again: the same file.
    const QString first = Path(QStringLiteral("primeira.VKR"));
    const QString second = Path(QStringLiteral("segunda.VKR"));
    Answers = {{first, 1}, {first, 1}, {second, 1}};
    window->SaveClick();
    window->LoadClick();
    EXPECT_EQ(window->Status()->text(), QStringLiteral("Página 1 de 3"));
    window->SaveClick();
    ASSERT_TRUE(QFile::exists(second));
    EXPECT_EQ(ReadFile(second), ReadFile(first));
    delete window.data();
}

// ---- exports and failed runs of a label document ------------------------------------------------

namespace {

// The labels of an exported text file: the first word of each line, one line per label.
QString ExportedLabels(const QByteArray& text)
{
    QString labels;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        labels += line.trimmed().section(QLatin1Char(' '), 0, 0);
    return labels;
}

} // namespace

TEST_F(PreviewWindowTest, EveryExportHoldsTheLabelsThePreviewShowsWhateverRanBefore)
{
    struct TCase {
        const char* Name;
        QStringList Quantities; // empty: no table, Quantidade 3
        QStringList Steps;      // in the open preview: "print" or "export"
        QString Shown;
        bool Thermal = false;   // printed in rows; previewed and exported as an ordinary run
    };
    const std::vector<TCase> cases = {
        {"no table, Quantidade 3", {}, {"export"}, "QQQ"},
        {"quantities 2, 1, 3", {"2", "1", "3"}, {"export"}, "AABCCC"},
        {"after a print", {"2", "1", "3"}, {"print", "export"}, "AABCCC"},
        {"twice", {"2", "1", "3"}, {"export", "export"}, "AABCCC"},
        {"no table, after a print and twice", {}, {"print", "export", "export"}, "QQQ"},
        {"thermal, after a print", {"2", "1", "3"}, {"print", "export"}, "AABCCC", true},
    };
    int n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const bool table = !c.Quantities.isEmpty();
        if (table) {
            Session().DeleteAlias(QStringLiteral("ETIQ"));
            QFile::remove(Path(QStringLiteral("ETIQ.db")));
            MakeSqlite(QStringLiteral("ETIQ"), ItemsTable(c.Quantities));
        }
        TLabelDoc d(&PreviewHost, QStringLiteral("ETIQ"), table, table, Path(QStringLiteral("caso%1.pdf").arg(++n)));
        TVardoRep* report = d.Doc->Report();
        report->SetQuantidade(table ? 1 : 3);
        if (c.Thermal)
            report->SetOptions(report->Options() + TVardoReportOptions{kvoImpressoraTermica});
        // The quantity's own text stands right of the label's name.
        if (d.Quantity)
            d.Quantity->SetLeft(d.Recorder->Left() + d.Recorder->Width() + 40);
        const QString txt = Path(QStringLiteral("caso%1.TXT").arg(n));
        QString shown;
        QStringList exported;
        PreviewHost.Act = [&](TMyZtPreview& w) {
            shown = d.Runs.front().Labels;
            for (const QString& step : c.Steps) {
                if (step == QLatin1String("print")) {
                    w.PrintClick();
                    continue;
                }
                QFile::remove(txt);
                Answers = {{txt, 2}};
                w.SaveClick();
                exported << ExportedLabels(ReadFile(txt));
            }
        };
        d.Doc->Preview();
        EXPECT_EQ(shown.toStdString(), c.Shown.toStdString());
        ASSERT_EQ(exported.size(), c.Steps.count(QStringLiteral("export")));
        for (const QString& labels : exported)
            EXPECT_EQ(labels.toStdString(), shown.toStdString());
        EXPECT_TRUE(Boxes.empty()) << BoxTexts(Boxes).join(QLatin1Char('|')).toStdString();
    }
}

TEST_F(PreviewWindowTest, AnExportThatCannotProduceTextSaysSoAndWritesNoFile)
{
    MakeSqlite(QStringLiteral("ETIQ"), ItemsTable({"0", "NULL"}));
    TLabelDoc d(&PreviewHost, QStringLiteral("ETIQ"), true, true, Path(QStringLiteral("vazio.pdf")));
    const QString txt = Path(QStringLiteral("vazio.TXT"));
    WriteFile(txt, "anterior\n");
    PreviewHost.Act = [&](TMyZtPreview& w) {
        Answers = {{txt, 2}};
        // The error ends at the application's boundary, as a click's would.
        Application().Guard([&] { w.SaveClick(); });
    };
    d.Doc->Preview();
    EXPECT_EQ(ReadFile(txt), QByteArray("anterior\n"));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("no text"))) << Boxes[0].Text.toStdString();
}

TEST_F(PreviewWindowTest, AnExportCancelledAtTenPercentLeavesTheOlderFileAsItWasAndNothingBesideIt)
{
    // The engine's progress form, whose Cancel button the user presses.
    const engineuitest::TEngineWindows windows;
    TLabelDoc d(&PreviewHost, QString(), false, false, Path(QStringLiteral("cancelado.pdf")));
    TVardoRep* report = d.Doc->Report();
    // Enough labels that a tenth of them fills pages.
    report->SetQuantidade(1000);
    const QString txt = Path(QStringLiteral("etiquetas.TXT"));
    WriteFile(txt, "anterior\n");
    int cancelledAt = -1;
    d.OnLabel = [&] {
        if (!report->Exporting() || cancelledAt >= 0)
            return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* form = dynamic_cast<TKVProgressForm*>(w); form && form->Gauge()->value() >= 10) {
                cancelledAt = form->Gauge()->value();
                form->CancelButton()->click();
            }
    };
    const auto files = [this] {
        return QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    };
    QStringList before, after;
    PreviewHost.Act = [&](TMyZtPreview& w) {
        before = files();
        Answers = {{txt, 2}};
        w.SaveClick();
        after = files();
    };
    d.Doc->Preview();
    EXPECT_EQ(cancelledAt, 10);
    ASSERT_EQ(d.Runs.size(), 2u);
    EXPECT_LT(d.Runs[1].Labels.size(), 110);
    EXPECT_EQ(ReadFile(txt), QByteArray("anterior\n"));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(Boxes.empty()) << BoxTexts(Boxes).join(QLatin1Char('|')).toStdString();
}

namespace {

// The alias PGETIQ on the test server's database of more labels than the server hands over in one
// batch (a run needs the server again after its first thousand), reached through the socket folder
// given: the server's own or a proxy's. False with the reason when there is no server.
bool PgLabels(const QString& socketDir, QString& why)
{
    test::PgServer& pg = test::PgServer::Instance();
    if (!pg.Start(why))
        return false;
    pg.Exec(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE etiquetas")}, why);
    if (!pg.Exec(QStringLiteral("etiquetas"),
                 {QStringLiteral("DROP TABLE IF EXISTS \"ITENS\""),
                  QStringLiteral("CREATE TABLE \"ITENS\" (\"ID\" INTEGER, \"NOME\" VARCHAR(10))"),
                  QStringLiteral("INSERT INTO \"ITENS\" SELECT g, 'R' || g FROM generate_series(1, 2500) g")},
                 why)) {
        ADD_FAILURE() << why.toStdString();
        return false;
    }
    TStringList p;
    p.Add(QStringLiteral("SERVER NAME=") + socketDir);
    p.Add(QStringLiteral("PORT=%1").arg(pg.Port()));
    p.Add(QStringLiteral("DATABASE NAME=etiquetas"));
    p.Add(QStringLiteral("USER NAME=") + test::PgServer::SuperUser());
    Session().AddAlias(QStringLiteral("PGETIQ"), QStringLiteral("POSTGRESQL"), &p);
    return true;
}

// The same alias, reached through a proxy that can go silent.
bool PgLabelsBehindAProxy(std::unique_ptr<test::PgProxy>& proxy, QString& why)
{
    test::PgServer& pg = test::PgServer::Instance();
    if (!pg.Start(why))
        return false;
    proxy = std::make_unique<test::PgProxy>(pg.SocketDir(), pg.Port());
    if (!proxy->Start(why)) {
        ADD_FAILURE() << why.toStdString();
        return false;
    }
    return PgLabels(proxy->SocketDir(), why);
}

} // namespace

TEST_F(PreviewWindowTest, APreviewWhoseServerStopsMidRunShowsTheErrorAndRefusesSaveAndPrint)
{
    test::PgServer& pg = test::PgServer::Instance();
    QString why;
    if (!pg.Start(why) || !PgLabels(pg.SocketDir(), why))
        GTEST_SKIP() << why.toStdString();

    const QString pdf = Path(QStringLiteral("falha.pdf"));
    TLabelDoc d(&PreviewHost, QStringLiteral("PGETIQ"), true, false, pdf);
    // The server stops at the tenth label, and starts again whatever happens to the test.
    struct TServerBack {
        test::PgServer& Server;
        ~TServerBack()
        {
            QString ignored;
            Server.Resume(ignored);
        }
    } back{pg};
    bool halted = false;
    int labels = 0;
    d.OnLabel = [&] {
        if (++labels == 10)
            halted = pg.Halt(why);
    };
    QString status;
    QStringList boxesOnArrival, boxesAfter;
    PreviewHost.Act = [&](TMyZtPreview& w) {
        status = w.Status()->text();
        boxesOnArrival = BoxTexts(Boxes);
        Answers = {{Path(QStringLiteral("parcial")), 1}, {Path(QStringLiteral("parcial")), 2}};
        w.SaveClick();
        w.PrintClick();
        boxesAfter = BoxTexts(Boxes);
    };
    EXPECT_NO_THROW(d.Doc->Preview());
    ASSERT_TRUE(halted) << why.toStdString();

    // The error came while the window was open, and the status says the pages are incomplete.
    ASSERT_EQ(boxesOnArrival.size(), 1);
    const QRegularExpression incomplete(QStringLiteral("^Página 1 de (\\d+) \\(incompleta\\)$"));
    const QRegularExpressionMatch match = incomplete.match(status);
    ASSERT_TRUE(match.hasMatch()) << status.toStdString();
    EXPECT_GT(match.captured(1).toInt(), 1);
    // Save and Print are refused with a message: no dialog, no file, no run.
    const QString refusal = QStringLiteral("A visualização está incompleta: o relatório parou com um erro. Estas "
                                           "páginas não podem ser salvas, impressas nem exportadas.");
    EXPECT_EQ(boxesAfter, (QStringList{boxesOnArrival[0], refusal, refusal}));
    EXPECT_TRUE(Filters.isEmpty());
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("parcial.VKR"))));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(d.Runs.size(), 1u);
    // Shown once: the error is not raised again when the window closes.
    EXPECT_EQ(BoxTexts(Boxes), boxesAfter);
}

// A server that goes silent mid-run (a proxy that stops forwarding, nothing closed): the preview
// gets the limit's message while its window is open, instead of a program frozen for minutes.
TEST_F(PreviewWindowTest, APreviewWhoseServerGoesSilentEndsAtTheWaitLimitWithAMessage)
{
    std::unique_ptr<test::PgProxy> silent;
    QString why;
    if (!PgLabelsBehindAProxy(silent, why))
        GTEST_SKIP() << why.toStdString();
    test::PgProxy& proxy = *silent;
    const auto limit = ServerWaitLimit();
    SetServerWaitLimit(std::chrono::seconds(2));
    TLabelDoc d(&PreviewHost, QStringLiteral("PGETIQ"), true, false, Path(QStringLiteral("silencio.pdf")));
    // Silent once the first batch is printed: the second, asked for ahead, has arrived long
    // before, and the run waits for the third.
    int labels = 0;
    d.OnLabel = [&] {
        if (++labels == 1000)
            proxy.Stall(true);
    };
    QStringList boxesOnArrival;
    PreviewHost.Act = [&](TMyZtPreview&) { boxesOnArrival = BoxTexts(Boxes); };
    EXPECT_NO_THROW(d.Doc->Preview());
    SetServerWaitLimit(limit);
    EXPECT_EQ(boxesOnArrival.join(QLatin1Char('|')).toStdString(),
              "The database server did not answer within 2 seconds; the connection was closed.");
    EXPECT_EQ(labels, 2000);
    EXPECT_FALSE(d.Table->Active());
}

// While a print waits on a silent server the program goes on: the progress form's Cancel, pressed
// during the wait, ends it at once (the limit is far away), and nothing is printed.
TEST_F(PreviewWindowTest, APrintWaitingOnASilentServerEndsWithTheProgressFormsCancel)
{
    const engineuitest::TEngineWindows windows;
    std::unique_ptr<test::PgProxy> silent;
    QString why;
    if (!PgLabelsBehindAProxy(silent, why))
        GTEST_SKIP() << why.toStdString();
    test::PgProxy& proxy = *silent;
    const QString pdf = Path(QStringLiteral("cancelado.pdf"));
    TLabelDoc d(&PreviewHost, QStringLiteral("PGETIQ"), true, false, pdf);
    int labels = 0;
    bool pressed = false;
    d.OnLabel = [&] {
        // Silent once the first batch is printed; the second has arrived before, asked for ahead,
        // and the run waits for the third after the last label of the second.
        if (++labels == 1000)
            proxy.Stall(true);
        if (labels != 2000)
            return;
        // Heard only if the program takes its events while it waits.
        QTimer::singleShot(300, [&pressed] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* form = dynamic_cast<TKVProgressForm*>(w)) {
                    form->CancelButton()->click();
                    pressed = true;
                }
        });
    };
    const auto start = std::chrono::steady_clock::now();
    try {
        d.Doc->Print();
        ADD_FAILURE() << "the print went on";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("The wait for the database server was cancelled; the connection was closed"));
    }
    EXPECT_TRUE(pressed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, ServerWaitLimit() / 2);
    EXPECT_EQ(labels, 2000);
    EXPECT_FALSE(QFile::exists(pdf));
}

// Before its run a preview counts its labels on the server; a server silent then shows, after a
// moment, a box whose Cancelar ends the wait at once, and the preview ends with the message.
TEST_F(PreviewWindowTest, APreviewWaitingOnASilentServerBeforeItsRunShowsAWaitBoxWhoseCancelEndsIt)
{
    InstallServerWaitBox();
    std::unique_ptr<test::PgProxy> silent;
    QString why;
    if (!PgLabelsBehindAProxy(silent, why))
        GTEST_SKIP() << why.toStdString();
    test::PgProxy& proxy = *silent;
    TLabelDoc d(&PreviewHost, QStringLiteral("PGETIQ"), true, true, Path(QStringLiteral("espera.pdf")));
    d.Table->Open();
    proxy.Stall(true);
    bool shown = false;
    QTimer watch;
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("ServerWaitBox") && w->isVisible() && !shown) {
                shown = true;
                w->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
            }
    });
    watch.start();
    const auto start = std::chrono::steady_clock::now();
    Application().Guard([&] { d.Doc->Preview(); });
    watch.stop();
    EXPECT_TRUE(shown);
    EXPECT_LT(std::chrono::steady_clock::now() - start, ServerWaitLimit() / 2);
    EXPECT_EQ(BoxTexts(Boxes).join(QLatin1Char('|')).toStdString(),
              "The wait for the database server was cancelled; the connection was closed.");
    EXPECT_TRUE(d.Runs.empty());
}

} // namespace designertest
