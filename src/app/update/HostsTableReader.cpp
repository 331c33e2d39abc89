#include "HostsTableReader.h"

#include "BlockList.h"
#include "DatabaseTrouble.h"
#include "Parallel.h"
#include "SQLiteTable3.h"
#include "SystemText.h"
#include "UntSqliteUtils.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <optional>
#include <utility>

namespace {

constexpr size_t BatchSize = 4096;
// A batch ends early once its lines pass this, whatever its hosts hold, so
// they stay far below 2 GiB.
constexpr qsizetype BatchBytes = 1 << 20;
constexpr qsizetype TypicalLineBytes = 48;
// Fewer rows than this in a part cost more in connections than they save.
constexpr qint64 MinRowsPerPart = 16384;
// Batches read and not yet taken stay within this, so a large table is not
// held twice in memory: a part waits while its batch would pass it. The part
// being handed over goes on while none of its own batches waits, so it never
// waits for a refresh that waits for it: one batch past this at most.
constexpr qsizetype QueuedBytesLimit = qsizetype(32) << 20;

// A stored text up to its first NUL, as the toolkit reads a text column.
template <class View> View upToNul(View text)
{
    const qsizetype nul = text.indexOf(decltype(text[0])(0));
    return nul < 0 ? text : text.first(nul);
}

using Batch = HostsTableReader::Batch;
using HostForm = HostsTableReader::HostForm;

qsizetype queuedBytesOf(const Batch& batch)
{
    return batch.lines.capacity() +
           qsizetype(batch.lineEnds.capacity() * (sizeof(qint32) + sizeof(HostForm)) +
                     batch.rows.capacity() * sizeof(HostsTableReader::Row));
}

// Appends "127.0.0.1 <host>" and the line end, copied straight into the room it takes.
void appendLine(QByteArray& lines, QByteArrayView host, QByteArrayView lineEnd)
{
    const qsizetype start = lines.size();
    lines.resize(start + BlockLinePrefixBytes.size() + host.size() + lineEnd.size());
    char* end =
        std::copy(BlockLinePrefixBytes.begin(), BlockLinePrefixBytes.end(), lines.data() + start);
    end = std::copy(host.begin(), host.end(), end);
    std::copy(lineEnd.begin(), lineEnd.end(), end);
}

// The row's host as the toolkit reads a text column (up to its first NUL),
// appended as its block line. A host beyond ASCII is judged here, as the
// characters the row holds, since only the reading thread may ask for them.
void addRow(const TSQLiteUniTable& table, systemtext::LineEnd lineEnd, Batch& batch)
{
    if (batch.lineEnds.empty()) {
        batch.lineEnd = lineEnd;
        batch.lineEnds.reserve(BatchSize);
        batch.forms.reserve(BatchSize);
        batch.lines.reserve(qsizetype(BatchSize) * TypicalLineBytes);
    }
    QByteArrayView host = table.FieldAsUtf8View(0);
    QByteArray beyondAscii;
    HostForm form = HostForm::PlainName;
    if (!systemtext::isPlainName(host)) {
        host = upToNul(host);
        form = HostForm::Ascii;
    }
    if (form == HostForm::Ascii && !systemtext::isAscii(host)) {
        const QStringView text = upToNul(table.FieldAsStringView(0));
        form = isWritableHost(text) ? HostForm::Judged : HostForm::Unwritable;
        if (form == HostForm::Judged)
            beyondAscii = systemtext::encode(text);
        host = beyondAscii;
    }
    appendLine(batch.lines, host, systemtext::lineEndBytes(batch.lineEnd));
    batch.lineEnds.push_back(qint32(batch.lines.size()));
    batch.forms.push_back(form);
}

void keyRows(Batch& batch)
{
    batch.rows.resize(batch.lineEnds.size());
    for (size_t i = 0; i < batch.lineEnds.size(); ++i) {
        const QByteArrayView host = batch.host(i);
        const HostForm form = batch.forms[i];
        if (form == HostForm::Unwritable || (form == HostForm::Ascii && !isWritableHost(host)))
            continue;
        const PresentHosts::Key key = form == HostForm::PlainName
                                          ? PresentHosts::keyOfPlainName(host)
                                          : PresentHosts::keyOf(host);
        batch.rows[i] = {key.hash, qint32(key.text.data() - batch.lines.constData()),
                         quint32(key.text.size()), key.ascii};
    }
}

} // namespace

// The rows from `firstRowid` to `lastRowid`, or the whole table when the
// table is read in one part.
struct HostsTableReader::Part {
    size_t index = 0;
    qint64 firstRowid = 0;
    qint64 lastRowid = 0;
    bool whole = false;
    // Unbounded in count: the reader's budget of queued bytes bounds it.
    platform::BoundedQueue<Batch> batches{std::numeric_limits<size_t>::max()};
    QString failure;    // set before batches finish
    size_t waiting = 0; // batches handed over and not yet taken, under the reader's mutex
    // Taken by its own thread once its read lock is held, or by the
    // coordinator when it gets there first.
    std::atomic<bool> claimed{false};
    std::jthread thread; // last: joins before the hand-over goes

