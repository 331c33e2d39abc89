#include "ToolkitColors.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

using namespace platform;

TEST(ToolkitColors, NamesAndValuesBothWays)
{
    EXPECT_EQ(StringToColor("clLime"), 0x0000FF00u);
    EXPECT_EQ(ColorToString(0x0000FF00), "clLime");
    EXPECT_EQ(StringToColor("CLLIME"), clLime);
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(StringToColor("clBtnFace"), 0xFF00000Fu);
    EXPECT_EQ(ColorToString(clNone), "clNone");
    EXPECT_EQ(StringToColor("clDefault"), clDefault);
    // Every name reads back as the value it was written from.
    for (TColor color : {clBlack, clSkyBlue, clMenuBar, cl3DDkShadow, clHotLight, clCream}) {
        const QString text = ColorToString(color);
        EXPECT_TRUE(text.startsWith("cl")) << text.toStdString();
        EXPECT_EQ(StringToColor(text), color) << text.toStdString();
    }
}

TEST(ToolkitColors, UnnamedColoursAreDollarHex)
{
    EXPECT_EQ(ColorToString(0x00FF8000), "$00FF8000");
    EXPECT_EQ(ColorToString(0x00abcdef), "$00ABCDEF");
    EXPECT_EQ(ColorToString(0x00000001), "$00000001");
    EXPECT_EQ(StringToColor("$00FF8000"), 0x00FF8000u);
    EXPECT_EQ(StringToColor("0x00ff8000"), 0x00FF8000u);
    EXPECT_EQ(StringToColor("65280"), clLime);
    EXPECT_EQ(StringToColor("-16777201"), clBtnFace);
}

TEST(ToolkitColors, BadTextRaisesConvertError)
{
    for (const QString& text : {QString("lime"), QString(""), QString("$"), QString("12 "),
                                QString("$1FFFFFFFF"), QString("2147483648")}) {
        try {
            StringToColor(text);
            ADD_FAILURE() << "no exception for '" << text.toStdString() << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), "'" + text + "' is not a valid integer value");
        }
    }
}

TEST(ToolkitInteger, TheToolkitRule)
{
    EXPECT_EQ(parseToolkitInteger("  42"), 42);
    EXPECT_EQ(parseToolkitInteger("+7"), 7);
    EXPECT_EQ(parseToolkitInteger("-2147483648"), std::numeric_limits<qint32>::min());
    EXPECT_EQ(parseToolkitInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseToolkitInteger("x1F"), 31);
    EXPECT_EQ(parseToolkitInteger("-$10"), -16);
    EXPECT_EQ(parseToolkitInteger("$80000000"), std::numeric_limits<qint32>::min());
    EXPECT_FALSE(parseToolkitInteger("2147483648"));
    EXPECT_FALSE(parseToolkitInteger("1.5"));
    EXPECT_FALSE(parseToolkitInteger("-"));
    EXPECT_FALSE(parseToolkitInteger("\xd9\xa3")); // digits of other scripts do not count
    EXPECT_THROW(StrToInt("abc"), EConvertError);
}

TEST(ToolkitColors, ToAndFromQColor)
{
    EXPECT_EQ(toQColor(0x00FF8000), QColor(0x00, 0x80, 0xFF));
    EXPECT_EQ(toQColor(clRed), QColor(Qt::red));
    EXPECT_EQ(fromQColor(QColor(0x12, 0x34, 0x56)), 0x00563412u);
    EXPECT_EQ(fromQColor(toQColor(clMoneyGreen)), clMoneyGreen);
    EXPECT_EQ(toQColor(clNone).alpha(), 0);
    EXPECT_EQ(fromQColor(QColor(Qt::transparent)), clNone);
    EXPECT_FALSE(toQColor(clDefault).isValid());
    EXPECT_EQ(fromQColor(QColor()), clDefault);
}

TEST(ToolkitColors, SystemColoursFollowThePalette)
{
    QPalette saved = QGuiApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Active, QPalette::Highlight, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Button, QColor(4, 5, 6));
    palette.setColor(QPalette::Active, QPalette::Base, QColor(7, 8, 9));
    QGuiApplication::setPalette(palette);
    EXPECT_EQ(toQColor(clHighlight), QColor(1, 2, 3));
    EXPECT_EQ(toQColor(clBtnFace), QColor(4, 5, 6));
    EXPECT_EQ(toQColor(clWindow), QColor(7, 8, 9));
    EXPECT_EQ(toQColor(clSystemColor | 25), QColor(Qt::black)); // an index the system lacks
    QGuiApplication::setPalette(saved);
}
