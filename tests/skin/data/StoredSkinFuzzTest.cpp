// Seeded mutations of the program's stored skin, in its compressed and its
// inflated form: every load either succeeds or ends in one of our exceptions.

#include "SkinDataSupport.h"
#include "bszlibcompress.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtEndian>

namespace {

constexpr int mutationsPerForm = 1000;

QByteArray inflatedProgramSkin()
{
    TbsCompressedStoredSkin stored;
    stored.SetCompressedData(programSkinBytes());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    stored.DeCompressToStream(out);
    return out.data();
}

QByteArray compressedBytes(const QByteArray& data)
{
    QBuffer source;
    source.setData(data);
    source.open(QIODevice::ReadOnly);
    QBuffer dest;
    dest.open(QIODevice::WriteOnly);
    ZCompressStream(source, dest);
    return dest.data();
}

// Offsets where a size or a count lives: the stream's version and count, and
// the length, width, height and depth fields of each picture's headers.
std::vector<qsizetype> sizeFields(const QByteArray& inflated)
{
    std::vector<qsizetype> fields{0, 7};
    for (qsizetype at = inflated.indexOf("BM"); at >= 0; at = inflated.indexOf("BM", at + 2)) {
        for (const qsizetype field : {2, 10, 14, 18, 22, 28})
            fields.push_back(at + field);
    }
    return fields;
}

QByteArray mutated(QByteArray bytes, QRandomGenerator& random, const std::vector<qsizetype>& fields)
{
    const auto anywhere = [&] { return qsizetype(random.bounded(int(bytes.size()))); };
    switch (random.bounded(5)) {
    case 0: // bit flips
        for (int i = 0, n = 1 + random.bounded(8); i < n; ++i) {
            const qsizetype at = anywhere();
            bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
        }
        break;
    case 1: // cut short
        bytes.truncate(anywhere());
        break;
    case 2: { // a piece of the data repeated elsewhere
        const qsizetype from = anywhere();
        const QByteArray piece = bytes.mid(from, 1 + random.bounded(64));
        bytes.insert(anywhere(), piece);
        break;
    }
    case 3: // a piece dropped
        bytes.remove(anywhere(), 1 + random.bounded(64));
        break;
    default: { // a size or count overwritten
        const qsizetype at = fields[random.bounded(int(fields.size()))];
        const qint32 values[] = {
            -1, 0, 1, 0x7FFFFFFF, qint32(0x80000000), 4096, 1 << 24, qint32(random.generate())};
        if (at + 4 <= bytes.size())
            qToLittleEndian<qint32>(values[random.bounded(8)], bytes.data() + at);
        break;
    }
    }
    return bytes;
}

// 1 when the load succeeded, 0 when it raised one of our exceptions.
int loads(const QByteArray& compressed)
{
    TbsCompressedStoredSkin stored;
    stored.SetCompressedData(compressed);
    TbsSkinData skin;
    try {
        skin.LoadCompressedStoredSkin(stored);
    } catch (const solvek::Exception&) {
        EXPECT_TRUE(skin.Empty);
        EXPECT_FALSE(skin.ChangeSkinDataProcess);
        return 0;
    }
    EXPECT_FALSE(skin.ChangeSkinDataProcess);
    return skin.Empty ? 0 : 1;
}

} // namespace

TEST(StoredSkinFuzz, MutatedSkinsLoadOrRaiseOurExceptions)
{
    QRandomGenerator random(20261207);
    const QByteArray compressed = programSkinBytes();
    const QByteArray inflated = inflatedProgramSkin();
    ASSERT_EQ(loads(compressed), 1);
    const std::vector<qsizetype> fields = sizeFields(inflated);
    ASSERT_GT(fields.size(), 2u);

    int loaded = 0;
    for (int i = 0; i < mutationsPerForm; ++i) {
        loaded += loads(mutated(compressed, random, {0}));
        loaded += loads(compressedBytes(mutated(inflated, random, fields)));
    }
    // Some mutations keep a loadable skin, most do not.
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, 2 * mutationsPerForm);
}

TEST(StoredSkinFuzz, MutatedSkinFilesReadOrRaise)
{
    QRandomGenerator random(7);
    TbsCompressedStoredSkin stored;
    stored.SetCompressedData(programSkinBytes());
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    stored.SaveToCompressStream(file);
    for (int i = 0; i < 200; ++i) {
        QBuffer stream;
        stream.setData(mutated(file.data(), random, {0, 4}));
        stream.open(QIODevice::ReadOnly);
        TbsCompressedStoredSkin back;
        try {
            back.LoadFromCompressStream(stream);
        } catch (const solvek::Exception&) {
            EXPECT_TRUE(back.Empty());
        }
    }
}
