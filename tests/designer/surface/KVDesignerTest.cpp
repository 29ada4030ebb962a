// The report designer on a new document's report, driven at surface coordinates: insertion,
// sizing handles, printable and band drags with the snap to the grid, presses ended at once, and
// the outlines that every sequence leaves behind (none).

#include "DesignerFixture.h"
#include "SurfaceDriver.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/AnexoRelatorio.h"
#include "designer/document/DesignerClasses.h"
#include "designer/document/Hidden.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/printables/KVDBText.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/ScrollBox.h"
#include "platform/graphics/Canvas.h"
#include "platform/data/DBTables.h"

#include <QImage>

#include <cmath>
#include <memory>
#include <string>

namespace designertest {

using namespace tessiv;

namespace {

class KVDesignerTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        Doc.reset(NewReportDocument(&Host));
        ASSERT_TRUE(Doc);
        Report = Doc->Report();
        Detail = Report->FirstBandOfKind(rbDetail);
        ASSERT_NE(Detail, nullptr);
        Driver = std::make_unique<TSurfaceDriver>(Report);
        Designer.reset(new TKVDesigner(nullptr));
        Designer->Attach(Report);
    }

    void TearDown() override
    {
        Designer.reset();
        Driver.reset();
        Doc.reset();
        DesignerTest::TearDown();
    }

    // A printable that keeps the bounds it is given (a text fits its height to its lines).
    TKVShape* AddShape(TKVCustomBand* band, int left, int top, int width, int height)
    {
        auto* shape = new TKVShape(Doc->Root());
        shape->SetName(QStringLiteral("Shape%1").arg(++FCount));
        shape->SetParent(band);
        shape->SetBounds(left, top, width, height);
        return shape;
    }

    // The size a control of the class takes when it is made on the band.
    TRect DefaultBounds(const TClassInfo& cls, int left, int top)
    {
        auto* probe = dynamic_cast<TControl*>(cls.Create(Doc->Root()));
        probe->SetParent(Detail);
        probe->SetTop(top);
        probe->SetLeft(left);
        const TRect r = probe->BoundsRect();
        probe->Free();
        return r;
    }

    void Select(TControl* control)
    {
        Designer->SetSelected(control);
        Designer->RefreshHandles();
    }

    TPoint HandlePoint(int index) const { return Driver->At(Designer->Handles(index), 2, 2); }

    std::unique_ptr<TAnexoRelatorio> Doc;
    TVardoRep* Report = nullptr;
    TKVCustomBand* Detail = nullptr;
    std::unique_ptr<TSurfaceDriver> Driver;
    std::unique_ptr<TKVDesigner, TComponentDeleter> Designer;

private:
    int FCount = 0;
};

std::string Str(const TRect& r)
{
    return "(" + std::to_string(r.Left) + ", " + std::to_string(r.Top) + ", " + std::to_string(r.Right) + ", " +
           std::to_string(r.Bottom) + ")";
}

} // namespace

// ---- attaching ----------------------------------------------------------------------------------

TEST_F(KVDesignerTest, AttachLinksTheReportAndSelectsItWithHiddenHandlesOnIt)
{
    EXPECT_TRUE(Designer->Attached());
    EXPECT_EQ(Designer->Report(), Report);
    EXPECT_EQ(Designer->Selected(), Report);
    EXPECT_EQ(Report->Designer(), Designer.get());
    EXPECT_EQ(Report->DesignState(), 4);
    for (int i = 1; i <= 8; ++i) {
        ASSERT_NE(Designer->Handles(i), nullptr) << i;
        EXPECT_EQ(Designer->Handles(i)->Parent(), Report) << i;
        EXPECT_EQ(Designer->Handles(i)->Index(), i);
        EXPECT_FALSE(Designer->Handles(i)->Visible()) << i;
        EXPECT_EQ(Designer->Handles(i)->Width(), 4);
        EXPECT_EQ(Designer->Handles(i)->Height(), 4);
    }
    EXPECT_EQ(Designer->Handles(0), nullptr);
    EXPECT_EQ(Designer->Handles(9), nullptr);
    // The report has the keyboard for the design keys.
    EXPECT_TRUE(Report->Focused());
}

TEST_F(KVDesignerTest, DetachLetsGoOfTheReportEntirely)
{
    Designer->SetPendingClass(&TKVLabel::StaticClass());
    const int children = Report->ControlCount();
    Designer->Detach();
    EXPECT_FALSE(Designer->Attached());
    EXPECT_FALSE(Designer->InsertPending());
    EXPECT_EQ(Designer->Report(), nullptr);
    EXPECT_EQ(Designer->Selected(), nullptr);
    EXPECT_EQ(Designer->Handles(1), nullptr);
    EXPECT_EQ(Report->ControlCount(), children - 8);
    EXPECT_EQ(Report->DesignState(), 0);
    // No reference to the designer stays behind on the report.
    EXPECT_EQ(Report->Designer(), nullptr);
    // Without a designer a press on a band is only the band's event.
    Driver->Click(Driver->At(Detail, 10, 10));
    EXPECT_EQ(Detail->PressState, 0);
}

TEST_F(KVDesignerTest, AttachingAgainStartsFromTheReportWithNewHandles)
{
    TKVShape* shape = AddShape(Detail, 10, 5, 50, 20);
    Select(shape);
    Designer->SetPendingClass(&TKVLabel::StaticClass());
    Designer->Attach(Report);
    EXPECT_EQ(Designer->Selected(), Report);
    EXPECT_FALSE(Designer->InsertPending());
    int handles = 0;
    for (int i = 0; i < Report->ControlCount(); ++i)
        handles += dynamic_cast<TKVControlHandle*>(Report->Controls(i)) != nullptr;
    EXPECT_EQ(handles, 8);
    // Attaching to no report only detaches.
    Designer->Attach(nullptr);
    EXPECT_FALSE(Designer->Attached());
    EXPECT_EQ(Report->Designer(), nullptr);
}

