#include "MainWindowFixture.h"

#include "TestHelpers.h"
#include "controls/Prompter.h"
#include "controls/TrayIcon.h"
#include "desktop/SecondCopyGuard.h"
#include "editor/frmaddnewfile.h"
#include "engine/Clock.h"
#include "mainwindow/frmfiledsip.h"
#include "store/IniFile.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace {

QTemporaryDir& home()
{
    static QTemporaryDir dir;
    return dir;
}

} // namespace

QList<QAction*> answerPopup(const std::function<void()>& open, const std::function<void(QMenu*)>& choose)
{
    QList<QAction*> shown;
    bool popped = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        popped = true;
        for (QAction* a : menu->actions())
            if (a->isVisible())
                shown << a;
        choose(menu);
    });
    open();
    if (!popped)
        shown.clear();
    // Any menu still open would block the next test.
    if (QWidget* left = QApplication::activePopupWidget())
        left->close();
    return shown;
}

void MainWindowFixture::isolate()
{
    qputenv("XDG_CONFIG_HOME", configFolder().toLocal8Bit());
    SecondCopyGuard::setLockFolder(home().filePath(QStringLiteral("locks")));
    TrayIcon::overrideAvailability(true);
}

QString MainWindowFixture::configFolder()
{
    return home().filePath(QStringLiteral("config"));
}

MainWindowFixture::MainWindowFixture() = default;

MainWindowFixture::~MainWindowFixture()
{
    unload();
    Clock::reset();
}

std::unique_ptr<MainWindowFixture> MainWindowFixture::scripted()
{
    Prompter::setScripted(true);
    Prompter::clearHistory();
    Clock::reset();
    return std::make_unique<MainWindowFixture>();
}

QString MainWindowFixture::addEntry(int number, const QString& description, const QDateTime& modified, int days,
                                    const QString& extra)
{
    const QString file = m_dir.filePath(QStringLiteral("watched%1.txt").arg(number));
    TestHelpers::touch(file, modified);
    m_entries += QString::fromUtf8(
        TestHelpers::entrySection(number, file, QStringLiteral("days=%1\ndescription=%2").arg(days).arg(description)));
    if (!extra.isEmpty())
        m_entries += extra + QLatin1Char('\n');
    return file;
}

void MainWindowFixture::writeWatchList(const QString& settings)
{
    TestHelpers::writeAll(ini(), (QStringLiteral("[Settings]\n") + settings + m_entries).toUtf8());
}

frmfiledsip& MainWindowFixture::showBackup(const QDateTime& modified, const QString& settings, const QString& extra)
{
    addEntry(0, QStringLiteral("Backup"), modified, 5, extra);
    writeWatchList(settings);
    return loadAndShow();
}

frmfiledsip& MainWindowFixture::create()
{
    unload();
    IniFile::instance().clearCache();
    m_window = std::make_unique<frmfiledsip>();
    m_window->inifilename = ini();
    m_window->tempinifilename = rowMap();
    m_window->setEnder([this](int code) { ended.append(code); });
    return *m_window;
}

frmfiledsip& MainWindowFixture::load()
{
    frmfiledsip& w = create();
    if (!w.Form_Load())
        qWarning("start-up declined");
    return w;
}

frmfiledsip& MainWindowFixture::loadAndShow()
{
    frmfiledsip& w = load();
    w.showAtStart();
    w.activateWindow();
    if (w.isVisible() && !w.isMinimized() && !QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
    return w;
}

void MainWindowFixture::unload()
{
    m_window.reset();
}

QStringList MainWindowFixture::rows() const
{
    QStringList texts;
    for (int i = 0; i < m_window->listoldfiles->count(); ++i)
        texts << m_window->listoldfiles->item(i)->text();
    return texts;
}

void MainWindowFixture::select(int row)
{
    QListWidget* list = m_window->listoldfiles;
    list->setCurrentRow(row);
    if (QListWidgetItem* item = list->item(row))
        item->setSelected(true);
}