    // True for the first caller only, which then reads the part.
    bool claim() { return !claimed.exchange(true); }

    QString query() const
    {
        if (whole)
            return QStringLiteral("SELECT host FROM hosts;");
        return QStringLiteral("SELECT host FROM hosts WHERE rowid BETWEEN %1 AND %2;")
            .arg(firstRowid)
            .arg(lastRowid);
    }
};

QByteArrayView HostsTableReader::Batch::line(size_t row) const
{
    const qint32 start = row == 0 ? 0 : lineEnds[row - 1];
    return QByteArrayView(lines).sliced(start, lineEnds[row] - start);
}

QByteArrayView HostsTableReader::Batch::host(size_t row) const
{
    const QByteArrayView whole = line(row);
    return whole.sliced(BlockLinePrefixBytes.size(), whole.size() - BlockLinePrefixBytes.size() -
                                                         systemtext::lineEndBytes(lineEnd).size());
}

HostsTableReader::HostsTableReader(const QString& dbPath, systemtext::LineEnd lineEnd)
    : m_dbPath(dbPath), m_lineEnd(lineEnd),
      m_coordinator(platform::startThread([this] { readAll(); }))
{}

HostsTableReader::~HostsTableReader()
{
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_changed.notify_all();
    for (const std::unique_ptr<Part>& part : m_parts)
        part->batches.abandon();
    // The coordinator joins as its member goes, before the parts it uses.
}

qint64 HostsTableReader::rowCount()
{
    waitUntilReady();
    return m_rows;
}

bool HostsTableReader::next(Batch& batch)
{
    waitUntilReady();
    for (;;) {
        Part* part = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_current == m_parts.size())
                return false;
            part = m_parts[m_current].get();
        }
        std::optional<Batch> next = part->batches.pop();
        const bool taken = next.has_value();
        if (taken)
            batch = std::move(*next);
        std::lock_guard lock(m_mutex);
        if (taken) {
            m_queuedBytes -= queuedBytesOf(batch);
            --part->waiting;
        } else if (!part->failure.isEmpty()) {
            m_failure = part->failure;
            m_current = m_parts.size();
        } else {
            ++m_current;
        }
        m_changed.notify_all();
        if (taken)
            return true;
    }
}

QString HostsTableReader::failure()
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void HostsTableReader::waitUntilReady()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_ready; });
}

// The first part is read on the connection that counted the rows, whose read
// transaction stays open until every part is claimed: no write can be
// committed meanwhile, so every part sees the state that was counted. A part
// whose own thread holds no read lock yet when the coordinator gets to it
// (it may be waiting for a writer that waits for this very transaction) is
// read here instead.
void HostsTableReader::readAll()
{
    try {
        const auto db = openDatabase(m_dbPath);
        db->BeginTransaction();
        const qint64 rows = db->GetTableValue(QStringLiteral("SELECT COUNT(*) FROM hosts;"));
        if (!publishParts(rows, partsFor(*db, rows)))
            return;
        for (size_t index = 1; index < m_parts.size(); ++index)
            m_parts[index]->thread =
                platform::startThread([this, index] { readOnOwnConnection(index); });
        for (const std::unique_ptr<Part>& part : m_parts)
            if (part->claim())
                readPart(*db, *part);
    } catch (const std::exception& error) {
        publishFailure(readFailureText(error));
        // A part nobody took (a thread that could not start) ends with the
        // failure, so the refresh waiting for its rows goes on.
        for (const std::unique_ptr<Part>& part : m_parts)
            if (part->claim())
                failPart(*part, error);
    }
    // The threads are awaited once the transaction has ended, for the writer
    // they may wait for, and after a failure too, since they use the members.
    for (const std::unique_ptr<Part>& part : m_parts)
        if (part->thread.joinable())
            part->thread.join();
}

