#pragma once

// MD5 digests as 32 lower-case hexadecimal characters.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

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

QString md5Hex(const QByteArray& bytes);
// The digest of the text's 8-bit form (the locale's encoding).
QString md5Hex(const QString& text);

} // namespace platform
