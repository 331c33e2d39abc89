// The panel and group box: construction, the children's area, roll-up,
// checked mode and the caption's mouse hits.

#include "PanelTestSkin.h"
#include "bsSkinPanel.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace {

// The button's release at (x, y), where the panel acts on a click.
void clickAt(QWidget* widget, int x, int y, Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF at(x, y);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), button,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

// The area the panel aligns its children in.
TRect childrensArea(const TbsSkinPanel& panel)
{
    TRect R;
    panel.GetSkinClientRect(R);
    return R;
}

QMargins marginsOf(const TRect& area, const QSize& size)
{
    return QMargins(area.Left, area.Top, size.width() - area.Right, size.height() - area.Bottom);
}

} // namespace

TEST(SkinPanel, ConstructionValues)
{
    TbsSkinPanel panel;
    EXPECT_EQ(panel.size(), QSize(150, 150));
    EXPECT_EQ(panel.SkinDataName(), "panel");
    EXPECT_FALSE(panel.CaptionMode());
    EXPECT_TRUE(panel.UseSkinSize());
    EXPECT_EQ(panel.BorderStyle(), bvFrame);
    EXPECT_EQ(panel.DefaultCaptionHeight(), 22);
    EXPECT_EQ(panel.Spacing(), 2);
    EXPECT_EQ(panel.NumGlyphs(), 1);
    EXPECT_EQ(panel.RealHeight(), -1);
    EXPECT_EQ(panel.CaptionImageIndex(), -1);
    EXPECT_EQ(panel.BGPictureIndex, -1);
    EXPECT_TRUE(panel.AutoEnabledControls());
    EXPECT_EQ(panel.FIndex, -1);

    TbsSkinGroupBox box;
    EXPECT_EQ(box.SkinDataName(), "groupbox");
    EXPECT_TRUE(box.CaptionMode());
}

TEST(SkinPanel, GroupBoxTakesTheProgramSkinsNumbers)
{
    PanelTestSkin skin;
    TbsSkinGroupBox box;
    box.SetSkinData(&skin.Data);
    box.SetBounds(8, 300, 289, 74);
    EXPECT_EQ(box.FIndex, 0);
    EXPECT_EQ(box.RealClientRect(), Rect(2, 17, 287, 72));
    EXPECT_EQ(CalcObjectRect(box, box.CaptionRect), Rect(4, 2, 285, 15));
    EXPECT_EQ(box.Alignment, taCenter);
    EXPECT_EQ(box.FontName, "Tahoma");
    EXPECT_EQ(box.FontHeight, 13);
    // The children are aligned in the client part.
    EXPECT_EQ(box.contentsMargins(), QMargins(2, 17, 2, 2));
}

TEST(SkinPanel, ChildrensAreaFollowsBorderCaptionAndRibbon)
{
    TbsSkinPanel panel;
    panel.SetBounds(0, 0, 200, 100);
    EXPECT_EQ(childrensArea(panel), Rect(1, 1, 199, 99));

    panel.SetCaptionMode(true);
    EXPECT_EQ(childrensArea(panel), Rect(1, 23, 199, 99));
    EXPECT_EQ(panel.contentsMargins(), marginsOf(childrensArea(panel), panel.size()));

    panel.SetRibbonStyle(true);
    EXPECT_EQ(childrensArea(panel), Rect(1, 1, 199, 77));

    panel.SetBorderStyle(bvNone);
    EXPECT_EQ(childrensArea(panel), Rect(0, 0, 200, 78));

    panel.SetEmptyDrawing(true);
    EXPECT_EQ(childrensArea(panel), Rect(0, 0, 200, 100));
}

TEST(SkinPanel, GroupBoxLeavesFrameStripsOnlyForACaptionBelowTheClientPart)
{
    PanelTestSkin skin;
    TbsSkinGroupBox box;
    skin.GroupBox->CaptionRect = Rect(4, 50, 55, 52); // top on the client part's bottom (50)
    box.SetSkinData(&skin.Data);
    EXPECT_TRUE(box.ForcebackGround());
    skin.GroupBox->CaptionRect = Rect(4, 51, 55, 52);
    box.ReadSkinObject();
    EXPECT_FALSE(box.ForcebackGround());
}