TEST_F(KVDesignerTest, DestroyingTheReportDetachesTheDesigner)
{
    Driver.reset();
    Doc.reset();
    EXPECT_FALSE(Designer->Attached());
    EXPECT_EQ(Designer->Report(), nullptr);
    EXPECT_EQ(Designer->Selected(), nullptr);
    EXPECT_EQ(Designer->Handles(1), nullptr);
    // Attaching to another report works as before.
    Doc.reset(NewReportDocument(&Host));
    Designer->Attach(Doc->Report());
    EXPECT_EQ(Doc->Report()->Designer(), Designer.get());
}

TEST_F(KVDesignerTest, DestroyingTheDesignerLeavesNoDesignerOnTheReport)
{
    const int children = Report->ControlCount();
    Designer.reset();
    EXPECT_EQ(Report->Designer(), nullptr);
    EXPECT_EQ(Report->DesignState(), 0);
    EXPECT_EQ(Report->ControlCount(), children - 8);
}

TEST_F(KVDesignerTest, AFileWrittenWithTheDesignerAttachedHoldsNoHandles)
{
    // Handles are the designer's: the report's children written with the root are bands only.
    int written = 0;
    Report->GetChildren([&](TComponent* c) {
        EXPECT_EQ(dynamic_cast<TKVControlHandle*>(c), nullptr);
        ++written;
    },
                        Doc->Root());
    EXPECT_EQ(written, static_cast<int>(Report->BandList().size()));
}

// ---- selection and handles --------------------------------------------------------------------

TEST_F(KVDesignerTest, SelectingRaisesTheEventWhileThePreviousSelectionStillStands)
{
    TKVShape* shape = AddShape(Detail, 10, 5, 50, 20);
    std::vector<std::pair<TControl*, TControl*>> seen;
    Designer->SetOnSelect([&](TControl* c) { seen.emplace_back(c, Designer->Selected()); });
    Designer->SetSelected(shape);
    Designer->SetSelected(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, shape);
    EXPECT_EQ(seen[0].second, Report);
    EXPECT_EQ(Designer->Selected(), nullptr);
}

TEST_F(KVDesignerTest, HandlesStandAroundTheSelectionByThePlacementTable)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 101, 31);
    Select(shape);
    const int l = Detail->Left() + 20, t = Detail->Top() + 10, w = 101, h = 31;
    const struct {
        int Index;
        int Left, Top;
        TCursor Cursor;
    } cases[] = {
        {1, l - 2, t - 2, crSizeNWSE},                 {2, l + w / 2 - 2, t - 2, crSizeNS},
        {3, l + w - 2, t - 2, crSizeNESW},             {4, l - 2, t + h / 2 - 2, crSizeWE},
        {5, l + w - 2, t + h / 2 - 2, crSizeWE},       {6, l - 2, t + h - 2, crSizeNESW},
        {7, l + w / 2 - 2, t + h - 2, crSizeNS},       {8, l + w - 2, t + h - 2, crSizeNWSE},
    };
    for (const auto& c : cases) {
        TKVControlHandle* handle = Designer->Handles(c.Index);
        EXPECT_EQ(handle->Left(), c.Left) << c.Index;
        EXPECT_EQ(handle->Top(), c.Top) << c.Index;
        EXPECT_EQ(handle->Cursor(), c.Cursor) << c.Index;
        EXPECT_TRUE(handle->Visible()) << c.Index;
    }
    EXPECT_EQ(HandleCursor(0), crDefault);
    // The mouse over a handle shows its cursor.
    Driver->Move(HandlePoint(3));
    EXPECT_EQ(Driver->Host().CurrentCursor(), crSizeNESW);
}

TEST_F(KVDesignerTest, ShownHandlesPaintBlackSquaresOnTheSurface)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    const auto paint = [&] {
        QImage image(Report->Width(), Report->Height(), QImage::Format_RGB32);
        image.fill(Qt::white);
        TImageCanvas canvas(image);
        Driver->Host().PaintTree(canvas);
        return image;
    };
    Select(shape);
    QImage shown = paint();
    for (int i = 1; i <= 8; ++i) {
        const TPoint at = Driver->At(Designer->Handles(i), 0, 0);
        for (int dy = 0; dy < 4; ++dy)
            for (int dx = 0; dx < 4; ++dx)
                ASSERT_EQ(shown.pixel(at.X + dx, at.Y + dy), qRgb(0, 0, 0)) << "handle " << i << " " << dx << "," << dy;
    }
    // Just outside a handle the band shows.
    const TPoint first = Driver->At(Designer->Handles(1), 0, 0);
    EXPECT_NE(shown.pixel(first.X - 1, first.Y), qRgb(0, 0, 0));
    Select(Report);
    const QImage hidden = paint();
    EXPECT_NE(hidden.pixel(first.X, first.Y), qRgb(0, 0, 0));
}

TEST_F(KVDesignerTest, AControlOnePixelWideHasItsMiddleHandlesAtItsLeftEdge)
{
    TKVShape* shape = AddShape(Detail, 40, 10, 1, 30);
    Select(shape);
    const int left = Detail->Left() + 40;
    EXPECT_EQ(Designer->Handles(2)->Left(), left - 2);
    EXPECT_EQ(Designer->Handles(7)->Left(), left - 2);
    EXPECT_EQ(Designer->Handles(3)->Left(), left + 1 - 2);
}

TEST_F(KVDesignerTest, HandlesOfAPrintableOnAnItemAreasItemsBandAreOffsetByBoth)
{
    auto* area = new TKVItensObs(Doc->Root());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(Report);
    TKVItens* items = area->Obs_TKVItens();
    ASSERT_NE(items, nullptr);
    TKVShape* shape = AddShape(items, 15, 3, 60, 12);
    ASSERT_EQ(shape->Parent(), items);
    Select(shape);
    const int left = area->Left() + items->Left() + 15;
    const int top = area->Top() + items->Top() + 3;
    ASSERT_NE(area->Top(), 0); // the area's own offset is what a single offset would miss
    EXPECT_EQ(Designer->Handles(1)->Left(), left - 2);
    EXPECT_EQ(Designer->Handles(1)->Top(), top - 2);
    EXPECT_EQ(Designer->Handles(8)->Left(), left + 60 - 2);
    EXPECT_EQ(Designer->Handles(8)->Top(), top + 12 - 2);
}

