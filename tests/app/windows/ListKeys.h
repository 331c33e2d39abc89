#pragma once

// Keys a user presses in the list windows' lists.

#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

// From a row in between, End goes to the last row and Home to the first, each
// then the only row selected.
inline void expectHomeAndEndGoToTheFirstAndLastRow(QTableView* list)
{
    const int rows = list->model()->rowCount();
    ASSERT_GE(rows, 3);
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), rows - 1);
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
    QTest::keyClick(list, Qt::Key_Home);
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
}
