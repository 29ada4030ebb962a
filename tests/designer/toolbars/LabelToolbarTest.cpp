// The label tool bar on a new document in a window: what it enables, shows and loads for a barcode,
// a band, texts on a group footer and elsewhere and the kinds of multi-selection; the boxes' edits
// and their undo steps; the buttons over a single control and over a selection; the colours; the
// shared picture-mode handlers; and the refusals: a size out of range, a change that changes
// nothing, a font scale meant for another barcode.
#include "UndoFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Dialogs.h"
#include "uisupport/FontComboBox.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"
#include "uisupport/UpDown.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <functional>
#include <initializer_list>
#include <iterator>

using namespace tessiv;
using namespace designertest;

namespace {

class LabelToolbarTest : public PropertyBarTest<UndoFixture> {
protected:
    void SetUp() override
    {
        UndoFixture::SetUp();
        ASSERT_NE(OpenDocument(), nullptr);
    }
    void TearDown() override
    {
        SetDialogPresenter(nullptr);
        UndoFixture::TearDown();
    }

    TKVLabel* PlaceLabel(TWinControl* band = nullptr, const QString& caption = QStringLiteral("Texto"))
    {
        auto* label = new TKVLabel(Root());
        label->SetName(Form->UniqueComponentName(Root(), QStringLiteral("KVLabel")));
        label->SetParent(band ? band : Detail());
        label->SetBounds(10 + 70 * Placed++, 4, 60, 15);
        label->SetCaption(caption);
        return label;
    }
    TKVBarcode* PlaceBarcode()
    {
        auto* bar = new TKVBarcode(Root());
        bar->SetName(Form->UniqueComponentName(Root(), QStringLiteral("KVBarcode")));
        bar->SetParent(Detail());
        bar->SetBounds(10 + 70 * Placed++, 4, 69, 66);
        return bar;
    }
    // Selected alone, the label bar shows it.
    void Select(TControl* control)
    {
        Form->MultiDesigner->Clear();
        SelectForBar(control, Form->CustomLabelToolbar);
    }
    // The controls toggled into the multi-selection, the bar given nil as the selection does.
    void MultiSelect(std::initializer_list<TControl*> controls)
    {
        Form->MultiDesigner->Clear();
        MultiSelectControls(controls);
        Form->CustomLabelToolbar->SetComponent(nullptr);
        Reset();
    }
    template <class T> T* Named(const QString& name) const { return dynamic_cast<T*>(Root()->FindComponent(name)); }
    // A key typed into a box of the bar, through the box's own event handling.
    static void Type(QWidget* box, Qt::Key key, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(box, &release);
    }
    // A size picked from the size box's list.
    void PickSize(const QString& size)
    {
        const int item = Form->FontSize->findText(size);
        ASSERT_GE(item, 0) << qPrintable(size);
        Form->FontSize->setCurrentIndex(item);
        emit Form->FontSize->activated(item);
    }
    // The colour dialog answers with the colour (or is cancelled), and counts its runs.
    void AnswerColor(TColor color, bool ok = true)
    {
        SetDialogPresenter([this, color, ok](TCommonDialog& dialog) {
            ++ColorDialogs;
            if (auto* colors = dynamic_cast<TColorDialog*>(&dialog)) {
                PresetColor = colors->Color;
                colors->Color = color;
            }
            return ok;
        });
    }