TEST_F(KVDesignerTest, AHandleDragOnAnItemAreasPrintableOutlinesItInTheReportsCoordinates)
{
    auto* area = new TKVItensObs(Doc->Root());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(Report);
    TKVItens* items = area->Obs_TKVItens();
    TKVShape* shape = AddShape(items, 15, 3, 60, 12);
    Select(shape);
    const TPoint from = HandlePoint(8);
    Driver->Press(from);
    Driver->Move({from.X + 10, from.Y + 4});
    ASSERT_EQ(Driver->FocusRects().size(), 1u);
    const TRect onSurface = Driver->SurfaceRect(shape);
    EXPECT_EQ(Driver->FocusRects()[0], Rect(onSurface.Left, onSurface.Top, onSurface.Right + 10, onSurface.Bottom + 4));
    Driver->Release({from.X + 10, from.Y + 4});
    EXPECT_EQ(shape->BoundsRect(), Rect(15, 3, 85, 19));
    EXPECT_EQ(shape->Parent(), items);
    EXPECT_TRUE(Driver->FocusRects().empty());
    EXPECT_EQ(Designer->Handles(8)->Left(), area->Left() + items->Left() + 85 - 2);
}

TEST_F(KVDesignerTest, TheReportItselfShowsNoHandlesAndADragOnThemChangesNothing)
{
    Select(Report);
    for (int i = 1; i <= 8; ++i)
        EXPECT_FALSE(Designer->Handles(i)->Visible()) << i;
    const TRect before = Report->BoundsRect();
    Designer->StartHandleDrag(2, 2, 8);
    Designer->TrackHandle(40, 30);
    Designer->EndHandleDrag(40, 30);
    EXPECT_EQ(Report->BoundsRect(), before);
    EXPECT_FALSE(Designer->Resizing());
    EXPECT_FALSE(Designer->Outlining());
    EXPECT_EQ(Designer->ScrollTimer(), nullptr);
    EXPECT_TRUE(Driver->FocusRects().empty());
}

TEST_F(KVDesignerTest, APressOnTheReportSelectsItWithoutItsOwnMouseEvent)
{
    TKVShape* shape = AddShape(Detail, 10, 5, 50, 20);
    Select(shape);
    int reportPresses = 0;
    Report->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++reportPresses; };
    // Below the last band lies only the report.
    TKVCustomBand* last = Report->BandList().back();
    const TPoint below = Driver->At(Report, 30, last->Top() + last->Height() + 20);
    ASSERT_EQ(Report->FindDeepControlAt(Report->ParentToClient(below)), Report);
    Driver->Click(below);
    EXPECT_EQ(Designer->Selected(), Report);
    EXPECT_EQ(reportPresses, 0);
    for (int i = 1; i <= 8; ++i)
        EXPECT_FALSE(Designer->Handles(i)->Visible()) << i;
}

// ---- insertion --------------------------------------------------------------------------------

