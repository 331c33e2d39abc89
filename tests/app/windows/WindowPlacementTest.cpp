// Where a window centred on another is placed.

#include "UntForms.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

TEST(WindowPlacementTest, WindowTallerThanItsAnchorNearTheTopStaysInsideTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget anchor;
    anchor.setGeometry(screen.left() + 10, screen.top() + 60, 200, 100);
    QWidget window;
    window.resize(300, screen.height() - 20);

    centreOn(&window, &anchor);

    EXPECT_TRUE(screen.contains(window.frameGeometry())) << window.frameGeometry().y();
}

TEST(WindowPlacementTest, WindowLargerThanTheScreenKeepsItsTitleBarOnIt)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget anchor;
    anchor.setGeometry(screen.center().x() - 100, screen.center().y() - 50, 200, 100);
    QWidget window;
    window.resize(screen.width() + 200, screen.height() + 300);

    centreOn(&window, &anchor);

    EXPECT_EQ(window.frameGeometry().topLeft(), screen.topLeft());
}
