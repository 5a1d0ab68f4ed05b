#include "controls/AccessiblePressable.h"

#include <QLabel>

AccessiblePressable::AccessiblePressable(QWidget* widget, QAccessible::Role role, std::function<void()> press)
    : QAccessibleWidget(widget, role), m_press(std::move(press))
{}

QString AccessiblePressable::shownText() const
{
    const auto* label = qobject_cast<const QLabel*>(widget());
    return label ? label->text() : QString();
}

QString AccessiblePressable::text(QAccessible::Text t) const
{
    const QString own = widget()->accessibleName();
    switch (t) {
    case QAccessible::Name:
        return own.isEmpty() ? shownText() : own;
    case QAccessible::Value:
        // With a name of its own, what the label shows is its value (the chosen file, say).
        return own.isEmpty() ? QString() : shownText();
    default:
        return QAccessibleWidget::text(t);
    }
}

QStringList AccessiblePressable::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names.prepend(pressAction());
    return names;
}

void AccessiblePressable::doAction(const QString& actionName)
{
    if (actionName == pressAction() && widget()->isEnabled() && m_press) {
        m_press();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList AccessiblePressable::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == pressAction())
        return {QStringLiteral("Space"), QStringLiteral("Return")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
