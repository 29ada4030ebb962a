// The main form headless: the command line, opening a file that is open already, saving from the
// commands and from a close, the question for each modified window when the program closes, and
// what the settings file holds afterwards.
#include "DesignerFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/DesignerClasses.h"
#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "platform/ui/Dialogs.h"
#include "uisupport/AppUtils.h"
#include "uisupport/MRUManager.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include <deque>
#include <memory>

using namespace tessiv;
using namespace designertest;

namespace {

using TFormPtr = std::unique_ptr<TfmAnexo, TComponentDeleter>;

class MainFormTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        RegisterDesignerClasses();
        // Answers taken in turn; the fixture's single answer once they run out.
        Application().Presenter = [this](const TMessageBoxRequest& r) {
            Boxes.push_back({r.Text, r.Caption, r.Type, r.Buttons});
            if (Answers.empty())
                return Answer;
            const int a = Answers.front();
            Answers.pop_front();
            return a;
        };
    }
    void TearDown() override
    {
        SetDialogPresenter(nullptr);
        DesignerTest::TearDown();
    }

    // A report file with one band, made and saved as the New command would.
    QString MakeReportFile(const QString& relative)
    {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).path());
        std::unique_ptr<TAnexoRelatorio> doc(NewReportDocument(&Host));
        EXPECT_TRUE(doc && doc->SaveToFile(path));
        return path;
    }

    TFormPtr Start(const QStringList& parameters)
    {
        TFormPtr form(new TfmAnexo(nullptr, parameters));
        form->Show();
        form->HandleCommandLine();
        form->FormPaint();
        return form;
    }

    static QString Ini() { return DefaultIniFileName(); }

    std::deque<int> Answers;
};

} // namespace

TEST_F(MainFormTest, CommandLineTable)
{
    const QString hyphenated = MakeReportFile(QStringLiteral("a-b/rel-1.KVR"));
    struct Case {
        QString Parameter;
        int Windows;
        bool Hidden;
        bool MissingMessage;
    } cases[] = {
        {hyphenated, 1, false, false},
        {QStringLiteral("-EMBEDDING"), 0, true, false},
        {QStringLiteral("-embedding"), 0, true, false},
        {QStringLiteral("  -EmBedding "), 0, true, false},
        {QStringLiteral("-outra"), 0, false, false},
        {Path(QStringLiteral("nada.KVR")), 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Parameter.toStdString());
        Boxes.clear();
        TFormPtr form = Start({c.Parameter});
        EXPECT_EQ(static_cast<int>(form->MDIChildren().size()), c.Windows);
        EXPECT_EQ(form->Visible(), !c.Hidden);
        EXPECT_EQ(!Boxes.empty(), c.MissingMessage);
        if (c.Windows == 1) {
            EXPECT_EQ(form->Document->FileName(), hyphenated);
            EXPECT_EQ(form->RecentList()->Strings()->Strings(0), hyphenated);
        }
        if (c.MissingMessage)
            EXPECT_EQ(form->RecentList()->Strings()->IndexOf(c.Parameter), -1);
        form->AskOnClose = false;
    }
}

TEST_F(MainFormTest, NoParameterReopensTheMostRecentFileOnlyWhenReabreIsSet)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    const QString b = MakeReportFile(QStringLiteral("b.KVR"));
    {
        TFormPtr form = Start({});
        EXPECT_TRUE(form->MDIChildren().empty()); // an empty list and no "Reabre"
        form->OpenFile(a);
        form->OpenFile(b);
        ASSERT_EQ(form->MDIChildren().size(), 2u);
        form->Close();
    }
    TIniFile ini(Ini());
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("fmAnexo"), QStringLiteral("Reabre"), false));
    {
        TFormPtr form = Start({});
        ASSERT_EQ(form->MDIChildren().size(), 1u);
        EXPECT_EQ(form->Document->FileName(), b);
        form->Close();
    }
    ini.WriteBool(QStringLiteral("fmAnexo"), QStringLiteral("Reabre"), false);
    TFormPtr form = Start({});
    EXPECT_TRUE(form->MDIChildren().empty());
    form->AskOnClose = false;
}

