// The about form: its caption and labels from the program's name and version.
#include "PageDialogsFixture.h"

#include "designer/mainform/AboutTSSV.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QPushButton>
#include <QTest>

using namespace tessiv;

namespace dialogstest {
namespace {

TEST(AboutTSSVTest, ShowsTheProductNameAndVersion)
{
    std::unique_ptr<TfmAboutTSSV, TComponentDeleter> form(new TfmAboutTSSV(nullptr));
    EXPECT_EQ(form->Caption(), QStringLiteral("Sobre"));
    form->SetProduct(QStringLiteral("Tessiv"), QStringLiteral("2.5.3"));
    EXPECT_EQ(form->Caption(), QStringLiteral("Sobre Tessiv"));
    EXPECT_EQ(form->ProductLabel()->text(), QStringLiteral("Tessiv"));
    EXPECT_EQ(form->VersionLabel()->text(), QStringLiteral("2.5.3"));
}

TEST(AboutTSSVTest, OkEnterAndEscapeCloseIt)
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space}) {
        bool centred = false;
        TModalForm::SetPresenter([key, &centred](TModalForm& form) {
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            centred = form.Left() == (screen.width() - form.Width()) / 2 &&
                      form.Top() == (screen.height() - form.Height()) / 2;
            if (key == Qt::Key_Space)
                static_cast<TfmAboutTSSV&>(form).OKButton()->click();
            else
                QTest::keyClick(form.Window(), key);
            EXPECT_FALSE(form.Visible());
        });
        EXPECT_EQ(TfmAboutTSSV::Execute(QStringLiteral("Tessiv"), QStringLiteral("2.5.3")), mrOk);
        EXPECT_TRUE(centred);
    }
    TModalForm::SetPresenter(nullptr);
}

} // namespace
} // namespace dialogstest
