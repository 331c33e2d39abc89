#include "SkinDataSupport.h"
#include "bszlibcompress.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

QByteArray decompressed(const QByteArray& data, qint64 maxBytes = -1)
{
    QBuffer source;
    source.setData(data);
    source.open(QIODevice::ReadOnly);
    QBuffer dest;
    dest.open(QIODevice::WriteOnly);
    ZDecompressStream(dest, source, maxBytes);
    return dest.data();
}

// zlib's own one-call inflate, independent of our streams.
QByteArray zlibUncompress(const QByteArray& data, qsizetype size)
{
    QByteArray out(qMax<qsizetype>(size, 1), Qt::Uninitialized);
    uLongf length = uLongf(out.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                         reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size())),
              Z_OK);
    out.truncate(qsizetype(length));
    return out;
}

QByteArray zlibCompress(const QByteArray& data, int level)
{
    uLongf length = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(length), Qt::Uninitialized);
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &length,
                        reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()),
                        level),
              Z_OK);
    out.truncate(qsizetype(length));
    return out;
}

// A source device holding junk, then the zlib data, positioned at the data.
struct OffsetSource {
    explicit OffsetSource(const QByteArray& zlibData)
    {
        device.setData(QByteArray("junk!") + zlibData);
        device.open(QIODevice::ReadOnly);
        device.seek(5);
    }
    QBuffer device;
};

template <class Error> QString messageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("<no exception>");
}

} // namespace

TEST(Compression, RoundTripsAtBufferEdgesMatchZlibAtLevelNine)
{
    for (const qsizetype size : {0, 1, 4095, 4096, 4097, 8191, 8192, 8193, 100 * 1024}) {
        SCOPED_TRACE(size);
        const QByteArray data = randomBytes(size, quint32(size) + 7);
        const QByteArray packed = compressedBytes(data);
        ASSERT_GE(packed.size(), 2);
        EXPECT_EQ(quint8(packed[0]), 0x78);
        EXPECT_EQ(quint8(packed[1]), 0xDA);
        EXPECT_EQ(packed, zlibCompress(data, 9));
        EXPECT_EQ(zlibUncompress(packed, size), data);
        EXPECT_EQ(decompressed(packed), data);
    }
}

TEST(Compression, CompressionStreamSeeksOnlyToTellItsCountAndNeverReads)
{
    QBuffer dest;
    dest.open(QIODevice::WriteOnly);
    TCompressionStream stream(TCompressionLevel::clDefault, dest);
    stream.Write("0123456789", 10);
    EXPECT_EQ(stream.Seek(0, soFromCurrent), 10);
    EXPECT_EQ(messageOf<ECompressionError>([&] { stream.Seek(1, soFromCurrent); }),
              "Invalid stream operation");
    EXPECT_EQ(messageOf<ECompressionError>([&] { stream.Seek(0, soFromBeginning); }),
              "Invalid stream operation");
    char byte;
    EXPECT_EQ(messageOf<ECompressionError>([&] { stream.Read(&byte, 1); }),
              "Invalid stream operation");
    stream.Finish();
    EXPECT_EQ(zlibUncompress(dest.data(), 10), QByteArray("0123456789"));
}

TEST(Compression, BothStreamsServeAsQtDevices)
{
    const QByteArray data = randomBytes(20000, 7);
    QBuffer packed;
    packed.open(QIODevice::ReadWrite);
    TCompressionStream compressor(TCompressionLevel::clMax, packed);
    QIODevice& output = compressor;
    EXPECT_FALSE(output.isReadable());
    EXPECT_EQ(output.write(data), data.size());
    compressor.Finish();
    EXPECT_EQ(output.write("x"), -1);
    EXPECT_EQ(output.errorString(), "Invalid stream operation");
    EXPECT_EQ(zlibUncompress(packed.data(), data.size()), data);

    packed.seek(0);
    TDecompressionStream inflater(packed);
    QIODevice& input = inflater;
    EXPECT_FALSE(input.isWritable());
    EXPECT_EQ(input.readAll(), data);

    QBuffer corrupt;
    corrupt.setData(QByteArray("\x78\xDA\xFF\xFF", 4)); // a reserved block type
    corrupt.open(QIODevice::ReadOnly);
    TDecompressionStream bad(corrupt);
    char byte;
    EXPECT_EQ(static_cast<QIODevice&>(bad).read(&byte, 1), -1);
    EXPECT_EQ(bad.errorString(), "compression error");
}

