// The image tool bar and the shape tool bar. The image bar loads a picture from a file (and sets how
// it fits its control) or an expression memo's text from a text file, and opens the memo's text
// editor; the file loaded is remembered, with its folder, in the control's Hint, which the report
// file keeps. The shape bar sets a shape's kind and colours, or the frame lines of a picture or
// data picture and a picture's background colour.
#include "designer/mainform/AnexoForm.h"

#include "designer/surface/AnexoChild.h"
#include "designer/dialogs/EditorTxt.h"
#include "designer/surface/KVDesigner.h"
#include "designer/dialogs/ModalForm.h"
#include "designer/toolbars/ToolbarParts.h"
#include "engine/printables/KVDBImage.h"
#include "engine/printables/KVExprMemo.h"
#include "engine/model/KVFrame.h"
#include "engine/printables/KVImage.h"
#include "engine/printables/KVShape.h"
#include "engine/model/VardoRep.h"
#include "platform/core/Strings.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Picture.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Help.h"
#include "uisupport/MyToolBar.h"
#include "uisupport/SpeedButton.h"

#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>

#include <memory>

namespace tessiv {

namespace {

const QString Nada = QStringLiteral("(NADA)");
const QString TextFilter = QStringLiteral("Arquivos Texto (*.TXT)|*.TXT|Todos os Arquivos (*.*)|*.*");

// The pictures a picture control can load, by the extensions the graphics know.
QString PictureFilter()
{
    QStringList patterns;
    for (const QString& ext : GraphicExtensions())
        patterns << QStringLiteral("*.") + ext.toLower();
    patterns.removeDuplicates();
    const QString all = patterns.join(QLatin1Char(';'));
    return QStringLiteral("Figuras (%1)|%1|Todos os Arquivos (*.*)|*.*").arg(all);
}

QString FilePart(const QString& path)
{
    return QFileInfo(path.trimmed()).fileName();
}

QString FolderPart(const QString& path)
{
    const QString trimmed = path.trimmed();
    return trimmed.isEmpty() ? QString() : QFileInfo(trimmed).absolutePath();
}

QFont QtFontOf(const TFont* font)
{
    QFont result(font->Name());
    if (font->Size() > 0)
        result.setPointSize(font->Size());
    result.setBold(font->Style().Contains(fsBold));
    result.setItalic(font->Style().Contains(fsItalic));
    result.setUnderline(font->Style().Contains(fsUnderline));
    result.setStrikeOut(font->Style().Contains(fsStrikeOut));
    return result;
}

// ---- glyphs -----------------------------------------------------------------------------------------

enum class TGlyph {
    Open, EditText, Rectangle, Circle, VertLine, HorzLine, TopAndBottom, RightAndLeft, PenColor, BrushColor, BandColor,
};

void PaintGlyph(QPainter& p, TGlyph kind)
{
    const QColor ink(0, 0, 0);
    switch (kind) {
    case TGlyph::Open:
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(240, 200, 80));
        p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(6, 4), QPoint(7, 6), QPoint(14, 6), QPoint(14, 13), QPoint(1, 13)}));
        break;
    case TGlyph::EditText:
        p.setPen(ink);
        p.setBrush(Qt::white);
        p.drawRect(2, 1, 10, 13);
        for (int y = 4; y <= 11; y += 2)
            p.drawLine(4, y, 10, y);
        break;
    case TGlyph::Rectangle:
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(2, 3, 11, 9);
        break;
    case TGlyph::Circle:
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(ink, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 3.5, 12, 9));
        break;
    case TGlyph::VertLine:
        p.setPen(QPen(ink, 1));
        p.drawLine(7, 1, 7, 14);
        break;
    case TGlyph::HorzLine:
        p.setPen(QPen(ink, 1));
        p.drawLine(1, 7, 14, 7);
        break;
    case TGlyph::TopAndBottom:
        p.setPen(QPen(ink, 1));
        p.drawLine(1, 3, 14, 3);
        p.drawLine(1, 12, 14, 12);
        break;
    case TGlyph::RightAndLeft:
        p.setPen(QPen(ink, 1));
        p.drawLine(3, 1, 3, 14);
        p.drawLine(12, 1, 12, 14);
        break;
    case TGlyph::PenColor:
        p.setPen(QPen(QColor(0, 0, 200), 2));
        p.drawRect(3, 3, 9, 9);
        break;
    case TGlyph::BrushColor:
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(220, 60, 60));
        p.drawRect(2, 2, 11, 11);
        break;
    case TGlyph::BandColor:
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(250, 230, 120));
        p.drawRect(1, 4, 13, 7);
        break;
    }
}

