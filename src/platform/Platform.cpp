#include "Platform.h"

#include "linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <functional>

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

namespace {

// Runs a box on the window thread; a worker waits for the answer.
int onWindowThread(const std::function<int()>& box)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return box();
    int answer = IDCANCEL;
    QMetaObject::invokeMethod(
        app, [&] { answer = box(); }, Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace

int messageBox(QWidget* owner, const QString& text, const QString& title, unsigned flags)
{
    return onWindowThread([&] { return current().messageBoxes().show(owner, text, title, flags); });
}

int messageBox(QWidget* owner, const QString& text, const QString& title, unsigned flags,
               const QString& details)
{
    if (details.isEmpty())
        return messageBox(owner, text, title, flags);
    return onWindowThread([&] {
        return current().messageBoxes().showWithDetails(owner, text, title, flags, details);
    });
}

} // namespace platform
