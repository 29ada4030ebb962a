// The expression, image and shape tool bars on documents in windows: "(NADA)" for empty texts, the
// expression box's keys and the expression builder, pictures and text files loaded from disk (a
// JPEG kept byte for byte through a report file, a file that cannot be read changing nothing), the
// picture modes, the memo's text editor, shapes, frame lines and colours, and the SQL command on
// column and observation bands.
#include "UndoFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/dialogs/EditorTxt.h"
#include "designer/surface/KVDesigner.h"
#include "designer/dialogs/ModalForm.h"
#include "designer/dialogs/MyZTExprBuilder.h"
#include "designer/dialogs/ObsSql.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/graphics/Picture.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>

#include <functional>

using namespace tessiv;
using namespace designertest;

namespace {

const QString Nada = QStringLiteral("(NADA)");

bool IsNadaText(const char* text)
{
    const QString t = QString::fromUtf8(text);
    return t.isEmpty() || t == Nada;
}

class ExprImageShapeToolbarTest : public PropertyBarTest<UndoFixture> {
protected:
    void SetUp() override
    {
        UndoFixture::SetUp();
        ASSERT_NE(OpenDocument(), nullptr);
    }
    void TearDown() override
    {
        TModalForm::SetPresenter(nullptr);
        SetDialogPresenter(nullptr);
        UndoFixture::TearDown();
    }

    template <class T> T* Place(TWinControl* parent = nullptr)
    {
        return PlaceControl<T>(parent ? parent : Detail(), 10, 10, 80, 30);
    }
    void Load(TAnexoToolBar* bar, TControl* control) { SelectForBar(control, bar); }
    // A key typed into the expression box, through the box's own key handling.
    void Key(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(Form->EditExpr, &press);
    }
    // The file dialog answers with a file, or is cancelled; what it was given is noted.
    void AnswerFileDialog(const QString& fileName)
    {
        SetDialogPresenter([this, fileName](TCommonDialog& d) {
            auto& open = static_cast<TOpenDialog&>(d);
            DialogFilter = open.Filter;
            DialogInitialDir = open.InitialDir;
            DialogFileName = open.FileName;
            ++DialogsShown;
            if (fileName.isEmpty())
                return false;
            open.FileName = fileName;
            return true;
        });
    }
    QString WriteText(const QString& name, const QByteArray& bytes)
    {
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        WriteFile(path, bytes);
        return path;
    }
    QString WriteJpeg(const QString& name)
    {
        QImage image(40, 24, QImage::Format_RGB32);
        image.fill(QColor(30, 90, 200));
        QPainter p(&image);
        p.fillRect(5, 5, 12, 10, Qt::yellow);
        p.end();
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(image.save(path, "JPG"));
        return path;
    }
    QStringList MemoLines(const TKVExprMemo* memo) const
    {
        QStringList lines;
        for (int i = 0; i < memo->Lines()->Count(); ++i)
            lines << memo->Lines()->Strings(i);
        return lines;
    }
    static void SetLines(TKVExprMemo* memo, const QStringList& lines)
    {
        TStringList list;
        for (const QString& line : lines)
            list.Add(line);
        memo->SetLines(&list);
    }
    template <class T> T* Restored(const TComponent* control) const
    {
        return dynamic_cast<T*>(Root()->FindComponent(control->Name()));
    }

