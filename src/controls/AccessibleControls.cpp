#include "controls/AccessibleControls.h"

#include "controls/AccessibleControl.h"
#include "controls/ClickableLabel.h"
#include "controls/HyperLink.h"
#include "controls/SpinButton.h"

#include <QAccessible>

namespace AccessibleControls {

namespace {

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
