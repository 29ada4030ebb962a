// The text editor of an expression memo: the questions at closing over real files, importing and
// exporting, an expression field put in at the caret, and the memo given the text at once.
#include "ExprDialogsFixture.h"

#include "designer/mainform/AboutTSSV.h"
#include "designer/dialogs/EditorTxt.h"
#include "designer/dialogs/MyZTExprBuilder.h"
#include "designer/document/Hidden.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Dialogs.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

using namespace tessiv;
using namespace exprdialogstest;

namespace {

using TEditorPtr = std::unique_ptr<TfmEditorTxt, TComponentDeleter>;

const QString FileQuestion = QStringLiteral("O arquivo %1 foi alterado, deseja salvá-lo");
const QString TextQuestion = QStringLiteral("O texto foi alterado deseja atualizar");

class EditorTxtTest : public ExprDialogsTest {
protected:
    void SetUp() override
    {
        ExprDialogsTest::SetUp();
        MakeSqliteAlias(QStringLiteral("LOJA"), {QStringLiteral("CREATE TABLE CLI (NOME VARCHAR(20))"),
                                                 QStringLiteral("INSERT INTO CLI VALUES ('Ana')")});
        MakeReport(QStringLiteral("LOJA"), QStringLiteral("SELECT * FROM CLI"));
        Memo = new TKVExprMemo(Root.get());
        Memo->SetName(QStringLiteral("Carta"));
        Memo->Lines()->SetText(QStringLiteral("Prezado {NOME},\r\nobrigado.\r\n"));
    }

    TEditorPtr NewEditor()
    {
        TEditorPtr e(new TfmEditorTxt(nullptr));
        e->Settings = Settings.get();
        e->Memo = Memo;
        e->Report = Report;
        e->DataSetOwner = Root.get();
        e->Directory = FDir.path();
        e->SetText(Memo->Lines()->Text());
        return e;
    }

    // The file dialogs answer with this file (or are cancelled with an empty name).
    void AnswerFileDialogs(const QString& file)
    {
        SetDialogPresenter([file](TCommonDialog& d) {
            auto& dialog = dynamic_cast<TOpenDialog&>(d);
            dialog.FileName = file;
            return !file.isEmpty();
        });
    }

