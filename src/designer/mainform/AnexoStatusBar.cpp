// The main form's status bar (where the selected or dragged control is and how big, the unit, the
// band, the hint), the zoom box of the command area, and the small operations that find the first
// band and the container new things go into.
#include "designer/surface/AnexoChild.h"
#include "designer/mainform/AnexoForm.h"
#include "designer/toolbars/HintParts.h"
#include "designer/surface/KVEtiqUtil.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVPrintable.h"
#include "engine/model/VardoRep.h"
#include "platform/controls/Messages.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlHost.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

#include <algorithm>
#include <cmath>

namespace tessiv {

namespace {

const QString kWidthFit = QStringLiteral("Largura");
const QString kHeightFit = QStringLiteral("Altura");
const QString kPageFit = QString::fromUtf8("Página");

QString Number(long double value) { return FormatFloat(QStringLiteral("0.00"), value); }

QString PairText(const QString& caption, long double x, long double y)
{
    return caption + Number(x) + QStringLiteral(" / ") + Number(y);
}

// The zoom box's keys and its loss of focus reach the form's handlers, as the box's own events.
// The box itself holds the focus and hands keys to its editor directly, past any filter there: the
// filter sits on the box.
class TZoomBoxFilter : public QObject {
public:
    explicit TZoomBoxFilter(TfmAnexo* form) : FForm(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            // Its own list opening, or another program taking the keyboard, is no leaving.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                Application().Guard([this] { FForm->cbZoomExit(); });
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* ke = static_cast<QKeyEvent*>(event);
        bool eaten = false;
        Application().Guard([&] {
            unsigned short key = VirtualKey(ke->key());
            FForm->cbZoomKeyDown(key, ShiftStateOf(ke->modifiers()));
            if (key == 0) {
                eaten = true;
                return;
            }
            QChar ch;
            if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter)
                ch = QLatin1Char('\r');
            else if (ke->key() == Qt::Key_Backspace)
                ch = QLatin1Char('\b');
            else if (!ke->text().isEmpty() && ke->text().at(0).isPrint())
                ch = ke->text().at(0);
            else
                return; // a key without a character (arrows, Delete, Home ...) edits as usual
            FForm->cbZoomKeyPress(ch);
            eaten = ch.isNull();
        });
        return eaten;
    }

private:
    TfmAnexo* FForm;
};

} // namespace

// ---- the status bar --------------------------------------------------------------------------

// The engine's character cell, so the status bar and the controls' stored sizes agree.
long double TfmAnexo::CharWidthUnit(long double fontSize) { return CharacterWidth(fontSize); }

long double TfmAnexo::CharHeightUnit(long double fontSize) { return CharacterHeight(fontSize); }

TUnitPair TfmAnexo::PixelsToUnits(TPoint pixels, bool round) const
{
    if (!Report || !Report->Page())
        return SetUnitPair(0, 0);
    // Pixels are taken at the report's zoom, as the engine's pixel unit takes them: a length on
    // the surface and the same length stored in a control give the same figure.
    const int ppi = std::max(Report->Page()->PPI(), 1);
    const long double zoom = std::max(Report->Zoom(), 1);
    const long double mmX = pixels.X * 25.4L / ppi * 100.0L / zoom;
    const long double mmY = pixels.Y * 25.4L / ppi * 100.0L / zoom;
    const int fontSize = std::abs(Report->Font()->Size());
    const long double s = fontSize == 0 ? 10.0L : fontSize; // a zero size has no cell: the engine's 10
    const TKVUnit units = Report->Units();
    TUnitPair result;
    switch (units) {
    case kvunMM:
        result = SetUnitPair(mmX, mmY);
        break;
    case kvunInches:
        result = SetUnitPair(mmX / 25.4L, mmY / 25.4L);
        break;
    case kvunPixels:
        result = SetUnitPair(pixels.X, pixels.Y);
        break;
    case kvunCharacters:
        result = SetUnitPair(mmX / CharWidthUnit(s), mmY / CharHeightUnit(s));
        break;
    case kvunNative:
        result = SetUnitPair(mmX * 10, mmY * 10);
        break;
    }
    if (round)
        result = SetUnitPair(RoundToUnit(units, result.X), RoundToUnit(units, result.Y));
    return result;
}

void TfmAnexo::SetStatusText(int panel, const QString& text)
{
    if (QLabel* label = StatusPanel(panel); label && label->text() != text)
        label->setText(text);
}

