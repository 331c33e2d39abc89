#include "SkinPixelHelpers.h"
#include "bsBitmapFile.h"
#include "bsCompressedStoredSkin.h"
#include "bsStoredSkinStream.h"
#include "bszlibcompress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

QByteArray le32(qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray le16(quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 2);
}

// A BMP file whose headers say what the test wants, followed by pixelBytes bytes.
QByteArray bmpFile(qint32 width, qint32 height, quint16 depth, qsizetype pixelBytes,
                   qint32 sizeField = -1)
{
    const qint32 size = 54 + qint32(pixelBytes);
    QByteArray file = "BM" + le32(sizeField < 0 ? size : sizeField) + le32(0) + le32(54);
    file += le32(40) + le32(width) + le32(height) + le16(1) + le16(depth) + le32(0) +
            le32(qint32(pixelBytes)) + le32(2835) + le32(2835) + le32(0) + le32(0);
    return file + QByteArray(pixelBytes, '\x40');
}

template <class F> QString errorOf(F&& f)
{
    try {
        f();
    } catch (const solvek::Exception& e) {
        return e.message();
    }
    return QStringLiteral("<no exception>");
}

std::unique_ptr<TbsBitmap> gradient(int width, int height)
{
    auto bitmap = std::make_unique<SizedBitmap>(width, height);
    fillWith(*bitmap, [](int x, int y) { return argb(0x80, x * 20, y * 30, 7); });
    return bitmap;
}

QByteArray writtenSkin(const std::array<const TbsBitmap*, 3>& frames,
                       const std::vector<const TbsBitmap*>& active, const QByteArray& text)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteStoredSkin(buffer, frames, active, text);
    return buffer.data();
}

bool readSkin(const QByteArray& bytes, TbsStoredSkinParts& parts)
{
    ReadBuffer buffer(bytes);
    return ReadStoredSkin(buffer, parts);
}

QByteArray savedForm(const TbsCompressedStoredSkin& skin)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    skin.SaveToCompressStream(buffer);
    return buffer.data();
}

} // namespace

TEST(BitmapFile, PicturesTravelAsTwentyFourBitFilesAndArriveWithoutBlendOrKey)
{
    const auto source = gradient(5, 3);
    const QByteArray file = BmpFileBytes(*source);
    // 24 bits, rows of 15 bytes padded to 16.
    EXPECT_EQ(file.size(), 54 + 3 * 16);
    EXPECT_EQ(qFromLittleEndian<quint16>(file.constData() + 28), 24);
    EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 2), quint32(file.size()));

    TbsBitmap back;
    back.SetAlphaBlend(true);
    back.SetTransparent(true);
    ReadBuffer stream(file + "next");
    ReadBmp(stream, back);
    EXPECT_EQ(stream.pos(), file.size()); // the file's own length, no further
    EXPECT_FALSE(back.AlphaBlend());
    EXPECT_FALSE(back.Transparent());
    ASSERT_EQ(back.Width(), 5);
    ASSERT_EQ(back.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(pixelAt(back, x, y), argb(0xFF, x * 20, y * 30, 7)) << x << "," << y;
}

