#include "BlockListParser.h"
#include "BlockList.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

struct ReadList {
    QList<QByteArray> hosts;
    QList<QPair<qsizetype, qint64>> steps; // hosts in before the step, line shown
    qint64 skipped = 0;
    qint64 lines = 0;
};

// The list read line by line on the caller's thread, with the progress a
// person can see: a step whenever a host line shows another percentage.
ReadList readOneByOne(const QByteArray& list)
{
    ReadList read;
    const QList<QByteArray> lines = list.split('\n');
    read.lines = lines.size() - (list.endsWith('\n') ? 1 : 0);
    qint64 lastPercent = -1;
    QByteArray scratch;
    for (qint64 index = 0; index < read.lines; ++index) {
        const auto entry = hostFromBlockLine(QByteArrayView(lines[index]), scratch);
        read.skipped += entry.skipped;
        if (entry.host.isEmpty())
            continue;
        read.hosts.append(entry.host.toByteArray());
        if (index * 100 / read.lines != lastPercent) {
            lastPercent = index * 100 / read.lines;
            read.steps.append({read.hosts.size(), index});
        }
    }
    return read;
}

ReadList readByParser(const QByteArray& list, size_t batchHosts)
{
    ReadList read;
    BlockListParser parser(list, batchHosts);
    read.lines = parser.lineCount();
    while (const std::optional<BlockListParser::Batch> batch = parser.next()) {
        EXPECT_LE(batch->hosts.size(), batchHosts);
        for (const BlockListParser::Batch::Step& step : batch->steps)
            read.steps.append({read.hosts.size() + qsizetype(step.hostsBefore), step.line});
        for (size_t i = 0; i < batch->hosts.size(); ++i)
            read.hosts.append(batch->host(i).toByteArray());
    }
    read.skipped = parser.skippedLines();
    return read;
}

// Plain names, block lines whose address goes (the host then stands in the
// batch's own bytes), comments, blank lines and text that is no host name.
QByteArray mixedList(int blocks)
{
    QByteArray list = "# a block list\n";
    for (int i = 0; i < blocks; ++i) {
        const QByteArray n = QByteArray::number(i);
        list += "plain" + n + ".example\n";
        list += "127.0.0.1 block" + n + ".example\n";
        list += "\n# comment " + n + "\n";
        list += "two words" + n + "\n";
        list += "  127.0.0.1\t127.0.0.1 twice" + n + ".example \n";
    }
    return list;
}

} // namespace

TEST(BlockListParser, GivesTheHostsSkipsAndStepsOfReadingLineByLine)
{
    const QByteArray list = mixedList(700);
    const ReadList expected = readOneByOne(list);
    ASSERT_EQ(expected.hosts.size(), 3 * 700);
    ASSERT_EQ(expected.skipped, 700);
    EXPECT_EQ(expected.hosts[1], "block0.example");
    EXPECT_EQ(expected.hosts[2], "twice0.example");
    // One host to a batch, batches that end inside a group of lines, and one
    // batch for the whole list.
    for (const size_t batchHosts : {size_t(1), size_t(7), size_t(4096)}) {
        const ReadList read = readByParser(list, batchHosts);
        EXPECT_EQ(read.lines, expected.lines) << batchHosts;
        EXPECT_EQ(read.hosts, expected.hosts) << batchHosts;
        EXPECT_EQ(read.skipped, expected.skipped) << batchHosts;
        EXPECT_EQ(read.steps, expected.steps) << batchHosts;
    }
}

TEST(BlockListParser, AListWithoutHostsGivesNoBatch)
{
    const QByteArray list = "# only comments\r\n#\r\n\r\nnot one host\r\n";
    BlockListParser parser(list);
    EXPECT_EQ(parser.lineCount(), 4);
    EXPECT_FALSE(parser.next().has_value());
    EXPECT_EQ(parser.skippedLines(), 1);
}

TEST(BlockListParser, TakesANameOf253CharactersAndSkipsOneOf254)
{
    // Labels of 63, 63, 63 and 61 characters and three dots: 3 * 64 + 61 = 253.
    const QByteArray longest = QByteArray(63, 'a') + '.' + QByteArray(63, 'b') + '.' +
                               QByteArray(63, 'c') + '.' + QByteArray(61, 'd');
    const ReadList read = readByParser("127.0.0.1 " + longest + "\n" + longest + "d\n", 16);
    EXPECT_EQ(read.hosts, QList<QByteArray>{longest});
    EXPECT_EQ(read.skipped, 1);
}

TEST(BlockListParser, AWriterThatGivesUpMidwayEndsTheReading)
{
    // Far more batches than wait in the queue: the reading thread waits for
    // room until the parser goes, which must release and join it.
    const QByteArray list = mixedList(20000);
    BlockListParser parser(list, 1);
    ASSERT_TRUE(parser.next().has_value());
}
