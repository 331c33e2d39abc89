#include "FakePlatform.h"

#include "SolvekException.h"
#include "linux/LinuxXdgFolders.h"

#include <QFile>
#include <QMutexLocker>

#include <cerrno>

namespace platform {

QString FakePlatform::programFile() const
{
    return programFilePath;
}

QString FakePlatform::dataFolder() const
{
    return dataFolderPath;
}

QString FakePlatform::configFolder() const
{
    return configFolderPath;
}

// Made for real, as the system does, since the tests' folders are real.
bool FakePlatform::makePrivateFolder(const QString& path)
{
    return ensurePrivateFolder(path);
}

QString FakePlatform::hostsFile() const
{
    return hostsFilePath;
}

bool FakePlatform::setReadOnly(const QString& path, bool readOnly)
{
    QMutexLocker lock(&mutex);
    readOnlyCalls[path] = readOnly;
    if (readOnlyRefusal != 0) {
        errno = readOnlyRefusal;
        return false;
    }
    const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    return QFile::setPermissions(path, readOnly ? readable : readable | QFile::WriteOwner);
}

void FakePlatform::flush()
{
    QMutexLocker lock(&mutex);
    ++resolverFlushes;
}

bool FakePlatform::acquire(const QString& name)
{
    QMutexLocker lock(&mutex);
    if (locksHeldElsewhere.contains(name))
        return false;
    locksHeld.insert(name);
    return true;
}

void FakePlatform::set(const QString& name, const QString& commandLine)
{
    QMutexLocker lock(&mutex);
    if (autostartFails)
        throw solvek::Exception(QStringLiteral("Failed to set data for '%1'").arg(name));
    autostartEntries[name] = commandLine;
}

void FakePlatform::remove(const QString& name)
{
    QMutexLocker lock(&mutex);
    autostartEntries.remove(name);
}

bool FakePlatform::exists(const QString& name) const
{
    QMutexLocker lock(&mutex);
    return autostartEntries.contains(name);
}

bool FakePlatform::openUrl(const QUrl& url)
{
    QMutexLocker lock(&mutex);
    openedUrls.append(url);
    return true;
}

int FakePlatform::show(QWidget* owner, const QString& text, const QString& title, unsigned flags)
{
    return showWithDetails(owner, text, title, flags, QString());
}

int FakePlatform::showWithDetails(QWidget* owner, const QString& text, const QString& title,
                                  unsigned flags, const QString& details)
{
    QMutexLocker lock(&mutex);
    shownBoxes.append({owner, text, title, flags, details});
    if (!boxAnswers.empty()) {
        const int answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    return (flags & 0x0F) == MB_YESNO ? IDYES : IDOK;
}

bool FakePlatform::available() const
{
    return taskbarAvailable;
}

bool FakePlatform::setProgressState(int state)
{
    QMutexLocker lock(&mutex);
    if (!taskbarAvailable)
        return false;
    taskbarCalls.append({QStringLiteral("state"), quint64(state), 0, {}});
    return true;
}

bool FakePlatform::setProgressValue(quint64 completed, quint64 total)
{
    QMutexLocker lock(&mutex);
    if (!taskbarAvailable)
        return false;
    taskbarCalls.append({QStringLiteral("value"), completed, total, {}});
    return true;
}

bool FakePlatform::setOverlayIcon(const QIcon& icon, const QString& description)
{
    QMutexLocker lock(&mutex);
    if (!taskbarAvailable)
        return false;
    taskbarCalls.append({QStringLiteral("overlay"), icon.isNull() ? 0u : 1u, 0, description});
    return true;
}

void FakePlatform::watch(std::function<void(int signal)> onRequest)
{
    QMutexLocker lock(&mutex);
    endRequestHandler = std::move(onRequest);
}

void FakePlatform::endingBegun()
{
    QMutexLocker lock(&mutex);
    ++endingsBegun;
}

} // namespace platform
