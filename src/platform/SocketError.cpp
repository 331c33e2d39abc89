#include "SocketError.h"

#include <cerrno>
#include <system_error>

namespace platform {

QString socketErrorText(int code)
{
    // std::system_category's message is thread-safe, unlike strerror.
    const std::string text = std::error_code(code, std::system_category()).message();
    return QString::number(code) + QStringLiteral(" : ") + QString::fromLocal8Bit(text);
}

QString lastSocketErrorText()
{
    return socketErrorText(errno);
}

} // namespace platform
