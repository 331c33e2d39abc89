#include "FakePlatform.h"
#include "Unit_Win7Taskbar.h"

#include <QPixmap>
#include <gtest/gtest.h>

using platform::FakePlatform;
using platform::ScopedFakePlatform;

namespace {

QIcon filledIcon(Qt::GlobalColor color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

class TaskbarTest : public ::testing::Test {
protected:
    void SetUp() override { releaseTaskbarList(); }
    void TearDown() override { releaseTaskbarList(); }

    QList<FakePlatform::TaskbarCall> calls() const { return fake.taskbarCalls; }

    ScopedFakePlatform fake;
    // Error, updating the database, refreshing the hosts file, downloading.
    QList<QIcon> img16{filledIcon(Qt::red), filledIcon(Qt::blue), filledIcon(Qt::green),
                       filledIcon(Qt::yellow)};
};

} // namespace

TEST_F(TaskbarTest, InitialisationFollowsTheDesktop)
{
    EXPECT_FALSE(taskbarAvailable());
    EXPECT_TRUE(InitializeTaskbarList());
    EXPECT_TRUE(taskbarAvailable());
    EXPECT_TRUE(InitializeTaskbarList()); // already set up
}

TEST_F(TaskbarTest, StateCodesMapToProgressStates)
{
    ASSERT_TRUE(InitializeTaskbarList());
    for (quint8 code : {0, 1, 2, 3, 4, 7, 255})
        EXPECT_TRUE(setTaskbarState(code)) << int(code);
    const QList<quint64> expected{0, 1, 2, 3, 4, 0, 0};
    ASSERT_EQ(calls().size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls()[i].what, QStringLiteral("state"));
        EXPECT_EQ(calls()[i].first, expected[i]) << i;
    }
}

TEST_F(TaskbarTest, ProgressValuePassesCompletedAndTotal)
{
    ASSERT_TRUE(InitializeTaskbarList());
    EXPECT_TRUE(setTaskbarProgress(17, 4200));
    ASSERT_EQ(calls().size(), 1);
    EXPECT_EQ(calls()[0].what, QStringLiteral("value"));
    EXPECT_EQ(calls()[0].first, 17u);
    EXPECT_EQ(calls()[0].second, 4200u);
}

TEST_F(TaskbarTest, OverlayImageTakesTheListEntry)
{
    ASSERT_TRUE(InitializeTaskbarList());
    EXPECT_TRUE(setTaskbarOverlayImage(&img16, 2, QStringLiteral("Refresh Hosts...")));
    ASSERT_EQ(calls().size(), 1);
    EXPECT_EQ(calls()[0].what, QStringLiteral("overlay"));
    EXPECT_EQ(calls()[0].first, 1u); // an icon was given
    EXPECT_EQ(calls()[0].description, QStringLiteral("Refresh Hosts..."));
}

TEST_F(TaskbarTest, IndexesOutsideTheListClearTheOverlay)
{
    ASSERT_TRUE(InitializeTaskbarList());
    EXPECT_TRUE(setTaskbarOverlayImage(&img16, 4, QStringLiteral("Downloading..."))); // == count
    EXPECT_TRUE(setTaskbarOverlayImage(nullptr, -1, QString()));
    EXPECT_TRUE(setTaskbarOverlayImage(&img16, -1, QString()));
    ASSERT_EQ(calls().size(), 3);
    for (const auto& call : calls()) {
        EXPECT_EQ(call.what, QStringLiteral("overlay"));
        EXPECT_EQ(call.first, 0u); // no icon: cleared
    }
    EXPECT_EQ(calls()[0].description, QStringLiteral("Downloading..."));
}

TEST_F(TaskbarTest, OverlayIconAndHandle)
{
    ASSERT_TRUE(InitializeTaskbarList());
    const QIcon icon = img16[0];
    EXPECT_TRUE(setTaskbarOverlayIcon(&icon, QStringLiteral("Error")));
    EXPECT_TRUE(setTaskbarOverlayIcon(nullptr, QString()));
    EXPECT_TRUE(setTaskbarOverlay(QIcon(), QString()));
    ASSERT_EQ(calls().size(), 3);
    EXPECT_EQ(calls()[0].first, 1u);
    EXPECT_EQ(calls()[0].description, QStringLiteral("Error"));
    EXPECT_EQ(calls()[1].first, 0u);
    EXPECT_EQ(calls()[2].first, 0u);
}

TEST_F(TaskbarTest, WithoutInitialisationEveryRoutineAnswersFalse)
{
    EXPECT_FALSE(setTaskbarState(2));
    EXPECT_FALSE(setTaskbarProgress(1, 2));
    EXPECT_FALSE(setTaskbarOverlayImage(&img16, 1, QStringLiteral("Updating DB...")));
    EXPECT_FALSE(setTaskbarOverlayIcon(nullptr, QString()));
    EXPECT_FALSE(setTaskbarOverlay(QIcon(), QString()));
    EXPECT_TRUE(calls().isEmpty());
}

TEST_F(TaskbarTest, AnUnavailableTaskbarMakesEveryRoutineANoOp)
{
    fake.taskbarAvailable = false;
    EXPECT_FALSE(InitializeTaskbarList());
    EXPECT_FALSE(taskbarAvailable());
    EXPECT_FALSE(setTaskbarState(3));
    EXPECT_FALSE(setTaskbarProgress(5, 10));
    EXPECT_FALSE(setTaskbarOverlayImage(&img16, 0, QStringLiteral("Error")));
    EXPECT_FALSE(setTaskbarOverlayImage(nullptr, -1, QString()));
    EXPECT_FALSE(setTaskbarOverlayIcon(nullptr, QString()));
    EXPECT_FALSE(setTaskbarOverlay(QIcon(), QString()));
    EXPECT_TRUE(calls().isEmpty());
}

TEST_F(TaskbarTest, ATaskbarThatGoesAwayIsNoLongerCalled)
{
    ASSERT_TRUE(InitializeTaskbarList());
    fake.taskbarAvailable = false;
    EXPECT_FALSE(taskbarAvailable());
    EXPECT_FALSE(setTaskbarState(2));
    EXPECT_TRUE(calls().isEmpty());
}
