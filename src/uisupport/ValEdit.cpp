#include "uisupport/ValEdit.h"

#include "platform/core/SysUtils.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace tessiv {

std::function<void()>& TValEdit::Beeper()
{
    static std::function<void()> beeper = [] { QApplication::beep(); };
    return beeper;
}

TValEdit::TValEdit(QWidget* parent) : QLineEdit(parent)
{
    resize(121, 21);
    SetAlignment(taRightJustify);
    ShowValue();
}

void TValEdit::SetValue(long double value)
{
    if (value == FValue)
        return;
    FValue = value;
    ShowValue();
}

void TValEdit::SetDisplayFormat(const QString& format)
{
    if (format == FDisplayFormat)
        return;
    FDisplayFormat = format;
    ShowValue();
}

void TValEdit::SetAlignment(TAlignment alignment)
{
    FAlignment = alignment;
    switch (alignment) {
    case taLeftJustify:
        setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case taRightJustify:
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case taCenter:
        setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        break;
    }
}

void TValEdit::ShowValue() { setText(FormatFloat(FDisplayFormat, FValue)); }

bool TValEdit::AcceptsChar(QChar c)
{
    const TFormatSettings& fs = FormatSettings();
    return c == QChar(8) || c == QChar(13) || c == QChar(27) || c == QLatin1Char('-') ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (!fs.ThousandSeparator.isNull() && c == fs.ThousandSeparator) ||
           c == fs.DecimalSeparator;
}

void TValEdit::keyPressEvent(QKeyEvent* event)
{
    // Keys that type a character are checked; editing and moving keys (and shortcuts) are not.
    const QString text = event->text();
    if (text.size() == 1 && text[0].isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
        !AcceptsChar(text[0])) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TValEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // After the click that brought the focus has placed the cursor.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            selectAll();
    });
}

void TValEdit::focusOutEvent(QFocusEvent* event)
{
    ReadText();
    QLineEdit::focusOutEvent(event);
}

void TValEdit::ReadText()
{
    const QString t = text();
    const QChar decimal = FormatSettings().DecimalSeparator;
    const bool negative = t.contains(QLatin1Char('-')) || t.contains(QLatin1Char('('));
    QString number;
    for (QChar c : t)
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == decimal)
            number += c;
    long double v = 0;
    if (TryStrToFloat(number, v)) {
        FValue = negative ? -v : v;
    } else if (const auto& beep = Beeper()) {
        beep();
    }
    ShowValue();
}

} // namespace tessiv
