// The main form's property tool bars as a whole: which bars a selected control shows and the help
// context it gives the report, the label bar for a multi-selection by its kind, the colour
// dialog's custom colours kept in the settings file, the common rule that writes a bar's value
// back (one undo step, nothing when nothing changes), and the band bar's up-downs that the keys
// step.
#include "DocumentSurfaceFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/printables/KVSysData.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "platform/core/Strings.h"
#include "platform/ui/Dialogs.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/UpDown.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include <functional>
#include <initializer_list>
#include <set>
#include <string>

using namespace tessiv;
using namespace designertest;

namespace {

class ToolbarsTest : public PropertyBarTest<DocumentSurfaceTest> {
protected:
    void SetUp() override
    {
        DocumentSurfaceTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenNewDocument(200));
        Form->SetModified(false);
    }
    void TearDown() override
    {
        SetDialogPresenter(nullptr);
        DocumentSurfaceTest::TearDown();
    }

    template <class T> T* Place(TWinControl* parent, int left, int top, int width = 40, int height = 16)
    {
        return PlaceControl<T>(parent, left, top, width, height);
    }
    void Select(TControl* c)
    {
        if (!Form->Designer->Attached())
            Form->Designer->Attach(Report);
        Form->Designer->SetSelected(c);
    }
    void MultiSelect(std::initializer_list<TControl*> controls) { MultiSelectControls(controls); }
    // The object names of the property bars that are not hidden.
    std::set<std::string> Shown() const
    {
        std::set<std::string> names;
        for (TAnexoToolBar* bar : Form->ToolBars)
            if (!bar->isHidden())
                names.insert(bar->objectName().toStdString());
        return names;
    }
    QString SettingsFile() const { return Form->Settings()->FileName(); }
};

// ---- the selection table ----

TEST_F(ToolbarsTest, EachSelectedClassShowsItsBarsAndSetsTheReportsHelpContext)
{
    auto* area = Place<TKVItensObs>(Report, 0, 220, 200, 100);
    TKVObsLabel* obsLabel = area->Obs_TKVObs()->Obs_Label();
    ASSERT_NE(obsLabel, nullptr);
    constexpr int kUnchanged = 4242;
    struct TCase {
        const char* Name;
        TControl* Control;
        int Help; // kUnchanged: the context stays as it was
        const char* First;
        const char* Second;
    } cases[] = {
        {"band", Band, kUnchanged, "CustomLabelToolbar", nullptr},
        {"expression", Place<TKVExpr>(Band, 0, 0), 300, "CustomLabelToolbar", "ExprToolbar"},
        {"barcode", Place<TKVBarcode>(Band, 50, 0), 510, "CustomLabelToolbar", "CampoToolBar"},
        {"data text", Place<TKVDBText>(Band, 100, 0), 290, "CustomLabelToolbar", "CampoToolBar"},
        {"shape", Place<TKVShape>(Band, 150, 0), 710, "ShapeToolbar", nullptr},
        {"picture", Place<TKVImage>(Band, 0, 40), 690, "ImageToolBar", "ShapeToolbar"},
        {"observation label", obsLabel, 840, "CustomLabelToolbar", nullptr},
        {"label", Place<TKVLabel>(Band, 50, 40), 840, "CustomLabelToolbar", "ExprToolbar"},
        {"expression memo", Place<TKVExprMemo>(Band, 100, 40), 1630, "CustomLabelToolbar", "ImageToolBar"},
        {"data picture", Place<TKVDBImage>(Band, 150, 40), 700, "CampoToolBar", "ShapeToolbar"},
        {"system data", Place<TKVSysData>(Band, 0, 80), kUnchanged, "CustomLabelToolbar", "CampoToolBar"},
    };
    const int top = Form->PropertyBarTop();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Report->SetHelpContext(kUnchanged);
        Select(c.Control);
        EXPECT_EQ(Report->HelpContext(), c.Help);
        std::set<std::string> expected{c.First};
        if (c.Second)
            expected.insert(c.Second);
        EXPECT_EQ(Shown(), expected);
        for (TAnexoToolBar* bar : Form->ToolBars) {
            const std::string name = bar->objectName().toStdString();
            SCOPED_TRACE(name);
            EXPECT_EQ(bar->x(), 0);
            if (name == c.First) {
                EXPECT_EQ(bar->y(), top);
                EXPECT_EQ(bar->Component(), c.Control);
            } else if (c.Second && name == c.Second) {
                EXPECT_EQ(bar->y(), top + 28);
                EXPECT_EQ(bar->Component(), c.Control);
            } else {
                EXPECT_EQ(bar->Component(), nullptr);
            }
        }
    }
    // The band bar is never among them.
    EXPECT_EQ(Form->CustomBandToolbar->Component(), nullptr);
}

