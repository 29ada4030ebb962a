#include "designer/mainform/AboutTSSV.h"

#include "designer/dialogs/DialogSupport.h"
#include "platform/ui/Application.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmAboutTSSV, TModalForm)

namespace {
const QString OwnCaption = QStringLiteral("Sobre");
}

TfmAboutTSSV::TfmAboutTSSV(TComponent* owner) : TModalForm(owner)
{
    SetName(QStringLiteral("fmAboutTSSV"));
    SetCaption(OwnCaption);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(TBorderIcons{biSystemMenu});
    QWidget* client = MakeDialogClient(*this, 300, 150);

    FProduct = new QLabel(client);
    FProduct->setObjectName(QStringLiteral("ProductName"));
    QFont big = FProduct->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    FProduct->setFont(big);
    auto* versionCaption = new QLabel(QStringLiteral("Versão"), client);
    FVersion = new QLabel(client);
    FVersion->setObjectName(QStringLiteral("Version"));
    auto* line = new QFrame(client);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    FOk = MakeButton(client, QStringLiteral("OK"), mrOk);
    FOk->setObjectName(QStringLiteral("OKButton"));
    FOk->setDefault(true);

    auto* version = new QHBoxLayout;
    version->addWidget(versionCaption);
    version->addWidget(FVersion);
    version->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(FOk);
    auto* layout = new QVBoxLayout(client);
    layout->addWidget(FProduct);
    layout->addLayout(version);
    layout->addStretch();
    layout->addWidget(line);
    layout->addLayout(buttons);
    FitDialogToContents(*this);

    new TDialogKeys(*this, FOk, FOk);
}

TfmAboutTSSV::~TfmAboutTSSV() = default;

void TfmAboutTSSV::FormShow() { CentreOnScreen(); }

int TfmAboutTSSV::Execute(const QString& productName, const QString& productVersion)
{
    std::unique_ptr<TfmAboutTSSV, TComponentDeleter> form(new TfmAboutTSSV(nullptr));
    form->SetProduct(productName, productVersion);
    return form->ShowModal();
}

void TfmAboutTSSV::SetProduct(const QString& productName, const QString& productVersion)
{
    SetCaption(OwnCaption + QLatin1Char(' ') + productName);
    FProduct->setText(productName);
    FVersion->setText(productVersion);
}

} // namespace tessiv