TEST(BitmapFile, LyingHeadersAreRefusedBeforeAnyAllocation)
{
    TbsBitmap bitmap;
    const auto readsAs = [&](const QByteArray& bytes) {
        return errorOf([&] {
            ReadBuffer stream(bytes);
            ReadBmp(stream, bitmap);
        });
    };
    EXPECT_EQ(readsAs(bmpFile(2, 2, 24, 16)), "<no exception>");
    // 3000 x 3000 claimed from 300 pixel bytes.
    EXPECT_EQ(readsAs(bmpFile(3000, 3000, 24, 300)), "Invalid bitmap");
    // Just over 16 M pixels, with every byte the rows need present.
    EXPECT_EQ(readsAs(bmpFile(4097, 4096, 1, 516 * 4096)), "Invalid bitmap");
    EXPECT_EQ(readsAs(bmpFile(4096, 4096, 1, 512 * 4096)), "<no exception>");
    // A length beyond the bytes present, or shorter than the headers.
    EXPECT_EQ(readsAs(bmpFile(2, 2, 24, 16, 1000)), "Invalid bitmap");
    EXPECT_EQ(readsAs(bmpFile(2, 2, 24, 16, 20)), "Invalid bitmap");
    EXPECT_EQ(readsAs(bmpFile(0, 2, 24, 16)), "Invalid bitmap");
    EXPECT_EQ(readsAs(bmpFile(2, 2, 7, 16)), "Invalid bitmap");
    EXPECT_EQ(readsAs("BM"), "Invalid bitmap");
    EXPECT_EQ(readsAs("XY" + bmpFile(2, 2, 24, 16).mid(2)), "Invalid bitmap");
    // A bottom-up height sign does not matter to the size check.
    EXPECT_EQ(readsAs(bmpFile(2, -2, 24, 16)), "<no exception>");
}

TEST(StoredSkinStream, WritesVersionFlagsPicturesCountAndTextInOrder)
{
    const auto picture = gradient(3, 2);
    const auto mask = gradient(1, 1);
    const auto active0 = gradient(2, 2);
    const auto active1 = gradient(4, 1);
    const QByteArray text = "[VERSION]\r\nver=1\r\n\r\n";
    const QByteArray bytes =
        writtenSkin({picture.get(), nullptr, mask.get()}, {active0.get(), active1.get()}, text);

    const QByteArray pictureFile = BmpFileBytes(*picture);
    QByteArray expected = le32(3) + '\0' + pictureFile + '\1' + '\0' + BmpFileBytes(*mask);
    expected += le32(2) + BmpFileBytes(*active0) + BmpFileBytes(*active1) + text;
    EXPECT_EQ(bytes, expected);
    EXPECT_TRUE(bytes.startsWith(QByteArray::fromHex("030000000042 4d")));

    TbsStoredSkinParts parts;
    ASSERT_TRUE(readSkin(bytes, parts));
    EXPECT_EQ(parts.Frames[0]->Width(), 3);
    EXPECT_TRUE(parts.Frames[1]->Empty());
    EXPECT_EQ(parts.Frames[2]->Width(), 1);
    ASSERT_EQ(parts.ActivePictures.size(), 2u);
    EXPECT_EQ(parts.ActivePictures[1]->Width(), 4);
    EXPECT_EQ(pixelAt(*parts.ActivePictures[0], 1, 1), argb(0xFF, 20, 30, 7));
    EXPECT_EQ(parts.Ini.ReadInteger("VERSION", "ver", 0), 1);
}

TEST(StoredSkinStream, AnyNonzeroPictureFlagMeansNoPicture)
{
    const QByteArray bytes =
        le32(3) + '\2' + '\xFF' + '\0' + BmpFileBytes(*gradient(5, 1)) + le32(0) + "[A]\r\nk=v\r\n";
    TbsStoredSkinParts parts;
    ASSERT_TRUE(readSkin(bytes, parts));
    EXPECT_TRUE(parts.Frames[0]->Empty());
    EXPECT_TRUE(parts.Frames[1]->Empty());
    EXPECT_EQ(parts.Frames[2]->Width(), 5);
    EXPECT_EQ(parts.Ini.ReadString("A", "k", ""), "v");
}

TEST(StoredSkinStream, OlderVersionsReadNewerOnesStop)
{
    const auto extra = gradient(2, 1);
    // Version 2 carries two more flag-and-picture pairs that are dropped.
    QByteArray version2 = le32(2) + '\1' + '\1' + '\1' + '\0' + BmpFileBytes(*extra) + '\1';
    version2 += le32(1) + BmpFileBytes(*gradient(6, 1)) + "[A]\r\nk=v\r\n";
    TbsStoredSkinParts parts;
    ASSERT_TRUE(readSkin(version2, parts));
    ASSERT_EQ(parts.ActivePictures.size(), 1u);
    EXPECT_EQ(parts.ActivePictures[0]->Width(), 6);
    EXPECT_EQ(parts.Ini.ReadString("A", "k", ""), "v");

    // A negative count means no pictures.
    TbsStoredSkinParts none;
    ASSERT_TRUE(readSkin(le32(-7) + "\1\1\1" + le32(-3) + "[A]", none));
    EXPECT_TRUE(none.ActivePictures.empty());

    TbsStoredSkinParts newer;
    EXPECT_FALSE(readSkin(le32(4) + "\0garbage", newer));
    EXPECT_FALSE(newer.Frames[0]);
}

