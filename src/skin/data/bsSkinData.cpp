#include "bsSkinData.h"

TbsCompressedStoredSkin::TbsCompressedStoredSkin(QObject* owner) : QObject(owner) {}

TbsSkinData::TbsSkinData(QObject* owner) : QObject(owner) {}