TEST_F(KVDesignerTest, InsertionTable)
{
    struct TCase {
        const char* Name;
        const TClassInfo* Class;
        TPoint Press, Release;
        // -1: the class's default for that side.
        int Left, Top, Width, Height;
        bool AutoSize;
    };
    const TCase cases[] = {
        {"click", &TKVLabel::StaticClass(), {30, 10}, {30, 10}, 30, 10, -1, -1, true},
        {"drag up and left", &TKVLabel::StaticClass(), {100, 30}, {60, 12}, 60, 12, 40, 18, false},
        {"six across keeps the width", &TKVLabel::StaticClass(), {50, 10}, {56, 10}, 50, 10, -1, -1, true},
        {"seven across sets it", &TKVLabel::StaticClass(), {50, 10}, {57, 10}, 50, 10, 7, -1, false},
        {"six down keeps the height", &TKVLabel::StaticClass(), {50, 10}, {50, 16}, 50, 10, -1, -1, true},
        {"seven down sets it", &TKVLabel::StaticClass(), {50, 10}, {50, 17}, 50, 10, -1, 7, false},
        {"a barcode keeps its size", &TKVBarcode::StaticClass(), {40, 5}, {140, 35}, 40, 5, -1, -1, true},
        {"a barcode dragged up-left", &TKVBarcode::StaticClass(), {140, 35}, {40, 5}, 40, 5, -1, -1, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Designer->Attach(Report);
        Designer->SetPendingClass(c.Class);
        std::vector<TControl*> selected;
        bool pendingAtSelect = true;
        Designer->SetOnSelect([&](TControl* control) {
            selected.push_back(control);
            pendingAtSelect = Designer->InsertPending();
        });
        const int before = Doc->Root()->ComponentCount();
        Driver->Drag(Driver->At(Detail, c.Press.X, c.Press.Y), Driver->At(Detail, c.Release.X, c.Release.Y));
        Designer->SetOnSelect(nullptr);

        ASSERT_EQ(Doc->Root()->ComponentCount(), before + 1);
        auto* made = dynamic_cast<TControl*>(Doc->Root()->Components(before));
        ASSERT_NE(made, nullptr);
        EXPECT_TRUE(made->ClassType().InheritsFrom(*c.Class));
        EXPECT_EQ(made->Parent(), Detail);
        EXPECT_EQ(Designer->Selected(), made);
        EXPECT_FALSE(Designer->InsertPending());
        ASSERT_EQ(selected.size(), 1u);
        EXPECT_EQ(selected[0], made);
        EXPECT_FALSE(pendingAtSelect);

        const TRect def = DefaultBounds(*c.Class, c.Left, c.Top);
        EXPECT_EQ(made->Left(), c.Left);
        EXPECT_EQ(made->Top(), c.Top);
        EXPECT_EQ(made->Width(), c.Width < 0 ? def.Width() : c.Width);
        EXPECT_EQ(made->Height(), c.Height < 0 ? def.Height() : c.Height);
        if (auto* label = dynamic_cast<TKVCustomLabel*>(made); label && !dynamic_cast<TKVBarcode*>(made)) {
            EXPECT_EQ(label->AutoSize(), c.AutoSize);
        }
        // The new control has its handles; no rubber rectangle is left behind.
        EXPECT_TRUE(Designer->Handles(1)->Visible());
        EXPECT_TRUE(Driver->FocusRects().empty()) << Driver->FocusRects().size();
        EXPECT_EQ(Detail->PressState, 0);
        made->Free();
    }
}

TEST_F(KVDesignerTest, TheRubberRectangleFollowsTheDragInTheReportsCoordinates)
{
    Designer->SetPendingClass(&TKVLabel::StaticClass());
    Driver->Press(Driver->At(Detail, 80, 30));
    Driver->Move(Driver->At(Detail, 50, 10));
    ASSERT_EQ(Driver->FocusRects().size(), 1u);
    const TRect expected = Driver->SurfaceRect(Detail);
    EXPECT_EQ(Driver->FocusRects()[0],
              Rect(expected.Left + 50, expected.Top + 10, expected.Left + 80, expected.Top + 30))
        << Str(Driver->FocusRects()[0]);
    EXPECT_EQ(Detail->RubberRect, Rect(Detail->Left() + 50, Detail->Top() + 10, Detail->Left() + 80, Detail->Top() + 30));
    Driver->Release(Driver->At(Detail, 50, 10));
    EXPECT_TRUE(Driver->FocusRects().empty());
}

// ---- handle drags -----------------------------------------------------------------------------

TEST_F(KVDesignerTest, HandleTableOnAPrintable)
{
    struct TCase {
        int Handle;
        int Dx, Dy;
        TRect Bounds; // left, top, right, bottom in the band
    };
    // The shape lies at (20, 10) to (120, 40).
    const TCase cases[] = {
        {1, 10, 5, {30, 15, 120, 40}},   {2, 7, -6, {20, 4, 120, 40}},  {3, 12, 4, {20, 14, 132, 40}},
        {4, 10, 5, {30, 10, 120, 40}},   {5, -30, 9, {20, 10, 90, 40}}, {6, 5, 8, {25, 10, 120, 48}},
        {7, 11, -10, {20, 10, 120, 30}}, {8, 15, 7, {20, 10, 135, 47}},
        // Past the opposite edge the rectangle turns round.
        {4, 130, 0, {120, 10, 150, 40}}, {7, 0, -45, {20, -5, 120, 10}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE("handle " + std::to_string(c.Handle) + " by " + std::to_string(c.Dx) + ", " +
                     std::to_string(c.Dy));
        TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
        Select(shape);
        std::vector<std::string> events;
        Designer->OnHandleMouseDown = [&](TObject* sender, TKVControlHandle* h, TMouseButton, TShiftState, int, int) {
            EXPECT_EQ(sender, Designer.get());
            EXPECT_TRUE(Designer->Resizing());
            events.push_back("down " + std::to_string(h->Index()));
        };
        Designer->OnHandleMouseMove = [&](TObject*, TKVControlHandle*, TShiftState, int, int) {
            if (events.back() != "move")
                events.push_back("move");
        };
        Designer->OnHandleMouseUp = [&](TObject*, TKVControlHandle*, TMouseButton, TShiftState, int, int) {
            EXPECT_FALSE(Designer->Resizing());
            events.push_back("up");
        };
        const TPoint from = HandlePoint(c.Handle);
        Driver->Drag(from, {from.X + c.Dx, from.Y + c.Dy});
        EXPECT_EQ(shape->BoundsRect(), c.Bounds) << Str(shape->BoundsRect());
        EXPECT_EQ(events, (std::vector<std::string>{"down " + std::to_string(c.Handle), "move", "up"}));
        EXPECT_FALSE(Designer->Resizing());
        EXPECT_TRUE(Driver->FocusRects().empty());
        EXPECT_EQ(Designer->ScrollTimer(), nullptr);
        // The handles stand around the new bounds again.
        EXPECT_TRUE(Designer->Handles(8)->Visible());
        EXPECT_EQ(Designer->Handles(8)->Left(), Detail->Left() + c.Bounds.Right - 2);
        EXPECT_EQ(Designer->Handles(1)->Top(), Detail->Top() + c.Bounds.Top - 2);
        Designer->OnHandleMouseDown = nullptr;
        Designer->OnHandleMouseMove = nullptr;
        Designer->OnHandleMouseUp = nullptr;
        Designer->SetSelected(Report);
        shape->Free();
    }
}

TEST_F(KVDesignerTest, ABandsHandlesChangeOnlyItsHeight)
{
    struct TCase {
        int Handle;
        int Dx, Dy;
        int HeightChange;
    };
    const TCase cases[] = {
        {7, 20, 12, 12},  // bottom edge down, sideways ignored
        {2, 0, -10, 10},  // top edge up: taller
        {8, -25, -6, -6}, // bottom-right corner: the height only
        {5, 30, 0, 0},    // sideways: nothing
        {4, -15, 0, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE("handle " + std::to_string(c.Handle));
        Select(Detail);
        const TRect before = Detail->BoundsRect();
        const TPoint from = HandlePoint(c.Handle);
        Driver->Drag(from, {from.X + c.Dx, from.Y + c.Dy});
        EXPECT_EQ(Detail->Height(), before.Height() + c.HeightChange);
        EXPECT_EQ(Detail->Left(), before.Left);
        EXPECT_EQ(Detail->Top(), before.Top);
        EXPECT_EQ(Detail->Width(), before.Width());
        EXPECT_TRUE(Driver->FocusRects().empty());
        Detail->SetHeight(before.Height());
    }
}

TEST_F(KVDesignerTest, AHandleDragShowsOneOutlineThatFollowsTheMouse)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    Select(shape);
    const TPoint from = HandlePoint(8);
    Driver->Press(from);
    EXPECT_NE(Designer->ScrollTimer(), nullptr);
    for (int i = 1; i <= 3; ++i) {
        Driver->Move({from.X + 10 * i, from.Y + 5 * i});
        ASSERT_EQ(Driver->FocusRects().size(), 1u);
        const TRect band = Driver->SurfaceRect(Detail);
        EXPECT_EQ(Driver->FocusRects()[0],
                  Rect(band.Left + 20, band.Top + 10, band.Left + 120 + 10 * i, band.Top + 40 + 5 * i));
        for (int h = 1; h <= 8; ++h)
            EXPECT_FALSE(Designer->Handles(h)->Visible());
    }
    Driver->Release({from.X + 30, from.Y + 15});
    EXPECT_TRUE(Driver->FocusRects().empty());
    EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 150, 55));
}

// ---- printable and band drags -----------------------------------------------------------------

