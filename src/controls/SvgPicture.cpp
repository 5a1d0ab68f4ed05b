#include "controls/SvgPicture.h"

#include <QPainter>
#include <QSvgRenderer>

SvgPicture::SvgPicture(const QString& resource, QWidget* parent)
    : QWidget(parent), m_renderer(new QSvgRenderer(resource, this)) // it ignores the aspect ratio unless told
{}

void SvgPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&painter, QRectF(rect()));
}