    int DialogsShown = 0;
    QString DialogFilter, DialogInitialDir, DialogFileName;
};

// ---- the expression bar ------------------------------------------------------------------------------

TEST_F(ExprImageShapeToolbarTest, EmptyTextsAreStoredAsNadaAndOnlyARealChangeIsRecorded)
{
    enum TApply { byExit, byEnter, byOk };
    struct Case {
        const char* Name;
        bool Label;
        const char* Stored;   // before the bar loads it
        const char* Shown;    // what the box shows once loaded
        const char* Typed;    // then put in the box
        TApply Apply;
        const char* After;    // what is stored at the end
        bool Changed;         // one undo step and the modified mark
    };
    const Case cases[] = {
        {"empty expression left as shown", false, "", "", "", byExit, "(NADA)", false},
        {"(NADA) left empty", false, "(NADA)", "", "", byExit, "(NADA)", false},
        {"blanks over (NADA) with Enter", false, "(NADA)", "", "   ", byEnter, "(NADA)", false},
        {"blanks over an expression with Enter", false, "PRECO * 2", "PRECO * 2", "  ", byEnter, "(NADA)", true},
        {"an expression left unchanged", false, "PRECO * 2", "PRECO * 2", "PRECO * 2", byOk, "PRECO * 2", false},
        {"an expression over (NADA)", false, "(NADA)", "", "QTD + 1", byOk, "QTD + 1", true},
        {"an expression changed by Enter", false, "QTD", "QTD", "QTD * 3", byEnter, "QTD * 3", true},
        {"empty caption left as shown", true, "", "", "", byExit, "(NADA)", false},
        {"(NADA) caption left empty", true, "(NADA)", "", "", byEnter, "(NADA)", false},
        {"a caption emptied", true, "Preço", "Preço", "", byExit, "(NADA)", true},
        {"a caption over (NADA)", true, "(NADA)", "", "Total:", byExit, "Total:", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TControl* control = nullptr;
        if (c.Label) {
            auto* label = Place<TKVLabel>();
            label->SetCaption(QString::fromUtf8(c.Stored));
            control = label;
        } else {
            auto* expr = Place<TKVExpr>();
            expr->SetExpression(QString::fromUtf8(c.Stored));
            control = expr;
        }
        const auto stored = [control]() {
            if (auto* expr = dynamic_cast<TKVExpr*>(control))
                return expr->Expression();
            return static_cast<TKVLabel*>(control)->Caption();
        };
        Load(Form->ExprToolbar, control);
        // Loading keeps an empty text as "(NADA)" and records nothing.
        EXPECT_EQ(stored(), IsNadaText(c.Stored) ? Nada : QString::fromUtf8(c.Stored));
        EXPECT_EQ(Form->EditExpr->text(), QString::fromUtf8(c.Shown));
        EXPECT_EQ(NewSteps(), 0);

        Form->EditExpr->setText(QString::fromUtf8(c.Typed));
        switch (c.Apply) {
        case byExit: Form->EditExprExit(); break;
        case byEnter: Key(Qt::Key_Return); break;
        case byOk: Form->OKButton->Click(); break;
        }
        EXPECT_EQ(stored(), QString::fromUtf8(c.After));
        EXPECT_EQ(NewSteps(), c.Changed ? 1 : 0);
        EXPECT_EQ(Form->IsModified(), c.Changed);
        // Applying the same box again is no change.
        Form->EditExprExit();
        EXPECT_EQ(NewSteps(), c.Changed ? 1 : 0);
    }
}

TEST_F(ExprImageShapeToolbarTest, EscapeShowsTheStoredTextAgainAndUndoTakesBackAnAppliedOne)
{
    auto* expr = Place<TKVExpr>();
    expr->SetExpression(Nada);
    Load(Form->ExprToolbar, expr);
    EXPECT_TRUE(Form->EditExpr->text().isEmpty());
    Form->EditExpr->setText(QStringLiteral("PRECO"));
    Key(Qt::Key_Escape);
    // The stored text as it is, "(NADA)" included; nothing applied.
    EXPECT_EQ(Form->EditExpr->text(), Nada);
    EXPECT_EQ(expr->Expression(), Nada);
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());

    Form->EditExpr->setText(QStringLiteral("PRECO * 1.1"));
    Key(Qt::Key_Enter);
    EXPECT_EQ(expr->Expression(), QStringLiteral("PRECO * 1.1"));
    Form->EditExpr->setText(QStringLiteral("outra coisa"));
    Form->CancelButton->Click();
    EXPECT_EQ(Form->EditExpr->text(), QStringLiteral("PRECO * 1.1"));
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());

    Form->EditarVoltarExecute();
    auto* restored = Restored<TKVExpr>(expr);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->Expression(), Nada);

    // A label's Escape shows its caption.
    auto* label = Place<TKVLabel>();
    label->SetCaption(QStringLiteral("Nome"));
    Load(Form->ExprToolbar, label);
    Form->EditExpr->setText(QStringLiteral("Nom"));
    Key(Qt::Key_Escape);
    EXPECT_EQ(Form->EditExpr->text(), QStringLiteral("Nome"));
}

