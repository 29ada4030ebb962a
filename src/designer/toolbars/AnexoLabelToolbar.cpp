// The label tool bar: the text appearance of the selected text, barcode or band (font, size,
// styles, alignment, frame lines, rotation, colours, transparency, sizing, word wrap, the footer
// fill) and the barcode's font scale, edited on the live controls. It serves one control (the bar's
// Component) or the whole multi-selection of texts and barcodes. Every change goes through the
// write-back rule, and a value that changes nothing records no undo step and leaves the modified
// mark alone. The picture-mode handlers that the image and field bars share live here too.
#include "designer/mainform/AnexoForm.h"

#include "designer/surface/KVDesigner.h"
#include "designer/surface/KVEtiqUtil.h"
#include "designer/toolbars/ToolbarParts.h"
#include "engine/model/KVBands.h"
#include "engine/printables/KVBarcode.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVDBText.h"
#include "engine/printables/KVExpr.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVLabel.h"
#include "engine/printables/KVSysData.h"
#include "platform/controls/Messages.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/Help.h"
#include "uisupport/FontComboBox.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"
#include "uisupport/UpDown.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScopeGuard>

#include <algorithm>

namespace tessiv {

namespace {

// The largest font size a text can take: its height in pixels must stay a 16-bit value.
constexpr int kMaxFontSize = 1638;

// Keys and leaving of a box of the bar. A character key goes to onChar first (Enter as '\r'), which
// may put a null in its place to discard it; any key goes to onKeyDown as a key code. Losing the
// focus to another widget of the program (not to the box's own list, nor to another application)
// runs onLeave.
class TLabelBoxFilter : public QObject {
public:
    std::function<void(QChar&)> OnChar;
    std::function<void(unsigned short&)> OnKeyDown;
    std::function<void()> OnLeave;

