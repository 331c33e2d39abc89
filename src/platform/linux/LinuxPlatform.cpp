#include "LinuxPlatform.h"

#include "LinuxAutostart.h"
#include "LinuxInstanceGuard.h"
#include "LinuxTaskbar.h"
#include "LinuxXdgFolders.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
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

class LinuxMessageBoxes : public MessageBoxes {
public:
    int show(QWidget* owner, const QString& text, const QString& title, unsigned flags) override
    {
        return showWithDetails(owner, text, title, flags, QString());
    }

    int showWithDetails(QWidget* owner, const QString& text, const QString& title, unsigned flags,
                        const QString& details) override
    {
        QMessageBox box(iconOf(flags), title, text, QMessageBox::NoButton, owner);
        box.setDetailedText(details);
        switch (flags & 0x0F) {
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MB_YESNO:
            // Closing a confirmation must never count as Yes.
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
            break;
        }
        return answerOf(box.exec(), flags);
    }

private:
    static QMessageBox::Icon iconOf(unsigned flags)
    {
        switch (flags & 0xF0) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
        }
    }

    static int answerOf(int button, unsigned flags)
    {
        switch (button) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        default:
            return (flags & 0x0F) == MB_YESNO ? IDNO : IDCANCEL;
        }
    }
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

private:
    LinuxPlaces m_places;
    LinuxFileAttributes m_fileAttributes;
    LinuxResolverCache m_resolverCache;
    LinuxInstanceGuard m_instanceGuard;
    LinuxAutostart m_autostart;
    LinuxDesktop m_desktop;
    LinuxMessageBoxes m_messageBoxes;
    LinuxTaskbar m_taskbar;
};

} // namespace

Platform& systemPlatform()
{
    // Never destroyed: the instance lock must outlive every static destructor.
    static LinuxPlatform* const platform = new LinuxPlatform;
    return *platform;
}

} // namespace platform
