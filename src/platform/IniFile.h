#pragma once

// INI text with the semantics of the system's profile functions: section and
// key names compare without regard to case and blanks around them, the first
// section and the first key of a name win, values are trimmed and one pair of
// quotes around a whole value is dropped, a value comes back through a
// 2048-character buffer, and lines without "=" hold no key. Lines the program
// does not change keep their exact bytes when the text is written back.
//
// The 8-bit form of the text is the locale's encoding.

#include "SolvekException.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace platform {

// A settings or description file that the system refused to write.
class EIniFileException : public solvek::Exception {
public:
    using solvek::Exception::Exception;
};

class IniFile {
public:
    // Longest value a read gives back: the buffer of 2048 characters less its end mark.
    static constexpr qsizetype MaxValueLength = 2047;

    IniFile() = default;

    void loadText(const QString& text);
    void loadBytes(const QByteArray& bytes);
    // Reads the file; false (and an empty object) when it is missing or unreadable.
    bool loadFile(const QString& path);

    QString text() const;
    QByteArray bytes() const;
    // Replaces the file with the 8-bit text whole or not at all (a full disk
    // leaves the old file as it was); the old file's owner and mode are kept.
    // With ownerOnly a new file is readable and writable by its owner alone
    // (0600) from its first byte on. Raises EIniFileException.
    void saveFile(const QString& path, bool ownerOnly = false) const;

    // True once a write or an erase changed the text since it was loaded.
    bool isModified() const { return m_modified; }

    // True when the section holds at least one key, as the toolkit answers.
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Decimal, "$" or "0x" hexadecimal; anything else gives the default.
    qint32 ReadInteger(const QString& section, const QString& key, qint32 defaultValue) const;
    // Key names of the section, each once, in file order.
    QStringList ReadSection(const QString& section) const;
    // Section names, each once, in file order.
    QStringList ReadSections() const;

    // Replaces the first key of the name in the first section of the name, or
    // adds the key at the end of that section, or adds the section at the end.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, qint32 value);
    // Removes every section of the name with all its lines.
    void EraseSection(const QString& section);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QString content;    // decoded, without the line end
        QByteArray raw;     // the original bytes without the line end
        QByteArray ending;  // "\n", "\r\n" or "" for a last line without one
        bool edited = true; // raw no longer matches content
        Kind kind = Kind::Other;
        QString name;  // section or key name, trimmed
        QString value; // key value, trimmed, quotes kept
    };
    // The first section of a name: where its lines are and the first line
    // of each of its key names. Names are looked up case-folded.
    struct SectionIndex {
        QString name; // as the text spells it first
        qsizetype header = 0;
        qsizetype end = 0; // the line after its last line
        QHash<QString, qsizetype> keyLines;
        QStringList keyNames; // each key name once, in text order
    };

    static Line parsedLine(QString content, bool firstLine);
    void loadLines(const QByteArray& bytes, bool keepRaw);
    // Position in m_sections, -1 when the text has no section of the name.
    qsizetype findSection(const QString& section) const;
    qsizetype findKey(const SectionIndex& section, const QString& key) const;
    qsizetype insertionPoint(const SectionIndex& section) const;
    void insertLine(qsizetype at, const QString& content);
    QByteArray newLineEnding() const;

    void rebuildIndex();
    void indexLine(qsizetype at);
    void indexInsertedLine(qsizetype at);

    std::vector<Line> m_lines;
    bool m_modified = false;

    // Index of the lines, kept whole after every change: a line added after
    // every header and key goes in as it is, any other change rebuilds it.
    std::vector<SectionIndex> m_sections; // first section of each name, text order
    QHash<QString, qsizetype> m_sectionByName;
    qsizetype m_lastSection = -1; // the section the text ends in; -1 for none or a repeated name
    qsizetype m_lastIndexedLine = -1; // the last header or key line
    bool m_indexed = true;
};

// One read or one write of a value in an INI file, the file opened and closed
// per call; calls from several threads at the same time are serialised so no
// write is lost.
namespace profile {

// A missing file or key gives the default; the file is not created.
QString readString(const QString& path, const QString& section, const QString& key,
                   const QString& defaultValue);
// Creates the file and the section when missing; a new file is owner-only
// (0600), since settings may hold passwords, and an existing one keeps its
// mode. A write the system refuses raises EIniFileException "Unable to write
// to <path>: <reason>".
void writeString(const QString& path, const QString& section, const QString& key,
                 const QString& value);
// Removes the section with its keys; a missing file or section is left as it
// is. Raises EIniFileException as writeString does.
void eraseSection(const QString& path, const QString& section);

} // namespace profile

} // namespace platform
