#pragma once

// The services of the operating system that the program calls, one small
// interface per concern. Code calls platform::current(), never the system
// directly; tests install a fake (src/platform/fake).

#include <QString>
#include <QtGlobal>

#include <functional>

class QIcon;
class QUrl;
class QWidget;

namespace platform {

// The program's desktop entry, without ".desktop": docks match the running
// program and its launcher progress to it.
inline constexpr const char* DesktopEntryName = "solvek-antibot";

// Where the program and the files it touches live.
class Places {
public:
    virtual ~Places() = default;
    // Full path of the running program file.
    virtual QString programFile() const = 0;
    // The folders of the user's files, with their trailing separator, created
    // readable by the user only when missing. The data folder holds the
    // database and the previous version's database, the configuration folder
    // the settings file.
    virtual QString dataFolder() const = 0;
    virtual QString configFolder() const = 0;
    // Creates a folder of the user's files when missing, as those two are;
    // answers whether it exists afterwards.
    virtual bool makePrivateFolder(const QString& path) = 0;
    // The system hosts file, or the file that SOLVEK_HOSTS_FILE names.
    virtual QString hostsFile() const = 0;
};

// Read-only versus normal file attributes.
class FileAttributes {
public:
    virtual ~FileAttributes() = default;
    // Normal: writable by the owner (0644); read-only: read-only for all (0444).
    // Answers false when the system refused.
    virtual bool setReadOnly(const QString& path, bool readOnly) = 0;
};

// The system's cache of resolved host names.
class ResolverCache {
public:
    virtual ~ResolverCache() = default;
    // Starts the flush detached; never waits and never fails the caller.
    virtual void flush() = 0;
};

// The lock that keeps the program to one running instance.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // True when this process now holds the named lock, false when another
    // process holds it. The lock lasts until the process ends.
    virtual bool acquire(const QString& name) = 0;
};

// The per-user "start with the session" entries.
class Autostart {
public:
    virtual ~Autostart() = default;
    // Stores the command line under the name; raises solvek::Exception on failure.
    virtual void set(const QString& name, const QString& commandLine) = 0;
    // Removes the entry; a missing entry is not an error.
    virtual void remove(const QString& name) = 0;
    virtual bool exists(const QString& name) const = 0;
};

// The desktop's browser.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual bool openUrl(const QUrl& url) = 0;
};

// Message box flags and answers, with the values the program's boxes use.
enum MessageBoxFlag : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNO = 0x04,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum MessageBoxAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box on the window thread and answers one of MessageBoxAnswer.
    virtual int show(QWidget* owner, const QString& text, const QString& title, unsigned flags) = 0;
    // The same with details the user can unfold (why it happened).
    virtual int showWithDetails(QWidget* owner, const QString& text, const QString& title,
                                unsigned flags, const QString& details) = 0;
};

// Progress on the program's taskbar or launcher button.
class Taskbar {
public:
    virtual ~Taskbar() = default;
    // False when the desktop offers no such progress; every call then answers false.
    virtual bool available() const = 0;
    // 0 no progress, 1 indeterminate, 2 normal, 3 error, 4 paused.
    virtual bool setProgressState(int state) = 0;
    virtual bool setProgressValue(quint64 completed, quint64 total) = 0;
    // A null icon clears the overlay.
    virtual bool setOverlayIcon(const QIcon& icon, const QString& description) = 0;
};

// Requests from outside to end the program: the session ending, kill, Ctrl+C.
class EndRequests {
public:
    virtual ~EndRequests() = default;
    // From now on each request runs onRequest on the window thread, from its
    // event loop, with the request's signal number. Called once, on the
    // window thread.
    virtual void watch(std::function<void(int signal)> onRequest) = 0;
    // The program has begun to end: a request from now on ends it at once.
    virtual void endingBegun() = 0;
};

// All services of one system.
class Platform {
public:
    virtual ~Platform() = default;
    virtual Places& places() = 0;
    virtual FileAttributes& fileAttributes() = 0;
    virtual ResolverCache& resolverCache() = 0;
    virtual InstanceGuard& instanceGuard() = 0;
    virtual Autostart& autostart() = 0;
    virtual Desktop& desktop() = 0;
    virtual MessageBoxes& messageBoxes() = 0;
    virtual Taskbar& taskbar() = 0;
    virtual EndRequests& endRequests() = 0;
};

// The platform in use: this system's unless a test installed another.
Platform& current();
// Installs a platform (not owned); nullptr restores this system's.
void install(Platform* platform);

// Shows a message box through the current platform. Called from a worker
// thread it runs the box on the window thread, from its event loop, and
// waits for the answer. Refused (solvek::Exception) in a step that runs
// inside a window-thread wait.
int messageBox(QWidget* owner, const QString& text, const QString& title, unsigned flags);
// The same with details; empty details show a plain box.
int messageBox(QWidget* owner, const QString& text, const QString& title, unsigned flags,
               const QString& details);
// Shows a box of no owner on the window thread, from its event loop, and
// returns at once: for a worker that must go on meanwhile.
void messageBoxLater(const QString& text, const QString& title, unsigned flags);

} // namespace platform