TEST_F(ToolbarsTest, SelectingTheReportLeavesTheBarsAndTheHelpContext)
{
    auto* picture = Place<TKVImage>(Band, 10, 10);
    Select(picture);
    ASSERT_EQ(Shown(), (std::set<std::string>{"ImageToolBar", "ShapeToolbar"}));
    Report->SetHelpContext(77);
    Select(Report);
    EXPECT_EQ(Shown(), (std::set<std::string>{"ImageToolBar", "ShapeToolbar"}));
    EXPECT_EQ(Form->ImageToolBar->Component(), picture);
    EXPECT_EQ(Report->HelpContext(), 77);
}

TEST_F(ToolbarsTest, BackToTheCursorHidesEveryBarUnderTheCommandBar)
{
    Select(Place<TKVImage>(Band, 10, 10));
    ASSERT_FALSE(Shown().empty());
    Form->ResetToCursor();
    EXPECT_TRUE(Shown().empty());
    for (TAnexoToolBar* bar : Form->ToolBars) {
        SCOPED_TRACE(bar->objectName().toStdString());
        EXPECT_EQ(bar->x(), 0);
        EXPECT_EQ(bar->y(), Form->PropertyBarTop());
    }
}

// ---- the multi-selection ----

TEST_F(ToolbarsTest, TheMultiSelectionShowsTheLabelBarOnlyForTextsAndBarcodes)
{
    auto* a = Place<TKVLabel>(Band, 0, 0);
    auto* b = Place<TKVExpr>(Band, 50, 0);
    auto* bar1 = Place<TKVBarcode>(Band, 100, 0);
    auto* bar2 = Place<TKVBarcode>(Band, 150, 0);
    auto* picture = Place<TKVImage>(Band, 0, 40);
    auto* shape = Place<TKVShape>(Band, 50, 40);
    struct TCase {
        const char* Kind;
        std::initializer_list<TControl*> Controls;
        bool LabelBar;
    } cases[] = {
        {"FONTE", {a, b}, true},
        {"BARCODE", {bar1, bar2}, true},
        {"FONTE_BARCODE", {a, bar1}, true},
        {"NENHUM", {a, picture}, false},
        {"SHAPE", {shape}, false},
        {"IMAGE", {picture}, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Kind);
        // A single selection first: an expression shows the label and the expression bars.
        Form->SelectSingle(b);
        Select(b);
        ASSERT_EQ(Shown(), (std::set<std::string>{"CustomLabelToolbar", "ExprToolbar"}));
        ASSERT_EQ(Form->CustomLabelToolbar->Component(), b);
        MultiSelect(c.Controls);
        ASSERT_EQ(Form->MultiDesigner->Kind(), QString::fromLatin1(c.Kind));
        if (c.LabelBar) {
            EXPECT_EQ(Shown(), std::set<std::string>{"CustomLabelToolbar"});
            // nil: the bar shows what the selected controls share.
            EXPECT_EQ(Form->CustomLabelToolbar->Component(), nullptr);
        } else {
            EXPECT_TRUE(Shown().empty());
        }
        for (TAnexoToolBar* bar : Form->ToolBars) {
            if (bar->isHidden()) {
                EXPECT_EQ(bar->y(), Form->PropertyBarTop()) << bar->objectName().toStdString();
            }
        }
    }
}

TEST_F(ToolbarsTest, TheLabelBarGoesWhenTheLastControlLeavesTheMultiSelection)
{
    auto* a = Place<TKVLabel>(Band, 0, 0);
    MultiSelect({a});
    ASSERT_EQ(Shown(), std::set<std::string>{"CustomLabelToolbar"});
    // Toggled off: the kind stays "FONTE" but nothing is selected.
    Form->MultiDesigner->Toggle(a);
    ASSERT_EQ(Form->SelectedCount(), 0);
    EXPECT_TRUE(Shown().empty());
}

