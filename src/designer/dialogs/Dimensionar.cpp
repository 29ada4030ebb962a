#include "designer/dialogs/Dimensionar.h"

#include "designer/dialogs/DialogSupport.h"
#include "engine/printables/KVCustomLabel.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVPrintable.h"
#include "platform/ui/Application.h"
#include "uisupport/ValEdit.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLayout>
#include <QPushButton>

#include <cmath>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmDimensionar, TModalForm)

namespace {

const QString Section = QStringLiteral("Dimensao");

// Lengths past this many tenths of a millimetre (100 m) do not fit the design surface's pixels.
constexpr long double LargestNative = 1000000;

QButtonGroup* MakeSizeGroup(QWidget* parent, const QString& name, const QString& caption, const QStringList& items,
                            TValEdit*& edit, QGroupBox*& box)
{
    QButtonGroup* group = MakeRadioGroup(parent, caption, items, box);
    box->setObjectName(name);
    edit = new TValEdit(box);
    edit->SetDisplayFormat(QStringLiteral("0.00"));
    edit->SetValue(0);
    box->layout()->addWidget(edit);
    return group;
}

} // namespace

TfmDimensionar::TfmDimensionar(TComponent* owner) : TModalForm(owner)
{
    SetName(QStringLiteral("fmDimensionar"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(TBorderIcons{biSystemMenu});
    QWidget* client = MakeDialogClient(*this, 330, 230);

    QGroupBox* wBox = nullptr;
    QGroupBox* hBox = nullptr;
    FLargura = MakeSizeGroup(client, QStringLiteral("rgLargura"), QStringLiteral("Largura"),
                             {QStringLiteral("&Nenhum"), QStringLiteral("Me&nor"), QStringLiteral("&Maior"),
                              QStringLiteral("&Largura")},
                             FveLargura, wBox);
    FAltura = MakeSizeGroup(client, QStringLiteral("rgAltura"), QStringLiteral("Altura"),
                            {QStringLiteral("Ne&hum"), QStringLiteral("Men&or"), QStringLiteral("Ma&ior"),
                             QStringLiteral("&Altura")},
                            FveAltura, hBox);
    FveLargura->setObjectName(QStringLiteral("veLargura"));
    FveAltura->setObjectName(QStringLiteral("veAltura"));

    // A refused value keeps the dialog open.
    FOk = MakeButton(client, QStringLiteral("Ok"), mrOk, [this] {
        if (!buOkClick())
            SetModalResult(mrNone);
    });
    FOk->setObjectName(QStringLiteral("buOk"));
    FOk->setDefault(true);
    FCancel = MakeButton(client, QStringLiteral("Cancela"), mrCancel);
    FCancel->setObjectName(QStringLiteral("buCancela"));

    LayOutTwoGroupDialog(*this, client, wBox, hBox, FOk, FCancel);

    // Typing a value chooses it (veLarguraChange, veAlturaChange).
    QObject::connect(FveLargura, &QLineEdit::textEdited, Window(), [this] { SetWidthChoice(dmValue); });
    QObject::connect(FveAltura, &QLineEdit::textEdited, Window(), [this] { SetHeightChoice(dmValue); });
}

TfmDimensionar::~TfmDimensionar() = default;

int TfmDimensionar::Execute(TIniFile* settings, const TDesignSelection& selection)
{
    return ExecuteOnSelection<TfmDimensionar>(settings, selection);
}

int TfmDimensionar::WidthChoice() const { return FLargura->checkedId(); }
int TfmDimensionar::HeightChoice() const { return FAltura->checkedId(); }

void TfmDimensionar::SetWidthChoice(int index) { CheckRadio(FLargura, index); }
void TfmDimensionar::SetHeightChoice(int index) { CheckRadio(FAltura, index); }

void TfmDimensionar::FormShow()
{
    SetCaption(QStringLiteral("Dimensionar ( ") + FSelection.UnitsName + QStringLiteral(" )"));
    RestoreDialogPosition(*this, FSettings, Section);
}

void TfmDimensionar::FormClose() { SaveDialogPosition(*this, FSettings, Section); }

void TfmDimensionar::AutoSizeOff(TControl* control)
{
    if (auto* image = dynamic_cast<TKVImage*>(control)) {
        if (image->AutoSize())
            image->SetAutoSize(false);
    } else if (auto* text = dynamic_cast<TKVCustomLabel*>(control)) {
        if (text->AutoSize())
            text->SetAutoSize(false);
    }
}

void TfmDimensionar::SizeControl(TControl* control, int w, int h, int width, int height)
{
    // The automatic size goes first: a text that sizes itself would take its own width back.
    AutoSizeOff(control);
    auto* printable = dynamic_cast<TKVPrintable*>(control);
    if (w == dmSmallest || w == dmLargest)
        control->SetWidth(width);
    else if (w == dmValue && printable)
        printable->Size()->SetValue(TKVPrintableSize::kvWidth, FveLargura->Value());
    if (h == dmSmallest || h == dmLargest)
        control->SetHeight(height);
    else if (h == dmValue && printable)
        printable->Size()->SetValue(TKVPrintableSize::kvHeight, FveAltura->Value());
}

bool TfmDimensionar::buOkClick()
{
    // A value being typed is taken as leaving the edit would take it.
    FOk->setFocus(Qt::OtherFocusReason);
    FveLargura->ReadText();
    FveAltura->ReadText();
    const int w = WidthChoice();
    const int h = HeightChoice();
    if (w == dmNone && h == dmNone)
        return true;

    // A typed length must make a control that exists and fits the design surface; it is checked
    // against every control before any of them changes.
    std::vector<TControl*> targets = FSelection.Controls;
    if (targets.empty() && FSelection.Selected)
        targets.push_back(FSelection.Selected);
    const auto refused = [&targets](TValEdit* edit, bool horizontal) {
        const long double value = edit->Value();
        if (!std::isfinite(static_cast<double>(value)) || value <= 0)
            return true;
        for (TControl* c : targets)
            if (auto* p = dynamic_cast<TKVPrintable*>(c)) {
                const TKVPrintableSize* size = p->Size();
                if (size->ToNative(size->GetUnits(), horizontal, value) > LargestNative)
                    return true;
            }
        return false;
    };
    if (w == dmValue && refused(FveLargura, true)) {
        Application().MessageDlg(QStringLiteral("Informe uma largura maior que zero e menor que 100 metros."), mtError,
                                 TMsgDlgButtons{mbOK});
        FveLargura->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (h == dmValue && refused(FveAltura, false)) {
        Application().MessageDlg(QStringLiteral("Informe uma altura maior que zero e menor que 100 metros."), mtError,
                                 TMsgDlgButtons{mbOK});
        FveAltura->setFocus(Qt::OtherFocusReason);
        return false;
    }

    if (FSelection.MultiSelection()) {
        const std::vector<TControl*>& controls = FSelection.Controls;
        int width = controls.front()->Width();
        int height = controls.front()->Height();
        for (size_t i = 1; i < controls.size(); ++i) {
            const TControl* c = controls[i];
            if (w == dmSmallest)
                width = std::min(width, c->Width());
            else if (w == dmLargest)
                width = std::max(width, c->Width());
            if (h == dmSmallest)
                height = std::min(height, c->Height());
            else if (h == dmLargest)
                height = std::max(height, c->Height());
        }
        for (TControl* c : controls) {
            SizeControl(c, w, h, width, height);
            if (FSelection.PlaceMarks)
                FSelection.PlaceMarks(c);
        }
    } else if (auto* printable = dynamic_cast<TKVPrintable*>(FSelection.Selected)) {
        // One control has nothing to be compared with: only a typed value sizes it.
        SizeControl(printable, w == dmValue ? w : dmNone, h == dmValue ? h : dmNone, 0, 0);
        if (FSelection.RefreshHandles)
            FSelection.RefreshHandles();
    }
    if (FSelection.Modified)
        FSelection.Modified();
    return true;
}

} // namespace tessiv
