#include "infowindows/frmSplash.h"

#include "base/AppInfo.h"
#include "controls/SvgPicture.h"
#include "controls/Twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSysInfo>

namespace {

// The status line is drawn at most once a frame: a repaint is a text layout and a round trip to the
// display, and one per entry kept the window of a 10,000-entry list from showing for 2.3 s, not 0.28 s.
constexpr qint64 kFrameMs = 16;

// The labels are bold Arial, or the nearest face this system has, but for the status line.
QFont labelFont(double points, bool bold = true,
                const QStringList& families = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                               QStringLiteral("DejaVu Sans")})
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Places a label inside the frame at its layout position given in window coordinates.
QLabel* makeLabel(QWidget* frame, const QString& name, const QRect& inWindow, const QFont& font, Qt::Alignment align,
                  const QString& text)
{
    auto* label = new QLabel(frame);
    label->setObjectName(name);
    label->setGeometry(inWindow.translated(-frame->pos()));
    label->setFont(font);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setText(text);
    return label;
}

} // namespace

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(Twips::rect(0, 0, 7380, 4200).size());
    // The window has no title bar; assistive technology still needs to know whose it is.
    setAccessibleName(AppInfo::productName());

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    Frame1->setGeometry(Twips::rect(150, 60, 7080, 4035));

    imgLogo = new SvgPicture(QStringLiteral(":/logo.svg"), Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(Twips::rect(240, 720, 2175, 2385).translated(-Frame1->pos()));
    imgLogo->setAccessibleName(AppInfo::productName() + QStringLiteral(" logo"));

    lblCompanyProduct = makeLabel(Frame1, QStringLiteral("lblCompanyProduct"), Twips::rect(2520, 705, 2505, 435),
                                  labelFont(18), Qt::AlignLeft, AppInfo::companyName());
    lblProductName = makeLabel(Frame1, QStringLiteral("lblProductName"), Twips::rect(2520, 1140, 2430, 765),
                               labelFont(32.25), Qt::AlignLeft, AppInfo::productName());
    // The platform line names the system the program runs on.
    const QString platform =
        QSysInfo::kernelType() == QLatin1String("linux") ? QStringLiteral("Linux") : QSysInfo::prettyProductName();
    lblPlatform = makeLabel(Frame1, QStringLiteral("lblPlatform"), Twips::rect(4500, 2340, 2355, 360), labelFont(15.75),
                            Qt::AlignRight, platform);
    lblVersion = makeLabel(Frame1, QStringLiteral("lblVersion"), Twips::rect(5970, 2700, 885, 285), labelFont(12),
                           Qt::AlignRight, AppInfo::versionText());
    labelstatus = makeLabel(Frame1, QStringLiteral("labelstatus"), Twips::rect(360, 3480, 6495, 375),
                            labelFont(13.5, false,
                                      {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                                       QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}),
                            Qt::AlignLeft, QStringLiteral("Please Wait Checking Files."));
    // "Sized to its text": each label takes its text's size, anchored at its left or right edge.
    for (QLabel* label : {lblCompanyProduct, lblPlatform, lblVersion, lblProductName}) {
        const QRect before = label->geometry();
        label->adjustSize();
        if (label->alignment() & Qt::AlignRight)
            label->move(before.right() - label->width() + 1, before.top());
    }
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::addProgressDot()
{
    labelstatus->setText(withProgressDot(labelstatus->text()));
    if (!m_sinceDrawn.isValid() || m_sinceDrawn.hasExpired(kFrameMs))
        drawProgress();
}

void frmSplash::drawProgress()
{
    labelstatus->repaint();
    m_sinceDrawn.start();
}

void frmSplash::setStatus(const QString& text)
{
    labelstatus->setText(text);
    drawProgress();
}

QString frmSplash::withProgressDot(const QString& status)
{
    const QString next = status + QLatin1Char('.');
    return next.size() > 70 ? checkingText() : next;
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    // Keys that type something (letters, digits, Space, Enter, Escape, Backspace) dismiss the
    // window; arrows, function keys and modifiers type nothing and are left alone.
    if (!event->text().isEmpty()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
