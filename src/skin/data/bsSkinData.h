#pragma once

// The skin-data component: one loaded skin (pictures plus descriptors) that
// skinned controls look their descriptors up in by name at every paint.

#include "bsSkinAlphaImages.h"
#include "bsSkinControlSections.h"
#include "bsSkinObjectSections.h"
#include "bsSkinWindowSections.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TbsCompressedStoredSkin : public QObject {
    Q_OBJECT

public:
    explicit TbsCompressedStoredSkin(QObject* owner = nullptr);

    // Name of the skin file the stored data was taken from.
    QString FileName;
};

class TbsSkinData : public QObject {
    Q_OBJECT

public:
    explicit TbsSkinData(QObject* owner = nullptr);
    ~TbsSkinData() override;

    TbsCompressedStoredSkin* CompressedStoredSkin() const { return storedSkin; }
    void setCompressedStoredSkin(TbsCompressedStoredSkin* skin) { storedSkin = skin; }

    int SkinIndex = 0;

    TbsSkinColors& SkinColors() { return FSkinColors; }
    const TbsSkinColors& SkinColors() const { return FSkinColors; }

    // Frees every descriptor and active picture and resets the singletons'
    // pictures and the colours; sends nothing.
    void ClearObjects();
    // ClearObjects, then the three frame pictures and their names; Empty.
    void ClearAll();

    // Index of the first descriptor whose IDName equals name exactly, or -1.
    int GetIndex(const QString& name) const;
    int GetControlIndex(const QString& name) const;

    // Appends the picture of the file; its name (without the folder) joins
    // FActivePicturesNames. Raises EbsSkinError when the file cannot be read.
    void AddBitMap(const QString& fileName);
    // Removes picture index; later ones move down. Raises EbsSkinError for an
    // index not held.
    void DeleteBitMap(int index);

    // Sets the font name and adds deltaHeight to the font height of every
    // descriptor that has a font.
    void GlobalChangeFont(const QString& fontName, int deltaHeight);

    // Reads the entries of "SKINOBJECTS" and "SKINCONTROLS" ("name:type") into
    // ObjectList and CtrlList, each descriptor loading its own section.
    // Entries without a known type, or named like a fixed section, are skipped.
    void ReadDescriptorLists(const IniFile& ini);
    // Writes both lists and every descriptor's section; each section is
    // erased once, so descriptors sharing a name keep all their keys.
    void WriteDescriptorLists(IniFile& ini);

    TbsDataSkinPopupWindow PopupWindow;
    TbsDataSkinLayerFrame LayerFrame;
    TbsDataSkinHintWindow HintWindow;
    bool Empty = true;
    TbsBitmap FPicture;
    TbsBitmap FInActivePicture;
    TbsBitmap FMask;
    TbsPictureList FActivePictures;
    QString FPictureName;
    QString FInActivePictureName;
    QString FMaskName;
    QStringList FActivePicturesNames;
    std::vector<std::unique_ptr<TbsDataSkinObject>> ObjectList;
    std::vector<std::unique_ptr<TbsDataSkinControl>> CtrlList;

private:
    TbsCompressedStoredSkin* storedSkin = nullptr;
    TbsSkinColors FSkinColors;
};

// Loads a picture file (BMP or any format Qt reads) into bitmap. Raises
// EbsSkinError naming the file when it cannot be opened or decoded.
void LoadBitmapFile(TbsBitmap& bitmap, const QString& fileName);