void TfmAnexo::UpdateStatusBar(TControl* control, const QString& letters, int x, int y)
{
    const QString up = letters.toUpper();
    const auto has = [&up](char letter) { return up.contains(QLatin1Char(letter)); };
    static const char kPanelLetters[] = {'P', 'T', 'U', 'M'};
    if (has('L')) {
        for (int panel = 0; panel < 4; ++panel)
            if (has(kPanelLetters[panel]))
                SetStatusText(panel, QString());
        return;
    }
    auto* printable = dynamic_cast<TKVPrintable*>(control);
    auto* band = printable ? nullptr : dynamic_cast<TKVCustomBand*>(control);
    if (Report) {
        const TKVUnit units = Report->Units();
        const bool snap = Report->SnapToGrid();
        // A barcode's size is its barcode's, never rounded to the grid.
        auto* barcode = dynamic_cast<TKVBarcode*>(printable);
        const bool alignSize = Report->Options().Contains(kvoAlinharTamanho) && !barcode;
        const auto sizeText = [&](long double w, long double h) {
            if (alignSize) {
                w = std::fabs(RoundToUnit(units, w));
                h = std::fabs(RoundToUnit(units, h));
            }
            return PairText(QStringLiteral("Tamanho: "), w, h);
        };
        if (up.contains(QStringLiteral("XY"))) {
            if (printable || band || !control) {
                if (has('P')) {
                    TPoint p{x, y};
                    if (printable && printable->Parent())
                        p = printable->Parent()->ScreenToClient(p);
                    else if (band)
                        p = band->ScreenToClient(p);
                    const TUnitPair pos = PixelsToUnits(p, snap);
                    SetStatusText(0, PairText(QString::fromUtf8("Posição: "), pos.X, pos.Y));
                }
                if (has('T')) {
                    TUnitPair size = PixelsToUnits({x, y}, false);
                    if (printable && printable->Size()) {
                        size.X += printable->Size()->Width();
                        size.Y += printable->Size()->Height();
                    } else if (band && band->Size()) {
                        size.X += band->Size()->Width();
                        size.Y += band->Size()->Height();
                    }
                    if (barcode) {
                        // A barcode takes its own size whatever is dragged: shown as it will be.
                        const TBarcodeLengths fitted = barcode->FittedSize(size.X, size.Y);
                        size = SetUnitPair(fitted.Width, fitted.Height);
                    }
                    SetStatusText(1, sizeText(size.X, size.Y));
                }
            }
        } else if (printable && printable->Size()) {
            const TKVPrintableSize* s = printable->Size();
            if (has('P')) {
                long double left = s->Left(), top = s->Top();
                if (snap) {
                    left = RoundToUnit(units, left);
                    top = RoundToUnit(units, top);
                }
                SetStatusText(0, PairText(QString::fromUtf8("Posição: "), left, top));
            }
            if (has('T'))
                SetStatusText(1, sizeText(s->Width(), s->Height()));
        } else if (band && band->Size()) {
            if (has('P'))
                SetStatusText(0, PairText(QString::fromUtf8("Posição: "), 0, 0));
            if (has('T'))
                SetStatusText(1, sizeText(band->Size()->Width(), band->Size()->Height()));
        }
    }
    if (has('U'))
        SetStatusText(2, GetUnitsName());
}

void TfmAnexo::UpdateCaptions()
{
    if (TfmAnexo_MDIChild* active = ActiveMDIChild(); active && active->Document)
        active->SetCaption(QFileInfo(active->Document->FileName()).fileName());
    SetCaption(QStringLiteral("Tessiv"));
}

TKVCustomBand* TfmAnexo::FirstBand() const
{
    if (!Report)
        return nullptr;
    const auto& bands = Report->BandList();
    return bands.empty() ? nullptr : bands.front();
}

TControl* TfmAnexo::CurrentContainer() const
{
    if (CurrentBand)
        return CurrentBand;
    if (TKVCustomBand* first = FirstBand())
        return first;
    return Report;
}

void TfmAnexo::EnableMainMenus(bool value)
{
    static const QStringList kMenus = {QStringLiteral("&Arquivo"), QStringLiteral("&Editar"),
                                       QStringLiteral("Configurar"), QStringLiteral("Aj&uda")};
    for (QAction* item : Window()->menuBar()->actions())
        if (item->menu() && kMenus.contains(item->text()))
            item->setEnabled(value);
}

void TfmAnexo::ApplicationHint()
{
    const QString hint = LongHint(Application().Hint());
    // "0" is the hint every new report carries: it shows nothing.
    SetStatusText(3, hint == QStringLiteral("0") ? QString() : hint);
}

// ---- the zoom box ----------------------------------------------------------------------------

