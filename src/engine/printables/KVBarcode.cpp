#include "engine/printables/KVBarcode.h"

#include "engine/run/KVController.h"
#include "engine/run/KVPrinter.h"
#include "engine/printables/KVTextProps.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>

namespace tessiv {

namespace {

// The EAN and UPC types carry a fixed number of data digits; the library adds the check digit.
int FixedLength(btCodeTypes type)
{
    switch (type) {
    case EAN_8: return 7;
    case EAN_13: return 12;
    case UPC_A: return 11;
    case UPC_E: return 6;
    default: return 0;
    }
}

QString TooLong() { return QStringLiteral("String exceeds maximum length"); }

// The design view draws at the screen's resolution, scaled by the zoom through the mapping mode;
// the canvas's mapping comes back whatever happens.
class TZoomMapping {
public:
    TZoomMapping(TCanvas& canvas, int zoom)
        : FCanvas(canvas), FMode(canvas.MapMode()), FWindow(canvas.WindowExt()), FViewport(canvas.ViewportExt())
    {
        canvas.SetMapMode(MM_ANISOTROPIC);
        canvas.SetWindowExt(96, 96);
        const int v = MulDiv(96, zoom, 100);
        canvas.SetViewportExt(v, v);
    }
    ~TZoomMapping()
    {
        FCanvas.SetWindowExt(FWindow.cx, FWindow.cy);
        FCanvas.SetViewportExt(FViewport.cx, FViewport.cy);
        FCanvas.SetMapMode(FMode);
    }
    TZoomMapping(const TZoomMapping&) = delete;
    TZoomMapping& operator=(const TZoomMapping&) = delete;

private:
    TCanvas& FCanvas;
    int FMode;
    TSize FWindow;
    TSize FViewport;
};

bool Vertical(btCodeRotate rotation) { return rotation == rotate_090 || rotation == rotate_270; }

// Where a barcode of extent w x h goes in box: left alignment puts the start of the code's reading
// direction at its side of the box; centred holds the centred left (x) and top (y).
TPoint Placement(btCodeRotate rotation, TAlignment align, const TRect& box, int w, int h, TPoint centred)
{
    const bool left = align == taLeftJustify;
    const bool right = align == taRightJustify;
    switch (rotation) {
    case rotate_090:
        return {box.Left, left ? box.Bottom - h : right ? box.Top : centred.Y};
    case rotate_180:
        return {left ? box.Right - w : right ? box.Left : centred.X, box.Top};
    case rotate_270:
        return {box.Left, left ? box.Top : right ? box.Bottom - h : centred.Y};
    default:
        return {left ? box.Left : right ? box.Right - w : centred.X, box.Top};
    }
}

} // namespace

QString PadLeft(const QString& Text, const QString& Fill, int Length)
{
    QString result = Text;
    const qsizetype times = Length - Text.size();
    if (Fill.isEmpty() || times <= 0)
        return result;
    QString front;
    front.reserve(times * Fill.size());
    for (qsizetype i = 0; i < times; ++i)
        front += Fill;
    return front + result;
}

// Stored in the order report files hold them. AutoSize keeps the data text's place; the barcode
// settings come after the data text's own.
TESSIV_IMPLEMENT_CLASS(TKVBarcode, TKVDBText,
    t.Boolean(QStringLiteral("AutoSize"), &TKVBarcode::AutoSize, &TKVBarcode::SetAutoSize);
    t.String(QStringLiteral("Bar_Text"), &TKVBarcode::Bar_Text, &TKVBarcode::SetBar_Text);
    t.String(QStringLiteral("Bar_CodeAddon"), &TKVBarcode::Bar_CodeAddon, &TKVBarcode::SetBar_CodeAddon);
    t.Enum(QStringLiteral("Bar_CodeType"), btCodeTypesInfo(), &TKVBarcode::Bar_CodeType,
           &TKVBarcode::SetBar_CodeType, EAN_8);
    t.Integer(QStringLiteral("Bar_HeightPercent"), &TKVBarcode::Bar_HeightPercent,
              &TKVBarcode::SetBar_HeightPercent, 100);
    t.Boolean(QStringLiteral("Bar_HumanReadable"), &TKVBarcode::Bar_HumanReadable,
              &TKVBarcode::SetBar_HumanReadable, true);
    t.Enum(QStringLiteral("Bar_ModuleWidth"), btCodeSizesInfo(), &TKVBarcode::Bar_ModuleWidth,
           &TKVBarcode::SetBar_ModuleWidth, SC2);
    t.Enum(QStringLiteral("Bar_Ratio"), btCodeRatioInfo(), &TKVBarcode::Bar_Ratio, &TKVBarcode::SetBar_Ratio,
           Ratio_3);
    t.Enum(QStringLiteral("Bar_Rotation"), btCodeRotateInfo(), &TKVBarcode::Bar_Rotation,
           &TKVBarcode::SetBar_Rotation, rotate_000);
    t.Boolean(QStringLiteral("Bar_PrintEmpty"), &TKVBarcode::Bar_PrintEmpty, &TKVBarcode::SetBar_PrintEmpty);
    t.String(QStringLiteral("Bar_Fontname"), &TKVBarcode::Bar_Fontname, &TKVBarcode::SetBar_Fontname);
    t.Integer(QStringLiteral("Bar_FontScaling"), &TKVBarcode::Bar_FontScaling, &TKVBarcode::SetBar_FontScaling);
    t.Integer(QStringLiteral("TamanhoMaximo"), &TKVBarcode::TamanhoMaximo, &TKVBarcode::SetTamanhoMaximo);
    // A character is stored as a one-character string.
    t.String(
        QStringLiteral("Preenchimento"), [](const TKVBarcode& b) { return QString(b.Preenchimento()); },
        [](TKVBarcode& b, const QString& v) { b.SetPreenchimento(v.isEmpty() ? QChar() : v.front()); });
)

TKVBarcode::TKVBarcode(TComponent* owner) : TKVDBText(owner), FEvaluator(std::make_unique<TKVEvaluator>())
{
    FBarcode = new TCustomBarcode(this);
    FBarcode->SetBar_ZoomSize(true);
    FBarcode->SetBar_Caption(QStringLiteral("1234"));
    FBarText = QStringLiteral("1234");
    SetBounds(Left(), Top(), FBarcode->Width(), FBarcode->Height());
}

TKVBarcode::~TKVBarcode()
{
    if (!IsDataField()) {
        FEvaluator->SetDataSets(nullptr);
        FEvaluator->Unprepare();
    }
}

// ---- the value ------------------------------------------------------------------------------------

bool TKVBarcode::IsDataField() const
{
    TDataSet* const dataSet = DataSet();
    return dataSet && dataSet->Active() && !DataField().isEmpty() && dataSet->FindField(DataField());
}

QString TKVBarcode::SourceValue()
{
    if (IsDataField()) {
        TField* field = DataSet()->FindField(DataField());
        // Only numbers are normalised: a text column's "00123" or "12,50" and a code of twenty
        // digits reach the barcode as they are.
        if (!field->IsNull()) {
            if (dynamic_cast<TIntegerField*>(field))
                return IntToStr(field->AsLargeInt());
            if (dynamic_cast<TFloatingField*>(field))
                return FloatToStr(field->AsFloat());
        }
        return field->DisplayText();
    }
    // No text is no value: an empty expression would evaluate to a blank, and a blank filled
    // to an EAN's length is neither empty nor a code.
    if (FBarText.isEmpty())
        return FBarText;
    TVardoRep* const report = ParentReport();
    if (report && FEvaluator->Prepared()) {
        // The report may have been another when the expression was prepared.
        FEvaluator->SetDataSets(&report->RunDataSets());
        TKVEvResult v;
        try {
            v = FEvaluator->Value();
        } catch (const Exception&) {
            v = TKVEvResult::Error();
        }
        switch (v.Kind) {
        case TKVEvResultType::INTEGER: return FormatFloat(QStringLiteral("0"), v.IntResult);
        case TKVEvResultType::FLOAT: return FormatFloat(QStringLiteral("0"), v.FloatResult);
        case TKVEvResultType::STRING: return v.StringResult;
        case TKVEvResultType::BOOLEAN: return v.BoolResult ? QStringLiteral("True") : QStringLiteral("False");
        case TKVEvResultType::ERROR: return FBarText;
        }
    }
    return FBarText;
}

QString TKVBarcode::Fitted(const QString& value) const
{
    QString result = PadLeft(value, QString(FPreenchimento), FTamanhoMaximo);
    if (FTamanhoMaximo > 0 && result.size() > FTamanhoMaximo)
        result.truncate(FTamanhoMaximo);
    return result;
}

QString TKVBarcode::GetBarcodeValue() { return Fitted(SourceValue()); }

void TKVBarcode::SetBarcodeText(const QString& value)
{
    FBarcode->SetBar_Caption(value.left(TCustomBarcode::MaxCaptionLength));
    Invalidate();
}

// ---- properties -----------------------------------------------------------------------------------

void TKVBarcode::SetAutoSize(bool value)
{
    TKVCustomLabel::SetAutoSize(value);
    Invalidate();
}

void TKVBarcode::SetBar_Text(const QString& value)
{
    FBarText = value;
    if (!IsDataField() && ParentReport()) {
        try {
            PrepareExpression(false);
        } catch (const Exception&) {
            // The value falls back on the text itself.
        }
    }
    if (Width() < 1 || Height() < 1)
        SetBounds(Left(), Top(), std::max(1, Width()), std::max(1, Height()));
    SetBarcodeText(GetBarcodeValue());
}

void TKVBarcode::SetBar_CodeAddon(const QString& value)
{
    FBarcode->SetBar_CodeAddon(value);
    Invalidate();
}

void TKVBarcode::SetBar_CodeType(btCodeTypes value)
{
    const bool fixedBefore = FixedLength(FBarcode->Bar_CodeType()) > 0;
    FBarcode->SetBar_CodeType(value);
    if (const int length = FixedLength(value)) {
        FTamanhoMaximo = length;
        FPreenchimento = QLatin1Char('0');
    } else if (fixedBefore) {
        FTamanhoMaximo = 0;
        FPreenchimento = QLatin1Char('0');
    }
    Invalidate();
}

void TKVBarcode::SetBar_HeightPercent(int value)
{
    FBarcode->SetBar_HeightPercent(value);
    Invalidate();
}

void TKVBarcode::SetBar_HumanReadable(bool value)
{
    FBarcode->SetBar_HumanReadable(value);
    Invalidate();
}

void TKVBarcode::SetBar_ModuleWidth(btCodeSizes value)
{
    FBarcode->SetBar_ModuleWidth(value);
    Invalidate();
}

void TKVBarcode::SetBar_Ratio(btCodeRatio value)
{
    FBarcode->SetBar_Ratio(value);
    Invalidate();
}

void TKVBarcode::SetBar_Rotation(btCodeRotate value)
{
    FBarcode->SetBar_Rotation(value);
    Invalidate();
}

void TKVBarcode::SetBar_Fontname(const QString& value)
{
    FBarcode->SetBar_Fontname(value);
    Invalidate();
}

void TKVBarcode::SetBar_FontScaling(int value)
{
    FBarcode->SetBar_Fontscaling(value);
    Invalidate();
}

void TKVBarcode::SetTamanhoMaximo(int value)
{
    const int fixed = FixedLength(FBarcode->Bar_CodeType());
    FTamanhoMaximo = fixed > 0 ? fixed : value;
    Invalidate();
}

void TKVBarcode::SetPreenchimento(QChar value)
{
    FPreenchimento = value.isNull() ? QLatin1Char(' ') : value;
    Invalidate();
}

// ---- the run ----------------------------------------------------------------------------------------

void TKVBarcode::PrepareExpression(bool forRun)
{
    TVardoRep* const report = ParentReport();
    if (FEvaluator->Prepared())
        FEvaluator->Unprepare();
    FEvaluator->SetDataSets(report ? &report->RunDataSets() : nullptr);
    FEvaluator->Prepare(FBarText);
    // Only a run's preparation registers: the controller does not list a client twice over.
    if (forRun && report && FEvaluator->IsAggreg()) {
        TKVController* controller = report->Controller();
        controller->AddNotifyClient(this);
        // The controller keeps its clients after the run: it must hear when this barcode goes.
        controller->FreeNotification(this);
    }
    FEvaluator->Reset();
}

void TKVBarcode::Prepare()
{
    TKVDBText::Prepare();
    if (!IsDataField())
        PrepareExpression(true);
}

void TKVBarcode::Notify(TComponent* sender, int code)
{
    TKVDBText::Notify(sender, code);
    if (code != 0 || IsDataField())
        return;
    FEvaluator->SetDoAggregate(true);
    try {
        FEvaluator->Value();
    } catch (const Exception&) {
        // A record whose field cannot be read adds nothing.
    }
    FEvaluator->SetDoAggregate(false);
}

void TKVBarcode::Print(int ofsX, int ofsY)
{
    if (!Enabled())
        return;
    const QString source = SourceValue();
    QString value = Fitted(source);
    if (OnPrint && !ComponentState().Contains(csDesigning))
        OnPrint(this, value);
    // Refused rather than cut: a barcode of the value's first 50 characters would be a wrong code.
    if (value.size() > TCustomBarcode::MaxCaptionLength)
        throw EOverflow(TooLong());
    if (value != FBarcode->Bar_Caption())
        SetBarcodeText(value);
    // An empty value stays empty though the fill would make it a code of fill characters (an
    // EAN-13 of zeros): it prints only when asked to.
    const bool empty = value.isEmpty() || (source.isEmpty() && value == Fitted(QString()));
    if (empty && !FBarPrintEmpty)
        return;

    TVardoRep* const report = ParentReport();
    TKVPrinter* printer = Printer() ? Printer() : report ? report->RunPrinter() : nullptr;
    if (!printer || !printer->Canvas())
        return;
    TCanvas& canvas = *printer->Canvas();
    const long double left = Size()->NativeValue(TKVPrintableSize::kvLeft) + ofsX;
    const long double top = Size()->NativeValue(TKVPrintableSize::kvTop) + ofsY;
    const long double width = Size()->NativeValue(TKVPrintableSize::kvWidth);
    const long double height = Size()->NativeValue(TKVPrintableSize::kvHeight);
    const int l = printer->XPos(left);
    const int r = printer->XPos(left + width);
    const int t = printer->YPos(top);
    const int b = printer->YPos(top + height);
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(Transparent() ? bsClear : bsSolid);
    canvas.FillRect(TRect{l, t, r, b});

    if (AutoSize()) {
        FBarcode->DrawBarcode(canvas, l, t);
        return;
    }
    // Measured at the page's resolution without a mark on the page.
    const TSize size = FBarcode->MeasureBarcode(canvas);
    const int w = size.cx;
    const int h = size.cy;
    const TPoint centred{printer->XPos(left + width / 2) - w / 2, printer->YPos(top + height / 2) - h / 2};
    const TPoint at = Placement(FBarcode->Bar_Rotation(), Alignment(), TRect{l, t, r, b}, w, h, centred);
    FBarcode->DrawBarcode(canvas, at.X, at.Y);
}

void TKVBarcode::Unprepare()
{
    TKVDBText::Unprepare();
    QString value;
    try {
        value = GetBarcodeValue();
    } catch (const Exception&) {
        return;
    }
    if (value.left(TCustomBarcode::MaxCaptionLength) != FBarcode->Bar_Caption())
        SetBarcodeText(value);
}

// ---- the design view ----------------------------------------------------------------------------------

void TKVBarcode::Resize()
{
    // The size follows the barcode, not the lines of a text.
    TKVPrintable::Resize();
}

void TKVBarcode::Paint(TCanvas& canvas)
{
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(ClientRect());
    try {
        const QString value = GetBarcodeValue();
        // What a print would refuse shows as an error, not as a code of the value's beginning.
        if (value.size() > TCustomBarcode::MaxCaptionLength)
            throw EOverflow(TooLong());
        if (value != FBarcode->Bar_Caption())
            SetBarcodeText(value);
        PaintBarcode(canvas);
    } catch (const Exception&) {
        // Painting goes on: the value is shown wrong until it is mended, and a print says why.
        PaintErrorMark(canvas);
    }
}

void TKVBarcode::PaintBarcode(TCanvas& canvas)
{
    const int zoom = GetZoom();
    const btCodeRotate rotation = FBarcode->Bar_Rotation();
    int width = Width();
    int height = Height();
    TSize size;
    {
        TZoomMapping mapping(canvas, zoom);
        if (AutoSize()) {
            FBarcode->DrawBarcode(canvas, 0, 0, &size);
            if (Vertical(rotation))
                height = MulDiv(size.cy, zoom, 100);
            else
                width = MulDiv(size.cx, zoom, 100);
        } else {
            size = FBarcode->MeasureBarcode(canvas);
            const int w = size.cx;
            const int h = size.cy;
            const int wl = MulDiv(width, 100, zoom);
            const int hl = MulDiv(height, 100, zoom);
            const TPoint at =
                Placement(rotation, Alignment(), TRect{0, 0, wl, hl}, w, h, TPoint{(wl - w) / 2, (hl - h) / 2});
            FBarcode->DrawBarcode(canvas, at.X, at.Y);
        }
    }
    // The control's thickness fits the barcode and its length is never shorter than it.
    const int zw = MulDiv(size.cx, zoom, 100);
    const int zh = MulDiv(size.cy, zoom, 100);
    if (Vertical(rotation)) {
        width = zw;
        height = std::max(height, zh);
    } else {
        height = zh;
        width = std::max(width, zw);
    }
    if (width != Width() || height != Height())
        SetBounds(Left(), Top(), width, height);
}

void TKVBarcode::PaintErrorMark(TCanvas& canvas)
{
    const int w = Width();
    const int h = Height();
    canvas.Pen()->SetColor(clRed);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetWidth(1);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Rectangle(0, 0, w, h);
    canvas.MoveTo(0, 0);
    canvas.LineTo(w, h);
    canvas.MoveTo(w - 1, 0);
    canvas.LineTo(-1, h);
}

} // namespace tessiv
