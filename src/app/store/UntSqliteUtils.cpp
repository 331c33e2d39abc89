#include "UntSqliteUtils.h"

#include "DatabaseSalvage.h"
#include "DatabaseTrouble.h"
#include "Platform.h"
#include "ReplacingFile.h"
#include "TThread.h"
#include "UntINI.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QThread>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unistd.h>

QString DBPath;

namespace {

const QStringList kCreateStatements = {
    QStringLiteral("CREATE TABLE categories (catid text,catname text,reserved text);"),
    QStringLiteral("CREATE TABLE hosts (category text,host text, reserved text);"),
    QStringLiteral("INSERT INTO categories VALUES(\"1\", \"Zeus Bot\", \"Y\");"),
    QStringLiteral("INSERT INTO categories VALUES(\"2\", \"Palevo Bot\", \"Y\");"),
    QStringLiteral("INSERT INTO categories VALUES(\"3\", \"SpyEye Bot\", \"Y\");"),
    QStringLiteral("INSERT INTO categories VALUES(\"4\", \"Yeldcraft\", \"Y\");"),
    QStringLiteral("CREATE TABLE probe (\"date\" text,\"time\" text,host text);"),
};

// The query on a database that has its tables.
std::unique_ptr<TSQLiteTable> query(const QString& sql, const SqlParams& params)
{
    createDB();
    return queryTable(sql, params);
}

bool hasRows(const QString& sql, const SqlParams& params)
{
    return query(sql, params)->Count() > 0;
}

// Blanks and control characters go from both ends, as the toolkit's Trim does.
QString trimControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

// Copies the old file's user categories whose names are new, with their hosts
// that are new, numbering them upward from firstId by their position in the
// old result (skipped rows keep their number unused).
void copyUserCategories(const QString& oldPath, qint64 firstId, TSQLiteDatabase& target)
{
    const auto categoriesSource = openDatabase(oldPath);
    const auto hostsSource = openDatabase(oldPath);
    const auto categories = categoriesSource->GetTable(
        QStringLiteral("SELECT catname, catid FROM categories WHERE reserved=\"N\";"));
    for (qint64 k = 0; !categories->GetEOF(); categories->Next(), ++k) {
        const QString name = categories->FieldAsString(0);
        if (catExists(name))
            continue;
        const QString newId = QString::number(firstId + k);
        queueParams(target,
                    {{QStringLiteral(":catid"), newId}, {QStringLiteral(":catname"), name}});
        target.ExecSQL(QStringLiteral("INSERT INTO categories VALUES(:catid, :catname, \"N\");"));

        hostsSource->AddParamText(QStringLiteral(":category"), categories->FieldAsString(1));
        const auto hosts = hostsSource->GetTable(
            QStringLiteral("SELECT host FROM hosts WHERE category=:category;"));
        for (; !hosts->GetEOF(); hosts->Next()) {
            const QString host = hosts->FieldAsString(0);
            if (hostExists(host))
                continue;
            queueParams(target,
                        {{QStringLiteral(":catid"), newId}, {QStringLiteral(":host"), host}});
            target.ExecSQL(QStringLiteral("INSERT INTO hosts VALUES(:catid, :host, \"N\");"));
        }
    }
}

void importFrom(const QString& oldPath)
{
    // Numbers above the user's existing categories, so no two share a key.
    const qint64 firstId = getNextCatID(QStringLiteral("N")).toLongLong();
    const auto target = openDatabase();
    // The lookups during the walk read through their own connections; a cache
    // spill would lock them out of the file until the commit.
    target->ExecSQL(QStringLiteral("PRAGMA cache_spill = OFF;"));
    target->BeginTransaction();
    try {
        copyUserCategories(oldPath, firstId, *target);
    } catch (...) {
        // What was copied before the failure is kept.
        try {
            target->Commit();
        } catch (const ESQLiteException&) {
        }
        throw;
    }
    target->Commit();
}

QString oneLine(QString message)
{
    return message.replace(u'\r', u' ');
}

// Forgotten before the tables exist, so a start that ends midway never leaves
// a new database beside the old digests. A settings file that cannot be
// written must not cost the database: the user is told instead.
void forgetListDigests()
{
    try {
        eraseIniSection(ListDigestSection);
    } catch (const solvek::Exception& e) {
        tellDatabaseTrouble(QStringLiteral("The new database could not be marked for a full "
                                           "download of the block lists: %1. Until the settings "
                                           "file can be written, Update may leave lists out.")
                                .arg(e.message()));
    }
}

// The window thread's wait for a lock held elsewhere, as long as any other
// connection's, the steps it runs included. The holder may be a worker
// waiting in Synchronize for this very thread, so the workers' display-only
// steps are served meanwhile, up to the time-out.
class WindowThreadBusyWait {
public:
    bool operator()(int attempt)
    {
        if (attempt == 0)
            m_timeOut.setRemainingTime(DatabaseBusyTimeoutMs, Qt::PreciseTimer);
        // A slice at a time: the lock is tried again after each, so the wait
        // ends soon after its holder lets go, however fast steps come.
        const QDeadlineTimer slice = std::min(QDeadlineTimer(SliceMs, Qt::PreciseTimer), m_timeOut);
        if (!TThread::serveStepsDuringWait(slice))
            QThread::msleep(SliceMs);
        return !m_timeOut.hasExpired();
    }

private:
    static constexpr int SliceMs = 5;
    QDeadlineTimer m_timeOut;
};

// The check of the whole file runs while the window is up. Until it has ended
// no connection opens, so a damaged file is set aside while nothing has it
// open: no statement, update or probe record can reach the file it replaces.
class DatabaseCheck {
public:
    ~DatabaseCheck() { end(); }