TSpeedButton* Button(QWidget* panel, const char* name, const QString& hint, TGlyph glyph, int groupIndex = 0)
{
    return NewSpeedButton(panel, name, hint, DrawnGlyph([glyph](QPainter& p) { PaintGlyph(p, glyph); }), groupIndex);
}

// Sets the picture modes of a picture from four states, of which at most one is true: the false
// ones first, so that the true one is what stays.
void SetImageModes(TKVImage* image, bool autoSize, bool proporcional, bool stretch, bool center)
{
    if (!autoSize)
        image->SetAutoSize(false);
    if (!proporcional)
        image->SetProporcional(false);
    if (!stretch)
        image->SetStretch(false);
    if (!center)
        image->SetCenter(false);
    if (autoSize)
        image->SetAutoSize(true);
    if (proporcional)
        image->SetProporcional(true);
    if (stretch)
        image->SetStretch(true);
    if (center)
        image->SetCenter(true);
}

void SetDBImageModes(TKVDBImage* image, bool proporcional, bool stretch, bool center)
{
    if (!proporcional)
        image->SetProporcional(false);
    if (!stretch)
        image->SetStretch(false);
    if (!center)
        image->SetCenter(false);
    if (proporcional)
        image->SetProporcional(true);
    if (stretch)
        image->SetStretch(true);
    if (center)
        image->SetCenter(true);
}

TKVShapeType ShapeKindOf(const TfmAnexo& form, const TSpeedButton* button)
{
    if (button == form.Circle)
        return kvsCircle;
    if (button == form.VertLine)
        return kvsVertLine;
    if (button == form.HorzLine)
        return kvsHorLine;
    if (button == form.TopAndBottom)
        return kvsTopAndBottom;
    if (button == form.RightAndLeft)
        return kvsRightAndLeft;
    return kvsRectangle;
}

TSpeedButton* ShapeButtonOf(const TfmAnexo& form, TKVShapeType kind)
{
    switch (kind) {
    case kvsCircle: return form.Circle;
    case kvsVertLine: return form.VertLine;
    case kvsHorLine: return form.HorzLine;
    case kvsTopAndBottom: return form.TopAndBottom;
    case kvsRightAndLeft: return form.RightAndLeft;
    case kvsRectangle: break;
    }
    return form.Rectangle;
}

// The frame of a picture or data picture; nil for any other control.
TKVFrame* PictureFrame(TControl* control)
{
    if (auto* image = dynamic_cast<TKVImage*>(control))
        return image->Frame();
    if (auto* image = dynamic_cast<TKVDBImage*>(control))
        return image->Frame();
    return nullptr;
}

enum TFrameSide { sideLeft, sideTop, sideBottom, sideRight };

bool FrameSide(const TKVFrame* frame, int side)
{
    switch (side) {
    case sideLeft: return frame->DrawLeft();
    case sideTop: return frame->DrawTop();
    case sideBottom: return frame->DrawBottom();
    default: return frame->DrawRight();
    }
}

void SetFrameSide(TKVFrame* frame, int side, bool value)
{
    switch (side) {
    case sideLeft: frame->SetDrawLeft(value); break;
    case sideTop: frame->SetDrawTop(value); break;
    case sideBottom: frame->SetDrawBottom(value); break;
    default: frame->SetDrawRight(value); break;
    }
}

} // namespace

// ---- the image bar: building and loading ------------------------------------------------------------

