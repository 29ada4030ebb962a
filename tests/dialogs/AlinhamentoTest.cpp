// The alignment dialog over real printables on a band: edges and centres on the first control,
// equal spacing ordered by position as a number, centring in the band, and what a single
// selected control gets.
#include "PageDialogsFixture.h"

#include "designer/dialogs/Alinhamento.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/printables/KVShape.h"
#include "platform/core/IniFiles.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QTemporaryDir>

#include <vector>

using namespace tessiv;

namespace dialogstest {
namespace {

using TFormPtr = std::unique_ptr<TfmAlinhamento, TComponentDeleter>;

struct TBox {
    int Left, Top, Width, Height;
    bool operator==(const TBox&) const = default;
};

void PrintTo(const TBox& b, std::ostream* os)
{
    *os << "{" << b.Left << ", " << b.Top << ", " << b.Width << ", " << b.Height << "}";
}

class AlinhamentoTest : public SelectionDialogsTest {
protected:
    void SetUp() override
    {
        SelectionDialogsTest::SetUp();
        Detail->SetBounds(Detail->Left(), Detail->Top(), 400, 200);
        // The report lays its bands out as its page says: the centre is taken from what it gave.
        BandWidth = Detail->Width();
        BandHeight = Detail->Height();
    }
    std::vector<TControl*> PlaceAll(const std::vector<TBox>& boxes)
    {
        std::vector<TControl*> controls;
        for (const TBox& b : boxes)
            controls.push_back(Place<TKVShape>(b.Left, b.Top, b.Width, b.Height));
        return controls;
    }
    void Run(const TDesignSelection& selection, int h, int v)
    {
        TFormPtr form(new TfmAlinhamento(nullptr));
        form->SetSelection(selection);
        form->SetHorizontal(h);
        form->SetVertical(v);
        form->buOk()->click();
        EXPECT_EQ(form->ModalResult(), mrOk);
    }
    static std::vector<TBox> Boxes(const std::vector<TControl*>& controls)
    {
        std::vector<TBox> boxes;
        for (const TControl* c : controls)
            boxes.push_back({c->Left(), c->Top(), c->Width(), c->Height()});
        return boxes;
    }

