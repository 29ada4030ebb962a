// The design-surface tools: rounding to the unit grid, the report offset, corner marks, the kind of
// a multi-selection, the group drag with its exclusive-or outlines, the auto-scroll of a drag that
// leaves the scroll box, and selection marks kept out of every stream.
#include "designer/surface/AnexoChild.h"
#include "designer/document/Hidden.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/EngineClasses.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/ControlHostBase.h"
#include "platform/core/ObjectText.h"
#include "platform/core/Reader.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"
#include "platform/core/Writer.h"
#include "platform/graphics/Canvas.h"
#include "platform/ui/ControlHost.h"

#include <QCoreApplication>
#include <QScrollBar>

#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

using namespace tessiv;

namespace {

// A report in a scroll box that a headless host shows through a 300 x 200 view, with one band.
struct TSurface {
    TSurface()
    {
        RegisterEngineClasses();
        Box.reset(new TScrollBox(nullptr));
        Root.reset(new TfmHidden(nullptr));
        Report = new TVardoRep(Root.get());
        Report->SetName(QStringLiteral("Relatorio"));
        Report->SetParent(BoxControl());
        Band = AddBand(QStringLiteral("Detalhe"));
        FitBox();
        Host.SetRoot(BoxControl());
        Host.SetViewportSize({300, 200});
    }
    ~TSurface()
    {
        Host.SetRoot(nullptr);
        Designer.reset();
        Root.reset();
    }

    TScrollBox* BoxControl() const { return static_cast<TScrollBox*>(Box.get()); }
    void FitBox() const
    {
        BoxControl()->SetBounds(0, 0, Report->Left() + Report->Width(), Report->Top() + Report->Height());
    }

    TKVBand* AddBand(const QString& name)
    {
        auto* band = new TKVBand(Root.get());
        band->SetName(name);
        band->SetParent(Report);
        band->SetBandType(rbDetail);
        return band;
    }

    template <class C>
    C* Add(TWinControl* parent, int left, int top, int width, int height)
    {
        auto* c = new C(Root.get());
        c->SetName(UniqueName());
        if (auto* label = dynamic_cast<TKVCustomLabel*>(c))
            label->SetAutoSize(false);
        c->SetParent(parent);
        c->SetBounds(left, top, width, height);
        return c;
    }

    QString UniqueName() { return QStringLiteral("C%1").arg(++Counter); }

    // A control's place in the report's window.
    TRect InReport(const TControl* c) const
    {
        const TPoint o = ReportOffset(c);
        return Bounds(c->Left() + o.X, c->Top() + o.Y, c->Width(), c->Height());
    }
    // The same on the host's surface, where outlines are drawn.
    TRect OnSurface(const TRect& inReport) const
    {
        const TPoint o = Report->ClientOrigin();
        return Bounds(inReport.Left + o.X, inReport.Top + o.Y, inReport.Width(), inReport.Height());
    }

    std::vector<TRect> Outlines() const { return Host.FocusRects(); }
    // The mouse on the surface at x, y and the group drag's step there ("S" starts, "M" moves).
    void GroupDrag(const QString& step, int x, int y)
    {
        Host.MouseMove(x, y);
        Designer->MoveSelection(step);
    }
    // The controls toggled into a selection on the report, one after another.
    void Select(std::initializer_list<TControl*> controls)
    {
        Designer->SetSurface(Report);
        for (TControl* c : controls)
            Designer->Toggle(c);
    }

    THeadlessHost Host;
    std::unique_ptr<TComponent, TComponentDeleter> Box;
    std::unique_ptr<TfmHidden, TComponentDeleter> Root;
    std::unique_ptr<TMultiDesigner> Designer = std::make_unique<TMultiDesigner>();
    TVardoRep* Report = nullptr;
    TKVBand* Band = nullptr;
    int Counter = 0;
};

// The text form of a component written as a stream's root.
QByteArray AsText(TComponent* root)
{
    TMemoryStream bin;
    {
        TWriter w(bin);
        w.WriteRootComponent(root);
    }
    return ObjectBinaryToText(bin.Bytes());
}

} // namespace

// ---- routines ------------------------------------------------------------------------------------

TEST(EtiqUtil, NormalizeRectPutsEachPairOfEdgesTheRightWayRound)
{
    struct Case {
        TRect In;
        TRect Out;
    };
    const Case cases[] = {
        {{10, 20, 5, 8}, {5, 8, 10, 20}},
        {{5, 8, 10, 20}, {5, 8, 10, 20}},
        {{10, 8, 5, 20}, {5, 8, 10, 20}},
        {{5, 20, 10, 8}, {5, 8, 10, 20}},
        {{7, 7, 7, 7}, {7, 7, 7, 7}},
        {{-3, 4, -9, -4}, {-9, -4, -3, 4}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormalizeRect(c.In), c.Out)
            << c.In.Left << "," << c.In.Top << "," << c.In.Right << "," << c.In.Bottom;
        EXPECT_EQ(NormalizeRect(c.In.Left, c.In.Top, c.In.Right, c.In.Bottom), c.Out);
    }
}

