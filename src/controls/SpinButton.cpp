#include "controls/SpinButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

SpinButton::SpinButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Spin"));
}

void SpinButton::step(Direction direction)
{
    press(direction == Up ? Pressed::Upper : Pressed::Lower);
    release();
}

QRect SpinButton::half(Pressed which) const
{
    const int upperHeight = height() / 2;
    if (which == Pressed::Upper)
        return QRect(0, 0, width(), upperHeight);
    return QRect(0, upperHeight, width(), height() - upperHeight);
}

void SpinButton::press(Pressed which)
{
    if (m_pressed != Pressed::None)
        release();
    m_pressed = which;
    update();
    emit SpinDown(which == Pressed::Upper ? Up : Down);
}

void SpinButton::release(bool left)
{
    if (m_pressed == Pressed::None)
        return;
    m_pressed = Pressed::None;
    update();
    if (left)
        emit MouseOut();
    else
        emit SpinUp();
}

void SpinButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        QWidget::mousePressEvent(event);
    else
        press(half(Pressed::Upper).contains(event->position().toPoint()) ? Pressed::Upper : Pressed::Lower);
}

void SpinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        release();
    else
        QWidget::mouseReleaseEvent(event);
}

void SpinButton::mouseMoveEvent(QMouseEvent* event)
{
    // The press grabs the mouse, so leaving is seen here rather than as a leave event.
    if (!rect().contains(event->position().toPoint()))
        release(true);
}

void SpinButton::leaveEvent(QEvent* event)
{
    release(true);
    QWidget::leaveEvent(event);
}

void SpinButton::keyPressEvent(QKeyEvent* event)
{
    // The owner repeats while the key is held, as for the mouse; the keyboard's own repeat is not wanted.
    const int key = event->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        QWidget::keyPressEvent(event);
    else if (!event->isAutoRepeat())
        press(key == Qt::Key_Up ? Pressed::Upper : Pressed::Lower);
}

void SpinButton::keyReleaseEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        QWidget::keyReleaseEvent(event);
    else if (!event->isAutoRepeat())
        release();
}

void SpinButton::focusOutEvent(QFocusEvent* event)
{
    release(true);
    QWidget::focusOutEvent(event);
}

void SpinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintHalf(painter, Pressed::Upper);
    paintHalf(painter, Pressed::Lower);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void SpinButton::paintHalf(QPainter& painter, Pressed which)
{
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = half(which);
    button.state |= (m_pressed == which) ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);

    QStyleOption arrow;
    arrow.initFrom(this);
    const int margin = qMax(2, button.rect.height() / 5);
    arrow.rect = button.rect.adjusted(margin, margin, -margin, -margin);
    style()->drawPrimitive(which == Pressed::Upper ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                           &arrow, &painter, this);
}