TEST_F(ExprImageShapeToolbarTest, ALabelShowsTheBarWithoutTheConfirmCancelAndBuilderButtons)
{
    auto* expr = Place<TKVExpr>();
    expr->SetExpression(QStringLiteral("QTD"));
    auto* label = Place<TKVLabel>();
    label->SetCaption(QStringLiteral("Quantidade"));
    struct Case {
        TControl* Control;
        bool Buttons;
        const char* Hint;
    };
    for (const Case& c : {Case{expr, true, "Conteúdo da Expressão"}, Case{label, false, "Conteúdo da Legenda"}}) {
        SCOPED_TRACE(c.Hint);
        // Selected on the surface, as the user does it.
        Form->Designer->Attach(Form->Report);
        Form->Designer->SetSelected(c.Control);
        ASSERT_EQ(Form->ExprToolbar->Component(), c.Control);
        EXPECT_TRUE(Form->ExprToolbar->isVisible());
        EXPECT_EQ(Shown(Form->paExprBu), c.Buttons);
        EXPECT_EQ(Shown(Form->paFunction), c.Buttons);
        EXPECT_TRUE(Shown(Form->paEdit));
        for (QWidget* never : {Form->paMoverAcima, Form->paBandaRodape, Form->paZeraValor})
            EXPECT_FALSE(Shown(never));
        EXPECT_EQ(Form->EditExpr->toolTip(), QString::fromUtf8(c.Hint));
        EXPECT_EQ(HelpContextOf(Form->EditExpr), 440);
        EXPECT_EQ(Form->EditExpr->text(), c.Control == expr ? QStringLiteral("QTD") : QStringLiteral("Quantidade"));
    }
}

TEST_F(ExprImageShapeToolbarTest, TheBuilderComposesTheExpressionAndACancelledBuilderChangesNothing)
{
    auto* expr = Place<TKVExpr>();
    expr->SetExpression(QStringLiteral("QTD"));
    Load(Form->ExprToolbar, expr);
    QString given;
    bool accept = true;
    int shown = 0;
    TModalForm::SetPresenter([&](TModalForm& f) {
        auto* builder = dynamic_cast<TMyZTExprBuilder*>(&f);
        ASSERT_NE(builder, nullptr);
        ++shown;
        given = builder->Expression();
        builder->SetExpression(QStringLiteral("QTD * 2"));
        f.SetModalResult(accept ? mrOk : mrCancel);
    });
    Form->EditExpr->setText(QStringLiteral("QTD + 0"));
    accept = false;
    Form->WizardButton->Click();
    EXPECT_EQ(given, QStringLiteral("QTD + 0"));
    EXPECT_EQ(Form->EditExpr->text(), QStringLiteral("QTD + 0"));
    EXPECT_EQ(expr->Expression(), QStringLiteral("QTD"));
    EXPECT_EQ(NewSteps(), 0);

    accept = true;
    Form->WizardButtonClick();
    EXPECT_EQ(Form->EditExpr->text(), QStringLiteral("QTD * 2"));
    EXPECT_EQ(expr->Expression(), QStringLiteral("QTD * 2"));
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(shown, 2);

    // A label has no builder.
    auto* label = Place<TKVLabel>();
    label->SetCaption(QStringLiteral("Nome"));
    Load(Form->ExprToolbar, label);
    Form->WizardButtonClick();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(label->Caption(), QStringLiteral("Nome"));
}

// ---- the image bar -----------------------------------------------------------------------------------

TEST_F(ExprImageShapeToolbarTest, APictureAndAMemoEachShowTheirOwnButtons)
{
    auto* image = Place<TKVImage>();
    image->SetHint(QStringLiteral("/fotos/produto.jpg"));
    image->SetStretch(true);
    Load(Form->ImageToolBar, image);
    EXPECT_EQ(Form->FilePicture->text(), QStringLiteral("produto.jpg"));
    EXPECT_EQ(Form->FilePicture->toolTip(), QStringLiteral("Nome da figura"));
    EXPECT_EQ(HelpContextOf(Form->FilePicture), 1070);
    EXPECT_EQ(Form->OpenPicture->toolTip(), QStringLiteral("Abre figura"));
    for (TSpeedButton* b : {Form->AutoSizePicture, Form->sbProporcionalPicture, Form->StretchPicture, Form->CenterPicture})
        EXPECT_TRUE(Shown(b));
    EXPECT_TRUE(Form->StretchPicture->Down());
    EXPECT_FALSE(Form->CenterPicture->Down());
    EXPECT_FALSE(Shown(Form->sbEditarArq));

    auto* memo = Place<TKVExprMemo>();
    SetLines(memo, {QStringLiteral("  ")});
    Load(Form->ImageToolBar, memo);
    // A memo without text is given "(NADA)" as it loads, with no undo step.
    EXPECT_EQ(MemoLines(memo), QStringList{Nada});
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_TRUE(Form->FilePicture->text().isEmpty());
    EXPECT_EQ(Form->FilePicture->toolTip(), QStringLiteral("Nome do arquivo texto"));
    EXPECT_EQ(HelpContextOf(Form->FilePicture), 1090);
    EXPECT_EQ(Form->OpenPicture->toolTip(), QStringLiteral("Abre arquivo texto"));
    EXPECT_TRUE(Shown(Form->sbEditarArq));
    for (TSpeedButton* b : {Form->AutoSizePicture, Form->sbProporcionalPicture, Form->StretchPicture, Form->CenterPicture})
        EXPECT_FALSE(Shown(b));
}

