#pragma once

// Fills the probe log viewer's tree with the days that have records, newest
// first, off the window thread.

#include "LiveCount.h"
#include "TThread.h"

class TFrmProbe;

class TRefreshProbeTree : public TThread, public LiveCount<TRefreshProbeTree> {
public:
    explicit TRefreshProbeTree(TFrmProbe* window);
    ~TRefreshProbeTree() override;

protected:
    void Execute() override;

private:
    bool current() const;
    void addDays();
    void finish();

    TFrmProbe* const m_window;
    const int m_generation;
    bool m_shownProgress = false;
};
