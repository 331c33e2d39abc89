#pragma once

// zlib streams that are Qt devices over other Qt devices: a write-only stream
// that deflates into another device and a read-only stream that inflates from
// one, plus whole-device compression and decompression. The data is the
// standard zlib format.

#include "SolvekException.h"

#include <QIODevice>
#include <functional>
#include <zlib.h>

class EZlibError : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};
class ECompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};
class EDecompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

// Scoped: the toolkit colour names clNone and clDefault are taken.
enum class TCompressionLevel { clNone, clFastest, clDefault, clMax };

// Seek origins, as the toolkit numbers them.
enum TSeekOrigin { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// A zlib result, raising for negative ones.
int CompressCheck(int code);
int DecompressCheck(int code);

// Read, Write and Seek raise the stream's exception class. Through QIODevice
// (read, write, readAll, ...) the stream is sequential and unbuffered, and a
// failure answers -1 with the exception's message as errorString().
class TCustomZlibStream : public QIODevice {
public:
    static constexpr int BufferSize = 8192;
    using ProgressEvent = std::function<void(TCustomZlibStream* sender)>;

    virtual qint64 Read(char* buffer, qint64 count) = 0;
    virtual qint64 Write(const char* buffer, qint64 count) = 0;
    virtual qint64 Seek(qint64 offset, int origin) = 0;

    bool isSequential() const override { return true; }

    // Called after every transfer of a buffer to or from the underlying device.
    ProgressEvent OnProgress;

protected:
    // Opens this device in mode over strm.
    TCustomZlibStream(QIODevice& strm, OpenMode mode);
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;
    virtual void NotifyProgress(TCustomZlibStream* sender);
    // Puts the underlying device back where this stream left it, should
    // someone else have moved it meanwhile.
    void RestorePosition();

    QIODevice& FStrm;
    qint64 FStrmPos;
    z_stream FZRec{};
    char FBuffer[BufferSize];
};

class TCompressionStream : public TCustomZlibStream {
public:
    TCompressionStream(TCompressionLevel level, QIODevice& dest);
    // Ends the deflate state; data not finished by Finish is left incomplete.
    ~TCompressionStream() override;

    qint64 Read(char* buffer, qint64 count) override;
    qint64 Write(const char* buffer, qint64 count) override;
    // Only Seek(0, soFromCurrent): the bytes written so far.
    qint64 Seek(qint64 offset, int origin) override;

    // Writes the rest of the zlib data; further writes raise.
    void Finish();
    // Percent saved: (1 - out / in) * 100, 0 before any input.
    float CompressionRate() const;

private:
    void FlushBuffer(qint64 bytes);
    bool finished = false;
};

class TDecompressionStream : public TCustomZlibStream {
public:
    explicit TDecompressionStream(QIODevice& source);
    ~TDecompressionStream() override;

    // The bytes produced: fewer than count once the zlib end came or the
    // source ran out. Bytes after the zlib end are never read as data.
    qint64 Read(char* buffer, qint64 count) override;
    qint64 Write(const char* buffer, qint64 count) override;
    // Back to the start (offset 0 from the beginning) or forward by reading;
    // answers the decompressed position.
    qint64 Seek(qint64 offset, int origin) override;

    // Whether the zlib end mark has been read.
    bool Ended() const { return ended; }

private:
    // Fills count bytes of buffer; fewer once the zlib end came or the source ran out.
    uInt Inflate(char* buffer, uInt count);
    void SkipBytes(qint64 count);
    qint64 FStartPos;
    bool ended = false;
};

// All of source, from its first byte, deflated at level 9 into dest at dest's position.
void ZCompressStream(QIODevice& source, QIODevice& dest);
// All of source, from its first byte, inflated into dest at dest's position.
// Raises EDecompressionError for data that ends before its end mark, and for
// output beyond maxBytes (none: no limit).
void ZDecompressStream(QIODevice& dest, QIODevice& source, qint64 maxBytes = -1);
