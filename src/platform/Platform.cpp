#include "Platform.h"

#include "SolvekException.h"
#include "TThread.h"
#include "linux/LinuxPlatform.h"

#include <QCoreApplication>
#include <QMetaObject>

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

// Runs a box on the window thread from its event loop; a worker waits for
// the answer. A box inside a window-thread wait would let the user start
// work of his own under it, so it is refused there.
int onWindowThread(const std::function<int()>& box)
{
    if (TThread::isRunningStepDuringWait())
        throw solvek::Exception(
            QStringLiteral("A box cannot be shown by a step run while the window thread waits"));
    int answer = IDCANCEL;
    TThread::Synchronize([&] { answer = box(); }, TThread::StepKind::EventLoopOnly);
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

void messageBoxLater(const QString& text, const QString& title, unsigned flags)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app, [text, title, flags] { messageBox(nullptr, text, title, flags); },
        Qt::QueuedConnection);
}

} // namespace platform
