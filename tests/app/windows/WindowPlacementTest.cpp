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
