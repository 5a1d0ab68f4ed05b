#include "MainWindowFixture.h"
#include "Screenshots.h"
#include "controls/ClickableLabel.h"
#include "editor/EditorCommands.h"
#include "editor/frmaddnewfile.h"
#include "infowindows/frmAbout.h"
#include "infowindows/frmSplash.h"
#include "mainwindow/frmfiledsip.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cmath>

namespace {

constexpr double kScale = 2.0;

QPalette darkPalette()
{
    QPalette p;
    const QColor text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::AlternateBase, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Light, QColor(0x55, 0x55, 0x55));
    p.setColor(QPalette::Midlight, QColor(0x45, 0x45, 0x45));
    p.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x30));
    p.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x18));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x3d, 0x6f, 0xb4));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    p.setColor(QPalette::ToolTipBase, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ToolTipText, text);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The colour a widget's text is drawn on: its own fill when it has one, else what shows through.
QColor groundOf(const QWidget* w)
{
    for (const QWidget* at = w; at; at = at->parentWidget()) {
        if (at->autoFillBackground() || at->isWindow())
            return at->palette().color(at->backgroundRole());
    }
    return w->palette().color(QPalette::Window);
}

struct Colours
{
    QColor text;
    QColor ground;
};

Colours coloursOf(const QWidget* w)
{
    const QPalette& p = w->palette();
    if (qobject_cast<const QPushButton*>(w))
        return {p.color(QPalette::ButtonText), p.color(QPalette::Button)};
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractItemView*>(w))
        return {p.color(QPalette::Text), p.color(QPalette::Base)};
    return {p.color(w->foregroundRole()), groundOf(w)};
}

bool showsText(const QWidget* w)
{
    if (auto* label = qobject_cast<const QLabel*>(w))
        return !label->text().isEmpty();
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QGroupBox*>(w);
}

// Every enabled, visible text of `window` whose colours are too close to read.
QStringList unreadable(const QWidget* window)
{
    QStringList faults;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !w->isEnabled() || !showsText(w))
            continue;
        const Colours c = coloursOf(w);
        const double ratio = contrast(c.text, c.ground);
        if (ratio < 4.5)
            faults << QStringLiteral("%1: %2 on %3 (%4:1)")
                          .arg(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                         : w->objectName(),
                               c.text.name(), c.ground.name())
                          .arg(ratio, 0, 'f', 1);
    }
    return faults;
}

} // namespace

class TestAppearance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_fx = MainWindowFixture::scripted(); }
    void cleanup();
    void windows_data();
    void windows();

private:
    QWidget* open(const QString& window);

    std::unique_ptr<MainWindowFixture> m_fx;
    std::unique_ptr<frmSplash> m_splash;
    QPalette m_light;
};

void TestAppearance::initTestCase()
{
    MainWindowFixture::isolate();
    m_light = QApplication::palette();
    QCOMPARE(qApp->devicePixelRatio(), kScale);
}

void TestAppearance::cleanup()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        delete qobject_cast<frmAbout*>(window);
    m_splash.reset();
    m_fx.reset();
    QApplication::setPalette(m_light);
}

QWidget* TestAppearance::open(const QString& window)
{
    const QString old = m_fx->addEntry(0, QStringLiteral("Accounts"), QDateTime::currentDateTime().addDays(-12), 7);
    m_fx->writeWatchList();
    frmfiledsip& main = m_fx->create();
    if (!main.Form_Load())
        return nullptr;
    if (window == QLatin1String("main"))
        return &main;
    if (window == QLatin1String("editor")) {
        frmaddnewfile& editor = main.editor()->load();
        editor.txtdescrip->setText(QStringLiteral("Accounts"));
        editor.cmdfilename->setText(old);
        return &editor;
    }
    if (window == QLatin1String("splash")) {
        m_splash = std::make_unique<frmSplash>();
        m_splash->setAttribute(Qt::WA_DeleteOnClose, false);
        return m_splash.get();
    }
    return frmAbout::showAbout(&main);
}

void TestAppearance::windows_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("dark");
    for (const char* window : {"main", "editor", "splash", "about"}) {
        QTest::newRow(window) << QString::fromLatin1(window) << false;
        QTest::newRow(QByteArray(window) + "-dark") << QString::fromLatin1(window) << true;
    }
}

void TestAppearance::windows()
{
    QFETCH(QString, window);
    QFETCH(bool, dark);
    if (dark)
        QApplication::setPalette(darkPalette());
    QWidget* w = open(window);
    QVERIFY(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::qWait(50); // the editor's info line and the list fill in on the first ticks

    const QStringList faults = unreadable(w);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));

    const QPixmap shot = w->grab();
    // Drawn at the screen's own resolution, not drawn small and blown up.
    QCOMPARE(shot.devicePixelRatio(), kScale);
    QCOMPARE(shot.size(), w->size() * kScale);
    if (auto* about = qobject_cast<frmAbout*>(w))
        QCOMPARE(about->Image1->pixmap().devicePixelRatio(), kScale);
    const QString name = window + (dark ? QStringLiteral("-dark") : QString()) + QStringLiteral("-2x.png");
    QVERIFY(shot.save(Screenshots::path(name)));
}

int main(int argc, char** argv)
{
    // The scale must be known before the application starts.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kScale));
    QApplication app(argc, argv);
    TestAppearance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appearance.moc"
