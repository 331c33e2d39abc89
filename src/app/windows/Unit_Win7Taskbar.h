#pragma once

// Progress on the program's taskbar button: a state, a value and an overlay
// icon. Every routine does nothing and answers false while the taskbar list
// is not available, so callers never test for it. Window thread only.

#include <QIcon>
#include <QList>
#include <QString>
#include <QtGlobal>

// Sets up the taskbar list once; true when it is available. Failures are
// swallowed: the program then runs without taskbar progress.
bool InitializeTaskbarList();
// Drops the taskbar list (the module's finalisation).
void releaseTaskbarList();
bool taskbarAvailable();

// 0 (and any unknown code) no progress, 1 indeterminate, 2 normal, 3 error, 4 paused.
bool setTaskbarState(quint8 code);
bool setTaskbarProgress(quint64 completed, quint64 total);
// A null icon removes the overlay.
bool setTaskbarOverlay(const QIcon& icon, const QString& description);
// No icon (nullptr) removes the overlay.
bool setTaskbarOverlayIcon(const QIcon* icon, const QString& description);
// Entry index of images; an index outside the list (the callers pass -1 and
// no list) removes the overlay without touching the list.
bool setTaskbarOverlayImage(const QList<QIcon>* images, int index, const QString& description);
