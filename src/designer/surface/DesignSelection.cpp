#include "designer/surface/DesignSelection.h"

#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"

namespace tessiv {

TDesignSelection MakeDesignSelection(TMultiDesigner* multi, TKVDesigner* designer, TKVCustomBand* band,
                                     const QString& unitsName, std::function<void()> modified)
{
    TDesignSelection s;
    s.Band = band;
    s.UnitsName = unitsName;
    s.Modified = std::move(modified);
    if (multi && multi->Count() > 0) {
        s.Controls = multi->SelectedControls();
        s.PlaceMarks = [multi](TControl* control) {
            // Looked up each time: the marks are the multi-selection's, in its order.
            const std::vector<TControl*>& controls = multi->SelectedControls();
            for (size_t i = 0; i < controls.size() && i < multi->CornerMarks().size(); ++i)
                if (controls[i] == control)
                    multi->CornerMarks()[i]->UpdatePosition();
        };
    } else if (designer && designer->Attached()) {
        s.Selected = designer->Selected();
        s.RefreshHandles = [designer] { designer->RefreshHandles(); };
    }
    return s;
}

} // namespace tessiv
