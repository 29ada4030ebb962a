// The page setup dialog over a real report: what it loads, what OK and Apply write (and what they
// leave alone), the refusals that leave the report untouched, the step buttons, the key filters,
// and texts typed in each unit under the Brazilian decimal comma.
#include "PageDialogsFixture.h"

#include "designer/dialogs/CfgPagina.h"
#include "engine/run/KVRunWindows.h"
#include "platform/printing/Printer.h"
#include "engine/model/KVUtils.h"
#include "platform/core/IniFiles.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "uisupport/FontComboBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cmath>

using namespace tessiv;

namespace dialogstest {
namespace {

using TFormPtr = std::unique_ptr<TfmCfgPagina, TComponentDeleter>;

class CfgPaginaTest : public PageDialogsTest {
protected:
    TFormPtr Open(const TCfgPaginaHooks& hooks = {})
    {
        TFormPtr form(new TfmCfgPagina(nullptr));
        form->SetHooks(hooks);
        form->SetReport(Report);
        return form;
    }
    static void Leave(QLineEdit* edit)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &out);
    }
    static void Choose(QComboBox* box, const QString& text)
    {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
    }
};

TEST_F(CfgPaginaTest, LoadsThePageTheFontAndTheOptionsOfTheReport)
{
    Report->Page()->SetTopMargin(12.5);
    Report->Page()->SetColumns(3);
    Report->Font()->SetSize(14);
    Report->SetOptions({kvoImpressoraTermica, kvoImprimeVerso});
    Report->SetTipoImpressaoTermica(kvtiMultiplo);
    Report->Frame()->SetDrawLeft(true);
    Report->Frame()->SetWidth(3);
    const TFormPtr form = Open();

    EXPECT_EQ(form->PaperSize->currentText(), QStringLiteral("A4 210 x 297 mm"));
    EXPECT_EQ(form->PaperSize->count(), 28);
    EXPECT_EQ(form->PageWidth->text(), QStringLiteral("210,00"));
    EXPECT_EQ(form->PageLength->text(), QStringLiteral("297,00"));
    EXPECT_EQ(form->Topmargin->text(), QStringLiteral("12,50"));
    EXPECT_EQ(form->OrientationCB->currentText(), QStringLiteral("Retrato"));
    EXPECT_EQ(form->Columns->text(), QStringLiteral("3"));
    EXPECT_EQ(form->FontSize->currentText(), QStringLiteral("14"));
    EXPECT_EQ(form->FontSize->count(), 16);
    EXPECT_EQ(form->FontSize->itemText(0), QStringLiteral("8"));
    EXPECT_EQ(form->FontSize->itemText(15), QStringLiteral("72"));
    EXPECT_TRUE(form->cbTermica->isChecked());
    EXPECT_TRUE(form->rbTipoTermica->isEnabled());
    EXPECT_EQ(form->TipoTermica->checkedId(), 1);
    EXPECT_EQ(form->FrenteVerso->checkedId(), 1);
    EXPECT_FALSE(form->FirstPageHeader->isChecked());
    EXPECT_TRUE(form->PageFrameLeft->isChecked());
    EXPECT_FALSE(form->PageFrameTop->isChecked());
    EXPECT_EQ(form->PageFramePenWidth->text(), QStringLiteral("3"));
    EXPECT_EQ(form->Units->currentText(), QStringLiteral("Milímetros"));
    // The paper names are listed sorted.
    for (int i = 1; i < form->PaperSize->count(); ++i)
        EXPECT_LE(QString::localeAwareCompare(form->PaperSize->itemText(i - 1), form->PaperSize->itemText(i)), 0);
    // The hidden bands group carries the detail band, and is never shown.
    EXPECT_TRUE(form->BandPresent[3]->isChecked());
    EXPECT_FALSE(form->BandPresent[0]->isChecked());
    EXPECT_FALSE(form->Faixas->isVisibleTo(form->Window()));
    EXPECT_FALSE(form->Faixas->isEnabled());
}

