#pragma once
// A picture control that scales its picture to fit, keeping the picture's proportions, centred
// along the side it does not fill. With AutoSize it takes the picture's size, and turns AutoSize off
// itself when it is given another size.

#include "platform/controls/Controls.h"
#include "platform/graphics/Picture.h"

#include <memory>

namespace tessiv {

class TImageAspect : public TGraphicControl {
    TESSIV_CLASS(TImageAspect, TGraphicControl)
public:
    explicit TImageAspect(TComponent* owner);
    ~TImageAspect() override;

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(const TPicture* picture);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);

    // Where the picture is drawn, in client coordinates (empty without a picture).
    TRect DrawRect() const;
    void Paint(TCanvas& canvas) override;
    void SetBounds(int left, int top, int width, int height) override;

private:
    void PictureChanged();
    void SizeToPicture();

    std::unique_ptr<TPicture> FPicture;
    bool FAutoSize = true;
    bool FSizing = false;
};

} // namespace tessiv
