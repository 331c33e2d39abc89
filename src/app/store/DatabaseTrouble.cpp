#include "DatabaseTrouble.h"

#include "Platform.h"
#include "UntSqliteUtils.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <atomic>
#include <cstdio>
#include <new>

namespace {

constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteNotADatabase = 26;

// Whether this run has told the damage notice; every thread may claim it.
std::atomic<bool> damageNoticeTaken{false};

// The line "Error [<code>]: <text>." of a failed statement. Never destroyed:
// the probe's records are told of at exit, after function statics are gone.
QRegularExpressionMatch resultLine(const QString& message)
{
    static const auto* const line =
        new QRegularExpression(QStringLiteral("\\rError \\[(-?\\d+)\\]: ([^\\r]*)"));
    return line->match(message);
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
    if (match.hasMatch()) {
        // SQLite's text calls it a full database; this program sets no limit
        // on the database's size, so it is the disk that is full.
        if ((match.captured(1).toInt() & 0xff) == SqliteFull)
            return QStringLiteral("the disk is full");
        return withoutFinalStop(match.captured(2));
    }
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
    // Never destroyed, as resultLine's.
    static const auto* const query = new QRegularExpression(
        QStringLiteral("\\r\"\\s*SELECT\\b"), QRegularExpression::CaseInsensitiveOption);
    const QString access =
        query->match(message).hasMatch() ? QStringLiteral("read") : QStringLiteral("written");
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

namespace {

// A file that reads as malformed or as no database at all: trying again
// cannot help, only setting it aside, as the next start does.
bool isDatabaseDamaged(const std::exception& error)
{
    const auto* database = dynamic_cast<const ESQLiteException*>(&error);
    if (!database)
        return false;
    // The primary code, also where SQLite gives an extended one.
    const int code = sqliteResultCode(database->message()) & 0xff;
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

// The notice, the first time it is asked for in this run; empty ever after.
QString takeDamageNotice(const std::exception& error)
{
    if (!isDatabaseDamaged(error) || damageNoticeTaken.exchange(true))
        return {};
    // Setting aside makes a new file beside the damaged one.
    if (!databaseFolderWritable())
        return QStringLiteral("The database \"%1\" is damaged. It can be set aside, keeping "
                              "what can still be read of your own categories and the probe log, "
                              "only once its folder \"%2\" can be written: make that folder "
                              "writable, then exit the program and start it again.")
            .arg(DBPath, QFileInfo(DBPath).absolutePath());
    return QStringLiteral("The database \"%1\" is damaged. It will be set aside the next time "
                          "Solvek Anti-Bot starts, and a new one made that keeps what can still "
                          "be read of your own categories and the probe log. To do it now, exit "
                          "the program and start it again.")
        .arg(DBPath);
}

} // namespace

QString withDamageNotice(const QString& text, const std::exception& error)
{
    const QString notice = takeDamageNotice(error);
    return notice.isEmpty() ? text : text + QStringLiteral("\n\n") + notice;
}

QString failureTextToTell(const std::exception& error)
{
    return withDamageNotice(failureText(error), error);
}

void tellFailure(const std::exception& error)
{
    tellDatabaseTrouble(failureTextToTell(error));
}

void tellIfDatabaseDamaged(const std::exception& error)
{
    const QString notice = takeDamageNotice(error);
    if (!notice.isEmpty())
        tellDatabaseTrouble(notice);
}

void noteDamageTold()
{
    damageNoticeTaken.store(true);
}

void forgetDamageNotice()
{
    damageNoticeTaken.store(false);
}

void tellDatabaseTrouble(const QString& text)
{
    std::fprintf(stderr, "Solvek Anti-Bot: %s\n", qPrintable(text.simplified()));
    platform::messageBoxLater(text, QStringLiteral("Solvek Anti-Bot"),
                              platform::MB_OK | platform::MB_ICONERROR);
}
