#include "AppTestSupport.h"
#include "ListKeys.h"
#include "ListRowsModel.h"
#include "ListWindowParts.h"
#include "SynchronizingMerge.h"
#include "Unit_Win7Taskbar.h"
#include "UntHosts.h"
#include "UntListHosts.h"
#include "UntTreeObj.h"
#include "VistaProBar.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

// ---------------------------------------------------------------------------
// The add-host clean-up

TEST(AddHostCleanUp, SchemesOfAnyCaseAndPathsGo)
{
    EXPECT_EQ(cleanHostInput("HTTP://Example.com/path/page.html"), "Example.com");
    EXPECT_EQ(cleanHostInput("http://www.site.org/"), "www.site.org");
    EXPECT_EQ(cleanHostInput("HtTpS://Secure.net/login?x=1"), "Secure.net");
    EXPECT_EQ(cleanHostInput("ftp://files.example.com"), "files.example.com");
    EXPECT_EQ(cleanHostInput("http://http://twice.com"), "twice.com");
    EXPECT_EQ(cleanHostInput("bad-site.com/x?u=https://other.com"), "bad-site.com");
}

TEST(AddHostCleanUp, TextWithoutSlashStaysAsTyped)
{
    EXPECT_EQ(cleanHostInput("plain.com"), "plain.com");
    EXPECT_EQ(cleanHostInput("  spaced.com  "), "  spaced.com  ");
    EXPECT_EQ(cleanHostInput("under_score-7.example"), "under_score-7.example");
}

TEST(AddHostCleanUp, TextThatIsNoHostIsRefused)
{
    for (const char* text : {"https:/broken.com", "/only/path", "http://", "two words.com",
                             "site.com:8080", "a..com", ".com", "com.", "quote\".com",
                             "b\xc3\xbc"
                             "cher.de",
                             "http:///x"})
        EXPECT_FALSE(cleanHostInput(QString::fromUtf8(text))) << text;
    EXPECT_FALSE(cleanHostInput(QString(64, 'a') + ".com"));
    EXPECT_TRUE(cleanHostInput(QString(63, 'a') + ".com"));
}

// ---------------------------------------------------------------------------
// The window

class HostsManagerTest : public DatabaseFixture {
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        InitializeTaskbarList();
        writeHostsFile("127.0.0.1 localhost\r\n");
        savedRefresh = startHostsRefresh;
        startHostsRefresh = [this] { ++refreshesStarted; };
    }

    void TearDown() override
    {
        ASSERT_TRUE(waitUntil([&] { return listThreadsEnded(); }));
        ASSERT_TRUE(waitUntil([] { return TListHosts::live() == 0; }));
        window.reset();
        startHostsRefresh = savedRefresh;
        releaseTaskbarList();
    }

    void createWindow()
    {
        window = std::make_unique<TFrmHosts>();
        window->show();
    }

    void addCategory(const QString& catid, const QString& name, const QStringList& hosts)
    {
        exec("INSERT INTO categories VALUES(:id, :name, \"N\");",
             {{":id", catid}, {":name", name}});
        addHosts(catid, "N", hosts);
    }

    void addDownloaded(const QString& catid, const QStringList& hosts)
    {
        addHosts(catid, "Y", hosts);
    }

    // In one transaction.
    void addHosts(const QString& catid, const QString& reserved, const QStringList& hosts)
    {
        TSQLiteDatabase db(DBPath);
        db.BeginTransaction();
        for (const QString& host : hosts) {
            queueParams(db, {{":id", catid}, {":host", host}, {":reserved", reserved}});
            db.ExecSQL("INSERT INTO hosts VALUES(:id, :host, :reserved);");
        }
        db.Commit();
    }

    bool listThreadsEnded() { return !window || endSteps() >= startedLists; }

    // Double-clicks the first node of that text under the root of that text.
    void open(const QString& root, const QString& text)
    {
        QTreeWidgetItem* parent = findTreeNode(window->tree, root);
        ASSERT_NE(parent, nullptr);
        QTreeWidgetItem* node = nullptr;
        for (int i = 0; i < parent->childCount() && !node; ++i)
            if (parent->child(i)->text(0) == text)
                node = parent->child(i);
        ASSERT_NE(node, nullptr) << text.toStdString();
        select(node);
        ++startedLists;
        window->treeDblClick();
        ASSERT_TRUE(waitUntil([&] { return listThreadsEnded(); }));
    }

    void select(QTreeWidgetItem* node)
    {
        window->tree->setCurrentItem(node);
        window->treeClick();
    }

    QStringList listed()
    {
        QStringList hosts;
        for (int row = 0; row < window->lstRows->rowCount(); ++row)
            hosts << window->lstRows->text(row, 0);
        return hosts;
    }

    QStringList userCategories()
    {
        QStringList names;
        QTreeWidgetItem* custom = findTreeNode(window->tree, "Custom Hosts");
        for (int i = 0; i < custom->childCount(); ++i) {
            QString catid;
            treeObjOf(custom->child(i))->getCatId(catid);
            names << catid + ":" + custom->child(i)->text(0);
        }
        return names;
    }

    std::unique_ptr<TFrmHosts> window;
    std::function<void()> savedRefresh;
    int refreshesStarted = 0;
    int startedLists = 0;
};

