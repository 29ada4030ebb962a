// Pages drawn on the recording canvas and played back must look like the same drawing made
// straight on an image.

#include "GraphicsTestUtil.h"

#include "platform/core/Streams.h"
#include "platform/graphics/Metafile.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tessiv;
using namespace testutil;

namespace {

using Scene = std::function<void(TCanvas&)>;

QImage Direct(const Scene& scene, int w, int h)
{
    QImage img = WhiteImage(w, h);
    TImageCanvas c(img);
    scene(c);
    return img;
}

std::unique_ptr<TMetafile> Record(const Scene& scene, int w, int h)
{
    auto mf = std::make_unique<TMetafile>();
    mf->SetWidth(w);
    mf->SetHeight(h);
    {
        TMetafileCanvas c(*mf);
        scene(c);
    }
    return mf;
}

QImage PlayedBack(const TMetafile& mf, int w, int h)
{
    QImage img = WhiteImage(w, h);
    TImageCanvas c(img);
    mf.Play(c, {0, 0, w, h});
    return img;
}

struct SceneCase {
    const char* Name;
    Scene Draw;
};

void PrintTo(const SceneCase& c, std::ostream* os) { *os << c.Name; }

QImage Checker(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, ((x / 4 + y / 4) % 2) ? qRgb(200, 30, 30) : qRgb(20, 20, 220));
    return img;
}

