#pragma once

// The skin-data component and the stored skin that feeds it. For now they only
// hold the binding; reading and decompressing the stored skin comes with the
// skin engine.

#include "bsCompressedStoredSkin.h"

#include <QObject>
#include <QString>

class TbsSkinData : public QObject {
    Q_OBJECT

public:
    explicit TbsSkinData(QObject* owner = nullptr);

    TbsCompressedStoredSkin* CompressedStoredSkin() const { return storedSkin; }
    void setCompressedStoredSkin(TbsCompressedStoredSkin* skin) { storedSkin = skin; }

    int SkinIndex = 0;

private:
    TbsCompressedStoredSkin* storedSkin = nullptr;
};