TEST_F(MainFormTest, ReabreRecordsWhetherADocumentWasActiveWhenTheCloseBegan)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    {
        TFormPtr form = Start({a});
        form->Close();
    }
    TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadString(QStringLiteral("fmAnexo"), QStringLiteral("Reabre"), QString()), "1");
    {
        // An option opens nothing, so no document is active when the close begins.
        TFormPtr form = Start({QStringLiteral("-x")});
        ASSERT_TRUE(form->MDIChildren().empty());
        form->Close();
    }
    EXPECT_EQ(ini.ReadString(QStringLiteral("fmAnexo"), QStringLiteral("Reabre"), QString()), "0");
}

TEST_F(MainFormTest, SettingsFileHoldsThePlacementRecentListAndReabre)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    {
        TFormPtr form = Start({a});
        form->Close();
    }
    TIniFile ini(Ini());
    QStringList sections;
    TStringList list;
    ini.ReadSections(&list);
    for (int i = 0; i < list.Count(); ++i)
        sections << list.Strings(i);
    EXPECT_TRUE(sections.contains(QStringLiteral("PosicaoAnexo"))) << sections.join(',').toStdString();
    EXPECT_TRUE(sections.contains(QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList"))) << sections.join(',').toStdString();
    EXPECT_TRUE(sections.contains(QStringLiteral("fmAnexo")));
    TStringList keys;
    ini.ReadSection(QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList"), &keys);
    bool named = false;
    for (int i = 0; i < keys.Count(); ++i)
        named = named || ini.ReadString(QStringLiteral("PosicaoAnexo\\TfmAnexo.RecentList"), keys.Strings(i), QString()) == a;
    EXPECT_TRUE(named);
    TStringList placement;
    ini.ReadSection(QStringLiteral("PosicaoAnexo"), &placement);
    EXPECT_GT(placement.Count(), 0);
}

TEST_F(MainFormTest, OpeningAFileAlreadyOpenActivatesItsWindowByCanonicalPath)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    const QString b = MakeReportFile(QStringLiteral("b.KVR"));
    QFile::link(a, Path(QStringLiteral("link.KVR")));
    TFormPtr form = Start({a});
    form->OpenFile(b);
    ASSERT_EQ(form->MDIChildren().size(), 2u);
    EXPECT_EQ(form->Document->FileName(), b);
    for (const QString& again : {Path(QStringLiteral("a-b/../a.KVR")), Path(QStringLiteral("link.KVR")),
                                 Path(QStringLiteral("./a.KVR"))}) {
        SCOPED_TRACE(again.toStdString());
        form->OpenFile(b);
        form->OpenFile(again);
        EXPECT_EQ(form->MDIChildren().size(), 2u);
        EXPECT_EQ(form->Document->FileName(), a);
        EXPECT_EQ(form->ActiveMDIChild()->Document, form->Document);
    }
    form->AskOnClose = false;
}

TEST_F(MainFormTest, ClosingWithTwoModifiedDocumentsAsksTwiceAndCancelKeepsTheSecond)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    const QString b = MakeReportFile(QStringLiteral("b.KVR"));
    TFormPtr form = Start({a});
    form->OpenFile(b);
    for (TfmAnexo_MDIChild* child : form->MDIChildren())
        child->Modified = true;
    Answers = {IDNO, IDCANCEL};
    form->Close();
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("O arquivo b.KVR foi alterado, deseja salvá-lo?"));
    EXPECT_EQ(Boxes[0].Caption, QStringLiteral("Tessiv"));
    EXPECT_EQ(Boxes[1].Text, QStringLiteral("O arquivo a.KVR foi alterado, deseja salvá-lo?"));
    // The program goes on with the second document open, the first window gone.
    EXPECT_TRUE(form->Visible());
    ASSERT_EQ(form->MDIChildren().size(), 1u);
    EXPECT_EQ(form->Document->FileName(), a);
    EXPECT_TRUE(form->IsModified());
    form->AskOnClose = false;
}

