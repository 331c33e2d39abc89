#pragma once

// Rows of a list window held compactly: the texts of all cells one after
// another in one buffer and where each cell ends, so a list of a million hosts
// takes tens of megabytes and moves between threads without an object per cell.

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class TListRows {
public:
    explicit TListRows(int columns) : m_columns(columns) {}

    int columns() const { return m_columns; }
    int rowCount() const { return int(m_ends.size() / size_t(m_columns)); }
    QStringView cell(int row, int column) const;

    // Room for that many more rows holding that many more characters in all.
    void reserve(int rows, qsizetype characters);
    // Cells are appended row by row.
    void appendCell(QStringView text);
    void appendUtf8Cell(QByteArrayView text);
    // Appends rows first..end-1 of other, which has as many columns. Appended
    // into an empty list, the first slice makes room for all of other: a list
    // filled in slices grows once.
    void appendRows(const TListRows& other, int first, int end);
    void removeLastRow();
    // Removes rows first..last, keeping the rows after them.
    void removeRows(int first, int last);
    void clear();

private:
    qsizetype cellStart(qsizetype cell) const { return cell == 0 ? 0 : m_ends[size_t(cell) - 1]; }

    int m_columns;
    QString m_text;
    // The end of each cell in m_text.
    std::vector<qsizetype> m_ends;
};

// What a list view shows: rows with one text a column, a header a column, and
// optionally one icon for every cell of a column.
class TListRowsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    TListRowsModel(const QStringList& headers, QObject* parent);

    void setColumnIcon(int column, const QIcon& icon);

    // Appends rows first..end-1 of rows.
    void appendRows(const TListRows& rows, int first, int end);
    // Removes the rows at the given indexes, in ascending order without repeats.
    void removeRowList(const QList<int>& sortedRows);
    void clear();

    QString text(int row, int column) const { return m_rows.cell(row, column).toString(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const QStringList m_headers;
    QList<QIcon> m_icons;
    TListRows m_rows;
};
