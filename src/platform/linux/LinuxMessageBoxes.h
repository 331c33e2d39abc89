#pragma once

#include "Platform.h"

#include <iostream>

namespace platform {

// Message boxes over QMessageBox. A box is owned by a window whenever one
// shows, so it stays above it and takes no taskbar entry of its own. Where no
// screen can show a box (the offscreen platform) nobody could answer it: its
// title and text go to standard error and it answers as closing it would.
class LinuxMessageBoxes : public MessageBoxes {
public:
    enum class Display {
        FollowPlatform, // on screen unless the platform is offscreen
        Screen,
        StandardError,
    };

    explicit LinuxMessageBoxes(Display display = Display::FollowPlatform,
                               std::ostream& report = std::cerr);

    int show(QWidget* owner, const QString& text, const QString& title, unsigned flags) override;
    int showWithDetails(QWidget* owner, const QString& text, const QString& title, unsigned flags,
                        const QString& details) override;

    // The window a box asked for with `requested` (null for the application's
    // window) belongs to: the modal window while one is open, since a box under
    // it could not be answered; else the requested window while it shows; else
    // the active window; null when no window of the program is in front.
    static QWidget* ownerFor(QWidget* requested);

private:
    bool onScreen() const;
    int showOnScreen(QWidget* owner, const QString& text, const QString& title, unsigned flags,
                     const QString& details);
    int reportUnseen(const QString& text, const QString& title, unsigned flags,
                     const QString& details);

    Display m_display;
    std::ostream& m_report;
};

} // namespace platform
