#pragma once
// The size dialog: gives the selected controls a common width and height, the smallest or the
// largest of the multi-selection, or a value typed in the report's unit. Images and texts that
// size themselves stop doing so. The work is done by Ok before the dialog closes; it records no
// undo step. The choices start at "Nenhum" each time; only the dialog's corner is kept, in the
// settings section "Dimensao". A typed width or height of 0 or less is refused with a message and
// nothing changes.
//
// Call order (the main form's Edit command):
//   TfmDimensionar::Execute(Settings(), selection);   // selection.UnitsName = GetUnitsName()
// or by hand: create, SetSettings, SetSelection, ShowModal, free. The selection must stay valid
// while the dialog lives.

#include "designer/surface/DesignSelection.h"
#include "designer/dialogs/ModalForm.h"

class QButtonGroup;
class QPushButton;

namespace tessiv {

class TIniFile;
class TValEdit;

class TfmDimensionar : public TModalForm {
    TESSIV_CLASS(TfmDimensionar, TModalForm)
public:
    enum { dmNone, dmSmallest, dmLargest, dmValue };

    explicit TfmDimensionar(TComponent* owner);
    ~TfmDimensionar() override;

    static int Execute(TIniFile* settings, const TDesignSelection& selection);

    void SetSettings(TIniFile* settings) { FSettings = settings; }
    void SetSelection(const TDesignSelection& selection) { FSelection = selection; }

    QButtonGroup* rgLargura() const { return FLargura; }
    QButtonGroup* rgAltura() const { return FAltura; }
    TValEdit* veLargura() const { return FveLargura; }
    TValEdit* veAltura() const { return FveAltura; }
    QPushButton* buOk() const { return FOk; }
    QPushButton* buCancela() const { return FCancel; }
    int WidthChoice() const;
    int HeightChoice() const;
    void SetWidthChoice(int index);
    void SetHeightChoice(int index);

    // Does the chosen sizing (the Ok button's work, without closing); false when a typed value
    // was refused, and then nothing changed.
    bool buOkClick();

protected:
    void FormShow() override;
    void FormClose() override;

private:
    void SizeControl(TControl* control, int w, int h, int width, int height);
    static void AutoSizeOff(TControl* control);

    TIniFile* FSettings = nullptr;
    TDesignSelection FSelection;
    QButtonGroup* FLargura = nullptr;
    QButtonGroup* FAltura = nullptr;
    TValEdit* FveLargura = nullptr;
    TValEdit* FveAltura = nullptr;
    QPushButton* FOk = nullptr;
    QPushButton* FCancel = nullptr;
};

} // namespace tessiv
