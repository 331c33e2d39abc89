#include "DatabaseFilePages.h"

#include "SolvekException.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>

namespace dbpages {

namespace {

constexpr int HeaderSize = 100;
constexpr char Magic[] = "SQLite format 3"; // and its terminating zero
constexpr int SmallestPageSize = 512;
constexpr int LargestPageSize = 65536;
// What is read of a file whose header does not read to find its page size:
// the same bytes under each size tried.
constexpr qint64 BytesTriedForSize = 4 << 20;
// SQLite's trees are never deeper; a deeper walk follows a loop of garbage.
constexpr int DeepestTree = 20;
constexpr quint32 PagesBetweenCalls = 256;

quint16 be16(const uchar* p)
{
    return qFromBigEndian<quint16>(p);
}

quint32 be32(const uchar* p)
{
    return qFromBigEndian<quint32>(p);
}

const uchar* bytesOf(QByteArrayView view)
{
    return reinterpret_cast<const uchar*>(view.data());
}

// Where a b-tree page's parts lie, once its header and cell pointers are
// found within bounds.
struct Layout {
    PageKind kind = PageKind::Other;
    int pointersAt = 0; // the cell pointer array's offset
    int cellCount = 0;
    quint32 rightmost = 0; // interior pages' right-most child

    int cell(QByteArrayView page, int index) const
    {
        return be16(bytesOf(page) + pointersAt + 2 * index);
    }
};

std::optional<Layout> layoutOf(QByteArrayView page, quint32 number, int usable)
{
    const int start = number == 1 ? HeaderSize : 0;
    if (page.size() < usable || usable < start + 12)
        return std::nullopt;
    const uchar* header = bytesOf(page) + start;
    constexpr std::pair<uchar, PageKind> Types[] = {{0x05, PageKind::TableInterior},
                                                    {0x0D, PageKind::TableLeaf},
                                                    {0x02, PageKind::IndexInterior},
                                                    {0x0A, PageKind::IndexLeaf}};
    const auto type = std::find_if(std::begin(Types), std::end(Types),
                                   [&](const auto& known) { return known.first == header[0]; });
    if (type == std::end(Types))
        return std::nullopt;
    Layout layout;
    layout.kind = type->second;
    const bool interior = header[0] == 0x05 || header[0] == 0x02;
    layout.cellCount = be16(header + 3);
    const int contentStart = be16(header + 5) == 0 ? LargestPageSize : be16(header + 5);
    layout.pointersAt = start + (interior ? 12 : 8);
    const int pointersEnd = layout.pointersAt + 2 * layout.cellCount;
    if (pointersEnd > contentStart || contentStart > usable)
        return std::nullopt;
    // Cells lie between the pointers and the end, each at least 4 bytes.
    for (int i = 0; i < layout.cellCount; ++i) {
        const int cell = layout.cell(page, i);
        if (cell < pointersEnd || cell > usable - 4)
            return std::nullopt;
    }
    if (interior)
        layout.rightmost = be32(header + 8);
    return layout;
}

// How much of a table leaf cell's payload lies on its page; the rest goes to
// overflow pages.
quint64 localPayloadSize(quint64 payloadSize, int usable)
{
    const quint64 most = quint64(usable) - 35;
    if (payloadSize <= most)
        return payloadSize;
    const quint64 least = quint64((usable - 12) * 32 / 255 - 23);
    const quint64 local = least + (payloadSize - least) % quint64(usable - 4);
    return local <= most ? local : least;
}

// The payload whose first `local` bytes lie at `onPage`, followed by the
// number of its first overflow page, gathered into `payload`.
bool readOverflowingPayload(const DatabaseFile& file, const uchar* onPage, quint64 local,
                            quint64 payloadSize, QByteArray* payload)
{
    const quint64 perPage = quint64(file.usableSize() - 4);
    quint64 remaining = payloadSize - local;
    if (remaining > quint64(file.pageCount()) * perPage)
        return false;
    payload->clear();
    payload->append(reinterpret_cast<const char*>(onPage), qsizetype(local));
    quint32 next = be32(onPage + local);
    QByteArray page;
    while (remaining > 0) {
        if (next < 2 || next > file.pageCount() || !file.readPage(next, &page))
            return false;
        const quint64 taken = std::min(remaining, perPage);
        payload->append(page.constData() + 4, qsizetype(taken));
        remaining -= taken;
        next = be32(bytesOf(page));
    }
    return true;
}

// The byte size of a value of that serial type; none for the two reserved.
std::optional<quint64> valueSize(quint64 serialType)
{
    static constexpr quint8 Fixed[] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0};
    if (serialType < 10)
        return Fixed[serialType];
    if (serialType < 12)
        return std::nullopt;
    return (serialType - 12) / 2;
}

StoredValue valueOf(quint64 serialType, const uchar* bytes, quint64 size)
{
    StoredValue value;
    if (serialType == 0)
        return value;
    if (serialType == 8 || serialType == 9) {
        value.type = StoredValue::Type::Integer;
        value.integer = qint64(serialType - 8);
        return value;
    }
    if (serialType >= 12) {
        value.type = serialType % 2 == 0 ? StoredValue::Type::Blob : StoredValue::Type::Text;
        value.bytes = QByteArrayView(reinterpret_cast<const char*>(bytes), qsizetype(size));
        return value;
    }
    // A big-endian two's complement number of `size` bytes.
    quint64 raw = bytes[0] & 0x80 ? ~quint64(0) : 0;
    for (quint64 i = 0; i < size; ++i)
        raw = (raw << 8) | bytes[i];
    if (serialType == 7) {
        value.type = StoredValue::Type::Real;
        std::memcpy(&value.real, &raw, sizeof raw);
    } else {
        value.type = StoredValue::Type::Integer;
        value.integer = qint64(raw);
    }
    return value;
}

// A text of ASCII in UTF-16 has a zero byte beside each character.
TextEncoding encodingOfText(QByteArrayView text)
{
    if (text.size() < 2 || text.size() % 2 != 0)
        return TextEncoding::Utf8;
    if (text[0] != 0 && text[1] == 0)
        return TextEncoding::Utf16le;
    if (text[0] == 0 && text[1] != 0)
        return TextEncoding::Utf16be;
    return TextEncoding::Utf8;
}

class TreeWalk {
public:
    TreeWalk(const DatabaseFile& file, const std::vector<PageKind>& kinds)
        : m_file(file), m_kinds(kinds), m_reached(kinds.size(), false)
    {}

