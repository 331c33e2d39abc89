#pragma once

// What the hosts manager and the probe log viewer share: tree nodes that
// carry an image index, list rows in alternating colours, and the progress
// steps of the threads that fill them (the window's own bar and the taskbar).

#include <QColor>
#include <QIcon>
#include <QList>
#include <QStyledItemDelegate>

#include <functional>

class QTableWidget;
class QTreeWidgetItem;
class TVistaProBar;

// White for even row indexes, light grey (red 249, green 247, blue 244) for odd ones.
QColor listRowColor(int row);

// Fills each row's background with the colour the window gives for its index;
// the default drawing follows.
class TRowColorDelegate : public QStyledItemDelegate {
public:
    TRowColorDelegate(std::function<QColor(int row)> rowColor, QObject* parent);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    std::function<QColor(int row)> m_rowColor;
};

// A node's image (and selected image) as an index into the window's images.
int nodeImage(const QTreeWidgetItem* node);
void setNodeImage(QTreeWidgetItem* node, int index, const QList<QIcon>& images);

// The list view in report style both windows use: whole rows, several
// selectable, read-only, grid lines, the last column taking the rest.
void setUpReportList(QTableWidget* list, const QStringList& columns, bool showHeaders);

// The progress steps of a list-filling thread, run on the window thread.
// Set-up: bar shown at 0 of rows, taskbar state normal.
void beginListProgress(TVistaProBar* bar, int rows);
// One step: bar and taskbar at row of rows.
void stepListProgress(TVistaProBar* bar, int row, int rows);
// End: bar back to 0 and hidden.
void hideListProgress(TVistaProBar* bar);

// Rows a list-filling thread adds per call to the window thread.
inline constexpr int RowsPerStep = 256;