void TfmAnexo::BuildImageToolBar()
{
    QWidget* strip = NewRow(ImageToolBar, "ImageStrip", 2, 2, 1);
    QHBoxLayout* row = RowOf(strip);

    FilePicture = new QLineEdit(strip);
    FilePicture->setObjectName(QStringLiteral("FilePicture"));
    FilePicture->setReadOnly(true);
    FilePicture->setFixedWidth(180);
    row->addWidget(FilePicture);
    OpenPicture = Button(strip, "OpenPicture", QStringLiteral("Abre figura"), TGlyph::Open);
    // One group in which at most one mode is down.
    const auto mode = [strip](const char* name, const QString& hint, TPictureFit fit) {
        return NewSpeedButton(strip, name, hint, PictureFitGlyph(fit), 1, true);
    };
    AutoSizePicture = mode("AutoSizePicture", QString::fromUtf8("Tamanho automático"), TPictureFit::AutoSize);
    sbProporcionalPicture = mode("sbProporcionalPicture", QStringLiteral("Proporcional"), TPictureFit::Proporcional);
    StretchPicture = mode("StretchPicture", QStringLiteral("Esticar"), TPictureFit::Stretch);
    CenterPicture = mode("CenterPicture", QStringLiteral("Centralizar"), TPictureFit::Center);
    // Hidden for a picture, so for a memo it stands right after the open button.
    sbEditarArq = Button(strip, "sbEditarArq", QStringLiteral("Edita arquivo texto"), TGlyph::EditText);
    row->addStretch(1);
    ImageToolBar->addWidget(strip);

    OpenPicture->OnClick = Guarded([this] { OpenPictureClick(); });
    AutoSizePicture->OnClick = Guarded([this] { AutoSizeClick(); });
    sbProporcionalPicture->OnClick = Guarded([this] { sbProporcionalPictureClick(); });
    StretchPicture->OnClick = Guarded([this] { StretchClick(); });
    CenterPicture->OnClick = Guarded([this] { CenterPictureClick(); });
    sbEditarArq->OnClick = Guarded([this] { Editararquivotexto2Click(); });

    ImageToolBar->OnSetComponent = [this](TComponent* value) { ImageToolBarSetComponent(value); };
}

TControl* TfmAnexo::ImageToolBarControl() const
{
    return ImageToolBar ? dynamic_cast<TControl*>(ImageToolBar->Component()) : nullptr;
}

void TfmAnexo::ImageToolBarSetComponent(TComponent* value)
{
    auto* x = dynamic_cast<TControl*>(value);
    if (!x)
        return;
    if (auto* image = dynamic_cast<TKVImage*>(x)) {
        FilePicture->setText(FilePart(image->Hint()));
        SetHelpContext(FilePicture, 1070);
        FilePicture->setToolTip(QStringLiteral("Nome da figura"));
        OpenPicture->setToolTip(QStringLiteral("Abre figura"));
        sbProporcionalPicture->SetDown(image->Proporcional());
        StretchPicture->SetDown(image->Stretch());
        CenterPicture->SetDown(image->Center());
        AutoSizePicture->SetDown(image->AutoSize());
        for (TSpeedButton* b : {sbProporcionalPicture, StretchPicture, CenterPicture, AutoSizePicture})
            b->show();
        sbEditarArq->hide();
    } else if (auto* memo = dynamic_cast<TKVExprMemo*>(x)) {
        FilePicture->setText(FilePart(memo->Hint()));
        SetHelpContext(FilePicture, 1090);
        FilePicture->setToolTip(QStringLiteral("Nome do arquivo texto"));
        OpenPicture->setToolTip(QStringLiteral("Abre arquivo texto"));
        // A memo with no text keeps "(NADA)", as a new one has; it did not change in the user's eyes.
        if (memo->Lines()->Text().trimmed().isEmpty()) {
            TStringList nada;
            nada.Add(Nada);
            memo->SetLines(&nada);
        }
        sbEditarArq->show();
        for (TSpeedButton* b : {sbProporcionalPicture, StretchPicture, CenterPicture, AutoSizePicture})
            b->hide();
    }
}

// ---- the image bar: files ---------------------------------------------------------------------------

void TfmAnexo::OpenPictureClick()
{
    TControl* x = ImageToolBarControl();
    if (auto* image = dynamic_cast<TKVImage*>(x)) {
        TOpenDialog dialog(nullptr);
        dialog.Filter = PictureFilter();
        dialog.InitialDir = FolderPart(image->Hint());
        dialog.FileName = FilePart(image->Hint());
        if (!dialog.Execute(Window()))
            return;
        const QString name = QFileInfo(dialog.FileName).absoluteFilePath();
        // Read first: a file that cannot be read raises its error before anything is recorded or
        // changed, and the picture stays as it was.
        TPicture picture;
        picture.LoadFromFile(name);
        SaveUndoStep(1, image);
        image->SetPicture(&picture);
        image->SetHint(name);
        FilePicture->setText(FilePart(name));
        PumpMessages();
        if (Designer)
            Designer->RefreshHandles();
        SetModified(true);
    } else if (auto* memo = dynamic_cast<TKVExprMemo*>(x)) {
        TOpenDialog dialog(nullptr);
        dialog.Filter = TextFilter;
        dialog.DefaultExt = QStringLiteral("TXT");
        dialog.InitialDir = FolderPart(memo->Hint());
        dialog.FileName = memo->Hint().trimmed();
        if (!dialog.Execute(Window()))
            return;
        const QString name = QFileInfo(dialog.WithDefaultExt(dialog.FileName)).absoluteFilePath();
        // As for pictures: the text is read before the step is recorded.
        TStringList lines;
        lines.LoadFromFile(name);
        SaveUndoStep(1, memo);
        memo->SetLines(&lines);
        memo->SetHint(name);
        FilePicture->setText(FilePart(name));
        memo->Invalidate();
        PumpMessages();
        if (Designer)
            Designer->RefreshHandles();
        SetModified(true);
    }
}