const SceneCase kScenes[] = {
    {"lines", [](TCanvas& c) {
         c.Pen()->SetColor(clBlue);
         c.MoveTo(10, 10);
         c.LineTo(150, 10);
         c.LineTo(150, 90);
         c.LineTo(20, 60);
         c.Pen()->SetStyle(psDot);
         c.MoveTo(10, 100);
         c.LineTo(180, 110);
         c.Pen()->SetStyle(psSolid);
         c.Pen()->SetWidth(3);
         c.Polyline({{30, 120}, {60, 140}, {90, 120}});
     }},
    {"frames and fills", [](TCanvas& c) {
         c.Brush()->SetColor(clYellow);
         c.Rectangle(10, 10, 60, 40);
         c.Brush()->SetColor(clLime);
         c.FillRect({70, 10, 120, 40});
         c.Brush()->SetColor(clRed);
         c.FrameRect({130, 10, 180, 40});
         c.Brush()->SetStyle(bsClear);
         c.Pen()->SetColor(clNavy);
         c.Rectangle(10, 50, 100, 90);
         c.Brush()->SetStyle(bsDiagCross);
         c.Brush()->SetColor(clGreen);
         c.Rectangle(110, 50, 180, 90);
         c.Brush()->SetStyle(bsSolid);
         c.Brush()->SetColor(clAqua);
         c.Polygon({{20, 100}, {80, 100}, {50, 140}});
     }},
    {"ellipses", [](TCanvas& c) {
         c.Brush()->SetColor(clFuchsia);
         c.Ellipse(10, 10, 90, 70);
         c.Brush()->SetStyle(bsClear);
         c.Pen()->SetWidth(2);
         c.Ellipse(100, 20, 180, 140);
         c.Pen()->SetWidth(1);
         c.Brush()->SetColor(clSilver);
         c.RoundRect(20, 80, 90, 140, 20, 20);
     }},
    {"arcs, chords and pies", [](TCanvas& c) {
         c.Pen()->SetColor(clNavy);
         c.Arc(10, 10, 70, 70, 70, 40, 40, 0);
         c.SetArcDirection(AD_CLOCKWISE);
         c.Arc(80, 10, 190, 60, 190, 35, 135, 0);
         c.SetArcDirection(AD_COUNTERCLOCKWISE);
         c.Brush()->SetColor(clYellow);
         c.Pie(10, 80, 90, 140, 0, 80, 90, 140);
         c.Brush()->SetColor(clLime);
         c.Pen()->SetWidth(3);
         c.Chord(100, 70, 190, 140, 100, 70, 190, 140);
         c.Pen()->SetWidth(1);
         c.MoveTo(5, 145);
         c.ArcTo(120, 90, 170, 130, 170, 110, 145, 90);
         c.AngleArc(40, 110, 15, 90, -270);
     }},
    {"styled pens", [](TCanvas& c) {
         c.Brush()->SetStyle(bsClear);
         c.SetBkMode(OPAQUE);
         c.SetBkColor(clYellow);
         c.Pen()->SetStyle(psDot);
         c.Ellipse(5, 5, 75, 75);
         c.Pen()->SetStyle(psDash);
         c.RoundRect(80, 5, 190, 70, 30, 20);
         c.Pen()->SetStyle(psDashDotDot);
         c.Rectangle(85, 15, 180, 60);
         c.Brush()->SetStyle(bsSolid);
         c.Brush()->SetColor(clAqua);
         c.SetBkMode(OPAQUE);
         c.SetBkColor(clRed);
         c.Pen()->SetStyle(psDashDot);
         c.Pie(5, 80, 75, 145, 75, 110, 40, 80);
         c.Chord(80, 80, 140, 145, 140, 80, 80, 145);
         c.SetBkMode(TRANSPARENT);
         c.Pen()->SetStyle(psDot);
         c.Arc(20, 20, 60, 60, 60, 40, 20, 40);
         c.Polygon({{150, 80}, {195, 100}, {160, 140}});
         c.Pen()->SetStyle(psInsideFrame);
         c.Pen()->SetWidth(5);
         c.Pen()->SetColor(clBlue);
         c.Ellipse(145, 75, 195, 145);
     }},
    {"text", [](TCanvas& c) {
         c.Font()->SetName(QStringLiteral("Arial"));
         c.Font()->SetSize(12);
         c.Font()->SetColor(clMaroon);
         c.Brush()->SetStyle(bsClear);
         c.TextOut(10, 10, QStringLiteral("Relatório Tessiv"));
         c.Font()->SetStyle({fsBold, fsUnderline});
         c.SetTextAlign(TA_RIGHT);
         c.TextOut(190, 40, QStringLiteral("Total: 1.234,56"));
         c.SetTextAlign(TA_CENTER | TA_BASELINE);
         c.Font()->SetStyle({fsItalic});
         c.TextOut(100, 90, QStringLiteral("centro"));
         c.SetTextAlign(TA_LEFT | TA_TOP);
         c.Brush()->SetStyle(bsSolid);
         c.Brush()->SetColor(clYellow);
         c.Font()->SetStyle({});
         c.TextRect({10, 110, 70, 130}, 12, 112, QStringLiteral("recortado demais"));
     }},
    {"rotated text", [](TCanvas& c) {
         c.Rectangle(2, 2, 198, 148);
         c.Font()->SetName(QStringLiteral("Arial"));
         c.Font()->SetSize(11);
         c.Brush()->SetStyle(bsClear);
         c.Font()->SetOrientation(900);
         c.TextOut(20, 140, QStringLiteral("noventa"));
         c.Font()->SetOrientation(1800);
         c.TextOut(180, 60, QStringLiteral("cento e oitenta"));
         c.Font()->SetOrientation(2700);
         c.TextOut(170, 70, QStringLiteral("270 graus"));
     }},
    {"bitmaps", [](TCanvas& c) {
         const QImage img = Checker(16, 12);
         c.StretchDIBits({10, 10, 26, 22}, {0, 0, 16, 12}, img);
         c.StretchDIBits({40, 10, 120, 70}, {0, 0, 16, 12}, img);
         c.StretchDIBits({130, 80, 190, 140}, {4, 4, 12, 12}, img);
     }},
    {"clipping", [](TCanvas& c) {
         c.IntersectClipRect({20, 20, 120, 100});
         c.Brush()->SetColor(clBlue);
         c.Ellipse(0, 0, 150, 150);
         c.SelectClipRgn(nullptr);
         c.ExcludeClipRect({140, 10, 160, 140});
         c.Brush()->SetColor(clRed);
         c.FillRect({130, 20, 190, 60});
         c.SelectClipRgn(nullptr);
         c.Pen()->SetColor(clGreen);
         c.MoveTo(0, 145);
         c.LineTo(200, 145);
     }},
    {"mapping mode", [](TCanvas& c) {
         c.SetMapMode(MM_ANISOTROPIC);
         c.SetWindowExt(1000, 1000);
         c.SetViewportExt(200, 150);
         c.SetViewportOrg(5, 5);
         c.Brush()->SetColor(clTeal);
         c.Rectangle(0, 0, 500, 500);
         c.Font()->SetName(QStringLiteral("Arial"));
         c.Font()->SetHeight(-80);
         c.Brush()->SetStyle(bsClear);
         c.TextOut(100, 600, QStringLiteral("escala"));
     }},
};

class MetafileScenes : public ::testing::TestWithParam<SceneCase> {};

} // namespace

TEST_P(MetafileScenes, PlaybackMatchesDirectDrawing)
{
    const int w = 200, h = 150;
    const QImage direct = Direct(GetParam().Draw, w, h);
    const auto mf = Record(GetParam().Draw, w, h);
    const QImage played = PlayedBack(*mf, w, h);
    EXPECT_GT(CountInk(direct, direct.rect()), 20) << "the scene draws something";
    // Text is anti-aliased the same way on both paths; a few edge pixels may differ.
    const int differing = CountDifferent(direct, played, 48);
    EXPECT_LE(differing, w * h / 500) << GetParam().Name;
    if (differing > w * h / 500 || qEnvironmentVariableIsSet("TESSIV_KEEP_IMAGES")) {
        direct.save(TempPath(QStringLiteral("direct_%1.png").arg(QString::fromLatin1(GetParam().Name).replace(' ', '_'))));
        played.save(TempPath(QStringLiteral("played_%1.png").arg(QString::fromLatin1(GetParam().Name).replace(' ', '_'))));
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, MetafileScenes, ::testing::ValuesIn(kScenes));
