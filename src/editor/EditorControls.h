#pragma once

class ClickableLabel;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QWidget;
class SpinButton;
class VSResize;

// The entry editor's controls at their design places, with every caption, limit, accessible
// name and the tab order. Their commands are connected by the editor.
struct EditorControls
{
    // The longest description the user can type. A longer one already stored is shown whole.
    static constexpr int kTypedDescriptionLength = 35;

    // Builds every control onto the window.
    void build(QWidget& window);

    QGroupBox* Frame1 = nullptr;
    ClickableLabel* cmdfilename = nullptr;
    QPushButton* cmdok = nullptr;
    QPushButton* cmdcancel = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* labfileinfo = nullptr;
    QCheckBox* Checkfixedfiles = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* listtypeoffile = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* labpattern = nullptr;
    QLineEdit* txtpattern = nullptr;
    QFrame* Framecovertypefile = nullptr;
    QGroupBox* Description = nullptr;
    QLineEdit* txtdescrip = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Labeldaystodelete = nullptr;
    SpinButton* SpB1 = nullptr;
    QCheckBox* checkfilechanges = nullptr;
    QLabel* labsmallest = nullptr;
    QLineEdit* txtsmallest = nullptr;
    QLabel* labjob = nullptr;
    QLineEdit* txtjob = nullptr;
    QCheckBox* checkjoblate = nullptr;
    QLabel* labjobsafety = nullptr; // why jobs do not run from this watch list, when they do not
    QTimer* Timerspinbox = nullptr;
    QTimer* timecheckentrys = nullptr;
    VSResize* VSResize1 = nullptr;
};
