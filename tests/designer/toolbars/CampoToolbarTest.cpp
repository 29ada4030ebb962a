// The field tool bar on documents in windows over a real SQLite table: what it shows for each kind
// of data-bound control, the field, mask, quantity and numbering changes with their undo steps,
// the barcode settings, and a barcode set up on the bar printed on the PDF printer and decoded.
#include "UndoFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVSysData.h"
#include "engine/model/VardoRep.h"
#include "platform/data/DBTables.h"
#include "platform/printing/Printer.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"
#include "uisupport/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>

#include <functional>

using namespace tessiv;
using namespace designertest;

namespace {

class CampoToolbarTest : public PropertyBarTest<UndoFixture> {
protected:
    void SetUp() override
    {
        UndoFixture::SetUp();
        // ITENS: a number, a money value, a name, a date and a number that is empty in the record.
        MakeSqlite(QStringLiteral("ETIQ"),
                   {QStringLiteral("CREATE TABLE ITENS (QTD INTEGER, PRECO NUMERIC, NOME VARCHAR(20), DT DATE, "
                                   "VAZIO INTEGER)"),
                    QStringLiteral("INSERT INTO ITENS VALUES (3, 4.5, 'Caneta', '2024-05-01', NULL)")});
        ASSERT_NE(OpenDocument(), nullptr);
        Table = new TTable(Root());
        Table->SetName(QStringLiteral("Itens"));
        Table->SetDatabaseName(QStringLiteral("ETIQ"));
        Table->SetTableName(QStringLiteral("ITENS"));
        Form->Report->SetDataSet(Table);
        Table->Open();
        ASSERT_TRUE(Table->Active());
    }

    TKVDBText* PlaceText(const QString& field, TWinControl* band = nullptr)
    {
        auto* text = new TKVDBText(Root());
        text->SetName(Form->UniqueComponentName(Root(), QStringLiteral("KVDBText")));
        text->SetParent(band ? band : Detail());
        text->SetBounds(10, 10, 80, 16);
        text->SetDataField(field);
        return text;
    }
    TKVBarcode* PlaceBarcode()
    {
        auto* bar = new TKVBarcode(Root());
        bar->SetName(Form->UniqueComponentName(Root(), QStringLiteral("KVBarcode")));
        bar->SetParent(Detail());
        bar->Size()->SetUnits(kvunNative);
        bar->Size()->SetLeft(100);
        bar->Size()->SetTop(50);
        bar->Size()->SetWidth(500);
        bar->Size()->SetHeight(400);
        return bar;
    }
    TKVSysData* PlaceSysData(TKVSysDataType kind)
    {
        auto* sys = new TKVSysData(Root());
        sys->SetName(Form->UniqueComponentName(Root(), QStringLiteral("KVSysData")));
        sys->SetParent(Detail());
        sys->SetData(kind);
        return sys;
    }
    // Selected as a click on the surface selects it, the field bar takes it.
    void Select(TControl* control)
    {
        SelectForBar(control);
        ASSERT_EQ(Form->CampoToolBar->Component(), control);
    }

    TTable* Table = nullptr;
};

TEST_F(CampoToolbarTest, TheSymbologyListIsAlphabeticalAndEachItemSetsItsOwnSymbology)
{
    struct Case {
        const char* Item;
        btCodeTypes Type;
        bool AddOnBox;
    };
    const Case cases[] = {
        {"Codabar", Codabar, false},      {"CODE128_A", CODE128_A, false}, {"CODE128_B", CODE128_B, false},
        {"CODE128_C", CODE128_C, false},  {"CODE25i", CODE25i, false},     {"CODE25iP", CODE25iP, false},
        {"CODE39", CODE39, false},        {"EAN_13", EAN_13, true},        {"EAN_8", EAN_8, false},
        {"MSI_Plessey", MSI_Plessey, false}, {"Postnet", Postnet, false},  {"Postnet_FIM", Postnet_FIM, false},
        {"UPC_A", UPC_A, true},           {"UPC_E", UPC_E, false},
    };
    TKVBarcode* bar = PlaceBarcode();
    Select(bar);
    ASSERT_EQ(Form->TipoBarra->count(), int(std::size(cases)));
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.Item);
        EXPECT_EQ(Form->TipoBarra->itemText(i), QString::fromLatin1(c.Item));
        EXPECT_EQ(TfmAnexo::BarcodeTypeItem(c.Type), i);
        Form->TipoBarra->setCurrentIndex(i);
        Form->TipoBarraExit();
        EXPECT_EQ(bar->Bar_CodeType(), c.Type);
        // The bar reloaded: the add-on box follows the symbology.
        EXPECT_EQ(Shown(Form->Mascara_AddOn58), c.AddOnBox);
        EXPECT_EQ(Form->TipoBarra->currentIndex(), i);
    }
}

