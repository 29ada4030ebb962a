#include "uisupport/FontComboBox.h"

#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/TextMetrics.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tessiv {

namespace {

constexpr int ScalableRole = Qt::UserRole + 1;

// The font names report files made on other desktops carry: that system's core fonts and the
// printer fonts of PostScript. Listed where fontconfig holds an installed font for metric-compatible
// with one, so that a text in "Arial", the default font, shows its own name.
const char* const kReportFontNames[] = {
    "Arial", "Arial Black", "Arial Narrow", "Book Antiqua", "Bookman Old Style", "Calibri", "Cambria",
    "Century Gothic", "Comic Sans MS", "Courier", "Courier New", "Garamond", "Georgia", "Helvetica",
    "Lucida Console", "Palatino Linotype", "Symbol", "Tahoma", "Times", "Times New Roman", "Trebuchet MS",
    "Verdana",
};

// A "T" at (x, y), drawn with the canvas's pen (lines end before their last point).
void DrawT(TCanvas& c, int x, int y)
{
    c.MoveTo(x, y);
    c.LineTo(x + 7, y);
    c.LineTo(x + 7, y + 3);
    c.MoveTo(x, y);
    c.LineTo(x, y + 3);
    c.MoveTo(x + 1, y);
    c.LineTo(x + 1, y + 1);
    c.MoveTo(x + 6, y);
    c.LineTo(x + 6, y + 1);
    c.MoveTo(x + 3, y);
    c.LineTo(x + 3, y + 8);
    c.MoveTo(x + 4, y);
    c.LineTo(x + 4, y + 8);
    c.MoveTo(x + 1, y + 8);
    c.LineTo(x + 6, y + 8);
}

} // namespace

class TFontComboBox::TDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QColor back = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
        const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const QRect r = option.rect;
        painter->fillRect(r, back);
        if (index.data(ScalableRole).toBool())
            painter->drawImage(r.left() + 2, r.top() + 2, TrueTypeMark(back));
        painter->setPen(text);
        painter->drawText(r.adjusted(16, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(15);
        return s;
    }
};

TFontComboBox::TFontComboBox(QWidget* parent) : QComboBox(parent)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    f.setBold(false);
    setFont(f);
    setEditable(false);
    setMaxVisibleItems(8);
    setItemDelegate(new TDelegate(this));
    Reset();
}

void TFontComboBox::Reset()
{
    QStringList families = QFontDatabase::families();
    // Whether a name stands for a scalable font: its own, or its substitute's.
    QHash<QString, bool> scalable;
    for (const QString& family : families)
        scalable.insert(family, QFontDatabase::isSmoothlyScalable(family));
    for (const char* name : kReportFontNames) {
        const QString alias = QString::fromLatin1(name);
        if (const QString substitute = MetricCompatibleFamily(alias); !substitute.isEmpty()) {
            families << alias;
            scalable.insert(alias, QFontDatabase::isSmoothlyScalable(substitute));
        }
    }
    std::sort(families.begin(), families.end(),
              [](const QString& a, const QString& b) { return AnsiCompareText(a, b) < 0; });
    families.erase(std::unique(families.begin(), families.end(),
                               [](const QString& a, const QString& b) { return AnsiCompareText(a, b) == 0; }),
                   families.end());
    clear();
    for (const QString& family : families) {
        addItem(family);
        setItemData(count() - 1, scalable.value(family), ScalableRole);
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

bool TFontComboBox::IsScalable(int index) const { return itemData(index, ScalableRole).toBool(); }

QString TFontComboBox::FontName() const { return currentIndex() >= 0 ? itemText(currentIndex()) : QString(); }

void TFontComboBox::SetFontName(const QString& name)
{
    if (currentIndex() >= 0 && itemText(currentIndex()) == name)
        return;
    int found = -1;
    for (int i = 0; i < count() && found < 0; ++i)
        if (AnsiCompareText(itemText(i), name) == 0)
            found = i;
    setCurrentIndex(found);
}

QImage TFontComboBox::TrueTypeMark(const QColor& background)
{
    QImage image(12, 12, QImage::Format_RGB32);
    {
        TImageCanvas c(image);
        c.Brush()->SetColor(RGB(background.red(), background.green(), background.blue()));
        c.FillRect(Rect(0, 0, 12, 12));
        c.Pen()->SetColor(TColor(0x808080));
        DrawT(c, 0, 0);
        c.Pen()->SetColor(clBlack);
        DrawT(c, 4, 3);
    }
    return image;
}

} // namespace tessiv
