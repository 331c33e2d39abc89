#pragma once

// Fills the probe log viewer's list with the records of one day, newest
// first, identical records once, off the window thread.

#include "LiveCount.h"
#include "TThread.h"

#include <QString>

#include <utility>
#include <vector>

class TFrmProbe;

class TRefreshProbeList : public TThread, public LiveCount<TRefreshProbeList> {
public:
    explicit TRefreshProbeList(TFrmProbe* window);
    ~TRefreshProbeList() override;

    // The day to list, as displayed ("dd/mm/yyyy").
    void setCurDate(const QString& day);

protected:
    void Execute() override;

private:
    bool current() const;
    void addRecords();
    // Adds (time, host) records as rows of the list, on the window thread.
    void addRows(const std::vector<std::pair<QString, QString>>& records);
    void finish();

    TFrmProbe* const m_window;
    const int m_generation;
    QString curDate; // "yyyymmdd"
};
