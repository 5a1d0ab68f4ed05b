#include "editor/frmaddnewfile.h"

#include "base/AppError.h"
#include "base/AppInfo.h"
#include "controls/ClickableLabel.h"
#include "controls/Prompter.h"
#include "controls/SpinButton.h"
#include "controls/VSResize.h"
#include "desktop/JobCommand.h"
#include "desktop/JobSafety.h"
#include "desktop/RegistryStore.h"
#include "editor/DayCount.h"
#include "editor/EditorControls.h"
#include "editor/FileInfoLine.h"
#include "engine/DateTexts.h"
#include "engine/FileQuery.h"
#include "engine/LeadingNumber.h"
#include "engine/PathPieces.h"
#include "engine/WatchEntry.h"
#include "engine/WatchListFile.h"
#include "filedialog/clsOpenSave.h"
#include "store/IniFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kRetryMissingMs = 500;
const QSize kDesignClient(6945 / 15, 6105 / 15);
const QSize kMaximumClient((15360 - 120) / 15, (11520 - 405) / 15);

// Why the command cannot be saved as it is; empty when it can.
QString jobRefusal(const EntryInput& input)
{
    // No command at all can be saved: the entry then has no job.
    if (input.job.trimmed().isEmpty())
        return QString();
    QString why;
    if (JobCommand::resolve(input.job, why))
        return QString();
    return why + QStringLiteral(" Correct the command, or leave it empty for no job.");
}

} // namespace

frmaddnewfile::frmaddnewfile() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("frmaddnewfile"));
    setWindowTitle(AppInfo::productName() + QStringLiteral(" - Add file to your list"));
    setWindowIcon(QIcon(QStringLiteral(":/staleguard.svg")));
    resize(kDesignClient);
    EditorControls::build(*this);
    connect(cmdfilename, &ClickableLabel::clicked, this, &frmaddnewfile::cmdfilename_Click);
    connect(cmdok, &QPushButton::clicked, this, &frmaddnewfile::cmdok_Click);
    connect(txtdescrip, &QLineEdit::textEdited, this, &frmaddnewfile::descriptionEdited);
    connect(cmdcancel, &QPushButton::clicked, this, &frmaddnewfile::cmdCancel_Click);
    connect(Checkfixedfiles, &QCheckBox::toggled, this, &frmaddnewfile::Checkfixedfiles_Click);
    connect(SpB1, &SpinButton::SpinDown, this, &frmaddnewfile::SpB1_SpinDown);
    connect(SpB1, &SpinButton::SpinUp, this, &frmaddnewfile::SpB1_SpinUp);
    connect(SpB1, &SpinButton::MouseOut, this, &frmaddnewfile::SpB1_MouseOut);
    connect(Timerspinbox, &QTimer::timeout, this, &frmaddnewfile::Timerspinbox_Timer);
    connect(timecheckentrys, &QTimer::timeout, this, &frmaddnewfile::timecheckentrys_Timer);
    // A folder entry's info line is about the file its pick takes, which these change.
    connect(txtpattern, &QLineEdit::textChanged, this, &frmaddnewfile::probeAgain);
    connect(listtypeoffile, &QComboBox::currentTextChanged, this, &frmaddnewfile::probeAgain);
    connect(txtjob, &QLineEdit::textChanged, this, &frmaddnewfile::followCommand);
}

void frmaddnewfile::setTarget(const QString& inifilename, std::optional<qint16> filenumber)
{
    m_inifilename = inifilename;
    m_filenumber = filenumber;
    // Says in one line why jobs do not run from this watch list file, when they do not.
    labjobsafety->setText(JobSafety::whyNot(inifilename));
}

void frmaddnewfile::Form_Load()
{
    filedatetext.clear();
    // Controls inside the frames keep their places within their frame; set up before the window can grow.
    for (QGroupBox* frame : {Frame1, Frame3, Description, Frame2})
        (new VSResize(frame, frame->size(), QSize(0, 0), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)))->Init();
    VSResize1 = new VSResize(this, kDesignClient, smallestFittingSize(), kMaximumClient);
    VSResize1->Init();
    RegistryStore::instance().LoadWindowPos(this, AppInfo::windowPositionsKey(), 0, RegistryStore::HKEY_CURRENT_USER);
    listtypeoffile->addItems({QStringLiteral("oldest"), QStringLiteral("newest")});
    listtypeoffile->setCurrentIndex(1);
    if (Labeldaystodelete->text().isEmpty())
        showDays(DayCount::caption(5));
    Checkfixedfiles_Click();
    followCommand();
}

