#pragma once

#include <QObject>
#include <QString>

// The two Options menu commands of the checks that run without the user: whether to notify on
// the desktop, and how often to check again. Both live in "Settings" of the watch list file.
class BackgroundOptions : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultMinutes = 60;
    static constexpr int kMaxMinutes = 7 * 24 * 60;

    explicit BackgroundOptions(QString inifilename = QString(), QObject* parent = nullptr);

    // The watch list file whose "Settings" hold the options; none until start-up has found it.
    void setInifilename(const QString& inifilename) { m_inifilename = inifilename; }
    bool hasWatchList() const { return !m_inifilename.isEmpty(); }

    // "Check every" in minutes: 60 when empty, 0 (off) for 0 or less, at most a week.
    static int minutesFromText(const QString& stored);

    bool notifyEnabled() const;
    int checkEveryMinutes() const;

    // Flips the stored "Notify". Returns the setting as it now reads, whether or not the write
    // went through.
    bool toggleNotify();
    // Stores "Check every"; false when it could not be saved.
    bool setCheckEveryMinutes(int minutes);

signals:
    void notifyChanged(bool on);
    void checkEveryChanged(int minutes);
    // A setting could not be stored; `message` tells the user which one and why.
    void saveFailed(const QString& message);

private:
    QString read(const QString& key) const;
    bool write(const QString& key, const QString& value, const QString& what);

    QString m_inifilename;
};
