#include "engine/design/KVDesignPaint.h"

#include "engine/design/DesignColours.h"
#include "engine/model/KVBands.h"
#include "engine/model/KVBasePanel.h"
#include "engine/model/VardoRep.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"

#include <cstdlib>

namespace tessiv {

namespace {
int R(long double v) { return static_cast<int>(Round(v)); }

// The page read in pixels at the report's zoom, its own unit given back afterwards.
struct TPixelPage {
    explicit TPixelPage(TKVPage& p) : Page(p) { Page.PushPixelUnits(); }
    ~TPixelPage() { Page.PopUnits(); }
    TKVPage& Page;
};

// Lines k = 1 .. n of one direction; each unit's rule decides position, kind and number.
template <class Fn>
void AddLines(std::vector<TRulerLine>& out, bool vertical, int n, Fn&& line)
{
    for (int k = 1; k <= n; ++k) {
        TRulerLine l;
        l.Vertical = vertical;
        if (line(k, l))
            out.push_back(l);
    }
}
} // namespace

std::vector<TRulerLine> RulerLines(TKVUnit units, int zoom, int ppi, int width, int height, bool numbers,
                                   int charSize)
{
    std::vector<TRulerLine> lines;
    const long double Z = zoom;
    const long double P = ppi;
    if (zoom <= 0 || ppi <= 0)
        return lines;
    switch (units) {
    case kvunMM:
    case kvunNative: {
        // A line every 5 mm; the even ones (each centimetre) are major and numbered.
        const bool detail = zoom > 59;
        const auto line = [&](int k, TRulerLine& l) {
            l.Pos = R(k * P * Z / 508);
            l.Kind = k % 2 == 0 ? TRulerLine::Major : TRulerLine::Minor;
            if (l.Kind == TRulerLine::Minor && !detail)
                return false;
            if (numbers && detail && l.Kind == TRulerLine::Major)
                l.Number = QString::number(units == kvunMM ? k / 2 : k / 2 * 100);
            return true;
        };
        AddLines(lines, true, R(width * 508.0L / (P * Z)), line);
        AddLines(lines, false, R(height * 508.0L / (P * Z)), line);
        break;
    }
    case kvunInches: {
        // A line every quarter inch; whole inches are major and numbered at any zoom.
        const bool detail = zoom > 49;
        const auto line = [&](int k, TRulerLine& l) {
            l.Pos = R(k * P * Z / 400);
            l.Kind = k % 4 == 0 ? TRulerLine::Major : TRulerLine::Minor;
            if (l.Kind == TRulerLine::Minor && !detail)
                return false;
            if (numbers && l.Kind == TRulerLine::Major)
                l.Number = QString::number(k / 4);
            return true;
        };
        AddLines(lines, true, R(width / P / Z * 400), line);
        AddLines(lines, false, R(height / P / Z * 400), line);
        break;
    }
    case kvunPixels: {
        // A line every 10 report pixels; every fiftieth pixel is major.
        const bool detail = zoom > 59;
        const auto line = [&](int k, TRulerLine& l) {
            l.Pos = R(k * Z / 10);
            l.Kind = k % 5 == 0 ? TRulerLine::Major : TRulerLine::Minor;
            if (l.Kind == TRulerLine::Minor && !detail)
                return false;
            if (numbers && detail && l.Kind == TRulerLine::Major)
                l.Number = QString::number(k * 10);
            return true;
        };
        AddLines(lines, true, R(width * 10.0L / Z), line);
        AddLines(lines, false, R(height * 10.0L / Z), line);
        break;
    }
    case kvunCharacters: {
        // Character cells ignore the zoom: across every 10 characters, down every line.
        const long double cw = CharacterWidth(charSize);
        const long double ch = CharacterHeight(charSize);
        if (cw <= 0 || ch <= 0)
            break;
        AddLines(lines, true, R(width / P * 25.4L / cw / 10), [&](int k, TRulerLine& l) {
            l.Pos = R(cw * k * P / 2.54L);
            l.Kind = TRulerLine::Character;
            if (numbers)
                l.Number = QString::number(k * 10);
            return true;
        });
        AddLines(lines, false, R(height / P * 25.4L / ch), [&](int k, TRulerLine& l) {
            l.Pos = R(ch * k * P / 25.4L);
            l.Kind = TRulerLine::Character;
            if (numbers)
                l.Number = QString::number(k);
            return true;
        });
        break;
    }
    }
    return lines;
}

TRect DesignMarginRect(TVardoRep& report)
{
    TPixelPage px(*report.Page());
    const TKVPage& p = px.Page;
    return TRect{R(p.LeftMargin()), R(p.TopMargin()), report.Width() - R(p.RightMargin()),
                 report.Height() - R(p.BottomMargin())};
}

TRect DesignFrameRect(TVardoRep& report)
{
    TPixelPage px(*report.Page());
    const TKVPage& p = px.Page;
    return TRect{R(p.LeftMargin()), R(p.TopMargin()), R(p.Width() - p.RightMargin()) - 1,
                 R(p.Length() - p.BottomMargin()) - 1};
}

std::vector<int> DesignColumnTicks(TVardoRep& report)
{
    std::vector<int> ticks;
    TPixelPage px(*report.Page());
    const TKVPage& p = px.Page;
    const int c = p.Columns();
    if (c <= 1)
        return ticks;
    const long double space = p.ColumnSpace();
    const int g = R((p.Width() - p.LeftMargin() - p.RightMargin() - space * (c - 1)) / c);
    for (int i = 1; i < c; ++i) {
        ticks.push_back(R(p.LeftMargin() + i * g + (i - 1) * space));
        ticks.push_back(R(p.LeftMargin() + i * (g + space)));
    }
    return ticks;
}

int DesignColumnTickBottom(TVardoRep& report)
{
    TPixelPage px(*report.Page());
    return R(px.Page.TopMargin());
}

// ---- the panels' drawing ------------------------------------------------------------------------

void TKVBasePanel::PaintRuler(TCanvas& canvas, TKVUnit units)
{
    const TDesignColours& dc = DesignColours();
    canvas.Font()->SetName(dc.RulerFontName);
    canvas.Font()->SetSize(dc.RulerFontSize);
    canvas.Font()->SetColor(dc.RulerFontColour);
    canvas.Pen()->SetColor(clSilver);
    canvas.Pen()->SetWidth(1);
    const bool numbers = dynamic_cast<TVardoRep*>(this) != nullptr;
    const int w = Width();
    const int h = Height();
    const int oldBk = canvas.SetBkMode(TRANSPARENT);
    for (const TRulerLine& l : RulerLines(units, Zoom(), ScreenPixelsPerInch(), w, h, numbers, RulerCharSize())) {
        switch (l.Kind) {
        case TRulerLine::Major:
            canvas.Pen()->SetStyle(dc.MajorLineStyle);
            canvas.Pen()->SetColor(dc.MajorLineColour);
            break;
        case TRulerLine::Minor:
            canvas.Pen()->SetStyle(dc.MinorLineStyle);
            canvas.Pen()->SetColor(dc.MinorLineColour);
            break;
        case TRulerLine::Character:
            canvas.Pen()->SetStyle(psDot);
            canvas.Pen()->SetColor(clSilver);
            break;
        }
        if (l.Vertical) {
            canvas.MoveTo(l.Pos, 0);
            canvas.LineTo(l.Pos, h);
            if (!l.Number.isEmpty())
                canvas.TextOut(l.Pos + 2, 2, l.Number);
        } else {
            canvas.MoveTo(0, l.Pos);
            canvas.LineTo(w, l.Pos);
            if (!l.Number.isEmpty())
                canvas.TextOut(2, l.Pos + 2, l.Number);
        }
    }
    canvas.SetBkMode(oldBk);
    canvas.Pen()->SetStyle(psSolid);
}

void TVardoRep::PaintRuler(TCanvas& canvas, TKVUnit units)
{
    SetRulerCharSize(std::abs(Font()->Size()));
    TKVBasePanel::PaintRuler(canvas, units);
}

void TVardoRep::PaintMargins(TCanvas& canvas)
{
    const TDesignColours& dc = DesignColours();
    canvas.Pen()->SetStyle(dc.GuideStyle);
    canvas.Pen()->SetColor(dc.GuideColour);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Rectangle(DesignMarginRect(*this));
    canvas.Pen()->SetStyle(psSolid);
}

void TVardoRep::PaintPageFrame(TCanvas& canvas)
{
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(Frame()->Style());
    canvas.Pen()->SetColor(Frame()->Color());
    const TRect r = DesignFrameRect(*this);
    const auto line = [&canvas](int x0, int y0, int x1, int y1) {
        canvas.MoveTo(x0, y0);
        canvas.LineTo(x1, y1);
    };
    if (Frame()->DrawTop())
        line(r.Left, r.Top, r.Right, r.Top);
    if (Frame()->DrawBottom())
        line(r.Left, r.Bottom, r.Right, r.Bottom);
    if (Frame()->DrawLeft())
        line(r.Left, r.Top, r.Left, r.Bottom);
    if (Frame()->DrawRight())
        line(r.Right, r.Top, r.Right, r.Bottom);
}

void TVardoRep::PaintColumnGuides(TCanvas& canvas)
{
    if (!Page() || Page()->Columns() <= 1)
        return;
    const TDesignColours& dc = DesignColours();
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(dc.GuideStyle);
    canvas.Pen()->SetColor(dc.GuideColour);
    const int bottom = DesignColumnTickBottom(*this);
    for (int x : DesignColumnTicks(*this)) {
        canvas.MoveTo(x, 0);
        canvas.LineTo(x, bottom);
    }
    canvas.Pen()->SetStyle(psSolid);
}

void TKVCustomBand::PaintRuler(TCanvas& canvas, TKVUnit units)
{
    if (FParentReport)
        SetRulerCharSize(std::abs(FParentReport->Font()->Size()));
    TKVBasePanel::PaintRuler(canvas, units);
}

} // namespace tessiv
