#include "LinuxXdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace platform {

namespace {

QString baseFolder(const char* variable, const QString& fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    // The specification of these variables says a relative path is invalid.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + u'/' + fallbackUnderHome;
}

} // namespace

QString xdgConfigHome()
{
    return baseFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString xdgDataHome()
{
    return baseFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

bool ensurePrivateFolder(const QString& path)
{
    const QString folder = QDir::cleanPath(path);
    if (QFileInfo(folder).isDir())
        return true;
    QDir().mkpath(QFileInfo(folder).absolutePath());
    // mkdir with the mode, so the folder is never open to others, not even briefly.
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return QFileInfo(folder).isDir();
}

} // namespace platform
