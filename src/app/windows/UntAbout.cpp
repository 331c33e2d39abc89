#include "UntAbout.h"

#include "Platform.h"
#include "UntForms.h"
#include "UntMain.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QUrl>
#include <QWindow>

TFrmAbout* FrmAbout = nullptr;

namespace {

const char* const description =
    "Solvek Anti-Bot keeps this computer from reaching the command servers of known "
    "botnets.\n\n"
    "It writes every blocked host name into the system hosts file as a line "
    "\"127.0.0.1 <host>\", so that no program on this computer can resolve it any more. "
    "Four block lists are downloaded and merged into its database, and refreshed every ten "
    "minutes while the program waits in the tray. You can add categories and hosts of your "
    "own in the hosts manager.\n\n"
    "The probe listens on local port 80: because every blocked name leads back to this "
    "computer, it records which blocked site a program tried to reach, day by day, in the "
    "probe logs.\n\n"
    "An optional password guards the main window and the tray's Settings and Exit "
    "commands.\n\n"
    "Solvek Anti-Bot 3.0.2 - www.solvek.example\n"
    "News, help and the forum are one click away below.";

} // namespace

void opensite(const QString& url)
{
    platform::current().desktop().openUrl(QUrl(url));
}

TFrmAbout::TFrmAbout(QWidget* parent) : QWidget(parent)
{
    FrmAbout = this;
    // No caption bar: the box is moved by dragging its body or its logo.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("About Solvek Anti-Bot"));
    setFont(windowFont());
    setFixedSize(410, 434);

    Image8 = picture(QStringLiteral(":/images/about_background.png"), rect(), false);
    Image8->setScaledContents(true);
    Image1 = picture(QStringLiteral(":/images/about_logo.png"), QRect(41, 8, 323, 107), true);

    Memo = new QPlainTextEdit(this);
    Memo->setGeometry(8, 121, 394, 228);
    Memo->setReadOnly(true);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo->setPlainText(QString::fromUtf8(description));

    Image3 = picture(QStringLiteral(":/images/link_video.png"), QRect(68, 355, 48, 48), true);
    Image4 = picture(QStringLiteral(":/images/link_social.png"), QRect(122, 355, 48, 48), true);
    Image5 = picture(QStringLiteral(":/images/link_community.png"), QRect(175, 355, 48, 48), true);
    Image6 = picture(QStringLiteral(":/images/link_microblog.png"), QRect(228, 355, 48, 48), true);
    Image7 = picture(QStringLiteral(":/images/link_forum.png"), QRect(281, 355, 48, 48), true);
    Image2 = picture(QStringLiteral(":/images/about_close.png"), QRect(370, 394, 32, 32), true);
    Image3->setToolTip(QStringLiteral("Our videos"));
    Image4->setToolTip(QStringLiteral("Our social page"));
    Image5->setToolTip(QStringLiteral("Our community"));
    Image6->setToolTip(QStringLiteral("Our news"));
    Image7->setToolTip(QStringLiteral("Our forum and web site"));
    Image2->setToolTip(QStringLiteral("Close"));
}

TFrmAbout::~TFrmAbout()
{
    if (FrmAbout == this)
        FrmAbout = nullptr;
}

QLabel* TFrmAbout::picture(const QString& resource, const QRect& place, bool clickable)
{
    auto* label = new QLabel(this);
    label->setGeometry(place);
    label->setPixmap(QPixmap(resource));
    if (clickable) {
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }
    return label;
}

void TFrmAbout::Image2Click()
{
    close();
}

void TFrmAbout::Image3Click()
{
    opensite(QString::fromLatin1(makerPages::Video));
}

void TFrmAbout::Image4Click()
{
    opensite(QString::fromLatin1(makerPages::Social));
}

void TFrmAbout::Image5Click()
{
    opensite(QString::fromLatin1(makerPages::Community));
}

void TFrmAbout::Image6Click()
{
    opensite(QString::fromLatin1(makerPages::News));
}

void TFrmAbout::Image7Click()
{
    opensite(QString::fromLatin1(makerPages::Forum));
    opensite(QString::fromLatin1(makerPages::Home));
}

void TFrmAbout::startDrag(const QPoint& globalPos)
{
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    dragging = true;
    dragOffset = globalPos - pos();
}

void TFrmAbout::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        centreOn(this, FrmMain);
    QWidget::showEvent(event);
}

void TFrmAbout::mousePressEvent(QMouseEvent* event)
{
    FormMouseDown(event->globalPosition().toPoint());
    event->accept();
}

void TFrmAbout::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging)
        move(event->globalPosition().toPoint() - dragOffset);
}

void TFrmAbout::mouseReleaseEvent(QMouseEvent*)
{
    dragging = false;
}

bool TFrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
        Image1MouseDown(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    }
    // Link and close icons take their own presses, so a click never starts a drag.
    if (event->type() == QEvent::MouseButtonPress)
        return true;
    if (event->type() != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);

    auto* label = qobject_cast<QLabel*>(watched);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // A click is a left-button release over the picture that was pressed.
    if (!label || mouse->button() != Qt::LeftButton ||
        !label->rect().contains(mouse->position().toPoint()))
        return QWidget::eventFilter(watched, event);
    if (label == Image2)
        Image2Click();
    else if (label == Image3)
        Image3Click();
    else if (label == Image4)
        Image4Click();
    else if (label == Image5)
        Image5Click();
    else if (label == Image6)
        Image6Click();
    else if (label == Image7)
        Image7Click();
    return QWidget::eventFilter(watched, event);
}
