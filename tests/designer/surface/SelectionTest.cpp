// The main form's selection core, driven through a real document window's surface headless: the
// insert commands with and without the sticky Shift mode, the cursor command, the marked insert
// button, single selection against the multi-selection, the multi-selection's events, and the
// selection marks following a zoom.
#include "DocumentSurfaceFixture.h"

#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/document/DesignerClasses.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/surface/Voltar.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/printables/KVSysData.h"
#include "engine/model/VardoRep.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/ControlHost.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

#include <functional>
#include <initializer_list>
#include <memory>

using namespace tessiv;
using namespace designertest;

namespace {

class SelectionTest : public DocumentSurfaceTest {
protected:
    void SetUp() override
    {
        DocumentSurfaceTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(OpenNewDocument(200));
        Form->SetModified(false);
    }
    // The designer let go and the controls toggled into the multi-selection, one after another.
    void MultiSelect(std::initializer_list<TControl*> controls)
    {
        Form->ReleaseDesigner();
        Form->MultiDesigner->SetSurface(Report);
        for (TControl* c : controls)
            Form->MultiDesigner->Toggle(c);
    }

    template <class T> std::vector<T*> OnBand() const
    {
        std::vector<T*> out;
        for (int i = 0; i < Band->ControlCount(); ++i)
            if (auto* c = dynamic_cast<T*>(Band->Controls(i)))
                out.push_back(c);
        return out;
    }
    int UndoSteps() const { return Form->CurrentUndoForm() ? Form->CurrentUndoForm()->StepCount() : -1; }
    QAction* Marked() const
    {
        QAction* found = nullptr;
        for (QAction* a : InsertActions())
            if (a->property("Marked").toBool()) {
                EXPECT_EQ(found, nullptr) << "two insert buttons marked";
                found = a;
            }
        return found;
    }
    std::vector<QAction*> InsertActions() const
    {
        return {Form->InserirCampoTabela,    Form->InserirFiguraTabela,   Form->InserirCodigoBarras,
                Form->InserirLegenda,        Form->InserirCampoExpressao, Form->InserirTextoExpressao,
                Form->InserirFigura,         Form->InserirFormaGeometrica, Form->InserirDadosSistema};
    }
    template <class T> T* Place(int left, int top, const QString& name)
    {
        auto* c = new T(Report->Owner());
        c->SetName(name);
        c->SetParent(Band);
        c->SetBounds(left, top, 40, 16);
        return c;
    }
};

} // namespace

TEST_F(SelectionTest, StickyInsertGivesThreeBarcodesWithThreeUndoStepsUntilTheCursorCommand)
{
    Form->SpeedButtonMouseDown(TShiftState{ssShift});
    Form->InserirCodigoBarras->trigger();
    EXPECT_EQ(Form->BotaoCursorTag, 1);
    EXPECT_TRUE(Form->Designer->InsertPending());
    EXPECT_TRUE(Form->InserirCodigoBarras->isChecked());
    EXPECT_FALSE(Form->BotaoCursor->isChecked());

    for (int x : {10, 150, 290})
        Driver->Click(Driver->At(Band, x, 20));
    const std::vector<TKVBarcode*> bars = OnBand<TKVBarcode>();
    ASSERT_EQ(bars.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bars[static_cast<size_t>(i)]->Name(), QStringLiteral("KVBarcode%1").arg(i + 1));
    EXPECT_EQ(UndoSteps(), 3);
    EXPECT_TRUE(Form->IsModified());
    // Still in insert mode, the barcode button down and marked.
    EXPECT_TRUE(Form->Designer->InsertPending());
    EXPECT_EQ(Form->Designer->PendingClass(), &TKVBarcode::StaticClass());
    EXPECT_TRUE(Form->InserirCodigoBarras->isChecked());
    EXPECT_EQ(Marked(), Form->InserirCodigoBarras);
    EXPECT_EQ(Child->SelectedControl, bars.back());

    Form->BotaoCursor->trigger();
    EXPECT_TRUE(Form->BotaoCursor->isChecked());
    EXPECT_EQ(Form->BotaoCursorTag, 0);
    EXPECT_FALSE(Form->Designer->InsertPending());
    EXPECT_TRUE(Form->Designer->Attached());
    Driver->Click(Driver->At(Band, 200, 100));
    EXPECT_EQ(OnBand<TKVBarcode>().size(), 3u);
    EXPECT_EQ(UndoSteps(), 3);
}

