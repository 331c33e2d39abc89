#pragma once

// Fills the hosts manager's list with the hosts of one category, off the
// window thread, with progress on the window's bar and the taskbar.

#include "ListWindowParts.h"
#include "LiveCount.h"
#include "TThread.h"

#include <QString>

// The hosts manager's side of a list thread: the list's rows, and the first
// host of an empty user category.
class HostsListTarget : public ViewFillTarget {
public:
    virtual void addFirstHost() = 0;
};

class TListHosts : public TThread, public LiveCount<TListHosts> {
public:
    explicit TListHosts(HostsListTarget* window);
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
    void finish();

    HostsListTarget* const m_window;
    bool m_begun = false;
    const int m_generation;
    QString category;
    QString reserved;
};
