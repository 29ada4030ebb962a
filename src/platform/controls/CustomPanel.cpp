#include "platform/controls/CustomPanel.h"

namespace tessiv {


const TEnumInfo& BevelCutInfo()
{
    static const TEnumInfo info{QStringLiteral("TBevelCut"),
                                {QStringLiteral("bvNone"), QStringLiteral("bvLowered"), QStringLiteral("bvRaised"),
                                 QStringLiteral("bvSpace")}};
    return info;
}

void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width)
{
    canvas.Pen()->SetWidth(1);
    --rect.Bottom;
    --rect.Right;
    for (int i = 0; i < width; ++i) {
        canvas.Pen()->SetColor(topColor);
        canvas.MoveTo(rect.Left, rect.Bottom);
        canvas.LineTo(rect.Left, rect.Top);
        canvas.LineTo(rect.Right, rect.Top);
        canvas.Pen()->SetColor(bottomColor);
        canvas.LineTo(rect.Right, rect.Bottom);
        canvas.LineTo(rect.Left - 1, rect.Bottom);
        rect = Rect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    }
    ++rect.Bottom;
    ++rect.Right;
}

TESSIV_IMPLEMENT_CLASS(TCustomPanel, TCustomControl)

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                  csDoubleClicks, csReplicatable});
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::SetAlignment(TAlignment a)
{
    FAlignment = a;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut b)
{
    FBevelInner = b;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut b)
{
    FBevelOuter = b;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int w)
{
    FBevelWidth = w;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int w)
{
    FBorderWidth = w;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle s)
{
    FBorderStyle = s;
    Realign();
    Invalidate();
}

TRect TCustomPanel::ClientRect() const
{
    int inset = FBorderWidth + (FBorderStyle == bsSingle ? 1 : 0);
    if (FBevelOuter != bvNone)
        inset += FBevelWidth;
    if (FBevelInner != bvNone)
        inset += FBevelWidth;
    TRect r = Rect(inset, inset, Width() - inset, Height() - inset);
    return r.IsEmpty() ? Rect(inset, inset, inset, inset) : r;
}

void TCustomPanel::Paint(TCanvas& canvas)
{
    TRect rect = Rect(0, 0, Width(), Height());
    auto edge = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const bool raised = cut == bvRaised;
        Frame3D(canvas, rect, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight,
                FBevelWidth);
    };
    edge(FBevelOuter);
    canvas.Pen()->SetColor(Color());
    for (int i = 0; i < FBorderWidth; ++i) {
        canvas.Brush()->SetStyle(bsClear);
        canvas.Rectangle(rect);
        rect = Rect(rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1);
    }
    edge(FBevelInner);
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(rect);
    if (!Caption().isEmpty()) {
        canvas.SetFont(Font());
        canvas.SetBkMode(TRANSPARENT);
        const TSize extent = canvas.TextExtent(Caption());
        int x = rect.Left;
        if (FAlignment == taCenter)
            x = rect.Left + (rect.Width() - extent.cx) / 2;
        else if (FAlignment == taRightJustify)
            x = rect.Right - extent.cx;
        const int y = rect.Top + (rect.Height() - extent.cy) / 2;
        canvas.TextRect(rect, x, y, Caption());
    }
}

} // namespace tessiv
