#include "linux/LinuxTaskbar.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QIcon>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariantMap>
#include <gtest/gtest.h>

using platform::LinuxTaskbar;

namespace {

const char* const kInterface = "com.canonical.Unity.LauncherEntry";

// A message bus of the test's own, listening inside a temporary folder.
class PrivateBus {
public:
    PrivateBus()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty() || !m_dir.isValid())
            return;
        m_process.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                 QStringLiteral("--print-address"),
                                 QStringLiteral("--address=unix:dir=") + m_dir.path()});
        if (!m_process.waitForStarted(10000))
            return;
        QDeadlineTimer limit(10000);
        while (!m_process.canReadLine() && !limit.hasExpired())
            m_process.waitForReadyRead(100);
        m_address = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : m_connections)
            QDBusConnection::disconnectFromBus(name);
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    static bool daemonInstalled()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
    }
    QString address() const { return m_address; }

    QDBusConnection connect(const QString& name)
    {
        m_connections << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_address;
    QStringList m_connections;
};

// Collects the launcher-entry signals seen on a bus.
class UpdateListener : public QObject {
    Q_OBJECT
public:
    struct Update {
        QString path;
        QString appUri;
        QVariantMap properties;
    };
    QList<Update> updates;

public slots:
    void onUpdate(const QDBusMessage& message)
    {
        const QList<QVariant> arguments = message.arguments();
        Update update;
        update.path = message.path();
        update.appUri = arguments.value(0).toString();
        update.properties = qdbus_cast<QVariantMap>(arguments.value(1));
        updates.append(update);
    }
};

bool waitForUpdates(const UpdateListener& listener, int count)
{
    QDeadlineTimer limit(20000);
    while (listener.updates.size() < count) {
        if (limit.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class LinuxTaskbarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivateBus::daemonInstalled())
            GTEST_SKIP() << "dbus-daemon is not installed (package dbus)";
        bus = std::make_unique<PrivateBus>();
        ASSERT_FALSE(bus->address().isEmpty()) << "the private dbus-daemon did not start";
        QDBusConnection listening = bus->connect(QStringLiteral("solvek-test-listener"));
        ASSERT_TRUE(listening.isConnected());
        ASSERT_TRUE(listening.connect(QString(), LinuxTaskbar::objectPath(),
                                      QLatin1String(kInterface), QStringLiteral("Update"),
                                      &listener, SLOT(onUpdate(QDBusMessage))));
        sending =
            std::make_unique<QDBusConnection>(bus->connect(QStringLiteral("solvek-test-sender")));
        ASSERT_TRUE(sending->isConnected());
    }
    void TearDown() override
    {
        sending.reset();
        bus.reset();
    }

    UpdateListener listener;
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<QDBusConnection> sending;
};

} // namespace

TEST_F(LinuxTaskbarTest, ProgressValueIsSentAsTheLauncherEntryUpdate)
{
    LinuxTaskbar taskbar(*sending);
    EXPECT_TRUE(taskbar.available());
    EXPECT_TRUE(taskbar.setProgressState(2));
    EXPECT_TRUE(taskbar.setProgressValue(25, 100));
    ASSERT_TRUE(waitForUpdates(listener, 2));

    const auto& update = listener.updates[1];
    EXPECT_EQ(update.path, LinuxTaskbar::objectPath());
    EXPECT_EQ(update.appUri, QStringLiteral("application://solvek-antibot.desktop"));
    EXPECT_DOUBLE_EQ(update.properties.value(QStringLiteral("progress")).toDouble(), 0.25);
    EXPECT_TRUE(update.properties.value(QStringLiteral("progress-visible")).toBool());
}

TEST_F(LinuxTaskbarTest, StatesShowOrHideTheProgress)
{
    LinuxTaskbar taskbar(*sending);
    ASSERT_TRUE(taskbar.setProgressValue(3, 4)); // not shown yet: state 0
    ASSERT_TRUE(taskbar.setProgressState(1));    // indeterminate keeps the last value
    ASSERT_TRUE(taskbar.setProgressState(3));
    ASSERT_TRUE(taskbar.setProgressState(4));
    ASSERT_TRUE(taskbar.setProgressState(0));
    ASSERT_TRUE(taskbar.setProgressState(7)); // unknown: no progress
    ASSERT_TRUE(waitForUpdates(listener, 6));

    const QList<bool> visible{false, true, true, true, false, false};
    for (int i = 0; i < visible.size(); ++i) {
        const QVariantMap& properties = listener.updates[i].properties;
        EXPECT_EQ(properties.value(QStringLiteral("progress-visible")).toBool(), visible[i]) << i;
        EXPECT_DOUBLE_EQ(properties.value(QStringLiteral("progress")).toDouble(), 0.75) << i;
    }
}

TEST_F(LinuxTaskbarTest, ValuesStayBetweenZeroAndOne)
{
    LinuxTaskbar taskbar(*sending);
    ASSERT_TRUE(taskbar.setProgressState(2));
    ASSERT_TRUE(taskbar.setProgressValue(5, 0));
    ASSERT_TRUE(taskbar.setProgressValue(9, 4));
    ASSERT_TRUE(waitForUpdates(listener, 3));
    EXPECT_DOUBLE_EQ(listener.updates[1].properties.value(QStringLiteral("progress")).toDouble(),
                     0.0);
    EXPECT_DOUBLE_EQ(listener.updates[2].properties.value(QStringLiteral("progress")).toDouble(),
                     1.0);
}

TEST_F(LinuxTaskbarTest, OverlayIconsHaveNoCounterpart)
{
    LinuxTaskbar taskbar(*sending);
    EXPECT_FALSE(taskbar.setOverlayIcon(QIcon(), QStringLiteral("Error")));
}

TEST(LinuxTaskbarWithoutBus, EveryCallAnswersFalse)
{
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/solvek-bus"), QStringLiteral("solvek-test-no-bus"));
    LinuxTaskbar taskbar(none);
    EXPECT_FALSE(taskbar.available());
    EXPECT_FALSE(taskbar.setProgressState(2));
    EXPECT_FALSE(taskbar.setProgressValue(1, 2));
    EXPECT_FALSE(taskbar.setOverlayIcon(QIcon(), QString()));
    QDBusConnection::disconnectFromBus(QStringLiteral("solvek-test-no-bus"));
}

#include "LinuxTaskbarTest.moc"
