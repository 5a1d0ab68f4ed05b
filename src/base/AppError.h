#pragma once

#include <QString>
#include <exception>
#include <string>

// An error that ends the program unless a caller expects its number.
// Every error carries a number, the place it came from and a text for the user.
class AppError : public std::exception
{
public:
    enum Number : int
    {
        CancelSelected = 32755, // the file dialog was cancelled
        FileWrite = 75,         // a file could not be written
        FileRead = 53,          // a file could not be read
        ListFull = 6,           // every entry number is in use
        OutOfMemory = 7,        // not enough memory for the work asked
        Internal = 51,
    };

    AppError(int number, QString source, QString description);

    int number() const { return m_number; }
    const QString& source() const { return m_source; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int m_number;
    QString m_source;
    QString m_description;
    std::string m_what;
};