    void start()
    {
        end();
        std::lock_guard lock(m_mutex);
        m_stop = false;
        m_running = true;
        m_thread = std::thread([this] { run(); });
    }

    // Stops a check still running, leaving the file as it is, and waits for
    // it until the deadline. Answers whether it has ended; one that has not is
    // left to the process's end, which any of its steps may meet safely.
    bool end(QDeadlineTimer deadline = QDeadlineTimer::Forever)
    {
        m_stop = true;
        if (!m_thread.joinable())
            return true;
        {
            std::unique_lock lock(m_mutex);
            const auto ended = [this] { return !m_running; };
            if (deadline.isForever())
                m_ended.wait(lock, ended);
            else if (!m_ended.wait_until(lock, deadline.deadline<std::chrono::steady_clock>(),
                                         ended))
                return false;
        }
        m_thread.join();
        return true;
    }

    // Returns once no check runs. The window thread serves the workers'
    // display-only steps meanwhile, as in its waits for a lock.
    void waitUntilEnded()
    {
        std::unique_lock lock(m_mutex);
        if (!m_running || TThread::isRunningStepDuringWait())
            return;
        const bool serveSteps = QCoreApplication::instance() && TThread::isWindowThread();
        while (m_running) {
            if (!serveSteps) {
                m_ended.wait(lock);
                continue;
            }
            lock.unlock();
            if (!TThread::serveStepsDuringWait(QDeadlineTimer(SliceMs, Qt::PreciseTimer)))
                QThread::msleep(SliceMs);
            lock.lock();
        }
    }

private:
    static constexpr int SliceMs = 5;

    void run()
    {
        QString told;
        try {
            told = checkWholeDatabase(m_stop);
        } catch (const solvek::Exception& e) {
            told = QStringLiteral("The database \"%1\" could not be checked: %2")
                       .arg(DBPath, sqliteReason(e.message()));
        } catch (const std::exception& e) {
            told = QStringLiteral("The database \"%1\" could not be checked: %2")
                       .arg(DBPath, QString::fromUtf8(e.what()));
        }
        {
            std::lock_guard lock(m_mutex);
            m_running = false;
        }
        m_ended.notify_all();
        if (!told.isEmpty())
            tellDatabaseTrouble(told);
    }

    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_running = false;
    std::atomic_bool m_stop = false;
    std::thread m_thread;
};

DatabaseCheck databaseCheck;

// The connection every other one is: opened without waiting for the check.
std::unique_ptr<TSQLiteDatabase> connectTo(const QString& path)
{
    // It would wait under the wait that runs it, for a lock that wait may hold.
    if (TThread::isRunningStepDuringWait())
        throw ESQLiteException(
            QStringLiteral(
                "A step run while the window thread waits cannot use the database \"%1\"")
                .arg(path));
    // Made at start, but it may have been gone since, or could not be made then.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        platform::current().places().makePrivateFolder(folder);
    auto db = std::make_unique<TSQLiteDatabase>(path);
    if (QCoreApplication::instance() && TThread::isWindowThread())
        db->SetBusyHandler(WindowThreadBusyWait());
    else
        db->SetTimeout(DatabaseBusyTimeoutMs);
    return db;
}

// Interrupts the connection's statement once stop is set, from a thread of
// its own. The whole-file check is one step of SQLite's, which a progress
// handler does not reach until the whole file has been read.
class InterruptOnStop {
public:
    InterruptOnStop(TSQLiteDatabase& db, const std::atomic_bool& stop)
        : m_watch([this, connection = db.DB(), &stop] {
              std::unique_lock lock(m_mutex);
              while (!m_done && !stop)
                  m_doneChanged.wait_for(lock, LookInterval);
              if (!m_done)
                  sqlite3_interrupt(connection);
          })
    {}
    ~InterruptOnStop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_doneChanged.notify_all();
        m_watch.join();
    }
    InterruptOnStop(const InterruptOnStop&) = delete;
    InterruptOnStop& operator=(const InterruptOnStop&) = delete;

private:
    static constexpr auto LookInterval = std::chrono::milliseconds(10);

