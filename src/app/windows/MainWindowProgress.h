#pragma once

// The update road's progress display on the main window: its bar `p` and the
// taskbar button's state, value and overlay. The show* and start* steps run on
// the window thread; workers reach them through TThread::Synchronize or post.

#include <QString>

#include <functional>

namespace mainprogress {

// Entries of the main window's Img16 used as taskbar overlays.
enum Overlay : int {
    OverlayNone = -1,
    OverlayError = 0,
    OverlayUpdatingDatabase = 1,
    OverlayRefreshingHosts = 2,
    OverlayDownloading = 3,
};

// Queues the step for the window thread and returns at once; steps run in the
// order they were posted, before any later Synchronize of the same worker.
// The step only shows: it touches no database and opens no box.
void post(std::function<void()> step);

// Counting set-up: position 0, maximum, taskbar state normal, no marquee,
// position text shown with the prefix, the overlay.
void startCounting(qint64 max, Overlay overlay, const QString& description, const QString& prefix);
// Position and taskbar value.
void showStep(qint64 position, qint64 total);
// While a list is fetched: marquee, no position text, taskbar indeterminate.
void showDownloading();
// Position 0, empty prefix, taskbar state none.
void resetCounting();
void setOverlay(Overlay overlay, const QString& description);
// The download's end step: the counting reset, no marquee.
void finishDownload();
// The refresh's end step: the counting reset when it was set up, the overlay
// cleared, taskbar state none and the Update button enabled again.
void finishRefresh(bool counted);

// These two wait for the window thread; call them from workers only.
bool windowVisible();
void showWarningBalloon(const QString& title, const QString& text);

} // namespace mainprogress
