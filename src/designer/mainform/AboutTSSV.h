#pragma once
// The about form: the program's name and version, shown modally from the Help menu, centred on
// the screen, closed by its OK button, Enter or Escape.
//
// Call order (the main form's "Sobre" command): TfmAboutTSSV::Execute(ProductName, ProductVersion);
// or by hand: create, SetProduct, ShowModal, free.

#include "designer/dialogs/ModalForm.h"

#include <QString>

class QLabel;
class QPushButton;

namespace tessiv {

class TfmAboutTSSV : public TModalForm {
    TESSIV_CLASS(TfmAboutTSSV, TModalForm)
public:
    explicit TfmAboutTSSV(TComponent* owner);
    ~TfmAboutTSSV() override;

    static int Execute(const QString& productName, const QString& productVersion);

    // The caption becomes the form's own caption, a blank and the name; the labels show the name
    // and the version.
    void SetProduct(const QString& productName, const QString& productVersion);

    QLabel* ProductLabel() const { return FProduct; }
    QLabel* VersionLabel() const { return FVersion; }
    QPushButton* OKButton() const { return FOk; }

protected:
    void FormShow() override;

private:
    QLabel* FProduct = nullptr;
    QLabel* FVersion = nullptr;
    QPushButton* FOk = nullptr;
};

} // namespace tessiv
