#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace solvek {

// The one base of every exception this program raises: it carries the message
// that the user or the log is shown.
class Exception : public std::exception {
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8())
    {}

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace solvek