TEST_F(CfgPaginaTest, A4InLandscapeGives297By210AndIgnoresTheSizeBoxes)
{
    Report->Page()->SetPaperSize(TKVPaperSize::Letter);
    const TFormPtr form = Open();
    Choose(form->PaperSize, QStringLiteral("A4 210 x 297 mm"));
    Choose(form->OrientationCB, QStringLiteral("Paisagem"));
    form->PageWidth->setText(QStringLiteral("100,00"));
    form->PageLength->setText(QStringLiteral("50,00"));
    form->OK1Click();

    EXPECT_EQ(Report->Page()->PaperSize(), TKVPaperSize::A4);
    EXPECT_EQ(Report->Page()->Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_NEAR(static_cast<double>(Report->Page()->Width()), 297.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(Report->Page()->Length()), 210.0, 1e-9);
    EXPECT_EQ(form->ModalResult(), mrOk);
    EXPECT_TRUE(Boxes.isEmpty());
}

TEST_F(CfgPaginaTest, ACustomPaperTakesTheSizeBoxes)
{
    const TFormPtr form = Open();
    Choose(form->PaperSize, QStringLiteral("Personalizada"));
    form->PageWidth->setText(QStringLiteral("101,60"));
    form->PageLength->setText(QStringLiteral("50,80"));
    ASSERT_TRUE(form->ApplyToReport());
    EXPECT_EQ(Report->Page()->PaperSize(), TKVPaperSize::Custom);
    EXPECT_NEAR(static_cast<double>(Report->Page()->Width()), 101.6, 1e-9);
    EXPECT_NEAR(static_cast<double>(Report->Page()->Length()), 50.8, 1e-9);
}

// The report's file is the judge: nothing of it may move when nothing was changed in the boxes,
// however its lengths round to two decimals in the unit shown.
TEST_F(CfgPaginaTest, ApplyWithoutChangesLeavesTheReportAsItWasInEveryUnit)
{
    Report->Page()->SetPaperSize(TKVPaperSize::Letter); // inches: 215.9 x 279.4 mm
    Report->Page()->SetTopMargin(10.004);
    Report->Page()->SetLeftMargin(6.35);
    Report->Page()->SetColumnSpace(1.0 / 3);
    Detail->Size()->SetHeight(12.345);
    Report->SetOptions({kvoCompression, kvoLastPageFooter, kvoAlinharTamanho});
    for (const TKVUnit unit : {kvunMM, kvunInches, kvunPixels, kvunCharacters, kvunNative}) {
        SCOPED_TRACE(static_cast<int>(unit));
        Report->SetUnits(unit);
        const QByteArray before = ReportBytes();
        const TFormPtr form = Open();
        form->Apply1Click();
        EXPECT_EQ(ReportBytes(), before);
        form->Apply1Click();
        EXPECT_EQ(ReportBytes(), before);
        form->OK1Click();
        EXPECT_EQ(ReportBytes(), before);
    }
    EXPECT_TRUE(Report->Options().Contains(kvoCompression));
}

TEST_F(CfgPaginaTest, ABandRemovedWhileTheDialogIsOpenIsNotMadeAgain)
{
    Report->CreateBand(rbPageFooter);
    const TFormPtr form = Open();
    EXPECT_TRUE(form->BandPresent[5]->isChecked());
    Report->Bands()->SetBand(6, false);
    form->OK1Click();
    EXPECT_FALSE(Report->Bands()->GetBand(6));
    EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(CfgPaginaTest, WithoutAReportOkClosesAndWritesNothing)
{
    TFormPtr form(new TfmCfgPagina(nullptr));
    form->OK1Click();
    EXPECT_EQ(form->ModalResult(), mrOk);
    EXPECT_TRUE(Boxes.isEmpty());
}

TEST_F(CfgPaginaTest, ASecondApplyChangesNothing)
{
    const TFormPtr form = Open();
    form->Topmargin->setText(QStringLiteral("7,777"));
    Choose(form->PaperSize, QStringLiteral("A5 148 x 210 mm"));
    form->Columns->setText(QStringLiteral("2"));
    form->Apply1Click();
    // What the boxes show after Apply is what the report took.
    EXPECT_EQ(form->Topmargin->text(), QStringLiteral("7,78"));
    EXPECT_EQ(form->PageWidth->text(), QStringLiteral("148,00"));
    const QByteArray once = ReportBytes();
    form->Apply1Click();
    EXPECT_EQ(ReportBytes(), once);
}

TEST_F(CfgPaginaTest, OptionsTheDialogDoesNotShowStayAndDisabledHeaderBoxesKeepTheirOptions)
{
    Report->SetOptions({kvoCompression, kvoFirstPageHeader});
    TFormPtr form(new TfmCfgPagina(nullptr));
    form->SetHeaderOptionsEnabled(false);
    form->SetReport(Report);
    EXPECT_FALSE(form->FirstPageHeader->isEnabled());
    EXPECT_FALSE(form->LastPageFooter->isEnabled());
    form->cbTermica->setChecked(true);
    form->FrenteVerso->button(1)->setChecked(true);
    form->OK1Click();
    EXPECT_EQ(Report->Options(),
              (TVardoReportOptions{kvoCompression, kvoFirstPageHeader, kvoImpressoraTermica, kvoImprimeVerso}));
}

TEST_F(CfgPaginaTest, EveryBoxIsCheckedBeforeAnythingIsWritten)
{
    struct TCase {
        const char* Box;
        QString Text;
        QString Message;
    };
    const TCase cases[] = {
        {"Columns", QStringLiteral("abc"), QStringLiteral("'abc' is not a valid integer value.")},
        {"edNumLinha", QStringLiteral("0"), QStringLiteral("Informe um valor maior que zero.")},
        {"PageFramePenWidth", QStringLiteral("x"), QStringLiteral("'x' is not a valid integer value.")},
        {"Topmargin", QStringLiteral("1.5"), QStringLiteral("'1.5' is not a valid floating point value.")},
        {"RightMargin", QStringLiteral("-2,00"), QStringLiteral("Informe um valor que não seja negativo.")},
        {"ColumnMargin", QStringLiteral("1e300"), QStringLiteral("O valor 1e300 é grande demais.")},
        {"FontSize", QStringLiteral("0"), QStringLiteral("Informe um valor maior que zero.")},
    };
    Report->Page()->SetLines(5);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Box);
        Boxes.clear();
        const QByteArray before = ReportBytes();
        const TFormPtr form = Open();
        // Good changes ahead of and after the refused box: neither may be written.
        form->LeftMargin->setText(QStringLiteral("33,00"));
        form->Units->setCurrentIndex(kvunInches);
        form->cbTermica->setChecked(true);
        if (QString(c.Box) == QLatin1String("FontSize"))
            form->FontSize->setEditText(c.Text);
        else
            form->Window()->findChild<QLineEdit*>(QLatin1String(c.Box))->setText(c.Text);
        EXPECT_FALSE(form->ApplyToReport());
        EXPECT_EQ(ReportBytes(), before);
        EXPECT_EQ(Boxes, QStringList{c.Message});
        form->OK1Click();
        EXPECT_EQ(form->ModalResult(), 0) << "the dialog stays open";
        EXPECT_EQ(ReportBytes(), before);
    }
}

