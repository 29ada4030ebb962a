// Enhanced metafiles as our recording canvas writes them: shapes with every pen style, text,
// arcs, clipping and bitmaps; read, played onto a page and into a recorded page, saved and read.
#include "FuzzPictures.h"

namespace {

QByteArray Recorded(const std::function<void(tessiv::TCanvas&)>& draw)
{
    using namespace tessiv;
    TMetafile mf;
    mf.SetWidth(120);
    mf.SetHeight(90);
    {
        TMetafileCanvas c(mf);
        draw(c);
    }
    return mf.Data();
}

std::vector<QByteArray> Seeds()
{
    using namespace tessiv;
    std::vector<QByteArray> seeds;
    seeds.push_back(Recorded([](TCanvas& c) {
        for (TPenStyle s : {psSolid, psDash, psDot, psDashDot, psDashDotDot}) {
            c.Pen()->SetStyle(s);
            c.MoveTo(2, 4 + 6 * int(s));
            c.LineTo(110, 30 + 6 * int(s));
        }
        c.Pen()->SetStyle(psSolid);
        c.Pen()->SetWidth(3);
        c.Brush()->SetColor(clRed);
        c.Rectangle(5, 5, 40, 30);
        c.Brush()->SetStyle(bsDiagCross);
        c.Ellipse(50, 10, 90, 40);
        c.RoundRect(10, 50, 60, 80, 12, 8);
        c.Polygon({{70, 50}, {110, 60}, {90, 85}});
    }));
    seeds.push_back(Recorded([](TCanvas& c) {
        c.Font()->SetName(QStringLiteral("Arial"));
        c.Font()->SetSize(11);
        c.TextOut(4, 4, QStringLiteral("Página 1 de 2"));
        c.SetTextAlign(TA_RIGHT | TA_BASELINE);
        c.TextRect({10, 30, 100, 50}, 100, 45, QStringLiteral("Total: R$ 1.234,56"));
        c.Font()->SetOrientation(900);
        c.TextOut(20, 88, QStringLiteral("vertical"));
    }));
    seeds.push_back(Recorded([](TCanvas& c) {
        c.IntersectClipRect({10, 10, 100, 70});
        c.Pen()->SetStyle(psDot);
        c.Arc(0, 0, 80, 60, 80, 30, 0, 30);
        c.Chord(20, 20, 100, 80, 0, 0, 100, 100);
        c.Pie(30, 5, 110, 65, 110, 5, 30, 5);
        c.SelectClipRgn(nullptr);
        c.AngleArc(60, 45, 30, 10, 250);
        c.StretchDIBits({5, 5, 60, 40}, {0, 0, 13, 7}, fuzz::SeedImage(13, 7));
        c.StretchDIBits({60, 40, 115, 85}, {12, 6, -8, -5}, fuzz::SeedImage(13, 7));
    }));
    return seeds;
}

} // namespace

TESSIV_FUZZ_TARGET(emf, Seeds)
{
    return fuzz::LoadPaintSaveLoad<tessiv::TMetafile>(data, size);
}
