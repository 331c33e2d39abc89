#include "bsSkinDescriptorTypes.h"

#include "bsSkinListControlSections.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

// One row of a type table: the name, how to build the class, and whether a
// descriptor belongs to it (descendants count).
template <class Base> struct DescriptorType {
    const char* name;
    std::unique_ptr<Base> (*create)(const QString& idName);
    bool (*isMember)(const Base& descriptor);
};

template <class T, class Base> constexpr DescriptorType<Base> typeRow(const char* name)
{
    return {
        name,
        [](const QString& idName) -> std::unique_ptr<Base> { return std::make_unique<T>(idName); },
        [](const Base& descriptor) { return dynamic_cast<const T*>(&descriptor) != nullptr; }};
}

// In the order entries are compared when read; the first equal name wins.
const auto objectTypes = std::to_array<DescriptorType<TbsDataSkinObject>>({
    typeRow<TbsDataSkinMenuItem, TbsDataSkinObject>("menuitem"),
    typeRow<TbsDataSkinMainMenuBarItem, TbsDataSkinObject>("mainmenubaritem"),
    typeRow<TbsDataSkinStdButton, TbsDataSkinObject>("stdbutton"),
    typeRow<TbsDataSkinMainMenuBarButton, TbsDataSkinObject>("mainmenubarbutton"),
    typeRow<TbsDataSkinButton, TbsDataSkinObject>("button"),
    typeRow<TbsDataSkinCaption, TbsDataSkinObject>("caption"),
    typeRow<TbsDataSkinAnimate, TbsDataSkinObject>("animate"),
    typeRow<TbsDataUserObject, TbsDataSkinObject>("userobject"),
});

// The order in which a written object's class is tested.
constexpr std::array objectWriteOrder{"menuitem",   "mainmenubaritem", "mainmenubarbutton",
                                      "stdbutton",  "button",          "caption",
                                      "userobject", "animate"};

// Compared in this order when read and when written: every descendant
// stands before its ancestor.
const auto controlTypes = std::to_array<DescriptorType<TbsDataSkinControl>>({
    typeRow<TbsDataSkinPanelControl, TbsDataSkinControl>("panel"),
    typeRow<TbsDataSkinExPanelControl, TbsDataSkinControl>("expanel"),
    typeRow<TbsDataSkinMenuButtonControl, TbsDataSkinControl>("menubutton"),
    typeRow<TbsDataSkinButtonControl, TbsDataSkinControl>("button"),
    typeRow<TbsDataSkinCheckRadioControl, TbsDataSkinControl>("checkradio"),
    typeRow<TbsDataSkinGaugeControl, TbsDataSkinControl>("gauge"),
    typeRow<TbsDataSkinSplitterControl, TbsDataSkinControl>("splitter"),
    typeRow<TbsDataSkinTrackBarControl, TbsDataSkinControl>("trackbar"),
    typeRow<TbsDataSkinLabelControl, TbsDataSkinControl>("label"),
    typeRow<TbsDataSkinStdLabelControl, TbsDataSkinControl>("stdlabel"),
    typeRow<TbsDataSkinUpDownControl, TbsDataSkinControl>("updown"),
    typeRow<TbsDataSkinGridControl, TbsDataSkinControl>("grid"),
    typeRow<TbsDataSkinTabControl, TbsDataSkinControl>("tab"),
    typeRow<TbsDataSkinMainMenuBar, TbsDataSkinControl>("mainmenubar"),
    typeRow<TbsDataSkinControlBar, TbsDataSkinControl>("controlbar"),
    typeRow<TbsDataSkinAppMenu, TbsDataSkinControl>("appmenu"),
    typeRow<TbsDataSkinMemoControl, TbsDataSkinControl>("memo"),
    typeRow<TbsDataSkinEditControl, TbsDataSkinControl>("edit"),
    typeRow<TbsDataSkinCheckListBox, TbsDataSkinControl>("checklistbox"),
    typeRow<TbsDataSkinListBox, TbsDataSkinControl>("listbox"),
    typeRow<TbsDataSkinComboBox, TbsDataSkinControl>("combobox"),
    typeRow<TbsDataSkinScrollBarControl, TbsDataSkinControl>("scrollbar"),
    typeRow<TbsDataSkinSpinEditControl, TbsDataSkinControl>("spinedit"),
    typeRow<TbsDataSkinScrollBoxControl, TbsDataSkinControl>("scrollbox"),
    typeRow<TbsDataSkinTreeView, TbsDataSkinControl>("treeview"),
    typeRow<TbsDataSkinBevel, TbsDataSkinControl>("bevel"),
    typeRow<TbsDataSkinSlider, TbsDataSkinControl>("slider"),
    typeRow<TbsDataSkinListView, TbsDataSkinControl>("listview"),
    typeRow<TbsDataSkinRichEdit, TbsDataSkinControl>("richedit"),
});

