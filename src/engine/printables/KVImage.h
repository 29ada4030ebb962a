#pragma once
// A picture stored in the report file (bitmap, icon, metafile or JPEG), printed in one of four
// fitting modes: stretched over the control, centred at its natural size, fitted keeping its
// proportions, or sized to the picture (AutoSize). With none of them, and with AutoSize, the
// picture is drawn into the control's whole rectangle, on the page as in the designer, as report
// files made elsewhere expect.
// The drawing routines here are shared with the data image, which prints a blob's picture.

#include "engine/printables/KVPrintable.h"
#include "platform/graphics/Picture.h"

#include <cstddef>
#include <memory>

namespace tessiv {

class TBitmap;
class TCanvas;
class TGraphic;
class TKVPrinter;

// Draws a bitmap through its device-independent bits, stretched into r with one call; colour
// bitmaps are stretched colour on colour, monochrome ones keep the device's mode.
void PrintBitmap(TCanvas& canvas, const TRect& r, const TBitmap& bitmap);

// Where a control prints: its device rectangle and its lengths in 0.1 mm, from its size offset by
// the band's place (whole 0.1 mm).
struct TKVPrintArea {
    TRect R;
    long double Width = 0;
    long double Height = 0;
};
TKVPrintArea KVPrintArea(const TKVPrinter& printer, const TKVPrintableSize& size, int ofsX, int ofsY);

// Sets one of a control's fitting modes, which exclude each other: True clears the others. False
// when the mode already had that value and nothing changed.
template <class C, std::size_t N>
bool SetExclusiveMode(C& control, bool C::*mode, bool value, bool C::*const (&modes)[N])
{
    if (control.*mode == value)
        return false;
    control.*mode = value;
    if (value)
        for (bool C::*other : modes)
            if (other != mode)
                control.*other = false;
    return true;
}

// How a picture fills its control on the page. A control with no mode draws it over its whole
// rectangle, as Stretch does.
enum class TKVPictureFit { Stretch, Center, Proporcional };

// Prints graphic (may be nil or empty) in a control's area, with the canvas's brush already
// chosen: Stretch draws over the area's rectangle r; Center fills r with the brush and draws the
// picture at the size it has on the screen at zoom 100, centred and clipped to r (a metafile is
// fitted instead); Proporcional fills r and draws the largest rectangle of the picture's
// proportions, centred across. bitmapsAsDib: bitmaps on recorded pages go through PrintBitmap.
void KVPrintPicture(TKVPrinter& printer, const TKVPrintArea& area, TGraphic* graphic, TKVPictureFit fit,
                    bool bitmapsAsDib);

// The rectangle of the proportions gw x gh inside (0, 0, w, h), centred across the side it
// leaves free, offset by origin; the whole rectangle when gw or gh is 0. Sides are truncated.
TRect KVProportionalRect(TPoint origin, int w, int h, int gw, int gh);

class TKVImage : public TKVPrintable {
    TESSIV_CLASS(TKVImage, TKVPrintable)
public:
    // 50 by 50 pixels taking its parent's colour, no picture, no fitting mode.
    explicit TKVImage(TComponent* owner);
    ~TKVImage() override;

    TPicture* Picture() const { return FPicture.get(); }
    // The owned picture copies the given one.
    void SetPicture(const TPicture* value);
    // The four modes exclude each other: setting one True sets the others False.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    bool Proporcional() const { return FProporcional; }
    void SetProporcional(bool value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value);

    // The picture by its mode on the run's printer object, then the frame.
    void Print(int ofsX, int ofsY) override;
    // The base view, a dashed outline and the picture by its mode at the zoom.
    void Paint(TCanvas& canvas) override;
    // The base copy (picture and modes come through the class's table); the control then keeps
    // the source's transparency, which a picture change would otherwise take away.
    void CopyFrom(const TKVPrintable* source) override;

protected:
    // AutoSize makes the control the picture's size at the zoom; the control becomes transparent
    // (not while it is read: the file's Transparent stands) and repaints.
    void PictureChanged();

private:
    // Sets one mode, clearing the others when it becomes True.
    void SetMode(bool TKVImage::*mode, bool value);
    std::unique_ptr<TPicture> FPicture;
    bool FAutoSize = false;
    bool FStretch = false;
    bool FProporcional = false;
    bool FCenter = false;
};

} // namespace tessiv
