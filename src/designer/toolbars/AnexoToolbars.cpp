// The main form's property tool bars: six bars under the command tool bar, each showing the
// properties of the control it was last given. The selection chooses which bars show; the bars'
// handlers write their values back through one rule (undo step, change, handles, modified mark).
// The band bar and the custom colours of the colour dialog live here too.
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/toolbars/ToolbarParts.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVShape.h"
#include "engine/printables/KVSysData.h"
#include "engine/model/VardoRep.h"
#include "platform/core/IniFiles.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"
#include "uisupport/UpDown.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QToolBar>

#include <algorithm>
#include <iterator>
#include <memory>

namespace tessiv {

namespace {

// Each bar's row: the second bar of a pair lies this much below the first.
constexpr int kBarRow = 28;

const QString kCustomColorSection = QStringLiteral("CustomColor");
// What a custom colour that was never set reads as.
const QString kNoCustomColor = QStringLiteral("FFFFFFFF");

// The bars a selected control shows and the report's help context it sets; classes are tested
// in this order and the first match decides. Help 0 leaves the report's help context as it is.
struct TSelectionBars {
    bool (*Matches)(const TControl*);
    int HelpContext;
    int First;
    int Second;
};

template <class T> bool Is(const TControl* control) { return dynamic_cast<const T*>(control) != nullptr; }

const TSelectionBars kSelectionBars[] = {
    {&Is<TKVCustomBand>, 0, 1, -1},
    {&Is<TKVExpr>, 300, 1, 4},
    {&Is<TKVBarcode>, 510, 1, 2},
    {&Is<TKVDBText>, 290, 1, 2},
    {&Is<TKVShape>, 710, 6, -1},
    {&Is<TKVImage>, 690, 5, 6},
    {&Is<TKVObsLabel>, 840, 1, -1},
    {&Is<TKVLabel>, 840, 1, 4},
    {&Is<TKVExprMemo>, 1630, 1, 5},
    {&Is<TKVDBImage>, 700, 2, 6},
    {&Is<TKVSysData>, 0, 1, 2},
};

// The band kinds of the band bar's type box, in its order.
const TKVBandType kBandBarTypes[] = {rbPageHeader, rbTitle, rbColumnHeader, rbDetail, rbSummary, rbPageFooter,
                                     rbSubDetail};

// The item area of what the band bar holds: the area itself or one of its bands.
TKVItensObs* BandBarArea(TComponent* component)
{
    if (auto* area = dynamic_cast<TKVItensObs*>(component))
        return area;
    if (dynamic_cast<TKVItens*>(component) || dynamic_cast<TKVObs*>(component))
        return dynamic_cast<TKVItensObs*>(static_cast<TControl*>(component)->Parent());
    return nullptr;
}

// The column grid of what the band bar holds: the grid itself or its cell band.
TKVColunaSql* BandBarGrid(TComponent* component)
{
    if (auto* grid = dynamic_cast<TKVColunaSql*>(component))
        return grid;
    if (auto* cell = dynamic_cast<TKVColuna*>(component))
        return cell->Grid();
    return nullptr;
}

// An up-down's edit ends when its box is left; Enter there applies the typed number at once.
class TUpDownBoxWatch : public QObject {
public:
    TUpDownBoxWatch(QObject* parent, std::function<void()> apply, std::function<void()> end)
        : QObject(parent), FApply(std::move(apply)), FEnd(std::move(end))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                FApply();
                FEnd();
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                FApply();
                FEnd();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> FApply;
    std::function<void()> FEnd;
};

} // namespace

TAnexoToolBar* TfmAnexo::ToolBar(int number) const
{
    if (number < 1 || number > static_cast<int>(ToolBars.size()))
        return nullptr;
    return ToolBars[static_cast<std::size_t>(number - 1)];
}

int TfmAnexo::PropertyBarTop() const
{
    // Below the command tool bar; before it exists, below whatever the top panel lays out.
    if (FTopPanel) {
        if (auto* commands = FTopPanel->findChild<QToolBar*>(QStringLiteral("EditorToolbar"), Qt::FindDirectChildrenOnly))
            return commands->y() + commands->height();
        if (QLayout* layout = FTopPanel->layout())
            return layout->sizeHint().height();
    }
    return 0;
}

void TfmAnexo::CreatePropertyToolbars()
{
    static const char* const names[] = {"CustomLabelToolbar", "CampoToolBar", "CustomBandToolbar",
                                        "ExprToolbar", "ImageToolBar", "ShapeToolbar"};
    ToolBars.clear();
    for (const char* name : names) {
        auto* bar = new TAnexoToolBar(FTopPanel);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(16, 16));
        bar->setFixedHeight(kBarRow);
        bar->hide();
        ToolBars.push_back(bar);
    }
    CustomLabelToolbar = ToolBars[0];
    CampoToolBar = ToolBars[1];
    CustomBandToolbar = ToolBars[2];
    ExprToolbar = ToolBars[3];
    ImageToolBar = ToolBars[4];
    ShapeToolbar = ToolBars[5];
    // Room for two rows of bars under the command tool bar.
    FTopPanel->setFixedHeight(PropertyBarTop() + 2 * kBarRow);
    BuildCustomLabelToolbar();
    BuildCampoToolBar();
    BuildCustomBandToolbar();
    BuildExprToolbar();
    BuildImageToolBar();
    BuildShapeToolbar();
    HidePropertyToolbars();
}

