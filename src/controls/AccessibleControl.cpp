#include "controls/AccessibleControl.h"

#include <QLabel>

AccessibleControl::AccessibleControl(QWidget* widget, QAccessible::Role role, QList<Action> actions, bool first)
    : QAccessibleWidget(widget, role), m_actions(std::move(actions)), m_first(first)
{}

QString AccessibleControl::text(QAccessible::Text t) const
{
    const auto* label = qobject_cast<const QLabel*>(widget());
    if (!label || (t != QAccessible::Name && t != QAccessible::Value))
        return QAccessibleWidget::text(t);
    // With a name of its own, what the label shows is its value (the chosen file, say).
    const QString own = widget()->accessibleName();
    if (t == QAccessible::Name)
        return own.isEmpty() ? label->text() : own;
    return own.isEmpty() ? QString() : label->text();
}

QStringList AccessibleControl::actionNames() const
{
    const QStringList inherited = QAccessibleWidget::actionNames();
    if (!widget()->isEnabled())
        return inherited;
    QStringList own;
    for (const Action& each : m_actions)
        own.append(each.name);
    return m_first ? own + inherited : inherited + own;
}

void AccessibleControl::doAction(const QString& actionName)
{
    const Action* chosen = action(actionName);
    if (chosen && widget()->isEnabled())
        chosen->run();
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList AccessibleControl::keyBindingsForAction(const QString& actionName) const
{
    const Action* chosen = action(actionName);
    return chosen ? chosen->keys : QAccessibleWidget::keyBindingsForAction(actionName);
}

const AccessibleControl::Action* AccessibleControl::action(const QString& name) const
{
    for (const Action& each : m_actions) {
        if (each.name == name)
            return &each;
    }
    return nullptr;
}
