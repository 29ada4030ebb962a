#pragma once
// The base of every picture kind (bitmap, icon, metafile, JPEG) and the list of kinds a picture
// can hold, by class name and file extension.

#include "platform/core/Persistent.h"
#include "platform/graphics/Types.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tessiv {

class TCanvas;
class TStream;

class TGraphic : public TPersistent {
    TESSIV_CLASS(TGraphic, TPersistent)
public:
    virtual bool Empty() const = 0;
    // Natural size in pixels (a metafile: at the screen's resolution).
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Reads the rest of the stream as the file form. A damaged file raises EInvalidImage and
    // leaves the graphic as it was.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;

    // The graphic's own part of a picture's "Data" property: by default the file form preceded by
    // nothing (kinds that need a length write one themselves). ReadData reads exactly what
    // WriteData wrote.
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream) const;

    // A copy of the pixels (an empty image for an empty graphic); metafiles render at their size.
    virtual QImage ToImage() const = 0;

    std::function<void(TGraphic* sender)> OnChange;

protected:
    friend class TCanvas;
    // Draws the graphic stretched into r (logical units of the canvas).
    virtual void Draw(TCanvas& canvas, const TRect& r) const = 0;
    void Changed();
};

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

// The picture kinds by class name ("TBitmap") and by file extension ("bmp", case-insensitive).
// The built-in kinds are always known; a later registration of a name replaces the earlier one.
void RegisterGraphicClass(const QString& className, const QStringList& extensions, TGraphicFactory factory);
// nullptr when no kind has that name / extension.
std::unique_ptr<TGraphic> CreateGraphic(const QString& className);
std::unique_ptr<TGraphic> CreateGraphicForExtension(const QString& extension);
// "Todos (*.bmp;*.jpg...)" style patterns are the UI's business; this lists the extensions.
QStringList GraphicExtensions();

} // namespace tessiv