void TfmAnexo::CreateStatusAndZoom()
{
    // The last panel (band, count, hint) takes the rest of the bar, at least 50 pixels.
    if (QLabel* last = StatusPanel(3)) {
        QStatusBar* bar = Window()->statusBar();
        bar->removeWidget(last);
        last->setMinimumWidth(50);
        last->setMaximumWidth(QWIDGETSIZE_MAX);
        bar->addWidget(last, 1);
        last->show();
    }
    cbZoom = new QComboBox(FTopPanel);
    cbZoom->setObjectName(QStringLiteral("cbZoom"));
    cbZoom->setEditable(true);
    cbZoom->setInsertPolicy(QComboBox::NoInsert);
    cbZoom->setFixedWidth(68);
    cbZoom->setToolTip(QStringLiteral("Zoom"));
    cbZoom->addItems({QStringLiteral("300"), QStringLiteral("250"), QStringLiteral("200"), QStringLiteral("150"),
                      QStringLiteral("100"), QStringLiteral("75"), QStringLiteral("50"), QStringLiteral("25"),
                      kWidthFit, kHeightFit, kPageFit});
    cbZoom->setEditText(QString());
    // What is typed is what is applied: no completion from the list ("30" would become "300").
    cbZoom->setCompleter(nullptr);
    // The command tool bar takes it in (CreateActions).
    // Both go with the filter, which the form frees before its window: a box that loses the
    // focus while the window goes reaches no handler.
    FZoomBoxFilter = std::make_unique<TZoomBoxFilter>(this);
    cbZoom->installEventFilter(FZoomBoxFilter.get());
    QObject::connect(cbZoom, &QComboBox::activated, FZoomBoxFilter.get(),
                     [this](int) { Application().Guard([this] { cbZoomClick(); }); });

    // The hint goes to the status bar for as long as the form's window lives.
    QPointer<QWidget> window = Window();
    Application().OnHint = [this, window](TObject*) {
        if (window)
            ApplicationHint();
    };
}

void TfmAnexo::cbZoomClick()
{
    // Leaving the box as the form closes applies nothing.
    if (!cbZoom || !Report || FClosing)
        return;
    const QString text = cbZoom->currentText();
    const int current = Report->Zoom();
    int zoom = current;
    if (text == kWidthFit || text == kHeightFit || text == kPageFit) {
        TfmAnexo_MDIChild* active = ActiveMDIChild();
        if (!active || current <= 0)
            return;
        // The window's outer size: its frame on the document area when it has one.
        const QWidget* outer = active->SubWindow() ? static_cast<QWidget*>(active->SubWindow()) : active->Window();
        const long double windowWidth = outer ? outer->width() : active->Width();
        const long double windowHeight = outer ? outer->height() : active->Height();
        // The page at zoom 100; an empty page or window has nothing to fit.
        const long double width100 = 100.0L / current * Report->Width();
        const long double height100 = 100.0L / current * Report->Height();
        const bool fitWidth = text != kHeightFit, fitHeight = text != kWidthFit;
        if ((fitWidth && (width100 <= 0 || windowWidth <= 0)) || (fitHeight && (height100 <= 0 || windowHeight <= 0)))
            return;
        const auto fit = [](long double window, long double page) {
            return static_cast<int>(std::clamp<long double>(Round(window / page * 95), 0, 100000));
        };
        if (text == kWidthFit)
            zoom = fit(windowWidth, width100);
        else if (text == kHeightFit)
            zoom = fit(windowHeight, height100);
        else
            zoom = std::min(fit(windowWidth, width100), fit(windowHeight, height100));
    } else {
        bool ok = false;
        const int typed = text.trimmed().toInt(&ok, 10);
        if (!ok)
            return; // not a number: the zoom stays
        zoom = std::max(typed, 25);
    }
    ApplyZoom(zoom);
}

void TfmAnexo::ApplyZoom(int zoom)
{
    const int before = Report->Zoom();
    if (zoom == before)
        return;
    Report->SetZoom(zoom);
    // The report refuses a zoom outside 1 to 300: nothing changed, nothing to save.
    if (Report->Zoom() == before)
        return;
    SetModified(true);
    if (TfmAnexo_MDIChild* active = ActiveMDIChild(); active && active->Report == Report)
        active->FitClientToReport();
    PlaceSelectionMarks();
}

void TfmAnexo::cbZoomExit() { cbZoomClick(); }

void TfmAnexo::cbZoomKeyPress(QChar& key)
{
    if (key == QLatin1Char('\r')) {
        cbZoomClick();
        key = QChar();
        return;
    }
    const bool digit = key >= QLatin1Char('0') && key <= QLatin1Char('9');
    if (!digit && key != QLatin1Char('\b'))
        key = QChar();
}

void TfmAnexo::cbZoomKeyDown(unsigned short& key, TShiftState shift)
{
    // With Ctrl or Alt the letter is a shortcut (Ctrl+A opens a file), not a fit.
    if (!cbZoom || shift.Contains(ssCtrl) || shift.Contains(ssAlt))
        return;
    QString choice;
    switch (key) {
    case 'L':
        choice = kWidthFit;
        break;
    case 'A':
        choice = kHeightFit;
        break;
    case 'P':
        choice = kPageFit;
        break;
    default:
        return;
    }
    cbZoom->setCurrentIndex(cbZoom->findText(choice));
    cbZoomClick();
}

} // namespace tessiv
