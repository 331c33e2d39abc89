#pragma once

// Fills the probe log viewer's list with the records of one day, newest
// first, identical records once, off the window thread.

#include "LiveCount.h"
#include "TThread.h"

#include <QString>

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
    void finish();

    TFrmProbe* const m_window;
    const int m_generation;
    QString curDate; // "yyyymmdd"
};
