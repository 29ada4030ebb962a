// The program's main block: the application's title and product strings, the engine's windows and
// design colours, the classes report files may hold, the login and database wait boxes, the main
// form, the command line, the loop.
#include "designer/mainform/AnexoForm.h"
#include "designer/document/AnexoRelatorio.h"
#include "designer/document/DesignerClasses.h"
#include "designer/document/ServerWaitBox.h"
#include "engine/design/DesignColours.h"
#include "engine/ui/EngineWindows.h"
#include "platform/ui/Application.h"

#include <QStringList>

#include <memory>

using namespace tessiv;

int main(int argc, char** argv)
{
    TQtApplication app(argc, argv);
    LoadSystemTranslations();
    Application().SetTitle(QStringLiteral("Tessiv"));
    ProductName = QStringLiteral("Tessiv");
    ProductVersion = QStringLiteral("2.5.3");
    QCoreApplication::setApplicationVersion(ProductVersion);
    InstallEngineWindows();
    SelectDesignColours();
    RegisterDesignerClasses();
    InstallLoginPrompt();
    InstallServerWaitBox();

    QStringList parameters = QCoreApplication::arguments();
    parameters.removeFirst();
    int result = 0;
    {
        std::unique_ptr<TfmAnexo, TComponentDeleter> form(new TfmAnexo(nullptr, parameters));
        TForm::SetMainForm(form.get());
        if (!Application().Guard([&] {
                form->Show();
                form->HandleCommandLine();
                form->FormPaint();
            }))
            result = 1;
        // The program runs until the main form has closed, whatever the start showed.
        result = Application().Run();
    }
    ProductName.clear();
    ProductVersion.clear();
    return result;
}
