#pragma once
// The pieces the property tool bars are built from: panels holding a row of widgets, widgets placed
// in them with their name and hint, speed buttons and up-downs, the glyphs more than one bar shows,
// and the guard the bars' handlers run under.

#include <QIcon>
#include <QString>

#include <functional>

class QHBoxLayout;
class QLineEdit;
class QPainter;
class QWidget;

namespace tessiv {

class TSpeedButton;
class TUpDown;

// Handlers run by a bar's controls: their errors end at the application's error box.
std::function<void()> Guarded(std::function<void()> handler);

// A widget laying out its children in one row, with the given margins left and right (none above
// and below) and the given spacing between them.
QWidget* NewRow(QWidget* parent, const char* name, int leftMargin, int rightMargin, int spacing);
// A panel of a bar: a row 2 pixels in from the left.
QWidget* NewPanel(QWidget* parent, const char* name, int rightMargin = 2, int spacing = 2);
// The row of a widget made by NewRow or NewPanel.
QHBoxLayout* RowOf(QWidget* row);

// Names the widget, gives it its hint (and a fixed width when one is given) and adds it to the
// panel's row.
void PlaceWidget(QWidget* panel, QWidget* widget, const char* name, const QString& hint, int width = 0);
template <class W>
W* Place(QWidget* panel, W* widget, const char* name, const QString& hint, int width = 0)
{
    PlaceWidget(panel, widget, name, hint, width);
    return widget;
}
// The up-down of a number box, placed after it.
TUpDown* PlaceUpDown(QWidget* panel, QLineEdit* associate, const char* name, const QString& hint, int min, int max,
                     int increment, int position);
// A speed button with its glyph, in a group (0 for none) in which all may be up or not.
TSpeedButton* NewSpeedButton(QWidget* panel, const char* name, const QString& hint, const QIcon& glyph,
                             int groupIndex = 0, bool allowAllUp = false);

// A 16 by 16 glyph drawn on a transparent ground.
QIcon DrawnGlyph(const std::function<void(QPainter&)>& draw);
// A box with one of its frame lines drawn (a side of TKVFrame).
QIcon FrameLineGlyph(int side);
// How a picture fits its control: the control takes its size, or it fits the control in one of three
// ways.
enum class TPictureFit { AutoSize, Proporcional, Stretch, Center };
QIcon PictureFitGlyph(TPictureFit fit);

} // namespace tessiv
