#include "engine/model/KVUnits.h"

#include "engine/model/KVBands.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Component.h"
#include "platform/core/Reader.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Writer.h"
#include "platform/printing/DeviceMode.h"

#include <QLocale>

#include <cmath>
#include <optional>

namespace tessiv {

const TEnumInfo& UnitInfo()
{
    static const TEnumInfo info{QStringLiteral("TKVUnit"),
                                {QStringLiteral("kvunMM"), QStringLiteral("kvunInches"), QStringLiteral("kvunPixels"),
                                 QStringLiteral("kvunCharacters"), QStringLiteral("kvunNative")}};
    return info;
}

const TEnumInfo& PrinterOrientationInfo()
{
    static const TEnumInfo info{QStringLiteral("TPrinterOrientation"),
                                {QStringLiteral("poPortrait"), QStringLiteral("poLandscape")}};
    return info;
}

const TEnumInfo& PaperSizeInfo()
{
    static const TEnumInfo info{
        QStringLiteral("TKVPaperSize"),
        {QStringLiteral("Default"), QStringLiteral("Letter"), QStringLiteral("LetterSmall"), QStringLiteral("Tabloid"),
         QStringLiteral("Ledger"), QStringLiteral("Legal"), QStringLiteral("Statement"), QStringLiteral("Executive"),
         QStringLiteral("A3"), QStringLiteral("A4"), QStringLiteral("A4Small"), QStringLiteral("A5"),
         QStringLiteral("B4"), QStringLiteral("B5"), QStringLiteral("Folio"), QStringLiteral("Quarto"),
         QStringLiteral("zt10X14"), QStringLiteral("zt11X17"), QStringLiteral("Note"), QStringLiteral("Env9"),
         QStringLiteral("Env10"), QStringLiteral("Env11"), QStringLiteral("Env12"), QStringLiteral("Env14"),
         QStringLiteral("CSheet"), QStringLiteral("DSheet"), QStringLiteral("ESheet"), QStringLiteral("Custom")}};
    return info;
}

// ---- locale, character cell, papers -----------------------------------------------------------

namespace {

std::optional<bool>& LocaleInches()
{
    static std::optional<bool> value;
    return value;
}

struct TPaperDims {
    long double Width;
    long double Length;
};

// Millimetres, portrait, for Letter (1) .. ESheet (26).
constexpr TPaperDims PaperTable[] = {
    {215.9L, 279.4L}, {215.9L, 279.4L}, {279.4L, 431.8L}, {431.8L, 279.4L}, {215.9L, 355.6L},
    {139.7L, 215.9L}, {190.5L, 254.0L}, {297.0L, 420.0L}, {210.0L, 297.0L}, {210.0L, 297.0L},
    {148.0L, 210.0L}, {250.0L, 354.0L}, {182.0L, 257.0L}, {215.9L, 330.2L}, {215.0L, 275.0L},
    {254.0L, 355.6L}, {279.4L, 431.8L}, {215.9L, 279.0L}, {98.43L, 225.4L}, {104.8L, 241.3L},
    // Envelope #12 is 4 3/4 x 11 in, as its name says; the C, D and E sheets are the engineering
    // sizes 17 x 22, 22 x 34 and 34 x 44 in.
    {114.3L, 263.5L}, {120.65L, 279.4L}, {127.0L, 292.1L}, {431.8L, 558.8L}, {558.8L, 863.6L},
    {863.6L, 1117.6L},
};

const TPaperDims* PaperDims(TKVPaperSize size)
{
    const int n = static_cast<int>(size);
    if (n < 1 || n > static_cast<int>(TKVPaperSize::ESheet))
        return nullptr;
    return &PaperTable[n - 1];
}

// The absolute report font size that defines the character cell. A size of 0 (a font given by
// a zero height) has no cell, so it counts as the report's default size 10, as does a unit
// object that is not on a report yet.
long double CharacterFontSize(const TVardoRep* report)
{
    const int size = report ? std::abs(report->Font()->Size()) : 0;
    return size == 0 ? 10.0L : static_cast<long double>(size);
}

} // namespace

bool LocaleUsesInches()
{
    auto& v = LocaleInches();
    if (!v)
        v = LocaleUsesInches(QLocale::system());
    return *v;
}

bool LocaleUsesInches(const QLocale& locale)
{
    // Only the US system measures paper in inches; the United Kingdom's is metric for paper, as
    // the printer layer has it too.
    return locale.measurementSystem() == QLocale::ImperialUSSystem;
}

void SetLocaleUsesInches(bool value)
{
    LocaleInches() = value;
}

long double CharacterWidth(long double fontSize)
{
    return fontSize / 2.54L * 0.56L;
}

long double CharacterHeight(long double fontSize)
{
    return fontSize / 2.54L * 1.0078L;
}

long double PaperWidthMM(TKVPaperSize size)
{
    const TPaperDims* d = PaperDims(size);
    return d ? d->Width : 0.0L;
}

long double PaperLengthMM(TKVPaperSize size)
{
    const TPaperDims* d = PaperDims(size);
    return d ? d->Length : 0.0L;
}

TKVPaperSize PaperSizeOfCode(int code)
{
    if (code == DMPAPER_USER)
        return TKVPaperSize::Custom;
    if (code >= 1 && code <= static_cast<int>(TKVPaperSize::ESheet))
        return static_cast<TKVPaperSize>(code);
    return TKVPaperSize::Default;
}

// ---- TKVUnitBase ------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVUnitBase, TPersistent)

TKVUnitBase::TKVUnitBase()
    : FPPI(Screen().PixelsPerInch), FUnits(LocaleUsesInches() ? kvunInches : kvunMM), FSavedUnits(FUnits)
{
}

long double TKVUnitBase::FromNative(TKVUnit units, bool horizontal, long double value) const
{
    switch (units) {
    case kvunMM:
        return value / 10;
    case kvunInches:
        return value / 254;
    case kvunPixels:
        return value / (254.0L / FPPI) * FZoom / 100;
    case kvunCharacters: {
        const long double s = CharacterFontSize(FParentReport);
        return value / (horizontal ? CharacterWidth(s) : CharacterHeight(s)) / 10;
    }
    case kvunNative:
        break;
    }
    return value;
}

long double TKVUnitBase::ToNative(TKVUnit units, bool horizontal, long double value) const
{
    switch (units) {
    case kvunMM:
        return value * 10;
    case kvunInches:
        return value * 254;
    case kvunPixels:
        return 254.0L / FPPI * value / FZoom * 100;
    case kvunCharacters: {
        const long double s = CharacterFontSize(FParentReport);
        return (horizontal ? CharacterWidth(s) : CharacterHeight(s)) * value * 10;
    }
    case kvunNative:
        break;
    }
    return value;
}

void TKVUnitBase::PushPixelUnits()
{
    FSavedUnits = FUnits;
    FUnits = kvunPixels;
}

void TKVUnitBase::PopUnits()
{
    FUnits = FSavedUnits;
}

void TKVUnitBase::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        QStringLiteral("Values"), [this](TReader& r) { ReadValues(r); },
        [this](TWriter& w) { WriteValues(w); }, true);
}

