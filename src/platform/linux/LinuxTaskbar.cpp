#include "LinuxTaskbar.h"

namespace platform {

bool LinuxTaskbar::available() const
{
    return false;
}

bool LinuxTaskbar::setProgressState(int)
{
    return false;
}

bool LinuxTaskbar::setProgressValue(quint64, quint64)
{
    return false;
}

bool LinuxTaskbar::setOverlayIcon(const QIcon&, const QString&)
{
    return false;
}

} // namespace platform