void TfmAnexo::Editararquivotexto2Click()
{
    auto* memo = dynamic_cast<TKVExprMemo*>(ImageToolBarControl());
    if (!memo && Designer)
        memo = dynamic_cast<TKVExprMemo*>(Designer->Selected());
    if (!memo)
        return;

    const std::unique_ptr<TfmEditorTxt, TComponentDeleter> editor(new TfmEditorTxt(nullptr));
    editor->Settings = Settings();
    editor->Memo = memo;
    editor->Report = memo->ParentReport();
    editor->DataSetOwner = editor->Report ? editor->Report->Owner() : nullptr;
    if (Document)
        editor->Directory = Document->Directory();
    editor->OnMemoUpdated = [this] {
        PumpMessages();
        if (Designer)
            Designer->RefreshHandles();
        SetModified(true);
    };
    editor->OnAbout = [this] { Sobre1Click(); };
    editor->Texto->setFont(QtFontOf(memo->Font()));
    const bool wasNada = memo->Lines()->Text().startsWith(Nada);
    editor->SetText(wasNada ? QString() : memo->Lines()->Text());
    editor->SetFileName(memo->Hint().trimmed());
    editor->SetCaption(QString::fromUtf8("Editando texto com expressões"));
    if (editor->ShowModal() != mrOk)
        return;

    TStringList lines;
    GetBoxLines(editor->Texto, lines);
    if (editor->Text().trimmed().isEmpty()) {
        if (!memo->Lines()->Text().startsWith(Nada)) {
            SaveUndoStep(1, memo);
            TStringList nada;
            nada.Add(Nada);
            memo->SetLines(&nada);
            PumpMessages();
            if (Designer)
                Designer->RefreshHandles();
            SetModified(true);
        }
    } else if (!lines.Equals(memo->Lines())) {
        SaveUndoStep(1, memo);
        memo->SetLines(&lines);
        PumpMessages();
        if (Designer)
            Designer->RefreshHandles();
        SetModified(true);
    }
    if (editor->FileName() != memo->Hint()) {
        memo->SetHint(editor->FileName());
        if (ImageToolBarControl() == memo)
            FilePicture->setText(FilePart(editor->FileName()));
        SetModified(true);
    }
}

// ---- the image bar: picture modes -------------------------------------------------------------------

void TfmAnexo::CenterPictureClick()
{
    if (auto* image = dynamic_cast<TKVImage*>(ImageToolBarControl())) {
        const bool a = AutoSizePicture->Down(), p = sbProporcionalPicture->Down(), s = StretchPicture->Down(),
                   c = CenterPicture->Down();
        WriteBackSingle(
            image, nullptr, [image, c](TControl*) { return image->Center() != c; },
            [image, a, p, s, c](TControl*) { SetImageModes(image, a, p, s, c); });
    } else if (auto* picture = dynamic_cast<TKVDBImage*>(CampoControl())) {
        const bool p = sbProporcionalDBPicture->Down(), s = sbStretchDBPicture->Down(), c = sbCenterDBPicture->Down();
        WriteBackSingle(
            picture, nullptr, [picture, c](TControl*) { return picture->Center() != c; },
            [picture, p, s, c](TControl*) { SetDBImageModes(picture, p, s, c); });
    }
}

