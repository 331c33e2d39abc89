#include "ListRowsModel.h"

#include "SystemText.h"

QStringView TListRows::cell(int row, int column) const
{
    const qsizetype index = qsizetype(row) * m_columns + column;
    const qsizetype start = cellStart(index);
    return QStringView(m_text).sliced(start, m_ends[size_t(index)] - start);
}

void TListRows::reserve(int rows, qsizetype characters)
{
    m_text.reserve(m_text.size() + characters);
    m_ends.reserve(m_ends.size() + size_t(rows) * size_t(m_columns));
}

void TListRows::appendCell(QStringView text)
{
    m_text.append(text);
    m_ends.push_back(m_text.size());
}

void TListRows::appendUtf8Cell(QByteArrayView text)
{
    // Host names are plain ASCII: they append without a decoded copy.
    if (systemtext::isAscii(text))
        m_text.append(QLatin1StringView(text.data(), text.size()));
    else
        m_text.append(QString::fromUtf8(text));
    m_ends.push_back(m_text.size());
}

void TListRows::appendRows(const TListRows& other, int first, int end)
{
    Q_ASSERT(other.m_columns == m_columns);
    if (first >= end)
        return;
    if (m_ends.empty())
        reserve(other.rowCount(), other.m_text.size());
    const qsizetype firstCell = qsizetype(first) * m_columns;
    const qsizetype endCell = qsizetype(end) * m_columns;
    const qsizetype from = other.cellStart(firstCell);
    const qsizetype shift = m_text.size() - from;
    m_text.append(QStringView(other.m_text).sliced(from, other.m_ends[size_t(endCell) - 1] - from));
    for (qsizetype cell = firstCell; cell < endCell; ++cell)
        m_ends.push_back(other.m_ends[size_t(cell)] + shift);
}

void TListRows::removeLastRow()
{
    removeRows(rowCount() - 1, rowCount() - 1);
}

void TListRows::removeRows(int first, int last)
{
    const qsizetype firstCell = qsizetype(first) * m_columns;
    const qsizetype endCell = qsizetype(last + 1) * m_columns;
    const qsizetype from = cellStart(firstCell);
    const qsizetype removed = m_ends[size_t(endCell) - 1] - from;
    m_text.remove(from, removed);
    m_ends.erase(m_ends.begin() + firstCell, m_ends.begin() + endCell);
    for (auto end = m_ends.begin() + firstCell; end != m_ends.end(); ++end)
        *end -= removed;
}

void TListRows::clear()
{
    m_text = QString();
    m_ends = {};
}

TListRowsModel::TListRowsModel(const QStringList& headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(headers), m_icons(headers.size()),
      m_rows(int(headers.size()))
{}

void TListRowsModel::setColumnIcon(int column, const QIcon& icon)
{
    m_icons[column] = icon;
}

void TListRowsModel::appendRows(const TListRows& rows, int first, int end)
{
    if (first >= end)
        return;
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row + end - first - 1);
    m_rows.appendRows(rows, first, end);
    endInsertRows();
}

void TListRowsModel::removeRowList(const QList<int>& sortedRows)
{
    // Runs of consecutive rows, from the last one back, so indexes stay valid.
    for (qsizetype i = sortedRows.size(); i > 0;) {
        const int last = sortedRows[--i];
        int first = last;
        while (i > 0 && sortedRows[i - 1] == first - 1)
            first = sortedRows[--i];
        beginRemoveRows(QModelIndex(), first, last);
        m_rows.removeRows(first, last);
        endRemoveRows();
    }
}

void TListRowsModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int TListRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount();
}

int TListRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant TListRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::DecorationRole && !m_icons[index.column()].isNull())
        return m_icons[index.column()];
    return {};
}

QVariant TListRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
        return m_headers[section];
    return {};
}
