#include "SkinDataSupport.h"
#include "bsComponentState.h"
#include "bsStoredSkinStream.h"
#include "bszlibcompress.h"

#include <QBuffer>
#include <QtEndian>

namespace {

// A window class the messages pass by.
class TbsFormLayerWindow : public QWidget {
    Q_OBJECT
};

std::vector<quint32> messagesOf(const std::vector<SkinMessageRecord>& log, const QString& window)
{
    std::vector<quint32> msgs;
    for (const auto& record : log) {
        if (record.window == window)
            msgs.push_back(record.msg);
    }
    return msgs;
}

std::vector<QString> windowsOf(const std::vector<SkinMessageRecord>& log, quint32 msg)
{
    std::vector<QString> windows;
    for (const auto& record : log) {
        if (record.msg == msg)
            windows.push_back(record.window);
    }
    return windows;
}

using Msgs = std::vector<quint32>;
const Msgs loadMessages{SkinMsgBeforeLoad, SkinMsgLoaded, SkinMsgAfterLoad};

QString writerText(TbsSkinData& skin)
{
    IniFile ini;
    skin.WriteSkinDescription(ini);
    return ini.text();
}

} // namespace

TEST(SkinDataMessages, ALoadTellsEveryWindowBeforeAndAfterInOneOrder)
{
    SkinFolder folder;
    std::vector<SkinMessageRecord> log;
    TbsSkinData skin;
    MessageRecorder c("c", log, &skin), a("a", log, &skin), b("b", log, &skin);
    TbsFormLayerWindow layer;
    int loadDataCalls = 0;
    skin.OnLoadData = [&](TbsSkinData* sender) {
        EXPECT_EQ(sender, &skin);
        EXPECT_EQ(messagesOf(log, "a"), Msgs{SkinMsgBeforeLoad});
        ++loadDataCalls;
    };
    skin.LoadFromFile(folder.iniPath());
    EXPECT_EQ(loadDataCalls, 1);
    EXPECT_FALSE(skin.Empty);
    EXPECT_FALSE(skin.ChangeSkinDataProcess);
    for (const QString window : {"a", "b", "c"})
        EXPECT_EQ(messagesOf(log, window), loadMessages) << window.toStdString();
    EXPECT_EQ(windowsOf(log, SkinMsgLoaded), (std::vector<QString>{"a", "b", "c"}));
    for (const auto& record : log) {
        EXPECT_EQ(record.wParam, &skin);
        EXPECT_EQ(record.lParam, 1000);
        // Before: still loading and empty; loaded: complete, still loading; after: done.
        EXPECT_EQ(record.empty, record.msg == SkinMsgBeforeLoad);
        EXPECT_EQ(record.changing, record.msg != SkinMsgAfterLoad);
    }
    EXPECT_EQ(skin.SkinName, "Test");
    EXPECT_EQ(skin.SkinAuthor, "Me");
    EXPECT_EQ(skin.GetControlIndex("groupbox"), 0);
    EXPECT_EQ(skin.GetControlIndex("GroupBox"), -1);
    ASSERT_EQ(skin.FActivePictures.size(), 1u);
    EXPECT_EQ(pixelAt(*skin.FActivePictures[0], 3, 2), argb(255, 30, 40, 99));
}

TEST(SkinDataMessages, LayeredFramesReverseTheOrderAndAnOwnerFormHearsFirstAndOnce)
{
    std::vector<SkinMessageRecord> log;
    MessageRecorder owner("m", log);
    MessageRecorder a("a", log), z("z", log);
    TbsSkinData skin(&owner);

    skin.LayerFrame.PictureIndex = 0;
    skin.SendSkinDataMessage(SkinMsgLoaded);
    EXPECT_EQ(windowsOf(log, SkinMsgLoaded), (std::vector<QString>{"z", "m", "a"}));

    log.clear();
    skin.setShowLayeredBorders(false);
    skin.SendSkinDataMessage(SkinMsgAfterLoad);
    EXPECT_EQ(windowsOf(log, SkinMsgAfterLoad), (std::vector<QString>{"m", "a", "z"}));
    EXPECT_EQ(windowsOf(log, SkinMsgLayeredBordersChanged), (std::vector<QString>{"m", "a", "z"}));
    EXPECT_FALSE(a.testAttribute(Qt::WA_WState_Created)); // no native window
}