    void visit(quint32 page, const RowidRange& rowids, int depth)
    {
        if (page == 0 || page >= m_kinds.size() || m_reached[page] || depth > DeepestTree) {
            m_tree.holes.push_back(rowids);
            return;
        }
        if (m_kinds[page] == PageKind::TableLeaf) {
            m_reached[page] = true;
            m_tree.leaves.push_back({page, rowids});
            return;
        }
        QByteArray bytes;
        if (m_kinds[page] != PageKind::TableInterior || !m_file.readPage(page, &bytes)) {
            m_tree.holes.push_back(rowids);
            return;
        }
        m_reached[page] = true;
        for (const ChildPage& child : m_file.childrenOf(page, bytes, rowids))
            visit(child.page, child.rowids, depth + 1);
    }

    TableTree tree() { return std::move(m_tree); }

private:
    const DatabaseFile& m_file;
    const std::vector<PageKind>& m_kinds;
    std::vector<bool> m_reached;
    TableTree m_tree;
};

} // namespace

int readVarint(const uchar* p, const uchar* end, quint64* value)
{
    quint64 result = 0;
    for (int i = 0; i < 8; ++i) {
        if (p + i >= end)
            return 0;
        result = (result << 7) | (p[i] & 0x7F);
        if ((p[i] & 0x80) == 0) {
            *value = result;
            return i + 1;
        }
    }
    // The ninth byte gives all its eight bits.
    if (p + 8 >= end)
        return 0;
    *value = (result << 8) | p[8];
    return 9;
}