TEST_F(HostsManagerTest, TreeHoldsTheListsAndTheUserCategories)
{
    addCategory("1", "Mine", {});
    addCategory("7", "Work", {});
    createWindow();

    EXPECT_EQ(window->windowTitle(), "Manage Hosts");
    ASSERT_EQ(window->tree->topLevelItemCount(), 3);
    const QTreeWidgetItem* abuse = window->tree->topLevelItem(0);
    EXPECT_EQ(abuse->text(0), "Abuse CH");
    EXPECT_EQ(nodeImage(abuse), 0);
    ASSERT_EQ(abuse->childCount(), 3);
    EXPECT_EQ(abuse->child(0)->text(0), "Zeus Bot");
    EXPECT_EQ(nodeImage(abuse->child(0)), 2);
    EXPECT_EQ(abuse->child(1)->text(0), "Palevo Bot");
    EXPECT_EQ(abuse->child(2)->text(0), "Spyeye Bot");
    EXPECT_EQ(nodeImage(abuse->child(2)), 4);
    const QTreeWidgetItem* yeld = window->tree->topLevelItem(1);
    EXPECT_EQ(yeld->text(0), "Yeldcraft");
    EXPECT_EQ(nodeImage(yeld), 7);
    EXPECT_EQ(yeld->child(0)->text(0), "Global Database");
    EXPECT_EQ(nodeImage(yeld->child(0)), 8);
    EXPECT_EQ(window->tree->topLevelItem(2)->text(0), "Custom Hosts");
    EXPECT_EQ(userCategories(), (QStringList{"1:Mine", "7:Work"}));
    EXPECT_EQ(treeObjOf(abuse->child(0)), nullptr);
    EXPECT_TRUE(window->tree->topLevelItem(2)->isExpanded());

    // Each showing rebuilds the user categories.
    addCategory("8", "Later", {});
    window->hide();
    window->show();
    EXPECT_EQ(userCategories(), (QStringList{"1:Mine", "7:Work", "8:Later"}));
}

TEST_F(HostsManagerTest, OpeningListsShowsTheirHosts)
{
    addDownloaded("1", {"zeus1.com", "zeus2.com"});
    addDownloaded("4", {"global.com"});
    addCategory("1", "Mine", {"mine.com"});
    createWindow();

    open("Abuse CH", "Zeus Bot");
    EXPECT_EQ(window->windowTitle(), "Manage Hosts - Zeus Bot");
    EXPECT_EQ(listed(), (QStringList{"zeus1.com", "zeus2.com"}));
    EXPECT_FALSE(window->btnaddhost->isVisibleTo(window.get()));
    EXPECT_TRUE(window->tree->isEnabled());
    EXPECT_FALSE(window->p->isVisibleTo(window.get()));

    open("Yeldcraft", "Global Database");
    EXPECT_EQ(listed(), QStringList{"global.com"});

    open("Custom Hosts", "Mine");
    EXPECT_EQ(window->windowTitle(), "Manage Hosts - Mine");
    EXPECT_EQ(listed(), QStringList{"mine.com"});
    EXPECT_TRUE(window->btnaddhost->isVisibleTo(window.get()));
    EXPECT_TRUE(window->btndelete->isVisibleTo(window.get()));
    EXPECT_TRUE(takeBoxes().isEmpty());
}

TEST_F(HostsManagerTest, UserCategoryNamedLikeADownloadedListOpensThatList)
{
    addDownloaded("1", {"zeus1.com"});
    addCategory("1", "Zeus Bot", {"mine.com"});
    createWindow();

    open("Custom Hosts", "Zeus Bot");
    EXPECT_EQ(listed(), QStringList{"zeus1.com"});
    EXPECT_FALSE(window->btnaddhost->isVisibleTo(window.get()));
}

