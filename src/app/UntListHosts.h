#pragma once

// Fills the hosts manager's list with the hosts of one category, off the
// window thread, with progress on the window's bar and the taskbar.

#include "LiveCount.h"
#include "TThread.h"

#include <QString>

#include <vector>

class TFrmHosts;

class TListHosts : public TThread, public LiveCount<TListHosts> {
public:
    explicit TListHosts(TFrmHosts* window);
    ~TListHosts() override;

    // The category key to list.
    void setCat(const QString& value);
    void setReserved(const QString& value);

protected:
    void Execute() override;

private:
    // Whether the window still shows this thread's list (no newer list was started).
    bool current() const;
    void listRows();
    // An empty user category: asks whether to add a host now.
    void offerToAddAHost();
    // Adds hosts as rows of the list, on the window thread.
    void addRows(const std::vector<QString>& hosts);
    void finish();

    TFrmHosts* const m_window;
    const int m_generation;
    QString category;
    QString reserved;
};