TEST_F(KVDesignerTest, DraggingAPrintableMovesItAndSelectsIt)
{
    Report->SetSnapToGrid(false);
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    std::vector<std::string> order;
    shape->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        // The control's own event runs before the design work.
        order.push_back(Designer->Outlining() ? "event after outline" : "event");
    };
    Driver->Press(Driver->At(shape, 5, 5));
    EXPECT_EQ(order, std::vector<std::string>{"event"});
    EXPECT_EQ(Designer->Selected(), shape);
    EXPECT_EQ(shape->PressState, 1);
    EXPECT_TRUE(shape->DesignPressed);
    Driver->Move(Driver->At(shape, 5 + 17, 5 - 4));
    EXPECT_EQ(Driver->FocusRects().size(), 1u);
    EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 120, 40)); // only the outline moves
    Driver->Release(Driver->At(shape, 5 + 17, 5 - 4));
    EXPECT_EQ(shape->BoundsRect(), Rect(37, 6, 137, 36));
    EXPECT_EQ(shape->PressState, 0);
    EXPECT_FALSE(shape->DesignPressed);
    EXPECT_EQ(Designer->Selected(), shape);
    EXPECT_TRUE(Designer->Handles(1)->Visible());
    EXPECT_TRUE(Report->Focused());
    EXPECT_TRUE(Driver->FocusRects().empty());
    EXPECT_EQ(Designer->ScrollTimer(), nullptr);
}

TEST_F(KVDesignerTest, ADraggedBandKeepsItsPlaceAndHeight)
{
    const TRect before = Detail->BoundsRect();
    Driver->Drag(Driver->At(Detail, 40, 10), Driver->At(Detail, 90, 35));
    EXPECT_EQ(Detail->BoundsRect(), before);
    EXPECT_EQ(Designer->Selected(), Detail);
    EXPECT_TRUE(Designer->Handles(7)->Visible());
    EXPECT_TRUE(Driver->FocusRects().empty());
}

// ---- the snap to the grid ---------------------------------------------------------------------

TEST(DesignPosition, RoundsToTheGridOfEachUnit)
{
    const struct {
        TKVUnit Unit;
        long double Value, Expected;
    } cases[] = {
        {kvunMM, 12.4L, 12},         {kvunMM, 12.5L, 12},         {kvunMM, 13.5L, 14},
        {kvunMM, 12.6L, 13},         {kvunInches, 0.512L, 0.5L},  {kvunInches, 0.5125L, 0.5L},
        {kvunInches, 0.5375L, 0.55L}, {kvunCharacters, 3.5L, 4},   {kvunCharacters, 2.5L, 2},
        {kvunPixels, 47.3L, 47.3L},  {kvunPixels, 12.0124L, 12}, {kvunNative, 124.012L, 124},
        {kvunNative, 124.0126L, 124.025L},
    };
    for (const auto& c : cases) {
        const long double got = RoundDesignPosition(c.Unit, c.Value);
        EXPECT_DOUBLE_EQ(static_cast<double>(got), static_cast<double>(c.Expected))
            << c.Unit << " " << static_cast<double>(c.Value);
        // Fortieths of the unit: never further than 1/80 away.
        if (c.Unit == kvunPixels || c.Unit == kvunNative || c.Unit == kvunInches) {
            EXPECT_LE(std::fabs(static_cast<double>(got - c.Value)), 1.0 / 80 + 1e-12);
        }
        EXPECT_DOUBLE_EQ(static_cast<double>(RoundToUnit(c.Unit, c.Value)), static_cast<double>(got));
    }
}

TEST_F(KVDesignerTest, ADroppedPrintableSnapsToTheGridOfEveryUnit)
{
    const TKVUnit units[] = {kvunMM, kvunInches, kvunPixels, kvunCharacters, kvunNative};
    for (const TKVUnit unit : units) {
        for (const bool snap : {true, false}) {
            SCOPED_TRACE(std::to_string(unit) + (snap ? " snapping" : " free"));
            Report->SetUnits(unit);
            Report->SetSnapToGrid(snap);
            TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
            ASSERT_EQ(shape->Size()->GetUnits(), unit);
            Driver->Drag(Driver->At(shape, 5, 5), Driver->At(shape, 5 + 27, 5 + 13));
            // Where the drop alone puts it, in the unit.
            TKVShape* probe = AddShape(Detail, 47, 23, 100, 30);
            const long double top = probe->Size()->Top();
            const long double left = probe->Size()->Left();
            probe->Free();
            const long double expectTop = snap ? RoundDesignPosition(unit, top) : top;
            const long double expectLeft = snap ? RoundDesignPosition(unit, left) : left;
            EXPECT_DOUBLE_EQ(static_cast<double>(shape->Size()->Top()), static_cast<double>(expectTop));
            EXPECT_DOUBLE_EQ(static_cast<double>(shape->Size()->Left()), static_cast<double>(expectLeft));
            if (snap && (unit == kvunMM || unit == kvunCharacters)) {
                EXPECT_EQ(shape->Size()->Top(), std::round(static_cast<double>(shape->Size()->Top())));
                EXPECT_EQ(shape->Size()->Left(), std::round(static_cast<double>(shape->Size()->Left())));
            }
            if (snap && unit != kvunMM && unit != kvunCharacters) {
                EXPECT_LE(std::fabs(static_cast<double>(shape->Size()->Top() - top)), 1.0 / 80 + 1e-12);
            }
            EXPECT_TRUE(Driver->FocusRects().empty());
            shape->Free();
        }
    }
}

TEST_F(KVDesignerTest, AClickWithoutMovementNeverSnaps)
{
    Report->SetUnits(kvunMM);
    Report->SetSnapToGrid(true);
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 10);
    shape->Size()->SetTop(4.4L);
    shape->Size()->SetLeft(7.3L);
    Driver->Click(Driver->At(shape, 5, 5));
    EXPECT_EQ(Designer->Selected(), shape);
    EXPECT_DOUBLE_EQ(static_cast<double>(shape->Size()->Top()), 4.4);
    EXPECT_DOUBLE_EQ(static_cast<double>(shape->Size()->Left()), 7.3);
    // Moves that come back to the press point: still no move.
    Driver->Press(Driver->At(shape, 5, 5));
    Driver->Move(Driver->At(shape, 8, 6));
    Driver->Move(Driver->At(shape, 5, 5));
    Driver->Release(Driver->At(shape, 5, 5));
    EXPECT_DOUBLE_EQ(static_cast<double>(shape->Size()->Top()), 4.4);
    EXPECT_DOUBLE_EQ(static_cast<double>(shape->Size()->Left()), 7.3);
}

