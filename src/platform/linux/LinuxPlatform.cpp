#include "LinuxPlatform.h"

#include "LinuxAutostart.h"
#include "LinuxEndRequests.h"
#include "LinuxInstanceGuard.h"
#include "LinuxMessageBoxes.h"
#include "LinuxTaskbar.h"
#include "LinuxXdgFolders.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {

class LinuxPlaces : public Places {
public:
    // The program's own folder in a base folder: "solvek-antibot/".
    static QString programsFolder(const QString& base)
    {
        const QString folder = base + QStringLiteral("/solvek-antibot");
        ensurePrivateFolder(folder);
        return folder + u'/';
    }

    QString programFile() const override
    {
        if (QCoreApplication::instance())
            return QCoreApplication::applicationFilePath();
        return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    }

    QString dataFolder() const override { return programsFolder(xdgDataHome()); }
    QString configFolder() const override { return programsFolder(xdgConfigHome()); }
    bool makePrivateFolder(const QString& path) override { return ensurePrivateFolder(path); }

    QString hostsFile() const override
    {
        const QString chosen = qEnvironmentVariable("SOLVEK_HOSTS_FILE");
        return chosen.isEmpty() ? QStringLiteral("/etc/hosts") : chosen;
    }
};

class LinuxFileAttributes : public FileAttributes {
public:
    bool setReadOnly(const QString& path, bool readOnly) override
    {
        const auto readable =
            QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
        const auto writable = QFile::WriteOwner | QFile::WriteUser;
        return QFile::setPermissions(path, readOnly ? readable : readable | writable);
    }
};

class LinuxResolverCache : public ResolverCache {
public:
    void flush() override
    {
        // Systems without systemd-resolved keep no cache of their own to flush.
        const QString resolvectl = QStandardPaths::findExecutable(QStringLiteral("resolvectl"));
        if (resolvectl.isEmpty())
            return;
        QProcess process;
        process.setProgram(resolvectl);
        process.setArguments({QStringLiteral("flush-caches")});
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.startDetached();
    }
};

class LinuxDesktop : public Desktop {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

class LinuxPlatform : public Platform {
public:
    Places& places() override { return m_places; }
    FileAttributes& fileAttributes() override { return m_fileAttributes; }
    ResolverCache& resolverCache() override { return m_resolverCache; }
    InstanceGuard& instanceGuard() override { return m_instanceGuard; }
    Autostart& autostart() override { return m_autostart; }
    Desktop& desktop() override { return m_desktop; }
    MessageBoxes& messageBoxes() override { return m_messageBoxes; }
    Taskbar& taskbar() override { return m_taskbar; }
    EndRequests& endRequests() override { return m_endRequests; }

private:
    LinuxPlaces m_places;
    LinuxFileAttributes m_fileAttributes;
    LinuxResolverCache m_resolverCache;
    LinuxInstanceGuard m_instanceGuard;
    LinuxAutostart m_autostart;
    LinuxDesktop m_desktop;
    LinuxMessageBoxes m_messageBoxes;
    LinuxTaskbar m_taskbar;
    LinuxEndRequests m_endRequests;
};

} // namespace

Platform& systemPlatform()
{
    // Never destroyed: the instance lock must outlive every static destructor.
    static LinuxPlatform* const platform = new LinuxPlatform;
    return *platform;
}

} // namespace platform