TEST_F(CampoToolbarTest, ABarcodeIsShownWithItsSizesAndPickingTheSameValuesRecordsNothing)
{
    TKVBarcode* bar = PlaceBarcode();
    bar->SetBar_CodeType(CODE39);
    bar->SetBar_ModuleWidth(SC6);
    bar->SetBar_HeightPercent(150);
    bar->SetBar_HumanReadable(false);
    Select(bar);
    EXPECT_TRUE(Shown(Form->paBarra));
    EXPECT_FALSE(Shown(Form->paDBPicture));
    EXPECT_FALSE(Shown(Form->paCampoQtd));
    EXPECT_TRUE(Form->cbCampo->isEditable());
    EXPECT_EQ(Form->TipoBarra->currentText(), QStringLiteral("CODE39"));
    EXPECT_EQ(Form->EditTamanho->text(), QStringLiteral("6"));
    EXPECT_EQ(Form->EditAltura->text(), QStringLiteral("150"));
    EXPECT_FALSE(Form->NumerosVisiveis->isChecked());

    // Leaving every box as it shows changes nothing.
    Form->TipoBarraExit();
    Form->EditTamanhoExit();
    Form->EditAlturaExit();
    Form->cbCampoExit();
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());

    // Steps of the up-downs within one edit are one undo step.
    Form->udAltura->Step(TUpDown::btNext);
    Form->udAltura->Step(TUpDown::btNext);
    EXPECT_EQ(bar->Bar_HeightPercent(), 160);
    Form->EditAlturaExit();
    Form->EditTamanho->setText(QStringLiteral("2"));
    Form->EditTamanhoExit();
    EXPECT_EQ(bar->Bar_ModuleWidth(), SC2);
    Form->NumerosVisiveis->click();
    EXPECT_TRUE(bar->Bar_HumanReadable());
    EXPECT_EQ(NewSteps(), 3);
    EXPECT_TRUE(Form->IsModified());
    Form->EditarVoltarExecute();
    Form->EditarVoltarExecute();
    Form->EditarVoltarExecute();
    auto* restored = dynamic_cast<TKVBarcode*>(Root()->FindComponent(bar->Name()));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->Bar_HeightPercent(), 150);
    EXPECT_EQ(restored->Bar_ModuleWidth(), SC6);
    EXPECT_FALSE(restored->Bar_HumanReadable());
}

TEST_F(CampoToolbarTest, TypingAValueForABarcodeSetsItsTextAndClearsItsFieldOnce)
{
    TKVBarcode* bar = PlaceBarcode();
    bar->SetDataSet(Table);
    bar->SetDataField(QStringLiteral("QTD"));
    Select(bar);
    EXPECT_EQ(Form->cbCampo->currentText(), QStringLiteral("QTD"));
    EXPECT_TRUE(Form->paIncremento->isEnabled());

    Form->cbCampo->setEditText(QStringLiteral("123"));
    Form->cbCampoExit();
    EXPECT_EQ(bar->Bar_Text(), QStringLiteral("123"));
    EXPECT_TRUE(bar->DataField().isEmpty());
    EXPECT_EQ(bar->DataSet(), nullptr);
    EXPECT_EQ(NewSteps(), 1);
    EXPECT_TRUE(Form->IsModified());
    // A fixed value has no running number.
    EXPECT_FALSE(Form->paIncremento->isEnabled());
    EXPECT_EQ(Form->cbCampo->currentText(), QStringLiteral("123"));

    // Leaving the box again with the same text records nothing more.
    Form->cbCampoExit();
    EXPECT_EQ(NewSteps(), 1);

    // Picking a field again binds the barcode to the table and drops its own text.
    Form->cbCampo->setEditText(QStringLiteral("qtd"));
    Form->cbCampoExit();
    EXPECT_EQ(bar->DataField(), QStringLiteral("QTD"));
    EXPECT_EQ(bar->DataSet(), Table);
    EXPECT_TRUE(bar->Bar_Text().isEmpty());
    EXPECT_EQ(NewSteps(), 2);

    Form->EditarVoltarExecute();
    auto* restored = dynamic_cast<TKVBarcode*>(Root()->FindComponent(bar->Name()));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->Bar_Text(), QStringLiteral("123"));
    EXPECT_TRUE(restored->DataField().isEmpty());
}

