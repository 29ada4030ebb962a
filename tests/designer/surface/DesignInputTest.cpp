// The main form's handling of keys and the mouse on the design surface, driven through a real
// document window's surface headless: key steps in every unit, undo steps of held keys and drags,
// arrow navigation between controls, band cycling, deletion, the multi-selection built with Shift,
// handle resizes and the release rules.
#include "DocumentSurfaceFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/DesignerClasses.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/Messages.h"
#include "platform/ui/ControlHost.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace tessiv;
using namespace designertest;

namespace {


class DesignInputTest : public DocumentSurfaceTest {
protected:
    void SetUp() override
    {
        DocumentSurfaceTest::SetUp();
        // Room for everything the tests place.
        ASSERT_NO_FATAL_FAILURE(OpenNewDocument(300));
        Host = Child->Host();
    }

    template <class T>
    T* Add(TWinControl* parent, int left, int top, int width, int height)
    {
        auto* c = new T(Report->Owner());
        c->SetParent(parent);
        Form->EnsureComponentName(c);
        c->SetBounds(left, top, width, height);
        Form->WireDocumentInput(Report);
        return c;
    }
    TKVLabel* Label(int left, int top, int width = 40, int height = 20)
    {
        return Add<TKVLabel>(Band, left, top, width, height);
    }
    // A printable without a text, so nothing keeps it from being flat.
    TKVShape* Shape(int left, int top, int width, int height) { return Add<TKVShape>(Band, left, top, width, height); }
    void Select(TControl* c)
    {
        if (!Form->Designer->Attached())
            Form->Designer->Attach(Report);
        Form->Designer->SetSelected(c);
        Form->Designer->RefreshHandles();
    }
    // A key as the report gets it: down, and up unless held.
    void Key(unsigned short key, TShiftState shift = {}, bool release = true)
    {
        Driver->KeyDown(key, shift);
        if (release)
            Driver->KeyUp(key, shift);
    }
    void Press(const TControl* c, int x, int y, TShiftState shift = {}) { Driver->Press(Driver->At(c, x, y), mbLeft, shift); }
    void MoveTo(const TControl* c, int x, int y, TShiftState shift = {}) { Driver->Move(Driver->At(c, x, y), shift); }
    void Release(const TControl* c, int x, int y, TShiftState shift = {})
    {
        Driver->Release(Driver->At(c, x, y), mbLeft, shift);
    }
    int Steps() const { return Form->CurrentUndoForm() ? Form->CurrentUndoForm()->StepIndex + 1 : 0; }
    QString Panel(int i) const { return Form->StatusPanel(i)->text(); }

