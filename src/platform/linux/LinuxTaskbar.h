#pragma once

#include "Platform.h"

namespace platform {

// Progress on the desktop's launcher button. Not offered yet: every call
// answers false, as the callers expect of a desktop without it.
class LinuxTaskbar : public Taskbar {
public:
    bool available() const override;
    bool setProgressState(int state) override;
    bool setProgressValue(quint64 completed, quint64 total) override;
    bool setOverlayIcon(const QIcon& icon, const QString& description) override;
};

} // namespace platform
