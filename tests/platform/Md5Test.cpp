#include "Md5.h"

#include <gtest/gtest.h>

#include <algorithm>

using platform::md5Hex;

TEST(Md5, KnownVectors)
{
    EXPECT_EQ(md5Hex(QByteArray()), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex(QByteArray("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex(QByteArray("The quick brown fox jumps over the lazy dog")),
              "9e107d9d372bb6826bd81d3542a419d6");
    // Bytes after a zero count too.
    EXPECT_EQ(md5Hex(QByteArray("a\0b", 3)), md5Hex(QByteArray::fromHex("610062")));
    EXPECT_NE(md5Hex(QByteArray("a\0b", 3)), md5Hex(QByteArray("a")));
}

TEST(Md5, TextIsDigestedInItsEightBitForm)
{
    EXPECT_EQ(md5Hex(QString("abc")), "900150983cd24fb0d6963f7d28e17f72");
    const QString text = QString::fromUtf8("pässwörd €");
    EXPECT_EQ(md5Hex(text), md5Hex(text.toLocal8Bit()));
    EXPECT_EQ(md5Hex(QString()), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5, PiecesGiveTheDigestOfTheWhole)
{
    const QByteArray text = "The quick brown fox jumps over the lazy dog";
    for (qsizetype cut = 0; cut <= text.size(); ++cut) {
        platform::Md5 digest;
        digest.add(QByteArrayView(text).first(cut));
        digest.add(QByteArrayView()); // an empty piece changes nothing
        digest.add(QByteArrayView(text).sliced(cut));
        EXPECT_EQ(digest.hex(), "9e107d9d372bb6826bd81d3542a419d6") << cut;
    }
}

TEST(Md5Beside, PiecesInOrderGiveTheDigestOfTheWhole)
{
    // 5000 lines of the sentence; the digest is that of md5sum over the same text.
    const QByteArray text =
        QByteArray("The quick brown fox jumps over the lazy dog\n").repeated(5000);
    const QString expected = QStringLiteral("6b95eca76519f9e5c01c426e23a05119");
    ASSERT_EQ(text.size(), 220000);
    // Blocks smaller than, equal to and larger than the pieces, and pieces
    // that cross block ends.
    for (const qsizetype blockBytes :
         {qsizetype(1), qsizetype(7), qsizetype(4096), platform::Md5Beside::DefaultBlockBytes}) {
        for (const qsizetype pieceBytes : {qsizetype(1000), qsizetype(16384), text.size()}) {
            if (blockBytes == 1 && pieceBytes == 1000)
                continue; // a block per byte takes long and shows nothing more
            platform::Md5Beside digest(blockBytes);
            for (qsizetype at = 0; at < text.size(); at += pieceBytes)
                digest.add(QByteArrayView(text).sliced(at, std::min(pieceBytes, text.size() - at)));
            EXPECT_EQ(digest.hex(), expected) << blockBytes << " " << pieceBytes;
            EXPECT_EQ(digest.hex(), expected) << "asked twice";
        }
    }
}

TEST(Md5Beside, NothingAddedGivesTheDigestOfNothing)
{
    platform::Md5Beside digest;
    EXPECT_EQ(digest.hex(), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5Beside, ADigestNotAskedForEndsItsThread)
{
    // Far more than the blocks it keeps ahead, then gone without hex().
    platform::Md5Beside digest(16);
    const QByteArray piece(1000, 'x');
    for (int i = 0; i < 100; ++i)
        digest.add(piece);
}