    TControlHost* Host = nullptr;
};

// ---- key steps ----

enum class TWhat { Top, Left, Height, Width };

long double UnitOf(TKVPrintable* l, TWhat w)
{
    switch (w) {
    case TWhat::Top: return l->Size()->Top();
    case TWhat::Left: return l->Size()->Left();
    case TWhat::Height: return l->Size()->Height();
    case TWhat::Width: return l->Size()->Width();
    }
    return 0;
}
void SetUnitOf(TKVPrintable* l, TWhat w, long double v)
{
    switch (w) {
    case TWhat::Top: l->Size()->SetTop(v); return;
    case TWhat::Left: l->Size()->SetLeft(v); return;
    case TWhat::Height: l->Size()->SetHeight(v); return;
    case TWhat::Width: l->Size()->SetWidth(v); return;
    }
}
int PixelsOf(TKVPrintable* l, TWhat w)
{
    switch (w) {
    case TWhat::Top: return l->Top();
    case TWhat::Left: return l->Left();
    case TWhat::Height: return l->Height();
    case TWhat::Width: return l->Width();
    }
    return 0;
}

TEST_F(DesignInputTest, KeyStepsByUnitGridAndKey)
{
    struct TCase {
        const char* Name;
        TKVUnit Unit;
        bool Snap;
        unsigned short Key;
        TShiftStateItem Modifier;
        TWhat What;
        long double Start;        // in the unit
        long double Expected;     // in the unit, unless ByPixels
        int PixelStep;            // the pixels moved, when ByPixels
        bool ByPixels = false;
    };
    // Whole units in millimetres, pixels and characters; 2 pixels then the 1/40 grid in inches; a
    // pixel then the 1/40 grid in native units; a pixel without the grid; sizes never below 0.
    const TCase cases[] = {
        {"mm Ctrl+Down from 12.4", kvunMM, true, VK_DOWN, ssCtrl, TWhat::Top, 12.4L, 13, 0},
        {"mm Ctrl+Up from 12.4", kvunMM, true, VK_UP, ssCtrl, TWhat::Top, 12.4L, 11, 0},
        {"mm Ctrl+Right from 7.5", kvunMM, true, VK_RIGHT, ssCtrl, TWhat::Left, 7.5L, 9, 0},
        {"mm Ctrl+Left may go below 0", kvunMM, true, VK_LEFT, ssCtrl, TWhat::Left, 0.2L, -1, 0},
        {"mm Shift+Down from 9.6", kvunMM, true, VK_DOWN, ssShift, TWhat::Height, 9.6L, 11, 0},
        {"mm Shift+Up at 0 stays 0", kvunMM, true, VK_UP, ssShift, TWhat::Height, 0, 0, 0},
        {"mm Shift+Left at 0 stays 0", kvunMM, true, VK_LEFT, ssShift, TWhat::Width, 0, 0, 0},
        {"pixels Ctrl+Down from 30.3", kvunPixels, true, VK_DOWN, ssCtrl, TWhat::Top, 30.3L, 31, 0},
        {"characters Ctrl+Right from 3.2", kvunCharacters, true, VK_RIGHT, ssCtrl, TWhat::Left, 3.2L, 4, 0},
        {"inches Ctrl+Down from 1", kvunInches, true, VK_DOWN, ssCtrl, TWhat::Top, 1, 1.025L, 0},
        {"inches Shift+Right from 1", kvunInches, true, VK_RIGHT, ssShift, TWhat::Width, 1, 1.025L, 0},
        {"native Ctrl+Down from 100", kvunNative, true, VK_DOWN, ssCtrl, TWhat::Top, 100, 103.2L, 0},
        {"grid off: a pixel down", kvunMM, false, VK_DOWN, ssCtrl, TWhat::Top, 12.4L, 0, 1, true},
        {"grid off: a pixel left", kvunInches, false, VK_LEFT, ssCtrl, TWhat::Left, 1, 0, -1, true},
        {"grid off: a pixel taller", kvunMM, false, VK_DOWN, ssShift, TWhat::Height, 5, 0, 1, true},
        {"grid off: Shift+Up at 0 stays 0", kvunMM, false, VK_UP, ssShift, TWhat::Height, 0, 0, 0},
    };
    // The inch and native rows are worked out at 96 pixels per inch: 1 in = 96 px, +2 px = 1.0208 in
    // → 41/40; 100 native (10 mm) = 38 px, +1 px = 103.1875 → 4127.5/40 → 103.2.
    ASSERT_EQ(Band->Size()->PPI(), 96);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Report->SetUnits(c.Unit);
        Report->SetSnapToGrid(c.Snap);
        TKVShape* label = Shape(40, 40, 40, 20);
        SetUnitOf(label, c.What, c.Start);
        Select(label);
        ASSERT_TRUE(Report->Focused());
        const int pixelsBefore = PixelsOf(label, c.What);
        Key(c.Key, {c.Modifier});
        if (c.ByPixels)
            EXPECT_EQ(PixelsOf(label, c.What) - pixelsBefore, c.PixelStep);
        else
            EXPECT_NEAR(static_cast<double>(UnitOf(label, c.What)), static_cast<double>(c.Expected), 1e-9);
        EXPECT_TRUE(Form->IsModified());
        Form->Designer->SetSelected(Band);
        delete label;
    }
}

TEST_F(DesignInputTest, ShiftArrowsSizeABandAndCtrlArrowsNeverMoveOne)
{
    Report->SetUnits(kvunMM);
    Report->SetSnapToGrid(true);
    Band->Size()->SetHeight(20.4L);
    Select(Band);
    const int top = Band->Top();
    const int before = Steps();
    Key(VK_DOWN, {ssCtrl});
    EXPECT_EQ(Band->Top(), top);
    EXPECT_EQ(Steps(), before);
    Key(VK_DOWN, {ssShift});
    EXPECT_NEAR(static_cast<double>(Band->Size()->Height()), 21.0, 1e-9);
    EXPECT_EQ(Steps(), before + 1);

    // The lines of an item area belong to the band tool bar: Shift+Up on its items band changes
    // nothing and records nothing.
    auto* area = Add<TKVItensObs>(Report, 0, 0, 200, 100);
    TKVItens* items = area->Obs_TKVItens();
    ASSERT_NE(items, nullptr);
    Select(items);
    const int lines = area->Linhas();
    const int height = items->Height();
    Key(VK_UP, {ssShift});
    EXPECT_EQ(area->Linhas(), lines);
    EXPECT_EQ(items->Height(), height);
    EXPECT_EQ(Steps(), before + 1);
}

TEST_F(DesignInputTest, BandHeightUndoAndRedoAreExactInEveryUnitAndZoom)
{
    // A band made taller by Shift+Down (and once by its bottom handle): undo gives back the
    // height exactly as it was stored, redo the height it then had, whatever the unit and zoom.
    struct TCase {
        TKVUnit Unit;
        long double Start; // in the unit, off the grid so that any rescaling shows
    } units[] = {{kvunMM, 105.83L}, {kvunInches, 1.173L}, {kvunPixels, 103.4L}, {kvunCharacters, 7.3L},
                 {kvunNative, 1058.3L}};
    const auto native = [this] { return Band->Size()->NativeValue(TKVBandSize::kvHeight); };
    Report->SetSnapToGrid(true);
    for (const TCase& u : units)
        for (int zoom : {75, 100, 200}) {
            SCOPED_TRACE(QStringLiteral("unit %1 zoom %2").arg(u.Unit).arg(zoom).toStdString());
            Report->SetZoom(zoom);
            Report->SetUnits(u.Unit);
            Band->Size()->SetHeight(u.Start);
            Select(Band);
            const long double start = native();
            const long double startUnits = Band->Size()->Height();
            const int before = Steps();
            Key(VK_DOWN, {ssShift});
            long double after = native();
            ASSERT_GT(after, start);
            if (u.Unit == kvunMM && zoom == 75) {
                // The handle resize starts from the height the key left.
                Form->EditarVoltarExecute();
                ASSERT_EQ(native(), start);
                TKVControlHandle* handle = Form->Designer->Handles(7);
                ASSERT_NE(handle, nullptr);
                Press(handle, 2, 2);
                MoveTo(handle, 2, 14, {ssLeft});
                Release(handle, 2, 14);
                after = native();
                ASSERT_GT(after, start);
            }
            ASSERT_EQ(Steps(), before + 1);
            Form->EditarVoltarExecute();
            EXPECT_EQ(native(), start);
            EXPECT_EQ(Band->Size()->Height(), startUnits);
            Form->EditarRefazerExecute();
            EXPECT_EQ(native(), after);
        }
}

