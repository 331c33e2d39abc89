// Loading a stored skin into the skin data: the program's own skin, and a
// skin of the size a full window theme has (about 2.2 MB inflated, 37
// pictures, 94 sections with 12 objects and 73 controls). Loading skin INI
// files as a user may hand them in: one of 5,000 sections, and one whose
// object list holds 40,000 entries.

#include "bsSkinData.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const char* const objectTypes[] = {"menuitem",          "mainmenubaritem", "stdbutton",
                                   "mainmenubarbutton", "button",          "caption"};
const char* const controlTypes[] = {
    "panel",        "expanel",     "menubutton", "button",    "checkradio", "gauge",
    "splitter",     "trackbar",    "label",      "stdlabel",  "updown",     "grid",
    "tab",          "mainmenubar", "controlbar", "appmenu",   "memo",       "edit",
    "checklistbox", "listbox",     "combobox",   "scrollbar", "spinedit",   "scrollbox",
    "treeview",     "bevel",       "slider",     "listview",  "richedit"};

std::unique_ptr<TbsBitmap> randomPicture(int width, int height, quint32 seed)
{
    auto picture = std::make_unique<TbsBitmap>();
    picture->SetSize(width, height);
    QRandomGenerator random(seed);
    // Smooth rows with some noise, so the pictures compress as drawn ones do.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            *picture->GetPixelPtr(x, y) = 0xFF000000u | quint32((x * 3 + y) & 0xFF) << 16 |
                                          quint32(y & 0xFF) << 8 | (random.generate() & 0x0F);
    return picture;
}

// The description of 12 objects and 73 controls, every key at its default.
QString themeText()
{
    QString text = "[VERSION]\nskinname=Theme\n[PICTURES]\npicture=frame.bmp\n"
                   "[FORMINFO]\nclientrect=8,28,228,170\n[SKINOBJECTS]\ncount=12\n";
    for (int i = 0; i < 12; ++i)
        text += QString("%1=object%1:%2\n").arg(i).arg(objectTypes[i % 6]);
    text += "[SKINCONTROLS]\ncount=73\n";
    for (int i = 0; i < 73; ++i)
        text += QString("%1=control%1:%2\n").arg(i).arg(controlTypes[i % 29]);
    return text;
}

void fillTheme(TbsSkinData& skin)
{
    IniFile ini;
    ini.loadText(themeText());
    skin.ReadDescriptorLists(ini);
    skin.FPicture.Assign(*randomPicture(236, 178, 1));
    skin.FInActivePicture.Assign(*randomPicture(236, 178, 2));
    skin.FMask.Assign(*randomPicture(236, 178, 3));
    skin.FPictureName = "frame.bmp";
    skin.FInActivePictureName = "inactive.bmp";
    skin.FMaskName = "mask.bmp";
    for (int i = 0; i < 37; ++i) {
        skin.FActivePictures.push_back(randomPicture(128, 128, 10 + i));
        skin.FActivePicturesNames.append(QString("picture%1.bmp").arg(i));
    }
}

void loadRepeatedly(benchmark::State& state, const TbsCompressedStoredSkin& stored)
{
    TbsSkinData skin;
    for (auto _ : state) {
        skin.LoadCompressedStoredSkin(stored);
        benchmark::DoNotOptimize(skin.CtrlList.data());
    }
    state.counters["controls"] = double(skin.CtrlList.size());
    state.counters["pictures"] = double(skin.FActivePictures.size());
}

void BM_LoadProgramSkin(benchmark::State& state)
{
    TbsCompressedStoredSkin stored;
    stored.LoadFromIniFile(QStringLiteral(SOLVEK_SKIN_FOLDER "/solvek.ini"));
    state.counters["compressed_bytes"] = double(stored.CompressedData().size());
    loadRepeatedly(state, stored);
}
BENCHMARK(BM_LoadProgramSkin)->Unit(benchmark::kMillisecond);

