// A database damaged while the program runs: every view whose read fails
// says why in a box, and the user learns once that the file will be set aside.

#include "AppTestSupport.h"
#include "ListRowsModel.h"
#include "ListWindowParts.h"
#include "Unit_Win7Taskbar.h"
#include "UntHosts.h"
#include "UntListHosts.h"
#include "UntProbeLogs.h"
#include "UntRefreshProbeList.h"
#include "UntRefreshProbeTreeThread.h"
#include "UntUpdateHosts.h"
#include "VistaProBar.h"

#include <QMutex>
#include <QTableView>
#include <QTreeWidget>

#include <atomic>
#include <vector>

namespace {

// The threads ended by an exception while it lives: each leaves a warning.
class EndedThreads {
public:
    EndedThreads()
    {
        QMutexLocker lock(&mutex);
        seen.clear();
        previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type != QtWarningMsg || !text.startsWith("Thread ended by an exception"))
                    return;
                QMutexLocker lock(&mutex);
                seen << text;
            });
    }
    ~EndedThreads() { qInstallMessageHandler(previous); }

    QStringList taken() const
    {
        QMutexLocker lock(&mutex);
        return seen;
    }

private:
    static inline QMutex mutex;
    static inline QStringList seen;
    QtMessageHandler previous = nullptr;
};

// The hosts manager's side of a list thread, counting its end steps.
class CountingTarget : public HostsListTarget {
public:
    int fillGeneration() const override { return 0; }
    void beginFill(int) override {}
    void addRows(const TListRows&, int, int) override {}
    void endFill(bool) override { ++ended; }
    void addFirstHost() override {}

    std::atomic<int> ended{0};
};

// The main window's side of a refresh while the window is hidden: failures go
// to a balloon.
class HiddenRefreshUi : public HostsRefreshUi {
public:
    explicit HiddenRefreshUi(std::atomic<int>& balloons) : m_balloons(balloons) {}
    void begin(qint64) override {}
    void step(qint64, qint64) override {}
    void end() override {}
    bool windowVisible() override { return false; }
    void showBalloon(const QString&, const QString& text) override
    {
        m_balloons += text.contains("malformed");
    }

private:
    std::atomic<int>& m_balloons;
};

} // namespace

class DamagedDatabaseTest : public UpdateFolderTest {
protected:
    void SetUp() override
    {
        UpdateFolderTest::SetUp();
        InitializeTaskbarList();
        writeHostsFile("127.0.0.1 localhost\n");
        savedRefresh = startHostsRefresh;
        startHostsRefresh = [] {};
    }

    void TearDown() override
    {
        EXPECT_TRUE(waitUntil([] {
            return TListHosts::live() == 0 && TRefreshProbeTree::live() == 0 &&
                   TRefreshProbeList::live() == 0 && TUpdateHosts::live() == 0;
        }));
        hostsWindow.reset();
        probeWindow.reset();
        startHostsRefresh = savedRefresh;
        releaseTaskbarList();
    }

    // Probe records of the days given, so many a day, in one transaction.
    static void addProbeRecords(const QStringList& days, int perDay)
    {
        TSQLiteDatabase db(DBPath);
        db.BeginTransaction();
        TSQLiteQuery insert = db.PrepareSQL("INSERT INTO probe VALUES(?1, '0905', ?2);");
        const QStringList hosts = numbered("host%1.example", perDay);
        for (const QString& day : days) {
            db.BindSQL(insert, 1, day);
            for (const QString& host : hosts) {
                db.BindSQL(insert, 2, host);
                db.ExecSQL(insert);
            }
        }
        db.Commit();
    }

    // The boxes once at least `count` were shown and the queued ones ran.
    QStringList boxesOnceThere(int count)
    {
        EXPECT_TRUE(waitUntil([&] {
            QMutexLocker lock(&fake.mutex);
            return fake.shownBoxes.size() >= count;
        }));
        QCoreApplication::processEvents();
        return takeBoxes();
    }

    // The box of a failed read, with the damage notice after a blank line when it tells it.
    QString reasonBox(bool withNotice = false)
    {
        return "Solvek Anti-Bot|The database \"" + DBPath +
               "\" could not be read: The database disk image is malformed" +
               (withNotice ? "\n\n" + damageNotice() : QString()) + "|10";
    }

    QString damageNotice()
    {
        return "The database \"" + DBPath +
               "\" is damaged. It will be set aside the next time Solvek Anti-Bot starts, and a "
               "new one made that keeps what can still be read of your own categories and the "
               "probe log. To do it now, exit the program and start it again.";
    }

    std::unique_ptr<TFrmHosts> hostsWindow;
    std::unique_ptr<TFrmProbe> probeWindow;
    std::function<void()> savedRefresh;
};