TEST_F(MainFormTest, EachWindowFreesItsOwnDocumentWhicheverIsActive)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    const QString b = MakeReportFile(QStringLiteral("b.KVR"));
    TFormPtr form = Start({a});
    form->OpenFile(b);
    TfmAnexo_MDIChild* first = form->MDIChildren().back();
    TfmAnexo_MDIChild* second = form->ActiveMDIChild();
    ASSERT_NE(first, second);
    TAnexoRelatorio* secondDoc = second->Document;
    first->SubWindow()->close(); // the background window's close box
    QCoreApplication::processEvents();
    ASSERT_EQ(form->MDIChildren().size(), 1u);
    EXPECT_EQ(form->ActiveMDIChild(), second);
    EXPECT_EQ(second->Document, secondDoc);
    EXPECT_EQ(form->Document, secondDoc);
    EXPECT_EQ(form->Report, secondDoc->Report());
    EXPECT_EQ(secondDoc->Report()->Parent(), second->Client());
    form->AskOnClose = false;
}

TEST_F(MainFormTest, SaveCommandKeepsTheSelectionAndClearsTheModifiedMark)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    TFormPtr form = Start({a});
    TfmAnexo_MDIChild* child = form->ActiveMDIChild();
    TKVCustomBand* band = child->Report->BandList().front();
    child->SelectedControl = band;
    child->CurrentBand = band;
    form->SetModified(true);
    const QByteArray before = ReadFile(a);
    form->ArquivoSalvarExecute();
    EXPECT_FALSE(form->IsModified());
    EXPECT_FALSE(form->ArquivoSalvar()->isEnabled());
    EXPECT_EQ(child->SelectedControl, band);
    EXPECT_EQ(form->CurrentBand, band);
    EXPECT_EQ(child->Report->Parent(), child->Client());
    EXPECT_EQ(child->Report->Left(), 0);
    EXPECT_EQ(child->Report->Top(), 0);
    EXPECT_FALSE(ReadFile(a).isEmpty());
    form->AskOnClose = false;
}

TEST_F(MainFormTest, CancelledSaveAsOrRefusedOverwriteLeavesTheDocumentModifiedAndTheListAlone)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    const QString other = MakeReportFile(QStringLiteral("outro.KVR"));
    TFormPtr form = Start({a});
    form->RecentList()->Strings()->Clear();
    form->SetModified(true);

    SetDialogPresenter([](TCommonDialog&) { return false; });
    form->ArquivoSalvarComoExecute();
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(form->RecentList()->Strings()->Count(), 0);

    // A name that another file has, and "No" to overwriting it.
    SetDialogPresenter([&](TCommonDialog& d) {
        static_cast<TSaveDialog&>(d).FileName = other;
        return true;
    });
    Answers = {IDNO};
    const QByteArray otherBytes = ReadFile(other);
    form->ArquivoSalvarComoExecute();
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(form->RecentList()->Strings()->Count(), 0);
    EXPECT_EQ(ReadFile(other), otherBytes);
    EXPECT_EQ(form->Document->FileName(), a);
    form->AskOnClose = false;
}

TEST_F(MainFormTest, NoQuestionWhileTheMainFormIsHidden)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    TFormPtr form = Start({a});
    form->SetModified(true);
    form->Hide();
    EXPECT_EQ(form->QuerySave(), mrNo);
    EXPECT_TRUE(Boxes.empty());
    form->AskOnClose = false;
}