TEST(EtiqUtil, RoundToUnitKeepsWholeUnitsOrFortiethsWithHalvesToEven)
{
    struct Case {
        TKVUnit Units;
        long double In;
        long double Out;
    };
    const Case cases[] = {
        {kvunMM, 12.5L, 12},      {kvunMM, 13.5L, 14},          {kvunMM, 12.4L, 12},
        {kvunMM, -12.5L, -12},    {kvunMM, 12.51L, 13},         {kvunCharacters, 2.5L, 2},
        {kvunCharacters, 3.5L, 4}, {kvunInches, 1.03L, 1.025L}, {kvunInches, 0.512L, 0.5L},
        {kvunPixels, 10.26L, 10.25L}, {kvunNative, 100.01L, 100}, {kvunNative, 100.02L, 100.025L},
        {kvunInches, 2, 2},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(static_cast<double>(RoundToUnit(c.Units, c.In)), static_cast<double>(c.Out), 1e-12)
            << "unit " << c.Units << " value " << static_cast<double>(c.In);
}

TEST(EtiqUtil, SetUnitPairAndSetControlPos)
{
    const TUnitPair p = SetUnitPair(1.5L, -2.25L);
    EXPECT_EQ(p.X, 1.5L);
    EXPECT_EQ(p.Y, -2.25L);

    TSurface s;
    auto* shape = s.Add<TKVShape>(s.Band, 1, 2, 30, 40);
    SetControlPos(shape, 11, 12);
    EXPECT_EQ(shape->BoundsRect(), Bounds(11, 12, 30, 40));
    SetControlPos(nullptr, 1, 1);
}

TEST(EtiqUtil, TheReportOffsetAddsTheBandsBelowTheReport)
{
    TSurface s;
    s.Band->SetBounds(s.Band->Left(), s.Band->Top(), s.Band->Width(), 60);
    auto* onBand = s.Add<TKVShape>(s.Band, 10, 5, 20, 20);
    auto* onReport = s.Add<TKVShape>(s.Report, 40, 50, 20, 20);

    auto* area = new TKVItensObs(s.Root.get());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(s.Report);
    TKVItens* items = area->Obs_TKVItens();
    ASSERT_NE(items, nullptr);
    auto* onItems = s.Add<TKVShape>(items, 3, 4, 10, 10);
    ASSERT_EQ(onItems->Parent(), items);

    EXPECT_EQ(ReportOffset(nullptr), (TPoint{0, 0}));
    EXPECT_EQ(ReportOffset(s.Band), (TPoint{0, 0}));
    EXPECT_EQ(ReportOffset(area), (TPoint{0, 0}));
    EXPECT_EQ(ReportOffset(onBand), (TPoint{s.Band->Left(), s.Band->Top()}));
    EXPECT_EQ(ReportOffset(items), (TPoint{area->Left(), area->Top()}));
    EXPECT_EQ(ReportOffset(onItems), (TPoint{area->Left() + items->Left(), area->Top() + items->Top()}));
    // Straight on the report: already in the report's coordinates.
    EXPECT_EQ(ReportOffset(onReport), (TPoint{0, 0}));

    EXPECT_EQ(RubberOffset(nullptr), (TPoint{0, 0}));
    EXPECT_EQ(RubberOffset(s.Band), (TPoint{s.Band->Left(), s.Band->Top()}));
    EXPECT_EQ(RubberOffset(items), (TPoint{area->Left() + items->Left(), area->Top() + items->Top()}));
}

TEST(EtiqUtil, SnapToGridRoundsAPrintableOnlyWhenForcedOrTheReportSnaps)
{
    TSurface s;
    s.Report->SetUnits(kvunMM);
    auto* shape = s.Add<TKVShape>(s.Band, 0, 0, 20, 20);
    const auto place = [&] {
        shape->Size()->SetLeft(12.5L);
        shape->Size()->SetTop(13.5L);
    };
    const auto left = [&] { return static_cast<double>(shape->Size()->Left()); };
    const auto top = [&] { return static_cast<double>(shape->Size()->Top()); };

    s.Report->SetSnapToGrid(false);
    place();
    SnapToGrid(shape, false);
    EXPECT_NEAR(left(), 12.5, 1e-9);
    EXPECT_NEAR(top(), 13.5, 1e-9);
    SnapToGrid(shape, true);
    EXPECT_NEAR(left(), 12, 1e-9);
    EXPECT_NEAR(top(), 14, 1e-9);

    s.Report->SetSnapToGrid(true);
    place();
    SnapToGrid(shape, false);
    EXPECT_NEAR(left(), 12, 1e-9);
    EXPECT_NEAR(top(), 14, 1e-9);

    // A band is not a printable: it stays where it is.
    const TRect band = s.Band->BoundsRect();
    SnapToGrid(s.Band, true);
    EXPECT_EQ(s.Band->BoundsRect(), band);
    SnapToGrid(nullptr, true);
}

TEST(EtiqUtil, FindScrollBoxFindsTheBoxThatScrollsAControl)
{
    TSurface s;
    auto* shape = s.Add<TKVShape>(s.Band, 0, 0, 20, 20);
    TScrollBox* box = s.BoxControl();
    EXPECT_EQ(FindScrollBox(nullptr), nullptr);
    EXPECT_EQ(FindScrollBox(box), box);
    EXPECT_EQ(FindScrollBox(s.Report), box);
    EXPECT_EQ(FindScrollBox(s.Band), box);
    EXPECT_EQ(FindScrollBox(shape), box);

    // A multi-selection scrolls with its surface's box, and with none without a surface.
    EXPECT_EQ(FindScrollBox(s.Designer.get()), nullptr);
    s.Designer->SetSurface(s.Report);
    EXPECT_EQ(FindScrollBox(s.Designer.get()), box);

    // Nothing scrolls a report on no parent, or a persistent that is no control.
    TVardoRep loose(nullptr);
    EXPECT_EQ(FindScrollBox(&loose), nullptr);
    EXPECT_EQ(FindScrollBox(shape->Size()), nullptr);

    // The document window's client area is the box its report lies on.
    auto* window = new TfmAnexo_MDIChild(nullptr, nullptr);
    TVardoRep onWindow(nullptr);
    onWindow.SetParent(window->Client());
    EXPECT_EQ(FindScrollBox(&onWindow), window->Client());
    EXPECT_NE(dynamic_cast<TScrollBox*>(window->Client()), nullptr);
    onWindow.SetParent(nullptr);
    delete window;
}

TEST(EtiqUtil, DrawDragOutlineDrawsInTheReportsWindowForBandsAndPrintablesOnly)
{
    TSurface s;
    auto* shape = s.Add<TKVShape>(s.Band, 10, 5, 20, 20);
    auto* onReport = s.Add<TKVShape>(s.Report, 40, 50, 20, 20);
    const TPoint band = ReportOffset(shape);

    DrawDragOutline(shape, Rect(0, 0, 30, 10), {7, 8});
    ASSERT_EQ(s.Outlines().size(), 1u);
    EXPECT_EQ(s.Outlines()[0], s.OnSurface(Bounds(7 + band.X, 8 + band.Y, 30, 10)));
    DrawDragOutline(shape, Rect(100, 100, 130, 110), {7, 8}); // the same size at the same place
    EXPECT_TRUE(s.Outlines().empty());

    DrawDragOutline(s.Band, Rect(0, 0, 300, 40), {0, 12});
    ASSERT_EQ(s.Outlines().size(), 1u);
    EXPECT_EQ(s.Outlines()[0], s.OnSurface(Bounds(0, 12, 300, 40)));
    DrawDragOutline(s.Band, Rect(0, 0, 300, 40), {0, 12});

    // Straight on the report, its parent's coordinates are the report's.
    DrawDragOutline(onReport, Rect(0, 0, 20, 20), {40, 50});
    ASSERT_EQ(s.Outlines().size(), 1u);
    EXPECT_EQ(s.Outlines()[0], s.OnSurface(Bounds(40, 50, 20, 20)));
    DrawDragOutline(onReport, Rect(0, 0, 20, 20), {40, 50});

    // The report itself, a control on no report, and nothing draw nothing.
    DrawDragOutline(s.Report, Rect(0, 0, 20, 20), {0, 0});
    TKVShape loose(nullptr);
    DrawDragOutline(&loose, Rect(0, 0, 20, 20), {0, 0});
    DrawDragOutline(nullptr, Rect(0, 0, 20, 20), {0, 0});
    EXPECT_TRUE(s.Outlines().empty());
}

// ---- corner marks --------------------------------------------------------------------------------

TEST(EtiqUtil, CornerSquaresSitCentredOnTheControlsCorners)
{
    TSurface s;
    auto* shape = s.Add<TKVShape>(s.Band, 10, 20, 100, 30);
    const int before = s.Band->ControlCount();
    s.Select({shape});
    ASSERT_EQ(s.Designer->CornerMarks().size(), 1u);
    TEtiqCantos* mark = s.Designer->CornerMarks()[0];
    EXPECT_EQ(mark->Control(), shape);
    EXPECT_EQ(mark->Owner(), shape);
    EXPECT_EQ(mark->Parent(), shape);
    EXPECT_EQ(mark->Surface(), s.Report);
    EXPECT_TRUE(mark->HasHandles());
    EXPECT_TRUE(mark->Shown());
    EXPECT_EQ(s.Band->ControlCount(), before + 4);

    const TPoint expected[4] = {{8, 18}, {108, 18}, {8, 48}, {108, 48}};
    for (int corner = 1; corner <= 4; ++corner) {
        TEtiqControlHandle* square = mark->Corners(corner);
        ASSERT_NE(square, nullptr);
        EXPECT_EQ(square->Corner(), corner);
        EXPECT_EQ(square->BoundsRect(), Bounds(expected[corner - 1].X, expected[corner - 1].Y, 4, 4)) << corner;
        EXPECT_EQ(square->Parent(), s.Band);
        EXPECT_EQ(square->Owner(), shape);
        EXPECT_EQ(square->Control(), shape);
        EXPECT_TRUE(square->Visible());
        // On top of everything on the band.
        EXPECT_EQ(s.Band->Controls(s.Band->ControlCount() - 1)->ClassName(), QStringLiteral("TEtiqControlHandle"));
    }

    // Moved and told, the squares follow.
    shape->SetBounds(50, 5, 10, 10);
    mark->UpdatePosition();
    EXPECT_EQ(mark->Corners(4)->BoundsRect(), Bounds(58, 13, 4, 4));
    mark->DoHandles(5);
    EXPECT_FALSE(mark->Shown());
    EXPECT_FALSE(mark->Corners(1)->Visible());

    // Toggled out: the squares go from the band and the control stays.
    s.Designer->Toggle(shape);
    EXPECT_EQ(s.Band->ControlCount(), before);
    EXPECT_EQ(shape->ComponentCount(), 0);
}

TEST(EtiqUtil, ASquareIsFourByFourAndBlack)
{
    TSurface s;
    auto* shape = s.Add<TKVShape>(s.Band, 10, 20, 100, 30);
    s.Select({shape});
    TEtiqControlHandle* square = s.Designer->CornerMarks()[0]->Corners(1);
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        TImageCanvas canvas(image);
        square->Paint(canvas);
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    EXPECT_EQ(square->Cursor(), crDefault);
}

// ---- the selection and its kind --------------------------------------------------------------------

TEST(EtiqUtil, TheKindOfASelectionFollowsItsControls)
{
    struct Case {
        const char* Steps; // controls toggled in turn; one named again is toggled out
        const char* Kind;
        int Count;
    };
    const Case cases[] = {
        {"label", "FONTE", 1},
        {"barcode", "BARCODE", 1},
        {"shape", "SHAPE", 1},
        {"dbimage", "DBIMAGE", 1},
        {"image", "IMAGE", 1},
        {"band", "", 1},
        {"label barcode", "FONTE_BARCODE", 2},
        {"barcode label", "FONTE_BARCODE", 2},
        {"barcode barcode2", "BARCODE", 2},
        {"label memo", "FONTE", 2},
        {"label dbtext", "FONTE", 2},
        {"label barcode memo", "FONTE_BARCODE", 3},
        {"label shape", "NENHUM", 2},
        {"label shape label2", "NENHUM", 3},
        {"dbimage image", "NENHUM", 2},
        {"image dbimage", "NENHUM", 2},
        {"shape shape2", "SHAPE", 2},
        {"label shape shape", "FONTE", 1},
        {"shape label barcode shape", "FONTE_BARCODE", 2},
        {"label label", "FONTE", 0},
        {"shape label label shape", "SHAPE", 0},
    };
    for (const Case& c : cases) {
        TSurface s;
        std::map<std::string, TControl*> controls{
            {"label", s.Add<TKVLabel>(s.Band, 0, 0, 10, 10)},    {"label2", s.Add<TKVLabel>(s.Band, 0, 0, 10, 10)},
            {"memo", s.Add<TKVMemo>(s.Band, 0, 0, 10, 10)},      {"dbtext", s.Add<TKVDBText>(s.Band, 0, 0, 10, 10)},
            {"barcode", s.Add<TKVBarcode>(s.Band, 0, 0, 10, 10)}, {"barcode2", s.Add<TKVBarcode>(s.Band, 0, 0, 10, 10)},
            {"shape", s.Add<TKVShape>(s.Band, 0, 0, 10, 10)},    {"shape2", s.Add<TKVShape>(s.Band, 0, 0, 10, 10)},
            {"image", s.Add<TKVImage>(s.Band, 0, 0, 10, 10)},    {"dbimage", s.Add<TKVDBImage>(s.Band, 0, 0, 10, 10)},
            {"band", s.AddBand(QStringLiteral("Outra"))},
        };
        s.Designer->SetSurface(s.Report);
        int changes = 0;
        s.Designer->OnChange = [&](TObject* sender) {
            EXPECT_EQ(sender, s.Designer.get());
            ++changes;
        };
        const QStringList steps = QString::fromLatin1(c.Steps).split(QLatin1Char(' '));
        for (const QString& step : steps)
            s.Designer->Toggle(controls.at(step.toStdString()));
        EXPECT_EQ(s.Designer->Kind(), QString::fromLatin1(c.Kind)) << c.Steps;
        EXPECT_EQ(s.Designer->Count(), c.Count) << c.Steps;
        EXPECT_EQ(s.Designer->CornerMarks().size(), s.Designer->SelectedControls().size());
        EXPECT_EQ(changes, steps.size()) << c.Steps;
        for (size_t i = 0; i < s.Designer->SelectedControls().size(); ++i)
            EXPECT_EQ(s.Designer->CornerMarks()[i]->Control(), s.Designer->SelectedControls()[i]);
    }
}

TEST(EtiqUtil, TogglingOutKeepsTheOrderOfTheOthers)
{
    TSurface s;
    auto* a = s.Add<TKVShape>(s.Band, 0, 0, 10, 10);
    auto* b = s.Add<TKVShape>(s.Band, 20, 0, 10, 10);
    auto* c = s.Add<TKVShape>(s.Band, 40, 0, 10, 10);
    s.Select({a, b, c});
    TEtiqCantos* markC = s.Designer->CornerMarks()[2];
    s.Designer->Toggle(b);
    EXPECT_EQ(s.Designer->SelectedControls(), (std::vector<TControl*>{a, c}));
    EXPECT_EQ(s.Designer->CornerMarks()[1], markC);
    EXPECT_EQ(s.Designer->Surface(), s.Report);
    s.Designer->Toggle(nullptr);
    EXPECT_EQ(s.Designer->Count(), 2);
}

TEST(EtiqUtil, ClearRaisesOnClearOnlyForASelectionAndUnsetsTheSurface)
{
    TSurface s;
    int clears = 0;
    int countInHandler = -1;
    s.Designer->OnClear = [&](TObject* sender) {
        EXPECT_EQ(sender, s.Designer.get());
        ++clears;
        countInHandler = s.Designer->Count();
    };
    s.Designer->SetSurface(s.Report);
    s.Designer->Clear();
    EXPECT_EQ(clears, 0);
    EXPECT_EQ(s.Designer->Surface(), s.Report);

    auto* shape = s.Add<TKVShape>(s.Band, 10, 20, 100, 30);
    const int before = s.Band->ControlCount();
    s.Designer->Toggle(shape);
    s.Designer->Clear();
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(countInHandler, 1);
    EXPECT_EQ(s.Designer->Count(), 0);
    EXPECT_TRUE(s.Designer->CornerMarks().empty());
    EXPECT_EQ(s.Designer->Surface(), nullptr);
    EXPECT_EQ(s.Designer->Kind(), QString());
    EXPECT_EQ(s.Band->ControlCount(), before);
    EXPECT_TRUE(ControlAlive(shape));
}

TEST(EtiqUtil, DeleteSelectedFreesTheControlsButKeepsAnObservationLine)
{
    TSurface s;
    auto* area = new TKVItensObs(s.Root.get());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(s.Report);
    TKVObsLabel* line = area->Obs_TKVObs()->Obs_Label();
    ASSERT_NE(line, nullptr);
    auto* shape = s.Add<TKVShape>(s.Band, 10, 20, 100, 30);
    auto* label = s.Add<TKVLabel>(s.Band, 10, 60, 100, 30);

    // Nothing selected: false, and the surface is let go.
    s.Designer->SetSurface(s.Report);
    EXPECT_FALSE(s.Designer->DeleteSelected());
    EXPECT_EQ(s.Designer->Surface(), nullptr);

    s.Select({shape, line, label});
    std::vector<TControl*> told;
    bool others = false;
    s.Designer->OnDeleteControl = [&](TObject* sender, TControl* c) {
        EXPECT_EQ(sender, s.Designer.get());
        EXPECT_TRUE(ControlAlive(c));
        // Its mark is already gone.
        EXPECT_EQ(c->ComponentCount(), 0);
        told.push_back(c);
    };
    s.Designer->OnClear = [&](TObject*) { others = true; };
    s.Designer->OnChange = [&](TObject*) { others = true; };
    EXPECT_TRUE(s.Designer->DeleteSelected());
    EXPECT_EQ(told, (std::vector<TControl*>{shape, line, label}));
    EXPECT_FALSE(others);
    EXPECT_FALSE(ControlAlive(shape));
    EXPECT_FALSE(ControlAlive(label));
    ASSERT_TRUE(ControlAlive(line));
    EXPECT_EQ(line->Parent(), area->Obs_TKVObs());
    EXPECT_EQ(line->ComponentCount(), 0);
    EXPECT_EQ(s.Designer->Count(), 0);
    EXPECT_EQ(s.Designer->Surface(), nullptr);
}

TEST(EtiqUtil, AControlFreedWhileSelectedLeavesTheSelection)
{
    TSurface s;
    auto* a = s.Add<TKVShape>(s.Band, 0, 0, 10, 10);
    auto* b = s.Add<TKVShape>(s.Band, 20, 0, 10, 10);
    s.Select({a, b});
    s.GroupDrag(QStringLiteral("S"), 5, 5);
    a->Free();
    EXPECT_EQ(s.Designer->SelectedControls(), (std::vector<TControl*>{b}));
    EXPECT_EQ(s.Designer->CornerMarks().size(), 1u);
    EXPECT_EQ(s.Outlines().size(), 1u);
    s.Designer->MoveSelection(QStringLiteral("R"));
    EXPECT_TRUE(s.Outlines().empty());
    b->Free();
    EXPECT_EQ(s.Designer->Count(), 0);
    s.Designer->Clear();
}

// ---- the group drag ------------------------------------------------------------------------------

TEST(EtiqUtil, AGroupDragMovesEveryControlByTheCursorsDistanceWhateverTheUnitAndGrid)
{
    for (TKVUnit units : {kvunMM, kvunInches, kvunPixels, kvunCharacters, kvunNative}) {
        for (bool snap : {false, true}) {
            TSurface s;
            s.Report->SetUnits(units);
            s.Report->SetSnapToGrid(snap);
            s.Band->SetBounds(s.Band->Left(), s.Band->Top(), s.Band->Width(), 120);
            auto* area = new TKVItensObs(s.Root.get());
            area->SetName(QStringLiteral("Area"));
            area->SetParent(s.Report);
            s.FitBox();
            TKVItens* items = area->Obs_TKVItens();
            std::vector<TControl*> controls{s.Add<TKVShape>(s.Band, 13, 27, 61, 33),
                                            s.Add<TKVLabel>(s.Band, 101, 7, 47, 19),
                                            s.Add<TKVShape>(items, 9, 3, 17, 11)};
            std::vector<TRect> before;
            for (TControl* c : controls)
                before.push_back(c->BoundsRect());

            s.Designer->SetSurface(s.Report);
            for (TControl* c : controls)
                s.Designer->Toggle(c);
            s.GroupDrag(QStringLiteral("S"), 100, 90);
            EXPECT_TRUE(s.Designer->Dragging());
            ASSERT_NE(GroupDragTimer(), nullptr);
            EXPECT_EQ(GroupDragTimer()->Dragged(), s.Designer.get());
            EXPECT_EQ(GroupDragTimer()->Interval(), 100);
            EXPECT_EQ(s.Outlines().size(), controls.size());

            s.GroupDrag(QStringLiteral("M"), 107, 80);
            s.GroupDrag(QStringLiteral("M"), 115, 85);
            // One outline per control, where the control will land.
            std::vector<TRect> expected;
            for (TControl* c : controls) {
                const TRect r = s.InReport(c);
                expected.push_back(s.OnSurface(Bounds(r.Left + 15, r.Top - 5, r.Width(), r.Height())));
            }
            EXPECT_EQ(s.Outlines(), expected) << "unit " << units << " snap " << snap;

            s.Designer->MoveSelection(QStringLiteral("R"));
            EXPECT_FALSE(s.Designer->Dragging());
            EXPECT_EQ(GroupDragTimer(), nullptr);
            EXPECT_TRUE(s.Outlines().empty());
            for (size_t i = 0; i < controls.size(); ++i) {
                EXPECT_EQ(controls[i]->BoundsRect(),
                          Bounds(before[i].Left + 15, before[i].Top - 5, before[i].Width(), before[i].Height()))
                    << "unit " << units << " snap " << snap << " control " << i;
                // The marks went along.
                EXPECT_EQ(s.Designer->CornerMarks()[i]->Corners(1)->Left(), controls[i]->Left() - 2);
            }
            s.Designer->Clear();
        }
    }
}

TEST(EtiqUtil, MovesAndReleasesWithoutAStartAndCommandsOnAnEmptySelectionDoNothing)
{
    TSurface s;
    auto* shape = s.Add<TKVShape>(s.Band, 10, 20, 30, 30);
    s.Designer->SetSurface(s.Report);
    s.Designer->MoveSelection(QStringLiteral("S"));
    EXPECT_FALSE(s.Designer->Dragging());
    EXPECT_EQ(GroupDragTimer(), nullptr);

    s.Designer->Toggle(shape);
    s.GroupDrag(QStringLiteral("M"), 50, 50);
    s.Designer->MoveSelection(QStringLiteral("R"));
    EXPECT_EQ(shape->BoundsRect(), Bounds(10, 20, 30, 30));
    EXPECT_TRUE(s.Outlines().empty());

    // Two starts in a row leave one outline, not two.
    s.Designer->MoveSelection(QStringLiteral("S"));
    s.Designer->MoveSelection(QStringLiteral("S"));
    EXPECT_EQ(s.Outlines().size(), 1u);
    s.Designer->MoveSelection(QStringLiteral("R"));
    EXPECT_TRUE(s.Outlines().empty());
    EXPECT_EQ(shape->BoundsRect(), Bounds(10, 20, 30, 30));
}

TEST(EtiqUtil, ClearingOrDeletingDuringAGroupDragEndsItsTimerAndItsOutlines)
{
    for (const bool deleting : {false, true}) {
        TSurface s;
        auto* a = s.Add<TKVShape>(s.Band, 10, 20, 30, 30);
        auto* b = s.Add<TKVShape>(s.Band, 60, 20, 30, 30);
        s.Select({a, b});
        s.GroupDrag(QStringLiteral("S"), 20, 30);
        s.GroupDrag(QStringLiteral("M"), 40, 30);
        ASSERT_NE(GroupDragTimer(), nullptr);
        if (deleting)
            EXPECT_TRUE(s.Designer->DeleteSelected());
        else
            s.Designer->Clear();
        EXPECT_EQ(GroupDragTimer(), nullptr) << deleting;
        EXPECT_FALSE(s.Designer->Dragging());
        EXPECT_TRUE(s.Outlines().empty()) << deleting;
        // A late release finds nothing to do.
        s.Designer->MoveSelection(QStringLiteral("R"));
    }
}

TEST(EtiqUtil, AnotherSelectionEndingLeavesADragsTimerRunning)
{
    TSurface s;
    auto* shape = s.Add<TKVShape>(s.Band, 10, 20, 30, 30);
    s.Select({shape});
    s.GroupDrag(QStringLiteral("S"), 20, 30);
    ASSERT_NE(GroupDragTimer(), nullptr);

    auto* other = s.Add<TKVShape>(s.Band, 100, 20, 30, 30);
    auto second = std::make_unique<TMultiDesigner>();
    second->SetSurface(s.Report);
    second->Toggle(other);
    second->Clear();
    second->MoveSelection(QStringLiteral("R"));
    second.reset();
    EXPECT_NE(GroupDragTimer(), nullptr);

    s.GroupDrag(QStringLiteral("M"), 30, 30);
    s.Designer->MoveSelection(QStringLiteral("R"));
    EXPECT_EQ(shape->Left(), 20);
    EXPECT_TRUE(s.Outlines().empty());
}

TEST(EtiqUtil, AZeroSizeControlIsSelectedDraggedAndScrolledLikeAnyOther)
{
    TSurface s;
    auto* dot = s.Add<TKVShape>(s.Band, 30, 40, 0, 0);
    s.Select({dot});
    TEtiqCantos* mark = s.Designer->CornerMarks()[0];
    for (int corner = 1; corner <= 4; ++corner)
        EXPECT_EQ(mark->Corners(corner)->BoundsRect(), Bounds(28, 38, 4, 4));
    s.GroupDrag(QStringLiteral("S"), 10, 10);
    s.GroupDrag(QStringLiteral("M"), 15, 12);
    s.Host.MouseMove(-40, 12);
    GroupDragTimer()->Tick();
    s.Designer->MoveSelection(QStringLiteral("R"));
    EXPECT_TRUE(s.Outlines().empty());
    EXPECT_EQ(dot->Width(), 0);
    EXPECT_EQ(dot->Height(), 0);

    TScrollBoxTimer timer(dot);
    timer.SetDragRect(s.InReport(dot));
    DrawDragOutline(dot, timer.DragRect(), timer.DragRect().TopLeft());
    s.Host.MouseMove(1000, 1000);
    timer.Tick();
    DrawDragOutline(dot, timer.DragRect(), timer.DragRect().TopLeft());
    EXPECT_TRUE(s.Outlines().empty());
}

// ---- the auto-scroll -----------------------------------------------------------------------------

TEST(EtiqUtil, ATickScrollsByWhatTheScrollBarAllows)
{
    TSurface s;
    TScrollBox* box = s.BoxControl();
    ASSERT_GT(box->HorzScrollBar()->Range(), 300);
    ASSERT_GT(box->VertScrollBar()->Range(), 200);
    auto* shape = s.Add<TKVShape>(s.Band, 10, 20, 30, 30);
    s.Select({shape});
    box->HorzScrollBar()->SetPosition(10);
    s.GroupDrag(QStringLiteral("S"), 50, 50);
    TScrollBoxTimer* timer = GroupDragTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->ScrollBox(), box);
    EXPECT_TRUE(timer->Enabled());

    // Inside the box's client area: nothing moves and nothing is drawn.
    const std::vector<TRect> outline = s.Outlines();
    const QRegion invalid = s.Host.InvalidRegion();
    timer->Tick();
    EXPECT_FALSE(timer->Scrolled);
    EXPECT_EQ(box->HorzScrollBar()->Position(), 10);
    EXPECT_EQ(s.Outlines(), outline);
    EXPECT_EQ(s.Host.InvalidRegion(), invalid);

    // 30 pixels left of it with the bar at 10: only the 10 pixels there are.
    const TRect client = box->ScreenClientRect();
    s.Host.MouseMove(client.Left - 30, 50);
    timer->Tick();
    EXPECT_TRUE(timer->Scrolled);
    EXPECT_EQ(box->HorzScrollBar()->Position(), 0);
    EXPECT_EQ(box->VertScrollBar()->Position(), 0);
    // The mouse kept its place on the screen.
    EXPECT_EQ(s.Host.MousePos(), (TPoint{client.Left - 30 - 10, 50}));
    // Past the bottom and the right by more than is left: up to the ends of the ranges.
    const int right = box->HorzScrollBar()->Range() - 300;
    const int bottom = box->VertScrollBar()->Range() - 200;
    const TRect now = box->ScreenClientRect();
    s.Host.MouseMove(now.Right + 100000, now.Bottom + 100000);
    timer->Tick();
    EXPECT_EQ(box->HorzScrollBar()->Position(), right);
    EXPECT_EQ(box->VertScrollBar()->Position(), bottom);
    timer->Scrolled = false;
    timer->Tick();
    EXPECT_FALSE(timer->Scrolled);

    // The outline stayed under the cursor throughout, and the drop takes the distance.
    const TPoint at = s.Host.MousePos();
    const TRect start = s.InReport(shape);
    ASSERT_EQ(s.Outlines().size(), 1u);
    EXPECT_EQ(s.Outlines()[0], s.OnSurface(Bounds(start.Left + at.X - 50, start.Top + at.Y - 50, 30, 30)));
    s.Designer->MoveSelection(QStringLiteral("R"));
    EXPECT_TRUE(s.Outlines().empty());
    EXPECT_EQ(shape->Left(), 10 + at.X - 50);
    EXPECT_EQ(shape->Top(), 20 + at.Y - 50);
}