bool parseRecord(QByteArrayView record, std::vector<StoredValue>* values)
{
    values->clear();
    const uchar* start = bytesOf(record);
    const uchar* end = start + record.size();
    quint64 headerSize = 0;
    const int headerSizeLength = readVarint(start, end, &headerSize);
    if (headerSizeLength == 0 || headerSize < quint64(headerSizeLength) ||
        headerSize > quint64(record.size()))
        return false;
    const uchar* headerEnd = start + headerSize;
    const uchar* body = headerEnd;
    for (const uchar* type = start + headerSizeLength; type < headerEnd;) {
        quint64 serialType = 0;
        const int length = readVarint(type, headerEnd, &serialType);
        const std::optional<quint64> size = valueSize(serialType);
        if (length == 0 || !size || *size > quint64(end - body))
            return false;
        type += length;
        values->push_back(valueOf(serialType, body, *size));
        body += *size;
    }
    return body == end;
}

DatabaseFile::DatabaseFile(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw solvek::Exception(m_file.errorString());
    const qint64 fileSize = m_file.size();
    QByteArray header(HeaderSize, '\0');
    const qint64 read = m_file.read(header.data(), HeaderSize);
    if (read < 0)
        throw solvek::Exception(m_file.errorString());
    header.truncate(read);
    m_headerReadable = readHeader(header, fileSize);
    if (m_headerReadable)
        return;
    m_pageSize = m_usableSize = guessPageSize(fileSize);
    m_pageCount = m_pageSize > 0 ? quint32(fileSize / m_pageSize) : 0;
    m_encoding = guessEncoding();
}

bool DatabaseFile::readHeader(QByteArrayView header, qint64 fileSize)
{
    const uchar* h = bytesOf(header);
    if (header.size() < HeaderSize || std::memcmp(h, Magic, sizeof Magic) != 0)
        return false;
    const int pageSize = be16(h + 16) == 1 ? LargestPageSize : be16(h + 16);
    const int reserved = h[20];
    // The payload fractions are fixed; other values are no header.
    if (pageSize < SmallestPageSize || pageSize > LargestPageSize ||
        (pageSize & (pageSize - 1)) != 0 || pageSize - reserved < 480 || h[21] != 64 ||
        h[22] != 32 || h[23] != 32)
        return false;
    m_pageSize = pageSize;
    m_usableSize = pageSize - reserved;
    m_pageCount = quint32(fileSize / pageSize);
    m_firstFreelistTrunk = be32(h + 32);
    const quint32 encoding = be32(h + 56);
    m_encoding = encoding == 2   ? TextEncoding::Utf16le
                 : encoding == 3 ? TextEncoding::Utf16be
                                 : TextEncoding::Utf8;
    return true;
}

int DatabaseFile::guessPageSize(qint64 fileSize)
{
    int best = 0;
    quint32 mostPagesRead = 0;
    QByteArray bytes;
    for (int size = SmallestPageSize; size <= LargestPageSize; size *= 2) {
        if (fileSize < size || fileSize % size != 0)
            continue;
        m_pageSize = m_usableSize = size;
        m_pageCount = quint32(fileSize / size);
        quint32 pagesRead = 0;
        const quint32 pagesTried = quint32(std::min(fileSize, BytesTriedForSize) / size);
        for (quint32 page = 1; page <= pagesTried; ++page)
            if (readPage(page, &bytes) && kindOf(page, bytes) != PageKind::Other)
                ++pagesRead;
        if (pagesRead > mostPagesRead) {
            best = size;
            mostPagesRead = pagesRead;
        }
    }
    return best;
}

TextEncoding DatabaseFile::guessEncoding() const
{
    // The schema's first row starts with its type, "table" or "index".
    std::optional<TextEncoding> found;
    const auto firstText = [&](qint64, const std::vector<StoredValue>& values) {
        for (const StoredValue& value : values)
            if (!found && value.type == StoredValue::Type::Text)
                found = encodingOfText(value.bytes);
    };
    QByteArray bytes;
    if (m_pageCount == 0 || !readPage(1, &bytes))
        return TextEncoding::Utf8;
    if (kindOf(1, bytes) == PageKind::TableInterior) {
        const std::vector<ChildPage> children = childrenOf(1, bytes, {});
        if (!children.empty())
            forEachRow(*this, children.front().page, firstText);
    } else {
        forEachRow(*this, 1, firstText);
    }
    return found.value_or(TextEncoding::Utf8);
}