TEST_F(CampoToolbarTest, TheAddOnBoxKeepsWhatTheBarcodeKeeps)
{
    TKVBarcode* bar = PlaceBarcode();
    bar->SetBar_CodeType(EAN_13);
    Select(bar);
    ASSERT_TRUE(Shown(Form->Mascara_AddOn58));
    Form->Mascara_AddOn58->setText(QStringLiteral("1234567"));
    Form->Mascara_AddOn58Exit();
    EXPECT_EQ(bar->Bar_CodeAddon(), QStringLiteral("12345"));
    EXPECT_EQ(Form->Mascara_AddOn58->text(), QStringLiteral("12345"));
    Form->Mascara_AddOn58Exit();
    EXPECT_EQ(NewSteps(), 1);
}

TEST_F(CampoToolbarTest, QuantidadeMakesANumericDetailTextTheQuantityFieldAndUncheckingRestoresIt)
{
    TKVDBText* text = PlaceText(QStringLiteral("QTD"));
    text->SetMask(QStringLiteral("000"));
    text->SetIncrementoType(kvIncre);
    text->SetIncrementoValue(2);
    text->SetTransparent(false);
    Select(text);
    ASSERT_TRUE(Shown(Form->paCampoQtd));
    ASSERT_TRUE(Form->paCampoQtd->isEnabled());
    ASSERT_TRUE(Form->cbCampoQtd->isEnabled());
    EXPECT_FALSE(Form->cbCampoQtd->isChecked());
    EXPECT_TRUE(Form->rbIncremento->isChecked());
    EXPECT_EQ(Form->edIncremento->text(), QStringLiteral("2"));

    Form->cbCampoQtd->click();
    EXPECT_EQ(Form->Report->CampoQuantidadeObjeto(), text);
    EXPECT_TRUE(text->CampoQuantidade());
    EXPECT_TRUE(text->Transparent());
    EXPECT_EQ(text->Mask(), QStringLiteral(" "));
    EXPECT_EQ(text->IncrementoType(), kvNenhum);
    EXPECT_EQ(text->IncrementoValue(), 0);
    EXPECT_TRUE(Form->IsModified());
    // The bar shows the role: checked, the mask and the numbering closed.
    EXPECT_TRUE(Form->cbCampoQtd->isChecked());
    EXPECT_FALSE(Form->Mascara_AddOn58->isEnabled());
    EXPECT_FALSE(Form->edIncremento->isEnabled());
    EXPECT_FALSE(Form->rbIncremento->isChecked());
    EXPECT_FALSE(Form->rbDeslocamento->isChecked());

    Form->cbCampoQtd->click();
    EXPECT_EQ(Form->Report->CampoQuantidadeObjeto(), nullptr);
    EXPECT_FALSE(text->CampoQuantidade());
    EXPECT_FALSE(text->Transparent());
    EXPECT_TRUE(text->Mask().isEmpty());
    EXPECT_FALSE(Form->cbCampoQtd->isChecked());
    EXPECT_TRUE(Form->Mascara_AddOn58->isEnabled());
    EXPECT_TRUE(Form->edIncremento->isEnabled());
}

TEST_F(CampoToolbarTest, TheQuantityBoxIsClosedWhereTheRoleCannotApply)
{
    struct Case {
        const char* Name;
        const char* Field;
        TKVBandType Band;
        bool OtherIsQuantity;
        bool Enabled;
    };
    const Case cases[] = {
        {"a number on the detail band", "QTD", rbDetail, false, true},
        {"a money value on the detail band", "PRECO", rbDetail, false, true},
        {"a date", "DT", rbDetail, false, false},
        {"a name", "NOME", rbDetail, false, false},
        {"a number on the page header", "QTD", rbPageHeader, false, false},
        {"a number while another text is the quantity field", "QTD", rbDetail, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TWinControl* band = c.Band == rbDetail ? static_cast<TWinControl*>(Detail()) : AddBand(c.Band);
        TKVDBText* other = nullptr;
        if (c.OtherIsQuantity) {
            other = PlaceText(QStringLiteral("QTD"));
            Form->Report->SetCampoQuantidadeObjeto(other);
            ASSERT_EQ(Form->Report->CampoQuantidadeObjeto(), other);
        }
        TKVDBText* text = PlaceText(QString::fromLatin1(c.Field), band);
        Select(text);
        EXPECT_EQ(Form->cbCampoQtd->isEnabled(), c.Enabled);
        EXPECT_FALSE(Form->cbCampoQtd->isChecked());
        // A click on a closed box does nothing.
        Form->cbCampoQtd->click();
        EXPECT_EQ(Form->Report->CampoQuantidadeObjeto() == text, c.Enabled);
        if (c.Enabled)
            Form->cbCampoQtd->click();
        if (other) {
            // The quantity field itself keeps its box open and checked.
            Select(other);
            EXPECT_TRUE(Form->cbCampoQtd->isEnabled());
            EXPECT_TRUE(Form->cbCampoQtd->isChecked());
            Form->Report->SetCampoQuantidadeObjeto(nullptr);
        }
    }
}

TEST_F(CampoToolbarTest, AnotherFieldForTheQuantityTextDropsTheRoleAndShowsTheTextAgain)
{
    TKVDBText* text = PlaceText(QStringLiteral("QTD"));
    Select(text);
    Form->cbCampoQtd->click();
    ASSERT_EQ(Form->Report->CampoQuantidadeObjeto(), text);
    const int before = Steps();
    Form->cbCampo->setCurrentIndex(Form->cbCampo->findText(QStringLiteral("NOME")));
    Form->cbCampoExit();
    EXPECT_EQ(text->DataField(), QStringLiteral("NOME"));
    EXPECT_EQ(Form->Report->CampoQuantidadeObjeto(), nullptr);
    EXPECT_TRUE(text->Mask().isEmpty());
    EXPECT_FALSE(text->Transparent());
    EXPECT_EQ(Steps() - before, 1);
    // One undo brings the field and the role back together.
    Form->EditarVoltarExecute();
    auto* restored = dynamic_cast<TKVDBText*>(Root()->FindComponent(text->Name()));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->DataField(), QStringLiteral("QTD"));
    EXPECT_EQ(Form->Report->CampoQuantidadeObjeto(), restored);
    EXPECT_EQ(restored->Mask(), QStringLiteral(" "));
}

