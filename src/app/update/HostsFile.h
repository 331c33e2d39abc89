#pragma once

// The system hosts file as the program reads and writes it: its place, its
// attributes after every write, the resolver-cache flush after every
// read, the test whether a host is already blocked, the two ways of writing it
// back and the cleaning of deleted hosts. Used by the hosts-file refresh
// (TUpdateHosts) and the hosts manager (TFrmHosts).

#include "ReplacingFile.h"
#include "SolvekException.h"
#include "SystemText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QMutexLocker>
#include <QRecursiveMutex>
#include <QString>
#include <QStringView>

// Reading or writing the hosts file failed; the message names the file and the reason.
class EHostsFileError : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};

// The folder that holds the hosts file, without a trailing separator.
QString getWindowsDir();

// The hosts file: the system's, or the one SOLVEK_HOSTS_FILE names.
QString hostsFilePath();

// The line end the hosts file's lines are written with: the one its first
// line ends with, LF for a file without any (missing, empty or one line).
// Every write keeps it.
systemtext::LineEnd hostsFileLineEnd();

enum class BlankLines {
    Drop, // the refresh's write: lines of only blanks and control characters go
    Keep, // the hosts manager's write
};

// Reads the hosts file, leaving its mode as it is; a leading byte-order mark
// selects its Unicode encoding; lines split at CR, LF or CR LF and each
// followed by the file's line end. The resolver-cache flush follows, also
// after a failure. Raises EHostsFileError.
QString getHostsFile();
// The same text in its 8-bit form, its lines ended as the file ends them (the
// writer mends them), telling whether a write of it with those blank lines
// would give back the file's own bytes (every line ended by the line end, no
// blank line where they are dropped, no byte-order mark), so that its lines
// can be taken as they are, or the write left out.
QByteArray getHostsFileBytes(systemtext::LineEnd lineEnd, BlankLines blankLines,
                             bool& alreadyAsWritten);

// Writes the text, every line ended by the file's line end, in the 8-bit
// form, through a temporary file in the same folder renamed over the old one
// (keeping its owner, read-only before the rename), so an interruption leaves
// the old file whole, its mode untouched. The file is read-only afterwards,
// also after a failure. The refresh's write is followed by a resolver-cache
// flush, so the new lines take effect. Raises EHostsFileError.
void setHostsFile(const QString& text, BlankLines blankLines);
// The same write, part by part: a temporary file beside the hosts file that
// replaces it only on commit(); dropped before that, the old file stays as
// it was. The file is read-only once the writer goes, also after a failure.
// Every line is ended by the line end given; each part holds whole lines,
// one not in shape is mended. Raises EHostsFileError.
class HostsFileWriter {
public:
    HostsFileWriter(BlankLines blankLines, systemtext::LineEnd lineEnd);
    ~HostsFileWriter();
    HostsFileWriter(const HostsFileWriter&) = delete;
    HostsFileWriter& operator=(const HostsFileWriter&) = delete;

    // The bytes all parts will hold, when known ahead (for the test hook).
    void expectBytes(qsizetype total);
    void write(QByteArrayView part);
    // The same for a part known to be in shape already, which is not checked again.
    void writeInShape(QByteArrayView part);
    // Owner kept, read-only, on disk, renamed over the old file; the refresh's
    // write is followed by a resolver-cache flush.
    void commit();

private:
    void writeBytes(QByteArrayView bytes);
    void reachHalf();

    QString m_path;
    BlankLines m_blankLines;
    systemtext::LineEnd m_lineEnd;
    platform::ReplacingFile m_file; // read-only before it takes the hosts file's place
    qsizetype m_untilHalf = -1;     // bytes to write before the test hook; -1: not known
    bool m_halfWritten = false;
};
// What the refresh's write does around a file that would not change: the
// file read-only and the resolver-cache flush.
void keepHostsFile();

// True when the host stands as a host name on a non-comment line of the text:
// after the address, as one of the names (or as the whole rest of the line),
// compared ignoring case. An empty host never counts as present.
bool hostInText(const QString& host, const QString& text);

// Empties the first line "127.0.0.1 <host>" (exact, case-sensitive) for each
// host of the list (one per line), then writes the file back without the
// blank-line pass. Holds the hosts-file lock. Raises EHostsFileError.
void cleanFromHosts(const QString& hostList);

// Serialises read-modify-write runs on the hosts file within the process, so
// two of them never lose each other's lines. Recursive: a holder may call
// cleanFromHosts. Whoever holds it must not wait for the window thread.
class HostsFileLock {
public:
    HostsFileLock();
    HostsFileLock(const HostsFileLock&) = delete;
    HostsFileLock& operator=(const HostsFileLock&) = delete;

private:
    QMutexLocker<QRecursiveMutex> m_locker;
};

namespace hostsfile_testing {
// Called once the first half of a new file's bytes are in its temporary file
// (once all are, when their number was not known ahead); tests throw from it
// to interrupt a write midway. Null in the program.
extern void (*afterHalfWritten)();
} // namespace hostsfile_testing