    int BandWidth = 0;
    int BandHeight = 0;
};

TEST_F(AlinhamentoTest, EachUseStartsWithNothingChosen)
{
    TFormPtr form(new TfmAlinhamento(nullptr));
    EXPECT_EQ(form->Horizontal(), TfmAlinhamento::alNone);
    EXPECT_EQ(form->Vertical(), TfmAlinhamento::alNone);
    EXPECT_EQ(form->Caption(), QStringLiteral("Alinhamento"));
    EXPECT_EQ(form->rgHorizontal()->button(4)->text(), QStringLiteral("E&spaços Iguais"));
    EXPECT_EQ(form->rgVertical()->button(5)->text(), QStringLiteral("Centro da etiquet&a"));
}

TEST_F(AlinhamentoTest, RightAlignmentPutsEveryRightEdgeOnTheFirstOnes)
{
    const auto controls = PlaceAll({{100, 10, 60, 20}, {10, 40, 30, 20}, {200, 70, 50, 20}});
    Run(Multi(controls), TfmAlinhamento::alRight, TfmAlinhamento::alNone);
    EXPECT_EQ(Boxes(controls), (std::vector<TBox>{{100, 10, 60, 20}, {130, 40, 30, 20}, {110, 70, 50, 20}}));
    EXPECT_EQ(Marked, (std::vector<TControl*>{controls[1], controls[2]}));
    EXPECT_EQ(Modified, 1);
}

TEST_F(AlinhamentoTest, EdgesAndCentresTakeTheFirstControlAsReference)
{
    struct TCase {
        int H, V;
        std::vector<TBox> Expected;
    };
    // First control at (100, 50) 41 x 21; the other 20 x 10 at (10, 10).
    const TCase cases[] = {
        {TfmAlinhamento::alLeft, TfmAlinhamento::alNone, {{100, 50, 41, 21}, {100, 10, 20, 10}}},
        {TfmAlinhamento::alCentre, TfmAlinhamento::alNone, {{100, 50, 41, 21}, {110, 10, 20, 10}}},
        {TfmAlinhamento::alNone, TfmAlinhamento::alLeft, {{100, 50, 41, 21}, {10, 50, 20, 10}}},
        {TfmAlinhamento::alNone, TfmAlinhamento::alCentre, {{100, 50, 41, 21}, {10, 55, 20, 10}}},
        {TfmAlinhamento::alNone, TfmAlinhamento::alRight, {{100, 50, 41, 21}, {10, 61, 20, 10}}},
        {TfmAlinhamento::alRight, TfmAlinhamento::alRight, {{100, 50, 41, 21}, {121, 61, 20, 10}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.H << "/" << c.V);
        const auto controls = PlaceAll({{100, 50, 41, 21}, {10, 10, 20, 10}});
        Run(Multi(controls), c.H, c.V);
        EXPECT_EQ(Boxes(controls), c.Expected);
        for (TControl* control : controls)
            delete control;
    }
}

TEST_F(AlinhamentoTest, EqualSpacingMovesTheMiddleControls)
{
    const auto controls = PlaceAll({{10, 0, 20, 10}, {100, 0, 20, 10}, {40, 0, 20, 10}});
    Run(Multi(controls), TfmAlinhamento::alEqualSpaces, TfmAlinhamento::alNone);
    EXPECT_EQ(controls[0]->Left(), 10);
    EXPECT_EQ(controls[1]->Left(), 100);
    EXPECT_EQ(controls[2]->Left(), 55);
    EXPECT_EQ(Marked, std::vector<TControl*>{controls[2]});
}

// Positions are ordered as numbers (negative ones too) and controls that share a position all
// take part; the last one in order stays.
TEST_F(AlinhamentoTest, EqualSpacingOrdersByNumberAndKeepsEveryControl)
{
    struct TCase {
        const char* Name;
        std::vector<TBox> Start;
        std::vector<int> Lefts;
    };
    const TCase cases[] = {
        // Two at 10: gap (120 - 10 - 60) div 2 = 25.
        {"shared position", {{10, 0, 20, 10}, {10, 30, 20, 10}, {100, 0, 20, 10}}, {10, 55, 100}},
        // -7 before -5: gap (40 - (-7) - 30) div 2 = 8.
        {"negative positions", {{-5, 0, 10, 10}, {30, 0, 10, 10}, {-7, 0, 10, 10}}, {11, 30, -7}},
        // 1000000 after 999: gap (1000010 - 999 - 30) div 2 = 499490.
        {"seven digits", {{1000000, 0, 10, 10}, {999, 0, 10, 10}, {5000, 0, 10, 10}}, {1000000, 999, 500499}},
        // Four, two of them sharing the first place: gap (100 - 0 - 40) div 3 = 20.
        {"four", {{0, 0, 10, 10}, {90, 0, 10, 10}, {0, 20, 10, 10}, {50, 0, 10, 10}}, {0, 90, 30, 60}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto controls = PlaceAll(c.Start);
        Run(Multi(controls), TfmAlinhamento::alEqualSpaces, TfmAlinhamento::alNone);
        std::vector<int> lefts;
        for (const TControl* control : controls)
            lefts.push_back(control->Left());
        EXPECT_EQ(lefts, c.Lefts);
        for (TControl* control : controls)
            delete control;
    }
}

TEST_F(AlinhamentoTest, VerticalEqualSpacingWorksOnTopsAndHeights)
{
    const auto controls = PlaceAll({{0, 100, 10, 30}, {0, 0, 10, 10}, {0, 20, 10, 20}});
    Run(Multi(controls), TfmAlinhamento::alNone, TfmAlinhamento::alEqualSpaces);
    // gap (130 - 0 - 60) div 2 = 35: the one at 20 goes to 0 + 10 + 35.
    EXPECT_EQ(controls[2]->Top(), 45);
    EXPECT_EQ(controls[0]->Top(), 100);
    EXPECT_EQ(controls[1]->Top(), 0);
}

TEST_F(AlinhamentoTest, OneControlInAnEqualSpacingStays)
{
    const auto controls = PlaceAll({{17, 3, 10, 10}});
    Run(Multi(controls), TfmAlinhamento::alEqualSpaces, TfmAlinhamento::alEqualSpaces);
    EXPECT_EQ(Boxes(controls), (std::vector<TBox>{{17, 3, 10, 10}}));
    EXPECT_EQ(Modified, 2);
}

TEST_F(AlinhamentoTest, CentreOfTheBandForOneSelectedControl)
{
    TControl* c = Place<TKVShape>(7, 20, 40, 10);
    Run(Single(c), TfmAlinhamento::alBandCentre, TfmAlinhamento::alNone);
    // A control 40 wide in a band 400 wide goes to 180.
    EXPECT_EQ(c->Left(), BandWidth / 2 - 20);
    EXPECT_EQ(c->Top(), 20);
    EXPECT_EQ(Handles, 1);
    EXPECT_EQ(Modified, 1);
}

TEST_F(AlinhamentoTest, CentreOfTheBandMovesAGroupAsABlock)
{
    const auto controls = PlaceAll({{10, 10, 30, 20}, {60, 50, 40, 30}});
    Run(Multi(controls), TfmAlinhamento::alBandCentre, TfmAlinhamento::alBandCentre);
    // Box 10..100 x 10..80, its centre (55, 45) moved onto the band's.
    const int dx = BandWidth / 2 - 55;
    const int dy = BandHeight / 2 - 45;
    EXPECT_EQ(Boxes(controls), (std::vector<TBox>{{10 + dx, 10 + dy, 30, 20}, {60 + dx, 50 + dy, 40, 30}}));
    EXPECT_EQ(Marked.size(), 2u);
}

TEST_F(AlinhamentoTest, WithoutACurrentBandCentringDoesNothing)
{
    const auto controls = PlaceAll({{10, 10, 30, 20}});
    TDesignSelection s = Multi(controls);
    s.Band = nullptr;
    Run(s, TfmAlinhamento::alBandCentre, TfmAlinhamento::alNone);
    EXPECT_EQ(controls[0]->Left(), 10);
    EXPECT_EQ(Modified, 0);
}

TEST_F(AlinhamentoTest, ASingleSelectedControlIsNotMovedByEdgesOrSpacing)
{
    TControl* c = Place<TKVShape>(7, 20, 40, 10);
    Run(Single(c), TfmAlinhamento::alRight, TfmAlinhamento::alEqualSpaces);
    EXPECT_EQ(c->Left(), 7);
    EXPECT_EQ(c->Top(), 20);
    // Each step that ran marks the document.
    EXPECT_EQ(Modified, 2);
}

TEST_F(AlinhamentoTest, AlignedPrintablesKeepTheirLengthsInStep)
{
    const auto controls = PlaceAll({{96, 0, 20, 10}, {10, 30, 20, 10}});
    Run(Multi(controls), TfmAlinhamento::alLeft, TfmAlinhamento::alNone);
    EXPECT_EQ(controls[1]->Left(), 96);
    EXPECT_NEAR(static_cast<double>(static_cast<TKVPrintable*>(controls[1])->Size()->Left()),
                static_cast<double>(static_cast<TKVPrintable*>(controls[0])->Size()->Left()), 1e-9);
}

// The main form's designers themselves: the corner marks of the multi-selection and the sizing
// handles of the report designer follow the controls the dialog moved.
TEST_F(AlinhamentoTest, TheCornerMarksOfTheMultiSelectionFollowTheControls)
{
    const auto controls = PlaceAll({{100, 10, 60, 20}, {10, 40, 30, 20}});
    TMultiDesigner multi;
    multi.SetSurface(Report);
    for (TControl* c : controls)
        multi.Toggle(c);
    ASSERT_EQ(multi.CornerMarks().size(), 2u);
    int modified = 0;
    Run(MakeDesignSelection(&multi, nullptr, Detail, QString(), [&modified] { ++modified; }),
        TfmAlinhamento::alRight, TfmAlinhamento::alNone);
    EXPECT_EQ(controls[1]->Left(), 130);
    const TEtiqCantos* mark = multi.CornerMarks()[1];
    ASSERT_TRUE(mark->Corners(1));
    EXPECT_EQ(mark->Corners(1)->Left(), 128);
    EXPECT_EQ(mark->Corners(4)->Left(), 158);
    EXPECT_EQ(modified, 1);
    multi.Clear();
}

TEST_F(AlinhamentoTest, TheDesignersHandlesFollowACentredControl)
{
    TControl* c = Place<TKVShape>(7, 20, 40, 10);
    TKVDesigner designer(nullptr);
    designer.Attach(Report);
    designer.SetSelected(c);
    designer.RefreshHandles();
    const int before = designer.Handles(1)->Left();
    TMultiDesigner empty;
    Run(MakeDesignSelection(&empty, &designer, Detail, QString(), {}), TfmAlinhamento::alBandCentre,
        TfmAlinhamento::alNone);
    EXPECT_EQ(c->Left(), BandWidth / 2 - 20);
    EXPECT_EQ(designer.Handles(1)->Left() - before, c->Left() - 7);
    designer.Detach();
}

TEST_F(AlinhamentoTest, CancelDoesNothingAndThePositionIsKept)
{
    QTemporaryDir dir;
    TIniFile settings(dir.filePath(QStringLiteral("Tessiv.INI")));
    const auto controls = PlaceAll({{10, 10, 30, 20}, {50, 50, 30, 20}});
    TRect shown;
    TModalForm::SetPresenter([&shown](TModalForm& form) {
        auto& dialog = static_cast<TfmAlinhamento&>(form);
        shown = form.BoundsRect();
        EXPECT_EQ(dialog.Horizontal(), TfmAlinhamento::alNone);
        dialog.SetHorizontal(TfmAlinhamento::alLeft);
        form.SetBounds(40, 30, form.Width(), form.Height());
        dialog.buCancela()->click();
    });
    EXPECT_EQ(TfmAlinhamento::Execute(&settings, Multi(controls)), mrCancel);
    EXPECT_EQ(controls[1]->Left(), 50);
    EXPECT_EQ(Modified, 0);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("Alinha"), QStringLiteral("Left"), -1), 40);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("Alinha"), QStringLiteral("Top"), -1), 30);
    EXPECT_EQ(TfmAlinhamento::Execute(&settings, Multi(controls)), mrCancel);
    EXPECT_EQ(shown.Left, 40);
    EXPECT_EQ(shown.Top, 30);
    TModalForm::SetPresenter(nullptr);
}

} // namespace
} // namespace dialogstest
