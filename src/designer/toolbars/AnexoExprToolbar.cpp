// The expression tool bar: the expression of an expression text, or the caption of a label, edited
// in one line, with the expression builder at hand for expressions. "(NADA)" stands for an empty
// text: the box shows it empty, and an empty box stores it. The SQL command of the Edit menu and
// the popup, which opens the SQL editor of the band concerned, lives here too.
#include "designer/mainform/AnexoForm.h"

#include "designer/surface/AnexoChild.h"
#include "designer/surface/KVDesigner.h"
#include "designer/dialogs/MyZTExprBuilder.h"
#include "designer/dialogs/ObsSql.h"
#include "designer/toolbars/ToolbarParts.h"
#include "designer/surface/Voltar.h"
#include "designer/surface/WaitCursor.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVColuna.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVItemsObs.h"
#include "engine/printables/KVLabel.h"
#include "engine/model/VardoRep.h"
#include "platform/data/DBTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/Help.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <memory>

namespace tessiv {

namespace {

const QString Nada = QStringLiteral("(NADA)");

// What an empty text is stored as, and what shows as an empty box.
bool IsNada(const QString& text)
{
    return text.isEmpty() || text == Nada;
}

// The text a box stores: blanks alone are no text.
QString StoredValue(const QString& boxText)
{
    return boxText.trimmed().isEmpty() ? Nada : boxText;
}

QString StoredText(const TControl* control)
{
    if (const auto* expr = dynamic_cast<const TKVExpr*>(control))
        return expr->Expression();
    if (const auto* label = dynamic_cast<const TKVLabel*>(control))
        return label->Caption();
    return QString();
}

void StoreText(TControl* control, const QString& text)
{
    if (auto* expr = dynamic_cast<TKVExpr*>(control))
        expr->SetExpression(text);
    else if (auto* label = dynamic_cast<TKVLabel*>(control))
        label->SetCaption(text);
}

// The expression box's keys and focus: Enter and Escape go to the key handler, leaving the box
// (not for a dialog the bar itself opened, nor for another window) applies it.
class TExprBoxFilter : public QObject {
public:
    explicit TExprBoxFilter(TfmAnexo* form) : QObject(form->EditExpr), FForm(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                FForm->EditExprExit();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            QChar ch;
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                ch = QChar(13);
            else if (key == Qt::Key_Escape)
                ch = QChar(27);
            if (!ch.isNull()) {
                FForm->ExpressionKeyPress(ch);
                return ch.isNull();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TfmAnexo* FForm;
};

// Small glyphs drawn for the bar's buttons.
enum class TExprGlyph { Ok, Cancel, Wizard, Up };

void PaintExprGlyph(QPainter& p, TExprGlyph kind)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case TExprGlyph::Ok:
        p.setPen(QPen(QColor(0, 128, 0), 2.2));
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    case TExprGlyph::Cancel:
        p.setPen(QPen(QColor(192, 0, 0), 2.2));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case TExprGlyph::Wizard: {
        QFont font = p.font();
        font.setItalic(true);
        font.setBold(true);
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(QColor(0, 0, 128));
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("fx"));
        break;
    }
    case TExprGlyph::Up:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 128));
        p.drawPolygon(QPolygonF({QPointF(8, 3), QPointF(13, 10), QPointF(3, 10)}));
        break;
    }
}

TSpeedButton* ExprButton(QWidget* panel, const char* name, const QString& hint, TExprGlyph glyph)
{
    return NewSpeedButton(panel, name, hint, DrawnGlyph([glyph](QPainter& p) { PaintExprGlyph(p, glyph); }));
}

} // namespace

// ---- building -------------------------------------------------------------------------------------

