// The design surface's grid, margins, frame and column guides: the lines worked out for each unit
// and zoom, the guides of a three-column A4 page, the colour scheme by the display's colour count,
// and what a report and a band put on an image.
#include "designer/document/Hidden.h"
#include "engine/design/DesignColours.h"
#include "engine/model/EngineClasses.h"
#include "engine/model/KVBands.h"
#include "engine/design/KVDesignPaint.h"
#include "engine/model/VardoRep.h"
#include "platform/graphics/Canvas.h"
#include "platform/ui/ControlHost.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;

namespace {

std::vector<int> Positions(const std::vector<TRulerLine>& lines, bool vertical, int count)
{
    std::vector<int> out;
    for (const TRulerLine& l : lines)
        if (l.Vertical == vertical && static_cast<int>(out.size()) < count)
            out.push_back(l.Pos);
    return out;
}

std::vector<QString> Numbers(const std::vector<TRulerLine>& lines, bool vertical, int count)
{
    std::vector<QString> out;
    for (const TRulerLine& l : lines)
        if (l.Vertical == vertical && static_cast<int>(out.size()) < count)
            out.push_back(l.Number);
    return out;
}

bool AnyNumber(const std::vector<TRulerLine>& lines)
{
    for (const TRulerLine& l : lines)
        if (!l.Number.isEmpty())
            return true;
    return false;
}

struct TReportOnForm {
    TReportOnForm()
    {
        RegisterEngineClasses();
        Root.reset(new TfmHidden(nullptr));
        Report = new TVardoRep(Root.get());
        Report->SetName(QStringLiteral("Relatorio"));
        Report->SetParent(Root.get());
    }
    std::unique_ptr<TfmHidden, TComponentDeleter> Root;
    TVardoRep* Report = nullptr;
};

QRgb Rgb(TColor c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

} // namespace

TEST(DesignRuler, MillimetresAtFullZoomLineEvery5MmNumberedEachCentimetre)
{
    const auto lines = RulerLines(kvunMM, 100, 96, 400, 200, true, 10);
    EXPECT_EQ(Positions(lines, true, 4), (std::vector<int>{19, 38, 57, 76}));
    EXPECT_EQ(Numbers(lines, true, 4), (std::vector<QString>{"", "1", "", "2"}));
    EXPECT_EQ(lines[0].Kind, TRulerLine::Minor);
    EXPECT_EQ(lines[1].Kind, TRulerLine::Major);
    // 400 pixels hold R(400 x 508 / 9600) = 21 lines across, then the horizontal ones.
    EXPECT_EQ(Positions(lines, true, 100).size(), 21u);
    EXPECT_EQ(Positions(lines, false, 3), (std::vector<int>{19, 38, 57}));
    EXPECT_EQ(Numbers(lines, false, 2), (std::vector<QString>{"", "1"}));
}

TEST(DesignRuler, MillimetresBelowSixtyPercentKeepOnlyCentimetreLinesUnnumbered)
{
    const auto at59 = RulerLines(kvunMM, 59, 96, 400, 200, true, 10);
    // Every line left is an even one: k x 96 x 59 / 508 for k = 2, 4, 6.
    EXPECT_EQ(Positions(at59, true, 3), (std::vector<int>{22, 45, 67}));
    for (const TRulerLine& l : at59)
        EXPECT_EQ(l.Kind, TRulerLine::Major);
    EXPECT_FALSE(AnyNumber(at59));

    const auto at60 = RulerLines(kvunMM, 60, 96, 400, 200, true, 10);
    EXPECT_EQ(at60[0].Kind, TRulerLine::Minor);
    EXPECT_EQ(at60[1].Number, "1");
}

TEST(DesignRuler, NativeUnitsNumberInTenthsOfAMillimetre)
{
    const auto lines = RulerLines(kvunNative, 100, 96, 200, 100, true, 10);
    EXPECT_EQ(Numbers(lines, true, 4), (std::vector<QString>{"", "100", "", "200"}));
}

TEST(DesignRuler, InchesKeepQuarterLinesFromFiftyPercentAndNumberInchesAtAnyZoom)
{
    const auto at50 = RulerLines(kvunInches, 50, 96, 200, 100, true, 10);
    // A quarter inch at 50 %: 12 pixels.
    EXPECT_EQ(Positions(at50, true, 5), (std::vector<int>{12, 24, 36, 48, 60}));
    EXPECT_EQ(Numbers(at50, true, 4), (std::vector<QString>{"", "", "", "1"}));

    const auto at49 = RulerLines(kvunInches, 49, 96, 200, 100, true, 10);
    // Only whole inches: R(4 x 96 x 49 / 400) = 47, 94 ...
    EXPECT_EQ(Positions(at49, true, 4), (std::vector<int>{47, 94, 141, 188}));
    EXPECT_EQ(Numbers(at49, true, 2), (std::vector<QString>{"1", "2"}));
}

TEST(DesignRuler, PixelsLineEveryTenNumberedEveryFifty)
{
    const auto at100 = RulerLines(kvunPixels, 100, 96, 120, 60, true, 10);
    EXPECT_EQ(Positions(at100, true, 12), (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}));
    EXPECT_EQ(at100[4].Number, "50");
    EXPECT_EQ(at100[9].Number, "100");
    EXPECT_EQ(at100[4].Kind, TRulerLine::Major);
    EXPECT_EQ(at100[3].Kind, TRulerLine::Minor);

