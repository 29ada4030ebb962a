#include "engine/model/KVFrame.h"

#include "platform/controls/Controls.h"
#include "platform/core/Reader.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TKVFrame, TPersistent,
    t.Integer(QStringLiteral("Color"), &TKVFrame::Color, &TKVFrame::SetColor, std::nullopt, &ColorIdents());
    t.Boolean(QStringLiteral("DrawTop"), &TKVFrame::DrawTop, &TKVFrame::SetDrawTop);
    t.Boolean(QStringLiteral("DrawBottom"), &TKVFrame::DrawBottom, &TKVFrame::SetDrawBottom);
    t.Boolean(QStringLiteral("DrawLeft"), &TKVFrame::DrawLeft, &TKVFrame::SetDrawLeft);
    t.Boolean(QStringLiteral("DrawRight"), &TKVFrame::DrawRight, &TKVFrame::SetDrawRight);
    t.Enum(QStringLiteral("Style"), PenStyleInfo(), &TKVFrame::Style, &TKVFrame::SetStyle, psSolid);
    t.Integer(QStringLiteral("Width"), &TKVFrame::Width, &TKVFrame::SetWidth, 1);
)

TKVFrame::TKVFrame(TControl* owner) : FOwner(owner) {}

void TKVFrame::Changed()
{
    if (FOwner)
        FOwner->Invalidate();
}

void TKVFrame::SetColor(TColor value)
{
    FColor = value;
    Changed();
}

void TKVFrame::SetDrawSide(int side, bool value)
{
    FDraw[side] = value;
    Changed();
}

void TKVFrame::SetStyle(TPenStyle value)
{
    FStyle = value;
    Changed();
}

void TKVFrame::SetWidth(int value)
{
    FWidth = value;
    Changed();
}

void TKVFrame::SetPen(TPen* pen) const
{
    pen->SetWidth(1);
    pen->SetStyle(FStyle);
    pen->SetColor(FColor);
}

void TKVFrame::PaintIt(TCanvas& canvas, const TRect& rect, long double xFactor, long double yFactor) const
{
    int nX = 1;
    int nY = 1;
    if (FWidth == 0 || FWidth < -1)
        return;
    if (FWidth != -1) {
        const long double native = FWidth / 72.0L * 254;
        nX = static_cast<int>(std::max<std::int64_t>(Round(native * xFactor), 1));
        nY = static_cast<int>(std::max<std::int64_t>(Round(native * yFactor), 1));
    }
    SetPen(canvas.Pen());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(FColor);
    const auto line = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    if (FDraw[kvTop])
        for (int i = 0; i < nY; ++i)
            line(rect.Left, rect.Top + i, rect.Right, rect.Top + i);
    if (FDraw[kvBottom])
        for (int i = 0; i < nY; ++i)
            line(rect.Left, rect.Bottom - i, rect.Right, rect.Bottom - i);
    if (FDraw[kvLeft])
        for (int i = 0; i < nX; ++i)
            line(rect.Left + i, rect.Top, rect.Left + i, rect.Bottom);
    if (FDraw[kvRight])
        for (int i = 0; i < nX; ++i)
            line(rect.Right - i, rect.Top, rect.Right - i, rect.Bottom);
    canvas.Brush()->SetStyle(bsClear);
}

void TKVFrame::Assign(const TPersistent* source)
{
    if (const auto* f = dynamic_cast<const TKVFrame*>(source)) {
        FColor = f->FColor;
        for (int i = 0; i < 4; ++i)
            FDraw[i] = f->FDraw[i];
        FStyle = f->FStyle;
        FWidth = f->FWidth;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TKVFrame::DefineProperties(TFiler& filer)
{
    // Older files carry a drawing mode that no longer exists.
    filer.DefineProperty(QStringLiteral("Mode"), [](TReader& r) { r.ReadIdent(); }, nullptr, false);
}

} // namespace tessiv
