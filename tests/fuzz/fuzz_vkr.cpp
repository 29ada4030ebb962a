// Saved previews (.VKR): the page stream checked whole when opened, each page's metafile taken out
// (decompressed when the file says so), its paper guessed from its frame, and the page painted as
// the preview paints it.
#include "FuzzPictures.h"

#include "engine/run/KVPageList.h"
#include "engine/run/KVPrinter.h"

#include <QFile>

namespace {

QByteArray Page(int variant)
{
    using namespace tessiv;
    // An A4 page at the screen's resolution, as a report run records it.
    TMetafile mf;
    mf.SetMMWidth(21000);
    mf.SetMMHeight(29700);
    {
        TMetafileCanvas c(mf);
        c.Font()->SetSize(10);
        c.TextOut(40, 40, QStringLiteral("Relatório — página %1").arg(variant + 1));
        c.Pen()->SetStyle(variant ? psDash : psSolid);
        c.MoveTo(40, 70);
        c.LineTo(750, 70);
        c.Brush()->SetColor(clSilver);
        c.Rectangle(40, 90, 400, 200);
        c.StretchDIBits({420, 90, 560, 180}, {0, 0, 14, 9}, fuzz::SeedImage(14, 9));
    }
    return mf.Data();
}

std::vector<QByteArray> Seeds()
{
    using namespace tessiv;
    fuzz::InitOnce();
    std::vector<QByteArray> seeds;
    for (bool compressed : {false, true}) {
        TKVPageList list;
        list.SetCompression(compressed);
        list.BeginRecording();
        list.AddPage(Page(0));
        list.AddPage(Page(1));
        list.Finish();
        const QString path = fuzz::ScratchPath(QStringLiteral("seed.vkr"));
        list.SaveToFile(path);
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        seeds.push_back(f.readAll());
    }
    return seeds;
}

} // namespace

TESSIV_FUZZ_TARGET(vkr, Seeds)
{
    using namespace tessiv;
    fuzz::InitOnce();
    const QString path = fuzz::ScratchPath(QStringLiteral("input.vkr"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    TKVPageList list;
    try {
        list.LoadFromFile(path);
    } catch (const Exception&) {
        return false;
    }
    for (int n = 1; n <= list.PageCount() && n <= 4; ++n) {
        TMetafile page;
        try {
            const std::optional<QByteArray> bytes = list.GetPageData(n);
            if (!bytes)
                fuzz::Broken("a page the file counts is missing");
            page.SetData(*bytes);
        } catch (const Exception&) {
            continue;
        }
        KVGuessPaper(page.MMWidth() / 10.0L, page.MMHeight() / 10.0L, [](TKVPaperSize) { return true; });
        // The preview's page at a small zoom.
        QImage img(210, 297, QImage::Format_RGB32);
        img.fill(Qt::white);
        TImageCanvas canvas(img);
        canvas.StretchDraw({0, 0, 210, 297}, &page);
    }
    return true;
}
