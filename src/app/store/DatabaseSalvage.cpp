#include "DatabaseSalvage.h"

#include "DatabaseFilePages.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

using namespace dbpages;

namespace {

enum Table { Categories, Hosts, Probe, TableCount };

using StopCheck = std::function<void()>;

bool isDigits(const QString& text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A row of categories or hosts: its last column says whose it is.
bool isFlaggedRow(const DatabaseFile& file, const std::vector<StoredValue>& values)
{
    return values.size() == 3 && (file.textIs(values[2], QLatin1StringView("N")) ||
                                  file.textIs(values[2], QLatin1StringView("Y")));
}

// A probe record: its date and time are digits.
bool isProbeRow(const DatabaseFile& file, const std::vector<StoredValue>& values)
{
    return values.size() == 3 && isDigits(file.text(values[0])) && isDigits(file.text(values[1]));
}

// The program creates its tables in this order, so in a file it made their
// roots are pages 2, 3 and 4.
struct UserTable {
    QLatin1StringView name;
    quint32 rootInProgramFiles;
    bool (*hasShape)(const DatabaseFile&, const std::vector<StoredValue>&);
};

const std::array<UserTable, TableCount> UserTables = {{
    {QLatin1StringView("categories"), 2, isFlaggedRow},
    {QLatin1StringView("hosts"), 3, isFlaggedRow},
    {QLatin1StringView("probe"), 4, isProbeRow},
}};

// A leaf that fits the rowid gaps of several tables goes to the tightest gap;
// of equal ones (roots lost in two tables) to hosts, which spans most pages.
constexpr std::array<Table, TableCount> PlacementOrder = {Hosts, Probe, Categories};

// The table's root as the schema names it; where the schema does not, the
// page the program gives it, unless the schema gives that page to another.
quint32 rootOf(const Schema& schema, const UserTable& table)
{
    bool rootTaken = false;
    for (const SchemaEntry& entry : schema.entries) {
        if (entry.type == QLatin1StringView("table") &&
            entry.name.compare(table.name, Qt::CaseInsensitive) == 0)
            return entry.rootPage > 0 && entry.rootPage <= std::numeric_limits<quint32>::max()
                       ? quint32(entry.rootPage)
                       : 0;
        rootTaken = rootTaken || entry.rootPage == table.rootInProgramFiles;
    }
    return rootTaken ? 0 : table.rootInProgramFiles;
}

// The leaves of each table: those its tree reaches, and those no tree reaches
// placed in the gap of rowids they fit.
class LeafPlacement {
public:
    LeafPlacement(const DatabaseFile& file, const StopCheck& checkStop)
        : m_file(file), m_kinds(mapPages(file, checkStop)), m_taken(file.freelistPages())
    {
        const Schema schema = readSchema(file, m_kinds);
        take(schema.tree);
        for (int table = 0; table < TableCount; ++table) {
            m_trees[table] = walkTableTree(file, m_kinds, rootOf(schema, UserTables[table]));
            take(m_trees[table]);
        }
        // Other tables' leaves are theirs, not the user's.
        for (const SchemaEntry& entry : schema.entries)
            if (entry.type == QLatin1StringView("table") && entry.rootPage > 0 &&
                entry.rootPage < qint64(m_kinds.size()))
                take(walkTableTree(file, m_kinds, quint32(entry.rootPage)));
        placeUnreachedLeaves(checkStop);
    }

    const std::vector<LeafSlot>& leavesOf(Table table) const { return m_trees[table].leaves; }

private:
    void take(const TableTree& tree)
    {
        for (const LeafSlot& leaf : tree.leaves)
            m_taken[leaf.page] = true;
    }

    void placeUnreachedLeaves(const StopCheck& checkStop)
    {
        for (quint32 page = 1; page < m_kinds.size(); ++page) {
            if (page % 256 == 0)
                checkStop();
            if (m_kinds[page] == PageKind::TableLeaf && !m_taken[page])
                place(page);
        }
    }

    void place(quint32 page)
    {
        RowidRange held{std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()};
        std::array<bool, TableCount> shaped;
        shaped.fill(true);
        bool anyRow = false;
        forEachRow(m_file, page, [&](qint64 rowid, const std::vector<StoredValue>& values) {
            anyRow = true;
            held = {std::min(held.lowest, rowid), std::max(held.highest, rowid)};
            for (int table = 0; table < TableCount; ++table)
                shaped[table] = shaped[table] && UserTables[table].hasShape(m_file, values);
        });
        if (!anyRow)
            return;
        std::optional<Table> best;
        RowidRange bestGap;
        for (const Table table : PlacementOrder) {
            if (!shaped[table])
                continue;
            for (const RowidRange& gap : m_trees[table].holes)
                if (gap.lowest <= held.lowest && held.highest <= gap.highest &&
                    (!best || gap.width() < bestGap.width())) {
                    best = table;
                    bestGap = gap;
                }
        }
        if (best)
            m_trees[*best].leaves.push_back({page, bestGap});
    }

    const DatabaseFile& m_file;
    std::vector<PageKind> m_kinds;
    std::vector<bool> m_taken; // on the freelist, or a leaf of a tree
    std::array<TableTree, TableCount> m_trees;
};

struct Row {
    qint64 rowid = 0;
    std::array<QString, 3> columns;
};

// The rows on the leaves that `keep` accepts, once each, in rowid order.
std::vector<Row> readRows(const DatabaseFile& file, const std::vector<LeafSlot>& leaves,
                          const std::function<bool(const std::vector<StoredValue>&)>& keep,
                          const StopCheck& checkStop)
{
    std::vector<Row> rows;
    for (size_t i = 0; i < leaves.size(); ++i) {
        if (i % 256 == 255)
            checkStop();
        const LeafSlot& leaf = leaves[i];
        forEachRow(file, leaf.page, [&](qint64 rowid, const std::vector<StoredValue>& values) {
            if (!leaf.rowids.contains(rowid) || values.size() != 3 || !keep(values))
                return;
            rows.push_back(
                {rowid, {file.text(values[0]), file.text(values[1]), file.text(values[2])}});
        });
    }
    const auto byRowid = [](const Row& a, const Row& b) { return a.rowid < b.rowid; };
    std::stable_sort(rows.begin(), rows.end(), byRowid);
    const auto sameRowid = [](const Row& a, const Row& b) { return a.rowid == b.rowid; };
    rows.erase(std::unique(rows.begin(), rows.end(), sameRowid), rows.end());
    return rows;
}

// "Recovered category <id>", numbered further when a category has that name.
QString recoveredCategoryName(const QString& id, const QSet<QString>& names)
{
    QString name = QStringLiteral("Recovered category %1").arg(id);
    for (int n = 2; names.contains(name); ++n)
        name = QStringLiteral("Recovered category %1 (%2)").arg(id).arg(n);
    return name;
}

QSet<QString> categoryNames(TSQLiteDatabase& db)
{
    QSet<QString> names;
    const auto table = db.GetTable(QStringLiteral("SELECT catname FROM categories;"));
    for (; !table->GetEOF(); table->Next())
        names.insert(table->FieldAsString(0));
    return names;
}

class UserDataWriter {
public:
    explicit UserDataWriter(TSQLiteDatabase& fresh)
        : m_db(fresh), m_addCategory(fresh.PrepareSQL(
                           QStringLiteral("INSERT INTO categories VALUES(?1, ?2, 'N');"))),
          m_addHost(fresh.PrepareSQL(QStringLiteral("INSERT INTO hosts VALUES(?1, ?2, 'N');"))),
          m_addRecord(fresh.PrepareSQL(QStringLiteral("INSERT INTO probe VALUES(?1, ?2, ?3);")))
    {}

    CarriedOver write(const std::vector<Row>& categories, const std::vector<Row>& hosts,
                      const std::vector<Row>& records)
    {
        CarriedOver carried;
        QSet<QString> names = categoryNames(m_db);
        QSet<QString> ids;
        for (const Row& category : categories) {
            addCategory(category.columns[0], category.columns[1]);
            names.insert(category.columns[1]);
            ids.insert(category.columns[0]);
            ++carried.categories;
        }
        QStringList lostIds;
        for (const Row& host : hosts) {
            run(m_addHost, {&host.columns[0], &host.columns[1]});
            if (!ids.contains(host.columns[0]) && !lostIds.contains(host.columns[0]))
                lostIds.append(host.columns[0]);
            ++carried.hosts;
        }
        for (const QString& id : std::as_const(lostIds)) {
            const QString name = recoveredCategoryName(id, names);
            addCategory(id, name);
            names.insert(name);
            ++carried.categories;
        }
        for (const Row& record : records) {
            run(m_addRecord, {&record.columns[0], &record.columns[1], &record.columns[2]});
            ++carried.probeRecords;
        }
        return carried;
    }

private:
    void addCategory(const QString& id, const QString& name) { run(m_addCategory, {&id, &name}); }

    void run(const TSQLiteQuery& query, std::initializer_list<const QString*> values)
    {
        int index = 1;
        for (const QString* value : values)
            m_db.BindSQL(query, index++, *value);
        m_db.ExecSQL(query);
    }

    TSQLiteDatabase& m_db;
    TSQLiteQuery m_addCategory;
    TSQLiteQuery m_addHost;
    TSQLiteQuery m_addRecord;
};

} // namespace

CarriedOver carryUserData(const QString& damagedPath, TSQLiteDatabase& fresh,
                          const std::atomic_bool& stop)
{
    const StopCheck checkStop = [&] {
        if (stop)
            throw SalvageStopped();
    };
    const DatabaseFile file(damagedPath);
    const LeafPlacement leaves(file, checkStop);
    const auto usersOwn = [&](const std::vector<StoredValue>& values) {
        return file.textIs(values[2], QLatin1StringView("N"));
    };
    const std::vector<Row> categories =
        readRows(file, leaves.leavesOf(Categories), usersOwn, checkStop);
    const std::vector<Row> hosts = readRows(file, leaves.leavesOf(Hosts), usersOwn, checkStop);
    const std::vector<Row> records = readRows(
        file, leaves.leavesOf(Probe), [](const auto&) { return true; }, checkStop);
    checkStop();

    fresh.BeginTransaction();
    const CarriedOver carried = UserDataWriter(fresh).write(categories, hosts, records);
    fresh.Commit();
    return carried;
}
