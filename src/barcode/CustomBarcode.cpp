#include "barcode/CustomBarcode.h"

#include "platform/core/Cp1252.h"
#include "platform/core/Exceptions.h"

namespace tessiv {

namespace {

template <std::size_t N>
TEnumInfo MakeEnumInfo(const QString& TypeName, const std::array<std::string_view, N>& Names)
{
    TEnumInfo Info;
    Info.TypeName = TypeName;
    for (const std::string_view Name : Names)
        Info.Names << QString::fromLatin1(Name.data(), static_cast<qsizetype>(Name.size()));
    return Info;
}

void CheckRange(int Value, int Low, int High, const char* Message)
{
    if (Value < Low || Value > High)
        throw EOverflow(QString::fromLatin1(Message));
}

} // namespace

const TEnumInfo& btCodeTypesInfo()
{
    static const TEnumInfo Info = MakeEnumInfo(QStringLiteral("btCodeTypes"), btCodeTypesNames);
    return Info;
}

const TEnumInfo& btCodeSizesInfo()
{
    static const TEnumInfo Info = MakeEnumInfo(QStringLiteral("btCodeSizes"), btCodeSizesNames);
    return Info;
}

const TEnumInfo& btCodeRotateInfo()
{
    static const TEnumInfo Info = MakeEnumInfo(QStringLiteral("btCodeRotate"), btCodeRotateNames);
    return Info;
}

const TEnumInfo& btCodeRatioInfo()
{
    static const TEnumInfo Info = MakeEnumInfo(QStringLiteral("btCodeRatio"), btCodeRatioNames);
    return Info;
}

// Properties without a declared default are always stored. A new component holds SC2 although the
// declared default is SC0, so its module width is written unless it is SC0.
TESSIV_IMPLEMENT_CLASS(TCustomBarcode, TGraphicControl,
    t.String(QStringLiteral("Bar_Caption"), &TCustomBarcode::Bar_Caption, &TCustomBarcode::SetBar_Caption);
    t.String(QStringLiteral("Bar_CodeAddon"), &TCustomBarcode::Bar_CodeAddon, &TCustomBarcode::SetBar_CodeAddon);
    t.Enum(QStringLiteral("Bar_CodeType"), btCodeTypesInfo(), &TCustomBarcode::Bar_CodeType,
           &TCustomBarcode::SetBar_CodeType, EAN_8);
    t.String(QStringLiteral("Bar_Fontname"), &TCustomBarcode::Bar_Fontname, &TCustomBarcode::SetBar_Fontname);
    t.Integer(QStringLiteral("Bar_Fontscaling"), &TCustomBarcode::Bar_Fontscaling,
              &TCustomBarcode::SetBar_Fontscaling, 100);
    t.Integer(QStringLiteral("Bar_HeightPercent"), &TCustomBarcode::Bar_HeightPercent,
              &TCustomBarcode::SetBar_HeightPercent, 100);
    t.Boolean(QStringLiteral("Bar_HighDensity"), &TCustomBarcode::Bar_HighDensity,
              &TCustomBarcode::SetBar_HighDensity);
    t.Boolean(QStringLiteral("Bar_HumanReadable"), &TCustomBarcode::Bar_HumanReadable,
              &TCustomBarcode::SetBar_HumanReadable, true);
    t.Enum(QStringLiteral("Bar_ModuleWidth"), btCodeSizesInfo(), &TCustomBarcode::Bar_ModuleWidth,
           &TCustomBarcode::SetBar_ModuleWidth, SC0);
    t.Enum(QStringLiteral("Bar_Ratio"), btCodeRatioInfo(), &TCustomBarcode::Bar_Ratio, &TCustomBarcode::SetBar_Ratio,
           Ratio_3);
    t.Enum(QStringLiteral("Bar_Rotation"), btCodeRotateInfo(), &TCustomBarcode::Bar_Rotation,
           &TCustomBarcode::SetBar_Rotation, rotate_000);
    t.Boolean(QStringLiteral("Bar_WidthReduce"), &TCustomBarcode::Bar_WidthReduce,
              &TCustomBarcode::SetBar_WidthReduce);
    t.Boolean(QStringLiteral("Bar_ZoomSize"), &TCustomBarcode::Bar_ZoomSize, &TCustomBarcode::SetBar_ZoomSize);
    t.template Event<TDragDropEvent>(QStringLiteral("OnDragDrop"),
                                     static_cast<TDragDropEvent TCustomBarcode::*>(&TControl::OnDragDrop));
    t.template Event<TDragOverEvent>(QStringLiteral("OnDragOver"),
                                     static_cast<TDragOverEvent TCustomBarcode::*>(&TControl::OnDragOver));
    t.template Event<TEndDragEvent>(QStringLiteral("OnEndDrag"),
                                    static_cast<TEndDragEvent TCustomBarcode::*>(&TControl::OnEndDrag));
    t.template Event<TMouseEvent>(QStringLiteral("OnMouseDown"),
                                  static_cast<TMouseEvent TCustomBarcode::*>(&TControl::OnMouseDown));
    t.template Event<TMouseMoveEvent>(QStringLiteral("OnMouseMove"),
                                      static_cast<TMouseMoveEvent TCustomBarcode::*>(&TControl::OnMouseMove));
    t.template Event<TMouseEvent>(QStringLiteral("OnMouseUp"),
                                  static_cast<TMouseEvent TCustomBarcode::*>(&TControl::OnMouseUp));
)

TCustomBarcode::TCustomBarcode(TComponent* AOwner)
    : TGraphicControl(AOwner), FBarcode(std::make_unique<TLLBarcode>())
{
    SetBounds(Left(), Top(), 69, 66);
}

TCustomBarcode::~TCustomBarcode() = default;

QString TCustomBarcode::Bar_Caption() const { return FromCp1252(QByteArray::fromStdString(FBarcode->Params().Text())); }

void TCustomBarcode::SetBar_Caption(const QString& Value)
{
    if (Value.size() > MaxCaptionLength)
        throw EOverflow(QStringLiteral("String exceeds maximum length"));
    bool InCodePage = true;
    const QByteArray Bytes = ToCp1252(Value, &InCodePage);
    FBarcode->Params().SetText(Bytes.toStdString(), InCodePage);
    Invalidate();
}

QString TCustomBarcode::Bar_CodeAddon() const { return QString::fromLatin1(FBarcode->Params().Addon()); }

void TCustomBarcode::SetBar_CodeAddon(const QString& Value)
{
    std::string Digits;
    for (const QChar C : Value)
        if (C >= QLatin1Char('0') && C <= QLatin1Char('9'))
            Digits += static_cast<char>(C.unicode());
    // An add-on has 2 or 5 digits.
    Digits.resize(Digits.size() >= 5 ? 5 : Digits.size() >= 2 ? 2 : 0);
    FBarcode->Params().SetAddon(Digits);
    Invalidate();
}

void TCustomBarcode::SetBar_CodeType(btCodeTypes Value)
{
    FBarcode->Params().CodeType = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_Fontname(const QString& Value)
{
    FBarcode->Params().FontName = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_Fontscaling(int Value)
{
    CheckRange(Value, 20, 200, "Bar_Fontscaling must be in the range 20..200!");
    FBarcode->Params().FontScaling = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_HeightPercent(int Value)
{
    CheckRange(Value, 20, 200, "Bar_HeightPercent must be in the range 20..200!");
    FBarcode->Params().HeightPercent = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_HighDensity(bool Value)
{
    FBarcode->Params().HighDensity = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_HumanReadable(bool Value)
{
    FBarcode->Params().HumanReadable = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_ModuleWidth(btCodeSizes Value)
{
    CheckRange(Value, SC0, SC9, "Bar_SC_Size must be in the range 0..9!");
    FBarcode->Params().ModuleWidth = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_Ratio(btCodeRatio Value)
{
    CheckRange(Value, Ratio_3, Ratio_2, "Bar_Ratio must be in the range 0..1 (Ratio_3 or Ratio_2)!");
    FBarcode->Params().Ratio = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_Rotation(btCodeRotate Value)
{
    CheckRange(Value, rotate_000, rotate_270, "Bar_Rotate must be in the range rotate_000..rotate_270!");
    FBarcode->Params().Rotation = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_WidthReduce(bool Value)
{
    FBarcode->Params().WidthReduce = Value;
    Invalidate();
}

void TCustomBarcode::SetBar_ZoomSize(bool Value)
{
    FBarcode->Params().ZoomSize = Value;
    Invalidate();
}

void TCustomBarcode::DrawBarcode(TCanvas& Canvas, int X, int Y, TSize* Size)
{
    TSize Covered;
    FBarcode->DrawBarcode(Canvas, X, Y, Covered);
    if (Size)
        *Size = Covered;
}

TSize TCustomBarcode::MeasureBarcode(TCanvas& Canvas)
{
    TSize Covered;
    FBarcode->MeasureBarcode(Canvas, Covered);
    return Covered;
}

void TCustomBarcode::Paint(TCanvas& Canvas)
{
    TSize Covered;
    FBarcode->DrawBarcode(Canvas, 0, 0, Covered);
    SetBounds(Left(), Top(), Covered.cx, Covered.cy);
}

} // namespace tessiv
