#pragma once
// The root form report files are written under ("object fmHidden: TfmHidden"): its controls are
// written as children, then the components it owns that have no parent. A stand-in for the
// document's form, so report files read here as they do in the program.

#include "platform/controls/Controls.h"

namespace fuzz {

class TfmHidden : public tessiv::TWinControl {
    TESSIV_CLASS(TfmHidden, tessiv::TWinControl)
public:
    explicit TfmHidden(tessiv::TComponent* owner) : tessiv::TWinControl(owner) {}
    void GetChildren(const std::function<void(tessiv::TComponent*)>& proc, tessiv::TComponent* root) override
    {
        tessiv::TWinControl::GetChildren(proc, root);
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->GetParentComponent())
                proc(Components(i));
    }
};

} // namespace fuzz