TEST(StoredSkinStream, LyingCountsAndCutStreamsRaise)
{
    const QByteArray good = writtenSkin({nullptr, nullptr, nullptr}, {gradient(2, 2).get()}, "");
    TbsStoredSkinParts parts;
    // The count sits after the version and three flags.
    QByteArray lyingCount = good;
    lyingCount.replace(7, 4, le32(2000000000));
    EXPECT_EQ(errorOf([&] { readSkin(lyingCount, parts); }), "Stream read error");
    EXPECT_EQ(errorOf([&] { readSkin(good.left(good.size() - 1), parts); }), "Invalid bitmap");
    EXPECT_EQ(errorOf([&] { readSkin(good.left(2), parts); }), "Stream read error");
    EXPECT_EQ(errorOf([&] { readSkin(le32(3) + '\0' + "BM", parts); }), "Invalid bitmap");
}

TEST(StoredSkinStream, TextIsWrittenInCrLfLinesWithAnEmptyLineAfterEachSection)
{
    platform::IniFile ini;
    ini.WriteString("VERSION", "ver", "1");
    ini.WriteString("VERSION", "skinname", QString::fromUtf8("Bl\xc3\xa4u"));
    ini.WriteString("PICTURES", "picture", "a.bmp");
    EXPECT_EQ(
        StoredSkinText(ini),
        "[VERSION]\r\nver=1\r\nskinname=Bl\xc3\xa4u\r\n\r\n[PICTURES]\r\npicture=a.bmp\r\n\r\n");
    EXPECT_EQ(StoredSkinText(platform::IniFile()), "");

    // Text with a byte-order mark is read in its encoding.
    const QString text = QString::fromUtf8("[VERSION]\r\nskinname=Bl\xc3\xa4u\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    for (const QByteArray& bytes : {utf16, QByteArray("\xEF\xBB\xBF") + text.toUtf8()}) {
        platform::IniFile read;
        LoadStoredSkinText(bytes, read);
        EXPECT_EQ(read.ReadString("VERSION", "skinname", ""), QString::fromUtf8("Bl\xc3\xa4u"));
    }
}

TEST(CompressedStoredSkin, EmptyContainerWritesEightBytesAndNoFile)
{
    TbsCompressedStoredSkin skin;
    EXPECT_TRUE(skin.Empty());
    EXPECT_EQ(savedForm(skin), QByteArray::fromHex("0300000000000000"));
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.skn");
    skin.SaveToCompressFile(path);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(CompressedStoredSkin, SkinFileRoundTripKeepsTheBytesAndNewerVersionsEmptyIt)
{
    TbsCompressedStoredSkin skin;
    skin.SetCompressedData(QByteArray("\x78\xDA compressed", 13));
    QTemporaryDir dir;
    const QString path = dir.filePath("skin.skn");
    skin.SaveToCompressFile(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), le32(3) + le32(13) + skin.CompressedData());

    TbsCompressedStoredSkin back;
    back.LoadFromCompressFile(path);
    EXPECT_EQ(back.CompressedData(), skin.CompressedData());

    // The stream form is read from the stream's first byte.
    ReadBuffer stream(savedForm(skin));
    stream.seek(6);
    back.SetCompressedData("old");
    back.LoadFromCompressStream(stream);
    EXPECT_EQ(back.CompressedData(), skin.CompressedData());

    ReadBuffer newer(le32(4) + le32(3) + "abc");
    back.LoadFromCompressStream(newer);
    EXPECT_TRUE(back.Empty());
}

