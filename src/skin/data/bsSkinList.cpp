#include "bsSkinList.h"

#include "bsComponentState.h"
#include "bsTypes.h"

#include <QBuffer>
#include <QFileInfo>

TbsSkinListItem::TbsSkinListItem(TbsSkinListItems& collection)
    : FCollection(collection), FSkin(std::make_unique<TbsCompressedStoredSkin>()),
      FName(QStringLiteral("bsSkin%1").arg(collection.Count()))
{}

bool TbsSkinListItem::ListIsDesigned() const
{
    const QObject* list = FCollection.GetOwner();
    return IsDesigning(list) && !IsLoading(list);
}

void TbsSkinListItem::SetFileName(const QString& value)
{
    if (!ListIsDesigned()) {
        FFileName = value;
        return;
    }
    FSkin->LoadFromIniFile(value);
    FFileName = QFileInfo(value).fileName();
}

void TbsSkinListItem::SetCompressedFileName(const QString& value)
{
    if (!ListIsDesigned()) {
        FCompressedFileName = value;
        return;
    }
    FSkin->LoadFromCompressFile(value);
    FCompressedFileName = QFileInfo(value).fileName();
}

int TbsSkinListItem::Index() const
{
    return FCollection.IndexOf(this);
}

QByteArray TbsSkinListItem::SkinBlock() const
{
    QBuffer block;
    block.open(QIODevice::WriteOnly);
    FSkin->SaveToCompressStream(block);
    return block.data();
}

void TbsSkinListItem::ReadSkinBlock(const QByteArray& block)
{
    QBuffer stream;
    stream.setData(block);
    stream.open(QIODevice::ReadOnly);
    FSkin->LoadFromCompressStream(stream);
}

void TbsSkinListItem::Assign(const TbsSkinListItem& source)
{
    FSkin->SetCompressedData(source.FSkin->CompressedData());
    FSkin->SetFileName(source.FSkin->FileName());
    FSkin->SetCompressedFileName(source.FSkin->CompressedFileName());
    FSkin->SetDescription(source.FSkin->Description());
    FDescription = source.FDescription;
    FFileName = source.FFileName;
    FCompressedFileName = source.FCompressedFileName;
    FName = source.FName;
}

TbsSkinListItem& TbsSkinListItems::Add()
{
    // The item takes its name from the count before it joins.
    FItems.push_back(std::make_unique<TbsSkinListItem>(*this));
    return *FItems.back();
}

void TbsSkinListItems::Delete(int index)
{
    GetItem(index);
    FItems.erase(FItems.begin() + index);
}

TbsSkinListItem& TbsSkinListItems::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw EbsSkinError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return *FItems[size_t(index)];
}

int TbsSkinListItems::IndexOf(const TbsSkinListItem* item) const
{
    for (int i = 0; i < Count(); ++i) {
        if (FItems[size_t(i)].get() == item)
            return i;
    }
    return -1;
}

void TbsSkinListItems::Assign(const TbsSkinListItems& source)
{
    if (&source == this)
        return;
    FItems.clear();
    for (const auto& item : source.FItems)
        Add().Assign(*item);
}

TbsCompressedSkinList::TbsCompressedSkinList(QObject* owner) : QObject(owner), FSkins(this) {}