void TfmAnexo::BuildExprToolbar()
{
    QWidget* strip = NewRow(ExprToolbar, "ExprStrip", 0, 0, 0);
    strip->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    QHBoxLayout* row = RowOf(strip);

    paExprBu = NewPanel(strip, "paExprBu");
    OKButton = ExprButton(paExprBu, "OKButton", QStringLiteral("Confirma"), TExprGlyph::Ok);
    CancelButton = ExprButton(paExprBu, "CancelButton", QStringLiteral("Cancela"), TExprGlyph::Cancel);

    paFunction = NewPanel(strip, "paFunction");
    WizardButton = ExprButton(paFunction, "WizardButton", QString::fromUtf8("Expressão"), TExprGlyph::Wizard);

    // The box takes the bar's free width and keeps 4 pixels from its panel's right edge.
    paEdit = NewPanel(strip, "paEdit", 4);
    paEdit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    EditExpr = new QLineEdit(paEdit);
    EditExpr->setObjectName(QStringLiteral("EditExpr"));
    EditExpr->setMinimumWidth(320);
    EditExpr->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    paEdit->layout()->addWidget(EditExpr);

    // Panels the bar carries for group bands, which it is never given: never shown.
    paMoverAcima = NewPanel(strip, "paMoverAcima");
    sbMoverAcima = ExprButton(paMoverAcima, "sbMoverAcima", QStringLiteral("Mover Acima"), TExprGlyph::Up);
    paBandaRodape = NewPanel(strip, "paBandaRodape");
    cbBandaRodape = new QCheckBox(paBandaRodape);
    cbBandaRodape->setObjectName(QStringLiteral("cbBandaRodape"));
    paBandaRodape->layout()->addWidget(cbBandaRodape);
    paZeraValor = NewPanel(strip, "paZeraValor");
    ZeraImpressao = new QCheckBox(QString::fromUtf8("&Zera após impressão"), paZeraValor);
    ZeraImpressao->setObjectName(QStringLiteral("ZeraImpressao"));
    paZeraValor->layout()->addWidget(ZeraImpressao);

    for (QWidget* panel : {paExprBu, paFunction})
        row->addWidget(panel);
    row->addWidget(paEdit, 1);
    for (QWidget* panel : {paMoverAcima, paBandaRodape, paZeraValor}) {
        row->addWidget(panel);
        panel->hide();
    }
    ExprToolbar->addWidget(strip);

    OKButton->OnClick = Guarded([this] { OKButtonClick(); });
    CancelButton->OnClick = Guarded([this] { CancelButtonClick(); });
    WizardButton->OnClick = Guarded([this] { WizardButtonClick(); });
    sbMoverAcima->OnClick = Guarded([this] { sbMoverAcima2Click(); });
    EditExpr->installEventFilter(new TExprBoxFilter(this));

    ExprToolbar->OnSetComponent = [this](TComponent* value) { ExprToolbarSetComponent(value); };
}

TControl* TfmAnexo::ExprToolbarControl() const
{
    return ExprToolbar ? dynamic_cast<TControl*>(ExprToolbar->Component()) : nullptr;
}

// ---- loading ----------------------------------------------------------------------------------------

void TfmAnexo::ExprToolbarSetComponent(TComponent* value)
{
    auto* x = dynamic_cast<TControl*>(value);
    if (!x)
        return;
    SetHelpContext(EditExpr, 0);
    paZeraValor->hide();
    auto* expr = dynamic_cast<TKVExpr*>(x);
    auto* label = dynamic_cast<TKVLabel*>(x);
    paFunction->setVisible(expr != nullptr);
    paExprBu->setVisible(expr != nullptr);
    paBandaRodape->hide();
    paMoverAcima->hide();

    if (!expr && !label)
        return;
    EditExpr->setToolTip(expr ? QString::fromUtf8("Conteúdo da Expressão") : QString::fromUtf8("Conteúdo da Legenda"));
    SetHelpContext(EditExpr, 440);
    // An empty text is kept as "(NADA)" as it is shown, without an undo step: the control did not
    // change in the user's eyes.
    const QString text = StoredText(x);
    if (IsNada(text)) {
        if (text != Nada)
            StoreText(x, Nada);
        EditExpr->clear();
    } else {
        EditExpr->setText(text);
    }
    if (expr)
        ZeraImpressao->setChecked(expr->ResetAfterPrint());
}