TEST_F(CampoToolbarTest, StepZeroSwitchesNumberingOffAndAStepHooksTheRunningNumber)
{
    TKVDBText* text = PlaceText(QStringLiteral("QTD"));
    Select(text);
    ASSERT_TRUE(Form->paIncremento->isEnabled());
    Form->rbDeslocamento->click();
    EXPECT_EQ(text->IncrementoType(), kvDesloca);
    EXPECT_EQ(text->IncrementoValue(), 1);
    EXPECT_EQ(Form->edIncremento->text(), QStringLiteral("1"));
    Form->rbDeslocamento->click(); // already so: nothing
    EXPECT_EQ(NewSteps(), 1);

    Form->edIncremento->setText(QStringLiteral("5"));
    Form->edIncrementoExit();
    EXPECT_EQ(text->IncrementoValue(), 5);
    ASSERT_TRUE(static_cast<bool>(text->OnPrint));
    Table->First();
    QString value = QStringLiteral("3");
    text->OnPrint(text, value);
    EXPECT_EQ(value, QStringLiteral("8")); // shifted: the field's 3 plus 5

    Form->edIncremento->setText(QStringLiteral("0"));
    Form->edIncrementoExit();
    EXPECT_EQ(text->IncrementoType(), kvNenhum);
    EXPECT_EQ(text->IncrementoValue(), 0);
    EXPECT_FALSE(static_cast<bool>(text->OnPrint));
    EXPECT_FALSE(Form->rbIncremento->isChecked());
    EXPECT_FALSE(Form->rbDeslocamento->isChecked());
    EXPECT_EQ(NewSteps(), 3);
}

TEST_F(CampoToolbarTest, SelectingAControlNeverChangesIt)
{
    struct Case {
        const char* Name;
        const char* Field;
        bool CloseTable;
        bool Numbering;
    };
    // A numbered text whose numbering cannot apply keeps it; numeric goes by the field's type.
    const Case cases[] = {
        {"a name field", "NOME", false, false},
        {"a number empty in this record", "VAZIO", false, true},
        {"a number of a closed table", "QTD", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.CloseTable)
            Table->Close();
        else
            Table->Open();
        TKVDBText* text = PlaceText(QString::fromLatin1(c.Field));
        text->SetIncrementoType(kvIncre);
        text->SetIncrementoValue(4);
        Select(text);
        EXPECT_EQ(text->IncrementoType(), kvIncre);
        EXPECT_EQ(text->IncrementoValue(), 4);
        EXPECT_EQ(NewSteps(), 0);
        EXPECT_FALSE(Form->IsModified());
        EXPECT_EQ(Form->paIncremento->isEnabled(), c.Numbering);
        EXPECT_EQ(Form->edIncremento->text(), QStringLiteral("4"));
        EXPECT_TRUE(Form->rbIncremento->isChecked());
        // Leaving the boxes as they show changes nothing either; a field missing from the list
        // (a closed table lists none) stays.
        Form->edIncrementoExit();
        Form->cbCampoExit();
        EXPECT_EQ(text->IncrementoValue(), 4);
        EXPECT_EQ(text->DataField(), QString::fromLatin1(c.Field));
        EXPECT_EQ(NewSteps(), 0);
    }
}