TEST_F(DesignInputTest, HeldCtrlRightIsOneUndoStepAndEachNewPressAnother)
{
    Report->SetUnits(kvunMM);
    Report->SetSnapToGrid(true);
    TKVLabel* label = Label(40, 40);
    label->Size()->SetLeft(10);
    Select(label);
    const int before = Steps();
    for (int i = 0; i < 10; ++i)
        Key(VK_RIGHT, {ssCtrl}, false);
    EXPECT_NEAR(static_cast<double>(label->Size()->Left()), 20.0, 1e-9);
    EXPECT_EQ(Steps(), before + 1);
    Driver->KeyUp(VK_RIGHT, {ssCtrl});
    Key(VK_RIGHT, {ssCtrl}, false);
    EXPECT_NEAR(static_cast<double>(label->Size()->Left()), 21.0, 1e-9);
    EXPECT_EQ(Steps(), before + 2);
}

TEST_F(DesignInputTest, KeysResizingAGroupStopAtZeroAndMoveItByPixels)
{
    TKVShape* a = Shape(20, 20, 30, 1);
    TKVShape* b = Shape(80, 20, 30, 3);
    Select(a);
    Press(b, 2, 1, {ssShift});
    Release(b, 2, 1, {ssShift});
    ASSERT_EQ(Form->MultiDesigner->Count(), 2);
    const int before = Steps();
    for (int i = 0; i < 3; ++i)
        Key(VK_UP, {ssShift}, false);
    Driver->KeyUp(VK_UP, {ssShift});
    EXPECT_EQ(a->Height(), 0);
    EXPECT_EQ(b->Height(), 0);
    Key(VK_RIGHT, {ssCtrl});
    EXPECT_EQ(a->Left(), 21);
    EXPECT_EQ(b->Left(), 81);
    EXPECT_EQ(Steps(), before + 2);
}

// ---- arrows ----

