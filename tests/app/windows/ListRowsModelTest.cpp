#include "ListRowsModel.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

TListRows twoColumnRows(int count)
{
    TListRows rows(2);
    for (int i = 0; i < count; ++i) {
        rows.appendCell(QStringLiteral("t%1").arg(i));
        rows.appendCell(QString(i, QLatin1Char('h'))); // lengths 0, 1, 2, ...
    }
    return rows;
}

QStringList texts(const TListRowsModel& model)
{
    QStringList all;
    for (int row = 0; row < model.rowCount(); ++row)
        all << model.text(row, 0) + "|" + model.text(row, 1);
    return all;
}

QStringList expected(std::initializer_list<int> indexes)
{
    QStringList all;
    for (int i : indexes)
        all << QStringLiteral("t%1|").arg(i) + QString(i, QLatin1Char('h'));
    return all;
}

} // namespace

TEST(ListRows, CellsKeepTheirTextsEmptyOnesToo)
{
    const TListRows rows = twoColumnRows(4);
    EXPECT_EQ(rows.rowCount(), 4);
    EXPECT_EQ(rows.cell(0, 1), u"");
    EXPECT_EQ(rows.cell(3, 0), u"t3");
    EXPECT_EQ(rows.cell(3, 1), u"hhh");
}

TEST(ListRows, RemovingRowsKeepsTheRowsAfterThem)
{
    TListRows rows = twoColumnRows(5);
    rows.removeRows(1, 2);
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.cell(1, 0), u"t3");
    EXPECT_EQ(rows.cell(1, 1), u"hhh");
    EXPECT_EQ(rows.cell(2, 1), u"hhhh");
    rows.removeLastRow();
    EXPECT_EQ(rows.rowCount(), 2);
    rows.appendCell(u"new");
    rows.appendCell(u"cell");
    EXPECT_EQ(rows.cell(2, 0), u"new");
    EXPECT_EQ(rows.cell(2, 1), u"cell");
}

TEST(ListRowsModel, SlicesOfAnotherListAppendInOrder)
{
    const TListRows source = twoColumnRows(6);
    TListRowsModel model({"Time", "Host"}, nullptr);
    model.appendRows(source, 0, 2);
    model.appendRows(source, 4, 6);
    model.appendRows(source, 3, 3); // nothing
    EXPECT_EQ(texts(model), expected({0, 1, 4, 5}));
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Host");
    EXPECT_EQ(model.data(model.index(3, 1)).toString(), "hhhhh");
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());
}

TEST(ListRowsModel, RemovesScatteredRowsAndRuns)
{
    const TListRows source = twoColumnRows(8);
    TListRowsModel model({"Time", "Host"}, nullptr);
    model.appendRows(source, 0, 8);
    int removals = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&] { ++removals; });
    model.removeRowList({0, 2, 3, 4, 7});
    EXPECT_EQ(texts(model), expected({1, 5, 6}));
    EXPECT_EQ(removals, 3); // one per run of consecutive rows
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(ListRowsModel, AColumnIconDecoratesEveryCellOfItsColumn)
{
    TListRowsModel model({"Time", "Host"}, nullptr);
    QPixmap pixmap(4, 4);
    pixmap.fill(Qt::red);
    model.setColumnIcon(0, QIcon(pixmap));
    model.appendRows(twoColumnRows(2), 0, 2);
    EXPECT_TRUE(model.data(model.index(1, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(model.data(model.index(1, 1), Qt::DecorationRole).isValid());
}

TEST(ListRows, UtfEightCellsDecodeOutsideAsciiToo)
{
    TListRows rows(1);
    rows.appendUtf8Cell("plain.example");
    rows.appendUtf8Cell("b\xc3\xbc"
                        "cher.de");
    rows.appendUtf8Cell("");
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.cell(0, 0), u"plain.example");
    EXPECT_EQ(rows.cell(1, 0), QString::fromUtf8("b\xc3\xbc"
                                                 "cher.de"));
    EXPECT_EQ(rows.cell(1, 0).size(), 9);
    EXPECT_EQ(rows.cell(2, 0), u"");
}