TEST_F(CampoToolbarTest, ASystemDataTextShowsItsOwnKindAndKeepsIt)
{
    struct Case {
        TKVSysDataType Kind;
        const char* Caption;
    };
    const Case cases[] = {
        {kvsPageNumber, "Número da página"}, {kvsDetailCount, "Total de detalhes"},
        {kvsDetailNo, "Número do detalhe"},  {kvsGroupItensNo, "Número do Grupo de Itens"},
        {kvsTime, "Hora"},                   {kvsDate, "Data"},
        {kvsDateTime, "Data e Hora"},        {kvsReportTitle, "Título relatório"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Caption);
        TKVSysData* sys = PlaceSysData(c.Kind);
        sys->SetSysText(QStringLiteral("Pág. "));
        Select(sys);
        EXPECT_EQ(Form->cbCampo->count(), int(std::size(cases)));
        EXPECT_FALSE(Form->cbCampo->isEditable());
        EXPECT_EQ(Form->cbCampo->currentText(), QString::fromUtf8(c.Caption));
        EXPECT_EQ(sys->Data(), c.Kind);
        EXPECT_EQ(Form->Mascara_AddOn58->text(), QStringLiteral("Pág. "));
        EXPECT_EQ(Form->Mascara_AddOn58->toolTip(), QStringLiteral("Legenda"));
        for (QWidget* panel : {Form->paBarra, Form->paDBPicture, Form->paIncremento, Form->paCampoQtd})
            EXPECT_FALSE(Shown(panel));
        // Leaving the boxes as they show changes nothing.
        Form->cbCampoExit();
        Form->Mascara_AddOn58Exit();
        EXPECT_EQ(sys->Data(), c.Kind);
        EXPECT_EQ(NewSteps(), 0);
        EXPECT_FALSE(Form->IsModified());
    }
    // Choosing a kind is one undo step.
    TKVSysData* sys = PlaceSysData(kvsTime);
    Select(sys);
    Form->cbCampo->setCurrentIndex(Form->cbCampo->findText(QStringLiteral("Total de detalhes")));
    Form->cbCampoExit();
    EXPECT_EQ(sys->Data(), kvsDetailCount);
    Form->Mascara_AddOn58->setText(QStringLiteral("Total: "));
    Form->Mascara_AddOn58Exit();
    EXPECT_EQ(sys->GetText(), QStringLiteral("Total: "));
    EXPECT_EQ(NewSteps(), 2);
    EXPECT_TRUE(Form->IsModified());
}

TEST_F(CampoToolbarTest, ADataTextTakesItsFieldAndMaskAndAChoiceOfTheSameFieldRecordsNothing)
{
    TKVDBText* text = PlaceText(QStringLiteral("PRECO"));
    Select(text);
    EXPECT_FALSE(Shown(Form->paBarra));
    EXPECT_FALSE(Form->cbCampo->isEditable());
    EXPECT_EQ(Form->cbCampo->currentText(), QStringLiteral("PRECO"));
    QStringList items;
    for (int i = 0; i < Form->cbCampo->count(); ++i)
        items << Form->cbCampo->itemText(i);
    EXPECT_EQ(items, (QStringList{"QTD", "PRECO", "NOME", "DT", "VAZIO"}));
    EXPECT_EQ(Form->Mascara_AddOn58->toolTip(), QString::fromUtf8("Máscara de formatação do campo"));

    Form->cbCampoClick();
    Form->cbCampoExit();
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());

    // Picking two fields in one edit is one step.
    Form->cbCampo->setCurrentIndex(Form->cbCampo->findText(QStringLiteral("QTD")));
    Form->cbCampoClick();
    Form->cbCampo->setCurrentIndex(Form->cbCampo->findText(QStringLiteral("NOME")));
    Form->cbCampoClick();
    Form->cbCampoExit();
    EXPECT_EQ(text->DataField(), QStringLiteral("NOME"));
    EXPECT_EQ(NewSteps(), 1);
    // A name has no running number.
    EXPECT_FALSE(Form->paIncremento->isEnabled());

    Form->Mascara_AddOn58->setText(QStringLiteral("#,##0.00"));
    Form->Mascara_AddOn58Exit();
    Form->Mascara_AddOn58Exit();
    EXPECT_EQ(text->Mask(), QStringLiteral("#,##0.00"));
    EXPECT_EQ(NewSteps(), 2);
}