    std::mutex m_mutex;
    std::condition_variable m_doneChanged;
    bool m_done = false;
    std::thread m_watch; // last: starts once the members above exist
};

// "<file>.broken-YYYYMMDD-HHMMSS", a number added when that name is taken.
QString unusedBrokenName()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString brokenBase = DBPath + QStringLiteral(".broken-") + stamp;
    QString broken = brokenBase;
    for (int n = 2; QFileInfo::exists(broken); ++n)
        broken = brokenBase + u'-' + QString::number(n);
    return broken;
}

// Whether quick_check finds every page of the file readable and consistent.
bool wholeFileSound(TSQLiteDatabase& db)
{
    const auto result = db.GetTable(QStringLiteral("PRAGMA quick_check;"));
    return result->Count() == 1 && result->FieldAsString(0) == QLatin1String("ok");
}

QString carriedOverText(const CarriedOver& carried)
{
    return QStringLiteral("%1 of your own categories with %2 hosts, and %3 probe records")
        .arg(carried.categories)
        .arg(carried.hosts)
        .arg(carried.probeRecords);
}

QString leftForAWritableFolderText()
{
    return QStringLiteral("It is left as it is, since its folder \"%1\" cannot be written: make "
                          "that folder writable and start Solvek Anti-Bot again to set the file "
                          "aside and keep what can still be read of your own categories and the "
                          "probe log.")
        .arg(QFileInfo(DBPath).absolutePath());
}

// Set when this run found the database damaged and could not set it aside:
// it was told once, and the check would only tell it again.
std::atomic_bool leftDamaged = false;

// Copies what can still be read into a new file beside the damaged one, then
// swaps the two; damage says how the damage showed. Until the swap the
// damaged file stays in place, so a stop or failure midway leaves it for the
// next start to try again. Answers what the user must be told, empty when
// stopped.
QString replaceDamagedDatabase(const QString& damage, const std::atomic_bool& stop)
{
    const auto leftAsItIs = [&](const QString& why) {
        leftDamaged = true;
        noteDamageTold();
        return damage + QStringLiteral("\n\n") + why;
    };
    if (!databaseFolderWritable())
        return leftAsItIs(leftForAWritableFolderText());
    const QString salvagePath = DBPath + QStringLiteral(".salvage");
    const auto removeSalvage = qScopeGuard([&] { QFile::remove(salvagePath); });
    QFile::remove(salvagePath);
    CarriedOver carried;
    try {
        const auto fresh = connectTo(salvagePath);
        createTables(*fresh);
        carried = carryUserData(DBPath, *fresh, stop);
    } catch (const solvek::Exception& e) {
        if (stop)
            return {};
        return leftAsItIs(QStringLiteral("What can still be read could not be copied into a new "
                                         "database: %1. It is left as it is.")
                              .arg(sqliteReason(e.message())));
    }
    if (stop)
        return {};
    QString broken;
    try {
        // The path names a database at every moment of the swap.
        broken = platform::replaceKeepingOld(DBPath, salvagePath, unusedBrokenName());
    } catch (const solvek::Exception& e) {
        return leftAsItIs(QStringLiteral("It could not be set aside (%1), so it is left as it is.")
                              .arg(e.message()));
    }
    return damage +
           QStringLiteral("\n\nIt was kept as \"%1\", and a new database was created in its "
                          "place with what could still be read: %2. The block lists will be "
                          "downloaded again at the next update.")
               .arg(broken, carriedOverText(carried));
}

} // namespace

