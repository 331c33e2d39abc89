#pragma once

// The hosts-file refresh: appends a block line for every database host that
// the hosts file does not block yet, with progress on the main window, then
// writes the file back without blank lines and read-only.

#include "LiveCount.h"
#include "TThread.h"

#include <QString>
#include <QStringList>

#include <memory>

// The window side of one refresh, called on the worker thread.
class HostsRefreshUi {
public:
    virtual ~HostsRefreshUi() = default;
    // Progress set-up and steps. They run while the hosts file is held, so
    // they must not wait for the window thread.
    virtual void begin(qint64 rows) = 0;
    virtual void step(qint64 row, qint64 rows) = 0;
    // The end step: progress reset and the Update button enabled again.
    virtual void end() = 0;
    virtual bool windowVisible() = 0;
    virtual void showBalloon(const QString& title, const QString& text) = 0;
};

// Each failure is a sentence told to the user.
struct HostsRefreshOutcome {
    bool fileRead = false;
    bool fileWritten = false;
    qint64 linesAdded = 0;
    QString fileFailure;     // reading or writing the hosts file
    QString databaseFailure; // the query; the lines found before it are still written
    QString refreshFailure;  // the work itself (a thread that could not start, memory);
                             // the old file stays

    QStringList failures() const;
};

// Title of the box or balloon that tells about a failed refresh.
inline constexpr const char* HostsFileFailureTitle = "Hosts file";

// One whole refresh on the database at dbPath. Runs under the hosts-file
// lock; its failures are told once, together (a box while the main window is
// visible, a tray balloon otherwise), and each on standard error. The end
// step runs also after a failure, so the Update button is enabled again.
HostsRefreshOutcome refreshHostsFile(const QString& dbPath, HostsRefreshUi& ui);

class TUpdateHosts : public TThread, public LiveCount<TUpdateHosts> {
public:
    // Starts a refresh as every starter does: suspended, freeing itself,
    // highest priority, then resumed. Nobody keeps a reference to it; it
    // owns the window side it reports to.
    static void start(std::unique_ptr<HostsRefreshUi> ui);
    ~TUpdateHosts() override;

protected:
    void Execute() override;

private:
    explicit TUpdateHosts(std::unique_ptr<HostsRefreshUi> ui);
    const std::unique_ptr<HostsRefreshUi> m_ui;
};
