#include "MainWindowFixture.h"
#include "controls/AccessibleControls.h"
#include "controls/ClickableLabel.h"
#include "controls/HyperLink.h"
#include "controls/SpinButton.h"
#include "editor/EditorCommands.h"
#include "editor/frmaddnewfile.h"
#include "infowindows/frmAbout.h"
#include "infowindows/frmSplash.h"
#include "mainwindow/frmfiledsip.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// Roles a user acts on: each must tell assistive technology what it is called.
bool isInteractive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::ListItem:
    case QAccessible::Link:
    case QAccessible::SpinBox:
    case QAccessible::MenuItem:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::Slider:
    case QAccessible::PageTab:
        return true;
    default:
        return false;
    }
}

QString describe(QAccessibleInterface* iface)
{
    QObject* object = iface->object();
    const QString name = object ? object->objectName() : QString();
    return QStringLiteral("%1 (role %2)")
        .arg(name.isEmpty() ? QStringLiteral("<unnamed object>") : name)
        .arg(int(iface->role()));
}

// Every interactive control under `iface` without a name, or whose tooltip says more than the
// assistive description does.
void collectFaults(QAccessibleInterface* iface, QStringList& faults, int& interactive, int depth = 0)
{
    if (!iface || depth > 30)
        return;
    if (isInteractive(iface->role())) {
        ++interactive;
        if (iface->text(QAccessible::Name).trimmed().isEmpty())
            faults << QStringLiteral("no name: ") + describe(iface);
        auto* widget = qobject_cast<QWidget*>(iface->object());
        if (widget && !widget->toolTip().isEmpty() && iface->text(QAccessible::Description).isEmpty())
            faults << QStringLiteral("tooltip without description: ") + describe(iface);
    }
    for (int i = 0; i < iface->childCount(); ++i)
        collectFaults(iface->child(i), faults, interactive, depth + 1);
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // As the application object does when the program starts.
        AccessibleControls::install();
        MainWindowFixture::isolate();
        QAccessible::setActive(true);
    }

    void init() { m_fx = MainWindowFixture::scripted(); }

    void cleanup()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            delete qobject_cast<frmAbout*>(window);
        m_fx.reset();
    }

    void everyControlHasAName_data()
    {
        QTest::addColumn<QString>("window");
        for (const char* window : {"main window", "menus", "editor", "editor in folder mode", "splash", "about"})
            QTest::newRow(window) << QString::fromLatin1(window);
    }

    void everyControlHasAName()
    {
        QFETCH(QString, window);
        QList<QObject*> roots;
        std::unique_ptr<frmSplash> splash;
        frmfiledsip& main = mainWindow();
        if (window == QLatin1String("main window")) {
            roots << &main;
        } else if (window == QLatin1String("menus")) {
            for (QMenu* menu :
                 {main.menus().file, main.menus().fileprint, main.menus().postponemenu, main.menus().view,
                  main.menus().Fileoptions, main.menus().help, main.menus().rightpopup, main.menus().TaskBarRP})
                roots << menu;
        } else if (window.startsWith(QLatin1String("editor"))) {
            frmaddnewfile& editor = main.editor()->load();
            editor.Checkfixedfiles->setChecked(window.endsWith(QLatin1String("mode")));
            editor.show();
            roots << &editor;
        } else if (window == QLatin1String("splash")) {
            splash = std::make_unique<frmSplash>();
            splash->setAttribute(Qt::WA_DeleteOnClose, false);
            splash->show();
            roots << splash.get();
        } else {
            roots << frmAbout::showAbout(&main);
        }

        QStringList faults;
        int interactive = 0;
        for (QObject* root : roots) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(root);
            QVERIFY(iface);
            if (iface->text(QAccessible::Name).isEmpty())
                faults << QStringLiteral("window without a name: ") + root->objectName();
            collectFaults(iface, faults, interactive);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
        // The walk must have reached the controls: a window made of nothing would pass untested.
        if (window != QLatin1String("splash"))
            QVERIFY2(interactive >= 3, qPrintable(QString::number(interactive)));
    }

    void listRowsAreRead()
    {
        frmfiledsip& main = mainWindow();
        QListWidget* list = main.listoldfiles;
        QCOMPARE(list->count(), 2);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::List);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Files that need attention"));
        QVERIFY(iface->text(QAccessible::Description).contains(QLatin1String("Shift+F10")));
        QStringList read;
        for (int i = 0; i < iface->childCount(); ++i) {
            QAccessibleInterface* row = iface->child(i);
            QCOMPARE(row->role(), QAccessible::ListItem);
            read << row->text(QAccessible::Name);
        }
        const QStringList shown = m_fx->rows();
        QCOMPARE(read, shown);
        QVERIFY(shown.first().startsWith(QLatin1String("Old file")));
    }

    void ownControlsCanBePressed()
    {
        frmaddnewfile& editor = mainWindow().editor()->load();
        QAccessibleInterface* label = QAccessible::queryAccessibleInterface(editor.cmdfilename);
        QCOMPARE(label->role(), QAccessible::Button);
        QCOMPARE(label->text(QAccessible::Name), QStringLiteral("File name"));
        editor.cmdfilename->setText(QStringLiteral("/data/report.txt"));
        QCOMPARE(label->text(QAccessible::Value), QStringLiteral("/data/report.txt"));
        QSignalSpy clicked(editor.cmdfilename, &ClickableLabel::clicked);
        // The label's own handler would open the file dialog; only the press is of interest here.
        disconnect(editor.cmdfilename, &ClickableLabel::clicked, &editor, nullptr);
        QAccessibleActionInterface* actions = label->actionInterface();
        QVERIFY(actions);
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        actions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.count(), 1);

        QList<QUrl> opened;
        HyperLink::setUrlOpener([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        frmAbout* about = frmAbout::showAbout(nullptr);
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(about->IELink);
        QCOMPARE(link->role(), QAccessible::Link);
        QCOMPARE(link->text(QAccessible::Name), about->IELink->caption());
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        HyperLink::setUrlOpener({});
        QCOMPARE(opened, QList<QUrl>({about->IELink->url()}));
    }

    void spinButtonSaysTheCount()
    {
        frmaddnewfile& editor = mainWindow().editor()->load();
        QAccessibleInterface* spin = QAccessible::queryAccessibleInterface(editor.SpB1);
        QCOMPARE(spin->role(), QAccessible::SpinBox);
        QCOMPARE(spin->text(QAccessible::Name), QStringLiteral("Remind me if the file is 5 days old"));
        QAccessibleActionInterface* actions = spin->actionInterface();
        actions->doAction(QAccessibleActionInterface::increaseAction());
        QCOMPARE(editor.Labeldaystodelete->text(), QStringLiteral("6 days old"));
        QCOMPARE(spin->text(QAccessible::Name), QStringLiteral("Remind me if the file is 6 days old"));
        QVERIFY(!editor.Timerspinbox->isActive()); // a press and its release: no spin keeps running
        for (int i = 0; i < 7; ++i)
            actions->doAction(QAccessibleActionInterface::decreaseAction());
        QCOMPARE(editor.Labeldaystodelete->text(), QStringLiteral("1 day old"));
    }

    // The menu key, the other way in, is tested with the pop-up's commands.
    void shiftF10OpensTheListPopup()
    {
        frmfiledsip& main = mainWindow();
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.listoldfiles->setFocus();
        main.listoldfiles->setCurrentRow(1);
        QMenu* shown = nullptr;
        QTimer::singleShot(0, this, [&shown] {
            shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (shown)
                shown->close();
        });
        QTest::keyClick(main.listoldfiles, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(shown != nullptr);
        QCOMPARE(shown, main.menus().rightpopup);
    }

    void editorTabOrder()
    {
        frmaddnewfile& editor = mainWindow().editor()->load();
        editor.Checkfixedfiles->setChecked(true);
        editor.txtdescrip->setText(QStringLiteral("Backup"));
        editor.cmdfilename->setText(m_fx->filePath(QStringLiteral("watched0.txt")));
        editor.txtjob->setText(QStringLiteral("backup"));
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QTRY_VERIFY(editor.cmdok->isEnabled());
        editor.cmdok->setFocus();
        const QList<QWidget*> expected{editor.cmdok,           editor.cmdcancel,      editor.txtdescrip,
                                       editor.Checkfixedfiles, editor.listtypeoffile, editor.txtpattern,
                                       editor.cmdfilename,     editor.SpB1,           editor.txtsmallest,
                                       editor.txtjob,          editor.checkjoblate,   editor.cmdok};
        // "Also tell me when this file changes" is off in folder mode, so Tab passes it by.
        QList<QWidget*> visited{QApplication::focusWidget()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            // The combo box's line edit holds the focus on the box's behalf.
            while (focus && focus->parentWidget() == editor.listtypeoffile)
                focus = focus->parentWidget();
            visited << focus;
        }
        QCOMPARE(visited, expected);
    }

private:
    frmfiledsip& mainWindow()
    {
        // Two old files, so that the list has rows to read.
        for (int n = 0; n < 2; ++n)
            m_fx->addEntry(n, QStringLiteral("Old file %1").arg(n), QDateTime::currentDateTime().addDays(-30), 3);
        m_fx->writeWatchList();
        return m_fx->load();
    }

    std::unique_ptr<MainWindowFixture> m_fx;
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
