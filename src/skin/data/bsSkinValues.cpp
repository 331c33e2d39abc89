#include "bsSkinValues.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// The digits of each comma-separated part, converted strictly.
std::vector<int> numberParts(const QString& text, int expected, const char* what)
{
    std::vector<QString> parts(1);
    for (const QChar c : text) {
        if (c == u',')
            parts.emplace_back();
        else if (c >= u'0' && c <= u'9')
            parts.back().append(c);
    }
    if (int(parts.size()) > expected)
        throw platform::EConvertError(
            QStringLiteral("'%1' is not a valid %2 value").arg(text, QLatin1String(what)));
    std::vector<int> numbers;
    for (const QString& part : parts)
        numbers.push_back(platform::StrToInt(part));
    // Too few parts: the first missing one is empty text, as the toolkit says.
    while (int(numbers.size()) < expected)
        numbers.push_back(platform::StrToInt(QString()));
    return numbers;
}

// The names of an enumeration in ordinal order, and the value every other
// text reads as.
template <class E, size_t N> struct EnumText {
    std::array<const char*, N> names;
    E otherwise;

    E decode(const QString& text) const
    {
        for (size_t i = 0; i < N; ++i) {
            if (text == QLatin1String(names[i]))
                return E(i);
        }
        return otherwise;
    }
    QString encode(E value) const
    {
        const size_t i = size_t(value);
        return QLatin1String(i < N ? names[i] : names[size_t(otherwise)]);
    }
};

constexpr EnumText<TAlignment, 3> alignmentText{{"taleftjustify", "tarightjustify", "tacenter"},
                                                taRightJustify};
constexpr EnumText<TbsStretchType, 3> stretchTypeText{{"stfull", "sthorz", "stvert"}, bsstHorz};
constexpr EnumText<TbsMorphKind, 7> morphKindText{{"mkdefault", "mkgradient", "mkleftgradient",
                                                   "mkrightgradient", "mkleftslide", "mkrightslide",
                                                   "mkpush"},
                                                  mkDefault};
constexpr EnumText<TbsInActiveEffect, 6> inActiveEffectText{
    {"iebrightness", "iedarkness", "iegrayscale", "ienoise", "iesplitblur", "ieinvert"},
    ieGrayScale};
constexpr EnumText<TbsStdCommand, 7> stdCommandText{{"cmclose", "cmmaximize", "cmminimize",
                                                     "cmsysmenu", "cmdefault", "cmrollup",
                                                     "cmminimizetotray"},
                                                    cmMinimizeToTray};

struct FontStyleName {
    TFontStyle style;
    const char* name;
};
constexpr std::array<FontStyleName, 4> fontStyleNames{{{fsBold, "fsbold"},
                                                       {fsItalic, "fsitalic"},
                                                       {fsUnderline, "fsunderline"},
                                                       {fsStrikeOut, "fsstrikeout"}}};

// The canonical decimal index a key name stands for, or -1.
int itemIndexOf(const QString& key)
{
    bool ok = false;
    const int index = key.toInt(&ok);
    return ok && index >= 0 && QString::number(index) == key ? index : -1;
}

} // namespace

TRect StrToRect(const QString& text)
{
    const std::vector<int> n = numberParts(text, 4, "rectangle");
    return {n[0], n[1], n[2], n[3]};
}

TPoint StrToPoint(const QString& text)
{
    const std::vector<int> n = numberParts(text, 2, "point");
    return {n[0], n[1]};
}

QString EncodeSkinValue(const TRect& value)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(value.Left)
        .arg(value.Top)
        .arg(value.Right)
        .arg(value.Bottom);
}

QString EncodeSkinValue(const TPoint& value)
{
    return QStringLiteral("%1,%2").arg(value.X).arg(value.Y);
}

QString EncodeSkinValue(const QString& value)
{
    return value;
}

QString EncodeSkinValue(TFontStyles value)
{
    QStringList names;
    for (const FontStyleName& style : fontStyleNames) {
        if (value.testFlag(style.style))
            names.append(QLatin1String(style.name));
    }
    return names.join(u',');
}

QString EncodeSkinValue(TAlignment value)
{
    return alignmentText.encode(value);
}

QString EncodeSkinValue(TbsStretchType value)
{
    return stretchTypeText.encode(value);
}

QString EncodeSkinValue(TbsMorphKind value)
{
    return morphKindText.encode(value);
}

QString EncodeSkinValue(TbsInActiveEffect value)
{
    return inActiveEffectText.encode(value);
}

QString EncodeSkinValue(TbsStdCommand value)
{
    return stdCommandText.encode(value);
}

void DecodeSkinValue(const QString& text, TRect& value)
{
    value = StrToRect(text);
}

void DecodeSkinValue(const QString& text, TPoint& value)
{
    value = StrToPoint(text);
}

void DecodeSkinValue(const QString& text, QString& value)
{
    value = text;
}

void DecodeSkinValue(const QString& text, TFontStyles& value)
{
    value = {};
    for (const FontStyleName& style : fontStyleNames) {
        if (text.contains(QLatin1String(style.name), Qt::CaseSensitive))
            value |= style.style;
    }
}

void DecodeSkinValue(const QString& text, TAlignment& value)
{
    value = alignmentText.decode(text);
}