void TfmAnexo::sbProporcionalPictureClick()
{
    if (auto* image = dynamic_cast<TKVImage*>(ImageToolBarControl())) {
        const bool a = AutoSizePicture->Down(), p = sbProporcionalPicture->Down(), s = StretchPicture->Down(),
                   c = CenterPicture->Down();
        WriteBackSingle(
            image, nullptr,
            [image, a, p, s, c](TControl*) {
                return image->AutoSize() != a || image->Proporcional() != p || image->Stretch() != s ||
                       image->Center() != c;
            },
            [image, a, p, s, c](TControl*) { SetImageModes(image, a, p, s, c); });
    } else if (auto* picture = dynamic_cast<TKVDBImage*>(CampoControl())) {
        const bool p = sbProporcionalDBPicture->Down(), s = sbStretchDBPicture->Down(), c = sbCenterDBPicture->Down();
        WriteBackSingle(
            picture, nullptr, [picture, p](TControl*) { return picture->Proporcional() != p; },
            [picture, p, s, c](TControl*) { SetDBImageModes(picture, p, s, c); });
    }
}

// ---- the shape bar ----------------------------------------------------------------------------------

void TfmAnexo::BuildShapeToolbar()
{
    QWidget* strip = NewRow(ShapeToolbar, "ShapeStrip", 0, 0, 0);
    QHBoxLayout* row = RowOf(strip);

    paFormaGeometrica = NewPanel(strip, "paFormaGeometrica", 2, 1);
    // One group: a shape has exactly one kind.
    Rectangle = Button(paFormaGeometrica, "Rectangle", QString::fromUtf8("Retângulo"), TGlyph::Rectangle, 1);
    Circle = Button(paFormaGeometrica, "Circle", QStringLiteral("Elipse"), TGlyph::Circle, 1);
    VertLine = Button(paFormaGeometrica, "VertLine", QStringLiteral("Linha vertical"), TGlyph::VertLine, 1);
    HorzLine = Button(paFormaGeometrica, "HorzLine", QStringLiteral("Linha horizontal"), TGlyph::HorzLine, 1);
    TopAndBottom = Button(paFormaGeometrica, "TopAndBottom", QStringLiteral("Linhas acima/abaixo"), TGlyph::TopAndBottom, 1);
    RightAndLeft = Button(paFormaGeometrica, "RightAndLeft", QStringLiteral("Linhas esquerda/direita"), TGlyph::RightAndLeft, 1);
    PenColor = Button(paFormaGeometrica, "PenColor", QStringLiteral("Cor da linha"), TGlyph::PenColor);
    BrushColor = Button(paFormaGeometrica, "BrushColor", QStringLiteral("Cor do fundo"), TGlyph::BrushColor);

    paImage = NewPanel(strip, "paImage", 2, 1);
    // Toggles, each a group of its own.
    const auto frameToggle = [this](const char* name, const QString& hint, int side, int groupIndex) {
        return NewSpeedButton(paImage, name, hint, FrameLineGlyph(side), groupIndex, true);
    };
    BandFrameLeft = frameToggle("BandFrameLeft", QStringLiteral("Linha a esquerda"), TKVFrame::kvLeft, 11);
    BandFrameTop = frameToggle("BandFrameTop", QStringLiteral("Linha acima"), TKVFrame::kvTop, 12);
    BandFrameBottom = frameToggle("BandFrameBottom", QStringLiteral("Linha abaixo"), TKVFrame::kvBottom, 13);
    BandFrameRight = frameToggle("BandFrameRight", QStringLiteral("Linha a direita"), TKVFrame::kvRight, 14);
    sbColorBand = Button(paImage, "sbColorBand", QStringLiteral("Cor da Banda"), TGlyph::BandColor);

    row->addWidget(paFormaGeometrica);
    row->addWidget(paImage);
    row->addStretch(1);
    ShapeToolbar->addWidget(strip);

    for (TSpeedButton* b : {Rectangle, Circle, VertLine, HorzLine, TopAndBottom, RightAndLeft})
        b->OnClick = Guarded([this, b] { ShapeButtonClick(b); });
    PenColor->OnClick = Guarded([this] { PenColorClick(); });
    BrushColor->OnClick = Guarded([this] { BrushColorClick(); });
    BandFrameLeft->OnClick = Guarded([this] { BandFrameLeftClick(); });
    BandFrameTop->OnClick = Guarded([this] { BandFrameTopClick(); });
    BandFrameBottom->OnClick = Guarded([this] { BandFrameBottomClick(); });
    BandFrameRight->OnClick = Guarded([this] { BandFrameRightClick(); });
    sbColorBand->OnClick = Guarded([this] { sbColorBandClick(); });

    ShapeToolbar->OnSetComponent = [this](TComponent* value) { ShapeToolbarSetComponent(value); };
}