TEST_F(HostsManagerTest, ManyHostsFillTheListInOrder)
{
    QStringList hosts;
    for (int i = 0; i < 1000; ++i)
        hosts << QStringLiteral("host%1.com").arg(i);
    addCategory("1", "Big", hosts);
    createWindow();
    open("Custom Hosts", "Big");
    EXPECT_EQ(listed(), hosts);
}

TEST_F(HostsManagerTest, EmptyUserCategoryOffersToAddAHost)
{
    addCategory("1", "Empty", {});
    createWindow();

    fake.boxAnswers.push_back(platform::IDNO);
    open("Custom Hosts", "Empty");
    EXPECT_EQ(takeBoxes(), QStringList{"No items|No items for such category. Woud you like to "
                                       "create one now ?|44"});

    auto input = answerNextInput(QString("http://added.com/"));
    fake.boxAnswers.push_back(platform::IDYES);
    open("Custom Hosts", "Empty");
    ASSERT_TRUE(waitUntil([&] { return listed() == QStringList{"added.com"}; }));
    EXPECT_EQ(input->title, "Add new host");
    EXPECT_EQ(input->prompt, "Choose the host name (ex : website.com)");
    EXPECT_EQ(column("SELECT host FROM hosts WHERE category=\"1\" AND reserved=\"N\";"),
              QStringList{"added.com"});
    // The reload started by the add took over the window: one end step for both.
}

namespace {

// The hosts manager's side of a list thread, noting only where its first host was added.
class FirstHostTarget : public HostsListTarget {
public:
    int fillGeneration() const override { return 0; }
    void beginFill(int) override {}
    void addRows(const TListRows&, int, int) override {}
    void endFill(bool) override {}
    void addFirstHost() override { addedInsideAWait = TThread::isRunningStepDuringWait(); }

    bool addedInsideAWait = false;
};

} // namespace

TEST_F(HostsManagerTest, TheFirstHostOfferedIsNeverAddedInsideAWait)
{
    // It prompts and writes the database: the event loop's work, never a wait's.
    addCategory("1", "Empty", {});
    FirstHostTarget target;
    TListHosts thread(&target);
    thread.setCat("1");
    thread.setReserved("N");
    thread.Start();
    // The box is answered Yes from the event loop; a step sent after it waits
    // for the next round, which the wait below takes first.
    QDeadlineTimer limit(20000);
    while (takeBoxes().isEmpty() && !limit.hasExpired()) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QThread::msleep(1);
    }
    ASSERT_FALSE(limit.hasExpired());
    thread.WaitFor();
    EXPECT_FALSE(target.addedInsideAWait);
}

TEST_F(HostsManagerTest, EmptyDownloadedListAsksNothing)
{
    createWindow();
    open("Abuse CH", "Palevo Bot");
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_TRUE(takeBoxes().isEmpty());
}

TEST_F(HostsManagerTest, AddHostStoresTheCleanedHostAndReloads)
{
    addCategory("1", "Mine", {"old.com"});
    addCategory("2", "Other", {});
    createWindow();
    open("Custom Hosts", "Mine");

    answerNextInput(QString("HTTPS://New-Site.com/some/page"));
    ++startedLists;
    window->btnaddhostClick();
    ASSERT_TRUE(waitUntil([&] { return listThreadsEnded(); }));
    EXPECT_EQ(column("SELECT host FROM hosts WHERE category=\"1\" AND reserved=\"N\" ORDER BY "
                     "host;"),
              (QStringList{"New-Site.com", "old.com"}));
    EXPECT_EQ(listed(), (QStringList{"old.com", "New-Site.com"}));
    EXPECT_TRUE(window->modded);
    // Additions reach the hosts file through the refresh at close.
    EXPECT_EQ(hostsFileBytes(), "127.0.0.1 localhost\r\n");
    window->hide();
    EXPECT_EQ(refreshesStarted, 1);
}