void DecodeSkinValue(const QString& text, TbsStretchType& value)
{
    value = stretchTypeText.decode(text);
}

void DecodeSkinValue(const QString& text, TbsMorphKind& value)
{
    value = morphKindText.decode(text);
}

void DecodeSkinValue(const QString& text, TbsInActiveEffect& value)
{
    value = inActiveEffectText.decode(text);
}

void DecodeSkinValue(const QString& text, TbsStdCommand& value)
{
    value = stdCommandText.decode(text);
}

void ReadRect(const IniFile& ini, const QString& section, const QString& ident, TRect& rect)
{
    rect = TbsSkinValue<TRect>::Read(ini, section, ident, TRect{});
}

void ReadPoint(const IniFile& ini, const QString& section, const QString& ident, TPoint& point)
{
    point = TbsSkinValue<TPoint>::Read(ini, section, ident, TPoint{});
}

bool ReadBoolean(const IniFile& ini, const QString& section, const QString& ident)
{
    return TbsSkinValue<bool>::Read(ini, section, ident, false);
}

TFontStyles ReadFontStyles(const IniFile& ini, const QString& section, const QString& ident)
{
    return TbsSkinValue<TFontStyles>::Read(ini, section, ident, {});
}

TAlignment ReadAlignment(const IniFile& ini, const QString& section, const QString& ident)
{
    return TbsSkinValue<TAlignment>::Read(ini, section, ident, taCenter);
}

TbsStretchType ReadStretchType(const IniFile& ini, const QString& section, const QString& ident)
{
    return TbsSkinValue<TbsStretchType>::Read(ini, section, ident, bsstFull);
}

TbsMorphKind ReadMorphKind(const IniFile& ini, const QString& section, const QString& ident)
{
    return TbsSkinValue<TbsMorphKind>::Read(ini, section, ident, mkDefault);
}

TbsInActiveEffect ReadImageEffect(const IniFile& ini, const QString& section, const QString& ident)
{
    return TbsSkinValue<TbsInActiveEffect>::Read(ini, section, ident, ieBrightness);
}

void WriteRect(IniFile& ini, const QString& section, const QString& ident, const TRect& rect)
{
    TbsSkinValue<TRect>::Write(ini, section, ident, rect);
}

void WritePoint(IniFile& ini, const QString& section, const QString& ident, const TPoint& point)
{
    TbsSkinValue<TPoint>::Write(ini, section, ident, point);
}

void WriteBoolean(IniFile& ini, const QString& section, const QString& ident, bool value)
{
    TbsSkinValue<bool>::Write(ini, section, ident, value);
}

void WriteFontStyles(IniFile& ini, const QString& section, const QString& ident, TFontStyles value)
{
    TbsSkinValue<TFontStyles>::Write(ini, section, ident, value);
}

void WriteAlignment(IniFile& ini, const QString& section, const QString& ident, TAlignment value)
{
    TbsSkinValue<TAlignment>::Write(ini, section, ident, value);
}

void WriteStretchType(IniFile& ini, const QString& section, const QString& ident,
                      TbsStretchType value)
{
    TbsSkinValue<TbsStretchType>::Write(ini, section, ident, value);
}

void WriteMorphKind(IniFile& ini, const QString& section, const QString& ident, TbsMorphKind value)
{
    TbsSkinValue<TbsMorphKind>::Write(ini, section, ident, value);
}

void WriteImageEffect(IniFile& ini, const QString& section, const QString& ident,
                      TbsInActiveEffect value)
{
    TbsSkinValue<TbsInActiveEffect>::Write(ini, section, ident, value);
}

std::vector<TbsListItem> ReadListItems(const IniFile& ini, const QString& section,
                                       const QString& prefix)
{
    const int count = ini.ReadInteger(section, prefix + QLatin1String("count"), 0);
    std::vector<TbsListItem> items;
    for (const QString& key : ini.ReadSection(section)) {
        const int index = itemIndexOf(key);
        if (index >= 0 && index < count)
            items.push_back({index, ini.ReadString(section, key, QString())});
    }
    std::sort(items.begin(), items.end(),
              [](const TbsListItem& a, const TbsListItem& b) { return a.index < b.index; });
    return items;
}

void ReadStrings(const IniFile& ini, const QString& section, const QString& prefix,
                 QStringList& strings)
{
    std::vector<TbsListItem> items = ReadListItems(ini, section, prefix);
    std::erase_if(items, [](const TbsListItem& item) { return item.index >= MaxStringListLength; });
    if (items.empty())
        return;
    const qsizetype first = strings.size();
    strings.resize(first + items.back().index + 1);
    for (TbsListItem& item : items)
        strings[first + item.index] = std::move(item.value);
}

void WriteStrings(IniFile& ini, const QString& section, const QString& prefix,
                  const QStringList& strings)
{
    ini.WriteInteger(section, prefix + QLatin1String("count"), int(strings.size()));
    for (qsizetype i = 0; i < strings.size(); ++i)
        ini.WriteString(section, QString::number(i), strings[i]);
}

bool IsSkinIniFile(const IniFile& ini)
{
    for (const char* section : {"VERSION", "PICTURES", "FORMINFO", "SKINOBJECTS", "SKINCONTROLS"}) {
        if (!ini.SectionExists(QLatin1String(section)))
            return false;
    }
    return true;
}