TEST_F(CfgPaginaTest, CustomPaperRefusesAZeroSize)
{
    const TFormPtr form = Open();
    Choose(form->PaperSize, QStringLiteral("Personalizada"));
    form->PageWidth->setText(QStringLiteral("0,00"));
    const QByteArray before = ReportBytes();
    EXPECT_FALSE(form->ApplyToReport());
    EXPECT_EQ(ReportBytes(), before);
    EXPECT_EQ(Boxes, QStringList{QStringLiteral("Informe um valor maior que zero.")});
}

TEST_F(CfgPaginaTest, StepButtonsStopAtTheirFloor)
{
    struct TCase {
        const char* Edit;
        QString Start;
        int Step;
        int Floor;
        QString Result;
    };
    const TCase cases[] = {
        {"Columns", QStringLiteral("1"), -1, 1, QStringLiteral("1")},
        {"Columns", QStringLiteral("1"), 1, 1, QStringLiteral("2")},
        {"Columns", QStringLiteral("2"), -1, 1, QStringLiteral("1")},
        {"edNumLinha", QStringLiteral("1"), -1, 1, QStringLiteral("1")},
        {"PageFramePenWidth", QStringLiteral("0"), -1, 0, QStringLiteral("0")},
        {"PageFramePenWidth", QStringLiteral("0"), 1, 0, QStringLiteral("1")},
        {"Columns", QStringLiteral("abc"), 1, 1, QStringLiteral("abc")},
        // The box holds four digits: a step past them is not taken.
        {"Columns", QStringLiteral("9999"), 1, 1, QStringLiteral("9999")},
    };
    const TFormPtr form = Open();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Edit);
        auto* edit = form->Window()->findChild<QLineEdit*>(QLatin1String(c.Edit));
        edit->setText(c.Start);
        TfmCfgPagina::StepEdit(edit, c.Step, c.Floor);
        EXPECT_EQ(edit->text(), c.Result);
    }
    // The buttons themselves.
    form->PageFramePenWidth->setText(QStringLiteral("0"));
    form->PenWidthDown->click();
    EXPECT_EQ(form->PageFramePenWidth->text(), QStringLiteral("0"));
    form->PenWidthUp->click();
    form->PenWidthUp->click();
    EXPECT_EQ(form->PageFramePenWidth->text(), QStringLiteral("2"));
    form->Columns->setText(QStringLiteral("1"));
    form->ColumnsDown->click();
    EXPECT_EQ(form->Columns->text(), QStringLiteral("1"));
}

