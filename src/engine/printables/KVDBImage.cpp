#include "engine/printables/KVDBImage.h"

#include "engine/printables/KVImage.h"
#include "engine/run/KVPrinter.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/graphics/Canvas.h"

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TKVDBImage, TKVPrintable,
    t.Reference<TDataSet>(QStringLiteral("DataSet"), &TKVDBImage::DataSet, &TKVDBImage::SetDataSet);
    t.String(QStringLiteral("DataField"), &TKVDBImage::DataField, &TKVDBImage::SetDataField);
    t.Boolean(QStringLiteral("Center"), &TKVDBImage::Center, &TKVDBImage::SetCenter, true);
    t.Boolean(QStringLiteral("Stretch"), &TKVDBImage::Stretch, &TKVDBImage::SetStretch, false);
    t.Boolean(QStringLiteral("Proporcional"), &TKVDBImage::Proporcional, &TKVDBImage::SetProporcional);
    t.Integer(QStringLiteral("Color"), &TKVDBImage::Color, &TKVDBImage::SetColor, clWindow, &ColorIdents())
        .WithStored([](const TPersistent* p) { return !static_cast<const TKVDBImage*>(p)->ParentColor(); });
    t.Boolean(QStringLiteral("Transparent"), &TKVDBImage::Transparent, &TKVDBImage::SetTransparent);
    t.Boolean(QStringLiteral("ParentColor"), &TKVDBImage::ParentColor, &TKVDBImage::SetParentColor, true);
)

TKVDBImage::TKVDBImage(TComponent* owner) : TKVPrintable(owner), FPicture(std::make_unique<TPicture>())
{
    SetBounds(Left(), Top(), 50, 50);
    SetParentColor(true);
}

TKVDBImage::~TKVDBImage()
{
    if (FField)
        FField->RemoveFreeNotification(this);
    if (FDataSet)
        FDataSet->RemoveFreeNotification(this);
}

void TKVDBImage::SetDataSet(TDataSet* value)
{
    if (value == FDataSet)
        return;
    if (FDataSet)
        FDataSet->RemoveFreeNotification(this);
    FDataSet = value;
    if (FDataSet)
        FDataSet->FreeNotification(this);
}

void TKVDBImage::Notification(TComponent* component, TOperation operation)
{
    TKVPrintable::Notification(component, operation);
    if (operation != TOperation::opRemove || !component)
        return;
    if (component == FDataSet) {
        FDataSet = nullptr;
        SetField(nullptr);
    } else if (FField && component == FField) {
        FField = nullptr;
    }
}

void TKVDBImage::SetDataField(const QString& value)
{
    FDataField = value;
    Invalidate();
}

void TKVDBImage::SetPicture(const TPicture* value)
{
    FPicture->Assign(value);
}

void TKVDBImage::SetMode(bool TKVDBImage::*mode, bool value)
{
    static bool TKVDBImage::*const modes[] = {&TKVDBImage::FStretch, &TKVDBImage::FCenter,
                                               &TKVDBImage::FProporcional};
    if (SetExclusiveMode(*this, mode, value, modes))
        Invalidate();
}

void TKVDBImage::SetStretch(bool value)
{
    SetMode(&TKVDBImage::FStretch, value);
}

void TKVDBImage::SetCenter(bool value)
{
    SetMode(&TKVDBImage::FCenter, value);
}

void TKVDBImage::SetProporcional(bool value)
{
    if (value == FProporcional)
        return;
    SetMode(&TKVDBImage::FProporcional, value);
    FPictureSet = true;
    Invalidate();
}

void TKVDBImage::CopyFrom(const TKVPrintable* source)
{
    TKVPrintable::CopyFrom(source);
    if (auto* image = dynamic_cast<const TKVDBImage*>(source); image && image != this)
        FPicture->Assign(image->Picture());
}

// ---- the run ------------------------------------------------------------------------------------

void TKVDBImage::Prepare()
{
    TKVPrintable::Prepare();
    SetField(FDataSet ? FDataSet->FindField(FDataField) : nullptr);
    if (dynamic_cast<TBlobField*>(FField))
        SetText(QString());
}

void TKVDBImage::Unprepare()
{
    SetField(nullptr);
    TKVPrintable::Unprepare();
}

void TKVDBImage::SetField(TField* field)
{
    // A dataset closed during the run may take its fields with it: the control hears of it.
    if (FField)
        FField->RemoveFreeNotification(this);
    FField = field;
    if (FField)
        FField->FreeNotification(this);
}

void TKVDBImage::Print(int ofsX, int ofsY)
{
    if (!FDataSet)
        return;
    TVardoRep* report = ParentReport();
    TKVPrinter* p = Printer() ? Printer() : report ? report->RunPrinter() : nullptr;
    if (!p || !p->Canvas())
        return;
    TCanvas& canvas = *p->Canvas();
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(Transparent() ? bsClear : bsSolid);
    const TKVPrintArea area = KVPrintArea(*p, *Size(), ofsX, ofsY);

    auto* blob = dynamic_cast<TBlobField*>(FField);
    if (!blob) {
        canvas.FillRect(area.R);
        TKVPrintable::Print(ofsX, ofsY);
        return;
    }
    // This record's picture only, read by what its bytes are: a JPEG is a JPEG whatever the
    // field's type says.
    TPicture picture;
    const QByteArray bytes = blob->AsBytes();
    if (!bytes.isEmpty()) {
        TMemoryStream stream(bytes);
        try {
            picture.LoadFromStream(stream);
        } catch (const Exception& e) {
            throw EInvalidImage(QStringLiteral("%1: the field '%2' holds no picture that can be shown (%3)")
                                    .arg(Name(), blob->FieldName(), e.Message()));
        }
    }
    // Without a mode, as the image control: the picture goes into the whole rectangle.
    TKVPictureFit fit = TKVPictureFit::Stretch;
    if (FProporcional)
        fit = TKVPictureFit::Proporcional;
    else if (FCenter)
        fit = TKVPictureFit::Center;
    if (fit == TKVPictureFit::Stretch && picture.Empty())
        canvas.FillRect(area.R);
    else
        KVPrintPicture(*p, area, picture.Graphic(), fit, false);
    TKVPrintable::Print(ofsX, ofsY);
}

// ---- design view --------------------------------------------------------------------------------

void TKVDBImage::Paint(TCanvas& canvas)
{
    TKVPrintable::Paint(canvas);
    const int w = Width();
    const int h = Height();
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(bsClear);
    canvas.Pen()->SetColor(clBlack);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(psDash);
    canvas.Rectangle(0, 0, w, h);
    canvas.SetFont(Font());
    const QString text =
        QStringLiteral("(") + (FField ? FField->DisplayLabel() : FDataField) + QStringLiteral(")");
    const TSize extent = canvas.TextExtent(text);
    canvas.SetBkMode(TRANSPARENT);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    canvas.TextOut((w - extent.cx) / 2, (h - extent.cy) / 2, text);
}

} // namespace tessiv
