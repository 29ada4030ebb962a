#pragma once
// The alignment dialog: lines the selected controls up on the first one's edges or centre, spaces
// them evenly, or centres them in the current band. The work is done by Ok before the dialog
// closes; it records no undo step. The choices start at "Nenhum" each time; only the dialog's
// corner is kept, in the settings section "Alinha".
//
// Call order (the main form's Edit command):
//   TfmAlinhamento::Execute(Settings(), selection);
// or by hand: create, SetSettings, SetSelection, ShowModal, free. The selection must stay valid
// while the dialog lives.

#include "designer/surface/DesignSelection.h"
#include "designer/dialogs/ModalForm.h"

class QButtonGroup;
class QPushButton;

namespace tessiv {

class TIniFile;

class TfmAlinhamento : public TModalForm {
    TESSIV_CLASS(TfmAlinhamento, TModalForm)
public:
    // Horizontal choices; the vertical ones use the same numbers (top, centre, bottom ...).
    enum { alNone, alLeft, alCentre, alRight, alEqualSpaces, alBandCentre };

    explicit TfmAlinhamento(TComponent* owner);
    ~TfmAlinhamento() override;

    // Creates the dialog, runs it modally over the selection and frees it; the modal result.
    static int Execute(TIniFile* settings, const TDesignSelection& selection);

    void SetSettings(TIniFile* settings) { FSettings = settings; }
    void SetSelection(const TDesignSelection& selection) { FSelection = selection; }

    QButtonGroup* rgHorizontal() const { return FHorizontal; }
    QButtonGroup* rgVertical() const { return FVertical; }
    QPushButton* buOk() const { return FOk; }
    QPushButton* buCancela() const { return FCancel; }
    int Horizontal() const;
    int Vertical() const;
    void SetHorizontal(int index);
    void SetVertical(int index);

    // Does the chosen alignment (the Ok button's work, without closing).
    void buOkClick();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void AlignEdges(int h, int v);
    void EqualSpaces(bool horizontal);
    void CentreInBand(int h, int v);
    void Placed(TControl* control);
    void Modified();

    TIniFile* FSettings = nullptr;
    TDesignSelection FSelection;
    QButtonGroup* FHorizontal = nullptr;
    QButtonGroup* FVertical = nullptr;
    QPushButton* FOk = nullptr;
    QPushButton* FCancel = nullptr;
};

} // namespace tessiv
