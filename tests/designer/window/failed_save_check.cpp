// Saving when closing, on a real X server, with real keys and the program's own message boxes
// answered by real clicks: a new document saved with Ctrl+S in an account that has no documents
// folder yet; and a changed document whose folder was removed: quitting (Ctrl+R) or closing its
// window (Ctrl+F4) and answering "Sim" shows why the save failed, and the program, the window, its
// report and the change all stay, until a Salvar Como to a folder that exists saves them.
#include "WindowCheck.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"
#include "platform/ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;
using namespace windowcheck;

namespace {

// Answers the program's message boxes as a user does: "Sim" where it is offered, else OK; and
// notes what each said.
class TBoxAnswerer {
public:
    TBoxAnswerer()
    {
        FTimer.setInterval(50);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Answer(); });
        FTimer.start();
    }
    QStringList Texts;

private:
    void Answer()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == FAnswered || !box->isVisible())
            return;
        FAnswered = box;
        Texts << box->text();
        QAbstractButton* yes = nullptr;
        QAbstractButton* ok = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == QLatin1String("&Sim"))
                yes = b;
            if (b->text() == QLatin1String("OK"))
                ok = b;
        }
        if (QAbstractButton* b = yes ? yes : ok)
            QTest::mouseClick(b, Qt::LeftButton);
    }
    QTimer FTimer;
    QPointer<QMessageBox> FAnswered;
};

class FailedSave : public ::testing::Test {
protected:
    static void SetUpTestSuite() { App = StartApplication(); }
    static void TearDownTestSuite() { App.reset(); }

    // An account of its own: home and settings in the scratch folder, nothing else there.
    void UseAccount(const QString& name)
    {
        Home = Dir.filePath(name);
        ASSERT_TRUE(QDir().mkpath(Home + QStringLiteral("/.config")));
        qputenv("HOME", Home.toUtf8());
        qputenv("XDG_CONFIG_HOME", (Home + QStringLiteral("/.config")).toUtf8());
    }
    void TearDown() override { SetDialogPresenter(nullptr); }

    // A real key pressed where the user types: on the design surface of the active window.
    static void Press(TfmAnexo& form, Qt::Key key)
    {
        form.Window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.Window()));
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.Window();
        QTest::keyClick(target, key, Qt::ControlModifier);
        Settle(400);
    }
    // A label put on the first band with the insert command and a real click: a change.
    static TKVLabel* InsertLabel(TfmAnexo& form, TfmAnexo_MDIChild& child)
    {
        TKVCustomBand* band = child.Report->BandList().front();
        if (!RunCommand(form, "InserirLegenda"))
            return nullptr;
        const TPoint p = band->ClientToScreen({12, 8});
        QWidget* surface = child.Host()->Surface();
        QTest::mouseMove(surface, QPoint(p.X, p.Y));
        QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(p.X, p.Y));
        Settle(300);
        return dynamic_cast<TKVLabel*>(form.Designer->Selected());
    }
    // The dark pixels the window's design surface shows: none when the report is not in it.
    static int SurfaceInk(TfmAnexo_MDIChild& child, const char* shot)
    {
        const QImage image = child.Host()->Surface()->grab().toImage();
        image.save(QStringLiteral(TESSIV_SHOT_DIR "/") + QLatin1String(shot) + QStringLiteral(".png"));
        return child.SubWindow()->isVisible() && child.Window()->isVisible() ? Ink(image) : 0;
    }

    static std::unique_ptr<TQtApplication> App;
    QTemporaryDir Dir;
    QString Home;
};

std::unique_ptr<TQtApplication> FailedSave::App;

TEST_F(FailedSave, ANewDocumentSavesWithCtrlSInAnAccountWithoutADocumentsFolder)
{
    ASSERT_NO_FATAL_FAILURE(UseAccount(QStringLiteral("nova")));
    ASSERT_FALSE(QFileInfo::exists(Home + QStringLiteral("/Documents")));
    TBoxAnswerer boxes;
    auto form = ShowMainForm({});
    form->FormPaint();
    Settle(600);
    ASSERT_NO_FATAL_FAILURE(Press(*form, Qt::Key_N));
    TfmAnexo_MDIChild* child = SizedDocumentWindow(*form, 760, 520);
    ASSERT_NE(child, nullptr) << "Ctrl+N opened no document";
    ASSERT_NE(InsertLabel(*form, *child), nullptr);
    ASSERT_TRUE(form->IsModified());

    ASSERT_NO_FATAL_FAILURE(Press(*form, Qt::Key_S));
    const QString saved = Home + QStringLiteral("/Documents/Tessiv1.KVR");
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join(u'|').toStdString();
    EXPECT_TRUE(QFileInfo(saved).isFile());
    EXPECT_FALSE(form->IsModified());
    EXPECT_EQ(form->Document->FileName(), saved);
    EXPECT_EQ(child->Caption(), QStringLiteral("Tessiv1.KVR"));
    form->AskOnClose = false;
    form.reset();
}