    explicit TLabelBoxFilter(QWidget* box) : QObject(box) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            auto* box = static_cast<QWidget*>(watched);
            if (OnLeave && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
                box->window()->isVisible())
                Application().Guard(OnLeave);
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const bool enter = keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter;
        if (OnKeyDown) {
            unsigned short key = enter ? VK_RETURN : static_cast<unsigned short>(keyEvent->key() & 0xFFFF);
            Application().Guard([&] { OnKeyDown(key); });
            if (key == 0)
                return true;
        }
        if (!OnChar)
            return false;
        QChar key;
        if (enter)
            key = QLatin1Char('\r');
        else if (keyEvent->text().size() == 1)
            key = keyEvent->text().at(0);
        // Keys without a character (Delete among them), and shortcuts, are the box's own.
        const bool control = key.unicode() < 0x20 || key.unicode() == 0x7F;
        if (key.isNull() || (control && key != QLatin1Char('\b') && key != QLatin1Char('\r')))
            return false;
        Application().Guard([&] { OnChar(key); });
        return key.isNull();
    }
};

TLabelBoxFilter* FilterOf(QWidget* box)
{
    return new TLabelBoxFilter(box);
}

// ---- what a control is, for the bar ----

bool IsBarcode(const TControl* c) { return dynamic_cast<const TKVBarcode*>(c) != nullptr; }
bool IsBand(const TControl* c) { return dynamic_cast<const TKVCustomBand*>(c) != nullptr; }
TKVCustomLabel* AsText(TControl* c) { return dynamic_cast<TKVCustomLabel*>(c); }

// The classes whose transparency the bar shows and sets.
bool HasTransparency(const TControl* c)
{
    return dynamic_cast<const TKVLabel*>(c) || dynamic_cast<const TKVMemo*>(c) || dynamic_cast<const TKVDBText*>(c) ||
           dynamic_cast<const TKVExpr*>(c) || dynamic_cast<const TKVExprMemo*>(c) || dynamic_cast<const TKVSysData*>(c);
}

// Texts and bands carry a font and a frame the bar edits.
bool HasFont(const TControl* c) { return dynamic_cast<const TKVCustomLabel*>(c) || IsBand(c); }

TKVFrame* FrameOf(TControl* c)
{
    if (auto* printable = dynamic_cast<TKVPrintable*>(c))
        return printable->Frame();
    if (auto* band = dynamic_cast<TKVCustomBand*>(c))
        return band->Frame();
    return nullptr;
}

bool OnGroupFooter(const TControl* c)
{
    const auto* band = c ? dynamic_cast<const TKVBand*>(c->Parent()) : nullptr;
    return band && band->BandType() == rbGroupFooter;
}

// The font name the box shows for a control: a barcode's numbers have their own.
QString ShownFontName(TControl* c)
{
    if (auto* bar = dynamic_cast<TKVBarcode*>(c))
        return bar->Bar_Fontname();
    return c->Font()->Name();
}

int ShownRotation(TControl* c)
{
    if (auto* bar = dynamic_cast<TKVBarcode*>(c))
        return int(bar->Bar_Rotation());
    if (TKVCustomLabel* text = AsText(c))
        return int(text->Rotacao());
    return 0;
}

void SetAutoSizeOf(TKVCustomLabel* text, bool value)
{
    // The barcode repaints its bars as well.
    if (auto* bar = dynamic_cast<TKVBarcode*>(text))
        bar->SetAutoSize(value);
    else
        text->SetAutoSize(value);
}

// What may be typed into the number boxes: the digits and backspace.
bool IsDigitKey(QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QLatin1Char('\b');
}

void SetEnabledIf(QWidget* w, bool enabled)
{
    if (w->isEnabled() != enabled)
        w->setEnabled(enabled);
}

void SetDownIf(TSpeedButton* b, bool down)
{
    if (b->Down() != down)
        b->SetDown(down);
}

// ---- glyphs ----

enum class TGlyph {
    Bold, Italic, Underline, AlignLeft, AlignCenter, AlignRight, FrameLeft, FrameTop, FrameBottom,
    FrameRight, FontColor, BkColor, Transparent, AutoSize, Stretch, WordWrap
};

void PaintGlyph(QPainter& p, TGlyph glyph)
{
    const QColor ink(0x20, 0x20, 0x20);
    p.setPen(QPen(ink, 1));
    const auto letter = [&](const QString& text, bool bold, bool italic, bool underline, QRect box = QRect(0, 0, 16, 16)) {
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPixelSize(13);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        p.setFont(f);
        p.drawText(box, Qt::AlignCenter, text);
    };
    const auto lines = [&](int shortLeft, int shortRight) {
        // Four lines, the second and fourth shortened on the given sides.
        for (int i = 0; i < 4; ++i) {
            const int y = 3 + 3 * i;
            const bool shortLine = i % 2 == 1;
            p.drawLine(1 + (shortLine ? shortLeft : 0), y, 14 - (shortLine ? shortRight : 0), y);
        }
    };
    switch (glyph) {
    case TGlyph::Bold: letter(QStringLiteral("N"), true, false, false); break;
    case TGlyph::Italic: letter(QStringLiteral("I"), false, true, false); break;
    case TGlyph::Underline: letter(QStringLiteral("S"), false, false, true); break;
    case TGlyph::AlignLeft: lines(0, 5); break;
    case TGlyph::AlignCenter: lines(3, 3); break;
    case TGlyph::AlignRight: lines(5, 0); break;
    case TGlyph::FontColor:
        letter(QStringLiteral("A"), true, false, false, QRect(0, -2, 16, 14));
        p.fillRect(1, 12, 14, 3, QColor(0xD0, 0x10, 0x10));
        break;
    case TGlyph::BkColor:
        p.fillRect(2, 2, 12, 12, QColor(0xF0, 0xD0, 0x20));
        p.drawRect(2, 2, 11, 11);
        break;
    case TGlyph::Transparent:
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                p.fillRect(2 + 3 * x, 2 + 3 * y, 3, 3, (x + y) % 2 ? QColor(0xB0, 0xB0, 0xB0) : QColor(Qt::white));
        p.drawRect(2, 2, 11, 11);
        break;
    case TGlyph::AutoSize:
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1, Qt::DashLine));
        p.drawRect(0, 3, 15, 9);
        p.setPen(ink);
        letter(QStringLiteral("ab"), false, false, false);
        break;
    case TGlyph::Stretch:
        p.drawLine(4, 1, 4, 14);
        p.drawLine(2, 3, 4, 1);
        p.drawLine(6, 3, 4, 1);
        p.drawLine(2, 12, 4, 14);
        p.drawLine(6, 12, 4, 14);
        for (int y = 3; y <= 12; y += 3)
            p.drawLine(8, y, 14, y);
        break;
    case TGlyph::WordWrap:
        p.drawLine(1, 3, 14, 3);
        p.drawLine(1, 7, 12, 7);
        p.drawArc(9, 7, 6, 6, 90 * 16, -180 * 16);
        p.drawLine(12, 13, 6, 13);
        p.drawLine(6, 13, 8, 11);
        p.drawLine(6, 13, 8, 15);
        break;
    case TGlyph::FrameLeft: case TGlyph::FrameTop: case TGlyph::FrameBottom: case TGlyph::FrameRight:
        break; // the frame lines are the shared glyphs (DrawGlyph)
    }
}

QIcon DrawGlyph(TGlyph glyph)
{
    switch (glyph) {
    case TGlyph::FrameLeft: return FrameLineGlyph(TKVFrame::kvLeft);
    case TGlyph::FrameTop: return FrameLineGlyph(TKVFrame::kvTop);
    case TGlyph::FrameBottom: return FrameLineGlyph(TKVFrame::kvBottom);
    case TGlyph::FrameRight: return FrameLineGlyph(TKVFrame::kvRight);
    default: return DrawnGlyph([glyph](QPainter& p) { PaintGlyph(p, glyph); });
    }
}

void AddSeparator(QHBoxLayout* row, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedWidth(6);
    row->addWidget(line);
}

} // namespace

// ---- building --------------------------------------------------------------------------------------