    const auto at25 = RulerLines(kvunPixels, 25, 96, 120, 60, true, 10);
    // Every fiftieth report pixel at a quarter size; no numbers below sixty percent.
    EXPECT_EQ(Positions(at25, true, 3), (std::vector<int>{12, 25, 38}));
    EXPECT_FALSE(AnyNumber(at25));
}

TEST(DesignRuler, CharacterGridIgnoresTheZoomAndNumbersEveryLine)
{
    for (int zoom : {25, 100, 200}) {
        SCOPED_TRACE(zoom);
        const auto lines = RulerLines(kvunCharacters, zoom, 96, 300, 70, true, 10);
        // Ten Arial 10 characters are 22.047 mm, a line 3.9677 mm.
        EXPECT_EQ(Positions(lines, true, 3), (std::vector<int>{83, 167, 250}));
        EXPECT_EQ(Numbers(lines, true, 3), (std::vector<QString>{"10", "20", "30"}));
        EXPECT_EQ(Positions(lines, false, 4), (std::vector<int>{15, 30, 45, 60}));
        EXPECT_EQ(Numbers(lines, false, 4), (std::vector<QString>{"1", "2", "3", "4"}));
        for (const TRulerLine& l : lines)
            EXPECT_EQ(l.Kind, TRulerLine::Character);
    }
}

TEST(DesignRuler, BandsGetTheSameLinesWithoutNumbers)
{
    const auto report = RulerLines(kvunMM, 100, 96, 300, 100, true, 10);
    const auto band = RulerLines(kvunMM, 100, 96, 300, 100, false, 10);
    ASSERT_EQ(report.size(), band.size());
    for (size_t i = 0; i < band.size(); ++i) {
        EXPECT_EQ(band[i].Pos, report[i].Pos);
        EXPECT_TRUE(band[i].Number.isEmpty());
    }
}

TEST(DesignRuler, NothingForAZeroZoomOrResolution)
{
    EXPECT_TRUE(RulerLines(kvunMM, 0, 96, 300, 100, true, 10).empty());
    EXPECT_TRUE(RulerLines(kvunInches, 100, 0, 300, 100, true, 10).empty());
    EXPECT_TRUE(RulerLines(kvunCharacters, 100, 96, 300, 100, true, 0).empty());
}

TEST(DesignGuides, ThreeColumnA4PageTicksAtEachInnerBoundaryAndTheMarginRectangle)
{
    TReportOnForm doc;
    TKVPage* page = doc.Report->Page();
    page->SetUnits(kvunMM);
    page->SetPaperSize(TKVPaperSize::A4);
    page->SetOrientation(TPrinterOrientation::poPortrait);
    page->SetLeftMargin(10);
    page->SetRightMargin(10);
    page->SetTopMargin(10);
    page->SetBottomMargin(10);
    page->SetColumnSpace(5);
    page->SetColumns(3);
    // 210 mm at 96 PPI: 793.7 px; margins 37.8 px; the space 18.9 px; a column R(680.3 / 3) = 227.
    EXPECT_EQ(DesignColumnTicks(*doc.Report), (std::vector<int>{265, 284, 511, 530}));
    EXPECT_EQ(DesignColumnTickBottom(*doc.Report), 38);
    const TRect m = DesignMarginRect(*doc.Report);
    EXPECT_EQ(m.Left, 38);
    EXPECT_EQ(m.Top, 38);
    EXPECT_EQ(m.Right, doc.Report->Width() - 38);
    EXPECT_EQ(m.Bottom, doc.Report->Height() - 38);
    const TRect f = DesignFrameRect(*doc.Report);
    EXPECT_EQ(f.Right, 756 - 1); // R(793.7 - 37.8) - 1
    EXPECT_EQ(f.Bottom, 1085 - 1); // R(1122.5 - 37.8) - 1
    // The page keeps its own unit.
    EXPECT_EQ(page->GetUnits(), kvunMM);

    page->SetColumns(1);
    EXPECT_TRUE(DesignColumnTicks(*doc.Report).empty());
}

