// The about box: no caption bar, fixed size, dragged by its body, links.

#include "WindowsFixture.h"

#include "UntAbout.h"
#include "UntMain.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>

namespace {

void sendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button)
{
    const QPoint global = target->mapToGlobal(local);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(local), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void click(QWidget* target, QPoint local = QPoint(10, 10))
{
    sendMouse(target, QEvent::MouseButtonPress, local, Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, local, Qt::LeftButton);
}

} // namespace

class AboutBoxTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        createWindows();
    }
    QStringList openedPages() const
    {
        QStringList pages;
        for (const QUrl& url : fake.openedUrls)
            pages << url.toString();
        return pages;
    }
};

TEST_F(AboutBoxTest, HasNoCaptionAndAFixedSize)
{
    EXPECT_TRUE(about->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(about->size(), QSize(410, 434));
    EXPECT_EQ(about->minimumSize(), about->maximumSize());
    EXPECT_TRUE(about->Memo->isReadOnly());
    EXPECT_FALSE(about->Memo->toPlainText().isEmpty());
}

TEST_F(AboutBoxTest, LinkIconsOpenTheMakersPages)
{
    for (QLabel* icon : {about->Image3, about->Image4, about->Image5, about->Image6})
        click(icon);
    EXPECT_EQ(openedPages(), (QStringList{makerPages::Video, makerPages::Social,
                                          makerPages::Community, makerPages::News}));
    fake.openedUrls.clear();
    // The forum first, then the home page.
    click(about->Image7);
    EXPECT_EQ(openedPages(), (QStringList{makerPages::Forum, makerPages::Home}));
}

TEST_F(AboutBoxTest, ReleaseOutsideTheIconIsNoClick)
{
    sendMouse(about->Image3, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    sendMouse(about->Image3, QEvent::MouseButtonRelease, QPoint(100, 10), Qt::LeftButton);
    EXPECT_TRUE(fake.openedUrls.isEmpty());
}

TEST_F(AboutBoxTest, CloseIconHidesTheBox)
{
    main->btnaboutClick();
    EXPECT_TRUE(about->isVisible());
    click(about->Image2);
    EXPECT_FALSE(about->isVisible());
    // It is still there for the next time.
    main->AboutSolvek2Click();
    EXPECT_TRUE(about->isVisible());
}

TEST_F(AboutBoxTest, DraggingTheBodyOrTheLogoMovesTheBox)
{
    about->show();
    about->move(100, 100);
    const QPoint start = about->pos();
    // Any button starts the drag.
    sendMouse(about.get(), QEvent::MouseButtonPress, QPoint(200, 420), Qt::RightButton);
    sendMouse(about.get(), QEvent::MouseMove, QPoint(230, 470), Qt::RightButton);
    sendMouse(about.get(), QEvent::MouseButtonRelease, QPoint(230, 470), Qt::RightButton);
    EXPECT_EQ(about->pos(), start + QPoint(30, 50));

    const QPoint second = about->pos();
    sendMouse(about->Image1, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    // The logo keeps the mouse; its moves reach the box.
    sendMouse(about->Image1, QEvent::MouseMove, QPoint(-15, 25), Qt::LeftButton);
    EXPECT_EQ(about->pos(), second + QPoint(-20, 20));
}

TEST_F(AboutBoxTest, WebsiteMenuOpensTheHomePage)
{
    main->Visitourwebsite1Click();
    EXPECT_EQ(openedPages(), QStringList{makerPages::Home});
}