TEST_F(ExprImageShapeToolbarTest, ATextFileLoadsIntoAMemoAndTheNextDialogStartsInItsFolder)
{
    auto* memo = Place<TKVExprMemo>();
    Load(Form->ImageToolBar, memo);
    const QString file = WriteText(QStringLiteral("textos/aviso.txt"), "Prezado {NOME},\r\nseu pedido {PEDIDO}\r\nchegou.\r\n");
    AnswerFileDialog(file);
    Form->OpenPicture->Click();
    EXPECT_EQ(DialogFilter, QStringLiteral("Arquivos Texto (*.TXT)|*.TXT|Todos os Arquivos (*.*)|*.*"));
    EXPECT_EQ(MemoLines(memo), (QStringList{"Prezado {NOME},", "seu pedido {PEDIDO}", "chegou."}));
    EXPECT_EQ(memo->Hint(), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(Form->FilePicture->text(), QStringLiteral("aviso.txt"));
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());

    // The next dialog starts in the folder of the file, with the file.
    AnswerFileDialog(QString());
    Form->OpenPictureClick();
    EXPECT_EQ(QDir(DialogInitialDir).canonicalPath(), QDir(Path(QStringLiteral("textos"))).canonicalPath());
    EXPECT_EQ(DialogFileName, memo->Hint());
    // Cancelled: nothing more.
    EXPECT_EQ(NewSteps(), 1);

    Form->EditarVoltarExecute();
    auto* restored = Restored<TKVExprMemo>(memo);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(MemoLines(restored), QStringList{Nada});
    EXPECT_TRUE(restored->Hint().isEmpty());
}

TEST_F(ExprImageShapeToolbarTest, AFileThatCannotBeReadShowsItsErrorAndChangesNothing)
{
    auto* memo = Place<TKVExprMemo>();
    SetLines(memo, {QStringLiteral("linha")});
    auto* image = Place<TKVImage>();
    const QString jpeg = WriteJpeg(QStringLiteral("boa.jpg"));
    image->Picture()->LoadFromFile(jpeg);
    const QByteArray before = ReadFile(jpeg);
    // A picture file that is no picture of its kind, and a text file that is not there.
    const QString broken = WriteText(QStringLiteral("quebrada.jpg"), "isto nao e um JPEG");
    struct Case {
        TControl* Control;
        QString File;
    };
    for (const Case& c : {Case{memo, Path(QStringLiteral("sumiu.txt"))}, Case{image, broken}}) {
        SCOPED_TRACE(c.Control->Name().toStdString());
        Load(Form->ImageToolBar, c.Control);
        Boxes.clear();
        AnswerFileDialog(c.File);
        Form->OpenPicture->Click();
        // The error reaches the user; no undo step, no modified mark, the control as it was.
        EXPECT_EQ(Boxes.size(), 1u);
        EXPECT_EQ(NewSteps(), 0);
        EXPECT_FALSE(Form->IsModified());
        EXPECT_TRUE(c.Control->Hint().isEmpty());
        EXPECT_TRUE(Form->FilePicture->text().isEmpty());
    }
    EXPECT_EQ(MemoLines(memo), QStringList{QStringLiteral("linha")});
    const QString saved = Path(QStringLiteral("depois.jpg"));
    image->Picture()->SaveToFile(saved);
    EXPECT_EQ(ReadFile(saved), before);
}