void TfmAnexo::BuildCustomLabelToolbar()
{
    QWidget* strip = NewRow(CustomLabelToolbar, "LabelStrip", 2, 2, 1);
    QHBoxLayout* row = RowOf(strip);

    FonteNome = new TFontComboBox(strip);
    FonteNome->setObjectName(QStringLiteral("FonteNome"));
    FonteNome->setToolTip(QStringLiteral("Nome da Fonte"));
    FonteNome->setFixedWidth(150);
    SetHelpContext(FonteNome, 1040);
    row->addWidget(FonteNome);

    // The size box and the barcode's font scale share one place: the one that applies shows.
    FLabelSizeSlot = NewRow(strip, "LabelSizeSlot", 0, 0, 0);
    QHBoxLayout* slot = RowOf(FLabelSizeSlot);
    FontSize = new QComboBox(FLabelSizeSlot);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setToolTip(QStringLiteral("Tamanho da Fonte"));
    FontSize->setEditable(true);
    FontSize->setInsertPolicy(QComboBox::NoInsert);
    FontSize->setCompleter(nullptr);
    FontSize->addItems({QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("11"),
                        QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"),
                        QStringLiteral("20"), QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"),
                        QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("48"), QStringLiteral("72")});
    FontSize->setFixedWidth(52);
    SetHelpContext(FontSize, 1570);
    slot->addWidget(FontSize);
    const QString scaleHint = QStringLiteral("Altura da Fonte da Barra (%)");
    edEscalaFontBarra = Place(FLabelSizeSlot, new QLineEdit(QStringLiteral("100"), FLabelSizeSlot), "edEscalaFontBarra",
                              scaleHint, 36);
    SetHelpContext(edEscalaFontBarra, 130);
    upEscalaFontBarra =
        PlaceUpDown(FLabelSizeSlot, edEscalaFontBarra, "upEscalaFontBarra", scaleHint, 20, 200, 5, 100);
    edEscalaFontBarra->hide();
    upEscalaFontBarra->hide();
    row->addWidget(FLabelSizeSlot);
    AddSeparator(row, strip);

    // Toggles are groups of their own in which the button may go up; the alignment is one group.
    int group = 0;
    const auto button = [&](TSpeedButton*& field, const char* name, const QString& hint, TGlyph glyph, int groupIndex,
                            bool allowAllUp) {
        return field = NewSpeedButton(strip, name, hint, DrawGlyph(glyph), groupIndex, allowAllUp);
    };
    const auto toggle = [&](TSpeedButton*& field, const char* name, const QString& hint, TGlyph glyph) {
        return button(field, name, hint, glyph, ++group, true);
    };
    toggle(Bold, "Bold", QStringLiteral("Negrito"), TGlyph::Bold);
    toggle(Italic, "Italic", QString::fromUtf8("Itálico"), TGlyph::Italic);
    toggle(UnderLn, "UnderLn", QStringLiteral("Sublinhado"), TGlyph::Underline);
    AddSeparator(row, strip);
    const int alignGroup = ++group;
    button(AlignLeft, "AlignLeft", QStringLiteral("Alinhar a esquerda"), TGlyph::AlignLeft, alignGroup, false);
    button(AlignCenter, "AlignCenter", QStringLiteral("Alinhar ao centro"), TGlyph::AlignCenter, alignGroup, false);
    button(AlignRight, "AlignRight", QStringLiteral("Alinhar a direita"), TGlyph::AlignRight, alignGroup, false);
    AlignLeft->SetDown(true);
    AddSeparator(row, strip);
    toggle(FrameLeft, "FrameLeft", QStringLiteral("Linha a esquerda"), TGlyph::FrameLeft);
    toggle(FrameTop, "FrameTop", QStringLiteral("Linha acima"), TGlyph::FrameTop);
    toggle(FrameBottom, "FrameBottom", QStringLiteral("Linha abaixo"), TGlyph::FrameBottom);
    toggle(FrameRight, "FrameRight", QStringLiteral("Linha a direita"), TGlyph::FrameRight);
    AddSeparator(row, strip);

    cbRotacaoLabel = new QComboBox(strip);
    cbRotacaoLabel->setObjectName(QStringLiteral("cbRotacaoLabel"));
    cbRotacaoLabel->setToolTip(QString::fromUtf8("Rotação do Texto (Graus)"));
    cbRotacaoLabel->addItems({QStringLiteral("0"), QStringLiteral("90"), QStringLiteral("180"), QStringLiteral("270 ")});
    cbRotacaoLabel->setCurrentIndex(0);
    cbRotacaoLabel->setFixedWidth(52);
    SetHelpContext(cbRotacaoLabel, 1440);
    row->addWidget(cbRotacaoLabel);
    AddSeparator(row, strip);

    button(FontColor, "FontColor", QStringLiteral("Cor da fonte"), TGlyph::FontColor, 0, false);
    FontColor->setCheckable(false);
    button(BkColor, "BkColor", QStringLiteral("Cor do Fundo"), TGlyph::BkColor, 0, false);
    BkColor->setCheckable(false);
    toggle(sbTransparent, "sbTransparent", QStringLiteral("Transparente"), TGlyph::Transparent);
    AddSeparator(row, strip);
    toggle(AutoSizeLabel, "AutoSizeLabel", QString::fromUtf8("Tamanho Automático"), TGlyph::AutoSize);
    toggle(StretchLabel, "StretchLabel", QStringLiteral("Esticar texto verticalmente"), TGlyph::Stretch);
    toggle(sbWordWrapLabel, "sbWordWrapLabel", QString::fromUtf8("Nova linha automática"), TGlyph::WordWrap);

    edStrPreencheRodape = new QLineEdit(strip);
    edStrPreencheRodape->setObjectName(QStringLiteral("edStrPreencheRodape"));
    edStrPreencheRodape->setToolTip(QStringLiteral("Caracteres de preenchimento"));
    edStrPreencheRodape->setFixedWidth(70);
    edStrPreencheRodape->hide();
    row->addSpacing(4);
    row->addWidget(edStrPreencheRodape);
    row->addStretch(1);
    CustomLabelToolbar->addWidget(strip);

    // The handlers. A box applies its value when an item is picked and again when it is left.
    QObject::connect(FonteNome, qOverload<int>(&QComboBox::activated), FonteNome,
                     Guarded([this] { FonteNomeClick(); }));
    TLabelBoxFilter* keys = FilterOf(FonteNome);
    keys->OnChar = [this](QChar& key) { FonteNomeKeyPress(key); };
    keys->OnLeave = [this] { if (!FClosing) FonteNomeExit(); };

    QObject::connect(FontSize, qOverload<int>(&QComboBox::activated), FontSize, Guarded([this] { FontSizeClick(); }));
    keys = FilterOf(FontSize);
    keys->OnChar = [this](QChar& key) { FontSizeKeyPress(key); };
    keys->OnLeave = [this] { if (!FClosing) FontSizeExit(); };

    keys = FilterOf(edEscalaFontBarra);
    keys->OnChar = [this](QChar& key) { edEscalaFontBarraKeyPress(key); };
    keys->OnLeave = [this] { if (!FClosing) edEscalaFontBarraExit(); };
    upEscalaFontBarra->OnClick = [this](TUpDown::TUDBtnType) { upEscalaFontBarraClick(); };
    upEscalaFontBarra->OnMouseDown = [this] { UpDownMouseDown(upEscalaFontBarra); };

    QObject::connect(cbRotacaoLabel, qOverload<int>(&QComboBox::activated), cbRotacaoLabel,
                     Guarded([this] { cbRotacaoLabelClick(); }));
    keys = FilterOf(cbRotacaoLabel);
    keys->OnChar = [this](QChar& key) { cbRotacaoLabelKeyPress(key); };
    keys->OnLeave = [this] { if (!FClosing) cbRotacaoLabelExit(); };

    for (TSpeedButton* b : {Bold, Italic, UnderLn})
        b->OnClick = [this, b] { FontStyle(b); };
    for (TSpeedButton* b : {AlignLeft, AlignCenter, AlignRight})
        b->OnClick = [this, b] { AlignClick(b); };
    for (TSpeedButton* b : {FrameLeft, FrameTop, FrameBottom, FrameRight})
        b->OnClick = [this, b] { FrameClick(b); };
    FontColor->OnClick = Guarded([this] { FontColorClick(); });
    BkColor->OnClick = Guarded([this] { BkColorClick(); });
    sbTransparent->OnClick = [this] { sbTransparentClick(); };
    AutoSizeLabel->OnClick = [this] { AutoSizeClick(); };
    StretchLabel->OnClick = [this] { StretchClick(); };
    sbWordWrapLabel->OnClick = [this] { sbWordWrapExprMemoClick(); };

    keys = FilterOf(edStrPreencheRodape);
    keys->OnKeyDown = [this](unsigned short& key) { edStrPreencheRodapeKeyDown(key, {}); };
    keys->OnLeave = [this] { if (!FClosing) edStrPreencheRodapeExit(); };

    CustomLabelToolbar->OnSetComponent = [this](TComponent* value) { CustomLabelToolbarSetComponent(value); };
}