void TfmAnexo::HidePropertyToolbars()
{
    const int top = PropertyBarTop();
    for (TAnexoToolBar* bar : ToolBars) {
        bar->hide();
        bar->move(0, top);
    }
}

void TfmAnexo::ShowContextToolbars(int first, int second, TControl* control)
{
    const int top = PropertyBarTop();
    TAnexoToolBar* firstBar = ToolBar(first);
    TAnexoToolBar* secondBar = ToolBar(second);
    for (TAnexoToolBar* bar : ToolBars) {
        bar->move(0, bar->y());
        if (bar == firstBar || bar == secondBar) {
            const int y = bar == firstBar ? top : top + kBarRow;
            bar->setGeometry(0, y, std::max(bar->sizeHint().width(), FTopPanel->width()), kBarRow);
            bar->SetComponent(control);
            bar->show();
        } else {
            bar->SetComponent(nullptr);
            bar->hide();
        }
    }
}

void TfmAnexo::ShowSelectionToolbars(TControl* control)
{
    if (!control)
        return;
    for (const TSelectionBars& row : kSelectionBars) {
        if (!row.Matches(control))
            continue;
        if (row.HelpContext != 0 && Report)
            Report->SetHelpContext(row.HelpContext);
        ShowContextToolbars(row.First, row.Second, control);
        return;
    }
    // The report itself (or anything else) leaves the bars as they are.
}

void TfmAnexo::ShowMultiSelectionToolbar()
{
    const int top = PropertyBarTop();
    for (TAnexoToolBar* bar : {CustomBandToolbar, ShapeToolbar, ImageToolBar, CampoToolBar, ExprToolbar}) {
        if (!bar)
            continue;
        bar->hide();
        bar->move(0, top);
    }
    if (!CustomLabelToolbar)
        return;
    const QString kind = MultiDesigner ? MultiDesigner->Kind() : QString();
    if (SelectedCount() > 0 && (kind == QLatin1String("FONTE") || kind == QLatin1String("BARCODE") ||
                                kind == QLatin1String("FONTE_BARCODE"))) {
        if (CustomLabelToolbar->isHidden())
            CustomLabelToolbar->show();
        // nil: the bar shows what the selected controls have in common.
        CustomLabelToolbar->SetComponent(nullptr);
    } else {
        CustomLabelToolbar->hide();
        CustomLabelToolbar->move(0, top);
    }
}

void TfmAnexo::PumpMessages()
{
    QApplication::processEvents();
}