void BM_LoadThemeSizedSkin(benchmark::State& state)
{
    TbsSkinData source;
    fillTheme(source);
    TbsCompressedStoredSkin stored;
    stored.LoadFromSkinData(source);
    QBuffer inflated;
    inflated.open(QIODevice::WriteOnly);
    stored.DeCompressToStream(inflated);
    state.counters["compressed_bytes"] = double(stored.CompressedData().size());
    state.counters["inflated_bytes"] = double(inflated.data().size());
    loadRepeatedly(state, stored);
}
BENCHMARK(BM_LoadThemeSizedSkin)->Unit(benchmark::kMillisecond);

// The body of a group box section as the program's own skin writes it.
const char* const panelKeys =
    "pictureindex=0\nmaskpictureindex=-1\nskinrect=4,4,63,56\nlefttoppoint=5,19\n"
    "righttoppoint=52,19\nleftbottompoint=4,47\nrightbottompoint=53,47\n"
    "clientrect=2,17,57,50\nleftstretch=0\ntopstretch=0\nrightstretch=0\n"
    "bottomstretch=0\nstretcheffect=0\nstretchtype=stfull\nbgpictureindex=-1\n"
    "captionrect=4,2,55,15\nalignment=tacenter\nfontname=Tahoma\nfontheight=13\n"
    "fontstyle=\nfontcolor=0\ncheckimagerect=0,0,0,0\nuncheckimagerect=0,0,0,0\n"
    "markframerect=0,0,0,0\nframerect=0,0,0,0\nframetextrect=0,0,0,0\n"
    "frameleftoffset=0\nframerightoffset=0\ngripperrect=0,0,0,0\ngrippertransparent=0\n"
    "grippertransparentcolor=0\nbuttonrect=0,0,0,0\nbuttonactiverect=0,0,0,0\n"
    "buttondownrect=0,0,0,0\nbuttontransparent=0\nbuttontransparentcolor=0\n";

const char* const fixedSectionsText =
    "[VERSION]\nver=1\nskinname=Large\n[PICTURES]\npicture=\n"
    "[FORMINFO]\nclientrect=8,28,228,170\n";

// Five fixed sections and 4,995 panel sections, each with its own keys.
QByteArray manySectionsText()
{
    constexpr int panels = 4995;
    QByteArray text = fixedSectionsText;
    text += "[SKINOBJECTS]\ncount=0\n[SKINCONTROLS]\n";
    text += "count=" + QByteArray::number(panels) + "\n";
    for (int i = 0; i < panels; ++i)
        text += QByteArray::number(i) + "=panel" + QByteArray::number(i) + ":panel\n";
    for (int i = 0; i < panels; ++i)
        text += "[panel" + QByteArray::number(i) + "]\n" + panelKeys;
    return text;
}

// 40,000 object entries of about 22 bytes each; their type is none the list
// knows, so only the list itself is read.
QByteArray longListText()
{
    constexpr int entries = 40000;
    QByteArray text = fixedSectionsText;
    text += "[SKINOBJECTS]\ncount=" + QByteArray::number(entries) + "\n";
    for (int i = 0; i < entries; ++i)
        text += QByteArray::number(i) + "=object" + QByteArray::number(i) + ":frame\n";
    text += "[SKINCONTROLS]\ncount=0\n";
    return text;
}

void loadSkinFile(benchmark::State& state, const QByteArray& text)
{
    QTemporaryDir folder;
    const QString fileName = folder.filePath("skin.ini");
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        state.SkipWithError("cannot write the skin file");
        return;
    }
    file.close();
    TbsSkinData skin;
    for (auto _ : state) {
        skin.LoadFromFile(fileName);
        benchmark::DoNotOptimize(skin.CtrlList.data());
    }
    if (skin.Empty)
        state.SkipWithError("the skin file did not load");
    state.counters["ini_bytes"] = double(text.size());
    state.counters["controls"] = double(skin.CtrlList.size());
}

void BM_LoadSkinOf5000Sections(benchmark::State& state)
{
    loadSkinFile(state, manySectionsText());
}
BENCHMARK(BM_LoadSkinOf5000Sections)->Unit(benchmark::kMillisecond);

void BM_LoadSkinOf40000ListEntries(benchmark::State& state)
{
    loadSkinFile(state, longListText());
}
BENCHMARK(BM_LoadSkinOf40000ListEntries)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Without a display the pictures are made on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
