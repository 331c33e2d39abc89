#include "Platform.h"

#include "linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>

namespace platform {

namespace {
std::atomic<Platform*> installed{nullptr};
}

Platform& current()
{
    Platform* platform = installed.load();
    return platform ? *platform : systemPlatform();
}

void install(Platform* platform)
{
    installed.store(platform);
}

int messageBox(QWidget* owner, const QString& text, const QString& title, unsigned flags)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return current().messageBoxes().show(owner, text, title, flags);

    // Boxes belong to the window thread; the worker waits for the answer.
    int answer = IDCANCEL;
    QMetaObject::invokeMethod(
        app, [&] { answer = current().messageBoxes().show(owner, text, title, flags); },
        Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace platform