// ---- targets and the write-back -----------------------------------------------------------------

TControl* TfmAnexo::LabelTarget() const
{
    return CustomLabelToolbar ? dynamic_cast<TControl*>(CustomLabelToolbar->Component()) : nullptr;
}

TControl* TfmAnexo::PictureTarget() const
{
    if (Designer && Designer->Attached() && dynamic_cast<TKVPrintable*>(Designer->Selected()))
        return Designer->Selected();
    for (TAnexoToolBar* bar : {CustomLabelToolbar, ImageToolBar, CampoToolBar})
        if (auto* control = bar ? dynamic_cast<TControl*>(bar->Component()) : nullptr)
            return control;
    return nullptr;
}

bool TfmAnexo::LabelWriteBack(TControl* single, int* editFlag, const std::function<bool(TControl*, bool)>& apply,
                              TWriteBack options)
{
    const auto differs = [&](TControl* c) { return apply(c, false); };
    const auto set = [&](TControl* c) { apply(c, true); };
    if (SelectedCount() > 0)
        return WriteBackMulti(editFlag, differs, set, options);
    return WriteBackSingle(single, editFlag, differs, set, options);
}

// ---- configuring the bar ------------------------------------------------------------------------

void TfmAnexo::CustomLabelToolbarSetComponent(TComponent* value)
{
    if (auto* control = dynamic_cast<TControl*>(value)) {
        edStrPreencheRodape->setVisible(OnGroupFooter(control));
        ConfigureLabelToolbar(control);
        return;
    }
    if (value || SelectedCount() == 0)
        return;
    const std::vector<TControl*> controls = MultiDesigner->SelectedControls();
    // The fill box shows while one of the texts lies on a group footer, where it applies.
    edStrPreencheRodape->setVisible(std::any_of(controls.begin(), controls.end(), OnGroupFooter));
    ConfigureLabelToolbar(controls.front());
    for (std::size_t i = 1; i < controls.size(); ++i)
        MergeIntoLabelToolbar(controls[i]);
    // The font scale shows the first barcode's, wherever it stands in the selection.
    const auto bar = std::find_if(controls.begin(), controls.end(), IsBarcode);
    if (bar != controls.end())
        upEscalaFontBarra->SetPosition(static_cast<TKVBarcode*>(*bar)->Bar_FontScaling());
}