bool TfmAnexo::WriteBackSingle(TControl* control, int* editFlag, const std::function<bool(TControl*)>& differs,
                               const std::function<void(TControl*)>& set, TWriteBack options)
{
    if (!control || !differs(control))
        return false;
    if (!editFlag || *editFlag == 0) {
        SaveUndoStep(1, control);
        if (editFlag)
            *editFlag = 1;
    }
    set(control);
    if (options.Pump)
        PumpMessages();
    if (options.RefreshHandles && Designer)
        Designer->RefreshHandles();
    SetModified(true);
    return true;
}

bool TfmAnexo::WriteBackMulti(int* editFlag, const std::function<bool(TControl*)>& differs,
                               const std::function<void(TControl*)>& set, TWriteBack options)
{
    if (!MultiDesigner || MultiDesigner->Count() == 0)
        return false;
    // A copy: a change may make the designer drop a control.
    const std::vector<TControl*> controls = MultiDesigner->SelectedControls();
    std::vector<TControl*> changing;
    for (TControl* control : controls)
        if (differs(control))
            changing.push_back(control);
    // A step that would restore nothing is not recorded: undoing it would seem to do nothing.
    if (changing.empty())
        return false;
    if (!editFlag || *editFlag == 0) {
        SaveUndoStep(1);
        if (editFlag)
            *editFlag = 1;
    }
    for (TControl* control : changing) {
        set(control);
        for (TEtiqCantos* marks : MultiDesigner->CornerMarks())
            if (marks && marks->Control() == control)
                marks->UpdatePosition();
    }
    if (options.Pump)
        PumpMessages();
    SetModified(true);
    return true;
}

void TfmAnexo::UpDownMouseDown(TUpDown* upDown)
{
    if (!upDown || !upDown->Associate())
        return;
    if (QApplication::focusWidget() != upDown)
        upDown->Associate()->setFocus(Qt::MouseFocusReason);
}

// ---- the custom colours of the colour dialog ----------------------------------------------------

void TfmAnexo::ReadCustomColors(TIniFile* settings, const QString& section, TStringList* list)
{
    if (!settings || !list)
        return;
    settings->ReadSection(section, list);
    for (int i = 0; i < list->Count(); ++i) {
        const QString key = list->Strings(i);
        QString value = settings->ReadString(section, key, kNoCustomColor);
        // A key written without a value is a colour never set, as a missing one.
        if (value.isEmpty())
            value = kNoCustomColor;
        list->Put(i, key + QLatin1Char('=') + value);
    }
}

void TfmAnexo::WriteCustomColors(TIniFile* settings, const QString& section, TStringList* list)
{
    if (!settings || !list)
        return;
    for (int i = 0; i < list->Count(); ++i) {
        const QString name = list->Names(i);
        if (!name.isEmpty())
            settings->WriteString(section, name, list->ValueFromIndex(i));
    }
}

bool TfmAnexo::RunColorDialog(TColor& color)
{
    std::unique_ptr<TColorDialog, TComponentDeleter> dialog(new TColorDialog(this));
    ReadCustomColors(Settings(), kCustomColorSection, dialog->CustomColors());
    dialog->Color = color;
    if (!dialog->Execute(Window()))
        return false;
    color = dialog->Color;
    // A settings file that cannot be written is reported; the colour chosen still counts.
    try {
        WriteCustomColors(Settings(), kCustomColorSection, dialog->CustomColors());
    } catch (...) {
        Application().HandleException(std::current_exception());
    }
    return true;
}

// ---- the band bar ------------------------------------------------------------------------------

