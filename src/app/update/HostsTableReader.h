#pragma once

// The hosts of the database in the order of "SELECT host FROM hosts", read on
// threads of their own and handed over in batches, each host as its block
// line with its key, so the refresh works on the first ones while later ones
// are still being read. A large table is read in parts, by rowid, each on a
// connection and thread of its own; the parts are handed over in order, so
// the hosts come as one scan of the table gives them.

#include "BoundedQueue.h"
#include "PresentHosts.h"
#include "SystemText.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TSQLiteDatabase;
class TSQLiteUniTable;

class HostsTableReader {
public:
    // How a row's host stands once read.
    enum class HostForm : quint8 {
        Unwritable, // cannot stand in a line as written
        PlainName,  // the row's own bytes, one plain name (systemtext::isPlainName)
        Ascii,      // the row's own bytes, still to be judged
        Judged,     // a host beyond ASCII, judged as its characters, in the 8-bit form
    };
    // A host's key: where it stands within the batch's lines, and its hash.
    // Small, since a million of them may wait while the file is read.
    struct Row {
        quint64 hash = 0;
        qint32 keyStart = -1; // -1: the host cannot stand in a line as written
        quint32 keySize : 31 = 0;
        quint32 ascii : 1 = 1;

        bool writable() const { return keyStart >= 0; }
        PresentHosts::Key key(const QByteArray& lines) const
        {
            return {QByteArrayView(lines.constData() + keyStart, keySize), hash, ascii == 1};
        }
    };
    struct Batch {
        QByteArray lines;             // each row's block line, one after another
        std::vector<qint32> lineEnds; // where each row's line ends in `lines`
        std::vector<HostForm> forms;
        std::vector<Row> rows;
        systemtext::LineEnd lineEnd = systemtext::LineEnd::Lf; // that of every line

        QByteArrayView line(size_t row) const;
        QByteArrayView host(size_t row) const;
    };

    // Each block line is ended by the line end given.
    HostsTableReader(const QString& dbPath, systemtext::LineEnd lineEnd);
    ~HostsTableReader();
    HostsTableReader(const HostsTableReader&) = delete;
    HostsTableReader& operator=(const HostsTableReader&) = delete;

    // The number of rows the query gives; waits until it is known.
    qint64 rowCount();
    // The next batch, its rows keyed; false once every row was handed over,
    // or a part failed (the rows before the failure were handed over).
    bool next(Batch& batch);
    // Why the query failed, once next() answered false; empty when it did not.
    QString failure();

private:
    struct Part;

    void waitUntilReady();
    void readAll();
    std::vector<std::unique_ptr<Part>> partsFor(TSQLiteDatabase& db, qint64 rows);
    bool publishParts(qint64 rows, std::vector<std::unique_ptr<Part>> parts);
    void publishFailure(const QString& failure);
    void readOnOwnConnection(size_t index);
    void readPart(TSQLiteDatabase& db, Part& part);
    void readRows(std::unique_ptr<TSQLiteUniTable> table, Part& part);
    void handOverWholeRows(Part& part, Batch& batch) noexcept;
    void failPart(Part& part, const std::exception& error) noexcept;
    QString readFailureText(const std::exception& error) const noexcept;
    bool handOver(Part& part, Batch& batch);

    const QString m_dbPath;
    const systemtext::LineEnd m_lineEnd;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ready = false;   // the parts (or a failure) are known
    bool m_stopped = false; // the refresh wants no more rows
    qint64 m_rows = 0;
    std::vector<std::unique_ptr<Part>> m_parts; // fixed once ready
    size_t m_current = 0;                       // the part being handed over
    qsizetype m_queuedBytes = 0;                // in batches read, not yet handed over
    QString m_failure;
    std::jthread m_coordinator; // last: it starts once everything above exists
};