TEST_F(SelectionTest, WithoutShiftOneInsertionEndsTheMode)
{
    Form->SpeedButtonMouseDown({});
    Form->InserirLegenda->trigger();
    Driver->Click(Driver->At(Band, 30, 40));
    const std::vector<TKVLabel*> labels = OnBand<TKVLabel>();
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0]->Name(), QStringLiteral("KVLabel1"));
    EXPECT_EQ(UndoSteps(), 1);
    EXPECT_TRUE(Form->IsModified());
    EXPECT_TRUE(Form->BotaoCursor->isChecked());
    EXPECT_FALSE(Form->InserirLegenda->isChecked());
    EXPECT_FALSE(Form->Designer->InsertPending());
    EXPECT_EQ(Form->Designer->Selected(), labels[0]);
    // The next click selects; it inserts nothing.
    Driver->Click(Driver->At(Band, 200, 100));
    EXPECT_EQ(OnBand<TKVLabel>().size(), 1u);
    EXPECT_EQ(UndoSteps(), 1);
}

TEST_F(SelectionTest, EachInsertCommandHandsItsClass)
{
    struct Case {
        QAction* TfmAnexo::*Action;
        void (TfmAnexo::*Run)();
        const TClassInfo* Class;
        const char* Caption;
    } cases[] = {
        {&TfmAnexo::InserirCampoTabela, &TfmAnexo::InserirCampoTabelaExecute,
         &TKVDBText::StaticClass(), "&Campo da Tabela"},
        {&TfmAnexo::InserirFiguraTabela, &TfmAnexo::InserirFiguraTabelaExecute,
         &TKVDBImage::StaticClass(), "&Figura da Tabela"},
        {&TfmAnexo::InserirCodigoBarras, &TfmAnexo::InserirCodigoBarrasExecute,
         &TKVBarcode::StaticClass(), "Código de Barras"},
        {&TfmAnexo::InserirLegenda, &TfmAnexo::InserirLegendaExecute,
         &TKVLabel::StaticClass(), "&Legenda"},
        {&TfmAnexo::InserirCampoExpressao, &TfmAnexo::InserirCampoExpressaoExecute,
         &TKVExpr::StaticClass(), "Campo de &Expressão"},
        {&TfmAnexo::InserirTextoExpressao, &TfmAnexo::InserirTextoExpressaoExecute,
         &TKVExprMemo::StaticClass(), "&Texto com Expressao"},
        {&TfmAnexo::InserirFigura, &TfmAnexo::InserirFiguraExecute,
         &TKVImage::StaticClass(), "Figura"},
        {&TfmAnexo::InserirFormaGeometrica, &TfmAnexo::InserirFormaGeometricaExecute,
         &TKVShape::StaticClass(), "Forma &Geométrica"},
    };
    for (const Case& c : cases) {
        QAction* action = Form.get()->*c.Action;
        SCOPED_TRACE(action->objectName().toStdString());
        EXPECT_EQ(action->text(), QString::fromUtf8(c.Caption));
        QString plain = QString::fromUtf8(c.Caption);
        plain.remove(QLatin1Char('&'));
        EXPECT_EQ(action->toolTip(), plain);
        EXPECT_EQ(action->statusTip(), plain);
        // The handler itself: the two data commands are off while the document has no data.
        (Form.get()->*c.Run)();
        EXPECT_TRUE(Form->Designer->InsertPending());
        EXPECT_EQ(Form->Designer->PendingClass(), c.Class);
        EXPECT_FALSE(Form->InsertMode); // only while the command prepares the designer
        Form->BotaoCursor->trigger();
        EXPECT_FALSE(Form->Designer->InsertPending());
    }
    EXPECT_FALSE(Form->InserirDadosSistema->isVisible());
    EXPECT_FALSE(Form->InserirDadosSistema->isEnabled());
    EXPECT_EQ(Form->BotaoCursor->text(), QStringLiteral("Cursor"));
}