TEST_F(MainFormTest, UnitsNameAndStatusOfTheCurrentBand)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    TFormPtr form = Start({a});
    struct Case {
        TKVUnit Unit;
        const char* Name;
    } cases[] = {{kvunMM, "Milímetros"}, {kvunInches, "Polegadas"}, {kvunPixels, "Pontos"},
                 {kvunCharacters, "Caracteres"}, {kvunNative, "Nativo"}};
    for (const Case& c : cases) {
        form->Report->SetUnits(c.Unit);
        EXPECT_EQ(form->GetUnitsName(), QString::fromUtf8(c.Name));
    }
    TKVCustomBand* band = form->Report->BandList().front();
    form->SetCurrentBand(nullptr);
    EXPECT_EQ(form->CurrentBand, band);
    EXPECT_EQ(form->StatusPanel(3)->text(), QStringLiteral("Banda: ") + band->Name());
    EXPECT_EQ(form->Report->Name(), QStringLiteral("KelvoraRelatorio"));
    form->AskOnClose = false;
}

TEST_F(MainFormTest, TheRecentListHoldsOneEntryPerFileAndARestartFromElsewhereReopensIt)
{
    const QString a = MakeReportFile(QStringLiteral("a.KVR"));
    const QString upper = MakeReportFile(QStringLiteral("A.KVR")); // another file: names differ in case
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("sub"))));
    ASSERT_TRUE(QFile::link(a, Path(QStringLiteral("link.KVR"))));
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    const QString canonicalUpper = QFileInfo(upper).canonicalFilePath();
    const QString folder = QFileInfo(a).canonicalPath();
    const QString saved = QDir::currentPath();
    QDir::setCurrent(FDir.path());
    struct Case {
        QString Opened;       // as typed on a command line, relative to the current folder
        QString FileName;     // the document's name: absolute
        QStringList Recent;   // the list afterwards, newest first
    } cases[] = {
        {QStringLiteral("a.KVR"), folder + QStringLiteral("/a.KVR"), {canonicalA}},
        {QStringLiteral("sub/../a.KVR"), folder + QStringLiteral("/a.KVR"), {canonicalA}},
        {QStringLiteral("link.KVR"), folder + QStringLiteral("/link.KVR"), {canonicalA}},
        {QStringLiteral("A.KVR"), folder + QStringLiteral("/A.KVR"), {canonicalUpper, canonicalA}},
        {QStringLiteral("./a.KVR"), folder + QStringLiteral("/a.KVR"), {canonicalA, canonicalUpper}},
    };
    {
        TFormPtr form = Start({});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.Opened.toStdString());
            form->OpenFile(c.Opened);
            ASSERT_EQ(form->MDIChildren().size(), 1u);
            EXPECT_EQ(form->Document->FileName(), c.FileName);
            EXPECT_EQ(form->RecentList()->Strings()->ToStringList(), c.Recent);
            if (&c != &cases[std::size(cases) - 1])
                form->JenelaFecharExecute();
            QCoreApplication::processEvents();
        }
        // Each entry opens its own file (the menu is made anew after each).
        ASSERT_EQ(form->RecentList()->Items().size(), 2u);
        form->RecentList()->Items()[1]->trigger();
        EXPECT_EQ(form->Document->FileName(), canonicalUpper);
        ASSERT_EQ(form->RecentList()->Items().size(), 2u);
        form->RecentList()->Items()[1]->trigger();
        EXPECT_EQ(form->Document->FileName(), folder + QStringLiteral("/a.KVR"));
        EXPECT_EQ(form->MDIChildren().size(), 2u);
        form->Close();
    }
    // Started again from another folder, without a parameter: the last file opens.
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("outra"))));
    QDir::setCurrent(Path(QStringLiteral("outra")));
    Boxes.clear();
    {
        TFormPtr form = Start({});
        ASSERT_EQ(form->MDIChildren().size(), 1u) << testsession::BoxTexts(Boxes).join(u'|').toStdString();
        EXPECT_EQ(form->Document->FileName(), canonicalA);
        EXPECT_TRUE(Boxes.empty());
        form->AskOnClose = false;
    }
    QDir::setCurrent(saved);
}