template <class Base, size_t N>
const DescriptorType<Base>* findType(const std::array<DescriptorType<Base>, N>& table,
                                     const QString& type)
{
    for (const DescriptorType<Base>& row : table) {
        if (type == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

template <class Base, size_t N>
std::unique_ptr<Base> create(const std::array<DescriptorType<Base>, N>& table, const QString& type,
                             const QString& idName)
{
    const DescriptorType<Base>* row = findType(table, type);
    return row && row->create ? row->create(idName) : nullptr;
}

template <class Base, size_t N, class Names>
QString typeName(const std::array<DescriptorType<Base>, N>& table, const Names& order,
                 const Base& descriptor)
{
    for (const char* name : order) {
        const DescriptorType<Base>* row = findType(table, QLatin1String(name));
        if (row && row->isMember && row->isMember(descriptor))
            return QLatin1String(name);
    }
    return {};
}

template <class Base, size_t N>
std::array<const char*, N> namesOf(const std::array<DescriptorType<Base>, N>& table)
{
    std::array<const char*, N> names{};
    for (size_t i = 0; i < N; ++i)
        names[i] = table[i].name;
    return names;
}

// The font of class T's descriptors: name and height members.
template <class T, auto Name = &T::FontName, auto Height = &T::FontHeight, class Base>
void changeFont(Base& descriptor, const QString& fontName, int deltaHeight)
{
    if (auto* member = dynamic_cast<T*>(&descriptor)) {
        member->*Name = fontName;
        member->*Height = ChangedFontHeight(member->*Height, deltaHeight);
    }
}

using ObjectFontChange = void (*)(TbsDataSkinObject&, const QString&, int);
using ControlFontChange = void (*)(TbsDataSkinControl&, const QString&, int);

// One row per font; a class with two fonts has two rows.
const auto objectFonts = std::to_array<ObjectFontChange>({
    changeFont<TbsDataSkinMenuItem>,
    changeFont<TbsDataSkinMainMenuBarItem>,
    changeFont<TbsDataSkinCaption>,
});

const auto controlFonts = std::to_array<ControlFontChange>({
    changeFont<TbsDataSkinStdLabelControl>,
    changeFont<TbsDataSkinLabelControl>,
    changeFont<TbsDataSkinGaugeControl>,
    changeFont<TbsDataSkinButtonControl>,
    changeFont<TbsDataSkinCheckRadioControl>,
    changeFont<TbsDataSkinPanelControl>,
    changeFont<TbsDataSkinExPanelControl>,
    changeFont<TbsDataSkinTreeView>,
    changeFont<TbsDataSkinListView>,
    changeFont<TbsDataSkinRichEdit>,
    changeFont<TbsDataSkinTabControl>,
    changeFont<TbsDataSkinAppMenu>,
    changeFont<TbsDataSkinComboBox>,
    changeFont<TbsDataSkinSpinEditControl>,
    changeFont<TbsDataSkinEditControl>,
    changeFont<TbsDataSkinGridControl>,
    changeFont<TbsDataSkinGridControl, &TbsDataSkinGridControl::FixedFontName,
               &TbsDataSkinGridControl::FixedFontHeight>,
    changeFont<TbsDataSkinListBox>,
    changeFont<TbsDataSkinListBox, &TbsDataSkinListBox::CaptionFontName,
               &TbsDataSkinListBox::CaptionFontHeight>,
});

} // namespace

qint32 ChangedFontHeight(qint32 height, int delta)
{
    return qint32(std::clamp<qint64>(qint64(height) + delta, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}

std::unique_ptr<TbsDataSkinObject> CreateSkinObject(const QString& type, const QString& idName)
{
    return create(objectTypes, type, idName);
}

std::unique_ptr<TbsDataSkinControl> CreateSkinControl(const QString& type, const QString& idName)
{
    return create(controlTypes, type, idName);
}

QString SkinObjectTypeName(const TbsDataSkinObject& object)
{
    return typeName(objectTypes, objectWriteOrder, object);
}

QString SkinControlTypeName(const TbsDataSkinControl& control)
{
    static const auto order = namesOf(controlTypes);
    return typeName(controlTypes, order, control);
}

void ChangeSkinObjectFont(TbsDataSkinObject& object, const QString& fontName, int deltaHeight)
{
    for (ObjectFontChange change : objectFonts)
        change(object, fontName, deltaHeight);
}

void ChangeSkinControlFont(TbsDataSkinControl& control, const QString& fontName, int deltaHeight)
{
    for (ControlFontChange change : controlFonts)
        change(control, fontName, deltaHeight);
}