TEST_F(SelectionTest, MarkInsertButtonTable)
{
    struct Case {
        TControl* Control;
        QAction* Expected;
    } cases[] = {
        {Place<TKVSysData>(0, 0, QStringLiteral("s")), Form->InserirDadosSistema},
        {Place<TKVShape>(0, 0, QStringLiteral("f")), Form->InserirFormaGeometrica},
        {Place<TKVExpr>(0, 0, QStringLiteral("e")), Form->InserirCampoExpressao},
        {Place<TKVBarcode>(0, 0, QStringLiteral("b")), Form->InserirCodigoBarras},
        {Place<TKVImage>(0, 0, QStringLiteral("i")), Form->InserirFigura},
        {Place<TKVDBText>(0, 0, QStringLiteral("d")), Form->InserirCampoTabela},
        {Place<TKVLabel>(0, 0, QStringLiteral("l")), Form->InserirLegenda},
        {Place<TKVExprMemo>(0, 0, QStringLiteral("m")), Form->InserirTextoExpressao},
        {Place<TKVDBImage>(0, 0, QStringLiteral("di")), Form->InserirFiguraTabela},
        {Band, nullptr},
        {Report, nullptr},
        {nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Control ? c.Control->ClassType().ClassName.toStdString() : std::string("nil"));
        Form->MarkInsertButton(c.Control);
        EXPECT_EQ(Marked(), c.Expected);
        // A mark is not a press: the cursor button stays down.
        EXPECT_TRUE(Form->BotaoCursor->isChecked());
    }
}

TEST_F(SelectionTest, AnExistingControlIsNeverRecordedAsInserted)
{
    TKVLabel* existing = Place<TKVLabel>(40, 40, QStringLiteral("Existente"));
    for (bool sticky : {false, true}) {
        SCOPED_TRACE(sticky);
        Form->SpeedButtonMouseDown(sticky ? TShiftState{ssShift} : TShiftState{});
        Form->InserirLegenda->trigger();
        // Something re-attaches the designer (an undo, a window activation): the pending class is
        // gone while the insert button is still down.
        Form->Designer->Attach(Report);
        EXPECT_FALSE(Form->Designer->InsertPending());
        const int steps = UndoSteps();
        Form->Designer->SetSelected(existing);
        EXPECT_EQ(UndoSteps(), steps);
        EXPECT_EQ(existing->Name(), QStringLiteral("Existente"));
        EXPECT_FALSE(Form->IsModified());
        EXPECT_FALSE(Form->Designer->InsertPending());
        Form->BotaoCursor->trigger();
    }
}

TEST_F(SelectionTest, SelectionNoticesAreIgnoredWhileAnInsertCommandRuns)
{
    TKVLabel* label = Place<TKVLabel>(40, 40, QStringLiteral("Rotulo"));
    Form->Designer->SetSelected(label);
    EXPECT_EQ(Child->SelectedControl, label);
    EXPECT_FALSE(Form->SelectionBusy);
    TKVLabel* other = Place<TKVLabel>(100, 40, QStringLiteral("Outro"));
    Form->InsertMode = true;
    Form->Designer->SetSelected(other);
    Form->InsertMode = false;
    EXPECT_EQ(Child->SelectedControl, label);
    // The report itself never becomes the window's selected control.
    Form->Designer->SetSelected(Report);
    EXPECT_EQ(Child->SelectedControl, label);
}

TEST_F(SelectionTest, SingleSelectionAndTheMultiSelectionExcludeEachOther)
{
    TKVLabel* a = Place<TKVLabel>(10, 10, QStringLiteral("A"));
    TKVLabel* b = Place<TKVLabel>(80, 10, QStringLiteral("B"));
    Form->ReleaseDesigner();
    EXPECT_FALSE(Form->Designer->Attached());
    EXPECT_EQ(Form->SelectedCount(), 0);
    Form->MultiDesigner->SetSurface(Report);
    Form->MultiDesigner->Toggle(a);
    Form->MultiDesigner->Toggle(b);
    EXPECT_EQ(Form->SelectedCount(), 2);
    EXPECT_EQ(Form->StatusPanel(3)->text(), QStringLiteral("Objetos Selecionados: 2"));

    Form->SelectSingle(a);
    EXPECT_EQ(Form->SelectedCount(), 0);
    EXPECT_TRUE(Form->Designer->Attached());
    EXPECT_EQ(Form->Designer->Selected(), a);
    // Cleared: no insert button marked and the band panel back.
    EXPECT_EQ(Marked(), Form->InserirLegenda); // a is selected now
    EXPECT_EQ(Form->StatusPanel(3)->text(), QStringLiteral("Banda: ") + Form->CurrentBand->Name());
    // Attached already: nothing changes.
    Form->SelectSingle(b);
    EXPECT_EQ(Form->Designer->Selected(), a);
}

