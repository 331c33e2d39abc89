#pragma once

// The program started as a user starts it, from a copy in a folder of its own
// so that the files it creates beside itself stay inside the test's folder.

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

// A copy of the program with its own home, data, settings and runtime folders.
class ProgramFolder {
public:
    ProgramFolder()
    {
        for (const char* folder : {"home", "data", "config", "runtime"})
            QDir(m_root.path()).mkpath(QString::fromLatin1(folder));
        QFile::setPermissions(path("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_copied = QFile::copy(QStringLiteral(SOLVEK_PROGRAM_FILE), program());
    }

    bool ready() const { return m_root.isValid() && m_copied; }
    QString program() const { return path("solvek-antibot"); }
    QString path(const QString& name) const { return m_root.filePath(name); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", path("home"));
        env.insert("XDG_DATA_HOME", path("data"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        env.insert("SOLVEK_HOSTS_FILE", path("hosts"));
        return env;
    }

private:
    QTemporaryDir m_root;
    bool m_copied = false;
};
