#pragma once

// Reading and writing the parts of a skin description the tests exercise:
// the four singletons and the two descriptor lists, in the writer's order.

#include "bsSkinData.h"

#include <QFile>
#include <gtest/gtest.h>

inline QString goldenText(const char* name)
{
    QFile file(QStringLiteral(SKIN_DATA_GOLDEN_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

inline IniFile iniFromText(const QString& text)
{
    IniFile ini;
    ini.loadText(text);
    return ini;
}

inline void loadDescription(TbsSkinData& data, const IniFile& ini)
{
    data.PopupWindow.LoadFromFile(ini);
    data.LayerFrame.LoadFromFile(ini);
    data.LayerFrame.InitAlphaImages(data);
    data.HintWindow.LoadFromFile(ini);
    data.SkinColors().LoadFromFile(ini);
    data.ReadDescriptorLists(ini);
}

// Each fixed section is erased before its singleton writes it, as a whole
// skin's writer does.
inline void saveDescription(TbsSkinData& data, IniFile& ini)
{
    TbsSkinSection* singletons[] = {&data.PopupWindow, &data.LayerFrame, &data.HintWindow,
                                    &data.SkinColors()};
    for (TbsSkinSection* singleton : singletons) {
        ini.EraseSection(singleton->IDName);
        singleton->SaveToFile(ini);
    }
    data.WriteDescriptorLists(ini);
}
