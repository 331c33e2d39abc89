// Skinned control bases: binding and lookup, sizing by resize mode, the skin
// and default looks, the window region and the background check.

#include "SkinControlsTestSupport.h"
#include "bsComponentState.h"
#include "bsSkinControl.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Opens the protected geometry to the tests and counts skin changes.
class ProbeControl : public TbsSkinCustomControl {
public:
    using TbsSkinCustomControl::FRgn;
    using TbsSkinCustomControl::MaskPicture;
    using TbsSkinCustomControl::Picture;
    using TbsSkinCustomControl::ResizeMode;
    using TbsSkinCustomControl::TbsSkinCustomControl;

    void ChangeSkinData() override
    {
        ++changes;
        TbsSkinCustomControl::ChangeSkinData();
    }
    int changes = 0;
};

QImage shot(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

testing::AssertionResult imageMatches(const QImage& image,
                                      const std::function<quint32(int, int)>& expected)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != (expected(x, y) | 0xFF000000))
                return testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << hexOf(image.pixel(x, y))
                       << ", expected " << hexOf(expected(x, y));
    return testing::AssertionSuccess();
}

quint32 btnFace()
{
    return platform::toQColor(platform::clBtnFace).rgb();
}

class SkinControlTest : public testing::Test {
protected:
    SkinControlTest()
    {
        host.resize(400, 300);
        control = new ProbeControl(&host);
    }
    // Binds the control to the skin's "groupbox" at the given bounds.
    void bind(int width, int height, bool frameStrips = false)
    {
        control->SetForcebackGround(frameStrips);
        control->SetSkinDataName(QStringLiteral("groupbox"));
        control->SetSkinData(&skin);
        control->SetBounds(0, 0, width, height);
    }
    QSize sizeAfterBounds(int width, int height)
    {
        control->SetBounds(0, 0, width, height);
        return control->size();
    }

    TestSkin skin;
    QWidget host;
    ProbeControl* control;
};

TEST_F(SkinControlTest, GroupBoxGeometryAt289By74)
{
    bind(289, 74);
    EXPECT_EQ(control->FIndex, 0);
    EXPECT_EQ(control->ResizeMode, 1);
    EXPECT_EQ(control->size(), QSize(289, 74));
    EXPECT_EQ(control->RealClientRect(), Rect(2, 17, 287, 72));
    EXPECT_EQ(CalcObjectRect(*control, Rect(4, 2, 55, 15)), Rect(4, 2, 285, 15));
    // Wholly in the bottom-right corner zone: moved both ways.
    EXPECT_EQ(CalcObjectRect(*control, Rect(54, 48, 58, 51)), Rect(284, 70, 288, 73));
    // Wholly in the left-bottom corner zone (0, 47, 4, 52): moved down only.
    EXPECT_EQ(CalcObjectRect(*control, Rect(1, 48, 3, 51)), Rect(1, 70, 3, 73));
}

TEST_F(SkinControlTest, FixedAndOneWaySkinsForceTheirSize)
{
    TbsDataSkinPanelControl& d = skin.groupBox();
    d.LTPoint = d.RTPoint = d.LBPoint = d.RBPoint = Point(0, 0);
    bind(100, 100);
    EXPECT_EQ(control->ResizeMode, 0);
    EXPECT_EQ(control->size(), QSize(59, 52));
    EXPECT_EQ(sizeAfterBounds(120, 90), QSize(59, 52));

    d.RTPoint = Point(52, 19); // width only
    EXPECT_EQ(sizeAfterBounds(150, 90), QSize(150, 52));
    EXPECT_EQ(control->ResizeMode, 2);
    // A right-bottom point off one axis only does not make it both ways.
    d.RBPoint = Point(53, 0);
    EXPECT_EQ(sizeAfterBounds(160, 90), QSize(160, 52));
    EXPECT_EQ(control->ResizeMode, 2);

    d.RTPoint = Point(0, 0);
    d.LBPoint = Point(4, 47); // height only
    d.RBPoint = Point(0, 47);
    EXPECT_EQ(sizeAfterBounds(150, 90), QSize(59, 90));
    EXPECT_EQ(control->ResizeMode, 3);
    // Mode 3 maps rectangles below the left-bottom point down, leaves those above.
    EXPECT_EQ(CalcObjectRect(*control, Rect(10, 48, 20, 50)), Rect(10, 86, 20, 88));
    EXPECT_EQ(CalcObjectRect(*control, Rect(10, 20, 20, 30)), Rect(10, 20, 20, 30));
}

