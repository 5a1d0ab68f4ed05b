#include "infowindows/frmAbout.h"

#include "base/AppInfo.h"
#include "controls/HyperLink.h"

#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

QString iconPath()
{
    const QString programIcon = QStringLiteral(":/staleguard.svg");
    return QFile::exists(programIcon) ? programIcon : QStringLiteral(":/about-icon.svg");
}

// Every position below is the window's layout in twips turned into pixels (15 twips to the pixel).
QLabel* label(QWidget* parent, const char* name, const QRect& geometry, const QString& text = QString())
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

// The layout was made for a smaller font than most desktops use: a text that needs more room than
// its place gives widens around its centre, as far as the window allows.
void widenToFit(QWidget* widget)
{
    const int needed = widget->sizeHint().width();
    QRect place = widget->geometry();
    if (needed <= place.width())
        return;
    const int room = widget->parentWidget()->width() - 16;
    const int centre = place.center().x();
    place.setWidth(qMin(needed, room));
    place.moveCenter(QPoint(centre, place.center().y()));
    place.moveLeft(qBound(8, place.left(), 8 + room - place.width()));
    widget->setGeometry(place);
}

HyperLink* link(QWidget* parent, const char* name, const QRect& geometry, const QString& caption, const QString& url)
{
    auto* l = new HyperLink(caption, QUrl(url), parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    l->setAlignment(Qt::AlignCenter);
    widenToFit(l);
    return l;
}

// The etched separator takes its shade and its light from the palette, so that it stays etched in a dark theme.
QFrame* line(QWidget* parent, const char* name, const QRect& geometry, QPalette::ColorRole role)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(geometry);
    f->setAutoFillBackground(true);
    f->setBackgroundRole(role);
    return f;
}

} // namespace

frmAbout* frmAbout::showAbout(QWidget* parent)
{
    // One About window to a main window: it is the main window's child while it is open.
    frmAbout* window = parent ? parent->findChild<frmAbout*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) {
        window = new frmAbout(parent);
        if (QScreen* screen = parent ? parent->screen() : window->screen()) {
            QRect frame(QPoint(), window->size());
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(395, 254);
    setWindowIcon(QIcon(iconPath()));
    setWindowTitle(QStringLiteral("About ") + AppInfo::productName());

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(296, 8, 84, 23);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::close);

    lblTitle = label(this, "lblTitle", QRect(48, 8, 235, 24), AppInfo::productName());
    QFont titleFont = lblTitle->font();
    titleFont.setFamilies({QStringLiteral("Wide Latin"), titleFont.family()});
    titleFont.setStretch(QFont::Expanded);
    titleFont.setPointSize(12);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignCenter);
    lblVersion = label(this, "lblVersion", QRect(48, 32, 243, 15), AppInfo::versionText());
    lblVersion->setAlignment(Qt::AlignCenter);
    Image1 = label(this, "Image1", QRect(8, 48, 32, 32));
    Image1->setPixmap(QIcon(iconPath()).pixmap(32, 32));
    Image1->setAccessibleName(QStringLiteral("%1 icon").arg(AppInfo::productName()));
    lblDescription = label(this, "lblDescription", QRect(48, 56, 243, 30),
                           QStringLiteral("Copyright \u00A9 2026 %1").arg(AppInfo::companyName()));
    lblDescription->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblDescription->setWordWrap(true);
    Label1 = label(this, "Label1", QRect(8, 144, 369, 97),
                   QStringLiteral("This program is provided as it is, without warranty of any kind. You use it at "
                                  "your own risk: the maker accepts no liability for lost data or any other damage "
                                  "that arises from its use.\n\nSettings are kept by the %1 settings module.")
                       .arg(AppInfo::productName()));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setMargin(2);
    // A panel set off from the window, in whatever colours the user's theme gives such panels.
    Label1->setAutoFillBackground(true);
    Label1->setBackgroundRole(QPalette::AlternateBase);
    Label1->setForegroundRole(QPalette::Text);

    IELink = link(this, "IELink", QRect(64, 88, 212, 15),
                  QStringLiteral("Click Here to go to %1 Web Page").arg(AppInfo::companyName()), AppInfo::homepage());
    IELink3 = link(this, "IELink3", QRect(88, 112, 154, 15), QStringLiteral("E-mail %1").arg(AppInfo::companyName()),
                   QStringLiteral("mailto:") + AppInfo::contactAddress());
    Line1[1] = line(this, "Line1_1", QRect(6, 131, 372, 1), QPalette::Dark);
    Line1[0] = line(this, "Line1_0", QRect(7, 132, 370, 2), QPalette::Light);
    setTabOrder(cmdOK, IELink);
    setTabOrder(IELink, IELink3);
    cmdOK->setFocus();
}