TEST(DesignColoursScheme, ChosenByTheDisplaysColourCount)
{
    struct Case {
        int Colours;
        bool Grey;
    } cases[] = {{-1, false}, {0, true}, {2, true}, {16, true}, {256, true}, {257, false}, {65536, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Colours);
        SelectDesignColoursFor(c.Colours);
        const TDesignColours& dc = DesignColours();
        if (c.Grey) {
            EXPECT_EQ(dc.MinorLineStyle, psDot);
            EXPECT_EQ(dc.MinorLineColour, RGB(192, 192, 192));
            EXPECT_EQ(dc.GuideStyle, psDash);
            EXPECT_EQ(dc.GuideColour, RGB(128, 128, 128));
            EXPECT_EQ(dc.BandOutlineStyle, psSolid);
        } else {
            EXPECT_EQ(dc.MinorLineStyle, psSolid);
            EXPECT_EQ(dc.MinorLineColour, RGB(249, 249, 249));
            EXPECT_EQ(dc.MajorLineColour, RGB(240, 240, 240));
            EXPECT_EQ(dc.GuideStyle, psDot);
            EXPECT_EQ(dc.GuideColour, RGB(128, 128, 255));
            EXPECT_EQ(dc.BandOutlineColour, RGB(96, 96, 96));
        }
        EXPECT_EQ(dc.RulerFontName, "Small Fonts");
        EXPECT_EQ(dc.RulerFontSize, 6);
    }
    SetLightDesignColours();
}

TEST(DesignPaint, AReportDrawsItsGridMarginsAndFrameAndABandItsCaption)
{
    SetLightDesignColours();
    TReportOnForm doc;
    TVardoRep* report = doc.Report;
    report->Page()->SetUnits(kvunMM);
    report->Page()->SetLeftMargin(10);
    report->Page()->SetTopMargin(10);
    report->Frame()->SetDrawLeft(true);
    report->Frame()->SetColor(clRed);
    report->CreateBand(rbDetail);
    ASSERT_GT(report->ControlCount(), 0);
    auto* band = dynamic_cast<TKVCustomBand*>(report->Controls(0));
    ASSERT_NE(band, nullptr);

    QImage image(report->Width(), report->Height(), QImage::Format_RGB32);
    {
        TImageCanvas canvas(image);
        report->Paint(canvas);
    }
    // A centimetre line at 38 (above the margin, where only the grid is).
    EXPECT_EQ(image.pixel(38, 20), Rgb(RGB(240, 240, 240)));
    // The frame's left side lies along the left margin, below the top margin.
    EXPECT_EQ(image.pixel(38, 60), Rgb(clRed));

    QImage bandImage(band->Width(), band->Height(), QImage::Format_RGB32);
    {
        TImageCanvas canvas(bandImage);
        band->Paint(canvas);
    }
    // The caption's ink in the ruler colour near the band's bottom-left corner.
    int ink = 0;
    for (int y = bandImage.height() / 2; y < bandImage.height() - 1; ++y)
        for (int x = 2; x < 60 && x < bandImage.width(); ++x)
            if (qGray(bandImage.pixel(x, y)) < 180)
                ++ink;
    EXPECT_GT(ink, 5);
    // The outline's first dot at the band's top-left corner.
    EXPECT_EQ(bandImage.pixel(0, 0), Rgb(RGB(96, 96, 96)));
}

TEST(DesignPaint, TheSurfaceWidgetShowsTheBandsCaptions)
{
    SetLightDesignColours();
    TReportOnForm doc;
    TVardoRep* report = doc.Report;
    report->CreateBand(rbTitle);
    report->CreateBand(rbDetail);
    doc.Root->SetBounds(0, 0, report->Width(), report->Height());
    TControlHost host;
    host.SetRoot(doc.Root.get());
    host.SetMargin(0);
    host.resize(400, 300);
    host.UpdateSurfaceSize();
    const QImage shot = host.Surface()->grab().toImage();
    // Each band's caption in the ruler colour at its lower left, the report's first number above.
    for (TKVCustomBand* band : report->BandList()) {
        int ink = 0;
        for (int y = band->Top() + band->Height() - 16; y < band->Top() + band->Height() - 2; ++y)
            for (int x = band->Left() + 2; x < band->Left() + 40; ++x)
                ink += qGray(shot.pixel(x, y)) < 180;
        EXPECT_GT(ink, 5) << band->Name().toStdString();
    }
    int number = 0;
    for (int y = 2; y < 12; ++y)
        for (int x = 40; x < 46; ++x)
            number += qGray(shot.pixel(x, y)) < 200;
    EXPECT_GT(number, 0);
}