TEST(Compression, LevelsMapToZlibLevelsAndRateComesFromTheTotals)
{
    const QByteArray data = QByteArray(20000, 'a') + randomBytes(3000, 3);
    const std::pair<TCompressionLevel, int> levels[] = {{TCompressionLevel::clNone, 0},
                                                        {TCompressionLevel::clFastest, 1},
                                                        {TCompressionLevel::clDefault, -1},
                                                        {TCompressionLevel::clMax, 9}};
    for (const auto& [level, zlibLevel] : levels) {
        SCOPED_TRACE(zlibLevel);
        QBuffer dest;
        dest.open(QIODevice::WriteOnly);
        TCompressionStream stream(level, dest);
        EXPECT_EQ(stream.CompressionRate(), 0.0f);
        stream.Write(data.constData(), data.size());
        stream.Finish();
        EXPECT_EQ(dest.data(), zlibCompress(data, zlibLevel));
        const float expected = (1.0f - float(dest.data().size()) / float(data.size())) * 100.0f;
        EXPECT_FLOAT_EQ(stream.CompressionRate(), expected);
    }
}

TEST(Compression, CompressionContinuesAtItsOwnPositionAfterOthersMovedTheDevice)
{
    const QByteArray data = randomBytes(30000, 11); // output fills several buffers
    QBuffer dest;
    dest.open(QIODevice::ReadWrite);
    dest.write("AB");
    TCompressionStream stream(TCompressionLevel::clMax, dest);
    stream.Write(data.constData(), 15000);
    dest.seek(0);
    stream.Write(data.constData() + 15000, 15000);
    dest.seek(1);
    stream.Finish();
    EXPECT_TRUE(dest.data().startsWith("AB"));
    EXPECT_EQ(zlibUncompress(dest.data().mid(2), data.size()), data);
}

TEST(Compression, ProgressFollowsEveryBufferMoved)
{
    const QByteArray data = randomBytes(50000, 5);
    QBuffer dest;
    dest.open(QIODevice::WriteOnly);
    int written = 0;
    {
        TCompressionStream stream(TCompressionLevel::clMax, dest);
        stream.OnProgress = [&](TCustomZlibStream* sender) {
            EXPECT_EQ(sender, &stream);
            ++written;
        };
        stream.Write(data.constData(), data.size());
        EXPECT_EQ(written, dest.data().size() / 8192); // full buffers only
        stream.Finish();
    }
    EXPECT_GT(written, 0);

    int read = 0;
    OffsetSource source(dest.data());
    TDecompressionStream inflater(source.device);
    inflater.OnProgress = [&](TCustomZlibStream*) { ++read; };
    QByteArray out(data.size(), Qt::Uninitialized);
    EXPECT_EQ(inflater.Read(out.data(), out.size()), data.size());
    EXPECT_EQ(out, data);
    EXPECT_EQ(read, (dest.data().size() + 8191) / 8192);
}

