#pragma once

// Fills the probe log viewer's list with the records of one day, newest
// first, identical records once, off the window thread. Its rows are the
// time ("hh:nn") and the host.

#include "ListWindowParts.h"
#include "LiveCount.h"
#include "TThread.h"

#include <QString>

class TRefreshProbeList : public TThread, public LiveCount<TRefreshProbeList> {
public:
    explicit TRefreshProbeList(ViewFillTarget* window);
    ~TRefreshProbeList() override;

    // The day to list, as displayed ("dd/mm/yyyy").
    void setCurDate(const QString& day);

protected:
    void Execute() override;

private:
    bool current() const;
    void addRecords();
    void finish();

    ViewFillTarget* const m_window;
    bool m_begun = false;
    const int m_generation;
    QString curDate; // "yyyymmdd"
};
