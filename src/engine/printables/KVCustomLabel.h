#pragma once
// The text printable: a Caption (or the lines of a memo) broken into lines that fit the control,
// the control sized to its text (AutoSize) or kept one line high while its band grows as it
// prints (AutoStretch), in four rotations. Every text printable of the report derives from it:
// labels and memos, data texts, expressions, system data and the merge memo. The caption that a
// print puts in (OnPrint, the footer fill) is always put back, so the designer's text survives
// a run whatever happens in it.

#include "engine/printables/KVPrintable.h"
#include "engine/model/KVTypes.h"
#include "platform/core/Strings.h"

#include <array>
#include <memory>

namespace tessiv {

class TKVCustomLabel;
class TKVPrinter;

using TKVLabelOnPrintEvent = TEvent<void(TObject* sender, QString& value)>;

class TKVCustomLabel : public TKVPrintable {
    TESSIV_CLASS(TKVCustomLabel, TKVPrintable)
public:
    // AutoSize, WordWrap, ParentColor; an empty Caption; opaque.
    explicit TKVCustomLabel(TComponent* owner);
    ~TKVCustomLabel() override;

    // Rebuilds FormattedLines from the Caption (or Lines) and, on a report, applies AutoSize or
    // AutoStretch to the control's size. Nothing but the flag without a parent.
    virtual void FormatLines();

    // ---- the run ----
    // Notes the control's place and size, then formats afresh before the run. From here to
    // Unprepare the text is measured and the control sized in 0.1 mm at the printer's
    // resolution, so what prints is the same at every zoom of the design surface.
    void Prepare() override;
    // Puts the designer's text back (RestoreDesignText) and then the place and size the control
    // had before the run, exactly: a run never moves or resizes a control.
    void Unprepare() override;
    // Prints the formatted lines at the control's place offset by (ofsX, ofsY) in 0.1 mm; an
    // AutoStretch text grows its band for the lines beyond the control. Only when enabled.
    void Print(int ofsX, int ofsY) override;
    // Copies the label's own settings after the base's: alignment, sizing, the text, word wrap,
    // the rotation (without turning the copied bounds again), the footer fill and OnPrint.
    void CopyFrom(const TKVPrintable* source) override;

    // ---- properties ----
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool AutoStretch() const { return FAutoStretch; }
    void SetAutoStretch(bool value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    TKVRotacao Rotacao() const { return FRotacao; }
    // Turning between a horizontal and a vertical direction swaps Width and Height.
    void SetRotacao(TKVRotacao value);
    const QString& StrPreencheRodape() const { return FStrPreencheRodape; }
    void SetStrPreencheRodape(const QString& value) { FStrPreencheRodape = value; }
    TStrings* Lines() const { return FLines.get(); }
    // Takes a copy of value and clears the Caption, so the lines are what prints.
    void SetLines(const TStrings* value);
    TStrings* FormattedLines() const { return FFormattedLines.get(); }
    bool Formatted() const { return FFormatted; }
    void SetFormatted(bool value) { FFormatted = value; }
    bool KeepHeight() const { return FKeepHeight; }
    // The "FontSize" a file gave; 0 when none.
    int LegacyFontSize() const { return FLegacyFontSize; }

    TKVLabelOnPrintEvent OnPrint;

    // The caption formats the lines and repaints.
    void SetText(const QString& text) override;
    void SetName(const QString& name) override;
    void SetParent(TWinControl* parent) override;
    void Loaded() override;
    void DefineProperties(TFiler& filer) override;
    void Paint(TCanvas& canvas) override;

protected:
    void Resize() override;
    void FontChanged() override;
    void SetKeepHeight(bool value) { FKeepHeight = value; }
    // The merge memo formats its Lines even while a Caption is set.
    virtual bool IsMergeMemo() const { return false; }
    // AutoSize takes the length of the longest line; the barcode printable sizes itself.
    virtual bool SizesLengthToText() const { return true; }
    // The memo drops "TabStop" of older files.
    virtual bool ReadsLegacyTabStop() const { return false; }
    // At the end of a run, before its place and size are put back: a text that prints another
    // caption than it shows puts the designer's back.
    virtual void RestoreDesignText() {}

    // Length extent (along the text) and line extent (across the lines), in pixels.
    int LengthExtent() const;
    int LineExtent() const;
    // Draws the formatted lines on the design canvas with the line height lineHeight.
    void DrawLines(TCanvas& canvas, int lineHeight);
    // The text's width in pixels at the zoom: on the report's measuring device (which counts one
    // pixel more), else on the control's own canvas. During a run, its width in 0.1 mm as the
    // run's printer object prints it.
    long double TW(const QString& text);
    // One line's height in pixels at the zoom, plus one.
    int LineHeightPixels();

private:
    // Where the control is, along and across its text, in 0.1 mm.
    struct TExtents {
        long double Left = 0;
        long double Top = 0;
        long double Length = 0;
        long double Line = 0;
    };
    // Between Prepare and Unprepare, on a report.
    bool RunMeasures() const;
    TExtents CurrentExtents() const;
    // Sets what differs, in 0.1 mm as given: the pixel bounds follow.
    void ApplyExtents(const TExtents& e);
    // Bounds set round a formatting (the resize that caused it) take the lengths it wrote.
    void FollowSize();
    // The line height formatting gives the control: pixels at the zoom, plus one; during a run
    // the same at zoom 100, in 0.1 mm.
    long double FormatLineHeight();
    void FormatLine(const QString& text);
    void AddWord(QString word);
    // The number of characters at the front of text that measure at most the line's room, or
    // less than it when belowMax is set; 0 when not even one does.
    qsizetype FittingLength(const QString& text, bool belowMax);
    // The footer fill holds: this text is on the footer of the item area's group, on a page of
    // the area that is not its last.
    bool FillHolds() const;
    void PrintToCanvas(TKVPrinter& printer, long double x, long double y);

    bool FFormatted = false;
    bool FAutoSize = true;
    bool FAutoStretch = false;
    int FLegacyFontSize = 0;
    std::unique_ptr<TStringList> FFormattedLines;
    std::unique_ptr<TStringList> FLines;
    QString FStrPreencheRodape;
    bool FWordWrap = true;
    bool FAdjusting = false;
    TKVRotacao FRotacao = rotacao_000;
    bool FKeepHeight = false;
    // Formatting state: the line being built and whether the text is finished.
    QString FLine;
    bool FDone = false;
    long double FMaxWidth = 0;
    // The control's size in 0.1 mm before the run, put back after it.
    std::array<long double, 4> FDesignSize{};
    bool FHasDesignSize = false;
};

} // namespace tessiv