// Rowid ranges of about equal width; one part for a small table, and for a
// table with an index, whose scan order an index may decide.
std::vector<std::unique_ptr<HostsTableReader::Part>> HostsTableReader::partsFor(TSQLiteDatabase& db,
                                                                                qint64 rows)
{
    const qint64 count = std::min<qint64>(qint64(platform::workerCount()), rows / MinRowsPerPart);
    std::vector<std::unique_ptr<Part>> parts;
    const bool indexed = db.GetTableValue(QStringLiteral(
                             "SELECT COUNT(*) FROM sqlite_master WHERE tbl_name = 'hosts' "
                             "AND type = 'index';")) > 0;
    if (count < 2 || indexed) {
        parts.push_back(std::make_unique<Part>());
        parts.back()->whole = true;
        return parts;
    }
    const qint64 first = db.GetTableValue(QStringLiteral("SELECT MIN(rowid) FROM hosts;"));
    const qint64 last = db.GetTableValue(QStringLiteral("SELECT MAX(rowid) FROM hosts;"));
    // In 128 bits: rowids may span the whole 64-bit range.
    const __int128 span = __int128(last) - first + 1;
    const auto startOf = [&](qint64 index) { return qint64(first + span * index / count); };
    for (qint64 index = 0; index < count; ++index) {
        parts.push_back(std::make_unique<Part>());
        parts.back()->index = size_t(index);
        parts.back()->firstRowid = startOf(index);
        parts.back()->lastRowid = index + 1 < count ? startOf(index + 1) - 1 : last;
    }
    return parts;
}

bool HostsTableReader::publishParts(qint64 rows, std::vector<std::unique_ptr<Part>> parts)
{
    std::lock_guard lock(m_mutex);
    if (m_stopped)
        return false;
    m_rows = rows;
    m_parts = std::move(parts);
    m_ready = true;
    m_changed.notify_all();
    return true;
}

// A failure before any part: nothing to hand over.
void HostsTableReader::publishFailure(const QString& failure)
{
    std::lock_guard lock(m_mutex);
    if (!m_ready) {
        m_failure = failure;
        m_ready = true;
        m_changed.notify_all();
    }
}

// A part read on its own connection once its query holds the read lock,
// unless the coordinator claimed it first. A failure before that leaves the
// part to the coordinator.
void HostsTableReader::readOnOwnConnection(size_t index)
{
    Part& part = *m_parts[index];
    try {
        const auto db = openDatabase(m_dbPath);
        db->BeginTransaction();
        std::unique_ptr<TSQLiteUniTable> table = db->GetUniTable(part.query());
        if (part.claim())
            readRows(std::move(table), part);
    } catch (const std::exception&) {
        // Kept in the part when it was claimed; the coordinator reads it otherwise.
    }
}

void HostsTableReader::readPart(TSQLiteDatabase& db, Part& part)
{
    std::unique_ptr<TSQLiteUniTable> table;
    try {
        table = db.GetUniTable(part.query());
    } catch (const std::exception& error) {
        failPart(part, error);
        throw;
    }
    readRows(std::move(table), part);
}

// Reads the part's rows into batches, keys them and hands them over; a
// failure is kept in the part and raised again, once the rows read before
// it went over.
void HostsTableReader::readRows(std::unique_ptr<TSQLiteUniTable> table, Part& part)
{
    Batch batch;
    try {
        for (; !table->GetEOF(); table->Next()) {
            addRow(*table, m_lineEnd, batch);
            const bool full =
                batch.lineEnds.size() == BatchSize || batch.lines.size() >= BatchBytes;
            if (full && !handOver(part, batch))
                return;
        }
        if (!batch.lineEnds.empty())
            handOver(part, batch);
        part.batches.finish();
    } catch (const std::exception& error) {
        handOverWholeRows(part, batch);
        failPart(part, error);
        throw;
    }
}

// The rows of a batch whose filling failed, without the row being added;
// lost only when memory is too short for them to go over.
void HostsTableReader::handOverWholeRows(Part& part, Batch& batch) noexcept
{
    // A row's line end goes in after its line, its form last.
    const size_t rows = batch.forms.size();
    batch.lineEnds.resize(rows);
    batch.lines.truncate(rows == 0 ? 0 : batch.lineEnds.back());
    if (rows == 0)
        return;
    try {
        handOver(part, batch);
    } catch (const std::exception&) {
    }
}

// Raises nothing, so the part always finishes: the refresh waits for it.
void HostsTableReader::failPart(Part& part, const std::exception& error) noexcept
{
    const QString failure = readFailureText(error);
    {
        std::lock_guard lock(m_mutex);
        part.failure = failure;
    }
    part.batches.finish();
}

// Also when memory is short, as after a failed allocation. A damaged
// database is told here, once: the refresh itself may tell its failure only
// in a balloon.
QString HostsTableReader::readFailureText(const std::exception& error) const noexcept
{
    try {
        tellIfDatabaseDamaged(error);
        return databaseReadFailureText(m_dbPath, error);
    } catch (...) {
        return QStringLiteral("out of memory"); // static text: takes no memory
    }
}

// False when the refresh no longer wants rows.
bool HostsTableReader::handOver(Part& part, Batch& batch)
{
    keyRows(batch);
    const qsizetype bytes = queuedBytesOf(batch);
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] {
            return m_queuedBytes + bytes <= QueuedBytesLimit ||
                   (part.index == m_current && part.waiting == 0) || m_stopped;
        });
        m_queuedBytes += bytes;
        ++part.waiting;
    }
    return part.batches.push(std::exchange(batch, Batch()));
}