TEST(SkinDataMessages, OptionSettersTellOnChangeOnlyAndNotWhileLoading)
{
    std::vector<SkinMessageRecord> log;
    MessageRecorder window("w", log);
    TbsSkinData skin;
    skin.setSkinnableForm(true);
    skin.setShowLayeredBorders(true);
    skin.setAeroBlurEnabled(true);
    EXPECT_TRUE(log.empty());
    skin.setSkinnableForm(false);
    skin.setAeroBlurEnabled(false);
    skin.setShowLayeredBorders(false);
    EXPECT_EQ(messagesOf(log, "w"), (Msgs{SkinMsgSkinnableChanged, SkinMsgAeroBlurChanged,
                                          SkinMsgLayeredBordersChanged}));

    log.clear();
    SetLoading(&skin, true);
    skin.setSkinnableForm(true);
    EXPECT_TRUE(skin.SkinnableForm());
    // The text table tells even while loading, also when set to none.
    skin.setResourceStrData(nullptr);
    EXPECT_EQ(messagesOf(log, "w"), Msgs{SkinMsgResStrChanged});
    SetLoading(&skin, false);
    SetDesigning(&skin, true);
    skin.setResourceStrData(nullptr);
    skin.setAeroBlurEnabled(true);
    EXPECT_EQ(messagesOf(log, "w"), Msgs{SkinMsgResStrChanged});

    // A destroyed table is no longer referred to.
    auto* strings = new TbsResourceStrData;
    skin.setResourceStrData(strings);
    delete strings;
    EXPECT_EQ(skin.ResourceStrData(), nullptr);
}

TEST(SkinDataMessages, ClearSkinTellsAllThreeEvenWithoutASkin)
{
    std::vector<SkinMessageRecord> log;
    MessageRecorder window("w", log);
    TbsSkinData skin;
    skin.ClearSkin();
    EXPECT_EQ(messagesOf(log, "w"), loadMessages);
    EXPECT_TRUE(skin.Empty);
}

TEST(SkinDataLoad, NotASkinOrAnEmptyStoreChangesNothing)
{
    SkinFolder folder;
    TbsSkinData skin;
    skin.LoadFromFile(folder.iniPath());
    std::vector<SkinMessageRecord> log;
    MessageRecorder window("w", log);
    QByteArray noControls = minimalSkinText();
    noControls.replace("[SKINCONTROLS]", "[OTHER]");
    folder.writeFile("other.ini", noControls);
    skin.LoadFromFile(folder.path("other.ini"));
    skin.LoadFromFile(folder.path("missing.ini"));
    TbsCompressedStoredSkin empty;
    skin.LoadCompressedStoredSkin(empty);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(skin.Empty);
    EXPECT_EQ(skin.GetControlIndex("groupbox"), 0);
}

TEST(SkinDataLoad, StoppedLoadsEndClearedAndNoLongerChanging)
{
    std::vector<SkinMessageRecord> log;
    MessageRecorder window("w", log);
    TbsSkinData skin;
    TbsCompressedStoredSkin stored;
    stored.SetCompressedData(programSkinBytes());
    skin.LoadCompressedStoredSkin(stored);
    ASSERT_FALSE(skin.Empty);

    // A newer stream version: cleared, and only the first message.
    QByteArray newer = inflated(stored);
    qToLittleEndian<qint32>(4, newer.data());
    stored.SetCompressedData(compressedBytes(newer));
    log.clear();
    skin.LoadCompressedStoredSkin(stored);
    EXPECT_EQ(messagesOf(log, "w"), Msgs{SkinMsgBeforeLoad});
    EXPECT_TRUE(skin.Empty);
    EXPECT_FALSE(skin.ChangeSkinDataProcess);
    EXPECT_TRUE(skin.CtrlList.empty());
    EXPECT_TRUE(skin.FActivePictures.empty());

    // Cut-short data raises; nothing half loaded stays.
    stored.SetCompressedData(programSkinBytes().left(programSkinBytes().size() - 6));
    log.clear();
    EXPECT_THROW(skin.LoadCompressedStoredSkin(stored), EDecompressionError);
    EXPECT_EQ(messagesOf(log, "w"), Msgs{SkinMsgBeforeLoad});
    EXPECT_TRUE(skin.Empty);
    EXPECT_FALSE(skin.ChangeSkinDataProcess);

    // A picture file that is missing stops an INI load the same way.
    SkinFolder folder;
    QFile::remove(folder.path("pic0.bmp"));
    EXPECT_THROW(skin.LoadFromFile(folder.iniPath()), EbsSkinError);
    EXPECT_TRUE(skin.Empty);
    EXPECT_FALSE(skin.ChangeSkinDataProcess);
    EXPECT_TRUE(skin.CtrlList.empty());
}

