#pragma once

#include <QAccessibleWidget>

class SpinButton;

// The spin button as assistive technology sees it: a spin box whose increase and decrease
// actions step once, as a click on the upper or the lower arrow does.
class AccessibleSpinButton : public QAccessibleWidget
{
public:
    explicit AccessibleSpinButton(SpinButton* button);

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    SpinButton* button() const;
};
