#include "IniFile.h"

#include "ReplacingFile.h"
#include "ToolkitInteger.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <functional>

namespace platform {

namespace {

constexpr QChar ByteOrderMark(0xFEFF);

// Two names are the same when their case-folded forms are equal, which is
// what a case-insensitive comparison finds.
QString foldedName(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

// One pair of matching quotes around the whole value is not part of it.
QString withoutQuotes(const QString& value)
{
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

QString capped(QString value)
{
    if (value.size() <= IniFile::MaxValueLength)
        return value;
    value.truncate(IniFile::MaxValueLength);
    // Never leave half of a surrogate pair behind.
    if (value.back().isHighSurrogate())
        value.chop(1);
    return value;
}

// A line break inside a name or value would start a line of its own.
QString singleLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

QString unableToWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Unable to write to ") + path + QStringLiteral(": ") + reason;
}

} // namespace

IniFile::Line IniFile::parsedLine(QString content, bool firstLine)
{
    Line line;
    QString text = content;
    if (firstLine && text.startsWith(ByteOrderMark))
        text.remove(0, 1);
    text = text.trimmed();
    line.content = std::move(content);

    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.lastIndexOf(QLatin1Char(']'));
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = text.mid(1, close - 1).trimmed();
        }
        return line;
    }
    if (text.startsWith(QLatin1Char(';')))
        return line;
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0)
        return line;
    line.name = text.left(equals).trimmed();
    if (line.name.isEmpty())
        return line;
    line.kind = Kind::Key;
    line.value = text.mid(equals + 1).trimmed();
    return line;
}

void IniFile::loadLines(const QByteArray& bytes, bool keepRaw)
{
    m_lines.clear();
    m_modified = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        QByteArray ending;
        qsizetype contentEnd = end;
        if (end < 0) {
            end = contentEnd = bytes.size();
        } else if (end > start && bytes.at(end - 1) == '\r') {
            contentEnd = end - 1;
            ending = "\r\n";
        } else {
            ending = "\n";
        }
        const QByteArray raw = bytes.mid(start, contentEnd - start);
        Line line = parsedLine(QString::fromLocal8Bit(raw), m_lines.empty());
        if (keepRaw) {
            line.raw = raw;
            line.edited = false;
        }
        line.ending = ending;
        m_lines.push_back(std::move(line));
        start = end + 1;
    }
    rebuildIndex();
}

void IniFile::loadText(const QString& text)
{
    // Lines are cut on the 8-bit form; decoding each again gives the same text
    // for everything the locale's encoding can hold.
    loadLines(text.toLocal8Bit(), false);
}

void IniFile::loadBytes(const QByteArray& bytes)
{
    loadLines(bytes, true);
}

bool IniFile::loadFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        loadLines({}, true);
        return false;
    }
    loadBytes(file.readAll());
    return file.error() == QFileDevice::NoError;
}

QString IniFile::text() const
{
    QString text;
    for (const Line& line : m_lines)
        text += line.content + QString::fromLatin1(line.ending);
    return text;
}

QByteArray IniFile::bytes() const
{
    QByteArray bytes;
    for (const Line& line : m_lines)
        bytes += (line.edited ? line.content.toLocal8Bit() : line.raw) + line.ending;
    return bytes;
}

void IniFile::saveFile(const QString& path, bool ownerOnly) const
{
    try {
        replaceFileContents(path, bytes(), ReplacedMode::keptOr(ownerOnly ? 0600 : 0666));
    } catch (const EFileReplaceError& error) {
        throw EIniFileException(unableToWrite(path, error.message()));
    }
}

void IniFile::rebuildIndex()
{
    m_sections.clear();
    m_sectionByName.clear();
    m_lastSection = -1;
    m_lastIndexedLine = -1;
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i)
        indexLine(i);
    m_indexed = true;
}

// Line `at` follows every header and key line the index holds.
void IniFile::indexLine(qsizetype at)
{
    const Line& line = m_lines[at];
    if (line.kind == Kind::Other)
        return;
    m_lastIndexedLine = at;
    if (line.kind == Kind::Key) {
        if (m_lastSection < 0)
            return;
        SectionIndex& section = m_sections[m_lastSection];
        const QString key = foldedName(line.name);
        if (!section.keyLines.contains(key)) {
            section.keyLines.insert(key, at);
            section.keyNames.append(line.name);
        }
        return;
    }
    if (m_lastSection >= 0)
        m_sections[m_lastSection].end = at;
    const QString name = foldedName(line.name);
    // The keys of a later section of the same name are never read.
    if (m_sectionByName.contains(name)) {
        m_lastSection = -1;
        return;
    }
    m_lastSection = qsizetype(m_sections.size());
    m_sectionByName.insert(name, m_lastSection);
    m_sections.push_back({line.name, at, qsizetype(m_lines.size()), {}, {}});
}

// A line just inserted at `at`: taken in when nothing the index points at
// moved, that is when it lies in the section the text ends in, after its
// last key; the index is rebuilt otherwise.
void IniFile::indexInsertedLine(qsizetype at)
{
    if (!m_indexed)
        return;
    if (at <= m_lastIndexedLine) {
        m_indexed = false;
        return;
    }
    if (m_lastSection >= 0)
        ++m_sections[m_lastSection].end;
    indexLine(at);
}

