#pragma once

// The skin-data component: one loaded skin (pictures plus descriptors) that
// skinned controls look their descriptors up in by name at every paint.

#include "bsCompressedStoredSkin.h"
#include "bsResourceStrData.h"
#include "bsSkinAlphaImages.h"
#include "bsSkinControlSections.h"
#include "bsSkinList.h"
#include "bsSkinObjectSections.h"
#include "bsSkinWindowSections.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TbsSkinData : public QObject {
    Q_OBJECT

public:
    explicit TbsSkinData(QObject* owner = nullptr);
    ~TbsSkinData() override;

    // Options the skinned windows and dialogs read; stored only.
    bool DlgTreeViewDrawSkin = true;
    QString DlgTreeViewItemSkinDataName = QStringLiteral("listbox");
    bool DlgListViewDrawSkin = true;
    QString DlgListViewItemSkinDataName = QStringLiteral("listbox");
    bool AnimationForAllWindows = false;
    bool EnableSkinEffects = true;
    bool ShowButtonGlowFrames = true;
    bool ShowCaptionButtonGlowFrames = true;

    // A change tells the windows (SkinMsgSkinnableChanged and so on) unless
    // the component is being designed or loaded.
    bool SkinnableForm() const { return FSkinnableForm; }
    void setSkinnableForm(bool value);
    bool ShowLayeredBorders() const { return FShowLayeredBorders; }
    void setShowLayeredBorders(bool value);
    bool AeroBlurEnabled() const { return FAeroBlurEnabled; }
    void setAeroBlurEnabled(bool value);

    // Setting a stored skin loads it at once (unless designing); a reference
    // becomes none when its component is destroyed.
    TbsCompressedStoredSkin* CompressedStoredSkin() const { return FCompressedStoredSkin; }
    void setCompressedStoredSkin(TbsCompressedStoredSkin* skin);
    TbsResourceStrData* ResourceStrData() const { return FResourceStrData; }
    void setResourceStrData(TbsResourceStrData* value);
    // The list's skin at SkinIndex is loaded when the list is set or the
    // index moves to another valid item; with a list, invalid indexes are ignored.
    TbsCompressedSkinList* SkinList() const { return FSkinList; }
    void setSkinList(TbsCompressedSkinList* value);
    int SkinIndex() const { return FSkinIndex; }
    void setSkinIndex(int value);
    // Called after every completed load, just before SkinMsgLoaded.
    std::function<void(TbsSkinData* sender)> OnLoadData;

    // Loaders. Each clears the old skin and tells the windows before and after;
    // one that fails raises and leaves the skin cleared and Empty.
    // A file that is not a skin INI changes nothing.
    void LoadFromFile(const QString& fileName);
    // An empty stored skin changes nothing; a newer version leaves the skin
    // cleared without the after-load messages.
    void LoadCompressedStoredSkin(const TbsCompressedStoredSkin& storedSkin);
    void LoadFromCompressedFile(const QString& fileName);
    // Writes the description into the INI file, keeping its other sections.
    void SaveToFile(const QString& fileName);
    // SaveToFile, then every picture as a BMP file beside it. Picture names
    // must be bare file names; others raise before anything is written.
    void StoreToDisk(const QString& fileName);
    void SaveToCompressedFile(const QString& fileName);
    // ClearAll, then the three load messages.
    void ClearSkin();
    // Writes every fixed section, then both descriptor lists.
    void WriteSkinDescription(IniFile& ini);
    // The message to every window (WParam this component, LParam 1000).
    void SendSkinDataMessage(quint32 msg);

    TbsSkinColors& SkinColors() { return FSkinColors; }
    const TbsSkinColors& SkinColors() const { return FSkinColors; }

    // Frees every descriptor and active picture and resets the singletons'
    // pictures and the colours; sends nothing.
    void ClearObjects();
    // ClearObjects, then the three frame pictures and their names; Empty.
    void ClearAll();

    // Index of the first descriptor whose IDName equals name exactly, or -1.
    int GetIndex(const QString& name) const;
    int GetControlIndex(const QString& name) const;

    // Appends the picture of the file; its name (without the folder) joins
    // FActivePicturesNames. Raises EbsSkinError when the file cannot be read.
    void AddBitMap(const QString& fileName);
    // Removes picture index; later ones move down. Raises EbsSkinError for an
    // index not held.
    void DeleteBitMap(int index);

    // Sets the font name and adds deltaHeight to the font height of every
    // descriptor that has a font.
    void GlobalChangeFont(const QString& fontName, int deltaHeight);

    // Reads the entries of "SKINOBJECTS" and "SKINCONTROLS" ("name:type") into
    // ObjectList and CtrlList, each descriptor loading its own section.
    // Entries without a known type, or named like a fixed section, are skipped.
    void ReadDescriptorLists(const IniFile& ini);
    // Writes both lists and every descriptor's section; each section is
    // erased once, so descriptors sharing a name keep all their keys.
    void WriteDescriptorLists(IniFile& ini);

    TbsDataSkinPopupWindow PopupWindow;
    TbsDataSkinLayerFrame LayerFrame;
    TbsDataSkinHintWindow HintWindow;
    bool Empty = true;
    TbsBitmap FPicture;
    TbsBitmap FInActivePicture;
    TbsBitmap FMask;
    TbsPictureList FActivePictures;
    QString FPictureName;
    QString FInActivePictureName;
    QString FMaskName;
    QStringList FActivePicturesNames;
    std::vector<std::unique_ptr<TbsDataSkinObject>> ObjectList;
    std::vector<std::unique_ptr<TbsDataSkinControl>> CtrlList;

    // The window frame, from section "FORMINFO".
    TRect ButtonsRect, CaptionRect;
    qint32 ButtonsOffset = 0;
    bool CapButtonsInLeft = false, AutoRenderingInActiveImage = false;
    TbsInActiveEffect InActiveEffect = ieBrightness;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    qint32 BGPictureIndex = -1, MDIBGPictureIndex = -1;
    bool MainMenuPopupUp = false;
    TRect MaskRectArea;
    TPoint HitTestLTPoint, HitTestRTPoint, HitTestLBPoint, HitTestRBPoint;
    TRect ClRect;
    qint32 BorderW = 0, FormMinWidth = 0, FormMinHeight = 0;
    bool MDITabsTransparent = false, MainMenuBarTransparent = false;
    bool TopStretch = false, LeftStretch = false, RightStretch = false, BottomStretch = false;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
    bool MDIBGStretchEffect = false;
    TbsStretchType MDIBGStretchType = bsstFull;

    // Identity, from section "VERSION".
    QString SkinName, SkinAuthor, AuthorURL, AuthorEmail, SkinComments;

    // True while a load is under way.
    bool ChangeSkinDataProcess = false;

private:
    class LoadScope;
    void ReadIdentity(const IniFile& ini);
    void ReadPictureNames(const IniFile& ini);
    void ReadFormInfo(const IniFile& ini);
    void ReadSkinDescription(const IniFile& ini);
    void LoadListSkin();

    bool FSkinnableForm = true;
    bool FShowLayeredBorders = true;
    bool FAeroBlurEnabled = true;
    QPointer<TbsCompressedStoredSkin> FCompressedStoredSkin;
    QPointer<TbsResourceStrData> FResourceStrData;
    QPointer<TbsCompressedSkinList> FSkinList;
    int FSkinIndex = 0;
    TbsSkinColors FSkinColors;
};

// Loads a picture file (BMP or any format Qt reads) into bitmap. Raises
// EbsSkinError naming the file when it cannot be opened or decoded.
void LoadBitmapFile(TbsBitmap& bitmap, const QString& fileName);