// ---- presses ended at once --------------------------------------------------------------------

TEST_F(KVDesignerTest, APressAfterAnUnpairedReleaseOnABandIsEndedAtOnce)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 50, 20);
    Select(shape);
    Driver->Release(Driver->At(Detail, 150, 20));
    EXPECT_EQ(Detail->PressState, 2);

    // Without a class pending: the band is selected, nothing is dragged.
    const TRect before = Detail->BoundsRect();
    Driver->Drag(Driver->At(Detail, 150, 20), Driver->At(Detail, 170, 35));
    EXPECT_EQ(Designer->Selected(), Detail);
    EXPECT_EQ(Detail->BoundsRect(), before);
    EXPECT_FALSE(Detail->DesignPressed);
    EXPECT_TRUE(Driver->FocusRects().empty());
    // The press that was ended took its own release with it: the next one works.
    EXPECT_EQ(Detail->PressState, 0);
}

TEST_F(KVDesignerTest, AnInsertionPressAfterAnUnpairedReleaseInsertsNothingAndTheNextOneInserts)
{
    Driver->Release(Driver->At(Detail, 60, 20));
    ASSERT_EQ(Detail->PressState, 2);
    Designer->SetPendingClass(&TKVLabel::StaticClass());
    const int before = Doc->Root()->ComponentCount();
    Driver->Drag(Driver->At(Detail, 60, 20), Driver->At(Detail, 120, 40));
    EXPECT_EQ(Doc->Root()->ComponentCount(), before);
    EXPECT_TRUE(Designer->InsertPending());
    EXPECT_TRUE(Driver->FocusRects().empty());

    Driver->Click(Driver->At(Detail, 60, 20));
    EXPECT_EQ(Doc->Root()->ComponentCount(), before + 1);
    EXPECT_FALSE(Designer->InsertPending());
    EXPECT_EQ(Designer->Selected()->Left(), 60);
}

TEST_F(KVDesignerTest, AnActivationClickOnAPrintableSelectsItWithoutMovingIt)
{
    Report->SetSnapToGrid(false);
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    bool active = false;
    Designer->FormActive = [&](const TControl*) { return active; };
    // A click while the window is inactive: no outline, nothing moves, and the window becomes
    // active only after it.
    Driver->Press(Driver->At(shape, 5, 5));
    EXPECT_TRUE(Driver->FocusRects().empty());
    active = true;
    Driver->Release(Driver->At(shape, 5, 5));
    EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 120, 40));
    EXPECT_FALSE(shape->ActivationClick);

    // A release while the window is inactive marks the next press as the activating one.
    active = false;
    Driver->Click(Driver->At(shape, 5, 5));
    EXPECT_TRUE(shape->ActivationClick);
    active = true;
    Designer->SetSelected(Report);
    int moves = 0;
    shape->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    Driver->Drag(Driver->At(shape, 5, 5), Driver->At(shape, 35, 25));
    EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 120, 40));
    EXPECT_EQ(Designer->Selected(), shape);
    EXPECT_FALSE(shape->ActivationClick);
    EXPECT_TRUE(Driver->FocusRects().empty());

    // And the press after it drags again.
    Driver->Drag(Driver->At(shape, 5, 5), Driver->At(shape, 35, 25));
    EXPECT_EQ(shape->BoundsRect(), Rect(50, 30, 150, 60));
    EXPECT_GT(moves, 0);
}

TEST_F(KVDesignerTest, AReleaseWithoutAnOutlineTakesNone)
{
    // The press came while the window was inactive (no outline), the release when it was active.
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    bool active = false;
    Designer->FormActive = [&](const TControl*) { return active; };
    Driver->Press(Driver->At(shape, 5, 5));
    Driver->Move(Driver->At(shape, 25, 15));
    active = true;
    Driver->Release(Driver->At(shape, 25, 15));
    EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 120, 40));
    EXPECT_TRUE(Driver->FocusRects().empty());

    const int height = Detail->Height();
    active = false;
    Driver->Press(Driver->At(Detail, 200, 10));
    active = true;
    Driver->Release(Driver->At(Detail, 200, 10));
    EXPECT_EQ(Detail->Height(), height);
    EXPECT_TRUE(Driver->FocusRects().empty());
}

TEST_F(KVDesignerTest, AnOutlineBegunWhileActiveEndsEvenWhenTheReleaseFindsTheWindowInactive)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    bool active = true;
    Designer->FormActive = [&](const TControl*) { return active; };
    Driver->Press(Driver->At(shape, 5, 5));
    Driver->Move(Driver->At(shape, 25, 15));
    active = false;
    Driver->Release(Driver->At(shape, 25, 15));
    EXPECT_TRUE(Driver->FocusRects().empty());
    EXPECT_EQ(Designer->ScrollTimer(), nullptr);
    EXPECT_TRUE(shape->ActivationClick);
}

TEST_F(KVDesignerTest, AHandlePressAfterAnUnpairedReleaseIsEndedWithoutASizeChange)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    Select(shape);
    TKVControlHandle* handle = Designer->Handles(8);
    Driver->Release(HandlePoint(8));
    EXPECT_EQ(handle->PressState, 2);
    int downs = 0;
    Designer->OnHandleMouseDown = [&](TObject*, TKVControlHandle*, TMouseButton, TShiftState, int, int) { ++downs; };
    const TPoint from = HandlePoint(8);
    Driver->Drag(from, {from.X + 20, from.Y + 10});
    EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 120, 40));
    EXPECT_EQ(downs, 0);
    EXPECT_FALSE(Designer->Resizing());
    EXPECT_TRUE(Driver->FocusRects().empty());
    EXPECT_EQ(handle->PressState, 0);
    // The next drag on the handle sizes.
    Driver->Drag(HandlePoint(8), {HandlePoint(8).X + 20, HandlePoint(8).Y + 10});
    EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 140, 50));
}

