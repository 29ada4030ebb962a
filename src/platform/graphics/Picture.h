#pragma once
// The picture a control holds: any kind of graphic, loaded from a file by its extension (or from
// bytes by their signature), and stored in a component stream as the defined property "Data": the
// graphic's class name as a counted string, then the graphic's own data. A picture read from a
// report file writes back exactly the same bytes.

#include "platform/core/Persistent.h"
#include "platform/graphics/Graphic.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace tessiv {

class TBitmap;
class TFiler;

class TPicture : public TPersistent {
    TESSIV_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

    // The graphic held, or nullptr.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Takes a copy of graphic (nullptr empties the picture).
    void SetGraphic(const TGraphic* graphic);
    // The graphic as a bitmap: a bitmap picture's own, or a new empty bitmap replacing any other.
    TBitmap* Bitmap();
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }
    bool Empty() const { return !FGraphic || FGraphic->Empty(); }

    // By the extension; EInvalidImage "Unknown picture file extension (.%s)" or the graphic's own
    // error, and the picture keeps what it held.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;
    // By the bytes' signature (BMP, JPEG, ICO, EMF, WMF): how a blob field fills a picture.
    void LoadFromStream(TStream& stream);

    // The "Data" form, without the property name.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const;

    std::function<void(TPicture* sender)> OnChange;

private:
    void Changed();
    void Take(std::unique_ptr<TGraphic> graphic);
    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace tessiv