    int Placed = 0;
    int ColorDialogs = 0;
    TColor PresetColor = clNone;
};

// ---- what the bar enables and shows -------------------------------------------------------------

TEST_F(LabelToolbarTest, EachKindOfSelectionEnablesAndShowsItsControls)
{
    TKVBand* footer = AddBand(rbGroupFooter);
    struct Case {
        const char* Name;
        std::function<void()> Select;
        bool E, F, B, D; // alignment and the like; size; font scale; a band
        bool SizeShown, ScaleShown, FillShown;
    };
    TKVLabel* onFooter = PlaceLabel(footer);
    TKVLabel* onDetail = PlaceLabel();
    TKVLabel* other = PlaceLabel();
    TKVBarcode* bar = PlaceBarcode();
    TKVBarcode* bar2 = PlaceBarcode();
    const Case cases[] = {
        {"barcode", [&] { Select(bar); }, true, false, true, false, false, true, false},
        {"band", [&] { Select(Detail()); }, false, true, false, true, true, false, false},
        {"label on a group footer", [&] { Select(onFooter); }, true, true, false, false, true, false, true},
        {"label on the detail", [&] { Select(onDetail); }, true, true, false, false, true, false, false},
        {"labels", [&] { MultiSelect({onDetail, other}); }, true, true, false, false, true, false, false},
        {"labels, one on a footer", [&] { MultiSelect({onDetail, onFooter}); }, true, true, false, false, true, false,
         true},
        {"barcodes", [&] { MultiSelect({bar, bar2}); }, true, false, true, false, false, true, false},
        {"label and barcode", [&] { MultiSelect({onDetail, bar}); }, true, true, true, false, true, true, false},
        {"barcode and label", [&] { MultiSelect({bar, onDetail}); }, true, true, true, false, true, true, false},
    };
    // Run forwards and then backwards, so each case also follows each of the others' states.
    std::vector<const Case*> order;
    for (const Case& c : cases)
        order.push_back(&c);
    for (auto it = std::rbegin(cases); it != std::rend(cases); ++it)
        order.push_back(&*it);
    for (const Case* c : order) {
        SCOPED_TRACE(c->Name);
        c->Select();
        for (QWidget* w : std::initializer_list<QWidget*>{Form->AlignLeft, Form->AlignCenter, Form->AlignRight,
                                                          Form->sbTransparent, Form->AutoSizeLabel, Form->cbRotacaoLabel})
            EXPECT_EQ(w->isEnabled(), c->E) << qPrintable(w->objectName());
        EXPECT_EQ(Form->FontSize->isEnabled(), c->F);
        EXPECT_EQ(Form->edEscalaFontBarra->isEnabled(), c->B);
        EXPECT_EQ(Form->upEscalaFontBarra->isEnabled(), c->B);
        for (QWidget* w : std::initializer_list<QWidget*>{Form->Bold, Form->Italic, Form->UnderLn, Form->FrameLeft,
                                                          Form->FrameTop, Form->FrameBottom, Form->FrameRight,
                                                          Form->FontColor})
            EXPECT_EQ(w->isEnabled(), c->F && !c->B) << qPrintable(w->objectName());
        EXPECT_EQ(Form->StretchLabel->isEnabled(), c->F && !c->B && !c->D);
        EXPECT_EQ(Form->sbWordWrapLabel->isEnabled(), c->F && !c->B && !c->D);
        for (QWidget* w : std::initializer_list<QWidget*>{Form->FonteNome, Form->BkColor, Form->edStrPreencheRodape})
            EXPECT_TRUE(w->isEnabled()) << qPrintable(w->objectName());
        EXPECT_EQ(Shown(Form->FontSize), c->SizeShown);
        EXPECT_EQ(Shown(Form->edEscalaFontBarra), c->ScaleShown);
        EXPECT_EQ(Shown(Form->upEscalaFontBarra), c->ScaleShown);
        EXPECT_EQ(Shown(Form->edStrPreencheRodape), c->FillShown);
        // Showing a selection never changes it.
        EXPECT_FALSE(Form->IsModified());
        EXPECT_EQ(NewSteps(), 0);
    }
}

TEST_F(LabelToolbarTest, ABarcodeABandAndALabelAreLoadedIntoTheBar)
{
    const QString fontA = Form->FonteNome->itemText(0);
    const QString fontB = Form->FonteNome->itemText(1);
    ASSERT_FALSE(fontB.isEmpty());

    TKVBarcode* bar = PlaceBarcode();
    bar->SetBar_Fontname(fontB);
    bar->SetBar_FontScaling(145);
    bar->SetBar_Rotation(rotate_180);
    Select(bar);
    EXPECT_EQ(Form->FonteNome->FontName(), fontB);
    EXPECT_EQ(Form->upEscalaFontBarra->Position(), 145);
    EXPECT_EQ(Form->edEscalaFontBarra->text(), QStringLiteral("145"));
    EXPECT_EQ(Form->cbRotacaoLabel->currentIndex(), 2);

    TKVCustomBand* band = Detail();
    band->Font()->SetName(fontA);
    band->Font()->SetSize(14);
    band->Font()->SetStyle({fsItalic});
    band->Frame()->SetDrawTop(true);
    Select(band);
    EXPECT_EQ(Form->FonteNome->FontName(), fontA);
    EXPECT_EQ(Form->FontSize->currentText(), QStringLiteral("14"));
    EXPECT_FALSE(Form->Bold->Down());
    EXPECT_TRUE(Form->Italic->Down());
    EXPECT_TRUE(Form->FrameTop->Down());
    EXPECT_FALSE(Form->FrameLeft->Down());

    TKVLabel* label = PlaceLabel(AddBand(rbGroupFooter));
    label->Font()->SetName(fontB);
    label->Font()->SetSize(9);
    label->Font()->SetStyle({fsBold, fsUnderline});
    label->Frame()->SetDrawRight(true);
    label->SetAlignment(taRightJustify);
    label->SetRotacao(rotacao_090);
    label->SetAutoSize(false);
    label->SetAutoStretch(true);
    label->SetWordWrap(false);
    label->SetTransparent(true);
    label->SetStrPreencheRodape(QStringLiteral("*"));
    Select(label);
    EXPECT_EQ(Form->FonteNome->FontName(), fontB);
    EXPECT_EQ(Form->FontSize->currentText(), QStringLiteral("9"));
    EXPECT_EQ(Form->cbRotacaoLabel->currentIndex(), 1);
    EXPECT_TRUE(Form->Bold->Down());
    EXPECT_FALSE(Form->Italic->Down());
    EXPECT_TRUE(Form->UnderLn->Down());
    EXPECT_TRUE(Form->FrameRight->Down());
    EXPECT_FALSE(Form->FrameTop->Down());
    EXPECT_TRUE(Form->AlignRight->Down());
    EXPECT_FALSE(Form->AlignLeft->Down());
    EXPECT_FALSE(Form->AutoSizeLabel->Down());
    EXPECT_TRUE(Form->StretchLabel->Down());
    EXPECT_FALSE(Form->sbWordWrapLabel->Down());
    EXPECT_TRUE(Form->sbTransparent->Down());
    EXPECT_EQ(Form->edStrPreencheRodape->text(), QStringLiteral("*"));
}

TEST_F(LabelToolbarTest, AMultiSelectionKeepsDownOnlyWhatEveryControlHas)
{
    TKVLabel* a = PlaceLabel();
    TKVLabel* b = PlaceLabel();
    for (TKVLabel* l : {a, b}) {
        l->Font()->SetStyle({fsItalic});
        l->Frame()->SetDrawLeft(true);
        l->SetWordWrap(true);
    }
    a->Font()->SetStyle({fsItalic, fsBold});
    a->Frame()->SetDrawBottom(true);
    a->SetAlignment(taCenter);
    b->SetAlignment(taRightJustify);
    a->SetTransparent(true);
    b->SetTransparent(false);
    MultiSelect({a, b});
    EXPECT_FALSE(Form->Bold->Down());
    EXPECT_TRUE(Form->Italic->Down());
    EXPECT_TRUE(Form->FrameLeft->Down());
    EXPECT_FALSE(Form->FrameBottom->Down());
    EXPECT_TRUE(Form->sbWordWrapLabel->Down());
    EXPECT_FALSE(Form->sbTransparent->Down());
    EXPECT_FALSE(Form->AlignLeft->Down());
    EXPECT_FALSE(Form->AlignCenter->Down());
    EXPECT_FALSE(Form->AlignRight->Down());
}

TEST_F(LabelToolbarTest, TwoDifferentFontsLeaveTheFontBoxEmptyAndAnEmptyBoxAppliesNothing)
{
    const QString fontA = Form->FonteNome->itemText(0);
    const QString fontB = Form->FonteNome->itemText(1);
    TKVLabel* a = PlaceLabel();
    TKVLabel* b = PlaceLabel();
    a->Font()->SetName(fontA);
    b->Font()->SetName(fontB);
    MultiSelect({a, b});
    EXPECT_TRUE(Form->FonteNome->FontName().isEmpty());
    Form->FonteNomeExit();
    EXPECT_EQ(a->Font()->Name(), fontA);
    EXPECT_EQ(b->Font()->Name(), fontB);
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());

