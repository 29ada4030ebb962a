// Arcs, chords and pies with GDI's geometry: where the rays through the radial points meet the
// ellipse, counter-clockwise unless the arc direction says otherwise; and the same shapes read
// from metafiles written in the published record layouts.

#include "GraphicsTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace tessiv;
using namespace testutil;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Where the ray from the centre at `degrees` (counter-clockwise, y down) meets the ellipse whose
// curve passes through the box's first and last pixels.
QPointF OnEllipse(const TRect& box, double degrees)
{
    const double rx = (box.Right - box.Left - 1) / 2.0, ry = (box.Bottom - box.Top - 1) / 2.0;
    const double cx = box.Left + rx, cy = box.Top + ry;
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    const double t = 1 / std::sqrt(c * c / (rx * rx) + s * s / (ry * ry));
    return {cx + t * c, cy - t * s};
}

bool InkNear(const QImage& img, QPointF p)
{
    return CountInk(img, QRect(int(std::lround(p.x())) - 1, int(std::lround(p.y())) - 1, 3, 3)) > 0;
}

double Wrap(double a) { return std::fmod(std::fmod(a, 360) + 360, 360); }

struct ArcCase {
    const char* Name;
    TRect Box;
    double From, To; // ray angles of the radial points
    int Direction;
};
void PrintTo(const ArcCase& c, std::ostream* os) { *os << c.Name; }

const ArcCase kArcs[] = {
    {"circle quarter", {20, 20, 181, 181}, 0, 90, AD_COUNTERCLOCKWISE},
    {"circle quarter clockwise", {20, 20, 181, 181}, 0, 90, AD_CLOCKWISE},
    {"circle through zero", {20, 20, 181, 181}, 200, 30, AD_COUNTERCLOCKWISE},
    {"circle whole when both rays agree", {20, 20, 181, 181}, 130, 130, AD_COUNTERCLOCKWISE},
    {"wide ellipse", {0, 50, 201, 151}, 45, 135, AD_COUNTERCLOCKWISE},
    {"tall ellipse clockwise", {60, 0, 141, 201}, 300, 60, AD_CLOCKWISE},
    {"box given right to left", {181, 181, 20, 20}, 250, 10, AD_COUNTERCLOCKWISE},
};

class ArcGeometry : public ::testing::TestWithParam<ArcCase> {};

} // namespace

