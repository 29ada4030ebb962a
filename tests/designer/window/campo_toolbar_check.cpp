// The field tool bar on a real X server over the bundled product labels: selected in turn, a data
// text, a barcode, a system-data text and a data picture each bring the bar up with their own
// panels, and a screenshot of the bar for each is left in the build folder for a person to look at.
// A value typed into the barcode's field box with real keys is applied when Tab leaves the box.
#include "WindowCheck.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVSysData.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/Database.h"
#include "uisupport/MyToolBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace tessiv;
using namespace windowcheck;

namespace {

class CampoToolbarWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { App = StartApplication(); }
    static void TearDownTestSuite() { App.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(Config.isValid());
        ASSERT_TRUE(Scratch.isValid());
        qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
        Copy = CopyProductLabel(Scratch);
        ASSERT_FALSE(Copy.isEmpty());
    }

    static std::unique_ptr<TQtApplication> App;
    QTemporaryDir Config;
    QTemporaryDir Scratch;
    QString Copy;
};

std::unique_ptr<TQtApplication> CampoToolbarWindow::App;

struct TExpect {
    const char* Name;
    TControl* Control;
    const char* Field; // what the field box shows
    bool Barra, Picture, Numbering, Quantity, Mask;
};

TEST_F(CampoToolbarWindow, EachDataBoundControlShowsItsPanelsAndATypedBarcodeValueIsApplied)
{
    const auto form = ShowMainForm({Copy});
    OpenCommandLine(*form);
    TfmAnexo_MDIChild* child = SizedDocumentWindow(*form);
    ASSERT_NE(child, nullptr) << "the example opened no window";
    TVardoRep* report = child->Report;
    TComponent* root = report->Owner();
    auto* nome = dynamic_cast<TKVDBText*>(root->FindComponent(QStringLiteral("Nome")));
    auto* codigo = dynamic_cast<TKVBarcode*>(root->FindComponent(QStringLiteral("Codigo")));
    auto* quantidade = dynamic_cast<TKVDBText*>(root->FindComponent(QStringLiteral("Quantidade")));
    ASSERT_TRUE(nome && codigo && quantidade && nome->Parent()) << "the example lacks its Nome, Codigo or Quantidade";
    // The shop's table through an alias of the session, as the data dialog sets it up, then opened:
    // its fields fill the field box.
    auto* produtos = dynamic_cast<TTable*>(root->FindComponent(QStringLiteral("Produtos")));
    ASSERT_NE(produtos, nullptr);
    const QString db = Scratch.filePath(QStringLiteral("loja.db")); // copied beside the label
    ASSERT_TRUE(QFileInfo::exists(db));
    Session().SetConfigFile(Scratch.filePath(QStringLiteral("Aliases.INI")));
    TStringList params;
    params.Add(QStringLiteral("PATH=") + db);
    Session().AddAlias(QStringLiteral("LOJA"), QStringLiteral("SQLITE"), &params);
    produtos->Close();
    produtos->SetDatabaseName(QStringLiteral("LOJA"));
    ASSERT_TRUE(form->Document->OpenDataSet(false));
    TWinControl* band = nome->Parent();
    auto* sys = new TKVSysData(root);
    sys->SetParent(band);
    form->EnsureComponentName(sys);
    sys->SetData(kvsDetailNo);
    sys->SetSysText(QStringLiteral("Nº "));
    auto* picture = new TKVDBImage(root);
    picture->SetParent(band);
    form->EnsureComponentName(picture);
    picture->SetProporcional(true);
    form->WireDocumentInput(report);
    Settle(300);

    const TExpect cases[] = {
        {"data_text", nome, "NOME", false, false, true, true, true},
        {"quantity_text", quantidade, "QTD", false, false, true, true, true},
        {"barcode", codigo, "EAN", true, false, true, false, true},
        {"sysdata", sys, "Número do detalhe", false, false, false, false, true},
        {"data_picture", picture, nullptr, false, true, false, false, false},
    };
    for (const TExpect& c : cases) {
        SCOPED_TRACE(c.Name);
        form->Designer->Attach(report);
        form->Designer->SetSelected(c.Control);
        form->Designer->RefreshHandles();
        Settle(500);
        ASSERT_EQ(form->CampoToolBar->Component(), c.Control) << "the field bar does not hold the control";
        ASSERT_TRUE(form->CampoToolBar->isVisible()) << "the field bar is not shown";
        EXPECT_TRUE(form->cbCampo->isVisible());
        if (c.Field)
            EXPECT_EQ(form->cbCampo->currentText(), QString::fromUtf8(c.Field));
        EXPECT_EQ(form->paBarra->isVisible(), c.Barra);
        EXPECT_EQ(form->paDBPicture->isVisible(), c.Picture);
        EXPECT_EQ(form->paIncremento->isVisible(), c.Numbering);
        EXPECT_EQ(form->paCampoQtd->isVisible(), c.Quantity);
        EXPECT_EQ(form->Mascara_AddOn58->isVisible(), c.Mask);
        // The report's quantity text shows its role: checked, its mask closed.
        if (c.Quantity) {
            EXPECT_EQ(form->cbCampoQtd->isChecked(), c.Control == quantidade);
            EXPECT_EQ(form->Mascara_AddOn58->isEnabled(), c.Control != quantidade);
        }
        // Every shown panel lies inside the bar, none on top of another.
        int right = 0;
        for (QWidget* panel : {form->paCampoTool, form->paCampoQtd, form->paIncremento, form->paBarra,
                               form->paDBPicture}) {
            if (!panel->isVisible())
                continue;
            const QRect r(panel->mapTo(form->CampoToolBar, QPoint(0, 0)), panel->size());
            EXPECT_GE(r.left(), right) << qPrintable(panel->objectName());
            EXPECT_LE(r.right(), form->CampoToolBar->width()) << qPrintable(panel->objectName());
            right = r.right();
        }
        const QImage bar = form->CampoToolBar->grab().toImage();
        bar.save(QStringLiteral(TESSIV_SHOT_DIR "/campo_toolbar_") + QLatin1String(c.Name) + QStringLiteral(".png"));
        EXPECT_GE(Ink(bar), 40) << "the bar looks unpainted";
    }

    // Real keys: a fixed value typed into the barcode's field box with a click into it, applied
    // as Tab leaves the box; Enter applies the next one at once.
    form->Designer->Attach(report);
    form->Designer->SetSelected(codigo);
    Settle(300);
    form->SetModified(false);
    form->Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form->Window()));
    QLineEdit* edit = form->cbCampo->lineEdit();
    ASSERT_NE(edit, nullptr) << "the barcode's field box is not editable";
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, edit->rect().center());
    Settle(200);
    edit->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("789123"));
    Settle(100);
    EXPECT_EQ(codigo->DataField(), QStringLiteral("EAN")) << "typing alone changed the barcode";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    Settle(300);
    EXPECT_EQ(codigo->Bar_Text(), QStringLiteral("789123"));
    EXPECT_TRUE(codigo->DataField().isEmpty());
    EXPECT_TRUE(form->IsModified());
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, edit->rect().center());
    Settle(200);
    edit->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4321"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Settle(300);
    EXPECT_EQ(codigo->Bar_Text(), QStringLiteral("4321"));
    form->Window()->grab().save(QStringLiteral(TESSIV_SHOT_DIR "/campo_toolbar_window.png"));
    form->AskOnClose = false;
    form->Close();
}

} // namespace