void createTables(TSQLiteDatabase& db)
{
    forgetListDigests();
    // Host names are ASCII: as UTF-8 they take half the room of UTF-16, and
    // SQLite converts for the UTF-16 calls. Only a file without tables takes it.
    db.ExecSQL(QStringLiteral("PRAGMA encoding = \"UTF-8\";"));
    db.BeginTransaction();
    for (const QString& sql : kCreateStatements)
        db.ExecSQL(sql);
    db.Commit();
}

std::unique_ptr<TSQLiteDatabase> openDatabase(const QString& path)
{
    databaseCheck.waitUntilEnded();
    return connectTo(path);
}

void queueParams(TSQLiteDatabase& db, const SqlParams& params)
{
    for (const auto& [name, value] : params)
        db.AddParamText(name, value);
}

std::unique_ptr<TSQLiteTable> queryTable(const QString& sql, const SqlParams& params)
{
    const auto db = openDatabase();
    queueParams(*db, params);
    return db->GetTable(sql);
}

void forEachQueryRow(const QString& sql, const SqlParams& params,
                     const std::function<void(const TSQLiteUniTable& row)>& readRow)
{
    const auto db = openDatabase();
    queueParams(*db, params);
    const std::unique_ptr<TSQLiteUniTable> table = db->GetUniTable(sql);
    for (; !table->GetEOF(); table->Next())
        readRow(*table);
}

void createDB()
{
    if (DBPath.isEmpty()) // SQLite would open a throw-away temporary database
        throw ESQLiteException(QStringLiteral("The database path is not set"));
    // A check under way never leaves the path without a file, and the
    // connection below waits for it.
    if (QFileInfo::exists(DBPath))
        return;
    createTables(*openDatabase());
}

void execSQL(const QString& sql, const SqlParams& params)
{
    createDB();
    const auto db = openDatabase();
    db->BeginTransaction();
    queueParams(*db, params); // after BEGIN, which would take the queue itself
    db->ExecSQL(sql);
    db->Commit();
}

bool hostExists(const QString& host)
{
    return hasRows(QStringLiteral("SELECT host FROM hosts WHERE host=:host;"),
                   {{QStringLiteral(":host"), host}});
}

bool catExists(const QString& name)
{
    return hasRows(QStringLiteral("SELECT catname FROM categories WHERE catname=:catname;"),
                   {{QStringLiteral(":catname"), name}});
}

QString getCatName(const QString& catid, const QString& reserved)
{
    createDB();
    return getCatName(*openDatabase(), catid, reserved);
}

QString getCatName(TSQLiteDatabase& db, const QString& catid, const QString& reserved)
{
    queueParams(db, {{QStringLiteral(":catid"), catid}, {QStringLiteral(":reserved"), reserved}});
    const auto table = db.GetTable(QStringLiteral(
        "SELECT catname FROM categories WHERE catid=:catid AND reserved=:reserved;"));
    if (table->Count() == 0)
        return QStringLiteral("Unknow");
    return table->FieldAsString(table->FindFieldIndex(QStringLiteral("catname")));
}

QString getNextCatID(const QString& reserved)
{
    const auto table = query(QStringLiteral("SELECT MAX(CAST(catid as integer)) FROM categories "
                                            "WHERE reserved=:reserved;"),
                             {{QStringLiteral(":reserved"), reserved}});
    if (table->Count() == 0)
        return QStringLiteral("ERR");
    const QString highest = trimControls(table->FieldAsString(0));
    if (highest.isEmpty())
        return QStringLiteral("1");
    bool ok = false;
    const qint64 value = highest.toLongLong(&ok);
    if (!ok)
        throw ESQLiteException(u'\'' + highest + "' is not a valid integer value");
    return QString::number(value + 1);
}

QString getCatHosts(const QString& catid, const QString& reserved)
{
    const auto table = query(
        QStringLiteral("SELECT host FROM hosts WHERE category=:catid AND reserved=:reserved;"),
        {{QStringLiteral(":catid"), catid}, {QStringLiteral(":reserved"), reserved}});
    QString hosts;
    for (; !table->GetEOF(); table->Next())
        hosts += table->FieldAsString(0) + QStringLiteral("\r\n");
    return trimControls(hosts);
}

void addProbeLog(const QString& host)
{
    // One clock reading, so a record made at midnight keeps a matching day and time.
    const QDateTime now = QDateTime::currentDateTime();
    execSQL(QStringLiteral("INSERT INTO probe VALUES(:date, :time, :host);"),
            {{QStringLiteral(":date"), logDateOf(now)},
             {QStringLiteral(":time"), logTimeOf(now)},
             {QStringLiteral(":host"), host}});
}

