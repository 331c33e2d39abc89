// Loading, writing and announcing a whole skin: the parts of TbsSkinData that
// read or write files and streams and tell the windows.

#include "bsBitmapFile.h"
#include "bsComponentState.h"
#include "bsSkinData.h"
#include "bsSkinMessages.h"
#include "bsStoredSkinStream.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>

namespace {

const QString versionSection = QStringLiteral("VERSION");
const QString picturesSection = QStringLiteral("PICTURES");
const QString formInfoSection = QStringLiteral("FORMINFO");
const QString activePicturesPrefix = QStringLiteral("activepictures");

// Identity keys in the order they are written, with their fields.
const std::pair<const char*, QString TbsSkinData::*> identityKeys[] = {
    {"skinname", &TbsSkinData::SkinName},
    {"skinauthor", &TbsSkinData::SkinAuthor},
    {"authoremail", &TbsSkinData::AuthorEmail},
    {"authorurl", &TbsSkinData::AuthorURL},
    {"skincomments", &TbsSkinData::SkinComments}};

const std::pair<const char*, QString TbsSkinData::*> pictureNameKeys[] = {
    {"picture", &TbsSkinData::FPictureName},
    {"inactivepicture", &TbsSkinData::FInActivePictureName},
    {"mask", &TbsSkinData::FMaskName}};

const TbsSkinKeys<TbsSkinData>& formInfoKeys()
{
    using S = TbsSkinData;
    static const TbsSkinKeys<S> keys{
        {"lefttoppoint", &S::LTPoint},
        {"righttoppoint", &S::RTPoint},
        {"leftbottompoint", &S::LBPoint},
        {"rightbottompoint", &S::RBPoint},
        {"clientrect", &S::ClRect},
        {"bgpictureindex", &S::BGPictureIndex, -1},
        {"mdibgpictureindex", &S::MDIBGPictureIndex, -1},
        {"leftstretch", &S::LeftStretch},
        {"rightstretch", &S::RightStretch},
        {"topstretch", &S::TopStretch},
        {"bottomstretch", &S::BottomStretch},
        {"stretcheffect", &S::StretchEffect},
        {"stretchtype", &S::StretchType, bsstFull},
        {"mdibgstretcheffect", &S::MDIBGStretchEffect},
        {"mdibgstretchtype", &S::MDIBGStretchType, bsstFull},
        {"maskrectarea", &S::MaskRectArea},
        {"hittestlefttoppoint", &S::HitTestLTPoint},
        {"hittestrighttoppoint", &S::HitTestRTPoint},
        {"hittestleftbottompoint", &S::HitTestLBPoint},
        {"hittestrightbottompoint", &S::HitTestRBPoint},
        {"buttonsrect", &S::ButtonsRect},
        {"captionrect", &S::CaptionRect},
        {"buttonsoffset", &S::ButtonsOffset},
        {"buttonsinleft", &S::CapButtonsInLeft},
        {"mainmenupopupup", &S::MainMenuPopupUp},
        {"borderwidth", &S::BorderW},
        {"autorenderinginactiveimage", &S::AutoRenderingInActiveImage},
        {"inactiveeffect", &S::InActiveEffect, ieBrightness},
        {"formminwidth", &S::FormMinWidth},
        {"formminheight", &S::FormMinHeight},
        {"mditabstransparent", &S::MDITabsTransparent},
        {"mainmenubartransparent", &S::MainMenuBarTransparent},
    };
    return keys;
}

// A hit-test point with a zero coordinate takes its corner's.
void defaultHitTestPoint(TPoint& hitTest, const TPoint& corner)
{
    if (hitTest.X == 0 || hitTest.Y == 0)
        hitTest = corner;
}

void clampAtLeast(int& value, int bound)
{
    value = std::max(value, bound);
}

void clampAtMost(int& value, int bound)
{
    value = std::min(value, bound);
}

// A picture name that stays in the folder it is written to.
bool isBareFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

QString folderOf(const QString& fileName)
{
    return fileName.left(fileName.lastIndexOf(QLatin1Char('/')) + 1);
}

void loadFramePicture(TbsBitmap& bitmap, const QString& folder, const QString& name)
{
    bitmap.Assign(TbsBitmap());
    if (!name.isEmpty())
        LoadBmpFile(folder + name, bitmap);
}

} // namespace