// ---- the custom colours ----

TEST_F(ToolbarsTest, CustomColoursReadEveryKeyOfTheSectionWithAMissingValueAsUnset)
{
    TIniFile* settings = Form->Settings();
    settings->WriteString(QStringLiteral("CustomColor"), QStringLiteral("ColorA"), QStringLiteral("00FF00"));
    settings->WriteString(QStringLiteral("CustomColor"), QStringLiteral("ColorB"), QString());
    settings->WriteString(QStringLiteral("CustomColor"), QStringLiteral("ColorC"), QStringLiteral("123456"));
    TStringList list;
    list.Add(QStringLiteral("stale=1"));
    TfmAnexo::ReadCustomColors(settings, QStringLiteral("CustomColor"), &list);
    EXPECT_EQ(list.ToStringList(), (QStringList{QStringLiteral("ColorA=00FF00"), QStringLiteral("ColorB=FFFFFFFF"),
                                                QStringLiteral("ColorC=123456")}));
    // No section: no entries.
    TfmAnexo::ReadCustomColors(settings, QStringLiteral("Nenhuma"), &list);
    EXPECT_EQ(list.Count(), 0);

    list.Clear();
    list.Add(QStringLiteral("ColorA=0000FF"));
    list.Add(QStringLiteral("ColorD=ABCDEF"));
    TfmAnexo::WriteCustomColors(settings, QStringLiteral("CustomColor"), &list);
    settings->UpdateFile();
    EXPECT_EQ(settings->ReadString(QStringLiteral("CustomColor"), QStringLiteral("ColorA"), {}), QStringLiteral("0000FF"));
    EXPECT_EQ(settings->ReadString(QStringLiteral("CustomColor"), QStringLiteral("ColorC"), {}), QStringLiteral("123456"));
    EXPECT_EQ(settings->ReadString(QStringLiteral("CustomColor"), QStringLiteral("ColorD"), {}), QStringLiteral("ABCDEF"));
}

TEST_F(ToolbarsTest, TheColourDialogWritesItsCustomColoursBackOnlyWhenConfirmed)
{
    TIniFile* settings = Form->Settings();
    settings->WriteString(QStringLiteral("CustomColor"), QStringLiteral("ColorA"), QStringLiteral("00FF00"));
    settings->WriteString(QStringLiteral("CustomColor"), QStringLiteral("ColorB"), QString());
    const QByteArray before = ReadFile(SettingsFile());

    for (bool accept : {false, true}) {
        SCOPED_TRACE(accept);
        QStringList seen;
        TColor preset = clNone;
        SetDialogPresenter([&](TCommonDialog& dialog) {
            auto& colours = dynamic_cast<TColorDialog&>(dialog);
            seen = colours.CustomColors()->ToStringList();
            preset = colours.Color;
            // The user picks a colour and sets a custom one, then confirms or cancels.
            colours.Color = clBlue;
            colours.CustomColors()->SetValue(QStringLiteral("ColorB"), QStringLiteral("0000FF"));
            return accept;
        });
        TColor colour = clRed;
        EXPECT_EQ(Form->RunColorDialog(colour), accept);
        EXPECT_EQ(preset, clRed);
        EXPECT_EQ(seen, (QStringList{QStringLiteral("ColorA=00FF00"), QStringLiteral("ColorB=FFFFFFFF")}));
        if (!accept) {
            EXPECT_EQ(colour, clRed);
            EXPECT_EQ(ReadFile(SettingsFile()), before);
        } else {
            EXPECT_EQ(colour, clBlue);
            settings->UpdateFile();
            EXPECT_EQ(settings->ReadString(QStringLiteral("CustomColor"), QStringLiteral("ColorA"), {}),
                      QStringLiteral("00FF00"));
            EXPECT_EQ(settings->ReadString(QStringLiteral("CustomColor"), QStringLiteral("ColorB"), {}),
                      QStringLiteral("0000FF"));
        }
    }
    // No property changes through the dialog itself.
    EXPECT_FALSE(Form->IsModified());
    EXPECT_EQ(Steps(), 0);
}

