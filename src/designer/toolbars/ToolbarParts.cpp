#include "designer/toolbars/ToolbarParts.h"

#include "engine/model/KVFrame.h"
#include "platform/ui/Application.h"
#include "uisupport/SpeedButton.h"
#include "uisupport/UpDown.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>

namespace tessiv {

std::function<void()> Guarded(std::function<void()> handler)
{
    return [handler = std::move(handler)] { Application().Guard(handler); };
}

QWidget* NewRow(QWidget* parent, const char* name, int leftMargin, int rightMargin, int spacing)
{
    auto* row = new QWidget(parent);
    row->setObjectName(QString::fromLatin1(name));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(leftMargin, 0, rightMargin, 0);
    layout->setSpacing(spacing);
    return row;
}

QWidget* NewPanel(QWidget* parent, const char* name, int rightMargin, int spacing)
{
    return NewRow(parent, name, 2, rightMargin, spacing);
}

QHBoxLayout* RowOf(QWidget* row)
{
    return static_cast<QHBoxLayout*>(row->layout());
}

void PlaceWidget(QWidget* panel, QWidget* widget, const char* name, const QString& hint, int width)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setToolTip(hint);
    if (width > 0)
        widget->setFixedWidth(width);
    panel->layout()->addWidget(widget);
}

TUpDown* PlaceUpDown(QWidget* panel, QLineEdit* associate, const char* name, const QString& hint, int min, int max,
                     int increment, int position)
{
    auto* upDown = Place(panel, new TUpDown(panel), name, hint);
    upDown->Min = min;
    upDown->Max = max;
    upDown->Increment = increment;
    upDown->SetAssociate(associate);
    upDown->SetPosition(position);
    return upDown;
}

TSpeedButton* NewSpeedButton(QWidget* panel, const char* name, const QString& hint, const QIcon& glyph, int groupIndex,
                             bool allowAllUp)
{
    auto* button = new TSpeedButton(panel, hint);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(glyph);
    button->SetGroupIndex(groupIndex);
    button->SetAllowAllUp(allowAllUp);
    panel->layout()->addWidget(button);
    return button;
}

QIcon DrawnGlyph(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        draw(p);
    }
    return QIcon(pixmap);
}

namespace {

const QColor kInk(0, 0, 0);
const QColor kFaint(150, 150, 150);
const QRect kBox(2, 2, 11, 11);

void FaintBox(QPainter& p)
{
    p.setPen(QPen(kFaint, 1, Qt::DotLine));
    p.drawRect(kBox);
}

// A landscape: sky with a green hill.
void Picture(QPainter& p, const QRect& r)
{
    p.fillRect(r, QColor(120, 170, 220));
    p.setPen(QColor(40, 120, 40));
    p.drawLine(r.left(), r.bottom(), r.center().x(), r.center().y());
    p.drawLine(r.center().x(), r.center().y(), r.right(), r.bottom());
}

} // namespace

QIcon FrameLineGlyph(int side)
{
    return DrawnGlyph([side](QPainter& p) {
        FaintBox(p);
        p.setPen(QPen(kInk, 2));
        switch (side) {
        case TKVFrame::kvLeft: p.drawLine(2, 2, 2, 13); break;
        case TKVFrame::kvTop: p.drawLine(2, 2, 13, 2); break;
        case TKVFrame::kvBottom: p.drawLine(2, 13, 13, 13); break;
        default: p.drawLine(13, 2, 13, 13); break;
        }
    });
}

QIcon PictureFitGlyph(TPictureFit fit)
{
    return DrawnGlyph([fit](QPainter& p) {
        if (fit == TPictureFit::AutoSize) {
            Picture(p, QRect(3, 3, 10, 10));
            p.setPen(QPen(kInk, 1));
            p.drawRect(QRect(3, 3, 10, 10));
            return;
        }
        FaintBox(p);
        switch (fit) {
        case TPictureFit::AutoSize: break;
        case TPictureFit::Proporcional: Picture(p, QRect(3, 5, 10, 6)); break;
        case TPictureFit::Stretch: Picture(p, QRect(3, 3, 10, 10)); break;
        case TPictureFit::Center: Picture(p, QRect(5, 5, 6, 6)); break;
        }
    });
}

} // namespace tessiv