void TfmAnexo::ConfigureLabelToolbar(TControl* control)
{
    if (!control)
        return;
    const bool multi = SelectedCount() > 0;
    bool f = false;
    bool b = false;
    bool d = false;
    if (multi) {
        const QString& kind = MultiDesigner->Kind();
        f = kind == QLatin1String("FONTE") || kind == QLatin1String("FONTE_BARCODE");
        b = kind == QLatin1String("BARCODE") || kind == QLatin1String("FONTE_BARCODE");
    } else {
        b = IsBarcode(control);
        f = !b;
        d = IsBand(control);
    }
    const bool e = !d && (f || b);

    for (QWidget* w : std::initializer_list<QWidget*>{AlignLeft, AlignCenter, AlignRight, sbTransparent, AutoSizeLabel,
                                                      cbRotacaoLabel})
        SetEnabledIf(w, e);
    SetEnabledIf(FontSize, f);
    SetEnabledIf(edEscalaFontBarra, b);
    SetEnabledIf(upEscalaFontBarra, b);
    for (QWidget* w : std::initializer_list<QWidget*>{Bold, Italic, UnderLn, FrameLeft, FrameTop, FrameBottom,
                                                      FrameRight, FontColor})
        SetEnabledIf(w, f && !b);
    SetEnabledIf(StretchLabel, f && !b && !d);
    SetEnabledIf(sbWordWrapLabel, f && !b && !d);
    // A single control shows the size box or the font scale; a mixed selection shows both, so that
    // each stays in reach.
    PlaceLabelSizeSlot(f, b);

    const auto loadStyleAndFrame = [this](TControl* c) {
        const TFontStyles style = c->Font()->Style();
        SetDownIf(Bold, style.Contains(fsBold));
        SetDownIf(Italic, style.Contains(fsItalic));
        SetDownIf(UnderLn, style.Contains(fsUnderline));
        if (TKVFrame* frame = FrameOf(c)) {
            SetDownIf(FrameLeft, frame->DrawLeft());
            SetDownIf(FrameTop, frame->DrawTop());
            SetDownIf(FrameBottom, frame->DrawBottom());
            SetDownIf(FrameRight, frame->DrawRight());
        }
    };
    const auto showSize = [this](TControl* c) {
        const QString size = QString::number(c->Font()->Size());
        if (FontSize->currentText() != size)
            FontSize->setEditText(size);
    };

    if (TKVCustomLabel* text = AsText(control)) {
        if (auto* bar = dynamic_cast<TKVBarcode*>(control))
            upEscalaFontBarra->SetPosition(bar->Bar_FontScaling());
        if (FonteNome->FontName() != ShownFontName(control))
            FonteNome->SetFontName(ShownFontName(control));
        // Also for a barcode: a mixed selection led by one shows its size, not an older one.
        showSize(control);
        if (cbRotacaoLabel->currentIndex() != ShownRotation(control))
            cbRotacaoLabel->setCurrentIndex(ShownRotation(control));
        loadStyleAndFrame(control);
        SetDownIf(AlignLeft, text->Alignment() == taLeftJustify);
        SetDownIf(AlignCenter, text->Alignment() == taCenter);
        SetDownIf(AlignRight, text->Alignment() == taRightJustify);
        SetDownIf(AutoSizeLabel, text->AutoSize());
        SetDownIf(StretchLabel, text->AutoStretch());
        SetDownIf(sbWordWrapLabel, text->WordWrap());
        edStrPreencheRodape->setText(text->StrPreencheRodape());
        if (HasTransparency(control))
            SetDownIf(sbTransparent, text->Transparent());
    } else if (IsBand(control)) {
        edStrPreencheRodape->hide();
        showSize(control);
        if (FonteNome->FontName() != control->Font()->Name())
            FonteNome->SetFontName(control->Font()->Name());
        loadStyleAndFrame(control);
    }
}

