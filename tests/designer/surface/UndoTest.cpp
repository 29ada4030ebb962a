// The undo history of a document window: the bounded history and the redo branch, undo and redo
// of insertions, changes and deletions (a band with its printables compared by the text form of
// the whole document), and the names new components get.
#include "DesignerFixture.h"
#include "UndoFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/surface/KVDesigner.h"
#include "platform/ui/Application.h"

#include <QAction>

using namespace tessiv;
using namespace designertest;

namespace {

class UndoTest : public UndoFixture {};

// A label put on the band as an insertion does it: made, placed, then recorded.
TKVLabel* InsertLabel(TfmAnexo& form, TKVCustomBand* band, int left = 10, int top = 10)
{
    auto* label = new TKVLabel(form.Document->Root());
    label->SetParent(band);
    label->SetBounds(left, top, 60, 15);
    form.SaveUndoStep(0, label);
    return label;
}

} // namespace

TEST_F(UndoTest, HistoryTable)
{
    struct Case {
        const char* Name;
        int Recorded;
        int Undone;
        bool RecordAfter;
        int Steps;
        int Index;
        QString Oldest; // the name the oldest step covers
        bool Redo;
    } cases[] = {
        {"three steps", 3, 0, false, 3, 2, "KVLabel1", false},
        {"the 21st step frees the first", 21, 0, false, 20, 19, "KVLabel2", false},
        {"two undone steps wait for redo", 5, 2, false, 5, 2, "KVLabel1", true},
        {"recording after two undos drops them", 5, 2, true, 4, 3, "KVLabel1", false},
        {"everything undone", 4, 4, false, 4, -1, "KVLabel1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        OpenDocument();
        TKVCustomBand* band = Detail();
        for (int i = 0; i < c.Recorded; ++i)
            InsertLabel(*Form, band, 4 * i, 4 * i);
        for (int i = 0; i < c.Undone; ++i)
            Form->EditarVoltarExecute();
        if (c.RecordAfter) {
            auto* label = dynamic_cast<TKVLabel*>(Root()->FindComponent(QStringLiteral("KVLabel1")));
            ASSERT_NE(label, nullptr);
            Form->SaveUndoStep(1, label);
        }
        TfmVoltar* undo = Form->CurrentUndoForm();
        ASSERT_NE(undo, nullptr);
        EXPECT_EQ(undo->StepCount(), c.Steps);
        EXPECT_EQ(undo->StepIndex, c.Index);
        EXPECT_EQ(undo->Steps(0)->ObjectNames->Strings(0), c.Oldest);
        EXPECT_EQ(Form->EditarRefazer()->isEnabled(), c.Redo);
        EXPECT_EQ(Form->EditarVoltar()->isEnabled(), c.Index >= 0);
        CloseDocument();
    }
}

TEST_F(UndoTest, EntriesWithoutAStepAndUnknownKindsRecordNothing)
{
    OpenDocument();
    auto* label = new TKVLabel(Root());
    label->SetParent(Detail());
    struct Case {
        int Kind;
        TControl* Obj;
    } cases[] = {{10, label}, {11, label}, {12, label}, {111, Detail()}, {3, label}, {-1, label}, {0, nullptr},
                 {1, nullptr}, {2, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Kind);
        Form->SaveUndoStep(c.Kind, c.Obj);
        EXPECT_EQ(Form->CurrentUndoForm()->StepCount(), 0);
        EXPECT_EQ(Form->CurrentUndoForm()->StepIndex, -1);
    }
    EXPECT_FALSE(Form->EditarVoltar()->isEnabled());
    // An entry joins the step that exists.
    Form->SaveUndoStep(1, label);
    Form->SaveUndoStep(11, Detail());
    ASSERT_EQ(Form->CurrentUndoForm()->StepCount(), 1);
    EXPECT_EQ(Form->CurrentUndoForm()->Steps(0)->EntryCount(), 2);
    EXPECT_EQ(Form->CurrentUndoForm()->Steps(0)->Kinds->Strings(1), QStringLiteral("1"));
}

TEST_F(UndoTest, UndoingABandDeletionRestoresTheWholeDocument)
{
    OpenDocument();
    TKVCustomBand* band = Detail();
    TKVLabel* first = InsertLabel(*Form, band, 8, 4);
    first->SetCaption(QStringLiteral("Nome:"));
    InsertLabel(*Form, band, 80, 4)->SetCaption(QStringLiteral("Cidade:"));
    auto* text = new TKVDBText(Root());
    text->SetParent(band);
    text->SetBounds(8, 20, 120, 14);
    text->SetDataField(QStringLiteral("NOME"));
    Form->SaveUndoStep(0, text);
    // A band after it, so the restored one must come back to its own place.
    auto* summary = new TKVBand(Root());
    summary->SetBandType(rbSummary);
    summary->SetParent(Form->Report);
    Form->SaveUndoStep(0, summary);
    const QByteArray before = DocumentText();
    const QString bandName = band->Name();

    Form->SaveUndoStep(2, band);
    band->Free();
    const QByteArray deleted = DocumentText();
    ASSERT_NE(deleted, before);
    EXPECT_EQ(Root()->FindComponent(QStringLiteral("KVLabel1")), nullptr);
    EXPECT_EQ(Root()->FindComponent(bandName), nullptr);

    Form->EditarVoltarExecute();
    EXPECT_EQ(DocumentText().toStdString(), before.toStdString());
    auto* restored = dynamic_cast<TKVCustomBand*>(Root()->FindComponent(bandName));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(Form->CurrentBand, restored);
    EXPECT_EQ(Root()->FindComponent(QStringLiteral("KVDBText1"))->GetParentComponent(), restored);

    Form->EditarRefazerExecute();
    EXPECT_EQ(DocumentText().toStdString(), deleted.toStdString());
    Form->EditarVoltarExecute();
    EXPECT_EQ(DocumentText().toStdString(), before.toStdString());
}

TEST_F(UndoTest, UndoOfAnInsertRemovesTheControlAndRedoBringsItBackUnderItsName)
{
    OpenDocument();
    TKVCustomBand* band = Detail();
    TKVLabel* label = InsertLabel(*Form, band, 30, 6);
    label->SetCaption(QStringLiteral("Total"));
    EXPECT_EQ(label->Name(), QStringLiteral("KVLabel1"));

    Form->EditarVoltarExecute();
    EXPECT_EQ(Root()->FindComponent(QStringLiteral("KVLabel1")), nullptr);
    EXPECT_EQ(Form->ActiveMDIChild()->SelectedControl, band);
    EXPECT_TRUE(Form->EditarRefazer()->isEnabled());
    EXPECT_FALSE(Form->EditarVoltar()->isEnabled());

    Form->EditarRefazerExecute();
    auto* again = dynamic_cast<TKVLabel*>(Root()->FindComponent(QStringLiteral("KVLabel1")));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Parent(), band);
    EXPECT_EQ(again->Caption(), QStringLiteral("Total"));
    EXPECT_EQ(again->Left(), 30);
    EXPECT_EQ(again->Top(), 6);
    EXPECT_EQ(Form->ActiveMDIChild()->SelectedControl, again);
    EXPECT_TRUE(Form->IsModified());
}