TEST_F(ExprImageShapeToolbarTest, AJpegLoadedIntoAPictureIsKeptByteForByteThroughTheReportFile)
{
    auto* image = Place<TKVImage>();
    const QString name = image->Name();
    Load(Form->ImageToolBar, image);
    const QString jpeg = WriteJpeg(QStringLiteral("fotos/etiqueta.jpg"));
    const QByteArray original = ReadFile(jpeg);
    ASSERT_FALSE(original.isEmpty());
    AnswerFileDialog(jpeg);
    Form->OpenPictureClick();
    EXPECT_TRUE(DialogFilter.contains(QStringLiteral("*.jpg"))) << DialogFilter.toStdString();
    EXPECT_EQ(image->Picture()->Width(), 40);
    EXPECT_EQ(image->Picture()->Height(), 24);
    EXPECT_EQ(image->Hint(), QFileInfo(jpeg).absoluteFilePath());
    EXPECT_EQ(Form->FilePicture->text(), QStringLiteral("etiqueta.jpg"));
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());

    const QString report = Path(QStringLiteral("com_foto.KVR"));
    Form->SaveDocument(report);
    ASSERT_FALSE(Form->IsModified());
    CloseDocument();
    Form->OpenFile(report);
    ASSERT_NE(Root(), nullptr);
    auto* read = dynamic_cast<TKVImage*>(Root()->FindComponent(name));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Hint(), QFileInfo(jpeg).absoluteFilePath());
    const QString out = Path(QStringLiteral("lida.jpg"));
    read->Picture()->SaveToFile(out);
    EXPECT_EQ(ReadFile(out), original);
}

TEST_F(ExprImageShapeToolbarTest, ThePictureModesFormOneGroupAndOnlyAChangeIsRecorded)
{
    auto* image = Place<TKVImage>();
    Load(Form->ImageToolBar, image);
    Form->sbProporcionalPicture->Click();
    EXPECT_TRUE(image->Proporcional());
    EXPECT_FALSE(image->Stretch() || image->Center() || image->AutoSize());
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());

    Form->CenterPicture->Click();
    EXPECT_TRUE(Form->CenterPicture->Down());
    EXPECT_FALSE(Form->sbProporcionalPicture->Down());
    EXPECT_TRUE(image->Center());
    EXPECT_FALSE(image->Proporcional());
    EXPECT_EQ(NewSteps(), 2);
    // The shared handlers behind the other two buttons of the group.
    Form->AutoSizePicture->Click();
    EXPECT_TRUE(image->AutoSize());
    EXPECT_FALSE(image->Center());
    Form->StretchPicture->Click();
    EXPECT_TRUE(image->Stretch());
    EXPECT_FALSE(image->AutoSize());
    EXPECT_FALSE(Form->AutoSizePicture->Down());
    EXPECT_EQ(NewSteps(), 4);
    Form->CenterPicture->Click();
    EXPECT_TRUE(image->Center());
    EXPECT_EQ(NewSteps(), 5);
    // Centre again raises it: no mode at all.
    Form->CenterPicture->Click();
    EXPECT_FALSE(image->Center() || image->Proporcional() || image->Stretch() || image->AutoSize());
    EXPECT_EQ(NewSteps(), 6);
    // The handlers with the buttons as the picture is: nothing to record.
    Form->CenterPictureClick();
    Form->sbProporcionalPictureClick();
    EXPECT_EQ(NewSteps(), 6);

    Form->EditarVoltarExecute();
    auto* restored = Restored<TKVImage>(image);
    ASSERT_NE(restored, nullptr);
    EXPECT_TRUE(restored->Center());
}

TEST_F(ExprImageShapeToolbarTest, TheSameHandlersSetADataPicturesFitFromTheFieldBar)
{
    // Whatever the image bar showed last.
    auto* image = Place<TKVImage>();
    Load(Form->ImageToolBar, image);
    auto* picture = Place<TKVDBImage>();
    picture->SetStretch(true);
    Form->ImageToolBar->SetComponent(nullptr);
    Load(Form->CampoToolBar, picture);
    Form->sbProporcionalDBPicture->SetDown(true);
    Form->sbProporcionalPictureClick();
    EXPECT_TRUE(picture->Proporcional());
    EXPECT_FALSE(picture->Stretch() || picture->Center());
    Form->sbCenterDBPicture->SetDown(true);
    Form->CenterPictureClick();
    EXPECT_TRUE(picture->Center());
    EXPECT_FALSE(picture->Proporcional());
    EXPECT_EQ(NewSteps(), 2);
}

