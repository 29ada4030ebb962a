#include "engine/printables/KVCustomLabel.h"

#include "engine/model/KVBands.h"
#include "engine/export/KVExportFilter.h"
#include "engine/run/KVPrinter.h"
#include "engine/run/KVRunHooks.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Reader.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Writer.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessiv {

namespace {

bool IsVertical(TKVRotacao r)
{
    return r == rotacao_090 || r == rotacao_270;
}

unsigned TextAlignFor(TAlignment a)
{
    switch (a) {
    case taRightJustify: return TA_RIGHT;
    case taCenter: return TA_CENTER;
    case taLeftJustify: break;
    }
    return TA_LEFT;
}

// Sets a flag for a scope, putting back what it was.
struct TFlagScope {
    explicit TFlagScope(bool& flag) : Flag(flag), Saved(flag) { Flag = true; }
    ~TFlagScope() { Flag = Saved; }
    bool& Flag;
    bool Saved;
};

} // namespace

TESSIV_IMPLEMENT_CLASS(TKVCustomLabel, TKVPrintable,
    t.Enum(QStringLiteral("Rotacao"), RotacaoInfo(), &TKVCustomLabel::Rotacao, &TKVCustomLabel::SetRotacao);
    t.String(QStringLiteral("StrPreencheRodape"), &TKVCustomLabel::StrPreencheRodape,
             &TKVCustomLabel::SetStrPreencheRodape);
    t.Boolean(QStringLiteral("ParentColor"), &TKVCustomLabel::ParentColor, &TKVCustomLabel::SetParentColor, true);
)

TKVCustomLabel::TKVCustomLabel(TComponent* owner)
    : TKVPrintable(owner), FFormattedLines(std::make_unique<TStringList>()), FLines(std::make_unique<TStringList>())
{
    SetParentColor(true);
    SetTransparent(false);
    TControl::SetText(QString());
}

TKVCustomLabel::~TKVCustomLabel() = default;

// ---- measuring --------------------------------------------------------------------------------

bool TKVCustomLabel::RunMeasures() const
{
    return Printing() && ParentReport();
}

long double TKVCustomLabel::TW(const QString& text)
{
    if (TVardoRep* report = ParentReport()) {
        if (RunMeasures())
            return report->PrintTextWidth(Font(), text);
        return MulDiv(report->TextWidth(Font(), text), GetZoom(), 100);
    }
    return Canvas()->TextWidth(text);
}

long double TKVCustomLabel::FormatLineHeight()
{
    if (!RunMeasures())
        return LineHeightPixels();
    // The height the designer gives at zoom 100: what prints does not follow the zoom.
    const int h = ParentReport()->TextHeight(Font(), QStringLiteral("W"));
    return Size()->ToNative(kvunPixels, false, h + 1) * Size()->Zoom() / 100;
}

TKVCustomLabel::TExtents TKVCustomLabel::CurrentExtents() const
{
    const TKVPrintableSize& size = *Size();
    const long double w = size.NativeValue(TKVPrintableSize::kvWidth);
    const long double h = size.NativeValue(TKVPrintableSize::kvHeight);
    return {size.NativeValue(TKVPrintableSize::kvLeft), size.NativeValue(TKVPrintableSize::kvTop),
            IsVertical(FRotacao) ? h : w, IsVertical(FRotacao) ? w : h};
}

void TKVCustomLabel::ApplyExtents(const TExtents& e)
{
    const long double width = IsVertical(FRotacao) ? e.Line : e.Length;
    const long double height = IsVertical(FRotacao) ? e.Length : e.Line;
    // In 0.1 mm, as they are: the pixels follow, and nothing is rounded to them.
    TKVPrintableSize& size = *Size();
    const TKVUnit saved = size.GetUnits();
    size.SetUnits(kvunNative);
    try {
        bool written = false;
        const auto write = [&size, &written](int index, long double value) {
            if (size.NativeValue(index) != value) {
                size.SetValue(index, value);
                written = true;
            }
        };
        write(TKVPrintableSize::kvLeft, e.Left);
        write(TKVPrintableSize::kvTop, e.Top);
        write(TKVPrintableSize::kvWidth, width);
        write(TKVPrintableSize::kvHeight, height);
        // The lengths may be right while the bounds are not (bounds being set round this
        // formatting): they follow the lengths all the same.
        if (!written)
            size.Update();
    } catch (...) {
        size.SetUnits(saved);
        throw;
    }
    size.SetUnits(saved);
}