TEST_P(ArcGeometry, InksTheEllipseBetweenTheRaysInTheArcDirection)
{
    const ArcCase& c = GetParam();
    const TRect box = NormalizedRect(c.Box);
    const double cx = (box.Left + box.Right - 1) / 2.0, cy = (box.Top + box.Bottom - 1) / 2.0;
    // Radial points close to the centre: only their direction counts.
    auto radial = [&](double a) {
        return TPoint{int(std::lround(cx + 12 * std::cos(a * kPi / 180))), int(std::lround(cy - 12 * std::sin(a * kPi / 180)))};
    };
    const TPoint s = radial(c.From), e = radial(c.To);
    // The angles the rounded radial points really stand for.
    const double from = std::atan2(cy - s.Y, s.X - cx) * 180 / kPi, to = std::atan2(cy - e.Y, e.X - cx) * 180 / kPi;
    QImage img = WhiteImage(201, 201);
    {
        TImageCanvas canvas(img);
        canvas.SetArcDirection(c.Direction);
        canvas.Arc(c.Box.Left, c.Box.Top, c.Box.Right, c.Box.Bottom, s.X, s.Y, e.X, e.Y);
    }
    const bool whole = Wrap(to - from) < 1e-9;
    const double span = c.Direction == AD_COUNTERCLOCKWISE ? Wrap(to - from) : Wrap(from - to);
    int checked = 0;
    for (double a = 2.5; a < 360; a += 5) {
        const double along = c.Direction == AD_COUNTERCLOCKWISE ? Wrap(a - from) : Wrap(from - a);
        // Near either end the 3 x 3 probe may see the other side of the end point.
        if (!whole && (std::fabs(along) < 6 || std::fabs(along - span) < 6 || std::fabs(along - 360) < 6))
            continue;
        const bool on = whole || along < span;
        EXPECT_EQ(InkNear(img, OnEllipse(box, a)), on) << c.Name << " at " << a << " degrees";
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

INSTANTIATE_TEST_SUITE_P(Cases, ArcGeometry, ::testing::ValuesIn(kArcs));

namespace {

enum class Shape { Chord, Pie };
struct FillCase {
    const char* Name;
    Shape Kind;
    int Direction;
    double Angle, Radius; // a probe, from the centre of the circle of radius 80 at (100, 100)
    bool Filled;
};
void PrintTo(const FillCase& c, std::ostream* os) { *os << c.Name; }

// The quarter from 0 to 90 degrees (or the three quarters the other way round).
const FillCase kFills[] = {
    {"pie reaches the centre", Shape::Pie, AD_COUNTERCLOCKWISE, 45, 40, true},
    {"pie fills out to the curve", Shape::Pie, AD_COUNTERCLOCKWISE, 45, 70, true},
    {"pie leaves the other quarters", Shape::Pie, AD_COUNTERCLOCKWISE, 225, 40, false},
    {"pie clockwise takes the other quarters", Shape::Pie, AD_CLOCKWISE, 225, 40, true},
    {"pie clockwise leaves the quarter", Shape::Pie, AD_CLOCKWISE, 45, 40, false},
    {"chord stops at its straight edge", Shape::Chord, AD_COUNTERCLOCKWISE, 45, 40, false},
    {"chord fills beyond its straight edge", Shape::Chord, AD_COUNTERCLOCKWISE, 45, 70, true},
    {"chord clockwise covers the centre", Shape::Chord, AD_CLOCKWISE, 45, 40, true},
};

class FilledArcs : public ::testing::TestWithParam<FillCase> {};

} // namespace

TEST_P(FilledArcs, FillWithTheBrushInsideTheOutline)
{
    const FillCase& c = GetParam();
    QImage img = WhiteImage(201, 201);
    {
        TImageCanvas canvas(img);
        canvas.Brush()->SetColor(clRed);
        canvas.SetArcDirection(c.Direction);
        if (c.Kind == Shape::Pie)
            canvas.Pie(20, 20, 181, 181, 190, 100, 100, 0);
        else
            canvas.Chord(20, 20, 181, 181, 190, 100, 100, 0);
    }
    const int x = int(std::lround(100 + c.Radius * std::cos(c.Angle * kPi / 180)));
    const int y = int(std::lround(100 - c.Radius * std::sin(c.Angle * kPi / 180)));
    EXPECT_EQ(img.pixel(x, y) == qRgb(255, 0, 0), c.Filled) << c.Name;
    // The outline is drawn with the pen.
    EXPECT_TRUE(InkNear(img, {180, 100}));
    EXPECT_TRUE(InkNear(img, {100, 20}));
}

INSTANTIATE_TEST_SUITE_P(Cases, FilledArcs, ::testing::ValuesIn(kFills));

TEST(Arcs, DegenerateBoxesDrawNothingAndReversedBoxesTheSame)
{
    for (const TRect& empty : {TRect{50, 20, 50, 180}, TRect{20, 90, 180, 90}}) {
        QImage img = WhiteImage(201, 201);
        TImageCanvas canvas(img);
        canvas.Brush()->SetColor(clRed);
        canvas.Arc(empty.Left, empty.Top, empty.Right, empty.Bottom, 200, 100, 100, 0);
        canvas.Pie(empty.Left, empty.Top, empty.Right, empty.Bottom, 200, 100, 100, 0);
        canvas.Chord(empty.Left, empty.Top, empty.Right, empty.Bottom, 200, 100, 100, 0);
        EXPECT_EQ(CountInk(img, img.rect()), 0);
    }
    auto pie = [](TRect r) {
        QImage img = WhiteImage(201, 201);
        TImageCanvas canvas(img);
        canvas.Brush()->SetColor(clBlue);
        canvas.Pie(r.Left, r.Top, r.Right, r.Bottom, 0, 0, 200, 150);
        return img;
    };
    const QImage straight = pie({20, 30, 181, 171});
    EXPECT_GT(CountInk(straight, straight.rect()), 1000);
    EXPECT_EQ(CountDifferent(straight, pie({181, 171, 20, 30})), 0);
}

TEST(Arcs, ArcDirectionIsKeptBySaveAndRestore)
{
    QImage img = WhiteImage(10, 10);
    TImageCanvas canvas(img);
    EXPECT_EQ(canvas.ArcDirection(), AD_COUNTERCLOCKWISE);
    const int level = canvas.SaveDC();
    EXPECT_EQ(canvas.SetArcDirection(AD_CLOCKWISE), AD_COUNTERCLOCKWISE);
    canvas.SetArcDirection(7); // not a direction: ignored
    EXPECT_EQ(canvas.ArcDirection(), AD_CLOCKWISE);
    canvas.RestoreDC(level);
    EXPECT_EQ(canvas.ArcDirection(), AD_COUNTERCLOCKWISE);
}

TEST(Arcs, ArcToJoinsTheArcToThePenAndMovesItToTheEnd)
{
    QImage img = WhiteImage(201, 201);
    TImageCanvas canvas(img);
    canvas.MoveTo(10, 190);
    canvas.ArcTo(20, 20, 181, 181, 200, 100, 100, 0); // a quarter from (180, 100) to (100, 20)
    EXPECT_EQ(canvas.PenPos(), (TPoint{100, 20}));
    EXPECT_TRUE(InkNear(img, {95, 145}));                   // the line from (10, 190) to (180, 100)
    EXPECT_TRUE(InkNear(img, OnEllipse({20, 20, 181, 181}, 45)));
    EXPECT_FALSE(InkNear(img, OnEllipse({20, 20, 181, 181}, 135)));
}

namespace {
struct AngleArcCase {
    const char* Name;
    float Start, Sweep;
    TPoint PenAfter;
    double InkedAt, BlankAt;
};
void PrintTo(const AngleArcCase& c, std::ostream* os) { *os << c.Name; }
const AngleArcCase kAngleArcs[] = {
    {"positive sweep turns counter-clockwise", 0, 90, {100, 20}, 45, 315},
    {"negative sweep turns clockwise", 0, -90, {100, 180}, 315, 45},
    {"starting at 180", 180, 45, {43, 157}, 200, 160},
    {"a whole turn", 30, 360, {169, 60}, 250, -1},
};
class AngleArcs : public ::testing::TestWithParam<AngleArcCase> {};
} // namespace

TEST_P(AngleArcs, DrawTheSweepWhateverTheArcDirection)
{
    const AngleArcCase& c = GetParam();
    for (int direction : {AD_COUNTERCLOCKWISE, AD_CLOCKWISE}) {
        QImage img = WhiteImage(201, 201);
        TImageCanvas canvas(img);
        canvas.SetArcDirection(direction);
        canvas.MoveTo(100, 100);
        canvas.AngleArc(100, 100, 80, c.Start, c.Sweep);
        EXPECT_EQ(canvas.PenPos(), c.PenAfter) << c.Name;
        const TRect circle{20, 20, 181, 181};
        EXPECT_TRUE(InkNear(img, OnEllipse(circle, c.InkedAt))) << c.Name;
        if (c.BlankAt >= 0)
            EXPECT_FALSE(InkNear(img, OnEllipse(circle, c.BlankAt))) << c.Name;
        // The line from the pen to the arc's start.
        const double a = c.Start * kPi / 180;
        EXPECT_TRUE(InkNear(img, {100 + 40 * std::cos(a), 100 - 40 * std::sin(a)})) << c.Name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AngleArcs, ::testing::ValuesIn(kAngleArcs));

namespace {

struct PlayedCase {
    const char* Name;
    bool Wmf;
    std::function<QByteArray()> Records;
    std::function<void(TCanvas&)> Direct;
    int Tolerance = 12; // differing pixels
};
void PrintTo(const PlayedCase& c, std::ostream* os) { *os << c.Name; }

// A red pen and a blue brush, selected.
QByteArray EmfTools()
{
    return EmfRecord(38, Ints({1, 0, 1, 0, 0x0000FF})) + EmfRecord(37, Ints({1})) +
           EmfRecord(39, Ints({2, 0, 0xFF0000, 0})) + EmfRecord(37, Ints({2}));
}
QByteArray WmfTools()
{
    return WmfRecord(0x02FA, {0, 1, 0}, Le32(0x0000FF)) + WmfRecord(0x012D, {0}) +
           WmfRecord(0x02FC, {0}, Le32(0xFF0000) + Le16(0)) + WmfRecord(0x012D, {1});
}
void Tools(TCanvas& c)
{
    c.Pen()->SetColor(clRed);
    c.Brush()->SetColor(clBlue);
}

const PlayedCase kPlayed[] = {
    {"EMR_ARC", false, [] { return EmfTools() + EmfRecord(45, Ints({10, 10, 91, 91, 95, 50, 50, 0})); },
     [](TCanvas& c) { Tools(c); c.Arc(10, 10, 91, 91, 95, 50, 50, 0); }},
    {"EMR_SETARCDIRECTION then EMR_ARC", false,
     [] { return EmfTools() + EmfRecord(57, Ints({2})) + EmfRecord(45, Ints({10, 10, 91, 91, 95, 50, 50, 0})); },
     [](TCanvas& c) { Tools(c); c.SetArcDirection(AD_CLOCKWISE); c.Arc(10, 10, 91, 91, 95, 50, 50, 0); }},
    {"EMR_CHORD", false, [] { return EmfTools() + EmfRecord(46, Ints({10, 20, 91, 81, 0, 0, 100, 60})); },
     [](TCanvas& c) { Tools(c); c.Chord(10, 20, 91, 81, 0, 0, 100, 60); }},
    {"EMR_PIE", false, [] { return EmfTools() + EmfRecord(47, Ints({10, 10, 91, 91, 50, 100, 100, 50})); },
     [](TCanvas& c) { Tools(c); c.Pie(10, 10, 91, 91, 50, 100, 100, 50); }},
    {"EMR_ARCTO", false,
     [] { return EmfTools() + EmfRecord(27, Ints({5, 95})) + EmfRecord(55, Ints({10, 10, 91, 91, 95, 50, 50, 0})) + EmfRecord(54, Ints({5, 5})); },
     [](TCanvas& c) { Tools(c); c.MoveTo(5, 95); c.ArcTo(10, 10, 91, 91, 95, 50, 50, 0); c.LineTo(5, 5); }},
    {"EMR_ANGLEARC", false,
     [] { return EmfTools() + EmfRecord(27, Ints({50, 50})) + EmfRecord(41, Ints({50, 50, 40}) + Float32(30) + Float32(-200)); },
     [](TCanvas& c) { Tools(c); c.MoveTo(50, 50); c.AngleArc(50, 50, 40, 30, -200); }},
    {"EMR_ARCTO in a filled path", false,
     [] {
         return EmfTools() + EmfRecord(59, {}) + EmfRecord(27, Ints({50, 50})) +
                EmfRecord(55, Ints({10, 10, 91, 91, 95, 50, 50, 0})) + EmfRecord(61, {}) + EmfRecord(60, {}) + EmfRecord(62, {});
     },
     // A path is cut into straight pieces: edge pixels of the fill may fall the other way.
     [](TCanvas& c) { Tools(c); c.Pen()->SetStyle(psClear); c.Pie(10, 10, 91, 91, 95, 50, 50, 0); }, 30},
    {"EMR_PIE in a y-up mapping keeps its direction on the page", false,
     [] {
         return EmfTools() + EmfRecord(17, Ints({MM_ANISOTROPIC})) + EmfRecord(9, Ints({100, -100})) +
                EmfRecord(11, Ints({100, 100})) + EmfRecord(10, Ints({0, 100})) +
                EmfRecord(47, Ints({10, 90, 91, 9, 95, 50, 50, 100}));
     },
     [](TCanvas& c) { Tools(c); c.Pie(10, 10, 91, 91, 95, 50, 50, 0); }},
    {"META_ARC", true, [] { return WmfTools() + WmfRecord(0x0817, {0, 50, 50, 95, 91, 91, 10, 10}); },
     [](TCanvas& c) { Tools(c); c.Arc(10, 10, 91, 91, 95, 50, 50, 0); }},
    {"META_CHORD", true, [] { return WmfTools() + WmfRecord(0x0830, {60, 100, 0, 0, 81, 91, 20, 10}); },
     [](TCanvas& c) { Tools(c); c.Chord(10, 20, 91, 81, 0, 0, 100, 60); }},
    {"META_PIE", true, [] { return WmfTools() + WmfRecord(0x081A, {50, 100, 100, 50, 91, 91, 10, 10}); },
     [](TCanvas& c) { Tools(c); c.Pie(10, 10, 91, 91, 50, 100, 100, 50); }},
};

class PlayedArcs : public ::testing::TestWithParam<PlayedCase> {};

} // namespace

TEST_P(PlayedArcs, PlayLikeTheCanvasDrawsThem)
{
    const PlayedCase& c = GetParam();
    const QByteArray bytes = c.Wmf ? WmfWith(c.Records()) : EmfWith(c.Records());
    TMetafile mf;
    mf.SetData(bytes);
    QImage played = WhiteImage(100, 100);
    {
        TImageCanvas canvas(played);
        mf.Play(canvas, {0, 0, 100, 100});
    }
    QImage direct = WhiteImage(100, 100);
    {
        TImageCanvas canvas(direct);
        c.Direct(canvas);
    }
    EXPECT_GT(CountInk(direct, direct.rect()), 40);
    EXPECT_LE(CountDifferent(direct, played, 48), c.Tolerance) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Records, PlayedArcs, ::testing::ValuesIn(kPlayed));
