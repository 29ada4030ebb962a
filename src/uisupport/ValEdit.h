#pragma once
// A one-line numeric edit: it shows Value through DisplayFormat, takes only digits, "-" and the
// locale's separators from the keyboard, selects its text when entered and reads the value back
// when left. Text that is not a number leaves the value as it was, with a beep.

#include "platform/core/Alignment.h"

#include <QLineEdit>

#include <functional>

namespace tessiv {

class TValEdit : public QLineEdit {
public:
    explicit TValEdit(QWidget* parent = nullptr);

    long double Value() const { return FValue; }
    void SetValue(long double value);
    const QString& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& format);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);

    // What leaving the edit does: the text read into Value (negative with "-" or "("; only the
    // digits and decimal separators count), then shown again.
    void ReadText();
    // Whether a typed character gets to the edit.
    static bool AcceptsChar(QChar c);

    // Sounds the system beep; the program's tests listen here instead.
    static std::function<void()>& Beeper();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowValue();

    long double FValue = 0;
    QString FDisplayFormat = QStringLiteral("0.00;(0.00)");
    TAlignment FAlignment = taRightJustify;
};

} // namespace tessiv