TEST_F(FailedSave, QuittingOrClosingWhenTheSaveFailsKeepsTheProgramTheWindowAndTheChange)
{
    ASSERT_NO_FATAL_FAILURE(UseAccount(QStringLiteral("conta")));
    const QString folder = Dir.filePath(QStringLiteral("pasta"));
    const QString file = folder + QStringLiteral("/etiqueta.KVR");
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        std::unique_ptr<TAnexoRelatorio> doc(NewReportDocument(nullptr));
        ASSERT_TRUE(doc->SaveToFile(file));
    }
    TBoxAnswerer boxes;
    auto form = ShowMainForm({file});
    OpenCommandLine(*form);
    TfmAnexo_MDIChild* child = SizedDocumentWindow(*form, 760, 520);
    ASSERT_NE(child, nullptr);
    TKVLabel* label = InsertLabel(*form, *child);
    ASSERT_NE(label, nullptr) << "the click put no label on the band";
    const QString labelName = label->Name();
    TKVCustomBand* band = child->Report->BandList().front();
    ASSERT_TRUE(form->IsModified());
    const int inkBefore = SurfaceInk(*child, "failed_save_before");
    ASSERT_GT(inkBefore, 0);

    // The document's folder goes away behind the program's back.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    const QString question = QStringLiteral("O arquivo etiqueta.KVR foi alterado, deseja salvá-lo?");
    const auto expectStillThere = [&](const char* shot) {
        ASSERT_EQ(boxes.Texts.size(), 2) << boxes.Texts.join(u'|').toStdString();
        EXPECT_EQ(boxes.Texts[0], question);
        EXPECT_TRUE(boxes.Texts[1].startsWith(QStringLiteral("Cannot create file \"") + file + QLatin1Char('"')))
            << boxes.Texts[1].toStdString();
        boxes.Texts.clear();
        EXPECT_TRUE(form->Window()->isVisible()) << "the program went away";
        ASSERT_EQ(form->MDIChildren().size(), 1u);
        ASSERT_EQ(form->ActiveMDIChild(), child);
        EXPECT_TRUE(form->IsModified());
        EXPECT_EQ(child->Report->Owner()->FindComponent(labelName), label);
        EXPECT_EQ(label->Parent(), band);
        EXPECT_EQ(child->Report->Parent(), child->Client()) << "the report stayed on the document's hidden root";
        EXPECT_GT(SurfaceInk(*child, shot), inkBefore / 2) << "the window shows no report";
    };

    // Sair (Ctrl+R), "Sim": the save fails and is told; nothing closes.
    ASSERT_NO_FATAL_FAILURE(Press(*form, Qt::Key_R));
    ASSERT_NO_FATAL_FAILURE(expectStillThere("failed_save_quit"));

    // Fechar (Ctrl+F4) on the document window, "Sim": the same, and the window shows its report.
    ASSERT_NO_FATAL_FAILURE(Press(*form, Qt::Key_F4));
    ASSERT_NO_FATAL_FAILURE(expectStillThere("failed_save_close"));

    // Salvar Como to a folder that exists saves the document with its change.
    const QString elsewhere = Dir.filePath(QStringLiteral("outra/etiqueta.KVR"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(elsewhere).path()));
    SetDialogPresenter([&](TCommonDialog& d) {
        static_cast<TSaveDialog&>(d).FileName = elsewhere;
        return true;
    });
    ASSERT_TRUE(RunCommand(*form, "ArquivoSalvarComo"));
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join(u'|').toStdString();
    EXPECT_FALSE(form->IsModified());
    QFile written(elsewhere);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains(labelName.toLatin1()));
    EXPECT_GT(SurfaceInk(*child, "failed_save_saved_elsewhere"), inkBefore / 2);

    // Now the program quits without a question.
    ASSERT_NO_FATAL_FAILURE(Press(*form, Qt::Key_R));
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join(u'|').toStdString();
    EXPECT_FALSE(form->Window()->isVisible());
    form.reset();
}

} // namespace