TEST_F(ExprImageShapeToolbarTest, TheMemoEditorShowsTheMemoAndStoresOnlyWhatChanged)
{
    auto* memo = Place<TKVExprMemo>();
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetSize(14);
    memo->SetFont(&font);
    Answer = IDYES; // "O texto foi alterado deseja atualizar": Yes
    QString caption, shownText, shownFile, fontFamily;
    int fontSize = 0;
    std::function<void(TfmEditorTxt&)> act;
    TModalForm::SetPresenter([&](TModalForm& f) {
        auto* editor = dynamic_cast<TfmEditorTxt*>(&f);
        ASSERT_NE(editor, nullptr);
        caption = editor->Caption();
        shownText = editor->Text();
        shownFile = editor->FileName();
        fontFamily = editor->Texto->font().family();
        fontSize = editor->Texto->font().pointSize();
        act(*editor);
    });
    const auto ok = [](TfmEditorTxt& e) { e.RunClick([&e] { e.SetModalResult(mrOk); }); };

    struct Case {
        const char* Name;
        QStringList Before;
        const char* Typed; // nullptr: leave the text as shown
        QStringList After;
        bool Changed;
    };
    const Case cases[] = {
        {"(NADA) shows empty and accepted empty stays", {Nada}, nullptr, {Nada}, false},
        {"a text accepted unchanged", {"Linha {A}", "Outra"}, nullptr, {"Linha {A}", "Outra"}, false},
        {"a new text", {Nada}, "Olá {NOME}\nfim", {"Olá {NOME}", "fim"}, true},
        {"a text emptied becomes (NADA)", {"Linha"}, "   ", {Nada}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        SetLines(memo, c.Before);
        memo->SetHint(QStringLiteral(" /textos/carta.txt "));
        Load(Form->ImageToolBar, memo);
        act = [&](TfmEditorTxt& e) {
            if (c.Typed)
                e.SetText(QString::fromUtf8(c.Typed));
            ok(e);
        };
        Form->sbEditarArq->Click();
        EXPECT_EQ(caption, QString::fromUtf8("Editando texto com expressões"));
        EXPECT_EQ(shownText, c.Before == QStringList{Nada} ? QString() : c.Before.join(QLatin1Char('\n')));
        EXPECT_EQ(shownFile, QStringLiteral("/textos/carta.txt"));
        EXPECT_EQ(fontFamily, QStringLiteral("Arial"));
        EXPECT_EQ(fontSize, 14);
        EXPECT_EQ(MemoLines(memo), c.After);
        EXPECT_EQ(NewSteps(), c.Changed ? 1 : 0);
        // The editor's file name differs from the untrimmed Hint: it is stored, and marks modified.
        EXPECT_EQ(memo->Hint(), QStringLiteral("/textos/carta.txt"));
        EXPECT_TRUE(Form->IsModified());
    }

    // Cancelled: nothing, not even the file name.
    memo->SetHint(QStringLiteral("/textos/carta.txt"));
    Load(Form->ImageToolBar, memo);
    act = [](TfmEditorTxt& e) {
        e.SetText(QStringLiteral("descartado"));
        e.SetFileName(QStringLiteral("/outro.txt"));
        e.RunClick([&e] { e.SetModalResult(mrCancel); });
    };
    Answer = IDNO;
    Form->Editararquivotexto2Click();
    EXPECT_EQ(MemoLines(memo), QStringList{Nada});
    EXPECT_EQ(memo->Hint(), QStringLiteral("/textos/carta.txt"));
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());
}

// ---- the shape bar -----------------------------------------------------------------------------------

TEST_F(ExprImageShapeToolbarTest, AShapeButtonSetsTheKindAndThePressedOneRecordsNothing)
{
    auto* shape = Place<TKVShape>();
    shape->SetShape(kvsCircle);
    Load(Form->ShapeToolbar, shape);
    EXPECT_TRUE(Shown(Form->paFormaGeometrica));
    EXPECT_FALSE(Shown(Form->paImage));
    EXPECT_TRUE(Form->Circle->Down());

    struct Case {
        TSpeedButton* Button;
        TKVShapeType Kind;
    };
    const Case cases[] = {{Form->Rectangle, kvsRectangle}, {Form->VertLine, kvsVertLine}, {Form->HorzLine, kvsHorLine},
                          {Form->TopAndBottom, kvsTopAndBottom}, {Form->RightAndLeft, kvsRightAndLeft},
                          {Form->Circle, kvsCircle}};
    int steps = 0;
    for (const Case& c : cases) {
        c.Button->Click();
        EXPECT_EQ(shape->Shape(), c.Kind);
        EXPECT_TRUE(c.Button->Down());
        EXPECT_EQ(NewSteps(), ++steps);
        // The pressed button again: still down, nothing recorded.
        c.Button->Click();
        EXPECT_TRUE(c.Button->Down());
        EXPECT_EQ(shape->Shape(), c.Kind);
        EXPECT_EQ(NewSteps(), steps);
    }
    EXPECT_TRUE(Form->IsModified());
    Form->SetModified(false);
    Form->Circle->Click();
    EXPECT_FALSE(Form->IsModified());

    Form->EditarVoltarExecute();
    auto* restored = Restored<TKVShape>(shape);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->Shape(), kvsRightAndLeft);
}