int TKVCustomLabel::LineHeightPixels()
{
    const int h = ParentReport() ? ParentReport()->TextHeight(Font(), QStringLiteral("W")) : Canvas()->TextHeight(QStringLiteral("W"));
    return h * GetZoom() / 100 + 1;
}

int TKVCustomLabel::LengthExtent() const
{
    return IsVertical(FRotacao) ? Height() : Width();
}

int TKVCustomLabel::LineExtent() const
{
    return IsVertical(FRotacao) ? Width() : Height();
}

void TKVCustomLabel::FollowSize()
{
    const TKVPrintableSize& size = *Size();
    const auto px = [&size](int index, bool horizontal) {
        return static_cast<int>(Round(size.FromNative(kvunPixels, horizontal, size.NativeValue(index))));
    };
    if (px(TKVPrintableSize::kvLeft, true) == Left() && px(TKVPrintableSize::kvTop, false) == Top() &&
        px(TKVPrintableSize::kvWidth, true) == Width() && px(TKVPrintableSize::kvHeight, false) == Height())
        return;
    TFlagScope adjusting(FAdjusting);
    Size()->Update();
}

// ---- formatting -------------------------------------------------------------------------------

void TKVCustomLabel::FormatLines()
{
    if (!Parent()) {
        FFormatted = true;
        return;
    }
    FFormattedLines->Clear();
    // In the designer the pixels at the zoom decide whether and how the control is sized, as
    // they show it; in a run the printer's measures do. Either way the new size is written in
    // 0.1 mm from where the control was, never rounded to the zoom's pixels: formatting, zooming
    // and running again do not move a control bit by bit.
    const bool run = RunMeasures();
    const auto native = [this, run](long double v) { return run ? v : Size()->ToNative(kvunPixels, true, v); };
    const auto lengthNow = [this, run] {
        return run ? CurrentExtents().Length : static_cast<long double>(LengthExtent());
    };
    const auto lineNow = [this, run] {
        return run ? CurrentExtents().Line : static_cast<long double>(LineExtent());
    };
    FMaxWidth = lengthNow();
    TVardoRep* const report = ParentReport();
    // While the control is read its stored bounds hold: half-read settings must not move it.
    const bool mayResize = !FAdjusting && !ComponentState().Contains(csReading);
    if (!Caption().isEmpty() && !IsMergeMemo()) {
        FormatLine(Caption());
        if (mayResize && report) {
            const long double lh = FormatLineHeight();
            if (lh > lineNow()) {
                TFlagScope adjusting(FAdjusting);
                TExtents e = CurrentExtents();
                e.Line = native(lh);
                ApplyExtents(e);
            }
        }
    } else {
        // With AutoSize too: a line break inside a line (a merged value typed on two lines)
        // starts a line of its own, as it does in a caption; AutoSize only never wraps.
        for (int i = 0; i < FLines->Count(); ++i)
            FormatLine(FLines->Strings(i));
    }

    if (mayResize && report) {
        if (!run)
            FollowSize();
        const long double lh = FormatLineHeight();
        if (FAutoSize && SizesLengthToText()) {
            long double maxLen = 0;
            for (int i = 0; i < FFormattedLines->Count(); ++i)
                maxLen = std::max(maxLen, TW(FFormattedLines->Strings(i)));
            // The frame's points count as pixels; in a run, pixels at zoom 100.
            const long double frame = run ? Size()->ToNative(kvunPixels, true, Frame()->Width()) * Size()->Zoom() / 100
                                          : static_cast<long double>(Frame()->Width());
            if (Frame()->DrawLeft())
                maxLen += frame;
            if (Frame()->DrawRight())
                maxLen += frame;
            TExtents e = CurrentExtents();
            const long double now = run ? e.Length : Size()->FromNative(kvunPixels, true, e.Length);
            // In the designer a length within a pixel of the text's is the text's: the zoom
            // alone never resizes, nor so moves, a text.
            const bool longer = run ? maxLen != now : std::fabs(maxLen - now) >= 1;
            const bool taller = lh > lineNow();
            if (longer || taller) {
                TFlagScope adjusting(FAdjusting);
                const long double length = longer ? native(maxLen) : e.Length;
                // The edge the text is anchored at stays where it is. A centred text keeps its
                // centre: in the designer to the whole pixel below, in a run exactly.
                const long double full = e.Length - length;
                const long double half =
                    run ? full / 2
                        : native(static_cast<long double>(
                              static_cast<int>(Round(Size()->FromNative(kvunPixels, true, full))) / 2));
                const bool right = Alignment() == taRightJustify;
                const bool centre = Alignment() == taCenter;
                const bool leftJ = Alignment() == taLeftJustify;
                switch (FRotacao) {
                case rotacao_000:
                    e.Left += right ? full : centre ? half : 0;
                    break;
                case rotacao_090:
                    e.Top += leftJ ? full : centre ? half : 0;
                    break;
                case rotacao_180:
                    e.Left += leftJ ? full : centre ? half : 0;
                    break;
                case rotacao_270:
                    e.Top += right ? full : centre ? half : 0;
                    break;
                }
                e.Length = length;
                if (taller)
                    e.Line = native(lh);
                ApplyExtents(e);
            }
        } else if (FAutoStretch || (FFormattedLines->Count() == 1 && !FKeepHeight)) {
            // An AutoStretch text is one line high in the designer, whatever the text: the band
            // grows as it prints.
            if (lineNow() != lh) {
                TFlagScope adjusting(FAdjusting);
                TExtents e = CurrentExtents();
                e.Line = native(lh);
                ApplyExtents(e);
            }
        }
    }
    FFormatted = true;
}

