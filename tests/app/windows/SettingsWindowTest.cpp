// The settings window and the password digest.

#include "WindowsFixture.h"

#include "GroupBoxReference.h"
#include "ToolkitColors.h"
#include "UntMain.h"
#include "UntSettings.h"
#include "VistaProBar.h"
#include "bsSkinData.h"
#include "bsSkinPanel.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QSpinBox>

namespace {

// Computed apart from the program: MD5 hex of the UTF-8 bytes, the salt
// appended, MD5 hex again.
QString expectedDigest(const QString& password)
{
    const QByteArray inner =
        QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex();
    return QString::fromLatin1(
        QCryptographicHash::hash(inner + "SOLVEKAB", QCryptographicHash::Md5).toHex());
}

} // namespace

class SettingsWindowTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        createWindows();
    }
};

TEST(PasswordDigest, IsTheSaltedDoubleDigest)
{
    EXPECT_EQ(passwordDigest("Open Sesame"), expectedDigest("Open Sesame"));
    EXPECT_EQ(passwordDigest(""), expectedDigest(""));
    // A known value, fixed once: MD5(MD5("password") + "SOLVEKAB").
    EXPECT_EQ(
        passwordDigest("password"),
        QString::fromLatin1(QCryptographicHash::hash("5f4dcc3b5aa765d61d8327deb882cf99SOLVEKAB",
                                                     QCryptographicHash::Md5)
                                .toHex()));
    EXPECT_NE(passwordDigest("Password"), passwordDigest("password"));
    EXPECT_EQ(passwordDigest(QStringLiteral("pässwörd")), expectedDigest("pässwörd"));
    EXPECT_EQ(passwordDigest("x").size(), 32);
}

TEST_F(SettingsWindowTest, GroupBoxesAreBoundToTheSkin)
{
    for (TbsSkinGroupBox* box : settings->groupBoxes) {
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->SkinData(), settings->SkinData);
        EXPECT_EQ(box->SkinDataName(), "groupbox");
    }
    EXPECT_EQ(settings->SkinData->CompressedStoredSkin(), settings->Store);
    EXPECT_EQ(settings->groupBoxes[1]->Caption(), settings->groupBoxes[3]->Caption());
    EXPECT_EQ(settings->size(), QSize(305, 382));
    EXPECT_EQ(settings->edtpwd->echoMode(), QLineEdit::Password);
    EXPECT_EQ(settings->edtproxypwd->echoMode(), QLineEdit::Password);
    EXPECT_EQ(settings->selectedColor(), platform::clLime);
}

TEST_F(SettingsWindowTest, SkinDataHoldsTheProgramsGroupBox)
{
    const TbsSkinData& skin = *settings->SkinData;
    EXPECT_EQ(settings->Store->CompressedFileName(), "Win7_Aero.skn");
    EXPECT_EQ(settings->SkinData->SkinIndex(), 0);
    ASSERT_FALSE(skin.Empty);
    const int index = skin.GetControlIndex("groupbox");
    ASSERT_GE(index, 0);
    const auto* panel = dynamic_cast<const TbsDataSkinPanelControl*>(skin.CtrlList[index].get());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->SkinRect.Width(), 59);
    EXPECT_EQ(panel->SkinRect.Height(), 52);
    EXPECT_EQ(panel->LTPoint, Point(5, 19));
    EXPECT_EQ(panel->RTPoint, Point(52, 19));
    EXPECT_EQ(panel->LBPoint, Point(4, 47));
    EXPECT_EQ(panel->RBPoint, Point(53, 47));
    EXPECT_EQ(panel->ClRect, Rect(2, 17, 57, 50));
    EXPECT_EQ(panel->CaptionRect, Rect(4, 2, 55, 15));
    EXPECT_EQ(panel->Alignment, taCenter);
    EXPECT_EQ(panel->FontName, "Tahoma");
    EXPECT_EQ(panel->FontHeight, 13);
    EXPECT_EQ(panel->FontColor, 0u);
    EXPECT_FALSE(panel->LeftStretch || panel->TopStretch || panel->RightStretch ||
                 panel->BottomStretch || panel->StretchEffect);
    // The picture it points into holds the whole skin rectangle.
    ASSERT_GE(panel->PictureIndex, 0);
    ASSERT_LT(size_t(panel->PictureIndex), skin.FActivePictures.size());
    const TbsBitmap& picture = *skin.FActivePictures[size_t(panel->PictureIndex)];
    EXPECT_TRUE(picture.BoundsRect().Contains(panel->SkinRect));
}