void TfmAnexo::MergeIntoLabelToolbar(TControl* control)
{
    TKVCustomLabel* text = AsText(control);
    if (!text)
        return;
    if (FonteNome->FontName() != ShownFontName(control))
        FonteNome->SetFontName(QString());
    if (FontSize->currentText() != QString::number(control->Font()->Size()))
        FontSize->setEditText(QString());
    if (cbRotacaoLabel->currentIndex() != ShownRotation(control))
        cbRotacaoLabel->setCurrentIndex(ShownRotation(control));
    // A button stays down only while every control has its property.
    const auto raiseUnless = [](TSpeedButton* b, bool value) {
        if (b->Down() != value)
            b->SetDown(false);
    };
    const TFontStyles style = control->Font()->Style();
    raiseUnless(Bold, style.Contains(fsBold));
    raiseUnless(Italic, style.Contains(fsItalic));
    raiseUnless(UnderLn, style.Contains(fsUnderline));
    const TKVFrame* frame = text->Frame();
    raiseUnless(FrameLeft, frame->DrawLeft());
    raiseUnless(FrameTop, frame->DrawTop());
    raiseUnless(FrameBottom, frame->DrawBottom());
    raiseUnless(FrameRight, frame->DrawRight());
    raiseUnless(AlignLeft, text->Alignment() == taLeftJustify);
    raiseUnless(AlignCenter, text->Alignment() == taCenter);
    raiseUnless(AlignRight, text->Alignment() == taRightJustify);
    raiseUnless(AutoSizeLabel, text->AutoSize());
    raiseUnless(StretchLabel, text->AutoStretch());
    raiseUnless(sbWordWrapLabel, text->WordWrap());
    if (edStrPreencheRodape->text() != text->StrPreencheRodape())
        edStrPreencheRodape->setText(text->StrPreencheRodape());
    if (HasTransparency(control))
        raiseUnless(sbTransparent, text->Transparent());
}

void TfmAnexo::PlaceLabelSizeSlot(bool size, bool scale)
{
    FontSize->setVisible(size);
    edEscalaFontBarra->setVisible(scale);
    upEscalaFontBarra->setVisible(scale);
}

// ---- the font name --------------------------------------------------------------------------------

void TfmAnexo::FonteNomeClick()
{
    const QString name = FonteNome->FontName();
    if (name.isEmpty())
        return;
    LabelWriteBack(LabelTarget(), &FonteNomeTag, [name](TControl* c, bool set) {
        if (auto* bar = dynamic_cast<TKVBarcode*>(c)) {
            if (bar->Bar_Fontname() == name)
                return false;
            if (set)
                bar->SetBar_Fontname(name);
            return true;
        }
        if (!HasFont(c) || c->Font()->Name() == name)
            return false;
        if (set)
            c->Font()->SetName(name);
        return true;
    });
}

void TfmAnexo::FonteNomeExit()
{
    // The edit ends however the last application went.
    const auto end = qScopeGuard([this] { FonteNomeTag = 0; });
    FonteNomeClick();
}

void TfmAnexo::FonteNomeKeyPress(QChar& key)
{
    if (key == QLatin1Char('\r')) {
        FonteNomeExit();
        key = QChar();
    }
}

// ---- the font size --------------------------------------------------------------------------------

void TfmAnexo::FontSizeClick()
{
    bool whole = false;
    const int size = FontSize->currentText().trimmed().toInt(&whole);
    if (!whole || size < 1 || size > kMaxFontSize) {
        // Refused before anything is recorded: the box shows the control's size again, or nothing
        // for a selection of several.
        TControl* single = SelectedCount() > 0 ? nullptr : LabelTarget();
        FontSize->setEditText(single ? QString::number(single->Font()->Size()) : QString());
        return;
    }
    LabelWriteBack(LabelTarget(), &FontSizeTag, [size](TControl* c, bool set) {
        if (!HasFont(c) || c->Font()->Size() == size)
            return false;
        if (set)
            c->Font()->SetSize(size);
        return true;
    });
}

void TfmAnexo::FontSizeExit()
{
    const auto end = qScopeGuard([this] { FontSizeTag = 0; });
    FontSizeClick();
}

void TfmAnexo::FontSizeKeyPress(QChar& key)
{
    if (key == QLatin1Char('\r')) {
        FontSizeExit();
        key = QChar();
    } else if (!IsDigitKey(key)) {
        key = QChar();
    }
}

// ---- the barcode's font scale ----------------------------------------------------------------------

void TfmAnexo::upEscalaFontBarraClick()
{
    // The barcode is the one this bar shows (or the selected ones), never what another bar last held.
    const int scale = upEscalaFontBarra->Position();
    LabelWriteBack(LabelTarget(), &upEscalaFontBarraTag, [scale](TControl* c, bool set) {
        auto* bar = dynamic_cast<TKVBarcode*>(c);
        if (!bar || bar->Bar_FontScaling() == scale)
            return false;
        if (set)
            bar->SetBar_FontScaling(scale);
        return true;
    });
}

void TfmAnexo::edEscalaFontBarraExit()
{
    const auto end = qScopeGuard([this] { upEscalaFontBarraTag = 0; });
    upEscalaFontBarra->PositionFromText();
    upEscalaFontBarraClick();
}

void TfmAnexo::edEscalaFontBarraKeyPress(QChar& key)
{
    if (key == QLatin1Char('\r')) {
        edEscalaFontBarraExit();
        key = QChar();
    }
}

// ---- the rotation -----------------------------------------------------------------------------------

