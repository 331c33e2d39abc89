#include "DatabaseTrouble.h"

#include "Platform.h"
#include "UntSqliteUtils.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QRegularExpression>
#include <cstdio>
#include <new>

namespace {

constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;

// The line "Error [<code>]: <text>." of a failed statement.
QRegularExpressionMatch resultLine(const QString& message)
{
    static const QRegularExpression line(QStringLiteral("\\rError \\[(-?\\d+)\\]: ([^\\r]*)"));
    return line.match(message);
}

QString withoutFinalStop(QString text)
{
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString databaseSentence(const QString& path, const QString& access, const QString& reason)
{
    return QStringLiteral("The database \"%1\" could not be %2: %3").arg(path, access, reason);
}

// A failure that is no database error, in words the user reads.
QString otherFailureText(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return QStringLiteral("out of memory");
    if (const auto* ours = dynamic_cast<const solvek::Exception*>(&error))
        return ours->message();
    return QString::fromUtf8(error.what());
}

} // namespace

int sqliteResultCode(const QString& message)
{
    const QRegularExpressionMatch match = resultLine(message);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString sqliteReason(const QString& message)
{
    const QRegularExpressionMatch match = resultLine(message);
    if (match.hasMatch())
        return withoutFinalStop(match.captured(2));
    if (message.startsWith(QLatin1String("Failed to open database"))) {
        const qsizetype colon = message.lastIndexOf(QLatin1String(" : "));
        if (colon >= 0)
            return withoutFinalStop(message.mid(colon + 3));
    }
    return withoutFinalStop(message.section(u'\r', 0, 0));
}

bool isDatabaseBusy(const QString& message)
{
    const int code = sqliteResultCode(message);
    return code == SqliteBusy || code == SqliteLocked ||
           message.endsWith(QLatin1String("SQLite is Busy"));
}

QString databaseFailureText(const QString& message)
{
    static const QRegularExpression query(QStringLiteral("\\r\"\\s*SELECT\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QString access =
        query.match(message).hasMatch() ? QStringLiteral("read") : QStringLiteral("written");
    return databaseSentence(DBPath, access, sqliteReason(message));
}

QString databaseReadFailureText(const QString& path, const std::exception& error)
{
    const auto* database = dynamic_cast<const ESQLiteException*>(&error);
    return databaseSentence(path, QStringLiteral("read"),
                            database ? sqliteReason(database->message()) : otherFailureText(error));
}

QString failureText(const std::exception& error)
{
    if (const auto* database = dynamic_cast<const ESQLiteException*>(&error))
        return databaseFailureText(database->message());
    return otherFailureText(error);
}

void tellDatabaseTrouble(const QString& text)
{
    std::fprintf(stderr, "Solvek Anti-Bot: %s\n", qPrintable(text.simplified()));
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [text] {
            platform::messageBox(nullptr, text, QStringLiteral("Solvek Anti-Bot"),
                                 platform::MB_OK | platform::MB_ICONERROR);
        },
        Qt::QueuedConnection);
}