TEST_F(SettingsWindowTest, GroupBoxesTakeTheirLookFromTheStoredSkin)
{
    const TbsSkinData& skin = *settings->SkinData;
    const int index = skin.GetControlIndex("groupbox");
    ASSERT_GE(index, 0);
    const auto& panel = dynamic_cast<const TbsDataSkinPanelControl&>(*skin.CtrlList[index]);
    const NinePartSkin cut{panel.SkinRect, panel.LTPoint, panel.RTPoint,
                           panel.LBPoint,  panel.RBPoint, panel.ClRect};
    const TbsBitmap& picture = *skin.FActivePictures[size_t(panel.PictureIndex)];
    const TFont captionFont{panel.FontName, panel.FontHeight, panel.FontStyle, panel.FontColor};

    const QRect places[4] = {QRect(8, 6, 289, 58), QRect(8, 70, 289, 70), QRect(8, 146, 289, 148),
                             QRect(8, 300, 289, 74)};
    for (int i = 0; i < 4; ++i) {
        TbsSkinGroupBox* box = settings->groupBoxes[i];
        SCOPED_TRACE(box->Caption().toStdString());
        EXPECT_EQ(box->geometry(), places[i]);
        EXPECT_EQ(box->RealClientRect(), Rect(2, 17, 287, places[i].height() - 2));

        TbsBitmap expected;
        fillFrameReference(expected, cut, picture, 289, places[i].height());
        // Centred in (4, 2, 285, 15), one pixel up for the odd font height 13.
        const QSize text = textSize(captionFont, box->Caption());
        drawCaption(expected, captionFont, Rect(4, 2, 285, 15), 4 + 281 / 2 - text.width() / 2,
                    2 + 13 / 2 - text.height() / 2 - 1, box->Caption());
        EXPECT_TRUE(sameColours(renderOf(box), expected, Rect(0, 0, 289, places[i].height())));
    }
}

TEST_F(SettingsWindowTest, HidingWritesEveryKey)
{
    settings->show();
    settings->selectColor(platform::clRed);
    settings->cbubble->setChecked(true);
    settings->useproxy->setChecked(true);
    settings->edtproxyhost->setText("proxy.local");
    settings->edtproxyuser->setText("walter");
    settings->edtproxypwd->setText("pa ss");
    settings->sport->setValue(70000);
    settings->edtpwd->setText("Open Sesame");
    settings->cpwd->setChecked(true);
    settings->hide();

    EXPECT_EQ(configValue("PGCOLOR"), "clRed");
    EXPECT_EQ(configValue("SHOWBALLOON"), "1");
    EXPECT_EQ(configValue("USEPROXY"), "1");
    EXPECT_EQ(configValue("PROXYHOST"), "proxy.local");
    EXPECT_EQ(configValue("PROXYUSER"), "walter");
    EXPECT_EQ(configValue("PROXYPWD"), "pa ss");
    EXPECT_EQ(configValue("PROXYPORT"), "70000");
    EXPECT_EQ(configValue("USEPWD"), "1");
    EXPECT_EQ(configValue("PWD"), expectedDigest("Open Sesame"));

    // The reload shows what was stored: the port in 16 bits, the placeholder.
    EXPECT_EQ(settings->sport->value(), 4464);
    EXPECT_EQ(settings->edtpwd->text(), PasswordPlaceholder);
    EXPECT_FALSE(settings->edtpwd->isEnabled());
    EXPECT_TRUE(settings->cpwd->isChecked());
    EXPECT_EQ(main->p->color(), QColor(255, 0, 0));
}

TEST_F(SettingsWindowTest, PlaceholderKeepsThePassword)
{
    setConfigValue("USEPWD", "1");
    setConfigValue("PWD", passwordDigest("kept"));
    main->show();
    EXPECT_EQ(settings->edtpwd->text(), PasswordPlaceholder);
    settings->show();
    settings->hide();
    EXPECT_EQ(configValue("PWD"), passwordDigest("kept"));
    EXPECT_EQ(configValue("USEPWD"), "1");
}

TEST_F(SettingsWindowTest, SwitchingProtectionOffStoresTheEmptyDigest)
{
    setConfigValue("USEPWD", "1");
    setConfigValue("PWD", passwordDigest("kept"));
    main->show();
    settings->show();
    settings->cpwd->setChecked(false);
    EXPECT_TRUE(settings->edtpwd->isEnabled());
    EXPECT_TRUE(settings->edtpwd->text().isEmpty());
    settings->hide();
    EXPECT_EQ(configValue("USEPWD"), "0");
    EXPECT_EQ(configValue("PWD"), expectedDigest(""));
}