void TfmAnexo::cbRotacaoLabelClick()
{
    const int item = cbRotacaoLabel->currentIndex();
    if (item < 0 || item > 3)
        throw EAbort();
    LabelWriteBack(LabelTarget(), &cbRotacaoLabelTag, [item](TControl* c, bool set) {
        if (auto* bar = dynamic_cast<TKVBarcode*>(c)) {
            const auto rotation = static_cast<btCodeRotate>(item);
            if (bar->Bar_Rotation() == rotation)
                return false;
            if (set)
                bar->SetBar_Rotation(rotation);
            return true;
        }
        TKVCustomLabel* text = AsText(c);
        const auto rotation = static_cast<TKVRotacao>(item);
        if (!text || text->Rotacao() == rotation)
            return false;
        if (set)
            text->SetRotacao(rotation);
        return true;
    });
}

void TfmAnexo::cbRotacaoLabelExit()
{
    const auto end = qScopeGuard([this] { cbRotacaoLabelTag = 0; });
    cbRotacaoLabelClick();
}

void TfmAnexo::cbRotacaoLabelKeyPress(QChar& key)
{
    if (key == QLatin1Char('\r')) {
        cbRotacaoLabelExit();
        key = QChar();
    } else if (!IsDigitKey(key)) {
        key = QChar();
    }
}

// ---- the buttons ------------------------------------------------------------------------------------

bool TfmAnexo::ApplyFontStyle(TControl* control, const TSpeedButton* button, bool set)
{
    if (!control || !button || IsBarcode(control) || !HasFont(control))
        return false;
    const TFontStyle style = button == Bold ? fsBold : button == Italic ? fsItalic : fsUnderline;
    TFontStyles styles = control->Font()->Style();
    if (styles.Contains(style) == button->Down())
        return false;
    if (set) {
        if (button->Down())
            styles += style;
        else
            styles -= style;
        control->Font()->SetStyle(styles);
    }
    return true;
}

void TfmAnexo::FontStyle(TSpeedButton* sender)
{
    LabelWriteBack(LabelTarget(), nullptr, [this, sender](TControl* c, bool set) { return ApplyFontStyle(c, sender, set); });
}

bool TfmAnexo::ApplyAlignment(TControl* control, const TSpeedButton* button, bool set)
{
    TKVCustomLabel* text = AsText(control);
    if (!text || !button)
        return false;
    const TAlignment alignment = button == AlignCenter ? taCenter : button == AlignRight ? taRightJustify : taLeftJustify;
    if (text->Alignment() == alignment)
        return false;
    if (set)
        text->SetAlignment(alignment);
    return true;
}

void TfmAnexo::AlignClick(TSpeedButton* sender)
{
    LabelWriteBack(LabelTarget(), nullptr, [this, sender](TControl* c, bool set) { return ApplyAlignment(c, sender, set); });
}

bool TfmAnexo::ApplyFrame(TControl* control, const TSpeedButton* button, bool set)
{
    TKVFrame* frame = IsBarcode(control) ? nullptr : FrameOf(control);
    if (!frame || !button || (!AsText(control) && !IsBand(control)))
        return false;
    const int side = button == FrameLeft     ? TKVFrame::kvLeft
                     : button == FrameTop    ? TKVFrame::kvTop
                     : button == FrameBottom ? TKVFrame::kvBottom
                                             : TKVFrame::kvRight;
    if (frame->DrawSide(side) == button->Down())
        return false;
    if (set)
        frame->SetDrawSide(side, button->Down());
    return true;
}

void TfmAnexo::FrameClick(TSpeedButton* sender)
{
    LabelWriteBack(LabelTarget(), nullptr, [this, sender](TControl* c, bool set) { return ApplyFrame(c, sender, set); });
}

bool TfmAnexo::ApplyTransparent(TControl* control, bool set)
{
    auto* printable = dynamic_cast<TKVPrintable*>(control);
    if (!printable || !HasTransparency(control) || printable->Transparent() == sbTransparent->Down())
        return false;
    if (set)
        printable->SetTransparent(sbTransparent->Down());
    return true;
}

void TfmAnexo::sbTransparentClick()
{
    LabelWriteBack(LabelTarget(), nullptr, [this](TControl* c, bool set) { return ApplyTransparent(c, set); });
}

bool TfmAnexo::ApplyWordWrap(TControl* control, bool set)
{
    TKVCustomLabel* text = AsText(control);
    if (!text || text->WordWrap() == sbWordWrapLabel->Down())
        return false;
    if (set)
        text->SetWordWrap(sbWordWrapLabel->Down());
    return true;
}

void TfmAnexo::sbWordWrapExprMemoClick()
{
    LabelWriteBack(LabelTarget(), nullptr, [this](TControl* c, bool set) { return ApplyWordWrap(c, set); });
}

// ---- automatic size and stretch (shared with the image and field bars) -------------------------

namespace {

struct TPictureModes {
    bool AutoSize, Proporcional, Stretch, Center;
};

bool Down(const TSpeedButton* b) { return b && b->Down(); }

void SetPictureModes(TKVImage* image, const TPictureModes& m)
{
    image->SetAutoSize(m.AutoSize);
    image->SetProporcional(m.Proporcional);
    image->SetStretch(m.Stretch);
    image->SetCenter(m.Center);
}

} // namespace

