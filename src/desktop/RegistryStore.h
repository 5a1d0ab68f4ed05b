#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// Per-user values and window positions. On Windows these live in the registry under
// HKEY_CURRENT_USER. Elsewhere window positions go to the per-user configuration, the Run key maps
// to freedesktop autostart entries, and any other key path is a plain per-user value store.
class RegistryStore
{
public:
    enum Hive : quint32
    {
        HKEY_CURRENT_USER = 0x80000001u
    };

    static const QString RunKey; // "Software\Microsoft\Windows\CurrentVersion\Run"

    // The hive and the flag arguments keep the calls as the program has always made them. Every
    // value here is the user's own, so there is one hive and nothing for a flag to choose: the
    // hive is not looked at and the flags, in or out, are left alone.
    QString GetValue(Hive hive, const QString& keyPath, const QString& valueName, int& flag, const QString& def);
    void DeleteValue(Hive hive, const QString& keyPath, const QString& valueName, int& flag);
    void SetValue(Hive hive, const QString& keyPath, QString valueName, QString data, int flag, int& flag2);
    void LoadWindowPos(QWidget* window, const QString& keyPath, int flag, Hive hive);
    void SaveWindowPos(QWidget* window, const QString& keyPath, Hive hive);

    // The frame rectangle a restored window should take. A window of which no screen shows a grip of its
    // top edge (the part that carries the title bar) moves to the middle of the primary screen, shrunk
    // to fit it; any other window stays where it is.
    static QRect keepOnScreen(const QRect& frame, const QList<QRect>& screens, const QRect& primary);

    static RegistryStore& instance();
};
