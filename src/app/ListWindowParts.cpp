#include "ListWindowParts.h"

#include "Unit_Win7Taskbar.h"
#include "VistaProBar.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTreeWidget>

namespace {
constexpr int ImageRole = Qt::UserRole + 1;
}

QColor listRowColor(int row)
{
    return row % 2 == 0 ? QColor(255, 255, 255) : QColor(249, 247, 244);
}

TRowColorDelegate::TRowColorDelegate(std::function<QColor(int row)> rowColor, QObject* parent)
    : QStyledItemDelegate(parent), m_rowColor(std::move(rowColor))
{}

void TRowColorDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->backgroundBrush = m_rowColor(index.row());
}

int nodeImage(const QTreeWidgetItem* node)
{
    const QVariant image = node->data(0, ImageRole);
    return image.isValid() ? image.toInt() : -1;
}

void setNodeImage(QTreeWidgetItem* node, int index, const QList<QIcon>& images)
{
    node->setData(0, ImageRole, index);
    node->setIcon(0, images.value(index));
}

void setUpReportList(QTableWidget* list, const QStringList& columns, bool showHeaders)
{
    list->setColumnCount(int(columns.size()));
    list->setHorizontalHeaderLabels(columns);
    list->horizontalHeader()->setVisible(showHeaders);
    list->horizontalHeader()->setStretchLastSection(true);
    list->horizontalHeader()->setHighlightSections(false);
    list->verticalHeader()->setVisible(false);
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
}

void beginListProgress(TVistaProBar* bar, int rows)
{
    bar->show();
    bar->raise();
    bar->setPosition(0);
    bar->setMax(rows);
    setTaskbarState(2);
}

void stepListProgress(TVistaProBar* bar, int row, int rows)
{
    bar->setPosition(row);
    setTaskbarProgress(row, rows);
}

void hideListProgress(TVistaProBar* bar)
{
    bar->setPosition(0);
    bar->hide();
}

void beginListFill(QTreeWidget* tree, QTableWidget* list, TVistaProBar* bar, int rows)
{
    tree->setEnabled(false);
    list->setRowCount(0);
    beginListProgress(bar, rows);
}

void endListFill(QTreeWidget* tree, TVistaProBar* bar)
{
    tree->setEnabled(true);
    hideListProgress(bar);
    setTaskbarState(0);
}

void runThenFinish(const std::function<void()>& work, const std::function<void()>& finish)
{
    try {
        work();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

bool synchronizeIfCurrent(const std::function<bool()>& current, const std::function<void()>& step)
{
    bool ran = false;
    TThread::Synchronize([&] {
        ran = current();
        if (ran)
            step();
    });
    return ran;
}
