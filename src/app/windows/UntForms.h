#pragma once

// What the program's windows share: their font, their placement and the
// compiled-in pictures, and how a failed command is reported.

#include <QFont>
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

class QEvent;
class QLabel;
class QWidget;
class TbsCompressedStoredSkin;

// Tahoma 8 point where the system has it, the system's sans-serif otherwise.
QFont windowFont();

// Places a window centred on another, or on the screen when there is none,
// its frame kept inside the available area of the screen it lands on.
void centreOn(QWidget* window, const QWidget* anchor);

// Registers the pictures compiled into this static library.
void initResources();
// Fills store with the program's own skin, compiled in as the settings
// window's "CompressedData" value.
void loadProgramSkin(TbsCompressedStoredSkin& store);

// The program's icon in every size drawn for it.
QIcon programIcon();

// Tells the desktop which program runs: the desktop entry that docks match to
// its windows and its launcher progress, and the icon that every window and
// message box shows.
void identifyProgramToDesktop();

// The application's title, shown on reports of failed commands.
inline constexpr const char* ApplicationTitle = "Yeld Solvek Anti-Bot";

// Runs a user's command; an exception that ends it (database or settings file
// errors) is shown in an error box, and the window stays as it was.
void runReported(const std::function<void()>& command);

// Connects a signal to a window's handler, run as a reported command.
template <class Sender, class Signal, class Window>
void connectReported(Sender* sender, Signal signal, Window* window, void (Window::*handler)())
{
    QObject::connect(sender, signal, window, [window, handler] {
        runReported([window, handler] { (window->*handler)(); });
    });
}

// Runs a window's show or hide handler as a reported command when the program
// showed or hid the window, not when the window system did (minimise, restore).
void runUnlessSpontaneous(const QEvent* event, const std::function<void()>& handler);

// The stretched background picture of a window's bottom panel.
QLabel* createPanelBackground(QWidget* panel);
