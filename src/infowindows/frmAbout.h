#pragma once

#include <QDialog>

class HyperLink;
class QFrame;
class QLabel;
class QPushButton;

// Which program and version this is, the maker's links and the disclaimer. A main window has at
// most one About window, which does not block it and is discarded when closed.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // Shows the About window of `parent`, creating it when that has none open. Returns the window shown.
    static frmAbout* showAbout(QWidget* parent = nullptr);

    QPushButton* cmdOK = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* lblDescription = nullptr;
    HyperLink* IELink = nullptr;
    HyperLink* IELink3 = nullptr;
    // The etched separator: index 1 is the grey line, index 0 the white one just below it.
    QFrame* Line1[2] = {nullptr, nullptr};
    QLabel* Label1 = nullptr;

private:
    explicit frmAbout(QWidget* parent);
};
