#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class SvgPicture;

// The window shown while the program starts and checks the watched files for the first time.
// Any key that produces a character closes it; it deletes itself when closed.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    // One step of progress on the status line, drawn at most once a frame.
    void addProgressDot();
    // Draws the status line at once: the end of a run of steps calls it, so that the last shows.
    void drawProgress();
    // Sets the status line and draws it at once.
    void setStatus(const QString& text);

    // The status text after one more step: a dot more, starting again once it grows past 70.
    static QString withProgressDot(const QString& status);
    static QString checkingText() { return QStringLiteral("Please Wait Checking Files"); }

    QFrame* Frame1 = nullptr;
    SvgPicture* imgLogo = nullptr;
    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* labelstatus = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QElapsedTimer m_sinceDrawn;
};