TEST_F(CampoToolbarTest, ADataPictureShowsItsFitButtons)
{
    auto* picture = new TKVDBImage(Root());
    picture->SetName(QStringLiteral("Foto"));
    picture->SetParent(Detail());
    picture->SetDataSet(Table);
    picture->SetDataField(QStringLiteral("NOME"));
    picture->SetStretch(true);
    Select(picture);
    EXPECT_TRUE(Shown(Form->paDBPicture));
    EXPECT_FALSE(Shown(Form->paBarra));
    EXPECT_FALSE(Shown(Form->paIncremento));
    EXPECT_FALSE(Shown(Form->Mascara_AddOn58));
    EXPECT_EQ(Form->cbCampo->currentText(), QStringLiteral("NOME"));
    EXPECT_TRUE(Form->sbStretchDBPicture->Down());
    EXPECT_FALSE(Form->sbProporcionalDBPicture->Down());
    EXPECT_FALSE(Form->sbCenterDBPicture->Down());

    Form->cbCampo->setCurrentIndex(Form->cbCampo->findText(QStringLiteral("QTD")));
    Form->cbCampoExit();
    EXPECT_EQ(picture->DataField(), QStringLiteral("QTD"));
    EXPECT_EQ(NewSteps(), 1);
}

TEST_F(CampoToolbarTest, TheFitButtonsSetTheDataPicturesModeWhateverTheImageBarShowedLast)
{
    // A picture with the other modes, shown on the image bar first.
    auto* image = new TKVImage(Root());
    image->SetName(QStringLiteral("Logo"));
    image->SetParent(Detail());
    image->SetStretch(true);
    Form->Designer->Attach(Form->Report);
    Form->Designer->SetSelected(image);

    auto* picture = new TKVDBImage(Root());
    picture->SetName(QStringLiteral("Foto"));
    picture->SetParent(Detail());
    picture->SetCenter(true);
    Select(picture);
    ASSERT_TRUE(Form->sbCenterDBPicture->Down());

    struct Step {
        TSpeedButton* Button;
        bool Proporcional, Stretch, Center;
    };
    // Each press is one undo step; pressing the mode that is down raises it and leaves none.
    const Step steps[] = {
        {Form->sbProporcionalDBPicture, true, false, false},
        {Form->sbStretchDBPicture, false, true, false},
        {Form->sbCenterDBPicture, false, false, true},
        {Form->sbCenterDBPicture, false, false, false},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Button->objectName().toStdString());
        s.Button->Click();
        ++n;
        EXPECT_EQ(picture->Proporcional(), s.Proporcional);
        EXPECT_EQ(picture->Stretch(), s.Stretch);
        EXPECT_EQ(picture->Center(), s.Center);
        EXPECT_EQ(Form->sbProporcionalDBPicture->Down(), s.Proporcional);
        EXPECT_EQ(Form->sbStretchDBPicture->Down(), s.Stretch);
        EXPECT_EQ(Form->sbCenterDBPicture->Down(), s.Center);
        EXPECT_EQ(NewSteps(), n);
        EXPECT_TRUE(Form->IsModified());
    }
    // The picture on the image bar kept its own mode.
    EXPECT_TRUE(image->Stretch());

    // Undone one by one, back to the centred picture.
    for (int i = 0; i < n; ++i)
        Form->EditarVoltarExecute();
    auto* restored = dynamic_cast<TKVDBImage*>(Root()->FindComponent(QStringLiteral("Foto")));
    ASSERT_NE(restored, nullptr);
    EXPECT_TRUE(restored->Center());
    EXPECT_FALSE(restored->Stretch());
    EXPECT_FALSE(restored->Proporcional());
}

TEST_F(CampoToolbarTest, AColumnGridsQueryServesTheTextsInItsCell)
{
    auto* query = new TQuery(Root());
    query->SetName(QStringLiteral("Colunas"));
    query->SetDatabaseName(QStringLiteral("ETIQ"));
    query->SQL()->Add(QStringLiteral("SELECT NOME, DT FROM ITENS"));
    auto* grid = new TKVColunaSql(Root());
    grid->SetName(QStringLiteral("Grade"));
    grid->SetParent(Form->Report);
    grid->SetCol_DataSet(query);
    ASSERT_NE(grid->KVColuna(), nullptr);
    TKVDBText* text = PlaceText(QString(), grid->KVColuna());
    Select(text);
    EXPECT_EQ(Form->ServingDataSet(text), query);
    QStringList items;
    for (int i = 0; i < Form->cbCampo->count(); ++i)
        items << Form->cbCampo->itemText(i);
    EXPECT_EQ(items, (QStringList{"NOME", "DT"}));
    EXPECT_EQ(text->DataSet(), query);
    EXPECT_EQ(text->DataField(), QStringLiteral("NOME"));
    // A date is numeric to the numbering; the quantity role stays on the detail band.
    Form->cbCampo->setCurrentIndex(1);
    Form->cbCampoExit();
    EXPECT_EQ(text->DataField(), QStringLiteral("DT"));
    EXPECT_TRUE(Form->IsDateField(text));
    EXPECT_TRUE(Form->paIncremento->isEnabled());
    EXPECT_FALSE(Form->cbCampoQtd->isEnabled());

    // A barcode of a fixed value in the cell keeps its value.
    auto* bar = new TKVBarcode(Root());
    bar->SetName(QStringLiteral("CodigoFixo"));
    bar->SetParent(grid->KVColuna());
    bar->SetDataField(QString());
    bar->SetBar_Text(QStringLiteral("42"));
    Select(bar);
    EXPECT_TRUE(bar->DataField().isEmpty());
    EXPECT_EQ(bar->Bar_Text(), QStringLiteral("42"));
    EXPECT_EQ(Form->cbCampo->currentText(), QStringLiteral("42"));
}

