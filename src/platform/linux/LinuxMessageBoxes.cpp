#include "LinuxMessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>

namespace platform {

namespace {

QMessageBox::Icon iconOf(unsigned flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// What closing the box without pressing a button answers.
int escapeAnswer(unsigned flags)
{
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

void setButtons(QMessageBox& box, unsigned flags)
{
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_YESNO:
        // Closing a confirmation must never count as Yes.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
}

int answerOf(int button, unsigned flags)
{
    switch (button) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return escapeAnswer(flags);
    }
}

} // namespace

LinuxMessageBoxes::LinuxMessageBoxes(Display display, std::ostream& report)
    : m_display(display), m_report(report)
{}

int LinuxMessageBoxes::show(QWidget* owner, const QString& text, const QString& title,
                            unsigned flags)
{
    return showWithDetails(owner, text, title, flags, QString());
}

int LinuxMessageBoxes::showWithDetails(QWidget* owner, const QString& text, const QString& title,
                                       unsigned flags, const QString& details)
{
    if (onScreen())
        return showOnScreen(owner, text, title, flags, details);
    return reportUnseen(text, title, flags, details);
}

QWidget* LinuxMessageBoxes::ownerFor(QWidget* requested)
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (requested && requested->window()->isVisible())
        return requested->window();
    return QApplication::activeWindow();
}

bool LinuxMessageBoxes::onScreen() const
{
    switch (m_display) {
    case Display::Screen:
        return true;
    case Display::StandardError:
        return false;
    case Display::FollowPlatform:
        break;
    }
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

int LinuxMessageBoxes::showOnScreen(QWidget* owner, const QString& text, const QString& title,
                                    unsigned flags, const QString& details)
{
    // The owner deletes the box with itself if it goes while the box is open.
    QPointer<QMessageBox> box =
        new QMessageBox(iconOf(flags), title, text, QMessageBox::NoButton, ownerFor(owner));
    const auto deleteBox = qScopeGuard([&box] { delete box.data(); });
    box->setDetailedText(details);
    setButtons(*box, flags);
    return answerOf(box->exec(), flags);
}

int LinuxMessageBoxes::reportUnseen(const QString& text, const QString& title, unsigned flags,
                                    const QString& details)
{
    m_report << title.toLocal8Bit().constData() << ": " << text.toLocal8Bit().constData();
    if (!details.isEmpty())
        m_report << " (" << details.toLocal8Bit().constData() << ")";
    m_report << std::endl;
    return escapeAnswer(flags);
}

} // namespace platform
