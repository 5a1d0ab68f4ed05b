#pragma once

#include <QString>
#include <optional>

// One freedesktop autostart entry, the per-user list of programs started at log-on: a desktop
// entry file in $XDG_CONFIG_HOME/autostart named after the value name. Writes replace the file
// atomically; a write or removal that cannot be made raises AppError.
class AutostartEntry
{
public:
    explicit AutostartEntry(const QString& valueName);

    static QString folder();
    // Letters, digits, "-" and "_" are kept and every other character becomes "-", so
    // "Staleguard StartUp" lives in "Staleguard-StartUp.desktop": desktop file names are meant to
    // hold no blanks, and no value name can reach outside the folder.
    static QString fileNameFor(const QString& valueName);
    QString filePath() const;

    // The program the entry starts; nullopt when there is no entry or it is switched off
    // (Hidden=true, or X-GNOME-Autostart-enabled=false as the desktop's session settings write).
    std::optional<QString> program() const;
    void write(const QString& program) const;
    void remove() const;

private:
    QString m_valueName;
};
