#include "bsSkinData.h"

#include "bsBitmapFile.h"
#include "bsSkinDescriptorTypes.h"

#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <array>

namespace {

const QString objectsSection = QStringLiteral("SKINOBJECTS");
const QString controlsSection = QStringLiteral("SKINCONTROLS");

// The sections a skin description always has. A list entry of such a name
// would be written into that section and erased with it.
constexpr std::array fixedSections{"VERSION",     "PICTURES",    "FORMINFO",
                                   "POPUPWINDOW", "LAYERFRAME",  "HINTWINDOW",
                                   "SKINCOLORS",  "SKINOBJECTS", "SKINCONTROLS"};

bool isFixedSection(const QString& name)
{
    const QString trimmed = name.trimmed();
    return std::any_of(fixedSections.begin(), fixedSections.end(), [&](const char* section) {
        return trimmed.compare(QLatin1String(section), Qt::CaseInsensitive) == 0;
    });
}

struct ListEntry {
    QString name;
    QString type;
};

// The entries "name:type" of a list section that may name a descriptor.
std::vector<ListEntry> listEntries(const IniFile& ini, const QString& section)
{
    std::vector<ListEntry> entries;
    for (const TbsListItem& item : ReadListItems(ini, section, QString())) {
        const QString& line = item.value;
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0 || isFixedSection(line.left(colon)))
            continue;
        entries.push_back({line.left(colon), line.mid(colon + 1)});
    }
    return entries;
}

template <class Descriptor>
int indexOfName(const std::vector<std::unique_ptr<Descriptor>>& list, const QString& name)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i]->IDName == name)
            return int(i);
    }
    return -1;
}

// Erases each section at most once in one save, so that descriptors sharing
// a section (INI names ignore case) all keep their keys.
class SectionEraser {
public:
    explicit SectionEraser(IniFile& ini) : m_ini(ini)
    {
        for (const char* section : fixedSections)
            m_erased.insert(QString::fromLatin1(section).toLower());
    }
    void erase(const QString& section)
    {
        const QString key = section.trimmed().toLower();
        if (!m_erased.contains(key)) {
            m_erased.insert(key);
            m_ini.EraseSection(section);
        }
    }

private:
    IniFile& m_ini;
    QSet<QString> m_erased;
};

template <class Descriptor, class TypeName>
void writeList(IniFile& ini, SectionEraser& eraser, const QString& section,
               const std::vector<std::unique_ptr<Descriptor>>& list, TypeName typeName)
{
    ini.EraseSection(section);
    ini.WriteInteger(section, QStringLiteral("count"), int(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        Descriptor& descriptor = *list[i];
        ini.WriteString(section, QString::number(i),
                        descriptor.IDName + u':' + typeName(descriptor));
        eraser.erase(descriptor.IDName);
        descriptor.WriteKeys(ini);
    }
}

void emptyBitmap(TbsBitmap& bitmap)
{
    bitmap.Assign(TbsBitmap());
}

} // namespace

TbsSkinData::TbsSkinData(QObject* owner) : QObject(owner) {}

TbsSkinData::~TbsSkinData()
{
    Empty = true;
    ClearObjects();
}

void TbsSkinData::ClearObjects()
{
    ObjectList.clear();
    CtrlList.clear();
    FActivePictures.clear();
    LayerFrame.PictureIndex = -1;
    LayerFrame.InActivePictureIndex = -1;
    LayerFrame.InitAlphaImages(*this);
    PopupWindow.WindowPictureIndex = -1;
    HintWindow.WindowPictureIndex = -1;
    FActivePicturesNames.clear();
    FSkinColors.SetColorsToDefault();
}

void TbsSkinData::ClearAll()
{
    ClearObjects();
    emptyBitmap(FPicture);
    emptyBitmap(FMask);
    emptyBitmap(FInActivePicture);
    FPictureName.clear();
    FInActivePictureName.clear();
    FMaskName.clear();
    Empty = true;
}

int TbsSkinData::GetIndex(const QString& name) const
{
    return indexOfName(ObjectList, name);
}

int TbsSkinData::GetControlIndex(const QString& name) const
{
    return indexOfName(CtrlList, name);
}

void TbsSkinData::AddBitMap(const QString& fileName)
{
    auto picture = std::make_unique<TbsBitmap>();
    LoadBmpFile(fileName, *picture);
    FActivePictures.push_back(std::move(picture));
    FActivePicturesNames.append(QFileInfo(fileName).fileName());
}

void TbsSkinData::DeleteBitMap(int index)
{
    if (index < 0 || size_t(index) >= FActivePictures.size())
        throw EbsSkinError(QStringLiteral("List index out of bounds (%1)").arg(index));
    FActivePictures.erase(FActivePictures.begin() + index);
    if (index < FActivePicturesNames.size())
        FActivePicturesNames.removeAt(index);
}

void TbsSkinData::GlobalChangeFont(const QString& fontName, int deltaHeight)
{
    HintWindow.FontName = fontName;
    HintWindow.FontHeight = ChangedFontHeight(HintWindow.FontHeight, deltaHeight);
    for (const auto& object : ObjectList)
        ChangeSkinObjectFont(*object, fontName, deltaHeight);
    for (const auto& control : CtrlList)
        ChangeSkinControlFont(*control, fontName, deltaHeight);
}

void TbsSkinData::ReadDescriptorLists(const IniFile& ini)
{
    for (const ListEntry& entry : listEntries(ini, objectsSection)) {
        if (auto object = CreateSkinObject(entry.type, entry.name)) {
            object->LoadFromFile(ini);
            object->InitAlphaImages(*this);
            ObjectList.push_back(std::move(object));
        }
    }
    for (const ListEntry& entry : listEntries(ini, controlsSection)) {
        if (auto control = CreateSkinControl(entry.type, entry.name)) {
            control->LoadFromFile(ini);
            CtrlList.push_back(std::move(control));
        }
    }
}

void TbsSkinData::WriteDescriptorLists(IniFile& ini)
{
    SectionEraser eraser(ini);
    writeList(ini, eraser, objectsSection, ObjectList,
              [](const TbsDataSkinObject& object) { return SkinObjectTypeName(object); });
    writeList(ini, eraser, controlsSection, CtrlList,
              [](const TbsDataSkinControl& control) { return SkinControlTypeName(control); });
}
