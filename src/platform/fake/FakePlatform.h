#pragma once

// An in-memory platform for tests: it records what the program asked of the
// system and answers from fields the test sets.

#include "Platform.h"

#include <QIcon>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>

namespace platform {

class FakePlatform : public Platform,
                     private Places,
                     private FileAttributes,
                     private ResolverCache,
                     private InstanceGuard,
                     private Autostart,
                     private Desktop,
                     private MessageBoxes,
                     private Taskbar,
                     private EndRequests {
public:
    struct ShownBox {
        QWidget* owner;
        QString text;
        QString title;
        unsigned flags;
        QString details;
    };
    struct TaskbarCall {
        QString what; // "state", "value" or "overlay"
        quint64 first;
        quint64 second;
        QString description;
    };

    // Places; the folders must end with a separator.
    QString programFilePath;
    QString dataFolderPath;
    QString configFolderPath;
    QString hostsFilePath;

    // Files the program made read-only (true) or normal (false), last call wins;
    // the fake also applies the permission bits so file access behaves as on a system.
    QMap<QString, bool> readOnlyCalls;
    // When set, setReadOnly() is refused with this errno, as the system refuses
    // another user's file (EPERM).
    int readOnlyRefusal = 0;
    int resolverFlushes = 0;
    QSet<QString> locksHeldElsewhere; // acquire() of these answers false
    QSet<QString> locksHeld;
    QMap<QString, QString> autostartEntries;
    bool autostartFails = false; // set() raises, as a registry that refuses
    QList<QUrl> openedUrls;

    // Boxes shown, and the answers given in order; IDOK (or IDYES for Yes/No)
    // once the queue is empty.
    QList<ShownBox> shownBoxes;
    std::deque<int> boxAnswers;

    bool taskbarAvailable = true;
    QList<TaskbarCall> taskbarCalls;

    // What watch() was given, and how often the program said it began to end.
    std::function<void(int signal)> endRequestHandler;
    int endingsBegun = 0;

    Places& places() override { return *this; }
    FileAttributes& fileAttributes() override { return *this; }
    ResolverCache& resolverCache() override { return *this; }
    InstanceGuard& instanceGuard() override { return *this; }
    Autostart& autostart() override { return *this; }
    Desktop& desktop() override { return *this; }
    MessageBoxes& messageBoxes() override { return *this; }
    Taskbar& taskbar() override { return *this; }
    EndRequests& endRequests() override { return *this; }

    // Guards the recorded lists: workers may show boxes or flush at the same time.
    mutable QMutex mutex;

private:
    QString programFile() const override;
    QString dataFolder() const override;
    QString configFolder() const override;
    bool makePrivateFolder(const QString& path) override;
    QString hostsFile() const override;
    bool setReadOnly(const QString& path, bool readOnly) override;
    void flush() override;
    bool acquire(const QString& name) override;
    void set(const QString& name, const QString& commandLine) override;
    void remove(const QString& name) override;
    bool exists(const QString& name) const override;
    bool openUrl(const QUrl& url) override;
    int show(QWidget* owner, const QString& text, const QString& title, unsigned flags) override;
    int showWithDetails(QWidget* owner, const QString& text, const QString& title, unsigned flags,
                        const QString& details) override;
    bool available() const override;
    bool setProgressState(int state) override;
    bool setProgressValue(quint64 completed, quint64 total) override;
    bool setOverlayIcon(const QIcon& icon, const QString& description) override;
    void watch(std::function<void(int signal)> onRequest) override;
    void endingBegun() override;
};

// Installs a fake for the lifetime of a test and restores the system's platform.
class ScopedFakePlatform : public FakePlatform {
public:
    ScopedFakePlatform() { install(this); }
    ~ScopedFakePlatform() override { install(nullptr); }
    ScopedFakePlatform(const ScopedFakePlatform&) = delete;
    ScopedFakePlatform& operator=(const ScopedFakePlatform&) = delete;
};

} // namespace platform