    TKVExprMemo* Memo = nullptr;
};

// Each row: how the text stands to its file and to the memo, the button, the answers given, the
// questions that must come, and what the form and the file end with.
TEST_F(EditorTxtTest, TheCloseQuestionsOverRealFiles)
{
    enum TFile { NoFile, SameFile, ChangedOnDisk, NovoAfterImport };
    struct TCase {
        const char* Name;
        TFile File;
        bool Type;               // text typed after loading
        bool Ok;                 // "&Ok" pressed, else "&Cancela"
        std::vector<int> Answers;
        std::vector<int> Asked;  // 1 the file question, 2 the text question
        int Result;              // mrNone: the form stays open
        const char* FileAfter;   // nullptr: as it was
        bool FileNameKept;
    };
    const TCase cases[] = {
        {"nothing changed, Ok", NoFile, false, true, {}, {}, mrOk, nullptr, false},
        {"nothing changed, Cancela", NoFile, false, false, {}, {}, mrCancel, nullptr, false},
        {"typed, Ok, Yes", NoFile, true, true, {IDYES}, {2}, mrOk, nullptr, false},
        {"typed, Cancela, Yes applies", NoFile, true, false, {IDYES}, {2}, mrOk, nullptr, false},
        {"typed, Ok, No", NoFile, true, true, {IDNO}, {2}, mrCancel, nullptr, false},
        {"typed, Ok, Cancel stays", NoFile, true, true, {IDCANCEL}, {2}, mrNone, nullptr, false},
        {"file, typed, Yes saves, Yes", SameFile, true, true, {IDYES, IDYES}, {1, 2}, mrOk,
         "Prezado {NOME},\r\nobrigado.\r\nAss.\r\n", true},
        {"file, typed, No unties, No", SameFile, true, true, {IDNO, IDNO}, {1, 2}, mrCancel, nullptr, false},
        {"file, typed, Cancel stays", SameFile, true, true, {IDCANCEL}, {1}, mrNone, nullptr, true},
        {"file changed on disk, nothing typed", ChangedOnDisk, false, true, {IDNO}, {1}, mrOk, nullptr, false},
        {"file changed on disk, Yes writes it back", ChangedOnDisk, false, false, {IDYES}, {1}, mrCancel,
         "Prezado {NOME},\r\nobrigado.\r\n", true},
        {"Novo forgets the file", NovoAfterImport, false, true, {IDNO}, {2}, mrCancel, nullptr, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Boxes.clear();
        Answers.assign(c.Answers.begin(), c.Answers.end());
        const QString file = Path(QStringLiteral("carta.txt"));
        const QByteArray original = "Prezado {NOME},\r\nobrigado.\r\n";
        WriteText(file, original);
        TEditorPtr e = NewEditor();
        if (c.File != NoFile) {
            AnswerFileDialogs(file);
            e->Importar1Click();
        }
        if (c.File == ChangedOnDisk)
            WriteText(file, "Prezada {NOME},\r\nobrigada.\r\n");
        if (c.File == NovoAfterImport)
            e->Novo1Click();
        QByteArray fileBefore = ReadText(file);
        Steps.push_back([&](TModalForm&) {
            if (c.Type) {
                e->Texto->moveCursor(QTextCursor::End);
                e->Texto->insertPlainText(QStringLiteral("\nAss."));
            }
            (c.Ok ? e->buOk : e->buCancela)->click();
            EXPECT_EQ(e->Modal(), c.Result == mrNone);
        });
        const int result = e->ShowModal();
        if (c.Result != mrNone) {
            EXPECT_EQ(result, c.Result);
        }
        QStringList asked;
        for (int q : c.Asked)
            asked << (q == 1 ? FileQuestion.arg(file) : TextQuestion);
        EXPECT_EQ(BoxTexts(), asked);
        for (const TNotedBox& b : Boxes)
            EXPECT_EQ(b.Caption, b.Text == TextQuestion ? QStringLiteral("Texto alterado") : QStringLiteral("Arquivo alterado"));
        EXPECT_EQ(ReadText(file), c.FileAfter ? QByteArray(c.FileAfter) : fileBefore);
        EXPECT_EQ(e->FileName().isEmpty(), !c.FileNameKept);
        // The memo itself is the caller's to change.
        EXPECT_EQ(Memo->Lines()->Text(), QStringLiteral("Prezado {NOME},\r\nobrigado.\r\n"));
    }
}

TEST_F(EditorTxtTest, AnInsertedExpressionLandsInBracesAtTheCaretAndStaysOnTheClipboard)
{
    TEditorPtr e = NewEditor();
    e->SetText(QStringLiteral("Prezado ,"));
    QTextCursor cursor = e->Texto->textCursor();
    cursor.setPosition(8);
    e->Texto->setTextCursor(cursor);
    Steps.push_back([](TModalForm& form) {
        auto& b = dynamic_cast<TMyZTExprBuilder&>(form);
        b.DataField->setCurrentItem(b.DataField->findItems(QStringLiteral("NOME"), Qt::MatchExactly).front());
        b.AddDatafield->click();
        b.OK->click();
    });
    e->WizardButton->trigger();
    EXPECT_EQ(e->Text(), QStringLiteral("Prezado {NOME},"));
    EXPECT_EQ(Clipboard().AsText(), QStringLiteral("{NOME}"));
    // A selection is replaced; a cancelled builder changes nothing.
    cursor.setPosition(8);
    cursor.setPosition(14, QTextCursor::KeepAnchor);
    e->Texto->setTextCursor(cursor);
    Steps.push_back([](TModalForm& form) {
        auto& b = dynamic_cast<TMyZTExprBuilder&>(form);
        b.aConstant->setText(QStringLiteral("Sr."));
        b.ConstantType->setCurrentIndex(1);
        b.AddNumeric->click();
        b.OK->click();
    });
    e->CampoExpressao1->trigger();
    EXPECT_EQ(e->Text(), QStringLiteral("Prezado {'Sr.'},"));
    Steps.push_back([](TModalForm& form) { dynamic_cast<TMyZTExprBuilder&>(form).Cancel->click(); });
    e->WizardButton->trigger();
    EXPECT_EQ(e->Text(), QStringLiteral("Prezado {'Sr.'},"));
    // A brace inside would end the field early: refused.
    Steps.push_back([](TModalForm& form) {
        auto& b = dynamic_cast<TMyZTExprBuilder&>(form);
        b.aConstant->setText(QStringLiteral("a}b"));
        b.ConstantType->setCurrentIndex(1);
        b.AddNumeric->click();
        b.OK->click();
    });
    e->WizardButton->trigger();
    EXPECT_EQ(e->Text(), QStringLiteral("Prezado {'Sr.'},"));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].Text.contains(QStringLiteral("chaves")));
}

