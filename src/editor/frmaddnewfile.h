#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include "engine/EntryWriter.h"

class ClickableLabel;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class SpinButton;
class VSResize;
struct StoredEntry;

// The window that subscribes to a new file or edits an entry. It is modeless and exists at most
// once: load() creates it when needed, Cancel only hides it, and OK or the close box unload it,
// so that the next opening starts afresh.
class frmaddnewfile : public QWidget
{
    Q_OBJECT

public:
    // The loaded editor, or nullptr.
    static frmaddnewfile* instance();
    // The editor, loaded first when it is not.
    static frmaddnewfile& load();
    // Saves the window's place and discards it; the next load() starts with a fresh one.
    void unload();

    // Window-level state.
    qint16 spindirection = 1;
    QString filedatetext;

    // Event handlers.
    void Form_Load();
    void Form_QueryUnload();
    void cmdfilename_Click();
    void Checkfixedfiles_Click();
    void SpB1_SpinDown(int direction);
    void SpB1_SpinUp();
    void SpB1_MouseOut();
    void Timerspinbox_Timer();
    void timecheckentrys_Timer();
    void cmdCancel_Click();
    void cmdok_Click();

    // The edit fill: shows a stored entry. It never unticks a box nor covers the row again.
    void showEntry(const StoredEntry& entry);
    // The values as the save takes them.
    EntryInput entryInput() const;

    // Controls.
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
    QFrame* Framecovertypefile = nullptr;
    QGroupBox* Description = nullptr;
    QLineEdit* txtdescrip = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Labeldaystodelete = nullptr;
    SpinButton* SpB1 = nullptr;
    QCheckBox* checkfilechanges = nullptr;
    QTimer* Timerspinbox = nullptr;
    QTimer* timecheckentrys = nullptr;
    VSResize* VSResize1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    frmaddnewfile();
    ~frmaddnewfile() override;

    void connectControls();
    QSize smallestFittingSize() const;
    int typeIndex() const;
    void probeFile();
    int shareTimeout() const;
    // Shows a stored description whole, even beyond what the user may type.
    void showDescription(const QString& text);
    void descriptionEdited(const QString& text);
    // Shows the day count, and names the spin button after it.
    void showDays(const QString& caption);

    // A missing file is looked for again at this pace rather than on every tick.
    QElapsedTimer m_lastProbe;
    QString m_probed;
};
