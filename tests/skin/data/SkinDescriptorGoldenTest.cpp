// Every descriptor type and the four singletons, read and written back: at
// their defaults, and with every key set to a value of its own.

#include "SkinDescriptionHelpers.h"

namespace {

// Only the two lists of a description: every section they name is missing.
IniFile listsOnly(const IniFile& description)
{
    IniFile lists;
    for (const char* name : {"SKINOBJECTS", "SKINCONTROLS"}) {
        const QString section = QLatin1String(name);
        QStringList entries;
        ReadStrings(description, section, QString(), entries);
        WriteStrings(lists, section, QString(), entries);
    }
    return lists;
}

void expectRoundTrip(const IniFile& input, const QString& golden)
{
    TbsSkinData data;
    loadDescription(data, input);
    IniFile output;
    saveDescription(data, output);
    EXPECT_EQ(output.text(), golden);
    // A second save over the first leaves it as it was.
    saveDescription(data, output);
    EXPECT_EQ(output.text(), golden);
}

} // namespace

TEST(SkinDescriptorGolden, MissingSectionsWriteEveryKeyAtItsDefault)
{
    const QString golden = goldenText("descriptors-defaults.ini");
    expectRoundTrip(listsOnly(iniFromText(golden)), golden);
}

TEST(SkinDescriptorGolden, EveryKeyKeepsItsValue)
{
    const QString golden = goldenText("descriptors-values.ini");
    expectRoundTrip(iniFromText(golden), golden);
}

TEST(SkinDescriptorGolden, KeysReadInAnyOrder)
{
    // The values file with each section's lines reversed reads the same.
    const QString golden = goldenText("descriptors-values.ini");
    QStringList lines = golden.split(u'\n');
    QStringList shuffled;
    QStringList keys;
    const auto flush = [&] {
        std::reverse(keys.begin(), keys.end());
        shuffled += keys;
        keys.clear();
    };
    for (const QString& line : lines) {
        if (line.startsWith(u'[') || line.isEmpty()) {
            flush();
            shuffled.append(line);
        } else {
            keys.append(line);
        }
    }
    flush();
    ASSERT_NE(shuffled.join(u'\n'), golden);
    expectRoundTrip(iniFromText(shuffled.join(u'\n')), golden);
}