void TKVCustomLabel::FormatLine(const QString& text)
{
    QString s = text;
    s.remove(QChar(10));
    const qsizetype cr = s.indexOf(QChar(13));
    if (cr >= 0) {
        qsizetype from = 0;
        for (qsizetype at = cr; at >= 0; at = s.indexOf(QChar(13), from)) {
            FormatLine(s.mid(from, at - from));
            from = at + 1;
        }
        FormatLine(s.mid(from));
        return;
    }
    FLine.clear();
    FDone = false;
    if (FAutoSize) {
        FFormattedLines->Add(s);
        FDone = true;
        return;
    }
    // Words run up to and including a blank or a hyphen.
    qsizetype start = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char(' ') || s[i] == QLatin1Char('-')) {
            AddWord(s.mid(start, i - start + 1));
            start = i + 1;
        }
    }
    if (start < s.size())
        AddWord(s.mid(start));
    if (!FDone)
        FFormattedLines->Add(FLine);
}

void TKVCustomLabel::AddWord(QString word)
{
    // Without word wrap the text ends at the first word that does not fit.
    if (FDone)
        return;
    if (TW(FLine + word) <= FMaxWidth) {
        FLine += word;
        return;
    }
    if (FLine.isEmpty()) {
        // A word wider than the line keeps the characters that fit and loses the rest; they are
        // the line being built, so a word alone makes one line, not one and an empty one.
        FLine = word.left(FittingLength(word, true));
        return;
    }
    FFormattedLines->Add(FLine);
    FLine.clear();
    const bool cut = TW(word) > FMaxWidth;
    if (cut) {
        // Too wide for a line of its own as well: its beginning, cut to the line, is one.
        if (FMaxWidth == 0)
            word.clear();
        else
            word.truncate(FittingLength(word, false));
    }
    if (!FWordWrap) {
        if (cut)
            FFormattedLines->Add(word);
        FDone = true;
        return;
    }
    // The word begins the next line.
    FLine = word;
}

qsizetype TKVCustomLabel::FittingLength(const QString& text, bool belowMax)
{
    const auto fits = [&](qsizetype n) {
        const long double w = TW(text.left(n));
        return belowMax ? w < FMaxWidth : w <= FMaxWidth;
    };
    // A beginning is never narrower than a shorter one, so the longest that fits is found by
    // halving. The search first doubles from the front: a word of any length costs only measures
    // of beginnings about as long as a line, never one character less at a time.
    qsizetype fitting = 0;
    qsizetype tooLong = text.size() + 1;
    for (qsizetype n = 1; n <= text.size(); n *= 2) {
        if (!fits(n)) {
            tooLong = n;
            break;
        }
        fitting = n;
    }
    if (tooLong > text.size() && fitting < text.size()) {
        if (fits(text.size()))
            return text.size();
        tooLong = text.size();
    }
    while (tooLong - fitting > 1) {
        const qsizetype mid = fitting + (tooLong - fitting) / 2;
        if (fits(mid))
            fitting = mid;
        else
            tooLong = mid;
    }
    return fitting;
}

