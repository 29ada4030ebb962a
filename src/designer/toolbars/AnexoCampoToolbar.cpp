// The field tool bar: ties the selected data text, barcode, system-data text or data picture to its
// data, and sets what only data-bound controls carry (mask, running number, the report's quantity
// field, the barcode's symbology and sizes, the data picture's fit). Each change goes through the
// common write-back rule, so it is one undo step and marks the document modified; selecting a
// control only shows it and never changes it.
#include "designer/mainform/AnexoForm.h"

#include "designer/surface/KVDesigner.h"
#include "designer/toolbars/ToolbarParts.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVSysData.h"
#include "engine/model/VardoRep.h"
#include "platform/data/DBTables.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/controls/Messages.h"
#include "platform/ui/Application.h"
#include "platform/ui/Help.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"
#include "uisupport/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopeGuard>

#include <algorithm>
#include <iterator>

namespace tessiv {

namespace {

// The kinds of system value the field box offers for a system-data text, in list order: the four
// counters first, then the clock, the date and the title, so that every kind a text can hold is
// shown as it is.
struct TSysDataItem {
    TKVSysDataType Kind;
    const char* Caption; // UTF-8
};
const TSysDataItem kSysDataItems[] = {
    {kvsPageNumber, "Número da página"},
    {kvsDetailCount, "Total de detalhes"},
    {kvsDetailNo, "Número do detalhe"},
    {kvsGroupItensNo, "Número do Grupo de Itens"},
    {kvsTime, "Hora"},
    {kvsDate, "Data"},
    {kvsDateTime, "Data e Hora"},
    {kvsReportTitle, "Título relatório"},
};

int SysDataItem(TKVSysDataType kind)
{
    for (int i = 0; i < int(std::size(kSysDataItems)); ++i)
        if (kSysDataItems[i].Kind == kind)
            return i;
    return 0;
}

// The keys and the leaving of a box of the bar. Enter goes to onKey first (as VK_RETURN), which
// clears the key when it handled it; every other key is the box's own. Losing the focus to another
// widget of the program (not to the box's own list, nor to another application, nor while the
// window goes) runs onLeave. A handler's error ends at the application's error box, never inside
// Qt's event delivery.
class TCampoBoxFilter : public QObject {
public:
    TCampoBoxFilter(QWidget* box, std::function<void(unsigned short&)> onKey, std::function<void()> onLeave)
        : QObject(box), FOnKey(std::move(onKey)), FOnLeave(std::move(onLeave))
    {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
                static_cast<QWidget*>(watched)->window()->isVisible())
                Application().Guard(FOnLeave);
        } else if (event->type() == QEvent::KeyPress) {
            const int code = static_cast<QKeyEvent*>(event)->key();
            if (code == Qt::Key_Return || code == Qt::Key_Enter) {
                unsigned short key = VK_RETURN;
                Application().Guard([&] { FOnKey(key); });
                if (key == 0)
                    return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(unsigned short&)> FOnKey;
    std::function<void()> FOnLeave;
};

// A box whose key-press handler takes the typed character: Enter reaches it as '\r'.
void WatchBox(QWidget* box, std::function<void(QChar&)> onKeyPress, std::function<void()> onLeave)
{
    new TCampoBoxFilter(
        box,
        [onKeyPress = std::move(onKeyPress)](unsigned short& key) {
            QChar ch(QLatin1Char('\r'));
            onKeyPress(ch);
            if (ch.isNull())
                key = 0;
        },
        std::move(onLeave));
}

// Radio buttons that may both be off: their exclusivity is set by hand.
void SetRadio(QRadioButton* button, bool checked)
{
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(true);
}

bool IsDetailBand(const TControl* parent)
{
    const auto* band = dynamic_cast<const TKVBand*>(parent);
    return band && band->BandType() == rbDetail;
}

// The column grid whose query serves a control: its parent grid, or the grid of its cell band.
TKVColunaSql* ColumnGridOf(const TControl* control)
{
    TWinControl* parent = control ? control->Parent() : nullptr;
    if (auto* grid = dynamic_cast<TKVColunaSql*>(parent))
        return grid;
    if (auto* cell = dynamic_cast<TKVColuna*>(parent))
        return cell->Grid();
    return nullptr;
}

// The item area whose observation query serves a control on its observation band.
TKVItensObs* ObservationAreaOf(const TControl* control)
{
    auto* band = dynamic_cast<TKVObs*>(control ? control->Parent() : nullptr);
    return band ? band->Area() : nullptr;
}

// The type of a field by its name: from the field itself, else from the dataset's field
// definitions (a closed dataset keeps those of its last open).
bool FieldTypeOf(TDataSet* dataSet, const QString& name, TFieldType& type)
{
    if (!dataSet || name.isEmpty())
        return false;
    if (TField* field = dataSet->FindField(name)) {
        type = field->DataType();
        return true;
    }
    if (TFieldDef* def = dataSet->FieldDefs() ? dataSet->FieldDefs()->Find(name) : nullptr) {
        type = def->DataType;
        return true;
    }
    return false;
}

} // namespace

// ---- the alphabetical symbology list ------------------------------------------------------------

QStringList TfmAnexo::BarcodeTypeItems()
{
    QStringList names;
    for (std::string_view name : btCodeTypesNames)
        names << QString::fromLatin1(name.data(), int(name.size()));
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

int TfmAnexo::BarcodeTypeItem(btCodeTypes type)
{
    const std::string_view name = type < btCodeTypesNames.size() ? btCodeTypesNames[type] : std::string_view();
    const int item = BarcodeTypeItems().indexOf(QString::fromLatin1(name.data(), int(name.size())));
    // A value outside the enumeration shows the second item.
    return item >= 0 ? item : 1;
}

bool TfmAnexo::BarcodeTypeOfItem(int item, btCodeTypes& type)
{
    const QStringList items = BarcodeTypeItems();
    if (item < 0 || item >= items.size())
        return false;
    for (std::size_t i = 0; i < btCodeTypesNames.size(); ++i)
        if (QLatin1String(btCodeTypesNames[i].data(), int(btCodeTypesNames[i].size())) == items[item]) {
            type = static_cast<btCodeTypes>(i);
            return true;
        }
    return false;
}

// ---- building -------------------------------------------------------------------------------------

void TfmAnexo::BuildCampoToolBar()
{
    QWidget* strip = NewRow(CampoToolBar, "CampoStrip", 0, 0, 0);
    QHBoxLayout* row = RowOf(strip);

    // The field box and the mask box; the panel ends 6 pixels after whichever of them shows last.
    paCampoTool = NewPanel(strip, "paCampoTool", 6);
    cbCampo = Place(paCampoTool, new QComboBox(paCampoTool), "cbCampo",
                    QString::fromUtf8("Nome do campo da Tabela"), 160);
    cbCampo->setInsertPolicy(QComboBox::NoInsert);
    SetHelpContext(cbCampo, 1130);
    Mascara_AddOn58 = Place(paCampoTool, new QLineEdit(paCampoTool), "Mascara_AddOn58",
                            QString::fromUtf8("Máscara de formatação do campo"), 90);

    paCampoQtd = NewPanel(strip, "paCampoQtd");
    cbCampoQtd = Place(paCampoQtd, new QCheckBox(QStringLiteral("&Quantidade"), paCampoQtd), "cbCampoQtd",
                       QString::fromUtf8("Define se o campo indicará a quantidade de repetições"));
    SetHelpContext(cbCampoQtd, 1360);

    paIncremento = NewPanel(strip, "paIncremento");
    SetHelpContext(paIncremento, 810);
    // The radio buttons say what they are in their captions; they carry no hint.
    rbIncremento = Place(paIncremento, new QRadioButton(QStringLiteral("&Incremento"), paIncremento), "rbIncremento",
                         QString());
    rbIncremento->setChecked(true);
    rbDeslocamento = Place(paIncremento, new QRadioButton(QStringLiteral("&Deslocamento"), paIncremento),
                           "rbDeslocamento", QString());
    const QString stepHint = QStringLiteral("Valor do Incremento/Deslocamento");
    edIncremento = Place(paIncremento, new QLineEdit(QStringLiteral("0"), paIncremento), "edIncremento", stepHint, 44);
    udIncremento = PlaceUpDown(paIncremento, edIncremento, "udIncremento", stepHint, -1000, 1000, 1, 0);

    paBarra = NewPanel(strip, "paBarra");
    TipoBarra = Place(paBarra, new QComboBox(paBarra), "TipoBarra", QStringLiteral("Tipo da Barra"), 110);
    TipoBarra->addItems(BarcodeTypeItems());
    SetHelpContext(TipoBarra, 1670);
    const QString sizeHint = QStringLiteral("Tamanho (0 a 9)");
    EditTamanho = Place(paBarra, new QLineEdit(QStringLiteral("4"), paBarra), "EditTamanho", sizeHint, 24);
    SetHelpContext(EditTamanho, 1540);
    Tamanho = PlaceUpDown(paBarra, EditTamanho, "Tamanho", sizeHint, 0, 9, 1, 4);
    const QString heightHint = QStringLiteral("Altura da Barra (%)");
    EditAltura = Place(paBarra, new QLineEdit(QStringLiteral("100"), paBarra), "EditAltura", heightHint, 36);
    SetHelpContext(EditAltura, 110);
    udAltura = PlaceUpDown(paBarra, EditAltura, "udAltura", heightHint, 20, 200, 5, 100);
    SetHelpContext(udAltura, 104);
    NumerosVisiveis = Place(paBarra, new QCheckBox(QString::fromUtf8("&Números visíveis"), paBarra), "NumerosVisiveis",
                            QString::fromUtf8("Números Visíveis"));
    SetHelpContext(NumerosVisiveis, 1230);

    // The data picture's fit, with the image bar's glyphs: one group in which all may be up.
    paDBPicture = NewPanel(strip, "paDBPicture");
    const auto pictureButton = [this](const char* name, const QString& hint, TPictureFit fit) {
        return NewSpeedButton(paDBPicture, name, hint, PictureFitGlyph(fit), 1, true);
    };
    sbProporcionalDBPicture =
        pictureButton("sbProporcionalDBPicture", QStringLiteral("Proporcional"), TPictureFit::Proporcional);
    sbStretchDBPicture = pictureButton("sbStretchDBPicture", QStringLiteral("Esticar"), TPictureFit::Stretch);
    sbCenterDBPicture = pictureButton("sbCenterDBPicture", QStringLiteral("Centralizar"), TPictureFit::Center);

    for (QWidget* panel : {paCampoTool, paCampoQtd, paIncremento, paBarra, paDBPicture})
        row->addWidget(panel);
    row->addStretch(1);
    CampoToolBar->addWidget(strip);

    // The handlers.
    QObject::connect(cbCampo, qOverload<int>(&QComboBox::activated), cbCampo, Guarded([this] { cbCampoClick(); }));
    new TCampoBoxFilter(
        cbCampo, [this](unsigned short& key) { cbCampoKeyDown(key, {}); }, [this] { cbCampoExit(); });
    WatchBox(
        Mascara_AddOn58, [this](QChar& key) { Mascara_AddOn58KeyPress(key); }, [this] { Mascara_AddOn58Exit(); });
    QObject::connect(cbCampoQtd, &QCheckBox::clicked, cbCampoQtd, Guarded([this] { cbCampoQtdClick(); }));
    QObject::connect(rbIncremento, &QRadioButton::clicked, rbIncremento, Guarded([this] { rbIncrementoClick(); }));
    QObject::connect(rbDeslocamento, &QRadioButton::clicked, rbDeslocamento,
                     Guarded([this] { rbDeslocamentoClick(); }));
    WatchBox(
        edIncremento, [this](QChar& key) { edIncrementoKeyPress(key); }, [this] { edIncrementoExit(); });
    udIncremento->OnClick = [this](TUpDown::TUDBtnType) { Application().Guard([this] { udIncrementoClick(); }); };
    udIncremento->OnMouseDown = [this] { UpDownMouseDown(udIncremento); };
    QObject::connect(TipoBarra, qOverload<int>(&QComboBox::activated), TipoBarra, Guarded([this] { TipoBarraClick(); }));
    new TCampoBoxFilter(
        TipoBarra, [](unsigned short&) {}, [this] { TipoBarraExit(); });
    WatchBox(
        EditTamanho, [this](QChar& key) { EditTamanhoKeyPress(key); }, [this] { EditTamanhoExit(); });
    Tamanho->OnClick = [this](TUpDown::TUDBtnType) { Application().Guard([this] { TamanhoClick(); }); };
    Tamanho->OnMouseDown = [this] { UpDownMouseDown(Tamanho); };
    WatchBox(
        EditAltura, [this](QChar& key) { EditAlturaKeyPress(key); }, [this] { EditAlturaExit(); });
    udAltura->OnClick = [this](TUpDown::TUDBtnType) { Application().Guard([this] { udAlturaClick(); }); };
    udAltura->OnMouseDown = [this] { UpDownMouseDown(udAltura); };
    QObject::connect(NumerosVisiveis, &QCheckBox::clicked, NumerosVisiveis, Guarded([this] { NumerosVisiveisClick(); }));
    sbProporcionalDBPicture->OnClick = Guarded([this] { sbProporcionalPictureClick(); });
    sbStretchDBPicture->OnClick = Guarded([this] { StretchClick(); });
    sbCenterDBPicture->OnClick = Guarded([this] { CenterPictureClick(); });

    CampoToolBar->OnSetComponent = [this](TComponent* value) { CampoToolBarSetComponent(value); };
}

// ---- the data behind a control --------------------------------------------------------------------

TControl* TfmAnexo::CampoControl() const
{
    return CampoToolBar ? dynamic_cast<TControl*>(CampoToolBar->Component()) : nullptr;
}

TDataSet* TfmAnexo::ServingDataSet(const TControl* control) const
{
    if (!control)
        return nullptr;
    if (TKVColunaSql* grid = ColumnGridOf(control))
        return grid->Col_DataSet();
    if (auto* band = dynamic_cast<TKVObs*>(control->Parent()))
        return band->Area() ? band->Area()->Obs_DataSet() : nullptr;
    const auto* printable = dynamic_cast<const TKVPrintable*>(control);
    TVardoRep* report = printable ? printable->ParentReport() : nullptr;
    return report ? report->DataSet() : nullptr;
}

// Numbers, and dates (they count in days), can run; the type decides, whatever the current record
// holds.
bool TfmAnexo::IsNumericField(TKVDBText* text) const
{
    try {
        TFieldType type = ftUnknown;
        if (!text || !FieldTypeOf(ServingDataSet(text), text->DataField(), type))
            return false;
        switch (type) {
        case ftSmallint: case ftInteger: case ftWord: case ftLargeint: case ftAutoInc:
        case ftFloat: case ftCurrency: case ftBCD:
        case ftDate: case ftTime: case ftDateTime:
            return true;
        default:
            return false;
        }
    } catch (...) {
        return false;
    }
}

bool TfmAnexo::IsDateField(TKVDBText* text) const
{
    try {
        TFieldType type = ftUnknown;
        if (!text || !FieldTypeOf(ServingDataSet(text), text->DataField(), type))
            return false;
        return type == ftDate || type == ftTime || type == ftDateTime;
    } catch (...) {
        return false;
    }
}

// The list item that names a field, letter case ignored; -1 for none.
int TfmAnexo::CampoFieldItem(const QString& name) const
{
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < cbCampo->count(); ++i)
        if (cbCampo->itemText(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// ---- configuring the bar for a control ----------------------------------------------------------

void TfmAnexo::CampoToolBarSetComponent(TComponent* value)
{
    auto* x = dynamic_cast<TControl*>(value);
    if (!x)
        return;

    if (auto* sys = dynamic_cast<TKVSysData*>(x)) {
        paBarra->hide();
        paDBPicture->hide();
        paIncremento->hide();
        paCampoQtd->hide();
        cbCampo->setEditable(false);
        cbCampo->clear();
        for (const TSysDataItem& item : kSysDataItems)
            cbCampo->addItem(QString::fromUtf8(item.Caption));
        SetHelpContext(cbCampo, 0);
        cbCampo->setToolTip(QStringLiteral("Tipo de dados do sistema"));
        cbCampo->setCurrentIndex(SysDataItem(sys->Data()));
        Mascara_AddOn58->show();
        Mascara_AddOn58->setEnabled(true);
        SetHelpContext(Mascara_AddOn58, 0);
        Mascara_AddOn58->setToolTip(QStringLiteral("Legenda"));
        Mascara_AddOn58->setText(sys->GetText());
        return;
    }

    // The field list of the data set that serves the control (the document binds its data
    // controls on the way).
    SetHelpContext(Mascara_AddOn58, 0);
    SetHelpContext(cbCampo, 1130);
    cbCampo->setToolTip(QStringLiteral("Nome do campo da Tabela"));
    QStringList fields;
    if (Document) {
        if (TKVColunaSql* grid = ColumnGridOf(x))
            Document->BindColumnFields(x, grid, &fields);
        else if (TKVItensObs* area = ObservationAreaOf(x))
            Document->BindObsFields(x, area, &fields);
        else
            Document->BindDataFields(&fields);
    }
    cbCampo->clear();
    cbCampo->addItems(fields);

    auto* text = dynamic_cast<TKVDBText*>(x);
    auto* bar = dynamic_cast<TKVBarcode*>(x);
    auto* picture = dynamic_cast<TKVDBImage*>(x);
    if (bar) {
        const bool addOn = bar->Bar_CodeType() == EAN_13 || bar->Bar_CodeType() == UPC_A;
        Mascara_AddOn58->setVisible(addOn);
        Mascara_AddOn58->setEnabled(true);
        Tamanho->SetPosition(int(bar->Bar_ModuleWidth()));
        udAltura->SetPosition(bar->Bar_HeightPercent());
        TipoBarra->setCurrentIndex(BarcodeTypeItem(bar->Bar_CodeType()));
        NumerosVisiveis->setChecked(bar->Bar_HumanReadable());
    } else {
        Mascara_AddOn58->setVisible(text != nullptr);
        Mascara_AddOn58->setEnabled(true);
    }
    paDBPicture->setVisible(picture != nullptr);
    paBarra->setVisible(bar != nullptr);

    if (!text) {
        cbCampo->setEditable(false);
        paIncremento->hide();
        paCampoQtd->hide();
        if (picture) {
            cbCampo->setCurrentIndex(CampoFieldItem(picture->DataField()));
            sbProporcionalDBPicture->SetDown(picture->Proporcional());
            sbStretchDBPicture->SetDown(picture->Stretch());
            sbCenterDBPicture->SetDown(picture->Center());
        }
        return;
    }

    paIncremento->show();
    const bool numeric = IsNumericField(text);
    bool numbering = false;
    bool quantityPanel = false;
    if (bar) {
        cbCampo->setEditable(true);
        cbCampo->setCompleter(nullptr);
        const int item = CampoFieldItem(bar->DataField());
        cbCampo->setCurrentIndex(item);
        if (item < 0)
            cbCampo->setEditText(bar->Bar_Text());
        numbering = item >= 0 && numeric;
        paCampoQtd->setEnabled(false);
        paCampoQtd->hide();
        SetHelpContext(Mascara_AddOn58, 490);
        Mascara_AddOn58->setToolTip(QStringLiteral("Código adicional ( 2 ou 5 )"));
        Mascara_AddOn58->setText(bar->Bar_CodeAddon());
    } else {
        paCampoQtd->show();
        cbCampo->setEditable(false);
        cbCampo->setCurrentIndex(CampoFieldItem(text->DataField()));
        numbering = numeric;
        TVardoRep* report = text->ParentReport();
        quantityPanel = report && IsDetailBand(text->Parent()) && numeric && !IsDateField(text);
        paCampoQtd->setEnabled(quantityPanel);
        if (quantityPanel) {
            const bool isQuantity = report->CampoQuantidadeObjeto() == text;
            cbCampoQtd->setEnabled(report->GetCampoQuantidade().isEmpty() || isQuantity);
            cbCampoQtd->setChecked(!text->DataField().isEmpty() && isQuantity);
        } else {
            cbCampoQtd->setEnabled(false);
            cbCampoQtd->setChecked(false);
        }
        SetHelpContext(Mascara_AddOn58, 990);
        Mascara_AddOn58->setToolTip(QString::fromUtf8("Máscara de formatação do campo"));
        Mascara_AddOn58->setText(text->Mask());
        Mascara_AddOn58->setEnabled(!cbCampoQtd->isChecked());
    }

    // The numbering shows what the text stores. Where it does not apply (no field, a field that is
    // not a number, a closed data set) it is shown disabled and left as it is: a step the text
    // keeps is the user's to clear.
    paIncremento->setEnabled(numbering);
    const bool editable = numbering && !(quantityPanel && cbCampoQtd->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{edIncremento, udIncremento, rbIncremento, rbDeslocamento})
        w->setEnabled(editable);
    udIncremento->SetPosition(text->IncrementoValue());
    SetRadio(rbIncremento, text->IncrementoType() == kvIncre);
    SetRadio(rbDeslocamento, text->IncrementoType() == kvDesloca);
}

void TfmAnexo::ReloadCampoToolBar()
{
    if (TControl* x = CampoControl())
        CampoToolBarSetComponent(x);
}

// ---- the field box ----------------------------------------------------------------------------------

void TfmAnexo::cbCampoClick()
{
    TControl* x = CampoControl();
    if (!x)
        return;

    if (auto* sys = dynamic_cast<TKVSysData*>(x)) {
        const int item = cbCampo->currentIndex();
        const TKVSysDataType kind = item >= 0 && item < int(std::size(kSysDataItems)) ? kSysDataItems[item].Kind
                                                                                       : kvsPageNumber;
        WriteBackSingle(
            sys, &cbCampoEdit, [sys, kind](TControl*) { return sys->Data() != kind; },
            [sys, kind](TControl*) { sys->SetData(kind); });
        return;
    }

    auto* text = dynamic_cast<TKVDBText*>(x);
    auto* bar = dynamic_cast<TKVBarcode*>(x);
    if (bar && CampoFieldItem(cbCampo->currentText()) < 0) {
        // A text that names no field is the barcode's own value.
        const QString value = cbCampo->currentText();
        const bool changed = WriteBackSingle(
            bar, &cbCampoEdit,
            [bar, value](TControl*) { return bar->DataSet() || !bar->DataField().isEmpty() || bar->Bar_Text() != value; },
            [bar, value](TControl*) {
                bar->SetDataSet(nullptr);
                bar->SetDataField(QString());
                bar->SetBar_Text(value);
            });
        if (changed)
            ReloadCampoToolBar();
        return;
    }

    const int item = bar ? CampoFieldItem(cbCampo->currentText()) : cbCampo->currentIndex();
    // A list shows no item when the control's field is not in it (a closed data set lists none):
    // the user chose nothing, and leaving the box must not take the field away.
    if (item < 0 && !bar)
        return;
    const QString field = item >= 0 ? cbCampo->itemText(item) : QString();
    if (text) {
        TDataSet* serving = ServingDataSet(text);
        const bool changed = WriteBackSingle(
            text, &cbCampoEdit, [text, field](TControl*) { return text->DataField().compare(field, Qt::CaseInsensitive) != 0; },
            [this, text, bar, field, serving](TControl*) {
                if (bar) {
                    bar->SetBar_Text(QString());
                    bar->SetDataSet(serving);
                }
                // Another field is no longer the quantity: the text shows again, with no mask left
                // over from the role.
                if (TVardoRep* report = text->ParentReport(); report && report->CampoQuantidadeObjeto() == text) {
                    report->SetCampoQuantidadeObjeto(nullptr);
                    text->SetMask(QString());
                    text->SetTransparent(false);
                }
                text->SetDataField(field);
                cbCampoQtd->setChecked(false);
            });
        if (changed)
            ReloadCampoToolBar();
        return;
    }

    if (auto* picture = dynamic_cast<TKVDBImage*>(x)) {
        const bool changed = WriteBackSingle(
            picture, &cbCampoEdit,
            [picture, field](TControl*) { return picture->DataField().compare(field, Qt::CaseInsensitive) != 0; },
            [this, picture, field](TControl*) {
                picture->SetDataField(field);
                cbCampoQtd->setChecked(false);
            });
        if (changed)
            ReloadCampoToolBar();
    }
}

void TfmAnexo::cbCampoExit()
{
    // The edit ends however the application went.
    const auto end = qScopeGuard([this] { cbCampoEdit = 0; });
    cbCampoClick();
}

// Enter in a box acts as leaving it; every other key is the box's own.
void TfmAnexo::cbCampoKeyDown(unsigned short& key, TShiftState)
{
    if (key == VK_RETURN) {
        cbCampoExit();
        key = 0;
    }
}

namespace {

void EnterLeaves(QChar& key, const std::function<void()>& exit)
{
    if (key == QLatin1Char('\r')) {
        exit();
        key = QChar();
    }
}

} // namespace

void TfmAnexo::Mascara_AddOn58KeyPress(QChar& key) { EnterLeaves(key, [this] { Mascara_AddOn58Exit(); }); }

void TfmAnexo::edIncrementoKeyPress(QChar& key) { EnterLeaves(key, [this] { edIncrementoExit(); }); }

void TfmAnexo::EditTamanhoKeyPress(QChar& key) { EnterLeaves(key, [this] { EditTamanhoExit(); }); }

void TfmAnexo::EditAlturaKeyPress(QChar& key) { EnterLeaves(key, [this] { EditAlturaExit(); }); }

// ---- the mask, add-on or caption box -------------------------------------------------------------

void TfmAnexo::Mascara_AddOn58Exit()
{
    TControl* x = CampoControl();
    const QString value = Mascara_AddOn58->text();
    if (auto* bar = dynamic_cast<TKVBarcode*>(x)) {
        WriteBackSingle(
            bar, nullptr, [bar, value](TControl*) { return bar->Bar_CodeAddon() != value; },
            [bar, value](TControl*) { bar->SetBar_CodeAddon(value); });
        // The add-on keeps at most five digits: the box shows what was kept.
        Mascara_AddOn58->setText(bar->Bar_CodeAddon());
    } else if (auto* sys = dynamic_cast<TKVSysData*>(x)) {
        WriteBackSingle(
            sys, nullptr, [sys, value](TControl*) { return sys->GetText() != value; },
            [sys, value](TControl*) { sys->SetSysText(value); });
    } else if (auto* text = dynamic_cast<TKVDBText*>(x)) {
        WriteBackSingle(
            text, nullptr, [text, value](TControl*) { return text->Mask() != value; },
            [text, value](TControl*) { text->SetMask(value); });
    }
}

// ---- the quantity field ---------------------------------------------------------------------------

void TfmAnexo::cbCampoQtdClick()
{
    auto* text = dynamic_cast<TKVDBText*>(CampoControl());
    TVardoRep* report = text ? text->ParentReport() : nullptr;
    if (!report)
        return;
    const bool isQuantity = report->CampoQuantidadeObjeto() == text;
    if (cbCampoQtd->isChecked() && !isQuantity) {
        // Only a data text on a detail band can carry the role; the report refuses any other, and
        // then nothing is recorded or changed.
        if (dynamic_cast<TKVBarcode*>(text) || !IsDetailBand(text->Parent())) {
            cbCampoQtd->setChecked(false);
            return;
        }
        SaveUndoStep(1, text);
        report->SetCampoQuantidadeObjeto(text);
        text->SetTransparent(true);
        // The quantity prints as nothing, and a running number makes no sense on it.
        Mascara_AddOn58->setText(QStringLiteral(" "));
        Mascara_AddOn58Exit();
        udIncremento->SetPosition(0);
        edIncrementoExit();
        ReloadCampoToolBar();
        SetModified(true);
    } else if (!cbCampoQtd->isChecked() && isQuantity) {
        SaveUndoStep(1, text);
        report->SetCampoQuantidadeObjeto(nullptr);
        Mascara_AddOn58->setText(QString());
        Mascara_AddOn58Exit();
        text->SetTransparent(false);
        ReloadCampoToolBar();
        SetModified(true);
    }
}

// ---- numbering ------------------------------------------------------------------------------------

namespace {

void SetNumberingKind(TfmAnexo& form, TKVIncremento kind)
{
    auto* text = dynamic_cast<TKVDBText*>(form.CampoControl());
    if (!text)
        return;
    // The quantity field takes no numbering: the text would refuse it.
    const bool changed = form.WriteBackSingle(
        text, nullptr, [text, kind](TControl*) { return text->IncrementoType() != kind && !text->CampoQuantidade(); },
        [text, kind](TControl*) { text->SetIncrementoType(kind); }, TfmAnexo::TWriteBack{false, false});
    if (changed)
        form.ReloadCampoToolBar();
}

} // namespace

void TfmAnexo::rbIncrementoClick() { SetNumberingKind(*this, kvIncre); }

void TfmAnexo::rbDeslocamentoClick() { SetNumberingKind(*this, kvDesloca); }

void TfmAnexo::udIncrementoClick()
{
    auto* text = dynamic_cast<TKVDBText*>(CampoControl());
    if (!text)
        return;
    const int step = udIncremento->Position();
    const bool changed = WriteBackSingle(
        text, &udIncrementoEdit,
        [text, step](TControl*) { return step != text->IncrementoValue() && !(text->CampoQuantidade() && step != 0); },
        [text, step](TControl*) { text->SetIncrementoValue(step); });
    if (!changed)
        return;
    if (step == 0)
        ReloadCampoToolBar();
    try {
        if (text->IncrementoType() != kvNenhum && Document) {
            TAnexoRelatorio* document = Document;
            text->OnPrint = [document](TObject* sender, QString& value) { document->DBTextPrint(sender, value); };
        } else {
            text->OnPrint = nullptr;
        }
    } catch (...) {
        text->OnPrint = nullptr;
    }
}

void TfmAnexo::edIncrementoExit()
{
    const auto end = qScopeGuard([this] { udIncrementoEdit = 0; });
    udIncremento->PositionFromText();
    udIncrementoClick();
}

// ---- barcode settings -----------------------------------------------------------------------------

void TfmAnexo::TipoBarraClick()
{
    auto* bar = dynamic_cast<TKVBarcode*>(CampoControl());
    btCodeTypes type = EAN_8;
    if (!bar || !BarcodeTypeOfItem(TipoBarra->currentIndex(), type))
        return;
    const bool changed = WriteBackSingle(
        bar, &TipoBarraEdit, [bar, type](TControl*) { return bar->Bar_CodeType() != type; },
        [bar, type](TControl*) { bar->SetBar_CodeType(type); });
    // The add-on box follows the symbology.
    if (changed)
        ReloadCampoToolBar();
}

void TfmAnexo::TipoBarraExit()
{
    // The edit ends however the application went.
    const auto end = qScopeGuard([this] { TipoBarraEdit = 0; });
    TipoBarraClick();
}

void TfmAnexo::TamanhoClick()
{
    auto* bar = dynamic_cast<TKVBarcode*>(CampoControl());
    if (!bar)
        return;
    const auto size = static_cast<btCodeSizes>(std::clamp(Tamanho->Position(), 0, 9));
    WriteBackSingle(
        bar, &TamanhoEdit, [bar, size](TControl*) { return bar->Bar_ModuleWidth() != size; },
        [bar, size](TControl*) { bar->SetBar_ModuleWidth(size); });
}

void TfmAnexo::EditTamanhoExit()
{
    const auto end = qScopeGuard([this] { TamanhoEdit = 0; });
    Tamanho->PositionFromText();
    TamanhoClick();
}

void TfmAnexo::udAlturaClick()
{
    auto* bar = dynamic_cast<TKVBarcode*>(CampoControl());
    if (!bar)
        return;
    const int height = udAltura->Position();
    WriteBackSingle(
        bar, &udAlturaEdit, [bar, height](TControl*) { return bar->Bar_HeightPercent() != height; },
        [bar, height](TControl*) { bar->SetBar_HeightPercent(height); });
}

void TfmAnexo::EditAlturaExit()
{
    const auto end = qScopeGuard([this] { udAlturaEdit = 0; });
    udAltura->PositionFromText();
    udAlturaClick();
}

void TfmAnexo::NumerosVisiveisClick()
{
    auto* bar = dynamic_cast<TKVBarcode*>(CampoControl());
    if (!bar)
        return;
    const bool visible = NumerosVisiveis->isChecked();
    WriteBackSingle(
        bar, nullptr, [bar, visible](TControl*) { return bar->Bar_HumanReadable() != visible; },
        [bar, visible](TControl*) { bar->SetBar_HumanReadable(visible); });
}

} // namespace tessiv
