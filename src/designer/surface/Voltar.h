#pragma once
// The undo history of one document window: a hidden form whose steps are panels, the oldest
// first. A step lists, per component it covers, the component's name, its parent's name, the kind
// of change and a copy of the component read back from its stream; the copies are children of
// their step and owned by the form, so freeing a step frees them. The main form records and
// applies the steps (SaveUndoStep, EditarVoltarExecute, EditarRefazerExecute).

#include "platform/controls/CustomPanel.h"
#include "uisupport/Form.h"

#include <QHash>
#include <QPointer>

#include <memory>

namespace tessiv {

class TControlHost;
class TStringList;

// One undo step. The four lists are parallel: entry i is (ObjectNames[i], ParentNames[i],
// Copies[i], Kinds[i]). Copies holds the copy as the entry's object (none for an insertion and for
// the data entries of a deleted band) and as text the component's name, nothing for an insertion,
// or for a "QUERY" entry the name of the data source that feeds the query.
class TPanelControl : public TCustomPanel {
    TESSIV_CLASS(TPanelControl, TCustomPanel)
public:
    explicit TPanelControl(TComponent* owner);
    ~TPanelControl() override;

    // The control the step was last applied to; it only chooses the selection after undo and redo.
    TControl* StepObject = nullptr;
    bool MultiStep = false;
    TStringList* ObjectNames;
    TStringList* ParentNames;
    TStringList* Copies;
    TStringList* Kinds;
    // Per entry, the component's place among its parent's children ("-1" unknown), so a restored
    // control is drawn and written where it was.
    TStringList* Orders;
    // The child copies of a deleted band's copy, with the names of the components they were made
    // from (kept beside the copies: a picture's Hint is its own and must come back unchanged).
    QHash<const TComponent*, QString> CopyNames;

    int EntryCount() const;
    int Kind(int index) const;
    // The copy of an entry; nil when it holds none.
    TComponent* CopyOf(int index) const;
    int Order(int index) const;
    void AddEntry(int kind, const QString& parentName, const QString& objectName, const QString& copyText,
                  TComponent* copy, int order = -1);
    // Replaces an entry's copy (nil for none); the old one is not freed here.
    void SetCopy(int index, TComponent* copy);

protected:
    void Notification(TComponent* component, TOperation operation) override;
};

class TfmVoltar : public TForm {
    TESSIV_CLASS(TfmVoltar, TForm)
public:
    // Owned by its document window; StepIndex -1 and no steps.
    explicit TfmVoltar(TComponent* owner);
    ~TfmVoltar() override;

    // The last step done; -1 when none is. Steps after it are the redo branch.
    int StepIndex = -1;
    static constexpr int MaxSteps = 20;

    int StepCount() const;
    TPanelControl* Steps(int index) const;
    // A new step at the end of the history, its font taken from the band concerned (may be nil).
    TPanelControl* AddStep(const TControl* fontSource);
    // Frees the copies the step holds, then the step with whatever is left on it.
    void FreeStep(TPanelControl* step);
    // The control the steps are placed on; the step viewer shows it.
    TWinControl* Client() const { return FClient; }
    // Shows the history as a normal window: the steps, each with its copies.
    void ShowSteps();

private:
    TWinControl* FClient = nullptr;
    QPointer<TControlHost> FHost;
};

} // namespace tessiv
