#include "engine/printables/KVImage.h"

#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

#include <new>
#include <optional>

namespace tessiv {

// ---- drawing pictures on the page ---------------------------------------------------------------

void PrintBitmap(TCanvas& canvas, const TRect& r, const TBitmap& bitmap)
{
    if (bitmap.Empty())
        return;
    const QImage bits = bitmap.ToImage();
    const int previous = canvas.StretchBltMode();
    if (bitmap.PixelFormat() != pf1bit)
        canvas.SetStretchBltMode(COLORONCOLOR);
    canvas.StretchDIBits(r, TRect{0, 0, bits.width(), bits.height()}, bits);
    canvas.SetStretchBltMode(previous);
}

TRect KVProportionalRect(TPoint origin, int w, int h, int gw, int gh)
{
    int x = 0, y = 0, fw = w, fh = h;
    if (gw != 0 && gh != 0) {
        const long double rx = static_cast<long double>(w) / gw;
        const long double ry = static_cast<long double>(h) / gh;
        if (rx > ry) {
            fw = static_cast<int>(gw * ry);
            x = (w - fw) / 2;
        } else {
            fh = static_cast<int>(gh * rx);
            y = (h - fh) / 2;
        }
    }
    return Bounds(origin.X + x, origin.Y + y, fw, fh);
}

namespace {

// The picture's size on the device: the size it has on the screen at zoom 100.
TSize DeviceSize(const TKVPrinter& printer, const TGraphic& graphic)
{
    const long double ppi = Screen().PixelsPerInch;
    return TSize{static_cast<int>(Round(graphic.Width() / ppi * 254 * printer.XFactor())),
                 static_cast<int>(Round(graphic.Height() / ppi * 254 * printer.YFactor()))};
}

void DrawInto(TKVPrinter& printer, const TRect& r, TGraphic* graphic, bool bitmapsAsDib)
{
    if (!graphic || graphic->Empty())
        return;
    TCanvas& canvas = *printer.Canvas();
    auto* bitmap = dynamic_cast<TBitmap*>(graphic);
    if (bitmap && bitmapsAsDib && printer.Destination() == kvpdMetafile) {
        // Its bits are copied into the page: a picture too large for the memory left ends the
        // run with a message, not the program.
        try {
            PrintBitmap(canvas, r, *bitmap);
        } catch (const std::bad_alloc&) {
            throw Exception(QStringLiteral("Not enough memory to draw a picture of %1 x %2 pixels")
                                .arg(bitmap->Width())
                                .arg(bitmap->Height()));
        }
    } else {
        canvas.StretchDraw(r, graphic);
    }
}

// Drawing clipped to r; whatever clipped the canvas before clips it again afterwards.
class TClipTo {
public:
    TClipTo(TCanvas& canvas, const TRect& r) : FCanvas(canvas), FSaved(canvas.ClipRegion())
    {
        FCanvas.IntersectClipRect(r);
    }
    ~TClipTo() { FCanvas.SelectClipRgn(FSaved ? &*FSaved : nullptr); }
    TClipTo(const TClipTo&) = delete;
    TClipTo& operator=(const TClipTo&) = delete;

private:
    TCanvas& FCanvas;
    std::optional<QRegion> FSaved;
};

} // namespace

TKVPrintArea KVPrintArea(const TKVPrinter& printer, const TKVPrintableSize& size, int ofsX, int ofsY)
{
    // Native lengths, whatever unit the size shows.
    const long double l = size.NativeValue(TKVPrintableSize::kvLeft) + ofsX;
    const long double t = size.NativeValue(TKVPrintableSize::kvTop) + ofsY;
    const long double w = size.NativeValue(TKVPrintableSize::kvWidth);
    const long double h = size.NativeValue(TKVPrintableSize::kvHeight);
    return {TRect{printer.XPos(l), printer.YPos(t), printer.XPos(l + w), printer.YPos(t + h)}, w, h};
}

void KVPrintPicture(TKVPrinter& printer, const TKVPrintArea& area, TGraphic* graphic, TKVPictureFit fit,
                    bool bitmapsAsDib)
{
    TCanvas& canvas = *printer.Canvas();
    const TRect& r = area.R;
    const bool empty = !graphic || graphic->Empty();
    const TSize natural = empty ? TSize{0, 0} : DeviceSize(printer, *graphic);
    const int w = printer.XSize(area.Width);
    const int h = printer.YSize(area.Height);
    // A metafile has no pixels to centre: it is fitted.
    if (fit == TKVPictureFit::Center && dynamic_cast<TMetafile*>(graphic))
        fit = TKVPictureFit::Proporcional;
    switch (fit) {
    case TKVPictureFit::Stretch:
        DrawInto(printer, r, graphic, bitmapsAsDib);
        break;
    case TKVPictureFit::Proporcional:
        canvas.FillRect(r);
        DrawInto(printer, KVProportionalRect(TPoint{r.Left, r.Top}, w, h, natural.cx, natural.cy), graphic,
                 bitmapsAsDib);
        break;
    case TKVPictureFit::Center: {
        canvas.FillRect(r);
        if (empty)
            break;
        TClipTo clip(canvas, r);
        DrawInto(printer, Bounds(r.Left + (w - natural.cx) / 2, r.Top + (h - natural.cy) / 2, natural.cx, natural.cy),
                 graphic, bitmapsAsDib);
        break;
    }
    }
}

// ---- the image ----------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVImage, TKVPrintable,
    t.Object<TPicture>(QStringLiteral("Picture"), &TKVImage::Picture);
    t.Boolean(QStringLiteral("AutoSize"), &TKVImage::AutoSize, &TKVImage::SetAutoSize, false);
    t.Boolean(QStringLiteral("Center"), &TKVImage::Center, &TKVImage::SetCenter, false);
    t.Boolean(QStringLiteral("Stretch"), &TKVImage::Stretch, &TKVImage::SetStretch, false);
    t.Boolean(QStringLiteral("Proporcional"), &TKVImage::Proporcional, &TKVImage::SetProporcional);
    t.Integer(QStringLiteral("Color"), &TKVImage::Color, &TKVImage::SetColor, clWindow, &ColorIdents())
        .WithStored([](const TPersistent* p) { return !static_cast<const TKVImage*>(p)->ParentColor(); });
    t.Boolean(QStringLiteral("Transparent"), &TKVImage::Transparent, &TKVImage::SetTransparent);
    t.Boolean(QStringLiteral("ParentColor"), &TKVImage::ParentColor, &TKVImage::SetParentColor, true);
)