TEST(EtiqUtil, OnTheWidgetTheBarsAreTheScrollAreasAndATickMovesThem)
{
    TSurface s;
    s.Host.SetRoot(nullptr);
    TControlHost widget;
    widget.SetRoot(s.BoxControl());
    widget.UpdateSurfaceSize();
    widget.resize(300, 200);
    widget.show();
    QCoreApplication::processEvents();
    TScrollBox* box = s.BoxControl();
    const int visible = widget.viewport()->width();
    ASSERT_GT(visible, 0);
    EXPECT_EQ(box->HorzScrollBar()->Range(), box->Width());
    EXPECT_EQ(box->HorzScrollBar()->VisibleSize(), visible);
    EXPECT_EQ(widget.horizontalScrollBar()->maximum(), box->Width() - visible);

    box->HorzScrollBar()->SetPosition(40);
    EXPECT_EQ(widget.horizontalScrollBar()->value(), 40);
    EXPECT_EQ(box->HorzScrollBar()->Position(), 40);
    EXPECT_EQ(box->ScreenClientRect().Left, 40);

    // A group drag pushed 25 pixels past the left edge of the view.
    auto* shape = s.Add<TKVShape>(s.Band, 60, 20, 30, 30);
    s.Select({shape});
    widget.MouseMove(100, 50);
    s.Designer->MoveSelection(QStringLiteral("S"));
    widget.MouseMove(40 - 25, 50);
    s.Designer->MoveSelection(QStringLiteral("M"));
    GroupDragTimer()->Tick();
    EXPECT_EQ(widget.horizontalScrollBar()->value(), 15);
    EXPECT_EQ(widget.MousePos(), (TPoint{-10, 50}));
    s.Designer->MoveSelection(QStringLiteral("R"));
    EXPECT_EQ(shape->Left(), 60 - 110);
    EXPECT_TRUE(widget.FocusRects().empty());
    s.Designer->Clear();
    widget.SetRoot(nullptr);
}

