#pragma once

// The main window's side of the update workers: what they show while they run,
// and the starters the windows call.

#include "UntHTTPRequestThread.h"
#include "UntUpdateHosts.h"

#include <memory>

std::unique_ptr<BlockListUi> makeMainWindowBlockListUi();
std::unique_ptr<HostsRefreshUi> makeMainWindowRefreshUi();

// A download and merge of the block lists, reporting to the main window.
void startBlockListUpdate();
// A hosts-file refresh, reporting to the main window.
void startHostsFileRefresh();