TEST_F(EditorTxtTest, ExportAsksBeforeReplacingAnotherFile)
{
    const QString other = Path(QStringLiteral("outra.txt"));
    WriteText(other, "não apague\r\n");
    TEditorPtr e = NewEditor();
    AnswerFileDialogs(other);
    Answer = IDNO;
    e->Exportar1Click();
    EXPECT_EQ(ReadText(other), QByteArray("não apague\r\n"));
    EXPECT_TRUE(e->FileName().isEmpty());
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("O arquivo %1 já existe. Deseja substituí-lo?").arg(other));
    Answer = IDYES;
    e->Exportar1Click();
    EXPECT_EQ(ReadText(other), QByteArray("Prezado {NOME},\r\nobrigado.\r\n"));
    EXPECT_EQ(e->FileName(), other);
    // Its own file again: no question; a name without extension takes ".TXT".
    Boxes.clear();
    e->Exportar1Click();
    EXPECT_TRUE(Boxes.empty());
    AnswerFileDialogs(Path(QStringLiteral("nova")));
    e->Exportar1Click();
    EXPECT_EQ(e->FileName(), Path(QStringLiteral("nova.TXT")));
    EXPECT_EQ(ReadText(Path(QStringLiteral("nova.TXT"))), QByteArray("Prezado {NOME},\r\nobrigado.\r\n"));
    EXPECT_TRUE(Boxes.empty());
    // Characters the code page lacks are written so that they come back.
    e->SetText(QStringLiteral("Preço € ✓"));
    e->Exportar1Click();
    EXPECT_EQ(e->Text(), QStringLiteral("Preço € ✓"));
    EXPECT_EQ(e->Directory, FDir.path());
}

TEST_F(EditorTxtTest, ImportingAMissingFileSaysSoAndTiesTheTextToIt)
{
    TEditorPtr e = NewEditor();
    const QString missing = Path(QStringLiteral("sumiu.txt"));
    AnswerFileDialogs(missing);
    e->Importar1Click();
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("O Arquivo %1 não foi encontrado.").arg(missing)});
    EXPECT_EQ(e->Text(), QStringLiteral("Prezado {NOME},\nobrigado."));
    EXPECT_EQ(e->FileName(), missing);
    // A file that cannot be read asks nothing at closing.
    EXPECT_FALSE(e->FileChanged());
    // A file that is there replaces the text; the caret goes to the start.
    WriteText(Path(QStringLiteral("b.txt")), "um\r\ndois\r\n");
    AnswerFileDialogs(Path(QStringLiteral("b.txt")));
    e->Importar1Click();
    EXPECT_EQ(e->Text(), QStringLiteral("um\ndois"));
    EXPECT_EQ(e->Texto->textCursor().position(), 0);
    EXPECT_FALSE(e->FileChanged());
    EXPECT_TRUE(e->TextChanged());
}

