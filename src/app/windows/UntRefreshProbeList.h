#pragma once

// Fills the probe log viewer's list with the records of one day, newest
// first, identical records once, off the window thread.

#include "ListWindowParts.h"
#include "LiveCount.h"
#include "TThread.h"

#include <QString>

#include <utility>
#include <vector>

// A record as the list shows it: time and host.
using ProbeRecord = std::pair<QString, QString>;

class TRefreshProbeList : public TThread, public LiveCount<TRefreshProbeList> {
public:
    explicit TRefreshProbeList(ViewFillTarget<ProbeRecord>* window);
    ~TRefreshProbeList() override;

    // The day to list, as displayed ("dd/mm/yyyy").
    void setCurDate(const QString& day);

protected:
    void Execute() override;

private:
    bool current() const;
    void addRecords();
    void finish();

    ViewFillTarget<ProbeRecord>* const m_window;
    bool m_begun = false;
    const int m_generation;
    QString curDate; // "yyyymmdd"
};