// ---- the box ----------------------------------------------------------------------------------------

void TfmAnexo::OKButtonClick()
{
    TControl* x = ExprToolbarControl();
    if (!dynamic_cast<TKVExpr*>(x) && !dynamic_cast<TKVLabel*>(x))
        return;
    // Compared as it would be stored: an empty box over "(NADA)" changes nothing.
    const QString value = StoredValue(EditExpr->text());
    WriteBackSingle(
        x, nullptr, [value](TControl* c) { return StoredText(c) != value; },
        [value](TControl* c) { StoreText(c, value); });
}

void TfmAnexo::CancelButtonClick()
{
    TControl* x = ExprToolbarControl();
    if (dynamic_cast<TKVExpr*>(x) || dynamic_cast<TKVLabel*>(x))
        EditExpr->setText(StoredText(x));
}

void TfmAnexo::EditExprExit()
{
    OKButtonClick();
}

void TfmAnexo::ExpressionKeyPress(QChar& key)
{
    if (key == QChar(13)) {
        key = QChar();
        OKButtonClick();
    } else if (key == QChar(27)) {
        key = QChar();
        CancelButtonClick();
    }
}

// ---- the expression builder and the group command ------------------------------------------------

void TfmAnexo::WizardButtonClick()
{
    auto* expr = dynamic_cast<TKVExpr*>(ExprToolbarControl());
    if (!expr)
        return;
    TVardoRep* report = expr->ParentReport();
    QString text = EditExpr->text();
    if (!TMyZTExprBuilder::Execute(report, QString::fromUtf8("Expressão"), text, report ? report->Owner() : nullptr,
                                   Settings()))
        return;
    EditExpr->setText(text);
    OKButtonClick();
}

void TfmAnexo::sbMoverAcima2Click()
{
    // Moving up concerns a group band, and the command takes its control from this bar, which only
    // ever holds expressions and labels: there is nothing to move.
}

// ---- the SQL command --------------------------------------------------------------------------------

void TfmAnexo::ComandosSql2Click()
{
    TControl* selected = Designer ? Designer->Selected() : nullptr;
    auto* band = dynamic_cast<TKVCustomBand*>(selected);
    if (!band && selected)
        band = dynamic_cast<TKVCustomBand*>(selected->Parent());
    if (!band)
        return;

    TKVColunaSql* grid = dynamic_cast<TKVColunaSql*>(band);
    if (auto* cell = dynamic_cast<TKVColuna*>(band))
        grid = cell->Grid();
    auto* obs = dynamic_cast<TKVObs*>(band);
    TKVItensObs* area = obs ? obs->Area() : nullptr;
    if (!grid && !area)
        return;

    const std::unique_ptr<TfmObs_Sql, TComponentDeleter> form(new TfmObs_Sql(nullptr));
    const TWaitCursor wait;
    form->SetCaption(grid ? QStringLiteral("Editor do Sql dos itens coluna")
                          : QString::fromUtf8("Editor do Sql da observação dos itens"));
    SetHelpContext(form->Window(), 560);
    form->UseMainForm(this);
    if (grid)
        form->SetColunaSql(grid);
    else
        form->SetItensObs(area);
    if (form->ShowModal() != mrOk)
        return;
    SetModified(true);
    if (grid) {
        // The grid opens its query again, with the new SQL, when it next needs it.
        if (TQuery* query = grid->Col_DataSet())
            query->Close();
    } else if (Document) {
        QStringList fields;
        Document->BindObsFields(obs, area, &fields);
        if (cbObs_ListField) {
            cbObs_ListField->clear();
            cbObs_ListField->addItems(fields);
        }
    }
}

} // namespace tessiv