TEST_F(SelectionTest, ClearingTheMultiSelectionUnmarksAndShowsTheBand)
{
    TKVLabel* a = Place<TKVLabel>(10, 10, QStringLiteral("A"));
    TKVBarcode* b = Place<TKVBarcode>(80, 10, QStringLiteral("B"));
    Form->MarkInsertButton(b);
    MultiSelect({a, b});
    Form->MultiDesigner->Clear();
    EXPECT_EQ(Marked(), nullptr);
    EXPECT_EQ(Form->StatusPanel(3)->text(), QStringLiteral("Banda: ") + Form->CurrentBand->Name());
}

TEST_F(SelectionTest, DeletingTheQuantityFieldClearsIt)
{
    auto* quantity = Place<TKVDBText>(10, 10, QStringLiteral("Quantidade"));
    auto* other = Place<TKVDBText>(80, 10, QStringLiteral("Outro"));
    Report->SetCampoQuantidadeObjeto(quantity);
    MultiSelect({other});
    Form->MultiDesigner->DeleteSelected();
    EXPECT_EQ(Report->CampoQuantidadeObjeto(), quantity);
    Form->MultiDesigner->SetSurface(Report);
    Form->MultiDesigner->Toggle(quantity);
    Form->MultiDesigner->DeleteSelected();
    EXPECT_EQ(Report->CampoQuantidadeObjeto(), nullptr);
}

TEST_F(SelectionTest, ResetToCursorReleasesBothAndAttachesAgain)
{
    TKVLabel* a = Place<TKVLabel>(10, 10, QStringLiteral("A"));
    Form->UpdateStatusBar(a, QStringLiteral("PT"), 0, 0);
    Form->BotaoCursorTag = 1;
    MultiSelect({a});
    Form->ResetToCursor();
    EXPECT_EQ(Form->BotaoCursorTag, 0);
    EXPECT_EQ(Form->SelectedCount(), 0);
    EXPECT_TRUE(Form->Designer->Attached());
    EXPECT_EQ(Form->Designer->Report(), Report);
    EXPECT_TRUE(Form->StatusPanel(0)->text().isEmpty());
    EXPECT_TRUE(Form->StatusPanel(1)->text().isEmpty());
}

TEST_F(SelectionTest, ZoomPlacesTheSelectionMarksAgain)
{
    TKVLabel* a = Place<TKVLabel>(20, 30, QStringLiteral("A"));
    Form->Designer->SetSelected(a);
    Form->Designer->RefreshHandles();
    const auto handleAtCorner = [&] {
        const TPoint offset = ReportOffset(a);
        TKVControlHandle* h = Form->Designer->Handles(1);
        return h && h->Left() == a->Left() + offset.X - 2 && h->Top() == a->Top() + offset.Y - 2;
    };
    EXPECT_TRUE(handleAtCorner());
    Form->cbZoom->setEditText(QStringLiteral("200"));
    Form->cbZoomClick();
    ASSERT_EQ(Report->Zoom(), 200);
    EXPECT_EQ(a->Left(), 40);
    EXPECT_TRUE(handleAtCorner());

    // With a multi-selection the corner marks follow.
    TKVLabel* b = Place<TKVLabel>(100, 30, QStringLiteral("B"));
    MultiSelect({a, b});
    Form->cbZoom->setEditText(QStringLiteral("100"));
    Form->cbZoomClick();
    ASSERT_EQ(Report->Zoom(), 100);
    for (TEtiqCantos* marks : Form->MultiDesigner->CornerMarks()) {
        ASSERT_NE(marks, nullptr);
        EXPECT_EQ(marks->Corners(1)->Left(), marks->Control()->Left() - 2);
        EXPECT_EQ(marks->Corners(1)->Top(), marks->Control()->Top() - 2);
    }
}

TEST_F(SelectionTest, TheCountShowsForTwoOrMoreAndOnlyFromTheMultiSelection)
{
    TKVLabel* a = Place<TKVLabel>(10, 10, QStringLiteral("A"));
    Form->SetCurrentBand(Band);
    const QString bandText = Form->StatusPanel(3)->text();
    MultiSelect({a});
    EXPECT_EQ(Form->SelectedCount(), 1);
    EXPECT_EQ(Form->StatusPanel(3)->text(), bandText);
    // Another sender is not the multi-selection.
    TKVLabel* b = Place<TKVLabel>(80, 10, QStringLiteral("B"));
    Form->MultiDesigner->OnChange = nullptr;
    Form->MultiDesigner->Toggle(b);
    Form->MultiSelectionChanged(Report);
    EXPECT_EQ(Form->StatusPanel(3)->text(), bandText);
    Form->MultiSelectionChanged(Form->MultiDesigner);
    EXPECT_EQ(Form->StatusPanel(3)->text(), QStringLiteral("Objetos Selecionados: 2"));
}

