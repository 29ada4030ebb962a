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
#include "platform/printing/Printer.h"

#include <QPainter>

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

// Holds the fit off for a scope, and gives back what it was.
class TFitHold {
public:
    explicit TFitHold(bool& fitting) : FFitting(fitting), FWas(fitting) { fitting = true; }
    ~TFitHold() { FFitting = FWas; }
    TFitHold(const TFitHold&) = delete;
    TFitHold& operator=(const TFitHold&) = delete;

private:
    bool& FFitting;
    bool FWas;
};

// Dots and tenths of a millimetre at a resolution.
long double DotsToNative(int dots, int dpi) { return dots * 254.0L / dpi; }
int NativeToDots(long double native, int dpi) { return static_cast<int>(Round(native * dpi / 254.0L)); }

// The size's own unit for a scope: the fitted lengths are set in tenths of a millimetre.
class TNativeScope {
public:
    explicit TNativeScope(TKVPrintableSize& size) : FSize(size), FSaved(size.GetUnits()) { size.SetUnits(kvunNative); }
    ~TNativeScope() { FSize.SetUnits(FSaved); }
    TNativeScope(const TNativeScope&) = delete;
    TNativeScope& operator=(const TNativeScope&) = delete;

private:
    TKVPrintableSize& FSize;
    TKVUnit FSaved;
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
    BarcodeChanged();
}

// ---- properties -----------------------------------------------------------------------------------

void TKVBarcode::SetAutoSize(bool value)
{
    TKVCustomLabel::SetAutoSize(value);
    BarcodeChanged();
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
    BarcodeChanged();
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
    BarcodeChanged();
}

void TKVBarcode::SetBar_HeightPercent(int value)
{
    FBarcode->SetBar_HeightPercent(value);
    BarcodeChanged();
}

void TKVBarcode::SetBar_HumanReadable(bool value)
{
    FBarcode->SetBar_HumanReadable(value);
    BarcodeChanged();
}

void TKVBarcode::SetBar_ModuleWidth(btCodeSizes value)
{
    FBarcode->SetBar_ModuleWidth(value);
    BarcodeChanged();
}

void TKVBarcode::SetBar_Ratio(btCodeRatio value)
{
    FBarcode->SetBar_Ratio(value);
    BarcodeChanged();
}

void TKVBarcode::SetBar_Rotation(btCodeRotate value)
{
    FBarcode->SetBar_Rotation(value);
    BarcodeChanged();
}

void TKVBarcode::SetBar_Fontname(const QString& value)
{
    FBarcode->SetBar_Fontname(value);
    BarcodeChanged();
}

void TKVBarcode::SetBar_FontScaling(int value)
{
    FBarcode->SetBar_Fontscaling(value);
    BarcodeChanged();
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

    // Measured at the page's resolution without a mark on the page.
    const TSize size = AutoSize() ? TSize{} : FBarcode->MeasureBarcode(canvas);
    const TPoint centre{printer->XPos(left + width / 2), printer->YPos(top + height / 2)};
    const TPoint at = PlaceInBox(TRect{l, t, r, b}, size, centre);
    FBarcode->DrawBarcode(canvas, at.X, at.Y);
}