TEST_F(ToolbarsTest, TheRealColourDialogShowsAnUnsetCustomColourAsWhiteAndKeepsItsText)
{
    TIniFile* settings = Form->Settings();
    settings->WriteString(QStringLiteral("CustomColor"), QStringLiteral("ColorA"), QStringLiteral("0000FF"));
    settings->WriteString(QStringLiteral("CustomColor"), QStringLiteral("ColorB"), QStringLiteral("FFFFFFFF"));
    const QByteArray before = ReadFile(SettingsFile());
    // The user confirms the colour dialog as it opened.
    QColor shownA, shownB;
    std::function<void(int)> answer = [&](int triesLeft) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QColorDialog*>(w); dialog && dialog->isVisible()) {
                shownA = QColorDialog::customColor(0);
                shownB = QColorDialog::customColor(1);
                dialog->accept();
                return;
            }
        }
        if (triesLeft > 0)
            QMetaObject::invokeMethod(qApp, [&answer, triesLeft] { answer(triesLeft - 1); }, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(qApp, [&answer] { answer(100); }, Qt::QueuedConnection);
    TColor colour = clGreen;
    ASSERT_TRUE(Form->RunColorDialog(colour));
    EXPECT_EQ(colour, clGreen);
    // Colour references: blue and, for the entry never set, white.
    EXPECT_EQ(shownA, QColor(255, 0, 0));
    EXPECT_EQ(shownB, QColor(Qt::white));
    // Nothing the user left alone is rewritten.
    settings->UpdateFile();
    EXPECT_EQ(settings->ReadString(QStringLiteral("CustomColor"), QStringLiteral("ColorA"), {}), QStringLiteral("0000FF"));
    EXPECT_EQ(settings->ReadString(QStringLiteral("CustomColor"), QStringLiteral("ColorB"), {}), QStringLiteral("FFFFFFFF"));
    EXPECT_EQ(ReadFile(SettingsFile()), before);
}

// ---- the write-back rule ----

TEST_F(ToolbarsTest, OneControlChangesWithOneStepAndNothingHappensWhenTheValueIsTheSame)
{
    auto* label = Place<TKVLabel>(Band, 10, 10);
    label->SetCaption(QStringLiteral("A"));
    Select(label);
    const auto differs = [](const QString& to) {
        return [to](TControl* c) { return static_cast<TKVLabel*>(c)->Caption() != to; };
    };
    const auto set = [](const QString& to) { return [to](TControl* c) { static_cast<TKVLabel*>(c)->SetCaption(to); }; };

    EXPECT_FALSE(Form->WriteBackSingle(label, nullptr, differs(QStringLiteral("A")), set(QStringLiteral("A"))));
    EXPECT_FALSE(Form->WriteBackSingle(nullptr, nullptr, differs(QStringLiteral("B")), set(QStringLiteral("B"))));
    EXPECT_EQ(Steps(), 0);
    EXPECT_FALSE(Form->IsModified());

    // A button: one step for each application.
    EXPECT_TRUE(Form->WriteBackSingle(label, nullptr, differs(QStringLiteral("B")), set(QStringLiteral("B"))));
    EXPECT_TRUE(Form->WriteBackSingle(label, nullptr, differs(QStringLiteral("C")), set(QStringLiteral("C"))));
    EXPECT_EQ(label->Caption(), QStringLiteral("C"));
    EXPECT_EQ(Steps(), 2);
    EXPECT_TRUE(Form->IsModified());

    // A box: one step for the whole edit, another for the next edit.
    int flag = 0;
    for (const char* text : {"D", "E", "F"})
        EXPECT_TRUE(Form->WriteBackSingle(label, &flag, differs(QString::fromLatin1(text)), set(QString::fromLatin1(text))));
    EXPECT_EQ(Steps(), 3);
    flag = 0;
    EXPECT_TRUE(Form->WriteBackSingle(label, &flag, differs(QStringLiteral("G")), set(QStringLiteral("G"))));
    EXPECT_EQ(Steps(), 4);

    // Undone, the whole first box edit goes at once.
    Form->EditarVoltarExecute();
    EXPECT_EQ(label->Caption(), QStringLiteral("F"));
}