TEST(SkinDataLoad, FormInfoCorrectionsFollowTheMaskAndTheClientRectangle)
{
    const auto loaded = [](const QByteArray& formInfo, const QByteArray& mask,
                           const std::function<void(const TbsSkinData&)>& check) {
        SkinFolder folder(minimalSkinText(formInfo, mask));
        TbsSkinData skin;
        skin.LoadFromFile(folder.iniPath());
        ASSERT_FALSE(skin.Empty);
        check(skin);
    };
    const QByteArray client = "clientrect=8,28,228,170\r\n";
    loaded(client, "mask.bmp", [](const TbsSkinData& s) {
        EXPECT_EQ(s.MaskRectArea, Rect(8, 28, 228, 170));
        EXPECT_EQ(s.FMask.Width(), 10);
    });
    loaded(client, "", [](const TbsSkinData& s) { EXPECT_EQ(s.MaskRectArea, Rect(0, 0, 0, 0)); });
    loaded(client + "maskrectarea=10,20,100,300\r\n", "mask.bmp",
           [](const TbsSkinData& s) { EXPECT_EQ(s.MaskRectArea, Rect(8, 20, 228, 300)); });
    loaded(client + "lefttoppoint=2,3\r\nrightbottompoint=50,60\r\nrighttoppoint=300,1\r\n"
                    "leftbottompoint=1,400\r\nhittestlefttoppoint=0,9\r\n"
                    "hittestrighttoppoint=7,9\r\n",
           "mask.bmp", [](const TbsSkinData& s) {
               // Hit-test points take the corners as read, before those move.
               EXPECT_EQ(s.HitTestLTPoint, Point(2, 3));
               EXPECT_EQ(s.HitTestRTPoint, Point(7, 9));
               EXPECT_EQ(s.HitTestLBPoint, Point(1, 400));
               EXPECT_EQ(s.LTPoint, Point(8, 28));
               EXPECT_EQ(s.RTPoint, Point(228, 28));
               EXPECT_EQ(s.LBPoint, Point(8, 170));
               EXPECT_EQ(s.RBPoint, Point(50, 60));
           });
    loaded(client + "lefttoppoint=2,3\r\nrightbottompoint=2,3\r\n", "", [](const TbsSkinData& s) {
        EXPECT_EQ(s.LTPoint, Point(2, 3));
        EXPECT_EQ(s.RBPoint, Point(2, 3));
    });
    loaded("buttonsinleft=1\r\nborderwidth=7\r\nmdibgpictureindex=x\r\nstretchtype=STVERT\r\n"
           "inactiveeffect=ieinvert\r\n",
           "", [](const TbsSkinData& s) {
               EXPECT_TRUE(s.CapButtonsInLeft);
               EXPECT_EQ(s.BorderW, 7);
               EXPECT_EQ(s.MDIBGPictureIndex, -1);
               EXPECT_EQ(s.StretchType, bsstHorz);
               EXPECT_EQ(s.InActiveEffect, ieInvert);
           });
}

TEST(SkinDataLoad, AFormWithoutBackgroundPictureReadsAndWritesMinusOne)
{
    SkinFolder folder(minimalSkinText().replace("bgpictureindex=-1", "borderwidth=3"));
    ASSERT_FALSE(folder.readFile("skin.ini").contains("bgpictureindex"));
    TbsSkinData skin;
    skin.LoadFromFile(folder.iniPath());
    ASSERT_FALSE(skin.Empty);
    EXPECT_EQ(skin.BGPictureIndex, -1);
    IniFile written;
    skin.WriteSkinDescription(written);
    EXPECT_EQ(written.ReadString("FORMINFO", "bgpictureindex", ""), "-1");
}

