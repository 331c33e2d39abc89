// Loading a stored skin into the skin data: the program's own skin, and a
// skin of the size a full window theme has (about 2.2 MB inflated, 37
// pictures, 94 sections with 12 objects and 73 controls).

#include "bsSkinData.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QStringList>
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

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
