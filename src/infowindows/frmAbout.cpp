#include "infowindows/frmAbout.h"

#include "base/AppInfo.h"
#include "controls/HyperLink.h"

#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

QString iconPath()
{
    const QString programIcon = QStringLiteral(":/staleguard.svg");
    return QFile::exists(programIcon) ? programIcon : QStringLiteral(":/about-icon.svg");
}

// Every position below is the window's layout in twips turned into pixels (15 twips to the pixel).
QLabel* label(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

// The etched separator takes its shade and its light from the palette, so that it stays etched in a dark theme.
QFrame* line(QWidget* parent, const char* name, const QRect& geometry, QPalette::ColorRole role)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::NoFrame);
    f->setGeometry(geometry);
    f->setAutoFillBackground(true);
    f->setBackgroundRole(role);
    return f;
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

} // namespace

frmAbout* frmAbout::showAbout(QWidget* parent)
{
    // One About window to a main window: it is the main window's child while it is open.
    frmAbout* window = parent ? parent->findChild<frmAbout*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) {
        window = new frmAbout(parent);
        window->centreOnScreen();
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QString frmAbout::webPageUrl()
{
    return AppInfo::homepage();
}

QString frmAbout::mailUrl()
{
    return QStringLiteral("mailto:") + AppInfo::contactAddress();
}

QString frmAbout::disclaimerText()
{
    const QString disclaimer =
        QStringLiteral("This program is provided as it is, without warranty of any kind. You use it at your own "
                       "risk: the maker accepts no liability for lost data or any other damage that arises from "
                       "its use.");
    const QString credit = QStringLiteral("Settings are kept by the %1 settings module.").arg(AppInfo::productName());
    return disclaimer + QStringLiteral("\n\n") + credit;
}

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(395, 254);
    setWindowIcon(QIcon(iconPath()));
    buildControls();
    buildLinks();
    buildSeparator();
    setTabOrder(cmdOK, IELink);
    setTabOrder(IELink, IELink3);
    Form_Load();
    cmdOK->setFocus();
}

void frmAbout::buildControls()
{
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(296, 8, 84, 23);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    lblTitle = label(this, "lblTitle", QRect(48, 8, 235, 24));
    QFont titleFont = lblTitle->font();
    titleFont.setFamilies({QStringLiteral("Wide Latin"), titleFont.family()});
    titleFont.setStretch(QFont::Expanded);
    titleFont.setPointSize(12);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignCenter);

    lblVersion = label(this, "lblVersion", QRect(48, 32, 243, 15));
    lblVersion->setAlignment(Qt::AlignCenter);

    Image1 = label(this, "Image1", QRect(8, 48, 32, 32));
    Image1->setPixmap(QIcon(iconPath()).pixmap(32, 32));
    Image1->setAccessibleName(QStringLiteral("%1 icon").arg(AppInfo::productName()));

    lblDescription = label(this, "lblDescription", QRect(48, 56, 243, 30));
    lblDescription->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblDescription->setWordWrap(true);

    Label1 = label(this, "Label1", QRect(8, 144, 369, 97));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setMargin(2);
    // A panel set off from the window, in whatever colours the user's theme gives such panels.
    Label1->setAutoFillBackground(true);
    Label1->setBackgroundRole(QPalette::AlternateBase);
    Label1->setForegroundRole(QPalette::Text);
}

void frmAbout::buildLinks()
{
    IELink = new HyperLink(this);
    IELink->setObjectName(QStringLiteral("IELink"));
    IELink->setGeometry(64, 88, 212, 15);
    IELink->setAlignment(Qt::AlignCenter);
    IELink->setHover(false);

    IELink3 = new HyperLink(this);
    IELink3->setObjectName(QStringLiteral("IELink3"));
    IELink3->setGeometry(88, 112, 154, 15);
    IELink3->setAlignment(Qt::AlignCenter);
    IELink3->setHover(false);
    IELink3->setCaption(QStringLiteral("E-mail %1").arg(AppInfo::companyName()));
    IELink3->setUrl(QUrl(mailUrl()));
}

void frmAbout::buildSeparator()
{
    Line1[1] = line(this, "Line1_1", QRect(6, 131, 372, 1), QPalette::Dark);
    Line1[0] = line(this, "Line1_0", QRect(7, 132, 370, 2), QPalette::Light);
}

void frmAbout::Form_Load()
{
    IELink->setCaption(QStringLiteral("Click Here to go to %1 Web Page").arg(AppInfo::companyName()));
    IELink->setUrl(QUrl(webPageUrl()));
    lblDescription->setText(QStringLiteral("Copyright \u00A9 2026 %1").arg(AppInfo::companyName()));
    Label1->setText(disclaimerText());
    setWindowTitle(QStringLiteral("About ") + AppInfo::productName());
    lblVersion->setText(AppInfo::versionText());
    lblTitle->setText(AppInfo::title());
    widenToFit(IELink);
    widenToFit(IELink3);
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::centreOnScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        return;
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
