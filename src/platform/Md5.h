#pragma once

// MD5 digests as 32 lower-case hexadecimal characters.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "BoundedQueue.h"

#include <exception>
#include <memory>
#include <thread>

struct evp_md_ctx_st;

namespace platform {

// A digest of bytes given piece by piece, so it can follow a download.
class Md5 {
public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    void add(QByteArrayView bytes);
    // The digest of everything added; nothing may be added afterwards.
    QString hex();

private:
    struct ContextFree {
        void operator()(evp_md_ctx_st* context) const noexcept;
    };
    std::unique_ptr<evp_md_ctx_st, ContextFree> m_context;
};

// The same digest worked out on a thread of its own from pieces handed to it
// in order, so whoever hands them over (a download) is not slowed by it, and
// the digest is ready a moment after the last piece.
class Md5Beside {
public:
    static constexpr qsizetype DefaultBlockBytes = qsizetype(256) << 10;

    // Pieces are gathered into blocks of this size before they go over.
    explicit Md5Beside(qsizetype blockBytes = DefaultBlockBytes);
    ~Md5Beside();
    Md5Beside(const Md5Beside&) = delete;
    Md5Beside& operator=(const Md5Beside&) = delete;

    // Copies the bytes; they may change once this returns.
    void add(QByteArrayView bytes);
    // Waits for the thread and answers the digest of everything added, or
    // raises the failure it met; nothing may be added afterwards.
    QString hex();

private:
    void handOverBlock();
    void digestBlocks() noexcept;

    static constexpr size_t BlocksAhead = 8;
    const qsizetype m_blockBytes;
    QByteArray m_block; // being filled
    BoundedQueue<QByteArray> m_blocks{BlocksAhead};
    // Blocks digested, back for filling again: memory already in use and in
    // the cache costs less than fresh memory.
    BoundedQueue<QByteArray> m_spareBlocks{BlocksAhead + 1};
    Md5 m_digest;                 // the thread's alone while it runs
    QString m_hex;                // set by the thread as it ends
    std::exception_ptr m_failure; // likewise
    std::thread m_thread;         // started by the first whole block
};

QString md5Hex(const QByteArray& bytes);
// The digest of the text's 8-bit form (the locale's encoding).
QString md5Hex(const QString& text);

} // namespace platform
