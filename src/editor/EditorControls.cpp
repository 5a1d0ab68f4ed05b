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

void buildRows(EditorControls& w, QWidget* window)
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
    w.Framecovertypefile = place(new QFrame(window), 2280, 1920, 3420, 510);
    w.Framecovertypefile->setAutoFillBackground(true);
    w.Framecovertypefile->raise();

    w.Description = place(new QGroupBox(QStringLiteral("Description"), window), 120, 2520, 3135, 735);
    w.txtdescrip = place(new QLineEdit(w.Description), 120, 240, 2895, 375);
    w.txtdescrip->setMaxLength(EditorControls::kTypedDescriptionLength);
    w.txtdescrip->setToolTip(QStringLiteral("Enter the description of the file here"));
    w.txtdescrip->setAccessibleName(QStringLiteral("Description"));
    w.txtdescrip->setAccessibleDescription(w.txtdescrip->toolTip());
    w.Frame2 = place(new QGroupBox(QStringLiteral("Remind me if the file is:-"), window), 3360, 2520, 2295, 735);
    w.Labeldaystodelete = place(new QLabel(w.Frame2), 600, 240, 1575, 375);
    boxed(w.Labeldaystodelete);
    QFont font = w.Labeldaystodelete->font();
    font.setPointSizeF(9.75);
    w.Labeldaystodelete->setFont(font);
    w.SpB1 = place(new SpinButton(window), 3480, 2760, 375, 375);
    w.SpB1->setAccessibleDescription(QStringLiteral("Up and Down change the number of days"));
    w.SpB1->raise();
    w.checkfilechanges =
        place(new QCheckBox(QStringLiteral("Also tell me when this file changes"), window), 120, 3480, 2895, 495);
}

void buildControls(EditorControls& w, QWidget* window)
{
    w.Frame1 = place(new QGroupBox(QStringLiteral("File name"), window), 120, 120, 5532, 975);
    w.cmdfilename = place(new ClickableLabel(w.Frame1), 120, 240, 5295, 615);
    w.cmdfilename->setObjectName(QStringLiteral("cmdfilename"));
    w.cmdfilename->setAccessibleName(QStringLiteral("File name"));
    w.cmdfilename->setToolTip(QStringLiteral("Click to choose the file"));
    w.cmdfilename->setAccessibleDescription(QStringLiteral("Click, or press Space, to choose the file"));
    boxed(w.cmdfilename);
    w.cmdok = place(new QPushButton(QStringLiteral("OK"), window), 5880, 120, 972, 372);
    w.cmdcancel = place(new QPushButton(QStringLiteral("Cancel"), window), 5880, 720, 972, 372);
    for (QPushButton* button : {w.cmdok, w.cmdcancel})
        button->setAutoDefault(false);
    w.cmdok->setEnabled(false);
    w.Frame3 = place(new QGroupBox(QStringLiteral("File Information"), window), 120, 1200, 5535, 615);
    w.labfileinfo = place(new QLabel(w.Frame3), 120, 240, 5295, 255);
    w.labfileinfo->setAlignment(Qt::AlignCenter);
    buildRows(w, window);

    w.Timerspinbox = new QTimer(window);
    w.Timerspinbox->setInterval(500);
    w.timecheckentrys = new QTimer(window);
    w.timecheckentrys->setInterval(5);
}

void orderTabs(const EditorControls& w)
{
    const QList<QWidget*> order{w.cmdok,           w.cmdcancel,      w.txtdescrip,  w.checkfilechanges,
                                w.Checkfixedfiles, w.listtypeoffile, w.cmdfilename, w.SpB1};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

} // namespace

void EditorControls::build(QWidget& window)
{
    buildControls(*this, &window);
    orderTabs(*this);
}
