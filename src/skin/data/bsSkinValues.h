#pragma once

// How a skin description writes its values as INI text, and how it reads
// them back. Every reader takes a missing key as the value's default; the
// rules for text that is present are deliberately lenient (unknown names map
// to a fixed value) except for rectangles and points, whose malformed parts
// raise platform::EConvertError and so end a skin load.

#include "IniFile.h"
#include "ToolkitInteger.h"
#include "bsTypes.h"

#include <QFlags>
#include <QString>
#include <QStringList>
#include <vector>

// The toolkit's text alignment and font styles.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// The skin's own enumerations; their ordinal values are stored by skinned
// controls, so the order is fixed.
enum TbsStretchType { bsstFull, bsstHorz, bsstVert };
enum TbsMorphKind {
    mkDefault,
    mkGradient,
    mkLeftGradient,
    mkRightGradient,
    mkLeftSlide,
    mkRightSlide,
    mkPush
};
enum TbsInActiveEffect { ieBrightness, ieDarkness, ieGrayScale, ieNoise, ieSplitBlur, ieInvert };
enum TbsStdCommand {
    cmClose,
    cmMaximize,
    cmMinimize,
    cmSysMenu,
    cmDefault,
    cmRollUp,
    cmMinimizeToTray
};

using platform::IniFile;

// The font a skin description falls back to where it names none.
inline const QString bsDefaultFontName = QStringLiteral("Tahoma");
constexpr int bsDefaultFontHeight = 13;

// "left,top,right,bottom" and "x,y". Only the digits of a part count, so
// blanks and signs vanish ("-5" is 5). A part without digits, one past 32
// bits, or more parts than the value has raises platform::EConvertError.
TRect StrToRect(const QString& text);
TPoint StrToPoint(const QString& text);

// Text forms of the values; the Decode side is the lenient reading rule.
QString EncodeSkinValue(const TRect& value);
QString EncodeSkinValue(const TPoint& value);
QString EncodeSkinValue(const QString& value);
QString EncodeSkinValue(TFontStyles value);
QString EncodeSkinValue(TAlignment value);
QString EncodeSkinValue(TbsStretchType value);
QString EncodeSkinValue(TbsMorphKind value);
QString EncodeSkinValue(TbsInActiveEffect value);
QString EncodeSkinValue(TbsStdCommand value);
void DecodeSkinValue(const QString& text, TRect& value);
void DecodeSkinValue(const QString& text, TPoint& value);
void DecodeSkinValue(const QString& text, QString& value);
void DecodeSkinValue(const QString& text, TFontStyles& value);
void DecodeSkinValue(const QString& text, TAlignment& value);
void DecodeSkinValue(const QString& text, TbsStretchType& value);
void DecodeSkinValue(const QString& text, TbsMorphKind& value);
void DecodeSkinValue(const QString& text, TbsInActiveEffect& value);
void DecodeSkinValue(const QString& text, TbsStdCommand& value);

// One value of one key: read with a default for a missing key, and written.
// Values with a text form go through ReadString/WriteString; integers,
// colours (signed decimal) and booleans (integer 1 or 0, only 1 is true)
// through ReadInteger/WriteInteger.
template <class T> struct TbsSkinValue {
    static T Read(const IniFile& ini, const QString& section, const QString& key, const T& def)
    {
        T value{};
        DecodeSkinValue(ini.ReadString(section, key, EncodeSkinValue(def)), value);
        return value;
    }
    static void Write(IniFile& ini, const QString& section, const QString& key, const T& value)
    {
        ini.WriteString(section, key, EncodeSkinValue(value));
    }
};

template <> struct TbsSkinValue<qint32> {
    static qint32 Read(const IniFile& ini, const QString& section, const QString& key, qint32 def)
    {
        return ini.ReadInteger(section, key, def);
    }
    static void Write(IniFile& ini, const QString& section, const QString& key, qint32 value)
    {
        ini.WriteInteger(section, key, value);
    }
};

template <> struct TbsSkinValue<TColor> {
    static TColor Read(const IniFile& ini, const QString& section, const QString& key, TColor def)
    {
        return TColor(ini.ReadInteger(section, key, qint32(def)));
    }
    static void Write(IniFile& ini, const QString& section, const QString& key, TColor value)
    {
        ini.WriteInteger(section, key, qint32(value));
    }
};

template <> struct TbsSkinValue<bool> {
    static bool Read(const IniFile& ini, const QString& section, const QString& key, bool def)
    {
        return ini.ReadInteger(section, key, def ? 1 : 0) == 1;
    }
    static void Write(IniFile& ini, const QString& section, const QString& key, bool value)
    {
        ini.WriteInteger(section, key, value ? 1 : 0);
    }
};

// The named routines skin code calls; each uses its type's default.
void ReadRect(const IniFile& ini, const QString& section, const QString& ident, TRect& rect);
void ReadPoint(const IniFile& ini, const QString& section, const QString& ident, TPoint& point);
bool ReadBoolean(const IniFile& ini, const QString& section, const QString& ident);
TFontStyles ReadFontStyles(const IniFile& ini, const QString& section, const QString& ident);
TAlignment ReadAlignment(const IniFile& ini, const QString& section, const QString& ident);
TbsStretchType ReadStretchType(const IniFile& ini, const QString& section, const QString& ident);
TbsMorphKind ReadMorphKind(const IniFile& ini, const QString& section, const QString& ident);
TbsInActiveEffect ReadImageEffect(const IniFile& ini, const QString& section, const QString& ident);
void WriteRect(IniFile& ini, const QString& section, const QString& ident, const TRect& rect);
void WritePoint(IniFile& ini, const QString& section, const QString& ident, const TPoint& point);
void WriteBoolean(IniFile& ini, const QString& section, const QString& ident, bool value);
void WriteFontStyles(IniFile& ini, const QString& section, const QString& ident, TFontStyles value);
void WriteAlignment(IniFile& ini, const QString& section, const QString& ident, TAlignment value);
void WriteStretchType(IniFile& ini, const QString& section, const QString& ident,
                      TbsStretchType value);
void WriteMorphKind(IniFile& ini, const QString& section, const QString& ident, TbsMorphKind value);
void WriteImageEffect(IniFile& ini, const QString& section, const QString& ident,
                      TbsInActiveEffect value);

// A numbered list: Prefix + "count", then the items under "0" .. "N-1".
// Readers walk the keys the section holds rather than 0 .. N-1, so a huge
// count or item key in a small file costs only what the file holds.

struct TbsListItem {
    int index;
    QString value;
};
// The items present: keys that are a plain index below the count, in index
// order; missing indexes are simply absent.
std::vector<TbsListItem> ReadListItems(const IniFile& ini, const QString& section,
                                       const QString& prefix);

// Appends the items by position, a missing index reading "": the list runs
// to its highest present index + 1, never past count. Items at index
// MaxStringListLength or above are dropped, so a lone far key cannot build
// millions of empty items; a skin's lists hold tens of entries.
constexpr int MaxStringListLength = 65536;
void ReadStrings(const IniFile& ini, const QString& section, const QString& prefix,
                 QStringList& strings);
void WriteStrings(IniFile& ini, const QString& section, const QString& prefix,
                  const QStringList& strings);

// Whether the text holds the five sections every skin description has.
bool IsSkinIniFile(const IniFile& ini);