TEST(SkinDataLoad, TheWriterTextSurvivesStoredSkinsAndSkinFiles)
{
    SkinFolder folder;
    TbsSkinData skin;
    skin.LoadFromFile(folder.iniPath());
    const QString text = writerText(skin);
    EXPECT_TRUE(text.startsWith("[VERSION]\nver=1\nskinname=Test\nskinauthor=Me\nauthoremail=\n"
                                "authorurl=\nskincomments=\n\n[PICTURES]\npicture=\n"
                                "inactivepicture=\nmask=\nactivepicturescount=1\n0=pic0.bmp\n\n"
                                "[FORMINFO]\nlefttoppoint=0,0\n"));
    const qsizetype formInfo = text.indexOf("[FORMINFO]");
    EXPECT_EQ(text.mid(formInfo).section("\n\n", 0, 0).count('\n'), 32);
    EXPECT_LT(text.indexOf("buttonsinleft=0"), text.indexOf("borderwidth=0"));
    EXPECT_LT(text.indexOf("[SKINCOLORS]"), text.indexOf("[SKINOBJECTS]"));
    EXPECT_LT(text.indexOf("[SKINCONTROLS]"), text.indexOf("[groupbox]"));

    // Stored: the writer's text in CR LF lines after the pictures.
    TbsCompressedStoredSkin stored;
    stored.LoadFromSkinData(skin);
    IniFile written;
    skin.WriteSkinDescription(written);
    EXPECT_TRUE(inflated(stored).endsWith(StoredSkinText(written)));
    EXPECT_TRUE(inflated(stored).startsWith(QByteArray::fromHex("0300000001010101000000") + "BM"));

    skin.SaveToCompressedFile(folder.path("skin.skn"));
    TbsSkinData back;
    back.LoadFromCompressedFile(folder.path("skin.skn"));
    ASSERT_FALSE(back.Empty);
    EXPECT_EQ(writerText(back), text);
    EXPECT_EQ(pixelAt(*back.FActivePictures[0], 9, 7), argb(255, 90, 140, 99));

    // From the INI file the container keeps the file's own lines.
    TbsCompressedStoredSkin fromFile;
    fromFile.LoadFromIniFile(folder.iniPath());
    EXPECT_TRUE(inflated(fromFile).endsWith(minimalSkinText()));
    TbsSkinData third;
    third.LoadCompressedStoredSkin(fromFile);
    EXPECT_EQ(writerText(third), text);

    // Not a skin: the container keeps what it held.
    folder.writeFile("plain.ini", "[A]\r\nk=v\r\n");
    fromFile.LoadFromIniFile(folder.path("plain.ini"));
    EXPECT_FALSE(fromFile.Empty());
}

TEST(SkinDataLoad, OlderStreamsDropTheirExtraPictures)
{
    SizedBitmap picture(3, 3, argb(255, 1, 2, 3));
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    QByteArray version2(4, '\0');
    qToLittleEndian<qint32>(2, version2.data());
    stream.write(version2 + "\1\1\1");
    WriteFramePicture(stream, &picture);
    WriteFramePicture(stream, nullptr);
    QByteArray count(4, '\0');
    qToLittleEndian<qint32>(1, count.data());
    stream.write(count);
    WriteBmp(stream, picture);
    stream.write(minimalSkinText());
    TbsCompressedStoredSkin stored;
    stored.SetCompressedData(compressedBytes(stream.data()));
    TbsSkinData skin;
    skin.LoadCompressedStoredSkin(stored);
    ASSERT_FALSE(skin.Empty);
    EXPECT_TRUE(skin.FPicture.Empty());
    ASSERT_EQ(skin.FActivePictures.size(), 1u);
    EXPECT_EQ(skin.FActivePictures[0]->Width(), 3);
}