// Marks a load under way; whatever way the load ends, the mark goes, and a
// load that did not complete leaves no half skin behind.
class TbsSkinData::LoadScope {
public:
    explicit LoadScope(TbsSkinData& skin) : skin(skin)
    {
        skin.Empty = true;
        skin.ChangeSkinDataProcess = true;
        skin.SendSkinDataMessage(SkinMsgBeforeLoad);
        skin.ClearAll();
    }
    ~LoadScope()
    {
        skin.ChangeSkinDataProcess = false;
        if (!completed)
            skin.ClearAll();
    }
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;

    void Complete()
    {
        skin.Empty = false;
        completed = true;
        if (skin.OnLoadData)
            skin.OnLoadData(&skin);
        skin.SendSkinDataMessage(SkinMsgLoaded);
        skin.ChangeSkinDataProcess = false;
        skin.SendSkinDataMessage(SkinMsgAfterLoad);
    }

private:
    TbsSkinData& skin;
    bool completed = false;
};

// ---------------------------------------------------------------------------
// Options and references.

void TbsSkinData::setSkinnableForm(bool value)
{
    if (FSkinnableForm == value)
        return;
    FSkinnableForm = value;
    if (!IsDesigningOrLoading(this))
        SendSkinDataMessage(SkinMsgSkinnableChanged);
}

void TbsSkinData::setShowLayeredBorders(bool value)
{
    if (FShowLayeredBorders == value)
        return;
    FShowLayeredBorders = value;
    if (!IsDesigningOrLoading(this))
        SendSkinDataMessage(SkinMsgLayeredBordersChanged);
}

void TbsSkinData::setAeroBlurEnabled(bool value)
{
    if (FAeroBlurEnabled == value)
        return;
    FAeroBlurEnabled = value;
    if (!IsDesigningOrLoading(this))
        SendSkinDataMessage(SkinMsgAeroBlurChanged);
}

void TbsSkinData::setCompressedStoredSkin(TbsCompressedStoredSkin* skin)
{
    FCompressedStoredSkin = skin;
    if (!IsDesigning(this) && skin)
        LoadCompressedStoredSkin(*skin);
}

void TbsSkinData::setResourceStrData(TbsResourceStrData* value)
{
    FResourceStrData = value;
    if (!IsDesigning(this))
        SendSkinDataMessage(SkinMsgResStrChanged);
}

void TbsSkinData::LoadListSkin()
{
    if (!IsDesigning(this) && FSkinList && FSkinIndex >= 0 &&
        FSkinIndex < FSkinList->Skins().Count())
        LoadCompressedStoredSkin(FSkinList->Skins().GetItem(FSkinIndex).Skin());
}

void TbsSkinData::setSkinList(TbsCompressedSkinList* value)
{
    FSkinList = value;
    LoadListSkin();
}

void TbsSkinData::setSkinIndex(int value)
{
    if (value == FSkinIndex)
        return;
    if (FSkinList && (value < 0 || value >= FSkinList->Skins().Count()))
        return;
    FSkinIndex = value;
    LoadListSkin();
}

// ---------------------------------------------------------------------------
// Messages.

