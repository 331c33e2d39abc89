#include "bszlibcompress.h"

#include <QIODevice>

namespace {

const QString invalidOperation = QStringLiteral("Invalid stream operation");
const QString compressError = QStringLiteral("error");
const QString decompressError = QStringLiteral("compression error");

int zlibLevel(TCompressionLevel level)
{
    switch (level) {
    case TCompressionLevel::clNone:
        return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest:
        return Z_BEST_SPEED;
    case TCompressionLevel::clDefault:
        return Z_DEFAULT_COMPRESSION;
    case TCompressionLevel::clMax:
        break;
    }
    return Z_BEST_COMPRESSION;
}

template <class Error> void seekDevice(QIODevice& device, qint64 position)
{
    if (!device.seek(position))
        throw Error(QStringLiteral("Stream seek error"));
}

} // namespace

int CompressCheck(int code)
{
    if (code < 0)
        throw ECompressionError(compressError);
    return code;
}

int DecompressCheck(int code)
{
    if (code < 0)
        throw EDecompressionError(decompressError);
    return code;
}

TCustomZlibStream::TCustomZlibStream(QIODevice& strm, OpenMode mode)
    : FStrm(strm), FStrmPos(strm.pos())
{
    open(mode | Unbuffered);
}

qint64 TCustomZlibStream::readData(char* data, qint64 maxSize)
{
    try {
        return Read(data, maxSize);
    } catch (const EZlibError& e) {
        setErrorString(e.message());
        return -1;
    }
}

qint64 TCustomZlibStream::writeData(const char* data, qint64 maxSize)
{
    try {
        return Write(data, maxSize);
    } catch (const EZlibError& e) {
        setErrorString(e.message());
        return -1;
    }
}

void TCustomZlibStream::NotifyProgress(TCustomZlibStream* sender)
{
    if (OnProgress)
        OnProgress(sender);
}

void TCustomZlibStream::RestorePosition()
{
    if (FStrm.pos() != FStrmPos)
        seekDevice<EZlibError>(FStrm, FStrmPos);
}

// ---------------------------------------------------------------------------

TCompressionStream::TCompressionStream(TCompressionLevel level, QIODevice& dest)
    : TCustomZlibStream(dest, WriteOnly)
{
    FZRec.next_out = reinterpret_cast<Bytef*>(FBuffer);
    FZRec.avail_out = BufferSize;
    CompressCheck(deflateInit(&FZRec, zlibLevel(level)));
}

TCompressionStream::~TCompressionStream()
{
    deflateEnd(&FZRec);
}

void TCompressionStream::FlushBuffer(qint64 bytes)
{
    if (FStrm.write(FBuffer, bytes) != bytes)
        throw ECompressionError(QStringLiteral("Stream write error"));
    FZRec.next_out = reinterpret_cast<Bytef*>(FBuffer);
    FZRec.avail_out = BufferSize;
    FStrmPos = FStrm.pos();
}

qint64 TCompressionStream::Write(const char* buffer, qint64 count)
{
    if (finished)
        throw ECompressionError(invalidOperation);
    RestorePosition();
    // zlib counts in 32 bits: feed large writes in slices.
    qint64 left = count;
    while (left > 0) {
        const uInt slice = uInt(qMin<qint64>(left, 1 << 30));
        FZRec.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(buffer + (count - left)));
        FZRec.avail_in = slice;
        while (FZRec.avail_in > 0) {
            CompressCheck(deflate(&FZRec, Z_NO_FLUSH));
            if (FZRec.avail_out == 0) {
                FlushBuffer(BufferSize);
                NotifyProgress(this);
            }
        }
        left -= slice;
    }
    return count;
}

void TCompressionStream::Finish()
{
    if (finished)
        return;
    FZRec.next_in = nullptr;
    FZRec.avail_in = 0;
    RestorePosition();
    while (CompressCheck(deflate(&FZRec, Z_FINISH)) != Z_STREAM_END && FZRec.avail_out == 0)
        FlushBuffer(BufferSize);
    if (FZRec.avail_out < uInt(BufferSize))
        FlushBuffer(BufferSize - FZRec.avail_out);
    finished = true;
}

qint64 TCompressionStream::Read(char*, qint64)
{
    throw ECompressionError(invalidOperation);
}

qint64 TCompressionStream::Seek(qint64 offset, int origin)
{
    if (offset == 0 && origin == soFromCurrent)
        return qint64(FZRec.total_in);
    throw ECompressionError(invalidOperation);
}

float TCompressionStream::CompressionRate() const
{
    if (FZRec.total_in == 0)
        return 0;
    return (1.0f - float(FZRec.total_out) / float(FZRec.total_in)) * 100.0f;
}

