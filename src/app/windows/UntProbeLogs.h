#pragma once

// The probe log viewer: the days that have probe records, newest first, and
// the records of the opened day, newest first; Refresh, and delete a day.

#include "ListWindowParts.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QString>

#include <atomic>
#include <memory>

class QLabel;
class QTableView;
class TListRowsModel;
class QToolButton;
class QTreeWidget;
class TVistaProBar;

class TFrmProbe : public QDialog {
    Q_OBJECT

public:
    // Images by index: a day, a record row, the day on display.
    enum Img16Index { imgDay = 0, imgRecord = 1, imgDayShown = 2 };

    explicit TFrmProbe(QWidget* parent = nullptr);
    ~TFrmProbe() override;

    QTreeWidget* tree = nullptr;
    QTableView* lst = nullptr;
    TListRowsModel* lstRows = nullptr; // what lst shows
    QWidget* pbottom = nullptr;
    QLabel* Image1 = nullptr;
    QToolButton* btnrefresh = nullptr;
    TVistaProBar* p = nullptr;
    QWidget* ptree = nullptr;
    QToolButton* SpeedButton3 = nullptr; // deletes the selected day
    QList<QIcon> img16;

    // Handlers, public so tests drive them as the user would.
    void treeDblClick();
    void btnrefreshClick();
    void SpeedButton3Click();
    // The background of a list row about to be drawn.
    QColor lstAdvancedCustomDrawItem(int row) const;

    // Starts the thread that rebuilds the day tree.
    void refreshTree();
    // Starts the thread that lists the records of a day ("dd/mm/yyyy").
    void refreshList(const QString& day);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void FormResize();
    void createComponents();
    // Empties list and tree.
    void clearViews();
    // Empties the list and forgets a list still loading.
    void forgetList();
    // The day on display becomes the tree's current node; none when none is shown.
    void selectDayOnDisplay();

    // What the tree and list threads fill; each counts the threads started,
    // so older ones leave the window alone.
    class DayTree;
    class RecordList;
    std::atomic<int> m_treeGeneration{0};
    std::atomic<int> m_listGeneration{0};
    std::unique_ptr<ViewFillTarget> m_days;
    std::unique_ptr<ViewFillTarget> m_records;
};

extern TFrmProbe* FrmProbe;