// A key pressed in a box; true when the bar took it.
bool Press(QWidget* box, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    return QCoreApplication::sendEvent(box, &press);
}

TEST_F(CampoToolbarTest, EnterInABoxAppliesItAsLeavingItDoesAndOtherKeysAreTheBoxsOwn)
{
    TKVBarcode* bar = PlaceBarcode();
    bar->SetBar_CodeType(EAN_13);
    Select(bar);
    struct Case {
        const char* Name;
        QWidget* Box;
        std::function<void()> Type;
        std::function<bool()> Applied;
    };
    const Case cases[] = {
        {"module width", Form->EditTamanho, [this] { Form->EditTamanho->setText(QStringLiteral("7")); },
         [bar] { return bar->Bar_ModuleWidth() == SC7; }},
        {"height", Form->EditAltura, [this] { Form->EditAltura->setText(QStringLiteral("120")); },
         [bar] { return bar->Bar_HeightPercent() == 120; }},
        {"add-on", Form->Mascara_AddOn58, [this] { Form->Mascara_AddOn58->setText(QStringLiteral("12")); },
         [bar] { return bar->Bar_CodeAddon() == QStringLiteral("12"); }},
        {"fixed value", Form->cbCampo, [this] { Form->cbCampo->setEditText(QStringLiteral("555")); },
         [bar] { return bar->Bar_Text() == QStringLiteral("555"); }},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        // A letter is the box's own: it is typed, nothing is applied.
        Press(c.Box, Qt::Key_X, QStringLiteral("x"));
        EXPECT_EQ(NewSteps(), n);
        c.Type();
        EXPECT_FALSE(c.Applied());
        EXPECT_TRUE(Press(c.Box, Qt::Key_Return, QStringLiteral("\r")));
        EXPECT_TRUE(c.Applied());
        EXPECT_EQ(NewSteps(), ++n);
    }

    TKVDBText* text = PlaceText(QStringLiteral("QTD"));
    Select(text);
    Form->edIncremento->setText(QStringLiteral("3"));
    EXPECT_TRUE(Press(Form->edIncremento, Qt::Key_Enter, QStringLiteral("\r")));
    EXPECT_EQ(text->IncrementoValue(), 3);
    Form->Mascara_AddOn58->setText(QStringLiteral("000"));
    EXPECT_TRUE(Press(Form->Mascara_AddOn58, Qt::Key_Return, QStringLiteral("\r")));
    EXPECT_EQ(text->Mask(), QStringLiteral("000"));
    EXPECT_EQ(NewSteps(), 2);
}