// ---------------------------------------------------------------------------

TDecompressionStream::TDecompressionStream(QIODevice& source)
    : TCustomZlibStream(source, ReadOnly), FStartPos(source.pos())
{
    FZRec.next_in = reinterpret_cast<Bytef*>(FBuffer);
    FZRec.avail_in = 0;
    DecompressCheck(inflateInit(&FZRec));
}

TDecompressionStream::~TDecompressionStream()
{
    inflateEnd(&FZRec);
}

qint64 TDecompressionStream::Read(char* buffer, qint64 count)
{
    if (ended || count <= 0)
        return 0;
    RestorePosition();
    // zlib counts in 32 bits: fill large reads in slices.
    qint64 made = 0;
    while (made < count && !ended) {
        const uInt slice = uInt(qMin<qint64>(count - made, 1 << 30));
        const uInt produced = Inflate(buffer + made, slice);
        made += produced;
        if (produced < slice)
            break;
    }
    return made;
}

uInt TDecompressionStream::Inflate(char* buffer, uInt count)
{
    FZRec.next_out = reinterpret_cast<Bytef*>(buffer);
    FZRec.avail_out = count;
    while (FZRec.avail_out > 0) {
        if (FZRec.avail_in == 0) {
            const qint64 got = FStrm.read(FBuffer, BufferSize);
            if (got <= 0)
                break;
            FZRec.next_in = reinterpret_cast<Bytef*>(FBuffer);
            FZRec.avail_in = uInt(got);
            FStrmPos = FStrm.pos();
            NotifyProgress(this);
        }
        const int result = DecompressCheck(inflate(&FZRec, Z_NO_FLUSH));
        // A header asking for a preset dictionary: we have none to give.
        if (result == Z_NEED_DICT)
            throw EDecompressionError(decompressError);
        if (result == Z_STREAM_END) {
            ended = true;
            break;
        }
    }
    return count - FZRec.avail_out;
}

qint64 TDecompressionStream::Write(const char*, qint64)
{
    throw EDecompressionError(invalidOperation);
}

void TDecompressionStream::SkipBytes(qint64 count)
{
    char discard[BufferSize];
    while (count > 0) {
        const qint64 piece = qMin<qint64>(count, BufferSize);
        if (Read(discard, piece) != piece)
            throw EDecompressionError(QStringLiteral("Stream read error"));
        count -= piece;
    }
}

qint64 TDecompressionStream::Seek(qint64 offset, int origin)
{
    const qint64 position = qint64(FZRec.total_out);
    if (offset == 0 && origin == soFromBeginning) {
        DecompressCheck(inflateReset(&FZRec));
        FZRec.next_in = reinterpret_cast<Bytef*>(FBuffer);
        FZRec.avail_in = 0;
        ended = false;
        // Where this stream's data began, not the device's first byte.
        seekDevice<EDecompressionError>(FStrm, FStartPos);
        FStrmPos = FStartPos;
    } else if (origin == soFromCurrent && offset >= 0) {
        SkipBytes(offset);
    } else if (origin == soFromBeginning && offset > position) {
        SkipBytes(offset - position);
    } else {
        throw EDecompressionError(invalidOperation);
    }
    return qint64(FZRec.total_out);
}

// ---------------------------------------------------------------------------

void ZCompressStream(QIODevice& source, QIODevice& dest)
{
    TCompressionStream compressor(TCompressionLevel::clMax, dest);
    seekDevice<ECompressionError>(source, 0);
    char piece[TCustomZlibStream::BufferSize];
    for (;;) {
        const qint64 got = source.read(piece, sizeof piece);
        if (got < 0)
            throw ECompressionError(QStringLiteral("Stream read error"));
        if (got == 0)
            break;
        compressor.Write(piece, got);
    }
    compressor.Finish();
}

void ZDecompressStream(QIODevice& dest, QIODevice& source, qint64 maxBytes)
{
    seekDevice<EDecompressionError>(source, 0);
    TDecompressionStream inflater(source);
    char piece[4096];
    qint64 total = 0;
    for (;;) {
        const qint64 got = inflater.Read(piece, sizeof piece);
        if (got == 0)
            break;
        total += got;
        if (maxBytes >= 0 && total > maxBytes)
            throw EDecompressionError(
                QStringLiteral("Decompressed data exceeds %1 bytes").arg(maxBytes));
        if (dest.write(piece, got) != got)
            throw EDecompressionError(QStringLiteral("Stream write error"));
    }
    if (!inflater.Ended())
        throw EDecompressionError(decompressError);
}
