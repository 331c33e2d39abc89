#pragma once

#include "Platform.h"

#include <QHash>
#include <QMutex>

namespace platform {

// One instance per lock name: an exclusive flock on "<name>.lock" in the
// user's runtime folder. The descriptor stays open until the process ends,
// so the system releases the lock even when the process is killed.
class LinuxInstanceGuard : public InstanceGuard {
public:
    LinuxInstanceGuard() = default;
    ~LinuxInstanceGuard() override;
    LinuxInstanceGuard(const LinuxInstanceGuard&) = delete;
    LinuxInstanceGuard& operator=(const LinuxInstanceGuard&) = delete;

    bool acquire(const QString& name) override;

    // The lock file of a name: $XDG_RUNTIME_DIR when this user owns it, else
    // the temporary folder.
    static QString lockFilePath(const QString& name);

private:
    QMutex m_mutex;
    QHash<QString, int> m_heldLocks; // name -> open descriptor holding the lock
};

} // namespace platform