TEST_F(UndoTest, UndoOfAChangeRestoresEveryStoredPropertyAndMovesNothing)
{
    OpenDocument();
    // A zoom where pixels truncated from a copy would move the control.
    Form->Report->SetZoom(133);
    TKVCustomBand* band = Detail();
    TKVLabel* label = InsertLabel(*Form, band, 13, 7);
    label->SetCaption(QStringLiteral("Valor"));
    auto* barcode = new TKVBarcode(Root());
    barcode->SetParent(band);
    barcode->SetBounds(101, 3, 77, 41);
    Form->SaveUndoStep(0, barcode);

    struct Case {
        const char* Name;
        TControl* Control;
        std::function<void()> Change;
        std::function<bool()> Changed;
    } cases[] = {
        {"rotation", label, [&] { label->SetRotacao(rotacao_090); },
         [&] { return label->Rotacao() == rotacao_090; }},
        {"footer fill", label, [&] { label->SetStrPreencheRodape(QStringLiteral("*")); },
         [&] { return label->StrPreencheRodape() == QStringLiteral("*"); }},
        {"barcode type", barcode, [&] { barcode->SetBar_CodeType(EAN_13); },
         [&] { return barcode->Bar_CodeType() == EAN_13; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        // The barcode takes its size from its symbol when it is first drawn.
        Application().ProcessMessages();
        const TRect labelBefore = label->BoundsRect();
        const TRect barcodeBefore = barcode->BoundsRect();
        const long double nativeLeft = label->Size()->NativeValue(TKVPrintableSize::kvLeft);
        Form->SaveUndoStep(1, c.Control);
        c.Change();
        ASSERT_TRUE(c.Changed());
        Application().ProcessMessages();
        const TRect labelChanged = label->BoundsRect();
        const TRect barcodeChanged = barcode->BoundsRect();
        Form->EditarVoltarExecute();
        EXPECT_FALSE(c.Changed());
        EXPECT_EQ(label->BoundsRect(), labelBefore);
        EXPECT_EQ(barcode->BoundsRect(), barcodeBefore);
        EXPECT_EQ(label->Size()->NativeValue(TKVPrintableSize::kvLeft), nativeLeft);
        Form->EditarRefazerExecute();
        EXPECT_TRUE(c.Changed());
        EXPECT_EQ(label->BoundsRect(), labelChanged);
        EXPECT_EQ(barcode->BoundsRect(), barcodeChanged);
    }
}

TEST_F(UndoTest, UndoOfADeletedPrintableBringsItBackInItsPlace)
{
    OpenDocument();
    TKVCustomBand* band = Detail();
    TKVLabel* first = InsertLabel(*Form, band, 4, 4);
    InsertLabel(*Form, band, 50, 4);
    InsertLabel(*Form, band, 90, 4);
    first->SetCaption(QStringLiteral("Primeiro"));
    // Deleted as a user deletes it, selected: the selection sets the report's help context.
    Form->Designer->SetSelected(first);
    const QByteArray before = DocumentText();
    Form->SaveUndoStep(2, first);
    first->Free();
    Form->EditarVoltarExecute();
    auto* back = dynamic_cast<TKVLabel*>(Root()->FindComponent(QStringLiteral("KVLabel1")));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(band->Controls(0), back);
    EXPECT_EQ(back->Caption(), QStringLiteral("Primeiro"));
    EXPECT_EQ(Form->ActiveMDIChild()->SelectedControl, back);
    EXPECT_EQ(DocumentText().toStdString(), before.toStdString());
}

TEST_F(UndoTest, NamesTable)
{
    OpenDocument();
    TKVCustomBand* detail = Detail();

    // The first label shows "(NADA)".
    TKVLabel* first = InsertLabel(*Form, detail);
    EXPECT_EQ(first->Name(), QStringLiteral("KVLabel1"));
    EXPECT_EQ(first->Caption(), QStringLiteral("(NADA)"));

    // KVLabel1 deleted with its deletion in the history: the next one is KVLabel2.
    Form->SaveUndoStep(2, first);
    first->Free();
    EXPECT_EQ(InsertLabel(*Form, detail)->Name(), QStringLiteral("KVLabel2"));

    // A data text keeps its caption.
    auto* text = new TKVDBText(Root());
    text->SetParent(detail);
    text->SetCaption(QStringLiteral("[NOME]"));
    Form->SaveUndoStep(0, text);
    EXPECT_EQ(text->Name(), QStringLiteral("KVDBText1"));
    EXPECT_EQ(text->Caption(), QStringLiteral("[NOME]"));

    struct Case {
        TComponent* Component;
        QString Name;
    };
    // The new document's own detail band takes another name, so the first generated one is free.
    detail->SetName(QStringLiteral("Corpo"));
    auto* detail2 = new TKVBand(Root());
    detail2->SetBandType(rbDetail);
    auto* group = new TKVGroup(Root());
    auto* observation = new TKVObs(Root());
    auto* footer = new TKVBand(Root());
    footer->SetBandType(rbPageFooter);
    const Case cases[] = {
        {detail2, QStringLiteral("Detalhe1")},
        {group, QStringLiteral("Objeto1")},
        {observation, QStringLiteral("Observacao1")},
        {footer, QStringLiteral("RodapePagina1")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        Form->EnsureComponentName(c.Component);
        EXPECT_EQ(c.Component->Name(), c.Name);
    }
    // Every generated name is one the reader takes back.
    EXPECT_EQ(Form->UniqueComponentName(Root(), QStringLiteral(" Observação ")), QStringLiteral("Observacao2"));
    EXPECT_EQ(Form->UniqueComponentName(Root(), QString()), QStringLiteral("Objeto2"));
    EXPECT_EQ(Form->UniqueComponentName(Root(), QStringLiteral("2 Colunas")), QStringLiteral("Colunas1"));
    for (TComponent* c : {static_cast<TComponent*>(detail2), static_cast<TComponent*>(group),
                          static_cast<TComponent*>(observation), static_cast<TComponent*>(footer)})
        c->Free();
}

TEST_F(UndoTest, BandBaseNamesTable)
{
    OpenDocument();
    struct Case {
        TKVBandType Type;
        QString Base;
    } cases[] = {
        {rbTitle, QStringLiteral("Titulo")},          {rbPageHeader, QStringLiteral("CabecalhoPagina")},
        {rbDetail, QStringLiteral("Detalhe")},        {rbPageFooter, QStringLiteral("RodapePagina")},
        {rbSummary, QStringLiteral("Sumario")},       {rbGroupHeader, QStringLiteral("CabecalhoGrupo")},
        {rbGroupFooter, QStringLiteral("RodapeGrupo")}, {rbColumnHeader, QStringLiteral("CabecalhoColuna")},
        {rbChild, QStringLiteral("Banda")},
    };
    for (const Case& c : cases) {
        TKVBand band(nullptr);
        band.SetBandType(c.Type);
        EXPECT_EQ(TfmAnexo::GetBandBaseName(&band), c.Base);
    }
    TKVChildBand child(nullptr);
    EXPECT_EQ(TfmAnexo::GetBandBaseName(&child), QString());
}

TEST_F(UndoTest, TheWindowsHistoryGoesWithItsWindow)
{
    OpenDocument();
    InsertLabel(*Form, Detail());
    TfmAnexo_MDIChild* child = Form->ActiveMDIChild();
    ASSERT_NE(child->UndoForm, nullptr);
    EXPECT_EQ(Form->CurrentUndoForm(), child->UndoForm);
    Form->AskOnClose = false;
    delete child;
    EXPECT_EQ(Form->CurrentUndoForm(), nullptr);
    EXPECT_EQ(Form->UndoForm, nullptr);
}

TEST_F(UndoTest, UndoingABandTypeChangeGivesTheBandItsFormerName)
{
    OpenDocument();
    auto* band = new TKVBand(Root());
    band->SetBandType(rbDetail);
    band->SetParent(Form->Report);
    Form->SaveUndoStep(0, band);
    const QString former = band->Name();
    // The band tool bar: the entry first, then the new type and the name that goes with it.
    Form->SaveUndoStep(1, band);
    band->SetBandType(rbGroupFooter);
    band->SetName(Form->UniqueComponentName(Root(), TfmAnexo::GetBandBaseName(band)));
    Form->SaveUndoStep(111, band);
    const QString newer = band->Name();
    EXPECT_EQ(newer, QStringLiteral("RodapeGrupo1"));
    TPanelControl* step = Form->CurrentUndoForm()->Steps(Form->CurrentUndoForm()->StepIndex);
    EXPECT_EQ(step->ObjectNames->Strings(0), newer);

    Form->EditarVoltarExecute();
    EXPECT_EQ(band->BandType(), rbDetail);
    EXPECT_EQ(band->Name(), former);
    EXPECT_EQ(Form->CurrentBand, band);
    Form->EditarRefazerExecute();
    EXPECT_EQ(band->BandType(), rbGroupFooter);
    EXPECT_EQ(band->Name(), newer);
}

TEST_F(UndoTest, AMultiSelectionStepIsUndoneControlByControlAndSelectedAgain)
{
    OpenDocument();
    TKVCustomBand* band = Detail();
    TKVLabel* a = InsertLabel(*Form, band, 10, 10);
    TKVLabel* b = InsertLabel(*Form, band, 60, 10);
    Form->ReleaseDesigner();
    Form->MultiDesigner->SetSurface(Form->Report);
    Form->MultiDesigner->Toggle(a);
    Form->MultiDesigner->Toggle(b);
    // A move of the whole selection: one step with an entry per control.
    Form->SaveUndoStep(1, nullptr);
    TPanelControl* step = Form->CurrentUndoForm()->Steps(Form->CurrentUndoForm()->StepIndex);
    EXPECT_TRUE(step->MultiStep);
    EXPECT_EQ(step->EntryCount(), 2);
    a->SetLeft(30);
    b->SetLeft(80);
    Form->MultiDesigner->Clear();

    Form->EditarVoltarExecute();
    EXPECT_EQ(a->Left(), 10);
    EXPECT_EQ(b->Left(), 60);
    EXPECT_EQ(Form->MultiDesigner->SelectedControls(), (std::vector<TControl*>{a, b}));
    Form->EditarRefazerExecute();
    EXPECT_EQ(a->Left(), 30);
    EXPECT_EQ(b->Left(), 80);
    EXPECT_EQ(Form->MultiDesigner->SelectedControls(), (std::vector<TControl*>{a, b}));
}

TEST_F(UndoTest, UndoAndRedoFollowTheActiveWindowAndTheStepViewerShowsItsHistory)
{
    TfmAnexo_MDIChild* first = OpenDocument();
    InsertLabel(*Form, Detail());
    EXPECT_TRUE(Form->EditarVoltar()->isEnabled());
    TfmAnexo_MDIChild* second = OpenDocument();
    EXPECT_EQ(Form->CurrentUndoForm(), second->UndoForm);
    EXPECT_FALSE(Form->EditarVoltar()->isEnabled());
    // Undo in the second window leaves the first one's document alone.
    Form->EditarVoltarExecute();
    Form->ActivateChild(first);
    EXPECT_EQ(Form->CurrentUndoForm(), first->UndoForm);
    EXPECT_TRUE(Form->EditarVoltar()->isEnabled());
    EXPECT_NE(Root()->FindComponent(QStringLiteral("KVLabel1")), nullptr);

    Form->ShowUndoSteps();
    TfmVoltar* undo = Form->CurrentUndoForm();
    EXPECT_TRUE(undo->Visible());
    ASSERT_EQ(undo->StepCount(), 1);
    EXPECT_EQ(undo->Steps(0)->Parent(), undo->Client());
    EXPECT_EQ(undo->Steps(0)->Height(), 200);
    undo->Hide();
}

TEST_F(UndoTest, ADeletedItemAreaTakesItsQueryAndDataSourceEntriesAndGetsThemBack)
{
    // The area frees its query and data source with it on a report of its own; either way the
    // undone deletion links the area to them again.
    for (const bool dataGoes : {true, false}) {
        SCOPED_TRACE(dataGoes);
        OpenDocument();
        auto* query = new TQuery(Root());
        query->SetName(QStringLiteral("QueryObs"));
        auto* source = new TDataSource(Root());
        source->SetName(QStringLiteral("DataSourceObs"));
        query->SetDataSource(source);
        auto* area = new TKVItensObs(Root());
        area->SetParent(Detail());
        Form->SaveUndoStep(0, area);
        area->SetObs_DataSet(query);
        area->SetObs_DataSource(source);
        const QString name = area->Name();

        Form->SaveUndoStep(2, area);
        TPanelControl* step = Form->CurrentUndoForm()->Steps(Form->CurrentUndoForm()->StepIndex);
        ASSERT_EQ(step->EntryCount(), 3);
        EXPECT_EQ(step->ParentNames->Strings(1), QStringLiteral("QUERY"));
        EXPECT_EQ(step->ObjectNames->Strings(1), QStringLiteral("QueryObs"));
        EXPECT_EQ(step->Copies->Strings(1), QStringLiteral("DataSourceObs"));
        EXPECT_EQ(step->ParentNames->Strings(2), QStringLiteral("DATASOURCE"));
        EXPECT_EQ(step->ObjectNames->Strings(2), QStringLiteral("DataSourceObs"));
        area->Free();
        if (dataGoes)
            for (const char* gone : {"QueryObs", "DataSourceObs"})
                if (TComponent* c = Root()->FindComponent(QString::fromLatin1(gone)))
                    c->Free();

        Form->EditarVoltarExecute();
        auto* back = dynamic_cast<TKVItensObs*>(Root()->FindComponent(name));
        ASSERT_NE(back, nullptr);
        auto* backQuery = dynamic_cast<TQuery*>(Root()->FindComponent(QStringLiteral("QueryObs")));
        auto* backSource = dynamic_cast<TDataSource*>(Root()->FindComponent(QStringLiteral("DataSourceObs")));
        ASSERT_NE(backQuery, nullptr);
        ASSERT_NE(backSource, nullptr);
        EXPECT_EQ(backQuery->DataSource(), backSource);
        EXPECT_EQ(back->Obs_DataSet(), backQuery);
        EXPECT_EQ(back->Obs_DataSource(), backSource);
        CloseDocument();
    }
}

TEST_F(UndoTest, AnUndoneAndRedoneItemAreaComesBackWithItsOwnParts)
{
    OpenDocument();
    auto* area = new TKVItensObs(Root());
    area->SetParent(Detail());
    Form->SaveUndoStep(0, area);
    const auto parts = [](TWinControl* band) {
        QStringList names;
        for (int i = 0; i < band->ControlCount(); ++i)
            if (auto* nested = dynamic_cast<TKVCustomBand*>(band->Controls(i)))
                names << nested->ClassType().ClassName + QLatin1Char(':') + nested->Name();
        return names;
    };
    const QString name = area->Name();
    const QStringList before = parts(area);
    const QByteArray text = DocumentText();

    Form->EditarVoltarExecute();
    EXPECT_EQ(Root()->FindComponent(name), nullptr);
    Form->EditarRefazerExecute();
    auto* back = dynamic_cast<TKVItensObs*>(Root()->FindComponent(name));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(parts(back), before);
    EXPECT_EQ(DocumentText().toStdString(), text.toStdString());
}

TEST_F(UndoTest, UndoingTheDeletionOfAnItemAreaRestoresItsPartsAndTheirPrintables)
{
    OpenDocument();
    auto* area = new TKVItensObs(Root());
    area->SetParent(Detail());
    Form->SaveUndoStep(0, area);
    // A printable on each part of the area.
    for (int i = 0; i < area->ControlCount(); ++i)
        if (auto* part = dynamic_cast<TKVCustomBand*>(area->Controls(i))) {
            auto* label = new TKVLabel(Root());
            label->SetParent(part);
            label->SetBounds(2, 2, 40, 12);
            Form->SaveUndoStep(0, label);
        }
    const QByteArray before = DocumentText();
    const QString name = area->Name();

    Form->SaveUndoStep(2, area);
    area->Free();
    const QByteArray deleted = DocumentText();
    ASSERT_NE(deleted, before);
    Form->EditarVoltarExecute();
    EXPECT_EQ(DocumentText().toStdString(), before.toStdString());
    Form->EditarRefazerExecute();
    EXPECT_EQ(DocumentText().toStdString(), deleted.toStdString());
    Form->EditarVoltarExecute();
    EXPECT_EQ(DocumentText().toStdString(), before.toStdString());
}

TEST_F(UndoTest, ACopyKeepsItsReferencesIntoTheDocument)
{
    OpenDocument();
    auto* table = new TTable(Root());
    table->SetName(QStringLiteral("Tabela"));
    auto* text = new TKVDBText(Root());
    text->SetParent(Detail());
    text->SetDataSet(table);
    text->SetDataField(QStringLiteral("NOME"));
    Form->SaveUndoStep(0, text);
    const QString name = text->Name();

    // A change undone: the binding stays.
    Form->SaveUndoStep(1, text);
    text->SetDataField(QStringLiteral("CIDADE"));
    Form->EditarVoltarExecute();
    EXPECT_EQ(text->DataField(), QStringLiteral("NOME"));
    EXPECT_EQ(text->DataSet(), table);

    // A deletion undone: the control comes back bound to the same table.
    Form->SaveUndoStep(2, text);
    text->Free();
    Form->EditarVoltarExecute();
    auto* back = dynamic_cast<TKVDBText*>(Root()->FindComponent(name));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->DataSet(), table);
    EXPECT_EQ(back->DataField(), QStringLiteral("NOME"));
}