// ---- the exclusive-or set and the timer -------------------------------------------------------

TEST_F(KVDesignerTest, NoSequenceOfPressMoveAndReleaseLeavesAnOutline)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    struct TStep {
        char Kind; // p press, m move, r release, R right press, U right release
        int X, Y;
    };
    using TSequence = std::vector<TStep>;
    const std::vector<std::pair<const char*, TSequence>> sequences = {
        {"shape drag", {{'p', 25, 15}, {'m', 40, 30}, {'m', 60, 35}, {'r', 60, 35}}},
        {"shape click", {{'p', 25, 15}, {'r', 25, 15}}},
        {"band drag", {{'p', 300, 20}, {'m', 320, 25}, {'r', 330, 30}}},
        {"right press during a drag", {{'p', 25, 15}, {'m', 40, 30}, {'R', 40, 30}, {'U', 40, 30}, {'r', 45, 30}}},
        {"release elsewhere", {{'p', 25, 15}, {'m', 400, 300}, {'r', 400, 300}}},
        {"right click", {{'R', 25, 15}, {'U', 25, 15}}},
        {"release alone", {{'r', 30, 12}}},
        {"press after a release alone", {{'p', 30, 12}, {'m', 50, 20}, {'r', 50, 20}}},
    };
    for (const auto& [name, steps] : sequences) {
        SCOPED_TRACE(name);
        for (const TStep& s : steps) {
            const TPoint p = Driver->At(Detail, s.X, s.Y);
            switch (s.Kind) {
            case 'p': Driver->Press(p); break;
            case 'm': Driver->Move(p); break;
            case 'r': Driver->Release(p); break;
            case 'R': Driver->Press(p, mbRight); break;
            case 'U': Driver->Release(p, mbRight); break;
            }
        }
        EXPECT_TRUE(Driver->FocusRects().empty()) << Driver->FocusRects().size();
        EXPECT_EQ(Designer->ScrollTimer(), nullptr);
        EXPECT_FALSE(Designer->Outlining());
        shape->SetBounds(20, 10, 100, 30);
    }
    // The same with a class pending.
    Designer->SetPendingClass(&TKVLabel::StaticClass());
    Driver->Press(Driver->At(Detail, 200, 5));
    Driver->Move(Driver->At(Detail, 250, 25));
    Driver->Press(Driver->At(Detail, 250, 25), mbRight);
    Driver->Release(Driver->At(Detail, 250, 25), mbRight);
    Driver->Release(Driver->At(Detail, 260, 30));
    EXPECT_TRUE(Driver->FocusRects().empty());
}

TEST_F(KVDesignerTest, AnotherButtonPressedDuringADragEndsItWhereItBegan)
{
    Report->SetSnapToGrid(false);
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    const struct {
        const char* Name;
        bool Handle;
    } cases[] = {{"a move", false}, {"a resize", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Select(shape);
        const TPoint from = c.Handle ? HandlePoint(8) : Driver->At(shape, 5, 5);
        const TPoint to{from.X + 30, from.Y + 12};
        Driver->Press(from);
        Driver->Move(to);
        ASSERT_EQ(Driver->FocusRects().size(), 1u);
        Driver->Press(to, mbRight);
        EXPECT_TRUE(Driver->FocusRects().empty());
        Driver->Release(to, mbRight);
        Driver->Release(to);
        EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 120, 40));
        EXPECT_FALSE(Designer->Resizing());
        EXPECT_EQ(Designer->ScrollTimer(), nullptr);
        EXPECT_TRUE(Driver->FocusRects().empty());
        // Nothing of that press is left over: the next drag works.
        Select(shape);
        const TPoint again = c.Handle ? HandlePoint(8) : Driver->At(shape, 5, 5);
        Driver->Drag(again, {again.X + 10, again.Y + 4});
        EXPECT_EQ(shape->BoundsRect(), c.Handle ? Rect(20, 10, 130, 44) : Rect(30, 14, 130, 44));
        shape->SetBounds(20, 10, 100, 30);
    }
}

TEST_F(KVDesignerTest, TheAutoScrollTimerLivesOnlyWhileADragRuns)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    EXPECT_EQ(Designer->ScrollTimer(), nullptr);
    Driver->Press(Driver->At(shape, 5, 5));
    ASSERT_NE(Designer->ScrollTimer(), nullptr);
    Driver->Move(Driver->At(shape, 15, 9));
    EXPECT_NE(Designer->ScrollTimer(), nullptr);
    Driver->Release(Driver->At(shape, 15, 9));
    EXPECT_EQ(Designer->ScrollTimer(), nullptr);

    // A drag cut short by detaching: no timer and no outline stay.
    Driver->Press(Driver->At(shape, 5, 5));
    Driver->Move(Driver->At(shape, 15, 9));
    ASSERT_NE(Designer->ScrollTimer(), nullptr);
    Designer->Detach();
    EXPECT_EQ(Designer->ScrollTimer(), nullptr);
    EXPECT_TRUE(Driver->FocusRects().empty());
    Driver->Release(Driver->At(shape, 15, 9));
    EXPECT_TRUE(Driver->FocusRects().empty());
}

TEST_F(KVDesignerTest, ADragThatAutoScrollsDropsTheControlWhereItsOutlineWas)
{
    Report->SetSnapToGrid(false);
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    Driver->SetViewport(400, 200);
    ASSERT_TRUE(Driver->Client()->VertScrollBar()->IsScrollBarVisible());
    Driver->Press(Driver->At(shape, 5, 5));
    // Below the view: each tick scrolls and moves the outline with the cursor.
    const TPoint below = Driver->At(shape, 5, 5 + 230);
    Driver->Move(below);
    TScrollBoxTimer* timer = Designer->ScrollTimer();
    ASSERT_NE(timer, nullptr);
    timer->Tick();
    EXPECT_GT(Driver->Client()->VertScrollBar()->Position(), 0);
    EXPECT_TRUE(timer->Scrolled);
    ASSERT_EQ(Driver->FocusRects().size(), 1u);
    // The next move finds the outline drawn by the tick and leaves it.
    const std::vector<TRect> afterTick = Driver->FocusRects();
    Driver->Move(Driver->Host().MousePos());
    EXPECT_FALSE(timer->Scrolled);
    EXPECT_EQ(Driver->FocusRects(), afterTick);
    const TRect outline = timer->GetDragRect(); // report coordinates
    Driver->Release(Driver->Host().MousePos());
    EXPECT_EQ(shape->BoundsRect(), Rect(outline.Left - Detail->Left(), outline.Top - Detail->Top(),
                                        outline.Right - Detail->Left(), outline.Bottom - Detail->Top()));
    EXPECT_GT(shape->Top(), 10);
    EXPECT_TRUE(Driver->FocusRects().empty());
    EXPECT_EQ(Designer->ScrollTimer(), nullptr);
}

