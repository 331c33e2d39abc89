#include "LinuxTaskbar.h"

#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>

namespace platform {

namespace {

const char* const kLauncherInterface = "com.canonical.Unity.LauncherEntry";
// Any stable path under the launcher-entry prefix will do; the entry is named
// by the application URI, not by the path.
const char* const kObjectPath = "/com/canonical/unity/launcherentry/solvek_antibot";

constexpr int kNoProgress = 0;

} // namespace

QString LinuxTaskbar::appUri()
{
    return QStringLiteral("application://") + QLatin1String(DesktopEntryName) +
           QStringLiteral(".desktop");
}

QString LinuxTaskbar::objectPath()
{
    return QLatin1String(kObjectPath);
}

QDBusConnection LinuxTaskbar::bus() const
{
    return m_bus ? *m_bus : QDBusConnection::sessionBus();
}

bool LinuxTaskbar::available() const
{
    return bus().isConnected();
}

bool LinuxTaskbar::setProgressState(int state)
{
    if (!available())
        return false;
    // Unknown states show no progress, as state 0 does.
    m_state = state >= 0 && state <= 4 ? state : kNoProgress;
    return sendUpdate();
}

bool LinuxTaskbar::setProgressValue(quint64 completed, quint64 total)
{
    if (!available())
        return false;
    m_progress = total == 0 ? 0.0 : std::min(1.0, double(completed) / double(total));
    return sendUpdate();
}

bool LinuxTaskbar::setOverlayIcon(const QIcon&, const QString&)
{
    return false;
}

bool LinuxTaskbar::sendUpdate()
{
    QDBusMessage signal = QDBusMessage::createSignal(
        objectPath(), QLatin1String(kLauncherInterface), QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), m_progress);
    properties.insert(QStringLiteral("progress-visible"), m_state != kNoProgress);
    signal << appUri() << properties;
    return bus().send(signal);
}

} // namespace platform
