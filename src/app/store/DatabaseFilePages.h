#pragma once

// Reading a database file's pages as SQLite lays them out, without SQLite, so
// that whatever still reads as a table's page can be read when the rest of the
// file is damaged: its header, the pages above a leaf, the schema.

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QLatin1StringView>
#include <QString>

#include <functional>
#include <limits>
#include <vector>

namespace dbpages {

// Reads the varint of 1 to 9 bytes at p; answers its length, 0 when it would
// run past end.
int readVarint(const uchar* p, const uchar* end, quint64* value);

// One value of a record as stored.
struct StoredValue {
    enum class Type { Null, Integer, Real, Text, Blob };
    Type type = Type::Null;
    qint64 integer = 0;
    double real = 0;
    QByteArrayView bytes; // a text's or blob's, a text in the file's encoding
};

// Splits a record into its values, whose bytes point into the record; false
// when the bytes are no well-formed record.
bool parseRecord(QByteArrayView record, std::vector<StoredValue>* values);

enum class TextEncoding { Utf8, Utf16le, Utf16be };

enum class PageKind : quint8 { Other, TableInterior, TableLeaf, IndexInterior, IndexLeaf };

// The rowids lowest..highest, both included.
struct RowidRange {
    qint64 lowest = std::numeric_limits<qint64>::min();
    qint64 highest = std::numeric_limits<qint64>::max();

    bool contains(qint64 rowid) const { return lowest <= rowid && rowid <= highest; }
    quint64 width() const { return quint64(highest) - quint64(lowest); }
};

// A child of a table's interior page and the highest rowid under it.
struct ChildPage {
    quint32 page = 0;
    RowidRange rowids;
};

// The database file, read a page at a time. When its header does not read
// (no SQLite file's start, or page sizes that cannot be), the page size is
// the power of two 512..65536 under which most pages read as b-tree pages,
// the file's size a multiple of it; no bytes are taken as reserved, the
// freelist is unknown, and the text encoding is that of the schema's first
// text.
class DatabaseFile {
public:
    // Throws solvek::Exception with the system's reason when the file cannot
    // be opened or read.
    explicit DatabaseFile(const QString& path);

    bool headerReadable() const { return m_headerReadable; }
    int pageSize() const { return m_pageSize; }
    int usableSize() const { return m_usableSize; }
    quint32 pageCount() const { return m_pageCount; }
    TextEncoding encoding() const { return m_encoding; }

    // Reads the page, numbered from 1; false when it cannot be read.
    bool readPage(quint32 number, QByteArray* bytes) const;
    // What the page reads as; a page whose header or cell pointers are out of
    // bounds, or a table interior page whose cells do not read (a child that
    // is no page of the file, keys that do not rise), is Other.
    PageKind kindOf(quint32 number, QByteArrayView bytes) const;
    // The children of a table interior page in rowid order, the right-most
    // child last, within the given range; empty when the page is none.
    std::vector<ChildPage> childrenOf(quint32 number, QByteArrayView bytes,
                                      const RowidRange& within) const;
    // The pages on the freelist, trunks and leaves, by number; none when the
    // header does not read.
    std::vector<bool> freelistPages() const;

    // The value as text: a text decoded, a number written out, else empty.
    QString text(const StoredValue& value) const;
    // Whether the value is exactly that text.
    bool textIs(const StoredValue& value, QLatin1StringView expected) const;

private:
    bool readHeader(QByteArrayView header, qint64 fileSize);
    int guessPageSize(qint64 fileSize);
    TextEncoding guessEncoding() const;

    mutable QFile m_file;
    bool m_headerReadable = false;
    int m_pageSize = 0;
    int m_usableSize = 0;
    quint32 m_pageCount = 0;
    quint32 m_firstFreelistTrunk = 0;
    TextEncoding m_encoding = TextEncoding::Utf8;
};

// Calls readRow with the rowid and values of each cell of a table leaf page
// that parses cleanly, overflow pages included; the values last only for the
// call. Answers false when the page does not read as a table leaf.
using RowReader = std::function<void(qint64 rowid, const std::vector<StoredValue>& values)>;
bool forEachRow(const DatabaseFile& file, quint32 page, const RowReader& readRow);

// What each page reads as, by number (index 0 unused). Calls everyFewPages
// every few hundred pages; what it throws ends the walk.
std::vector<PageKind> mapPages(const DatabaseFile& file,
                               const std::function<void()>& everyFewPages);

// A leaf of a table's tree, with the rowids its place in the tree allows.
struct LeafSlot {
    quint32 page = 0;
    RowidRange rowids;
};

// A table's tree as far as it reads: its leaves in rowid order, and the rowid
// ranges under children that do not read as its pages (damaged, or reached
// twice).
struct TableTree {
    std::vector<LeafSlot> leaves;
    std::vector<RowidRange> holes;
};
TableTree walkTableTree(const DatabaseFile& file, const std::vector<PageKind>& kinds, quint32 root);

// A row of the schema table.
struct SchemaEntry {
    QString type;
    QString name;
    QString tableName;
    qint64 rootPage = 0;
};

// The schema table's rows that read, and its tree.
struct Schema {
    std::vector<SchemaEntry> entries;
    TableTree tree;
};
Schema readSchema(const DatabaseFile& file, const std::vector<PageKind>& kinds);

} // namespace dbpages