TEST_F(ExprImageShapeToolbarTest, PicturesShowTheirFrameLinesAndOnlyAPictureHasTheBackgroundColour)
{
    auto* image = Place<TKVImage>();
    image->Frame()->SetDrawTop(true);
    auto* picture = Place<TKVDBImage>();
    picture->Frame()->SetDrawLeft(true);
    picture->Frame()->SetDrawRight(true);

    Load(Form->ShapeToolbar, image);
    EXPECT_TRUE(Shown(Form->paImage));
    EXPECT_FALSE(Shown(Form->paFormaGeometrica));
    EXPECT_TRUE(Shown(Form->sbColorBand));
    EXPECT_TRUE(Form->BandFrameTop->Down());
    EXPECT_FALSE(Form->BandFrameLeft->Down() || Form->BandFrameBottom->Down() || Form->BandFrameRight->Down());

    Load(Form->ShapeToolbar, picture);
    EXPECT_TRUE(Shown(Form->paImage));
    EXPECT_FALSE(Shown(Form->sbColorBand));
    EXPECT_TRUE(Form->BandFrameLeft->Down());
    EXPECT_TRUE(Form->BandFrameRight->Down());
    EXPECT_FALSE(Form->BandFrameTop->Down() || Form->BandFrameBottom->Down());

    // Each toggle sets its own side, one step each.
    Form->BandFrameBottom->Click();
    Form->BandFrameLeft->Click();
    EXPECT_TRUE(picture->Frame()->DrawBottom());
    EXPECT_FALSE(picture->Frame()->DrawLeft());
    EXPECT_TRUE(picture->Frame()->DrawRight());
    EXPECT_FALSE(picture->Frame()->DrawTop());
    EXPECT_EQ(NewSteps(), 2);
    EXPECT_TRUE(Form->IsModified());
    Form->EditarVoltarExecute();
    auto* restored = Restored<TKVDBImage>(picture);
    ASSERT_NE(restored, nullptr);
    EXPECT_TRUE(restored->Frame()->DrawLeft());
    EXPECT_TRUE(restored->Frame()->DrawBottom());
}

TEST_F(ExprImageShapeToolbarTest, AColourIsStoredOnlyWhenTheDialogIsAcceptedWithAnotherColour)
{
    auto* shape = Place<TKVShape>();
    shape->Pen()->SetColor(clBlack);
    shape->Brush()->SetColor(clWhite);
    auto* image = Place<TKVImage>();
    image->SetColor(clWhite);

    TColor preset = clNone;
    TColor answer = clRed;
    bool accept = true;
    SetDialogPresenter([&](TCommonDialog& d) {
        auto* dialog = dynamic_cast<TColorDialog*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog)
            return false;
        preset = dialog->Color;
        dialog->Color = answer;
        return accept;
    });
    struct Case {
        const char* Name;
        TControl* Control;
        TSpeedButton* TfmAnexo::*Button;
        std::function<TColor()> Value;
        TColor Before;
    };
    const Case cases[] = {
        {"pen", shape, &TfmAnexo::PenColor, [shape] { return shape->Pen()->Color(); }, clBlack},
        {"brush", shape, &TfmAnexo::BrushColor, [shape] { return shape->Brush()->Color(); }, clWhite},
        {"picture", image, &TfmAnexo::sbColorBand, [image] { return image->Color(); }, clWhite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Load(Form->ShapeToolbar, c.Control);
        TSpeedButton* button = Form.get()->*c.Button;
        accept = false;
        answer = clRed;
        button->Click();
        EXPECT_EQ(preset, c.Before);
        EXPECT_EQ(c.Value(), c.Before);
        EXPECT_EQ(NewSteps(), 0);

        accept = true;
        answer = c.Before;
        button->Click();
        EXPECT_EQ(NewSteps(), 0);
        EXPECT_FALSE(Form->IsModified());

        answer = clRed;
        button->Click();
        EXPECT_EQ(c.Value(), clRed);
        EXPECT_EQ(NewSteps(), 1);
        EXPECT_TRUE(Form->IsModified());
    }
}

// ---- the SQL command -----------------------------------------------------------------------------------