void TbsSkinData::SendSkinDataMessage(quint32 msg)
{
    QWidget* told = nullptr;
    auto* ownerForm = qobject_cast<QWidget*>(parent());
    if (ownerForm && ownerForm->isWindow() && !FShowLayeredBorders) {
        TbsSkinMessageEvent event(msg, this);
        QApplication::sendEvent(ownerForm, &event);
        told = ownerForm;
    }
    QList<QWidget*> forms = SkinMessageTargets();
    forms.removeAll(told);
    if (FShowLayeredBorders && LayerFrame.PictureIndex != -1)
        std::reverse(forms.begin(), forms.end());
    for (QWidget* form : forms) {
        TbsSkinMessageEvent event(msg, this);
        QApplication::sendEvent(form, &event);
    }
}

void TbsSkinData::ClearSkin()
{
    ClearAll();
    SendSkinDataMessage(SkinMsgBeforeLoad);
    SendSkinDataMessage(SkinMsgLoaded);
    SendSkinDataMessage(SkinMsgAfterLoad);
}

// ---------------------------------------------------------------------------
// Reading.

void TbsSkinData::ReadIdentity(const IniFile& ini)
{
    for (const auto& [key, field] : identityKeys)
        this->*field = ini.ReadString(versionSection, QLatin1String(key), QString());
}

void TbsSkinData::ReadPictureNames(const IniFile& ini)
{
    for (const auto& [key, field] : pictureNameKeys)
        this->*field = ini.ReadString(picturesSection, QLatin1String(key), QString());
    ReadStrings(ini, picturesSection, activePicturesPrefix, FActivePicturesNames);
}

void TbsSkinData::ReadFormInfo(const IniFile& ini)
{
    formInfoKeys().Load(*this, ini, formInfoSection);
    if (!FMaskName.isEmpty()) {
        if (MaskRectArea.Width() < 1 || MaskRectArea.Height() < 1) {
            MaskRectArea = ClRect;
        } else {
            clampAtMost(MaskRectArea.Left, ClRect.Left);
            clampAtMost(MaskRectArea.Top, ClRect.Top);
            clampAtLeast(MaskRectArea.Right, ClRect.Right);
            clampAtLeast(MaskRectArea.Bottom, ClRect.Bottom);
        }
        defaultHitTestPoint(HitTestLTPoint, LTPoint);
        defaultHitTestPoint(HitTestRTPoint, RTPoint);
        defaultHitTestPoint(HitTestLBPoint, LBPoint);
        defaultHitTestPoint(HitTestRBPoint, RBPoint);
    }
    if (RBPoint.X != LTPoint.X && RBPoint.Y != LTPoint.Y) {
        clampAtLeast(LTPoint.X, ClRect.Left);
        clampAtLeast(LTPoint.Y, ClRect.Top);
        clampAtMost(RTPoint.X, ClRect.Right);
        clampAtLeast(RTPoint.Y, ClRect.Top);
        clampAtLeast(LBPoint.X, ClRect.Left);
        clampAtMost(LBPoint.Y, ClRect.Bottom);
        clampAtMost(RBPoint.X, ClRect.Right);
        clampAtMost(RBPoint.Y, ClRect.Bottom);
    }
}

void TbsSkinData::ReadSkinDescription(const IniFile& ini)
{
    ReadFormInfo(ini);
    PopupWindow.LoadFromFile(ini);
    LayerFrame.LoadFromFile(ini);
    LayerFrame.InitAlphaImages(*this);
    HintWindow.LoadFromFile(ini);
    FSkinColors.LoadFromFile(ini);
    ReadDescriptorLists(ini);
}

void TbsSkinData::LoadFromFile(const QString& fileName)
{
    IniFile ini;
    ini.loadFile(fileName);
    if (!IsSkinIniFile(ini))
        return;
    LoadScope load(*this);
    const QString folder = folderOf(fileName);
    ReadIdentity(ini);
    ReadPictureNames(ini);
    loadFramePicture(FPicture, folder, FPictureName);
    loadFramePicture(FInActivePicture, folder, FInActivePictureName);
    loadFramePicture(FMask, folder, FMaskName);
    for (const QString& name : FActivePicturesNames) {
        FActivePictures.push_back(std::make_unique<TbsBitmap>());
        LoadBmpFile(folder + name, *FActivePictures.back());
    }
    ReadSkinDescription(ini);
    load.Complete();
}

