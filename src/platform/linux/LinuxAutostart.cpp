#include "LinuxAutostart.h"

#include "LinuxXdgFolders.h"
#include "ReplacingFile.h"
#include "SolvekException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

// File names keep letters, digits, '-', '_' and '.'; anything else becomes '-'.
QString sanitisedFileName(const QString& name)
{
    QString fileName;
    fileName.reserve(name.size());
    for (QChar c : name) {
        const bool kept = (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == QLatin1Char('-') ||
                          c == QLatin1Char('_') || c == QLatin1Char('.');
        fileName += kept ? c : QLatin1Char('-');
    }
    if (fileName.isEmpty() || fileName.startsWith(QLatin1Char('.')))
        fileName.prepend(QStringLiteral("entry"));
    return fileName;
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

QByteArray entryText(const QString& name, const QString& commandLine)
{
    // '%' starts a field code in an Exec line; a literal one is written twice.
    QString exec = commandLine;
    exec.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2\n")
                             .arg(name, exec);
    return text.toUtf8();
}

} // namespace

QString LinuxAutostart::entryPath(const QString& name)
{
    return xdgConfigHome() + QStringLiteral("/autostart/") + sanitisedFileName(name) +
           QStringLiteral(".desktop");
}

void LinuxAutostart::set(const QString& name, const QString& commandLine)
{
    const QString path = entryPath(name);
    const auto fail = [&] {
        throw solvek::Exception(QStringLiteral("Failed to set data for '%1'").arg(name));
    };
    // A line break would split the entry into lines the desktop misreads.
    if (hasLineBreak(name) || hasLineBreak(commandLine))
        fail();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        fail();
    try {
        replaceFileContents(path, entryText(name, commandLine));
    } catch (const EFileReplaceError&) {
        fail();
    }
}

void LinuxAutostart::remove(const QString& name)
{
    QFile::remove(entryPath(name));
}

bool LinuxAutostart::exists(const QString& name) const
{
    return QFileInfo::exists(entryPath(name));
}

} // namespace platform