TEST(Compression, DecompressionSeeksForwardByReadingAndBackOnlyToItsStart)
{
    const QByteArray data = randomBytes(1000, 9);
    OffsetSource source(zlibCompress(data, 6));
    TDecompressionStream stream(source.device);
    char piece[100];
    ASSERT_EQ(stream.Read(piece, 100), 100);

    EXPECT_EQ(messageOf<EDecompressionError>([&] { stream.Seek(100, soFromBeginning); }),
              "Invalid stream operation");
    EXPECT_EQ(messageOf<EDecompressionError>([&] { stream.Seek(0, soFromEnd); }),
              "Invalid stream operation");
    EXPECT_EQ(messageOf<EDecompressionError>([&] { stream.Seek(-1, soFromCurrent); }),
              "Invalid stream operation");

    EXPECT_EQ(stream.Seek(150, soFromBeginning), 150);
    ASSERT_EQ(stream.Read(piece, 10), 10);
    EXPECT_EQ(QByteArray(piece, 10), data.mid(150, 10));
    EXPECT_EQ(stream.Seek(40, soFromCurrent), 200);

    // Back to the data's first byte, which is not the device's first byte.
    EXPECT_EQ(stream.Seek(0, soFromBeginning), 0);
    ASSERT_EQ(stream.Read(piece, 100), 100);
    EXPECT_EQ(QByteArray(piece, 100), data.left(100));

    EXPECT_EQ(messageOf<EDecompressionError>([&] { stream.Seek(5000, soFromCurrent); }),
              "Stream read error");
    char byte;
    EXPECT_EQ(messageOf<EDecompressionError>([&] { stream.Write(&byte, 1); }),
              "Invalid stream operation");
}

TEST(Compression, HostileStreamsEndPromptly)
{
    const QByteArray data = randomBytes(20000, 13);
    const QByteArray packed = compressedBytes(data);

    // Bytes after the end mark: the data, and nothing of them.
    EXPECT_EQ(decompressed(packed + QByteArray(5000, 'x')), data);
    {
        OffsetSource source(packed + "trailing");
        TDecompressionStream stream(source.device);
        QByteArray out(30000, Qt::Uninitialized);
        EXPECT_EQ(stream.Read(out.data(), out.size()), data.size());
        EXPECT_TRUE(stream.Ended());
        EXPECT_EQ(stream.Read(out.data(), out.size()), 0);
    }

    // A header that asks for a preset dictionary.
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 9), Z_OK);
    ASSERT_EQ(deflateSetDictionary(&z, reinterpret_cast<const Bytef*>("dict"), 4), Z_OK);
    QByteArray withDictionary(256, Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>("dictdict"));
    z.avail_in = 8;
    z.next_out = reinterpret_cast<Bytef*>(withDictionary.data());
    z.avail_out = 256;
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    withDictionary.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    EXPECT_EQ(messageOf<EDecompressionError>([&] { decompressed(withDictionary); }),
              "compression error");

    // Cut short anywhere: the stream reads short, the whole-stream routine raises.
    for (const qsizetype cut :
         {qsizetype(0), qsizetype(1), qsizetype(2), packed.size() / 2, packed.size() - 1}) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(messageOf<EDecompressionError>([&] { decompressed(packed.left(cut)); }),
                  "compression error");
    }
    {
        OffsetSource source(packed.left(packed.size() / 2));
        TDecompressionStream stream(source.device);
        QByteArray out(30000, Qt::Uninitialized);
        const qint64 got = stream.Read(out.data(), out.size());
        EXPECT_GT(got, 0);
        EXPECT_LT(got, data.size());
        EXPECT_FALSE(stream.Ended());
    }

    QByteArray badChecksum = packed;
    badChecksum[badChecksum.size() - 1] = char(badChecksum.back() ^ 1);
    EXPECT_EQ(messageOf<EDecompressionError>([&] { decompressed(badChecksum); }),
              "compression error");
    QByteArray badHeader = packed;
    badHeader[0] = 0x77;
    EXPECT_EQ(messageOf<EDecompressionError>([&] { decompressed(badHeader); }),
              "compression error");

    // More output than allowed.
    const QByteArray bomb = zlibCompress(QByteArray(100000, 0), 9);
    EXPECT_EQ(decompressed(bomb, 100000).size(), 100000);
    EXPECT_EQ(messageOf<EDecompressionError>([&] { decompressed(bomb, 99999); }),
              "Decompressed data exceeds 99999 bytes");
}
