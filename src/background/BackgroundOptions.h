#pragma once

#include <QObject>
#include <QString>

class QAction;
class QWidget;

// The two Options menu commands of the checks that run without the user: whether to notify on
// the desktop, and how often to check again. Both live in "Settings" of the watch list file.
class BackgroundOptions : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultMinutes = 60;
    static constexpr int kMaxMinutes = 7 * 24 * 60;

    BackgroundOptions(QString inifilename, QWidget* dialogParent, QObject* parent = nullptr);

    // "Notify" is on unless it holds "false".
    static bool notifyFromText(const QString& stored);
    // "Check every" in minutes: 60 when empty, 0 (off) for 0 or less, at most a week.
    static int minutesFromText(const QString& stored);

    bool notifyEnabled() const;
    int checkEveryMinutes() const;

    // "Notify me on the desktop": flips the stored setting, then ticks the item (if any) as the
    // setting now reads. Returns the setting as it now reads.
    bool toggleNotify(QAction* item);
    // "Check again every…": asks for the minutes and stores them. False when cancelled or when
    // the value could not be saved (the user is told).
    bool askCheckEvery();

    static QString notifyCaption();
    static QString checkEveryCaption();

signals:
    void notifyChanged(bool on);
    void checkEveryChanged(int minutes);

private:
    QString read(const QString& key) const;
    bool write(const QString& key, const QString& value, const QString& what);

    QString m_inifilename;
    QWidget* m_dialogParent;
};
