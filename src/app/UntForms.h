#pragma once

// What the program's windows share: their font, their placement and the
// compiled-in pictures, and how a failed command is reported.

#include <QFont>
#include <QString>
#include <functional>

class QWidget;

// Tahoma 8 point where the system has it, the system's sans-serif otherwise.
QFont windowFont();

// Places a window centred on another; on the screen when there is none.
void centreOn(QWidget* window, const QWidget* anchor);

// Registers the pictures compiled into this static library.
void initResources();

// The application's title, shown on reports of failed commands.
inline constexpr const char* ApplicationTitle = "Yeld Solvek Anti-Bot";

// Runs a user's command; an exception that ends it (database or settings file
// errors) is shown in an error box, and the window stays as it was.
void runReported(const std::function<void()>& command);
