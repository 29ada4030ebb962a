#pragma once
// Enhanced metafiles: a picture made of GDI drawing records in Microsoft's published format. A
// TMetafileCanvas records what is drawn on it; the metafile is saved and loaded as those bytes and
// plays itself back onto any canvas, stretched into a rectangle. Windows metafiles (WMF, with or
// without the placeable header) are read and played as well, and kept in their own form.

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

#include <QByteArray>

#include <cstdint>

namespace tessiv {

// The parts of the header a caller may want.
struct TEmfHeader {
    TRect Bounds;        // inclusive device bounds of what was drawn
    TRect Frame;         // 0.01 mm, inclusive
    std::uint32_t Bytes = 0;
    std::uint32_t Records = 0;
    int Handles = 0;
    TSize Device;        // reference device, pixels
    TSize Millimeters;   // reference device, millimetres
};

class TMetafile : public TGraphic {
    TESSIV_CLASS(TMetafile, TGraphic)
public:
    TMetafile();
    ~TMetafile() override;

    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FData.isEmpty(); }
    // Pixels at the screen's resolution, from the frame (or as set before recording).
    int Width() const override;
    int Height() const override;
    void SetWidth(int pixels);
    void SetHeight(int pixels);
    // 0.01 mm.
    int MMWidth() const;
    int MMHeight() const;
    void SetMMWidth(int value);
    void SetMMHeight(int value);
    // True for an enhanced metafile, false for a Windows metafile that was loaded.
    bool Enhanced() const { return !FWmf; }

    // EMF, or WMF with or without the placeable header; anything else raises EInvalidImage and
    // keeps the previous picture.
    void LoadFromStream(TStream& stream) override;
    // The bytes as recorded or loaded.
    void SaveToStream(TStream& stream) const override;
    // A 32-bit length, then the metafile's bytes.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
    QImage ToImage() const override;

    const QByteArray& Data() const { return FData; }
    // Takes ready EMF or WMF bytes (checked as LoadFromStream does).
    void SetData(const QByteArray& bytes);
    TEmfHeader Header() const;
    void Clear();

    // Plays the records onto canvas, the picture's frame mapped onto r (logical units of canvas).
    // Unknown records are skipped; a damaged record ends the playing (what came before stays drawn).
    void Play(TCanvas& canvas, const TRect& r) const;

protected:
    void Draw(TCanvas& canvas, const TRect& r) const override;

private:
    friend class TMetafileCanvas;
    void TakeRecording(QByteArray bytes);
    QByteArray FData;
    bool FWmf = false;
    int FWidth = 0;  // pixels at the screen resolution, before anything was recorded
    int FHeight = 0;
    int FMMWidth = 0; // 0.01 mm from the frame
    int FMMHeight = 0;
};

// Records the drawing done on it; the metafile receives the records when the canvas is destroyed
// (or Finish is called), so one page is one canvas's lifetime.
class TMetafileCanvas : public TCanvas {
public:
    // reference: the device the page is laid out for (its resolution; the screen when omitted).
    explicit TMetafileCanvas(TMetafile& metafile, const TDeviceCaps* reference = nullptr);
    ~TMetafileCanvas() override;

    // Ends the recording and hands the bytes to the metafile; later drawing is ignored.
    void Finish();
    TDeviceCaps DeviceCaps() const override { return FCaps; }
    int RecordCount() const { return FRecordCount; }

protected:
    void DevPolyline(const QPolygon& points, const TDcState& st) override;
    void DevPolygon(const QPolygon& points, const TDcState& st) override;
    void DevPolyPolygon(const std::vector<QPolygon>& polygons, const TDcState& st) override;
    void DevRectangle(const TRect& r, const TDcState& st) override;
    void DevEllipse(const TRect& r, const TDcState& st) override;
    void DevRoundRect(const TRect& r, int ew, int eh, const TDcState& st) override;
    void DevFillRect(const TRect& r, const TDcState& st) override;
    void DevArc(TArcKind kind, const TRect& r, QPoint start, QPoint end, const TDcState& st) override;
    void DevTextOut(int x, int y, unsigned options, const TRect* rect, const QString& text,
                    const std::vector<int>& dx, const TDcState& st) override;
    void DevStretchDIBits(const TRect& dest, const TRect& source, const QImage& image,
                          const TDcState& st) override;
    void DevClipChanged(const TDcState& st) override;

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
    TMetafile* FMetafile;
    TDeviceCaps FCaps;
    int FRecordCount = 0;
};

} // namespace tessiv
