#include "bsStoredSkinStream.h"

#include "SystemText.h"
#include "bsBitmapFile.h"
#include "bsStreamIO.h"

#include <QIODevice>

namespace {

constexpr qint32 versionWithTwoExtraPictures = 2;

// Flag byte and, when it is 0, the picture; nonzero means none.
std::unique_ptr<TbsBitmap> readFramePicture(QIODevice& stream)
{
    auto picture = std::make_unique<TbsBitmap>();
    if (ReadByte(stream) == 0)
        ReadBmp(stream, *picture);
    return picture;
}

void readActivePictures(QIODevice& stream, TbsStoredSkinParts& parts)
{
    const qint32 count = ReadInt32(stream);
    // Every picture needs at least its headers: a count beyond that is a lie.
    if (count > 0 && qint64(count) * MinBmpFileSize > BytesLeft(stream))
        throw EbsSkinError(QStringLiteral("Stream read error"));
    for (qint32 i = 0; i < count; ++i) {
        auto picture = std::make_unique<TbsBitmap>();
        ReadBmp(stream, *picture);
        parts.ActivePictures.push_back(std::move(picture));
    }
}

} // namespace

bool ReadStoredSkin(QIODevice& stream, TbsStoredSkinParts& parts)
{
    const qint32 version = ReadInt32(stream);
    if (version > StoredSkinVersion)
        return false;
    for (auto& frame : parts.Frames)
        frame = readFramePicture(stream);
    if (version == versionWithTwoExtraPictures) {
        readFramePicture(stream);
        readFramePicture(stream);
    }
    readActivePictures(stream, parts);
    LoadStoredSkinText(ReadBytes(stream, BytesLeft(stream)), parts.Ini);
    return true;
}

void WriteFramePicture(QIODevice& stream, const TbsBitmap* picture)
{
    const bool none = picture == nullptr || picture->Empty();
    WriteByte(stream, none ? 1 : 0);
    if (!none)
        WriteBmp(stream, *picture);
}

void WriteStoredSkin(QIODevice& stream, const std::array<const TbsBitmap*, 3>& frames,
                     const std::vector<const TbsBitmap*>& activePictures, const QByteArray& iniText)
{
    WriteInt32(stream, StoredSkinVersion);
    for (const TbsBitmap* frame : frames)
        WriteFramePicture(stream, frame);
    WriteInt32(stream, qint32(activePictures.size()));
    for (const TbsBitmap* picture : activePictures)
        WriteBmp(stream, *picture);
    WriteBytes(stream, iniText);
}

QByteArray StoredSkinText(const platform::IniFile& ini)
{
    QString text;
    bool inSection = false;
    systemtext::forEachLine(ini.text(), [&](QStringView line, qsizetype) {
        const QStringView content = systemtext::trimmed(line);
        if (content.isEmpty())
            return;
        if (content.startsWith(u'[') && inSection)
            text += QStringLiteral("\r\n");
        inSection = inSection || content.startsWith(u'[');
        text += line;
        text += QStringLiteral("\r\n");
    });
    if (inSection)
        text += QStringLiteral("\r\n");
    return systemtext::encode(text);
}

void LoadStoredSkinText(const QByteArray& bytes, platform::IniFile& ini)
{
    if (systemtext::hasByteOrderMark(bytes))
        ini.loadText(systemtext::decodeWithByteOrderMark(bytes));
    else
        ini.loadBytes(bytes);
}