TEST(EtiqUtil, ATickDoesNothingWithoutAScrollBox)
{
    TSurface s;
    TVardoRep loose(nullptr);
    TScrollBoxTimer timer(&loose);
    EXPECT_EQ(timer.ScrollBox(), nullptr);
    s.Host.MouseMove(-500, -500);
    timer.Tick();
    EXPECT_FALSE(timer.Scrolled);
}

TEST(EtiqUtil, AMovedControlsOutlineFollowsTheCursorAfterATick)
{
    TSurface s;
    auto* shape = s.Add<TKVShape>(s.Band, 40, 20, 30, 30);
    TScrollBox* box = s.BoxControl();
    box->VertScrollBar()->SetPosition(50);
    const TPoint inBand = {55, 30};
    s.Host.MouseMove(s.Band->ClientToScreen(inBand).X, s.Band->ClientToScreen(inBand).Y);
    TScrollBoxTimer timer(shape);
    EXPECT_EQ(timer.GrabOffset(), (TPoint{15, 10}));
    EXPECT_EQ(timer.ScrollBox(), box);

    // The designer's outline protocol: given in report coordinates, drawn there.
    const TRect outline = s.InReport(shape);
    timer.SetDragRect(outline);
    EXPECT_EQ(timer.DragRect(), shape->BoundsRect());
    EXPECT_EQ(timer.GetDragRect(), outline);
    DrawDragOutline(shape, timer.DragRect(), timer.DragRect().TopLeft());

    // The cursor 40 pixels above the box: up by 40 of the 50 there are.
    const TRect client = box->ScreenClientRect();
    s.Host.MouseMove(client.Left + 60, client.Top - 40);
    timer.Tick();
    EXPECT_TRUE(timer.Scrolled);
    EXPECT_EQ(box->VertScrollBar()->Position(), 10);
    const TPoint cursor = s.Band->ScreenToClient(s.Host.MousePos());
    EXPECT_EQ(timer.DragRect(), Bounds(cursor.X - 15, cursor.Y - 10, 30, 30));
    ASSERT_EQ(s.Outlines().size(), 1u);
    EXPECT_EQ(s.Outlines()[0], s.OnSurface(timer.GetDragRect()));
    DrawDragOutline(shape, timer.DragRect(), timer.DragRect().TopLeft());
    EXPECT_TRUE(s.Outlines().empty());
}

