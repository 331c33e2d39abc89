#include "UntProbeLogs.h"

#include "ListWindowParts.h"
#include "Platform.h"
#include "UntForms.h"
#include "UntRefreshProbeList.h"
#include "UntRefreshProbeTreeThread.h"
#include "UntSqliteUtils.h"
#include "VistaProBar.h"

#include <QHeaderView>
#include <QLabel>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

TFrmProbe* FrmProbe = nullptr;

namespace {
constexpr int clientWidth = 502;
constexpr int clientHeight = 375;
} // namespace

TFrmProbe::TFrmProbe(QWidget* parent) : QDialog(parent)
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

    tree = new QTreeWidget(this);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated(false);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(tree, &QTreeWidget::itemDoubleClicked, this,
            [this] { runReported([this] { treeDblClick(); }); });

    lst = new QTableWidget(this);
    setUpReportList(lst, {QStringLiteral("Time"), QStringLiteral("Host")}, true);
    lst->setColumnWidth(0, 70);
    lst->setIconSize(QSize(16, 16));
    lst->setItemDelegate(
        new TRowColorDelegate([this](int row) { return lstAdvancedCustomDrawItem(row); }, lst));

    ptree = new QWidget(this);
    ptree->setFixedSize(26, 27);
    SpeedButton3 = new QToolButton(ptree);
    SpeedButton3->setIcon(QIcon(QStringLiteral(":/images/list_delete.png")));
    SpeedButton3->setToolTip(QStringLiteral("Delete this day"));
    SpeedButton3->setAutoRaise(true);
    SpeedButton3->setGeometry(0, 0, 26, 27);
    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { runReported([this] { SpeedButton3Click(); }); });

    pbottom = new QWidget(this);
    pbottom->setFixedHeight(41);
    Image1 = new QLabel(pbottom);
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/panel_background.png")));
    Image1->setScaledContents(true);

    btnrefresh = new QToolButton(pbottom);
    btnrefresh->setText(QStringLiteral("Refresh"));
    btnrefresh->setAutoRaise(true);
    btnrefresh->setFixedSize(117, 30);
    QFont bold = btnrefresh->font();
    bold.setBold(true);
    btnrefresh->setFont(bold);
    connect(btnrefresh, &QToolButton::clicked, this,
            [this] { runReported([this] { btnrefreshClick(); }); });

    p = new TVistaProBar(pbottom);
    p->setGeometry(4, 4, 493, 33);
    p->setColor(QColor(0, 255, 0));
    p->setPercentage(true);
    p->setShowPosText(true);
    p->hide();

    FormResize();
}

void TFrmProbe::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        runReported([this] { FormShow(); });
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
    lst->setRowCount(0);
    tree->setEnabled(true);
    hideListProgress(p);
}

void TFrmProbe::refreshTree()
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        setNodeImage(*it, imgDay, img16);
    ++m_treeGeneration;
    auto* thread = new TRefreshProbeTree(this);
    thread->setPriority(tpHighest);
    thread->setFreeOnTerminate(true);
    thread->Resume();
}

void TFrmProbe::refreshList(const QString& day)
{
    ++m_listGeneration;
    auto* thread = new TRefreshProbeList(this);
    thread->setPriority(tpHighest);
    thread->setFreeOnTerminate(true);
    thread->setCurDate(day);
    thread->Resume();
}

void TFrmProbe::treeDblClick()
{
    QTreeWidgetItem* node = tree->currentItem();
    if (!node || nodeImage(node) == imgDayShown)
        return;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        setNodeImage(*it, imgDay, img16);
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
}

QColor TFrmProbe::lstAdvancedCustomDrawItem(int row) const
{
    return listRowColor(row);
}

void TFrmProbe::FormResize()
{
    const int width = this->width();
    const int height = this->height();
    pbottom->setGeometry(0, height - pbottom->height(), width, pbottom->height());
    Image1->setGeometry(0, 0, width, pbottom->height());
    tree->setGeometry(4, 4, 165, height - 8 - pbottom->height());
    const int listLeft = tree->geometry().right() + 1 + 4;
    lst->setGeometry(listLeft, 4, width - 4 - listLeft, tree->height());
    ptree->move(tree->geometry().right() + 1 - ptree->width(),
                tree->geometry().bottom() + 1 - ptree->height());
    ptree->raise();
    btnrefresh->move(width / 2 - btnrefresh->width() / 2, 7);
}