bool DatabaseFile::readPage(quint32 number, QByteArray* bytes) const
{
    if (number == 0 || number > m_pageCount)
        return false;
    bytes->resize(m_pageSize);
    return m_file.seek(qint64(number - 1) * m_pageSize) &&
           m_file.read(bytes->data(), m_pageSize) == m_pageSize;
}

PageKind DatabaseFile::kindOf(quint32 number, QByteArrayView bytes) const
{
    const std::optional<Layout> layout = layoutOf(bytes, number, m_usableSize);
    if (!layout)
        return PageKind::Other;
    if (layout->kind == PageKind::TableInterior && childrenOf(number, bytes, {}).empty())
        return PageKind::Other;
    return layout->kind;
}

std::vector<ChildPage> DatabaseFile::childrenOf(quint32 number, QByteArrayView bytes,
                                                const RowidRange& within) const
{
    const std::optional<Layout> layout = layoutOf(bytes, number, m_usableSize);
    if (!layout || layout->kind != PageKind::TableInterior)
        return {};
    const auto isPage = [&](quint32 page) { return page != 0 && page <= m_pageCount; };
    const uchar* end = bytesOf(bytes) + m_usableSize;
    std::vector<ChildPage> children;
    // Each cell's key is the highest rowid under its child; keys rise.
    std::optional<qint64> previousKey;
    qint64 lowest = within.lowest;
    bool rangeUsedUp = false; // a key reached the range's end: later children hold none of it
    for (int i = 0; i < layout->cellCount; ++i) {
        const uchar* cell = bytesOf(bytes) + layout->cell(bytes, i);
        quint64 key = 0;
        const quint32 child = be32(cell);
        if (!isPage(child) || readVarint(cell + 4, end, &key) == 0 ||
            (previousKey && qint64(key) <= *previousKey))
            return {};
        previousKey = qint64(key);
        if (rangeUsedUp)
            continue;
        const qint64 highest = std::min(qint64(key), within.highest);
        if (lowest <= highest)
            children.push_back({child, {lowest, highest}});
        if (highest >= within.highest)
            rangeUsedUp = true;
        else
            lowest = std::max(lowest, highest + 1);
    }
    if (!isPage(layout->rightmost))
        return {};
    if (!rangeUsedUp)
        children.push_back({layout->rightmost, {lowest, within.highest}});
    return children;
}

std::vector<bool> DatabaseFile::freelistPages() const
{
    std::vector<bool> free(m_pageCount + 1, false);
    if (!m_headerReadable)
        return free;
    const quint32 mostLeaves = quint32(m_usableSize / 4 - 2);
    QByteArray trunk;
    for (quint32 page = m_firstFreelistTrunk; page >= 2 && page <= m_pageCount && !free[page];) {
        free[page] = true;
        if (!readPage(page, &trunk))
            break;
        const uchar* bytes = bytesOf(trunk);
        const quint32 leaves = be32(bytes + 4);
        if (leaves > mostLeaves)
            break;
        for (quint32 i = 0; i < leaves; ++i) {
            const quint32 leaf = be32(bytes + 8 + 4 * i);
            if (leaf >= 2 && leaf <= m_pageCount)
                free[leaf] = true;
        }
        page = be32(bytes);
    }
    return free;
}

QString DatabaseFile::text(const StoredValue& value) const
{
    switch (value.type) {
    case StoredValue::Type::Null:
        return {};
    case StoredValue::Type::Integer:
        return QString::number(value.integer);
    case StoredValue::Type::Real:
        return QString::number(value.real, 'g', 15);
    case StoredValue::Type::Text:
    case StoredValue::Type::Blob:
        break;
    }
    if (m_encoding == TextEncoding::Utf8)
        return QString::fromUtf8(value.bytes);
    QString text(value.bytes.size() / 2, Qt::Uninitialized);
    if (m_encoding == TextEncoding::Utf16le)
        qFromLittleEndian<char16_t>(value.bytes.data(), text.size(), text.data());
    else
        qFromBigEndian<char16_t>(value.bytes.data(), text.size(), text.data());
    return text;
}