TEST_F(SettingsWindowTest, BlankPasswordIsRefused)
{
    settings->show();
    settings->edtpwd->setText("   ");
    settings->cpwd->setChecked(true);
    EXPECT_FALSE(settings->cpwd->isChecked());
    EXPECT_EQ(takeBoxes(), QStringList{"Set password|You must choose a none blank password before "
                                       "activation of the password protected function !|0x30"});
    // Unchecking empties the box and opens it.
    EXPECT_TRUE(settings->edtpwd->text().isEmpty());
    EXPECT_TRUE(settings->edtpwd->isEnabled());
}

TEST_F(SettingsWindowTest, AutostartFollowsTheBoxAtOnce)
{
    settings->show();
    EXPECT_FALSE(settings->cstartup->isChecked());
    settings->cstartup->setChecked(true);
    ASSERT_TRUE(fake.autostartEntries.contains("Solvek Anti-Bot"));
    EXPECT_EQ(fake.autostartEntries["Solvek Anti-Bot"], "\"" + fake.programFilePath + "\" /hidden");
    settings->cstartup->setChecked(false);
    EXPECT_FALSE(fake.autostartEntries.contains("Solvek Anti-Bot"));

    // Showing the window reflects an entry made elsewhere.
    settings->hide();
    fake.autostartEntries["Solvek Anti-Bot"] = "\"/old/path\" /hidden";
    settings->show();
    EXPECT_TRUE(settings->cstartup->isChecked());
}

TEST_F(SettingsWindowTest, RefusedAutostartIsReported)
{
    fake.autostartFails = true;
    settings->show();
    settings->cstartup->setChecked(true);
    const QStringList boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("Yeld Solvek Anti-Bot|")) << boxes[0].toStdString();
    EXPECT_TRUE(settings->isVisible());
}

TEST_F(SettingsWindowTest, ColourBoxRecoloursTheBarAtOnce)
{
    settings->show();
    const int blue = settings->cbox->findText("Blue");
    ASSERT_GE(blue, 0);
    settings->cbox->setCurrentIndex(blue);
    emit settings->cbox->activated(blue);
    EXPECT_EQ(main->p->color(), QColor(0, 0, 255));
    EXPECT_EQ(settings->DialogColor(), platform::clBlue);
}

TEST_F(SettingsWindowTest, ColourDialogChoiceOrCancel)
{
    settings->show();
    // Cancelled: the colour stays.
    settings->SpeedButton1Click();
    EXPECT_EQ(settings->selectedColor(), platform::clLime);
    EXPECT_EQ(main->p->color(), QColor(0, 255, 0));

    // Confirmed with a colour outside the list: the custom entry takes it.
    execColorDialog = [](QColorDialog* dialog) {
        dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        return true;
    };
    settings->SpeedButton1Click();
    EXPECT_EQ(main->p->color(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(settings->selectedColor(), 0x563412u);
    EXPECT_EQ(settings->cbox->currentIndex(), 0);
    settings->hide();
    EXPECT_EQ(configValue("PGCOLOR"), "$00563412");
    EXPECT_EQ(settings->selectedColor(), 0x563412u);
}

TEST_F(SettingsWindowTest, ScreenshotIsNotBlank)
{
    settings->show();
    const QImage shot = settings->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(305, 382));
    EXPECT_GT(distinctColours(shot), 1);
}

TEST_F(SettingsWindowTest, CustomEntryTakesThePickedColourOrGoesBack)
{
    settings->show();
    // Cancelled: the box and the bar keep lime.
    settings->cbox->setCurrentIndex(0);
    emit settings->cbox->activated(0);
    EXPECT_EQ(settings->selectedColor(), platform::clLime);
    EXPECT_EQ(main->p->color(), QColor(0, 255, 0));

    execColorDialog = [](QColorDialog* dialog) {
        dialog->setCurrentColor(QColor(10, 20, 30));
        return true;
    };
    settings->cbox->setCurrentIndex(0);
    emit settings->cbox->activated(0);
    EXPECT_EQ(settings->cbox->currentIndex(), 0);
    EXPECT_EQ(settings->selectedColor(), 0x1E140Au);
    EXPECT_EQ(main->p->color(), QColor(10, 20, 30));
}
