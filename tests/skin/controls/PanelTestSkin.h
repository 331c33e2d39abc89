#pragma once

// An in-memory skin for the panel tests: one picture of distinct pixels and
// a "groupbox" section with the program skin's geometry.

#include "GroupBoxReference.h"
#include "bsSkinData.h"

#include <memory>

class PanelTestSkin {
public:
    PanelTestSkin()
    {
        auto picture = std::make_unique<TbsBitmap>();
        picture->SetSize(420, 140);
        fillWith(*picture, distinctPixel);
        Data.FActivePictures.push_back(std::move(picture));
        GroupBox = AddPanel(QStringLiteral("groupbox"), programGroupBoxSkin());
        GroupBox->CaptionRect = Rect(4, 2, 55, 15);
        GroupBox->Alignment = taCenter;
        GroupBox->FontName = QStringLiteral("Tahoma");
        GroupBox->FontHeight = 13;
        GroupBox->FontColor = 0;
        Data.Empty = false;
    }

    // A panel section cut from picture 0 by the given geometry.
    TbsDataSkinPanelControl* AddPanel(const QString& name, const NinePartSkin& s)
    {
        auto section = std::make_unique<TbsDataSkinPanelControl>(name);
        section->PictureIndex = 0;
        section->MaskPictureIndex = -1;
        section->BGPictureIndex = -1;
        section->SkinRect = s.SR;
        section->LTPoint = s.LT;
        section->RTPoint = s.RT;
        section->LBPoint = s.LB;
        section->RBPoint = s.RB;
        section->ClRect = s.CL;
        section->StretchEffect = false;
        section->StretchType = bsstFull;
        section->LeftStretch = section->TopStretch = false;
        section->RightStretch = section->BottomStretch = false;
        auto* raw = section.get();
        Data.CtrlList.push_back(std::move(section));
        return raw;
    }

    const TbsBitmap& Picture() const { return *Data.FActivePictures[0]; }

    TbsSkinData Data;
    TbsDataSkinPanelControl* GroupBox = nullptr;
};
