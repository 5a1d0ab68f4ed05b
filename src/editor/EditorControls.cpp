#include "editor/EditorControls.h"

#include "controls/ClickableLabel.h"
#include "controls/SpinButton.h"
#include "controls/Twips.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Places a control by its layout in twips.
template <typename W> W* place(W* widget, int left, int top, int width, int height)
{
    widget->setGeometry(Twips::rect(left, top, width, height));
    return widget;
}

void boxed(QLabel* label)
{
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    label->setBackgroundRole(QPalette::Base);
    label->setForegroundRole(QPalette::Text);
    label->setAlignment(Qt::AlignCenter);
}

// A line edit that tells what it wants in a tooltip, which assistive technology reads out as well.
QLineEdit* hintedEdit(QWidget* parent, const char* objectName, const QString& name, const QString& hint)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setAccessibleName(name);
    edit->setToolTip(hint);
    edit->setAccessibleDescription(hint);
    return edit;
}

void buildFolderRows(EditorControls& w, QWidget* window)
{
    w.Checkfixedfiles =
        place(new QCheckBox(QStringLiteral("Don't use a fixed filename."), window), 105, 2040, 2175, 255);
    w.Label1 = place(new QLabel(QStringLiteral("Use the"), window), 2370, 2025, 735, 255);
    w.listtypeoffile = place(new QComboBox(window), 3015, 1980, 1080, 315);
    w.listtypeoffile->setEditable(true);
    w.listtypeoffile->setInsertPolicy(QComboBox::NoInsert);
    // The box's own text field and drop-down list are read out on their own.
    for (QWidget* part : {static_cast<QWidget*>(w.listtypeoffile), static_cast<QWidget*>(w.listtypeoffile->lineEdit()),
                          static_cast<QWidget*>(w.listtypeoffile->view())})
        part->setAccessibleName(QStringLiteral("Which file in this directory"));
    w.Label3 = place(new QLabel(QStringLiteral("file in this directory"), window), 4170, 2025, 1455, 255);
    w.labpattern = place(new QLabel(QStringLiteral("whose name matches"), window), 2370, 2445, 1455, 255);
    w.txtpattern = place(hintedEdit(window, "txtpattern", QStringLiteral("Only files whose name matches"),
                                    QStringLiteral("For example *.zip;*.tar.gz; empty for every file")),
                         3840, 2400, 1785, 315);
    w.labpattern->setBuddy(w.txtpattern);
    w.Framecovertypefile = place(new QFrame(window), 2280, 1920, 3420, 915);
    w.Framecovertypefile->setAutoFillBackground(true);
    w.Framecovertypefile->raise();
}

void buildReminderRows(EditorControls& w, QWidget* window)
{
    w.Description = place(new QGroupBox(QStringLiteral("Description"), window), 120, 2925, 3135, 735);
    w.txtdescrip = place(new QLineEdit(w.Description), 120, 240, 2895, 375);
    w.txtdescrip->setMaxLength(EditorControls::kTypedDescriptionLength);
    w.txtdescrip->setToolTip(QStringLiteral("Enter the description of the file here"));
    w.txtdescrip->setAccessibleName(QStringLiteral("Description"));
    w.txtdescrip->setAccessibleDescription(w.txtdescrip->toolTip());
    w.Frame2 = place(new QGroupBox(QStringLiteral("Remind me if the file is:-"), window), 3360, 2925, 2295, 735);
    w.Labeldaystodelete = place(new QLabel(w.Frame2), 600, 240, 1575, 375);
    boxed(w.Labeldaystodelete);
    QFont font = w.Labeldaystodelete->font();
    font.setPointSizeF(9.75);
    w.Labeldaystodelete->setFont(font);
    w.SpB1 = place(new SpinButton(window), 3480, 3165, 375, 375);
    w.SpB1->setAccessibleDescription(QStringLiteral("Up and Down change the number of days"));
    w.SpB1->raise();
    w.checkfilechanges =
        place(new QCheckBox(QStringLiteral("Also tell me when this file changes"), window), 120, 3885, 2895, 495);
    w.labsmallest = place(new QLabel(QStringLiteral("Remind me if it is smaller than"), window), 120, 4485, 2655, 255);
    w.txtsmallest = place(hintedEdit(window, "txtsmallest", QStringLiteral("Remind me if it is smaller than"),
                                     QStringLiteral("Bytes, or a number with K, M or G, for example 500K; empty "
                                                    "for any size")),
                          2850, 4440, 1215, 315);
    w.labsmallest->setBuddy(w.txtsmallest);
}

void buildJobRows(EditorControls& w, QWidget* window)
{
    w.labjob = place(new QLabel(QStringLiteral("Command that makes this file"), window), 120, 4890, 2655, 255);
    w.txtjob = place(hintedEdit(window, "txtjob", QStringLiteral("Command that makes this file"),
                                QStringLiteral("For example /home/me/bin/backup --nightly; run without a shell")),
                     2850, 4845, 3975, 315);
    w.labjob->setBuddy(w.txtjob);
    w.checkjoblate =
        place(new QCheckBox(QStringLiteral("Run it by itself when it is late"), window), 120, 5250, 3975, 255);
    w.checkjoblate->setObjectName(QStringLiteral("checkjoblate"));
    w.labjobsafety = place(new QLabel(window), 120, 5610, 6705, 255);
    w.labjobsafety->setObjectName(QStringLiteral("labjobsafety"));
}

} // namespace

void EditorControls::build(QWidget& window)
{
    Frame1 = place(new QGroupBox(QStringLiteral("File name"), &window), 120, 120, 5532, 975);
    cmdfilename = place(new ClickableLabel(Frame1), 120, 240, 5295, 615);
    cmdfilename->setObjectName(QStringLiteral("cmdfilename"));
    cmdfilename->setAccessibleName(QStringLiteral("File name"));
    cmdfilename->setToolTip(QStringLiteral("Click to choose the file"));
    cmdfilename->setAccessibleDescription(QStringLiteral("Click, or press Space, to choose the file"));
    boxed(cmdfilename);
    cmdok = place(new QPushButton(QStringLiteral("OK"), &window), 5880, 120, 972, 372);
    cmdcancel = place(new QPushButton(QStringLiteral("Cancel"), &window), 5880, 720, 972, 372);
    cmdok->setEnabled(false);
    Frame3 = place(new QGroupBox(QStringLiteral("File Information"), &window), 120, 1200, 5535, 615);
    labfileinfo = place(new QLabel(Frame3), 120, 240, 5295, 255);
    labfileinfo->setAlignment(Qt::AlignCenter);
    buildFolderRows(*this, &window);
    buildReminderRows(*this, &window);
    buildJobRows(*this, &window);

    Timerspinbox = new QTimer(&window);
    Timerspinbox->setInterval(500);
    timecheckentrys = new QTimer(&window);
    timecheckentrys->setInterval(5);

    const QList<QWidget*> order{cmdok,      cmdcancel,   txtdescrip, checkfilechanges, Checkfixedfiles, listtypeoffile,
                                txtpattern, cmdfilename, SpB1,       txtsmallest,      txtjob,          checkjoblate};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}
