#include "uisupport/ImageAspect.h"

#include <cmath>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TImageAspect, TGraphicControl,
    t.Boolean(QStringLiteral("AutoSize"), &TImageAspect::AutoSize, &TImageAspect::SetAutoSize);
)

TImageAspect::TImageAspect(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>())
{
    FPicture->OnChange = [this](TPicture*) { PictureChanged(); };
    SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
    SetBounds(Left(), Top(), 32, 32);
}

TImageAspect::~TImageAspect() { FPicture->OnChange = nullptr; }

void TImageAspect::SetPicture(const TPicture* picture) { FPicture->Assign(picture); }

void TImageAspect::SetAutoSize(bool value)
{
    FAutoSize = value;
    if (value)
        SizeToPicture();
    Invalidate();
}

void TImageAspect::SizeToPicture()
{
    if (!FAutoSize || !FPicture->Graphic() || FPicture->Empty())
        return;
    FSizing = true;
    try {
        TGraphicControl::SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
    } catch (...) {
        FSizing = false;
        throw;
    }
    FSizing = false;
}

void TImageAspect::PictureChanged()
{
    SizeToPicture();
    Invalidate();
}

void TImageAspect::SetBounds(int left, int top, int width, int height)
{
    // Given another size than the picture's, the control keeps it.
    if (FAutoSize && !FSizing && FPicture && !FPicture->Empty() &&
        (width != FPicture->Width() || height != FPicture->Height()))
        FAutoSize = false;
    TGraphicControl::SetBounds(left, top, width, height);
}

TRect TImageAspect::DrawRect() const
{
    const int pw = FPicture->Width();
    const int ph = FPicture->Height();
    if (FPicture->Empty() || pw == 0 || ph == 0)
        return TRect();
    const double rx = double(Width()) / pw;
    const double ry = double(Height()) / ph;
    if (rx <= ry) {
        const int h = static_cast<int>(std::trunc(ph * rx));
        const int top = (Height() - h) / 2;
        return Rect(0, top, Width(), top + h);
    }
    const int w = static_cast<int>(std::trunc(pw * ry));
    const int left = (Width() - w) / 2;
    return Rect(left, 0, left + w, Height());
}

void TImageAspect::Paint(TCanvas& canvas)
{
    const TRect r = DrawRect();
    if (r.Width() > 0 || r.Height() > 0)
        canvas.StretchDraw(r, FPicture->Graphic());
    if (ComponentState().Contains(csDesigning)) {
        canvas.Pen()->SetStyle(psDot);
        canvas.Pen()->SetColor(clBlack);
        canvas.Brush()->SetStyle(bsClear);
        canvas.Rectangle(0, 0, Width(), Height());
    }
}

} // namespace tessiv