// Texts typed in each unit are taken in that unit and shown again as the report took them.
TEST_F(CfgPaginaTest, BoxTextsAppliedAndLoadedAgainInEachUnit)
{
    struct TBox {
        const char* Edit;
        QString Typed;
        QString Shown;
    };
    const TBox boxes[] = {
        {"Topmargin", QStringLiteral("12,5"), QStringLiteral("12,50")},
        {"BottomMargin", QStringLiteral("0,25"), QStringLiteral("0,25")},
        {"LeftMargin", QStringLiteral("7"), QStringLiteral("7,00")},
        {"RightMargin", QStringLiteral("1,257"), QStringLiteral("1,26")},
        {"ColumnMargin", QStringLiteral("3,1"), QStringLiteral("3,10")},
        {"PageWidth", QStringLiteral("40,5"), QStringLiteral("40,50")},
        {"PageLength", QStringLiteral("25"), QStringLiteral("25,00")},
        {"Columns", QStringLiteral("3"), QStringLiteral("3")},
        {"edNumLinha", QStringLiteral("8"), QStringLiteral("8")},
        {"PageFramePenWidth", QStringLiteral("2"), QStringLiteral("2")},
    };
    for (const TKVUnit unit : {kvunMM, kvunInches, kvunPixels, kvunCharacters, kvunNative}) {
        SCOPED_TRACE(static_cast<int>(unit));
        Report->Page()->SetPaperSize(TKVPaperSize::Custom);
        Report->SetUnits(unit);
        TFormPtr form = Open();
        for (const TBox& b : boxes)
            form->Window()->findChild<QLineEdit*>(QLatin1String(b.Edit))->setText(b.Typed);
        ASSERT_TRUE(form->ApplyToReport());
        form = Open();
        for (const TBox& b : boxes)
            EXPECT_EQ(form->Window()->findChild<QLineEdit*>(QLatin1String(b.Edit))->text(), b.Shown) << b.Edit;
        const TKVPage* page = Report->Page();
        EXPECT_NEAR(static_cast<double>(page->TopMargin()), 12.5, 1e-9);
        EXPECT_NEAR(static_cast<double>(page->RightMargin()), 1.257, 1e-9);
        EXPECT_NEAR(static_cast<double>(page->Width()), 40.5, 1e-9);
        EXPECT_EQ(page->Columns(), 3);
        EXPECT_EQ(page->Lines(), 8);
        EXPECT_EQ(Report->Frame()->Width(), 2);
        EXPECT_EQ(Report->Units(), unit);
        const QByteArray bytes = ReportBytes();
        form->Apply1Click();
        EXPECT_EQ(ReportBytes(), bytes);
    }
}

TEST_F(CfgPaginaTest, LengthsAreReadInTheOldUnitAndTheUnitChangesLast)
{
    const TFormPtr form = Open();
    form->Topmargin->setText(QStringLiteral("25,4"));
    form->Units->setCurrentIndex(kvunInches);
    form->Apply1Click();
    EXPECT_EQ(Report->Units(), kvunInches);
    EXPECT_NEAR(static_cast<double>(Report->Page()->TopMargin()), 1.0, 1e-9);
    EXPECT_EQ(form->Topmargin->text(), QStringLiteral("1,00"));
}