// ---- setters ----------------------------------------------------------------------------------

void TKVCustomLabel::SetText(const QString& text)
{
    TKVPrintable::SetText(text);
    FormatLines();
    Invalidate();
}

void TKVCustomLabel::SetLines(const TStrings* value)
{
    FLines->Assign(value);
    if (Caption().isEmpty())
        FormatLines();
    else
        SetText(QString());
    Invalidate();
}

void TKVCustomLabel::SetAutoSize(bool value)
{
    FAutoSize = value;
    FormatLines();
    Invalidate();
}

void TKVCustomLabel::SetAutoStretch(bool value)
{
    FAutoStretch = value;
    FormatLines();
    Invalidate();
}

void TKVCustomLabel::SetWordWrap(bool value)
{
    FWordWrap = value;
    Invalidate();
}

void TKVCustomLabel::SetRotacao(TKVRotacao value)
{
    if (value == FRotacao)
        return;
    if (IsVertical(value) != IsVertical(FRotacao) && !ComponentState().Contains(csReading)) {
        TFlagScope adjusting(FAdjusting);
        SetBounds(Left(), Top(), Height(), Width());
    }
    FRotacao = value;
    FormatLines();
    Invalidate();
}

void TKVCustomLabel::SetName(const QString& name)
{
    const QString old = Name();
    const bool follow = Caption().isEmpty() || Caption() == old;
    TKVPrintable::SetName(name);
    // A new label shows its name.
    if (follow && !ComponentState().Contains(csReading) && !ComponentState().Contains(csLoading))
        SetText(name);
}

void TKVCustomLabel::SetParent(TWinControl* parent)
{
    TKVPrintable::SetParent(parent);
    FormatLines();
}

void TKVCustomLabel::Resize()
{
    TKVPrintable::Resize();
    if (!ComponentState().Contains(csReading))
        FormatLines();
}

void TKVCustomLabel::FontChanged()
{
    TKVPrintable::FontChanged();
    if (!ComponentState().Contains(csReading))
        FormatLines();
}

// ---- streaming --------------------------------------------------------------------------------

void TKVCustomLabel::DefineProperties(TFiler& filer)
{
    TKVPrintable::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("FontSize"), [this](TReader& r) { FLegacyFontSize = r.ReadInteger(); },
        [this](TWriter& w) { w.WriteInteger(Font()->Size()); }, true);
    // Older files: the visibility became Enabled; the memo's tab stop is gone.
    filer.DefineProperty(QStringLiteral("Visible"), [this](TReader& r) { SetEnabled(r.ReadBoolean()); }, nullptr,
                         false);
    if (ReadsLegacyTabStop())
        filer.DefineProperty(QStringLiteral("TabStop"), [](TReader& r) { r.ReadBoolean(); }, nullptr, false);
}

void TKVCustomLabel::Loaded()
{
    TKVPrintable::Loaded();
    // Set only when it differs: a font taken from the parent stays so.
    if (FLegacyFontSize > 0 && Font()->Size() != FLegacyFontSize)
        Font()->SetSize(FLegacyFontSize);
    FormatLines();
}

// ---- copying ----------------------------------------------------------------------------------

void TKVCustomLabel::CopyFrom(const TKVPrintable* source)
{
    const auto* label = dynamic_cast<const TKVCustomLabel*>(source);
    {
        // The bounds copied are the source's: the text set on the way formats without resizing.
        TFlagScope adjusting(FAdjusting);
        TKVPrintable::CopyFrom(source);
        if (!label || label == this)
            return;
        SetAlignment(label->Alignment());
        FAutoSize = label->FAutoSize;
        FAutoStretch = label->FAutoStretch;
        TKVPrintable::SetText(label->Caption());
        FLines->Assign(label->FLines.get());
        FWordWrap = label->FWordWrap;
        // The bounds copied are already those of the source's direction: no turning again.
        FRotacao = label->FRotacao;
        FStrPreencheRodape = label->FStrPreencheRodape;
        OnPrint = label->OnPrint;
    }
    if (label && label != this) {
        FormatLines();
        Invalidate();
    }
}

