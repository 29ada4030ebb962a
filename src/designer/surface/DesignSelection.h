#pragma once
// What the alignment and size dialogs act on: the controls selected on the design surface and the
// few things of the main form they touch afterwards. The caller fills it from the multi-selection
// designer (its SelectedControls in list order; re-placing a control's corner marks), or, when no
// multi-selection exists, from the report designer's selected control (refreshing its handles),
// and from the main form (its current band, the report's unit name, SetModified).

#include "platform/core/Component.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace tessiv {

class TControl;
class TIniFile;
class TKVCustomBand;
class TKVDesigner;
class TMultiDesigner;

struct TDesignSelection {
    // The multi-selection's controls in list order; empty when there is no multi-selection.
    std::vector<TControl*> Controls;
    // The report designer's selected control (nil for none) when Controls is empty.
    TControl* Selected = nullptr;
    // The main form's current band; nil for none.
    TKVCustomBand* Band = nullptr;
    // The report unit's name, for the size dialog's caption ("Milímetros" ...).
    QString UnitsName;

    // A control of the multi-selection moved or was sized: its corner marks follow it.
    std::function<void(TControl*)> PlaceMarks;
    // The single selected control moved or was sized: the designer re-places its handles.
    std::function<void()> RefreshHandles;
    // The document is marked modified.
    std::function<void()> Modified;

    bool MultiSelection() const { return !Controls.empty(); }
};

// The selection as the main form holds it: the multi-selection's controls (their corner marks
// re-placed through it) when it has any, else the report designer's selected control while the
// designer is attached (its handles refreshed through it). Either designer may be nil. Both must
// outlive the dialog that gets the selection.
TDesignSelection MakeDesignSelection(TMultiDesigner* multi, TKVDesigner* designer, TKVCustomBand* band,
                                     const QString& unitsName, std::function<void()> modified);

// Creates a dialog that acts on the selection (alignment, size), runs it modally with the
// settings and frees it; the modal result.
template <class Dialog>
int ExecuteOnSelection(TIniFile* settings, const TDesignSelection& selection)
{
    std::unique_ptr<Dialog, TComponentDeleter> form(new Dialog(nullptr));
    form->SetSettings(settings);
    form->SetSelection(selection);
    return form->ShowModal();
}

} // namespace tessiv
