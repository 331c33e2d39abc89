#pragma once

// Fills the probe log viewer's tree with the days that have records, newest
// first, off the window thread.

#include "ListWindowParts.h"
#include "LiveCount.h"
#include "TThread.h"

#include <QString>

class TRefreshProbeTree : public TThread, public LiveCount<TRefreshProbeTree> {
public:
    // The window shows each day as a node, as "dd/mm/yyyy".
    explicit TRefreshProbeTree(ViewFillTarget* window);
    ~TRefreshProbeTree() override;

protected:
    void Execute() override;

private:
    bool current() const;
    void addDays();
    void finish();

    ViewFillTarget* const m_window;
    const int m_generation;
    bool m_shownProgress = false;
};
