#include "uisupport/UpDown.h"

#include <QEvent>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tessiv {

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto make = [this, layout](Qt::ArrowType arrow, TUDBtnType type) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        layout->addWidget(button);
        connect(button, &QToolButton::pressed, this, [this] {
            if (OnMouseDown)
                OnMouseDown();
        });
        connect(button, &QToolButton::clicked, this, [this, type] { Step(type); });
        return button;
    };
    FNext = make(Qt::UpArrow, btNext);
    FPrev = make(Qt::DownArrow, btPrev);
    setFixedWidth(16);
}

void TUpDown::SetAssociate(QLineEdit* associate)
{
    if (FAssociate)
        FAssociate->removeEventFilter(this);
    FAssociate = associate;
    if (!FAssociate)
        return;
    FAssociate->installEventFilter(this);
    WriteText();
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event)
{
    // The event first: a box being destroyed still passes its last events through here, and it
    // is no longer a line edit then.
    if (event->type() == QEvent::KeyPress && ArrowKeys && isEnabled() && watched == FAssociate.data()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? btNext : btPrev);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::SetPosition(int value)
{
    FPosition = std::clamp(value, Min, std::max(Min, Max));
    WriteText();
}

int TUpDown::PositionFromText()
{
    if (!FAssociate)
        return FPosition;
    bool ok = false;
    const int value = FAssociate->text().trimmed().toInt(&ok);
    if (ok)
        FPosition = std::clamp(value, Min, std::max(Min, Max));
    WriteText();
    return FPosition;
}

void TUpDown::Step(TUDBtnType button)
{
    const int from = PositionFromText();
    const int high = std::max(Min, Max);
    // In 64 bits, so a large increment cannot overflow past a limit.
    const long long to = static_cast<long long>(from) + (button == btNext ? Increment : -static_cast<long long>(Increment));
    int next;
    if (to > high)
        next = Wrap ? Min : high;
    else if (to < Min)
        next = Wrap ? high : Min;
    else
        next = static_cast<int>(to);
    SetPosition(next);
    if (OnClick)
        OnClick(button);
}

void TUpDown::WriteText()
{
    if (!FAssociate)
        return;
    const QString text = QString::number(FPosition);
    if (FAssociate->text() != text)
        FAssociate->setText(text);
}

} // namespace tessiv
