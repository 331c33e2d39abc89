#pragma once

// Stored skins held in a list, of which a skin-data component loads the one
// its index selects.

#include "bsCompressedStoredSkin.h"

#include <QObject>
#include <memory>
#include <vector>

class TbsSkinListItems;
class TbsCompressedSkinList;

class TbsSkinListItem {
public:
    // Appended last to the collection, named "bsSkin<index>" from its index now.
    explicit TbsSkinListItem(TbsSkinListItems& collection);
    TbsSkinListItem(const TbsSkinListItem&) = delete;
    TbsSkinListItem& operator=(const TbsSkinListItem&) = delete;

    TbsCompressedStoredSkin& Skin() { return *FSkin; }
    const TbsCompressedStoredSkin& Skin() const { return *FSkin; }
    QString Description() const { return FDescription; }
    void SetDescription(const QString& value) { FDescription = value; }
    // While the owning list is designed, setting a file name reads that file
    // into the skin and keeps the bare name; otherwise the name is plain text.
    QString FileName() const { return FFileName; }
    void SetFileName(const QString& value);
    QString CompressedFileName() const { return FCompressedFileName; }
    void SetCompressedFileName(const QString& value);
    QString Name() const { return FName; }
    void SetName(const QString& value) { FName = value; }
    QString GetDisplayName() const { return FName; }
    int Index() const;

    // The "Skin" block a window keeps: the item's skin in skin-file form.
    QByteArray SkinBlock() const;
    void ReadSkinBlock(const QByteArray& block);

    // Copies the skin and the texts of another item.
    void Assign(const TbsSkinListItem& source);

private:
    bool ListIsDesigned() const;

    TbsSkinListItems& FCollection;
    std::unique_ptr<TbsCompressedStoredSkin> FSkin;
    QString FDescription;
    QString FFileName;
    QString FCompressedFileName;
    QString FName;
};

class TbsSkinListItems {
public:
    explicit TbsSkinListItems(TbsCompressedSkinList* skinList) : FSkinList(skinList) {}
    TbsSkinListItems(const TbsSkinListItems&) = delete;
    TbsSkinListItems& operator=(const TbsSkinListItems&) = delete;

    TbsSkinListItem& Add();
    void Delete(int index);
    void Clear() { FItems.clear(); }
    int Count() const { return int(FItems.size()); }
    // Raises EbsSkinError "List index out of bounds (<index>)" outside 0 .. Count-1.
    TbsSkinListItem& GetItem(int index) const;
    int IndexOf(const TbsSkinListItem* item) const;
    // Replaces the items with copies of the source's items.
    void Assign(const TbsSkinListItems& source);
    TbsCompressedSkinList* GetOwner() const { return FSkinList; }

private:
    TbsCompressedSkinList* FSkinList;
    std::vector<std::unique_ptr<TbsSkinListItem>> FItems;
};

class TbsCompressedSkinList : public QObject {
    Q_OBJECT

public:
    explicit TbsCompressedSkinList(QObject* owner = nullptr);

    TbsSkinListItems& Skins() { return FSkins; }
    const TbsSkinListItems& Skins() const { return FSkins; }
    void SetSkins(const TbsSkinListItems& value) { FSkins.Assign(value); }

private:
    TbsSkinListItems FSkins;
};
