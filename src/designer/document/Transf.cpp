#include "designer/document/Transf.h"

#include "platform/controls/Controls.h"

#include <QCoreApplication>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmTransf, TForm)

TfmTransf::TfmTransf(TComponent* owner) : TForm(owner)
{
    SetName(QStringLiteral("fmTransf"));
    FClient = new TWinControl(this);
}

TfmTransf::~TfmTransf()
{
    Clear();
}

std::vector<TControl*> TfmTransf::Copies() const
{
    std::vector<TControl*> out;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TControl*>(Components(i)); c && c != FClient)
            out.push_back(c);
    return out;
}

bool TfmTransf::HasCopies() const
{
    return !Copies().empty();
}

void TfmTransf::Clear()
{
    for (TControl* c : Copies())
        c->Free();
}

namespace {
TfmTransf*& Instance()
{
    static TfmTransf* form = nullptr;
    return form;
}
} // namespace

TfmTransf* fmTransf()
{
    TfmTransf*& form = Instance();
    if (!form) {
        form = new TfmTransf(nullptr);
        // Gone with the application, before the window system it lives on.
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { FreeTransferForm(); });
    }
    return form;
}

bool TransferFormHasCopies()
{
    return Instance() && Instance()->HasCopies();
}

void FreeTransferForm()
{
    TfmTransf*& form = Instance();
    if (form) {
        TfmTransf* f = form;
        form = nullptr;
        f->Free();
    }
}

} // namespace tessiv
