// The Edit menu's clipboard and arrangement commands on documents in windows: copy and paste with
// the offset rule, a multi-selection through the transfer form, cut with its undo, the component
// stream on the system clipboard, pasting into another document, and the drawing order.
#include "UndoFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/document/Transf.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/CustomPanel.h"
#include "platform/core/ClassRegistry.h"
#include "platform/data/DBTables.h"
#include "platform/ui/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>

#include <algorithm>

using namespace tessiv;
using namespace designertest;

namespace {

class ClipboardTest : public UndoFixture {
protected:
    TKVLabel* PlaceLabel(TWinControl* band, int left, int top, const QString& caption, int width = 60, int height = 15)
    {
        auto* label = new TKVLabel(Root());
        label->SetParent(band);
        label->SetAutoSize(false);
        label->SetBounds(left, top, width, height);
        Form->SaveUndoStep(0, label);
        label->SetCaption(caption);
        return label;
    }
    void Select(TControl* control)
    {
        Form->Designer->Attach(Form->Report);
        Form->Designer->SetSelected(control);
    }
    // The printables of a band that are not among the ones it had (selection marks are no printables).
    static std::vector<TControl*> Since(TWinControl* band, const std::vector<TControl*>& had)
    {
        std::vector<TControl*> out;
        for (int i = 0; i < band->ControlCount(); ++i)
            if (TControl* c = band->Controls(i); dynamic_cast<TKVPrintable*>(c) && std::find(had.begin(), had.end(), c) == had.end())
                out.push_back(c);
        return out;
    }
    static std::vector<TControl*> Printables(TWinControl* band) { return Since(band, {}); }
    TKVBand* AddBand(TKVBandType type)
    {
        auto* band = new TKVBand(Root());
        band->SetBandType(type);
        band->SetParent(Form->Report);
        Form->SaveUndoStep(0, band);
        return band;
    }
};

} // namespace

TEST_F(ClipboardTest, CopyingALabelAndPastingTwiceGivesNewNamesFiveAndTenPixelsAway)
{
    OpenDocument();
    TKVCustomBand* band = Detail();
    // A label of the file, not one inserted now (its name would stay reserved by the history).
    auto* label = new TKVLabel(Root());
    label->SetName(QStringLiteral("Rotulo"));
    label->SetParent(band);
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 60, 15);
    label->SetCaption(QStringLiteral("Cliente"));
    Select(label);
    Form->CopiarClick();
    EXPECT_EQ(label->Name(), QStringLiteral("Rotulo")) << "the copied control keeps its name";
    const std::vector<TControl*> before = Printables(band);
    Form->ColarClick();
    Form->ColarClick();
    const std::vector<TControl*> pasted = Since(band, before);
    ASSERT_EQ(pasted.size(), 2u);
    struct Expect {
        QString Name;
        int Left, Top;
    } expected[] = {{QStringLiteral("KVLabel1"), 15, 15}, {QStringLiteral("KVLabel2"), 20, 20}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        auto* copy = dynamic_cast<TKVLabel*>(pasted[i]);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->Name(), expected[i].Name);
        EXPECT_EQ(copy->Left(), expected[i].Left);
        EXPECT_EQ(copy->Top(), expected[i].Top);
        EXPECT_EQ(copy->Caption(), QStringLiteral("Cliente"));
        EXPECT_EQ(copy->Owner(), Root());
    }
    EXPECT_EQ(Form->Designer->Selected(), pasted[1]);
    EXPECT_TRUE(Form->IsModified());
    // Each paste is an insertion for undo.
    Form->EditarVoltarExecute();
    EXPECT_EQ(Root()->FindComponent(QStringLiteral("KVLabel2")), nullptr);
    EXPECT_NE(Root()->FindComponent(QStringLiteral("KVLabel1")), nullptr);
}

