#include "bsSkinData.h"

TbsSkinData::TbsSkinData(QObject* owner) : QObject(owner) {}