TEST_F(HostsManagerTest, AddHostRefusesTextThatIsNoHostAndHostsThatExist)
{
    addDownloaded("2", {"taken.com"});
    addCategory("1", "Mine", {});
    fake.boxAnswers.push_back(platform::IDNO); // "No items"
    createWindow();
    open("Custom Hosts", "Mine");
    takeBoxes();

    answerNextInput(QString("https:/broken"));
    window->btnaddhostClick();
    answerNextInput(QString("http://taken.com/x"));
    window->btnaddhostClick();
    answerNextInput(QString("   "));
    window->btnaddhostClick();
    answerNextInput(std::nullopt);
    window->btnaddhostClick();

    EXPECT_EQ(takeBoxes(),
              (QStringList{"Not a host|The text \"https:/broken\" is not a host name, enter a host "
                           "such as website.com.|10",
                           "Already exists|The following host \"taken.com\" already exists in our "
                           "database.|40"}));
    EXPECT_TRUE(column("SELECT host FROM hosts WHERE reserved=\"N\";").isEmpty());
    EXPECT_FALSE(window->modded);
}

TEST_F(HostsManagerTest, RenamingTheOpenedCategoryKeepsItOpenUnderItsNewName)
{
    addCategory("1", "Mine", {"a.com"});
    addCategory("2", "Other", {"o.com"});
    createWindow();
    open("Custom Hosts", "Mine");

    select(findTreeNode(window->tree, "Mine"));
    answerNextInput(QString("Renamed"));
    window->SpeedButton2Click();
    EXPECT_EQ(userCategories(), (QStringList{"1:Renamed", "2:Other"}));
    EXPECT_EQ(window->windowTitle(), "Manage Hosts - Renamed");
    EXPECT_EQ(listed(), QStringList{"a.com"});

    ++startedLists;
    answerNextInput(QString("b.com"));
    window->btnaddhostClick();
    ASSERT_TRUE(waitUntil([&] { return listThreadsEnded(); }));
    EXPECT_TRUE(takeBoxes().isEmpty());
    EXPECT_EQ(
        column("SELECT category || ':' || host FROM hosts WHERE reserved=\"N\" ORDER BY host;"),
        (QStringList{"1:a.com", "1:b.com", "2:o.com"}));
    EXPECT_EQ(listed(), (QStringList{"a.com", "b.com"}));

    // Renaming another category leaves the opened one as it is.
    select(findTreeNode(window->tree, "Other"));
    answerNextInput(QString("Elsewhere"));
    window->SpeedButton2Click();
    EXPECT_EQ(window->windowTitle(), "Manage Hosts - Renamed");
}

TEST_F(HostsManagerTest, ADatabaseFailureIsToldInOneSentenceNotAsAStatement)
{
    createWindow();
    exec("CREATE TRIGGER refuse BEFORE INSERT ON categories BEGIN SELECT RAISE(ABORT, 'no'); "
         "END;");
    answerNextInput(QString("New"));
    window->btnaddcat->click(); // as the user does, through the window's report of failures
    EXPECT_EQ(takeBoxes(), QStringList{"Yeld Solvek Anti-Bot|The database \"" + DBPath +
                                       "\" could not be written: Abort due to contraint "
                                       "violation|10"});

    // The file is no database any more.
    QFile file(DBPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, 'x'));
    file.close();
    answerNextInput(QString("Newer"));
    window->btnaddcat->click();
    // The first damage met in a run also says what becomes of the file.
    const QString reason = "Yeld Solvek Anti-Bot|The database \"" + DBPath +
                           "\" could not be read: File opened that is not a database file";
    EXPECT_EQ(takeBoxes(),
              QStringList{reason + "\n\nThe database \"" + DBPath +
                          "\" is damaged. It will be set aside the next time Solvek Anti-Bot "
                          "starts, and a new one made that keeps what can still be read of your "
                          "own categories and the probe log. To do it now, exit the program and "
                          "start it again.|10"});
    answerNextInput(QString("Newest"));
    window->btnaddcat->click();
    EXPECT_EQ(takeBoxes(), QStringList{reason + "|10"});
}

