#include "UntTreeObj.h"

void TTreeObj::setCatId(const QString& value)
{
    catid = value;
}

void TTreeObj::getCatId(QString& value) const
{
    value = catid;
}