TEST_F(DesignInputTest, FindNeighbourOnAFixtureOfRectangles)
{
    struct TRectSpec {
        const char* Name;
        int L, T, W, H;
    };
    struct TCase {
        const char* Name;
        TRectSpec Selection;
        std::vector<TRectSpec> Others; // in child order
        unsigned short Key;
        const char* Expected; // nullptr: none
    };
    const TCase cases[] = {
        // Both overlap the selection's rows: the smaller Left wins although B is nearer.
        {"right prefers the smaller Left among overlapping",
         {"S", 100, 100, 40, 60},
         {{"B", 160, 125, 20, 10}, {"A", 150, 0, 30, 100}},
         VK_RIGHT, "A"},
        // The mirror image to the left: the distance decides.
        {"left goes by distance",
         {"S", 300, 100, 40, 60},
         {{"B", 270, 125, 10, 10}, {"A", 260, 0, 30, 100}},
         VK_LEFT, "B"},
        // Both corners on the near side lie outside the cone: only the overlap counts it.
        {"a candidate counted by its overlap only",
         {"S", 100, 100, 40, 20},
         {{"C", 150, 50, 20, 120}},
         VK_RIGHT, "C"},
        {"down prefers the smaller Top among overlapping",
         {"S", 100, 100, 60, 40},
         {{"B", 125, 160, 10, 20}, {"A", 0, 150, 100, 30}},
         VK_DOWN, "A"},
        {"up goes by distance",
         {"S", 100, 200, 60, 40},
         {{"Far", 100, 100, 60, 20}, {"Near", 110, 150, 40, 20}},
         VK_UP, "Near"},
        {"nothing to the left", {"S", 10, 100, 40, 20}, {{"A", 200, 100, 40, 20}}, VK_LEFT, nullptr},
        // A selection without size has a cone from its point: nothing is divided by its size.
        {"zero-size selection to the right", {"S", 100, 100, 0, 0}, {{"A", 130, 95, 20, 10}}, VK_RIGHT, "A"},
        {"zero-height selection upwards", {"S", 100, 100, 40, 0}, {{"A", 110, 60, 20, 10}}, VK_UP, "A"},
        {"zero-height selection: a control well below is outside its left cone",
         {"S", 100, 100, 40, 0}, {{"A", 60, 140, 10, 10}}, VK_LEFT, nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TKVShape*> made;
        const auto make = [&](const TRectSpec& r) {
            TKVShape* l = Shape(r.L, r.T, r.W, r.H);
            l->SetHint(QString::fromUtf8(r.Name));
            made.push_back(l);
            return l;
        };
        TKVShape* s = make(c.Selection);
        for (const TRectSpec& r : c.Others)
            make(r);
        Select(s);
        TControl* n = Form->FindNeighbour(Report, c.Key);
        EXPECT_EQ(n ? n->Hint().toStdString() : std::string("none"), c.Expected ? c.Expected : "none");
        Form->Designer->SetSelected(Band);
        for (TKVShape* l : made)
            delete l;
    }
}

TEST_F(DesignInputTest, ArrowsSelectTheNeighbourOrTheCurrentBand)
{
    TKVLabel* a = Label(20, 20);
    TKVLabel* b = Label(120, 20);
    Select(a);
    Key(VK_RIGHT);
    EXPECT_EQ(Form->Designer->Selected(), b);
    EXPECT_FALSE(Panel(0).isEmpty());
    Key(VK_RIGHT);
    EXPECT_EQ(Form->Designer->Selected(), Form->CurrentContainer());
    EXPECT_EQ(Form->Designer->Selected(), Band);
}

TEST_F(DesignInputTest, PageDownWrapsAndPageUpFromAPrintableStartsAtTheFirstBand)
{
    Report->Bands()->SetBand(1, true);
    Report->Bands()->SetBand(7, true);
    const auto& bands = Report->BandList();
    ASSERT_GE(bands.size(), 3u);
    Select(bands.back());
    Key(VK_NEXT);
    EXPECT_EQ(Form->Designer->Selected(), bands.front());
    Key(VK_NEXT);
    EXPECT_EQ(Form->Designer->Selected(), bands[1]);
    Key(VK_PRIOR);
    Key(VK_PRIOR);
    EXPECT_EQ(Form->Designer->Selected(), bands.back());
    TKVLabel* label = Add<TKVLabel>(bands[1], 10, 5, 40, 10);
    Select(label);
    Key(VK_PRIOR);
    EXPECT_EQ(Form->Designer->Selected(), bands.front());
}

TEST_F(DesignInputTest, PageDownScrollsTheBandItSelectsIntoView)
{
    Report->Bands()->SetBand(7, true);
    Child->FitClientToReport();
    TKVCustomBand* summary = Report->BandList().back();
    ASSERT_NE(summary, Band);
    auto* box = FindScrollBox(Child->Client());
    ASSERT_NE(box, nullptr);
    const TRect view = box->ScreenClientRect();
    ASSERT_GT(summary->ClientToScreen({0, summary->Height()}).Y, view.Bottom) << "the fixture's band must lie below the view";
    Select(Band);
    Key(VK_NEXT);
    ASSERT_EQ(Form->Designer->Selected(), summary);
    EXPECT_GT(box->VertScrollBar()->Position(), 0);
    const TRect after = box->ScreenClientRect();
    const TPoint top = summary->ClientToScreen({0, 0});
    EXPECT_GE(top.Y, after.Top);
    EXPECT_LE(top.Y + summary->Height(), after.Bottom);
}

// ---- windows ----

TEST_F(DesignInputTest, EachWindowGetsItsSelectionBackWhenItIsActivatedAgain)
{
    TKVLabel* label = Label(20, 20);
    Press(label, 3, 3);
    Release(label, 3, 3);
    ASSERT_EQ(Form->Designer->Selected(), label);
    TfmAnexo_MDIChild* first = Child;
    Form->ArquivoNovoExecute();
    TfmAnexo_MDIChild* second = Form->ActiveMDIChild();
    ASSERT_NE(second, first);
    EXPECT_EQ(Form->Designer->Report(), second->Report);
    EXPECT_EQ(Form->Designer->Selected(), second->Report->BandList().front());
    Form->ActivateChild(first);
    EXPECT_EQ(Form->Designer->Report(), first->Report);
    EXPECT_EQ(Form->Designer->Selected(), label);
    // A group on the first window is cleared when another window comes forward.
    TKVLabel* other = Label(120, 20);
    Press(other, 3, 3, {ssShift});
    Release(other, 3, 3, {ssShift});
    ASSERT_EQ(Form->MultiDesigner->Count(), 2);
    Form->ActivateChild(second);
    EXPECT_EQ(Form->MultiDesigner->Count(), 0);
    EXPECT_EQ(Form->Designer->Report(), second->Report);
}

// ---- delete ----

TEST_F(DesignInputTest, DeleteRemovesOnlyAPrintableWithOneUndoStep)
{
    auto* area = Add<TKVItensObs>(Report, 0, 0, 200, 100);
    TKVObsLabel* obsLabel = area->Obs_TKVObs()->Obs_Label();
    ASSERT_NE(obsLabel, nullptr);
    TKVLabel* label = Label(20, 20);
    const QString name = label->Name();
    TComponent* root = Report->Owner();

    struct TCase {
        const char* Name;
        TControl* Selection;
        bool Deleted;
    } cases[] = {{"a band", Band, false}, {"an observation label", obsLabel, false}, {"a label", label, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const int before = Steps();
        const int components = root->ComponentCount();
        Select(c.Selection);
        Key(VK_DELETE);
        EXPECT_EQ(root->ComponentCount(), components - (c.Deleted ? 1 : 0));
        EXPECT_EQ(Steps(), before + (c.Deleted ? 1 : 0));
        if (c.Deleted) {
            EXPECT_EQ(root->FindComponent(name), nullptr);
            EXPECT_EQ(Form->Designer->Selected(), Form->CurrentContainer());
            EXPECT_TRUE(Form->IsModified());
        }
    }
}

// ---- the multi-selection by Shift presses ----

TEST_F(DesignInputTest, ShiftPressesBuildAndShrinkTheMultiSelection)
{
    TKVLabel* a = Label(20, 20);
    TKVLabel* b = Label(80, 20);
    TKVLabel* c = Label(140, 20);
    Press(a, 3, 3);
    Release(a, 3, 3);
    ASSERT_EQ(Form->Designer->Selected(), a);

    Press(b, 3, 3, {ssShift});
    Release(b, 3, 3, {ssShift});
    EXPECT_EQ(Form->MultiDesigner->Count(), 2);
    EXPECT_FALSE(Form->Designer->Attached());
    Press(c, 3, 3, {ssShift});
    Release(c, 3, 3, {ssShift});
    EXPECT_EQ(Form->MultiDesigner->Count(), 3);
    Press(c, 3, 3, {ssShift});
    Release(c, 3, 3, {ssShift});
    EXPECT_EQ(Form->MultiDesigner->Count(), 2);

    // Taking one of two out leaves one: the release makes it the single selection.
    Press(b, 3, 3, {ssShift});
    Release(b, 3, 3, {ssShift});
    EXPECT_EQ(Form->MultiDesigner->Count(), 0);
    EXPECT_TRUE(Form->Designer->Attached());
    EXPECT_EQ(Form->Designer->Selected(), a);
}

TEST_F(DesignInputTest, AGroupDragIsOneUndoStepAndMarksTheDocumentModified)
{
    TKVLabel* a = Label(20, 20);
    TKVLabel* b = Label(80, 60);
    Press(a, 3, 3);
    Release(a, 3, 3);
    Press(b, 3, 3, {ssShift});
    Release(b, 3, 3, {ssShift});
    ASSERT_EQ(Form->MultiDesigner->Count(), 2);
    Form->SetModified(false);
    const int before = Steps();
    Press(a, 3, 3);
    MoveTo(a, 8, 3, {ssLeft});
    MoveTo(a, 18, -2, {ssLeft});
    Release(a, 18, -2);
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(a->Left(), 35);
    EXPECT_EQ(a->Top(), 15);
    EXPECT_EQ(b->Left(), 95);
    EXPECT_EQ(b->Top(), 55);
    EXPECT_FALSE(Form->DragStepSaved);
    EXPECT_TRUE(Driver->FocusRects().empty());
}

TEST_F(DesignInputTest, AShiftPressAndMoveDragsNothingAndRecordsNothing)
{
    TKVLabel* a = Label(20, 20);
    TKVLabel* b = Label(80, 60);
    Press(a, 3, 3);
    Release(a, 3, 3);
    Form->SetModified(false);
    const int before = Steps();
    Press(b, 3, 3, {ssShift});
    MoveTo(b, 13, 13, TShiftState{ssShift, ssLeft});
    Release(b, 13, 13, {ssShift});
    EXPECT_EQ(Steps(), before);
    EXPECT_FALSE(Form->IsModified());
    EXPECT_EQ(b->Left(), 80);
}

// ---- the sizing handles ----

TEST_F(DesignInputTest, AHandleResizeRecordsAStepExceptForABarcode)
{
    TKVLabel* label = Label(20, 20, 60, 20);
    auto* barcode = Add<TKVBarcode>(Band, 120, 20, 80, 40);
    struct TCase {
        const char* Name;
        TControl* Control;
        int StepsRecorded;
    } cases[] = {{"a label", label, 1}, {"a barcode", barcode, 0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Select(c.Control);
        Form->SetModified(false);
        const int before = Steps();
        TKVControlHandle* handle = Form->Designer->Handles(8);
        ASSERT_NE(handle, nullptr);
        Press(handle, 2, 2);
        MoveTo(handle, 7, 6, {ssLeft});
        MoveTo(handle, 12, 10, {ssLeft});
        Release(handle, 12, 10);
        EXPECT_EQ(Steps(), before + c.StepsRecorded);
        // Nothing the user changed goes unsaved: the document is modified either way.
        EXPECT_TRUE(Form->IsModified());
        EXPECT_FALSE(Form->DragStepSaved);
        EXPECT_TRUE(Driver->FocusRects().empty());
    }
}

TEST_F(DesignInputTest, AlignSizeOptionRoundsTheSizeAfterAHandleResize)
{
    Report->SetUnits(kvunMM);
    Report->SetOptions(Report->Options() + TVardoReportOptions{kvoAlinharTamanho});
    TKVShape* label = Shape(20, 20, 60, 40);
    label->Size()->SetWidth(23.6L);
    label->Size()->SetHeight(10.2L);
    Select(label);
    TKVControlHandle* handle = Form->Designer->Handles(7);
    ASSERT_NE(handle, nullptr);
    Press(handle, 2, 2);
    MoveTo(handle, 2, 4, {ssLeft});
    Release(handle, 2, 4);
    EXPECT_NEAR(static_cast<double>(label->Size()->Width()), 24.0, 1e-9);
    const long double h = label->Size()->Height();
    EXPECT_NEAR(static_cast<double>(h), std::round(static_cast<double>(h)), 1e-9);
}

// ---- the release ----

TEST_F(DesignInputTest, AnExpressionMemoInWindowTextTurnsBlackAtTheRelease)
{
    auto* memo = Add<TKVExprMemo>(Band, 20, 20, 80, 30);
    memo->Font()->SetColor(clWindowText);
    Press(memo, 4, 4);
    Release(memo, 4, 4);
    EXPECT_EQ(Form->Designer->Selected(), memo);
    EXPECT_EQ(memo->Font()->Color(), clBlack);
}

TEST_F(DesignInputTest, ADragOfOneControlIsOneUndoStepAndTheReleaseMarksModified)
{
    Report->SetUnits(kvunPixels);
    Report->SetSnapToGrid(false);
    TKVLabel* label = Label(20, 20);
    Press(label, 5, 5);
    Release(label, 5, 5);
    Form->SetModified(false);
    const int before = Steps();
    Press(label, 5, 5);
    MoveTo(label, 10, 8, {ssLeft});
    MoveTo(label, 15, 12, {ssLeft});
    Release(label, 15, 12);
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_TRUE(Form->IsModified());
    EXPECT_EQ(label->Left(), 30);
    EXPECT_EQ(label->Top(), 27);
    // A click without movement records nothing.
    Form->SetModified(false);
    Press(label, 5, 5);
    Release(label, 5, 5);
    EXPECT_EQ(Steps(), before + 1);
    EXPECT_FALSE(Form->IsModified());
}

TEST_F(DesignInputTest, UndoOrCutWhileTheButtonIsHeldEndsTheDragFirst)
{
    // The drag ends where the mouse is, as its release would end it; the command then acts on a
    // finished change, no outline stays on the page, and the real release changes nothing.
    Report->SetUnits(kvunPixels);
    Report->SetSnapToGrid(false);
    enum class TWhat { UndoDrag, CutDrag, UndoResize };
    const struct {
        const char* Name;
        TWhat What;
    } cases[] = {{"undo during a drag", TWhat::UndoDrag},
                 {"cut during a drag", TWhat::CutDrag},
                 {"undo during a handle resize", TWhat::UndoResize}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TKVLabel* label = Label(20, 20, 40, 20);
        const QString name = label->Name();
        Select(label);
        const TRect before = label->BoundsRect();
        const int steps = Steps();
        TPoint at;
        if (c.What == TWhat::UndoResize) {
            TKVControlHandle* handle = Form->Designer->Handles(8);
            ASSERT_NE(handle, nullptr);
            Press(handle, 2, 2);
            MoveTo(handle, 9, 8, {ssLeft});
            at = Driver->At(handle, 14, 12);
        } else {
            Press(label, 5, 5);
            MoveTo(label, 10, 8, {ssLeft});
            at = Driver->At(label, 15, 12);
        }
        Driver->Move(at, {ssLeft});
        ASSERT_FALSE(Driver->FocusRects().empty());
        if (c.What == TWhat::CutDrag)
            Form->Recortar1Click();
        else
            Form->EditarVoltarExecute();
        EXPECT_TRUE(Driver->FocusRects().empty());
        EXPECT_FALSE(Form->DragStepSaved);
        EXPECT_TRUE(Host->ReleasePending());
        if (c.What == TWhat::CutDrag) {
            EXPECT_EQ(Report->Owner()->FindComponent(name), nullptr);
            // The drag was one step, the cut another: undoing the cut brings the label back where
            // the drag left it.
            EXPECT_EQ(Steps(), steps + 2);
        } else {
            EXPECT_EQ(label->BoundsRect(), before);
            EXPECT_EQ(Steps(), steps);
            // Redo gives the finished drag or resize back.
            Form->EditarRefazerExecute();
            EXPECT_NE(label->BoundsRect(), before);
            Form->EditarVoltarExecute();
        }
        Driver->Release(at);
        EXPECT_FALSE(Host->ReleasePending());
        EXPECT_TRUE(Driver->FocusRects().empty());
        if (c.What != TWhat::CutDrag) {
            EXPECT_EQ(label->BoundsRect(), before);
            // The next drag is an ordinary one.
            Press(label, 5, 5);
            MoveTo(label, 8, 9, {ssLeft});
            Release(label, 8, 9);
            EXPECT_EQ(label->Left(), before.Left + 3);
            EXPECT_EQ(label->Top(), before.Top + 4);
            EXPECT_TRUE(Driver->FocusRects().empty());
            Form->Designer->SetSelected(Band);
            delete label;
        }
    }
}

// ---- presses and moves on bands ----

TEST_F(DesignInputTest, ABandPressSelectsItAndAPlainMoveShowsTheMouseOnTheBand)
{
    Report->SetUnits(kvunMM);
    Report->SetSnapToGrid(false);
    TKVLabel* label = Label(20, 20);
    Select(label);
    Press(Band, 200, 100);
    Release(Band, 200, 100);
    EXPECT_EQ(Form->Designer->Selected(), Band);
    EXPECT_EQ(Form->CurrentBand, Band);
    EXPECT_TRUE(Panel(1).startsWith(QStringLiteral("Tamanho: "))) << Panel(1).toStdString();
    // 96 by 48 pixels into the band at 96 pixels per inch: 25.40 by 12.70 millimetres.
    MoveTo(Band, 96, 48);
    EXPECT_TRUE(Panel(0).startsWith(QStringLiteral("Posição: 25"))) << Panel(0).toStdString();
    EXPECT_TRUE(Panel(0).contains(QStringLiteral("12"))) << Panel(0).toStdString();
    EXPECT_TRUE(Panel(1).isEmpty());
}

TEST_F(DesignInputTest, ARightPressSelectsAControlOrReleasesTheDesignerForAGroup)
{
    TKVLabel* a = Label(20, 20);
    TKVLabel* b = Label(80, 20);
    TKVLabel* c = Label(140, 20);
    Select(a);
    TPoint p = Driver->At(b, 3, 3);
    Driver->Press(p, mbRight, {ssRight});
    Driver->Release(p, mbRight);
    EXPECT_EQ(Form->Designer->Selected(), b);
    EXPECT_EQ(Form->MultiDesigner->Count(), 0);

    Press(c, 3, 3, {ssShift});
    Release(c, 3, 3, {ssShift});
    ASSERT_EQ(Form->MultiDesigner->Count(), 2);
    // A right press on a member keeps the group; elsewhere it selects that control alone.
    p = Driver->At(c, 3, 3);
    Driver->Press(p, mbRight, {ssRight});
    Driver->Release(p, mbRight);
    EXPECT_EQ(Form->MultiDesigner->Count(), 2);
    EXPECT_FALSE(Form->Designer->Attached());
    p = Driver->At(a, 3, 3);
    Driver->Press(p, mbRight, {ssRight});
    Driver->Release(p, mbRight);
    EXPECT_EQ(Form->MultiDesigner->Count(), 0);
    EXPECT_TRUE(Form->Designer->Attached());
    EXPECT_EQ(Form->Designer->Selected(), a);
}

// ---- saving keeps the selection ----

TEST_F(DesignInputTest, ASaveFromTheCommandsKeepsTheSelectionAndWritesNoMarks)
{
    TKVLabel* a = Label(20, 20);
    TKVLabel* b = Label(80, 20);
    TKVLabel* c = Label(140, 20);
    Press(a, 3, 3);
    Release(a, 3, 3);
    for (TKVLabel* l : {b, c}) {
        Press(l, 3, 3, {ssShift});
        Release(l, 3, 3, {ssShift});
    }
    ASSERT_EQ(Form->MultiDesigner->Count(), 3);
    Form->UserSave = true;
    Form->SaveDocument(Path(QStringLiteral("grupo.KVR")));
    EXPECT_EQ(Form->MultiDesigner->Count(), 3);
    EXPECT_EQ(Form->MultiDesigner->SelectedControls(), (std::vector<TControl*>{a, b, c}));
    QByteArray text = TextFromResource(ReadFile(Path(QStringLiteral("grupo.KVR"))));
    ASSERT_TRUE(text.contains("KVLabel"));
    EXPECT_FALSE(text.contains("TEtiq")) << text.toStdString();
    EXPECT_FALSE(text.contains("ControlHandle")) << text.toStdString();

    // A press on the band ends the group; then b alone.
    Press(Band, 300, 150);
    Release(Band, 300, 150);
    EXPECT_EQ(Form->MultiDesigner->Count(), 0);
    Press(b, 3, 3);
    Release(b, 3, 3);
    ASSERT_EQ(Form->Designer->Selected(), b);
    Form->SaveDocument(Path(QStringLiteral("um.KVR")));
    EXPECT_TRUE(Form->Designer->Attached());
    EXPECT_EQ(Form->Designer->Selected(), b);
    text = TextFromResource(ReadFile(Path(QStringLiteral("um.KVR"))));
    EXPECT_FALSE(text.contains("ControlHandle")) << text.toStdString();
}

// The status bar during a drag shows the place the control will take, the same text it shows
// for the control once it lies there.
TEST_F(DesignInputTest, TheDragAndTheDroppedControlShowTheSamePosition)
{
    struct TCase {
        TKVUnit Unit;
        int Zoom;
    } cases[] = {{kvunMM, 100}, {kvunMM, 200}, {kvunInches, 100}, {kvunPixels, 200}, {kvunNative, 100}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "unit " << c.Unit << " zoom " << c.Zoom);
        Report->SetUnits(c.Unit);
        Report->SetZoom(c.Zoom);
        Report->SetSnapToGrid(false);
        Child->FitClientToReport();
        TKVLabel* label = Label(30, 30);
        Press(label, 4, 4);
        Release(label, 4, 4);
        Press(label, 4, 4);
        MoveTo(label, 20, 12, {ssLeft});
        MoveTo(label, 41, 23, {ssLeft});
        const QString dragging = Panel(0);
        Release(label, 41, 23);
        ASSERT_EQ(label->Left(), 67);
        Form->UpdateStatusBar(label, QStringLiteral("PT"), 0, 0);
        EXPECT_EQ(dragging.toStdString(), Panel(0).toStdString());
        Form->Designer->SetSelected(Band);
        delete label;
    }
}

TEST_F(DesignInputTest, AHandleResizeShowsTheSizeTheControlThenHas)
{
    Report->SetUnits(kvunMM);
    Report->SetSnapToGrid(false);
    TKVShape* shape = Shape(30, 30, 60, 40);
    // Each handle by (+10, +5): the size the status bar shows while dragging is the size after.
    for (int index : {1, 3, 5, 6, 7, 8}) {
        SCOPED_TRACE(testing::Message() << "handle " << index);
        Select(shape);
        TKVControlHandle* handle = Form->Designer->Handles(index);
        ASSERT_NE(handle, nullptr);
        Press(handle, 2, 2);
        MoveTo(handle, 7, 4, {ssLeft});
        MoveTo(handle, 12, 7, {ssLeft});
        const QString dragging = Panel(1);
        Release(handle, 12, 7);
        Form->UpdateStatusBar(shape, QStringLiteral("T"), 0, 0);
        EXPECT_EQ(dragging.toStdString(), Panel(1).toStdString());
    }
}

// ---- F12 ----

TEST_F(DesignInputTest, F12TakesTheFocusToTheDesignSurfaceAndBack)
{
    QApplication::setActiveWindow(Form->Window());
    QWidget* zoom = Form->cbZoom;
    ASSERT_NE(zoom, nullptr);
    zoom->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    ASSERT_EQ(Form->Window()->focusWidget(), zoom);
    TKVLabel* label = Label(20, 20);
    Select(label);

    QKeyEvent toSurface(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier);
    QApplication::sendEvent(zoom, &toSurface);
    EXPECT_EQ(Form->LastToolControl.data(), zoom);
    EXPECT_TRUE(Child->Host()->isAncestorOf(Form->Window()->focusWidget()) ||
                Form->Window()->focusWidget() == Child->Host());
    EXPECT_TRUE(Report->Focused());
    EXPECT_EQ(Form->Designer->Selected(), label);

    QKeyEvent toTools(QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier);
    QApplication::sendEvent(Form->Window()->focusWidget(), &toTools);
    EXPECT_EQ(Form->Window()->focusWidget(), zoom);
}

// ---- the message hook ----

TEST_F(DesignInputTest, AControlPutOnTheSurfaceWithoutASelectionIsWiredBeforeItsFirstPress)
{
    TKVLabel* a = Label(20, 20);
    Press(a, 3, 3);
    Release(a, 3, 3);
    // As undo brings a control back: on its band, no selection, no handlers.
    auto* back = new TKVLabel(Report->Owner());
    back->SetParent(Band);
    Form->EnsureComponentName(back);
    back->SetBounds(100, 20, 40, 20);
    ASSERT_FALSE(back->OnMouseDown);
    Press(back, 3, 3, {ssShift});
    Release(back, 3, 3, {ssShift});
    EXPECT_TRUE(back->OnMouseDown);
    EXPECT_EQ(Form->MultiDesigner->Count(), 2);
}

TEST_F(DesignInputTest, TheMessageHookShowsTheUnitAndClearsThePanelsOffTheControls)
{
    Report->SetUnits(kvunMM);
    TKVLabel* label = Label(20, 20);
    Select(label);
    Form->UpdateStatusBar(label, QStringLiteral("PT"), 0, 0);
    ASSERT_FALSE(Panel(0).isEmpty());
    MoveTo(label, 3, 3);
    EXPECT_EQ(Panel(2), QStringLiteral("Milímetros"));
    EXPECT_FALSE(Panel(0).isEmpty());
    // The report's own area, outside every band.
    const TPoint outside = Report->ClientToScreen({Report->Width() - 2, Report->Height() - 2});
    ASSERT_EQ(Report->FindDeepControlAt(Report->ScreenToClient(outside)), Report);
    Driver->Move(outside);
    EXPECT_TRUE(Panel(0).isEmpty());
    EXPECT_TRUE(Panel(1).isEmpty());
}

TEST_F(DesignInputTest, NoDocumentDetachesTheDesignerAndStartsANewKeyStep)
{
    TKVLabel* label = Label(20, 20);
    Select(label);
    Key(VK_RIGHT, {ssCtrl}, false);
    EXPECT_FALSE(Form->StepPending);
    Form->CloseDocument();
    EXPECT_FALSE(Form->Designer->Attached());
    EXPECT_TRUE(Form->StepPending);
    EXPECT_EQ(Form->MultiDesigner->Count(), 0);
}

} // namespace