TEST(SkinPanel, SkinnedCaptionWithoutSkinSizeMovesTheChildrensTop)
{
    PanelTestSkin skin;
    TbsSkinGroupBox box;
    box.SetSkinData(&skin.Data);
    box.SetUseSkinSize(false);
    box.SetBounds(0, 0, 289, 74);
    EXPECT_EQ(childrensArea(box), Rect(2, 22, 287, 72));
    box.SetRibbonStyle(true);
    EXPECT_EQ(childrensArea(box), Rect(2, 17, 287, 52));
}

TEST(SkinPanel, RollUpHidesChildrenAndComesBackAsItWas)
{
    TbsSkinPanel panel;
    panel.SetCaptionMode(true);
    panel.SetBounds(0, 0, 150, 150);
    QWidget shown(&panel);
    QWidget hidden(&panel);
    hidden.hide();
    panel.SetConstraints({300, 120, 400, 100});
    int changes = 0;
    panel.OnChangeRollUpState = [&](TbsSkinPanel*) { ++changes; };
    panel.SetRollUpMode(true);

    panel.SetRollUpState(true);
    EXPECT_EQ(panel.height(), 23);
    EXPECT_EQ(panel.RealHeight(), 150);
    EXPECT_FALSE(shown.isVisibleTo(&panel));
    EXPECT_EQ(panel.Constraints(), TSizeConstraints{});

    panel.SetRollUpState(true); // already rolled up
    EXPECT_EQ(changes, 1);

    panel.SetRollUpState(false);
    EXPECT_EQ(panel.height(), 150);
    EXPECT_EQ(panel.RealHeight(), -1);
    EXPECT_TRUE(shown.isVisibleTo(&panel));
    EXPECT_FALSE(hidden.isVisibleTo(&panel)); // hidden before, hidden still
    EXPECT_EQ(panel.Constraints(), (TSizeConstraints{300, 120, 400, 100}));
    EXPECT_EQ(changes, 2);

    // A second cycle saves the same constraints again.
    panel.SetRollUpState(true);
    panel.SetRollUpState(false);
    EXPECT_EQ(panel.Constraints(), (TSizeConstraints{300, 120, 400, 100}));
}

TEST(SkinPanel, RollUpStateWithoutRollUpModeStaysFalseAndKeepsConstraints)
{
    TbsSkinPanel panel;
    panel.SetConstraints({300, 0, 0, 40});
    panel.SetRollUpState(true);
    EXPECT_FALSE(panel.RollUpState());
    EXPECT_EQ(panel.height(), 150);
    // Nothing was saved, so nothing unsaved is put back.
    EXPECT_EQ(panel.Constraints(), (TSizeConstraints{300, 0, 0, 40}));
}

TEST(SkinPanel, RollUpModeOffWhileRolledUpStillRollsDown)
{
    TbsSkinPanel panel;
    panel.SetCaptionMode(true);
    QWidget child(&panel);
    panel.SetConstraints({300, 0, 0, 40});
    panel.SetRollUpMode(true);
    panel.SetRollUpState(true);
    panel.SetRollUpMode(false);
    panel.SetRollUpState(false);
    EXPECT_FALSE(panel.RollUpState());
    EXPECT_EQ(panel.height(), 150);
    EXPECT_EQ(panel.RealHeight(), -1);
    EXPECT_TRUE(child.isVisibleTo(&panel));
    EXPECT_EQ(panel.Constraints(), (TSizeConstraints{300, 0, 0, 40}));
}

TEST(SkinPanel, SkinnedRollUpKeepsTheFrameAboveTheClientPart)
{
    PanelTestSkin skin;
    TbsSkinGroupBox box;
    box.SetSkinData(&skin.Data);
    box.SetBounds(0, 0, 289, 74);
    box.SetRollUpMode(true);
    box.SetRollUpState(true);
    EXPECT_EQ(box.height(), 74 - 55);

    // A new skin refits the rolled-up height and keeps the expanded one.
    skin.GroupBox->ClRect = Rect(2, 17, 57, 40);
    box.SetSkinData(&skin.Data);
    EXPECT_EQ(box.height(), 17 + 12); // top frame 17, bottom frame 52 - 40
    EXPECT_EQ(box.RealHeight(), 74);
    box.SetRollUpState(false);
    EXPECT_EQ(box.height(), 74);
}