bool DatabaseFile::textIs(const StoredValue& value, QLatin1StringView expected) const
{
    if (value.type != StoredValue::Type::Text)
        return false;
    if (m_encoding == TextEncoding::Utf8)
        return value.bytes == QByteArrayView(expected.data(), expected.size());
    if (value.bytes.size() != 2 * expected.size())
        return false;
    const uchar* bytes = bytesOf(value.bytes);
    const bool little = m_encoding == TextEncoding::Utf16le;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const char16_t unit = little ? qFromLittleEndian<char16_t>(bytes + 2 * i)
                                     : qFromBigEndian<char16_t>(bytes + 2 * i);
        if (unit != expected[i].unicode())
            return false;
    }
    return true;
}

bool forEachRow(const DatabaseFile& file, quint32 number, const RowReader& readRow)
{
    QByteArray page;
    if (!file.readPage(number, &page))
        return false;
    const int usable = file.usableSize();
    const std::optional<Layout> layout = layoutOf(page, number, usable);
    if (!layout || layout->kind != PageKind::TableLeaf)
        return false;
    const uchar* end = bytesOf(page) + usable;
    std::vector<StoredValue> values;
    QByteArray overflowing;
    for (int i = 0; i < layout->cellCount; ++i) {
        const uchar* cell = bytesOf(page) + layout->cell(page, i);
        quint64 payloadSize = 0;
        quint64 rowid = 0;
        const int sizeLength = readVarint(cell, end, &payloadSize);
        const int rowidLength = sizeLength ? readVarint(cell + sizeLength, end, &rowid) : 0;
        if (rowidLength == 0)
            continue;
        const uchar* payload = cell + sizeLength + rowidLength;
        const quint64 local = localPayloadSize(payloadSize, usable);
        const quint64 onPage = local + (local < payloadSize ? 4 : 0);
        if (onPage > quint64(end - payload))
            continue;
        QByteArrayView record(reinterpret_cast<const char*>(payload), qsizetype(local));
        if (local < payloadSize) {
            if (!readOverflowingPayload(file, payload, local, payloadSize, &overflowing))
                continue;
            record = overflowing;
        }
        if (parseRecord(record, &values))
            readRow(qint64(rowid), values);
    }
    return true;
}

std::vector<PageKind> mapPages(const DatabaseFile& file, const std::function<void()>& everyFewPages)
{
    std::vector<PageKind> kinds(file.pageCount() + 1, PageKind::Other);
    QByteArray bytes;
    for (quint32 page = 1; page <= file.pageCount(); ++page) {
        if (page % PagesBetweenCalls == 0)
            everyFewPages();
        if (file.readPage(page, &bytes))
            kinds[page] = file.kindOf(page, bytes);
    }
    return kinds;
}

TableTree walkTableTree(const DatabaseFile& file, const std::vector<PageKind>& kinds, quint32 root)
{
    TreeWalk walk(file, kinds);
    walk.visit(root, {}, 0);
    return walk.tree();
}

Schema readSchema(const DatabaseFile& file, const std::vector<PageKind>& kinds)
{
    Schema schema;
    schema.tree = walkTableTree(file, kinds, 1);
    for (const LeafSlot& leaf : schema.tree.leaves)
        forEachRow(file, leaf.page, [&](qint64 rowid, const std::vector<StoredValue>& values) {
            if (!leaf.rowids.contains(rowid) || values.size() < 4 ||
                values[3].type != StoredValue::Type::Integer)
                return;
            schema.entries.push_back({file.text(values[0]), file.text(values[1]),
                                      file.text(values[2]), values[3].integer});
        });
    return schema;
}

} // namespace dbpages