    // The same fonts show the name.
    b->Font()->SetName(fontA);
    MultiSelect({a, b});
    EXPECT_EQ(Form->FonteNome->FontName(), fontA);

    // A font picked for both is one step.
    Form->FonteNome->SetFontName(fontB);
    emit Form->FonteNome->activated(Form->FonteNome->currentIndex());
    Form->FonteNomeExit();
    EXPECT_EQ(a->Font()->Name(), fontB);
    EXPECT_EQ(b->Font()->Name(), fontB);
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());
}

TEST_F(LabelToolbarTest, ALabelInTheDefaultArialShowsArialInTheFontBox)
{
    // Arial is no installed family here: fontconfig answers it with Liberation Sans.
    TKVLabel* label = PlaceLabel();
    ASSERT_EQ(label->Font()->Name(), QStringLiteral("Arial"));
    Select(label);
    EXPECT_EQ(Form->FonteNome->FontName(), QStringLiteral("Arial"));
    // Leaving the box keeps the name and records nothing.
    Form->FonteNomeExit();
    EXPECT_EQ(label->Font()->Name(), QStringLiteral("Arial"));
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());
}

// ---- the boxes -------------------------------------------------------------------------------------

TEST_F(LabelToolbarTest, ThreeSizesPickedThenLeavingTheBoxAreOneStepBackToTheFirstSize)
{
    TKVLabel* label = PlaceLabel();
    label->Font()->SetSize(10);
    const QString name = label->Name();
    Select(label);
    EXPECT_EQ(Form->FontSize->currentText(), QStringLiteral("10"));
    for (const char* size : {"12", "18", "36"})
        ASSERT_NO_FATAL_FAILURE(PickSize(QString::fromLatin1(size)));
    EXPECT_EQ(label->Font()->Size(), 36);
    Form->FontSizeExit();
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(Form->FontSizeTag, 0);

    Form->EditarVoltarExecute();
    auto* restored = Named<TKVLabel>(name);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->Font()->Size(), 10);

    // The next edit of the box is a step of its own: undoing it goes back to the size before it.
    Select(restored);
    ASSERT_NO_FATAL_FAILURE(PickSize(QStringLiteral("20")));
    Form->FontSizeExit();
    EXPECT_EQ(restored->Font()->Size(), 20);
    EXPECT_TRUE(Form->IsModified());
    Form->EditarVoltarExecute();
    ASSERT_NE(Named<TKVLabel>(name), nullptr);
    EXPECT_EQ(Named<TKVLabel>(name)->Font()->Size(), 10);
}