TEST(SkinPanel, CheckedModeEnablesChildrenAndTellsEveryAssignment)
{
    TbsSkinPanel panel;
    QWidget child(&panel);
    int told = 0;
    panel.OnChecked = [&](TbsSkinPanel*) { ++told; };

    panel.SetChecked(false); // checked mode off: children untouched
    EXPECT_TRUE(child.isEnabled());
    EXPECT_EQ(told, 1);

    panel.SetCheckedMode(true);
    panel.SetChecked(false); // also when the value does not change
    EXPECT_FALSE(child.isEnabled());
    panel.SetChecked(true);
    EXPECT_TRUE(child.isEnabled());
    EXPECT_EQ(told, 3);

    panel.SetAutoEnabledControls(false);
    panel.SetChecked(false);
    EXPECT_TRUE(child.isEnabled());
}

TEST(SkinPanel, CaptionClicksToggleCheckedThenRollUp)
{
    TbsSkinPanel panel;
    panel.SetCaptionMode(true);
    panel.SetBounds(0, 0, 150, 150);

    clickAt(&panel, 10, 10); // neither mode: nothing changes
    EXPECT_FALSE(panel.Checked());

    panel.SetCheckedMode(true);
    panel.SetRollUpMode(true);
    bool rolledWhenChecked = true;
    panel.OnChecked = [&](TbsSkinPanel* p) { rolledWhenChecked = p->RollUpState(); };
    clickAt(&panel, 10, 10);
    EXPECT_TRUE(panel.Checked());
    EXPECT_FALSE(rolledWhenChecked); // Checked first, then RollUpState
    EXPECT_TRUE(panel.RollUpState());
    EXPECT_EQ(panel.height(), 23);

    clickAt(&panel, 10, 10, Qt::RightButton);
    EXPECT_TRUE(panel.Checked());

    // Unskinned hit area: (1, 1, Width - 1, DefaultCaptionHeight), edges in.
    clickAt(&panel, 149, 22);
    EXPECT_FALSE(panel.Checked());
    clickAt(&panel, 0, 5);
    EXPECT_FALSE(panel.Checked());
}

TEST(SkinPanel, SkinnedCaptionHitIsTheLastPaintedCaptionRectangle)
{
    PanelTestSkin skin;
    TbsSkinGroupBox box;
    box.SetSkinData(&skin.Data);
    box.SetCaption(QStringLiteral("System Functions"));
    box.SetBounds(0, 0, 289, 74);
    box.SetCheckedMode(true);
    renderOf(&box);
    ASSERT_EQ(box.NewCaptionRect, Rect(4, 2, 285, 15));

    clickAt(&box, 285, 15);
    EXPECT_TRUE(box.Checked());
    clickAt(&box, 4, 2);
    EXPECT_FALSE(box.Checked());
    clickAt(&box, 3, 2);
    clickAt(&box, 286, 10);
    clickAt(&box, 100, 16);
    clickAt(&box, 0, 0); // the roll-up marker rectangle is empty: no point in it
    EXPECT_FALSE(box.Checked());

    skin.GroupBox->CaptionRect = TRect{}; // no caption in the skin
    renderOf(&box);
    clickAt(&box, 0, 0);
    EXPECT_FALSE(box.Checked());
}

TEST(SkinPanel, RemovedSkinDataLeavesThePlainLook)
{
    TbsSkinGroupBox box;
    {
        PanelTestSkin skin;
        box.SetSkinData(&skin.Data);
        EXPECT_EQ(box.FIndex, 0);
    }
    EXPECT_EQ(box.SkinData(), nullptr);
    box.SetBounds(0, 0, 100, 60);
    const QImage shown = renderOf(&box);
    EXPECT_EQ(box.FIndex, -1);
    EXPECT_EQ(QColor(shown.pixel(50, 40)), platform::toQColor(platform::clBtnFace));
}
