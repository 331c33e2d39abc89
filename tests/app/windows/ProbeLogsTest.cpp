#include "AppTestSupport.h"
#include "ListKeys.h"
#include "ListRowsModel.h"
#include "ListWindowParts.h"
#include "Unit_Win7Taskbar.h"
#include "UntProbeLogs.h"
#include "UntRefreshProbeList.h"
#include "UntRefreshProbeTreeThread.h"
#include "VistaProBar.h"

#include <QMutex>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

namespace {

// Counts the showings of a widget.
class ShowCounter : public QObject {
public:
    int shown = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        shown += event->type() == QEvent::Show;
        return false;
    }
};

// The warnings Qt reports while the action runs (a thread ended by an
// exception reports one).
QStringList warningsDuring(const std::function<void()>& action)
{
    static QMutex mutex;
    static QStringList seen;
    {
        QMutexLocker lock(&mutex);
        seen.clear();
    }
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtWarningMsg)
                return;
            QMutexLocker lock(&mutex);
            seen << text;
        });
    action();
    qInstallMessageHandler(previous);
    QMutexLocker lock(&mutex);
    return seen;
}

} // namespace

class ProbeLogsTest : public DatabaseFixture {
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        InitializeTaskbarList();
        window = std::make_unique<TFrmProbe>();
        window->p->installEventFilter(&barShowings);
    }

    void TearDown() override
    {
        ASSERT_TRUE(waitUntil([&] { return endSteps() >= expectedEndSteps; }));
        ASSERT_TRUE(waitUntil(
            [] { return TRefreshProbeTree::live() == 0 && TRefreshProbeList::live() == 0; }));
        window.reset();
        releaseTaskbarList();
    }

    void record(const QString& date, const QString& time, const QString& host)
    {
        exec("INSERT INTO probe VALUES(:d, :t, :h);", {{":d", date}, {":t", time}, {":h", host}});
    }

    // Shows the window and waits for the day tree thread's end step.
    void showWithDays(int days)
    {
        window->show();
        ++expectedEndSteps;
        ASSERT_TRUE(waitUntil([&] {
            return endSteps() >= expectedEndSteps && window->tree->topLevelItemCount() == days;
        }));
    }

    QStringList days()
    {
        QStringList texts;
        for (int i = 0; i < window->tree->topLevelItemCount(); ++i)
            texts << window->tree->topLevelItem(i)->text(0);
        return texts;
    }

    QTreeWidgetItem* day(const QString& text)
    {
        const auto found = window->tree->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }

    void openDay(const QString& text)
    {
        window->tree->setCurrentItem(day(text));
        ++expectedEndSteps;
        window->treeDblClick();
        ASSERT_TRUE(waitUntil([&] { return endSteps() >= expectedEndSteps; }));
    }

    // The rows as "time|host".
    QStringList rows()
    {
        QStringList texts;
        for (int row = 0; row < window->lstRows->rowCount(); ++row)
            texts << window->lstRows->text(row, 0) + "|" + window->lstRows->text(row, 1);
        return texts;
    }

    std::unique_ptr<TFrmProbe> window;
    ShowCounter barShowings;
    int expectedEndSteps = 0;
};

TEST_F(ProbeLogsTest, NoRecordsLeaveTheTreeEmptyAndTheBarHidden)
{
    showWithDays(0);
    ++expectedEndSteps;
    window->btnrefreshClick();
    ASSERT_TRUE(waitUntil([&] { return endSteps() >= expectedEndSteps; }));
    EXPECT_TRUE(days().isEmpty());
    EXPECT_EQ(barShowings.shown, 0);
}

