#pragma once
// The invisible root of every document: it owns the report, its bands and controls and every data
// component, and a report file is its component stream. It is never shown, so it is a windowless
// control like the report it parents; it keeps the form settings that report files carry.

#include "platform/controls/Controls.h"

namespace tessiv {

class TfmHidden : public TWinControl {
    TESSIV_CLASS(TfmHidden, TWinControl)
public:
    explicit TfmHidden(TComponent* owner);

    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool value) { FOldCreateOrder = value; }
    bool Scaled() const { return FScaled; }
    void SetScaled(bool value) { FScaled = value; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int value) { FPixelsPerInch = value; }
    int TextHeight() const { return FTextHeight; }
    void SetTextHeight(int value) { FTextHeight = value; }

    // Controls parented here first (the report), then the owned components without a parent
    // (tables, queries, data sources, the database).
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

private:
    bool FOldCreateOrder = true;
    bool FScaled = false;
    int FPixelsPerInch = 96;
    int FTextHeight = 13;
};

} // namespace tessiv
