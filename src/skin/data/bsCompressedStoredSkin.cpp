#include "bsCompressedStoredSkin.h"

#include "ReplacingFile.h"
#include "SystemText.h"
#include "bsBitmapFile.h"
#include "bsComponentState.h"
#include "bsSkinData.h"
#include "bsStoredSkinStream.h"
#include "bsStreamIO.h"
#include "bszlibcompress.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

void openOrRaise(QFileDevice& file, QIODevice::OpenMode mode, const QString& fileName)
{
    if (!file.open(mode))
        throw EbsSkinError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
}

std::unique_ptr<TbsBitmap> pictureFile(const QString& folder, const QString& name)
{
    auto picture = std::make_unique<TbsBitmap>();
    if (!name.isEmpty())
        LoadBmpFile(folder + name, *picture);
    return picture;
}

} // namespace

TbsCompressedStoredSkin::TbsCompressedStoredSkin(QObject* owner) : QObject(owner) {}

void TbsCompressedStoredSkin::SetFileName(const QString& value)
{
    if (IsDesigning(this) && !IsLoading(this)) {
        // The name is taken also when its file fails to load.
        FFileName = QFileInfo(value).fileName();
        LoadFromIniFile(value);
    } else {
        FFileName = value;
    }
}

void TbsCompressedStoredSkin::SetCompressedFileName(const QString& value)
{
    if (IsDesigning(this) && !IsLoading(this)) {
        FCompressedFileName = QFileInfo(value).fileName();
        LoadFromCompressFile(value);
    } else {
        FCompressedFileName = value;
    }
}

namespace {
// The type byte of a byte block in a window layout.
constexpr quint8 layoutByteBlock = 0x0A;

// The compressed bytes behind their 32-bit count, as both forms hold them.
void writeCounted(QIODevice& stream, const QByteArray& bytes)
{
    WriteInt32(stream, qint32(bytes.size()));
    WriteBytes(stream, bytes);
}

QByteArray readCounted(QIODevice& stream)
{
    const qint32 size = ReadInt32(stream);
    // ReadBytes checks the size against the bytes present before allocating.
    return ReadBytes(stream, size);
}
} // namespace

void TbsCompressedStoredSkin::WriteCompressedData(QIODevice& layout) const
{
    WriteByte(layout, layoutByteBlock);
    writeCounted(layout, FCompressedStream);
}

void TbsCompressedStoredSkin::ReadCompressedData(QIODevice& layout)
{
    if (ReadByte(layout) != layoutByteBlock)
        throw EbsSkinError(QStringLiteral("Invalid property value"));
    FCompressedStream = readCounted(layout);
}

void TbsCompressedStoredSkin::Pack(const QByteArray& storedSkin)
{
    QBuffer source;
    source.setData(storedSkin);
    source.open(QIODevice::ReadOnly);
    QBuffer packed;
    packed.open(QIODevice::WriteOnly);
    ZCompressStream(source, packed);
    FCompressedStream = packed.data();
}

void TbsCompressedStoredSkin::LoadFromSkinData(TbsSkinData& skinData)
{
    FCompressedStream.clear();
    IniFile ini;
    skinData.WriteSkinDescription(ini);
    std::vector<const TbsBitmap*> active;
    for (const auto& picture : skinData.FActivePictures)
        active.push_back(picture.get());
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    WriteStoredSkin(stream, {&skinData.FPicture, &skinData.FInActivePicture, &skinData.FMask},
                    active, StoredSkinText(ini));
    Pack(stream.data());
}

void TbsCompressedStoredSkin::LoadFromIniFile(const QString& fileName)
{
    QFile file(fileName);
    openOrRaise(file, QIODevice::ReadOnly, fileName);
    const QByteArray text = file.readAll();
    IniFile ini;
    LoadStoredSkinText(text, ini);
    if (!IsSkinIniFile(ini))
        return;

    FCompressedStream.clear();
    const QString folder = FolderOf(fileName);
    const QString section = QStringLiteral("PICTURES");
    std::array<std::unique_ptr<TbsBitmap>, 3> frames;
    const char* frameKeys[] = {"picture", "inactivepicture", "mask"};
    for (int i = 0; i < 3; ++i)
        frames[i] = pictureFile(folder, ini.ReadString(section, QLatin1String(frameKeys[i]), {}));
    QStringList names;
    ReadStrings(ini, section, QStringLiteral("activepictures"), names);
    std::vector<std::unique_ptr<TbsBitmap>> pictures;
    for (const QString& name : names) {
        pictures.push_back(std::make_unique<TbsBitmap>());
        LoadBmpFile(folder + name, *pictures.back());
    }
    std::vector<const TbsBitmap*> active;
    for (const auto& picture : pictures)
        active.push_back(picture.get());

    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    // The file's own lines, in the 8-bit form whatever encoding it came in.
    WriteStoredSkin(
        stream, {frames[0].get(), frames[1].get(), frames[2].get()}, active,
        systemtext::encode(systemtext::withCrLf(systemtext::decodeWithByteOrderMark(text))));
    Pack(stream.data());
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
    FCompressedStream = readCounted(stream);
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
    writeCounted(stream, FCompressedStream);
}

void TbsCompressedStoredSkin::SaveToCompressFile(const QString& fileName) const
{
    if (Empty())
        return;
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    SaveToCompressStream(bytes);
    std::optional<platform::ReplacingFile> file;
    try {
        file.emplace(fileName);
    } catch (const platform::EFileReplaceError& e) {
        throw EbsSkinError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, e.message()));
    }
    try {
        file->write(bytes.data());
        file->commit();
    } catch (const platform::EFileReplaceError& e) {
        throw EbsSkinError(
            QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, e.message()));
    }
}