TEST_F(ClipboardTest, OffsetRuleTable)
{
    // A band 100 x 40; the pasted control is the last child.
    struct Sibling {
        int Left, Top;
    };
    struct Case {
        const char* Name;
        std::vector<Sibling> Siblings;
        TRect Pasted; // left, top, right, bottom
        TPoint Expected;
    } cases[] = {
        {"nobody at its place", {{0, 0}}, {10, 10, 30, 20}, {10, 10}},
        {"one sibling", {{10, 10}}, {10, 10, 30, 20}, {15, 15}},
        {"a chain of siblings", {{10, 10}, {15, 15}}, {10, 10, 30, 20}, {20, 20}},
        {"touching the bottom moves right only", {{10, 30}, {15, 30}}, {10, 30, 30, 40}, {20, 30}},
        {"touching the right edge moves down only", {{80, 5}}, {80, 5, 100, 15}, {80, 10}},
        {"filling the band it stays", {{0, 0}}, {0, 0, 100, 40}, {0, 0}},
        {"stuck in the corner it stays", {{80, 30}, {85, 35}}, {80, 30, 100, 40}, {80, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TCustomPanel band(nullptr);
        band.SetBounds(0, 0, 100, 40);
        for (const Sibling& s : c.Siblings) {
            auto* sibling = new TCustomPanel(&band);
            sibling->SetParent(&band);
            sibling->SetBounds(s.Left, s.Top, 20, 10);
        }
        auto* pasted = new TCustomPanel(&band);
        pasted->SetParent(&band);
        pasted->SetBoundsRect(c.Pasted);
        TfmAnexo::ApplyPasteOffset(pasted, &band);
        EXPECT_EQ(pasted->Left(), c.Expected.X);
        EXPECT_EQ(pasted->Top(), c.Expected.Y);
    }
}

TEST_F(ClipboardTest, AMultiSelectionAcrossTwoBandsCopiesOnlyTheCurrentBandsControls)
{
    OpenDocument();
    TKVCustomBand* detail = Detail();
    TKVBand* summary = AddBand(rbSummary);
    TKVLabel* a = PlaceLabel(detail, 4, 4, QStringLiteral("A"));
    TKVLabel* c = PlaceLabel(summary, 4, 4, QStringLiteral("C"));
    TKVLabel* b = PlaceLabel(detail, 70, 4, QStringLiteral("B"));
    Form->SetCurrentBand(detail);
    Form->ReleaseDesigner();
    Form->MultiDesigner->SetSurface(Form->Report);
    for (TControl* control : {static_cast<TControl*>(a), static_cast<TControl*>(c), static_cast<TControl*>(b)})
        Form->MultiDesigner->Toggle(control);

    Form->CopiarClick();
    EXPECT_EQ(Form->MultiDesigner->SelectedControls(), (std::vector<TControl*>{a, b}));
    const std::vector<TControl*> copies = fmTransf()->Copies();
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0]->Caption(), QStringLiteral("A"));
    EXPECT_EQ(copies[1]->Caption(), QStringLiteral("B"));
    EXPECT_TRUE(copies[0]->Name().isEmpty());
    EXPECT_TRUE(Form->CanPaste());

    const std::vector<TControl*> before = Printables(detail);
    Form->ColarClick();
    const std::vector<TControl*> pasted = Since(detail, before);
    ASSERT_EQ(pasted.size(), 2u);
    EXPECT_EQ(Form->MultiDesigner->SelectedControls(), pasted);
    EXPECT_EQ(pasted[0]->Caption(), QStringLiteral("A"));
    EXPECT_EQ(pasted[0]->Left(), 9);
    EXPECT_EQ(pasted[1]->Left(), 75);
    // One step for the whole pasted selection.
    TfmVoltar* undo = Form->CurrentUndoForm();
    TPanelControl* step = undo->Steps(undo->StepIndex);
    EXPECT_TRUE(step->MultiStep);
    EXPECT_EQ(step->EntryCount(), 2);
    // The transfer form keeps its copies: the same selection pastes again.
    Form->ColarClick();
    EXPECT_EQ(Printables(detail).size(), before.size() + 4);
    // A single copy afterwards empties it and the clipboard serves again.
    Form->MultiDesigner->Clear();
    Select(a);
    Form->CopiarClick();
    EXPECT_FALSE(fmTransf()->HasCopies());
}

