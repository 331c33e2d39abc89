#pragma once

// The Update command's worker: fetches the four block lists, merges each list
// whose digest changed into its reserved category, shows progress on the main
// window, records the time of the run, tells about new entries or a failure,
// and starts the hosts-file refresh.

#include "HttpClient.h"
#include "LiveCount.h"
#include "TThread.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

// The window side of one run, called on the worker thread.
class BlockListUi {
public:
    virtual ~BlockListUi() = default;
    // Start step: unless another run holds the database-busy flag, copies the
    // proxy settings, takes the progress bar and the flag, disables Update and
    // answers true. A run that gets false ends at once.
    virtual bool begin(ProxySettings& proxy) = 0;
    virtual void downloading() = 0;
    virtual void updating(const QString& categoryName, qint64 lines) = 0;
    virtual void step(qint64 line, qint64 lines) = 0;
    virtual void reset() = 0;
    virtual bool windowVisible() = 0;
    virtual void showErrorOverlay() = 0;
    virtual void clearOverlay() = 0;
    // End step: progress reset, last-update caption, busy flag cleared, the
    // balloon when the run merged a list and balloons are on.
    virtual void end(const QString& lastUpdate, bool updated) = 0;
    virtual void startRefresh() = 0;
    // The database could not be opened: the flag is cleared and Update enabled
    // again, so a later run can try.
    virtual void abandon() = 0;
};

struct BlockListRunOutcome {
    bool started = false;
    bool updated = false; // a list was merged
    bool failed = false;
    QString failure;         // why the run failed, naming the list ("list 3: ...")
    QString shownFailure;    // the box's text: UnsuccessfulText for a download that failed,
                             // else the failure itself ("The database ... could not be written")
    QStringList merged;      // category ids merged, in order
    qint64 skippedLines = 0; // list lines that were no host name
};

// The box of a failed run, shown while the main window is visible; its text
// for a list that could not be downloaded.
inline constexpr const char* UnsuccessfulTitle = "Unsuccessful";
inline constexpr const char* UnsuccessfulText =
    "We were not able to reach internet using your actual network configuration, be sure you "
    "setup the proxy settings if you are behind a proxy, and check your internet connection !";

// The current date in the short and time in the long format, joined by " - ".
QString lastUpdateText();
// The last update's time as the settings file holds it, "Never" when it holds none.
QString storedLastUpdate();

// One whole run: Execute's work.
BlockListRunOutcome runBlockListUpdate(BlockListUi& ui);

class THTTPRequest : public TThread, public LiveCount<THTTPRequest> {
public:
    // Starts a run as the Update command does: suspended, freeing itself,
    // highest priority, then resumed. Nobody keeps a reference to it; it
    // owns the window side it reports to.
    static void start(std::unique_ptr<BlockListUi> ui);
    ~THTTPRequest() override;

protected:
    void Execute() override;

private:
    explicit THTTPRequest(std::unique_ptr<BlockListUi> ui);
    const std::unique_ptr<BlockListUi> m_ui;
};