TEST_F(ToolbarsTest, AMultiSelectionChangesWithOneStepOnlyTheControlsThatDiffer)
{
    auto* a = Place<TKVLabel>(Band, 0, 0);
    auto* b = Place<TKVLabel>(Band, 60, 0);
    auto* c = Place<TKVLabel>(Band, 120, 0);
    a->SetCaption(QStringLiteral("x"));
    b->SetCaption(QStringLiteral("y"));
    c->SetCaption(QStringLiteral("y"));
    MultiSelect({a, b, c});
    Form->SetModified(false);
    const int before = Steps();
    int sets = 0;
    const auto differs = [](TControl* ctl) { return static_cast<TKVLabel*>(ctl)->Caption() != QLatin1String("y"); };
    const auto set = [&sets](TControl* ctl) {
        ++sets;
        static_cast<TKVLabel*>(ctl)->SetCaption(QStringLiteral("y"));
    };
    EXPECT_TRUE(Form->WriteBackMulti(nullptr, differs, set));
    EXPECT_EQ(sets, 1);
    EXPECT_EQ(a->Caption(), QStringLiteral("y"));
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_TRUE(Form->IsModified());

    // Again: every control has the value already, so nothing is recorded or marked.
    Form->SetModified(false);
    EXPECT_FALSE(Form->WriteBackMulti(nullptr, differs, set));
    EXPECT_EQ(sets, 1);
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_FALSE(Form->IsModified());

    // The one step gives every control back.
    Form->EditarVoltarExecute();
    const auto caption = [this](const QString& name) {
        auto* label = dynamic_cast<TKVLabel*>(Report->Owner()->FindComponent(name));
        return label ? label->Caption() : QStringLiteral("(gone)");
    };
    EXPECT_EQ(caption(a->Name()), QStringLiteral("x"));
}

// ---- the band bar ----

TEST_F(ToolbarsTest, TheBandBarIsBuiltWithItsRangesAndNilGivesItNothing)
{
    ASSERT_NE(Form->cbTipoBanda, nullptr);
    EXPECT_EQ(Form->cbTipoBanda->toolTip(), QStringLiteral("Tipo da Banda"));
    QStringList items;
    for (int i = 0; i < Form->cbTipoBanda->count(); ++i)
        items << Form->cbTipoBanda->itemText(i);
    EXPECT_EQ(items, (QStringList{QString::fromUtf8("Cabeçalho da página"), QString::fromUtf8("Título"),
                                  QString::fromUtf8("Cabeçalho de coluna"), QStringLiteral("Detalhe"),
                                  QString::fromUtf8("Sumário"), QString::fromUtf8("Rodapé da página"),
                                  QStringLiteral("Sub-Detalhe")}));
    struct TCase {
        TUpDown* UpDown;
        QLineEdit* Box;
        int Min;
        const char* Hint;
    } cases[] = {{Form->udLinhas, Form->edLinhasItens, 2, "Número de itens"},
                 {Form->udColunas, Form->edColunas, 1, "Número de Colunas"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Hint);
        ASSERT_NE(c.UpDown, nullptr);
        EXPECT_EQ(c.UpDown->Associate(), c.Box);
        EXPECT_EQ(c.UpDown->Min, c.Min);
        EXPECT_EQ(c.UpDown->Max, 999);
        EXPECT_EQ(c.UpDown->Position(), 2);
        EXPECT_EQ(c.Box->text(), QStringLiteral("2"));
        EXPECT_EQ(c.UpDown->toolTip(), QString::fromUtf8(c.Hint));
    }
    ASSERT_NE(Form->cbObs_ListField, nullptr);

    Form->udLinhas->SetPosition(7);
    Form->CustomBandToolbar->SetComponent(nullptr);
    EXPECT_EQ(Form->udLinhas->Position(), 7);
    EXPECT_EQ(Form->cbTipoBanda->currentIndex(), 0);
}

TEST_F(ToolbarsTest, TheLinesUpDownWithoutABandChangesAndMarksNothing)
{
    auto* area = Place<TKVItensObs>(Report, 0, 220, 200, 100);
    ASSERT_EQ(Form->CustomBandToolbar->Component(), nullptr);
    const int lines = area->Linhas();
    for (TUpDown::TUDBtnType arrow : {TUpDown::btNext, TUpDown::btNext, TUpDown::btPrev}) {
        Form->udLinhas->Step(arrow);
        Form->udColunas->Step(arrow);
    }
    Form->udLinhasClick();
    Form->udColunasClick();
    EXPECT_EQ(Form->udLinhas->Position(), 3);
    EXPECT_EQ(Form->udColunas->Position(), 3);
    EXPECT_EQ(area->Linhas(), lines);
    EXPECT_EQ(Steps(), 0);
    EXPECT_FALSE(Form->IsModified());
}

