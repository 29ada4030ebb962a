#pragma once
// The transfer form: a hidden form that holds copies of the controls of the last copied
// multi-selection, in selection order and without names. Every copy empties it; while it holds
// copies a paste re-creates them (the clipboard holds one control only).

#include "uisupport/Form.h"

#include <vector>

namespace tessiv {

class TControl;
class TWinControl;

class TfmTransf : public TForm {
    TESSIV_CLASS(TfmTransf, TForm)
public:
    explicit TfmTransf(TComponent* owner);
    ~TfmTransf() override;

    // The control the copies are placed on (a form is no control of its own).
    TWinControl* Client() const { return FClient; }
    // The copies, in the order they were made.
    std::vector<TControl*> Copies() const;
    bool HasCopies() const;
    // Frees every copy.
    void Clear();

private:
    TWinControl* FClient = nullptr;
};

// The program's transfer form, made on first use and freed at exit; nil once freed.
TfmTransf* fmTransf();
// The transfer form exists and holds copies (it is not made for the question).
bool TransferFormHasCopies();
// Frees the transfer form (the program's end, and tests that start again).
void FreeTransferForm();

} // namespace tessiv