QSize frmaddnewfile::smallestFittingSize() const
{
    // The layout was drawn for a small face; with a wider one the window grows until no caption is cut.
    double fx = 1.0;
    double fy = 1.0;
    const QList<QWidget*> captions{Checkfixedfiles, checkfilechanges, Label1, Label3,
                                   labpattern,      labsmallest,      labjob, checkjoblate};
    for (const QWidget* w : captions) {
        fx = qMax(fx, double(w->sizeHint().width()) / qMax(1, w->width()));
        fy = qMax(fy, double(w->sizeHint().height()) / qMax(1, w->height()));
    }
    const QSize fitting(qRound(kDesignClient.width() * qMin(fx, 1.6)), qRound(kDesignClient.height() * qMin(fy, 1.6)));
    return fitting.boundedTo(kMaximumClient);
}

void frmaddnewfile::Form_QueryUnload()
{
    Timerspinbox->stop();
    RegistryStore::instance().SaveWindowPos(this, AppInfo::windowPositionsKey(), RegistryStore::HKEY_CURRENT_USER);
}

void frmaddnewfile::unload()
{
    Form_QueryUnload();
    timecheckentrys->stop();
    hide();
    emit unloaded();
    deleteLater();
}

void frmaddnewfile::closeEvent(QCloseEvent* event)
{
    event->accept();
    unload();
}

void frmaddnewfile::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Nothing is checked while the window is hidden; catch up at once.
    m_lastProbe.invalidate();
    timecheckentrys->start();
    timecheckentrys_Timer();
}

void frmaddnewfile::hideEvent(QHideEvent* event)
{
    timecheckentrys->stop();
    QWidget::hideEvent(event);
}

void frmaddnewfile::cmdfilename_Click()
{
    filedatetext.clear();
    const QString previous = cmdfilename->text();
    clsOpenSave dialog;
    dialog.setHwnd(this);
    dialog.setCancelError(true);
    dialog.setDialogTitle(QStringLiteral("Please Select a file to add"));
    FileQuery query(shareTimeout());
    if (!query.stat(previous).isFile())
        dialog.setInitDir(PathPieces::folderOf(previous));
    else
        cmdfilename->clear();
    try {
        dialog.ShowOpen();
        cmdfilename->setText(QDir::toNativeSeparators(dialog.FileName()));
    } catch (const AppError&) {
        if (!previous.isEmpty())
            cmdfilename->setText(previous);
    }
}

void frmaddnewfile::Checkfixedfiles_Click()
{
    const bool directory = Checkfixedfiles->isChecked();
    Framecovertypefile->setVisible(!directory);
    // The covered row must not take the keyboard focus either.
    const QList<QWidget*> row{Label1, listtypeoffile, Label3, labpattern, txtpattern};
    for (QWidget* w : row)
        w->setEnabled(directory);
    checkfilechanges->setEnabled(!directory);
    probeAgain();
}

void frmaddnewfile::probeAgain()
{
    filedatetext.clear();
    m_lastProbe.invalidate();
}

void frmaddnewfile::SpB1_SpinDown(int direction)
{
    Timerspinbox->start();
    spindirection = direction == SpinButton::Up ? 1 : -1;
    Timerspinbox_Timer();
}

void frmaddnewfile::SpB1_SpinUp()
{
    Timerspinbox->stop();
}

void frmaddnewfile::SpB1_MouseOut()
{
    Timerspinbox->stop();
}

void frmaddnewfile::Timerspinbox_Timer()
{
    if (const auto next = DayCount::step(Labeldaystodelete->text(), spindirection))
        showDays(*next);
}

void frmaddnewfile::timecheckentrys_Timer()
{
    cmdok->setEnabled(!txtdescrip->text().isEmpty() && !cmdfilename->text().isEmpty());
    if (filedatetext.isEmpty() && !cmdfilename->text().isEmpty())
        probeFile();
}

