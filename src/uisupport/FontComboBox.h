#pragma once
// A combo box of the fonts the system has, sorted without regard to case; scalable fonts carry a
// mark in the list. Besides the installed families it lists the names report files commonly use
// that fontconfig answers with a metric-compatible font ("Arial" for Liberation Sans), since a
// report keeps the name it was given.

#include <QComboBox>
#include <QImage>

namespace tessiv {

class TFontComboBox : public QComboBox {
public:
    explicit TFontComboBox(QWidget* parent = nullptr);

    // The selected font's name, or "" when none is selected.
    QString FontName() const;
    // Selects the font of that name (compared without case), or nothing when there is none.
    void SetFontName(const QString& name);
    // Fills the list with the system's fonts (and those names) and selects the first.
    void Reset();
    // Whether the list marks the font as scalable.
    bool IsScalable(int index) const;

    // The 12 x 12 mark on the given background.
    static QImage TrueTypeMark(const QColor& background);

private:
    class TDelegate;
};

} // namespace tessiv