TEST_F(CfgPaginaTest, AFontKnownThroughASubstituteShowsItsOwnNameAndKeepsIt)
{
    // Arial stands in the list for its metric-compatible Liberation Sans.
    Report->Font()->SetName(QStringLiteral("Arial"));
    const TFormPtr form = Open();
    EXPECT_EQ(form->FontName->FontName(), QStringLiteral("Arial"));
    form->OK1Click();
    EXPECT_EQ(Report->Font()->Name(), QStringLiteral("Arial"));
}

TEST_F(CfgPaginaTest, TheFontAndTheFrameAreWrittenBack)
{
    const TFormPtr form = Open();
    const QString other = form->FontName->itemText(form->FontName->count() - 1);
    form->FontName->SetFontName(other);
    form->FontSize->setEditText(QStringLiteral("18"));
    form->PageFrameTop->setChecked(true);
    SetDialogPresenter([](TCommonDialog& dialog) {
        static_cast<TColorDialog&>(dialog).Color = clRed;
        return true;
    });
    form->ColorButton->click();
    EXPECT_EQ(form->FrameShapeColor(), clRed);
    form->cbAlinharPosAoGrid->setChecked(!Report->SnapToGrid());
    const bool snap = form->cbAlinharPosAoGrid->isChecked();
    form->OK1Click();
    EXPECT_EQ(Report->Font()->Name(), other);
    EXPECT_EQ(Report->Font()->Size(), 18);
    EXPECT_TRUE(Report->Frame()->DrawTop());
    EXPECT_EQ(Report->Frame()->Color(), clRed);
    EXPECT_EQ(Report->SnapToGrid(), snap);
}

TEST_F(CfgPaginaTest, CancelAndTheColourDialogCancelledWriteNothing)
{
    const QByteArray before = ReportBytes();
    const TFormPtr form = Open();
    form->Topmargin->setText(QStringLiteral("40,00"));
    SetDialogPresenter([](TCommonDialog& dialog) {
        static_cast<TColorDialog&>(dialog).Color = clBlue;
        return false;
    });
    form->ColorButton->click();
    EXPECT_EQ(form->FrameShapeColor(), clBlack);
    form->Cancel1->click();
    EXPECT_EQ(form->ModalResult(), mrCancel);
    EXPECT_EQ(ReportBytes(), before);
}

TEST_F(CfgPaginaTest, TheHooksAreCalledForPreviewOkAndApply)
{
    int previews = 0, modified = 0, handles = 0;
    const QByteArray before = ReportBytes();
    const TFormPtr form = Open({[&] { ++previews; }, [&] { ++modified; }, [&] { ++handles; }});
    form->Topmargin->setText(QStringLiteral("40,00"));
    form->Preview->click();
    // The preview shows the report as it is: the dialog's values are not applied first.
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(ReportBytes(), before);
    form->Apply1->click();
    EXPECT_EQ(modified, 1);
    EXPECT_EQ(handles, 1);
    form->OK1->click();
    EXPECT_EQ(modified, 2);
    EXPECT_EQ(handles, 2);
}