TPoint TKVBarcode::PlaceInBox(const TRect& box, TSize size, TPoint centre) const
{
    if (AutoSize())
        return {box.Left, box.Top};
    const TPoint centred{centre.X - size.cx / 2, centre.Y - size.cy / 2};
    return Placement(FBarcode->Bar_Rotation(), Alignment(), box, size.cx, size.cy, centred);
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

// ---- the size -------------------------------------------------------------------------------------

TBarcodeResolution TKVBarcode::LayoutResolution() const
{
    const TBarcodeResolution pdf{TPrinter::PdfResolution, TPrinter::PdfResolution};
    TVardoRep* const report = ParentReport();
    TPrinter* const printer = report ? report->PrivatePrinter() : nullptr;
    if (!printer || printer->Printers()->Count() == 0)
        return pdf;
    try {
        const TBarcodeResolution dpi{printer->GetDeviceCaps(LOGPIXELSX), printer->GetDeviceCaps(LOGPIXELSY)};
        return dpi.X > 0 && dpi.Y > 0 ? dpi : pdf;
    } catch (const Exception&) {
        // A printer gone since it was chosen: its print fails on its own.
        return pdf;
    }
}

TSize TKVBarcode::MeasureAt(TBarcodeResolution dpi)
{
    TPainterCanvas measuring(nullptr, TDeviceCaps{dpi.X, dpi.Y, 1, 1});
    return FBarcode->MeasureBarcode(measuring);
}

TBarcodeLengths TKVBarcode::FittedSize(long double width, long double height)
{
    TKVPrintableSize& size = *Size();
    const TKVUnit units = size.GetUnits();
    const TBarcodeResolution dpi = LayoutResolution();
    TSize dots;
    try {
        dots = MeasureAt(dpi);
    } catch (const Exception&) {
        // The design view marks the value; the size stays as asked until it can be drawn.
        return {width, height};
    }
    const long double w = size.FromNative(units, true, DotsToNative(dots.cx, dpi.X));
    const long double h = size.FromNative(units, false, DotsToNative(dots.cy, dpi.Y));
    if (Vertical(FBarcode->Bar_Rotation()))
        return {w, AutoSize() ? h : std::max(height, h)};
    return {AutoSize() ? w : std::max(width, w), h};
}

void TKVBarcode::FitSize()
{
    const TComponentState state = ComponentState();
    if (FFitting || !ParentReport() || Printing() || state.Contains(csReading) || state.Contains(csLoading) ||
        state.Contains(csDestroying))
        return;
    TKVPrintableSize& size = *Size();
    TNativeScope native(size);
    const long double width = size.Width();
    const long double height = size.Height();
    const TBarcodeLengths fitted = FittedSize(width, height);
    if (fitted.Width == width && fitted.Height == height)
        return;
    const TFitHold hold(FFitting);
    size.SetWidth(fitted.Width);
    size.SetHeight(fitted.Height);
}

void TKVBarcode::BarcodeChanged()
{
    FitSize();
    Invalidate();
}

void TKVBarcode::SetBounds(int left, int top, int width, int height)
{
    if (Size()->Updating()) {
        // The size applies its lengths: the fit, when they are not the barcode's, applies again.
        TKVDBText::SetBounds(left, top, width, height);
    } else {
        // The asked bounds go into the size and onto the control whole before the fit: a fit in
        // between would be overwritten by the rest of them.
        const TFitHold hold(FFitting);
        TKVDBText::SetBounds(left, top, width, height);
    }
    FitSize();
}

void TKVBarcode::Loaded()
{
    TKVDBText::Loaded();
    FitSize();
}

void TKVBarcode::CopyFrom(const TKVPrintable* source)
{
    {
        const TFitHold hold(FFitting);
        TKVDBText::CopyFrom(source);
    }
    FitSize();
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
    // The control always fits its barcode; a value that changed its length is taken here.
    FitSize();
    // The box and the barcode in the printer's dots, placed as a print places them, then shown at
    // the control's pixels: what the view shows is what the paper gets.
    const TBarcodeResolution dpi = LayoutResolution();
    const TSize size = MeasureAt(dpi);
    const long double width = Size()->NativeValue(TKVPrintableSize::kvWidth);
    const long double height = Size()->NativeValue(TKVPrintableSize::kvHeight);
    const TRect box{0, 0, std::max(1, NativeToDots(width, dpi.X)), std::max(1, NativeToDots(height, dpi.Y))};
    const TPoint at = PlaceInBox(box, size, TPoint{NativeToDots(width / 2, dpi.X), NativeToDots(height / 2, dpi.Y)});
    const long double sx = static_cast<long double>(Width()) / box.Right;
    const long double sy = static_cast<long double>(Height()) / box.Bottom;
    const auto px = [](long double v) { return static_cast<int>(Round(v)); };
    const TRect shown{px(at.X * sx), px(at.Y * sy), px((at.X + size.cx) * sx), px((at.Y + size.cy) * sy)};
    if (shown.Width() < 1 || shown.Height() < 1 || size.cx < 1 || size.cy < 1)
        return;
    const TDesignPicture key{FBarcode->Barcode().Params(), dpi, Color(), shown.Width(), shown.Height()};
    if (FPicture.isNull() || !(key == FPictureKey)) {
        QImage dots(size.cx, size.cy, QImage::Format_RGB32);
        dots.fill(ColorToQColor(Color()));
        {
            QPainter painter(&dots);
            TPainterCanvas drawn(&painter, TDeviceCaps{dpi.X, dpi.Y, size.cx, size.cy});
            FBarcode->DrawBarcode(drawn, 0, 0);
        }
        FPicture = dots.scaled(shown.Width(), shown.Height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        FPictureKey = key;
    }
    canvas.StretchDIBits(shown, TRect{0, 0, shown.Width(), shown.Height()}, FPicture);
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