TEST(SkinDataLoad, SavingKeepsTheFilesOtherSectionsAndStoringStaysInTheFolder)
{
    SkinFolder folder;
    TbsSkinData skin;
    skin.LoadFromFile(folder.iniPath());
    folder.writeFile("out.ini", "[MINE]\r\nkeep=1\r\n[VERSION]\r\nold=1\r\n");
    skin.SaveToFile(folder.path("out.ini"));
    IniFile saved;
    ASSERT_TRUE(saved.loadFile(folder.path("out.ini")));
    EXPECT_EQ(saved.ReadString("MINE", "keep", ""), "1");
    EXPECT_EQ(saved.ReadString("VERSION", "old", "gone"), "gone");
    EXPECT_EQ(saved.ReadString("VERSION", "skinname", ""), "Test");

    QTemporaryDir target;
    skin.StoreToDisk(target.filePath("copy.ini"));
    TbsSkinData copy;
    copy.LoadFromFile(target.filePath("copy.ini"));
    ASSERT_FALSE(copy.Empty);
    EXPECT_EQ(writerText(copy), writerText(skin));

    for (const QString bad : {"../escape.bmp", "/tmp/absolute.bmp", "", "..", "a\\b.bmp"}) {
        SCOPED_TRACE(bad.toStdString());
        QTemporaryDir other;
        skin.FActivePicturesNames[0] = bad;
        EXPECT_THROW(skin.StoreToDisk(other.filePath("sub.ini")), EbsSkinError);
        EXPECT_FALSE(QFile::exists(other.filePath("sub.ini")));
        EXPECT_FALSE(QFile::exists(QDir(other.path()).absoluteFilePath("../escape.bmp")));
    }
}

TEST(SkinDataLoad, SkinListsLoadTheSelectedItemOnly)
{
    TbsCompressedSkinList list;
    for (int i = 0; i < 3; ++i)
        list.Skins().Add();
    list.Skins().GetItem(1).Skin().SetCompressedData(programSkinBytes());

    TbsSkinData skin;
    skin.setSkinIndex(5);
    EXPECT_EQ(skin.SkinIndex(), 5);
    skin.setSkinIndex(1);
    std::vector<SkinMessageRecord> log;
    MessageRecorder window("w", log);
    skin.setSkinList(&list);
    EXPECT_FALSE(skin.Empty);
    EXPECT_EQ(messagesOf(log, "w"), loadMessages);
    skin.setSkinIndex(5);
    EXPECT_EQ(skin.SkinIndex(), 1);
    // An item whose block holds no skin loads nothing.
    log.clear();
    skin.setSkinIndex(0);
    EXPECT_EQ(skin.SkinIndex(), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(skin.Empty);

    SetDesigning(&skin, true);
    skin.setSkinIndex(1);
    skin.setCompressedStoredSkin(&list.Skins().GetItem(1).Skin());
    EXPECT_TRUE(log.empty());
}

TEST(SkinDataLoad, DesignedContainersReadTheirFilesAtOnce)
{
    SkinFolder folder;
    TbsCompressedSkinList list;
    TbsSkinListItem& item = list.Skins().Add();
    item.SetFileName(folder.iniPath());
    EXPECT_EQ(item.FileName(), folder.iniPath());
    EXPECT_TRUE(item.Skin().Empty());

    SetDesigning(&list, true);
    item.SetFileName(folder.iniPath());
    EXPECT_EQ(item.FileName(), "skin.ini");
    EXPECT_FALSE(item.Skin().Empty());
    item.Skin().SaveToCompressFile(folder.path("skin.skn"));
    // A file that cannot be read keeps the old name.
    EXPECT_THROW(item.SetCompressedFileName(folder.path("missing.skn")), EbsSkinError);
    EXPECT_EQ(item.CompressedFileName(), "");
    item.SetCompressedFileName(folder.path("skin.skn"));
    EXPECT_EQ(item.CompressedFileName(), "skin.skn");
    EXPECT_FALSE(item.Skin().Empty());

    TbsCompressedStoredSkin stored;
    SetDesigning(&stored, true);
    stored.SetCompressedFileName(folder.path("skin.skn"));
    EXPECT_EQ(stored.CompressedFileName(), "skin.skn");
    EXPECT_EQ(stored.CompressedData(), item.Skin().CompressedData());
    // The stored skin itself takes the name of a file that fails to load.
    EXPECT_THROW(stored.SetCompressedFileName(folder.path("missing.skn")), EbsSkinError);
    EXPECT_EQ(stored.CompressedFileName(), "missing.skn");
    EXPECT_TRUE(stored.Empty());
    EXPECT_THROW(stored.SetFileName(folder.path("missing.ini")), EbsSkinError);
    EXPECT_EQ(stored.FileName(), "missing.ini");
    SetLoading(&stored, true);
    stored.SetFileName(folder.path("nothing.ini"));
    EXPECT_EQ(stored.FileName(), folder.path("nothing.ini"));
}

#include "SkinDataLoadTest.moc"
