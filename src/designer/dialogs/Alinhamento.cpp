#include "designer/dialogs/Alinhamento.h"

#include "designer/dialogs/DialogSupport.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVPrintable.h"
#include "platform/ui/Application.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>

#include <algorithm>
#include <climits>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmAlinhamento, TModalForm)

namespace {

const QString Section = QStringLiteral("Alinha");

} // namespace

TfmAlinhamento::TfmAlinhamento(TComponent* owner) : TModalForm(owner)
{
    SetName(QStringLiteral("fmAlinhamento"));
    SetCaption(QStringLiteral("Alinhamento"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(TBorderIcons{biSystemMenu});
    QWidget* client = MakeDialogClient(*this, 330, 240);

    QGroupBox* hBox = nullptr;
    QGroupBox* vBox = nullptr;
    FHorizontal = MakeRadioGroup(client, QStringLiteral("Horizontal"),
                                 {QStringLiteral("&Nenhum"), QStringLiteral("&Esquerda"), QStringLiteral("&Centro"),
                                  QStringLiteral("&Direita"), QStringLiteral("E&spaços Iguais"),
                                  QStringLiteral("Ce&ntro da Etiqueta")},
                                 hBox);
    FVertical = MakeRadioGroup(client, QStringLiteral("Vertical"),
                               {QStringLiteral("Ne&hum"), QStringLiteral("&Topo"), QStringLiteral("Cent&ro"),
                                QStringLiteral("&Fundo"), QStringLiteral("Espaços &Iguais"),
                                QStringLiteral("Centro da etiquet&a")},
                               vBox);
    hBox->setObjectName(QStringLiteral("rgHorizontal"));
    vBox->setObjectName(QStringLiteral("rgVertical"));

    FOk = MakeButton(client, QStringLiteral("Ok"), mrOk, [this] { buOkClick(); });
    FOk->setObjectName(QStringLiteral("buOk"));
    FOk->setDefault(true);
    FCancel = MakeButton(client, QStringLiteral("Cancela"), mrCancel);
    FCancel->setObjectName(QStringLiteral("buCancela"));

    LayOutTwoGroupDialog(*this, client, hBox, vBox, FOk, FCancel);
}

TfmAlinhamento::~TfmAlinhamento() = default;

int TfmAlinhamento::Execute(TIniFile* settings, const TDesignSelection& selection)
{
    return ExecuteOnSelection<TfmAlinhamento>(settings, selection);
}

int TfmAlinhamento::Horizontal() const { return FHorizontal->checkedId(); }
int TfmAlinhamento::Vertical() const { return FVertical->checkedId(); }

void TfmAlinhamento::SetHorizontal(int index) { CheckRadio(FHorizontal, index); }
void TfmAlinhamento::SetVertical(int index) { CheckRadio(FVertical, index); }

void TfmAlinhamento::FormShow() { RestoreDialogPosition(*this, FSettings, Section); }

void TfmAlinhamento::FormClose() { SaveDialogPosition(*this, FSettings, Section); }

void TfmAlinhamento::Placed(TControl* control)
{
    if (FSelection.PlaceMarks)
        FSelection.PlaceMarks(control);
}

void TfmAlinhamento::Modified()
{
    if (FSelection.Modified)
        FSelection.Modified();
}

void TfmAlinhamento::buOkClick()
{
    const int h = Horizontal();
    const int v = Vertical();
    const auto edge = [](int choice) { return choice >= alLeft && choice <= alRight; };
    if (edge(h) || edge(v))
        AlignEdges(edge(h) ? h : alNone, edge(v) ? v : alNone);
    if (h == alEqualSpaces)
        EqualSpaces(true);
    if (v == alEqualSpaces)
        EqualSpaces(false);
    if (h == alBandCentre || v == alBandCentre)
        CentreInBand(h, v);
}

void TfmAlinhamento::AlignEdges(int h, int v)
{
    const std::vector<TControl*>& controls = FSelection.Controls;
    if (!controls.empty()) {
        const TControl* first = controls.front();
        const int x = h == alLeft ? first->Left() : h == alCentre ? first->Left() + first->Width() / 2
                                                                   : first->Left() + first->Width();
        const int y = v == alLeft ? first->Top() : v == alCentre ? first->Top() + first->Height() / 2
                                                                  : first->Top() + first->Height();
        for (size_t i = 1; i < controls.size(); ++i) {
            TControl* c = controls[i];
            int left = c->Left();
            int top = c->Top();
            if (h == alLeft)
                left = x;
            else if (h == alCentre)
                left = x - c->Width() / 2;
            else if (h == alRight)
                left = x - c->Width();
            if (v == alLeft)
                top = y;
            else if (v == alCentre)
                top = y - c->Height() / 2;
            else if (v == alRight)
                top = y - c->Height();
            c->SetBounds(left, top, c->Width(), c->Height());
            Placed(c);
        }
    }
    Modified();
}

void TfmAlinhamento::EqualSpaces(bool horizontal)
{
    const auto pos = [horizontal](const TControl* c) { return horizontal ? c->Left() : c->Top(); };
    const auto extent = [horizontal](const TControl* c) { return horizontal ? c->Width() : c->Height(); };

    // Ordered by position as a number (a stable sort keeps the list order of controls that share
    // one), and every control takes part: none is dropped for sharing a position with another.
    std::vector<TControl*> order = FSelection.Controls;
    std::stable_sort(order.begin(), order.end(),
                     [&pos](const TControl* a, const TControl* b) { return pos(a) < pos(b); });
    if (order.size() > 1) {
        long long lowest = LLONG_MAX;
        long long highest = LLONG_MIN;
        long long sum = 0;
        for (const TControl* c : order) {
            lowest = std::min<long long>(lowest, pos(c));
            highest = std::max<long long>(highest, static_cast<long long>(pos(c)) + extent(c));
            sum += extent(c);
        }
        const long long gap = (highest - lowest - sum) / static_cast<long long>(order.size() - 1);
        for (size_t i = 1; i + 1 < order.size(); ++i) {
            const TControl* previous = order[i - 1];
            const int at = static_cast<int>(pos(previous) + extent(previous) + gap);
            TControl* c = order[i];
            if (horizontal)
                c->SetBounds(at, c->Top(), c->Width(), c->Height());
            else
                c->SetBounds(c->Left(), at, c->Width(), c->Height());
            Placed(c);
        }
    }
    Modified();
}

void TfmAlinhamento::CentreInBand(int h, int v)
{
    const TKVCustomBand* band = FSelection.Band;
    if (!band)
        return;
    const int cx = band->Width() / 2;
    const int cy = band->Height() / 2;
    const bool across = h == alBandCentre;
    const bool down = v == alBandCentre;
    if (FSelection.MultiSelection()) {
        int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
        for (const TControl* c : FSelection.Controls) {
            left = std::min(left, c->Left());
            top = std::min(top, c->Top());
            right = std::max(right, c->Left() + c->Width());
            bottom = std::max(bottom, c->Top() + c->Height());
        }
        const int dx = across ? cx - (left + right) / 2 : 0;
        const int dy = down ? cy - (top + bottom) / 2 : 0;
        for (TControl* c : FSelection.Controls) {
            c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
            Placed(c);
        }
    } else if (auto* c = dynamic_cast<TKVPrintable*>(FSelection.Selected)) {
        const int dx = across ? cx - (c->Left() + c->Left() + c->Width()) / 2 : 0;
        const int dy = down ? cy - (c->Top() + c->Top() + c->Height()) / 2 : 0;
        c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
        if (FSelection.RefreshHandles)
            FSelection.RefreshHandles();
    }
    Modified();
}

} // namespace tessiv
