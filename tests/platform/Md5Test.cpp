#include "Md5.h"

#include <gtest/gtest.h>

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