// The printer setup may turn the page; OK afterwards does not turn it back, since the user did
// not touch the orientation box.
TEST_F(CfgPaginaTest, ThePrinterSetupRunsOnTheReportAndOkKeepsWhatItChose)
{
    int dialogs = 0;
    SetPrintDialogProc([&dialogs](TPrinter& printer, TKVPrintDialogValues&) {
        ++dialogs;
        printer.SetOrientation(TPrinterOrientation::poLandscape);
        return true;
    });
    const TFormPtr form = Open();
    form->Topmargin->setText(QStringLiteral("11,00"));
    form->buImp->click();
    SetPrintDialogProc(nullptr);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(Report->Page()->Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_NEAR(static_cast<double>(Report->Page()->TopMargin()), 10.0, 1e-9) << "nothing applied by the setup";
    form->OK1Click();
    EXPECT_EQ(Report->Page()->Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_NEAR(static_cast<double>(Report->Page()->TopMargin()), 11.0, 1e-9);
}

// The largest counts the boxes hold are taken, and the report still lays its bands out.
TEST_F(CfgPaginaTest, TheLargestCountsTheBoxesHoldDoNoHarm)
{
    const TFormPtr form = Open();
    QTest::keyClicks(form->Columns, QStringLiteral("999999999999"));
    form->cbAlturaAutomatica->setChecked(true);
    form->edNumLinha->setText(QStringLiteral("9999"));
    form->FontSize->setEditText(QStringLiteral("999"));
    form->PageFramePenWidth->setText(QStringLiteral("99"));
    EXPECT_EQ(form->Columns->text().size(), 4);
    ASSERT_TRUE(form->ApplyToReport());
    EXPECT_EQ(Report->Page()->Columns(), form->Columns->text().toInt());
    EXPECT_EQ(Report->Page()->Lines(), 9999);
    Report->SetBandValues();
    EXPECT_GE(Detail->Height(), 0);
    EXPECT_GE(Detail->Width(), 0);
    EXPECT_TRUE(Boxes.isEmpty());
}

// Margins that leave the page no room would give the bands negative sizes: they are refused,
// judged on the page as the boxes would make it.
TEST_F(CfgPaginaTest, MarginsThatLeaveThePageNoRoomAreRefused)
{
    const QString across = QStringLiteral("As margens e o espaço entre colunas não deixam lugar na página.");
    const QString down = QStringLiteral("As margens superior e inferior não deixam lugar na página.");
    struct TCase {
        const char* Name;
        std::vector<std::pair<const char*, QString>> Boxes;
        QString Paper;
        bool Landscape;
        QString Message; // empty: taken
    };
    // A4 portrait, 210 x 297 mm, margins 10.
    const TCase cases[] = {
        {"left and right fill the width", {{"LeftMargin", "105"}, {"RightMargin", "105"}}, {}, false, across},
        {"room left", {{"LeftMargin", "100"}, {"RightMargin", "100"}}, {}, false, {}},
        {"column spaces", {{"Columns", "3"}, {"ColumnMargin", "95"}}, {}, false, across},
        {"top and bottom", {{"Topmargin", "150"}, {"BottomMargin", "150"}}, {}, false, down},
        {"fits portrait, not landscape", {{"Topmargin", "150"}, {"BottomMargin", "100"}}, {}, true, down},
        {"a smaller paper", {{"LeftMargin", "75"}, {"RightMargin", "75"}}, QStringLiteral("A5 148 x 210 mm"), false,
         across},
        {"a custom page made smaller", {{"PageWidth", "15"}}, QStringLiteral("Personalizada"), false, across},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Boxes.clear();
        const QByteArray before = ReportBytes();
        const TFormPtr form = Open();
        for (const auto& [edit, text] : c.Boxes)
            form->Window()->findChild<QLineEdit*>(QLatin1String(edit))->setText(text);
        if (!c.Paper.isEmpty())
            Choose(form->PaperSize, c.Paper);
        form->OrientationCB->setCurrentIndex(c.Landscape ? 1 : 0);
        const bool taken = form->ApplyToReport();
        EXPECT_EQ(taken, c.Message.isEmpty());
        if (taken) {
            Report->SetBandValues();
            EXPECT_GT(Detail->Width(), 0);
            Report->Page()->SetLeftMargin(10);
            Report->Page()->SetRightMargin(10);
            continue;
        }
        EXPECT_EQ(Boxes, QStringList{c.Message});
        EXPECT_EQ(ReportBytes(), before);
    }
}

// A report whose file already holds such margins is not refused for boxes nobody touched.
TEST_F(CfgPaginaTest, MarginsNobodyTouchedAreNotJudged)
{
    Report->Page()->SetLeftMargin(150);
    Report->Page()->SetRightMargin(150);
    const TFormPtr form = Open();
    form->Topmargin->setText(QStringLiteral("12,00"));
    EXPECT_TRUE(form->ApplyToReport());
    EXPECT_TRUE(Boxes.isEmpty());
}

TEST_F(CfgPaginaTest, KeyFiltersTakeDigitsAndTheDecimalCommaOnly)
{
    const TFormPtr form = Open();
    form->Topmargin->clear();
    QTest::keyClicks(form->Topmargin, QStringLiteral("1a2.5,7-"));
    EXPECT_EQ(form->Topmargin->text(), QStringLiteral("125,7"));
    form->Columns->clear();
    QTest::keyClicks(form->Columns, QStringLiteral("1,2x3"));
    EXPECT_EQ(form->Columns->text(), QStringLiteral("123"));
    form->FontSize->lineEdit()->clear();
    QTest::keyClicks(form->FontSize->lineEdit(), QStringLiteral("1b2"));
    EXPECT_EQ(form->FontSize->currentText(), QStringLiteral("12"));
    // Backspace still edits; the count boxes hold at most four digits.
    QTest::keyClick(form->Columns, Qt::Key_Backspace);
    EXPECT_EQ(form->Columns->text(), QStringLiteral("12"));
    QTest::keyClicks(form->Columns, QStringLiteral("34567"));
    EXPECT_EQ(form->Columns->text(), QStringLiteral("1234"));
}

TEST_F(CfgPaginaTest, EnterPressesOkAndEscapeCancels)
{
    {
        const TFormPtr form = Open();
        form->Topmargin->setText(QStringLiteral("20,00"));
        QTest::keyClick(form->Topmargin, Qt::Key_Return);
        EXPECT_EQ(form->ModalResult(), mrOk);
        EXPECT_NEAR(static_cast<double>(Report->Page()->TopMargin()), 20.0, 1e-9);
    }
    {
        // From the font size's own edit as well.
        const TFormPtr form = Open();
        form->FontSize->setEditText(QStringLiteral("16"));
        QTest::keyClick(form->FontSize->lineEdit(), Qt::Key_Enter);
        EXPECT_EQ(form->ModalResult(), mrOk);
        EXPECT_EQ(Report->Font()->Size(), 16);
    }
    {
        const TFormPtr form = Open();
        form->Topmargin->setText(QStringLiteral("30,00"));
        QTest::keyClick(form->Topmargin, Qt::Key_Escape);
        EXPECT_EQ(form->ModalResult(), mrCancel);
        EXPECT_NEAR(static_cast<double>(Report->Page()->TopMargin()), 20.0, 1e-9);
    }
}

TEST_F(CfgPaginaTest, EnterOnAFocusedButtonPressesThatButton)
{
    TModalForm::SetPresenter([](TModalForm& form) {
        auto& dialog = static_cast<TfmCfgPagina&>(form);
        form.Window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.Window()));
        dialog.Topmargin->setText(QStringLiteral("44,00"));
        dialog.Cancel1->setFocus();
        QTest::keyClick(dialog.Cancel1, Qt::Key_Return);
    });
    EXPECT_EQ(TfmCfgPagina::Execute(nullptr, Report, {}), mrCancel);
    TModalForm::SetPresenter(nullptr);
    EXPECT_NEAR(static_cast<double>(Report->Page()->TopMargin()), 10.0, 1e-9);
}

