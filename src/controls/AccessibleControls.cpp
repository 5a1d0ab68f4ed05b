#include "controls/AccessibleControls.h"

#include "controls/ClickableLabel.h"
#include "controls/HyperLink.h"
#include "controls/SpinButton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>
#include <functional>

namespace AccessibleControls {

namespace {

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
    AccessibleControl(QWidget* widget, QAccessible::Role role, QList<Action> actions, bool first)
        : QAccessibleWidget(widget, role), m_actions(std::move(actions)), m_first(first)
    {}

    QString text(QAccessible::Text t) const override
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

    QStringList actionNames() const override
    {
        const QStringList inherited = QAccessibleWidget::actionNames();
        if (!widget()->isEnabled())
            return inherited;
        QStringList own;
        for (const Action& each : m_actions)
            own.append(each.name);
        return m_first ? own + inherited : inherited + own;
    }

    void doAction(const QString& actionName) override
    {
        const Action* chosen = action(actionName);
        if (chosen && widget()->isEnabled())
            chosen->run();
        else
            QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override
    {
        const Action* chosen = action(actionName);
        return chosen ? chosen->keys : QAccessibleWidget::keyBindingsForAction(actionName);
    }

private:
    const Action* action(const QString& name) const
    {
        const auto found = std::find_if(m_actions.cbegin(), m_actions.cend(),
                                        [&name](const Action& each) { return each.name == name; });
        return found == m_actions.cend() ? nullptr : &*found;
    }

    QList<Action> m_actions;
    bool m_first;
};

// A label that acts as a button or a link: Space and Return press it, as a click does.
QAccessibleInterface* pressable(QWidget* widget, QAccessible::Role role, std::function<void()> press)
{
    const QString name = QAccessibleActionInterface::pressAction();
    return new AccessibleControl(widget, role, {{name, {QStringLiteral("Space"), QStringLiteral("Return")}, press}},
                                 true);
}

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ClickableLabel")) {
        auto* label = static_cast<ClickableLabel*>(object);
        return pressable(label, QAccessible::Button, [label] { label->click(); });
    }
    if (className == QLatin1String("HyperLink")) {
        auto* link = static_cast<HyperLink*>(object);
        return pressable(link, QAccessible::Link, [link] { link->activate(); });
    }
    if (className == QLatin1String("SpinButton")) {
        // A spin box whose increase and decrease step once, as a click on an arrow does.
        auto* button = static_cast<SpinButton*>(object);
        const auto step = [button](SpinButton::Direction direction) { return [=] { button->step(direction); }; };
        return new AccessibleControl(
            button, QAccessible::SpinBox,
            {{QAccessibleActionInterface::increaseAction(), {QStringLiteral("Up")}, step(SpinButton::Up)},
             {QAccessibleActionInterface::decreaseAction(), {QStringLiteral("Down")}, step(SpinButton::Down)}},
            false);
    }
    return nullptr;
}

} // namespace

void install()
{
    // Qt keeps one copy of a factory however often it is installed.
    QAccessible::installFactory(factory);
}

} // namespace AccessibleControls
