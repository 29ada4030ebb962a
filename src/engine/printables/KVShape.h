#pragma once
// A shape on a report: a rectangle, an ellipse or lines across or along the control, drawn with
// its own pen and brush. The designer shows it at the control's pixels; a run draws it on the
// printer object's canvas from its lengths in 0.1 mm. Its frame shows on the design surface only.

#include "engine/printables/KVPrintable.h"
#include "platform/graphics/GraphicsObjects.h"

#include <memory>

namespace tessiv {

enum TKVShapeType { kvsRectangle, kvsCircle, kvsVertLine, kvsHorLine, kvsTopAndBottom, kvsRightAndLeft };
const TEnumInfo& KVShapeTypeInfo();

class TKVShape : public TKVPrintable {
    TESSIV_CLASS(TKVShape, TKVPrintable)
public:
    // A rectangle 65 by 65 pixels taking its parent's colour, black pen, white brush.
    explicit TKVShape(TComponent* owner);
    ~TKVShape() override;

    TKVShapeType Shape() const { return FShape; }
    // Repaints when the kind changes.
    void SetShape(TKVShapeType value);
    // The owned pen and brush; a change of either repaints the control.
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    // Copy the given object's settings into the owned one.
    void SetPen(const TPen* value);
    void SetBrush(const TBrush* value);

    // The shape at its lengths offset by the band's place; nothing while exporting. No frame.
    void Print(int ofsX, int ofsY) override;
    // The base view (colour, corner marks, frame), then the shape over the client area.
    void Paint(TCanvas& canvas) override;
    // Older files stored "Visible"; it is read into Enabled and never written.
    void DefineProperties(TFiler& filer) override;

private:
    TKVShapeType FShape = kvsRectangle;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
};

} // namespace tessiv