TControl* TfmAnexo::ShapeToolbarControl() const
{
    return ShapeToolbar ? dynamic_cast<TControl*>(ShapeToolbar->Component()) : nullptr;
}

void TfmAnexo::ShapeToolbarSetComponent(TComponent* value)
{
    auto* x = dynamic_cast<TControl*>(value);
    if (!x)
        return;
    if (auto* shape = dynamic_cast<TKVShape*>(x)) {
        paImage->hide();
        paFormaGeometrica->show();
        ShapeButtonOf(*this, shape->Shape())->SetDown(true);
        return;
    }
    TKVFrame* frame = PictureFrame(x);
    if (!frame)
        return;
    paImage->show();
    sbColorBand->setVisible(dynamic_cast<TKVImage*>(x) != nullptr);
    paFormaGeometrica->hide();
    BandFrameLeft->SetDown(frame->DrawLeft());
    BandFrameTop->SetDown(frame->DrawTop());
    BandFrameBottom->SetDown(frame->DrawBottom());
    BandFrameRight->SetDown(frame->DrawRight());
}

void TfmAnexo::ShapeButtonClick(TSpeedButton* sender)
{
    auto* shape = dynamic_cast<TKVShape*>(ShapeToolbarControl());
    if (!shape || !sender)
        return;
    const TKVShapeType kind = ShapeKindOf(*this, sender);
    // A shape button cannot be raised by a click on it.
    sender->SetDown(true);
    WriteBackSingle(
        shape, nullptr, [shape, kind](TControl*) { return shape->Shape() != kind; },
        [shape, kind](TControl*) { shape->SetShape(kind); }, TWriteBack{false, false});
}

void TfmAnexo::ShapeColorClick(const std::function<TColor(TControl*)>& get,
                               const std::function<void(TControl*, TColor)>& set)
{
    TControl* x = ShapeToolbarControl();
    if (!x)
        return;
    TColor color = get(x);
    if (!RunColorDialog(color))
        return;
    WriteBackSingle(
        x, nullptr, [&](TControl* c) { return get(c) != color; },
        [&](TControl* c) {
            set(c, color);
            c->Invalidate();
        },
        TWriteBack{false, false});
}

void TfmAnexo::PenColorClick()
{
    if (!dynamic_cast<TKVShape*>(ShapeToolbarControl()))
        return;
    ShapeColorClick([](TControl* c) { return static_cast<TKVShape*>(c)->Pen()->Color(); },
                    [](TControl* c, TColor color) { static_cast<TKVShape*>(c)->Pen()->SetColor(color); });
}

void TfmAnexo::BrushColorClick()
{
    if (!dynamic_cast<TKVShape*>(ShapeToolbarControl()))
        return;
    ShapeColorClick([](TControl* c) { return static_cast<TKVShape*>(c)->Brush()->Color(); },
                    [](TControl* c, TColor color) { static_cast<TKVShape*>(c)->Brush()->SetColor(color); });
}

void TfmAnexo::sbColorBandClick()
{
    ShapeColorClick([](TControl* c) { return c->Color(); }, [](TControl* c, TColor color) { c->SetColor(color); });
}

void TfmAnexo::BandFrameClick(TSpeedButton* toggle, int side)
{
    TControl* x = ShapeToolbarControl();
    TKVFrame* frame = PictureFrame(x);
    if (!frame)
        return;
    const bool value = toggle->Down();
    WriteBackSingle(
        x, nullptr, [frame, side, value](TControl*) { return FrameSide(frame, side) != value; },
        [frame, side, value](TControl* c) {
            SetFrameSide(frame, side, value);
            c->Invalidate();
        },
        TWriteBack{false, false});
}

void TfmAnexo::BandFrameLeftClick() { BandFrameClick(BandFrameLeft, sideLeft); }

void TfmAnexo::BandFrameTopClick() { BandFrameClick(BandFrameTop, sideTop); }

void TfmAnexo::BandFrameBottomClick() { BandFrameClick(BandFrameBottom, sideBottom); }

void TfmAnexo::BandFrameRightClick() { BandFrameClick(BandFrameRight, sideRight); }

} // namespace tessiv