TEST_F(ClipboardTest, CutKeepsObservationLabelsAndUndoRestoresTheCutControls)
{
    OpenDocument();
    TKVCustomBand* detail = Detail();
    TKVLabel* label = PlaceLabel(detail, 4, 4, QStringLiteral("Cortado"));
    auto* line = new TKVObsLabel(Root());
    line->SetParent(detail);
    line->SetBounds(4, 20, 80, 15);
    Form->SaveUndoStep(0, line);
    const QString lineName = line->Name();

    // A single label.
    Select(label);
    Form->Recortar1Click();
    EXPECT_EQ(Root()->FindComponent(QStringLiteral("KVLabel1")), nullptr);
    EXPECT_TRUE(Clipboard().HasComponent());
    Form->EditarVoltarExecute();
    auto* back = dynamic_cast<TKVLabel*>(Root()->FindComponent(QStringLiteral("KVLabel1")));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Caption(), QStringLiteral("Cortado"));

    // A multi-selection with the observation line: the line stays.
    Form->ReleaseDesigner();
    Form->MultiDesigner->SetSurface(Form->Report);
    Form->MultiDesigner->Toggle(back);
    Form->MultiDesigner->Toggle(line);
    Form->Recortar1Click();
    EXPECT_EQ(Root()->FindComponent(QStringLiteral("KVLabel1")), nullptr);
    EXPECT_EQ(Root()->FindComponent(lineName), line);
    Form->EditarVoltarExecute();
    EXPECT_NE(Root()->FindComponent(QStringLiteral("KVLabel1")), nullptr);
    int lines = 0;
    for (int i = 0; i < detail->ControlCount(); ++i)
        lines += dynamic_cast<TKVObsLabel*>(detail->Controls(i)) != nullptr;
    EXPECT_EQ(lines, 1);
}

TEST_F(ClipboardTest, TheClipboardHoldsAComponentStreamWithoutSelectionMarks)
{
    OpenDocument();
    TKVLabel* label = PlaceLabel(Detail(), 10, 10, QStringLiteral("Marcado"));
    const auto clipboardBytes = [] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data ? data->data(TClipboard::ComponentFormat) : QByteArray();
    };
    // Single, with the designer's handles around it.
    Select(label);
    Form->CopiarClick();
    QByteArray bytes = clipboardBytes();
    EXPECT_TRUE(bytes.startsWith("TPF0"));
    EXPECT_FALSE(bytes.contains("TKVControlHandle"));
    EXPECT_FALSE(bytes.contains("Rotulo"));
    // In a multi-selection, with its corner marks.
    Form->ReleaseDesigner();
    Form->MultiDesigner->SetSurface(Form->Report);
    Form->MultiDesigner->Toggle(label);
    Form->CopiarClick();
    bytes = clipboardBytes();
    EXPECT_TRUE(bytes.startsWith("TPF0"));
    EXPECT_FALSE(bytes.contains("TEtiqCantos"));
    EXPECT_FALSE(bytes.contains("TEtiqControlHandle"));
    EXPECT_TRUE(bytes.contains("Marcado"));
}