void TKVUnitBase::ReadList(TReader& reader, long double* values, int count)
{
    reader.ReadListBegin();
    for (int i = 0; i < count; ++i) {
        if (reader.EndOfList())
            reader.ReadError(QStringLiteral("Values: %1 numbers expected, %2 found").arg(count).arg(i));
        values[i] = reader.ReadFloat();
    }
    if (!reader.EndOfList())
        reader.ReadError(QStringLiteral("Values: more than %1 numbers").arg(count));
    reader.ReadListEnd();
}

void TKVUnitBase::WriteList(TWriter& writer, const long double* values, int count) const
{
    writer.WriteListBegin();
    for (int i = 0; i < count; ++i)
        writer.WriteFloat(values[i]);
    writer.WriteListEnd();
}

// ---- TKVBandSize ------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVBandSize, TKVUnitBase)

TKVBandSize::TKVBandSize(TKVCustomBand* band) : FBand(band) {}

long double TKVBandSize::Value(int index) const
{
    return FromNative(GetUnits(), index == kvWidth, FValues.at(static_cast<size_t>(index)));
}

void TKVBandSize::SetValue(int index, long double value)
{
    FValues.at(static_cast<size_t>(index)) = ToNative(GetUnits(), index == kvWidth, value);
    Changed();
}

