#include "designer/dialogs/CfgPagina.h"

#include "designer/dialogs/DialogSupport.h"
#include "engine/model/KVBands.h"
#include "engine/export/KVExportFilterLibrary.h"
#include "engine/model/KVUtils.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "uisupport/FontComboBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFont>
#include <QFontInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <utility>

namespace tessiv {

TESSIV_IMPLEMENT_CLASS(TfmCfgPagina, TModalForm)

namespace {

const QString Section = QStringLiteral("PageSetup");
const QString LengthFormat = QStringLiteral("##0.00");
constexpr int PaperSizeCount = 28;
// Lengths past this many tenths of a millimetre (100 m) do not fit the design surface's pixels.
constexpr long double LargestNative = 1000000;

// The hidden bands group, in the order it is loaded and applied, with each kind's presence flag.
struct THiddenBand {
    TKVBandType Kind;
    int Flag;
};
constexpr THiddenBand HiddenBands[6] = {{rbPageHeader, 2}, {rbTitle, 1}, {rbColumnHeader, 3},
                                        {rbDetail, 4},     {rbSummary, 7}, {rbPageFooter, 6}};

QString FormatLength(long double value) { return FormatFloat(LengthFormat, value); }

// A box refused: its message is shown and it takes the focus.
class EBoxRefused : public Exception {
public:
    EBoxRefused(QWidget* box, const QString& message) : Exception(message), Box(box) {}
    QWidget* Box;
};

QToolButton* ArrowButton(QWidget* parent, Qt::ArrowType arrow)
{
    auto* b = new QToolButton(parent);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setFixedSize(18, 12);
    return b;
}

// An edit with its up and down buttons stacked beside it.
QWidget* Stepper(QWidget* parent, QLineEdit* edit, QToolButton* up, QToolButton* down)
{
    auto* w = new QWidget(parent);
    auto* h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(1);
    h->addWidget(edit);
    auto* v = new QVBoxLayout;
    v->setSpacing(0);
    v->addWidget(up);
    v->addWidget(down);
    h->addLayout(v);
    return w;
}

} // namespace

// The key filters of the boxes and what leaving a box does.
class TfmCfgPagina::TBoxFilter : public QObject {
public:
    explicit TBoxFilter(TfmCfgPagina* form) : QObject(form->Window()), FForm(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            // Only what is typed is filtered: keys that edit or move (Delete, arrows, Tab, Enter,
            // shortcuts) go on as they are.
            if (text.size() == 1 && text[0].isPrint() && !(key->modifiers() & Qt::ControlModifier)) {
                const QChar c = text[0];
                const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
                const auto* edit = qobject_cast<QLineEdit*>(watched);
                const bool separator = c == FormatSettings().DecimalSeparator && edit && FForm->IsLengthBox(edit);
                if (!digit && !separator)
                    return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // The window losing its activation (a message box, another program) is not the user
            // leaving the box: the box keeps its focus within the dialog.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            auto* edit = qobject_cast<QLineEdit*>(watched);
            if (edit && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                if (FForm->IsLengthBox(edit))
                    Application().Guard([this, edit] { FForm->LeaveLengthBox(edit); });
                else if (edit == FForm->Columns || edit == FForm->edNumLinha)
                    FForm->LeaveCountBox(edit);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TfmCfgPagina* FForm;
};

TfmCfgPagina::TfmCfgPagina(TComponent* owner) : TModalForm(owner)
{
    SetName(QStringLiteral("fmCfgPagina"));
    SetCaption(QStringLiteral("Setagem do Relatório"));
    SetBorderStyle(TFormBorderStyle::bsToolWindow);
    SetBorderIcons(TBorderIcons{biSystemMenu, biMaximize});
    BuildControls();
    // FormCreate: the paper names in size order, then sorted.
    for (int i = 0; i < PaperSizeCount; ++i)
        PaperSize->addItem(PaperSizeName(static_cast<TKVPaperSize>(i)));
    PaperSize->model()->sort(0);
    SetActiveControl(PaperSize);
}

TfmCfgPagina::~TfmCfgPagina() = default;

void TfmCfgPagina::BuildControls()
{
    QWidget* client = MakeDialogClient(*this, 459, 460);
    const auto edit = [client](const char* name, int maxLength) {
        auto* e = new QLineEdit(client);
        e->setObjectName(QLatin1String(name));
        e->setMaxLength(maxLength);
        e->setAlignment(Qt::AlignRight);
        return e;
    };
    const auto check = [client](const char* name, const QString& caption) {
        auto* c = new QCheckBox(caption, client);
        c->setObjectName(QLatin1String(name));
        return c;
    };
    const auto button = [this, client](const char* name, const QString& caption, int result,
                                       void (TfmCfgPagina::*handler)()) {
        QPushButton* b = MakeButton(client, caption, result, [this, handler] { (this->*handler)(); });
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    const auto radios = [client](const char* name, const QString& caption, const QStringList& items,
                                 QButtonGroup*& group) {
        auto* box = new QGroupBox(caption, client);
        box->setObjectName(QLatin1String(name));
        auto* layout = new QHBoxLayout(box);
        group = new QButtonGroup(box);
        for (int i = 0; i < items.size(); ++i) {
            auto* r = new QRadioButton(items[i], box);
            group->addButton(r, i);
            layout->addWidget(r);
        }
        group->button(0)->setChecked(true);
        return box;
    };

    // Lengths hold "##0.00" of up to a few thousand units; the counts a few digits: a box can
    // never hold a number that overflows what it is read into.
    PaperSize = new QComboBox(client);
    PaperSize->setObjectName(QStringLiteral("PaperSize"));
    PageWidth = edit("PageWidth", 12);
    PageLength = edit("PageLength", 12);
    OrientationCB = new QComboBox(client);
    OrientationCB->setObjectName(QStringLiteral("OrientationCB"));
    OrientationCB->addItems({QStringLiteral("Retrato"), QStringLiteral("Paisagem")});
    Topmargin = edit("Topmargin", 12);
    BottomMargin = edit("BottomMargin", 12);
    LeftMargin = edit("LeftMargin", 12);
    RightMargin = edit("RightMargin", 12);
    ColumnMargin = edit("ColumnMargin", 12);
    Columns = edit("Columns", 4);
    ColumnsUp = ArrowButton(client, Qt::UpArrow);
    ColumnsDown = ArrowButton(client, Qt::DownArrow);
    cbAlturaAutomatica = check("cbAlturaAutomatica", QStringLiteral("Altura Automática"));
    laNumLinha = new QLabel(QStringLiteral("Número de Linhas"), client);
    laNumLinha->setObjectName(QStringLiteral("laNumLinha"));
    edNumLinha = edit("edNumLinha", 4);
    sbUpNumLinha = ArrowButton(client, Qt::UpArrow);
    sbDownNumLinha = ArrowButton(client, Qt::DownArrow);
    Units = new QComboBox(client);
    Units->setObjectName(QStringLiteral("Units"));
    Units->addItems({QStringLiteral("Milímetros"), QStringLiteral("Polegadas"), QStringLiteral("Pontos"),
                     QStringLiteral("Caracteres"), QStringLiteral("Nativo")});
    FontName = new TFontComboBox(client);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->Reset();
    FontSize = new QComboBox(client);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setEditable(true);
    FontSize->setInsertPolicy(QComboBox::NoInsert);
    FontSize->lineEdit()->setMaxLength(3);
    FirstPageHeader = check("FirstPageHeader", QStringLiteral("Cabeçalho na primeira página"));
    LastPageFooter = check("LastPageFooter", QStringLiteral("Rodapé na última página"));
    cbTermica = check("cbTermica", QStringLiteral("Impressora de Termo-transferencia"));
    rbTipoTermica = radios("rbTipoTermica", QStringLiteral(" Tipo Impressão Térmica ( Quantidade )"),
                           {QStringLiteral("Exata"), QStringLiteral("Múltiplo Colunas")}, TipoTermica);
    rgFrenteVerso = radios("rgFrenteVerso", QStringLiteral("Tipo de Impressão"),
                           {QStringLiteral("Frente"), QStringLiteral("Verso")}, FrenteVerso);
    cbAlinharPosAoGrid = check("cbAlinharPosAoGrid", QStringLiteral("Posição"));
    cbAlinharTamAoGrid = check("cbAlinharTamAoGrid", QStringLiteral("Tamanho"));
    PageFrameTop = check("PageFrameTop", QStringLiteral("Superior"));
    PageFrameBottom = check("PageFrameBottom", QStringLiteral("Inferior"));
    PageFrameLeft = check("PageFrameLeft", QStringLiteral("Esquerda"));
    PageFrameRight = check("PageFrameRight", QStringLiteral("Direita"));
    FrameColor = new QFrame(client);
    FrameColor->setObjectName(QStringLiteral("FrameColor"));
    FrameColor->setFrameShape(QFrame::Box);
    FrameColor->setFixedSize(32, 18);
    FrameColor->setAutoFillBackground(true);
    ColorButton = button("ColorButton", QStringLiteral("Altera"), mrNone, &TfmCfgPagina::ColorButtonClick);
    PageFramePenWidth = edit("PageFramePenWidth", 2);
    PenWidthUp = ArrowButton(client, Qt::UpArrow);
    PenWidthDown = ArrowButton(client, Qt::DownArrow);
    buImp = button("buImp", QStringLiteral("&Impressora"), mrNone, &TfmCfgPagina::buImpClick);
    Preview = button("Preview", QStringLiteral("&Visualizar"), mrNone, &TfmCfgPagina::PreviewClick);
    Apply1 = button("Apply1", QStringLiteral("&Aplicar"), mrNone, &TfmCfgPagina::Apply1Click);
    OK1 = button("OK1", QStringLiteral("&OK"), mrNone, &TfmCfgPagina::OK1Click);
    OK1->setDefault(true);
    Cancel1 = button("Cancel1", QStringLiteral("Cancela"), mrCancel, &TfmCfgPagina::Cancel1Click);

    // The hidden group carries the standard bands' presence and heights through a load and an
    // apply; it is never shown.
    Faixas = new QGroupBox(QStringLiteral("Faixas"), client);
    Faixas->setObjectName(QStringLiteral("Faixas"));
    auto* faixas = new QGridLayout(Faixas);
    for (int i = 0; i < 6; ++i) {
        BandPresent[i] = new QCheckBox(Faixas);
        BandHeight[i] = new QLineEdit(Faixas);
        faixas->addWidget(BandPresent[i], i, 0);
        faixas->addWidget(BandHeight[i], i, 1);
    }
    Faixas->setEnabled(false);
    Faixas->hide();

    // ---- layout ----
    const auto label = [client](const QString& caption, QWidget* buddy) {
        auto* l = new QLabel(caption, client);
        l->setBuddy(buddy);
        return l;
    };
    // A box of fields one a row, each with its caption at its left.
    const auto captionedRows = [&label](QGroupBox* box,
                                        std::initializer_list<std::pair<QString, QWidget*>> rows) {
        auto* grid = new QGridLayout(box);
        int row = 0;
        for (const auto& [caption, field] : rows) {
            grid->addWidget(label(caption, field), row, 0);
            grid->addWidget(field, row++, 1);
        }
    };
    auto* paper = new QGroupBox(QStringLiteral("Papel"), client);
    auto* pl = new QGridLayout(paper);
    pl->addWidget(PaperSize, 0, 0, 1, 4);
    pl->addWidget(label(QStringLiteral("Largura"), PageWidth), 1, 0);
    pl->addWidget(PageWidth, 1, 1);
    pl->addWidget(label(QStringLiteral("Altura"), PageLength), 1, 2);
    pl->addWidget(PageLength, 1, 3);
    pl->addWidget(label(QStringLiteral("Orientação"), OrientationCB), 2, 0);
    pl->addWidget(OrientationCB, 2, 1, 1, 3);

    auto* margins = new QGroupBox(QStringLiteral("Margem"), client);
    captionedRows(margins, {{QStringLiteral("Superior"), Topmargin},
                            {QStringLiteral("Inferior"), BottomMargin},
                            {QStringLiteral("Esquerda"), LeftMargin},
                            {QStringLiteral("Direita"), RightMargin}});

    auto* columns = new QGroupBox(QStringLiteral("Colunas e linhas"), client);
    auto* cl = new QGridLayout(columns);
    cl->addWidget(label(QStringLiteral("Número de Colunas"), Columns), 0, 0);
    cl->addWidget(Stepper(client, Columns, ColumnsUp, ColumnsDown), 0, 1);
    cl->addWidget(label(QStringLiteral("Espaço entre Colunas"), ColumnMargin), 1, 0);
    cl->addWidget(ColumnMargin, 1, 1);
    cl->addWidget(cbAlturaAutomatica, 2, 0, 1, 2);
    cl->addWidget(laNumLinha, 3, 0);
    cl->addWidget(Stepper(client, edNumLinha, sbUpNumLinha, sbDownNumLinha), 3, 1);

    auto* report = new QGroupBox(QStringLiteral("Relatório"), client);
    captionedRows(report, {{QStringLiteral("Unidade"), Units},
                           {QStringLiteral("Fonte"), FontName},
                           {QStringLiteral("Tamanho"), FontSize}});

    auto* frame = new QGroupBox(QStringLiteral("Borda da página"), client);
    auto* fl = new QGridLayout(frame);
    fl->addWidget(PageFrameTop, 0, 0);
    fl->addWidget(PageFrameBottom, 0, 1);
    fl->addWidget(PageFrameLeft, 1, 0);
    fl->addWidget(PageFrameRight, 1, 1);
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(label(QStringLiteral("Cor"), ColorButton));
    colourRow->addWidget(FrameColor);
    colourRow->addWidget(ColorButton);
    fl->addLayout(colourRow, 2, 0, 1, 2);
    fl->addWidget(label(QStringLiteral("Largura borda"), PageFramePenWidth), 3, 0);
    fl->addWidget(Stepper(client, PageFramePenWidth, PenWidthUp, PenWidthDown), 3, 1);

    auto* grid = new QGroupBox(QStringLiteral("Alinhamento automático ao grid"), client);
    auto* gl = new QHBoxLayout(grid);
    gl->addWidget(cbAlinharPosAoGrid);
    gl->addWidget(cbAlinharTamAoGrid);

    auto* right = new QVBoxLayout;
    right->addWidget(grid);
    right->addWidget(rgFrenteVerso);
    right->addWidget(FirstPageHeader);
    right->addWidget(LastPageFooter);
    right->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(buImp);
    buttons->addWidget(Preview);
    buttons->addStretch();
    buttons->addWidget(Apply1);
    buttons->addWidget(OK1);
    buttons->addWidget(Cancel1);

    auto* layout = new QGridLayout(client);
    layout->addWidget(paper, 0, 0);
    layout->addWidget(margins, 0, 1);
    layout->addWidget(columns, 1, 0);
    layout->addWidget(report, 1, 1);
    layout->addWidget(frame, 2, 0);
    layout->addLayout(right, 2, 1);
    layout->addWidget(cbTermica, 3, 0);
    layout->addWidget(rbTipoTermica, 4, 0, 1, 2);
    layout->addLayout(buttons, 5, 0, 1, 2);
    layout->addWidget(Faixas, 6, 0, 1, 2);
    FitDialogToContents(*this);

    // ---- behaviour ----
    FFilter = new TBoxFilter(this);
    for (QLineEdit* e : {Topmargin, BottomMargin, LeftMargin, RightMargin, ColumnMargin, PageWidth, PageLength,
                         Columns, edNumLinha, PageFramePenWidth, FontSize->lineEdit()})
        e->installEventFilter(FFilter);
    new TDialogKeys(*this, OK1, Cancel1);

    const auto step = [this](QToolButton* b, QLineEdit* e, int delta, int floor) {
        QObject::connect(b, &QToolButton::clicked, Window(), [e, delta, floor] { StepEdit(e, delta, floor); });
    };
    step(ColumnsUp, Columns, 1, 1);
    step(ColumnsDown, Columns, -1, 1);
    step(sbUpNumLinha, edNumLinha, 1, 1);
    step(sbDownNumLinha, edNumLinha, -1, 1);
    step(PenWidthUp, PageFramePenWidth, 1, 0);
    step(PenWidthDown, PageFramePenWidth, -1, 0);
    QObject::connect(cbTermica, &QCheckBox::toggled, Window(), [this] { UpdateThermalState(); });
    QObject::connect(cbAlturaAutomatica, &QCheckBox::toggled, Window(), [this] { UpdateRowsState(); });
    UpdateThermalState();
    UpdateRowsState();
    SetFrameShapeColor(clBlack);
}

int TfmCfgPagina::Execute(TIniFile* settings, TVardoRep* report, const TCfgPaginaHooks& hooks)
{
    std::unique_ptr<TfmCfgPagina, TComponentDeleter> form(new TfmCfgPagina(nullptr));
    form->SetSettings(settings);
    form->SetHooks(hooks);
    form->SetHeaderOptionsEnabled(false);
    form->SetReport(report);
    return form->ShowModal();
}

void TfmCfgPagina::SetReport(TVardoRep* report)
{
    FReport = report;
    if (FReport)
        LoadFromReport();
}

void TfmCfgPagina::SetHeaderOptionsEnabled(bool enabled)
{
    FirstPageHeader->setEnabled(enabled);
    LastPageFooter->setEnabled(enabled);
}

void TfmCfgPagina::SetFrameShapeColor(TColor color)
{
    FFrameColor = color;
    QPalette palette = FrameColor->palette();
    palette.setColor(QPalette::Window, ColorToQColor(color));
    FrameColor->setPalette(palette);
}

bool TfmCfgPagina::IsLengthBox(const QLineEdit* edit) const
{
    return edit == PageWidth || edit == PageLength || edit == Topmargin || edit == BottomMargin ||
           edit == LeftMargin || edit == RightMargin || edit == ColumnMargin;
}

void TfmCfgPagina::UpdateThermalState() { rbTipoTermica->setEnabled(cbTermica->isChecked()); }

void TfmCfgPagina::UpdateRowsState()
{
    const bool on = cbAlturaAutomatica->isChecked();
    laNumLinha->setEnabled(on);
    edNumLinha->setEnabled(on);
    sbUpNumLinha->setEnabled(on);
    sbDownNumLinha->setEnabled(on);
}

void TfmCfgPagina::LeaveLengthBox(QLineEdit* edit)
{
    if (edit->text().trimmed().isEmpty()) {
        edit->setText(FormatLength(0));
        return;
    }
    // Not a number: the conversion error reaches the user and the text stays for mending.
    edit->setText(FormatLength(StrToFloat(edit->text())));
}

void TfmCfgPagina::LeaveCountBox(QLineEdit* edit)
{
    if (edit->text().trimmed().isEmpty())
        edit->setText(QStringLiteral("1"));
}

void TfmCfgPagina::StepEdit(QLineEdit* edit, int step, int floor)
{
    int value = 0;
    if (!TryStrToInt(edit->text(), value))
        return;
    const long long next = static_cast<long long>(value) + step;
    // The box holds at most maxLength digits: a step past that would not show.
    const QString text = QString::number(next);
    if (next >= floor && text.size() <= edit->maxLength())
        edit->setText(text);
}

bool TfmCfgPagina::Changed(const QLineEdit* edit) const { return FLoadedText.value(edit) != edit->text(); }

void TfmCfgPagina::Remember(const QLineEdit* edit) { FLoadedText.insert(edit, edit->text()); }

void TfmCfgPagina::LoadFromReport()
{
    if (!FReport)
        return;
    const TKVPage* page = FReport->Page();
    // 1. Paper, page lengths, orientation, columns and rows.
    PaperSize->setCurrentIndex(PaperSize->findText(PaperSizeName(page->PaperSize())));
    PageWidth->setText(FormatLength(page->Width()));
    PageLength->setText(FormatLength(page->Length()));
    Topmargin->setText(FormatLength(page->TopMargin()));
    BottomMargin->setText(FormatLength(page->BottomMargin()));
    LeftMargin->setText(FormatLength(page->LeftMargin()));
    RightMargin->setText(FormatLength(page->RightMargin()));
    ColumnMargin->setText(FormatLength(page->ColumnSpace()));
    OrientationCB->setCurrentIndex(page->Orientation() == TPrinterOrientation::poPortrait ? 0 : 1);
    Columns->setText(QString::number(page->Columns()));
    edNumLinha->setText(QString::number(page->Lines()));
    cbAlturaAutomatica->setChecked(page->AutomaticLines());
    // 2. Font.
    FontName->SetFontName(FReport->Font()->Name());
    // A name the system knows only through a substitute ("Arial") shows the font that stands in
    // for it; the report keeps its own name unless another font is chosen.
    if (FontName->FontName().isEmpty())
        FontName->SetFontName(QFontInfo(QFont(FReport->Font()->Name())).family());
    TStringList sizes;
    FillFontSizes(sizes);
    FontSize->clear();
    for (int i = 0; i < sizes.Count(); ++i)
        FontSize->addItem(sizes[i]);
    FontSize->setEditText(QString::number(FReport->Font()->Size()));
    // 3. Grid, thermal printing, front or back.
    cbAlinharPosAoGrid->setChecked(FReport->SnapToGrid());
    const TVardoReportOptions options = FReport->Options();
    cbTermica->setChecked(options.Contains(kvoImpressoraTermica));
    UpdateThermalState();
    TipoTermica->button(FReport->TipoImpressaoTermica() == kvtiMultiplo ? 1 : 0)->setChecked(true);
    cbAlinharTamAoGrid->setChecked(options.Contains(kvoAlinharTamanho));
    FrenteVerso->button(options.Contains(kvoImprimeVerso) ? 1 : 0)->setChecked(true);
    // 4. Frame.
    const TKVFrame* frame = FReport->Frame();
    PageFrameTop->setChecked(frame->DrawTop());
    PageFrameBottom->setChecked(frame->DrawBottom());
    PageFrameLeft->setChecked(frame->DrawLeft());
    PageFrameRight->setChecked(frame->DrawRight());
    SetFrameShapeColor(frame->Color());
    PageFramePenWidth->setText(QString::number(frame->Width()));
    // 5. Unit.
    Units->setCurrentIndex(static_cast<int>(FReport->Units()));
    // 6. The hidden bands group.
    for (int i = 0; i < 6; ++i) {
        const bool present = FReport->Bands()->GetBand(HiddenBands[i].Flag);
        BandPresent[i]->setChecked(present);
        const TKVCustomBand* band = present ? FReport->FirstBandOfKind(HiddenBands[i].Kind) : nullptr;
        BandHeight[i]->setText(band ? FormatLength(band->Size()->Height()) : QString());
    }
    // 7. Header and footer options.
    FirstPageHeader->setChecked(options.Contains(kvoFirstPageHeader));
    LastPageFooter->setChecked(options.Contains(kvoLastPageFooter));
    UpdateRowsState();

    FLoadedText.clear();
    for (const QLineEdit* e : {PageWidth, PageLength, Topmargin, BottomMargin, LeftMargin, RightMargin, ColumnMargin,
                               Columns, edNumLinha, PageFramePenWidth})
        Remember(e);
    for (const QLineEdit* e : BandHeight)
        Remember(e);
    FLoadedPaper = PaperSize->currentText();
    FLoadedOrientation = OrientationCB->currentIndex();
    FLoadedFontName = FontName->FontName();
    FLoadedFontSize = FontSize->currentText();
    FLoadedUnits = Units->currentIndex();
    FLoadedColor = FFrameColor;
    for (int i = 0; i < 6; ++i)
        FLoadedBandPresent[i] = BandPresent[i]->isChecked();
}

bool TfmCfgPagina::ApplyToReport()
{
    // Without a report there is nothing to write, and nothing refused.
    if (!FReport)
        return true;
    TKVPage* page = FReport->Page();
    const TKVUnit units = FReport->Units();

    // Every box is read and checked before anything is written.
    const auto length = [&](QLineEdit* edit, bool horizontal, bool positive) -> long double {
        const QString text = edit->text().trimmed().isEmpty() ? FormatLength(0) : edit->text();
        long double value = 0;
        if (!TryStrToFloat(text, value)) {
            try {
                StrToFloat(text);
            } catch (const EConvertError& e) {
                throw EBoxRefused(edit, e.Message());
            }
        }
        if (!std::isfinite(static_cast<double>(value)) || value < 0 || (positive && value <= 0))
            throw EBoxRefused(edit, positive ? QStringLiteral("Informe um valor maior que zero.")
                                             : QStringLiteral("Informe um valor que não seja negativo."));
        if (page->ToNative(units, horizontal, value) > LargestNative)
            throw EBoxRefused(edit, QStringLiteral("O valor %1 é grande demais.").arg(text));
        return value;
    };
    const auto integer = [](QLineEdit* edit, int floor) {
        int value = 0;
        if (!TryStrToInt(edit->text(), value)) {
            try {
                StrToInt(edit->text());
            } catch (const EConvertError& e) {
                throw EBoxRefused(edit, e.Message());
            }
            throw EBoxRefused(edit, QStringLiteral("'%1' is not a valid integer value").arg(edit->text()));
        }
        if (value < floor)
            throw EBoxRefused(edit, floor > 0 ? QStringLiteral("Informe um valor maior que zero.")
                                              : QStringLiteral("Informe um valor que não seja negativo."));
        return value;
    };

    struct TLengthBox {
        QLineEdit* Edit;
        int Index;
        bool Horizontal;
        long double Value = 0;
    };
    std::array<TLengthBox, 7> lengths{{{Topmargin, TKVPage::kvTopMargin, false},
                                       {BottomMargin, TKVPage::kvBottomMargin, false},
                                       {LeftMargin, TKVPage::kvLeftMargin, true},
                                       {RightMargin, TKVPage::kvRightMargin, true},
                                       {ColumnMargin, TKVPage::kvColumnSpace, true},
                                       {PageWidth, TKVPage::kvWidth, true},
                                       {PageLength, TKVPage::kvLength, false}}};
    int columns = 0, lines = 0, penWidth = 0, fontSize = 0;
    std::array<long double, 6> bandHeights{};
    // The page's width and length count only on a custom paper, where they must not be 0.
    TKVPaperSize paper = page->PaperSize();
    if (PaperSize->currentText() != FLoadedPaper)
        for (int i = 0; i < PaperSizeCount; ++i)
            if (PaperSizeName(static_cast<TKVPaperSize>(i)) == PaperSize->currentText()) {
                paper = static_cast<TKVPaperSize>(i);
                break;
            }
    const bool custom = paper == TKVPaperSize::Custom;
    try {
        for (TLengthBox& box : lengths) {
            const bool pageSize = box.Index == TKVPage::kvWidth || box.Index == TKVPage::kvLength;
            if (Changed(box.Edit) && (!pageSize || custom))
                box.Value = length(box.Edit, box.Horizontal, pageSize);
        }
        if (Changed(Columns))
            columns = integer(Columns, 1);
        if (Changed(edNumLinha))
            lines = integer(edNumLinha, 1);
        if (Changed(PageFramePenWidth))
            penWidth = integer(PageFramePenWidth, 0);
        if (FontSize->currentText() != FLoadedFontSize)
            fontSize = integer(FontSize->lineEdit(), 1);
        for (int i = 0; i < 6; ++i)
            if (Changed(BandHeight[i]) && !BandHeight[i]->text().isEmpty())
                bandHeights[i] = length(BandHeight[i], false, true);
        CheckRoomOnPage(paper, [&lengths](int index) -> const long double* {
            for (const TLengthBox& box : lengths)
                if (box.Index == index)
                    return &box.Value;
            return nullptr;
        }, Changed(Columns) ? columns : page->Columns());
    } catch (const EBoxRefused& refused) {
        refused.Box->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(refused.Box))
            edit->selectAll();
        Application().ShowException(refused);
        return false;
    }

    // 1. The options the dialog shows are rebuilt from the boxes; the others stay.
    TVardoReportOptions options = FReport->Options();
    const auto option = [&options](TVardoReportOption o, bool on) {
        if (on)
            options += o;
        else
            options -= o;
    };
    // 2. Paper size, then the custom page's width and length.
    if (paper != page->PaperSize())
        page->SetPaperSize(paper);
    // 3. Orientation, margins, column space, columns, rows.
    if (OrientationCB->currentIndex() != FLoadedOrientation)
        page->SetOrientation(OrientationCB->currentIndex() == 1 ? TPrinterOrientation::poLandscape
                                                               : TPrinterOrientation::poPortrait);
    for (const TLengthBox& box : lengths) {
        const bool pageSize = box.Index == TKVPage::kvWidth || box.Index == TKVPage::kvLength;
        if (Changed(box.Edit) && (!pageSize || custom))
            page->SetValue(box.Index, box.Value);
    }
    if (Changed(Columns))
        page->SetColumns(columns);
    if (Changed(edNumLinha))
        page->SetLines(lines);
    page->SetAutomaticLines(cbAlturaAutomatica->isChecked());
    // 4. Font.
    if (!FontName->FontName().isEmpty() && FontName->FontName() != FLoadedFontName)
        FReport->Font()->SetName(FontName->FontName());
    if (FontSize->currentText() != FLoadedFontSize)
        FReport->Font()->SetSize(fontSize);
    // 5. Grid, thermal printing, front or back.
    FReport->SetSnapToGrid(cbAlinharPosAoGrid->isChecked());
    option(kvoImpressoraTermica, cbTermica->isChecked());
    FReport->SetTipoImpressaoTermica(TipoTermica->checkedId() == 1 ? kvtiMultiplo : kvtiQtdExata);
    option(kvoAlinharTamanho, cbAlinharTamAoGrid->isChecked());
    option(kvoImprimeVerso, FrenteVerso->checkedId() == 1);
    // 6. Frame.
    TKVFrame* frame = FReport->Frame();
    frame->SetDrawTop(PageFrameTop->isChecked());
    frame->SetDrawBottom(PageFrameBottom->isChecked());
    frame->SetDrawLeft(PageFrameLeft->isChecked());
    frame->SetDrawRight(PageFrameRight->isChecked());
    if (FFrameColor != FLoadedColor)
        frame->SetColor(FFrameColor);
    if (Changed(PageFramePenWidth))
        frame->SetWidth(penWidth);
    // 7. The hidden bands: presence and height only where they differ from what was loaded (they
    // never do while the group stays hidden, so a band made or removed meanwhile stays so).
    for (int i = 0; i < 6; ++i) {
        if (BandPresent[i]->isChecked() != FLoadedBandPresent[i])
            FReport->Bands()->SetBand(HiddenBands[i].Flag, BandPresent[i]->isChecked());
        if (BandPresent[i]->isChecked() && Changed(BandHeight[i]) && !BandHeight[i]->text().isEmpty())
            if (TKVCustomBand* band = FReport->FirstBandOfKind(HiddenBands[i].Kind))
                band->Size()->SetHeight(bandHeights[i]);
    }
    // 8. The unit, last: every length above was read in the unit the boxes were loaded in.
    if (Units->currentIndex() != FLoadedUnits && Units->currentIndex() >= 0)
        FReport->SetUnits(static_cast<TKVUnit>(Units->currentIndex()));
    // 9. Header and footer options.
    option(kvoFirstPageHeader, FirstPageHeader->isChecked());
    option(kvoLastPageFooter, LastPageFooter->isChecked());
    FReport->SetOptions(options);
    // 10. The designer's handles follow a control the page change moved.
    if (FHooks.RefreshHandles)
        FHooks.RefreshHandles();
    return true;
}

void TfmCfgPagina::CheckRoomOnPage(TKVPaperSize paper, const std::function<const long double*(int)>& typed,
                                   int columns) const
{
    const TKVPage* page = FReport->Page();
    const TKVUnit units = FReport->Units();
    const bool landscape = OrientationCB->currentIndex() == 1;
    // Every length in tenths of a millimetre as the report will hold it after the apply.
    const auto value = [&](QLineEdit* edit, int index, bool horizontal) {
        return Changed(edit) && typed(index) ? page->ToNative(units, horizontal, *typed(index))
                                             : page->NativeValue(index);
    };
    long double width = page->NativeValue(TKVPage::kvWidth);
    long double length = page->NativeValue(TKVPage::kvLength);
    const bool standard = paper != TKVPaperSize::Default && paper != TKVPaperSize::Custom;
    if (standard && (paper != page->PaperSize() || OrientationCB->currentIndex() != FLoadedOrientation)) {
        width = page->ToNative(kvunMM, true, landscape ? PaperLengthMM(paper) : PaperWidthMM(paper));
        length = page->ToNative(kvunMM, false, landscape ? PaperWidthMM(paper) : PaperLengthMM(paper));
    } else if (paper == TKVPaperSize::Custom) {
        width = value(PageWidth, TKVPage::kvWidth, true);
        length = value(PageLength, TKVPage::kvLength, false);
    }
    // Only what the user changed is judged: a report that came so from its file is not refused
    // for boxes nobody touched.
    const bool across = Changed(LeftMargin) || Changed(RightMargin) || Changed(ColumnMargin) || Changed(Columns) ||
                        Changed(PageWidth) || paper != page->PaperSize() ||
                        OrientationCB->currentIndex() != FLoadedOrientation;
    const bool down = Changed(Topmargin) || Changed(BottomMargin) || Changed(PageLength) ||
                      paper != page->PaperSize() || OrientationCB->currentIndex() != FLoadedOrientation;
    const long double used = value(LeftMargin, TKVPage::kvLeftMargin, true) +
                             value(RightMargin, TKVPage::kvRightMargin, true) +
                             (columns - 1) * value(ColumnMargin, TKVPage::kvColumnSpace, true);
    if (across && used >= width)
        throw EBoxRefused(LeftMargin,
                          QStringLiteral("As margens e o espaço entre colunas não deixam lugar na página."));
    if (down && value(Topmargin, TKVPage::kvTopMargin, false) + value(BottomMargin, TKVPage::kvBottomMargin, false) >=
                    length)
        throw EBoxRefused(Topmargin, QStringLiteral("As margens superior e inferior não deixam lugar na página."));
}

void TfmCfgPagina::OK1Click()
{
    // A refused box keeps the dialog open.
    if (!ApplyToReport()) {
        SetModalResult(mrNone);
        return;
    }
    if (FHooks.Modified)
        FHooks.Modified();
    SetModalResult(mrOk);
}

void TfmCfgPagina::Apply1Click()
{
    if (!ApplyToReport())
        return;
    LoadFromReport();
    if (FHooks.Modified)
        FHooks.Modified();
}

void TfmCfgPagina::Cancel1Click() { SetModalResult(mrCancel); }

void TfmCfgPagina::PreviewClick()
{
    if (FHooks.Preview)
        FHooks.Preview();
}

void TfmCfgPagina::buImpClick()
{
    if (FReport)
        FReport->PrinterSetup();
}

void TfmCfgPagina::ColorButtonClick()
{
    TColorDialog dialog(nullptr);
    dialog.Color = FFrameColor;
    if (dialog.Execute(Window()))
        SetFrameShapeColor(dialog.Color);
}

void TfmCfgPagina::FormShow() { RestoreDialogPosition(*this, FSettings, Section); }

void TfmCfgPagina::FormClose() { SaveDialogPosition(*this, FSettings, Section); }

} // namespace tessiv
