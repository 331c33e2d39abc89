#include "Md5.h"

#include "SolvekException.h"

#include <openssl/evp.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace platform {

namespace {

[[noreturn]] void raiseDigestFailure()
{
    throw solvek::Exception(QStringLiteral("MD5 digest failed"));
}

} // namespace

void Md5::ContextFree::operator()(evp_md_ctx_st* context) const noexcept
{
    EVP_MD_CTX_free(context);
}

Md5::Md5() : m_context(EVP_MD_CTX_new())
{
    if (!m_context || EVP_DigestInit_ex(m_context.get(), EVP_md5(), nullptr) != 1)
        raiseDigestFailure();
}

Md5::~Md5() = default;

void Md5::add(QByteArrayView bytes)
{
    if (EVP_DigestUpdate(m_context.get(), bytes.data(), size_t(bytes.size())) != 1)
        raiseDigestFailure();
}

QString Md5::hex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(m_context.get(), digest, &length) != 1)
        raiseDigestFailure();
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

Md5Beside::Md5Beside(qsizetype blockBytes) : m_blockBytes(std::max<qsizetype>(1, blockBytes))
{
    m_block.reserve(m_blockBytes);
}

Md5Beside::~Md5Beside()
{
    if (m_thread.joinable()) {
        m_blocks.abandon();
        m_thread.join();
    }
}

void Md5Beside::add(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qsizetype room = m_blockBytes - m_block.size();
        const qsizetype taken = std::min(room, bytes.size());
        m_block.append(bytes.first(taken));
        bytes = bytes.sliced(taken);
        if (m_block.size() == m_blockBytes)
            handOverBlock();
    }
}

void Md5Beside::handOverBlock()
{
    // Started with the first whole block: bytes that fill none are digested
    // at once by hex(), without a thread.
    if (!m_thread.joinable())
        m_thread = std::thread([this] { digestBlocks(); });
    // False only when the thread has failed; hex() tells why.
    m_blocks.push(std::exchange(m_block, QByteArray()));
    if (std::optional<QByteArray> spare = m_spareBlocks.tryPop())
        m_block = std::move(*spare);
    m_block.reserve(m_blockBytes);
}

QString Md5Beside::hex()
{
    if (m_thread.joinable()) {
        if (!m_block.isEmpty())
            handOverBlock();
        m_blocks.finish();
        m_thread.join();
    } else if (m_hex.isEmpty() && !m_failure) {
        m_digest.add(m_block);
        m_hex = m_digest.hex();
    }
    if (m_failure)
        std::rethrow_exception(m_failure);
    return m_hex;
}

void Md5Beside::digestBlocks() noexcept
{
    try {
        while (std::optional<QByteArray> block = m_blocks.pop()) {
            m_digest.add(*block);
            block->resize(0); // keeps its memory
            m_spareBlocks.tryPush(std::move(*block));
        }
        m_hex = m_digest.hex();
    } catch (...) {
        m_failure = std::current_exception();
        m_blocks.abandon(); // the pieces still coming are of no use
    }
}

QString md5Hex(const QByteArray& bytes)
{
    Md5 digest;
    digest.add(bytes);
    return digest.hex();
}

QString md5Hex(const QString& text)
{
    return md5Hex(text.toLocal8Bit());
}

} // namespace platform
