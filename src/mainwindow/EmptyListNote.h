#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

class QListWidget;

// What the main list says while it has no rows: a short grey text painted in place of rows.
// It is no item of the list, so nothing can select it, and neither the row map file nor any
// command ever sees it. Screen readers get it as the list's description.
class EmptyListNote : public QObject
{
    Q_OBJECT

public:
    // Made as a child of the list's viewport; says nothing until the first check.
    explicit EmptyListNote(QListWidget* list);

    // After a check that filled the list: how many entries it watched, and the day it ran. What
    // it says then goes one sentence to a line: painted so, a narrow list breaks it between them;
    // read out, the sentences follow each other.
    void checked(int watched, const QDate& day);
    // While a check runs, the list tells nothing it may not hold once the check ends.
    void checking() { setText({}); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setText(const QStringList& lines);
    // The list's description: the note while the list is empty, its own otherwise.
    void describe();

    QListWidget* m_list;
    QString m_text;
    QString m_painted;
    QString m_description; // the list's own description, given back once it has rows
};
