#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>

class DBusFileRevealer;
class QListWidget;
class QWidget;
struct MainWindowMenus;
struct SharedMembers;

// The answers to a reminder: postpone it, stop it for good, acknowledge a change, or edit the
// entry. Reached from the Postpone menu and from the list's pop-up menu.
class ReminderActions : public QObject
{
    Q_OBJECT

public:
    // The entry of the selected row, -1 when no row is selected.
    using SelectedEntry = std::function<qint16()>;
    // The place of the selected row (CheckRow::place), empty when no row is selected.
    using SelectedPlace = std::function<QString()>;
    // Works on the list's selected row, through the Postpone menu and the list's pop-up.
    ReminderActions(const SharedMembers& shared, QWidget* window, QListWidget* listoldfiles,
                    const MainWindowMenus& menus, SelectedEntry realfilenumber, SelectedPlace selectedPlace);

    // Shows the pop-up at a global position when a row is selected.
    void listoldfiles_Mouseup(const QPoint& globalPos);
    // Sets up the pop-up for the selected row; false when there is nothing to show it for.
    bool preparerightpopup();

    void postponeentry(int code);
    // Postpones the given entry, selected or not, and refreshes the list. The codes: 0 one day,
    // 1 two days, 2 a week, 3 thirty days, 4 never.
    void postpone(qint16 entry, int code);

    void rightpopup1_Click() { postponeentry(0); }
    void rightpopup2_Click() { postponeentry(1); }
    void rightpopup7_Click() { postponeentry(2); }
    void rightpopup30_Click() { postponeentry(3); }
    void rightpopupnev_Click();
    void rightpopupupdatefiledate_Click();
    void rightpopupedit_Click() { emit editRequested(); }
    // "Show in Folder": the selected row's file in the user's file manager.
    void rightpopupshowinfolder_Click();

    // The Postpone menu's items are the pop-up's.
    void postpone1day_Click() { rightpopup1_Click(); }
    void postpone2days_Click() { rightpopup2_Click(); }
    void postpone7days_Click() { rightpopup7_Click(); }
    void postpone30days_Click() { rightpopup30_Click(); }
    void postponenever_Click() { rightpopupnev_Click(); }

    // Tells the user that a command needs a row of the list first.
    static void warnSelectFirst(QWidget* parent);

signals:
    // The watch list changed under the list, which should be checked again.
    void listChanged();
    // "Edit" on the pop-up.
    void editRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The selected entry, or -1 after telling the user to select a row first.
    qint16 selectedEntryOrWarn();

    const SharedMembers& m_shared;
    QWidget* m_window;
    QListWidget* m_list;
    const MainWindowMenus& m_menus;
    SelectedEntry m_realfilenumber;
    SelectedPlace m_selectedPlace;
    DBusFileRevealer* m_revealer;
};
