#include "PageDialogsFixture.h"

#include "designer/DesignerClasses.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Dialogs.h"

#include <QApplication>

namespace dialogstest {

using namespace tessiv;

namespace {

// The dialogs are widgets: one application object for the whole program, never a window shown
// unless a test shows one on the offscreen platform.
class TDialogsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "test_dialogs";
        static char* argv[] = {arg0, nullptr};
        if (!QCoreApplication::instance())
            FApp = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { FApp.reset(); }

private:
    std::unique_ptr<QApplication> FApp;
};

[[maybe_unused]] auto* const Environment = ::testing::AddGlobalTestEnvironment(new TDialogsEnvironment);

} // namespace

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