QString logDateOf(const QDateTime& moment)
{
    return moment.date().toString(QStringLiteral("yyyyMMdd"));
}

QString logTimeOf(const QDateTime& moment)
{
    return moment.time().toString(QStringLiteral("HHmm"));
}

QString getLogDate()
{
    return logDateOf(QDateTime::currentDateTime());
}

QString getLogTime()
{
    return logTimeOf(QDateTime::currentDateTime());
}

QString formatLogDate(const QString& s)
{
    return s.mid(6, 8) + u'/' + s.mid(4, 2) + u'/' + s.mid(0, 4);
}

QString formatLogTime(const QString& s)
{
    return s.mid(0, 2) + u':' + s.mid(2, 4);
}

QString parseLogDate(const QString& s)
{
    return s.mid(6, 4) + s.mid(3, 2) + s.mid(0, 2);
}

void importOldDB()
{
    createDB();
    const QString oldPath = platform::current().places().dataFolder() + "solvek.db";
    if (!QFileInfo::exists(oldPath))
        return;
    // Tried once only: the old file goes whether or not the import worked.
    const auto removeOldFile = qScopeGuard([&] { QFile::remove(oldPath); });
    importFrom(oldPath);
}

QString setAsideBrokenDatabase()
{
    if (!QFileInfo::exists(DBPath))
        return {};
    QString failure;
    try {
        const auto db = openDatabase();
        // A file another connection holds is a database in use, so there is
        // nothing to wait for: a second start would only be held up.
        db->SetTimeout(0);
        // Reading the schema reads the file's header: this fails for a file
        // that is no database.
        if (db->GetTableValue(QStringLiteral("SELECT COUNT(*) FROM sqlite_master;")) == 0)
            createTables(*db); // an empty file, left by a creation that failed
        return {};
    } catch (const ESQLiteException& e) {
        if (isDatabaseBusy(e.message()))
            return {}; // in use elsewhere, not broken
        failure = sqliteReason(e.message());
    }

    const std::atomic_bool neverStopped = false;
    return replaceDamagedDatabase(
        QStringLiteral("The database \"%1\" could not be opened: %2.").arg(DBPath, failure),
        neverStopped);
}

void initSqliteUtilsModule(InstanceRole role)
{
    DBPath = platform::current().places().dataFolder() + "solvekdat.db";
    leftDamaged = false;
    // The file is the running instance's, which may be checking or using it.
    if (role == InstanceRole::Second)
        return;
    try {
        const QString setAside = setAsideBrokenDatabase();
        if (!setAside.isEmpty())
            tellDatabaseTrouble(setAside);
        importOldDB();
    } catch (const solvek::Exception& e) {
        // The program can run without the old data; say why it is missing.
        std::fprintf(stderr, "Solvek Anti-Bot: preparing the database failed: %s\n",
                     qPrintable(oneLine(e.message())));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Solvek Anti-Bot: preparing the database failed: %s\n", e.what());
    }
}

QString checkWholeDatabase(const std::atomic_bool& stop)
{
    if (!QFileInfo::exists(DBPath))
        return {};
    try {
        const auto db = connectTo(DBPath);
        // As at start, a file held elsewhere is in use, not broken.
        db->SetTimeout(0);
        const InterruptOnStop interrupt(*db, stop);
        if (wholeFileSound(*db))
            return {};
    } catch (const ESQLiteException& e) {
        // Stopped, or in use elsewhere: nothing is known to be wrong.
        if (stop || isDatabaseBusy(e.message()))
            return {};
    }
    if (stop)
        return {};
    return replaceDamagedDatabase(
        QStringLiteral("The database \"%1\" is damaged: parts of it can no longer be read.")
            .arg(DBPath),
        stop);
}

void startDatabaseCheck()
{
    // Already told at start, and nothing has changed since.
    if (leftDamaged)
        return;
    databaseCheck.start();
}

bool endDatabaseCheck(QDeadlineTimer deadline)
{
    return databaseCheck.end(deadline);
}

bool databaseFolderWritable()
{
    return ::access(QFile::encodeName(QFileInfo(DBPath).absolutePath()).constData(), W_OK) == 0;
}

void finiSqliteUtilsModule()
{
    endDatabaseCheck();
    DBPath.clear();
}

void setAutoStart(const QString& name, const QString& path)
{
    platform::current().autostart().set(name, u'"' + path + "\" /hidden");
}

void delAutoStart(const QString& name)
{
    platform::current().autostart().remove(name);
}

bool isAutoStart(const QString& name)
{
    return platform::current().autostart().exists(name);
}
