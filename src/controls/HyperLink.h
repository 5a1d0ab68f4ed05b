#pragma once

#include <QLabel>
#include <QUrl>
#include <functional>

// A clickable link: an underlined caption that opens its address in the user's browser or mail
// program when clicked, or when Enter or Space is pressed while it has the focus.
class HyperLink : public QLabel
{
    Q_OBJECT

public:
    // Opens an address; true when it could be opened.
    using UrlOpener = std::function<bool(const QUrl&)>;

    // The caption is also the link's accessible name; the address is its tooltip and description.
    HyperLink(const QString& caption, const QUrl& url, QWidget* parent);

    QString caption() const { return text(); }
    QUrl url() const { return m_url; }

    // Opens the address as a click would.
    void activate();

    // Test seam: addresses go to `opener` instead of the desktop. An empty opener restores the desktop.
    static void setUrlOpener(UrlOpener opener) { s_opener = std::move(opener); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static inline UrlOpener s_opener;
    QUrl m_url;
    bool m_pressed = false;
};
