#include "ListWindowParts.h"

#include "DatabaseTrouble.h"
#include "ListRowsModel.h"
#include "Unit_Win7Taskbar.h"
#include "VistaProBar.h"

#include "UntForms.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>

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

void setEveryNodeImage(QTreeWidget* tree, int index, const QList<QIcon>& images)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        setNodeImage(*it, index, images);
}

QTreeWidget* createViewTree(QWidget* window)
{
    auto* tree = new QTreeWidget(window);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    return tree;
}

QToolButton* addTreeButton(QWidget* panel, const QString& icon, const QString& toolTip)
{
    constexpr int width = 26;
    constexpr int height = 27;
    const int left =
        int(panel->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly).size()) * width;
    auto* button = new QToolButton(panel);
    button->setIcon(QIcon(icon));
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    button->setGeometry(left, 0, width, height);
    panel->setFixedSize(left + width, height);
    return button;
}

QWidget* createBottomPanel(QWidget* window)
{
    auto* panel = new QWidget(window);
    panel->setFixedHeight(41);
    return panel;
}

QToolButton* createPanelButton(QWidget* panel, const QString& caption)
{
    auto* button = new QToolButton(panel);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    button->setFixedSize(117, 30);
    return button;
}

TVistaProBar* createListProgressBar(QWidget* panel)
{
    auto* bar = new TVistaProBar(panel);
    bar->setGeometry(4, 4, 493, 33);
    bar->setColor(QColor(0, 255, 0));
    bar->setPercentage(true);
    bar->setShowPosText(true);
    bar->hide();
    return bar;
}

void layOutListViews(const QWidget* window, const ListWindowViews& views)
{
    const int width = window->width();
    const int height = window->height();
    const int bottomHeight = views.pbottom->height();
    views.pbottom->setGeometry(0, height - bottomHeight, width, bottomHeight);
    views.Image1->setGeometry(0, 0, width, bottomHeight);
    views.tree->setGeometry(4, 4, 165, height - 8 - bottomHeight);
    const QRect tree = views.tree->geometry();
    const int listLeft = tree.right() + 1 + 4;
    views.lst->setGeometry(listLeft, 4, width - 4 - listLeft, tree.height());
    views.ptree->move(tree.right() + 1 - views.ptree->width(),
                      tree.bottom() + 1 - views.ptree->height());
    views.ptree->raise();
}

void startViewThread(TThread* thread)
{
    thread->setFreeOnTerminate(true);
    thread->setPriority(tpHighest);
    thread->Resume();
}

QModelIndex TReportList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (action == MoveHome || action == MoveEnd)
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
}

void setUpReportList(QTableView* list, TListRowsModel* rows, bool showHeaders)
{
    list->setModel(rows);
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

void beginListFill(QTreeWidget* tree, TListRowsModel* list, TVistaProBar* bar, int rows)
{
    tree->setEnabled(false);
    list->clear();
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
    } catch (const std::exception& error) {
        tellFailure(error);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

bool synchronizeIfCurrent(const std::function<bool()>& current, const std::function<void()>& step,
                          TThread::StepKind kind)
{
    bool ran = false;
    TThread::Synchronize(
        [&] {
            ran = current();
            if (ran)
                step();
        },
        kind);
    return ran;
}

void showRowsInSteps(const TThread& worker, const std::function<bool()>& current,
                     ViewFillTarget& target, const TListRows& rows)
{
    const int count = rows.rowCount();
    const int perStep = rowsPerStep(count);
    for (int first = 0; first < count && !worker.Terminated(); first += perStep) {
        const int end = std::min(count, first + perStep);
        if (!synchronizeIfCurrent(current, [&] { target.addRows(rows, first, end); }))
            return;
    }
}