// A message box over the dialog takes the window's activation, not the box's focus: the box is
// not left, so no second message comes of it.
TEST_F(CfgPaginaTest, LosingTheWindowsActivationIsNotLeavingTheBox)
{
    const TFormPtr form = Open();
    form->LeftMargin->setText(QStringLiteral("1.5"));
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(form->LeftMargin, &deactivated);
    EXPECT_TRUE(Boxes.isEmpty());
    EXPECT_EQ(form->LeftMargin->text(), QStringLiteral("1.5"));
}

TEST_F(CfgPaginaTest, LeavingABoxReformatsIt)
{
    struct TCase {
        const char* Edit;
        QString Text;
        QString After;
    };
    const TCase cases[] = {
        {"Topmargin", QStringLiteral("3,5"), QStringLiteral("3,50")},
        {"Topmargin", QString(), QStringLiteral("0,00")},
        {"PageWidth", QStringLiteral("100"), QStringLiteral("100,00")},
        {"Columns", QString(), QStringLiteral("1")},
        {"edNumLinha", QString(), QStringLiteral("1")},
        {"Columns", QStringLiteral("7"), QStringLiteral("7")},
    };
    const TFormPtr form = Open();
    for (const TCase& c : cases) {
        auto* edit = form->Window()->findChild<QLineEdit*>(QLatin1String(c.Edit));
        edit->setText(c.Text);
        Leave(edit);
        EXPECT_EQ(edit->text(), c.After) << c.Edit;
    }
    // Text that is not a number is reported and kept for mending.
    form->LeftMargin->setText(QStringLiteral("1.5"));
    Leave(form->LeftMargin);
    EXPECT_EQ(form->LeftMargin->text(), QStringLiteral("1.5"));
    EXPECT_EQ(Boxes, QStringList{QStringLiteral("'1.5' is not a valid floating point value.")});
}

