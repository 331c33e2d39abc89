#include "ReplacingFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

using namespace platform;

// Writers on several threads while the program's end removes their temporary
// files again and again: each file stays whole, old or new, a cut write says
// why, and no temporary file stays.
TEST(ReplacingFile, AnEndAmidWritesOnSeveralThreadsLeavesEachFileWholeAndNoTemporaryFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    constexpr int Writers = 4;
    constexpr int LinesPerFile = 64;
    constexpr int EachOutcome = 200;
    std::atomic<int> placed{0};
    std::atomic<int> cut{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    QStringList unexpected;
    const auto writeRounds = [&](int writer) {
        const QString path = dir.filePath(QStringLiteral("file%1").arg(writer));
        for (int round = 0; !stop; ++round) {
            const QByteArray line = QByteArray::number(round).rightJustified(8) + '\n';
            try {
                ReplacingFile file(path);
                for (int i = 0; i < LinesPerFile; ++i)
                    file.write(line);
                file.commit();
                ++placed;
            } catch (const EFileReplaceError& error) {
                if (error.message() == QLatin1String("the program is ending")) {
                    ++cut;
                } else {
                    const std::lock_guard lock(mutex);
                    unexpected << error.message();
                }
            }
        }
    };
    std::vector<std::thread> writers;
    for (int writer = 0; writer < Writers; ++writer)
        writers.emplace_back(writeRounds, writer);
    // Ends at random moments, so that some writes finish between two of them.
    for (QDeadlineTimer deadline(60000);
         (placed < EachOutcome || cut < EachOutcome) && !deadline.hasExpired();) {
        removeUnfinishedWrites();
        std::this_thread::sleep_for(
            std::chrono::microseconds(QRandomGenerator::global()->bounded(4000)));
    }
    stop = true;
    for (std::thread& writer : writers)
        writer.join();

    EXPECT_GE(placed, EachOutcome);
    EXPECT_GE(cut, EachOutcome);
    EXPECT_EQ(unexpected.join(u'|').toStdString(), "");
    QStringList files;
    for (int writer = 0; writer < Writers; ++writer) {
        files << QStringLiteral("file%1").arg(writer);
        QFile file(dir.filePath(files.last()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_EQ(bytes.size(), LinesPerFile * 9);
        EXPECT_EQ(bytes, bytes.first(9).repeated(LinesPerFile));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), files);
}
