#include "UntForms.h"

#include "DatabaseTrouble.h"
#include "Platform.h"
#include "bsCompressedStoredSkin.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <algorithm>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerCompiledPictures()
{
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(program_skin);
}

void initResources()
{
    static const bool registered = (registerCompiledPictures(), true);
    (void)registered;
}

QIcon programIcon()
{
    initResources();
    QIcon icon;
    const QDir pictures(QStringLiteral(":/images"), QStringLiteral("shield_*.png"));
    for (const QString& file : pictures.entryList())
        icon.addFile(pictures.filePath(file));
    return icon;
}

void identifyProgramToDesktop()
{
    QGuiApplication::setDesktopFileName(QLatin1String(platform::DesktopEntryName));
    QApplication::setWindowIcon(programIcon());
}

void loadProgramSkin(TbsCompressedStoredSkin& store)
{
    initResources();
    QFile layout(QStringLiteral(":/skin/program.skd"));
    if (layout.open(QIODevice::ReadOnly))
        store.ReadCompressedData(layout);
}

QFont windowFont()
{
    const QString tahoma = QStringLiteral("Tahoma");
    QFont font = QFontDatabase::families().contains(tahoma)
                     ? QFont(tahoma)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    return font;
}

// The screen a frame lands on; the anchor's or the primary one when its centre is on none.
static const QScreen* screenUnder(const QRect& frame, const QWidget* anchor)
{
    if (const QScreen* screen = QGuiApplication::screenAt(frame.center()))
        return screen;
    return anchor ? anchor->screen() : QGuiApplication::primaryScreen();
}

// The top-left corner that keeps a frame inside area; a frame larger than the
// area keeps its title bar on it.
static QPoint keptInside(const QRect& frame, const QRect& area)
{
    const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
    const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
    return {x, y};
}

void centreOn(QWidget* window, const QWidget* anchor)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!anchor && !primary)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(anchor ? anchor->frameGeometry().center()
                            : primary->availableGeometry().center());
    if (const QScreen* screen = screenUnder(frame, anchor))
        frame.moveTopLeft(keptInside(frame, screen->availableGeometry()));
    window->move(frame.topLeft());
}

void runReported(const std::function<void()>& command)
{
    QString message;
    try {
        command();
        return;
    } catch (const std::exception& error) {
        message = failureTextToTell(error); // a database failure without its raw statement
    }
    platform::messageBox(nullptr, message, QString::fromLatin1(ApplicationTitle),
                         platform::MB_OK | platform::MB_ICONERROR);
}

void runUnlessSpontaneous(const QEvent* event, const std::function<void()>& handler)
{
    if (!event->spontaneous())
        runReported(handler);
}

QLabel* createPanelBackground(QWidget* panel)
{
    auto* background = new QLabel(panel);
    background->setPixmap(QPixmap(QStringLiteral(":/images/panel_background.png")));
    background->setScaledContents(true);
    return background;
}
