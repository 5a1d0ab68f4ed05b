#pragma once

#include <QSvgRenderer>
#include <QWidget>

// A vector picture stretched to fill the widget.
class SvgPicture : public QWidget
{
    Q_OBJECT

public:
    explicit SvgPicture(const QString& resource, QWidget* parent = nullptr);

    bool isValid() const { return m_renderer->isValid(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer* m_renderer;
};