TEST(EtiqUtil, AResizeOutlineGrowsTowardsTheScrollAndStaysWhatIsDrawn)
{
    struct Case {
        const char* Name;
        bool Band;
        int CursorX; // relative to the visible client area: < 0 left of it, > 0 right of it
        int CursorY;
    };
    const Case cases[] = {
        {"printable right and down", false, 25, 35},
        {"printable left and up", false, -25, -35},
        {"band down", true, 25, 35},
    };
    for (const Case& c : cases) {
        TSurface s;
        s.Band->SetBounds(s.Band->Left(), s.Band->Top(), s.Band->Width(), 80);
        TScrollBox* box = s.BoxControl();
        box->HorzScrollBar()->SetPosition(100);
        box->VertScrollBar()->SetPosition(100);
        TControl* dragged = c.Band ? static_cast<TControl*>(s.Band) : s.Add<TKVShape>(s.Band, 120, 10, 30, 30);
        TScrollBoxTimer timer(dragged);
        timer.Resizing = true;
        const TRect start = s.InReport(dragged);
        timer.SetDragRect(start);
        DrawDragOutline(dragged, timer.DragRect(), timer.DragRect().TopLeft());

        const TRect client = box->ScreenClientRect();
        s.Host.MouseMove(c.CursorX < 0 ? client.Left + c.CursorX : client.Right + c.CursorX,
                         c.CursorY < 0 ? client.Top + c.CursorY : client.Bottom + c.CursorY);
        const TRect before = timer.DragRect();
        timer.Tick();
        EXPECT_TRUE(timer.Scrolled) << c.Name;
        const TRect after = timer.DragRect();
        const int dx = c.CursorX, dy = c.CursorY;
        if (c.Band) {
            EXPECT_EQ(after, Rect(before.Left, before.Top, before.Right, before.Bottom + dy)) << c.Name;
        } else if (dx > 0) {
            EXPECT_EQ(after, Rect(before.Left, before.Top, before.Right + dx, before.Bottom + dy)) << c.Name;
        } else {
            EXPECT_EQ(after, Rect(before.Left + dx, before.Top + dy, before.Right, before.Bottom)) << c.Name;
        }
        ASSERT_EQ(s.Outlines().size(), 1u) << c.Name;
        EXPECT_EQ(s.Outlines()[0], s.OnSurface(timer.GetDragRect())) << c.Name;
        DrawDragOutline(dragged, timer.DragRect(), timer.DragRect().TopLeft());
        EXPECT_TRUE(s.Outlines().empty()) << c.Name;
    }
}