TEST_F(KVDesignerTest, SelectingKeepsTheScrollBoxWhereItWas)
{
    Driver->SetViewport(300, 150);
    Driver->Client()->VertScrollBar()->SetPosition(120);
    Driver->Client()->HorzScrollBar()->SetPosition(40);
    Driver->Host().SetFocusedControl(nullptr);
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    Designer->SetSelected(shape);
    EXPECT_TRUE(Report->Focused());
    EXPECT_EQ(Driver->Client()->VertScrollBar()->Position(), 120);
    EXPECT_EQ(Driver->Client()->HorzScrollBar()->Position(), 40);
}

TEST_F(KVDesignerTest, FreeingTheSelectedControlMidDragLeavesNothingBehind)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    Driver->Press(Driver->At(shape, 5, 5));
    Driver->Move(Driver->At(shape, 15, 9));
    shape->Free();
    EXPECT_EQ(Designer->Selected(), nullptr);
    EXPECT_EQ(Designer->ScrollTimer(), nullptr);
    EXPECT_TRUE(Driver->FocusRects().empty());
    Driver->Release(Driver->At(Detail, 15, 9));
    EXPECT_TRUE(Driver->FocusRects().empty());

    // A selected control that goes takes its handles off the surface.
    TKVShape* other = AddShape(Detail, 40, 5, 30, 20);
    Select(other);
    ASSERT_TRUE(Designer->Handles(1)->Visible());
    other->Free();
    EXPECT_EQ(Designer->Selected(), nullptr);
    for (int i = 1; i <= 8; ++i)
        EXPECT_FALSE(Designer->Handles(i)->Visible()) << i;
}

// ---- in the program's own windows ---------------------------------------------------------------

TEST_F(DesignerTest, OnlyTheActiveDocumentWindowsControlsCountAsOnAnActiveForm)
{
    RegisterDesignerClasses();
    std::unique_ptr<TfmAnexo, TComponentDeleter> form(new TfmAnexo(nullptr, {}));
    form->Show();
    form->ArquivoNovoExecute();
    TfmAnexo_MDIChild* first = form->ActiveMDIChild();
    form->ArquivoNovoExecute();
    TfmAnexo_MDIChild* second = form->ActiveMDIChild();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, second);
    ASSERT_NE(form->Designer, nullptr);
    TKVCustomBand* inactiveBand = first->Report->BandList().front();
    TKVCustomBand* activeBand = second->Report->BandList().front();
    EXPECT_FALSE(form->Designer->IsFormActive(inactiveBand));
    EXPECT_TRUE(form->Designer->IsFormActive(activeBand));
    EXPECT_TRUE(form->Designer->IsFormActive(second->Report));

    // A release on the inactive window's band marks its next press as the activating one.
    form->Designer->Attach(first->Report);
    TSurfaceDriver driver(first->Host(), first->Report);
    driver.Click(driver.At(inactiveBand, 30, 10));
    EXPECT_TRUE(inactiveBand->ActivationClick);
    EXPECT_TRUE(driver.FocusRects().empty());
    form->AskOnClose = false;
}

// ---- the engine's side ------------------------------------------------------------------------

TEST_F(KVDesignerTest, RefreshDataControlsBindsTheDataTextsOfTheBandAndOfItsNestedBands)
{
    MakeSqlite(QStringLiteral("LOJA"), {QStringLiteral("CREATE TABLE CLIENTES (NOME VARCHAR(30), UF CHAR(2))"),
                                        QStringLiteral("INSERT INTO CLIENTES VALUES ('Ana', 'SP')")});
    auto* area = new TKVItensObs(Doc->Root());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(Report);
    auto* onDetail = new TKVDBText(Doc->Root());
    onDetail->SetName(QStringLiteral("NoDetalhe"));
    onDetail->SetParent(Detail);
    onDetail->SetDataField(QStringLiteral("UF"));
    auto* onItems = new TKVDBText(Doc->Root());
    onItems->SetName(QStringLiteral("NosItens"));
    onItems->SetParent(area->Obs_TKVItens());
    TKVShape* shape = AddShape(Detail, 5, 2, 40, 10);

    auto* table = new TTable(Doc->Root());
    table->SetName(QStringLiteral("Tabela"));
    table->SetDatabaseName(QStringLiteral("LOJA"));
    table->SetTableName(QStringLiteral("CLIENTES"));
    table->Open();
    Report->SetDataSet(table);
    ASSERT_EQ(onDetail->DataSet(), nullptr);
    ASSERT_EQ(onItems->DataSet(), nullptr);

    Detail->RefreshDataControls();
    EXPECT_EQ(onDetail->DataSet(), table);
    EXPECT_EQ(onDetail->DataField().toStdString(), "UF"); // a field it has stays
    EXPECT_EQ(onItems->DataSet(), nullptr);               // not the detail's
    area->RefreshDataControls();
    EXPECT_EQ(onItems->DataSet(), table);
    EXPECT_EQ(onItems->DataField().toStdString(), "NOME"); // a text without a field takes the first
    EXPECT_EQ(shape->Parent(), Detail);
}

TEST_F(KVDesignerTest, FitToDesignerRectWithoutAnOutlineChangesNothing)
{
    TKVShape* shape = AddShape(Detail, 20, 10, 100, 30);
    shape->FitToDesignerRect();
    Detail->FitToDesignerRect();
    EXPECT_EQ(shape->BoundsRect(), Rect(20, 10, 120, 40));
    EXPECT_TRUE(Driver->FocusRects().empty());
}

} // namespace designertest
