#include "controls/HyperLink.h"

#include "controls/Prompter.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

HyperLink::HyperLink(const QString& caption, const QUrl& url, QWidget* parent) : QLabel(caption, parent), m_url(url)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    setForegroundRole(QPalette::Link);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setAccessibleName(caption);
    setToolTip(url.toDisplayString());
    setAccessibleDescription(url.toDisplayString());
}

void HyperLink::activate()
{
    if (m_url.isEmpty())
        return;
    const bool opened = s_opener ? s_opener(m_url) : QDesktopServices::openUrl(m_url);
    if (!opened)
        Prompter::notify(window(),
                         QStringLiteral("%1 could not be opened. No program on this computer handles it.")
                             .arg(m_url.toDisplayString()),
                         Prompter::Icon::Warning);
}

void HyperLink::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        activate();
}

void HyperLink::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    activate();
}

void HyperLink::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // A label draws no focus frame of its own; keyboard users need to see where they are.
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