TEST_F(HostsManagerTest, DeleteWithThreeRowsSelectedDeletesTheFirstHostOnly)
{
    addCategory("1", "Mine", {"a.com", "b.com", "c.com", "d.com"});
    addCategory("2", "Other", {"a.com"});
    writeHostsFile("127.0.0.1 localhost\r\n127.0.0.1 a.com\r\n127.0.0.1 b.com\r\n"
                   "127.0.0.1 c.com\r\n127.0.0.1 d.com\r\n");
    createWindow();
    open("Custom Hosts", "Mine");

    window->lst->clearSelection();
    window->btndeleteClick();
    EXPECT_EQ(takeBoxes(), QStringList{"Select an item|You must select an item before doing such "
                                       "action !|10"});

    for (int row : {2, 0, 1})
        window->lst->selectionModel()->select(window->lst->model()->index(row, 0),
                                              QItemSelectionModel::Select |
                                                  QItemSelectionModel::Rows);
    window->btndeleteClick();
    EXPECT_EQ(takeBoxes(), QStringList{"Delete host|This action will definitively delete this "
                                       "host \"a.com\", Are you sure ?|24"});
    EXPECT_EQ(listed(), QStringList{"d.com"});
    // From every user category, and from the hosts file as an emptied line.
    EXPECT_EQ(column("SELECT host FROM hosts ORDER BY host;"),
              (QStringList{"b.com", "c.com", "d.com"}));
    EXPECT_EQ(hostsFileBytes(), "127.0.0.1 localhost\r\n\r\n127.0.0.1 b.com\r\n127.0.0.1 c.com\r\n"
                                "127.0.0.1 d.com\r\n");
    EXPECT_TRUE(window->modded);
}

TEST_F(HostsManagerTest, DeleteHostAnsweredNoKeepsEverything)
{
    addCategory("1", "Mine", {"a.com"});
    createWindow();
    open("Custom Hosts", "Mine");
    window->lst->selectRow(0);
    fake.boxAnswers.push_back(platform::IDNO);
    window->btndeleteClick();
    EXPECT_EQ(listed(), QStringList{"a.com"});
    EXPECT_EQ(column("SELECT host FROM hosts;"), QStringList{"a.com"});
    EXPECT_FALSE(window->modded);
}

TEST_F(HostsManagerTest, DeletingACategoryRemovesItsRowsAndBlockLines)
{
    addCategory("1", "Doomed", {"x.com", "shared.com"});
    addCategory("2", "Kept", {"keep.com"});
    addDownloaded("3", {"shared.com"});
    writeHostsFile("127.0.0.1 localhost\r\n127.0.0.1 x.com\r\n127.0.0.1 keep.com\r\n"
                   "127.0.0.1 shared.com\r\n");
    createWindow();
    open("Custom Hosts", "Doomed");
    select(findTreeNode(window->tree, "Doomed"));
    EXPECT_TRUE(window->ptree->isVisibleTo(window.get()));

    window->SpeedButton1Click();
    EXPECT_EQ(takeBoxes(), QStringList{"Delete category|This action will definitively delete this "
                                       "category \"Doomed\" and all it content (host list), Are "
                                       "you sure ?|24"});
    EXPECT_EQ(column("SELECT catname FROM categories WHERE reserved=\"N\";"), QStringList{"Kept"});
    EXPECT_EQ(column("SELECT host FROM hosts ORDER BY host;"),
              (QStringList{"keep.com", "shared.com"}));
    // Also the line of a host another list still holds; the refresh at close puts it back.
    EXPECT_EQ(hostsFileBytes(), "127.0.0.1 localhost\r\n\r\n127.0.0.1 keep.com\r\n\r\n");
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_FALSE(window->ptree->isVisibleTo(window.get()));
    EXPECT_EQ(userCategories(), QStringList{"2:Kept"});
    // No category is open any more.
    EXPECT_EQ(window->windowTitle(), "Manage Hosts");
    EXPECT_FALSE(window->btnaddhost->isVisibleTo(window.get()));
    EXPECT_FALSE(window->btndelete->isVisibleTo(window.get()));
    window->hide();
    EXPECT_EQ(refreshesStarted, 1);
}

TEST_F(HostsManagerTest, WindowChangesDuringAMergeWaitForItsCommitWithoutABox)
{
    addCategory("1", "Doomed", {"x.com"});
    addCategory("2", "Mine", {"a.com"});
    createWindow();
    const QString question = "Delete category|This action will definitively delete this category "
                             "\"Doomed\" and all it content (host list), Are you sure ?|24";
    const auto waitedMs = [](const std::function<void()>& action) {
        QElapsedTimer waited;
        waited.start();
        action();
        return waited.elapsed();
    };

    {
        SynchronizingMerge merge;
        select(findTreeNode(window->tree, "Doomed"));
        // Well under the busy time-out: the wait ends with the merge's commit.
        EXPECT_LT(waitedMs([&] { window->SpeedButton1->click(); }), DatabaseBusyTimeoutMs / 2);
        EXPECT_TRUE(merge.committed());
        EXPECT_EQ(takeBoxes(), QStringList{question});
    }
    EXPECT_EQ(column("SELECT catname FROM categories WHERE reserved=\"N\";"), QStringList{"Mine"});

    open("Custom Hosts", "Mine");
    {
        SynchronizingMerge merge;
        answerNextInput(QString("added.com"));
        ++startedLists;
        EXPECT_LT(waitedMs([&] { window->btnaddhostClick(); }), DatabaseBusyTimeoutMs / 2);
        EXPECT_TRUE(merge.committed());
    }
    ASSERT_TRUE(waitUntil([&] { return listThreadsEnded(); }));
    EXPECT_TRUE(takeBoxes().isEmpty());
    EXPECT_EQ(column("SELECT host FROM hosts ORDER BY host;"),
              (QStringList{"a.com", "added.com", "merged.com", "merged.com"}));
}

