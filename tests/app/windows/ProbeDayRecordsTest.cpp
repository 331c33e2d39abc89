#include "ProbeDayRecords.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Record = std::pair<const char*, QByteArray>; // time as stored, host as stored

QStringList shown(const std::vector<Record>& records)
{
    TProbeDayRecords day;
    for (const auto& [time, host] : records)
        day.add(time, host);
    const TListRows rows = day.shownNewestFirst();
    EXPECT_EQ(rows.rowCount(), day.size());
    QStringList all;
    for (int row = 0; row < rows.rowCount(); ++row)
        all << rows.cell(row, 0).toString() + "|" + rows.cell(row, 1).toString();
    return all;
}

} // namespace

TEST(ProbeDayRecords, NewestMinuteFirstEachMinuteInTheOrderAdded)
{
    // A minute comes back after another one; repeats of a host within a minute
    // count once, at their first arrival; one host in two minutes twice.
    EXPECT_EQ(shown({{"0905", "z.com"},
                     {"0905", "a.com"},
                     {"0906", "a.com"},
                     {"0905", "z.com"},
                     {"0904", "z.com"},
                     {"0905", "m.com"},
                     {"0906", "a.com"},
                     {"2359", "late.com"},
                     {"0000", "early.com"}}),
              (QStringList{"23:59|late.com", "09:06|a.com", "09:05|z.com", "09:05|a.com",
                           "09:05|m.com", "09:04|z.com", "00:00|early.com"}));
}

TEST(ProbeDayRecords, HostsCompareByEveryByte)
{
    // Blanks, case, a shared prefix and an empty host all tell records apart;
    // a host outside ASCII shows decoded.
    const QByteArray composed = "b\xc3\xbc"
                                "cher.de";
    EXPECT_EQ(shown({{"1200", " a.com"},
                     {"1200", "a.com"},
                     {"1200", "A.com"},
                     {"1200", "a.com:8080"},
                     {"1200", ""},
                     {"1200", composed},
                     {"1200", "a.com"},
                     {"1200", ""},
                     {"1200", composed}}),
              (QStringList{"12:00| a.com", "12:00|a.com", "12:00|A.com", "12:00|a.com:8080",
                           "12:00|", "12:00|" + QString::fromUtf8(composed)}));
}

TEST(ProbeDayRecords, FiveThousandHostsInOneMinuteOnceEachInOrder)
{
    // 5000 hosts, then all of them again backwards and every other one once
    // more: 5000 records, in the order of their first arrival.
    std::vector<Record> records;
    for (int i = 0; i < 5000; ++i)
        records.push_back({"0101", "h" + QByteArray::number(i)});
    for (int i = 4999; i >= 0; --i)
        records.push_back({"0101", "h" + QByteArray::number(i)});
    for (int i = 0; i < 5000; i += 2)
        records.push_back({"0101", "h" + QByteArray::number(i)});
    records.push_back({"0100", "h0"});

    const QStringList rows = shown(records);
    ASSERT_EQ(rows.size(), 5001);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(rows[i], QStringLiteral("01:01|h%1").arg(i));
    EXPECT_EQ(rows[5000], "01:00|h0");
}

TEST(ProbeDayRecords, NoRecordsNoRows)
{
    EXPECT_TRUE(shown({}).isEmpty());
}