TEST_F(SkinControlTest, ResizesOutsideSetBoundsStillFitTheSkin)
{
    TbsDataSkinPanelControl& d = skin.groupBox();
    d.LTPoint = d.RTPoint = d.LBPoint = d.RBPoint = Point(0, 0);
    host.show();
    bind(59, 52);
    control->resize(200, 200);
    EXPECT_EQ(control->size(), QSize(59, 52));
    control->setGeometry(10, 20, 80, 80);
    EXPECT_EQ(control->geometry(), QRect(10, 20, 59, 52));
}

TEST_F(SkinControlTest, SkinLookByNinePartsOrByFrameStrips)
{
    bind(289, 74);
    EXPECT_TRUE(imageMatches(shot(*control), [](int x, int y) {
        return tiledNinePart(groupBoxGeometry(289, 74), x, y);
    }));
    for (const auto& [w, h] : {std::pair{289, 58}, {289, 70}, {289, 74}, {289, 148}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        bind(w, h, true);
        EXPECT_TRUE(imageMatches(shot(*control),
                                 [&](int x, int y) { return frameStripGroupBox(w, h, x, y); }));
    }
}

TEST_F(SkinControlTest, DefaultLookWithoutSkinNameOrImage)
{
    control->SetBounds(0, 0, 40, 30);
    EXPECT_TRUE(imageMatches(shot(*control), [](int, int) { return btnFace(); }));
    // A name the skin lacks.
    control->SetSkinDataName(QStringLiteral("panel"));
    control->SetSkinData(&skin);
    EXPECT_EQ(control->FIndex, -1);
    EXPECT_TRUE(imageMatches(shot(*control), [](int, int) { return btnFace(); }));
    // A descriptor without an image of this kind keeps the size.
    skin.CtrlList.push_back(std::make_unique<TbsDataSkinStdLabelControl>(QStringLiteral("label")));
    control->SetSkinDataName(QStringLiteral("label"));
    control->ChangeSkinData();
    EXPECT_EQ(control->FIndex, 1);
    EXPECT_EQ(sizeAfterBounds(70, 20), QSize(70, 20));
    EXPECT_TRUE(imageMatches(shot(*control), [](int, int) { return btnFace(); }));
}

TEST_F(SkinControlTest, PictureIndexesOutsideTheListMeanNone)
{
    for (int index : {-5, -1, 1, 7}) {
        skin.groupBox().PictureIndex = index;
        skin.groupBox().MaskPictureIndex = index;
        bind(100, 60);
        EXPECT_EQ(control->Picture, nullptr) << index;
        EXPECT_EQ(control->MaskPicture, nullptr) << index;
        EXPECT_TRUE(imageMatches(shot(*control), [](int, int) { return btnFace(); }));
    }
}

TEST_F(SkinControlTest, RemovedSkinDataLeavesTheDefaultLook)
{
    auto* owned = new TestSkin;
    control->SetSkinDataName(QStringLiteral("groupbox"));
    control->SetSkinData(owned);
    control->SetBounds(0, 0, 80, 60);
    EXPECT_EQ(control->FIndex, 0);
    delete owned;
    EXPECT_EQ(control->SkinData(), nullptr);
    EXPECT_TRUE(imageMatches(shot(*control), [](int, int) { return btnFace(); }));
    EXPECT_EQ(control->FIndex, -1);
}

TEST_F(SkinControlTest, EmptyOrDesignedSkinIsNotAppliedAtOnce)
{
    TbsSkinData empty;
    control->SetSkinData(&empty);
    EXPECT_EQ(control->changes, 0);
    SetDesigning(control, true);
    control->SetSkinData(&skin);
    EXPECT_EQ(control->changes, 0);
    SetDesigning(control, false);
    control->SetSkinData(&skin);
    EXPECT_EQ(control->changes, 1);
}

TEST_F(SkinControlTest, DefaultSizeAppliesOnlyWhileUnskinned)
{
    control->SetBounds(0, 0, 30, 30);
    control->SetDefaultWidth(120);
    control->SetDefaultHeight(0);
    EXPECT_EQ(control->size(), QSize(120, 30));
    bind(289, 74);
    control->SetDefaultHeight(40);
    EXPECT_EQ(control->size(), QSize(289, 74));
    // Unskinned again: the next skin change applies both.
    control->SetSkinDataName(QStringLiteral("none"));
    control->ChangeSkinData();
    EXPECT_EQ(control->size(), QSize(120, 40));
}

TEST_F(SkinControlTest, MaskShapesTheWindowAndGoesWithIt)
{
    // The mask is cut from its own top-left: black but for its top-left pixel.
    auto mask = std::make_unique<SizedBitmap>(59, 52, 0xFF000000);
    *mask->GetPixelPtr(0, 0) = 0xFFFFFFFF;
    skin.groupBox().MaskPictureIndex = skin.addPicture(std::move(mask));
    bind(289, 74);
    ASSERT_TRUE(control->FRgn.has_value());
    EXPECT_FALSE(control->mask().isEmpty());
    EXPECT_FALSE(control->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(control->mask().contains(QPoint(1, 0)));
    EXPECT_TRUE(control->mask().contains(QPoint(288, 73)));

    skin.groupBox().MaskPictureIndex = -1;
    control->ChangeSkinData();
    EXPECT_FALSE(control->FRgn.has_value());
    EXPECT_TRUE(control->mask().isEmpty());
}

// Counts the background checks a widget receives.
class CheckCounter : public QObject {
public:
    explicit CheckCounter(QWidget* widget) { widget->installEventFilter(this); }
    int checks = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        checks += event->type() == bsCheckParentBgEvent;
        return false;
    }
};

TEST_F(SkinControlTest, BackgroundCheckReachesChildrenOneLevelDeep)
{
    auto* windowed = new ProbeControl(control);
    auto* graphic = new TbsGraphicSkinControl(control);
    auto* grandchild = new ProbeControl(windowed);
    CheckCounter w(windowed), g(graphic), gc(grandchild);
    CheckControlsBackground(control);
    EXPECT_EQ(w.checks, 1);
    EXPECT_EQ(g.checks, 1);
    EXPECT_EQ(gc.checks, 0);
}

TEST_F(SkinControlTest, StretchedSkinChecksTheChildrenAtEveryBoundsChange)
{
    auto* child = new ProbeControl(control);
    CheckCounter counter(child);
    skin.groupBox().StretchEffect = true;
    host.show();
    bind(100, 60);
    const int before = counter.checks;
    control->SetBounds(5, 5, 100, 60);
    EXPECT_EQ(counter.checks, before + 1);
    control->move(20, 10); // a move of its own, not through SetBounds
    EXPECT_EQ(counter.checks, before + 2);
}

// A control whose skin paint fails.
class FailingControl : public TbsSkinCustomControl {
public:
    using TbsSkinCustomControl::TbsSkinCustomControl;

protected:
    void PaintSkinImage(TbsBitmap&) override { throw std::runtime_error("broken skin"); }
};

TEST_F(SkinControlTest, FailedPaintDoesNotLeaveTheEventHandler)
{
    FailingControl failing(&host);
    failing.SetSkinDataName(QStringLiteral("groupbox"));
    failing.SetSkinData(&skin);
    failing.SetBounds(0, 0, 100, 60);
    EXPECT_NO_THROW(failing.grab());
}

TEST_F(SkinControlTest, MouseEnterAndLeaveReachTheHandlersUnlessDesigned)
{
    QObject* entered = nullptr;
    int left = 0;
    control->SetOnMouseEnter([&](QObject* sender) { entered = sender; });
    control->SetOnMouseLeave([&](QObject*) { ++left; });
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(control, &enter);
    QCoreApplication::sendEvent(control, &leave);
    EXPECT_EQ(entered, control);
    EXPECT_EQ(left, 1);
    SetDesigning(control, true);
    QCoreApplication::sendEvent(control, &leave);
    EXPECT_EQ(left, 1);
}

TEST_F(SkinControlTest, BadGeometryPaintsWithoutFault)
{
    // A skin rectangle partly off the picture, and a client part of no size.
    skin.groupBox().SkinRect = Rect(180, 100, 239, 152);
    bind(289, 74, true);
    EXPECT_NO_THROW(shot(*control));
    skin.groupBox().SkinRect = kGroupSkinRect;
    skin.groupBox().ClRect = Rect(2, 17, 2, 50);
    bind(289, 74, true);
    EXPECT_NO_THROW(shot(*control));
    // Below the corners.
    bind(8, 8, true);
    EXPECT_NO_THROW(shot(*control));
}

TEST(PlainSkinControls, UnskinnedPaintsTheUntouchedBitmap)
{
    TbsSkinControl windowed;
    windowed.resize(10, 10);
    const QImage image = windowed.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(5, 5), 0xFF000000u);
    TbsGraphicSkinControl graphic;
    EXPECT_TRUE(IsGraphicControl(&graphic));
}

} // namespace