// The hosts manager's list, the probe log's days and a day's records: each
// read that fails shows its reason in a box and leaves the view usable; the
// first also says the database will be set aside, the later ones do not.
TEST_F(DamagedDatabaseTest, EachListWhoseReadFailsShowsTheReasonAndTheDamageIsToldOnce)
{
    exec("INSERT INTO categories VALUES('5', 'Mine', 'N');");
    addHosts(DBPath, "5", numbered("host%1.example", 20000), "N");
    addProbeRecords({"20130113", "20130114", "20130115"}, 5000);

    // The days are listed while the file is sound.
    probeWindow = std::make_unique<TFrmProbe>();
    probeWindow->show();
    ASSERT_TRUE(waitUntil([&] {
        return TRefreshProbeTree::live() == 0 && probeWindow->tree->topLevelItemCount() == 3;
    }));
    ASSERT_NO_FATAL_FAILURE(damageLeaves("hosts", 1));
    ASSERT_NO_FATAL_FAILURE(damageLeaves("probe", 1));
    const EndedThreads ended;

    hostsWindow = std::make_unique<TFrmHosts>();
    hostsWindow->show();
    QTreeWidgetItem* mine = findTreeNode(hostsWindow->tree, "Mine");
    ASSERT_NE(mine, nullptr);
    hostsWindow->tree->setCurrentItem(mine);
    hostsWindow->treeDblClick();
    EXPECT_EQ(boxesOnceThere(1), QStringList{reasonBox(true)});
    ASSERT_TRUE(waitUntil([] { return TListHosts::live() == 0; }));
    EXPECT_EQ(hostsWindow->lstRows->rowCount(), 0);
    EXPECT_TRUE(hostsWindow->tree->isEnabled());

    probeWindow->tree->setCurrentItem(probeWindow->tree->topLevelItem(1));
    probeWindow->treeDblClick();
    EXPECT_EQ(boxesOnceThere(1), QStringList{reasonBox()});
    ASSERT_TRUE(waitUntil([] { return TRefreshProbeList::live() == 0; }));
    EXPECT_TRUE(probeWindow->tree->isEnabled());

    probeWindow->btnrefreshClick();
    EXPECT_EQ(boxesOnceThere(1), QStringList{reasonBox()});
    ASSERT_TRUE(waitUntil([] { return TRefreshProbeTree::live() == 0; }));
    EXPECT_FALSE(probeWindow->p->isVisibleTo(probeWindow.get()));

    EXPECT_TRUE(ended.taken().isEmpty()) << ended.taken().join('\n').toStdString();
}

// Several list threads and a refresh's readers meet the damage at once:
// each tells its own failure, and the notice is told once in every run.
TEST_F(DamagedDatabaseTest, TheDamageIsToldOnceHoweverManyThreadsMeetItAtOnce)
{
    constexpr int Rounds = 20;
    constexpr int Lists = 4;
    // Enough rows for the refresh to read them in parts, on threads of their own.
    addHosts(DBPath, "5", numbered("host%1.example", 40000), "N");
    ASSERT_NO_FATAL_FAILURE(damageLeaves("hosts", 3));
    const EndedThreads ended;

    for (int round = 0; round < Rounds; ++round) {
        forgetDamageNotice(); // a new run of the program
        std::vector<std::unique_ptr<CountingTarget>> targets;
        std::vector<std::unique_ptr<TListHosts>> threads;
        for (int i = 0; i < Lists; ++i) {
            targets.push_back(std::make_unique<CountingTarget>());
            threads.push_back(std::make_unique<TListHosts>(targets.back().get()));
            threads.back()->setCat("5");
            threads.back()->setReserved("N");
        }
        std::atomic<int> balloons{0};
        TUpdateHosts::start(std::make_unique<HiddenRefreshUi>(balloons));
        for (const auto& thread : threads)
            thread->Start();
        ASSERT_TRUE(waitUntil([&] {
            for (const auto& thread : threads)
                if (!thread->Finished())
                    return false;
            return TUpdateHosts::live() == 0;
        }));

        const QStringList boxes = boxesOnceThere(Lists);
        EXPECT_EQ(boxes.filter(reasonBox().chopped(3)).size(), Lists) << round;
        EXPECT_EQ(boxes.filter(damageNotice()).size(), 1)
            << round << boxes.join('\n').toStdString();
        EXPECT_EQ(balloons.load(), 1) << round;
        for (const auto& target : targets)
            EXPECT_EQ(target->ended.load(), 1) << round;
    }
    EXPECT_TRUE(ended.taken().isEmpty()) << ended.taken().join('\n').toStdString();
}
