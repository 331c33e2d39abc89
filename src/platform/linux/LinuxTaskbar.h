#pragma once

#include "Platform.h"

#include <QDBusConnection>
#include <optional>

namespace platform {

// Progress on the desktop's launcher button, sent as the launcher-entry
// signal "Update" on the session bus. Available while a session bus is
// connected; the desktop offers no overlay icons, so those answer false.
class LinuxTaskbar : public Taskbar {
public:
    // Uses the session bus, looked up at each call (it may appear after start-up).
    LinuxTaskbar() = default;
    // Uses the given bus (tests pass a private one).
    explicit LinuxTaskbar(const QDBusConnection& bus) : m_bus(bus) {}

    bool available() const override;
    bool setProgressState(int state) override;
    bool setProgressValue(quint64 completed, quint64 total) override;
    bool setOverlayIcon(const QIcon& icon, const QString& description) override;

    // The launcher entry this program's signals name.
    static QString appUri();
    static QString objectPath();

private:
    QDBusConnection bus() const;
    // Sends the current progress and whether it shows.
    bool sendUpdate();

    std::optional<QDBusConnection> m_bus;
    int m_state = 0;
    double m_progress = 0.0;
};

} // namespace platform