TEST_F(ExprImageShapeToolbarTest, TheSqlCommandOpensTheEditorOfTheColumnGridOrTheObservationArea)
{
    MakeSqlite(QStringLiteral("ETIQ"),
               {QStringLiteral("CREATE TABLE ITENS (NOME VARCHAR(20), OBS VARCHAR(40))"),
                QStringLiteral("INSERT INTO ITENS VALUES ('Caneta', 'azul')")});
    auto* table = new TTable(Root());
    table->SetName(QStringLiteral("Itens"));
    table->SetDatabaseName(QStringLiteral("ETIQ"));
    table->SetTableName(QStringLiteral("ITENS"));
    Form->Report->SetDataSet(table);
    table->Open();

    auto* grid = new TKVColunaSql(Root());
    grid->SetName(QStringLiteral("Grade"));
    grid->SetParent(Form->Report);
    auto* query = new TQuery(Root());
    query->SetName(QStringLiteral("Colunas"));
    query->SetDatabaseName(QStringLiteral("ETIQ"));
    query->SQL()->Add(QStringLiteral("SELECT NOME FROM ITENS"));
    grid->SetCol_DataSet(query);
    query->Open();
    auto* area = new TKVItensObs(Root());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(Form->Report);
    auto* obsQuery = new TQuery(Root());
    obsQuery->SetName(QStringLiteral("Observacoes"));
    obsQuery->SetDatabaseName(QStringLiteral("ETIQ"));
    obsQuery->SQL()->Add(QStringLiteral("SELECT NOME, OBS FROM ITENS"));
    area->SetObs_DataSet(obsQuery);
    TKVObsLabel* obsLabel = area->Obs_TKVObs()->Obs_Label();
    ASSERT_NE(obsLabel, nullptr);
    auto* cellText = Place<TKVLabel>(grid->KVColuna());

    QString caption;
    TKVCustomBand* band = nullptr;
    int result = mrCancel;
    int shown = 0;
    int helpContext = 0;
    bool waitCursor = false;
    TModalForm::SetPresenter([&](TModalForm& f) {
        auto* editor = dynamic_cast<TfmObs_Sql*>(&f);
        ASSERT_NE(editor, nullptr);
        ++shown;
        caption = editor->Caption();
        band = editor->Band();
        helpContext = HelpContextOf(f.Window());
        waitCursor = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        f.SetModalResult(result);
    });
    struct Case {
        const char* Name;
        TControl* Selected;
        const char* Caption;
        TKVCustomBand* Band;
    };
    const Case cases[] = {
        {"the column grid", grid, "Editor do Sql dos itens coluna", grid},
        {"the grid's cell band", grid->KVColuna(), "Editor do Sql dos itens coluna", grid},
        {"a text in the cell band", cellText, "Editor do Sql dos itens coluna", grid},
        {"the observation band", area->Obs_TKVObs(), "Editor do Sql da observação dos itens", area},
        {"a label in the observation band", obsLabel, "Editor do Sql da observação dos itens", area},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Form->Designer->Attach(Form->Report);
        Form->Designer->SetSelected(c.Selected);
        Form->SetModified(false);
        shown = 0;
        result = mrCancel;
        Form->ComandosSql2Click();
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(caption, QString::fromUtf8(c.Caption));
        EXPECT_EQ(band, c.Band);
        EXPECT_EQ(helpContext, 560);
        EXPECT_TRUE(waitCursor);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(Form->IsModified());
    }

    // Accepted: the document is modified and the grid's query closed, to open with its new SQL.
    Form->Designer->SetSelected(grid);
    Form->SetModified(false);
    ASSERT_TRUE(query->Active());
    result = mrOk;
    Form->ComandosSql2Click();
    EXPECT_TRUE(Form->IsModified());
    EXPECT_FALSE(query->Active());

    // Accepted for the observation area: the band bar's field list is that of its query.
    ASSERT_NE(Form->cbObs_ListField, nullptr);
    Form->cbObs_ListField->clear();
    Form->Designer->SetSelected(obsLabel);
    Form->SetModified(false);
    Form->ComandosSql2Click();
    EXPECT_TRUE(Form->IsModified());
    QStringList fields;
    for (int i = 0; i < Form->cbObs_ListField->count(); ++i)
        fields << Form->cbObs_ListField->itemText(i);
    EXPECT_EQ(fields, (QStringList{"NOME", "OBS"}));

    // Bands that have no SQL open nothing.
    shown = 0;
    Form->Designer->SetSelected(Detail());
    Form->ComandosSql2Click();
    EXPECT_EQ(shown, 0);
}

} // namespace
