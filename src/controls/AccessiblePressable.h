#pragma once

#include <QAccessibleWidget>
#include <functional>

// How assistive technology sees a label that acts as a button or a link: by its role, its name
// (the accessible name, else the text it shows) and a press action that does what a click does.
class AccessiblePressable : public QAccessibleWidget
{
public:
    AccessiblePressable(QWidget* widget, QAccessible::Role role, std::function<void()> press);

    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    QString shownText() const;

    std::function<void()> m_press;
};