void TfmAnexo::BuildCustomBandToolbar()
{
    QWidget* strip = NewPanel(CustomBandToolbar, "BandStrip");

    cbTipoBanda = new QComboBox(strip);
    cbTipoBanda->setEditable(false);
    cbTipoBanda->addItems({QString::fromUtf8("Cabeçalho da página"), QString::fromUtf8("Título"),
                           QString::fromUtf8("Cabeçalho de coluna"), QStringLiteral("Detalhe"),
                           QString::fromUtf8("Sumário"), QString::fromUtf8("Rodapé da página"),
                           QStringLiteral("Sub-Detalhe")});
    Place(strip, cbTipoBanda, "cbTipoBanda", QStringLiteral("Tipo da Banda"), 140);

    const auto upDown = [strip](QLineEdit*& box, TUpDown*& arrows, const char* boxName, const char* name,
                                const QString& hint, int min) {
        box = Place(strip, new QLineEdit(strip), boxName, hint, 36);
        arrows = PlaceUpDown(strip, box, name, hint, min, 999, 1, 2);
    };
    upDown(edLinhasItens, udLinhas, "edLinhasItens", "udLinhas", QString::fromUtf8("Número de itens"), 2);
    upDown(edColunas, udColunas, "edColunas", "udColunas", QString::fromUtf8("Número de Colunas"), 1);

    cbObs_ListField = new QComboBox(strip);
    Place(strip, cbObs_ListField, "cbObs_ListField", QString(), 120);
    RowOf(strip)->addStretch(1);
    CustomBandToolbar->addWidget(strip);

    udLinhas->OnClick = [this](TUpDown::TUDBtnType) { udLinhasClick(); };
    udLinhas->OnMouseDown = [this] { UpDownMouseDown(udLinhas); };
    udColunas->OnClick = [this](TUpDown::TUDBtnType) { udColunasClick(); };
    udColunas->OnMouseDown = [this] { UpDownMouseDown(udColunas); };
    edLinhasItens->installEventFilter(new TUpDownBoxWatch(
        edLinhasItens, [this] { udLinhasClick(); }, [this] { udLinhasTag = 0; }));
    edColunas->installEventFilter(new TUpDownBoxWatch(
        edColunas, [this] { udColunasClick(); }, [this] { udColunasTag = 0; }));
    CustomBandToolbar->OnSetComponent = [this](TComponent* value) { CustomBandToolbarSetComponent(value); };
}

void TfmAnexo::CustomBandToolbarSetComponent(TComponent* value)
{
    if (!value)
        return;
    int type = -1;
    if (auto* band = dynamic_cast<TKVBand*>(value))
        for (int i = 0; i < int(std::size(kBandBarTypes)); ++i)
            if (kBandBarTypes[i] == band->BandType())
                type = i;
    if (cbTipoBanda)
        cbTipoBanda->setCurrentIndex(type);
    if (TKVItensObs* area = BandBarArea(value); area && udLinhas)
        udLinhas->SetPosition(area->Linhas());
    if (TKVColunaSql* grid = BandBarGrid(value); grid && udColunas)
        udColunas->SetPosition(grid->Colunas());
    udLinhasTag = 0;
    udColunasTag = 0;
}

void TfmAnexo::udLinhasClick()
{
    // The bar holds no area in the running program: then the click changes nothing, so it
    // neither records a step nor marks the document modified.
    TKVItensObs* area = CustomBandToolbar ? BandBarArea(CustomBandToolbar->Component()) : nullptr;
    if (!area || !udLinhas)
        return;
    const int lines = udLinhas->PositionFromText();
    WriteBackSingle(
        area, &udLinhasTag, [lines](TControl* c) { return static_cast<TKVItensObs*>(c)->Linhas() != lines; },
        [lines](TControl* c) { static_cast<TKVItensObs*>(c)->SetLinhas(lines); });
}

void TfmAnexo::udColunasClick()
{
    TKVColunaSql* grid = CustomBandToolbar ? BandBarGrid(CustomBandToolbar->Component()) : nullptr;
    if (!grid || !udColunas)
        return;
    const int columns = udColunas->PositionFromText();
    WriteBackSingle(
        grid, &udColunasTag, [columns](TControl* c) { return static_cast<TKVColunaSql*>(c)->Colunas() != columns; },
        [columns](TControl* c) { static_cast<TKVColunaSql*>(c)->SetColunas(columns); });
}

} // namespace tessiv
