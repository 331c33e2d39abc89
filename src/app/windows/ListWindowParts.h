#pragma once

// What the hosts manager and the probe log viewer share: their views and how
// they are placed, tree nodes that carry an image index, list rows in
// alternating colours, and the threads that fill tree and list: how they
// start, walk their rows batch by batch, and show progress on the window's own
// bar and the taskbar.

#include "TThread.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <functional>

class QLabel;
class TListRows;
class TListRowsModel;
class QToolButton;
class QTreeWidget;
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

// Every node's image (and selected image) set to one index.
void setEveryNodeImage(QTreeWidget* tree, int index, const QList<QIcon>& images);

// The tree view both windows have: no header, one column, read-only, whole rows.
QTreeWidget* createViewTree(QWidget* window);

// A flat 26 by 27 button placed right of the panel's other buttons; the
// panel takes their width.
QToolButton* addTreeButton(QWidget* panel, const QString& icon, const QString& toolTip);

// The bottom panel, 41 high, and a flat 117 by 30 text button on it.
QWidget* createBottomPanel(QWidget* window);
QToolButton* createPanelButton(QWidget* panel, const QString& caption);

// The progress bar over the bottom panel's buttons: lime, the position as a
// percentage, hidden until a thread fills a view.
TVistaProBar* createListProgressBar(QWidget* panel);

// The views both windows have, by the names the windows give them.
struct ListWindowViews {
    QWidget* pbottom;
    QLabel* Image1;
    QTreeWidget* tree;
    QTableView* lst;
    QWidget* ptree;
};
// The bottom panel along the bottom edge with its background, the tree on the
// left above it, the list 4 pixels right of the tree up to 4 pixels from the
// right edge, the tree's buttons in the tree's lower right corner.
void layOutListViews(const QWidget* window, const ListWindowViews& views);

// Starts a thread that fills a view as both windows start theirs: freeing
// itself when it ends, at the highest priority.
void startViewThread(TThread* thread);

// The list both windows show: a list of rows, so Home and End go to the first
// and last row, where a table would move along the current row's columns.
class TReportList : public QTableView {
public:
    using QTableView::QTableView;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

// The list view in report style both windows use, over the rows it shows:
// whole rows, several selectable, read-only, grid lines, the last column
// taking the rest.
void setUpReportList(QTableView* list, TListRowsModel* rows, bool showHeaders);

// The progress steps of a list-filling thread, run on the window thread.
// Set-up: bar shown at 0 of rows, taskbar state normal.
void beginListProgress(TVistaProBar* bar, int rows);
// One step: bar and taskbar at row of rows.
void stepListProgress(TVistaProBar* bar, int row, int rows);
// End: bar back to 0 and hidden.
void hideListProgress(TVistaProBar* bar);

// Set-up of a thread that fills the list: the tree disabled while the list is
// emptied and filled, and the progress shown.
void beginListFill(QTreeWidget* tree, TListRowsModel* list, TVistaProBar* bar, int rows);
// End: the tree enabled, the bar hidden, the taskbar without progress.
void endListFill(QTreeWidget* tree, TVistaProBar* bar);

// The window side of a thread that fills a view with rows. The generation is
// read on the thread; the other steps run on the window thread.
class ViewFillTarget {
public:
    virtual ~ViewFillTarget() = default;
    // Bumped each time the window starts a newer thread; older ones leave it alone.
    virtual int fillGeneration() const = 0;
    virtual void beginFill(int rows) = 0;
    // Adds rows first..end-1 of all the thread's rows.
    virtual void addRows(const TListRows& rows, int first, int end) = 0;
    // begun: whether this thread's beginFill ran.
    virtual void endFill(bool begun) = 0;
};

// Rows a list-filling thread adds per call to the window thread: at least
// RowsPerStep, and for long lists as many as make at most MostSteps calls, so a
// million rows do not cost thousands of round trips and repaints.
inline constexpr int RowsPerStep = 256;
inline constexpr int MostSteps = 16;
inline int rowsPerStep(int rows)
{
    return std::max(RowsPerStep, (rows + MostSteps - 1) / MostSteps);
}

// Runs work, then finish, also when work fails. The failure is then told to
// the user in a box (tellFailure) rather than ending the thread: a view
// whose read fails is never left empty without a word.
void runThenFinish(const std::function<void()>& work, const std::function<void()>& finish);

// Runs step on the window thread unless current, asked there first, answers
// false: the window has started a newer thread of the same kind. Answers
// whether step ran.
bool synchronizeIfCurrent(const std::function<bool()>& current, const std::function<void()>& step,
                          TThread::StepKind kind = TThread::StepKind::DisplayOnly);

// Adds the rows to the target on the window thread in steps (see
// rowsPerStep). Ends early once the window has moved on (see
// synchronizeIfCurrent) or the worker is asked to terminate.
void showRowsInSteps(const TThread& worker, const std::function<bool()>& current,
                     ViewFillTarget& target, const TListRows& rows);