void TbsSkinData::LoadCompressedStoredSkin(const TbsCompressedStoredSkin& storedSkin)
{
    if (storedSkin.Empty())
        return;
    LoadScope load(*this);
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    storedSkin.DeCompressToStream(stream);
    stream.seek(0);
    TbsStoredSkinParts parts;
    if (!ReadStoredSkin(stream, parts))
        return;
    FPicture.Assign(*parts.Frames[0]);
    FInActivePicture.Assign(*parts.Frames[1]);
    FMask.Assign(*parts.Frames[2]);
    FActivePictures = std::move(parts.ActivePictures);
    ReadIdentity(parts.Ini);
    ReadPictureNames(parts.Ini);
    ReadSkinDescription(parts.Ini);
    load.Complete();
}

void TbsSkinData::LoadFromCompressedFile(const QString& fileName)
{
    TbsCompressedStoredSkin storedSkin(this);
    storedSkin.LoadFromCompressFile(fileName);
    if (!storedSkin.Empty())
        LoadCompressedStoredSkin(storedSkin);
}

// ---------------------------------------------------------------------------
// Writing.

void TbsSkinData::WriteSkinDescription(IniFile& ini)
{
    ini.EraseSection(versionSection);
    ini.WriteInteger(versionSection, QStringLiteral("ver"), 1);
    for (const auto& [key, field] : identityKeys)
        ini.WriteString(versionSection, QLatin1String(key), this->*field);
    ini.EraseSection(picturesSection);
    for (const auto& [key, field] : pictureNameKeys)
        ini.WriteString(picturesSection, QLatin1String(key), this->*field);
    WriteStrings(ini, picturesSection, activePicturesPrefix, FActivePicturesNames);
    ini.EraseSection(formInfoSection);
    formInfoKeys().Save(*this, ini, formInfoSection);
    PopupWindow.SaveToFile(ini);
    LayerFrame.SaveToFile(ini);
    HintWindow.SaveToFile(ini);
    FSkinColors.SaveToFile(ini);
    WriteDescriptorLists(ini);
}

void TbsSkinData::SaveToFile(const QString& fileName)
{
    IniFile ini;
    ini.loadFile(fileName);
    WriteSkinDescription(ini);
    ini.saveFile(fileName);
}

void TbsSkinData::StoreToDisk(const QString& fileName)
{
    std::vector<std::pair<const TbsBitmap*, QString>> files;
    const std::pair<const TbsBitmap*, QString> frames[] = {
        {&FPicture, FPictureName}, {&FInActivePicture, FInActivePictureName}, {&FMask, FMaskName}};
    for (const auto& frame : frames) {
        if (!frame.first->Empty())
            files.push_back(frame);
    }
    if (!FActivePicturesNames.isEmpty()) {
        for (size_t i = 0; i < FActivePictures.size(); ++i) {
            if (!FActivePictures[i]->Empty())
                files.emplace_back(FActivePictures[i].get(),
                                   FActivePicturesNames.value(qsizetype(i)));
        }
    }
    // Names come from the skin: none may lead out of the folder.
    for (const auto& file : files) {
        if (!isBareFileName(file.second))
            throw EbsSkinError(QStringLiteral("Invalid picture file name \"%1\"").arg(file.second));
    }
    SaveToFile(fileName);
    const QString folder = folderOf(fileName);
    for (const auto& [picture, name] : files)
        SaveBmpFile(folder + name, *picture);
}

void TbsSkinData::SaveToCompressedFile(const QString& fileName)
{
    TbsCompressedStoredSkin storedSkin(this);
    storedSkin.LoadFromSkinData(*this);
    storedSkin.SaveToCompressFile(fileName);
}
