#include "engine/printables/KVShape.h"

#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Reader.h"
#include "platform/graphics/Canvas.h"

namespace tessiv {

const TEnumInfo& KVShapeTypeInfo()
{
    static const TEnumInfo info{QStringLiteral("TKVShapeType"),
                                {QStringLiteral("kvsRectangle"), QStringLiteral("kvsCircle"),
                                 QStringLiteral("kvsVertLine"), QStringLiteral("kvsHorLine"),
                                 QStringLiteral("kvsTopAndBottom"), QStringLiteral("kvsRightAndLeft")}};
    return info;
}

TESSIV_IMPLEMENT_CLASS(TKVShape, TKVPrintable,
    t.Object<TBrush>(QStringLiteral("Brush"), &TKVShape::Brush);
    t.Object<TPen>(QStringLiteral("Pen"), &TKVShape::Pen);
    // No default: the kind is always written.
    t.Enum(QStringLiteral("Shape"), KVShapeTypeInfo(), &TKVShape::Shape, &TKVShape::SetShape);
    t.Integer(QStringLiteral("Width"), &TKVShape::Width, &TKVShape::SetWidth, 65);
    t.Integer(QStringLiteral("Height"), &TKVShape::Height, &TKVShape::SetHeight, 65);
    t.Boolean(QStringLiteral("ParentColor"), &TKVShape::ParentColor, &TKVShape::SetParentColor, true);
)

TKVShape::TKVShape(TComponent* owner)
    : TKVPrintable(owner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
    FPen->OnChange = [this](TGraphicsObject*) { Invalidate(); };
    FBrush->OnChange = [this](TGraphicsObject*) { Invalidate(); };
    SetBounds(Left(), Top(), 65, 65);
    SetParentColor(true);
}

TKVShape::~TKVShape()
{
    FPen->OnChange = nullptr;
    FBrush->OnChange = nullptr;
}

void TKVShape::SetShape(TKVShapeType value)
{
    if (value == FShape)
        return;
    FShape = value;
    Invalidate();
}

void TKVShape::SetPen(const TPen* value)
{
    FPen->Assign(value);
}

void TKVShape::SetBrush(const TBrush* value)
{
    FBrush->Assign(value);
}

void TKVShape::DefineProperties(TFiler& filer)
{
    TKVPrintable::DefineProperties(filer);
    filer.DefineProperty(QStringLiteral("Visible"), [this](TReader& r) { SetEnabled(r.ReadBoolean()); }, nullptr,
                         false);
}

void TKVShape::Paint(TCanvas& canvas)
{
    TKVPrintable::Paint(canvas);
    canvas.SetPen(FPen.get());
    canvas.SetBrush(FBrush.get());
    const int w = Width();
    const int h = Height();
    const auto line = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    switch (FShape) {
    case kvsRectangle:
        canvas.Rectangle(0, 0, w, h);
        break;
    case kvsCircle:
        canvas.Ellipse(0, 0, w, h);
        break;
    case kvsVertLine:
        line(w / 2, 0, w / 2, h);
        break;
    case kvsHorLine:
        line(0, h / 2, w, h / 2);
        break;
    case kvsTopAndBottom:
        line(0, 0, w, 0);
        line(0, h - 1, w, h - 1);
        break;
    case kvsRightAndLeft:
        line(0, 0, 0, h);
        line(w - 1, 0, w - 1, h);
        break;
    }
}

void TKVShape::Print(int ofsX, int ofsY)
{
    TVardoRep* report = ParentReport();
    if (!report || !report->Graphics() || !Enabled())
        return;
    TKVPrinter* p = Printer() ? Printer() : report->RunPrinter();
    if (!p || !p->Canvas())
        return;
    TCanvas& canvas = *p->Canvas();
    canvas.SetBrush(FBrush.get());
    canvas.SetPen(FPen.get());
    // Native lengths, whatever unit the size shows.
    const long double l = Size()->NativeValue(TKVPrintableSize::kvLeft) + ofsX;
    const long double t = Size()->NativeValue(TKVPrintableSize::kvTop) + ofsY;
    const long double w = Size()->NativeValue(TKVPrintableSize::kvWidth);
    const long double h = Size()->NativeValue(TKVPrintableSize::kvHeight);
    const auto line = [&canvas, p](long double x1, long double y1, long double x2, long double y2) {
        canvas.MoveTo(p->XPos(x1), p->YPos(y1));
        canvas.LineTo(p->XPos(x2), p->YPos(y2));
    };
    switch (FShape) {
    case kvsRectangle:
        canvas.Rectangle(p->XPos(l), p->YPos(t), p->XPos(l + w), p->YPos(t + h));
        break;
    case kvsCircle:
        canvas.Ellipse(p->XPos(l), p->YPos(t), p->XPos(l + w), p->YPos(t + h));
        break;
    case kvsVertLine:
        line(l + w / 2, t, l + w / 2, t + h);
        break;
    case kvsHorLine:
        line(l, t + h / 2, l + w, t + h / 2);
        break;
    case kvsTopAndBottom:
        line(l, t, l + w, t);
        line(l, t + h, l + w, t + h);
        break;
    case kvsRightAndLeft:
        line(l, t, l, t + h);
        line(l + w, t, l + w, t + h);
        break;
    }
}

} // namespace tessiv