TEST_F(CampoToolbarTest, TheFieldListComesFromTheDataSetServingTheTextsBand)
{
    auto* gridQuery = new TQuery(Root());
    gridQuery->SetName(QStringLiteral("Colunas"));
    gridQuery->SetDatabaseName(QStringLiteral("ETIQ"));
    gridQuery->SQL()->Add(QStringLiteral("SELECT NOME, DT FROM ITENS"));
    auto* grid = new TKVColunaSql(Root());
    grid->SetName(QStringLiteral("Grade"));
    grid->SetParent(Form->Report);
    grid->SetCol_DataSet(gridQuery);
    auto* obsQuery = new TQuery(Root());
    obsQuery->SetName(QStringLiteral("Observacoes"));
    obsQuery->SetDatabaseName(QStringLiteral("ETIQ"));
    obsQuery->SQL()->Add(QStringLiteral("SELECT PRECO, VAZIO FROM ITENS"));
    auto* area = new TKVItensObs(Root());
    area->SetName(QStringLiteral("Area"));
    area->SetParent(Form->Report);
    area->SetObs_DataSet(obsQuery);
    ASSERT_NE(area->Obs_TKVObs(), nullptr);

    struct Case {
        const char* Name;
        TWinControl* Band;
        TDataSet* Serving;
        QStringList Fields;
    };
    const Case cases[] = {
        {"the detail band", Detail(), Table, {"QTD", "PRECO", "NOME", "DT", "VAZIO"}},
        {"a column grid's cell", grid->KVColuna(), gridQuery, {"NOME", "DT"}},
        {"the observation band", area->Obs_TKVObs(), obsQuery, {"PRECO", "VAZIO"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TKVDBText* text = PlaceText(c.Fields.last(), c.Band);
        Select(text);
        EXPECT_EQ(Form->ServingDataSet(text), c.Serving);
        QStringList items;
        for (int i = 0; i < Form->cbCampo->count(); ++i)
            items << Form->cbCampo->itemText(i);
        EXPECT_EQ(items, c.Fields);
        EXPECT_EQ(Form->cbCampo->currentText(), c.Fields.last());
        // Its field's type is read in that data set.
        EXPECT_EQ(Form->IsDateField(text), c.Fields.last() == QStringLiteral("DT"));
        EXPECT_TRUE(Form->IsNumericField(text));
    }
}

TEST_F(CampoToolbarTest, OnceItsControlIsGoneNoHandlerChangesAnything)
{
    TKVBarcode* bar = PlaceBarcode();
    TKVDBText* text = PlaceText(QStringLiteral("QTD"));
    Select(bar);
    // The barcode goes (as a deletion takes it): the bar forgets it.
    bar->Free();
    EXPECT_EQ(Form->CampoToolBar->Component(), nullptr);
    Form->SetModified(false);
    StepsBefore = Steps();

    // Every box holds something else, and every handler runs.
    Form->cbCampo->setEditable(true);
    Form->cbCampo->setEditText(QStringLiteral("999"));
    Form->Mascara_AddOn58->setText(QStringLiteral("12"));
    Form->TipoBarra->setCurrentIndex(0);
    Form->EditTamanho->setText(QStringLiteral("9"));
    Form->EditAltura->setText(QStringLiteral("200"));
    Form->edIncremento->setText(QStringLiteral("7"));
    Form->cbCampoQtd->setChecked(true);
    Form->NumerosVisiveis->setChecked(!Form->NumerosVisiveis->isChecked());
    Form->cbCampoClick();
    Form->cbCampoExit();
    Form->Mascara_AddOn58Exit();
    Form->cbCampoQtdClick();
    Form->rbIncrementoClick();
    Form->rbDeslocamentoClick();
    Form->udIncrementoClick();
    Form->edIncrementoExit();
    Form->TipoBarraClick();
    Form->TipoBarraExit();
    Form->TamanhoClick();
    Form->EditTamanhoExit();
    Form->udAlturaClick();
    Form->EditAlturaExit();
    Form->NumerosVisiveisClick();
    EXPECT_EQ(NewSteps(), 0);
    EXPECT_FALSE(Form->IsModified());
    EXPECT_EQ(Form->Report->CampoQuantidadeObjeto(), nullptr);
    EXPECT_EQ(text->IncrementoValue(), 0);
    EXPECT_EQ(text->Mask(), QString());
}

// The symbols zbarimg reads on the first page of a PDF.
QStringList DecodePdf(const QString& pdf, const QString& prefix)
{
    if (QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                                       QStringLiteral("-singlefile"), pdf, prefix})
        != 0)
        return {QStringLiteral("pdftoppm failed")};
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), prefix + QStringLiteral(".png")});
    zbar.waitForFinished(60000);
    return QString::fromUtf8(zbar.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

TEST_F(CampoToolbarTest, AnEAN13SetUpOnTheBarPrintsAndDecodesWithItsCheckDigit)
{
    for (const char* tool : {"pdftoppm", "zbarimg"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    // A label without data: one label of the barcode's own value.
    Form->Report->SetDataSet(nullptr);
    TKVBarcode* bar = PlaceBarcode();
    Select(bar);
    Form->TipoBarra->setCurrentIndex(Form->TipoBarra->findText(QStringLiteral("EAN_13")));
    Form->TipoBarraExit();
    Form->cbCampo->setEditText(QStringLiteral("590123412345"));
    Form->cbCampoExit();
    ASSERT_EQ(bar->Bar_CodeType(), EAN_13);
    ASSERT_EQ(bar->Bar_Text(), QStringLiteral("590123412345"));

    TPrinter* printer = Form->Report->PrivatePrinter();
    Form->Report->PrinterSettings()->SetPrinterIndex(printer->Printers()->IndexOf(TPrinter::PdfPrinterName));
    const QString pdf = Path(QStringLiteral("barras.pdf"));
    printer->SetPdfFileName(pdf);
    Form->Document->Print();
    EXPECT_EQ(DecodePdf(pdf, Path(QStringLiteral("barras"))), QStringList{QStringLiteral("EAN-13:5901234123457")});
}

} // namespace