// ---- design view ------------------------------------------------------------------------------

void TKVCustomLabel::Paint(TCanvas& canvas)
{
    canvas.SetFont(Font());
    const int size = static_cast<int>(Round(Font()->Size() * static_cast<long double>(GetZoom()) / 100));
    if (canvas.Font()->Size() != size)
        canvas.Font()->SetSize(size);
    TKVPrintable::Paint(canvas);
    DrawLines(canvas, canvas.TextHeight(QStringLiteral("W")));
    // The corner marks over the text.
    PaintCornerMarks(canvas);
}

void TKVCustomLabel::DrawLines(TCanvas& canvas, int lineHeight)
{
    if (!FFormatted)
        FormatLines();
    TRect fill{0, 0, Width(), Height()};
    const int inset = static_cast<int>(
        Round(GetZoom() * (Frame()->Width() / 72.0L * Screen().PixelsPerInch) / 100));
    if (Frame()->Width() > 0) {
        if (Frame()->DrawLeft())
            fill.Left += inset;
        if (Frame()->DrawTop())
            fill.Top += inset;
        if (Frame()->DrawRight())
            fill.Right -= inset;
        if (Frame()->DrawBottom())
            fill.Bottom -= inset;
    }
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(Transparent() ? bsClear : bsSolid);
    canvas.FillRect(fill);
    canvas.SetBkMode(TRANSPARENT);
    canvas.SetTextAlign(TextAlignFor(Alignment()));
    TRect r{0, 0, Width(), Height()};
    if (IsVertical(FRotacao))
        r = TRect{0, 0, Height(), Width()};
    const int e = r.Right;
    int x0 = 0;
    int y0 = 0;
    const bool right = Alignment() == taRightJustify;
    const bool centre = Alignment() == taCenter;
    switch (FRotacao) {
    case rotacao_000: x0 += right ? e : centre ? e / 2 : 0; break;
    case rotacao_090: y0 -= right ? e : centre ? e / 2 : 0; break;
    case rotacao_180: x0 -= right ? e : centre ? e / 2 : 0; break;
    case rotacao_270: y0 += right ? e : centre ? e / 2 : 0; break;
    }
    for (int i = 0; i < FFormattedLines->Count(); ++i) {
        const QString line = FFormattedLines->Strings(i);
        if (line.isEmpty())
            continue;
        TPoint start{x0, y0};
        switch (FRotacao) {
        case rotacao_000: start.Y += i * lineHeight; break;
        case rotacao_090: start.X += i * lineHeight; break;
        case rotacao_180: start.Y -= i * lineHeight; break;
        case rotacao_270: start.X -= i * lineHeight; break;
        }
        if (TVardoRep* report = ParentReport())
            report->TextOutRotated(start, r, line, &canvas, canvas.Font(), FRotacao);
        else
            canvas.TextOut(start.X, start.Y, line);
    }
}

// ---- the run ----------------------------------------------------------------------------------

void TKVCustomLabel::Prepare()
{
    // Prepared again within a run, the size the designer gave is the one noted first.
    if (!Printing()) {
        for (int i = 0; i < 4; ++i)
            FDesignSize[static_cast<size_t>(i)] = Size()->NativeValue(i);
        FHasDesignSize = true;
    }
    TKVPrintable::Prepare();
    if (!Caption().isEmpty())
        FormatLines();
}

void TKVCustomLabel::Unprepare()
{
    // The designer's text is formatted while the run's measures still hold, so only the size
    // noted before the run decides where the control ends.
    RestoreDesignText();
    TKVPrintable::Unprepare();
    if (!FHasDesignSize)
        return;
    FHasDesignSize = false;
    TFlagScope adjusting(FAdjusting);
    TKVPrintableSize& size = *Size();
    const TKVUnit saved = size.GetUnits();
    size.SetUnits(kvunNative);
    try {
        for (int i = 0; i < 4; ++i)
            if (size.NativeValue(i) != FDesignSize[static_cast<size_t>(i)])
                size.SetValue(i, FDesignSize[static_cast<size_t>(i)]);
    } catch (...) {
        size.SetUnits(saved);
        throw;
    }
    size.SetUnits(saved);
    FormatLines();
}

