#include "controls/AccessibleControls.h"

#include "controls/AccessiblePressable.h"
#include "controls/AccessibleSpinButton.h"
#include "controls/ClickableLabel.h"
#include "controls/HyperLink.h"
#include "controls/SpinButton.h"

#include <QAccessible>

namespace AccessibleControls {

namespace {

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("ClickableLabel")) {
        auto* label = static_cast<ClickableLabel*>(object);
        return new AccessiblePressable(label, QAccessible::Button, [label] { label->click(); });
    }
    if (className == QLatin1String("HyperLink")) {
        auto* link = static_cast<HyperLink*>(object);
        return new AccessiblePressable(link, QAccessible::Link, [link] { link->activate(); });
    }
    if (className == QLatin1String("SpinButton"))
        return new AccessibleSpinButton(static_cast<SpinButton*>(object));
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace AccessibleControls