void TKVBandSize::SetNativeValue(int index, long double value)
{
    FValues.at(static_cast<size_t>(index)) = value;
    Changed();
}

void TKVBandSize::ReadValues(TReader& reader)
{
    std::array<long double, 2> v{};
    ReadList(reader, v.data(), 2);
    FValues = v;
}

void TKVBandSize::WriteValues(TWriter& writer) const
{
    WriteList(writer, FValues.data(), 2);
}

void TKVBandSize::Changed()
{
    if (!FBand)
        return;
    TUpdatingScope scope(*this);
    FBand->SetBounds(FBand->Left(), FBand->Top(),
                     static_cast<int>(Round(FromNative(kvunPixels, true, FValues[kvWidth]))),
                     static_cast<int>(Round(FromNative(kvunPixels, false, FValues[kvHeight]))));
}

// ---- TKVPage ----------------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVPage, TKVUnitBase,
    t.Enum(QStringLiteral("PaperSize"), PaperSizeInfo(), &TKVPage::PaperSize, &TKVPage::SetPaperSize);
    t.Enum(QStringLiteral("Orientation"), PrinterOrientationInfo(), &TKVPage::Orientation, &TKVPage::SetOrientation);
    t.Integer(QStringLiteral("Columns"), &TKVPage::Columns, &TKVPage::SetColumns);
    t.Integer(QStringLiteral("Lines"), &TKVPage::Lines, &TKVPage::SetLines);
    t.Boolean(QStringLiteral("AutomaticLines"), &TKVPage::AutomaticLines, &TKVPage::SetAutomaticLines);
    t.Boolean(QStringLiteral("Ruler"), &TKVPage::Ruler, &TKVPage::SetRuler, true);
)

TKVPage::TKVPage(TVardoRep* report) : FReport(report)
{
    FParentReport = report;
    const bool inches = LocaleUsesInches();
    FUnits = inches ? kvunInches : kvunMM;
    SetPaperSize(inches ? TKVPaperSize::Letter : TKVPaperSize::A4);
    const long double margin = inches ? 0.5L : 10.0L;
    SetTopMargin(margin);
    SetBottomMargin(margin);
    SetRightMargin(margin);
    SetLeftMargin(margin);
}

long double TKVPage::Value(int index) const
{
    const bool horizontal = index >= kvWidth;
    return FromNative(GetUnits(), horizontal, FValues.at(static_cast<size_t>(index)));
}

void TKVPage::SetValue(int index, long double value)
{
    const bool horizontal = index >= kvWidth;
    switch (index) {
    case kvLength:
    case kvWidth:
        // The size of a standard paper comes from the table.
        if (FPaperSize != TKVPaperSize::Custom)
            return;
        [[fallthrough]];
    case kvBottomMargin:
        FValues.at(static_cast<size_t>(index)) = ToNative(GetUnits(), horizontal, value);
        Changed();
        Relayout();
        return;
    default:
        FValues.at(static_cast<size_t>(index)) = ToNative(GetUnits(), horizontal, value);
        Relayout();
        Repaint();
        return;
    }
}

