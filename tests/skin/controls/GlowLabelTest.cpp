// The glow label: sizing to its caption, the accelerator, the skin's colour,
// and painting over what lies beneath it.

#include "PaintCounter.h"
#include "SkinControlsTestSupport.h"
#include "WaitUntil.h"
#include "bsSkinExCtrls.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QShortcut>
#include <gtest/gtest.h>

namespace {

class GlowLabelTest : public testing::Test {
protected:
    GlowLabelTest()
    {
        host.resize(400, 200);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        host.setFont(font);
        label = new TbsSkinVistaGlowLabel(&host);
        label->move(100, 20);
    }
    QSize sizeFor(const QString& caption)
    {
        label->setCaption(caption);
        return label->size();
    }
    QFontMetrics metrics() const { return QFontMetrics(host.font()); }

    QWidget host;
    TbsSkinVistaGlowLabel* label;
};

TEST_F(GlowLabelTest, CreatedWithItsDefaults)
{
    TbsSkinVistaGlowLabel fresh;
    EXPECT_EQ(fresh.size(), QSize(65, 17));
    EXPECT_TRUE(fresh.AutoSize());
    EXPECT_EQ(fresh.GlowColor(), 0xFFFFFFu);
    EXPECT_EQ(fresh.GlowSize(), 10);
    EXPECT_EQ(fresh.Alignment(), taLeftJustify);
    EXPECT_EQ(fresh.Layout(), tlTop);
    EXPECT_TRUE(fresh.ShowAccelChar());
    EXPECT_FALSE(fresh.WordWrap());
    EXPECT_FALSE(fresh.DoubleBuffered());
    EXPECT_FALSE(fresh.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_TRUE(IsGraphicControl(&fresh));
}

TEST_F(GlowLabelTest, SizeIsTheTextPlusTwentyEightEachWay)
{
    EXPECT_EQ(
        sizeFor(QStringLiteral("Probe")),
        QSize(metrics().horizontalAdvance(QStringLiteral("Probe")) + 28, metrics().height() + 28));
    // An empty caption is measured as one blank.
    EXPECT_EQ(sizeFor(QString()), QSize(metrics().horizontalAdvance(QStringLiteral(" ")) + 28,
                                        metrics().height() + 28));
    // A lone accelerator sign is measured with a blank after it.
    const QSize ampersand = sizeFor(QStringLiteral("&"));
    EXPECT_EQ(ampersand, sizeFor(QStringLiteral("& ")));
    // Without accelerators "&" is a plain character, as "&&" shows one with them.
    const QSize doubled = sizeFor(QStringLiteral("&&"));
    label->setShowAccelChar(false);
    EXPECT_EQ(sizeFor(QStringLiteral("&")), doubled);
    EXPECT_NE(doubled, ampersand);
}

TEST_F(GlowLabelTest, RightJustifiedKeepsItsRightEdgeOthersTheirLeft)
{
    label->setAlignment(taRightJustify);
    label->setCaption(QStringLiteral("short"));
    const int right = label->geometry().right();
    label->setCaption(QStringLiteral("a much longer caption"));
    EXPECT_EQ(label->geometry().right(), right);
    QFont bigger = host.font();
    bigger.setPixelSize(20);
    label->setFont(bigger);
    EXPECT_EQ(label->geometry().right(), right);

    for (TAlignment alignment : {taLeftJustify, taCenter}) {
        label->setAlignment(alignment);
        label->setCaption(QStringLiteral("one"));
        const int left = label->x();
        label->setCaption(QStringLiteral("one two three"));
        EXPECT_EQ(label->x(), left);
    }
}

TEST_F(GlowLabelTest, FontChangeResizes)
{
    label->setCaption(QStringLiteral("Last Update"));
    const QSize before = label->size();
    QFont bigger = host.font();
    bigger.setPixelSize(24);
    label->setFont(bigger);
    EXPECT_GT(label->width(), before.width());
    EXPECT_GT(label->height(), before.height());
}

TEST_F(GlowLabelTest, WrappedSizeStaysPutOverTenChanges)
{
    // Captions of equal width, as the last-update times are.
    auto caption = [](int i) {
        return QStringLiteral("Last update of the block lists : 0%1/02/2024 - 10:1%1:12").arg(i);
    };
    label->setAutoSize(false);
    label->setWordWrap(true);
    label->setCaption(caption(0));
    label->resize(200, 40);
    label->setAutoSize(true);
    const QSize first = label->size();
    EXPECT_LE(first.width(), 200);
    EXPECT_GT(first.height(), metrics().height() + 28);
    for (int i = 1; i <= 10; ++i) {
        label->setCaption(caption(i % 10));
        ASSERT_EQ(label->size(), first) << i;
    }
}

TEST_F(GlowLabelTest, AcceleratorFocusesTheCompanionUntilItIsGone)
{
    auto* edit = new QLineEdit(&host);
    label->setCaption(QStringLiteral("&Name"));
    auto* accelerator = label->findChild<QShortcut*>();
    ASSERT_NE(accelerator, nullptr);
    EXPECT_EQ(accelerator->key(), QKeySequence(Qt::ALT | Qt::Key_N));
    // Nothing to focus: the key is left to other controls.
    EXPECT_FALSE(accelerator->isEnabled());
    label->setFocusControl(edit);
    EXPECT_TRUE(accelerator->isEnabled());
    host.show();
    QApplication::setActiveWindow(&host);
    emit accelerator->activated();
    EXPECT_EQ(QApplication::focusWidget(), edit);

    // Off: no accelerator at all.
    label->setShowAccelChar(false);
    EXPECT_FALSE(accelerator->isEnabled());
    label->setShowAccelChar(true);

    delete edit;
    EXPECT_EQ(label->FocusControl(), nullptr);
    EXPECT_FALSE(accelerator->isEnabled());
    emit accelerator->activated(); // nothing to focus, nothing fails
}

TEST_F(GlowLabelTest, LoadedSkinGivesTheGlowColour)
{
    label->setGlowColor(0x00CFCFCF);
    label->ChangeSkinData();
    EXPECT_EQ(label->GlowColor(), 0x00CFCFCFu);
    TbsSkinData empty;
    label->SetSkinData(&empty);
    label->ChangeSkinData();
    EXPECT_EQ(label->GlowColor(), 0x00CFCFCFu);
    TestSkin skin;
    skin.SkinColors().FcHighLight = 0x00123456;
    label->SetSkinData(&skin);
    EXPECT_EQ(label->GlowColor(), 0x00123456u);
}

// The host painted black, the label's text black with a lime glow.
class GlowOnBlack : public GlowLabelTest {
protected:
    GlowOnBlack()
    {
        QPalette palette = host.palette();
        palette.setColor(QPalette::Window, Qt::black);
        palette.setColor(QPalette::WindowText, Qt::black);
        host.setPalette(palette);
        host.setAutoFillBackground(true);
        label->setGlowColor(platform::clLime);
        label->setCaption(QStringLiteral("Glow"));
    }
    QImage hostImage() { return host.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

TEST_F(GlowOnBlack, HaloShowsAroundTheTextInItsColour)
{
    const QImage image = hostImage();
    const QRect text = label->geometry().adjusted(10, 10, -10, -10);
    int glowing = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (!label->geometry().contains(x, y)) {
                ASSERT_EQ(p, qRgb(0, 0, 0)) << x << "," << y;
            } else if (!text.contains(x, y)) {
                EXPECT_EQ(qRed(p), 0);
                EXPECT_EQ(qBlue(p), 0);
                glowing += qGreen(p) > 0;
            }
        }
    }
    EXPECT_GT(glowing, 20);
}

TEST_F(GlowOnBlack, DoubleBufferedLooksTheSameOverItsParent)
{
    const QImage plain = hostImage();
    label->setDoubleBuffered(true);
    EXPECT_TRUE(label->testAttribute(Qt::WA_OpaquePaintEvent));
    // The same but for the blend's rounding, which differs by a step at most.
    const QImage buffered = hostImage();
    auto close = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 &&
               std::abs(qBlue(a) - qBlue(b)) <= 1;
    };
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            ASSERT_TRUE(close(plain.pixel(x, y), buffered.pixel(x, y))) << x << "," << y;
    label->setDoubleBuffered(false);
    EXPECT_FALSE(label->testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST_F(GlowLabelTest, SettersRepaintAtOnce)
{
    host.show();
    PaintCounter counter(label);
    ASSERT_TRUE(waitUntil([&] { return counter.paints > 0; }));
    counter.paints = 0;
    label->setGlowColor(platform::clRed);
    EXPECT_EQ(counter.paints, 1);
    label->setAlignment(taCenter);
    label->setLayout(tlBottom);
    label->setCaption(QStringLiteral("new text"));
    EXPECT_EQ(counter.paints, 4);
    EXPECT_EQ(label->Layout(), tlBottom);
}

} // namespace