TKVImage::TKVImage(TComponent* owner) : TKVPrintable(owner), FPicture(std::make_unique<TPicture>())
{
    FPicture->OnChange = [this](TPicture*) { PictureChanged(); };
    SetBounds(Left(), Top(), 50, 50);
    SetParentColor(true);
}

TKVImage::~TKVImage()
{
    FPicture->OnChange = nullptr;
}

void TKVImage::SetPicture(const TPicture* value)
{
    FPicture->Assign(value);
}

void TKVImage::SetMode(bool TKVImage::*mode, bool value)
{
    static bool TKVImage::*const modes[] = {&TKVImage::FAutoSize, &TKVImage::FStretch, &TKVImage::FProporcional,
                                             &TKVImage::FCenter};
    if (SetExclusiveMode(*this, mode, value, modes))
        PictureChanged();
}

void TKVImage::SetAutoSize(bool value)
{
    SetMode(&TKVImage::FAutoSize, value);
}

void TKVImage::SetStretch(bool value)
{
    SetMode(&TKVImage::FStretch, value);
}

void TKVImage::SetProporcional(bool value)
{
    SetMode(&TKVImage::FProporcional, value);
}

void TKVImage::SetCenter(bool value)
{
    SetMode(&TKVImage::FCenter, value);
}

void TKVImage::PictureChanged()
{
    if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0) {
        const int zoom = GetZoom();
        SetBounds(Left(), Top(), FPicture->Width() * zoom / 100, FPicture->Height() * zoom / 100);
    }
    // A file's Transparent is read before or after its picture and modes: it stands as written.
    if (!ComponentState().Contains(csReading) && !ComponentState().Contains(csLoading))
        SetTransparent(true);
    Invalidate();
}

void TKVImage::CopyFrom(const TKVPrintable* source)
{
    TKVPrintable::CopyFrom(source);
    if (source && source != this)
        SetTransparent(source->Transparent());
}

void TKVImage::Print(int ofsX, int ofsY)
{
    TVardoRep* report = ParentReport();
    TKVPrinter* p = Printer() ? Printer() : report ? report->RunPrinter() : nullptr;
    if (!p || !p->Canvas())
        return;
    TCanvas& canvas = *p->Canvas();
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(Transparent() ? bsClear : bsSolid);
    // Without a mode (AutoSize included) the picture goes into the whole rectangle.
    TKVPictureFit fit = TKVPictureFit::Stretch;
    if (FCenter)
        fit = TKVPictureFit::Center;
    else if (FProporcional)
        fit = TKVPictureFit::Proporcional;
    KVPrintPicture(*p, KVPrintArea(*p, *Size(), ofsX, ofsY), FPicture->Graphic(), fit, true);
    TKVPrintable::Print(ofsX, ofsY);
}

void TKVImage::Paint(TCanvas& canvas)
{
    TKVPrintable::Paint(canvas);
    const int w = Width();
    const int h = Height();
    canvas.Pen()->SetColor(clBlack);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(psDash);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Rectangle(0, 0, w, h);
    TGraphic* graphic = FPicture->Graphic();
    if (!graphic || graphic->Empty())
        return;
    const int gw = graphic->Width();
    const int gh = graphic->Height();
    const int z = GetZoom();
    // What prints: without a mode, the whole rectangle as with Stretch.
    TRect r = ClientRect();
    if (FProporcional || (FCenter && dynamic_cast<TMetafile*>(graphic)))
        r = KVProportionalRect(TPoint{0, 0}, w, h, gw, gh);
    else if (FCenter) {
        const int cw = gw * z / 100;
        const int ch = gh * z / 100;
        r = Bounds((w - cw) / 2, (h - ch) / 2, cw, ch);
    }
    canvas.StretchDraw(r, graphic);
}

} // namespace tessiv