void TKVPage::SetPaperSize(TKVPaperSize value)
{
    if (value != TKVPaperSize::Default && value != TKVPaperSize::Custom && PaperDims(value)) {
        PushPixelUnits();
        SetUnits(kvunMM);
        FPaperSize = TKVPaperSize::Custom;
        try {
            if (FOrientation == TPrinterOrientation::poPortrait) {
                SetWidth(PaperWidthMM(value));
                SetLength(PaperLengthMM(value));
            } else {
                SetWidth(PaperLengthMM(value));
                SetLength(PaperWidthMM(value));
            }
        } catch (...) {
            PopUnits();
            FPaperSize = value;
            throw;
        }
        PopUnits();
        Relayout();
    }
    FPaperSize = value;
}

void TKVPage::SetOrientation(TPrinterOrientation value)
{
    FOrientation = value;
    SetPaperSize(FPaperSize);
}

void TKVPage::SetColumns(int value)
{
    if (value == FColumns || value < 1)
        return;
    FColumns = value;
    Relayout();
    Repaint();
}

void TKVPage::SetLines(int value)
{
    if (value == FLines || value < 1)
        return;
    FLines = value;
    if (FAutomaticLines) {
        Relayout();
        Repaint();
    }
}

void TKVPage::SetAutomaticLines(bool value)
{
    if (value == FAutomaticLines)
        return;
    FAutomaticLines = value;
    if (value) {
        Relayout();
        Repaint();
    }
}

void TKVPage::SetRuler(bool value)
{
    if (value == FRuler)
        return;
    FRuler = value;
    Repaint();
    if (FReport)
        FReport->SetUnits(FReport->Units());
}

void TKVPage::SetUnits(TKVUnit value)
{
    TKVUnitBase::SetUnits(value);
    Repaint();
}

void TKVPage::ReadValues(TReader& reader)
{
    std::array<long double, ValueCount> v{};
    ReadList(reader, v.data(), ValueCount);
    FValues = v;
    Changed();
}

void TKVPage::WriteValues(TWriter& writer) const
{
    WriteList(writer, FValues.data(), ValueCount);
}

void TKVPage::Changed()
{
    if (FUpdating || !FReport)
        return;
    TUpdatingScope scope(*this);
    FReport->SetWidth(static_cast<int>(Round(FromNative(kvunPixels, true, FValues[kvWidth]))));
    FReport->SetHeight(static_cast<int>(Round(FromNative(kvunPixels, false, FValues[kvLength]))));
}

void TKVPage::Relayout()
{
    if (FReport)
        FReport->SetBandValues();
}

void TKVPage::Repaint()
{
    if (FReport)
        FReport->Invalidate();
}

// ---- TKVPrintableSize -------------------------------------------------------------------------

TESSIV_IMPLEMENT_CLASS(TKVPrintableSize, TKVUnitBase)

TKVPrintableSize::TKVPrintableSize(TControl* control) : FControl(control) {}

long double TKVPrintableSize::Value(int index) const
{
    const bool horizontal = index == kvLeft || index == kvWidth;
    return FromNative(GetUnits(), horizontal, FValues.at(static_cast<size_t>(index)));
}

void TKVPrintableSize::SetValue(int index, long double value)
{
    const bool horizontal = index == kvLeft || index == kvWidth;
    FValues.at(static_cast<size_t>(index)) = ToNative(GetUnits(), horizontal, value);
    Changed();
}

void TKVPrintableSize::SetNativeValue(int index, long double value)
{
    FValues.at(static_cast<size_t>(index)) = value;
    Changed();
}

void TKVPrintableSize::ReadValues(TReader& reader)
{
    std::array<long double, 4> v{};
    ReadList(reader, v.data(), 4);
    FValues = v;
}

void TKVPrintableSize::WriteValues(TWriter& writer) const
{
    WriteList(writer, FValues.data(), 4);
}

void TKVPrintableSize::Changed()
{
    if (!FControl)
        return;
    TUpdatingScope scope(*this);
    auto px = [this](int index, bool horizontal) {
        return static_cast<int>(Round(FromNative(kvunPixels, horizontal, FValues[static_cast<size_t>(index)])));
    };
    FControl->SetBounds(px(kvLeft, true), px(kvTop, false), px(kvWidth, true), px(kvHeight, false));
}

} // namespace tessiv
