#include "Unit_Win7Taskbar.h"

#include "Platform.h"

namespace {

// Set only by InitializeTaskbarList: the desktop offered taskbar progress.
bool taskbarList = false;

enum TaskbarProgressState {
    NoProgress = 0,
    Indeterminate = 1,
    Normal = 2,
    Error = 3,
    Paused = 4,
};

TaskbarProgressState progressStateFor(quint8 code)
{
    switch (code) {
    case 1:
        return Indeterminate;
    case 2:
        return Normal;
    case 3:
        return Error;
    case 4:
        return Paused;
    default:
        return NoProgress;
    }
}

platform::Taskbar& taskbar()
{
    return platform::current().taskbar();
}

} // namespace

bool InitializeTaskbarList()
{
    if (taskbarList)
        return true;
    try {
        taskbarList = taskbar().available();
    } catch (...) {
        // No taskbar progress is not worth telling anyone about.
        taskbarList = false;
    }
    return taskbarList;
}

void releaseTaskbarList()
{
    taskbarList = false;
}

bool taskbarAvailable()
{
    return taskbarList && taskbar().available();
}

bool setTaskbarState(quint8 code)
{
    if (!taskbarAvailable())
        return false;
    return taskbar().setProgressState(progressStateFor(code));
}

bool setTaskbarProgress(quint64 completed, quint64 total)
{
    if (!taskbarAvailable())
        return false;
    return taskbar().setProgressValue(completed, total);
}

bool setTaskbarOverlay(const QIcon& icon, const QString& description)
{
    if (!taskbarAvailable())
        return false;
    return taskbar().setOverlayIcon(icon, description);
}

bool setTaskbarOverlayIcon(const QIcon* icon, const QString& description)
{
    if (!taskbarAvailable())
        return false;
    return setTaskbarOverlay(icon ? *icon : QIcon(), description);
}

bool setTaskbarOverlayImage(const QList<QIcon>* images, int index, const QString& description)
{
    if (!taskbarAvailable())
        return false;
    if (images && index >= 0 && index < images->size()) {
        const QIcon icon = images->at(index);
        return setTaskbarOverlayIcon(&icon, description);
    }
    return setTaskbarOverlayIcon(nullptr, description);
}