TEST(CompressedStoredSkin, TheLayoutValueIsAByteBlock)
{
    TbsCompressedStoredSkin skin;
    skin.SetCompressedData("abc");
    QBuffer layout;
    layout.open(QIODevice::WriteOnly);
    skin.WriteCompressedData(layout);
    EXPECT_EQ(layout.data(), QByteArray::fromHex("0a03000000") + "abc");

    TbsCompressedStoredSkin back;
    back.SetCompressedData("held before");
    ReadBuffer value(QByteArray::fromHex("0a02000000") + "xyz");
    back.ReadCompressedData(value);
    EXPECT_EQ(back.CompressedData(), "xy");
    ReadBuffer empty(QByteArray::fromHex("0a00000000"));
    back.ReadCompressedData(empty);
    EXPECT_TRUE(back.Empty());

    back.SetCompressedData("held before");
    ReadBuffer wrongType(QByteArray::fromHex("0603000000") + "abc");
    EXPECT_EQ(errorOf([&] { back.ReadCompressedData(wrongType); }), "Invalid property value");
    ReadBuffer cut(QByteArray::fromHex("0a04000000") + "abc");
    EXPECT_EQ(errorOf([&] { back.ReadCompressedData(cut); }), "Stream read error");
    EXPECT_EQ(back.CompressedData(), "held before");
}

TEST(CompressedStoredSkin, LyingSizesAndBadFilesRaiseAndLeaveItEmpty)
{
    TbsCompressedStoredSkin skin;
    const auto loads = [&](const QByteArray& bytes) {
        skin.SetCompressedData("held before");
        ReadBuffer stream(bytes);
        const QString error = errorOf([&] { skin.LoadFromCompressStream(stream); });
        EXPECT_TRUE(skin.Empty());
        return error;
    };
    EXPECT_EQ(loads(le32(3) + le32(2000000000) + "abc"), "Stream read error");
    EXPECT_EQ(loads(le32(3) + le32(-1) + "abc"), "Stream read error");
    EXPECT_EQ(loads(le32(3) + le32(4) + "abc"), "Stream read error");
    EXPECT_EQ(loads(le32(3)), "Stream read error");
    EXPECT_EQ(loads(le32(3) + le32(0)), "<no exception>");

    skin.SetCompressedData("held before");
    EXPECT_TRUE(errorOf([&] {
                    skin.LoadFromCompressFile("/nonexistent/x.skn");
                }).startsWith("Cannot open file \"/nonexistent/x.skn\""));
    EXPECT_TRUE(skin.Empty());
}

TEST(CompressedStoredSkin, DecompressesIntoTheStreamAtItsPositionWithinBounds)
{
    TbsCompressedStoredSkin skin;
    const QByteArray data = "stored skin stream";
    QBuffer packed;
    packed.open(QIODevice::ReadWrite);
    ReadBuffer source(data);
    ZCompressStream(source, packed);
    skin.SetCompressedData(packed.data());

    QBuffer out;
    out.open(QIODevice::ReadWrite);
    out.write("head:");
    skin.DeCompressToStream(out);
    EXPECT_EQ(out.data(), "head:" + data);

    skin.SetCompressedData(packed.data().left(packed.data().size() - 3));
    EXPECT_EQ(errorOf([&] { skin.DeCompressToStream(out); }), "compression error");

    // One byte over the limit, packed small at the fastest level.
    const QByteArray zeros(MaxInflatedSkinSize + 1, '\0');
    uLongf length = compressBound(uLong(zeros.size()));
    QByteArray bomb(qsizetype(length), Qt::Uninitialized);
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(bomb.data()), &length,
                        reinterpret_cast<const Bytef*>(zeros.constData()), uLong(zeros.size()), 1),
              Z_OK);
    bomb.truncate(qsizetype(length));
    skin.SetCompressedData(bomb);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    EXPECT_EQ(errorOf([&] { skin.DeCompressToStream(sink); }),
              "Decompressed data exceeds 67108864 bytes");
}