void frmaddnewfile::probeFile()
{
    const QString name = cmdfilename->text();
    if (name == m_probed && m_lastProbe.isValid() && !m_lastProbe.hasExpired(kRetryMissingMs))
        return;
    m_probed = name;
    m_lastProbe.start();
    FileQuery query(shareTimeout());
    const FileInfoLine::Line line =
        FileInfoLine::probe(query, name, {Checkfixedfiles->isChecked(), typeIndex() != 0, txtpattern->text()});
    if (line.modified)
        filedatetext = DateTexts::generalDate(*line.modified);
    labfileinfo->setText(line.text);
}

int frmaddnewfile::shareTimeout() const
{
    return m_inifilename.isEmpty() ? FileQuery::kDefaultShareTimeout
                                   : WatchListFile::shareTimeout(IniFile::instance(), m_inifilename);
}

void frmaddnewfile::cmdok_Click()
{
    const EntryInput input = entryInput();
    // A command that cannot run is not saved either; everything typed stays for the user to correct.
    const std::optional<EntryWriter::Result> refused = EntryWriter::refusal(input);
    if (const QString why = refused ? EntryWriter::message(*refused) : jobRefusal(input); !why.isEmpty()) {
        Prompter::notify(this, why, Prompter::Icon::Information);
        return;
    }
    if (m_inifilename.isEmpty())
        return;
    IniFile& ini = IniFile::instance();
    const EntryWriter::Result result = m_filenumber ? EntryWriter::save(ini, m_inifilename, input, *m_filenumber, false)
                                                    : EntryWriter::saveNew(ini, m_inifilename, input);
    if (result != EntryWriter::Result::Saved) {
        Prompter::notify(this, EntryWriter::message(result), Prompter::Icon::Information);
        return;
    }
    unload();
    emit saved();
}

void frmaddnewfile::showEntry(const WatchEntry& entry)
{
    // The info line belongs to the file it was built for.
    if (entry.fileName() != cmdfilename->text())
        filedatetext.clear();
    cmdfilename->setText(entry.fileName());
    showDays(DayCount::caption(entry.editorDays()));
    showDescription(entry.description());
    if (entry.editorReportsChanges())
        checkfilechanges->setChecked(true);
    if (const int kind = entry.editorKind(); kind >= 0) {
        Checkfixedfiles->setChecked(true);
        Framecovertypefile->hide();
        listtypeoffile->setCurrentIndex(kind);
    }
    txtpattern->setText(entry.pattern());
    txtsmallest->setText(entry.smallestSize());
    txtjob->setText(entry.job());
    // The program's name, at the start, says most.
    txtjob->setCursorPosition(0);
    checkjoblate->setChecked(entry.runsJobWhenLate());
    followCommand();
}

void frmaddnewfile::followCommand()
{
    // The box means something only with a command.
    checkjoblate->setEnabled(!txtjob->text().trimmed().isEmpty());
}

void frmaddnewfile::showDescription(const QString& text)
{
    // The box would cut a longer stored text to its limit, and OK would then save the cut text.
    descriptionEdited(text);
    txtdescrip->setText(text);
}

void frmaddnewfile::descriptionEdited(const QString& text)
{
    // Typing may shorten a stored description that is over the limit, never lengthen it.
    txtdescrip->setMaxLength(qMax(EditorControls::kTypedDescriptionLength, int(text.size())));
}

void frmaddnewfile::showDays(const QString& caption)
{
    Labeldaystodelete->setText(caption);
    // The count is shown beside the spin button, not in it: a screen reader hears it as the button's name.
    SpB1->setAccessibleName(QStringLiteral("Remind me if the file is ") + caption);
}

EntryInput frmaddnewfile::entryInput() const
{
    EntryInput input;
    input.fileName = cmdfilename->text();
    input.description = txtdescrip->text();
    input.days = LeadingNumber::toInt16(Labeldaystodelete->text());
    input.directoryMode = Checkfixedfiles->isChecked();
    input.typeIndex = typeIndex();
    input.reportChanges = checkfilechanges->isChecked();
    input.pattern = txtpattern->text();
    input.smallestSize = txtsmallest->text();
    input.job = txtjob->text();
    input.jobWhenLate = checkjoblate->isChecked() && !input.job.trimmed().isEmpty();
    return input;
}

int frmaddnewfile::typeIndex() const
{
    // Text typed into the box selects no item unless it names one exactly.
    return listtypeoffile->findText(listtypeoffile->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}