TEST_F(ProbeLogsTest, DaysAreNewestFirst)
{
    record("20130113", "1200", " a.com");
    record("20130201", "0800", " b.com");
    record("20121231", "2359", " c.com");
    record("20130113", "1300", " d.com");
    showWithDays(3);
    EXPECT_EQ(days(), (QStringList{"01/02/2013", "13/01/2013", "31/12/2012"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(nodeImage(window->tree->topLevelItem(i)), TFrmProbe::imgDay);
    EXPECT_FALSE(window->p->isVisibleTo(window.get()));
    EXPECT_GE(barShowings.shown, 1);
}

TEST_F(ProbeLogsTest, RecordsOfOneMinuteKeepTheOrderTheyArrivedIn)
{
    // Two hosts arriving alternately within a minute, each repeated: the first
    // arrival of each counts, minutes newest first, the same host in two
    // minutes twice.
    for (const char* host : {"z.com", "a.com", "z.com", "m.com", "a.com"})
        record("20130113", "0905", host);
    record("20130113", "0906", "a.com");
    record("20130113", "0904", "z.com");
    record("20130113", "0905", "b.com");
    showWithDays(1);

    openDay("13/01/2013");
    EXPECT_EQ(rows(), (QStringList{"09:06|a.com", "09:05|z.com", "09:05|a.com", "09:05|m.com",
                                   "09:05|b.com", "09:04|z.com"}));
}

TEST_F(ProbeLogsTest, RecordsOfADayNewestFirstIdenticalOnesOnce)
{
    record("20130113", "0905", " example.com");
    record("20130113", "1244", " other.com:8080");
    record("20130113", "0905", " example.com");
    record("20130113", "0001", "\"quoted\"");
    record("20130114", "2300", " next-day.com");
    showWithDays(2);

    openDay("13/01/2013");
    EXPECT_EQ(rows(),
              (QStringList{"12:44| other.com:8080", "09:05| example.com", "00:01|\"quoted\""}));
    EXPECT_EQ(nodeImage(day("13/01/2013")), TFrmProbe::imgDayShown);
    EXPECT_EQ(nodeImage(day("14/01/2013")), TFrmProbe::imgDay);
    EXPECT_TRUE(window->tree->isEnabled());
    EXPECT_FALSE(window->p->isVisibleTo(window.get()));

    openDay("14/01/2013");
    EXPECT_EQ(rows(), QStringList{"23:00| next-day.com"});
    EXPECT_EQ(nodeImage(day("13/01/2013")), TFrmProbe::imgDay);
    EXPECT_EQ(nodeImage(day("14/01/2013")), TFrmProbe::imgDayShown);
}

TEST_F(ProbeLogsTest, DoubleClickOnTheDayOnDisplayDoesNothing)
{
    record("20130113", "0905", " a.com");
    showWithDays(1);
    openDay("13/01/2013");
    record("20130113", "1000", " b.com");
    window->treeDblClick();
    EXPECT_EQ(rows(), QStringList{"09:05| a.com"});
}

TEST_F(ProbeLogsTest, DeletingTheDayOnDisplayEmptiesTheList)
{
    record("20130113", "0905", " a.com");
    record("20130114", "1000", " b.com");
    showWithDays(2);
    openDay("13/01/2013");

    window->tree->setCurrentItem(day("14/01/2013"));
    fake.boxAnswers.push_back(platform::IDNO);
    window->SpeedButton3Click();
    EXPECT_EQ(takeBoxes(),
              QStringList{"Delete log|This action will definitively delete this day of "
                          "log : \"14/01/2013\" and all it content (host list), Are "
                          "you sure ?|24"});
    EXPECT_EQ(days().size(), 2);

    window->SpeedButton3Click(); // another day: the list stays
    EXPECT_EQ(days(), QStringList{"13/01/2013"});
    EXPECT_EQ(rows(), QStringList{"09:05| a.com"});
    EXPECT_EQ(column("SELECT DISTINCT date FROM probe;"), QStringList{"20130113"});

    window->tree->setCurrentItem(day("13/01/2013"));
    window->SpeedButton3Click();
    EXPECT_TRUE(days().isEmpty());
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_TRUE(column("SELECT date FROM probe;").isEmpty());
}

TEST_F(ProbeLogsTest, AfterADeleteTheTreeSelectsOnlyTheDayTheListShows)
{
    for (const char* date : {"20130112", "20130113", "20130114"})
        record(date, "0905", " a.com");
    showWithDays(3);
    openDay("13/01/2013");

    // Another day goes: the selection returns to the day on display.
    window->tree->setCurrentItem(day("14/01/2013"));
    window->SpeedButton3Click();
    EXPECT_EQ(window->tree->currentItem(), day("13/01/2013"));
    EXPECT_EQ(rows(), QStringList{"09:05| a.com"});

    // The day on display goes: no day is selected next to the empty list.
    window->tree->setCurrentItem(day("13/01/2013"));
    window->SpeedButton3Click();
    EXPECT_EQ(days(), QStringList{"12/01/2013"});
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(window->tree->currentItem(), nullptr);
    EXPECT_TRUE(window->tree->selectedItems().isEmpty());
}

TEST_F(ProbeLogsTest, DayDeletedMeanwhileOpensAnEmptyList)
{
    record("20130113", "0905", " a.com");
    showWithDays(1);
    exec("DELETE FROM probe;");
    const int before = barShowings.shown;
    const QStringList warnings = warningsDuring([&] {
        openDay("13/01/2013");
        ASSERT_TRUE(waitUntil([] { return TRefreshProbeList::live() == 0; }));
    });
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString(); // the thread did not fail
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(barShowings.shown, before + 1);
    EXPECT_FALSE(window->p->isVisibleTo(window.get()));
    EXPECT_TRUE(window->tree->isEnabled());
}

TEST_F(ProbeLogsTest, RefreshRebuildsTheTreeAndEmptiesTheList)
{
    record("20130113", "0905", " a.com");
    showWithDays(1);
    openDay("13/01/2013");
    record("20130301", "0000", " new.com");

    ++expectedEndSteps;
    window->btnrefreshClick();
    EXPECT_TRUE(rows().isEmpty());
    ASSERT_TRUE(waitUntil(
        [&] { return endSteps() >= expectedEndSteps && window->tree->topLevelItemCount() == 2; }));
    EXPECT_EQ(days(), (QStringList{"01/03/2013", "13/01/2013"}));
    EXPECT_EQ(nodeImage(day("13/01/2013")), TFrmProbe::imgDay);
}

TEST_F(ProbeLogsTest, RowsAlternateWhiteAndLightGrey)
{
    record("20130113", "0905", " a.com");
    record("20130113", "0906", " b.com");
    record("20130113", "0907", " c.com");
    showWithDays(1);
    openDay("13/01/2013");
    window->lst->clearSelection();
    window->lst->setCurrentIndex(QModelIndex());
    expectRowsWhiteAndLightGrey(window->lst, 3, 1);
}

TEST_F(ProbeLogsTest, HomeAndEndGoToTheFirstAndLastRow)
{
    for (const char* time : {"0905", "0906", "0907", "0908"})
        record("20130113", time, " a.com");
    showWithDays(1);
    openDay("13/01/2013");
    expectHomeAndEndGoToTheFirstAndLastRow(window->lst);
}