TEST_F(LabelToolbarTest, ALetterInTheSizeBoxIsIgnoredAndEnterAppliesTheTypedSize)
{
    TKVLabel* label = PlaceLabel();
    label->Font()->SetSize(10);
    Select(label);
    Form->FontSize->lineEdit()->selectAll();
    Type(Form->FontSize, Qt::Key_1, QStringLiteral("1"));
    Type(Form->FontSize, Qt::Key_A, QStringLiteral("a"));
    Type(Form->FontSize, Qt::Key_4, QStringLiteral("4"));
    EXPECT_EQ(Form->FontSize->currentText(), QStringLiteral("14"));
    EXPECT_EQ(label->Font()->Size(), 10);
    EXPECT_EQ(NewSteps(), 0);
    // Backspace and Delete still edit the box.
    Type(Form->FontSize, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(Form->FontSize->currentText(), QStringLiteral("1"));
    Form->FontSize->lineEdit()->setCursorPosition(0);
    Type(Form->FontSize, Qt::Key_Delete, QString(QChar(0x7F)));
    EXPECT_TRUE(Form->FontSize->currentText().isEmpty());
    Type(Form->FontSize, Qt::Key_1, QStringLiteral("1"));
    Type(Form->FontSize, Qt::Key_4, QStringLiteral("4"));

    Type(Form->FontSize, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(label->Font()->Size(), 14);
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(Form->FontSizeTag, 0);
    // Enter was taken by the bar: the list got no new item.
    EXPECT_EQ(Form->FontSize->count(), 16);

    // The rotation box takes digits only, too.
    QChar key = QLatin1Char('x');
    Form->cbRotacaoLabelKeyPress(key);
    EXPECT_TRUE(key.isNull());
    key = QLatin1Char('9');
    Form->cbRotacaoLabelKeyPress(key);
    EXPECT_EQ(key, QLatin1Char('9'));
}

TEST_F(LabelToolbarTest, ASizeOutsideOneTo1638IsRefusedAndTheBoxRestored)
{
    struct Case {
        const char* Text;
        bool Applies;
    };
    const Case cases[] = {{"0", false}, {"1", true}, {"1638", true}, {"1639", false}, {"-4", false},
                          {"", false},  {"99999999999", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        TKVLabel* label = PlaceLabel();
        label->Font()->SetSize(10);
        TKVLabel* other = PlaceLabel();
        other->Font()->SetSize(10);

        Select(label);
        Form->FontSize->setEditText(QString::fromLatin1(c.Text));
        Form->FontSizeExit();
        EXPECT_EQ(label->Font()->Size(), c.Applies ? QString::fromLatin1(c.Text).toInt() : 10);
        EXPECT_EQ(Form->FontSize->currentText(), c.Applies ? QString::fromLatin1(c.Text) : QStringLiteral("10"));
        EXPECT_EQ(NewSteps(), c.Applies ? 1 : 0);
        EXPECT_EQ(Form->IsModified(), c.Applies);

        // A selection of several has no one size to show: the box is emptied, nothing recorded.
        label->Font()->SetSize(10);
        MultiSelect({label, other});
        Form->FontSize->setEditText(QString::fromLatin1(c.Text));
        Form->FontSizeExit();
        EXPECT_EQ(other->Font()->Size(), c.Applies ? QString::fromLatin1(c.Text).toInt() : 10);
        EXPECT_EQ(Form->FontSize->currentText(), c.Applies ? QString::fromLatin1(c.Text) : QString());
        EXPECT_EQ(NewSteps(), c.Applies ? 1 : 0);
        EXPECT_EQ(Form->IsModified(), c.Applies);
    }
}

TEST_F(LabelToolbarTest, TheFontScaleChangesTheSelectedBarcodesNeverAnotherBarsOne)
{
    TKVBarcode* held = PlaceBarcode();
    TKVBarcode* a = PlaceBarcode();
    TKVBarcode* b = PlaceBarcode();
    TKVLabel* label = PlaceLabel();
    // The field bar still holds a barcode selected earlier.
    Select(a);
    Form->CampoToolBar->SetComponent(held);
    Form->upEscalaFontBarra->Step(TUpDown::btNext);
    Form->upEscalaFontBarra->Step(TUpDown::btNext);
    Form->edEscalaFontBarraExit();
    EXPECT_EQ(a->Bar_FontScaling(), 110);
    EXPECT_EQ(held->Bar_FontScaling(), 100);
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_EQ(Form->upEscalaFontBarraTag, 0);

    // Typed into the box: the up-down's reading of the text, within 20 to 200.
    Select(b);
    Form->CampoToolBar->SetComponent(held);
    Form->edEscalaFontBarra->setText(QStringLiteral("500"));
    Form->edEscalaFontBarraExit();
    EXPECT_EQ(b->Bar_FontScaling(), 200);
    EXPECT_EQ(held->Bar_FontScaling(), 100);

    // Over a selection: its barcodes, not its texts, not the field bar's.
    Form->CampoToolBar->SetComponent(held);
    MultiSelect({label, a, b});
    Form->edEscalaFontBarra->setText(QStringLiteral("60"));
    Form->edEscalaFontBarraExit();
    EXPECT_EQ(a->Bar_FontScaling(), 60);
    EXPECT_EQ(b->Bar_FontScaling(), 60);
    EXPECT_EQ(held->Bar_FontScaling(), 100);
    EXPECT_EQ(NewSteps(), 1);
}

TEST_F(LabelToolbarTest, TheRotationAppliesToTextsAndBarcodesAndNoItemAbortsSilently)
{
    TKVLabel* label = PlaceLabel();
    TKVBarcode* bar = PlaceBarcode();
    MultiSelect({label, bar});
    Form->cbRotacaoLabel->setCurrentIndex(3);
    emit Form->cbRotacaoLabel->activated(3);
    Form->cbRotacaoLabelExit();
    EXPECT_EQ(label->Rotacao(), rotacao_270);
    EXPECT_EQ(bar->Bar_Rotation(), rotate_270);
    EXPECT_EQ(NewSteps(), 1);

    Select(label);
    Form->cbRotacaoLabel->setCurrentIndex(-1);
    EXPECT_THROW(Form->cbRotacaoLabelClick(), EAbort);
    // Leaving the box ends the edit even so.
    Form->cbRotacaoLabelTag = 1;
    EXPECT_THROW(Form->cbRotacaoLabelExit(), EAbort);
    EXPECT_EQ(Form->cbRotacaoLabelTag, 0);
    EXPECT_EQ(label->Rotacao(), rotacao_270);
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());
}

TEST_F(LabelToolbarTest, TheFillStringIsOneStepAndAFollowingFontNameChangeIsItsOwn)
{
    TKVLabel* label = PlaceLabel(AddBand(rbGroupFooter));
    TKVLabel* elsewhere = PlaceLabel();
    Select(label);
    Form->edStrPreencheRodape->setText(QStringLiteral("."));
    unsigned short key = VK_RETURN;
    Form->edStrPreencheRodapeKeyDown(key, {});
    EXPECT_EQ(label->StrPreencheRodape(), QStringLiteral("."));
    EXPECT_EQ(NewSteps(), 1);

    Form->FonteNome->setCurrentIndex(Form->FonteNome->currentIndex() == 0 ? 1 : 0);
    Form->FonteNomeExit();
    EXPECT_EQ(label->Font()->Name(), Form->FonteNome->FontName());
    EXPECT_EQ(NewSteps(), 2);

    // In a selection only the texts of a group footer take it.
    MultiSelect({label, elsewhere});
    EXPECT_TRUE(Shown(Form->edStrPreencheRodape));
    Form->edStrPreencheRodape->setText(QStringLiteral("-"));
    Form->edStrPreencheRodapeExit();
    EXPECT_EQ(label->StrPreencheRodape(), QStringLiteral("-"));
    EXPECT_TRUE(elsewhere->StrPreencheRodape().isEmpty());
    EXPECT_EQ(NewSteps(), 1);
}

// ---- the buttons -----------------------------------------------------------------------------------

TEST_F(LabelToolbarTest, BoldPressedOverABoldAndANonBoldLabelMakesBothBoldInOneStep)
{
    TKVLabel* a = PlaceLabel();
    TKVLabel* b = PlaceLabel();
    a->Font()->SetStyle({fsBold});
    const QString nameA = a->Name();
    const QString nameB = b->Name();
    MultiSelect({a, b});
    EXPECT_FALSE(Form->Bold->Down());
    Form->Bold->Click();
    EXPECT_TRUE(Form->Bold->Down());
    EXPECT_TRUE(a->Font()->Style().Contains(fsBold));
    EXPECT_TRUE(b->Font()->Style().Contains(fsBold));
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());

    Form->EditarVoltarExecute();
    ASSERT_NE(Named<TKVLabel>(nameA), nullptr);
    ASSERT_NE(Named<TKVLabel>(nameB), nullptr);
    EXPECT_TRUE(Named<TKVLabel>(nameA)->Font()->Style().Contains(fsBold));
    EXPECT_FALSE(Named<TKVLabel>(nameB)->Font()->Style().Contains(fsBold));
}

TEST_F(LabelToolbarTest, EachButtonSetsItsPropertyOnALabelInOneStep)
{
    struct Case {
        const char* Name;
        TSpeedButton* TfmAnexo::*Button;
        std::function<bool(TKVLabel*)> Holds;
    };
    const Case cases[] = {
        {"italic", &TfmAnexo::Italic, [](TKVLabel* l) { return l->Font()->Style().Contains(fsItalic); }},
        {"underline", &TfmAnexo::UnderLn, [](TKVLabel* l) { return l->Font()->Style().Contains(fsUnderline); }},
        {"centre", &TfmAnexo::AlignCenter, [](TKVLabel* l) { return l->Alignment() == taCenter; }},
        {"right", &TfmAnexo::AlignRight, [](TKVLabel* l) { return l->Alignment() == taRightJustify; }},
        {"left line", &TfmAnexo::FrameLeft, [](TKVLabel* l) { return l->Frame()->DrawLeft(); }},
        {"top line", &TfmAnexo::FrameTop, [](TKVLabel* l) { return l->Frame()->DrawTop(); }},
        {"bottom line", &TfmAnexo::FrameBottom, [](TKVLabel* l) { return l->Frame()->DrawBottom(); }},
        {"right line", &TfmAnexo::FrameRight, [](TKVLabel* l) { return l->Frame()->DrawRight(); }},
        {"transparent", &TfmAnexo::sbTransparent, [](TKVLabel* l) { return l->Transparent(); }},
        {"stretch", &TfmAnexo::StretchLabel, [](TKVLabel* l) { return l->AutoStretch(); }},
        {"no word wrap", &TfmAnexo::sbWordWrapLabel, [](TKVLabel* l) { return !l->WordWrap(); }},
        {"no automatic size", &TfmAnexo::AutoSizeLabel, [](TKVLabel* l) { return !l->AutoSize(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TKVLabel* label = PlaceLabel();
        label->SetTransparent(false);
        Select(label);
        ASSERT_FALSE(c.Holds(label));
        (Form.get()->*c.Button)->Click();
        EXPECT_TRUE(c.Holds(label));
        EXPECT_EQ(NewSteps(), 1);
        EXPECT_TRUE(Form->IsModified());
    }
}

TEST_F(LabelToolbarTest, AChangeThatChangesNothingRecordsNoStepAndLeavesTheModifiedMark)
{
    TKVBarcode* bar = PlaceBarcode();
    TKVBarcode* bar2 = PlaceBarcode();
    TKVLabel* label = PlaceLabel();
    label->SetAlignment(taLeftJustify);
    label->Font()->SetSize(12);
    struct Case {
        const char* Name;
        std::function<void()> Select;
        std::function<void()> Act;
    };
    const Case cases[] = {
        {"a frame line on a barcode", [&] { Select(bar); }, [&] { Form->FrameLeft->Click(); }},
        {"bold on a barcode", [&] { Select(bar); }, [&] { Form->Bold->Click(); }},
        {"a frame line on two barcodes", [&] { MultiSelect({bar, bar2}); }, [&] { Form->FrameTop->Click(); }},
        {"italic on two barcodes", [&] { MultiSelect({bar, bar2}); }, [&] { Form->Italic->Click(); }},
        {"the alignment the label has", [&] { Select(label); }, [&] { Form->AlignLeft->Click(); }},
        {"the size the label has", [&] { Select(label); },
         [&] {
             Form->FontSize->setEditText(QStringLiteral("12"));
             Form->FontSizeExit();
         }},
        {"the rotation the label has", [&] { Select(label); }, [&] { Form->cbRotacaoLabelExit(); }},
        {"the font scale the barcode has", [&] { Select(bar); }, [&] { Form->edEscalaFontBarraExit(); }},
        {"the fill string the label has", [&] { Select(label); }, [&] { Form->edStrPreencheRodapeExit(); }},
        {"the name the barcode has", [&] { Select(bar); }, [&] { Form->FonteNomeExit(); }},
        {"the word wrap of two barcodes", [&] { MultiSelect({bar, bar2}); },
         [&] {
             Form->sbWordWrapLabel->SetDown(true);
             Form->sbWordWrapExprMemoClick();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Select();
        c.Act();
        EXPECT_EQ(NewSteps(), 0);
        EXPECT_FALSE(Form->IsModified());
        // A document already modified stays so.
        Form->SetModified(true);
        c.Act();
        EXPECT_EQ(NewSteps(), 0);
        EXPECT_TRUE(Form->IsModified());
    }
    EXPECT_FALSE(bar->Frame()->DrawLeft());
    EXPECT_FALSE(bar->Font()->Style().Contains(fsBold));
}

// ---- colours ---------------------------------------------------------------------------------------

TEST_F(LabelToolbarTest, ColoursGoToTheSelectionAndAnEqualColourRecordsNothing)
{
    TKVLabel* label = PlaceLabel();
    label->SetColor(clWhite);
    label->Font()->SetColor(clBlack);
    TKVBarcode* bar = PlaceBarcode();

    // One barcode: no dialog for a font colour it does not use.
    Select(bar);
    AnswerColor(clRed);
    Form->FontColor->Click();
    EXPECT_EQ(ColorDialogs, 0);

    // The same background colour: nothing recorded.
    Select(label);
    AnswerColor(clWhite);
    Form->BkColor->Click();
    EXPECT_EQ(ColorDialogs, 1);
    EXPECT_EQ(PresetColor, clWhite);
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());

    // Cancelled: nothing.
    AnswerColor(clRed, false);
    Form->FontColor->Click();
    EXPECT_EQ(label->Font()->Color(), clBlack);
    EXPECT_EQ(NewSteps(), 0);

    // A selection: the background of both, the font colour of the text only.
    MultiSelect({label, bar});
    AnswerColor(clYellow);
    Form->BkColor->Click();
    EXPECT_EQ(label->Color(), clYellow);
    EXPECT_EQ(bar->Color(), clYellow);
    EXPECT_EQ(NewSteps(), 1);
    // The font colour button is off for a selection with barcodes; its handler still passes them by.
    EXPECT_FALSE(Form->FontColor->isEnabled());
    AnswerColor(clBlue);
    Form->FontColorClick();
    EXPECT_EQ(label->Font()->Color(), clBlue);
    EXPECT_NE(bar->Font()->Color(), clBlue);
    EXPECT_EQ(NewSteps(), 2);
    EXPECT_TRUE(Form->IsModified());

    // A band: the font colour is the band's font's.
    Select(Detail());
    AnswerColor(clGreen);
    Form->FontColor->Click();
    EXPECT_EQ(Detail()->Font()->Color(), clGreen);
    EXPECT_EQ(NewSteps(), 1);
}

// ---- automatic size and stretch, shared with the picture bars -------------------------------------

TEST_F(LabelToolbarTest, AutoSizeAndStretchActByTheControlsClass)
{
    TKVLabel* label = PlaceLabel();
    label->SetAutoSize(true);
    label->SetAutoStretch(false);
    Select(label);
    Form->StretchLabel->Click();
    EXPECT_TRUE(label->AutoStretch());
    EXPECT_TRUE(label->AutoSize());
    EXPECT_EQ(NewSteps(), 1);
    Form->AutoSizeLabel->Click();
    EXPECT_FALSE(label->AutoSize());
    EXPECT_TRUE(label->AutoStretch());
    EXPECT_EQ(NewSteps(), 2);

    // A data picture held by the field bar takes its three fits from that bar.
    auto* picture = new TKVDBImage(Root());
    picture->SetName(Form->UniqueComponentName(Root(), QStringLiteral("KVDBImage")));
    picture->SetParent(Detail());
    picture->SetCenter(true);
    Form->Designer->Attach(Form->Report);
    Form->Designer->SetSelected(picture);
    Form->CustomLabelToolbar->SetComponent(nullptr);
    Form->CampoToolBar->SetComponent(picture);
    Reset();
    ASSERT_NE(Form->sbStretchDBPicture, nullptr);
    Form->sbStretchDBPicture->SetDown(true);
    Form->StretchClick();
    EXPECT_TRUE(picture->Stretch());
    EXPECT_FALSE(picture->Center());
    EXPECT_FALSE(picture->Proporcional());
    EXPECT_EQ(NewSteps(), 1);
    // Pressed again with nothing to change: nothing recorded.
    Form->StretchClick();
    EXPECT_EQ(NewSteps(), 1);

    // A text the label bar does not hold is not changed by stretch.
    TKVLabel* other = PlaceLabel();
    Form->Designer->SetSelected(other);
    Form->CustomLabelToolbar->SetComponent(nullptr);
    Reset();
    Form->StretchLabel->SetDown(true);
    Form->StretchClick();
    EXPECT_FALSE(other->AutoStretch());
    EXPECT_EQ(NewSteps(), 0);
}

TEST_F(LabelToolbarTest, AutoSizeOnAPictureTakesTheImageBarsFourButtons)
{
    if (!Form->AutoSizePicture || !Form->StretchPicture)
        GTEST_SKIP() << "the image bar's buttons are not made";
    auto* image = new TKVImage(Root());
    image->SetName(Form->UniqueComponentName(Root(), QStringLiteral("KVImage")));
    image->SetParent(Detail());
    image->SetStretch(true);
    Form->Designer->Attach(Form->Report);
    Form->Designer->SetSelected(image);
    Form->CustomLabelToolbar->SetComponent(nullptr);
    Form->ImageToolBar->SetComponent(image);
    Reset();
    for (TSpeedButton* b : {Form->sbProporcionalPicture, Form->StretchPicture, Form->CenterPicture})
        if (b)
            b->SetDown(false);
    Form->AutoSizePicture->SetDown(true);
    Form->AutoSizeClick();
    EXPECT_TRUE(image->AutoSize());
    EXPECT_FALSE(image->Stretch());
    EXPECT_EQ(NewSteps(), 1);
    Form->AutoSizeClick();
    EXPECT_EQ(NewSteps(), 1);
}

} // namespace
