#include "controls/AccessibleSpinButton.h"

#include "controls/SpinButton.h"

AccessibleSpinButton::AccessibleSpinButton(SpinButton* button) : QAccessibleWidget(button, QAccessible::SpinBox) {}

SpinButton* AccessibleSpinButton::button() const
{
    return static_cast<SpinButton*>(widget());
}

QStringList AccessibleSpinButton::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names << increaseAction() << decreaseAction();
    return names;
}

void AccessibleSpinButton::doAction(const QString& actionName)
{
    if (!widget()->isEnabled()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (actionName == increaseAction())
        button()->step(SpinButton::Up);
    else if (actionName == decreaseAction())
        button()->step(SpinButton::Down);
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList AccessibleSpinButton::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == increaseAction())
        return {QStringLiteral("Up")};
    if (actionName == decreaseAction())
        return {QStringLiteral("Down")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