// ---- marks and streams ---------------------------------------------------------------------------

TEST(EtiqUtil, AMultiSelectedPrintableCopiesWithoutItsMarks)
{
    TSurface s;
    auto* label = s.Add<TKVLabel>(s.Band, 10, 20, 100, 30);
    label->SetCaption(QStringLiteral("Texto"));
    s.Select({label});
    ASSERT_EQ(label->ComponentCount(), 5); // the mark and its four squares

    // Written alone, as the clipboard and undo write a control.
    TMemoryStream stream;
    {
        TWriter w(stream);
        w.WriteDescendent(label);
    }
    EXPECT_FALSE(stream.Bytes().contains("TEtiqCantos"));
    EXPECT_FALSE(stream.Bytes().contains("TEtiqControlHandle"));
    stream.SetPosition(0);
    std::vector<TComponent*> read;
    TReader r(stream);
    r.OnSetName = [](TReader&, TComponent*, QString& name) { name += QStringLiteral("_copia"); };
    r.ReadComponents(s.Root.get(), s.Band, [&](TComponent* c) { read.push_back(c); });
    ASSERT_EQ(read.size(), 1u);
    auto* copy = dynamic_cast<TKVLabel*>(read[0]);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Caption(), QStringLiteral("Texto"));
    EXPECT_EQ(copy->ControlCount(), 0);
    EXPECT_EQ(copy->ComponentCount(), 0);
    // The original keeps its marks.
    EXPECT_EQ(label->ComponentCount(), 5);
    s.Designer->Clear();
}

