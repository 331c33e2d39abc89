#include "Md5.h"

#include "SolvekException.h"

#include <openssl/evp.h>

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