namespace {
// Counts the paint events of a widget.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* widget) : FWidget(widget) { widget->installEventFilter(this); }
    ~TPaintCounter() override { FWidget->removeEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == FWidget && event->type() == QEvent::Paint)
            ++Count;
        return false;
    }

private:
    QWidget* FWidget;
};
} // namespace

TEST_F(SelectionTest, EachActionOnAThousandControlsPaintsTheSurfaceOnce)
{
    constexpr int Controls = 1000;
    Band->SetHeight(Controls / 25 * 20 + 10);
    for (int i = 0; i < Controls; ++i)
        Place<TKVLabel>(4 + (i % 25) * 44, 4 + (i / 25) * 20, QStringLiteral("Texto%1").arg(i + 1));
    Child->FitClientToReport();
    Child->Host()->SetFocusedControl(Report);
    Form->SetCurrentBand(Band);
    // Everything the surface was asked to paint, painted: the event loop until nothing waits.
    const auto settle = [&] {
        QCoreApplication::processEvents();
        for (int i = 0; i < 100 && !Child->Host()->InvalidRegion().isEmpty(); ++i)
            QCoreApplication::processEvents();
        EXPECT_TRUE(Child->Host()->InvalidRegion().isEmpty());
    };
    settle();
    // The last label, found by its name after each action (undo may put copies in its place).
    const auto last = [&] { return dynamic_cast<TKVLabel*>(Report->Owner()->FindComponent(QStringLiteral("Texto1000"))); };
    ASSERT_NE(last(), nullptr);
    const int lastLeft = last()->Left();
    struct TAction {
        const char* Name;
        std::function<void()> Run;
        int Selected;
        int LastLeft;
    };
    const std::vector<TAction> actions = {
        {"select all", [&] { Form->Selecionartudo1Click(); }, Controls, lastLeft},
        {"nudge", [&] { Driver->Key(VK_RIGHT, TShiftState{ssCtrl}); }, Controls, lastLeft + 1},
        {"undo", [&] { Form->EditarVoltarExecute(); }, Controls, lastLeft},
        {"redo", [&] { Form->EditarRefazerExecute(); }, Controls, lastLeft + 1},
    };
    for (const TAction& a : actions) {
        SCOPED_TRACE(a.Name);
        const TPaintCounter paints(Child->Host()->Surface());
        a.Run();
        settle();
        EXPECT_EQ(Form->MultiDesigner->Count(), a.Selected);
        TKVLabel* now = last();
        ASSERT_NE(now, nullptr);
        EXPECT_EQ(now->Left(), a.LastLeft);
        // However many controls changed, the surface paints once (a second paint is allowed for
        // what the form shows round it), not once or twice per control.
        EXPECT_GE(paints.Count, 1);
        EXPECT_LE(paints.Count, 2);
    }
}

namespace {
class SelectionWithoutDocumentTest : public DesignerTest {};
} // namespace

TEST_F(SelectionWithoutDocumentTest, CommandsDoNothingWithoutADocument)
{
    RegisterDesignerClasses();
    std::unique_ptr<TfmAnexo, TComponentDeleter> form(new TfmAnexo(nullptr, {}));
    form->Show();
    ASSERT_EQ(form->Report, nullptr);
    form->SpeedButtonMouseDown(TShiftState{ssShift});
    form->InserirCodigoBarras->trigger();
    EXPECT_FALSE(form->Designer->InsertPending());
    form->BotaoCursor->trigger();
    form->ResetToCursor();
    form->SelectSingle(nullptr);
    form->ReleaseDesigner();
    EXPECT_EQ(form->SelectedCount(), 0);
    form->cbZoom->setEditText(QString::fromUtf8("Página"));
    form->cbZoomClick();
    form->UpdateStatusBar(nullptr, QStringLiteral("XYPTU"), 10, 10);
    EXPECT_TRUE(form->StatusPanel(0)->text().isEmpty());
    EXPECT_TRUE(form->StatusPanel(2)->text().isEmpty());
    EXPECT_EQ(form->CurrentContainer(), nullptr);
    form->AskOnClose = false;
}
