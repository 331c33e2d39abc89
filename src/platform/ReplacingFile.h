#pragma once

// Replaces a file whole or not at all. The new bytes go to a temporary file
// beside it, every write checked; only once all of them are on disk does the
// temporary file take the old one's place, by a rename. A failure at any step
// leaves the old file exactly as it was and removes the temporary file.
// Buffered writers (QSaveFile among them) can report success after a write
// that a full disk or the file-size limit cut short; these writes are not
// buffered, so no error is lost.

#include "OpenFile.h"
#include "SolvekException.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

namespace platform {

// A file could not be replaced; the message is the reason, without the file's
// name, so each caller tells it in its own words.
class EFileReplaceError : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};

// The mode the file has once replaced.
class ReplacedMode {
public:
    // The old file's mode; a file made anew gets newFileMode, less the umask,
    // from its first byte on. An old file the process may not write to is
    // not replaced.
    static constexpr ReplacedMode keptOr(mode_t newFileMode) { return {newFileMode, true}; }
    // Exactly this mode, whatever the old file had.
    static constexpr ReplacedMode always(mode_t mode) { return {mode, false}; }

    mode_t bits() const { return m_bits; }
    bool keepsOld() const { return m_keepsOld; }

private:
    constexpr ReplacedMode(mode_t bits, bool keepsOld) : m_bits(bits), m_keepsOld(keepsOld) {}
    mode_t m_bits;
    bool m_keepsOld;
};

// What a file gets when its writer does not say: an old file's mode kept, a
// new one readable by all the umask lets read.
inline constexpr ReplacedMode DefaultReplacedMode = ReplacedMode::keptOr(0666);

// The new contents of one file, written part by part. A symbolic link is
// followed, so the link stays and its target is replaced. The old file's
// owner and group are kept, also when root replaces a user's file; a process
// that may not keep them (not root) makes the file its own, with the old
// mode, keeping the group when it is one of the process's groups; a file
// whose group cannot be kept loses the mode's group bits, so no member of the
// process's own group gains what the old group was given. Dropped before
// commit(), the old file stays as it was. Every step raises EFileReplaceError.
class ReplacingFile {
public:
    // Makes the temporary file, ".<name>.solvek-" and six letters or digits,
    // after removing those that writes killed midway left behind: this
    // user's, and anyone's in a folder this user owns.
    explicit ReplacingFile(const QString& path, ReplacedMode mode = DefaultReplacedMode);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void write(QByteArrayView bytes);
    // Owner and mode set, the bytes on disk, then renamed over the old file.
    // After a failed write it raises that failure again and replaces nothing.
    void commit();

private:
    // Answers whether the old group is kept.
    bool keepOwner() const;
    void raiseIfWriteFailed() const;

    QString m_target; // the file replaced: a symbolic link is followed
    ReplacedMode m_mode;
    bool m_replacesFile = false;
    uid_t m_owner = 0;
    gid_t m_group = 0;
    mode_t m_oldMode = 0;
    QByteArray m_temporaryName;
    OpenFile m_file; // the temporary file, locked until it is in place or removed
    uid_t m_temporaryOwner = 0;
    gid_t m_temporaryGroup = 0;
    qint64 m_written = 0;
    int m_writeError = 0;
    bool m_committed = false;
};

// Removes the temporary files of this process's writes under way, which then
// fail at commit() and leave their files as they were: the process is ending,
// and a write it cannot finish must leave nothing behind. A write begun in the
// moment after this is left to the next write of its file to remove.
void removeUnfinishedWrites();

// Puts the finished file `replacement` in the place of `path`, whose file
// stays as `keptAs`, so that the path names one of the two at every moment,
// whenever the process is killed or the power fails: the old file first gets
// its second name by a hard link, then the new one is renamed over the path,
// then the folder is synced. A failed step raises EFileReplaceError and leaves
// the old file at the path alone. Answers keptAs.
QString replaceKeepingOld(const QString& path, const QString& replacement, const QString& keptAs);

// The whole new contents in one go.
void replaceFileContents(const QString& path, QByteArrayView bytes,
                         ReplacedMode mode = DefaultReplacedMode);

} // namespace platform
