#pragma once

#include <QWidget>

// Two arrow buttons, one above the other, that only report presses: the owner does the
// stepping and decides how to repeat while a button is held. The Up and Down keys act like
// the buttons when the control has the focus.
class SpinButton : public QWidget
{
    Q_OBJECT

public:
    enum Direction : int
    {
        Down = 0,
        Up = 1
    };

    explicit SpinButton(QWidget* parent = nullptr);

    // One press and release of a half, as assistive technology asks for it.
    void step(Direction direction);

    QSize sizeHint() const override { return QSize(25, 25); }
    QSize minimumSizeHint() const override { return QSize(10, 10); }

signals:
    // A half was pressed; `direction` is Up (1) or Down.
    void SpinDown(int direction);
    // The pressed half was let go.
    void SpinUp();
    // The pointer left the control, or the control lost the focus, while a half was pressed.
    void MouseOut();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    enum class Pressed
    {
        None,
        Upper,
        Lower
    };

    QRect half(Pressed which) const;
    void press(Pressed which);
    // Lets the pressed half go: the user let go of it, or the pointer or the focus `left` it.
    void release(bool left = false);
    void paintHalf(QPainter& painter, Pressed which);

    Pressed m_pressed = Pressed::None;
};