TEST_F(HostsManagerTest, TreeButtonsOnANodeWithoutCategoryAskForASelection)
{
    createWindow();
    QTreeWidgetItem* zeus = findTreeNode(window->tree, "Zeus Bot");
    // The arrow keys move the selection without a click: ptree stays up.
    window->ptree->show();
    window->tree->setCurrentItem(zeus);
    window->SpeedButton1Click();
    window->SpeedButton2Click();
    EXPECT_EQ(takeBoxes(),
              (QStringList{
                  "Select an item|You must select an item before doing such action !|10",
                  "Select an item|You must select an item before doing such action !|10",
              }));
    EXPECT_EQ(column("SELECT COUNT(*) FROM categories;"), QStringList{"4"});
    window->hide();
    EXPECT_EQ(refreshesStarted, 0);
}

TEST_F(HostsManagerTest, AddAndRenameCategoriesRefuseNamesInUse)
{
    addCategory("3", "Mine", {});
    createWindow();

    auto input = answerNextInput(QString("  New one"));
    window->btnaddcatClick();
    EXPECT_EQ(input->title, "Add new category");
    EXPECT_EQ(input->prompt, "Choose the category name");
    EXPECT_EQ(userCategories(), (QStringList{"3:Mine", "4:  New one"}));

    answerNextInput(QString("Zeus Bot")); // a downloaded list's name
    window->btnaddcatClick();
    answerNextInput(QString(" "));
    window->btnaddcatClick();
    EXPECT_EQ(takeBoxes(), QStringList{"Already exists|The following cateogry \"Zeus Bot\" already "
                                       "exists in our database.|40"});

    select(findTreeNode(window->tree, "Mine"));
    input = answerNextInput(QString("Mine"));
    window->SpeedButton2Click();
    EXPECT_EQ(input->title, "Choose the new name for this category");
    EXPECT_EQ(input->prompt, "Refactor");
    EXPECT_EQ(input->initialText, "Mine");
    EXPECT_EQ(takeBoxes(), QStringList{"Already exists|The following cateogry \"Mine\" already "
                                       "exists in our database.|40"});

    answerNextInput(QString("Quote\"d"));
    window->SpeedButton2Click();
    EXPECT_EQ(userCategories(), (QStringList{"3:Quote\"d", "4:  New one"}));
    EXPECT_FALSE(window->modded);
}

TEST_F(HostsManagerTest, CaptionWithDashesFindsItsCategory)
{
    addCategory("5", "my-list - two", {"a.com"});
    createWindow();
    open("Custom Hosts", "my-list - two");
    QString catid;
    window->getCatFromName(catid);
    EXPECT_EQ(catid, "5");
}

TEST_F(HostsManagerTest, RowsAlternateWhiteAndLightGrey)
{
    addCategory("1", "Mine", {"a.com", "b.com", "c.com"});
    createWindow();
    open("Custom Hosts", "Mine");
    EXPECT_EQ(window->lstAdvancedCustomDrawItem(0), QColor(255, 255, 255));
    EXPECT_EQ(window->lstAdvancedCustomDrawItem(1), QColor(249, 247, 244));
    EXPECT_EQ(window->lstAdvancedCustomDrawItem(2), QColor(255, 255, 255));

    window->lst->clearSelection();
    window->lst->setCurrentIndex(QModelIndex());
    expectRowsWhiteAndLightGrey(window->lst, 3, 0);
}

TEST_F(HostsManagerTest, HomeAndEndGoToTheFirstAndLastRow)
{
    addCategory("1", "Mine", {"a.com", "b.com", "c.com", "d.com"});
    createWindow();
    open("Custom Hosts", "Mine");
    expectHomeAndEndGoToTheFirstAndLastRow(window->lst);
}
