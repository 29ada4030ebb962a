#include "uisupport/SpeedButton.h"

namespace tessiv {

TSpeedButton::TSpeedButton(QWidget* parent, const QString& hint)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    // Checkable so that a down button looks down; the click rules are ours (nextCheckState).
    setCheckable(true);
    if (!hint.isEmpty())
        setToolTip(hint);
    connect(this, &QToolButton::clicked, this, [this] { AfterClick(); });
}

void TSpeedButton::SetGroupIndex(int value)
{
    if (FGroupIndex == value)
        return;
    FGroupIndex = value;
    if (isChecked() && FGroupIndex != 0)
        RaiseOthers();
}

void TSpeedButton::SetAllowAllUp(bool value)
{
    FAllowAllUp = value;
    // The others of the group follow, so the group has one rule.
    if (FGroupIndex == 0 || !parentWidget())
        return;
    for (auto* other : parentWidget()->findChildren<TSpeedButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (other != this && other->FGroupIndex == FGroupIndex)
            other->FAllowAllUp = value;
}

void TSpeedButton::SetDown(bool value)
{
    if (isChecked() == value)
        return;
    setChecked(value);
    if (value && FGroupIndex != 0)
        RaiseOthers();
}

void TSpeedButton::Click()
{
    click();
}

void TSpeedButton::nextCheckState()
{
    if (FGroupIndex == 0)
        return; // a push button keeps whatever state it was given
    if (isChecked()) {
        if (FAllowAllUp)
            setChecked(false);
        return;
    }
    setChecked(true);
    RaiseOthers();
}

void TSpeedButton::RaiseOthers()
{
    if (!parentWidget())
        return;
    for (auto* other : parentWidget()->findChildren<TSpeedButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (other != this && other->FGroupIndex == FGroupIndex && other->isChecked())
            other->setChecked(false);
}

void TSpeedButton::AfterClick()
{
    if (OnClick)
        OnClick();
}

} // namespace tessiv