TEST(EtiqUtil, ASavedReportWithMarksShownHoldsNoneAndReadsBack)
{
    TSurface s;
    auto* label = s.Add<TKVLabel>(s.Band, 10, 20, 100, 30);
    auto* shape = s.Add<TKVShape>(s.Band, 150, 20, 40, 40);
    s.Select({label, shape});

    // Saved as the document saves: the report back on its hidden form, marks and all.
    s.Report->SetParent(s.Root.get());
    TMemoryStream res;
    WriteComponentRes(res, s.Root.get());
    res.SetPosition(0);
    TMemoryStream text;
    ObjectResourceToText(res, text);
    EXPECT_FALSE(text.Bytes().contains("TEtiq")) << text.Bytes().toStdString();
    EXPECT_TRUE(text.Bytes().contains(": TKVLabel"));
    // Also with the printable as the stream's root.
    EXPECT_FALSE(AsText(label).contains("TEtiq"));

    res.SetPosition(0);
    std::unique_ptr<TfmHidden, TComponentDeleter> again(new TfmHidden(nullptr));
    ReadComponentRes(res, again.get());
    auto* label2 = dynamic_cast<TKVLabel*>(again->FindComponent(label->Name()));
    ASSERT_NE(label2, nullptr);
    EXPECT_EQ(label2->ComponentCount(), 0);
    EXPECT_EQ(label2->ControlCount(), 0);
    auto* band2 = dynamic_cast<TKVBand*>(label2->Parent());
    ASSERT_NE(band2, nullptr);
    for (int i = 0; i < band2->ControlCount(); ++i)
        EXPECT_NE(band2->Controls(i)->ClassName(), QStringLiteral("TEtiqControlHandle"));
    s.Report->SetParent(s.BoxControl());
    s.Designer->Clear();
}