qsizetype IniFile::findSection(const QString& section) const
{
    return m_sectionByName.value(foldedName(section), -1);
}

qsizetype IniFile::findKey(const SectionIndex& section, const QString& key) const
{
    return section.keyLines.value(foldedName(key), -1);
}

// After the last line of the section that is not blank.
qsizetype IniFile::insertionPoint(const SectionIndex& section) const
{
    qsizetype at = section.end;
    while (at - 1 > section.header && m_lines[at - 1].content.trimmed().isEmpty())
        --at;
    return at;
}

QByteArray IniFile::newLineEnding() const
{
    for (const Line& line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return "\n";
}

void IniFile::insertLine(qsizetype at, const QString& content)
{
    const QByteArray ending = newLineEnding();
    if (at > 0 && m_lines[at - 1].ending.isEmpty())
        m_lines[at - 1].ending = ending;
    Line line = parsedLine(content, at == 0);
    line.ending = ending;
    m_lines.insert(m_lines.begin() + at, std::move(line));
    indexInsertedLine(at);
}

bool IniFile::SectionExists(const QString& section) const
{
    const qsizetype found = findSection(section);
    return found >= 0 && !m_sections[found].keyNames.isEmpty();
}

bool IniFile::ValueExists(const QString& section, const QString& key) const
{
    const qsizetype found = findSection(section);
    return found >= 0 && findKey(m_sections[found], key) >= 0;
}

QString IniFile::ReadString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const qsizetype found = findSection(section);
    const qsizetype line = found >= 0 ? findKey(m_sections[found], key) : -1;
    return capped(line >= 0 ? withoutQuotes(m_lines[line].value) : defaultValue);
}

qint32 IniFile::ReadInteger(const QString& section, const QString& key, qint32 defaultValue) const
{
    const QString text = ReadString(section, key, QString());
    return parseToolkitInteger(text).value_or(defaultValue);
}

QStringList IniFile::ReadSection(const QString& section) const
{
    const qsizetype found = findSection(section);
    return found >= 0 ? m_sections[found].keyNames : QStringList();
}

QStringList IniFile::ReadSections() const
{
    QStringList sections;
    sections.reserve(qsizetype(m_sections.size()));
    for (const SectionIndex& section : m_sections)
        sections.append(section.name);
    return sections;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = singleLine(section);
    const QString keyName = singleLine(key);
    const QString text = singleLine(value);
    if (keyName.isEmpty())
        return;

    const qsizetype found = findSection(sectionName);
    if (found < 0) {
        if (!m_lines.empty() && !m_lines.back().content.trimmed().isEmpty())
            insertLine(qsizetype(m_lines.size()), QString());
        insertLine(qsizetype(m_lines.size()), QLatin1Char('[') + sectionName + QLatin1Char(']'));
        insertLine(qsizetype(m_lines.size()), keyName + QLatin1Char('=') + text);
    } else if (const qsizetype line = findKey(m_sections[found], keyName); line < 0) {
        insertLine(insertionPoint(m_sections[found]), keyName + QLatin1Char('=') + text);
    } else {
        Line& existing = m_lines[line];
        if (existing.value == text)
            return;
        existing.content = existing.name + QLatin1Char('=') + text;
        existing.value = text;
        existing.edited = true;
    }
    m_modified = true;
    if (!m_indexed)
        rebuildIndex();
}

void IniFile::WriteInteger(const QString& section, const QString& key, qint32 value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::EraseSection(const QString& section)
{
    const qsizetype found = findSection(section);
    if (found < 0)
        return;
    const QString name = foldedName(section);
    qsizetype i = m_sections[found].header;
    while (i < qsizetype(m_lines.size())) {
        if (m_lines[i].kind == Kind::Section && foldedName(m_lines[i].name) == name) {
            qsizetype end = i + 1;
            while (end < qsizetype(m_lines.size()) && m_lines[end].kind != Kind::Section)
                ++end;
            m_lines.erase(m_lines.begin() + i, m_lines.begin() + end);
        } else {
            ++i;
        }
    }
    m_modified = true;
    rebuildIndex();
}

namespace profile {

namespace {
// One writer at a time, so two threads never both rewrite the file from the same old text.
QMutex fileMutex;

// Loads the file, edits it and saves it when the edit changed it or the file
// is new. A file that is there but cannot be read must not be replaced by
// the edit alone.
void editFile(const QString& path, bool createMissing, const std::function<void(IniFile&)>& edit)
{
    QMutexLocker lock(&fileMutex);
    const bool exists = QFileInfo::exists(path);
    if (!exists && !createMissing)
        return;
    IniFile ini;
    if (exists && !ini.loadFile(path))
        throw EIniFileException(unableToWrite(path, QStringLiteral("it cannot be read")));
    edit(ini);
    if (!exists || ini.isModified())
        ini.saveFile(path, true);
}
} // namespace

QString readString(const QString& path, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    QMutexLocker lock(&fileMutex);
    IniFile ini;
    ini.loadFile(path);
    return ini.ReadString(section, key, defaultValue);
}

void writeString(const QString& path, const QString& section, const QString& key,
                 const QString& value)
{
    editFile(path, true, [&](IniFile& ini) { ini.WriteString(section, key, value); });
}

void eraseSection(const QString& path, const QString& section)
{
    editFile(path, false, [&](IniFile& ini) { ini.EraseSection(section); });
}

} // namespace profile

} // namespace platform
