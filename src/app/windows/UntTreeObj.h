#pragma once

// The data a user category's node in the hosts manager's tree carries: the
// category's identifier (its flag is always "N").

#include <QString>

class TTreeObj {
public:
    void setCatId(const QString& catid);
    void getCatId(QString& catid) const;

private:
    QString catid;
};