TEST_F(ToolbarsTest, TheKeysStepTheBandBarsUpDownsAndChangeNothingElse)
{
    auto* area = Place<TKVItensObs>(Report, 0, 220, 200, 100);
    TKVItens* items = area->Obs_TKVItens();
    ASSERT_NE(items, nullptr);
    auto* grid = Place<TKVColunaSql>(Report, 0, 340, 200, 100);
    TKVColuna* cell = grid->KVColuna();
    ASSERT_NE(cell, nullptr);
    const int lines = area->Linhas();
    const int columns = grid->Colunas();
    const int itemsHeight = items->Height();
    const int cellWidth = cell->Width();
    struct TCase {
        const char* Name;
        TControl* Selection;
        unsigned short Key;
        int Lines;
        int Columns;
    } cases[] = {
        {"items Up", items, VK_UP, 3, 2},      {"items Up again", items, VK_UP, 4, 2},
        {"items Down", items, VK_DOWN, 3, 2},  {"cell Left", cell, VK_LEFT, 3, 3},
        {"cell Right", cell, VK_RIGHT, 3, 2},  {"cell Right at 1", cell, VK_RIGHT, 3, 1},
        {"cell Right below 1", cell, VK_RIGHT, 3, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Select(c.Selection);
        Form->SetModified(false);
        const int before = Steps();
        Driver->KeyDown(c.Key, {ssShift});
        Driver->KeyUp(c.Key, {ssShift});
        EXPECT_EQ(Form->udLinhas->Position(), c.Lines);
        EXPECT_EQ(Form->udColunas->Position(), c.Columns);
        EXPECT_EQ(Steps(), before);
        EXPECT_FALSE(Form->IsModified());
    }
    EXPECT_EQ(area->Linhas(), lines);
    EXPECT_EQ(grid->Colunas(), columns);
    EXPECT_EQ(items->Height(), itemsHeight);
    EXPECT_EQ(cell->Width(), cellWidth);

    // Resizing the item area itself makes the lines up-down show the area's lines.
    area->SetLinhas(5);
    Select(area);
    Driver->KeyDown(VK_DOWN, {ssShift});
    Driver->KeyUp(VK_DOWN, {ssShift});
    EXPECT_EQ(Form->udLinhas->Position(), 5);
    EXPECT_TRUE(Form->IsModified());
}

TEST_F(ToolbarsTest, GivenAnAreaTheBandBarSetsItsLinesWithOneStepPerEdit)
{
    auto* area = Place<TKVItensObs>(Report, 0, 220, 200, 100);
    area->SetLinhas(4);
    Form->CustomBandToolbar->SetComponent(area->Obs_TKVItens());
    EXPECT_EQ(Form->udLinhas->Position(), 4);
    Form->SetModified(false);
    const int before = Steps();
    Form->udLinhas->Step(TUpDown::btNext);
    Form->udLinhas->Step(TUpDown::btNext);
    EXPECT_EQ(area->Linhas(), 6);
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_TRUE(Form->IsModified());
    // Typed into the box and applied: the same edit until the box is left.
    Form->edLinhasItens->setText(QStringLiteral("9"));
    Form->udLinhasClick();
    EXPECT_EQ(area->Linhas(), 9);
    EXPECT_EQ(Steps(), before + 1);
    Form->udLinhasTag = 0;
    Form->udLinhas->Step(TUpDown::btPrev);
    EXPECT_EQ(area->Linhas(), 8);
    EXPECT_EQ(Steps(), before + 2);

    auto* grid = Place<TKVColunaSql>(Report, 0, 340, 200, 100);
    Form->CustomBandToolbar->SetComponent(grid);
    EXPECT_EQ(Form->udColunas->Position(), grid->Colunas());
    Form->udColunas->SetPosition(4);
    Form->udColunasClick();
    EXPECT_EQ(grid->Colunas(), 4);
    EXPECT_EQ(Steps(), before + 3);
}

} // namespace