TEST_F(CfgPaginaTest, TheThermalAndRowsBoxesEnableTheirControls)
{
    const TFormPtr form = Open();
    form->cbTermica->setChecked(false);
    EXPECT_FALSE(form->rbTipoTermica->isEnabled());
    form->cbTermica->setChecked(true);
    EXPECT_TRUE(form->rbTipoTermica->isEnabled());
    form->cbAlturaAutomatica->setChecked(false);
    for (QWidget* w : std::initializer_list<QWidget*>{form->laNumLinha, form->edNumLinha, form->sbUpNumLinha,
                                                      form->sbDownNumLinha})
        EXPECT_FALSE(w->isEnabled());
    form->cbAlturaAutomatica->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{form->laNumLinha, form->edNumLinha, form->sbUpNumLinha,
                                                      form->sbDownNumLinha})
        EXPECT_TRUE(w->isEnabled());
    form->edNumLinha->setText(QStringLiteral("4"));
    form->OK1Click();
    EXPECT_TRUE(Report->Page()->AutomaticLines());
    EXPECT_EQ(Report->Page()->Lines(), 4);
}

TEST_F(CfgPaginaTest, ThePositionIsKeptInThePageSetupSection)
{
    QTemporaryDir dir;
    TIniFile settings(dir.filePath(QStringLiteral("Tessiv.INI")));
    TRect shown;
    TModalForm::SetPresenter([&shown](TModalForm& form) {
        shown = form.BoundsRect();
        // A place the dialog fits at on the test's screen.
        form.SetBounds(40, 30, form.Width(), form.Height());
        static_cast<TfmCfgPagina&>(form).Cancel1->click();
    });
    EXPECT_EQ(TfmCfgPagina::Execute(&settings, Report, {}), mrCancel);
    // No keys yet: the dialog was centred on the screen, its corner on the screen when the fonts
    // make it larger than that.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(shown.Left, std::max(0, (screen.width() - shown.Width()) / 2));
    EXPECT_EQ(shown.Top, std::max(0, (screen.height() - shown.Height()) / 2));
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("PageSetup"), QStringLiteral("Left"), -1), 40);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("PageSetup"), QStringLiteral("Top"), -1), 30);
    EXPECT_EQ(TfmCfgPagina::Execute(&settings, Report, {}), mrCancel);
    EXPECT_EQ(shown.Left, 40);
    EXPECT_EQ(shown.Top, 30);
    TModalForm::SetPresenter(nullptr);
}

TEST_F(CfgPaginaTest, ExecuteDisablesTheHeaderBoxesAndOkClosesWithTheValuesWritten)
{
    bool enabled = true;
    TModalForm::SetPresenter([&enabled](TModalForm& form) {
        auto& dialog = static_cast<TfmCfgPagina&>(form);
        enabled = dialog.FirstPageHeader->isEnabled() || dialog.LastPageFooter->isEnabled();
        dialog.LeftMargin->setText(QStringLiteral("15,00"));
        dialog.OK1->click();
        EXPECT_FALSE(form.Visible());
    });
    int modified = 0;
    EXPECT_EQ(TfmCfgPagina::Execute(nullptr, Report, {nullptr, [&modified] { ++modified; }, nullptr}), mrOk);
    TModalForm::SetPresenter(nullptr);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(modified, 1);
    EXPECT_NEAR(static_cast<double>(Report->Page()->LeftMargin()), 15.0, 1e-9);
}

} // namespace
} // namespace dialogstest