bool TfmAnexo::ApplyAutoSize(TControl* control, bool set)
{
    if (auto* image = dynamic_cast<TKVImage*>(control)) {
        if (!ImageToolBar || !ImageToolBar->Component() || !AutoSizePicture ||
            image->AutoSize() == AutoSizePicture->Down())
            return false;
        if (set)
            SetPictureModes(image, {Down(AutoSizePicture), Down(sbProporcionalPicture), Down(StretchPicture),
                                    Down(CenterPicture)});
        return true;
    }
    TKVCustomLabel* text = AsText(control);
    if (!text || text->AutoSize() == AutoSizeLabel->Down())
        return false;
    if (set) {
        SetAutoSizeOf(text, AutoSizeLabel->Down());
        text->SetAutoStretch(StretchLabel->Down());
    }
    return true;
}

void TfmAnexo::AutoSizeClick()
{
    LabelWriteBack(PictureTarget(), nullptr, [this](TControl* c, bool set) { return ApplyAutoSize(c, set); });
}

bool TfmAnexo::ApplyPictureButtons(TControl* control, bool set)
{
    if (TKVCustomLabel* text = AsText(control)) {
        const bool held = LabelTarget() == control || (MultiDesigner && MultiDesigner->IsSelected(control));
        if (!held || text->AutoStretch() == StretchLabel->Down())
            return false;
        if (set) {
            text->SetAutoStretch(StretchLabel->Down());
            SetAutoSizeOf(text, AutoSizeLabel->Down());
        }
        return true;
    }
    if (auto* image = dynamic_cast<TKVImage*>(control)) {
        if (!ImageToolBar || !ImageToolBar->Component() || !StretchPicture || image->Stretch() == StretchPicture->Down())
            return false;
        if (set)
            SetPictureModes(image, {Down(AutoSizePicture), Down(sbProporcionalPicture), Down(StretchPicture),
                                    Down(CenterPicture)});
        return true;
    }
    if (auto* picture = dynamic_cast<TKVDBImage*>(control)) {
        if (!CampoToolBar || !CampoToolBar->Component() || !sbStretchDBPicture ||
            picture->Stretch() == sbStretchDBPicture->Down())
            return false;
        if (set) {
            // The three fits exclude each other: the ones going off first, so the one going on stays.
            const std::pair<void (TKVDBImage::*)(bool), bool> fits[] = {
                {&TKVDBImage::SetStretch, Down(sbStretchDBPicture)},
                {&TKVDBImage::SetProporcional, Down(sbProporcionalDBPicture)},
                {&TKVDBImage::SetCenter, Down(sbCenterDBPicture)},
            };
            for (bool on : {false, true})
                for (const auto& [setter, value] : fits)
                    if (value == on)
                        (picture->*setter)(value);
        }
        return true;
    }
    return false;
}

void TfmAnexo::StretchClick()
{
    LabelWriteBack(PictureTarget(), nullptr, [this](TControl* c, bool set) { return ApplyPictureButtons(c, set); });
}

// ---- colours ----------------------------------------------------------------------------------------

void TfmAnexo::FontColorClick()
{
    TControl* single = SelectedCount() > 0 ? nullptr : LabelTarget();
    TControl* first = single ? single : SelectedCount() > 0 ? MultiDesigner->SelectedControls().front() : nullptr;
    // A barcode's colour is not its font's: nothing to choose for it.
    if (!first || IsBarcode(single))
        return;
    TColor color = first->Font()->Color();
    if (!RunColorDialog(color))
        return;
    LabelWriteBack(
        single, nullptr,
        [color](TControl* c, bool set) {
            if (IsBarcode(c) || !HasFont(c) || c->Font()->Color() == color)
                return false;
            if (set)
                c->Font()->SetColor(color);
            return true;
        },
        TWriteBack{false, false});
}

void TfmAnexo::BkColorClick()
{
    TControl* single = SelectedCount() > 0 ? nullptr : LabelTarget();
    TControl* first = single ? single : SelectedCount() > 0 ? MultiDesigner->SelectedControls().front() : nullptr;
    if (!first)
        return;
    TColor color = first->Color();
    if (!RunColorDialog(color))
        return;
    LabelWriteBack(
        single, nullptr,
        [color](TControl* c, bool set) {
            if (c->Color() == color)
                return false;
            if (set)
                c->SetColor(color);
            return true;
        },
        TWriteBack{false, false});
}

// ---- the footer fill --------------------------------------------------------------------------------

void TfmAnexo::edStrPreencheRodapeExit()
{
    const QString fill = edStrPreencheRodape->text();
    const bool multi = SelectedCount() > 0;
    LabelWriteBack(LabelTarget(), nullptr, [fill, multi](TControl* c, bool set) {
        TKVCustomLabel* text = AsText(c);
        if (!text || (multi && !OnGroupFooter(c)) || text->StrPreencheRodape() == fill)
            return false;
        if (set)
            text->SetStrPreencheRodape(fill);
        return true;
    });
}

void TfmAnexo::edStrPreencheRodapeKeyDown(unsigned short& key, TShiftState)
{
    if (key == VK_RETURN) {
        edStrPreencheRodapeExit();
        key = 0;
    }
}

} // namespace tessiv