void TKVCustomLabel::Print(int ofsX, int ofsY)
{
    if (!Enabled())
        return;
    TKVPrinter* printer = Printer();
    if (!printer && ParentReport())
        printer = ParentReport()->RunPrinter();
    if (!printer || !printer->Canvas())
        return;
    printer->Canvas()->SetFont(Font());
    PrintToCanvas(*printer, Size()->NativeValue(TKVPrintableSize::kvLeft) + ofsX,
                  Size()->NativeValue(TKVPrintableSize::kvTop) + ofsY);
}

bool TKVCustomLabel::FillHolds() const
{
    if (FStrPreencheRodape.isEmpty() || !ParentReport())
        return false;
    TKVCustomBand* detail = ParentReport()->FirstBandOfKind(rbDetail);
    TKVItemAreaRun* area = detail ? detail->ItemArea() : nullptr;
    if (!area || area->IsLastPage())
        return false;
    TKVCustomBand* footer = area->ParentGroupFooter();
    return footer && footer == Parent() && dynamic_cast<TKVBand*>(Parent());
}

void TKVCustomLabel::PrintToCanvas(TKVPrinter& p, long double x, long double y)
{
    TVardoRep* const report = ParentReport();
    if (!report)
        return;
    const auto lineHeight = [this, &p] {
        const long double factor = IsVertical(FRotacao) ? p.XFactor() : p.YFactor();
        return p.Canvas()->TextHeight(QStringLiteral("W")) / factor;
    };
    long double lh = lineHeight();

    // The text of this print: OnPrint's or the footer fill's, put back whatever happens.
    struct TCaptionRestore {
        TKVCustomLabel* Label = nullptr;
        QString Saved;
        bool Active = false;
        ~TCaptionRestore()
        {
            if (!Active)
                return;
            try {
                Label->SetText(Saved);
            } catch (...) {
                // The designer's text goes back even when formatting it fails again.
            }
        }
    } restore{this, QString(), false};
    const bool fill = !Caption().isEmpty() && FillHolds();
    if (!Caption().isEmpty() && (OnPrint || fill)) {
        QString value = Caption();
        if (fill) {
            const qsizetype n = value.size();
            QString filled;
            while (filled.size() < n)
                filled += FStrPreencheRodape;
            value = filled.left(n);
        } else {
            OnPrint(this, value);
        }
        p.Canvas()->SetFont(Font());
        lh = lineHeight();
        if (value != Caption()) {
            restore.Saved = Caption();
            restore.Active = true;
            SetText(value);
        }
    } else {
        FormatLines();
    }

    const long double w = Size()->NativeValue(TKVPrintableSize::kvWidth);
    const long double h = Size()->NativeValue(TKVPrintableSize::kvHeight);
    TCanvas* canvas = p.Canvas();
    const int n = FFormattedLines->Count();

    if (report->Graphics()) {
        canvas->Pen()->SetWidth(0);
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(Transparent() ? bsClear : bsSolid);
        long double x1 = x, y1 = y, x2 = x + w, y2 = y + h;
        if (FAutoStretch) {
            switch (FRotacao) {
            case rotacao_000: y2 = y + h * n; break;
            case rotacao_180: y1 = y + h; y2 = y1 - h * n; break;
            case rotacao_090: x2 = x + w * n; break;
            case rotacao_270: x1 = x + w; x2 = x1 - w * n; break;
            }
        }
        const TRect box{p.XPos(x1), p.YPos(y1), p.XPos(x2), p.YPos(y2)};
        if (!Transparent())
            canvas->FillRect(box);
        if (Frame()->HasSides())
            Frame()->PaintIt(*canvas, box, p.XFactor(), p.YFactor());
    }
    if (Frame()->HasSides()) {
        const long double inset = Round(Frame()->Width() / 72.0L * 254);
        if (Frame()->DrawTop())
            y += inset;
        if (Frame()->DrawLeft())
            x += inset;
    }
    long double limit = 0;
    switch (FRotacao) {
    case rotacao_000: limit = y + h + 1; break;
    case rotacao_090: limit = x + w + 1; break;
    case rotacao_180: limit = y - h - 1; break;
    case rotacao_270: limit = x - w - 1; break;
    }
    const TRect r = IsVertical(FRotacao) ? TRect{0, 0, p.YSize(h), p.XSize(w)} : TRect{0, 0, p.XSize(w), p.YSize(h)};
    long double x0 = x;
    long double y0 = y;
    const auto prepareCanvas = [this](TCanvas* c) {
        c->SetBkMode(TRANSPARENT);
        c->SetTextAlign(TextAlignFor(Alignment()));
    };
    prepareCanvas(canvas);

    const bool right = Alignment() == taRightJustify;
    const bool centre = Alignment() == taCenter;
    const bool italic = Font()->Style().Contains(fsItalic);
    // An italic line leans past its right end: the right edge moves in by a blank.
    const long double lean = right && italic ? report->TextWidth(Font(), QStringLiteral(" ")) : 0;
    switch (FRotacao) {
    case rotacao_000:
        if (right)
            x0 = x0 + w - lean;
        else if (centre)
            x0 += w / 2;
        break;
    case rotacao_090:
        if (right)
            y0 = y0 - h + lean;
        else if (centre)
            y0 -= h / 2;
        break;
    case rotacao_180:
        if (right)
            x0 = x0 - w + lean;
        else if (centre)
            x0 -= w / 2;
        break;
    case rotacao_270:
        if (right)
            y0 = y0 + h - lean;
        else if (centre)
            y0 += h / 2;
        break;
    }

    auto* band = dynamic_cast<TKVCustomBand*>(Parent());
    for (int i = 0; i < n; ++i) {
        const QString line = FFormattedLines->Strings(i);
        const int t = canvas->TextWidth(line);
        const int d = static_cast<int>(Round(t * (p.YFactor() / p.XFactor()) - t));
        int shift = 0;
        if (FRotacao == rotacao_090)
            shift = right ? d : centre ? d / 2 : 0;
        else if (FRotacao == rotacao_270)
            shift = right ? -d : centre ? -(d / 2) : 0;

        const long double q = IsVertical(FRotacao) ? x0 : y0;
        const bool overflow =
            FRotacao == rotacao_000 || FRotacao == rotacao_090 ? limit < q + lh : limit > q - lh;
        if (overflow) {
            // An AutoStretch text directly on the report has no band to grow: like any other
            // text, it prints what fits.
            if (!FAutoStretch || !band)
                break;
            // A band that cannot go on in another page (a page footer, say) grows where it is;
            // a line that would pass the bottom of the page's printable area, inside its margin,
            // is not printed there, nor sent to an export, and no later line is.
            if (FRotacao == rotacao_000 && band->GrowsInPlace() &&
                y0 + lh > Round(report->Extent() - report->Page()->BottomMargin()))
                break;
            const bool broke = !band->Fits(lh);
            int dx = 0;
            int newTop = 0;
            // Only the upright text grows its band; a turned text asks for no room and prints
            // every line.
            const bool grow = FRotacao == rotacao_000 && y0 + lh > report->CurrentY() + band->PrintHeight();
            if (band->Expand(newTop, dx, grow ? static_cast<int>(Round(lh)) : 0))
                y0 = newTop;
            x0 += dx;
            if (broke) {
                // A new page may have begun: its canvas is another.
                canvas = p.Canvas();
                canvas->SetFont(Font());
                prepareCanvas(canvas);
            }
            if (FRotacao == rotacao_000)
                limit = y0 + lh; // every later line asks the band again
            else
                limit = FRotacao == rotacao_090 ? std::numeric_limits<long double>::max()
                                                : std::numeric_limits<long double>::lowest();
        }
        if (report->Graphics() && !line.isEmpty())
            report->TextOutRotated(TPoint{p.XPos(x0), p.YPos(y0) + shift}, r, line, canvas, canvas->Font(), FRotacao);
        if (report->Exporting())
            report->ExportFilter()->TextOut(x0, y0, *Font(), Color(), Alignment(), line);
        switch (FRotacao) {
        case rotacao_000: y0 += lh; break;
        case rotacao_090: x0 += lh; break;
        case rotacao_180: y0 -= lh; break;
        case rotacao_270: x0 -= lh; break;
        }
    }
    p.Canvas()->SelectClipRgn(nullptr);
}

} // namespace tessiv
