#pragma once
// A small tree of coloured controls shown by the host widget.

#include "platform/controls/Controls.h"
#include "platform/ui/Application.h"

namespace uitest {

using namespace tessiv;

// The one application object of the test program, made at the first call.
TQtApplication& App();

class TSwatch : public TCustomControl {
public:
    TSwatch(TComponent* owner, TColor fill) : TCustomControl(owner), Fill(fill) {}
    void Paint(TCanvas& canvas) override
    {
        canvas.Brush()->SetColor(Fill);
        canvas.FillRect(Rect(0, 0, Width(), Height()));
    }
    TColor Fill;
};

inline TSwatch* MakeSwatch(TComponent* owner, TWinControl* parent, const char* name, TRect r, TColor fill)
{
    auto* s = new TSwatch(owner, fill);
    s->SetName(QString::fromLatin1(name));
    s->SetParent(parent);
    s->SetBoundsRect(r);
    return s;
}

} // namespace uitest
