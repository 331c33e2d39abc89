#include "bsCompressedStoredSkin.h"

#include "bsStoredSkinStream.h"
#include "bsStreamIO.h"
#include "bszlibcompress.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

namespace {

void openOrRaise(QFileDevice& file, QIODevice::OpenMode mode, const QString& fileName)
{
    if (!file.open(mode))
        throw EbsSkinError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
}

} // namespace

TbsCompressedStoredSkin::TbsCompressedStoredSkin(QObject* owner) : QObject(owner) {}

void TbsCompressedStoredSkin::SetFileName(const QString& value)
{
    FFileName = value;
}

void TbsCompressedStoredSkin::SetCompressedFileName(const QString& value)
{
    FCompressedFileName = value;
}

void TbsCompressedStoredSkin::DeCompressToStream(QIODevice& stream) const
{
    QBuffer compressed;
    compressed.setData(FCompressedStream);
    compressed.open(QIODevice::ReadOnly);
    ZDecompressStream(stream, compressed, MaxInflatedSkinSize);
}

void TbsCompressedStoredSkin::ReadSkinFileForm(QIODevice& stream)
{
    FCompressedStream.clear();
    if (ReadInt32(stream) > StoredSkinVersion)
        return;
    const qint32 size = ReadInt32(stream);
    // ReadBytes checks the size against the bytes present before allocating.
    FCompressedStream = ReadBytes(stream, size);
}

void TbsCompressedStoredSkin::LoadFromCompressFile(const QString& fileName)
{
    FCompressedStream.clear();
    QFile file(fileName);
    openOrRaise(file, QIODevice::ReadOnly, fileName);
    ReadSkinFileForm(file);
}

void TbsCompressedStoredSkin::LoadFromCompressStream(QIODevice& stream)
{
    FCompressedStream.clear();
    if (!stream.seek(0))
        throw EbsSkinError(QStringLiteral("Stream read error"));
    ReadSkinFileForm(stream);
}

void TbsCompressedStoredSkin::SaveToCompressStream(QIODevice& stream) const
{
    WriteInt32(stream, StoredSkinVersion);
    WriteInt32(stream, qint32(FCompressedStream.size()));
    WriteBytes(stream, FCompressedStream);
}

void TbsCompressedStoredSkin::SaveToCompressFile(const QString& fileName) const
{
    if (Empty())
        return;
    QSaveFile file(fileName);
    openOrRaise(file, QIODevice::WriteOnly, fileName);
    SaveToCompressStream(file);
    if (!file.commit())
        throw EbsSkinError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()));
}