TEST_F(EditorTxtTest, AtualizarGivesTheMemoTheTextAndIsEnabledOnlyWhenSomethingDiffers)
{
    TEditorPtr e = NewEditor();
    int updated = 0;
    e->OnMemoUpdated = [&updated] { ++updated; };
    e->Arquivo1Click();
    EXPECT_FALSE(e->Atualizar1->isEnabled());
    e->Texto->appendPlainText(QStringLiteral("Ass."));
    e->Arquivo1Click();
    EXPECT_TRUE(e->Atualizar1->isEnabled());
    e->Atualizar1->trigger();
    EXPECT_EQ(Memo->Lines()->Text(), QStringLiteral("Prezado {NOME},\r\nobrigado.\r\nAss.\r\n"));
    EXPECT_EQ(updated, 1);
    e->Arquivo1Click();
    EXPECT_FALSE(e->Atualizar1->isEnabled());
    // Closing now asks nothing.
    Steps.push_back([&e](TModalForm&) { e->buCancela->click(); });
    EXPECT_EQ(e->ShowModal(), mrCancel);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(EditorTxtTest, ExecuteShowsAnEmptyBoxForNadaAndOkStillAsks)
{
    Memo->Lines()->SetText(QStringLiteral("(NADA)"));
    Memo->SetHint(QString());
    Steps.push_back([](TModalForm& form) {
        auto& e = dynamic_cast<TfmEditorTxt&>(form);
        EXPECT_EQ(e.Text(), QString());
        e.buOk->click();
    });
    Answer = IDNO;
    QString directory = FDir.path();
    QString text;
    QString fileName;
    EXPECT_EQ(TfmEditorTxt::Execute(Memo, Settings.get(), Root.get(), directory, text, fileName), mrCancel);
    EXPECT_EQ(BoxTexts(), QStringList{TextQuestion});
    EXPECT_EQ(Memo->Lines()->Text(), QStringLiteral("(NADA)\r\n"));
}

TEST_F(EditorTxtTest, TheWindowPlacementIsKeptInItsSection)
{
    struct TCase {
        const char* Name;
        std::vector<std::pair<const char*, int>> Stored;
        TWindowState State;
        bool Centred;
    };
    const TCase cases[] = {
        {"nothing stored", {}, wsNormal, true},
        {"maximized", {{"WindowState", 2}, {"Top", 5}, {"Left", 5}}, wsMaximized, false},
        {"a place", {{"WindowState", 0}, {"Top", 40}, {"Left", 30}, {"Height", 300}, {"Width", 500}}, wsNormal, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Settings->EraseSection(QStringLiteral("EditorTxt"));
        for (const auto& [key, value] : c.Stored)
            Settings->WriteInteger(QStringLiteral("EditorTxt"), QString::fromLatin1(key), value);
        TEditorPtr e = NewEditor();
        Steps.push_back([&](TModalForm& form) {
            EXPECT_EQ(form.WindowState(), c.State);
            if (c.State == wsNormal && !c.Centred) {
                EXPECT_EQ(form.Width(), 500);
                EXPECT_EQ(form.Height(), 300);
            }
            // Minimized, it is written as normal.
            form.SetWindowState(wsMinimized);
            e->buCancela->click();
        });
        e->ShowModal();
        EXPECT_EQ(Settings->ReadInteger(QStringLiteral("EditorTxt"), QStringLiteral("WindowState"), -1), 0);
    }
}

TEST_F(EditorTxtTest, TheMenuCommandsActOnTheTextAndSairClosesAsCancel)
{
    TEditorPtr e = NewEditor();
    int about = 0;
    e->OnAbout = [&about] { ++about; };
    e->Sobre1->trigger();
    EXPECT_EQ(about, 1);
    // Without its own, the program's about box.
    e->OnAbout = nullptr;
    bool aboutBox = false;
    Steps.push_back([&aboutBox](TModalForm& form) { aboutBox = dynamic_cast<TfmAboutTSSV*>(&form) != nullptr; });
    e->Sobre1->trigger();
    EXPECT_TRUE(aboutBox);
    // "Prezado" cut from the start and pasted at the end.
    QTextCursor cursor = e->Texto->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    e->Texto->setTextCursor(cursor);
    e->Recortar1->trigger();
    EXPECT_EQ(Clipboard().AsText(), QStringLiteral("Prezado "));
    e->Texto->moveCursor(QTextCursor::End);
    e->Colar1->trigger();
    EXPECT_EQ(e->Text(), QStringLiteral("{NOME},\nobrigado.Prezado "));
    e->Selecionartudo1->trigger();
    e->Copiar1->trigger();
    EXPECT_EQ(Clipboard().AsText(), e->Text());
    // Sair is a cancel: the question comes, No keeps the memo as it was.
    Answer = IDNO;
    Steps.push_back([&e](TModalForm&) { e->Sair1->trigger(); });
    EXPECT_EQ(e->ShowModal(), mrCancel);
    EXPECT_EQ(BoxTexts(), QStringList{TextQuestion});
}

} // namespace
