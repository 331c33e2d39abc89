#include "UntProbeLogs.h"

#include "ListRowsModel.h"
#include "ListWindowParts.h"
#include "Platform.h"
#include "Unit_Win7Taskbar.h"
#include "UntForms.h"
#include "UntRefreshProbeList.h"
#include "UntRefreshProbeTreeThread.h"
#include "UntSqliteUtils.h"
#include "VistaProBar.h"

#include <QLabel>
#include <QShowEvent>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

TFrmProbe* FrmProbe = nullptr;

namespace {
constexpr int clientWidth = 502;
constexpr int clientHeight = 375;
} // namespace

class TFrmProbe::DayTree : public ViewFillTarget {
public:
    explicit DayTree(TFrmProbe& window) : w(window) {}
    int fillGeneration() const override { return w.m_treeGeneration.load(); }
    void beginFill(int rows) override
    {
        beginListProgress(w.p, rows);
        w.tree->clear();
    }
    void addRows(const TListRows& days, int first, int end) override
    {
        for (int row = first; row < end; ++row)
            setNodeImage(new QTreeWidgetItem(w.tree, {days.cell(row, 0).toString()}), imgDay,
                         w.img16);
        stepListProgress(w.p, end - 1, days.rowCount());
    }
    void endFill(bool begun) override
    {
        setTaskbarState(0);
        if (begun)
            hideListProgress(w.p);
    }

private:
    TFrmProbe& w;
};

class TFrmProbe::RecordList : public ViewFillTarget {
public:
    explicit RecordList(TFrmProbe& window) : w(window) {}
    int fillGeneration() const override { return w.m_listGeneration.load(); }
    void beginFill(int rows) override { beginListFill(w.tree, w.lstRows, w.p, rows); }
    void addRows(const TListRows& records, int first, int end) override
    {
        w.lstRows->appendRows(records, first, end);
        stepListProgress(w.p, end - 1, records.rowCount());
    }
    void endFill(bool /*begun*/) override { endListFill(w.tree, w.p); }

private:
    TFrmProbe& w;
};

TFrmProbe::TFrmProbe(QWidget* parent)
    : QDialog(parent), m_days(std::make_unique<DayTree>(*this)),
      m_records(std::make_unique<RecordList>(*this))
{
    FrmProbe = this;
    initResources();
    setWindowTitle(QStringLiteral("Probe Logs"));
    setFont(windowFont());
    resize(clientWidth, clientHeight);
    setMinimumSize(360, 200);
    createComponents();
}

TFrmProbe::~TFrmProbe()
{
    if (FrmProbe == this)
        FrmProbe = nullptr;
}

void TFrmProbe::createComponents()
{
    for (const char* file :
         {":/images/log_day.png", ":/images/log_record.png", ":/images/log_day_shown.png"})
        img16.append(QIcon(QString::fromLatin1(file)));

    tree = createViewTree(this);
    tree->setRootIsDecorated(false);
    connectReported(tree, &QTreeWidget::itemDoubleClicked, this, &TFrmProbe::treeDblClick);

    lst = new TReportList(this);
    lstRows = new TListRowsModel({QStringLiteral("Time"), QStringLiteral("Host")}, lst);
    lstRows->setColumnIcon(0, img16.value(imgRecord));
    setUpReportList(lst, lstRows, true);
    lst->setColumnWidth(0, 70);
    lst->setIconSize(QSize(16, 16));
    lst->setItemDelegate(
        new TRowColorDelegate([this](int row) { return lstAdvancedCustomDrawItem(row); }, lst));

    ptree = new QWidget(this);
    SpeedButton3 = addTreeButton(ptree, QStringLiteral(":/images/list_delete.png"),
                                 QStringLiteral("Delete this day"));
    connectReported(SpeedButton3, &QToolButton::clicked, this, &TFrmProbe::SpeedButton3Click);

    pbottom = createBottomPanel(this);
    Image1 = createPanelBackground(pbottom);
    btnrefresh = createPanelButton(pbottom, QStringLiteral("Refresh"));
    QFont bold = btnrefresh->font();
    bold.setBold(true);
    btnrefresh->setFont(bold);
    connectReported(btnrefresh, &QToolButton::clicked, this, &TFrmProbe::btnrefreshClick);
    p = createListProgressBar(pbottom);

    FormResize();
}

void TFrmProbe::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    runUnlessSpontaneous(event, [this] { FormShow(); });
}

void TFrmProbe::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TFrmProbe::FormShow()
{
    clearViews();
    refreshTree();
}

void TFrmProbe::btnrefreshClick()
{
    clearViews();
    refreshTree();
}

void TFrmProbe::clearViews()
{
    forgetList();
    tree->clear();
}

void TFrmProbe::forgetList()
{
    // A list still loading stops touching the window; its end step is done here.
    ++m_listGeneration;
    lstRows->clear();
    tree->setEnabled(true);
    hideListProgress(p);
}

void TFrmProbe::refreshTree()
{
    setEveryNodeImage(tree, imgDay, img16);
    ++m_treeGeneration;
    startViewThread(new TRefreshProbeTree(m_days.get()));
}

void TFrmProbe::refreshList(const QString& day)
{
    ++m_listGeneration;
    auto* thread = new TRefreshProbeList(m_records.get());
    thread->setCurDate(day);
    startViewThread(thread);
}

void TFrmProbe::treeDblClick()
{
    QTreeWidgetItem* node = tree->currentItem();
    if (!node || nodeImage(node) == imgDayShown)
        return;
    setEveryNodeImage(tree, imgDay, img16);
    setNodeImage(node, imgDayShown, img16);
    refreshList(node->text(0));
}

void TFrmProbe::SpeedButton3Click()
{
    QTreeWidgetItem* node = tree->currentItem();
    if (!node)
        return;
    const int answer = platform::messageBox(
        nullptr,
        QStringLiteral("This action will definitively delete this day of log : \"%1\" and all it "
                       "content (host list), Are you sure ?")
            .arg(node->text(0)),
        QStringLiteral("Delete log"), platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer == platform::IDNO)
        return;
    execSQL(QStringLiteral("DELETE FROM probe WHERE date=:date;"),
            {{QStringLiteral(":date"), parseLogDate(node->text(0))}});
    if (nodeImage(node) == imgDayShown)
        forgetList();
    delete node;
    selectDayOnDisplay();
}

void TFrmProbe::selectDayOnDisplay()
{
    // Deleting a node moves the selection to a neighbour, which the list does
    // not show; the tree marks the day on display, or none.
    QTreeWidgetItem* shown = nullptr;
    for (int i = 0; i < tree->topLevelItemCount() && !shown; ++i)
        if (nodeImage(tree->topLevelItem(i)) == imgDayShown)
            shown = tree->topLevelItem(i);
    tree->setCurrentItem(shown);
    if (!shown)
        tree->clearSelection();
}

QColor TFrmProbe::lstAdvancedCustomDrawItem(int row) const
{
    return listRowColor(row);
}

void TFrmProbe::FormResize()
{
    layOutListViews(this, {pbottom, Image1, tree, lst, ptree});
    btnrefresh->move(width() / 2 - btnrefresh->width() / 2, 7);
}