TEST_F(ClipboardTest, PastedReferencesResolveOnlyAgainstTheTargetDocument)
{
    // The first document: a data text bound to its table.
    OpenDocument();
    auto* table = new TTable(Root());
    table->SetName(QStringLiteral("Tabela"));
    auto* text = new TKVDBText(Root());
    text->SetParent(Detail());
    text->SetBounds(10, 10, 80, 15);
    text->SetDataSet(table);
    text->SetDataField(QStringLiteral("NOME"));
    Form->SaveUndoStep(0, text);
    TfmHidden* firstRoot = Root();
    Select(text);
    Form->CopiarClick();

    // Even a finder that would offer the first document does not bind into it.
    SetFindGlobalComponent([firstRoot](const QString&) -> TComponent* { return firstRoot; });
    struct Case {
        const char* Name;
        bool HasTable;
    } cases[] = {{"a document without the table", false}, {"a document with its own table", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        OpenDocument();
        TTable* own = nullptr;
        if (c.HasTable) {
            own = new TTable(Root());
            own->SetName(QStringLiteral("Tabela"));
        }
        const std::vector<TControl*> before = Printables(Detail());
        Form->ColarClick();
        const std::vector<TControl*> added = Since(Detail(), before);
        ASSERT_EQ(added.size(), 1u);
        auto* pasted = dynamic_cast<TKVDBText*>(added[0]);
        ASSERT_NE(pasted, nullptr);
        EXPECT_EQ(pasted->Owner(), Root());
        EXPECT_EQ(pasted->Name(), QStringLiteral("KVDBText1"));
        EXPECT_EQ(pasted->DataField(), QStringLiteral("NOME"));
        EXPECT_EQ(pasted->DataSet(), own);
    }
    SetFindGlobalComponent(nullptr);
}

TEST_F(ClipboardTest, DrawingOrderAndGridCommands)
{
    OpenDocument();
    TKVCustomBand* band = Detail();
    TKVLabel* first = PlaceLabel(band, 3, 3, QStringLiteral("1"));
    TKVLabel* second = PlaceLabel(band, 7, 7, QStringLiteral("2"));
    Form->SetModified(false);
    // Nothing selected: the document is still marked modified.
    Form->Designer->Attach(Form->Report);
    Form->Designer->SetSelected(nullptr);
    Form->TrazerParaFrente2Click();
    EXPECT_TRUE(Form->IsModified());

    Select(first);
    Form->TrazerParaFrente2Click();
    EXPECT_EQ(band->Controls(band->ControlCount() - 1), first);
    Form->EnviarParaFundo2Click();
    EXPECT_EQ(band->Controls(0), first);
    const int steps = Form->CurrentUndoForm()->StepCount();
    // Snapping puts the control on the millimetre grid and records no step.
    Select(second);
    Form->AlinharaoGrid1Click();
    EXPECT_EQ(Form->CurrentUndoForm()->StepCount(), steps);
    const long double left = second->Size()->Left();
    EXPECT_EQ(left, std::round(left));
}

TEST_F(ClipboardTest, AFocusedEditBoxOfTheMainFormTakesCutCopyAndPasteAsText)
{
    OpenDocument();
    TKVLabel* label = PlaceLabel(Detail(), 10, 10, QStringLiteral("Intacto"));
    Select(label);
    auto* top = Form->Window()->findChild<QWidget*>(QStringLiteral("paTopoEtiq"));
    ASSERT_NE(top, nullptr);
    auto* edit = new QLineEdit(top);
    edit->setText(QStringLiteral("abcdef"));
    edit->show();
    Form->Window()->activateWindow();
    edit->setFocus();
    ASSERT_EQ(Form->Window()->focusWidget(), edit);
    Form->SetModified(false);

    edit->setSelection(2, 2);
    Form->CopiarClick();
    EXPECT_EQ(Clipboard().AsText(), QStringLiteral("cd"));
    EXPECT_FALSE(Clipboard().HasComponent()) << "the selected label stays off the clipboard";
    EXPECT_FALSE(Form->IsModified());

    Form->Recortar1Click();
    EXPECT_EQ(edit->text(), QStringLiteral("abef"));
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(Root()->FindComponent(label->Name()), label) << "the label is not cut";

    edit->setCursorPosition(0);
    Form->ColarClick();
    EXPECT_EQ(edit->text(), QStringLiteral("cdabef"));
    delete edit;
}

TEST_F(ClipboardTest, SelectAllTakesTheCurrentBandsPrintablesIntoTheMultiSelection)
{
    OpenDocument();
    TKVCustomBand* detail = Detail();
    TKVLabel* a = PlaceLabel(detail, 4, 4, QStringLiteral("A"));
    TKVLabel* b = PlaceLabel(detail, 70, 4, QStringLiteral("B"));
    TKVBand* summary = AddBand(rbSummary);
    PlaceLabel(summary, 4, 4, QStringLiteral("C"));
    // The designer's handles lie on the band while a selects.
    Select(a);
    Form->SetCurrentBand(detail);
    Form->Selecionartudo1Click();
    EXPECT_FALSE(Form->Designer->Attached());
    EXPECT_EQ(Form->MultiDesigner->SelectedControls(), (std::vector<TControl*>{a, b}));
    // Arrangement works on the whole selection.
    Form->EnviarParaFundo2Click();
    EXPECT_EQ(Printables(detail), (std::vector<TControl*>{b, a}));
}