TEST(EtiqUtil, AReportWrittenWithTheDesignerAttachedHoldsNoSizingHandle)
{
    TSurface s;
    auto* label = s.Add<TKVLabel>(s.Band, 10, 20, 100, 30);
    label->SetCaption(QStringLiteral("Texto"));
    s.Report->SetParent(s.Root.get());
    TKVDesigner designer(nullptr);
    designer.Attach(s.Report);
    designer.SetSelected(label);
    TKVControlHandle* handle = designer.Handles(1);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(handle->Parent(), s.Report);
    // Even a handle that the stream's root happened to own stays out.
    designer.RemoveComponent(handle);
    s.Root->InsertComponent(handle);

    QByteArray text = AsText(s.Root.get());
    EXPECT_FALSE(text.contains("TKVControlHandle")) << text.toStdString();
    EXPECT_TRUE(text.contains("Texto"));
    s.Root->RemoveComponent(handle);
    designer.InsertComponent(handle);

    // A handle that a stream does hold is passed over when it is read.
    const int end = text.lastIndexOf("end");
    text.insert(end, "  object TKVControlHandle\n    Left = 3\n  end\n");
    TMemoryStream bin(ObjectTextToBinary(text));
    std::unique_ptr<TfmHidden, TComponentDeleter> again(new TfmHidden(nullptr));
    TReader r(bin);
    r.ReadRootComponent(again.get());
    EXPECT_NE(again->FindComponent(label->Name()), nullptr);
    for (int i = 0; i < again->ComponentCount(); ++i)
        EXPECT_NE(again->Components(i)->ClassName(), QStringLiteral("TKVControlHandle"));
    for (int i = 0; i < again->ControlCount(); ++i)
        EXPECT_NE(again->Controls(i)->ClassName(), QStringLiteral("TKVControlHandle"));
    designer.Detach();
    s.Report->SetParent(s.BoxControl());
}

TEST(EtiqUtil, AStreamHoldingSelectionMarksIsReadWithoutThem)
{
    TSurface s;
    auto* label = s.Add<TKVLabel>(s.Band, 10, 20, 100, 30);
    label->SetCaption(QStringLiteral("Texto"));
    QByteArray text = AsText(label);
    // As a writer that kept the marks would have written it.
    const int end = text.lastIndexOf("end");
    ASSERT_GT(end, 0);
    text.insert(end, "  object TEtiqCantos\n    Left = 3\n    Tag = 7\n"
                     "    object TEtiqControlHandle\n      Width = 4\n    end\n  end\n");
    TMemoryStream bin(ObjectTextToBinary(text));
    TReader r(bin);
    std::unique_ptr<TComponent, TComponentDeleter> copy(r.ReadRootComponent(nullptr));
    auto* read = dynamic_cast<TKVLabel*>(copy.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Caption(), QStringLiteral("Texto"));
    EXPECT_EQ(read->ControlCount(), 0);
    EXPECT_EQ(read->ComponentCount(), 0);

    // A pasted stream whose first record is a lone mark: the label after it is all there is.
    QByteArray pasted = ObjectTextToBinary("object TEtiqCantos\n  Left = 3\nend\n");
    TMemoryStream labelStream;
    {
        TWriter w(labelStream);
        w.WriteDescendent(label);
    }
    pasted += labelStream.Bytes();
    TMemoryStream in(pasted);
    TReader paste(in);
    paste.OnSetName = [](TReader&, TComponent*, QString& name) { name += QStringLiteral("_copia"); };
    std::vector<TComponent*> got;
    paste.ReadComponents(s.Root.get(), s.Band, [&](TComponent* c) { got.push_back(c); });
    ASSERT_EQ(got.size(), 1u);
    ASSERT_NE(dynamic_cast<TKVLabel*>(got[0]), nullptr);
    EXPECT_EQ(static_cast<TKVLabel*>(got[0])->Caption(), QStringLiteral("Texto"));
    EXPECT_EQ(static_cast<TKVLabel*>(got[0])->Parent(), s.Band);
}
