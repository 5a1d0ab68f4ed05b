#pragma once

#include <QAccessibleWidget>
#include <functional>

// How assistive technology sees one of the program's own controls: by its role, a label's name
// (the accessible name, else the text it shows) and actions that do what a click or a key does.
class AccessibleControl : public QAccessibleWidget
{
public:
    struct Action
    {
        QString name;
        QStringList keys;
        std::function<void()> run;
    };

    // With `first` the actions are listed before the widget's own, as a press is; else after them.
    AccessibleControl(QWidget* widget, QAccessible::Role role, QList<Action> actions, bool first);

    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    const Action* action(const QString& name) const;

    QList<Action> m_actions;
    bool m_first;
};
