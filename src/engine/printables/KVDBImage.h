#pragma once
// The picture held in a blob field of the current record. The field is bound when the run
// prepares the control; each print reads the record's blob afresh into a picture that lives only
// for that print, recognised by its bytes (bitmap, JPEG, icon, metafile). With no fitting mode
// the picture prints as the image control prints one: drawn into the whole rectangle.

#include "engine/printables/KVPrintable.h"
#include "platform/graphics/Picture.h"

#include <memory>

namespace tessiv {

class TDataSet;
class TField;

class TKVDBImage : public TKVPrintable {
    TESSIV_CLASS(TKVDBImage, TKVPrintable)
public:
    // 50 by 50 pixels taking its parent's colour, centred, no dataset.
    explicit TKVDBImage(TComponent* owner);
    ~TKVDBImage() override;

    // The dataset is not owned; the control forgets it when it is destroyed.
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* value);
    QString DataField() const override { return FDataField; }
    void SetDataField(const QString& value);
    // The bound field between Prepare and Unprepare (nil when the dataset has no such field).
    TField* Field() const { return FField; }
    // Not printed: a copy travels with the control.
    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(const TPicture* value);
    // Stretch, Center and Proporcional exclude each other: setting one True sets the others False.
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value);
    bool Proporcional() const { return FProporcional; }
    void SetProporcional(bool value);
    bool PictureSet() const { return FPictureSet; }

    // Binds the field named DataField of the dataset.
    void Prepare() override;
    void Unprepare() override;
    // Nothing without a dataset, not even the frame; a field that is no blob prints the background.
    // A blob that is no picture raises EInvalidImage naming the control and the field.
    void Print(int ofsX, int ofsY) override;
    // The base view, a dashed outline and "(field)" centred in the control's font.
    void Paint(TCanvas& canvas) override;
    // The base copy, then the picture, which is not stored.
    void CopyFrom(const TKVPrintable* source) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void SetMode(bool TKVDBImage::*mode, bool value);
    void SetField(TField* field);
    TField* FField = nullptr;
    TDataSet* FDataSet = nullptr;
    QString FDataField;
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = true;
    bool FPictureSet = false;
    bool FProporcional = false;
};

} // namespace tessiv
