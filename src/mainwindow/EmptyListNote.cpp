#include "mainwindow/EmptyListNote.h"

#include "engine/DateTexts.h"

#include <QEvent>
#include <QListWidget>
#include <QPainter>

namespace {

// The room left around the text: a little more above it, where a first row would stand.
constexpr int kMargin = 6;
constexpr int kTopMargin = 12;

} // namespace

// A child of the viewport, which goes before the list's model when the list is torn down: the
// model's last reset finds the note gone.
EmptyListNote::EmptyListNote(QListWidget* list)
    : QObject(list->viewport()), m_list(list), m_description(list->accessibleDescription())
{
    list->viewport()->installEventFilter(this);
    // Rows come and go through the refresh, the background checks and the editor alike; the
    // description follows whichever it was.
    QAbstractItemModel* model = list->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &EmptyListNote::describe);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &EmptyListNote::describe);
    connect(model, &QAbstractItemModel::modelReset, this, &EmptyListNote::describe);
}

void EmptyListNote::checked(int watched, const QDate& day)
{
    if (watched <= 0)
        setText(
            {QStringLiteral("No files watched yet."), QStringLiteral("Choose File > Subscribe to a File to add one.")});
    else
        setText(
            {QStringLiteral("Nothing needs attention."), QStringLiteral("Checked %1.").arg(DateTexts::longDate(day))});
}

void EmptyListNote::setText(const QStringList& lines)
{
    const QString text = lines.join(QLatin1Char(' '));
    if (text == m_text)
        return;
    m_text = text;
    // A line that has to break never leaves its last word alone below the rest.
    QStringList painted = lines;
    for (QString& line : painted) {
        const qsizetype last = line.lastIndexOf(QLatin1Char(' '));
        if (last > 0)
            line[last] = QChar::Nbsp;
    }
    m_painted = painted.join(QLatin1Char('\n'));
    describe();
    m_list->viewport()->update();
}

void EmptyListNote::describe()
{
    const bool empty = m_list->count() == 0 && !m_text.isEmpty();
    m_list->setAccessibleDescription(empty ? m_text : m_description);
}

bool EmptyListNote::eventFilter(QObject* watched, QEvent* event)
{
    // With no rows the list itself paints nothing over the viewport's background.
    QWidget* viewport = m_list->viewport();
    if (event->type() == QEvent::Paint && watched == viewport && m_list->count() == 0 && !m_text.isEmpty()) {
        QPainter painter(viewport);
        painter.setPen(viewport->palette().color(QPalette::PlaceholderText));
        const QRect room = viewport->rect().adjusted(kMargin, kTopMargin, -kMargin, -kMargin);
        painter.drawText(room, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_painted);
    }
    return QObject::eventFilter(watched, event);
}
