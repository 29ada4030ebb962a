#include "PageDialogsFixture.h"

#include "designer/document/DesignerClasses.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Dialogs.h"

namespace dialogstest {

using namespace tessiv;

void PageDialogsTest::SetUp()
{
    RegisterDesignerClasses();
    // Millimetres and the Brazilian decimal comma, whatever the machine's locale.
    FLocaleUsesInches = LocaleUsesInches();
    SetLocaleUsesInches(false);
    FormatSettings() = BrazilianFormatSettings();
    Application().Presenter = [this](const TMessageBoxRequest& request) {
        Boxes << request.Text;
        return request.Buttons.empty() ? IDOK : request.Buttons.front();
    };
    Root.reset(new TfmHidden(nullptr));
    Root->SetName(QStringLiteral("fmHidden"));
    Report = new TVardoRep(Root.get());
    Report->SetName(QStringLiteral("Relatorio"));
    Report->SetParent(Root.get());
    Report->SetUnits(kvunMM);
    Report->Page()->SetPaperSize(TKVPaperSize::A4);
    Detail = Report->CreateBand(rbDetail);
    Report->SetZoom(100);
}

void PageDialogsTest::TearDown()
{
    Root.reset();
    Application().Presenter = nullptr;
    SetDialogPresenter(nullptr);
    FormatSettings() = BrazilianFormatSettings();
    SetLocaleUsesInches(FLocaleUsesInches);
}

QByteArray PageDialogsTest::ReportBytes() const
{
    TMemoryStream stream;
    WriteComponentRes(stream, Root.get());
    return stream.Bytes();
}

} // namespace dialogstest
